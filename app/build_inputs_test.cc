#include "app/build_inputs.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cache/result_cache.h"
#include "platform/file_tree.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(BuildInputsTest, EveryInputTellsBuildsApart) {
  const CFileStatus program{1, 2, 3, 4, 5};
  const CFileStatus photo{10, 20, 30, 40, 50};
  const std::vector<CInputPhoto> photos = {{"/p/a.jpg", photo}, {"/p/b.jpg", std::nullopt}};
  const std::string base = DescribeBuildInputs(program, "modern", "<collection/>", photos);
  EXPECT_EQ(base, DescribeBuildInputs(program, "modern", "<collection/>", photos));
  auto with_photo = [&](const CFileStatus& status) {
    return DescribeBuildInputs(program, "modern", "<collection/>",
                               std::vector<CInputPhoto>{{"/p/a.jpg", status}, photos[1]});
  };
  const std::string changed[] = {
      DescribeBuildInputs({1, 2, 3, 4, 6}, "modern", "<collection/>", photos),
      DescribeBuildInputs(program, "classic", "<collection/>", photos),
      DescribeBuildInputs(program, "modern", "<collection />", photos),
      DescribeBuildInputs(program, "modern", "<collection/>",
                          std::vector<CInputPhoto>{photos[1], photos[0]}),
      DescribeBuildInputs(program, "modern", "<collection/>",
                          std::vector<CInputPhoto>{photos[0]}),
      with_photo({11, 20, 30, 40, 50}),
      with_photo({10, 21, 30, 40, 50}),
      with_photo({10, 20, 31, 40, 50}),
      with_photo({10, 20, 30, 41, 50}),
      // Written again at the same size and time: only the change time tells.
      with_photo({10, 20, 30, 40, 51}),
      // Fields whose bytes could pass for the next field's.
      DescribeBuildInputs(program, "modern\ncollection 0:", "<collection/>", photos),
      DescribeBuildInputs(program, "modern", "<collection/>",
                          std::vector<CInputPhoto>{{"/p/a.jpg\nnone 8:/p/b.jpg", photo}}),
  };
  std::set<std::string> seen = {base};
  for (const std::string& text : changed) EXPECT_TRUE(seen.insert(text).second) << text;
}

TEST(BuildInputsTest, PhotosJustWrittenGiveNoDigest) {
  TempFolder folder;
  const std::vector<std::string> paths = {folder.WriteFile("a.jpg", "a"),
                                          folder.Join("missing.jpg")};
  const std::optional<CFileStatus> status = GetFileStatus(paths[0]);
  ASSERT_TRUE(status);
  const int64_t settled = status->changed_ns + kSettledPhotoNanoseconds;
  EXPECT_EQ(std::nullopt, DigestBuildInputs("s", "c", paths, settled - 1));
  const std::optional<std::string> digest = DigestBuildInputs("s", "c", paths, settled);
  ASSERT_TRUE(digest);
  EXPECT_EQ(64u, digest->size());
  EXPECT_EQ(digest, DigestBuildInputs("s", "c", paths, settled + 1000));
  EXPECT_NE(digest, DigestBuildInputs("s", "c2", paths, settled));
}

}  // namespace
}  // namespace gallery
