#include "app/run.h"

#include <new>
#include <optional>
#include <system_error>

#include "collection/gallery_builder.h"
#include "generate/generate.h"
#include "platform/file_system.h"

namespace gallery {
namespace {

// A collection can be large enough for memory, or a thread, to run out while it is loaded or
// its gallery written. That step then fails like any other failure of it: silently, with its
// exit code, and the input is still deleted.
template <typename Step>
bool StepSucceeds(const Step& step) {
  try {
    return step();
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace

ExitCode RunGallery(const std::vector<std::string>& arguments) {
  ExitCode exit_code = ExitCode::kUsage;
  bool output_replaced_input = false;
  // Held until the run ends, so that a second run on the same gallery waits for this one
  // instead of mixing its pages in, and so that temporary files found there are leftovers.
  std::optional<CFolderLock> gallery_lock;
  if (arguments.size() >= 3) {
    if (arguments[0] != kAccessToken) {
      exit_code = ExitCode::kWrongToken;
    } else {
      const std::string& input_path = arguments[1];
      const std::string& output_path = arguments[2];
      const bool thumbnails = arguments.size() >= 4;
      gallery_lock.emplace(ParentFolder(output_path));
      bool same_file = IsSameFile(input_path, output_path);
      CGalleryBuilder builder;
      if (!StepSucceeds([&] { return builder.Load(input_path) == LoadFailure::kNone; })) {
        exit_code = ExitCode::kLoadFailed;
      } else if (!same_file &&
                 FindSameFile({input_path}, ListGeneratedFiles(builder, output_path, thumbnails))) {
        // The input would be replaced by a page or image and then deleted as the input: the
        // gallery would lose that file. Saving the output collection over the input is fine.
        exit_code = ExitCode::kGenerateFailed;
      } else if (StepSucceeds([&] { return builder.Generate(output_path, thumbnails) != 0; })) {
        exit_code = ExitCode::kBuilt;
        // Asked again: saving replaces a second link to the input with a file of its own, which
        // leaves the input an old copy that goes like any other.
        output_replaced_input = same_file && IsSameFile(input_path, output_path);
      } else {
        exit_code = ExitCode::kGenerateFailed;
      }
    }
  }
  // Only a file (or a link, which goes alone) is deleted: a FIFO or device named as the input
  // is not the host's collection file.
  if (arguments.size() >= 2 && !output_replaced_input) {
    static_cast<void>(RemoveFileOrLink(arguments[1]));
  }
  return exit_code;
}

}  // namespace gallery
