#include "app/modern_build.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "app/photo_caption.h"
#include "collection/album.h"
#include "collection/gallery_builder.h"
#include "collection/style_settings.h"
#include "collection/thumb_style.h"
#include "generate/generate.h"
#include "platform/file_system.h"
#include "platform/photo.h"
#include "platform/photo_facts.h"
#include "theme/modern_pages.h"

namespace gallery {
namespace {

bool IsSaneExtension(std::string_view extension) {
  return !extension.empty() && extension.size() <= 5 &&
         std::all_of(extension.begin(), extension.end(), [](char c) {
           return std::islower(static_cast<unsigned char>(c)) ||
                  std::isdigit(static_cast<unsigned char>(c));
         });
}

CImageSettings ThumbnailSettings(const CStyleSettings& style, int scale) {
  CImageSettings settings = MakeImageSettings(style);
  settings.thumb_box = {std::max(kModernThumbBox, style.thumb_width),
                        std::max(kModernThumbBox, style.thumb_height)};
  settings.thumb_type = 1;
  settings.edge_ring = false;
  settings.thumb_scale = scale;
  settings.cubic_resampling = true;
  return settings;
}

// The frame the classic pages draw round thumbnails and photos, as the modern pages show it:
// drawn lines or blocks of the border colour are a line of it, shading a shadow of it. A style
// without a border, or whose frame is of plain pieces, shows none.
CModernFrameStyle ModernFrameOf(const CStyleSettings& style) {
  if (style.thumb_border_size <= 0) return {};
  switch (DecodeThumbStyle(style.thumb_style).drawing) {
    case FrameDrawing::kLines:
    case FrameDrawing::kBlocks:
      return {ModernFrame::kLine, ToModernColor(style.thumb_border_color)};
    case FrameDrawing::kShaded:
      return {ModernFrame::kShadow, ToModernColor(style.thumb_border_color)};
    case FrameDrawing::kNone:
      break;
  }
  return {};
}

}  // namespace

int ToModernColor(int style_color) {
  const unsigned bits = static_cast<unsigned>(style_color);
  return static_cast<int>(((bits & 0xFF) << 16) | (bits & 0xFF00) | ((bits >> 16) & 0xFF));
}

CModernGallery StartModernGallery(const CStyleSettings& style) {
  CModernGallery gallery;
  gallery.title = style.collection_title;
  gallery.description = style.collection_desc;
  gallery.font_name = style.font_name;
  gallery.colors = {ToModernColor(style.back_color), ToModernColor(style.font_color),
                    ToModernColor(style.table_item_back_color)};
  gallery.frame = ModernFrameOf(style);
  gallery.photos_per_page = PaginateIndex(1, style.table_columns, style.table_rows).photos_per_page;
  if (style.table_columns <= 0 || style.table_rows <= 0) gallery.photos_per_page = 0;
  return gallery;
}

CImageSettings ModernPageImageSettings(const CStyleSettings& style, int max_size) {
  CImageSettings settings = MakeImageSettings(style);
  settings.max_long_side = std::max(0, max_size);
  settings.reduced_decoding = max_size > 0;
  // Visually the same as lanczos3 at these reductions, in less time.
  settings.cubic_resampling = true;
  // The ring that joins a classic photo to its shaded frame pieces would be a line round the
  // photo here, where no frame piece meets it.
  settings.edge_ring = false;
  return settings;
}

std::vector<CImageSettings> ModernThumbnailSettings(const CStyleSettings& style) {
  CImageSettings medium = ThumbnailSettings(style, 1);
  medium.thumb_box = {kModernMediumSide, kModernMediumSide};
  medium.never_enlarge = true;
  return {ThumbnailSettings(style, 1), ThumbnailSettings(style, 2), medium};
}

CPhotoImagePaths ModernImagePaths(const CModernPlan& plan, const std::string& root, int photo) {
  auto path = [&](ModernImageSize size) { return root + "/" + plan.Image(photo, size).path; };
  return {plan.photos[photo].path,
          path(ModernImageSize::kPage),
          {path(ModernImageSize::kThumb), path(ModernImageSize::kThumb2x),
           path(ModernImageSize::kMedium)}};
}

std::string ModernOriginalName(std::string_view extension, int index) {
  if (!IsSaneExtension(extension)) return {};
  return std::to_string(index + 1) + "." + std::string(extension);
}

std::string ModernDownloadName(std::string_view source, std::string_view extension, int index) {
  const size_t slash = source.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? source : source.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
  const std::string_view own = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  std::string lower(own);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const bool same_format = lower == extension || (extension == "jpg" && lower == "jpeg") ||
                           (extension == "jpg" && lower == "jpe") ||
                           (extension == "tif" && lower == "tiff") ||
                           (extension == "heic" && lower == "heif");
  const std::string base =
      stem.empty() ? "photo-" + std::to_string(index + 1) : std::string(stem);
  return base + "." + (same_format ? std::string(own) : std::string(extension));
}

CModernPhoto ToModernPhoto(const std::string& title, const CPhotoImages& images,
                           std::vector<std::string> caption, std::string original) {
  CModernPhoto photo;
  photo.title_html = title;
  if (images.page_image.failure != PhotoFailure::kNone || !images.page_image.size) return photo;
  photo.image = {images.page_image.size->width, images.page_image.size->height};
  // A thumbnail counts only once written, so that no page links an image that is not there.
  auto written = [&](size_t i) {
    const bool made = i < images.thumbnails.size() &&
                      images.thumbnails[i].failure == PhotoFailure::kNone &&
                      images.thumbnails[i].size;
    return made ? CModernSize{images.thumbnails[i].size->width, images.thumbnails[i].size->height}
                : CModernSize{};
  };
  photo.thumb = written(0);
  // The larger sizes are offered only where they differ from the smaller ones (a small photo's
  // are all of one size).
  const CModernSize thumb2x = written(1);
  if (thumb2x.width > photo.thumb.width) photo.thumb2x = thumb2x;
  const CModernSize medium = written(2);
  if (medium.width < photo.image.width) photo.medium = medium;
  photo.caption = std::move(caption);
  photo.original = std::move(original);
  return photo;
}

namespace {

// Tells `observer` of a file not written; true when it was written.
bool Written(const std::string& path, WriteFailure cause, CGenerationObserver* observer) {
  if (cause == WriteFailure::kNone) return true;
  if (observer != nullptr) observer->OnFileNotWritten(path, cause);
  return false;
}

// True when photo `index`'s images were all written, after telling `observer` of the first that
// was not, or of a source that gave no page image.
bool ImagesWritten(const CPhotoImages& images, const CPhotoImagePaths& paths, int index,
                   CGenerationObserver* observer) {
  const CScaledPhoto& page_image = images.page_image;
  if (page_image.failure == PhotoFailure::kNotWritten) {
    return Written(paths.page_image, page_image.write_failure, observer);
  }
  if (page_image.failure != PhotoFailure::kNone) {
    if (observer != nullptr) observer->OnPhotoFailed(index, paths.source, page_image.failure);
    return true;
  }
  for (size_t i = 0; i < images.thumbnails.size() && i < paths.thumbnails.size(); ++i) {
    if (images.thumbnails[i].failure == PhotoFailure::kNotWritten &&
        !Written(paths.thumbnails[i], images.thumbnails[i].write_failure, observer)) {
      return false;
    }
  }
  return true;
}

// Writes the pages of `kind` of `plan`; false after telling `observer` of one not written.
bool WritePages(const CModernGallery& gallery, const CModernPlan& plan, ModernPageKind kind,
                const std::string& root, CGenerationObserver* observer) {
  for (int page = 0; page < static_cast<int>(plan.pages.size()); ++page) {
    if (plan.pages[page].kind != kind) continue;
    const std::string path = root + "/" + plan.pages[page].path;
    if (!Written(path, TryWriteFileBytes(path, RenderModernPage(gallery, plan, page)), observer)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int BuildModernGallery(const CGalleryBuilder& builder, const CAlbum& album,
                       const CModernOptions& options, const std::string& root,
                       CGenerationObserver* observer) {
  CModernGallery gallery = StartModernGallery(builder.style());
  gallery.language = options.language;
  const CModernPlan plan = PlanModernGallery(album, gallery.photos_per_page, options.originals);
  for (const std::string& folder : plan.folders) {
    if (!CreateFolder(root + "/" + folder)) return 0;
  }
  const std::vector<CPhotoEntry>& photos = plan.photos;
  const int photo_count = static_cast<int>(photos.size());
  std::vector<CPhotoImagePaths> paths;
  for (int index = 0; index < photo_count; ++index) {
    paths.push_back(ModernImagePaths(plan, root, index));
  }
  CImageWork image_work(ModernPageImageSettings(builder.style(), options.max_size),
                        ModernThumbnailSettings(builder.style()), std::move(paths),
                        options.workers >= 0 ? options.workers : ImageWorkerCount(photo_count),
                        builder.image_cache());
  std::vector<std::pair<std::string_view, std::string_view>> assets = {
      {"gallery.css", ModernStylesheet()}, {"gallery.js", ModernScript()}};
  if (plan.HasAlbums()) assets.emplace_back("albums.css", ModernAlbumStylesheet());
  for (const auto& [name, bytes] : assets) {
    const std::string path = root + "/assets/" + std::string(name);
    if (!Written(path, TryWriteFileBytes(path, bytes), observer)) return 0;
  }
  for (int index = 0; index < photo_count; ++index) {
    if (observer != nullptr && observer->StopRequested()) return 0;
    const CPhotoImages& images = image_work.WaitFor(index);
    const PhotoFailure failure = images.page_image.failure;
    if (!ImagesWritten(images, image_work.paths(index), index, observer)) return 0;
    std::string original;
    std::string download;
    if (options.originals && failure == PhotoFailure::kNone) {
      // Named by the format the file is in, not by its name.
      const std::string extension = ReadPhotoExtension(photos[index].path);
      original = ModernOriginalName(extension, index);
      download = ModernDownloadName(photos[index].path, extension, index);
      const std::string path = root + "/originals/" + original;
      if (original.empty()) {
        // Its content is in no photo format any more, so it changed since its images were made.
        if (observer != nullptr) observer->OnFileNotWritten(path, WriteFailure::kUnreadableSource);
        return 0;
      }
      if (!Written(path, CopyFileBytes(photos[index].path, path), observer)) return 0;
    }
    std::vector<std::string> caption;
    if (options.captions && failure == PhotoFailure::kNone) {
      caption = FormatCaption(ReadPhotoFacts(photos[index].path), options.language);
    }
    gallery.photos.push_back(
        ToModernPhoto(photos[index].title, images, std::move(caption), std::move(original)));
    gallery.photos.back().original_download = std::move(download);
    // A size not offered is no file of the gallery either.
    const CPhotoImagePaths& written = image_work.paths(index);
    const CModernPhoto& shown = gallery.photos.back();
    if (shown.thumb2x.width == 0) static_cast<void>(RemoveFile(written.thumbnails[1]));
    if (shown.medium.width == 0) static_cast<void>(RemoveFile(written.thumbnails[2]));
    if (observer != nullptr) observer->OnPhotoDone(index, photo_count);
  }
  static_cast<void>(image_work.TakeResults());
  if (observer != nullptr && observer->StopRequested()) return 0;
  return WritePages(gallery, plan, ModernPageKind::kPhoto, root, observer) &&
                 WritePages(gallery, plan, ModernPageKind::kAlbumIndex, root, observer)
             ? 1
             : 0;
}

}  // namespace gallery
