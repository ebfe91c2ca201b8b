#include "collection/gallery_builder.h"

namespace gallery {
void CGalleryBuilder::WriteIndexPage(const std::string&, int, int, int, int) {}
}  // namespace gallery
