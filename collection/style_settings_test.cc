#include "collection/style_settings.h"

#include <climits>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/collection_document.h"

namespace gallery {
namespace {

// The names of the style element's attributes in a written file, in the order they stand.
std::vector<std::string> StyleAttributeNames(const std::string& text) {
  std::vector<std::string> names;
  size_t start = text.find("<style");
  if (start == std::string::npos) return names;
  const std::string element = text.substr(start, text.find("/>", start) - start);
  const std::regex attribute("([A-Za-z_0-9]+)=\"");
  for (auto it = std::sregex_iterator(element.begin(), element.end(), attribute);
       it != std::sregex_iterator(); ++it) {
    names.push_back((*it)[1]);
  }
  return names;
}

std::optional<std::string> WriteStyleText(const CStyleSettings& style) {
  CCollectionDocument document;
  if (!document.Create() || !document.BeginCollection("t", "d")) return std::nullopt;
  if (!WriteStyle(document, style)) return std::nullopt;
  return document.SaveText();
}

CStyleSettings ReadStyleText(const std::string& text, CStyleSettings style = {}) {
  CCollectionDocument document;
  EXPECT_TRUE(document.OpenText(text, true, true)) << text;
  EXPECT_TRUE(ReadStyle(document, style));
  return style;
}

TEST(StyleSettingsTest, WritesAllKeysInTheirOrder) {
  CStyleSettings style;
  style.collection_title = "not a key";
  std::optional<std::string> text = WriteStyleText(style);
  ASSERT_TRUE(text);
  const std::vector<std::string> expected = {"preset_version",     "preset_name",
                                             "preset_desc",        "preset_builder",
                                             "font_name",          "font_color",
                                             "font_size1",         "font_size2",
                                             "font_size3",         "font_size4",
                                             "font_size5",         "photo_quality",
                                             "photo_width",        "photo_height",
                                             "back_color",         "table_columns",
                                             "table_rows",         "table_width",
                                             "table_height",       "table_spacing",
                                             "table_padding",      "table_back_color",
                                             "table_border_size",  "table_border_style",
                                             "table_border_color", "table_item_back_color",
                                             "thumb_type",         "thumb_style",
                                             "thumb_width",        "thumb_height",
                                             "thumb_border_size",  "thumb_border_color",
                                             "thumb_back_color",   "text_limit",
                                             "text_limit_type"};
  EXPECT_EQ(expected, StyleAttributeNames(*text)) << *text;
  EXPECT_EQ(std::string::npos, text->find("not a key")) << *text;
}

TEST(StyleSettingsTest, EveryValueSurvivesWriteAndRead) {
  CStyleSettings written;
  const std::string texts[] = {"1.0", "Night <b>&amp;</b> \"day\"", "caf\xC3\xA9 \xE2\x82\xAC",
                               "line one\nline two\ttab", "Times New Roman"};
  int text_index = 0;
  int number = -40;
  for (const CStyleKey& key : kStyleKeys) {
    if (key.text != nullptr) {
      written.*key.text = texts[text_index++];
    } else {
      written.*key.number = number;
      number += 7;
    }
  }
  written.font_color = INT_MIN;
  written.back_color = INT_MAX;
  written.thumb_back_color = 16777215;

  std::optional<std::string> text = WriteStyleText(written);
  ASSERT_TRUE(text);
  const CStyleSettings read = ReadStyleText(*text);
  for (const CStyleKey& key : kStyleKeys) {
    if (key.text != nullptr) {
      EXPECT_EQ(written.*key.text, read.*key.text) << key.name;
    } else {
      EXPECT_EQ(written.*key.number, read.*key.number) << key.name;
    }
  }
  EXPECT_EQ("", read.collection_title) << "the collection's texts are not style keys";
}

TEST(StyleSettingsTest, AbsentOrUnreadableKeysKeepTheirValues) {
  CStyleSettings before;
  before.font_name = "Georgia";
  before.preset_name = "kept";
  before.table_rows = 3;
  before.thumb_width = 120;
  before.text_limit = 9;
  const CStyleSettings read = ReadStyleText(
      "<collection><style Font_Name=\"Arial\" table_rows=\"px4\" thumb_width=\"\" "
      "text_limit=\" 20 \" table_columns=\"5\" preset_desc=\"\"/></collection>",
      before);
  EXPECT_EQ("Georgia", read.font_name) << "key names are case-sensitive";
  EXPECT_EQ("kept", read.preset_name);
  EXPECT_EQ("", read.preset_desc);
  EXPECT_EQ(3, read.table_rows);
  EXPECT_EQ(120, read.thumb_width);
  EXPECT_EQ(20, read.text_limit);
  EXPECT_EQ(5, read.table_columns);
  EXPECT_EQ(0, read.font_size1);
}

TEST(StyleSettingsTest, EmptyStyleElementReadsNothing) {
  const CStyleSettings read = ReadStyleText("<collection><style/></collection>");
  for (const CStyleKey& key : kStyleKeys) {
    if (key.text != nullptr) {
      EXPECT_EQ("", read.*key.text) << key.name;
    } else {
      EXPECT_EQ(0, read.*key.number) << key.name;
    }
  }
}

TEST(StyleSettingsTest, ClosedDocumentReadsNothingAndWritesFail) {
  CCollectionDocument closed;
  CStyleSettings style;
  style.table_rows = 8;
  EXPECT_TRUE(ReadStyle(closed, style));
  EXPECT_EQ(8, style.table_rows);
  EXPECT_FALSE(WriteStyle(closed, style));

  CCollectionDocument without_collection;
  ASSERT_TRUE(without_collection.Create());
  EXPECT_FALSE(WriteStyle(without_collection, style));
}

}  // namespace
}  // namespace gallery
