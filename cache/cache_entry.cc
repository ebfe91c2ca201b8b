#include "cache/cache_entry.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <string>

#include "cache/cache_key.h"
#include "platform/file_system.h"
#include "platform/own_files.h"

namespace gallery {
namespace {

constexpr std::string_view kRecordMagic = "gallerygen-cache-entry";
constexpr std::string_view kAliasMagic = "gallerygen-cache-alias";

// A record holds a path and the settings beside a few numbers; anything much longer is not one.
constexpr int64_t kLongestRecord = int64_t{1} << 16;

// Reads one decimal field and the space or line feed after it from the front of `text`.
template <typename T>
bool TakeNumber(std::string_view& text, T& value, char end) {
  const auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || rest == text.data() + text.size() || *rest != end) return false;
  text.remove_prefix(static_cast<size_t>(rest - text.data()) + 1);
  return true;
}

// The name of a temporary file for `file_name`, in the form that trimming knows.
std::string TemporaryName(const std::string& file_name, unsigned tag) {
  return file_name + "." + std::to_string(getpid()) + "-" + std::to_string(tag) + ".tmp";
}

// Creates the temporary file `name`; a leftover of a killed run whose process id this one
// has now is removed first.
CFileHandle CreateTemporary(const COwnFolder& folder, const std::string& name) {
  CFileHandle file = folder.CreateFile(name);
  if (file.is_open() || !folder.RemoveFile(name)) return file;
  return folder.CreateFile(name);
}

// Fills the temporary `temporary` with `fill` and renames it to `file_name`; the temporary is
// removed when any step fails.
template <typename Fill>
bool WriteEntryFile(const COwnFolder& folder, const std::string& file_name, unsigned tag,
                    const Fill& fill) {
  const std::string temporary = TemporaryName(file_name, tag);
  CFileHandle file = CreateTemporary(folder, temporary);
  if (!file.is_open()) return false;
  if (fill(file) && file.Close() && folder.Rename(temporary, file_name)) return true;
  static_cast<void>(file.Close());
  static_cast<void>(folder.RemoveFile(temporary));
  return false;
}

// The length and CRC-32 of bytes handed over in pieces.
struct CRunningCheck {
  int64_t length = 0;
  uint32_t crc = 0;
  void Add(std::string_view piece) {
    length += static_cast<int64_t>(piece.size());
    crc = Crc32(piece, crc);
  }
};

// Takes `magic` and the space after it from the front of `bytes`.
bool TakeMagic(std::string_view& bytes, std::string_view magic) {
  if (!bytes.starts_with(magic) || bytes.size() == magic.size() || bytes[magic.size()] != ' ') {
    return false;
  }
  bytes.remove_prefix(magic.size() + 1);
  return true;
}

// `FetchEntry`, following an alias only when `through_alias` is true.
std::optional<PhotoSize> FetchImage(const COwnFolder& folder, const std::string& name,
                                    const std::string& key, const std::string& path,
                                    bool through_alias) {
  const COwnFile record_file = folder.OpenFile(EntryRecordFile(name));
  if (record_file.check == OwnFileCheck::kMissing) return std::nullopt;
  std::optional<CEntryRecord> record;
  if (record_file.check == OwnFileCheck::kOwn) {
    const std::optional<std::string> bytes = ReadFileContent(record_file.file, kLongestRecord);
    // An unreadable record is left for the next build: reading may fail for passing reasons.
    if (!bytes) return std::nullopt;
    if (const std::optional<CAliasRecord> alias = ParseAliasRecord(*bytes)) {
      // An alias of another key is no damage either, nor one reached through an alias.
      if (alias->key != key || !through_alias) return std::nullopt;
      const std::optional<PhotoSize> size =
          FetchImage(folder, CacheEntryName(alias->target), alias->target, path, false);
      if (size) static_cast<void>(TouchOpenFile(record_file.file));
      return size;
    }
    record = ParseEntryRecord(*bytes);
    // Another key of the same name is no damage: the entry is simply not this image's.
    if (record && record->key != key) return std::nullopt;
  }
  const COwnFile image = record ? folder.OpenFile(EntryImageFile(name)) : COwnFile{};
  // A record without its image is what a killed store or a concurrent trim leaves: no damage.
  if (record && image.check == OwnFileCheck::kMissing) return std::nullopt;
  if (record && image.check == OwnFileCheck::kOwn && image.file.size() == record->length) {
    CRunningCheck copy;
    bool damaged = false;
    // What is checked is the copy now at `path`, so that nothing that replaced the entry
    // meanwhile can slip through.
    const bool written = WriteFileWith(path, [&](int descriptor) {
      if (!CopyFileContent(image.file.descriptor(), descriptor,
                           [&copy](std::string_view piece) { copy.Add(piece); })) {
        return false;
      }
      damaged = copy.length != record->length || copy.crc != record->crc;
      return !damaged;
    });
    if (written) {
      static_cast<void>(TouchOpenFile(record_file.file));
      return record->size;
    }
    if (!damaged) return std::nullopt;
  }
  static_cast<void>(RemoveEntry(folder, name));
  return std::nullopt;
}

}  // namespace

