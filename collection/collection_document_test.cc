#include "collection/collection_document.h"

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

// A document opened for reading whose style element carries `style_attributes`.
void OpenWithStyle(CCollectionDocument& document, const std::string& style_attributes) {
  ASSERT_TRUE(
      document.OpenText("<collection><style " + style_attributes + "/></collection>", true, true));
}

TEST(CCollectionDocumentTest, OpenNeedsCollectionRootAndStyleAndTellsWhichIsMissing) {
  struct Case {
    const char* text;
    bool want_style;
    LoadFailure expected;
  };
  const Case cases[] = {
      {"<collection><style/></collection>", true, LoadFailure::kNone},
      {"<collection><photo/></collection>", false, LoadFailure::kNone},
      {"<collection><photo/></collection>", true, LoadFailure::kNoStyle},
      {"<collection><group><style/></group></collection>", true, LoadFailure::kNoStyle},
      {"<collection><Style/></collection>", true, LoadFailure::kNoStyle},
      {"<gallery><style/></gallery>", true, LoadFailure::kWrongRoot},
      {"<Collection><style/></Collection>", true, LoadFailure::kWrongRoot},
      {"<collection><style/>", true, LoadFailure::kNotXml},
      {"", true, LoadFailure::kNotXml},
  };
  for (const Case& c : cases) {
    CCollectionDocument document;
    const bool opens = c.expected == LoadFailure::kNone;
    EXPECT_EQ(opens, document.OpenText(c.text, true, c.want_style)) << c.text;
    EXPECT_EQ(c.expected, document.open_failure()) << c.text;
    std::string title = "x";
    std::string description;
    EXPECT_EQ(opens, document.ReadCollection(title, description)) << c.text;
  }
}

TEST(CCollectionDocumentTest, OpeningAgainAfterAFailureForgetsTheOldCause) {
  CCollectionDocument document;
  ASSERT_FALSE(document.OpenText("<gallery/>", true, true));
  ASSERT_TRUE(document.OpenText("<collection><style/></collection>", true, true));
  EXPECT_EQ(LoadFailure::kNone, document.open_failure());
}

TEST(CCollectionDocumentTest, OnlyXmlThatIsNotWellFormedHasAParseFault) {
  CCollectionDocument document;
  ASSERT_FALSE(
      document.OpenText("<collection>\n<style title=\"a & b\"/></collection>", true, true));
  ASSERT_TRUE(document.parse_fault().has_value());
  EXPECT_EQ(static_cast<int>(XmlSyntaxError::kBareAmpersand),
            static_cast<int>(document.parse_fault()->cause));
  EXPECT_EQ(2, document.parse_fault()->line);

  // A later failure of another kind, or a success, leaves no fault from the earlier one.
  ASSERT_FALSE(document.OpenText("<gallery/>", true, true));
  EXPECT_FALSE(document.parse_fault().has_value());
  ASSERT_FALSE(document.OpenText("<", true, true));
  ASSERT_TRUE(document.OpenText("<collection><style/></collection>", true, true));
  EXPECT_FALSE(document.parse_fault().has_value());
}

TEST(CCollectionDocumentTest, ReadsCollectionTexts) {
  CCollectionDocument document;
  ASSERT_TRUE(document.OpenText(
      "<collection title=\"Tom &amp; Jerry\" desc=\"&lt;b&gt;\"><style/></collection>", true,
      true));
  std::string title;
  std::string description;
  ASSERT_TRUE(document.ReadCollection(title, description));
  EXPECT_EQ("Tom & Jerry", title);
  EXPECT_EQ("<b>", description);

  CCollectionDocument bare;
  ASSERT_TRUE(bare.OpenText("<collection><style/></collection>", true, true));
  ASSERT_TRUE(bare.ReadCollection(title, description));
  EXPECT_EQ("", title) << "absent attributes read as empty texts";
  EXPECT_EQ("", description);
}

TEST(CCollectionDocumentTest, ReadsDirectPhotoChildrenInOrder) {
  CCollectionDocument document;
  ASSERT_TRUE(
      document.OpenText("<collection>"
                        "<photo title=\"b\" path=\"2.jpg\" desc=\"ignored\"/>"
                        "<album><photo title=\"nested\" path=\"n.jpg\"/></album>"
                        "<photo path=\"1.jpg\"/>"
                        "<style/>"
                        "<photo title=\"b\" path=\"2.jpg\"/>"
                        "</collection>",
                        true, true));
  ASSERT_EQ(3, document.GetPhotoCount());
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"b", "2.jpg"}, {"", "1.jpg"}, {"b", "2.jpg"}};
  for (int index = 0; index < 3; ++index) {
    std::string title = "old";
    std::string path = "old";
    ASSERT_TRUE(document.ReadPhoto(index, title, path)) << index;
    EXPECT_EQ(expected[index].first, title) << index;
    EXPECT_EQ(expected[index].second, path) << index;
  }
}

