#include "collection/collection_document.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace gallery {
namespace {

// White space as the C library's isspace sees it in the "C" locale.
bool IsScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a number the way a " %d" scan does, but clamps instead of overflowing.
std::optional<int> ScanNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
  // Magnitudes stop growing one past INT_MAX + 1, so any number of digits stays in range.
  constexpr int64_t kLimit = int64_t{INT_MAX} + 2;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), kLimit);
  }
  const int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace

void CCollectionDocument::Close() {
  photos_.clear();
  have_photo_list_ = false;
  style_ = XmlElement();
  settings_ = XmlElement();
  open_albums_.clear();
  current_photo_ = XmlElement();
  collection_ = XmlElement();
  document_.reset();
  state_ = State::kClosed;
}

bool CCollectionDocument::Fail() {
  Close();
  return false;
}

bool CCollectionDocument::FailOpen(LoadFailure cause) {
  open_failure_ = cause;
  return Fail();
}

bool CCollectionDocument::Open(const std::string& path, bool want_photos, bool want_style) {
  if (state_ != State::kClosed) return Fail();
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    parse_fault_.reset();
    return FailOpen(GetReadFailure(path));
  }
  return OpenText(*bytes, want_photos, want_style);
}

bool CCollectionDocument::OpenText(std::string_view bytes, bool want_photos, bool want_style) {
  if (state_ != State::kClosed) return Fail();
  parse_fault_.reset();
  // Only what is read is kept: the photo elements and the first style element.
  std::vector<XmlKeptChildren> kept;
  if (want_photos) kept.push_back({"photo", false});
  if (want_style) kept.push_back({"style", true});
  // With nothing wanted, a name no element has keeps none.
  if (kept.empty()) kept.push_back({"", true});
  XmlParseFault fault;
  document_ = XmlDocument::Parse(bytes, kept, &fault);
  if (!document_) {
    parse_fault_ = fault;
    return FailOpen(LoadFailure::kNotXml);
  }
  collection_ = document_->Root("collection");
  if (!collection_) return FailOpen(LoadFailure::kWrongRoot);
  if (want_photos) {
    photos_ = collection_.Children("photo");
    have_photo_list_ = true;
  }
  if (want_style) {
    style_ = collection_.FirstChild("style");
    if (!style_) return FailOpen(LoadFailure::kNoStyle);
  }
  state_ = State::kReading;
  open_failure_ = LoadFailure::kNone;
  return true;
}

bool CCollectionDocument::ReadCollection(std::string& title, std::string& description) {
  if (state_ != State::kReading || !collection_) return Fail();
  title = collection_.Attribute("title").value_or(std::string());
  description = collection_.Attribute("desc").value_or(std::string());
  return true;
}

int CCollectionDocument::GetPhotoCount() const {
  if (state_ != State::kReading || !have_photo_list_) return 0;
  return static_cast<int>(std::min<size_t>(photos_.size(), INT_MAX));
}

bool CCollectionDocument::ReadPhoto(int index, std::string& title, std::string& path) {
  if (index < 0 || index >= GetPhotoCount()) return Fail();
  const XmlElement& photo = photos_[static_cast<size_t>(index)];
  title = photo.Attribute("title").value_or(std::string());
  path = photo.Attribute("path").value_or(std::string());
  return true;
}

bool CCollectionDocument::ReadText(std::string_view key, std::string& text) {
  if (state_ != State::kReading || !style_) return Fail();
  std::optional<std::string> value = style_.Attribute(key);
  if (!value) return false;
  text = std::move(*value);
  return true;
}

bool CCollectionDocument::ReadNumber(std::string_view key, int& number) {
  if (state_ != State::kReading || !style_) return Fail();
  std::optional<std::string> value = style_.Attribute(key);
  if (!value) return false;
  if (std::optional<int> scanned = ScanNumber(*value)) number = *scanned;
  return true;
}

bool CCollectionDocument::Create() {
  if (state_ != State::kClosed) return Fail();
  document_ = XmlDocument::CreateEmpty();
  if (!document_) return Fail();
  state_ = State::kWriting;
  return true;
}

