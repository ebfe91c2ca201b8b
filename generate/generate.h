#ifndef GALLERY_GENERATE_GENERATE_H_
#define GALLERY_GENERATE_GENERATE_H_

namespace gallery {

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

}  // namespace gallery

#endif  // GALLERY_GENERATE_GENERATE_H_
