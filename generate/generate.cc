#include "generate/generate.h"

#include <algorithm>
#include <array>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "collection/collection_document.h"
#include "collection/gallery_builder.h"
#include "collection/output_layout.h"
#include "collection/photo_result.h"
#include "html/index_page.h"
#include "html/page_values.h"
#include "html/photo_page.h"
#include "imaging/image_cache.h"
#include "imaging/photo_memory.h"
#include "imaging/scaled_photo.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/imaging_runtime.h"

namespace gallery {
namespace {

// Makes the page images and thumbnails of all photos on worker threads, so that the pages of
// photo k can be written as soon as its images are done. Every photo's images are the same as
// when made one after the other: each is made from that photo's source and the settings copied
// before the work began, its thumbnail always after (and from) its page image. Each photo's
// result is written by the one thread that makes it and read only after `WaitFor` it.
class CImageWork {
 public:
  CImageWork(const CImageSettings& settings, const std::vector<CPhotoEntry>& photos,
             std::string images_folder, std::string thumbs_folder, bool thumbnails, int workers,
             IImageCache* cache)
      : settings_(settings),
        cache_(cache),
        images_folder_(std::move(images_folder)),
        thumbs_folder_(std::move(thumbs_folder)),
        thumbnails_(thumbnails),
        parts_left_(photos.size(), thumbnails ? 2 : 1),
        page_image_done_(photos.size(), false) {
    sources_.reserve(photos.size());
    results_.reserve(photos.size());
    for (const CPhotoEntry& photo : photos) {
      sources_.push_back(photo.path);
      results_.push_back({.title = photo.title});
    }
    if (workers <= 0) return;
    PlanJobs(static_cast<int>(photos.size()), workers);
    // Each photo on a core of its own beats several cores on one photo: the JPEG codec itself
    // runs in one thread either way.
    SetImagingThreadCount(1);
    for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
  }

  ~CImageWork() { Stop(); }

  // Waits until photo `index` has its page image (and thumbnail) made, or makes them here when
  // no worker runs; its result is final from then on.
  const CPhotoResult& WaitFor(int index) {
    if (threads_.empty()) {
      MakePageImage(index);
      if (thumbnails_) MakeThumbnail(index);
    } else {
      std::unique_lock<std::mutex> lock(mutex_);
      finished_.wait(lock, [&] { return parts_left_[index] == 0; });
    }
    return results_[index];
  }

  const std::string& source(int index) const { return sources_[index]; }

  // Every photo's result, once each has been waited for.
  std::vector<CPhotoResult> TakeResults() {
    Stop();
    return std::move(results_);
  }

 private:
  // A page image, with or without the thumbnail made from it, or a thumbnail alone.
  struct Job {
    int index;
    bool page_image;
    bool thumbnail;
  };

  // Thumbnails kept back per worker for the end of the run, where they keep the other workers
  // busy while the last page image is made (a page image takes several times a thumbnail's time).
  static constexpr int kThumbnailsKeptBackPerWorker = 4;

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    for (std::thread& thread : threads_) thread.join();
    if (!threads_.empty()) SetImagingThreadCount(0);
    threads_.clear();
  }

  // Page images in photo order, each followed at once by its thumbnail, except that the last
  // photos' thumbnails wait until every page image has been taken.
  void PlanJobs(int photo_count, int workers) {
    const int kept_back =
        thumbnails_ ? std::min(photo_count, kThumbnailsKeptBackPerWorker * workers) : 0;
    for (int index = 0; index < photo_count; ++index) {
      jobs_.push_back({index, true, thumbnails_ && index < photo_count - kept_back});
    }
    for (int index = photo_count - kept_back; index < photo_count; ++index) {
      jobs_.push_back({index, false, true});
    }
  }

