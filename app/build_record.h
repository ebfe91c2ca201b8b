#ifndef GALLERY_APP_BUILD_RECORD_H_
#define GALLERY_APP_BUILD_RECORD_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_tree.h"

namespace gallery {

// The hidden file in which a gallery made by the front end lists what its build wrote, so that
// the next build into the same folder can tell those files from anyone else's.
inline constexpr std::string_view kBuildRecordName = ".gallery-record";

// A file or folder that a build wrote, as it was when the build ended. The status is a fast
// path: a file whose inode, size and both times are still the same has not been written since.
struct CRecordedEntry {
  std::string path;  // relative to the gallery, its parts joined by "/"
  bool folder = false;
  int64_t size = 0;
  std::string checksum;  // files: SHA-256 of the content, lower-case hexadecimal
  uint64_t inode = 0;
  int64_t modified_ns = 0;
  int64_t changed_ns = 0;
};

// A record: what a build wrote, and what it was built from.
struct CBuildRecord {
  std::vector<CRecordedEntry> entries;
  // The digest of everything the gallery was made from (see DigestBuildInputs), 64 lower-case
  // hexadecimal digits; empty when the build did not know it or must not be taken as final
  // (a photo it could not make, which a later build tries again).
  std::string inputs;
};

// The bytes of `record`: a line naming the format and its version, the digest of the inputs
// where known, one line per entry, and a last line with their count, so that a record cut short
// is known. Lines end in LF; a path's spaces, controls, "%" and bytes beyond ASCII are written
// as "%" and two hex digits.
std::string RenderBuildRecord(const CBuildRecord& record);

// The record, or nothing when `text` is not a whole record of this version or of the first one
// (which knew no inputs).
std::optional<CBuildRecord> ParseBuildRecord(std::string_view text);

// What a build means to leave in its folder, worked out from its plan and from what became of
// each photo, never from the folder itself. Paths are relative to the folder, parted by "/".
struct CPlannedGallery {
  std::vector<std::string> folders;  // the folders that hold a planned file count as planned too
  std::vector<std::string> files;    // each of them must be there
  // Files that are there only when their photo's image could be made: recorded when found,
  // missed by no one when not.
  std::vector<std::string> optional_files;
  std::string index_page;  // the first index page, which shows the gallery; empty: none
};

// How a folder differs from the plan of the build that filled it.
enum class PlanMismatch {
  kMissing,     // a planned file or folder is not there, or not as a file or folder
  kUnplanned,   // no plan names it (the build record itself excepted)
  kUnreadable,  // a planned folder whose entries cannot be listed
};

struct CPlanMismatchEntry {
  std::string path;  // relative to the folder
  PlanMismatch cause = PlanMismatch::kMissing;
};

// The first entry of `found` (a listing of a finished build's folder, see ListTree) that
// `planned` does not name as what it is, or a planned folder that cannot be listed; else the
// first planned file or folder missing from it; nothing when the two agree.
std::optional<CPlanMismatchEntry> FindPlanMismatch(const std::vector<CTreeEntry>& found,
                                                   const CPlannedGallery& planned);

// What writing a record gave: its entries, or why there is none.
struct CRecordWriting {
  std::optional<std::vector<CRecordedEntry>> entries;  // nothing when no record was written
  std::optional<CPlanMismatchEntry> mismatch;          // why, when the folder is not as planned
};

// Checks that `folder` (a finished build) holds what `planned` names and nothing else, then
// records each planned entry with the checksum of its files, and writes that record, with
// `inputs`, into it under kBuildRecordName. A folder that is not as planned is not recorded
// (`mismatch`); neither is one whose planned files could not be read, nor a record that could
// not be written.
CRecordWriting WriteBuildRecord(const std::string& folder, const CPlannedGallery& planned,
                                std::string_view inputs = {});

// Why an entry keeps a build from replacing the folder it is in.
enum class ForeignCause {
  kAdded,          // not in the record: put there by someone else (a link, a file, a folder)
  kChanged,        // in the record, but written or replaced since the build
  kUnreadable,     // cannot be listed or read, so it cannot be compared
  kNoRecord,       // the folder holds entries but no record (made by an older version, or not
                   // a gallery at all)
  kDamagedRecord,  // the record cannot be read, or is not a whole one
};

struct CForeignEntry {
  std::string path;  // relative to the folder; empty for the causes that concern the record
  ForeignCause cause = ForeignCause::kAdded;
};

// What comparing a folder with its record found.
struct CRecordCheck {
  std::optional<CForeignEntry> foreign;  // see FindForeignEntry
  // The record's inputs, when the folder holds every entry that the record lists, as it lists
  // it, and nothing else: then it is the whole gallery that those inputs made. Else empty.
  std::string inputs;
};

// The first entry of `folder` (depth first, names in byte order) that its record does not list
// with the same kind and content, or the record's own fault, as `foreign`; nothing when the
// folder is empty or every entry is recorded unchanged. Links are never followed. A file whose
// status (inode, size, both times) differs from the record is read and its checksum compared;
// as no one can set a change time back, a file of the recorded status was not written since.
// Galleries share no files with each other or with the image cache, so nothing written
// elsewhere changes a recorded file's status.
CRecordCheck CheckAgainstRecord(const std::string& folder);

// `CheckAgainstRecord(folder).foreign`.
std::optional<CForeignEntry> FindForeignEntry(const std::string& folder);

}  // namespace gallery

#endif  // GALLERY_APP_BUILD_RECORD_H_
