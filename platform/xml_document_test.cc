#include "platform/xml_document.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/temp_folder.h"

namespace gallery {
namespace {

using Clock = std::chrono::steady_clock;

// The value of attribute `name` of the root element of `text`, or "<unparsed>"/"<absent>".
std::string RootAttribute(std::string_view text, std::string_view root, std::string_view name) {
  std::optional<XmlDocument> doc = XmlDocument::Parse(text);
  if (!doc) return "<unparsed>";
  return doc->Root(root).Attribute(name).value_or("<absent>");
}

// `text` (ASCII and Latin-1 only) as UTF-16 with a byte-order mark.
std::string Utf16WithBom(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    char high = static_cast<char>(c >> 8);
    char low = static_cast<char>(c & 0xFF);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(XmlDocumentTest, ReadsElementsAndAttributes) {
  std::optional<XmlDocument> doc = XmlDocument::Parse(
      "<?xml version=\"1.0\"?>\n"
      "<collection title=\"A &amp; B &lt;c&gt; &#233;\" empty=\"\">\n"
      "  <photo path=\"1\"/><group><photo path=\"nested\"/></group>\n"
      "  <photo path=\"2\"/><Photo path=\"case\"/><p:photo xmlns:p=\"urn:x\" path=\"ns\"/>\n"
      "  <style n=\"1\"/><style n=\"2\"/>\n"
      "</collection>");
  ASSERT_TRUE(doc);
  XmlElement root = doc->Root("collection");
  ASSERT_TRUE(root);
  EXPECT_FALSE(doc->Root("Collection"));
  EXPECT_EQ("A & B <c> \xC3\xA9", root.Attribute("title").value_or("<absent>"));
  EXPECT_EQ("", root.Attribute("empty").value_or("<absent>"));
  EXPECT_FALSE(root.Attribute("desc"));
  EXPECT_FALSE(root.Attribute("Title"));

  std::vector<XmlElement> photos = root.Children("photo");
  ASSERT_EQ(2u, photos.size()) << "only direct children with exactly that name";
  EXPECT_EQ("1", photos[0].Attribute("path").value_or(""));
  EXPECT_EQ("2", photos[1].Attribute("path").value_or(""));
  EXPECT_EQ("1", root.FirstChild("style").Attribute("n").value_or(""));
  EXPECT_EQ("ns", root.FirstChild("p:photo").Attribute("path").value_or(""));
  EXPECT_FALSE(root.FirstChild("missing"));
  EXPECT_TRUE(root.FirstChild("missing").Children("photo").empty());
  EXPECT_FALSE(root.FirstChild("missing").Attribute("path"));
}

TEST(XmlDocumentTest, DeclaredEntitiesAreResolvedInAttributes) {
  const char* text =
      "<!DOCTYPE c [<!ENTITY who \"Ann &amp; Bob\"><!ENTITY line \"by &who;!\">]>"
      "<c a=\"&line; &line;\"/>";
  EXPECT_EQ("by Ann & Bob! by Ann & Bob!", RootAttribute(text, "c", "a"));
}

TEST(XmlDocumentTest, DefaultsDeclaredInTheDocumentAreItsAttributes) {
  std::optional<XmlDocument> doc = XmlDocument::Parse(
      "<!DOCTYPE collection [\n"
      "<!ATTLIST collection title CDATA \"Untitled\" desc CDATA #FIXED \"fixed\">\n"
      "<!ATTLIST photo title CDATA \"no title\" path CDATA #IMPLIED>\n"
      "<!ATTLIST style table_rows CDATA \" 2 \">\n"
      "]>\n"
      "<collection><photo/><photo title=\"own\" path=\"a.jpg\"/><style/></collection>");
  ASSERT_TRUE(doc);
  XmlElement root = doc->Root("collection");
  EXPECT_EQ("Untitled", root.Attribute("title").value_or("<absent>"));
  EXPECT_EQ("fixed", root.Attribute("desc").value_or("<absent>"));
  std::vector<XmlElement> photos = root.Children("photo");
  ASSERT_EQ(2u, photos.size());
  EXPECT_EQ("no title", photos[0].Attribute("title").value_or("<absent>"));
  EXPECT_FALSE(photos[0].Attribute("path")) << "#IMPLIED gives no value";
  EXPECT_EQ("own", photos[1].Attribute("title").value_or("<absent>"));
  EXPECT_EQ(" 2 ", root.FirstChild("style").Attribute("table_rows").value_or("<absent>"));

  // A long default given to many elements stands for far more text than the document holds,
  // and counts against the same allowance as entity references.
  std::string many = "<!DOCTYPE c [<!ATTLIST p t CDATA \"" + std::string(100000, 'x') + "\">]><c>";
  for (int i = 0; i < 2000; ++i) many += "<p/>";
  many += "</c>";
  const Clock::time_point start = Clock::now();
  XmlParseFault fault;
  EXPECT_FALSE(XmlDocument::Parse(many, {}, &fault));
  EXPECT_EQ(XmlSyntaxError::kTooLarge, fault.cause);
  EXPECT_LT(SecondsSince(start), 2.0);
}

TEST(XmlDocumentTest, AnyErrorOrWarningFails) {
  const char* cases[] = {
      "",
      "   ",
      "not xml",
      "<a>",
      "<a></b>",
      "<a/><b/>",
      "<a x=\"1\" x=\"2\"/>",
      "<a x=\"&undeclared;\"/>",
      "<a x=\"&#0;\"/>",
      "<a x=\"\xFF\"/>",
      "<?xml version=\"1.0\" encoding=\"no-such-encoding\"?><a/>",
      // Both are only warnings to libxml2.
      "<a xmlns=\"relative\"/>",
      "<?xml version=\"1.1\"?><a/>",
      // An entity that refers to itself.
      "<!DOCTYPE a [<!ENTITY e \"&e;\">]><a x=\"&e;\"/>",
  };
  for (const char* text : cases) {
    EXPECT_FALSE(XmlDocument::Parse(text)) << text;
  }
  EXPECT_FALSE(XmlDocument::Parse(std::string_view("<a x=\"1\0\"/>", 10)));
}

TEST(XmlDocumentTest, AFailedParseSaysWhereAndWhy) {
  std::string deep;
  for (int i = 0; i <= kMaxXmlElementDepth; ++i) deep += "<e>";
  std::string laughs = "<!DOCTYPE c [<!ENTITY l0 \"ha\">";
  for (int i = 1; i <= 9; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) laughs += "&l" + std::to_string(i - 1) + ";";
    laughs += "\">";
  }
  laughs += "]>\n<c t=\"&l9;\"/>";
  struct Case {
    std::string text;
    XmlSyntaxError cause;
    int line;  // 0: any line
  };
  const Case cases[] = {
      {"<c>\n<p t=\"Tom & Jerry\"/></c>", XmlSyntaxError::kBareAmpersand, 2},
      {"<c>\n\nFish & chips</c>", XmlSyntaxError::kBareAmpersand, 3},
      {"<c t=\"a &amp b\"/>", XmlSyntaxError::kBareAmpersand, 1},
      {"<c>\n<p t=\"&eacute;\"/></c>", XmlSyntaxError::kUndefinedEntity, 2},
      {"<c>\n<p></q></c>", XmlSyntaxError::kMismatchedTag, 2},
      {"<c>\n<p>", XmlSyntaxError::kUnclosedElement, 0},
      {"<c>\n<p t=x/></c>", XmlSyntaxError::kUnquotedAttribute, 2},
      {"<c>\n<p t/></c>", XmlSyntaxError::kUnquotedAttribute, 2},
      {"<c>\n<p t=\"open/>", XmlSyntaxError::kUnterminatedAttribute, 0},
      {"<c>\n<p t=\"a<b\"/></c>", XmlSyntaxError::kLessThanInAttribute, 2},
      {"<c>\n<p t=\"\xFF\"/></c>", XmlSyntaxError::kBadEncoding, 2},
      {"<?xml version=\"1.0\" encoding=\"no-such-encoding\"?><c/>", XmlSyntaxError::kBadEncoding,
       1},
      {"", XmlSyntaxError::kEmpty, 0},
      {"<c/>\n<d/>", XmlSyntaxError::kContentAfterRoot, 2},
      {"<c>\n" + deep, XmlSyntaxError::kTooDeep, 2},
      {laughs, XmlSyntaxError::kTooLarge, 0},
      {"<c x=\"1\" x=\"2\"/>", XmlSyntaxError::kOther, 1},
  };
  for (const Case& c : cases) {
    XmlParseFault fault;
    fault.cause = XmlSyntaxError::kTooLarge;
    EXPECT_FALSE(XmlDocument::Parse(c.text, {}, &fault)) << c.text;
    EXPECT_EQ(static_cast<int>(c.cause), static_cast<int>(fault.cause)) << c.text;
    if (c.line > 0) {
      EXPECT_EQ(c.line, fault.line) << c.text;
      EXPECT_LT(0, fault.column) << c.text;
    }
  }
}

TEST(XmlDocumentTest, TheFaultsColumnIsWhereTheProblemIs) {
  XmlParseFault fault;
  ASSERT_FALSE(XmlDocument::Parse("<c>\n  <p t=\"Tom & Jerry\"/></c>", {}, &fault));
  EXPECT_EQ(2, fault.line);
  // At the "&" or just past it, where libxml2 looks for a name.
  EXPECT_NEAR(13, fault.column, 1);
}

TEST(XmlDocumentTest, DeclaredEncodingsArriveAsUtf8) {
  struct Case {
    std::string name;
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><c t=\"caf\xC3\xA9\"/>", "caf\xC3\xA9"},
      {"UTF-8 with BOM", "\xEF\xBB\xBF<c t=\"caf\xC3\xA9\"/>", "caf\xC3\xA9"},
      {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><c t=\"caf\xE9\"/>",
       "caf\xC3\xA9"},
      {"ISO-8859-15", "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?><c t=\"\xA4\"/>",
       "\xE2\x82\xAC"},
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><c t=\"5 \x80\"/>",
       "5 \xE2\x82\xAC"},
      {"windows-1251", "<?xml version=\"1.0\" encoding=\"windows-1251\"?><c t=\"\xC4\"/>",
       "\xD0\x94"},
      {"UTF-16LE",
       Utf16WithBom(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><c t=\"caf\u00e9\"/>", false),
       "caf\xC3\xA9"},
      {"UTF-16BE",
       Utf16WithBom(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><c t=\"caf\u00e9\"/>", true),
       "caf\xC3\xA9"},
      {"UTF-16LE without declaration", Utf16WithBom(u"<c t=\"\u00e9\"/>", false), "\xC3\xA9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, RootAttribute(c.bytes, "c", "t")) << c.name;
  }
}

TEST(XmlDocumentTest, ExternalEntitiesAreNeverRead) {
  TempFolder folder;
  const std::string secret_uri =
      "file://" + folder.WriteFile("secret.txt", "<!ENTITY leak \"TOP-SECRET\">TOP-SECRET");
  const std::string declaration = "<!ENTITY s SYSTEM \"" + secret_uri + "\">";
  const std::string parameter = "<!ENTITY % p SYSTEM \"" + secret_uri + "\"> %p;";

  // In an attribute an external entity is an error.
  EXPECT_EQ("<unparsed>",
            RootAttribute("<!DOCTYPE c [" + declaration + "]><c t=\"&s;\"/>", "c", "t"));
  // Were the parameter entity read, it would declare "leak".
  EXPECT_NE("TOP-SECRET",
            RootAttribute("<!DOCTYPE c [" + parameter + "]><c t=\"&leak;\"/>", "c", "t"));

  // Elsewhere the references stay unexpanded.
  for (const std::string& text : {"<!DOCTYPE c [" + declaration + "]><c><p>&s;</p></c>",
                                  "<!DOCTYPE c [" + parameter + "]><c/>"}) {
    std::optional<XmlDocument> doc = XmlDocument::Parse(text);
    ASSERT_TRUE(doc) << text;
    EXPECT_EQ(std::string::npos, doc->Serialize().value_or("").find("TOP-SECRET")) << text;
  }
}

TEST(XmlDocumentTest, ExternalDtdIsNotFetched) {
  TempFolder folder;
  // Were this DTD read, its garbage would fail the parse and its default would show.
  const std::string dtd =
      folder.WriteFile("bad.dtd", "<!ATTLIST c t CDATA \"from-dtd\"> this is not a DTD <<<");
  const Clock::time_point start = Clock::now();
  EXPECT_EQ("<absent>", RootAttribute("<!DOCTYPE c SYSTEM \"file://" + dtd + "\"><c/>", "c", "t"));
  EXPECT_EQ("<absent>",
            RootAttribute("<!DOCTYPE c SYSTEM \"http://127.0.0.1:9/c.dtd\"><c/>", "c", "t"));
  EXPECT_LT(SecondsSince(start), 2.0);
}

TEST(XmlDocumentTest, EntityBombsFailFast) {
  // Entity l<n> stands for 3 * 10^n characters.
  std::string declarations = "<!DOCTYPE c [<!ENTITY l0 \"lol\">";
  std::string moderate;
  for (int level = 1; level <= 9; ++level) {
    declarations += "<!ENTITY l" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i) declarations += "&l" + std::to_string(level - 1) + ";";
    declarations += "\">";
    if (level == 3) moderate = declarations + "]>";
  }
  const std::string laughs = declarations + "]>";

