#ifndef GALLERY_APP_PHOTO_FOLDER_H_
#define GALLERY_APP_PHOTO_FOLDER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collection/library.h"

namespace gallery {
struct CStyleSettings;

// One photo or video found in a folder.
struct CFolderPhoto {
  std::string path;        // absolute
  std::string name;        // the file name
  std::string title;       // made from the file name
  std::string date_taken;  // "YYYY:MM:DD HH:MM:SS", or empty when unknown (always, for videos)
  bool video = false;      // its name is a video's (see IsVideoFileName)
};

// A file of the folder that looked like a photo but is left out, and why.
struct CSkippedFile {
  std::string path;
  std::string reason;
};

struct CFolderScan {
  std::vector<CFolderPhoto> photos;
  std::vector<CSkippedFile> skipped;
  std::vector<std::string> mended;  // paths of photos whose titles leave out control characters
};

// True when the name ends in an extension of an image format the program decodes (any letter
// case) and is no hidden file.
bool IsPhotoFileName(std::string_view name);

// True when the name ends in ".mp4", ".mov", ".m4v" or ".webm" (any letter case) and is no
// hidden file: a video, which a modern gallery shows beside the photos.
bool IsVideoFileName(std::string_view name);

// A title from a file name: the extension dropped, "_" and "-" read as spaces, a space before a
// capital that follows two or more small letters, runs of blanks made one, blanks at the ends
// removed. The name itself when that leaves nothing.
std::string TitleFromFileName(std::string_view name);

// `text` as UTF-8 that shows as written: each byte that is no part of a valid UTF-8 character
// becomes U+FFFD, and control characters (U+0000 to U+001F and U+007F) are dropped.
std::string MendText(std::string_view text);

// What keeps a collection file (XML) from carrying a text unchanged.
enum class TextFault {
  kNone,
  kNotUtf8,           // a byte that is no part of a valid UTF-8 character
  kControlCharacter,  // a control character other than tab, line feed and carriage return
};
TextFault FindTextFault(std::string_view text);

// True when a collection file (XML) can carry `text` unchanged: no `TextFault`.
bool IsCollectionText(std::string_view text);

// `text` safe to print on a terminal: control characters and bytes that are no part of a valid
// UTF-8 character written as "\xHH", backslashes doubled.
std::string EscapeForTerminal(std::string_view text);

// A title that shows `text` as written once placed in a page, where titles are HTML: "&", "<",
// ">", and both quotes become entities, and "%" becomes "&#37;", which no placeholder expansion
// of the pages reads as anything but text.
std::string TitleAsHtml(std::string_view text);

// Orders names as a person expects: letters without regard to case, accented ones beside the
// plain ones ("Été" before "Zoë"), and runs of digits by their value ("img2" before "img10");
// names that compare equal so are ordered bytewise.
bool NaturalLess(std::string_view left, std::string_view right);

// Sorts by name, or by date taken with the undated photos after the dated ones, each group
// by name.
void SortPhotos(std::vector<CFolderPhoto>& photos, PhotoOrder order);

// The photos and videos directly in `folder` (no subfolders), sorted together, titled by
// `TitleFromFileName` made HTML by `TitleAsHtml`. Files that look like photos but are not regular
// readable files, or whose names the collection format cannot carry, are listed as skipped. Dates
// are read only for date order; the imaging library must then be started. Nothing when the folder
// cannot be read.
std::optional<CFolderScan> ScanPhotoFolder(const std::string& folder, PhotoOrder order);

// The bytes of a collection file with the given texts, one photo element per photo (its
// absolute path and title; a video element for a video) and the style element from `style`. Nothing
// when it cannot be built.
std::optional<std::string> RenderCollection(const std::string& title,
                                            const std::string& description,
                                            const std::vector<CFolderPhoto>& photos,
                                            const CStyleSettings& style);

}  // namespace gallery

#endif  // GALLERY_APP_PHOTO_FOLDER_H_
