#include "collection/gallery_builder.h"

namespace gallery {
void CGalleryBuilder::WriteFramePiece(const std::string&, int) {}
}  // namespace gallery
