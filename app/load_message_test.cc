#include "app/load_message.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/xml_document.h"

namespace gallery {
namespace {

TEST(NotWellFormedMessageTest, NamesLineAndColumnWhenKnown) {
  XmlParseFault fault{XmlSyntaxError::kBareAmpersand, 12, 34};
  EXPECT_EQ(
      "trip.collection.xml:12:34: is not well-formed XML: an '&' must start a reference such as "
      "&amp; and end it with ';' (write & as &amp;). Fix the file or name another.",
      NotWellFormedMessage("trip.collection.xml", fault));

  fault.column = 0;
  EXPECT_EQ(0u, NotWellFormedMessage("a.xml", fault).find("a.xml:12: is not well-formed XML: "));
  fault.line = 0;
  EXPECT_EQ(0u, NotWellFormedMessage("a.xml", fault).find("a.xml: is not well-formed XML: "));
}

TEST(DescribeXmlFaultTest, EveryCauseHasASentenceOfItsOwn) {
  const XmlSyntaxError causes[] = {
      XmlSyntaxError::kOther,
      XmlSyntaxError::kBareAmpersand,
      XmlSyntaxError::kUndefinedEntity,
      XmlSyntaxError::kMismatchedTag,
      XmlSyntaxError::kUnclosedElement,
      XmlSyntaxError::kUnquotedAttribute,
      XmlSyntaxError::kUnterminatedAttribute,
      XmlSyntaxError::kLessThanInAttribute,
      XmlSyntaxError::kBadEncoding,
      XmlSyntaxError::kEmpty,
      XmlSyntaxError::kContentAfterRoot,
      XmlSyntaxError::kTooDeep,
      XmlSyntaxError::kTooLarge,
  };
  std::set<std::string> seen;
  for (XmlSyntaxError cause : causes) {
    const std::string text = DescribeXmlFault(XmlParseFault{cause, 1, 1});
    EXPECT_TRUE(seen.insert(text).second) << text;
    EXPECT_EQ('.', text.back()) << text;
    // One line on a terminal.
    for (char c : text) EXPECT_LE(' ', c) << text;
  }
}

}  // namespace
}  // namespace gallery
