#include "collection/output_layout.h"

#include <filesystem>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(GetPageFileNameTest, NamesPagesThatExist) {
  struct Case {
    int kind, number, count;
    const char* expected;
  };
  const Case cases[] = {
      {kPhotoPageKind, 0, 5, "0.htm"},
      {kPhotoPageKind, 4, 5, "4.htm"},
      {kPhotoPageKind, 5, 5, ""},
      {kPhotoPageKind, -1, 5, ""},
      {kPhotoPageKind, 10, 12, "10.htm"},
      {kIndexPageKind, 0, 3, "index.htm"},
      {kIndexPageKind, 2, 3, "index-2.htm"},
      {kIndexPageKind, 0, 0, ""},
      {kIndexPageKind, 3, 3, ""},
      {7, 1, 2, "index-1.htm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, GetPageFileName(c.kind, c.number, c.count))
        << "kind " << c.kind << ", page " << c.number << " of " << c.count;
  }
}

// Where a link written on a page in `page_folder` of the gallery at "/g" leads.
std::string Follow(std::string_view page_folder, const std::string& link) {
  std::filesystem::path page = std::filesystem::path("/g") / page_folder;
  return (page / link).lexically_normal().string();
}

TEST(OutputLayoutTest, LinksLeadToTheFilesARunWrites) {
  for (int64_t index : {int64_t{0}, int64_t{7}, int64_t{12345678901}}) {
    const std::string photo = GetPhotoFileName(index);
    EXPECT_EQ(GalleryFilePath("/g", kThumbsFolder, photo), Follow("", ThumbnailLink(index)));
    EXPECT_EQ(GalleryFilePath("/g", kImagesFolder, photo),
              Follow(kPagesFolder, PageImageLink(index)));
    EXPECT_EQ(Follow(kPagesFolder, std::to_string(index) + ".htm"),
              Follow("", PhotoPageLink(index)))
        << "index pages and photo pages name a photo's page alike";
  }
  EXPECT_EQ(GalleryFilePath("/g", kPagesFolder, GetPageFileName(kPhotoPageKind, 3, 4)),
            Follow("", PhotoPageLink(3)));
}

TEST(GalleryLinkTest, LeadsFromEveryFolderToEveryFile) {
  struct Case {
    std::string_view from, to;
    const char* expected;
  };
  const Case cases[] = {
      {"", "", "next.jpg"},
      {"", kAdvancedFolder, "advanced/next.jpg"},
      {kPagesFolder, kPagesFolder, "next.jpg"},
      {kPagesFolder, kAdvancedFolder, "../advanced/next.jpg"},
      {kPagesFolder, "", "../next.jpg"},
      {kBorderFolder, kThumbsFolder, "../thumbs/next.jpg"},
  };
  for (const Case& c : cases) {
    const std::string link = GalleryLink(c.from, c.to, "next.jpg");
    EXPECT_EQ(c.expected, link) << "from '" << c.from << "' to '" << c.to << "'";
    const std::string target =
        c.to.empty() ? "/g/next.jpg" : GalleryFilePath("/g", c.to, "next.jpg");
    EXPECT_EQ(target, Follow(c.from, link)) << "from '" << c.from << "' to '" << c.to << "'";
  }
}

TEST(OutputLayoutTest, NamesARunWritesAreKnownInTheirFolder) {
  struct Case {
    std::string_view folder;
    std::string name;
    bool known;
  };
  const Case cases[] = {
      {"", GetPageFileName(kIndexPageKind, 0, 2), true},
      {"", GetPageFileName(kIndexPageKind, 1, 2), true},
      {"", "index-0.htm", false},
      {"", GetPageFileName(kPhotoPageKind, 1, 2), false},
      {kImagesFolder, GetPhotoFileName(0), true},
      {kThumbsFolder, GetPhotoFileName(123456789), true},
      {kImagesFolder, "05.jpg", false},
      {kImagesFolder, GetPageFileName(kPhotoPageKind, 1, 2), false},
      {kPagesFolder, GetPageFileName(kPhotoPageKind, 99, 100), true},
      {kPagesFolder, GetPageFileName(kIndexPageKind, 0, 1), false},
      {kPagesFolder, GetPhotoFileName(3), false},
      {kAdvancedFolder, std::string(GetButtonFileName(NavigationButtonKind::kPrevious)), true},
      {kAdvancedFolder, "home.jpg", false},
      {kBorderFolder, GetFramePieceFileName(kFramePieceCount - 1), true},
      {kBorderFolder, GetFramePieceFileName(kFramePieceCount), false},
      {"notes", GetPhotoFileName(0), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.known, IsGalleryFileName(c.folder, c.name)) << c.folder << "/" << c.name;
  }
  for (NavigationButtonKind button : kNavigationButtonKinds) {
    EXPECT_TRUE(IsGalleryFileName(kAdvancedFolder, GetButtonFileName(button)));
    EXPECT_FALSE(IsGalleryFileName(kImagesFolder, GetButtonFileName(button)));
  }
}

}  // namespace
}  // namespace gallery
