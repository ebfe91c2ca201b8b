#ifndef GALLERY_PLATFORM_XML_HANDLES_H_
#define GALLERY_PLATFORM_XML_HANDLES_H_

// Owners of libxml2 objects, for the platform sources only: nothing of libxml2 leaves platform/.

#include <memory>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlmemory.h>

#include "platform/xml_document.h"

namespace gallery {

// The same owner that XmlDocument keeps its tree in.
using UniqueXmlDoc = std::unique_ptr<xmlDoc, XmlDocumentFree>;

// xmlFree is a macro over a replaceable allocator, so it is called here, never taken by address.
struct XmlTextFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using UniqueXmlText = std::unique_ptr<xmlChar, XmlTextFree>;

struct XmlParserCtxtFree {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
using UniqueXmlParserCtxt = std::unique_ptr<xmlParserCtxt, XmlParserCtxtFree>;

}  // namespace gallery

#endif  // GALLERY_PLATFORM_XML_HANDLES_H_
