#include "cache/cache_entry.h"

#include <unistd.h>
#include <zlib.h>

#include <charconv>
#include <string>

#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

constexpr std::string_view kRecordMagic = "gallerygen-cache-entry";

// Reads one decimal field and the space or line feed after it from the front of `text`.
template <typename T>
bool TakeNumber(std::string_view& text, T& value, char end) {
  const auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || rest == text.data() + text.size() || *rest != end) return false;
  text.remove_prefix(static_cast<size_t>(rest - text.data()) + 1);
  return true;
}

bool PathExists(const std::string& path) { return GetPathKind(path) != PathKind::kMissing; }

}  // namespace

uint32_t Crc32(std::string_view bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes its lengths as unsigned int, so a long input goes in parts.
  constexpr size_t kPart = 1u << 30;
  while (!bytes.empty()) {
    const size_t part = std::min(bytes.size(), kPart);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(part));
    bytes.remove_prefix(part);
  }
  return static_cast<uint32_t>(crc);
}

std::string FormatEntryRecord(const CEntryRecord& record) {
  // The key is last and runs to the end: a path in it may hold any character.
  return std::string(kRecordMagic) + ' ' + std::to_string(record.length) + ' ' +
         std::to_string(record.crc) + ' ' + std::to_string(record.size.width) + ' ' +
         std::to_string(record.size.height) + '\n' + record.key;
}

std::optional<CEntryRecord> ParseEntryRecord(std::string_view bytes) {
  if (!bytes.starts_with(kRecordMagic) || bytes.size() == kRecordMagic.size() ||
      bytes[kRecordMagic.size()] != ' ') {
    return std::nullopt;
  }
  bytes.remove_prefix(kRecordMagic.size() + 1);
  CEntryRecord record;
  if (!TakeNumber(bytes, record.length, ' ') || !TakeNumber(bytes, record.crc, ' ') ||
      !TakeNumber(bytes, record.size.width, ' ') || !TakeNumber(bytes, record.size.height, '\n') ||
      record.length < 0) {
    return std::nullopt;
  }
  record.key = std::string(bytes);
  return record;
}

bool MatchesRecord(const CEntryRecord& record, std::string_view image) {
  return static_cast<int64_t>(image.size()) == record.length && Crc32(image) == record.crc;
}

std::string EntryImagePath(const std::string& folder, const std::string& name) {
  return folder + "/" + name + std::string(kEntryImageExtension);
}

std::string EntryRecordPath(const std::string& folder, const std::string& name) {
  return folder + "/" + name + std::string(kEntryRecordExtension);
}

std::optional<PhotoSize> FetchEntry(const std::string& folder, const std::string& name,
                                    const std::string& key, const std::string& path) {
  const std::optional<std::string> record_bytes = ReadFileBytes(EntryRecordPath(folder, name));
  if (!record_bytes) return std::nullopt;
  const std::optional<CEntryRecord> record = ParseEntryRecord(*record_bytes);
  // Another key of the same name is no damage: the entry is simply not this image's.
  if (record && record->key != key) return std::nullopt;
  const std::string image_path = EntryImagePath(folder, name);
  if (record && LinkFile(image_path, path)) {
    // What is checked is the file now at `path`, so that nothing that replaced the entry
    // between a check and the link can slip through.
    const std::optional<std::string> linked = ReadFileBytes(path);
    if (linked && MatchesRecord(*record, *linked)) {
      static_cast<void>(TouchFile(EntryRecordPath(folder, name)));
      return record->size;
    }
    static_cast<void>(RemoveFile(path));
  } else if (record) {
    const std::optional<std::string> image = ReadFileBytes(image_path);
    if (image && MatchesRecord(*record, *image)) {
      if (!WriteFileBytes(path, *image)) return std::nullopt;
      static_cast<void>(TouchFile(EntryRecordPath(folder, name)));
      return record->size;
    }
    // A record without its image is what a killed store or a concurrent trim leaves: no damage.
    if (!image && !PathExists(image_path)) return std::nullopt;
  }
  static_cast<void>(RemoveEntry(folder, name));
  return std::nullopt;
}

bool StoreEntry(const std::string& folder, const std::string& name, const CEntryRecord& record,
                const std::string& made_path, std::string_view image, unsigned temporary_tag) {
  const std::string image_path = EntryImagePath(folder, name);
  // Named as the temporary files of WriteFileBytes are, so that trimming knows them.
  const std::string temporary =
      image_path + "." + std::to_string(getpid()) + "-" + std::to_string(temporary_tag) + ".tmp";
  bool stored = false;
  if (LinkFile(made_path, temporary)) {
    stored = RenamePath(temporary, image_path);
    if (!stored) static_cast<void>(RemoveFile(temporary));
  }
  if (!stored && !WriteFileBytes(image_path, image)) return false;
  return WriteFileBytes(EntryRecordPath(folder, name), FormatEntryRecord(record));
}

bool RemoveEntry(const std::string& folder, const std::string& name) {
  // The record goes first: an image without its record is never taken for a whole entry.
  const std::string record_path = EntryRecordPath(folder, name);
  const std::string image_path = EntryImagePath(folder, name);
  static_cast<void>(RemoveFile(record_path));
  static_cast<void>(RemoveFile(image_path));
  return !PathExists(record_path) && !PathExists(image_path);
}

}  // namespace gallery
