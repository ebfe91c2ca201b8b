#include "app/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

using Arguments = std::vector<std::string>;

TEST(SplitCommandLineTest, SplitsAtEveryQuote) {
  struct Case {
    const char* text;
    Arguments expected;
  };
  const Case cases[] = {
      {"", {}},
      {"no quotes at all", {}},
      {"\"a\"", {"a"}},
      {"\"a b\" \"c\"", {"a b", "c"}},
      // Bare words between two quoted arguments form one argument of their own.
      {"\"a\" b c \"d\"", {"a", "b c", "d"}},
      // Text after the last quote is lost.
      {"\"a\" \"b\" c", {"a", "b"}},
      {"\"  token \t\"", {"token"}},
      // An empty or blank quoted argument yields nothing and the later ones move up.
      {"\"t\" \"\" \"in\" \"out\"", {"t", "in", "out"}},
      {"\"t\" \"   \" \"in\"", {"t", "in"}},
      {"\"\r\n\v\fx\f\"", {"x"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, SplitCommandLine(c.text)) << "text: " << c.text;
  }
}

TEST(SplitCommandLineTest, ArgumentsGoThroughQuotingAndSplitting) {
  struct Case {
    Arguments argv;
    Arguments expected;
  };
  const Case cases[] = {
      {{"tok", "in.xml", "out dir/c.xml"}, {"tok", "in.xml", "out dir/c.xml"}},
      {{" tok ", "in.xml"}, {"tok", "in.xml"}},
      {{"tok", "", "in.xml", "out.xml"}, {"tok", "in.xml", "out.xml"}},
      {{"tok", "   ", "in.xml"}, {"tok", "in.xml"}},
      // A double quote inside an argument splits it there.
      {{"a\"b", "c"}, {"a", "b", "c"}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    std::string joined = JoinCommandLine(c.argv);
    EXPECT_EQ(c.expected, SplitCommandLine(joined)) << "joined: " << joined;
  }
}

}  // namespace
}  // namespace gallery
