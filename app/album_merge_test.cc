#include "app/album_merge.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

constexpr char kTop[] = "/p";

CFolderPhoto Found(const std::string& folder, const std::string& name,
                   const std::string& date = "") {
  return {folder + "/" + name, name, name + " title", date};
}

CTreeAlbum FoundAlbum(const std::string& folder, std::vector<CFolderPhoto> photos,
                      std::vector<CTreeAlbum> albums = {}, const std::string& date = "") {
  const std::string name = folder.substr(folder.find_last_of('/') + 1);
  return {folder, name, name, date, std::move(photos), std::move(albums)};
}

CPhotoEntry Kept(const std::string& path, const std::string& title = "edited") {
  return {path, title};
}

CAlbum KeptAlbum(const std::string& folder, std::vector<CPhotoEntry> photos,
                 std::vector<CAlbum> albums = {}) {
  return {"My " + folder, "described", folder, "", std::move(photos), std::move(albums)};
}

// Every album as "folder: photo paths", one line each, depth first in order.
void DescribeMerged(const CAlbum& album, std::vector<std::string>& lines) {
  std::string line = album.folder + ":";
  for (const CPhotoEntry& photo : album.photos) line += " " + photo.path;
  lines.push_back(line);
  for (const CAlbum& sub_album : album.albums) DescribeMerged(sub_album, lines);
}

std::vector<std::string> MergedOutline(const CAlbum& album) {
  std::vector<std::string> lines;
  DescribeMerged(album, lines);
  return lines;
}

CTreeScan ScanOf(std::vector<CFolderPhoto> photos, std::vector<CTreeAlbum> albums = {}) {
  CTreeScan scan;
  scan.root = FoundAlbum(kTop, std::move(photos), std::move(albums));
  return scan;
}

CAlbum LibraryOf(std::vector<CPhotoEntry> photos, std::vector<CAlbum> albums = {}) {
  return {"Photos", "Mine", kTop, "", std::move(photos), std::move(albums)};
}

TEST(AlbumMergeTest, NothingChangesWhenTheFolderIsAsItWas) {
  const CAlbum library =
      LibraryOf({Kept("/p/b.jpg"), Kept("/p/a.jpg")}, {KeptAlbum("/p/x", {Kept("/p/x/1.jpg")})});
  CMergeReport report;
  const CAlbum merged = MergeAlbums(library,
                                    ScanOf({Found(kTop, "a.jpg"), Found(kTop, "b.jpg")},
                                           {FoundAlbum("/p/x", {Found("/p/x", "1.jpg")})}),
                                    PhotoOrder::kName, report);
  EXPECT_EQ(MergedOutline(merged), MergedOutline(library));
  EXPECT_EQ(merged.albums[0].title, "My /p/x");
  EXPECT_EQ(merged.photos[0].title, "edited");
  EXPECT_TRUE(report.added_photos.empty() && report.dropped_photos.empty());
  EXPECT_TRUE(report.added_albums.empty() && report.dropped_albums.empty());
}

TEST(AlbumMergeTest, NewPhotosGoWhereTheySortAmongThePersonsOrder) {
  // The person put c before a; new photos find their places without moving either.
  const CAlbum library = LibraryOf({Kept("/p/c.jpg"), Kept("/p/a.jpg"), Kept("/p/img5.jpg")});
  CMergeReport report;
  const CAlbum merged =
      MergeAlbums(library,
                  ScanOf({Found(kTop, "a.jpg"), Found(kTop, "b.jpg"), Found(kTop, "c.jpg"),
                          Found(kTop, "d.jpg"), Found(kTop, "img5.jpg"), Found(kTop, "img9.jpg"),
                          Found(kTop, "img10.jpg")}),
                  PhotoOrder::kName, report);
  EXPECT_EQ(MergedOutline(merged),
            (std::vector<std::string>{"/p: /p/b.jpg /p/c.jpg /p/a.jpg /p/d.jpg /p/img5.jpg "
                                      "/p/img9.jpg /p/img10.jpg"}));
  EXPECT_EQ(report.added_photos.size(), 4u);
  EXPECT_EQ(merged.photos[0].title, "b.jpg title");
  EXPECT_EQ(merged.photos[1].title, "edited");
}

