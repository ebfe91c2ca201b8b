#include "app/photo_tree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// The albums of `tree` as "title [folder relative to `top`]: photo names", one line each,
// depth first in order.
void DescribeTree(const CTreeAlbum& tree, const std::string& top, std::vector<std::string>& lines) {
  std::string line = tree.title + " [" + tree.folder.substr(top.size()) + "]:";
  for (const CFolderPhoto& photo : tree.photos) line += " " + photo.name;
  lines.push_back(line);
  for (const CTreeAlbum& album : tree.albums) DescribeTree(album, top, lines);
}

std::vector<std::string> TreeOutline(const CTreeScan& scan) {
  std::vector<std::string> lines;
  DescribeTree(scan.root, scan.root.folder, lines);
  return lines;
}

std::vector<std::string> SkippedPaths(const CTreeScan& scan, const std::string& top) {
  std::vector<std::string> paths;
  for (const CSkippedFile& skipped : scan.skipped) paths.push_back(skipped.path.substr(top.size()));
  return paths;
}

class PhotoTreeTest : public testing::Test {
 protected:
  PhotoTreeTest() : top_(AbsolutePath(folder_.path()) + "/photos") {
    static_cast<void>(CreateFolder(top_));
  }

  // A file (any bytes do: names are all a walk by name looks at) and the folders above it.
  void Add(const std::string& path) {
    const std::string full = top_ + "/" + path;
    ASSERT_TRUE(CreateFolders(ParentFolder(full)));
    ASSERT_TRUE(WriteFileBytes(full, "x"));
  }
  void AddFolder(const std::string& path) { ASSERT_TRUE(CreateFolders(top_ + "/" + path)); }
  void Link(const std::string& target, const std::string& path) {
    ASSERT_EQ(0, symlink(target.c_str(), (top_ + "/" + path).c_str()));
  }

  CTreeScan Scan() {
    std::optional<CTreeScan> scan = ScanPhotoTree(top_, PhotoOrder::kName);
    EXPECT_TRUE(scan);
    return scan.value_or(CTreeScan{});
  }

  TempFolder folder_;
  std::string top_;
};

TEST_F(PhotoTreeTest, FoldersBecomeAlbumsNestedAsTheyAre) {
  Add("loose.jpg");
  Add("2019/Summer_Trip/b.jpg");
  Add("2019/Summer_Trip/a.jpg");
  Add("2019/c.jpg");
  Add("10 Ten/f.jpg");
  Add("9 Nine/g.JPG");
  Add("only folders/deeper/still deeper/h.png");
  Add("notes/readme.txt");    // no photo: left out
  Add("2020/.hidden/d.jpg");  // only hidden photos: left out
  Add(".git/objects/e.jpg");  // a hidden folder is never walked
  Add("2019/.thumb.jpg");     // a hidden file neither
  AddFolder("empty/emptier");
  CTreeScan scan = Scan();
  EXPECT_EQ(TreeOutline(scan), (std::vector<std::string>{
                               " []: loose.jpg",
                               "9 Nine [/9 Nine]: g.JPG",
                               "10 Ten [/10 Ten]: f.jpg",
                               "2019 [/2019]: c.jpg",
                               "Summer Trip [/2019/Summer_Trip]: a.jpg b.jpg",
                               "only folders [/only folders]:",
                               "deeper [/only folders/deeper]:",
                               "still deeper [/only folders/deeper/still deeper]: h.png",
                           }));
  EXPECT_TRUE(scan.skipped.empty());
  EXPECT_TRUE(scan.unreadable.empty());
  // The gallery numbers them sub-albums first, as the collection will.
  const std::vector<std::string> paths = TreePhotoPaths(scan.root);
  ASSERT_EQ(paths.size(), 7u);
  EXPECT_EQ(paths.front(), top_ + "/9 Nine/g.JPG");
  EXPECT_EQ(paths.back(), top_ + "/loose.jpg");
  const CAlbum album = AlbumFromTree(scan.root);
  EXPECT_EQ(PhotosInOrder(album).size(), 7u);
  EXPECT_EQ(album.albums[2].albums[0].title, "Summer Trip");
  EXPECT_EQ(album.albums[2].albums[0].folder, top_ + "/2019/Summer_Trip");
}

TEST_F(PhotoTreeTest, AFolderOfPhotosOnlyIsTheFolderScanAsBefore) {
  Add("b.jpg");
  Add("a10.jpg");
  Add("a9.jpg");
  Add("sub.jpg/inside.jpg");  // a folder with a photo's name is an album, not a skipped file
  CTreeScan scan = Scan();
  std::optional<CFolderScan> flat = ScanPhotoFolder(top_, PhotoOrder::kName);
  ASSERT_TRUE(flat);
  ASSERT_EQ(scan.root.photos.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(scan.root.photos[i].path, flat->photos[i].path);
    EXPECT_EQ(scan.root.photos[i].title, flat->photos[i].title);
  }
  EXPECT_TRUE(scan.skipped.empty()) << scan.skipped.front().path;
  ASSERT_EQ(scan.root.albums.size(), 1u);
  EXPECT_EQ(scan.root.albums[0].title, "sub.jpg");
}

