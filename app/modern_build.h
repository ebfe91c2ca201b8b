#ifndef GALLERY_APP_MODERN_BUILD_H_
#define GALLERY_APP_MODERN_BUILD_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/build_record.h"
#include "app/video_media.h"
#include "generate/image_work.h"
#include "imaging/scaled_photo.h"
#include "theme/modern_model.h"
#include "theme/modern_plan.h"
#include "theme/page_words.h"

namespace gallery {
struct CAlbum;
class CGalleryBuilder;
class CGenerationObserver;
struct CStyleSettings;

// How a modern gallery is built.
struct CModernOptions {
  int max_size = 2048;  // the page images' longer side at most; 0: each source's own size
  bool captions = false;
  bool originals = false;
  PageLanguage language = PageLanguage::kEnglish;  // of the pages' words, dates and captions
  int workers = -1;  // photos made at once; -1 chooses by the machine
  // The programs that read and write videos; videos are left out when they were not found.
  CVideoTools video_tools;
  // Where converted videos are kept for later builds; empty for nowhere.
  std::string video_cache;
};

// The longer sides of the page images offered to smaller screens, where the page image is
// larger: a phone's width at two pixels a point fills the medium one, at three the large one.
inline constexpr int kModernMediumSide = 1024;
inline constexpr int kModernLargeSide = 1536;
// The JPEG quality at most of those sizes and of the 2x thumbnails, which screens of two or
// three pixels a point take. Below 90 libvips keeps colour at half the resolution, which nobody
// sees there, and an image takes half the bytes: so a phone fetches a photo and the next one in
// less than half a megabyte.
inline constexpr int kModernDenseScreenQuality = 85;

// A style colour (red in the lowest byte) as 0xRRGGBB.
int ToModernColor(int style_color);

// The gallery's texts, colours, frame and page size from the style, with no photos yet.
CModernGallery StartModernGallery(const CStyleSettings& style);

// The settings of a modern page image, and of the images drawn from it: its thumbnails at 1x
// and 2x, kModernThumbHeight (times two) high keeping the aspect, lower only where they would
// be wider than kModernThumbWidestShape times that; then its medium and large sizes,
// kModernMediumSide and kModernLargeSide square at most; all but the 1x thumbnail at
// kModernDenseScreenQuality at most.
CImageSettings ModernPageImageSettings(const CStyleSettings& style, int max_size);
std::vector<CImageSettings> ModernThumbnailSettings(const CStyleSettings& style);

// How many of the images drawn from a page image of size `page`, of sizes `drawn` in the order
// of ModernThumbnailSettings, are worth offering: the 1x thumbnail always, then each larger size
// as long as it differs from the smaller ones (a small photo's are all of one size): the 2x
// thumbnail where wider than the 1x, the medium where narrower than the page image, the large
// where between the medium and the page image. At most `drawn.size()`.
int CountOfferedModernSizes(PhotoSize page, const std::vector<PhotoSize>& drawn);

// The same for a photo whose source has the upright size `source`, with the images laid out
// as `page_settings` and `thumbnail_settings` make them; 1 when the size is not known.
int CountOfferedModernSizes(const CImageSettings& page_settings,
                            const std::vector<CImageSettings>& thumbnail_settings,
                            std::optional<PhotoSize> source);

// The source and the image files of photo `photo` of `plan` in the gallery at `root`, for the
// image work: its page image, then the images drawn from it that `plan` offers, in the order of
// ModernThumbnailSettings.
CPhotoImagePaths ModernImagePaths(const CModernPlan& plan, const std::string& root, int photo);

// The fixed files of the gallery of `plan` under assets/, by name, with their bytes.
std::vector<std::pair<std::string_view, std::string_view>> ModernAssets(const CModernPlan& plan);

// Every folder and file of the modern gallery of `plan` whose photos show as `gallery` says:
// its folders, assets and pages, and of each photo the images the pages show, its original and
// its video. The first index page is the root album's first.
CPlannedGallery ListModernGalleryFiles(const CModernPlan& plan, const CModernGallery& gallery);

// The name under originals/ of the copy of photo `index`'s source, whose content is in the
// format of the file name extension `extension` (see ReadPhotoExtension): N and that
// extension, whatever the source is called, so that a photo named ".html" is never published
// as a page. Empty when `extension` is not one of 1 to 5 small letters and digits.
std::string ModernOriginalName(std::string_view extension, int index);

// The name a download of photo `index`'s original offers to save it under: the source's own
// file name, its extension the one of its real format `extension` unless its own already names
// that format in another spelling ("IMG_4711.HEIC", "Beach.jpeg"; "page.html" holding a JPEG
// gives "page.jpg"). "photo-N" and the extension where the name has nothing before its
// extension.
std::string ModernDownloadName(std::string_view source, std::string_view extension, int index);

// What the pages show of one photo from what its image work made: a photo without a page image
// shows its title alone.
CModernPhoto ToModernPhoto(const std::string& title, const CPhotoImages& images,
                           std::vector<std::string> caption, std::string original);

// Puts at `target` the H.264/AAC MP4 that `source` converts to: a copy of the one kept in the
// folder `cache` (empty: none) for a source of the same bytes, or else converted by ffmpeg and
// then kept there. False when no whole file was made; `reused` says whether it was kept.
bool PublishConvertedVideo(const CVideoTools& tools, const std::string& source,
                           const std::string& target, const std::string& cache, bool& reused);

// Writes the modern gallery of the album tree `album` into the empty folder `root`, in the
// style of `builder`'s collection and through its image cache, and puts into `planned` (when
// given) what it holds then (see ListModernGalleryFiles). Of each photo's images only the sizes
// offered are written, decided from the size in its source's header before any image is made. The
// root album is the collection: its title and description are the style's. Photos are told to
// `observer` by their place in `PhotosInOrder(album)`. 1 when every file was written (photos whose
// sources could not be made into images show their title alone, told to `observer`), 0 as soon as
// an image, page, asset or offered original could not be written (told to `observer` first) or
// `observer` asked to stop. Videos get a poster frame in place of a page image, from which
// their thumbnails are drawn, and a copy under videos/ that browsers play, without the
// metadata that may tell where they were taken; one that cannot be read or made so is told to
// `observer` as a photo failure and shows its title alone.
int BuildModernGallery(const CGalleryBuilder& builder, const CAlbum& album,
                       const CModernOptions& options, const std::string& root,
                       CGenerationObserver* observer, CPlannedGallery* planned = nullptr);

}  // namespace gallery

#endif  // GALLERY_APP_MODERN_BUILD_H_
