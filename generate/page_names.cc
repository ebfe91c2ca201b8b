#include <string>

#include "collection/gallery_builder.h"

namespace gallery {

std::string CGalleryBuilder::GetPageFileName(int kind, int number, int count) {
  if (number < 0 || number >= count) return "";
  if (kind == kPhotoPageKind) return std::to_string(number) + ".htm";
  if (number == 0) return "index.htm";
  return "index-" + std::to_string(number) + ".htm";
}

}  // namespace gallery
