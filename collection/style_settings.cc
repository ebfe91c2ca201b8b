#include "collection/style_settings.h"

namespace gallery {

bool WriteStyle(CCollectionDocument&, const CStyleSettings&) { return false; }

}  // namespace gallery
