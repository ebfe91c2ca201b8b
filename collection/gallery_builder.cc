#include "collection/gallery_builder.h"

namespace gallery {
bool CGalleryBuilder::Load(const std::string&) { return false; }
}  // namespace gallery
