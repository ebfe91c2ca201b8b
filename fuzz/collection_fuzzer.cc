// Loads arbitrary bytes as a collection file; whatever loads must save and load back the same.
#include <stddef.h>
#include <stdint.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "collection/collection_document.h"
#include "collection/gallery_builder.h"
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
  return 0;
}
