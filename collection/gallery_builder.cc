#include "collection/gallery_builder.h"

#include <optional>
#include <utility>

#include "collection/collection_document.h"
#include "platform/file_system.h"

namespace gallery {

// A colon further on is part of a name ("12:30 lunch.jpg"), as on this system it marks no
// drive. Nothing is escaped: the photo is opened under the very name the collection gives.
std::string ResolvePhotoPath(const std::string& photo_folder, const std::string& path) {
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  const bool absolute = path.starts_with('/') || path.starts_with("\\\\") || drive;
  return absolute ? path : photo_folder + "/" + path;
}

std::string CollectionPhotoFolder(const std::string& collection_path) {
  return ParentFolder(collection_path) + "/images";
}

LoadFailure CGalleryBuilder::Load(const std::string& path, XmlParseFault* fault) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return GetReadFailure(path);
  return LoadText(*bytes, path, fault);
}

LoadFailure CGalleryBuilder::LoadText(std::string_view bytes, const std::string& path,
                                      XmlParseFault* fault) {
  const std::string photo_folder = CollectionPhotoFolder(path);
  CCollectionDocument document;
  if (!document.OpenText(bytes, true, true)) {
    if (fault != nullptr && document.parse_fault()) *fault = *document.parse_fault();
    return document.open_failure();
  }

  // Everything is read into copies and moved in at the end, so a failure changes nothing.
  CStyleSettings style = style_;
  // An open document has its collection element, so this read does not fail.
  if (!document.ReadCollection(style.collection_title, style.collection_desc)) {
    return LoadFailure::kWrongRoot;
  }

  std::vector<CPhotoEntry> photos;
  // The count is asked again on every pass: a failed read closes the document, which then
  // reports no photos, and the entries read so far are kept.
  for (int index = 0; index < document.GetPhotoCount(); ++index) {
    CPhotoEntry photo;
    std::string source;
    if (!document.ReadPhoto(index, photo.title, source)) continue;
    photo.path = ResolvePhotoPath(photo_folder, source);
    photos.push_back(std::move(photo));
  }

  static_cast<void>(ReadStyle(document, style));
  style_ = std::move(style);
  photos_ = std::move(photos);
  return LoadFailure::kNone;
}

}  // namespace gallery
