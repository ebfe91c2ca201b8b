#include "collection/library.h"

#include <charconv>
#include <utility>
#include <vector>

#include "collection/collection_document.h"
#include "collection/gallery_builder.h"
#include "collection/style_settings.h"
#include "platform/file_system.h"

namespace gallery {
namespace {

constexpr std::string_view kSettingsElement = "gallery";

// The photos and albums inside `element` into `album`; the parse keeps nesting shallow enough
// for this to recurse.
void ReadAlbumContent(const XmlElement& element, CAlbum& album) {
  for (const XmlElement& item : element.Children({"photo", "video"})) {
    album.photos.push_back({item.Attribute("path").value_or(""),
                            item.Attribute("title").value_or(""), item.IsNamed("video")});
  }
  for (const XmlElement& child : element.Children("album")) {
    CAlbum sub_album;
    sub_album.title = child.Attribute("title").value_or("");
    sub_album.description = child.Attribute("desc").value_or("");
    sub_album.folder = child.Attribute("folder").value_or("");
    sub_album.cover = child.Attribute("cover").value_or("");
    ReadAlbumContent(child, sub_album);
    album.albums.push_back(std::move(sub_album));
  }
}

void ResolveIn(CAlbum& album, const std::string& photo_folder) {
  for (CPhotoEntry& photo : album.photos) photo.path = ResolvePhotoPath(photo_folder, photo.path);
  if (!album.cover.empty()) album.cover = ResolvePhotoPath(photo_folder, album.cover);
  for (CAlbum& sub_album : album.albums) ResolveIn(sub_album, photo_folder);
}

std::optional<bool> ReadYesNo(const std::string& value) {
  if (value == "yes") return true;
  if (value == "no") return false;
  return std::nullopt;
}

constexpr std::pair<TitleSource, std::string_view> kTitleSourceNames[] = {
    {TitleSource::kChosen, "auto"},
    {TitleSource::kNames, "names"},
    {TitleSource::kDates, "dates"},
    {TitleSource::kNone, "none"}};

std::optional<TitleSource> ReadTitleSource(std::string_view value) {
  for (const auto& [source, name] : kTitleSourceNames) {
    if (name == value) return source;
  }
  return std::nullopt;
}

std::string_view TitleSourceName(TitleSource source) {
  for (const auto& [known, name] : kTitleSourceNames) {
    if (known == source) return name;
  }
  return "auto";
}

// The settings of the gallery element; false, with `fault` naming the first attribute whose
// value makes no sense, when one does not.
bool ReadSettings(const XmlElement& element, CGallerySettings& settings, CLibraryFault& fault) {
  const auto bad = [&fault](std::string_view attribute, const std::string& value) {
    fault.attribute = std::string(attribute);
    fault.value = value;
    return false;
  };
  if (std::optional<std::string> value = element.Attribute("theme")) {
    if (*value == "modern") {
      settings.theme = Theme::kModern;
    } else if (*value == "classic") {
      settings.theme = Theme::kClassic;
    } else {
      return bad("theme", *value);
    }
  }
  const std::pair<std::string_view, std::optional<bool>*> switches[] = {
      {"captions", &settings.captions},
      {"originals", &settings.originals},
      {"thumbnails", &settings.thumbnails}};
  for (const auto& [name, field] : switches) {
    std::optional<std::string> value = element.Attribute(name);
    if (!value) continue;
    *field = ReadYesNo(*value);
    if (!*field) return bad(name, *value);
  }
  if (std::optional<std::string> value = element.Attribute("max-size")) {
    int size = -1;
    const char* end = value->data() + value->size();
    const auto [stop, error] = std::from_chars(value->data(), end, size);
    if (value->empty() || error != std::errc() || stop != end || size < 0 ||
        size > kLargestMaxSize) {
      return bad("max-size", *value);
    }
    settings.max_size = size;
  }
  if (std::optional<std::string> value = element.Attribute("titles")) {
    settings.titles = ReadTitleSource(*value);
    if (!settings.titles) return bad("titles", *value);
  }
  if (std::optional<std::string> value = element.Attribute("lang")) settings.language = *value;
  if (std::optional<std::string> value = element.Attribute("sort")) {
    if (*value == "name") {
      settings.order = PhotoOrder::kName;
    } else if (*value == "date") {
      settings.order = PhotoOrder::kDate;
    } else {
      return bad("sort", *value);
    }
  }
  return true;
}

bool WritePhotos(CCollectionDocument& document, const std::vector<CPhotoEntry>& photos) {
  for (const CPhotoEntry& photo : photos) {
    if (!(photo.video ? document.AddVideo() : document.AddPhoto()) ||
        !document.SetPhotoAttribute("path", photo.path) ||
        !document.SetPhotoAttribute("title", photo.title)) {
      return false;
    }
  }
  return true;
}

bool WriteAlbums(CCollectionDocument& document, const std::vector<CAlbum>& albums) {
  for (const CAlbum& album : albums) {
    if (!document.BeginAlbum() || !document.SetAlbumAttribute("title", album.title) ||
        !document.SetAlbumAttribute("desc", album.description) ||
        (!album.folder.empty() && !document.SetAlbumAttribute("folder", album.folder)) ||
        (!album.cover.empty() && !document.SetAlbumAttribute("cover", album.cover)) ||
        !WritePhotos(document, album.photos) || !WriteAlbums(document, album.albums) ||
        !document.EndAlbum()) {
      return false;
    }
  }
  return true;
}

bool WriteSettings(CCollectionDocument& document, const CGallerySettings& settings) {
  if (!document.AddSettings(kSettingsElement)) return false;
  const auto yes_no = [](bool value) { return value ? "yes" : "no"; };
  if (settings.theme && !document.SetSettingsAttribute(
                            "theme", *settings.theme == Theme::kModern ? "modern" : "classic")) {
    return false;
  }
  if (settings.captions && !document.SetSettingsAttribute("captions", yes_no(*settings.captions))) {
    return false;
  }
  if (settings.originals &&
      !document.SetSettingsAttribute("originals", yes_no(*settings.originals))) {
    return false;
  }
  if (settings.max_size &&
      !document.SetSettingsAttribute("max-size", std::to_string(*settings.max_size))) {
    return false;
  }
  if (settings.thumbnails &&
      !document.SetSettingsAttribute("thumbnails", yes_no(*settings.thumbnails))) {
    return false;
  }
  if (settings.titles &&
      !document.SetSettingsAttribute("titles", std::string(TitleSourceName(*settings.titles)))) {
    return false;
  }
  if (settings.language && !document.SetSettingsAttribute("lang", *settings.language)) {
    return false;
  }
  if (settings.order && !document.SetSettingsAttribute(
                            "sort", *settings.order == PhotoOrder::kName ? "name" : "date")) {
    return false;
  }
  return true;
}

}  // namespace

std::optional<CLibrary> ReadLibrary(std::string_view bytes, const std::string& path, bool resolve,
                                    CLibraryFault& fault) {
  fault = CLibraryFault{};
  const XmlKeptChildren kept[] = {
      {"photo", false}, {"video", false}, {"album", false, true}, {kSettingsElement, true}};
  XmlParseFault parse_fault;
  std::optional<XmlDocument> document = XmlDocument::Parse(bytes, kept, &parse_fault);
  if (!document) {
    fault.failure = LoadFailure::kNotXml;
    fault.parse = parse_fault;
    return std::nullopt;
  }
  const XmlElement collection = document->Root("collection");
  if (!collection) {
    fault.failure = LoadFailure::kWrongRoot;
    return std::nullopt;
  }
  CLibrary library;
  library.root.title = collection.Attribute("title").value_or("");
  library.root.description = collection.Attribute("desc").value_or("");
  library.root.folder = collection.Attribute("folder").value_or("");
  ReadAlbumContent(collection, library.root);
  if (resolve) ResolveAlbumPaths(library.root, path);
  if (const XmlElement settings = collection.FirstChild(kSettingsElement)) {
    library.settings.emplace();
    if (!ReadSettings(settings, *library.settings, fault)) return std::nullopt;
  }
  return library;
}

void ResolveAlbumPaths(CAlbum& album, const std::string& collection_path) {
  ResolveIn(album, CollectionPhotoFolder(collection_path));
}

std::optional<CLibrary> LoadLibrary(const std::string& path, bool resolve, CLibraryFault& fault) {
  fault = CLibraryFault{};
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    fault.failure = GetReadFailure(path);
    return std::nullopt;
  }
  return ReadLibrary(*bytes, path, resolve, fault);
}

std::string DescribeSettingValues(std::string_view attribute) {
  if (attribute == "theme") return "'modern' or 'classic'";
  if (attribute == "max-size") {
    return "a number of pixels from 0 (the photo's own size) to " + std::to_string(kLargestMaxSize);
  }
  if (attribute == "sort") return "'name' or 'date'";
  if (attribute == "titles") return "'auto', 'names', 'dates' or 'none'";
  return "'yes' or 'no'";
}

std::optional<std::string> RenderLibrary(const CLibrary& library, const CStyleSettings& style) {
  CCollectionDocument document;
  if (!document.Create() ||
      !document.BeginCollection(library.root.title, library.root.description)) {
    return std::nullopt;
  }
  if (!library.root.folder.empty() &&
      !document.SetCollectionAttribute("folder", library.root.folder)) {
    return std::nullopt;
  }
  if (!WritePhotos(document, library.root.photos) || !WriteAlbums(document, library.root.albums) ||
      !WriteStyle(document, style)) {
    return std::nullopt;
  }
  if (library.settings && !WriteSettings(document, *library.settings)) return std::nullopt;
  return document.SaveText();
}

}  // namespace gallery
