#ifndef GALLERY_CACHE_CACHE_ENTRY_H_
#define GALLERY_CACHE_CACHE_ENTRY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/photo.h"

namespace gallery {
class COwnFolder;

// An entry of the cache is two files in its folder: NAME.jpg, the image exactly as written
// into a gallery, and NAME.rec, the record that says what the image must be. An alias is a
// record alone, NAME.rec, that names under another key the entry of an image. NAME is always
// `kEntryNameLength` lowercase hexadecimal digits, and the cache touches no file of another
// shape but the temporary files of its own writes (NAME.jpg or NAME.rec, then "." + process
// id + "-" + a number + ".tmp").
inline constexpr std::string_view kEntryImageExtension = ".jpg";
inline constexpr std::string_view kEntryRecordExtension = ".rec";
inline constexpr size_t kEntryNameLength = 16;

// True when `name` has the shape of an entry's name.
bool IsEntryName(std::string_view name);

// The entry name of `file_name` when it is the image or the record of an entry; nothing for
// any other name.
std::optional<std::string> EntryNameOfFile(std::string_view file_name);

// What the record of an entry holds.
struct CEntryRecord {
  int64_t length = 0;  // of the image file, in bytes
  uint32_t crc = 0;    // CRC-32 of the image file
  PhotoSize size;      // of the image, as the gallery's pages record it
  std::string key;     // the whole key the image was stored under
};

// What the record of an alias holds.
struct CAliasRecord {
  std::string target;  // the key of the entry it stands for
  std::string key;     // the whole key the alias was stored under
};

// CRC-32 (as in zlib and PNG) of `bytes`; with `before`, the CRC-32 of the bytes whose CRC-32
// was `before` followed by `bytes`.
uint32_t Crc32(std::string_view bytes, uint32_t before = 0);

// The record's bytes, and back: nothing when `bytes` are not a whole record.
std::string FormatEntryRecord(const CEntryRecord& record);
std::optional<CEntryRecord> ParseEntryRecord(std::string_view bytes);
std::string FormatAliasRecord(const CAliasRecord& record);
std::optional<CAliasRecord> ParseAliasRecord(std::string_view bytes);

// The file names of the entry `name`.
std::string EntryImageFile(const std::string& name);
std::string EntryRecordFile(const std::string& name);

// Puts at `path` a copy of the image of the entry `name` stored under `key` (a reflink where
// the file system offers one), so that the file at `path` shares nothing with the cache, and
// checks the copy against its record. Its size when it was whole; nothing when there is no
// such entry, `path` could not be written, or the entry is not to be trusted: a link, a
// special file, a file of another user or one that others may write to, or an image whose
// size, length or CRC does not match its record. Untrusted files are removed when they are
// regular files, and the image is then made again. When `name` holds an alias stored under
// `key`, the image is that of the entry it names, and both are marked used; an alias met through
// an alias is no entry.
std::optional<PhotoSize> FetchEntry(const COwnFolder& folder, const std::string& name,
                                    const std::string& key, const std::string& path);

// Stores a copy of the image just written at `made_path`, of size `size`, as the entry `name`
// under `key`, its record made from the bytes of the copy. The image goes in first and its
// record after it, each under a temporary name (`temporary_tag` tells apart the writers of one
// process) renamed into place, so that a reader sees either a whole entry or none. False when
// it could not be stored.
bool StoreEntry(const COwnFolder& folder, const std::string& name, PhotoSize size,
                const std::string& key, const std::string& made_path, unsigned temporary_tag);

// Stores as `name` an alias under `key` for the entry stored under `target`, its record written
// under a temporary name and renamed into place. An image left under `name` by an entry stored
// there before goes. False when it could not be stored.
bool StoreAlias(const COwnFolder& folder, const std::string& name, const std::string& key,
                const std::string& target, unsigned temporary_tag);

// Removes both files of the entry, where they are regular files; false when anything of it
// was left.
bool RemoveEntry(const COwnFolder& folder, const std::string& name);

}  // namespace gallery

#endif  // GALLERY_CACHE_CACHE_ENTRY_H_
