#include "imaging/scaled_photo.h"

#include <sys/stat.h>

#include <climits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "platform/vips_handles.h"
#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

using vips::VImage;

TEST(LayOutScaledPhotoTest, ComputesSizeAndSourceRectangleOfEachRule) {
  struct Case {
    int thumb_type;
    PhotoSize box;
    PhotoSize source;
    PhotoSize output;
    PhotoRect rect;
  };
  const Case cases[] = {
      // Fit: the smaller ratio, enlarging small sources.
      {1, {100, 100}, {400, 300}, {100, 75}, {0, 0, 400, 300}},
      {1, {100, 100}, {300, 400}, {75, 100}, {0, 0, 300, 400}},
      {1, {100, 100}, {50, 40}, {100, 80}, {0, 0, 50, 40}},
      {1, {100, 50}, {200, 100}, {100, 50}, {0, 0, 200, 100}},
      // Truncation: 49 * (1 / 49) falls just short of 1.
      {1, {1, 100}, {49, 10}, {0, 0}, {0, 0, 49, 10}},
      {1, {100, 100}, {1, 1000}, {0, 100}, {0, 0, 1, 1000}},
      // Fill: the larger ratio, cut from the top-left corner.
      {2, {100, 100}, {400, 200}, {100, 100}, {0, 0, 200, 200}},
      {2, {100, 100}, {200, 400}, {100, 100}, {0, 0, 200, 200}},
      {2, {100, 50}, {400, 200}, {100, 50}, {0, 0, 400, 200}},
      {2, {100, 100}, {50, 40}, {100, 100}, {0, 0, 40, 40}},
      // The reciprocal is taken first: 3 * (1 / (3 / 218)) truncates to 217, 5 * (1 / (5 / 29))
      // to 29, where a plain division gives 218 and 28.
      {2, {3, 1}, {218, 1000}, {3, 1}, {0, 0, 217, 72}},
      {2, {5, 1}, {29, 1000}, {5, 1}, {0, 0, 29, 5}},
      // Stretch, also for every unknown rule.
      {0, {100, 100}, {400, 200}, {100, 100}, {0, 0, 400, 200}},
      {7, {100, 100}, {400, 200}, {100, 100}, {0, 0, 400, 200}},
      {-1, {100, 100}, {400, 200}, {100, 100}, {0, 0, 400, 200}},
      {0, {0, 50}, {400, 200}, {0, 50}, {0, 0, 400, 200}},
  };
  for (const Case& test : cases) {
    const ScaledPhotoLayout layout = LayOutScaledPhoto(test.thumb_type, test.box, test.source);
    std::string context = "rule " + std::to_string(test.thumb_type) + ", box " +
                          std::to_string(test.box.width) + "x" + std::to_string(test.box.height) +
                          ", source " + std::to_string(test.source.width) + "x" +
                          std::to_string(test.source.height);
    EXPECT_EQ(test.output.width, layout.output.width) << context;
    EXPECT_EQ(test.output.height, layout.output.height) << context;
    EXPECT_EQ(test.rect.x, layout.source.x) << context;
    EXPECT_EQ(test.rect.y, layout.source.y) << context;
    EXPECT_EQ(test.rect.width, layout.source.width) << context;
    EXPECT_EQ(test.rect.height, layout.source.height) << context;
  }
}

TEST(LayOutScaledPhotoTest, BoxOfSourceSizeKeepsWholeSourceUnderEveryRule) {
  for (PhotoSize source : {PhotoSize{1024, 768}, PhotoSize{1, 1}, PhotoSize{7, 3000},
                           PhotoSize{299, 300}, PhotoSize{16384, 16384}}) {
    for (int thumb_type : {0, 1, 2, 3}) {
      const ScaledPhotoLayout layout = LayOutScaledPhoto(thumb_type, source, source);
      std::string context = "rule " + std::to_string(thumb_type) + ", " +
                            std::to_string(source.width) + "x" + std::to_string(source.height);
      EXPECT_EQ(source.width, layout.output.width) << context;
      EXPECT_EQ(source.height, layout.output.height) << context;
      EXPECT_EQ(source.width, layout.source.width) << context;
      EXPECT_EQ(source.height, layout.source.height) << context;
    }
  }
}

