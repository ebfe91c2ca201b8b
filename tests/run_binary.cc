#include "tests/run_binary.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace gallery {

BinaryResult RunGallerygenBinary(const std::vector<std::string>& arguments,
                                 const std::string& working_folder) {
  BinaryResult result;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return result;
  pid_t child = fork();
  if (child == 0) {
    dup2(pipe_fds[1], STDOUT_FILENO);
    dup2(pipe_fds[1], STDERR_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    if (chdir(working_folder.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(GALLERYGEN_BINARY));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(GALLERYGEN_BINARY, argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  char buffer[4096];
  for (;;) {
    ssize_t count = read(pipe_fds[0], buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    result.output.append(buffer, static_cast<size_t>(count));
  }
  close(pipe_fds[0]);
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    result.exit_code = WEXITSTATUS(status);
  }
  return result;
}

}  // namespace gallery
