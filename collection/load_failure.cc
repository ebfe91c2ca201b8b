#include "collection/load_failure.h"

#include <string>

#include "platform/file_system.h"
#include "platform/folder_listing.h"

namespace gallery {

LoadFailure GetReadFailure(const std::string& path) {
  switch (GetPathKind(path)) {
    case PathKind::kMissing:
      return LoadFailure::kMissing;
    case PathKind::kFolder:
      return LoadFailure::kFolder;
    case PathKind::kOther:
      return LoadFailure::kNotAFile;
    case PathKind::kFile:
      break;
  }
  return IsReadableFile(path) ? LoadFailure::kReadError : LoadFailure::kNoPermission;
}

}  // namespace gallery