TEST(LayOutScaledPhotoTest, DegenerateBoxesStayWithinIntRange) {
  // Zero and negative boxes give sizes that draw nothing; a zero ratio makes the reciprocal
  // infinite, and 0 times infinity must not reach an int conversion.
  EXPECT_EQ(0, LayOutScaledPhoto(2, {0, 0}, {10, 10}).source.width);
  EXPECT_GE(0, LayOutScaledPhoto(1, {-10, -10}, {10, 10}).output.width);
  EXPECT_EQ(INT_MAX, LayOutScaledPhoto(1, {INT_MAX, INT_MAX}, {1, 1}).output.width);
  EXPECT_GE(0, LayOutScaledPhoto(2, {0, -4}, {10, 10}).source.height);
}

TEST(ToPhotoColorTest, RedIsLowestByteAndTopByteIgnored) {
  struct Case {
    int color;
    PhotoColor expected;
  };
  const Case cases[] = {
      {0x0000FF, {255, 0, 0}},          {0x00FF00, {0, 255, 0}}, {0xFF0000, {0, 0, 255}},
      {0x7F102030, {0x30, 0x20, 0x10}}, {-1, {255, 255, 255}},
  };
  for (const Case& test : cases) {
    PhotoColor color = ToPhotoColor(test.color);
    EXPECT_EQ(test.expected.red, color.red) << test.color;
    EXPECT_EQ(test.expected.green, color.green) << test.color;
    EXPECT_EQ(test.expected.blue, color.blue) << test.color;
  }
}

// The builder's operation reads its source from a file and writes its image to one.


// The quantisation tables of a JPEG file: the bodies of its DQT segments.
std::string QuantisationTables(const std::string& jpeg) {
  std::string tables;
  size_t at = 2;
  while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
    int marker = static_cast<unsigned char>(jpeg[at + 1]);
    size_t length =
        (static_cast<unsigned char>(jpeg[at + 2]) << 8) + static_cast<unsigned char>(jpeg[at + 3]);
    if (marker == 0xDB) tables += jpeg.substr(at + 4, length - 2);
    if (marker == 0xDA) break;
    at += 2 + length;
  }
  return tables;
}

std::string ReferenceTables(int quality) {
  UniqueVipsBlob blob(Solid(8, 8, {1, 2, 3}).jpegsave_buffer(VImage::option()->set("Q", quality)));
  std::string jpeg(static_cast<const char*>(VIPS_AREA(blob.get())->data),
                   VIPS_AREA(blob.get())->length);
  return QuantisationTables(jpeg);
}

// A photo's source and the sizes recorded for it, as the image work keeps them.
struct TestPhoto {
  std::string path;
  int image_width = 0;
  int image_height = 0;
  int thumbnail_width = 0;
  int thumbnail_height = 0;
  PhotoFailure failure = PhotoFailure::kNone;
};

// Style settings and photos, each image written from a settings snapshot taken at that call.
class TestImages {
 public:
  CStyleSettings& style() { return style_; }
  std::vector<TestPhoto>& photos() { return photos_; }
  bool WriteScaledPhoto(int index, const std::string& path, int mode) {
    TestPhoto& photo = photos_[index];
    const CScaledPhoto written =
        gallery::WriteScaledPhoto(MakeImageSettings(style_), photo.path, path, mode);
    photo.failure = written.failure;
    if (written.size) {
      (mode == kPageImageMode ? photo.image_width : photo.thumbnail_width) = written.size->width;
      (mode == kPageImageMode ? photo.image_height : photo.thumbnail_height) = written.size->height;
    }
    return written.failure == PhotoFailure::kNone;
  }

 private:
  CStyleSettings style_;
  std::vector<TestPhoto> photos_;
};

