#include "collection/gallery_builder.h"
#include "generate/button_patterns.h"

namespace gallery {
void CGalleryBuilder::WriteNavigationButtons(const std::string&) {}
void CGalleryBuilder::WriteButtonImage(const ButtonPattern&, const std::string&) {}
}  // namespace gallery
