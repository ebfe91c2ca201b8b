#ifndef GALLERY_COLLECTION_COLLECTION_DOCUMENT_H_
#define GALLERY_COLLECTION_COLLECTION_DOCUMENT_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collection/load_failure.h"
#include "platform/file_system.h"
#include "platform/xml_document.h"

namespace gallery {

// A collection file opened for reading or being built for writing. It is closed, writing or
// reading; any operation that fails closes it, and a closed document fails every operation but
// `Create` and `Open` (`GetPhotoCount` gives 0). Texts are UTF-8.
class CCollectionDocument {
 public:
  // Reading. `Open` reads the file; `OpenText` takes its bytes. Both need the closed state and
  // a root element named "collection", and with `want_style` a "style" child of it.
  bool Open(const std::string& path, bool want_photos, bool want_style);
  bool OpenText(std::string_view bytes, bool want_photos, bool want_style);
  // Why the last `Open` or `OpenText` begun in the closed state failed; kNone once one opened.
  LoadFailure open_failure() const { return open_failure_; }
  // Where and why the parse failed, when the last open failed with kNotXml; else nothing.
  const std::optional<XmlParseFault>& parse_fault() const { return parse_fault_; }
  // The collection's "title" and "desc", empty where absent.
  bool ReadCollection(std::string& title, std::string& description);
  int GetPhotoCount() const;
  // The "title" and "path" of photo element `index`, empty where absent.
  bool ReadPhoto(int index, std::string& title, std::string& path);
  // Attributes of the style element. An absent attribute fails without closing the document
  // and leaves the output unchanged. A number is scanned as " %d" does: blanks skipped, then a
  // sign and digits; when no number is found the output keeps its value and the read succeeds.
  // A number beyond the 32-bit range reads as the nearest end of that range.
  bool ReadText(std::string_view key, std::string& text);
  bool ReadNumber(std::string_view key, int& number);

  // Writing.
  bool Create();
  bool BeginCollection(const std::string& title, const std::string& description);
  bool SetCollectionAttribute(std::string_view name, std::string_view value);
  // A photo goes into the album begun last and not yet ended, else into the collection.
  bool AddPhoto();
  // A video element, placed as a photo is; its attributes are set by `SetPhotoAttribute`.
  bool AddVideo();
  bool SetPhotoAttribute(std::string_view name, std::string_view value);
  // An album element, as the last child of the open album or of the collection; photos and
  // albums added until its `EndAlbum` go into it.
  bool BeginAlbum();
  bool SetAlbumAttribute(std::string_view name, std::string_view value);
  bool EndAlbum();
  // The one element of the collection named `name` that holds settings as attributes, such as
  // the style element.
  bool AddSettings(std::string_view name);
  bool SetSettingsAttribute(std::string_view name, std::string_view value);
  bool AddStyle();
  bool SetStyleText(std::string_view name, std::string_view text);
  bool SetStyleNumber(std::string_view name, int number);
  // Writes the document to `path` (whole or not at all) and closes it.
  bool Save(const std::string& path);
  // Why the last `Save` failed (kOther when there was no document to save), or kNone.
  WriteFailure save_failure() const { return save_failure_; }
  // The bytes `Save` would write; closes the document.
  std::optional<std::string> SaveText();

 private:
  enum class State { kClosed, kWriting, kReading };

  // Releases the document and every element handle and returns to the closed state.
  void Close();
  // Closes the document and reports failure.
  bool Fail();
  // Records why opening failed, then fails.
  bool FailOpen(LoadFailure cause);

  State state_ = State::kClosed;
  LoadFailure open_failure_ = LoadFailure::kNone;
  WriteFailure save_failure_ = WriteFailure::kNone;
  std::optional<XmlParseFault> parse_fault_;
  std::optional<XmlDocument> document_;
  XmlElement collection_;
  XmlElement current_photo_;
  XmlElement style_;
  XmlElement settings_;
  std::vector<XmlElement> open_albums_;  // outermost first
  std::vector<XmlElement> photos_;
  bool have_photo_list_ = false;
};

}  // namespace gallery

#endif  // GALLERY_COLLECTION_COLLECTION_DOCUMENT_H_
