#include "app/modern_build.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>
#include <thread>
#include <utility>

#include "app/photo_caption.h"
#include "collection/album.h"
#include "collection/gallery_builder.h"
#include "collection/style_settings.h"
#include "collection/thumb_style.h"
#include "generate/generate.h"
#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/file_tree.h"
#include "platform/folder_listing.h"
#include "platform/photo.h"
#include "platform/photo_facts.h"
#include "theme/modern_layout.h"
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
  // The rows of the index pages have one height, whatever the style's box for the classic pages.
  settings.thumb_box = {kModernThumbWidestShape * kModernThumbHeight, kModernThumbHeight};
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
  gallery.photos_per_page = ModernPhotosPerPage(style.table_columns, style.table_rows);
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
  std::vector<CImageSettings> settings = {ThumbnailSettings(style, 1), ThumbnailSettings(style, 2)};
  for (const int side : {kModernMediumSide, kModernLargeSide}) {
    settings.push_back(ThumbnailSettings(style, 1));
    settings.back().thumb_box = {side, side};
    settings.back().never_enlarge = true;
  }
  // What screens of two or three pixels a point take.
  for (size_t i = 1; i < settings.size(); ++i) {
    settings[i].quality = std::min(settings[i].quality, kModernDenseScreenQuality);
  }
  return settings;
}

int CountOfferedModernSizes(PhotoSize page, const std::vector<PhotoSize>& drawn) {
  // Each size is worth offering only where the one before it is: a page image too small for
  // the 2x thumbnail is smaller still than the medium size.
  auto offered = [&](size_t i) {
    switch (i) {
      case 0:
        return true;
      case 1:
        return drawn[1].width > drawn[0].width;
      case 2:
        return drawn[2].width < page.width;
      case 3:
        return drawn[3].width < page.width && drawn[3].width > drawn[2].width;
      default:
        return false;
    }
  };
  int count = 0;
  while (static_cast<size_t>(count) < drawn.size() && offered(static_cast<size_t>(count))) {
    ++count;
  }
  return count;
}

int CountOfferedModernSizes(const CImageSettings& page_settings,
                            const std::vector<CImageSettings>& thumbnail_settings,
                            std::optional<PhotoSize> source) {
  if (!source) return 1;
  const PhotoSize page = LayOutImage(page_settings, *source, true).output;
  std::vector<PhotoSize> drawn;
  for (const CImageSettings& settings : thumbnail_settings) {
    drawn.push_back(LayOutImage(settings, page, false).output);
  }
  return std::max(1, CountOfferedModernSizes(page, drawn));
}

CPhotoImagePaths ModernImagePaths(const CModernPlan& plan, const std::string& root, int photo) {
  CPhotoImagePaths paths{
      plan.photos[photo].path, root + "/" + plan.Image(photo, ModernImageSize::kPage).path, {}};
  for (const ModernImageSize size : {ModernImageSize::kThumb, ModernImageSize::kThumb2x,
                                     ModernImageSize::kMedium, ModernImageSize::kLarge}) {
    const CModernPlannedImage& image = plan.Image(photo, size);
    if (!image.offered) break;
    paths.thumbnails.push_back(root + "/" + image.path);
  }
  return paths;
}

std::vector<std::pair<std::string_view, std::string_view>> ModernAssets(const CModernPlan& plan) {
  std::vector<std::pair<std::string_view, std::string_view>> assets = {
      {"gallery.css", ModernStylesheet()}, {"gallery.js", ModernScript()}};
  if (plan.HasAlbums()) assets.emplace_back("albums.css", ModernAlbumStylesheet());
  return assets;
}

