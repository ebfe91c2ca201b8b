#include "app/build_inputs.h"

#include "cache/result_cache.h"
#include "platform/file_tree.h"

namespace gallery {
namespace {

std::string DescribeStatus(const CFileStatus& status) {
  return std::to_string(status.device) + " " + std::to_string(status.inode) + " " +
         std::to_string(status.size) + " " + std::to_string(status.modified_ns) + " " +
         std::to_string(status.changed_ns);
}

// Every text goes in with its length first, so that no path or collection, whatever bytes it
// holds, reads as the end of one field and the start of another.
void AppendCounted(std::string& text, std::string_view field) {
  text += std::to_string(field.size());
  text += ':';
  text += field;
  text += '\n';
}

}  // namespace

std::string DescribeBuildInputs(const CFileStatus& program, std::string_view settings,
                                std::string_view collection, std::span<const CInputPhoto> photos) {
  std::string text = "gallery-inputs 1\nprogram " + DescribeStatus(program) + "\nsettings ";
  AppendCounted(text, settings);
  text += "collection ";
  AppendCounted(text, collection);
  text += "photos " + std::to_string(photos.size()) + "\n";
  for (const CInputPhoto& photo : photos) {
    text += photo.status ? DescribeStatus(*photo.status) : std::string("none");
    text += ' ';
    AppendCounted(text, photo.path);
  }
  return text;
}

std::optional<std::string> DigestBuildInputs(std::string_view settings, std::string_view collection,
                                             const std::vector<std::string>& photo_paths,
                                             int64_t now_ns) {
  const std::optional<CFileStatus> program = GetProgramStatus();
  if (!program) return std::nullopt;
  std::vector<CInputPhoto> photos;
  photos.reserve(photo_paths.size());
  for (const std::string& path : photo_paths) {
    CInputPhoto photo{path, GetFileStatus(path)};
    // A write within the clock tick of the last change would leave the status as it is. (A time
    // ahead of this clock is another machine's, whose later changes show all the same.)
    if (photo.status) {
      const int64_t age = now_ns - photo.status->changed_ns;
      if (age >= 0 && age < kSettledPhotoNanoseconds) return std::nullopt;
    }
    photos.push_back(std::move(photo));
  }
  return HashBytes(DescribeBuildInputs(*program, settings, collection, photos));
}

}  // namespace gallery
