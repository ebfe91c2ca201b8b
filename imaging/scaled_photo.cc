#include "collection/gallery_builder.h"

namespace gallery {
bool CGalleryBuilder::WriteScaledPhoto(int, const std::string&, int) { return false; }
}  // namespace gallery
