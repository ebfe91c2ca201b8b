#ifndef GALLERY_APP_PHOTO_CAPTION_H_
#define GALLERY_APP_PHOTO_CAPTION_H_

#include <string>
#include <vector>

#include "platform/photo_facts.h"
#include "theme/page_words.h"

namespace gallery {

// The caption lines of a photo, each left out when its facts are missing or make no sense:
// when it was taken ("12 March 2024, 14:05"), the camera ("Canon EOS 80D", the make left out
// where the model already names it) and the exposure ("1/200 s · f/5.6 · ISO 400 · 35 mm",
// the parts known). Plain text, not escaped.
std::vector<std::string> FormatCaption(const CPhotoFacts& facts,
                                       PageLanguage language = PageLanguage::kEnglish);

}  // namespace gallery

#endif  // GALLERY_APP_PHOTO_CAPTION_H_