bool IsEntryName(std::string_view name) {
  return name.size() == kEntryNameLength && std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

std::optional<std::string> EntryNameOfFile(std::string_view file_name) {
  for (std::string_view extension : {kEntryImageExtension, kEntryRecordExtension}) {
    if (file_name.size() == kEntryNameLength + extension.size() && file_name.ends_with(extension) &&
        IsEntryName(file_name.substr(0, kEntryNameLength))) {
      return std::string(file_name.substr(0, kEntryNameLength));
    }
  }
  return std::nullopt;
}

uint32_t Crc32(std::string_view bytes, uint32_t before) {
  uLong crc = before;
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
  if (!TakeMagic(bytes, kRecordMagic)) return std::nullopt;
  CEntryRecord record;
  if (!TakeNumber(bytes, record.length, ' ') || !TakeNumber(bytes, record.crc, ' ') ||
      !TakeNumber(bytes, record.size.width, ' ') || !TakeNumber(bytes, record.size.height, '\n') ||
      record.length < 0) {
    return std::nullopt;
  }
  record.key = std::string(bytes);
  return record;
}

std::string FormatAliasRecord(const CAliasRecord& record) {
  // Both keys may hold any character: the first is told by its length, the second runs to the
  // end.
  return std::string(kAliasMagic) + ' ' + std::to_string(record.target.size()) + '\n' +
         record.target + record.key;
}

std::optional<CAliasRecord> ParseAliasRecord(std::string_view bytes) {
  size_t target_length = 0;
  if (!TakeMagic(bytes, kAliasMagic) || !TakeNumber(bytes, target_length, '\n') ||
      target_length > bytes.size()) {
    return std::nullopt;
  }
  return CAliasRecord{std::string(bytes.substr(0, target_length)),
                      std::string(bytes.substr(target_length))};
}

std::string EntryImageFile(const std::string& name) {
  return name + std::string(kEntryImageExtension);
}

std::string EntryRecordFile(const std::string& name) {
  return name + std::string(kEntryRecordExtension);
}

std::optional<PhotoSize> FetchEntry(const COwnFolder& folder, const std::string& name,
                                    const std::string& key, const std::string& path) {
  return FetchImage(folder, name, key, path, true);
}

bool StoreEntry(const COwnFolder& folder, const std::string& name, PhotoSize size,
                const std::string& key, const std::string& made_path, unsigned temporary_tag) {
  const CFileHandle made = OpenFileForReading(made_path);
  if (!made.is_open()) return false;
  CEntryRecord record = {0, 0, size, key};
  const bool stored =
      WriteEntryFile(folder, EntryImageFile(name), temporary_tag, [&](const CFileHandle& file) {
        CRunningCheck copy;
        if (!CopyFileContent(made.descriptor(), file.descriptor(),
                             [&copy](std::string_view piece) { copy.Add(piece); })) {
          return false;
        }
        record.length = copy.length;
        record.crc = copy.crc;
        return true;
      });
  return stored &&
         WriteEntryFile(folder, EntryRecordFile(name), temporary_tag, [&](const CFileHandle& file) {
           return WriteFileContent(file, FormatEntryRecord(record));
         });
}

bool StoreAlias(const COwnFolder& folder, const std::string& name, const std::string& key,
                const std::string& target, unsigned temporary_tag) {
  const bool stored =
      WriteEntryFile(folder, EntryRecordFile(name), temporary_tag, [&](const CFileHandle& file) {
        return WriteFileContent(file, FormatAliasRecord({target, key}));
      });
  if (stored) static_cast<void>(folder.RemoveFile(EntryImageFile(name)));
  return stored;
}

bool RemoveEntry(const COwnFolder& folder, const std::string& name) {
  // The record goes first: an image without its record is never taken for a whole entry.
  const std::string record_file = EntryRecordFile(name);
  const std::string image_file = EntryImageFile(name);
  static_cast<void>(folder.RemoveFile(record_file));
  static_cast<void>(folder.RemoveFile(image_file));
  return folder.OpenFile(record_file).check == OwnFileCheck::kMissing &&
         folder.OpenFile(image_file).check == OwnFileCheck::kMissing;
}

}  // namespace gallery