TEST(AlbumMergeTest, DateOrderPlacesByTheDatesOfTheExistingPhotosToo) {
  const CAlbum library = LibraryOf({Kept("/p/late.jpg"), Kept("/p/early.jpg")});
  CMergeReport report;
  const CAlbum merged = MergeAlbums(
      library,
      ScanOf({Found(kTop, "early.jpg", "2001:01:01 10:00:00"),
              Found(kTop, "middle.jpg", "2001:06:01 10:00:00"),
              Found(kTop, "late.jpg", "2002:01:01 10:00:00"), Found(kTop, "undated.jpg")}),
      PhotoOrder::kDate, report);
  // "middle" sorts before "late", the first photo that comes after it.
  EXPECT_EQ(
      MergedOutline(merged),
      (std::vector<std::string>{"/p: /p/middle.jpg /p/late.jpg /p/early.jpg /p/undated.jpg"}));
}

TEST(AlbumMergeTest, GonePhotosAndFoldersAreDroppedWithTheirContent) {
  CAlbum gone = KeptAlbum("/p/gone", {Kept("/p/gone/1.jpg")}, {KeptAlbum("/p/gone/inner", {})});
  const CAlbum library =
      LibraryOf({Kept("/p/stays.jpg"), Kept("/p/deleted.jpg"), Kept("/elsewhere/mine.jpg"),
                 Kept("relative.jpg")},
                {gone, KeptAlbum("", {Kept("/p/x/moved.jpg")}), KeptAlbum("/other/place", {})});
  CMergeReport report;
  const CAlbum merged = MergeAlbums(
      library,
      ScanOf({Found(kTop, "stays.jpg")}, {FoundAlbum("/p/x", {Found("/p/x", "moved.jpg")})}),
      PhotoOrder::kName, report);
  // What lies outside the folder, or was made by hand, stays; so does a photo the person moved
  // to an album of their own, which is therefore not added again.
  EXPECT_EQ(MergedOutline(merged), (std::vector<std::string>{
                                 "/p: /p/stays.jpg /elsewhere/mine.jpg relative.jpg",
                                 ": /p/x/moved.jpg",
                                 "/other/place:",
                             }));
  EXPECT_EQ(report.dropped_photos, (std::vector<std::string>{"/p/deleted.jpg", "/p/gone/1.jpg"}));
  EXPECT_EQ(report.dropped_albums, (std::vector<std::string>{"/p/gone", "/p/gone/inner"}));
  EXPECT_TRUE(report.added_photos.empty());
  EXPECT_TRUE(report.added_albums.empty());
}

TEST(AlbumMergeTest, NewFoldersBecomeAlbumsWhereverTheirParentWasMoved) {
  // The person moved the 2020 album into the 2019 one, and ordered the top albums z, a.
  const CAlbum library = LibraryOf(
      {},
      {KeptAlbum("/p/z", {Kept("/p/z/1.jpg")}),
       KeptAlbum("/p/a", {Kept("/p/a/1.jpg")}, {KeptAlbum("/p/2020", {Kept("/p/2020/1.jpg")})})});
  CMergeReport report;
  const CAlbum merged = MergeAlbums(
      library,
      ScanOf({}, {FoundAlbum("/p/2020", {Found("/p/2020", "1.jpg")},
                             {FoundAlbum("/p/2020/June", {Found("/p/2020/June", "j.jpg")})}),
                  FoundAlbum("/p/a", {Found("/p/a", "1.jpg")}),
                  FoundAlbum("/p/m", {Found("/p/m", "m.jpg")},
                             {FoundAlbum("/p/m/n", {Found("/p/m/n", "n.jpg")})}),
                  FoundAlbum("/p/empty", {}), FoundAlbum("/p/z", {Found("/p/z", "1.jpg")})}),
      PhotoOrder::kName, report);
  EXPECT_EQ(MergedOutline(merged), (std::vector<std::string>{
                                 "/p:",
                                 "/p/m: /p/m/m.jpg",
                                 "/p/m/n: /p/m/n/n.jpg",
                                 "/p/z: /p/z/1.jpg",
                                 "/p/a: /p/a/1.jpg",
                                 "/p/2020: /p/2020/1.jpg",
                                 "/p/2020/June: /p/2020/June/j.jpg",
                             }));
  EXPECT_EQ(merged.albums[0].title, "m");
  EXPECT_EQ(report.added_albums, (std::vector<std::string>{"/p/2020/June", "/p/m"}));
  EXPECT_EQ(report.added_photos.size(), 3u);
}

