// Loads arbitrary bytes as a collection file; whatever loads must save and load back the same.
#include <stddef.h>
#include <stdint.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collection/collection_document.h"
#include "collection/gallery_builder.h"
#include "collection/library.h"
#include "collection/style_settings.h"
#include "platform/imaging_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Kept for the whole process: the imaging library cannot start again once stopped.
  static gallery::CImagingRuntime imaging;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  gallery::CGalleryBuilder builder;
  if (builder.LoadText(bytes, "/nonexistent/collection.xml") != gallery::LoadFailure::kNone) {
    return 0;
  }

  // Written the way a run writes its output collection, the style reads back unchanged.
  gallery::CCollectionDocument written;
  if (!written.Create() ||
      !written.BeginCollection(builder.style().collection_title, builder.style().collection_desc) ||
      !gallery::WriteStyle(written, builder.style())) {
    std::abort();
  }
  std::optional<std::string> text = written.SaveText();
  if (!text) std::abort();
  gallery::CGalleryBuilder reread;
  if (reread.LoadText(*text, "/nonexistent/collection.xml") != gallery::LoadFailure::kNone) {
    std::abort();
  }
  for (const gallery::CStyleKey& key : gallery::kStyleKeys) {
    if (key.text != nullptr && builder.style().*key.text != reread.style().*key.text) std::abort();
    if (key.number != nullptr && builder.style().*key.number != reread.style().*key.number) {
      std::abort();
    }
  }
  if (builder.style().collection_title != reread.style().collection_title) std::abort();
  if (builder.style().collection_desc != reread.style().collection_desc) std::abort();

  // Its albums too: written again, they read back with every photo in the same order.
  gallery::CLibraryFault fault;
  std::optional<gallery::CLibrary> library =
      gallery::ReadLibrary(bytes, "/nonexistent/collection.xml", false, fault);
  if (!library) return 0;
  std::optional<std::string> albums = gallery::RenderLibrary(*library, builder.style());
  if (!albums) std::abort();
  std::optional<gallery::CLibrary> again =
      gallery::ReadLibrary(*albums, "/nonexistent/collection.xml", false, fault);
  if (!again) std::abort();
  const std::vector<gallery::CPhotoEntry> before = gallery::PhotosInOrder(library->root);
  const std::vector<gallery::CPhotoEntry> after = gallery::PhotosInOrder(again->root);
  if (before.size() != after.size()) std::abort();
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].path != after[i].path || before[i].title != after[i].title) std::abort();
  }
  return 0;
}