  std::string big(100000, 'x');
  std::string quadratic = "<!DOCTYPE c [<!ENTITY b \"" + big + "\">]><c t=\"";
  for (int i = 0; i < 20000; ++i) quadratic += "&b;";
  quadratic += "\"/>";

  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"laughs in an attribute", laughs + "<c t=\"&l9;\"/>"},
      {"laughs in content", laughs + "<c>&l9;</c>"},
      {"laughs in content of an entity",
       declarations + "<!ENTITY w \"<a t='&l9;'/>\">]><c>&w;</c>"},
      {"quadratic blow-up", quadratic},
      {"laughs declared, never used", laughs + "<c/>"},
  };
  for (const Case& c : cases) {
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(XmlDocument::Parse(c.text)) << c.name;
    EXPECT_LT(SecondsSince(start), 2.0) << c.name;
  }

  // Moderate use of the same entities stays within bounds.
  EXPECT_EQ(30000u, RootAttribute(moderate + "<c t=\"&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;\"/>",
                                  "c", "t")
                        .size());
}

TEST(XmlDocumentTest, LargeDocumentsParse) {
  const std::string value(50 << 20, 'v');
  std::optional<XmlDocument> wide = XmlDocument::Parse("<c t=\"" + value + "\"/>");
  ASSERT_TRUE(wide);
  EXPECT_EQ(value.size(), wide->Root("c").Attribute("t").value_or("").size());

  std::string many = "<c>";
  for (int i = 0; i < 100000; ++i) many += "<photo path=\"" + std::to_string(i) + ".jpg\"/>";
  many += "</c>";
  std::optional<XmlDocument> doc = XmlDocument::Parse(many);
  ASSERT_TRUE(doc);
  std::vector<XmlElement> photos = doc->Root("c").Children("photo");
  ASSERT_EQ(100000u, photos.size());
  EXPECT_EQ("99999.jpg", photos.back().Attribute("path").value_or(""));
}

