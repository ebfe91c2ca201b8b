#ifndef GALLERY_COLLECTION_LIBRARY_H_
#define GALLERY_COLLECTION_LIBRARY_H_

#include <optional>
#include <string>
#include <string_view>

#include "collection/album.h"
#include "collection/load_failure.h"
#include "platform/xml_document.h"

namespace gallery {
struct CStyleSettings;

// How a gallery looks: the modern pages, or the classic ones that the host entry point writes.
enum class Theme { kModern, kClassic };

// How photos and albums are ordered: by name, or by the date taken (undated ones last).
enum class PhotoOrder { kName, kDate };

// Where the titles of the photos that a collection is made from, or that an update adds, come
// from.
enum class TitleSource {
  kChosen,  // a person's file name; the date taken for a name a camera or phone made
  kNames,   // every file name
  kDates,   // the date taken of every photo
  kNone,    // no titles
};

// The page images' longer side by default, and the largest cap that can be asked for.
inline constexpr int kDefaultMaxSize = 2048;
inline constexpr int kLargestMaxSize = 16384;

// The choices a gallery was made with, as its collection file keeps them in the attributes of
// its "gallery" element: theme, captions, originals, max-size, thumbnails, sort, titles and
// lang. Each is nothing where the file says nothing.
struct CGallerySettings {
  std::optional<Theme> theme;
  std::optional<bool> captions;
  std::optional<bool> originals;
  std::optional<int> max_size;
  std::optional<bool> thumbnails;
  std::optional<PhotoOrder> order;
  std::optional<TitleSource> titles;  // "auto" (kChosen), "names", "dates" or "none"
  // The modern pages' language as written, a code such as "de". The pages know their
  // languages, so the value is checked by the caller.
  std::optional<std::string> language;

  bool operator==(const CGallerySettings&) const = default;
};

// A collection file read as albums. The root album holds the collection's title, description,
// the folder it was made from ("folder" of the collection element; empty when it names none),
// its own photos and its albums; each album element has "title", "desc", "folder" and "cover".
struct CLibrary {
  CAlbum root;
  std::optional<CGallerySettings> settings;  // nothing when the file has no gallery element
};

// Why a library did not load: `failure` as `CGalleryBuilder::Load` tells it (with `parse` for
// kNotXml; a style element is not needed), or, with `failure` kNone, a recorded setting that
// makes no sense: its attribute of the gallery element and its value as written.
struct CLibraryFault {
  LoadFailure failure = LoadFailure::kNone;
  XmlParseFault parse;
  std::string attribute;
  std::string value;
};

// The library of the bytes of the collection file at `path`. With `resolve`, photo paths and
// covers are resolved as `CGalleryBuilder::Load` resolves photo paths; else they are kept as
// written. Unknown elements and attributes are passed over. Nothing when it does not load, and
// then `fault` says why.
std::optional<CLibrary> ReadLibrary(std::string_view bytes, const std::string& path, bool resolve,
                                    CLibraryFault& fault);
// Resolves the photo paths and covers of `album` and its albums, which are as written in the
// collection file at `collection_path`, as `CGalleryBuilder::Load` resolves photo paths.
void ResolveAlbumPaths(CAlbum& album, const std::string& collection_path);

// `ReadLibrary` of the file at `path`.
std::optional<CLibrary> LoadLibrary(const std::string& path, bool resolve, CLibraryFault& fault);

// The values the gallery element's `attribute` takes, for a person: "'yes' or 'no'".
std::string DescribeSettingValues(std::string_view attribute);

// The bytes of a collection file that holds `library` (paths and covers as they are; the
// settings only where set) and the style element of `style`. Nothing when it cannot be built.
std::optional<std::string> RenderLibrary(const CLibrary& library, const CStyleSettings& style);

}  // namespace gallery

#endif  // GALLERY_COLLECTION_LIBRARY_H_
