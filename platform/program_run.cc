#include "platform/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace gallery {
namespace {

double MonotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Closes a descriptor once, whichever way the run ends.
struct CDescriptorCloser {
  int fd = -1;
  ~CDescriptorCloser() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

std::optional<std::string> FindProgram(const std::string& name, const std::string& path) {
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string folder = path.substr(start, end - start);
    // An empty entry would mean the working folder, which is no place to take a program from.
    if (!folder.empty() && folder.front() == '/') {
      const std::string candidate = folder + "/" + name;
      struct stat status {};
      if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
          access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    start = end + 1;
  }
  return std::nullopt;
}

CProgramRun RunProgram(const std::vector<std::string>& arguments, int seconds) {
  CProgramRun run;
  if (arguments.empty()) return run;
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return run;
  CDescriptorCloser reader{pipe_fds[0]};
  CDescriptorCloser writer{pipe_fds[1]};
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return run;
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  close(writer.fd);
  writer.fd = -1;
  run.started = true;
  const double deadline = MonotonicSeconds() + seconds;
  char buffer[4096];
  for (;;) {
    const double left = deadline - MonotonicSeconds();
    if (left <= 0) {
      run.timed_out = true;
      break;
    }
    pollfd wanted{reader.fd, POLLIN, 0};
    const int ready = poll(&wanted, 1, static_cast<int>(left * 1000) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    const ssize_t got = read(reader.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    run.output.append(buffer, static_cast<size_t>(got));
  }
  int status = 0;
  if (run.timed_out) {
    kill(child, SIGKILL);
  } else {
    // The output is closed, yet the program may still be at work: it gets the rest of its time.
    for (;;) {
      const pid_t ended = waitpid(child, &status, WNOHANG);
      if (ended < 0 && errno == EINTR) continue;
      // One reaped elsewhere left no status to read: it counts as failed.
      if (ended < 0) return run;
      if (ended != 0) break;
      if (MonotonicSeconds() >= deadline) {
        run.timed_out = true;
        kill(child, SIGKILL);
        break;
      }
      usleep(10000);
    }
    if (!run.timed_out) {
      if (WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
      return run;
    }
  }
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return run;
}

}  // namespace gallery
