#ifndef GALLERY_APP_GALLERY_CLI_H_
#define GALLERY_APP_GALLERY_CLI_H_

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/exit_code.h"
#include "app/photo_folder.h"

namespace gallery {

// The file `gallery new` writes into the gallery folder: the collection it made from the photo
// folder, kept so that titles can be edited and the gallery built again.
inline constexpr const char* kSourceCollectionName = "source-collection.xml";

enum class CliCommand { kNone, kBuild, kNew, kPresets };

// A command line as understood, before anything is looked up on disk.
struct CCliOptions {
  CliCommand command = CliCommand::kNone;
  bool help = false;
  bool version = false;
  std::vector<std::string> operands;
  bool thumbnails = true;
  bool quiet = false;
  std::string output_name = "collection.xml";
  std::optional<std::string> title;
  std::string description;
  std::string preset = "shaded";
  PhotoOrder order = PhotoOrder::kName;
};

// The options, or the one-line reason why the command line makes no sense.
struct CCliParse {
  std::optional<CCliOptions> options;
  std::string error;
};

// Reads argv[1..]. Options may come before, between or after the operands, as "--name value",
// "--name=value" or a short "-x value"; "--" makes every later argument an operand. Operand
// counts are checked too, except when help or the version is asked for.
CCliParse ParseCliArguments(const std::vector<std::string>& arguments);

// The help text of a command (`kNone` for the program's overview), ending with a line feed.
std::string HelpText(CliCommand command);

// "gallery (gallerygen) VERSION" and a line feed.
std::string VersionText();

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