// One photo whose sizes hold markers, so that a change shows.
void AddPhoto(TestImages& builder, const std::string& source) {
  TestPhoto photo;
  photo.path = source;
  photo.image_width = -7;
  photo.image_height = -7;
  photo.thumbnail_width = -7;
  photo.thumbnail_height = -7;
  builder.photos().push_back(photo);
}

TEST(WriteScaledPhotoTest, PageImageKeepsSourceSizeThenThumbnailIsScaledFromIt) {
  TempFolder folder;
  std::string source = Save(Solid(400, 300, {200, 30, 30}), folder, "source.png");
  TestImages builder;
  AddPhoto(builder, source);
  builder.style().thumb_type = 1;
  builder.style().thumb_width = 100;
  builder.style().thumb_height = 100;
  std::string page_path = folder.Join("page.jpg");
  builder.WriteScaledPhoto(0, page_path, kPageImageMode);
  const TestPhoto& photo = builder.photos()[0];
  EXPECT_EQ(400, photo.image_width);
  EXPECT_EQ(300, photo.image_height);
  EXPECT_EQ(-7, photo.thumbnail_width);
  EXPECT_EQ(-7, photo.thumbnail_height);
  VImage page = LoadPixels(page_path);
  EXPECT_EQ(400, page.width());
  EXPECT_EQ(300, page.height());

  // Once the page image exists the source may go: the thumbnail only reads the page image.
  ASSERT_EQ(0, std::remove(source.c_str()));
  builder.photos()[0].path = page_path;
  std::string thumb_path = folder.Join("thumb.jpg");
  builder.WriteScaledPhoto(0, thumb_path, 1);
  EXPECT_EQ(100, photo.thumbnail_width);
  EXPECT_EQ(75, photo.thumbnail_height);
  EXPECT_EQ(400, photo.image_width);
  VImage thumb = LoadPixels(thumb_path);
  EXPECT_EQ(100, thumb.width());
  EXPECT_EQ(75, thumb.height());
}

TEST(WriteScaledPhotoTest, AFailureLeavesNoEarlierImageUnderItsName) {
  TempFolder folder;
  CImageSettings settings = MakeImageSettings(CStyleSettings());
  settings.thumb_box = {10, 10};
  const std::string missing = folder.Join("missing.jpg");
  for (int mode : {kPageImageMode, kThumbnailMode}) {
    const std::string target = folder.WriteFile("earlier.jpg", "an earlier run's image");
    const CScaledPhoto made = WriteScaledPhoto(settings, missing, target, mode);
    EXPECT_EQ(PhotoFailure::kUnreadable, made.failure) << mode;
    EXPECT_FALSE(FileExists(target)) << mode;
  }
}

TEST(WriteScaledPhotoTest, APhotoOverThePixelLimitIsToldApartFromADamagedOne) {
  TempFolder folder;
  // A bitmap header declaring 20000 x 20000 pixels, more than any image made: a bitmap's size
  // is taken from its header, so the pixels may be missing.
  std::string bmp = std::string("BM", 2) + std::string(12, '\0');
  bmp += std::string("\x28\0\0\0\x20\x4E\0\0\x20\x4E\0\0\x01\0\x18\0", 16);
  bmp += std::string(24, '\0');
  const std::string source = folder.WriteFile("huge.bmp", bmp);
  const CScaledPhoto made =
      WriteScaledPhoto(MakeImageSettings(CStyleSettings()), source, folder.Join("out.jpg"), 0);
  EXPECT_EQ(PhotoFailure::kTooLarge, made.failure);
  EXPECT_FALSE(FileExists(folder.Join("out.jpg")));
}