TEST(XmlDocumentTest, KeepsOnlyTheNamedChildrenOfTheRoot) {
  const XmlKeptChildren kept[] = {{"photo", false}, {"p:style", true}};
  std::optional<XmlDocument> doc = XmlDocument::Parse(
      "<!DOCTYPE c [<!ENTITY early \"<p:style n='entity'/>\">]>"
      "<c t=\"root\" xmlns:p=\"urn:x\">&early;text<!-- note --><?pi x?>"
      "<photo path=\"1\"><photo path=\"inner\"/>deep text</photo><other/>"
      "<p:style n=\"first\"/><photo path=\"2\"/><p:style n=\"second\"/></c>",
      kept);
  ASSERT_TRUE(doc);
  XmlElement root = doc->Root("c");
  EXPECT_EQ("root", root.Attribute("t").value_or(""));
  std::vector<XmlElement> photos = root.Children("photo");
  ASSERT_EQ(2u, photos.size());
  EXPECT_EQ("1", photos[0].Attribute("path").value_or(""));
  EXPECT_EQ("2", photos[1].Attribute("path").value_or(""));
  EXPECT_TRUE(photos[0].Children("photo").empty());
  EXPECT_FALSE(root.FirstChild("other"));
  // An element in an entity's text is no child of the root, so it does not take the place of
  // the first one.
  EXPECT_EQ("first", root.FirstChild("p:style").Attribute("n").value_or(""));
  EXPECT_EQ(1u, root.Children("p:style").size());
}

