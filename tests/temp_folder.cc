#include "tests/temp_folder.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace gallery {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "gallery_test_XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Join(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

std::string TempFolder::WriteFile(std::string_view name, std::string_view bytes) const {
  std::string path = Join(name);
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

std::map<std::string, std::string> TreeSnapshot(const std::string& folder) {
  std::map<std::string, std::string> entries;
  std::error_code ignored;
  for (const std::filesystem::directory_entry& entry :
       std::filesystem::recursive_directory_iterator(folder, ignored)) {
    const std::string path = std::filesystem::relative(entry.path(), folder, ignored).string();
    if (entry.is_symlink(ignored)) {
      entries[path] = "-> " + std::filesystem::read_symlink(entry.path(), ignored).string();
    } else if (entry.is_directory(ignored)) {
      entries[path] = "(folder)";
    } else {
      entries[path] = ReadWholeFile(entry.path().string());
    }
  }
  return entries;
}

}  // namespace gallery
