#ifndef GALLERY_TESTS_MODERN_GALLERY_INPUTS_H_
#define GALLERY_TESTS_MODERN_GALLERY_INPUTS_H_

#include <string>
#include <vector>

#include "collection/album.h"
#include "theme/modern_model.h"

namespace gallery {

// A gallery titled "Trip" of `count` photos titled "Photo title N", `per_page` to an index
// page, each with an 800 x 600 page image, a 400 x 300 medium size and thumbnails of 160 x 120
// and 320 x 240.
CModernGallery MakeModernGallery(int count, int per_page);

// `count` photos at /photos/NAME-1.jpg ..., titled "NAME 1" ...
std::vector<CPhotoEntry> SamplePhotos(const std::string& name, int count);

// A small library titled "Trip", in the order its photos are numbered:
//   "A & <b>b</b>"         its sub-album first, then 3 photos of its own; its cover is the
//     "Deep #1? é"    second of them; 2 photos
//   "Empty"                no photo, in it or in its one sub-album
//   "C 100%"               1 photo
//   2 photos of its own
// So photos 0-1 are Deep's, 2-4 A's, 5 C's and 6-7 the library's own.
CAlbum MakeAlbumTree();

// Whether `piece` occurs in `text`.
bool Holds(const std::string& text, const std::string& piece);

// The values of every `name="..."` attribute in `html`, in order.
std::vector<std::string> AttributeValues(const std::string& html, const std::string& name);

}  // namespace gallery

#endif  // GALLERY_TESTS_MODERN_GALLERY_INPUTS_H_
