#ifndef GALLERY_PLATFORM_PROGRAM_RUN_H_
#define GALLERY_PLATFORM_PROGRAM_RUN_H_

#include <optional>
#include <string>
#include <vector>

namespace gallery {

// The absolute path of the executable file `name` in the first folder of the PATH value `path`
// (folders parted by ":") that holds one; nothing when none does or `name` holds a "/".
std::optional<std::string> FindProgram(const std::string& name, const std::string& path);

// What became of a program run.
struct CProgramRun {
  bool started = false;    // false when it could not be started at all
  bool timed_out = false;  // it ran past its time and was killed
  int exit_status = -1;    // its exit status when it exited; -1 when killed by a signal
  std::string output;      // what it wrote to its standard output
};

// Runs `arguments` (the program's absolute path first) without a shell: standard input and
// error from and to /dev/null, standard output kept. A run past `seconds` is killed. Safe to
// call from several threads at once.
CProgramRun RunProgram(const std::vector<std::string>& arguments, int seconds);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_PROGRAM_RUN_H_
