#include "platform/photo_date.h"

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(PhotoDateTest, ParsesTheDateAtTheFrontOfAnExifField) {
  struct Case {
    const char* field;
    const char* expected;  // nullptr: no date
  } cases[] = {
      {"2019:07:14 18:30:05 (2019:07:14 18:30:05, ASCII, 20 components, 20 bytes)",
       "2019:07:14 18:30:05"},
      {"2019:07:14 18:30:05", "2019:07:14 18:30:05"},
      {"0000:00:00 00:00:00 (0000:00:00 00:00:00, ASCII, 20 components, 20 bytes)", nullptr},
      {"2019:07:14", nullptr},
      {"2019-07-14 18:30:05", nullptr},
      {"    :  :     :  :  ", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    std::optional<std::string> date = ParseExifDate(c.field);
    if (c.expected == nullptr) {
      EXPECT_FALSE(date) << c.field;
    } else {
      EXPECT_EQ(c.expected, date.value_or("(none)")) << c.field;
    }
  }
}

std::string SaveJpegWithExif(const TempFolder& folder, const std::string& name, const char* field,
                             const char* value) {
  vips::VImage image = vips::VImage::black(8, 8, vips::VImage::option()->set("bands", 3));
  image = image.copy();
  if (field != nullptr) image.set(field, value);
  std::string path = folder.Join(name);
  image.jpegsave(path.c_str());
  return path;
}

TEST(PhotoDateTest, ReadsTheOriginalDateElseTheImageDate) {
  TempFolder folder;
  std::string original =
      SaveJpegWithExif(folder, "original.jpg", "exif-ifd2-DateTimeOriginal", "2018:02:03 04:05:06");
  std::string image_date =
      SaveJpegWithExif(folder, "image.jpg", "exif-ifd0-DateTime", "2017:01:02 03:04:05");
  std::string undated = SaveJpegWithExif(folder, "undated.jpg", nullptr, nullptr);
  std::string not_image = folder.WriteFile("not.jpg", "plain text");
  EXPECT_EQ("2018:02:03 04:05:06", ReadPhotoDateTaken(original).value_or("(none)"));
  EXPECT_EQ("2017:01:02 03:04:05", ReadPhotoDateTaken(image_date).value_or("(none)"));
  EXPECT_FALSE(ReadPhotoDateTaken(undated));
  EXPECT_FALSE(ReadPhotoDateTaken(not_image));
  EXPECT_FALSE(ReadPhotoDateTaken(folder.Join("missing.jpg")));
  // Opening a FIFO for reading would wait for a writer that never comes.
  std::string fifo = folder.Join("fifo.jpg");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  EXPECT_FALSE(ReadPhotoDateTaken(fifo));
}

}  // namespace
}  // namespace gallery
