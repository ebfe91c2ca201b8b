#include "app/photo_titles.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "app/photo_folder.h"
#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// clang-format off
TEST(PhotoTitlesTest, NamesThatCamerasAndPhonesMakeAreKnown) {
  const char* const camera_names[] = {
      // Phones: their own prefixes with a date and time, in any letter case.
      "PXL_20240712_143501123.jpg", "PXL_20240712_143501123.MP.jpg",
      "PXL_20231231_235959999.PORTRAIT.jpg", "IMG_20240712_143501.jpg",
      "IMG_20190101_120000_HDR.jpg", "IMG_20190101_120000_BURST001_COVER.jpg",
      "img_20240712_143501.jpeg", "VID_20240712_143501.jpg", "MVIMG_20190615_101010.jpg",
      "PANO_20190615_101010.jpg", "IMG_0042.HEIC", "IMG_E0042.JPG", "IMG-20240716-WA0003.jpg",
      "IMG-20240716-WA0003(1).jpg", "WhatsApp Image 2024-07-16 at 14.35.01.jpeg",
      "WhatsApp Image 2024-07-16 at 14.35.01 (1).jpeg",
      // Cameras: makers' prefixes and counters.
      "DSC_0042.JPG", "DSC 0042.jpg", "DSCN0042.JPG", "DSCF0042.JPG", "DSC00042.JPG",
      "_DSC0042.JPG", "_MG_0042.JPG", "dsc_0042.jpg", "GOPR0042.JPG", "GH010042.jpg",
      "GX010042.JPG", "GP010042.JPG", "DJI_0042.JPG", "IMGP0042.JPG", "CIMG0042.JPG",
      "SAM_0042.JPG", "P1010001.JPG", "P7120001.JPG", "PA120001.JPG", "pc310042.jpg",
      "L1000042.jpg", "R0010042.JPG",
      // Screenshots and other apps.
      "Screenshot_20240712-143501.png", "Screenshot_20240712-143501_Chrome.jpg",
      "Screenshot_2024-07-12-14-35-01-123_com.android.chrome.jpg",
      "Screenshot 2024-07-12 at 14.35.01.png", "Screenshot from 2024-07-12 14-35-01.png",
      "Screen Shot 2019-07-12 at 2.35.01 PM.png", "Screenshot (12).png",
      "photo_2024-07-12_14-35-01.jpg", "signal-2024-07-12-143501.jpg",
      // A bare date and time, or a bare number.
      "20240712_143501.jpg", "20240712-143501.JPG", "2024-07-12 14.35.01.jpg",
      "2024-07-12_14-35-01.jpg", "20240712_143501123.jpg", "0042.jpg", "17.png", "100_0042.JPG",
      // Copies' and editors' endings.
      "IMG_0042 (1).jpg", "IMG_0042(2).JPG", "IMG_0042~2.jpg", "DSC_0042-edited.jpg",
      "DSC_0042_edited.jpg", "IMG_0042 copy.jpg", "IMG_0042 copy 2.jpg", "IMG_0042 - Copy.jpg",
      "IMG_0042 2.jpg", "PXL_20240712_143501123~3.jpg", "IMG_20240712_143501-EFFECTS.jpg",
      "P1010001-edited.JPG",
  };
  for (const char* name : camera_names) EXPECT_TRUE(IsCameraFileName(name)) << name;
}

TEST(PhotoTitlesTest, NamesThatPeopleGaveAreKept) {
  const char* const person_names[] = {
      "Dune.jpg", "Img of mum.jpg", "DSC party.jpg", "2024 holiday.jpg", "Holiday 2024.jpg",
      "IMG_0042 beach at dawn.jpg", "DSC_0042 Grandma.jpg", "Photo 3.jpg", "Image.png",
      "Screenshot.png", "Screenshot of the bug.png", "Screenshot 2024 holiday.png",
      "WhatsApp.jpg", "WhatsApp Image of Tom.jpg", "Pxl art.png", "Vidar.jpg", "Imagine.jpg",
      "Pano of the bay.jpg", "Gopro fun 3.jpg", "P101.jpg", "Paris0001.jpg", "PZ120001.jpg",
      "P10100012.jpg", "IMG.jpg", "IMG_.jpg", "DSC-party-2.jpg", "FreshFlower.jpg",
      "Café 0042.jpg", "IMG_0042_été.jpg", "", ".jpg", "__.jpg", "img e.jpg", "copy 2.jpg",
      "2024-07-12 Tom's birthday.jpg",
  };
  for (const char* name : person_names) EXPECT_FALSE(IsCameraFileName(name)) << name;
}
// clang-format on

