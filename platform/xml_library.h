#ifndef GALLERY_PLATFORM_XML_LIBRARY_H_
#define GALLERY_PLATFORM_XML_LIBRARY_H_

// What the XML sources of platform/ share about libxml2 itself; nothing of it leaves platform/.

#include <string_view>

#include <libxml/globals.h>
#include <libxml/xmlerror.h>

namespace gallery {

// Sets up libxml2's global tables once, before any thread parses: doing it on first use
// would race between threads.
void InitialiseXmlLibrary();

// True when an element or attribute written as `prefix`:`local` (or `local` alone for an
// empty prefix) is named `name`.
bool IsWrittenName(std::string_view prefix, std::string_view local, std::string_view name);

// For its lifetime, sends whatever libxml2 reports on this thread into `failed` (set to true on
// any report) instead of stderr. libxml2 keeps these handlers per thread, so parsers on other
// threads are unaffected.
class XmlThreadReports {
 public:
  explicit XmlThreadReports(bool& failed);
  ~XmlThreadReports();
  XmlThreadReports(const XmlThreadReports&) = delete;
  XmlThreadReports& operator=(const XmlThreadReports&) = delete;

 private:
  xmlGenericErrorFunc generic_;
  void* generic_context_;
  xmlStructuredErrorFunc structured_;
  void* structured_context_;
};

}  // namespace gallery

#endif  // GALLERY_PLATFORM_XML_LIBRARY_H_
