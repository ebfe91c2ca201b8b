#ifndef GALLERY_COLLECTION_GALLERY_BUILDER_H_
#define GALLERY_COLLECTION_GALLERY_BUILDER_H_

#include <string>
#include <string_view>
#include <vector>

#include "collection/load_failure.h"
#include "collection/photo_entry.h"
#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "platform/file_system.h"

namespace gallery {
struct ButtonPattern;
class IImageCache;
struct XmlParseFault;

// Where the photos of the collection file at `collection_path` whose paths are not absolute
// are: the folder "images" beside it.
std::string CollectionPhotoFolder(const std::string& collection_path);

// `path` of a photo as a collection file gives it, resolved against `photo_folder`: a path that
// is absolute here, a network share or begins with a drive letter and a colon is kept; every
// other path, the empty one too, names a file in the photo folder.
std::string ResolvePhotoPath(const std::string& photo_folder, const std::string& path);

// Told how a generation goes, for front ends that show it; the host entry point uses none.
// Called on the thread that runs `Generate`, in photo order.
class CGenerationObserver {
 public:
  virtual ~CGenerationObserver() = default;
  // Photo `index` (from 0) is done: its images and its page were written where possible.
  virtual void OnPhotoDone(int index, int photo_count) = 0;
  // Photo `index` got no page image (nor thumbnail), for `cause`: its source could not be
  // made into one. An image that was made but could not be written is told by
  // `OnFileNotWritten` instead.
  virtual void OnPhotoFailed(int index, const std::string& source_path, PhotoFailure cause) = 0;
  // The file `path` of the gallery (an image, page or the output collection file) could not be
  // written, for `cause`; no file of an earlier run stays under its name, except the output
  // collection file, which is only ever replaced whole.
  virtual void OnFileNotWritten(const std::string& path, WriteFailure cause) = 0;
  // Asked before each photo's page and before the output collection file is saved: true ends
  // the generation there, which then returns 0 and leaves what it wrote.
  virtual bool StopRequested() { return false; }
};

// The generator of one run: the style preset and the photo list, loaded from a collection file
// and turned into a gallery. Each operation is defined beside the work it does; they report
// nothing but their results, and a file they cannot write is passed over (see PassOver). The
// builder does not start the imaging library: the process holds a `CImagingRuntime` while it makes
// images.
class CGalleryBuilder {
 public:
  CGalleryBuilder() = default;

  // Reads a collection file (collection/gallery_builder.cc): kNone when it loaded, else why
  // not, and then the builder is unchanged. Photo paths are resolved against the "images"
  // folder beside the file. For kNotXml a non-null `fault` receives where and why the parse
  // failed; it is left as it is for every other result.
  [[nodiscard]] LoadFailure Load(const std::string& path, XmlParseFault* fault = nullptr);
  // `Load` over the bytes of a collection file that lives at `path`.
  [[nodiscard]] LoadFailure LoadText(std::string_view bytes, const std::string& path,
                                     XmlParseFault* fault = nullptr);

  // Writes the gallery beside the output collection file `document_path` (generate/).
  // 1 when complete, 0 when the output collection file could not be built or saved or the
  // observer asked to stop, and 0 before writing anything when `document_path` is a folder or a
  // file it writes is one of the photos. First removes what killed runs left there: the caller
  // keeps other runs out.
  int Generate(const std::string& document_path, bool thumbnails);

  // The five navigation buttons into `folder` (generate/navigation_buttons.cc).
  void WriteNavigationButtons(const std::string& folder);
  WriteFailure WriteButtonImage(const ButtonPattern& pattern, const std::string& path);

  // JPEG saving (imaging/jpeg_saving.cc). `pixels` holds `width` x `height` pixels of 4 bytes
  // (blue, green, red, unused), first row at the bottom of the image. 1 when written, 0 when
  // not, including for no buffer or a width or height under 2.
  int SavePixelsAsJpeg(const std::string& path, const unsigned char* pixels, int width, int height,
                       int quality);

  // Frame piece `piece` (0 to 15) of the style's frame (imaging/frame_piece.cc). A frame that
  // cannot be drawn (a border size under 1 or over the largest) writes nothing, which is no
  // failure to write: kNone.
  WriteFailure WriteFramePiece(const std::string& path, int piece);

  // The observer of later `Generate` calls, or none; the builder does not own it.
  void SetObserver(CGenerationObserver* observer) { observer_ = observer; }

  // How many photos have their images made at once by later `Generate` calls: -1 (the
  // default) chooses by the machine (`ImageWorkerCount`), 0 makes them one after the other.
  // The files written are the same either way.
  void SetImageWorkers(int workers) { image_workers_ = workers; }

  // Where later `Generate` calls take page images and thumbnails from, or none (the default):
  // each image is then made afresh. The builder does not own it.
  void SetImageCache(IImageCache* cache) { image_cache_ = cache; }
  IImageCache* image_cache() const { return image_cache_; }

  CStyleSettings& style() { return style_; }
  const CStyleSettings& style() const { return style_; }
  std::vector<CPhotoEntry>& photos() { return photos_; }
  const std::vector<CPhotoEntry>& photos() const { return photos_; }

 private:
  // What becomes of a file of the gallery that could not be written: what an earlier run left
  // under its name goes, as it would not match the rest, and the observer is told. Nothing for
  // kNone.
  void PassOver(const std::string& path, WriteFailure cause);

  CStyleSettings style_;
  std::vector<CPhotoEntry> photos_;
  CGenerationObserver* observer_ = nullptr;
  int image_workers_ = -1;
  IImageCache* image_cache_ = nullptr;
};

}  // namespace gallery

#endif  // GALLERY_COLLECTION_GALLERY_BUILDER_H_
