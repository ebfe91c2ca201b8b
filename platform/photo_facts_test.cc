#include "platform/photo_facts.h"

#include <string>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(ExifFieldValueTest, TakesTheValueBeforeItsDescription) {
  EXPECT_EQ("1/200", ExifFieldValue("1/200 (1/200 sec., Rational, 1 components, 8 bytes)"));
  EXPECT_EQ("Canon EOS 80D", ExifFieldValue("Canon EOS 80D (Canon EOS 80D, ASCII, 14 components, "
                                            "14 bytes)"));
  EXPECT_EQ("400", ExifFieldValue(" 400 "));
  EXPECT_EQ("", ExifFieldValue(" (empty, ASCII, 1 components, 1 bytes)"));
}

TEST(ReadPhotoFactsTest, ReadsTheFieldsOfAPhotoAndNothingOfOthers) {
  TempFolder folder;
  // The imaging library writes EXIF fields only into EXIF data the image already has: an empty
  // little-endian TIFF directory here.
  static const unsigned char kEmptyExif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0,
                                             8,   0,   0,   0,   0, 0, 0,   0,   0,  0};
  vips::VImage image = Solid(32, 24, {10, 20, 30}).copy();
  image.set("exif-data", nullptr, const_cast<unsigned char*>(kEmptyExif), sizeof(kEmptyExif));
  image.set("exif-ifd0-Make", "Canon");
  image.set("exif-ifd0-Model", "Canon EOS 80D");
  image.set("exif-ifd2-DateTimeOriginal", "2024:03:12 14:05:33");
  image.set("exif-ifd2-ExposureTime", "1/200");
  image.set("exif-ifd2-FNumber", "28/5");
  image.set("exif-ifd2-ISOSpeedRatings", "400");
  image.set("exif-ifd2-FocalLength", "35/1");
  const std::string path = folder.Join("exif.jpg");
  image.jpegsave(path.c_str());
  const CPhotoFacts facts = ReadPhotoFacts(path);
  EXPECT_EQ("Canon", facts.make);
  EXPECT_EQ("Canon EOS 80D", facts.model);
  EXPECT_EQ("2024:03:12 14:05:33", facts.date_taken);
  EXPECT_EQ("1/200", facts.exposure_time);
  EXPECT_EQ("28/5", facts.f_number);
  EXPECT_EQ("400", facts.iso);
  EXPECT_EQ("35/1", facts.focal_length);

  const CPhotoFacts none = ReadPhotoFacts(Save(Solid(8, 8, {1, 2, 3}), folder, "plain.png"));
  EXPECT_EQ("", none.make);
  EXPECT_EQ("", none.date_taken);
  EXPECT_EQ("", ReadPhotoFacts(folder.WriteFile("junk.jpg", "no image")).model);
}

}  // namespace
}  // namespace gallery