TEST_F(PhotoTreeTest, OddFolderNamesMakePlainTextTitles) {
  Add("Paris.2019/p.jpg");
  Add("Caf\xC3\xA9 cr\xC3\xA8me/c.jpg");
  Add("100% <b>bold #1?/b.jpg");
  Add("FreshFlower_and-more/f.jpg");
  Add("bad\xFF name/x.jpg");
  Add("line\nbreak/y.jpg");
  CTreeScan scan = Scan();
  std::vector<std::string> titles;
  for (const CTreeAlbum& album : scan.root.albums) titles.push_back(album.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"100% <b>bold #1?", "Caf\xC3\xA9 cr\xC3\xA8me",
                                              "Fresh Flower and more", "linebreak", "Paris.2019"}));
  // Photo titles are HTML, as they always were; the folder's name reaches its path unchanged.
  EXPECT_EQ(scan.root.albums[0].photos[0].title, "b");
  EXPECT_EQ(scan.root.albums[0].folder, top_ + "/100% <b>bold #1?");
  EXPECT_EQ(SkippedPaths(scan, top_), (std::vector<std::string>{"/bad\xFF name"}));
  EXPECT_EQ(scan.mended, (std::vector<std::string>{top_ + "/line\nbreak"}));
}

TEST_F(PhotoTreeTest, LinksAreFollowedOnlyOnceAndNeverOutOfTheTree) {
  TempFolder outside;
  outside.WriteFile("far.jpg", "x");
  Add("Real/r.jpg");
  Add("Deep/Deeper/d.jpg");
  Link(top_, "Deep/Deeper/back to the top");
  Link("..", "Deep/up one");
  Link(top_ + "/Real", "A link to Real");
  Link("Real", "Another link to Real");
  Link(outside.path(), "Outside");
  Link(top_ + "/missing", "Broken");
  Add(".store/s.jpg");
  Link(".store", "Stored");
  Link(".store", "Stored again");
  CTreeScan scan = Scan();
  EXPECT_EQ(TreeOutline(scan), (std::vector<std::string>{
                               " []:",
                               "Deep [/Deep]:",
                               "Deeper [/Deep/Deeper]: d.jpg",
                               "Real [/Real]: r.jpg",
                               "Stored [/.store]: s.jpg",
                           }));
  EXPECT_EQ(SkippedPaths(scan, top_),
            (std::vector<std::string>{"/A link to Real", "/Another link to Real",
                                      "/Deep/Deeper/back to the top", "/Deep/up one", "/Outside",
                                      "/Stored again"}));
}

TEST_F(PhotoTreeTest, AFolderThatCannotBeReadIsLeftOutAndNamed) {
  Add("open/o.jpg");
  Add("locked/l.jpg");
  ASSERT_EQ(0, chmod(folder_.path().c_str(), 0755));
  ASSERT_EQ(0, chmod((top_ + "/locked").c_str(), 0));
  // The superuser reads any folder, so the walk is made as a user who may not.
  EXPECT_EXIT(
      {
        if (geteuid() == 0 && setuid(65534) != 0) std::_Exit(2);
        std::optional<CTreeScan> scan = ScanPhotoTree(top_, PhotoOrder::kName);
        const bool right = scan && scan->root.albums.size() == 1 &&
                           scan->root.albums[0].title == "open" &&
                           scan->unreadable == std::vector<std::string>{top_ + "/locked"};
        std::_Exit(right ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  ASSERT_EQ(0, chmod((top_ + "/locked").c_str(), 0755));
}

TEST_F(PhotoTreeTest, NestingStopsAtTheDepthACollectionHolds) {
  std::string path;
  for (int i = 0; i <= kMaxAlbumDepth; ++i) path += "d/";
  Add(path + "deep.jpg");
  Add("d/shallow.jpg");
  CTreeScan scan = Scan();
  ASSERT_EQ(scan.skipped.size(), 1u);
  EXPECT_NE(scan.skipped[0].reason.find("nested deeper"), std::string::npos);
  EXPECT_EQ(TreePhotoPaths(scan.root), (std::vector<std::string>{top_ + "/d/shallow.jpg"}));
}

TEST(PhotoTreeOrderTest, DatesComeFirstThenNamesAsAPersonReadsThem) {
  EXPECT_TRUE(SortsBefore({"img2", ""}, {"img10", ""}, PhotoOrder::kName));
  EXPECT_FALSE(SortsBefore({"img10", "2001:01:01 00:00:00"}, {"img2", ""}, PhotoOrder::kName));
  EXPECT_TRUE(SortsBefore({"img10", "2001:01:01 00:00:00"}, {"img2", ""}, PhotoOrder::kDate));
  EXPECT_TRUE(
      SortsBefore({"z", "2001:01:01 00:00:00"}, {"a", "2002:01:01 00:00:00"}, PhotoOrder::kDate));
  EXPECT_TRUE(
      SortsBefore({"a", "2001:01:01 00:00:00"}, {"b", "2001:01:01 00:00:00"}, PhotoOrder::kDate));
  EXPECT_FALSE(SortsBefore({"a", ""}, {"a", ""}, PhotoOrder::kDate));
}

}  // namespace
}  // namespace gallery
