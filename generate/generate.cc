#include "generate/generate.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "collection/collection_document.h"
#include "collection/gallery_builder.h"
#include "collection/output_layout.h"
#include "collection/photo_result.h"
#include "generate/image_work.h"
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
  const CImageSettings settings = MakeImageSettings(style_);
  const std::string thumbs_folder = GalleryFolderPath(root, kThumbsFolder);
  std::vector<CPhotoImagePaths> paths;
  paths.reserve(photos_.size());
  for (int index = 0; index < photo_count; ++index) {
    const std::string name = GetPhotoFileName(index);
    paths.push_back({photos_[index].path, images_folder + "/" + name,
                     thumbnails ? std::vector<std::string>{thumbs_folder + "/" + name}
                                : std::vector<std::string>{}});
  }
  CImageWork image_work(
      settings, thumbnails ? std::vector<CImageSettings>{settings} : std::vector<CImageSettings>{},
      std::move(paths), image_workers_ >= 0 ? image_workers_ : ImageWorkerCount(photo_count),
      image_cache_);
  std::vector<CPhotoResult> results;
  results.reserve(photos_.size());
  // The photos' images are made on workers from here on; the buttons and frame pieces meanwhile.
  WriteNavigationButtons(GalleryFolderPath(root, kAdvancedFolder));
  CPageState state = StartPageState(style_, photo_count);
  for (int piece = 0; piece < kFramePieceCount; ++piece) {
    const std::string path = border_folder + "/" + GetFramePieceFileName(piece);
    PassOver(path, WriteFramePiece(path, piece));
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
    const std::string page_path =
        pages_folder + "/" + GetPageFileName(kPhotoPageKind, index, photo_count);
    PassOver(page_path, WritePhotoPage(page_path, style_, photo, index, photo_count, state));
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

  const IndexPagination pagination =
      PaginateIndex(photo_count, style_.table_columns, style_.table_rows);
  for (int page = 0; page < pagination.page_count; ++page) {
    const int first = page * pagination.photos_per_page;
    const int end =
        static_cast<int>(std::min<int64_t>(int64_t{first} + pagination.photos_per_page, INT_MAX));
    const std::string path =
        root + "/" + GetPageFileName(kIndexPageKind, page, pagination.page_count);
    PassOver(path,
             WriteIndexPage(path, style_, results, first, end, page, pagination.page_count, state));
  }
  return 1;
}

}  // namespace gallery
