#ifndef GALLERY_APP_GALLERY_OPTIONS_H_
#define GALLERY_APP_GALLERY_OPTIONS_H_

#include <optional>
#include <string>
#include <vector>

#include "app/photo_folder.h"
#include "app/photo_titles.h"
#include "theme/page_words.h"

namespace gallery {

enum class CliCommand { kNone, kBuild, kNew, kUpdate, kPresets };

// A command line as understood, before anything is looked up on disk.
struct CCliOptions {
  CliCommand command = CliCommand::kNone;
  bool help = false;
  bool version = false;
  std::vector<std::string> operands;
  // The options that shape a gallery are nothing where the command line does not give them:
  // `build` and `update` then take what the collection records (see ApplyRecordedSettings).
  std::optional<bool> thumbnails;  // classic: thumbnail images (the default)
  bool use_cache = true;  // take images from earlier builds and keep this build's
  bool quiet = false;
  std::string output_name = "collection.xml";
  bool output_given = false;
  std::optional<Theme> theme;         // modern by default
  std::optional<int> max_size;        // the modern page images' longer side; 0: the source's size
  std::optional<bool> captions;       // modern: caption lines from each photo's own data
  std::optional<bool> originals;      // modern: a copy of each source offered for download
  std::optional<std::string> collection_path;  // where `new` writes its collection
  std::optional<std::string> title;
  std::string description;
  std::string preset = "shaded";
  std::optional<PhotoOrder> order;       // of new photos and albums; by name by default
  std::optional<PageLanguage> language;  // modern: the pages' language; none: the locale's
  // Where `new` takes the photos' titles from, and `update` those of the photos it adds;
  // kChosen by default.
  std::optional<TitleSource> titles;
};

// The options, or the one-line reason why the command line makes no sense.
struct CCliParse {
  std::optional<CCliOptions> options;
  std::string error;
};

// Reads argv[1..]. Options may come before, between or after the operands, as "--name value",
// "--name=value" or a short "-x value"; short switches may be bundled ("-qh"); "--" makes every
// later argument an operand. An option counts only for the command named before it (before
// any command: only help and the version). Operand counts are checked too, except when help or
// the version is asked for. Touches no file.
CCliParse ParseCliArguments(const std::vector<std::string>& arguments);

// The help text of a command (`kNone` for the program's overview), ending with a line feed.
// Its list of options is the list the command accepts.
std::string HelpText(CliCommand command);

// "gallery (gallerygen) VERSION" and a line feed.
std::string VersionText();

}  // namespace gallery

#endif  // GALLERY_APP_GALLERY_OPTIONS_H_
