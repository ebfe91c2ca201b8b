#include <stdlib.h>

#include <gtest/gtest.h>

#include "platform/imaging_runtime.h"
#include "tests/temp_folder.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The imaging library cannot start twice in one process, so it stays up for the whole run.
  gallery::CImagingRuntime imaging;
  // Every program the tests run keeps its cached images here, never in the user's own cache.
  const gallery::TempFolder cache_home;
  setenv("XDG_CACHE_HOME", cache_home.path().c_str(), 1);
  return RUN_ALL_TESTS();
}
