#include "platform/collation.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names, const char* language) {
  const CCollator collator(language);
  std::sort(names.begin(), names.end(), [&](const std::string& left, const std::string& right) {
    return collator.Less(left, right);
  });
  return names;
}

TEST(CollationTest, AccentsCaseAndNumbersSortAsPeopleExpect) {
  EXPECT_EQ(Sorted({"Zoë", "Été", "apple", "Banana", "eagle"}, "fr"),
            (std::vector<std::string>{"apple", "Banana", "eagle", "Été", "Zoë"}));
  EXPECT_EQ(Sorted({"img10.jpg", "img2.jpg", "IMG1.jpg", "img02.jpg"}, "en"),
            (std::vector<std::string>{"IMG1.jpg", "img02.jpg", "img2.jpg", "img10.jpg"}));
  // Names that differ only in case still get one order, the same every time.
  EXPECT_EQ(Sorted({"b", "B", "a"}, "en"), Sorted({"B", "a", "b"}, "en"));
}

TEST(CollationTest, EachLanguageKeepsItsOwnRules) {
  // Swedish puts "ö" after "z"; German files it under "o".
  EXPECT_TRUE(CCollator("sv").Less("zebra", "öl"));
  EXPECT_TRUE(CCollator("de").Less("öl", "zebra"));
  // An unknown code and broken UTF-8 still order, without a crash.
  const CCollator unknown("xx");
  EXPECT_TRUE(unknown.Less("a", "b"));
  EXPECT_FALSE(unknown.Less("b", "a"));
  const std::string broken = "caf\xC3";
  EXPECT_NE(unknown.Less(broken, "cafe"), unknown.Less("cafe", broken));
}

}  // namespace
}  // namespace gallery
