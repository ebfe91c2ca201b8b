#include "platform/html_text.h"

#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

namespace gallery {
namespace {

// The pieces written compactly: "<b>" a start, "</b>" an end, anything else a text.
std::string Sketch(const std::vector<CHtmlPiece>& pieces) {
  std::string sketch;
  for (const CHtmlPiece& piece : pieces) {
    switch (piece.kind) {
      case CHtmlPiece::Kind::kElementStart:
        sketch += "<" + piece.value + ">";
        break;
      case CHtmlPiece::Kind::kElementEnd:
        sketch += "</" + piece.value + ">";
        break;
      case CHtmlPiece::Kind::kText:
        sketch += "[" + piece.value + "]";
        break;
    }
  }
  return sketch;
}

TEST(ReadHtmlFragmentTest, GivesTextsAndElementsInDocumentOrderWithEveryElementEnded) {
  struct Case {
    const char* html;
    const char* sketch;
  };
  const Case cases[] = {
      {"", ""},
      {"plain", "[plain]"},
      {"<i>Half</i>dome", "<i>[Half]</i>[dome]"},
      {"<B>x</B>", "<b>[x]</b>"},
      {"Tom &amp; Jerry &lt;3", "[Tom & Jerry <3]"},
      {"caf&eacute; &#233; &#xE9;", "[caf\xC3\xA9 \xC3\xA9 \xC3\xA9]"},
      // Unclosed elements end where their parent does; the comment gives nothing.
      {"<b><i>x", "<b><i>[x]</i></b>"},
      {"a<!-- <b> -->b", "[a][b]"},
      {"<a title=\"x > y\">link</a>", "<a>[link]</a>"},
      {"a<script>if (a < b) x()</script>", "[a]<script>[if (a < b) x()]</script>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.sketch, Sketch(ReadHtmlFragment(c.html))) << "html: " << c.html;
  }
}

TEST(ReadHtmlFragmentTest, EveryTextIsValidUtf8WhateverTheBytes) {
  const std::string nul_inside("a\0b", 3);
  EXPECT_EQ("[a b]", Sketch(ReadHtmlFragment(nul_inside)));
  EXPECT_EQ("[caf\xEF\xBF\xBD ok]", Sketch(ReadHtmlFragment("caf\xE9 ok")));
  // A fragment that ends the element it is read in loses nothing after it.
  const std::string escaped = Sketch(ReadHtmlFragment("a</div>b"));
  EXPECT_NE(std::string::npos, escaped.find("[a]"));
  EXPECT_NE(std::string::npos, escaped.find("[b]"));
  GRand* random = g_rand_new_with_seed(7);
  for (int round = 0; round < 200; ++round) {
    std::string bytes;
    const int length = g_rand_int_range(random, 0, 300);
    for (int i = 0; i < length; ++i) {
      // Markup characters often, so that tags and references form too.
      const char markup[] = "<>&;#/ =\"'ab";
      bytes += g_rand_boolean(random) ? markup[g_rand_int_range(random, 0, sizeof markup - 1)]
                                      : static_cast<char>(g_rand_int_range(random, 0, 256));
    }
    for (const CHtmlPiece& piece : ReadHtmlFragment(bytes)) {
      EXPECT_TRUE(g_utf8_validate(piece.value.data(), static_cast<gssize>(piece.value.size()),
                                  nullptr))
          << "round " << round;
    }
  }
  g_rand_free(random);
}

int TextCount(const std::vector<CHtmlPiece>& pieces) {
  int texts = 0;
  for (const CHtmlPiece& piece : pieces) texts += piece.kind == CHtmlPiece::Kind::kText ? 1 : 0;
  return texts;
}

std::string Nested(int depth) {
  std::string nested;
  for (int i = 0; i < depth; ++i) nested += "<b>";
  return nested + "x";
}

TEST(ReadHtmlFragmentTest, DeepNestingAndLongTextsAreRead) {
  EXPECT_EQ(1, TextCount(ReadHtmlFragment(Nested(100))));
  // Past the parser's depth limit the rest is given up, with no stack spent on the way.
  EXPECT_LE(TextCount(ReadHtmlFragment(Nested(200000))), 1);
  const std::string long_text(3 << 20, 'w');
  EXPECT_EQ(long_text, ReadHtmlFragment(long_text).at(0).value);
  EXPECT_TRUE(ReadHtmlFragment("<!-- " + long_text).empty());
}

}  // namespace
}  // namespace gallery
