#ifndef GALLERY_GENERATE_GENERATE_H_
#define GALLERY_GENERATE_GENERATE_H_

#include <string>
#include <vector>

namespace gallery {
class CGalleryBuilder;

// How the photos are spread over index pages.
struct IndexPagination {
  int photos_per_page;
  int page_count;
};

// With `columns` and `rows` both positive, `columns` x `rows` photos a page and as many pages as
// needed (none for no photos); otherwise one page with every photo.
IndexPagination PaginateIndex(int photo_count, int columns, int rows);

// How many photos have their images made at the same time, each on a worker thread of its own
// (0: one after the other on the calling thread).
int ImageWorkerCount(int photo_count);

// Every file that `builder.Generate(document_path, thumbnails)` writes, whether it exists yet
// or not: `document_path` itself first, then the index pages, each photo's page image,
// thumbnail (with `thumbnails`) and page, the buttons and the frame pieces. The paths of the
// gallery's plan (PlanClassicGallery), which Generate writes by.
std::vector<std::string> ListGeneratedFiles(const CGalleryBuilder& builder,
                                            const std::string& document_path, bool thumbnails);

}  // namespace gallery

#endif  // GALLERY_GENERATE_GENERATE_H_
