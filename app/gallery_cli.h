#ifndef GALLERY_APP_GALLERY_CLI_H_
#define GALLERY_APP_GALLERY_CLI_H_

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/exit_code.h"

namespace gallery {

// The file `gallery new` writes into the gallery folder: the collection it made from the photo
// folder, kept so that titles can be edited and the gallery built again.
inline constexpr const char* kSourceCollectionName = "source-collection.xml";

// Where a run reports and what it knows about its surroundings.
struct CCliEnvironment {
  CCliEnvironment(std::ostream& out_stream, std::ostream& err_stream)
      : out(out_stream), err(err_stream) {}

  std::ostream& out;  // results: help, version, the preset list
  std::ostream& err;  // messages, warnings and progress
  bool err_is_terminal = false;
  int terminal_width = 80;
  std::string preset_folder;
  std::function<double()> clock;  // seconds from any fixed point
};

// Runs the `gallery` command line and returns how it ended: `kBuilt` also for help, the
// version and the preset list, `kUsage` for a wrong command line or an unknown preset,
// `kLoadFailed` for an input that could not be loaded, `kGenerateFailed` for a gallery that
// could not be written. Never deletes or changes a file it did not write; a gallery that fails
// half way into a new folder leaves no folder behind.
ExitCode RunGalleryCli(const std::vector<std::string>& arguments, CCliEnvironment& environment);

}  // namespace gallery

#endif  // GALLERY_APP_GALLERY_CLI_H_
