#include "theme/font_list.h"

#include <string>

#include <gtest/gtest.h>

namespace gallery {
namespace {

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

}  // namespace
}  // namespace gallery
