#ifndef GALLERY_APP_MODERN_BUILD_H_
#define GALLERY_APP_MODERN_BUILD_H_

#include <string>
#include <string_view>
#include <vector>

#include "generate/image_work.h"
#include "imaging/scaled_photo.h"
#include "theme/modern_model.h"

namespace gallery {
class CGalleryBuilder;
class CGenerationObserver;
struct CStyleSettings;

// How a modern gallery is built.
struct CModernOptions {
  int max_size = 2048;  // the page images' longer side at most; 0: each source's own size
  bool captions = false;
  bool originals = false;
  int workers = -1;  // photos made at once; -1 chooses by the machine
};

// The smallest box a modern thumbnail fits in: a grid cell of a phone at two pixels a point.
inline constexpr int kModernThumbBox = 360;
// The longer side of the page image offered to small screens (a phone's width at three pixels
// per point fills it), where the page image is larger.
inline constexpr int kModernMediumSide = 1024;

// A style colour (red in the lowest byte) as 0xRRGGBB.
int ToModernColor(int style_color);

// The gallery's texts, colours, frame and page size from the style, with no photos yet.
CModernGallery StartModernGallery(const CStyleSettings& style);

// The settings of a modern page image, and of the images drawn from it: its thumbnails at 1x
// and 2x, each fitting in the style's thumbnail box or kModernThumbBox square, whichever is
// larger, keeping the aspect; then its medium size, kModernMediumSide square at most.
CImageSettings ModernPageImageSettings(const CStyleSettings& style, int max_size);
std::vector<CImageSettings> ModernThumbnailSettings(const CStyleSettings& style);

// The files of photo `index` (from 0) in the gallery at `root`: images/N.jpg, thumbs/N.jpg,
// thumbs2x/N.jpg and medium/N.jpg, N counted from 1.
CPhotoImagePaths ModernImagePaths(const std::string& root, const std::string& source, int index);

// The name under originals/ of the copy of photo `index`'s source, whose content is in the
// format of the file name extension `extension` (see ReadPhotoExtension): N and that
// extension, whatever the source is called, so that a photo named ".html" is never published
// as a page. Empty when `extension` is not one of 1 to 5 small letters and digits.
std::string ModernOriginalName(std::string_view extension, int index);

// What the pages show of one photo from what its image work made: a photo without a page image
// shows its title alone.
CModernPhoto ToModernPhoto(const std::string& title, const CPhotoImages& images,
                           std::vector<std::string> caption, std::string original);

// Every folder a modern gallery may have.
inline constexpr std::string_view kModernFolders[] = {"images",    "medium", "thumbs", "thumbs2x",
                                                      "originals", "assets"};

// Writes the modern gallery of `builder`'s collection into the empty folder `root`. 1 when
// every file was written (photos whose sources could not be made into images show their title
// alone, told to `observer`), 0 as soon as an image, page, asset or offered original could not
// be written (told to `observer` first) or `observer` asked to stop.
int BuildModernGallery(const CGalleryBuilder& builder, const CModernOptions& options,
                       const std::string& root, CGenerationObserver* observer);

}  // namespace gallery

#endif  // GALLERY_APP_MODERN_BUILD_H_
