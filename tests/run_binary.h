#ifndef GALLERY_TESTS_RUN_BINARY_H_
#define GALLERY_TESTS_RUN_BINARY_H_

#include <string>
#include <vector>

namespace gallery {

struct BinaryResult {
  int exit_code = -1;  // -1 when the process did not end normally
  std::string output;  // stdout and stderr together
};

// Runs the built gallerygen with `arguments` in `working_folder` and waits for it.
BinaryResult RunGallerygenBinary(const std::vector<std::string>& arguments,
                                 const std::string& working_folder = ".");

}  // namespace gallery

#endif  // GALLERY_TESTS_RUN_BINARY_H_