TEST(WriteScaledPhotoTest, UndecodableSourceWritesAndRecordsNothing) {
  TempFolder folder;
  std::string good = ReadWholeFile(Save(
      Solid(64, 64, {9, 9, 9}).gaussnoise(64, 64).cast(VIPS_FORMAT_UCHAR), folder, "good.jpg"));
  mkdir(folder.Join("folder.jpg").c_str(), 0700);
  const std::string sources[] = {
      folder.Join("missing.jpg"),
      folder.WriteFile("empty.jpg", ""),
      folder.WriteFile("cut.jpg", good.substr(0, good.size() / 2)),
      folder.WriteFile("text.jpg", "<html>not a photo</html>"),
      folder.Join("folder.jpg"),
  };
  int case_number = 0;
  for (const std::string& source : sources) {
    for (int mode : {0, 1}) {
      ++case_number;
      TestImages builder;
      AddPhoto(builder, source);
      builder.style().thumb_width = 10;
      builder.style().thumb_height = 10;
      std::string target = folder.Join("out" + std::to_string(case_number) + ".jpg");
      builder.WriteScaledPhoto(0, target, mode);
      EXPECT_FALSE(FileExists(target)) << source << " mode " << mode;
      const TestPhoto& photo = builder.photos()[0];
      // A thumbnail's size is recorded once the source's header is read, before its pixels
      // turn out to be cut short.
      const int thumbnail_size = mode == 1 && source == sources[2] ? 10 : -7;
      EXPECT_EQ(-7, photo.image_width) << source << " mode " << mode;
      EXPECT_EQ(thumbnail_size, photo.thumbnail_width) << source << " mode " << mode;
      EXPECT_EQ(thumbnail_size, photo.thumbnail_height) << source << " mode " << mode;
      // Missing and folder sources cannot be read; the others are read and do not decode.
      const bool unreadable = source == sources[0] || source == sources[4];
      EXPECT_EQ(unreadable ? PhotoFailure::kUnreadable : PhotoFailure::kUndecodable, photo.failure)
          << source << " mode " << mode;
    }
  }
}

TEST(WriteScaledPhotoTest, ThumbnailOfZeroSizeIsRecordedButNotWritten) {
  TempFolder folder;
  std::string source = Save(Solid(1, 300, {255, 255, 255}), folder, "thin.png");
  struct Case {
    int thumb_type;
    PhotoSize box;
    PhotoSize recorded;
  };
  const Case cases[] = {
      {1, {100, 100}, {0, 100}},
      {0, {0, 50}, {0, 50}},
      {2, {40, -3}, {40, -3}},
  };
  for (const Case& test : cases) {
    TestImages builder;
    AddPhoto(builder, source);
    builder.style().thumb_type = test.thumb_type;
    builder.style().thumb_width = test.box.width;
    builder.style().thumb_height = test.box.height;
    std::string page_path = folder.Join("page.jpg");
    builder.WriteScaledPhoto(0, page_path, kPageImageMode);
    EXPECT_EQ(1, LoadPixels(page_path).width()) << "the page image of a thin source is written";
    builder.photos()[0].path = page_path;
    std::string thumb_path = folder.Join("thumb.jpg");
    builder.WriteScaledPhoto(0, thumb_path, 1);
    EXPECT_FALSE(FileExists(thumb_path)) << test.thumb_type;
    EXPECT_EQ(test.recorded.width, builder.photos()[0].thumbnail_width) << test.thumb_type;
    EXPECT_EQ(test.recorded.height, builder.photos()[0].thumbnail_height) << test.thumb_type;
  }
}

TEST(WriteScaledPhotoTest, QualityHasFloorAndCeiling) {
  TempFolder folder;
  std::string source = Save(Solid(32, 32, {10, 100, 200}), folder, "source.png");
  struct Case {
    int photo_quality;
    int expected;
  };
  const Case cases[] = {{0, 85}, {60, 85}, {84, 85}, {85, 85}, {90, 90}, {100, 100}, {150, 100}};
  for (const Case& test : cases) {
    for (int mode : {0, 1}) {
      TestImages builder;
      AddPhoto(builder, source);
      builder.style().photo_quality = test.photo_quality;
      builder.style().thumb_width = 16;
      builder.style().thumb_height = 16;
      std::string target = folder.Join("out.jpg");
      builder.WriteScaledPhoto(0, target, mode);
      EXPECT_EQ(ReferenceTables(test.expected), QuantisationTables(ReadWholeFile(target)))
          << "photo_quality " << test.photo_quality << " mode " << mode;
    }
  }
  EXPECT_NE(ReferenceTables(85), ReferenceTables(90)) << "the tables tell qualities apart";
}

