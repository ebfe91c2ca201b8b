#ifndef GALLERY_GENERATE_IMAGE_WORK_H_
#define GALLERY_GENERATE_IMAGE_WORK_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "imaging/image_cache.h"
#include "imaging/scaled_photo.h"

namespace gallery {

// The files of one photo's images: its source, its page image and each of its thumbnails, in
// the order of the thumbnail settings the work is given.
struct CPhotoImagePaths {
  std::string source;
  std::string page_image;
  std::vector<std::string> thumbnails;
};

// What became of one photo's images.
struct CPhotoImages {
  CScaledPhoto page_image;
  std::vector<CScaledPhoto> thumbnails;  // one per thumbnail setting, once made
};

// One piece of the image work: a photo's page image, with or without the thumbnails made from
// it, or its thumbnails alone.
struct CImageJob {
  int index = 0;
  bool page_image = false;
  bool thumbnails = false;
};

// The order in which `workers` workers take the images of photos whose work is `costs` (any
// measure that grows with it, such as the sources' sizes in bytes): page images costliest
// first, so that no long one starts last while the other workers run out of work, each with its
// thumbnails at once, except that the thumbnails of the cheapest photos wait until every page
// image has been taken, to keep the workers busy to the end. Equal costs keep photo order.
std::vector<CImageJob> PlanImageJobs(const std::vector<int64_t>& costs, bool thumbnails,
                                     int workers);

// Makes the page images and thumbnails of all photos on worker threads, so that the pages of
// photo k can be written as soon as its images are done. Every photo's images are the same as
// when made one after the other: each is made from that photo's source and the settings copied
// before the work began, its thumbnails always after (and from) its page image. Each photo's
// result is written by the one thread that makes it and read only after `WaitFor` it.
class CImageWork {
 public:
  // With no `thumbnail_settings`, page images alone; `workers` 0 or less makes every image on
  // the thread that waits for it.
  // With a `cache`, each image is taken from it where it holds one (see IImageCache).
  CImageWork(const CImageSettings& page_settings, std::vector<CImageSettings> thumbnail_settings,
             std::vector<CPhotoImagePaths> photos, int workers, IImageCache* cache = nullptr);
  ~CImageWork();
  CImageWork(const CImageWork&) = delete;
  CImageWork& operator=(const CImageWork&) = delete;

  // Waits until photo `index` has its page image (and thumbnails) made, or makes them here when
  // no worker runs; its result is final from then on.
  const CPhotoImages& WaitFor(int index);

  const std::string& source(int index) const { return photos_[index].source; }
  const CPhotoImagePaths& paths(int index) const { return photos_[index]; }

  // Every photo's result, once each has been waited for.
  std::vector<CPhotoImages> TakeResults();

 private:
  void Stop();
  void Work();
  // What job's photo needs by PhotoMemoryNeed, from its source's header; 0 for thumbnails alone.
  int64_t MemoryNeed(const CImageJob& job) const;
  // Every page image and thumbnail is made by this one call, through the cache when there is
  // one; `index` names the photo whose own source the image comes from.
  CScaledPhoto MakeImage(int index, const CImageSettings& settings, const std::string& source,
                         const std::string& path, int mode) const;
  void MakePageImage(int index);
  void MakeThumbnails(int index);

  const CImageSettings page_settings_;
  std::vector<CImageSettings> thumbnail_settings_;
  const std::vector<CPhotoImagePaths> photos_;
  IImageCache* const cache_;
  std::mutex mutex_;
  std::condition_variable finished_;
  std::vector<CImageJob> jobs_;
  std::vector<int> parts_left_;  // of each photo: its page image and its thumbnails, if made
  std::vector<bool> page_image_done_;
  std::vector<CPhotoImages> results_;
  size_t next_job_ = 0;
  // Page-image jobs taken but put aside until the memory of the photos in flight lets them
  // start (MayStartPhoto), with their need, in the order taken.
  std::vector<std::pair<size_t, int64_t>> deferred_;
  int64_t need_in_flight_ = 0;
  int photos_in_flight_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace gallery

#endif  // GALLERY_GENERATE_IMAGE_WORK_H_
