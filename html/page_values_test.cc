#include "html/page_values.h"

#include <string>

#include <gtest/gtest.h>

#include "collection/style_settings.h"

namespace gallery {
namespace {

TEST(FormatColorTest, WritesRedGreenBlueInLowerCase) {
  struct Case {
    int color;
    const char* expected;
  };
  const Case cases[] = {
      {0x000000, "#000000"}, {0x0008FF, "#ff0800"},                      // red is the lowest byte
      {0xABCDEF, "#efcdab"}, {static_cast<int>(0xFF102030), "#302010"},  // the top byte is ignored
      {-1, "#ffffff"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, FormatColor(c.color)) << c.color;
}

TEST(FormatPageValuesTest, FormatsNumbersColoursAndWorkingNumbers) {
  CStyleSettings style;
  style.back_color = 0x0008FF;
  style.table_width = -5;
  style.font_size3 = 7;
  style.thumb_border_color = 0x010203;
  style.thumb_height = 90;
  CPageState state = StartPageState(style, 3);
  state.image_width = 376;
  state.border_size_regulation = 8;
  state.values.photo_title = "kept";
  FormatPageValues(style, 12, state);
  const CPageValues& values = state.values;
  EXPECT_EQ("#ff0800", values.back_color);
  EXPECT_EQ("-5", values.table_width);
  EXPECT_EQ("7", values.font_size3);
  EXPECT_EQ("#030201", values.photo_border_color);
  EXPECT_EQ("12", values.photo_count);
  EXPECT_EQ("376", values.image_width);
  EXPECT_EQ("90", values.thumb_height);
  EXPECT_EQ("8", values.border_size_regulation);
  EXPECT_EQ("kept", values.photo_title);
}

TEST(FormatPageValuesTest, BorderColourOnlyForBorderStyleOne) {
  for (int border_style : {0, 1, 2, -1}) {
    CStyleSettings style;
    style.table_border_style = border_style;
    style.table_border_color = 0x00FF00;
    CPageState state = StartPageState(style, 1);
    EXPECT_EQ(border_style == 1 ? "bordercolor=\"#00ff00\"" : "", state.values.table_border_style)
        << "style " << border_style;
  }
}

TEST(ReplacePlaceholdersTest, FillsValuesInTheirOrder) {
  CStyleSettings style;
  CPageState state;
  style.collection_title = "A&B \"x\" 5%";
  style.collection_desc = "<i>";
  style.font_name = "Arial";
  state.values.photo_title = "T";
  state.values.photo_count = "9";
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"no placeholders", "no placeholders"},
      {"%%CollectionTitle%%|%%CollectionDescription%%", "A&amp;B &quot;x&quot; 5%%|&lt;i&gt;"},
      {"%%FontName%%%%FontName%%", "ArialArial"},
      {"%%PhotoTitle%%", "T"},
      // Matches run left to right without overlap.
      {"%%%%PhotoTitle%%%%", "%%T%%"},
      {"%%PhotoTitle%%PhotoTitle%%", "TPhotoTitle%%"},
      // Names are case-sensitive; line placeholders and unknown names pass.
      {"%%phototitle%% %%Navigation%% %%Nope%%", "%%phototitle%% %%Navigation%% %%Nope%%"},
      {"%%PhotoTitle", "%%PhotoTitle"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    ReplacePlaceholders(style, state.values, text);
    EXPECT_EQ(c.expected, text) << "text: " << c.text;
  }
}

TEST(ReplacePlaceholdersTest, LaterNamesAreFilledInsideEarlierValues) {
  struct Case {
    const char* font_name;
    const char* photo_title;
    const char* collection_title;
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      // The font name comes before the photo title, so a title name inside it is filled in.
      {"%%PhotoTitle%%", "T", "", "%%FontName%%", "T"},
      // The photo title comes after the font name, so a font name inside it stays.
      {"F", "%%FontName%%", "", "%%PhotoTitle%%", "%%FontName%%"},
      // A value is not searched again for its own name.
      {"F", "%%PhotoTitle%%", "", "%%PhotoTitle%%", "%%PhotoTitle%%"},
      // Escaping doubles single per-cent signs, which can make a later name of them.
      {"F", "T", "%PhotoCount%", "%%CollectionTitle%%", "9"},
      {"F", "T", "%%PhotoTitle%%", "%%CollectionTitle%%", "%%T%%"},
  };
  for (const Case& c : cases) {
    CStyleSettings style;
    CPageState state;
    style.font_name = c.font_name;
    style.collection_title = c.collection_title;
    state.values.photo_title = c.photo_title;
    state.values.photo_count = "9";
    std::string text = c.text;
    ReplacePlaceholders(style, state.values, text);
    EXPECT_EQ(c.expected, text) << "text: " << c.text << ", font " << c.font_name << ", title "
                                << c.photo_title << ", collection " << c.collection_title;
  }
}

TEST(ReplacePlaceholdersTest, LargeTextsStayLinear) {
  CStyleSettings style;
  CPageState state;
  style.collection_desc = std::string(1 << 20, '%');
  const int title_names = 100 * 1024 / 14;
  for (int i = 0; i < title_names; ++i) state.values.photo_title += "%%PhotoCount%%";
  state.values.photo_count = "9";
  state.values.font_size1 = "3";
  std::string text = "%%CollectionDescription%%%%PhotoTitle%%";
  for (int i = 0; i < 50000; ++i) text += "%%FontSize1%%";
  // A replacement that splices in place would move megabytes once per occurrence.
  ReplacePlaceholders(style, state.values, text);
  EXPECT_EQ(std::string(2 << 20, '%') + std::string(title_names, '9') + std::string(50000, '3'),
            text);
}

TEST(ReplacePlaceholdersTest, RefusesATextPastThePageSize) {
  // Values of 1 MiB filled into 64 names make exactly the largest text; one byte more is too
  // much, however the bytes are spread over the rows.
  const std::string mebibyte(1 << 20, 'v');
  const size_t names = kMaxPageBytes / mebibyte.size();
  struct Case {
    const char* what;
    std::string photo_title;
    std::string extra_text;
    bool fits;
  };
  const Case cases[] = {
      {"exactly the page size", mebibyte, "", true},
      {"one byte more in the text", mebibyte, "x", false},
      {"one byte more in the value", mebibyte + "v", "", false},
      {"a value that shrinks the text", "", std::string(kMaxPageBytes, 'x'), true},
  };
  for (const Case& c : cases) {
    CStyleSettings style;
    CPageState state;
    state.values.photo_title = c.photo_title;
    std::string text = c.extra_text;
    for (size_t i = 0; i < names; ++i) text += "%%PhotoTitle%%";
    EXPECT_EQ(c.fits, ReplacePlaceholders(style, state.values, text)) << c.what;
    if (c.fits) {
      EXPECT_GE(kMaxPageBytes, text.size()) << c.what;
    }
  }
}

TEST(ReplacePlaceholdersTest, NamesSpelledByCollectionTextsCannotMultiplyPastThePageSize) {
  // Each row fills in a value that spells the next row's name many times: an escaped title
  // "%CollectionDescription%" becomes a real name, the description names the font, and the font
  // names the photo title. Filled in, this would be 2^60 bytes.
  CStyleSettings style;
  CPageState state;
  for (int i = 0; i < 1 << 15; ++i) style.collection_title += "%CollectionDescription%";
  for (int i = 0; i < 1 << 15; ++i) style.collection_desc += "%FontName%";
  for (int i = 0; i < 1 << 15; ++i) style.font_name += "%%PhotoTitle%%";
  state.values.photo_title = std::string(1 << 15, 't');
  std::string text = "<title>%%CollectionTitle%%</title>";
  EXPECT_FALSE(ReplacePlaceholders(style, state.values, text));
  EXPECT_GE(kMaxPageBytes, text.size());
}

TEST(StartPageStateTest, TakesTheStyleSizesAndNoWorkingNumbers) {
  CStyleSettings style;
  style.table_width = 100;
  style.thumb_width = 120;
  style.thumb_height = 90;
  const CPageState state = StartPageState(style, 2);
  EXPECT_EQ(100, state.table_width);
  EXPECT_EQ(120, state.thumb_width);
  EXPECT_EQ(90, state.thumb_height);
  EXPECT_EQ(0, state.border_size_regulation);
  EXPECT_EQ(0, state.image_width);
  EXPECT_EQ("0", state.values.image_height);
  EXPECT_EQ("2", state.values.photo_count);
  EXPECT_EQ("", state.values.photo_title);
}

}  // namespace
}  // namespace gallery