TEST(WriteScaledPhotoTest, TexturedFrameStylesGetEdgeRing) {
  TempFolder folder;
  std::string source = Save(Solid(40, 30, {255, 255, 255}), folder, "white.png");
  const std::vector<double> green = {0, 160, 0};
  for (int thumb_style : {7, 8, 9, 13, 14}) {
    for (int mode : {0, 1}) {
      TestImages builder;
      AddPhoto(builder, source);
      builder.style().thumb_style = thumb_style;
      builder.style().thumb_back_color = 0x00A000;
      builder.style().photo_quality = 100;
      builder.style().thumb_width = 20;
      builder.style().thumb_height = 20;
      std::string target = folder.Join("out.jpg");
      builder.WriteScaledPhoto(0, target, mode);
      VImage out = LoadPixels(target);
      std::vector<double> corner = out.getpoint(0, 0);
      std::vector<double> edge = out.getpoint(out.width() - 1, out.height() / 2);
      std::vector<double> inside = out.getpoint(out.width() / 2, out.height() / 2);
      const bool ring = thumb_style >= 8 && thumb_style <= 13;
      std::string context =
          "style " + std::to_string(thumb_style) + " mode " + std::to_string(mode);
      EXPECT_NEAR(ring ? 160 : 255, corner[1], 40) << context;
      EXPECT_NEAR(ring ? 0 : 255, corner[0], 40) << context;
      EXPECT_NEAR(ring ? 0 : 255, edge[0], 40) << context;
      EXPECT_NEAR(255, inside[0], 40) << context;
    }
  }
}

TEST(WriteScaledPhotoTest, PhotosWrittenAtOnceMatchPhotosWrittenInTurn) {
  TempFolder folder;
  std::string first = Save(Solid(300, 200, {0, 0, 0}).gaussnoise(300, 200).cast(VIPS_FORMAT_UCHAR),
                           folder, "first.png");
  std::string second = Save(Solid(200, 300, {9, 9, 9}).gaussnoise(200, 300).cast(VIPS_FORMAT_UCHAR),
                            folder, "second.png");
  TestImages builder;
  builder.photos().resize(2);
  builder.style().thumb_type = 2;
  builder.style().thumb_width = 50;
  builder.style().thumb_height = 40;
  const auto make = [&](int index, const std::string& source, const std::string& stem) {
    builder.photos()[index].path = source;
    builder.WriteScaledPhoto(index, folder.Join(stem + "page.jpg"), 0);
    builder.photos()[index].path = folder.Join(stem + "page.jpg");
    builder.WriteScaledPhoto(index, folder.Join(stem + "thumb.jpg"), 1);
  };
  make(0, first, "a-");
  make(1, second, "b-");
  std::thread other([&] { make(0, first, "c-"); });
  make(1, second, "d-");
  other.join();
  EXPECT_EQ(ReadWholeFile(folder.Join("a-page.jpg")), ReadWholeFile(folder.Join("c-page.jpg")));
  EXPECT_EQ(ReadWholeFile(folder.Join("a-thumb.jpg")), ReadWholeFile(folder.Join("c-thumb.jpg")));
  EXPECT_EQ(ReadWholeFile(folder.Join("b-page.jpg")), ReadWholeFile(folder.Join("d-page.jpg")));
  EXPECT_EQ(ReadWholeFile(folder.Join("b-thumb.jpg")), ReadWholeFile(folder.Join("d-thumb.jpg")));
  EXPECT_FALSE(ReadWholeFile(folder.Join("d-thumb.jpg")).empty());
}

}  // namespace
}  // namespace gallery