TEST(PhotoTitlesTest, EachSourceGivesItsTitle) {
  struct Case {
    TitleSource source;
    const char* name;
    const char* date;
    const char* expected;
  } cases[] = {
      {TitleSource::kChosen, "Sea_view.jpg", "2024:07:12 14:35:01", "Sea view"},
      {TitleSource::kChosen, "PXL_20240712_143501123.jpg", "2024:07:12 14:35:01",
       "12 July 2024, 14:35"},
      {TitleSource::kChosen, "IMG_0042.JPG", "1999:01:05 09:04:59", "5 January 1999, 09:04"},
      // A camera's name without a date gives no title rather than the name.
      {TitleSource::kChosen, "DSC_0042.JPG", "", ""},
      {TitleSource::kChosen, "DSC_0042.JPG", "0000:00:00 00:00:00", ""},
      {TitleSource::kChosen, "DSC_0042.JPG", "2024:13:01 10:00:00", ""},
      {TitleSource::kNames, "DSC_0042.JPG", "2024:07:12 14:35:01", "DSC 0042"},
      {TitleSource::kNames, "Sea_view.jpg", "", "Sea view"},
      {TitleSource::kDates, "Sea_view.jpg", "2024:12:31 23:59:00", "31 December 2024, 23:59"},
      {TitleSource::kDates, "Sea_view.jpg", "", ""},
      {TitleSource::kNone, "Sea_view.jpg", "2024:07:12 14:35:01", ""},
      {TitleSource::kNone, "DSC_0042.JPG", "2024:07:12 14:35:01", ""},
      // Names are mended as the folder scan mends them.
      {TitleSource::kChosen, "Tab\there.jpg", "", "Tabhere"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ChooseTitle(c.source, c.name, c.date))
        << c.name << " at '" << c.date << "', source " << static_cast<int>(c.source);
  }
}

// Photos on disk: the date is read from the file only where a title needs it.
TEST(PhotoTitlesTest, TitlesAreHtmlAndDatesAreReadWhereNeeded) {
  TempFolder folder;
  auto save = [&folder](const std::string& name, const char* date) {
    vips::VImage image = Solid(16, 12, {90, 120, 150}).copy();
    image.set("exif-ifd2-DateTimeOriginal", date);
    return CFolderPhoto{Save(image, folder, name), name, "(not yet titled)", ""};
  };
  folder.WriteFile("DSC_0003.jpg", "no JPEG at all");
  std::vector<CFolderPhoto> photos = {
      save("Fish & <chips> 100%.jpg", "2023:03:04 05:06:07"),
      save("IMG_0001.jpg", "2024:07:12 14:35:01"),
      save("IMG_0002.jpg", "2024:07:12 14:35:01"),
      {folder.Join("DSC_0003.jpg"), "DSC_0003.jpg", "", ""},
      {folder.Join("DSC_0004.jpg"), "DSC_0004.jpg", "", ""},  // gone since the folder was read
  };
  // A date that the sort by date read stands.
  photos[2].date_taken = "2020:02:29 08:00:00";
  TitlePhotos(photos, TitleSource::kChosen);
  std::vector<std::string> titles;
  for (const CFolderPhoto& photo : photos) titles.push_back(photo.title);
  EXPECT_EQ((std::vector<std::string>{"Fish &amp; &lt;chips&gt; 100&#37;", "12 July 2024, 14:35",
                                      "29 February 2020, 08:00", "", ""}),
            titles);
}

}  // namespace
}  // namespace gallery
