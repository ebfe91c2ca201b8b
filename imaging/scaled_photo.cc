#include "collection/gallery_builder.h"

namespace gallery {
void CGalleryBuilder::WriteScaledPhoto(int, const std::string&, int) {}
}  // namespace gallery
