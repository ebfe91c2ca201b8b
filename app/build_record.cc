#include "app/build_record.h"

#include <charconv>
#include <unordered_map>
#include <utility>

#include "platform/file_system.h"
#include "platform/file_tree.h"

namespace gallery {
namespace {

constexpr std::string_view kRecordHeader = "gallery-record 2";
// The first version, read still: the same lines without the inputs.
constexpr std::string_view kFirstRecordHeader = "gallery-record 1";
constexpr std::string_view kInputsPrefix = "inputs ";
constexpr size_t kChecksumSize = 64;

// Bytes that a path keeps in the record as they are: they hold no field separator or line end
// and read the same in any terminal or editor.
bool IsPlainPathByte(unsigned char byte) { return byte > ' ' && byte < 0x7F && byte != '%'; }

std::string EscapePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsPlainPathByte(byte)) {
      escaped += c;
    } else {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0xF];
    }
  }
  return escaped;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> UnescapePath(std::string_view escaped) {
  std::string path;
  for (size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '%') {
      if (!IsPlainPathByte(static_cast<unsigned char>(escaped[i]))) return std::nullopt;
      path += escaped[i];
      continue;
    }
    if (i + 2 >= escaped.size()) return std::nullopt;
    const int high = HexValue(escaped[i + 1]);
    const int low = HexValue(escaped[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  if (path.empty()) return std::nullopt;
  return path;
}

// The next field of `line` up to a space (or its end), taken off its front.
std::string_view TakeField(std::string_view& line) {
  const size_t space = line.find(' ');
  const std::string_view field = line.substr(0, space);
  line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  return field;
}

template <typename Number>
bool TakeNumber(std::string_view& line, Number& number) {
  const std::string_view field = TakeField(line);
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), number);
  return error == std::errc() && end == field.data() + field.size() && !field.empty();
}

