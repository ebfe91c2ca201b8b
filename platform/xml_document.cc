#include "platform/xml_document.h"

#include <libxml/tree.h>

namespace gallery {
void XmlDocumentFree::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }
}  // namespace gallery