bool CCollectionDocument::BeginCollection(const std::string& title,
                                          const std::string& description) {
  if (state_ != State::kWriting || collection_) return Fail();
  collection_ = document_->SetRoot("collection");
  if (!collection_) return Fail();
  if (!collection_.SetAttribute("title", title)) return Fail();
  if (!collection_.SetAttribute("desc", description)) return Fail();
  return true;
}

bool CCollectionDocument::SetCollectionAttribute(std::string_view name, std::string_view value) {
  if (state_ != State::kWriting || !collection_) return Fail();
  if (!collection_.SetAttribute(name, value)) return Fail();
  return true;
}

bool CCollectionDocument::AddPhoto() {
  if (state_ != State::kWriting || !collection_) return Fail();
  XmlElement& parent = open_albums_.empty() ? collection_ : open_albums_.back();
  current_photo_ = parent.AppendChild("photo");
  if (!current_photo_) return Fail();
  return true;
}

bool CCollectionDocument::AddVideo() {
  if (state_ != State::kWriting || !collection_) return Fail();
  XmlElement& parent = open_albums_.empty() ? collection_ : open_albums_.back();
  current_photo_ = parent.AppendChild("video");
  if (!current_photo_) return Fail();
  return true;
}

bool CCollectionDocument::SetPhotoAttribute(std::string_view name, std::string_view value) {
  if (state_ != State::kWriting || !current_photo_) return Fail();
  if (!current_photo_.SetAttribute(name, value)) return Fail();
  return true;
}

bool CCollectionDocument::BeginAlbum() {
  if (state_ != State::kWriting || !collection_) return Fail();
  XmlElement& parent = open_albums_.empty() ? collection_ : open_albums_.back();
  XmlElement album = parent.AppendChild("album");
  if (!album) return Fail();
  open_albums_.push_back(album);
  return true;
}

bool CCollectionDocument::SetAlbumAttribute(std::string_view name, std::string_view value) {
  if (state_ != State::kWriting || open_albums_.empty()) return Fail();
  if (!open_albums_.back().SetAttribute(name, value)) return Fail();
  return true;
}

bool CCollectionDocument::EndAlbum() {
  if (state_ != State::kWriting || open_albums_.empty()) return Fail();
  open_albums_.pop_back();
  current_photo_ = XmlElement();
  return true;
}

bool CCollectionDocument::AddSettings(std::string_view name) {
  if (state_ != State::kWriting || !collection_) return Fail();
  settings_ = collection_.AppendChild(name);
  if (!settings_) return Fail();
  return true;
}

bool CCollectionDocument::SetSettingsAttribute(std::string_view name, std::string_view value) {
  if (state_ != State::kWriting || !settings_) return Fail();
  if (!settings_.SetAttribute(name, value)) return Fail();
  return true;
}

bool CCollectionDocument::AddStyle() {
  if (state_ != State::kWriting || !collection_) return Fail();
  style_ = collection_.AppendChild("style");
  if (!style_) return Fail();
  return true;
}

bool CCollectionDocument::SetStyleText(std::string_view name, std::string_view text) {
  if (state_ != State::kWriting || !style_) return Fail();
  if (!style_.SetAttribute(name, text)) return Fail();
  return true;
}

bool CCollectionDocument::SetStyleNumber(std::string_view name, int number) {
  return SetStyleText(name, std::to_string(number));
}

bool CCollectionDocument::Save(const std::string& path) {
  if (state_ != State::kWriting) {
    save_failure_ = WriteFailure::kOther;
    return Fail();
  }
  // Written as it is made: the text of a large collection, escaped, can be several times the
  // size of the collection.
  save_failure_ =
      TryWriteFileWith(path, [this](int descriptor) { return document_->WriteTo(descriptor); });
  Close();
  return save_failure_ == WriteFailure::kNone;
}

std::optional<std::string> CCollectionDocument::SaveText() {
  if (state_ != State::kWriting) {
    static_cast<void>(Fail());
    return std::nullopt;
  }
  std::optional<std::string> bytes = document_->Serialize();
  Close();
  return bytes;
}

}  // namespace gallery
