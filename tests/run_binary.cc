#include "tests/run_binary.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string_view>
#include <thread>

namespace gallery {

namespace {

BinaryResult RunBinary(const char* program, const std::vector<std::string>& arguments,
                       const BinaryOptions& options) {
  BinaryResult result;
  // Made before the fork: the child of a process with threads may only call what is safe in a
  // signal handler.
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    const std::string_view name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& change : options.environment) {
      replaced = replaced || change.substr(0, change.find('=')) == name;
    }
    if (!replaced) variables.emplace_back(text);
  }
  for (const std::string& change : options.environment) {
    if (change.find('=') != std::string::npos) variables.push_back(change);
  }
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // Closed on exec, so that a run started at the same time from another thread, whose child
  // inherits these descriptors too, does not hold this run's output open.
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return result;
  pid_t child = fork();
  if (child == 0) {
    if (options.kill_group_too) setpgid(0, 0);
    dup2(pipe_fds[1], STDOUT_FILENO);
    dup2(pipe_fds[1], STDERR_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    if (chdir(options.working_folder.c_str()) != 0) _exit(127);
    if (options.file_size_limit >= 0) {
      struct rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                             static_cast<rlim_t>(options.file_size_limit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    if (options.address_space_limit >= 0) {
      struct rlimit limit = {static_cast<rlim_t>(options.address_space_limit),
                             static_cast<rlim_t>(options.address_space_limit)};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(127);
    }
    execve(program, argv.data(), envp.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  // Set in the parent as well, so that the group exists before anything is sent to it.
  if (child > 0 && options.kill_group_too) setpgid(child, child);
  std::atomic<bool> output_ended{false};
  std::thread killer;
  if (child > 0 && (options.kill_after_microseconds >= 0 || options.kill_when)) {
    killer = std::thread([child, &options, &output_ended] {
      if (options.kill_when) {
        while (!options.kill_when()) {
          if (output_ended.load()) return;
          usleep(100);
        }
      } else {
        usleep(static_cast<useconds_t>(options.kill_after_microseconds));
      }
      kill(child, options.kill_signal);
      if (options.kill_group_too) {
        // A moment later, so that the run sees the signal twice rather than once, merged.
        usleep(20000);
        kill(-child, options.kill_signal);
      }
      if (options.second_signal != 0 && options.second_signal_when) {
        while (!options.second_signal_when()) {
          if (output_ended.load()) return;
          usleep(100);
        }
        kill(child, options.second_signal);
      } else if (options.second_signal != 0) {
        // Soon enough to find the run still stopping. When the run was not scheduled in
        // between, both are pending together, and the handler of the higher-numbered signal
        // then runs first, whichever was sent first.
        usleep(1000);
        kill(child, options.second_signal);
      }
    });
  }
  char buffer[4096];
  for (;;) {
    ssize_t count = read(pipe_fds[0], buffer, options.close_output_after_line ? 1 : sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    result.output.append(buffer, static_cast<size_t>(count));
    if (options.close_output_after_line && buffer[0] == '\n') break;
  }
  close(pipe_fds[0]);
  output_ended.store(true);
  int status = 0;
  // The child is reaped only after the killer is done, so its process id cannot be reused by
  // another process in between.
  if (killer.joinable()) killer.join();
  if (child > 0 && waitpid(child, &status, 0) == child) {
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.end_signal = WTERMSIG(status);
    result.killed = WIFSIGNALED(status) && WTERMSIG(status) == options.kill_signal;
  }
  return result;
}

}  // namespace

BinaryResult RunGalleryBinary(const std::vector<std::string>& arguments,
                              const BinaryOptions& options) {
  return RunBinary(GALLERY_BINARY, arguments, options);
}

BinaryResult RunGallerygenBinary(const std::vector<std::string>& arguments,
                                 const BinaryOptions& options) {
  return RunBinary(GALLERYGEN_BINARY, arguments, options);
}

BinaryResult RunGallerygenBinary(const std::vector<std::string>& arguments,
                                 const std::string& working_folder) {
  BinaryOptions options;
  options.working_folder = working_folder;
  return RunGallerygenBinary(arguments, options);
}

}  // namespace gallery