TEST(AlbumMergeTest, WhatCouldNotBeReadOrWasLeftOutIsKept) {
  const CAlbum library = LibraryOf(
      {Kept("/p/unreadable now.jpg")},
      {KeptAlbum("/p/locked", {Kept("/p/locked/1.jpg")}), KeptAlbum("/p/q", {Kept("/p/q/2.jpg")})});
  CTreeScan scan = ScanOf({});
  scan.unreadable = {"/p/locked"};
  scan.skipped = {{"/p/unreadable now.jpg", "cannot be read (no permission)"}};
  CMergeReport report;
  const CAlbum merged = MergeAlbums(library, scan, PhotoOrder::kName, report);
  EXPECT_EQ(MergedOutline(merged),
            (std::vector<std::string>{"/p: /p/unreadable now.jpg", "/p/locked: /p/locked/1.jpg"}));
  EXPECT_EQ(report.dropped_albums, (std::vector<std::string>{"/p/q"}));
}

TEST(AlbumMergeTest, ACoverThatIsGoneFallsBackAndOneThatStaysIsKept) {
  CAlbum kept = KeptAlbum("/p/k", {Kept("/p/k/1.jpg"), Kept("/p/k/2.jpg")});
  kept.cover = "/p/k/2.jpg";
  CAlbum lost = KeptAlbum("/p/l", {Kept("/p/l/1.jpg"), Kept("/p/l/2.jpg")});
  lost.cover = "/p/l/2.jpg";
  CMergeReport report;
  const CAlbum merged =
      MergeAlbums(LibraryOf({}, {kept, lost}),
                  ScanOf({}, {FoundAlbum("/p/k", {Found("/p/k", "1.jpg"), Found("/p/k", "2.jpg")}),
                              FoundAlbum("/p/l", {Found("/p/l", "1.jpg")})}),
                  PhotoOrder::kName, report);
  ASSERT_EQ(merged.albums.size(), 2u);
  EXPECT_EQ(merged.albums[0].cover, "/p/k/2.jpg");
  EXPECT_EQ(merged.albums[1].cover, "");
  EXPECT_EQ(merged.albums[1].description, "described");
  EXPECT_EQ(FindCoverIndex(merged.albums[1]), 0);
}

TEST(AlbumMergeTest, ManyNewPhotosInManyAlbumsMergeInOnePass) {
  // 10,000 photos in 200 albums, half of them new: quadratic work would take far longer.
  CAlbum library = LibraryOf({});
  CTreeScan scan = ScanOf({});
  for (int a = 0; a < 200; ++a) {
    const std::string folder = "/p/album" + std::to_string(a);
    CTreeAlbum found = FoundAlbum(folder, {});
    CAlbum kept = KeptAlbum(folder, {});
    for (int i = 0; i < 50; ++i) {
      found.photos.push_back(Found(folder, "img" + std::to_string(i) + ".jpg"));
      if (i % 2 == 0) kept.photos.push_back(Kept(found.photos.back().path));
    }
    scan.root.albums.push_back(std::move(found));
    library.albums.push_back(std::move(kept));
  }
  CMergeReport report;
  const CAlbum merged = MergeAlbums(library, scan, PhotoOrder::kName, report);
  EXPECT_EQ(CountPhotos(merged), 10000);
  EXPECT_EQ(report.added_photos.size(), 5000u);
  EXPECT_EQ(merged.albums[7].photos[3].path, "/p/album7/img3.jpg");
}

TEST(AlbumMergeTest, NewVideosStayVideosInNewAndKeptAlbums) {
  CFolderPhoto clip = Found(kTop, "b.mov");
  clip.video = true;
  CFolderPhoto deep = Found("/p/x", "v.webm");
  deep.video = true;
  CPhotoEntry kept_clip = Kept("/p/z.mp4");
  kept_clip.video = true;
  const CAlbum library = LibraryOf({Kept("/p/a.jpg"), kept_clip});
  CMergeReport report;
  const CAlbum merged = MergeAlbums(
      library,
      ScanOf({Found(kTop, "a.jpg"), clip, Found(kTop, "z.mp4")}, {FoundAlbum("/p/x", {deep})}),
      PhotoOrder::kName, report);
  EXPECT_EQ(MergedOutline(merged),
            (std::vector<std::string>{"/p: /p/a.jpg /p/b.mov /p/z.mp4", "/p/x: /p/x/v.webm"}));
  std::vector<bool> videos;
  for (const CPhotoEntry& photo : merged.photos) videos.push_back(photo.video);
  EXPECT_EQ((std::vector<bool>{false, true, true}), videos);
  EXPECT_TRUE(merged.albums[0].photos[0].video);
}

}  // namespace
}  // namespace gallery
