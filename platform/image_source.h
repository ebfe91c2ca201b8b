#ifndef GALLERY_PLATFORM_IMAGE_SOURCE_H_
#define GALLERY_PLATFORM_IMAGE_SOURCE_H_

#include <string>

#include <vips/vips8>

namespace gallery {

// What one look at a source file tells before the imaging library opens it.
struct SourceFile {
  bool regular = false;     // a plain file: a FIFO or device in a photo's place is never read
  bool jpeg = false;        // begins with a JPEG start-of-image marker
  bool whole_jpeg = false;  // and ends with an end-of-image marker, as every complete one does
};

SourceFile InspectSourceFile(const std::string& path);

// Opens the regular file `file` describes for decoding; only its header is read now. JPEG files
// go straight to the JPEG decoder; any other file to the loader that recognises it, after the
// library's optional format modules have been loaded if no built-in loader did. Throws
// vips::VError when no loader takes the file or its header cannot be read.
vips::VImage OpenImageSource(const std::string& path, const SourceFile& file, VipsAccess access);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_IMAGE_SOURCE_H_