TEST(XmlDocumentTest, KeepsWholeSubtreesOfTheChildrenNamedSo) {
  const XmlKeptChildren kept[] = {{"photo", false}, {"album", false, true}};
  std::optional<XmlDocument> doc = XmlDocument::Parse(
      "<c><photo path=\"1\"><photo path=\"dropped\"/></photo>"
      "<album title=\"a\">text<photo path=\"2\"/><album title=\"b\"><album title=\"c\">"
      "<photo path=\"3\"/></album></album><other x=\"kept too\"/></album>"
      "<note><album title=\"under another child\"/></note><photo path=\"4\"/></c>",
      kept);
  ASSERT_TRUE(doc);
  XmlElement root = doc->Root("c");
  ASSERT_EQ(2u, root.Children("photo").size());
  EXPECT_TRUE(root.Children("photo")[0].Children("photo").empty());
  EXPECT_EQ("4", root.Children("photo")[1].Attribute("path").value_or(""));
  ASSERT_EQ(1u, root.Children("album").size());
  XmlElement album = root.FirstChild("album");
  EXPECT_EQ("2", album.FirstChild("photo").Attribute("path").value_or(""));
  EXPECT_EQ("kept too", album.FirstChild("other").Attribute("x").value_or(""));
  XmlElement deepest = album.FirstChild("album").FirstChild("album");
  EXPECT_EQ("c", deepest.Attribute("title").value_or(""));
  EXPECT_EQ("3", deepest.FirstChild("photo").Attribute("path").value_or(""));
  EXPECT_FALSE(root.FirstChild("note"));
}

