#ifndef GALLERY_APP_PHOTO_TITLES_H_
#define GALLERY_APP_PHOTO_TITLES_H_

#include <string>
#include <string_view>
#include <vector>

#include "collection/library.h"
#include "theme/page_words.h"

namespace gallery {
struct CFolderPhoto;

// True when `name` (a file name, extension and all) looks made by a camera, a phone or an app
// rather than by a person: a maker's prefix and numbers ("IMG_0042", "DSCN0042", "PXL_20240712_
// 143501123", "IMG-20240716-WA0003", "GH010042", "P1010001"), a screenshot's or a messenger's
// name with its date, or numbers alone ("20240712_143501", "0042"). Letter case does not
// matter, and copies' and editors' endings ("(1)", "~2", "-edited", " copy") are allowed. A name
// with a word of its own ("IMG of mum", "DSC party", "2024 holiday") is a person's.
bool IsCameraFileName(std::string_view name);

// The title of a photo named `name` and taken at `date_taken` ("YYYY:MM:DD HH:MM:SS", empty
// when unknown), plain text: the title made from the file name, or the date taken written for
// people in `language` ("12 July 2024, 14:35"), or empty.
std::string ChooseTitle(TitleSource source, std::string_view name, const std::string& date_taken,
                        PageLanguage language = PageLanguage::kEnglish);

// Gives every photo its title from `source`, as HTML that shows as written, dates in
// `language`, reading the date taken of photos that need it and have none yet. The imaging
// library must be started when a date may be needed.
void TitlePhotos(std::vector<CFolderPhoto>& photos, TitleSource source,
                 PageLanguage language = PageLanguage::kEnglish);

}  // namespace gallery

#endif  // GALLERY_APP_PHOTO_TITLES_H_
