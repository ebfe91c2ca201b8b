#include "html/escape.h"

#include <string>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(EscapeHtmlTest, ReplacesMarkupAndDoublesPerCent) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"", ""},
      {"plain text", "plain text"},
      {"Tom & Jerry", "Tom &amp; Jerry"},
      {"<b>\"bold\"</b>", "&lt;b&gt;&quot;bold&quot;&lt;/b&gt;"},
      {"100%", "100%%"},
      {"%%", "%%%%"},
      // An entity already in the text is escaped again; inserted entities are not.
      {"&amp;", "&amp;amp;"},
      {"a&<>\"%b", "a&amp;&lt;&gt;&quot;%%b"},
      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, EscapeHtml(c.text)) << "text: " << c.text;
    EXPECT_EQ(std::string(c.expected).size(), EscapedHtmlSize(c.text)) << "text: " << c.text;
  }
}

}  // namespace
}  // namespace gallery
