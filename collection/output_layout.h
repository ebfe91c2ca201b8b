#ifndef GALLERY_COLLECTION_OUTPUT_LAYOUT_H_
#define GALLERY_COLLECTION_OUTPUT_LAYOUT_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace gallery {

// Where every file of a gallery goes and what it is called. The gallery root holds the output
// collection file and the index pages; everything else lies in one of five folders beside them.
// Numbers are written in decimal without sign or leading zeros; a photo's number is its position
// in the collection (from 0) and names its page image, its thumbnail and its page alike.

inline constexpr std::string_view kImagesFolder = "images";      // page images
inline constexpr std::string_view kThumbsFolder = "thumbs";      // thumbnails
inline constexpr std::string_view kPagesFolder = "pages";        // photo pages
inline constexpr std::string_view kAdvancedFolder = "advanced";  // navigation buttons
inline constexpr std::string_view kBorderFolder = "border";      // frame pieces

// Every folder a gallery has, in the order a run creates them.
inline constexpr std::array<std::string_view, 5> kGalleryFolders = {
    kImagesFolder, kThumbsFolder, kPagesFolder, kAdvancedFolder, kBorderFolder};

// Frame pieces are numbered from 0 below this.
inline constexpr int kFramePieceCount = 16;

// Page kinds of `GetPageFileName`.
inline constexpr int kPhotoPageKind = 0;
inline constexpr int kIndexPageKind = 1;

// The file name of page `number` of `count` of a kind: photo pages "7.htm", index pages
// "index.htm" for the first and "index-3.htm" after it. Any kind but kPhotoPageKind names index
// pages. Empty for a number outside 0 to count - 1, which the page writers read as "no such
// page".
std::string GetPageFileName(int kind, int number, int count);

// The file name of the page image and of the thumbnail of photo `index`, each in its folder.
std::string GetPhotoFileName(int64_t index);
// The file name of frame piece `piece`.
std::string GetFramePieceFileName(int piece);

// The navigation buttons, in the order they are written.
enum class NavigationButtonKind { kIndex, kFirst, kLast, kPrevious, kNext };
inline constexpr std::array<NavigationButtonKind, 5> kNavigationButtonKinds = {
    NavigationButtonKind::kIndex, NavigationButtonKind::kFirst, NavigationButtonKind::kLast,
    NavigationButtonKind::kPrevious, NavigationButtonKind::kNext};
// The file name of a button's image.
std::string_view GetButtonFileName(NavigationButtonKind button);

// True when some run, of any number of photos, writes a file named `name` in `folder` (one of
// kGalleryFolders), or with an empty `folder` an index page in the root.
bool IsGalleryFileName(std::string_view folder, std::string_view name);

// Paths: `folder` of the gallery at `root`, and a file `name` in it.
std::string GalleryFolderPath(const std::string& root, std::string_view folder);
std::string GalleryFilePath(const std::string& root, std::string_view folder,
                            std::string_view name);

// The link, from a page in `from_folder`, to the file `name` in `to_folder` (each one of
// kGalleryFolders, or empty for the root): the name alone within one folder, else the way out
// of `from_folder` ("../") and into `to_folder`. Every link between the files of a gallery is
// made by it.
std::string GalleryLink(std::string_view from_folder, std::string_view to_folder,
                        std::string_view name);

// Links from an index page (in the root) to the thumbnail and the page of photo `index`, and
// from a photo page to its page image.
std::string ThumbnailLink(int64_t index);
std::string PhotoPageLink(int64_t index);
std::string PageImageLink(int64_t index);

}  // namespace gallery

#endif  // GALLERY_COLLECTION_OUTPUT_LAYOUT_H_
