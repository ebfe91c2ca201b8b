#ifndef GALLERY_PLATFORM_XML_HANDLES_H_
#define GALLERY_PLATFORM_XML_HANDLES_H_

// Owners of libxml2 objects, for the platform sources only: nothing of libxml2 leaves platform/.

#include <memory>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlmemory.h>

namespace gallery {

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using UniqueXmlDoc = std::unique_ptr<xmlDoc, XmlDocFree>;

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
