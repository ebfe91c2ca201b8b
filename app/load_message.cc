#include "app/load_message.h"

#include <string>

#include "platform/xml_document.h"

namespace gallery {

std::string DescribeXmlFault(const XmlParseFault& fault) {
  switch (fault.cause) {
    case XmlSyntaxError::kBareAmpersand:
      return "an '&' must start a reference such as &amp; and end it with ';' (write & as "
             "&amp;).";
    case XmlSyntaxError::kUndefinedEntity:
      return "it refers to an entity that is not defined (only &amp; &lt; &gt; &quot; &apos; "
             "and numbered ones such as &#233; are; write & as &amp;).";
    case XmlSyntaxError::kMismatchedTag:
      return "an end tag does not match the element it closes.";
    case XmlSyntaxError::kUnclosedElement:
      return "an element or tag is not closed (end it with > or />, and close every element).";
    case XmlSyntaxError::kUnquotedAttribute:
      return "an attribute value must be in quotes, as in title=\"...\".";
    case XmlSyntaxError::kUnterminatedAttribute:
      return "an attribute value has no closing quote.";
    case XmlSyntaxError::kLessThanInAttribute:
      return "an attribute value holds a '<' (write it as &lt;).";
    case XmlSyntaxError::kBadEncoding:
      return "its bytes are not valid text in its encoding (save it as UTF-8, or declare the "
             "encoding it has).";
    case XmlSyntaxError::kEmpty:
      return "it holds no element at all.";
    case XmlSyntaxError::kContentAfterRoot:
      return "there is more after the end of the root element (a file holds one root "
             "element).";
    case XmlSyntaxError::kTooDeep:
      return "elements are nested more than " + std::to_string(kMaxXmlElementDepth) + " deep.";
    case XmlSyntaxError::kTooLarge:
      return "its entities would expand to far more text than the file holds.";
    case XmlSyntaxError::kOther:
      break;
  }
  return "the XML is broken here.";
}

std::string NotWellFormedMessage(const std::string& path, const XmlParseFault& fault) {
  std::string where = path;
  if (fault.line > 0) {
    where += ":" + std::to_string(fault.line);
    if (fault.column > 0) where += ":" + std::to_string(fault.column);
  }
  return where + ": is not well-formed XML: " + DescribeXmlFault(fault) +
         " Fix the file or name another.";
}

}  // namespace gallery
