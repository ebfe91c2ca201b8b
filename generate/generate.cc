#include "generate/generate.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "collection/collection_document.h"
#include "collection/gallery_builder.h"
#include "collection/output_layout.h"
#include "collection/photo_result.h"
#include "generate/classic_plan.h"
#include "generate/image_work.h"
#include "generate/navigation_buttons.h"
#include "html/index_page.h"
#include "html/page_values.h"
#include "html/page_writer.h"
#include "html/photo_page.h"
#include "imaging/image_cache.h"
#include "imaging/photo_memory.h"
#include "imaging/scaled_photo.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/imaging_runtime.h"

namespace gallery {
namespace {

// What the pages show of a photo, from what its image work made.
CPhotoResult ToPhotoResult(const std::string& title, const CPhotoImages& images) {
  CPhotoResult result = {.title = title};
  if (images.page_image.size) {
    result.image_width = images.page_image.size->width;
    result.image_height = images.page_image.size->height;
  }
  result.failure = images.page_image.failure;
  if (!images.thumbnails.empty() && images.thumbnails.front().size) {
    result.thumbnail_width = images.thumbnails.front().size->width;
    result.thumbnail_height = images.thumbnails.front().size->height;
  }
  return result;
}

// Tells `observer` what became of photo `index`'s images: a page image not made of its source,
// or any image made but not written.
void ReportImageFailures(CGenerationObserver& observer, const CImageWork& image_work, int index,
                         const CPhotoImages& images) {
  const PhotoFailure failure = images.page_image.failure;
  if (failure == PhotoFailure::kNotWritten) {
    observer.OnFileNotWritten(image_work.paths(index).page_image, images.page_image.write_failure);
  } else if (failure != PhotoFailure::kNone) {
    observer.OnPhotoFailed(index, image_work.source(index), failure);
  }
  for (size_t i = 0; i < images.thumbnails.size(); ++i) {
    if (images.thumbnails[i].failure == PhotoFailure::kNotWritten) {
      observer.OnFileNotWritten(image_work.paths(index).thumbnails[i],
                                images.thumbnails[i].write_failure);
    }
  }
}

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

void CGalleryBuilder::PassOver(const std::string& path, WriteFailure cause) {
  if (cause == WriteFailure::kNone) return;
  // A process that is ending leaves the files as they are.
  if (cause != WriteFailure::kEnding) static_cast<void>(RemoveFileOrLink(path));
  if (observer_ != nullptr) observer_->OnFileNotWritten(path, cause);
}

std::vector<std::string> ListGeneratedFiles(const CGalleryBuilder& builder,
                                            const std::string& document_path, bool thumbnails) {
  CClassicPlan plan =
      PlanClassicGallery(builder.photos(), builder.style(), document_path, thumbnails);
  std::vector<std::string> files;
  files.reserve(plan.files.size());
  for (CClassicPlannedFile& file : plan.files) files.push_back(std::move(file.path));
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
  // Every path written below is the plan's; the style is only read from here.
  const CClassicPlan plan = PlanClassicGallery(photos_, style_, document_path, thumbnails);
  // A photo is never written over, whatever name or link leads to it: the run writes nothing.
  std::vector<std::string> sources;
  sources.reserve(photos_.size());
  for (const CPhotoEntry& photo : photos_) sources.push_back(photo.path);
  std::vector<std::string> planned;
  planned.reserve(plan.files.size());
  for (const CClassicPlannedFile& file : plan.files) planned.push_back(file.path);
  if (FindSameFile(sources, planned)) return 0;

  const std::string root = ParentFolder(document_path);
  for (const std::string& folder : plan.folders) static_cast<void>(CreateFolder(folder));
  RemoveLeftoverTemporaries(root, plan.files.front().name);

  CCollectionDocument document;
  if (!document.Create()) return 0;
  if (!document.BeginCollection(style_.collection_title, style_.collection_desc)) return 0;

  const int photo_count = plan.photo_count();
  std::vector<CPhotoImagePaths> paths;
  paths.reserve(photos_.size());
  for (int index = 0; index < photo_count; ++index) {
    const CClassicPlannedImage& page_image = plan.images[plan.page_images[index]];
    CPhotoImagePaths photo_paths = {page_image.source, plan.Path(page_image.file), {}};
    if (plan.photo_thumbs[index] >= 0) {
      photo_paths.thumbnails.push_back(plan.Path(plan.images[plan.photo_thumbs[index]].file));
    }
    paths.push_back(std::move(photo_paths));
  }
  // Every photo's images are made with the same settings, the page image's and (with
  // thumbnails) the thumbnail's.
  const CImageSettings settings = MakeImageSettings(style_);
  CImageWork image_work(
      settings, thumbnails ? std::vector<CImageSettings>{settings} : std::vector<CImageSettings>{},
      std::move(paths), image_workers_ >= 0 ? image_workers_ : ImageWorkerCount(photo_count),
      image_cache_);
  std::vector<CPhotoResult> results;
  results.reserve(photos_.size());
  // The photos' images are made on workers from here on; the buttons and frame pieces meanwhile.
  for (int file : plan.buttons) {
    const CClassicPlannedFile& button = plan.files[file];
    PassOver(button.path,
             WriteButtonImage(*kNavigationButtons[button.number].pattern, button.path));
  }
  CPageState state = StartPageState(style_, photo_count);
  for (int file : plan.frame_pieces) {
    const CClassicPlannedFile& piece = plan.files[file];
    PassOver(piece.path, WriteFramePiece(piece.path, piece.number));
  }
  for (int index = 0; index < photo_count; ++index) {
    if (observer_ != nullptr && observer_->StopRequested()) return 0;
    if (!document.AddPhoto()) return 0;
    const CPhotoImages& images = image_work.WaitFor(index);
    results.push_back(ToPhotoResult(photos_[index].title, images));
    const CPhotoResult& photo = results.back();
    // The image work has removed what an earlier run left under the names of images it could
    // not make.
    if (observer_ != nullptr) ReportImageFailures(*observer_, image_work, index, images);
    const int page = plan.index_page_count + index;
    const std::string& page_path = plan.Path(plan.pages[page].file);
    PassOver(page_path,
             WritePhotoPage(page_path, style_, photo, index, photo_count, plan.Links(page), state));
    static_cast<void>(document.SetPhotoAttribute("path", std::to_string(index)));
    static_cast<void>(document.SetPhotoAttribute("title", photos_[index].title));
    if (observer_ != nullptr) observer_->OnPhotoDone(index, photo_count);
  }
  static_cast<void>(image_work.TakeResults());

  if (!WriteStyle(document, style_)) return 0;
  if (observer_ != nullptr && observer_->StopRequested()) return 0;
  if (!document.Save(document_path)) {
    // The earlier collection file stays: the host reads the exit code before it.
    if (observer_ != nullptr) observer_->OnFileNotWritten(document_path, document.save_failure());
    return 0;
  }

  for (int page = 0; page < plan.index_page_count; ++page) {
    const CClassicPlannedPage& index_page = plan.pages[page];
    const std::string& path = plan.Path(index_page.file);
    PassOver(path, WriteIndexPage(path, style_, results, index_page.first_photo,
                                  index_page.end_photo, plan.Links(page), state));
  }
  return 1;
}

}  // namespace gallery
