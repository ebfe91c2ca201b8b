#include "platform/xml_library.h"

#include <libxml/parser.h>

namespace gallery {
namespace {

// `data` is the flag that XmlThreadReports installed.
void RecordThreadError(void* data, xmlError*) {
  if (data != nullptr) *static_cast<bool*>(data) = true;
}
void RecordThreadMessage(void* data, const char*, ...) {
  if (data != nullptr) *static_cast<bool*>(data) = true;
}

}  // namespace

void InitialiseXmlLibrary() {
  static const bool initialised = [] {
    xmlInitParser();
    return true;
  }();
  static_cast<void>(initialised);
}

bool IsWrittenName(std::string_view prefix, std::string_view local, std::string_view name) {
  if (prefix.empty()) return name == local;
  return name.size() == prefix.size() + 1 + local.size() && name.starts_with(prefix) &&
         name[prefix.size()] == ':' && name.ends_with(local);
}

XmlThreadReports::XmlThreadReports(bool& failed)
    : generic_(xmlGenericError),
      generic_context_(xmlGenericErrorContext),
      structured_(xmlStructuredError),
      structured_context_(xmlStructuredErrorContext) {
  // libxml2 sometimes hands the structured handler the generic context, so both point at the
  // same flag.
  xmlSetGenericErrorFunc(&failed, RecordThreadMessage);
  xmlSetStructuredErrorFunc(&failed, RecordThreadError);
}

XmlThreadReports::~XmlThreadReports() {
  xmlSetGenericErrorFunc(generic_context_, generic_);
  xmlSetStructuredErrorFunc(structured_context_, structured_);
}

}  // namespace gallery
