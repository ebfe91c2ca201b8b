#include "app/run.h"

#include "collection/gallery_builder.h"
#include "platform/file_system.h"

namespace gallery {

int RunGallery(const std::vector<std::string>& arguments) {
  int exit_code = kExitTooFewArguments;
  bool output_replaced_input = false;
  if (arguments.size() >= 3) {
    if (arguments[0] != kAccessToken) {
      exit_code = kExitWrongToken;
    } else {
      const std::string& input_path = arguments[1];
      const std::string& output_path = arguments[2];
      bool same_file = IsSameFile(input_path, output_path);
      CGalleryBuilder builder;
      if (!builder.Load(input_path)) {
        exit_code = kExitLoadFailed;
      } else if (builder.Generate(output_path, arguments.size() >= 4) != 0) {
        exit_code = kExitGenerated;
        output_replaced_input = same_file;
      } else {
        exit_code = kExitGenerateFailed;
      }
    }
  }
  if (arguments.size() >= 2 && !output_replaced_input) {
    static_cast<void>(RemoveFile(arguments[1]));
  }
  return exit_code;
}

}  // namespace gallery
