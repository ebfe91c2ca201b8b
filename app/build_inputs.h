#ifndef GALLERY_APP_BUILD_INPUTS_H_
#define GALLERY_APP_BUILD_INPUTS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"

namespace gallery {

// A photo as a build is about to read it: its path, and its status then (nothing when it is no
// regular file).
struct CInputPhoto {
  std::string path;
  std::optional<CFileStatus> status;
};

// The text that names everything a gallery's files are made of: the program that writes them
// (its executable file, by status), the settings that shape them (`settings`, as the caller
// words them), the collection as read (`collection`) and every photo by path and status. Two
// builds of one text write the same files; any change to an input, down to a photo written
// again at the same size and time, gives another text. Touches no file.
std::string DescribeBuildInputs(const CFileStatus& program, std::string_view settings,
                                std::string_view collection, std::span<const CInputPhoto> photos);

// The SHA-256 of `DescribeBuildInputs` with the program and the photos at `photo_paths` as they
// are now, `now_ns` by the clock that sets file times. Nothing when the program's file is not
// known, or a photo changed so lately (within the tick of the clock that its status would not
// show a second change in) that the digest could not tell its next change.
std::optional<std::string> DigestBuildInputs(std::string_view settings, std::string_view collection,
                                             const std::vector<std::string>& photo_paths,
                                             int64_t now_ns);

}  // namespace gallery

#endif  // GALLERY_APP_BUILD_INPUTS_H_
