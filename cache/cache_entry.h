#ifndef GALLERY_CACHE_CACHE_ENTRY_H_
#define GALLERY_CACHE_CACHE_ENTRY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/photo.h"

namespace gallery {

// An entry of the cache is two files in its folder: NAME.jpg, the image exactly as written
// into a gallery, and NAME.rec, the record that says what the image must be.
inline constexpr std::string_view kEntryImageExtension = ".jpg";
inline constexpr std::string_view kEntryRecordExtension = ".rec";

// What the record of an entry holds.
struct CEntryRecord {
  int64_t length = 0;  // of the image file, in bytes
  uint32_t crc = 0;    // CRC-32 of the image file
  PhotoSize size;      // of the image, as the gallery's pages record it
  std::string key;     // the whole key the image was stored under
};

// CRC-32 (as in zlib and PNG) of `bytes`.
uint32_t Crc32(std::string_view bytes);

// The record's bytes, and back: nothing when `bytes` are not a whole record.
std::string FormatEntryRecord(const CEntryRecord& record);
std::optional<CEntryRecord> ParseEntryRecord(std::string_view bytes);

// True when `image` is the image that `record` describes (its length and CRC).
bool MatchesRecord(const CEntryRecord& record, std::string_view image);

// The paths of the entry `name` in the cache folder `folder`.
std::string EntryImagePath(const std::string& folder, const std::string& name);
std::string EntryRecordPath(const std::string& folder, const std::string& name);

// Puts at `path` the image of the entry `name` stored under `key`, as a hard link when the file
// system allows it and as a copy otherwise, checked against its record after it got there.
// Its size when it was whole; nothing when there is no such entry or `path` could not be
// written. An entry found damaged (a length or CRC that does not match) is removed.
std::optional<PhotoSize> FetchEntry(const std::string& folder, const std::string& name,
                                    const std::string& key, const std::string& path);

// Stores `image`, the bytes of the file just written at `made_path`, as the entry `name` under
// `key`. The image goes in first and its record after it, each under a temporary name
// (`temporary_tag` tells apart the writers of one process) renamed into place, so that a
// reader sees either a whole entry or none. False when it could not be stored.
bool StoreEntry(const std::string& folder, const std::string& name, const CEntryRecord& record,
                const std::string& made_path, std::string_view image, unsigned temporary_tag);

// Removes both files of the entry; false when anything of it was left.
bool RemoveEntry(const std::string& folder, const std::string& name);

}  // namespace gallery

#endif  // GALLERY_CACHE_CACHE_ENTRY_H_
