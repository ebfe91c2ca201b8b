#ifndef GALLERY_APP_GALLERY_CLI_H_
#define GALLERY_APP_GALLERY_CLI_H_

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/exit_code.h"
#include "theme/page_words.h"

namespace gallery {

// Where `gallery new` writes the collection it made from the photo folder unless told another
// place: beside OUTDIR, outside what is published, as OUTDIR's name + ".collection.xml", so
// that titles can be edited and the gallery built again with `gallery build`.
std::string DefaultCollectionPath(const std::string& outdir);

// Where a run reports and what it knows about its surroundings.
struct CCliEnvironment {
  CCliEnvironment(std::ostream& out_stream, std::ostream& err_stream)
      : out(out_stream), err(err_stream) {}

  std::ostream& out;  // results: help, version, the preset list
  std::ostream& err;  // messages, warnings and progress
  bool err_is_terminal = false;
  int terminal_width = 80;
  std::string preset_folder;
  // The language of the user's locale, for pages whose language the command line leaves open.
  PageLanguage locale_language = PageLanguage::kEnglish;
  // Where images are kept between builds (see CacheFolderFor); empty: nowhere.
  std::string cache_folder;
  // The folders programs such as ffmpeg are looked for in, as PATH gives them; empty: none.
  std::string program_path;
  std::function<double()> clock;  // seconds from any fixed point
  // True once the run is asked to stop (an interruption); none: never.
  std::function<bool()> stop_requested;
};

// Runs the `gallery` command line and returns how it ended: `kBuilt` also for help, the
// version and the preset list, `kUsage` for a wrong command line or an unknown preset,
// `kLoadFailed` for an input that could not be loaded, `kGenerateFailed` for a gallery that
// could not be written (or a run asked to stop), `kNoPhotoMade` for one whose photos all
// failed. Never deletes or changes a file it did not write; OUTDIR is replaced only by a
// complete gallery, and a build that fails or stops leaves nothing behind.
ExitCode RunGalleryCli(const std::vector<std::string>& arguments, CCliEnvironment& environment);

}  // namespace gallery

#endif  // GALLERY_APP_GALLERY_CLI_H_
