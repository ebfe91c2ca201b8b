#include "app/photo_caption.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(FormatCaptionTest, GivesDateCameraAndExposureLines) {
  struct Case {
    CPhotoFacts facts;
    std::vector<std::string> lines;
  } cases[] = {
      {{"Canon", "Canon EOS 80D", "2024:03:12 14:05:33", "1/200", "28/5", "400", "35/1"},
       {"12 March 2024, 14:05", "Canon EOS 80D",
        "1/200 s \u00b7 f/5.6 \u00b7 ISO 400 \u00b7 35 mm"}},
      // The make is added where the model does not name it; long and odd exposures.
      {{"NIKON CORPORATION", "D750", "2019:12:01 07:00:00", "2/1", "8", "", "24.5"},
       {"1 December 2019, 07:00", "NIKON CORPORATION D750", "2 s \u00b7 f/8 \u00b7 24.5 mm"}},
      {{"", "", "", "10/2000", "", "100", ""}, {"1/200 s \u00b7 ISO 100"}},
      {{"Acme", "", "", "", "", "", ""}, {"Acme"}},
      // Nonsense is left out, never shown half-made.
      {{"", "", "0000:00:00 00:00:00", "0/0", "x", "-3", "35/0"}, {}},
      {{"", "", "2024:13:01 10:00:00", "", "", "", ""}, {}},
      {{"", "", "2024:03", "", "", "", ""}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.lines, FormatCaption(c.facts)) << c.facts.model << "|" << c.facts.date_taken;
  }
}

}  // namespace
}  // namespace gallery