bool IsChecksum(std::string_view text) {
  if (text.size() != kChecksumSize) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::optional<CRecordedEntry> ParseEntry(std::string_view line) {
  CRecordedEntry entry;
  const std::string_view kind = TakeField(line);
  if (kind == "folder") {
    entry.folder = true;
  } else if (kind == "file") {
    if (!TakeNumber(line, entry.size) || entry.size < 0) return std::nullopt;
    entry.checksum = TakeField(line);
    if (!IsChecksum(entry.checksum) || !TakeNumber(line, entry.inode) ||
        !TakeNumber(line, entry.modified_ns) || !TakeNumber(line, entry.changed_ns)) {
      return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  std::optional<std::string> path = UnescapePath(TakeField(line));
  if (!path || !line.empty()) return std::nullopt;
  entry.path = std::move(*path);
  return entry;
}

bool SameStatus(const CTreeEntry& found, const CRecordedEntry& recorded) {
  return found.inode == recorded.inode && found.size == recorded.size &&
         found.modified_ns == recorded.modified_ns && found.changed_ns == recorded.changed_ns;
}

// Whether the file `found` at `folder` still holds what `recorded` says, reading it only when
// its status differs from the record's.
std::optional<ForeignCause> CompareFile(const std::string& folder, const CTreeEntry& found,
                                        const CRecordedEntry& recorded) {
  if (SameStatus(found, recorded)) return std::nullopt;
  if (found.size != recorded.size) return ForeignCause::kChanged;
  const std::optional<std::string> checksum = HashFileContent(folder + "/" + found.path);
  if (!checksum) return ForeignCause::kUnreadable;
  if (*checksum != recorded.checksum) return ForeignCause::kChanged;
  return std::nullopt;
}

}  // namespace

std::string RenderBuildRecord(const CBuildRecord& record) {
  std::string text = std::string(kRecordHeader) + "\n";
  if (!record.inputs.empty()) text += std::string(kInputsPrefix) + record.inputs + "\n";
  for (const CRecordedEntry& entry : record.entries) {
    if (entry.folder) {
      text += "folder ";
    } else {
      text += "file " + std::to_string(entry.size) + " " + entry.checksum + " " +
              std::to_string(entry.inode) + " " + std::to_string(entry.modified_ns) + " " +
              std::to_string(entry.changed_ns) + " ";
    }
    text += EscapePath(entry.path) + "\n";
  }
  text += "end " + std::to_string(record.entries.size()) + "\n";
  return text;
}

std::optional<CBuildRecord> ParseBuildRecord(std::string_view text) {
  CBuildRecord record;
  enum class Expect { kHeader, kInputs, kEntry } expect = Expect::kHeader;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (expect == Expect::kHeader) {
      if (line != kRecordHeader && line != kFirstRecordHeader) return std::nullopt;
      expect = line == kRecordHeader ? Expect::kInputs : Expect::kEntry;
      continue;
    }
    if (expect == Expect::kInputs) {
      expect = Expect::kEntry;
      if (line.starts_with(kInputsPrefix)) {
        line.remove_prefix(kInputsPrefix.size());
        if (!IsChecksum(line)) return std::nullopt;
        record.inputs = line;
        continue;
      }
    }
    if (line.starts_with("end ")) {
      line.remove_prefix(4);
      size_t count = 0;
      if (!TakeNumber(line, count) || count != record.entries.size() || !text.empty()) {
        return std::nullopt;
      }
      return record;
    }
    if (std::optional<CRecordedEntry> entry = ParseEntry(line)) {
      record.entries.push_back(std::move(*entry));
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<CPlanMismatchEntry> FindPlanMismatch(const std::vector<CTreeEntry>& found,
                                                   const CPlannedGallery& planned) {
  // Each path the plan names, with whether it must be there; the folders holding a planned
  // file are planned as well, and must be there exactly when the file must.
  std::unordered_map<std::string_view, bool> folders;
  std::unordered_map<std::string_view, bool> files;
  auto add_parents = [&](std::string_view path, bool required) {
    for (size_t slash = path.find('/'); slash != std::string_view::npos;
         slash = path.find('/', slash + 1)) {
      bool& needed = folders[path.substr(0, slash)];
      needed = needed || required;
    }
  };
  for (const std::string& folder : planned.folders) {
    folders[folder] = true;
    add_parents(folder, true);
  }
  for (const std::string& file : planned.optional_files) {
    files.emplace(file, false);
    add_parents(file, false);
  }
  for (const std::string& file : planned.files) {
    files[file] = true;
    add_parents(file, true);
  }
  size_t found_required = 0;
  for (const CTreeEntry& entry : found) {
    if (entry.path == kBuildRecordName) continue;
    const bool folder = entry.kind == TreeEntryKind::kFolder;
    const auto& planned_kind = folder ? folders : files;
    const auto& other_kind = folder ? files : folders;
    const auto it = planned_kind.find(entry.path);
    if (it == planned_kind.end() || (!folder && entry.kind != TreeEntryKind::kFile)) {
      // A link or another kind of entry in a planned file's place is not that file.
      const bool in_place =
          other_kind.count(entry.path) != 0 || (it != planned_kind.end() && it->second);
      return CPlanMismatchEntry{entry.path,
                                in_place ? PlanMismatch::kMissing : PlanMismatch::kUnplanned};
    }
    if (!entry.listed) return CPlanMismatchEntry{entry.path, PlanMismatch::kUnreadable};
    if (it->second) ++found_required;
  }
  size_t required = 0;
  for (const auto& [path, needed] : folders) required += needed ? 1 : 0;
  for (const auto& [path, needed] : files) required += needed ? 1 : 0;
  if (found_required == required) return std::nullopt;
  // Some planned entry was not found: the first of them in the plan's order is named.
  std::unordered_map<std::string_view, bool> seen;
  for (const CTreeEntry& entry : found) seen.emplace(entry.path, true);
  auto missing = [&](std::string_view path) { return seen.count(path) == 0; };
  for (const std::string& folder : planned.folders) {
    if (missing(folder)) return CPlanMismatchEntry{folder, PlanMismatch::kMissing};
  }
  for (const std::string& file : planned.files) {
    for (size_t slash = file.find('/'); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
      if (missing(std::string_view(file).substr(0, slash))) {
        return CPlanMismatchEntry{file.substr(0, slash), PlanMismatch::kMissing};
      }
    }
    if (missing(file)) return CPlanMismatchEntry{file, PlanMismatch::kMissing};
  }
  return std::nullopt;
}

CRecordWriting WriteBuildRecord(const std::string& folder, const CPlannedGallery& planned,
                                std::string_view inputs) {
  const std::vector<CTreeEntry> found = ListTree(folder);
  if (std::optional<CPlanMismatchEntry> mismatch = FindPlanMismatch(found, planned)) {
    return {std::nullopt, std::move(mismatch)};
  }
  CBuildRecord record;
  record.inputs = inputs;
  std::vector<CRecordedEntry>& entries = record.entries;
  // The folder holds what the plan names and nothing else, so each entry found is recorded, in
  // the order listed.
  for (const CTreeEntry& found_entry : found) {
    if (found_entry.path == kBuildRecordName) continue;
    CRecordedEntry entry;
    entry.path = found_entry.path;
    if (found_entry.kind == TreeEntryKind::kFolder) {
      entry.folder = true;
    } else {
      std::optional<std::string> checksum = HashFileContent(folder + "/" + found_entry.path);
      if (!checksum) return {};
      entry.size = found_entry.size;
      entry.checksum = std::move(*checksum);
      entry.inode = found_entry.inode;
      entry.modified_ns = found_entry.modified_ns;
      entry.changed_ns = found_entry.changed_ns;
    }
    entries.push_back(std::move(entry));
  }
  if (!WriteFileBytes(folder + "/" + std::string(kBuildRecordName), RenderBuildRecord(record))) {
    return {};
  }
  return {std::move(entries), std::nullopt};
}

CRecordCheck CheckAgainstRecord(const std::string& folder) {
  const std::vector<CTreeEntry> found = ListTree(folder);
  if (found.empty()) return {};
  const CTreeEntry* record_entry = nullptr;
  for (const CTreeEntry& entry : found) {
    if (entry.path == kBuildRecordName) record_entry = &entry;
  }
  if (record_entry == nullptr) return {CForeignEntry{"", ForeignCause::kNoRecord}, ""};
  std::optional<CBuildRecord> record;
  if (record_entry->kind == TreeEntryKind::kFile) {
    if (std::optional<std::string> text = ReadFileBytes(folder + "/" + record_entry->path)) {
      record = ParseBuildRecord(*text);
    }
  }
  if (!record) return {CForeignEntry{"", ForeignCause::kDamagedRecord}, ""};
  std::unordered_map<std::string_view, const CRecordedEntry*> by_path;
  for (const CRecordedEntry& entry : record->entries) by_path.emplace(entry.path, &entry);
  for (const CTreeEntry& entry : found) {
    if (&entry == record_entry) continue;
    const auto recorded = by_path.find(entry.path);
    if (recorded == by_path.end()) return {CForeignEntry{entry.path, ForeignCause::kAdded}, ""};
    if (!entry.listed) return {CForeignEntry{entry.path, ForeignCause::kUnreadable}, ""};
    const CRecordedEntry& expected = *recorded->second;
    const TreeEntryKind kind = expected.folder ? TreeEntryKind::kFolder : TreeEntryKind::kFile;
    if (entry.kind != kind) return {CForeignEntry{entry.path, ForeignCause::kChanged}, ""};
    if (kind == TreeEntryKind::kFolder) continue;
    if (std::optional<ForeignCause> cause = CompareFile(folder, entry, expected)) {
      return {CForeignEntry{entry.path, *cause}, ""};
    }
  }
  // Every entry found is a recorded one, each path at most once: as many as the record lists
  // means that none of them went missing.
  const bool whole =
      found.size() - 1 == record->entries.size() && by_path.size() == record->entries.size();
  return {std::nullopt, whole ? record->inputs : std::string()};
}

std::optional<CForeignEntry> FindForeignEntry(const std::string& folder) {
  return CheckAgainstRecord(folder).foreign;
}

}  // namespace gallery
