#include "collection/gallery_builder.h"

namespace gallery {
void CGalleryBuilder::WritePhotoPage(const std::string&, int, int) {}
}  // namespace gallery
