#ifndef GALLERY_TESTS_INDEX_PAGE_INPUTS_H_
#define GALLERY_TESTS_INDEX_PAGE_INPUTS_H_

#include <vector>

#include "collection/photo_result.h"
#include "collection/style_settings.h"

namespace gallery {

// The style the index page tests start from: a table of 3 x 2 cells, red Verdana text on white
// (size 2 under the thumbnails), thumbnails of 120 x 90 and no frame.
CStyleSettings MakeIndexStyle();

// `count` photos titled "P0", "P1", ... whose thumbnails are `width` x `height`.
std::vector<CPhotoResult> MakeIndexPhotos(int count, int width = 120, int height = 90);

}  // namespace gallery

#endif  // GALLERY_TESTS_INDEX_PAGE_INPUTS_H_
