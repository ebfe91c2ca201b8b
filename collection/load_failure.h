#ifndef GALLERY_COLLECTION_LOAD_FAILURE_H_
#define GALLERY_COLLECTION_LOAD_FAILURE_H_

#include <string>

namespace gallery {

// Why a collection file did not load, decided where the load failed.
enum class LoadFailure {
  kNone,          // it loaded
  kMissing,       // nothing exists under that name
  kFolder,        // the name is a folder
  kNotAFile,      // the name is a FIFO, device or socket, which is never opened
  kNoPermission,  // a regular file this process may not read
  kReadError,     // a readable regular file whose bytes could still not all be read
  kNotXml,        // not well-formed XML, nested too deeply, or entities expanding too far
  kWrongRoot,     // XML whose root element is not "collection"
  kNoStyle,       // a "collection" root without the "style" element
};

// The cause for a `ReadFileBytes(path)` that has just failed, from what `path` is right now.
LoadFailure GetReadFailure(const std::string& path);

}  // namespace gallery

#endif  // GALLERY_COLLECTION_LOAD_FAILURE_H_
