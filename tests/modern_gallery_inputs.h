#ifndef GALLERY_TESTS_MODERN_GALLERY_INPUTS_H_
#define GALLERY_TESTS_MODERN_GALLERY_INPUTS_H_

#include <string>
#include <vector>

#include "theme/modern_model.h"

namespace gallery {

// A gallery titled "Trip" of `count` photos titled "Photo title N", `per_page` to an index
// page, each with an 800 x 600 page image, a 400 x 300 medium size and thumbnails of 160 x 120
// and 320 x 240.
CModernGallery MakeModernGallery(int count, int per_page);

// Whether `piece` occurs in `text`.
bool Holds(const std::string& text, const std::string& piece);

// The values of every `name="..."` attribute in `html`, in order.
std::vector<std::string> AttributeValues(const std::string& html, const std::string& name);

}  // namespace gallery

#endif  // GALLERY_TESTS_MODERN_GALLERY_INPUTS_H_
