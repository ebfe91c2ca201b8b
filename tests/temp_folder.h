#ifndef GALLERY_TESTS_TEMP_FOLDER_H_
#define GALLERY_TESTS_TEMP_FOLDER_H_

#include <map>
#include <string>
#include <string_view>

namespace gallery {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // `path()` + "/" + `name`.
  std::string Join(std::string_view name) const;
  // Writes `bytes` to `name` inside the folder and returns its path.
  std::string WriteFile(std::string_view name, std::string_view bytes) const;

 private:
  std::string path_;
};

// The whole content of a file, or an empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);

// Every entry under `folder` by relative path: a file with its bytes, a folder as "(folder)", a
// link (never followed) as "-> " and where it leads.
std::map<std::string, std::string> TreeSnapshot(const std::string& folder);

}  // namespace gallery

#endif  // GALLERY_TESTS_TEMP_FOLDER_H_