CPlannedGallery ListModernGalleryFiles(const CModernPlan& plan, const CModernGallery& gallery) {
  CPlannedGallery planned;
  planned.folders = plan.folders;
  for (const auto& [name, bytes] : ModernAssets(plan)) {
    planned.files.push_back("assets/" + std::string(name));
  }
  for (const CModernPlannedPage& page : plan.pages) planned.files.push_back(page.path);
  for (int index = 0; index < static_cast<int>(gallery.photos.size()); ++index) {
    const CModernPhoto& photo = gallery.photos[index];
    const std::pair<ModernImageSize, const CModernSize*> shown[] = {
        {ModernImageSize::kPage, &photo.image},
        {ModernImageSize::kThumb, &photo.thumb},
        {ModernImageSize::kThumb2x, &photo.thumb2x},
        {ModernImageSize::kMedium, &photo.medium},
        {ModernImageSize::kLarge, &photo.large}};
    for (const auto& [size, image] : shown) {
      if (image->width > 0) planned.files.push_back(plan.Image(index, size).path);
    }
    if (!photo.original.empty()) planned.files.push_back("originals/" + photo.original);
    if (!photo.video_file.empty()) planned.files.push_back("videos/" + photo.video_file);
  }
  planned.index_page = plan.pages[plan.albums.front().index_pages.front()].path;
  return planned;
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
  // Only the sizes worth offering, as laid out, that were written count.
  std::vector<PhotoSize> drawn;
  for (const CScaledPhoto& thumbnail : images.thumbnails) {
    drawn.push_back(thumbnail.size.value_or(PhotoSize{}));
  }
  const int offered = CountOfferedModernSizes(*images.page_image.size, drawn);
  CModernSize* const sizes[] = {&photo.thumb, &photo.thumb2x, &photo.medium, &photo.large};
  for (int i = 0; i < offered && i < static_cast<int>(std::size(sizes)); ++i) {
    *sizes[i] = written(static_cast<size_t>(i));
  }
  photo.caption = std::move(caption);
  photo.original = std::move(original);
  return photo;
}