  void Work() {
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (stopping_ || next_job_ >= jobs_.size()) return;
        job = jobs_[next_job_++];
        // A thumbnail alone may have been taken while another worker still makes its page
        // image, which was taken before it and so always ends.
        if (!job.page_image) {
          finished_.wait(lock, [&] { return static_cast<bool>(page_image_done_[job.index]); });
        }
      }
      if (job.page_image) MakePageImage(job.index);
      if (job.thumbnail) MakeThumbnail(job.index);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (job.page_image) page_image_done_[job.index] = true;
        parts_left_[job.index] -= (job.page_image ? 1 : 0) + (job.thumbnail ? 1 : 0);
      }
      finished_.notify_all();
    }
  }

  std::string PageImagePath(int index) const {
    return images_folder_ + "/" + GetPhotoFileName(index);
  }

  // The image that WriteScaledPhoto would write, through the cache when there is one.
  CScaledPhoto WriteImage(int index, const std::string& source, const std::string& path,
                          int mode) {
    return cache_ != nullptr ? cache_->FetchOrMake(settings_, sources_[index], source, path, mode)
                             : WriteScaledPhoto(settings_, source, path, mode);
  }

  void MakePageImage(int index) {
    const CScaledPhoto page_image =
        WriteImage(index, sources_[index], PageImagePath(index), kPageImageMode);
    CPhotoResult& result = results_[index];
    if (page_image.size) {
      result.image_width = page_image.size->width;
      result.image_height = page_image.size->height;
    }
    result.failure = page_image.failure;
  }

  void MakeThumbnail(int index) {
    // The thumbnail's source is the page image's file, whatever became of it.
    const CScaledPhoto thumbnail = WriteImage(
        index, PageImagePath(index), thumbs_folder_ + "/" + GetPhotoFileName(index), kThumbnailMode);
    if (thumbnail.size) {
      results_[index].thumbnail_width = thumbnail.size->width;
      results_[index].thumbnail_height = thumbnail.size->height;
    }
  }

  const CImageSettings settings_;
  IImageCache* const cache_;
  const std::string images_folder_;
  const std::string thumbs_folder_;
  const bool thumbnails_;
  std::mutex mutex_;
  std::condition_variable finished_;
  std::vector<Job> jobs_;
  std::vector<int> parts_left_;  // of each photo: its page image and its thumbnail, if made
  std::vector<bool> page_image_done_;
  std::vector<std::string> sources_;
  std::vector<CPhotoResult> results_;
  size_t next_job_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// Removes the temporary files that killed runs left in the gallery: only those written for a
// name that a run writes in that folder, so that no file of anyone else is touched.
void RemoveLeftoverTemporaries(const std::string& root, std::string_view document_name) {
  static_cast<void>(RemoveTemporaryFiles(root, [document_name](std::string_view name) {
    return name == document_name || IsGalleryFileName("", name);
  }));
  for (std::string_view folder : kGalleryFolders) {
    static_cast<void>(RemoveTemporaryFiles(
        GalleryFolderPath(root, folder),
        [folder](std::string_view name) { return IsGalleryFileName(folder, name); }));
  }
}

}  // namespace

std::vector<std::string> ListGeneratedFiles(const CGalleryBuilder& builder,
                                            const std::string& document_path, bool thumbnails) {
  const std::string root = ParentFolder(document_path);
  const int photo_count = static_cast<int>(builder.photos().size());
  std::vector<std::string> files = {document_path};
  const IndexPagination pagination =
      PaginateIndex(photo_count, builder.style().table_columns, builder.style().table_rows);
  for (int page = 0; page < pagination.page_count; ++page) {
    files.push_back(root + "/" + GetPageFileName(kIndexPageKind, page, pagination.page_count));
  }
  for (int index = 0; index < photo_count; ++index) {
    files.push_back(GalleryFilePath(root, kImagesFolder, GetPhotoFileName(index)));
    if (thumbnails) files.push_back(GalleryFilePath(root, kThumbsFolder, GetPhotoFileName(index)));
    files.push_back(
        GalleryFilePath(root, kPagesFolder, GetPageFileName(kPhotoPageKind, index, photo_count)));
  }
  for (NavigationButtonKind button : kNavigationButtonKinds) {
    files.push_back(GalleryFilePath(root, kAdvancedFolder, GetButtonFileName(button)));
  }
  for (int piece = 0; piece < kFramePieceCount; ++piece) {
    files.push_back(GalleryFilePath(root, kBorderFolder, GetFramePieceFileName(piece)));
  }
  return files;
}

IndexPagination PaginateIndex(int photo_count, int columns, int rows) {
  if (columns <= 0 || rows <= 0) return {photo_count, 1};
  // The product may pass the 32-bit range; a page that large holds every photo anyway.
  int64_t per_page = std::min<int64_t>(int64_t{columns} * rows, INT_MAX);
  int64_t pages = photo_count / per_page + (photo_count % per_page != 0 ? 1 : 0);
  return {static_cast<int>(per_page), static_cast<int>(pages)};
}

