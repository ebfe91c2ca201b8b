#include "collection/gallery_builder.h"

namespace gallery {
void CGalleryBuilder::FormatPageValues(int) {}
}  // namespace gallery
