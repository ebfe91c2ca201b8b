#include "platform/imaging_runtime.h"

#include <string>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "platform/vips_handles.h"

namespace gallery {
namespace {

TEST(ImagingRuntimeTest, LoadersOfOtherFormatsAreBlocked) {
  const std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"></svg>";
  EXPECT_THROW(static_cast<void>(vips::VImage::new_from_buffer(svg, "")), vips::VError);
  // Even called by name.
  UniqueVipsBlob blob(vips_blob_copy(svg.data(), svg.size()));
  EXPECT_THROW(static_cast<void>(vips::VImage::svgload_buffer(blob.get())), vips::VError);
}

}  // namespace
}  // namespace gallery