TEST(CCollectionDocumentTest, FailingReadClosesTheDocument) {
  struct Case {
    const char* name;
    bool (*fail)(CCollectionDocument&);
  };
  const Case cases[] = {
      {"photo index past the end",
       [](CCollectionDocument& d) {
         std::string title, path;
         return d.ReadPhoto(1, title, path);
       }},
      {"negative photo index",
       [](CCollectionDocument& d) {
         std::string title, path;
         return d.ReadPhoto(-1, title, path);
       }},
      {"second open", [](CCollectionDocument& d) { return d.OpenText("<collection/>", 0, 0); }},
      {"writing while reading", [](CCollectionDocument& d) { return d.AddStyle(); }},
      {"create while reading", [](CCollectionDocument& d) { return d.Create(); }},
  };
  for (const Case& c : cases) {
    CCollectionDocument document;
    ASSERT_TRUE(document.OpenText("<collection><photo/><style a=\"1\"/></collection>", true, true));
    ASSERT_EQ(1, document.GetPhotoCount());
    EXPECT_FALSE(c.fail(document)) << c.name;
    EXPECT_EQ(0, document.GetPhotoCount()) << c.name;
    std::string text = "kept";
    EXPECT_FALSE(document.ReadText("a", text)) << c.name;
    EXPECT_EQ("kept", text) << c.name;
    EXPECT_TRUE(document.Create()) << c.name << ": a closed document can be used again";
  }
}

TEST(CCollectionDocumentTest, PhotoCountIsZeroWithoutPhotoList) {
  CCollectionDocument closed;
  EXPECT_EQ(0, closed.GetPhotoCount());
  CCollectionDocument without_list;
  ASSERT_TRUE(without_list.OpenText("<collection><photo/><style/></collection>", false, true));
  EXPECT_EQ(0, without_list.GetPhotoCount());
  std::string title;
  std::string description;
  EXPECT_TRUE(without_list.ReadCollection(title, description)) << "asking the count keeps it open";
}

TEST(CCollectionDocumentTest, AbsentStyleAttributeFailsButKeepsDocumentOpen) {
  CCollectionDocument document;
  OpenWithStyle(document, "font_name=\"Arial\" table_rows=\"3\"");
  std::string text = "unchanged";
  int number = 17;
  EXPECT_FALSE(document.ReadText("Font_Name", text)) << "keys are case-sensitive";
  EXPECT_FALSE(document.ReadText("missing", text));
  EXPECT_FALSE(document.ReadNumber("missing", number));
  EXPECT_EQ("unchanged", text);
  EXPECT_EQ(17, number);
  EXPECT_TRUE(document.ReadText("font_name", text));
  EXPECT_EQ("Arial", text);
  EXPECT_TRUE(document.ReadNumber("table_rows", number));
  EXPECT_EQ(3, number);
}

TEST(CCollectionDocumentTest, StyleReadsNeedAStyleElement) {
  CCollectionDocument document;
  ASSERT_TRUE(document.OpenText("<collection><photo/></collection>", true, false));
  std::string text;
  EXPECT_FALSE(document.ReadText("font_name", text));
  EXPECT_EQ(0, document.GetPhotoCount()) << "a read without a style element closes";
}

