#ifndef GALLERY_COLLECTION_PHOTO_RESULT_H_
#define GALLERY_COLLECTION_PHOTO_RESULT_H_

#include <string>

namespace gallery {

// Why a photo has no page image, decided where its image work failed.
enum class PhotoFailure {
  kNone,         // the page image was written
  kUnreadable,   // the source is missing, not a regular file, or cannot be opened
  kUndecodable,  // the source is no image that can be decoded, or is damaged
  kTooLarge,     // the source has more pixels than any image this program makes
  kNoMemory,     // the source needs more memory than the process's limit leaves for a photo
  kEmpty,        // the size asked for has no pixels (a thumbnail of a very thin source)
  kNotWritten,   // its file could not be written (the cause goes beside it as a WriteFailure)
  kNotAVideo,    // a video that ffmpeg cannot read, or could not make playable in browsers
};

// What the pages show of one photo: its title and the sizes its image work produced. A size
// stays 0 when that image was not made; a thumbnail's size counts even when no image of that
// size could be made, as the index pages lay out its cell from it.
struct CPhotoResult {
  std::string title;  // as read, never escaped
  int image_width = 0;
  int image_height = 0;
  int thumbnail_width = 0;
  int thumbnail_height = 0;
  PhotoFailure failure = PhotoFailure::kNone;  // of the page image
};

}  // namespace gallery

#endif  // GALLERY_COLLECTION_PHOTO_RESULT_H_