bool PublishConvertedVideo(const CVideoTools& tools, const std::string& source,
                           const std::string& target, const std::string& cache, bool& reused) {
  reused = false;
  // Named by the bytes converted and by how: another conversion gets another number.
  const std::optional<std::string> digest = cache.empty() ? std::nullopt : HashFileContent(source);
  const std::string kept = digest ? cache + "/" + *digest + "-h264-aac-1.mp4" : std::string();
  if (!kept.empty() && GetPathKind(kept) == PathKind::kFile &&
      CopyFileBytes(kept, target) == WriteFailure::kNone) {
    reused = true;
    return true;
  }
  if (!RunVideoTool(VideoPublishArguments(tools.ffmpeg, source, target, VideoPublishing::kConvert),
                    target, kVideoConvertSeconds)) {
    return false;
  }
  if (!kept.empty() && CreateFolder(cache)) {
    // Another build may be keeping the same conversion: each writes its own file first.
    const std::string temporary = kept + ".part-" + std::to_string(getpid());
    if (CopyFileBytes(target, temporary) != WriteFailure::kNone ||
        std::rename(temporary.c_str(), kept.c_str()) != 0) {
      static_cast<void>(RemoveFile(temporary));
    }
  }
  return true;
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

// A video once read, before its images are made: its facts, and where its poster frame was
// written (empty when none was).
struct CVideoStart {
  std::optional<CVideoFacts> facts;
  std::string poster;
};

// Reads video `index` and writes its poster frame into `folder`.
CVideoStart StartVideo(const CVideoTools& tools, const std::string& source,
                       const std::string& folder, int index) {
  CVideoStart start;
  start.facts = ReadVideoFacts(tools, source);
  if (!start.facts) return start;
  const std::string poster = folder + "/" + std::to_string(index + 1) + ".poster.png";
  if (RunVideoTool(
          PosterArguments(tools.ffmpeg, source, PosterSeconds(start.facts->seconds), poster),
          poster, kVideoProbeSeconds)) {
    start.poster = poster;
  }
  return start;
}

// What became of a video's published file: its name in the folder of videos, or empty when
// it was not made; and why not where the cause is the disk's, not the video's.
struct CPublishedVideo {
  std::string name;
  std::string path;
  WriteFailure failure = WriteFailure::kNone;
};

// Whether the file system of `folder` has less room left than `source` takes. A copy takes
// about as much, and a conversion, which the programs it runs do not explain, is taken for a
// full disk only when even that is missing: a video is never counted as unreadable because
// the disk was full.
bool LacksRoomFor(const std::string& folder, const std::string& source) {
  const std::optional<CFileStatus> status = GetFileStatus(source);
  const std::optional<uint64_t> free = FreeBytesOn(folder);
  return status && free && *free < static_cast<uint64_t>(status->size);
}

// Publishes video `index` from `source` as `facts` say into the folder `folder`.
CPublishedVideo PublishVideo(const CModernOptions& options, const CVideoFacts& facts,
                             const std::string& source, const std::string& folder, int index) {
  const VideoPublishing publishing = ChooseVideoPublishing(facts);
  const std::string name =
      std::to_string(index + 1) + "." + std::string(PublishedVideoExtension(publishing));
  const std::string target = folder + "/" + name;
  if (LacksRoomFor(folder, source)) return {"", target, WriteFailure::kNoSpace};
  bool made = false;
  if (publishing == VideoPublishing::kConvert) {
    bool reused = false;
    made = PublishConvertedVideo(options.video_tools, source, target, options.video_cache, reused);
  } else {
    made =
        RunVideoTool(VideoPublishArguments(options.video_tools.ffmpeg, source, target, publishing),
                     target, kVideoConvertSeconds);
  }
  if (made) return {name, target, WriteFailure::kNone};
  return {"", target, LacksRoomFor(folder, source) ? WriteFailure::kNoSpace : WriteFailure::kNone};
}

// The upright size in the header of each of `sources` (nothing for one that cannot be read),
// read on `workers` threads (none: on this one). A header takes about half a millisecond to
// read, which two cores halve for the many photos of a rebuild that takes them all from the
// image cache.
std::vector<std::optional<PhotoSize>> ReadSourceSizes(const std::vector<std::string>& sources,
                                                      int workers) {
  std::vector<std::optional<PhotoSize>> sizes(sources.size());
  // Each thread reads every `step`-th source from its own first, and writes only those sizes.
  auto read = [&](size_t first, size_t step) {
    for (size_t i = first; i < sources.size(); i += step) {
      sizes[i] = ReadPhotoSize(sources[i], INT64_MAX);
    }
  };
  if (workers <= 1) {
    read(0, 1);
    return sizes;
  }
  std::vector<std::thread> threads;
  const auto step = static_cast<size_t>(workers);
  for (size_t first = 1; first < step; ++first) threads.emplace_back(read, first, step);
  read(0, step);
  for (std::thread& thread : threads) thread.join();
  return sizes;
}

// Removes the images of `paths` that were written but that `shown` does not show: those of a
// video that could not be published, or a size found not worth offering only once made (as its
// source changed since its header was first read).
void RemoveUnshownImages(const CPhotoImagePaths& paths, const CPhotoImages& images,
                         const CModernPhoto& shown) {
  if (images.page_image.failure == PhotoFailure::kNone && shown.image.width == 0) {
    static_cast<void>(RemoveFile(paths.page_image));
  }
  const CModernSize* const sizes[] = {&shown.thumb, &shown.thumb2x, &shown.medium, &shown.large};
  for (size_t i = 0; i < images.thumbnails.size() && i < paths.thumbnails.size(); ++i) {
    if (images.thumbnails[i].failure == PhotoFailure::kNone &&
        (i >= std::size(sizes) || sizes[i]->width == 0)) {
      static_cast<void>(RemoveFile(paths.thumbnails[i]));
    }
  }
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
                       CGenerationObserver* observer, CPlannedGallery* planned) {
  CModernGallery gallery = StartModernGallery(builder.style());
  gallery.language = options.language;
  CModernPlan plan = PlanModernGallery(album, gallery.photos_per_page, options.originals);
  for (const std::string& folder : plan.folders) {
    if (!CreateFolder(root + "/" + folder)) return 0;
  }
  const std::vector<CPhotoEntry>& photos = plan.photos;
  const int photo_count = static_cast<int>(photos.size());
  // A video's images are drawn from its poster frame, made first; one without a poster frame
  // is given a source that is not there, and shows its title alone.
  const std::string video_folder = root + "/videos";
  std::vector<CVideoStart> videos(static_cast<size_t>(photo_count));
  std::vector<std::string> sources;
  for (int index = 0; index < photo_count; ++index) {
    sources.push_back(photos[index].path);
    if (!photos[index].video) continue;
    if (observer != nullptr && observer->StopRequested()) return 0;
    videos[index] = StartVideo(options.video_tools, photos[index].path, video_folder, index);
    sources.back() = videos[index].poster.empty()
                         ? video_folder + "/" + std::to_string(index + 1) + ".no-poster"
                         : videos[index].poster;
  }
  const CImageSettings page_settings = ModernPageImageSettings(builder.style(), options.max_size);
  std::vector<CImageSettings> thumbnail_settings = ModernThumbnailSettings(builder.style());
  // The sizes worth offering follow from the size in each source's header, which the image
  // work reads again: the others are never written.
  const std::vector<std::optional<PhotoSize>> source_sizes = ReadSourceSizes(
      sources, options.workers >= 0 ? options.workers : ImageWorkerCount(photo_count));
  std::vector<CPhotoImagePaths> paths;
  for (int index = 0; index < photo_count; ++index) {
    plan.OfferDrawnSizes(index, CountOfferedModernSizes(page_settings, thumbnail_settings,
                                                        source_sizes[index]));
    paths.push_back(ModernImagePaths(plan, root, index));
    paths.back().source = sources[index];
  }
  CImageWork image_work(page_settings, std::move(thumbnail_settings), std::move(paths),
                        options.workers >= 0 ? options.workers : ImageWorkerCount(photo_count),
                        builder.image_cache());
  for (const auto& [name, bytes] : ModernAssets(plan)) {
    const std::string path = root + "/assets/" + std::string(name);
    if (!Written(path, TryWriteFileBytes(path, bytes), observer)) return 0;
  }
  for (int index = 0; index < photo_count; ++index) {
    if (observer != nullptr && observer->StopRequested()) return 0;
    const CPhotoImages& images = image_work.WaitFor(index);
    const PhotoFailure failure = images.page_image.failure;
    if (photos[index].video) {
      if (!videos[index].poster.empty()) static_cast<void>(RemoveFile(videos[index].poster));
      // A video without a poster frame is told of once, below, if at all.
      if ((failure == PhotoFailure::kNone || failure == PhotoFailure::kNotWritten) &&
          !ImagesWritten(images, image_work.paths(index), index, observer)) {
        return 0;
      }
      const std::optional<CVideoFacts>& facts = videos[index].facts;
      const CPublishedVideo published =
          facts ? PublishVideo(options, *facts, photos[index].path, video_folder, index)
                : CPublishedVideo{};
      if (!Written(published.path, published.failure, observer)) return 0;
      const std::string& file = published.name;
      if (file.empty()) {
        if (observer != nullptr) {
          observer->OnPhotoFailed(index, photos[index].path, PhotoFailure::kNotAVideo);
        }
        gallery.photos.push_back(ToModernPhoto(photos[index].title, {}, {}, {}));
      } else {
        gallery.photos.push_back(ToModernPhoto(photos[index].title, images, {}, {}));
        CModernPhoto& shown = gallery.photos.back();
        shown.video_file = file;
        shown.video_type = std::string(PublishedVideoType(ChooseVideoPublishing(*facts)));
        shown.video_seconds =
            facts->seconds < 0 ? -1 : static_cast<int>(std::lround(facts->seconds));
      }
      RemoveUnshownImages(image_work.paths(index), images, gallery.photos.back());
      if (observer != nullptr) observer->OnPhotoDone(index, photo_count);
      continue;
    }
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
    RemoveUnshownImages(image_work.paths(index), images, gallery.photos.back());
    if (observer != nullptr) observer->OnPhotoDone(index, photo_count);
  }
  static_cast<void>(image_work.TakeResults());
  if (observer != nullptr && observer->StopRequested()) return 0;
  if (!WritePages(gallery, plan, ModernPageKind::kPhoto, root, observer) ||
      !WritePages(gallery, plan, ModernPageKind::kAlbumIndex, root, observer)) {
    return 0;
  }
  if (planned != nullptr) *planned = ListModernGalleryFiles(plan, gallery);
  return 1;
}

}  // namespace gallery