TEST(CCollectionDocumentTest, NumbersAreScannedLikeTheCLibrary) {
  struct Case {
    const char* value;
    int expected;  // kUnchanged when the field keeps its value
  };
  constexpr int kUnchanged = -12345;
  const Case cases[] = {
      {"42", 42},
      {" 42 ", 42},
      {"&#9;&#10;&#13; 42", 42},  // references, as the parser turns raw line ends into spaces
      {"42px", 42},
      {"-3", -3},
      {"+7", 7},
      {"007", 7},
      {"0x1F", 0},
      {"1.9", 1},
      {"16777215", 16777215},
      {"px42", kUnchanged},
      {"", kUnchanged},
      {"   ", kUnchanged},
      {"+", kUnchanged},
      {"- 5", kUnchanged},
      {"--5", kUnchanged},
      {"\xC2\xA0"
       "5",
       kUnchanged},  // a no-break space is not white space to the scan
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      // Beyond the 32-bit range the value is clamped to its nearer end.
      {"2147483648", INT_MAX},
      {"-2147483649", INT_MIN},
      {"4294967297", INT_MAX},
      {"99999999999999999999999999999999", INT_MAX},
      {"-99999999999999999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) {
    CCollectionDocument document;
    OpenWithStyle(document, std::string("n=\"") + c.value + "\"");
    int number = kUnchanged;
    EXPECT_TRUE(document.ReadNumber("n", number)) << "value: \"" << c.value << "\"";
    EXPECT_EQ(c.expected, number) << "value: \"" << c.value << "\"";
  }
}

TEST(CCollectionDocumentTest, WritesTheCollectionFormat) {
  CCollectionDocument document;
  ASSERT_TRUE(document.Create());
  ASSERT_TRUE(document.BeginCollection("My & \"Best\"", "caf\xC3\xA9 <3"));
  for (const char* title : {"first", "second"}) {
    ASSERT_TRUE(document.AddPhoto());
    ASSERT_TRUE(document.SetPhotoAttribute("path", title[0] == 'f' ? "0" : "1"));
    ASSERT_TRUE(document.SetPhotoAttribute("title", title));
  }
  ASSERT_TRUE(document.AddStyle());
  ASSERT_TRUE(document.SetStyleText("font_name", "Verdana"));
  ASSERT_TRUE(document.SetStyleNumber("font_color", -16777216));
  ASSERT_TRUE(document.SetStyleNumber("table_rows", 4));
  std::optional<std::string> text = document.SaveText();
  ASSERT_TRUE(text);
  EXPECT_FALSE(document.AddPhoto()) << "saving closes the document";

  EXPECT_LT(text->find("title=\"My &amp; &quot;Best&quot;\""), text->find("desc=")) << *text;
  EXPECT_LT(text->find("path=\"0\""), text->find("title=\"first\"")) << *text;
  EXPECT_LT(text->find("title=\"first\""), text->find("path=\"1\"")) << *text;
  EXPECT_LT(text->find("title=\"second\""), text->find("<style")) << *text;
  EXPECT_NE(std::string::npos, text->find("font_color=\"-16777216\"")) << *text;

  CCollectionDocument back;
  ASSERT_TRUE(back.OpenText(*text, true, true)) << *text;
  std::string title;
  std::string description;
  ASSERT_TRUE(back.ReadCollection(title, description));
  EXPECT_EQ("My & \"Best\"", title);
  EXPECT_EQ("caf\xC3\xA9 <3", description);
  ASSERT_EQ(2, back.GetPhotoCount());
  std::string path;
  ASSERT_TRUE(back.ReadPhoto(1, title, path));
  EXPECT_EQ("second", title);
  EXPECT_EQ("1", path);
  int color = 0;
  ASSERT_TRUE(back.ReadNumber("font_color", color));
  EXPECT_EQ(-16777216, color);
}

TEST(CCollectionDocumentTest, WritingOutOfOrderFailsAndCloses) {
  struct Case {
    const char* name;
    bool (*steps)(CCollectionDocument&);
  };
  const Case cases[] = {
      {"collection before create",
       [](CCollectionDocument& d) { return d.BeginCollection("", ""); }},
      {"two collections",
       [](CCollectionDocument& d) {
         return d.Create() && d.BeginCollection("", "") && d.BeginCollection("", "");
       }},
      {"photo before collection",
       [](CCollectionDocument& d) { return d.Create() && d.AddPhoto(); }},
      {"photo attribute before photo",
       [](CCollectionDocument& d) {
         return d.Create() && d.BeginCollection("", "") && d.SetPhotoAttribute("title", "x");
       }},
      {"style before collection",
       [](CCollectionDocument& d) { return d.Create() && d.AddStyle(); }},
      {"style value before style",
       [](CCollectionDocument& d) {
         return d.Create() && d.BeginCollection("", "") && d.SetStyleNumber("table_rows", 1);
       }},
      {"second create", [](CCollectionDocument& d) { return d.Create() && d.Create(); }},
      {"reading while writing",
       [](CCollectionDocument& d) {
         std::string title, description;
         return d.Create() && d.BeginCollection("", "") && d.ReadCollection(title, description);
       }},
      {"text that is not UTF-8",
       [](CCollectionDocument& d) { return d.Create() && d.BeginCollection("\xFF", ""); }},
  };
  for (const Case& c : cases) {
    CCollectionDocument document;
    EXPECT_FALSE(c.steps(document)) << c.name;
    EXPECT_FALSE(document.SaveText()) << c.name << ": the failure closed the document";
  }
}

}  // namespace
}  // namespace gallery
