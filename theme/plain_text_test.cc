#include "theme/plain_text.h"

#include <string>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(PlainTextFromHtmlTest, KeepsWhatAReaderSees) {
  struct Case {
    const char* html;
    const char* expected;
  };
  const Case cases[] = {
      {"", ""},
      {"Summer 2024", "Summer 2024"},
      {"<b>x</b>", "x"},
      {"<i>Half</i>dome", "Halfdome"},
      {"two<br>lines", "two lines"},
      {"<p>one</p><p>two</p>", "one two"},
      {"  spaced \n\t out  ", "spaced out"},
      // Escaped markup is text that a reader sees as markup.
      {"&lt;img src=x onerror=alert(1)&gt;", "<img src=x onerror=alert(1)>"},
      {"Tom &amp; Jerry", "Tom & Jerry"},
      {"&quot;Q&quot; &#39;s&#39;", "\"Q\" 's'"},
      {"caf&eacute; &#233; &#xE9; &#XE9;", "caf\xC3\xA9 \xC3\xA9 \xC3\xA9 \xC3\xA9"},
      {"&#x1F600;", "\xF0\x9F\x98\x80"},
      // A reference to no character names nothing a reader could see.
      {"a&#0; &#xD800; &#99999999999;&#;b", "a b"},
      // What is no reference or no tag stays as written.
      {"&unknown; & &; AT&T", "&unknown; & &; AT&T"},
      {"a < b > c", "a < b > c"},
      {"1<2", "1<2"},
      {"<a title=\"x > y\">link</a>", "link"},
      {"before<!-- note > here -->after", "beforeafter"},
      {"open <b", "open"},
      {"<img src=x onerror=alert(1)>", ""},
      // Script and style are no text; lists and tables part their items like lines.
      {"a<script>alert(1)</script>b<style>p{}</style>", "ab"},
      {"a<ul><li>b<li>c</ul>d", "a b c d"},
      {"<table><tr><td>1<td>2</table>", "1 2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, PlainTextFromHtml(c.html)) << "html: " << c.html;
  }
}

TEST(EscapeHtmlTextTest, NoQuoteOrBracketSurvives) {
  EXPECT_EQ("&lt;img src=x onerror=alert(1)&gt;", EscapeHtmlText("<img src=x onerror=alert(1)>"));
  EXPECT_EQ("&quot; onload=&#39;x&#39; &amp;amp;", EscapeHtmlText("\" onload='x' &amp;"));
  // Unlike the classic pages' escaping, "%" is text like any other here.
  EXPECT_EQ("100% caf\xC3\xA9", EscapeHtmlText("100% caf\xC3\xA9"));
}

TEST(CssStringTest, CannotEndTheStringOrTheStyleElement) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"", "\"\""},
      {"DejaVu Sans", "\"DejaVu Sans\""},
      {"Fira-Code_2", "\"Fira-Code_2\""},
      {"a\"b", "\"a\\22 b\""},
      {"a\\b", "\"a\\5c b\""},
      {"</style><script>", "\"\\3c \\2f style\\3e \\3c script\\3e \""},
      {"x;}body{", "\"x\\3b \\7d body\\7b \""},
      {"line\nbreak", "\"line\\a break\""},
      {"Caf\xC3\xA9", "\"Caf\xC3\xA9\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, CssString(c.text)) << "text: " << c.text;
  }
  EXPECT_EQ("\"a\\fffd b\"", CssString(std::string("a\0b", 3)));
}

TEST(CssFontFamilyTest, EachNameOfTheListIsAnEntryOfItsOwn) {
  struct Case {
    const char* list;
    const char* expected;
  };
  const Case cases[] = {
      {"Verdana, Arial, sans-serif", "Verdana,Arial,sans-serif"},
      {"Georgia,serif", "Georgia,serif"},
      {"Arial", "Arial,system-ui,sans-serif"},
      // Names with spaces are strings; the spaces between their words are folded.
      {"  Noto   Sans ,\tDejaVu Sans Mono, monospace ",
       "\"Noto Sans\",\"DejaVu Sans Mono\",monospace"},
      // Quotes are read as CSS does, with a comma or a quote of the other kind inside.
      {"\"Fira Code\", 'Comic, Sans', \"It's\"",
       "\"Fira Code\",\"Comic\\2c  Sans\",\"It\\27 s\",system-ui,sans-serif"},
      {"'Unended, serif", "\"Unended\\2c  serif\",system-ui,sans-serif"},
      // Generic families in any case are keywords; quoted, they name a font like any other.
      {"SERIF", "serif"},
      {"Cursive, Fantasy", "cursive,fantasy"},
      {"System-UI", "system-ui"},
      {"\"serif\"", "\"serif\",system-ui,sans-serif"},
      // Words that are keywords of the declaration, or no plain word, go quoted.
      {"inherit, Initial", "\"inherit\",\"Initial\",system-ui,sans-serif"},
      {"3Dumb, -x, Fira_Code-2", "\"3Dumb\",\"-x\",Fira_Code-2,system-ui,sans-serif"},
      {"Caf\xC3\xA9", "\"Caf\xC3\xA9\",system-ui,sans-serif"},
      // Nothing to name leaves the fallback alone.
      {"", "system-ui,sans-serif"},
      {" , ,'', \"\" ,", "system-ui,sans-serif"},
      {",Arial,,serif,", "Arial,serif"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, CssFontFamily(c.list)) << "list: " << c.list;
  }
}

TEST(CssFontFamilyTest, HostileNamesCannotLeaveTheValue) {
  struct Case {
    const char* list;
    const char* expected;
  };
  const Case cases[] = {
      {"x;}body{display:none", "\"x\\3b \\7d body\\7b display\\3a none\",system-ui,sans-serif"},
      {"Arial}</style><script>alert(1)</script>",
       "\"Arial\\7d \\3c \\2f style\\3e \\3c script\\3e alert\\28 1\\29 \\3c \\2f script\\3e \","
       "system-ui,sans-serif"},
      // A quote closes only the name it opened, and an escaped one closes nothing.
      {"\"a\\\"b\", serif", "\"a\\22 b\",serif"},
      {"'x'\"y\"", "\"xy\",system-ui,sans-serif"},
      {"back\\slash", "\"back\\5c slash\",system-ui,sans-serif"},
      {"a\\", "\"a\\5c \",system-ui,sans-serif"},
      {"'line\nbreak'", "\"line\\a break\",system-ui,sans-serif"},
      {"url(x)", "\"url\\28 x\\29 \",system-ui,sans-serif"},
  };
  for (const Case& c : cases) {
    const std::string family = CssFontFamily(c.list);
    EXPECT_EQ(c.expected, family) << "list: " << c.list;
    // Whatever the list, quotes only open and close whole names, and nothing reaches the text
    // outside the value.
    for (char forbidden : {';', '{', '}', '<', '>', '\'', '\n', '(', ')'}) {
      EXPECT_EQ(std::string::npos, family.find(forbidden)) << "list: " << c.list;
    }
  }
  EXPECT_EQ("\"a\\fffd b\",system-ui,sans-serif", CssFontFamily(std::string("a\0b", 3)));
}

TEST(UrlPathSegmentTest, EncodesAllButPlainNameCharacters) {
  EXPECT_EQ("1.jpg", UrlPathSegment("1.jpg"));
  EXPECT_EQ("a%20b%23c%3F%25%2F%22.JPG", UrlPathSegment("a b#c?%/\".JPG"));
  EXPECT_EQ("%C3%A9.png", UrlPathSegment("\xC3\xA9.png"));
}

}  // namespace
}  // namespace gallery
