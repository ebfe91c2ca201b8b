#ifndef GALLERY_TESTS_RUN_BINARY_H_
#define GALLERY_TESTS_RUN_BINARY_H_

#include <signal.h>

#include <functional>
#include <string>
#include <vector>

namespace gallery {

struct BinaryResult {
  int exit_code = -1;   // -1 when the process did not end normally
  bool killed = false;  // ended by the signal `BinaryOptions::kill_signal`
  int end_signal = 0;   // the signal that ended the process, 0 when it exited
  std::string output;   // stdout and stderr together
};

struct BinaryOptions {
  std::string working_folder = ".";
  long file_size_limit = -1;          // bytes a file may grow to; -1 for no limit
  long kill_after_microseconds = -1;  // send `kill_signal` after this long; -1 to let it finish
  int kill_signal = SIGKILL;
  // Polled while the run lasts, when set: `kill_signal` is sent as soon as it returns true.
  std::function<bool()> kill_when;
  // `kill_signal` goes to the process and then (20 ms later) to its process group, which the
  // run leads, as `timeout` sends it.
  bool kill_group_too = false;
  // Sent, unless 0, to the process 1 ms after `kill_signal`, whose number must be lower; a
  // request to stop at once.
  int second_signal = 0;
  // Polled once `kill_signal` was sent, when set: `second_signal` is sent as soon as it returns
  // true rather than 1 ms later, and not at all when the run ends first.
  std::function<bool()> second_signal_when;
  // The output is read up to its first line feed, and then no more: the pipe is closed.
  bool close_output_after_line = false;
  long address_space_limit = -1;      // bytes of address space the run may use; -1 for no limit
  // Variables set ("NAME=value") or, given as a bare "NAME", removed for the run.
  std::vector<std::string> environment;
};

// Runs the built `gallery` front end with `arguments` and waits for it.
BinaryResult RunGalleryBinary(const std::vector<std::string>& arguments,
                              const BinaryOptions& options);

// Runs the built gallerygen with `arguments` and waits for it.
BinaryResult RunGallerygenBinary(const std::vector<std::string>& arguments,
                                 const BinaryOptions& options);
BinaryResult RunGallerygenBinary(const std::vector<std::string>& arguments,
                                 const std::string& working_folder = ".");

}  // namespace gallery

#endif  // GALLERY_TESTS_RUN_BINARY_H_
