#include "imaging/photo_rules.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(PhotoRulesTest, PixelLimitAllowsExactlyTwoHundredFiftySixMegapixels) {
  struct Case {
    int64_t width, height;
    bool too_large;
  };
  const Case cases[] = {
      {16384, 16384, false},
      {16384, 16385, true},
      {int64_t{1} << 28, 1, false},
      {(int64_t{1} << 28) + 1, 1, true},
      {1, (int64_t{1} << 28) + 1, true},
      {INT_MAX, INT_MAX, true},
      {0, INT_MAX, false},
      {1, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.too_large, IsTooLarge(c.width, c.height)) << c.width << " x " << c.height;
  }
}

void Put32(std::vector<unsigned char>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

void PutText(std::vector<unsigned char>& bytes, size_t at, const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) bytes[at + i] = static_cast<unsigned char>(text[i]);
}

// A tag of an ICC profile: its signature and its whole body, signature included.
struct IccTag {
  std::string signature;
  std::vector<unsigned char> body;
};

// A version 2 description: "desc", 4 reserved bytes, the text's length, then the text.
IccTag TextDescription(const std::string& text) {
  std::vector<unsigned char> body(12 + text.size() + 1, 0);
  PutText(body, 0, "desc");
  Put32(body, 8, static_cast<uint32_t>(text.size() + 1));
  PutText(body, 12, text);
  return {"desc", body};
}

// A version 4 description: a "mluc" tag of one record whose text is UTF-16 big-endian.
IccTag LocalisedDescription(const std::string& text) {
  std::vector<unsigned char> body(28 + 2 * text.size(), 0);
  PutText(body, 0, "mluc");
  Put32(body, 8, 1);
  Put32(body, 12, 12);
  PutText(body, 16, "enUS");
  Put32(body, 20, static_cast<uint32_t>(2 * text.size()));
  Put32(body, 24, 28);
  for (size_t i = 0; i < text.size(); ++i) body[28 + 2 * i + 1] = text[i];
  return {"desc", body};
}

// A profile of colour space `space` holding `tags` one after another behind the tag table.
std::vector<unsigned char> Profile(const std::string& space, const std::vector<IccTag>& tags) {
  size_t size = 132 + 12 * tags.size();
  for (const IccTag& tag : tags) size += tag.body.size();
  std::vector<unsigned char> bytes(size, 0);
  PutText(bytes, 16, space);
  Put32(bytes, 128, static_cast<uint32_t>(tags.size()));
  size_t at = 132 + 12 * tags.size();
  for (size_t i = 0; i < tags.size(); ++i) {
    PutText(bytes, 132 + 12 * i, tags[i].signature);
    Put32(bytes, 132 + 12 * i + 4, static_cast<uint32_t>(at));
    Put32(bytes, 132 + 12 * i + 8, static_cast<uint32_t>(tags[i].body.size()));
    std::copy(tags[i].body.begin(), tags[i].body.end(), bytes.begin() + at);
    at += tags[i].body.size();
  }
  return bytes;
}

TEST(PhotoRulesTest, ProfilesNamedSrgbInEitherVersionAreSrgb) {
  const IccTag white_point = {"wtpt", std::vector<unsigned char>(20, 0)};
  struct Case {
    const char* what;
    std::vector<unsigned char> profile;
    bool srgb;
  };
  const Case cases[] = {
      {"version 2", Profile("RGB ", {TextDescription("sRGB IEC61966-2.1")}), true},
      {"version 4", Profile("RGB ", {LocalisedDescription("sRGB built-in")}), true},
      {"after another tag", Profile("RGB ", {white_point, TextDescription("sRGB")}), true},
      {"other name, version 2", Profile("RGB ", {TextDescription("Display P3")}), false},
      {"other name, version 4", Profile("RGB ", {LocalisedDescription("Adobe RGB")}), false},
      {"lower case", Profile("RGB ", {TextDescription("srgb")}), false},
      {"grey profile", Profile("GRAY", {TextDescription("sRGB")}), false},
      {"no description", Profile("RGB ", {white_point}), false},
      {"no tags", Profile("RGB ", {}), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.srgb, IsSrgbProfile(c.profile.data(), c.profile.size())) << c.what;
  }
}

// Every case is held in a buffer of exactly its length, so a read past it is caught by the
// address sanitizer runs.
TEST(PhotoRulesTest, DamagedProfilesAreJudgedWithoutReadingPastTheirEnd) {
  const std::vector<unsigned char> whole = Profile("RGB ", {LocalisedDescription("sRGB")});
  ASSERT_TRUE(IsSrgbProfile(whole.data(), whole.size()));
  for (size_t length = 0; length < whole.size(); ++length) {
    const std::vector<unsigned char> cut(whole.begin(), whole.begin() + length);
    EXPECT_FALSE(IsSrgbProfile(cut.data(), cut.size())) << "cut to " << length;
  }

  struct Case {
    const char* what;
    size_t at;  // where the damage goes
    uint32_t value;
    bool srgb;
  };
  const Case cases[] = {
      // The table is read only as far as the profile goes, which still holds the description.
      {"many more tags than the table holds", 128, 0xFFFFFFFF, true},
      {"tag offset past the end", 136, 0xFFFFFFF0, false},
      {"tag size past the end", 140, 0xFFFFFFF0, false},
      {"tag shorter than its header", 140, 8, false},
      {"text offset past the tag", 144 + 24, 0xFFFFFFF0, false},
      {"text length past the tag", 144 + 20, 0xFFFFFFF0, false},
      {"text shorter than four characters", 144 + 20, 6, false},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> damaged = whole;
    Put32(damaged, c.at, c.value);
    EXPECT_EQ(c.srgb, IsSrgbProfile(damaged.data(), damaged.size())) << c.what;
  }
}

TEST(PhotoRulesTest, ReducedDecodingKeepsTheRectangleOnWholePixelsAndTheOutputSize) {
  struct Case {
    const char* what;
    PhotoRect rect;
    PhotoSize output;
    int factor;
  };
  // Of a source of 1001 x 777 pixels, whose sides no factor divides.
  const Case cases[] = {
      {"whole source, small output", {0, 0, 1001, 777}, {100, 77}, 8},
      {"whole source, half its size", {0, 0, 1001, 777}, {500, 388}, 2},
      {"whole source, just over half its width", {0, 0, 1001, 777}, {501, 300}, 1},
      {"whole source at its own size", {0, 0, 1001, 777}, {1001, 777}, 1},
      {"corner on whole pixels", {0, 0, 320, 320}, {40, 40}, 8},
      {"output exactly the shrunk rectangle", {0, 0, 800, 776}, {100, 97}, 8},
      {"one pixel more than the shrunk rectangle", {0, 0, 800, 776}, {101, 97}, 4},
      {"offset by four pixels", {4, 4, 320, 320}, {40, 40}, 4},
      {"offset by two pixels", {2, 0, 320, 320}, {40, 40}, 2},
      {"side on no whole pixel", {0, 0, 321, 321}, {40, 40}, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.factor, ReducedDecodingFactor({1001, 777}, c.rect, c.output)) << c.what;
  }
}

}  // namespace
}  // namespace gallery