int ImageWorkerCount(int photo_count) {
  // Two photos at a time keep two cores busy (more photos at once measured no faster on two
  // cores); one photo alone needs no worker. Under a tight memory limit one photo is made at a
  // time, on one worker.
  const unsigned cores = std::thread::hardware_concurrency();
  return cores >= 2 && photo_count >= 2
             ? std::min(2, PlanPhotoMemory(MemoryHeadroom()).photos_in_flight)
             : 0;
}

int CGalleryBuilder::Generate(const std::string& document_path, bool thumbnails) {
  // A folder in the collection file's place could never be replaced by it; the gallery is not
  // begun beside it.
  if (GetPathKind(document_path) == PathKind::kFolder) return 0;
  // A photo is never written over, whatever name or link leads to it: the run writes nothing.
  std::vector<std::string> sources;
  sources.reserve(photos_.size());
  for (const CPhotoEntry& photo : photos_) sources.push_back(photo.path);
  if (FindSameFile(sources, ListGeneratedFiles(*this, document_path, thumbnails))) return 0;

  const std::string root = ParentFolder(document_path);
  for (std::string_view folder : kGalleryFolders) {
    static_cast<void>(CreateFolder(GalleryFolderPath(root, folder)));
  }
  const std::string images_folder = GalleryFolderPath(root, kImagesFolder);
  const std::string pages_folder = GalleryFolderPath(root, kPagesFolder);
  const std::string border_folder = GalleryFolderPath(root, kBorderFolder);
  RemoveLeftoverTemporaries(
      root, std::string_view(document_path).substr(document_path.find_last_of("/\\") + 1));

  CCollectionDocument document;
  if (!document.Create()) return 0;
  if (!document.BeginCollection(style_.collection_title, style_.collection_desc)) return 0;

  // What the image work needs of the style is copied first; the style is only read from here.
  const int photo_count = static_cast<int>(photos_.size());
  CImageWork image_work(MakeImageSettings(style_), photos_, images_folder,
                        GalleryFolderPath(root, kThumbsFolder), thumbnails,
                        image_workers_ >= 0 ? image_workers_ : ImageWorkerCount(photo_count),
                        image_cache_);
  // The photos' images are made on workers from here on; the buttons and frame pieces meanwhile.
  WriteNavigationButtons(GalleryFolderPath(root, kAdvancedFolder));
  CPageState state = StartPageState(style_, photo_count);
  for (int piece = 0; piece < kFramePieceCount; ++piece) {
    WriteFramePiece(border_folder + "/" + GetFramePieceFileName(piece), piece);
  }
  for (int index = 0; index < photo_count; ++index) {
    if (observer_ != nullptr && observer_->StopRequested()) return 0;
    if (!document.AddPhoto()) return 0;
    const CPhotoResult& photo = image_work.WaitFor(index);
    if (observer_ != nullptr && photo.failure != PhotoFailure::kNone) {
      observer_->OnPhotoFailed(index, image_work.source(index), photo.failure);
    }
    WritePhotoPage(pages_folder + "/" + GetPageFileName(kPhotoPageKind, index, photo_count), style_,
                   photo, index, photo_count, state);
    static_cast<void>(document.SetPhotoAttribute("path", std::to_string(index)));
    static_cast<void>(document.SetPhotoAttribute("title", photos_[index].title));
    if (observer_ != nullptr) observer_->OnPhotoDone(index, photo_count);
  }
  const std::vector<CPhotoResult> results = image_work.TakeResults();

  if (!WriteStyle(document, style_)) return 0;
  if (observer_ != nullptr && observer_->StopRequested()) return 0;
  if (!document.Save(document_path)) return 0;

  const IndexPagination pagination =
      PaginateIndex(photo_count, style_.table_columns, style_.table_rows);
  for (int page = 0; page < pagination.page_count; ++page) {
    const int first = page * pagination.photos_per_page;
    const int end =
        static_cast<int>(std::min<int64_t>(int64_t{first} + pagination.photos_per_page, INT_MAX));
    WriteIndexPage(root + "/" + GetPageFileName(kIndexPageKind, page, pagination.page_count),
                   style_, results, first, end, page, pagination.page_count, state);
  }
  return 1;
}

}  // namespace gallery