TEST(XmlDocumentTest, NestingPastTheDepthLimitFailsAtOnce) {
  const auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<a>";
    for (int i = 0; i < depth; ++i) text += "</a>";
    return text;
  };
  struct Case {
    std::string text;
    bool parses;
  };
  const Case cases[] = {
      {nested(kMaxXmlElementDepth), true},
      {nested(kMaxXmlElementDepth + 1), false},
      {"<c>" + nested(kMaxXmlElementDepth - 1) + "</c>", true},
      {"<!DOCTYPE c [<!ENTITY e \"" + nested(kMaxXmlElementDepth) + "\">]><c>&e;</c>", false},
      // Ten million open elements, once 1.8 GB of tree.
      {nested(10'000'000), false},
  };
  for (const Case& c : cases) {
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(c.parses, XmlDocument::Parse(c.text).has_value()) << c.text.size() << " bytes";
    EXPECT_GT(2.0, SecondsSince(start)) << c.text.size() << " bytes";
  }
}

TEST(XmlDocumentTest, ParsesOnSeveralThreadsWithoutPrinting) {
  testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  std::vector<int> good(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &good] {
      for (int i = 0; i < 50; ++i) {
        const bool valid = (i + t) % 2 == 0;
        std::optional<XmlDocument> doc =
            XmlDocument::Parse(valid ? "<c t=\"ok\"/>" : "<c t=\"broken\">&nope;");
        if (doc.has_value() == valid &&
            (!valid || doc->Root("c").Attribute("t").value_or("") == "ok")) {
          ++good[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  EXPECT_EQ(std::vector<int>(4, 50), good);
}

TEST(XmlDocumentTest, BuildsAndSerializesAsUtf8) {
  std::optional<XmlDocument> doc = XmlDocument::CreateEmpty();
  ASSERT_TRUE(doc);
  EXPECT_FALSE(doc->Root("collection"));
  XmlElement root = doc->SetRoot("collection");
  ASSERT_TRUE(root);
  EXPECT_FALSE(doc->SetRoot("other")) << "a document has one root";
  const std::string tricky = "<b>&amp; \"q\" 'a' \xE2\x82\xAC\ttab\nline\r%%";
  EXPECT_TRUE(root.SetAttribute("title", tricky));
  EXPECT_TRUE(root.SetAttribute("desc", ""));
  EXPECT_TRUE(root.SetAttribute("title", "replaced"));
  XmlElement photo = root.AppendChild("photo");
  ASSERT_TRUE(photo);
  EXPECT_TRUE(photo.SetAttribute("path", "0"));
  EXPECT_TRUE(photo.SetAttribute("title", tricky));
  ASSERT_TRUE(root.AppendChild("style"));

  EXPECT_FALSE(root.SetAttribute("bad name", "x"));
  EXPECT_FALSE(root.SetAttribute("", "x"));
  EXPECT_FALSE(root.SetAttribute("t", "\xFF"));
  EXPECT_FALSE(root.SetAttribute("t", std::string_view("a\0b", 3)));
  EXPECT_FALSE(root.AppendChild("1abc"));

  std::optional<std::string> text = doc->Serialize();
  ASSERT_TRUE(text);
  EXPECT_EQ(0u, text->find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << *text;
  EXPECT_LT(text->find("title=\"replaced\""), text->find("desc=")) << *text;
  EXPECT_LT(text->find("path="), text->find("title=\"&lt;")) << *text;
  EXPECT_LT(text->find("<photo"), text->find("<style")) << *text;

  std::optional<XmlDocument> back = XmlDocument::Parse(*text);
  ASSERT_TRUE(back) << *text;
  XmlElement read_root = back->Root("collection");
  EXPECT_EQ("replaced", read_root.Attribute("title").value_or("<absent>"));
  EXPECT_EQ("", read_root.Attribute("desc").value_or("<absent>"));
  EXPECT_EQ(tricky, read_root.FirstChild("photo").Attribute("title").value_or("<absent>"));
  EXPECT_TRUE(read_root.FirstChild("style"));
}

TEST(XmlDocumentTest, WritesToAFileTheBytesItSerializes) {
  std::optional<XmlDocument> doc = XmlDocument::CreateEmpty();
  ASSERT_TRUE(doc);
  XmlElement root = doc->SetRoot("collection");
  // Escaped, the title is six times its size: larger than any of libxml2's output pieces.
  ASSERT_TRUE(root.SetAttribute("title", std::string(100000, '"') + "\xE2\x82\xAC <&>\n\t"));
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(root.AppendChild("photo").SetAttribute("path", "p"));
  std::optional<std::string> text = doc->Serialize();
  ASSERT_TRUE(text);

  TempFolder folder;
  const std::string path = folder.Join("out.xml");
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_LE(0, descriptor);
  EXPECT_TRUE(doc->WriteTo(descriptor));
  close(descriptor);
  EXPECT_EQ(*text, ReadWholeFile(path));

  // A device that is always full refuses every write.
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_LE(0, full);
  EXPECT_FALSE(doc->WriteTo(full));
  close(full);
}

}  // namespace
}  // namespace gallery
