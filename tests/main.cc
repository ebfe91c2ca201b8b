#include <gtest/gtest.h>

#include "platform/imaging_runtime.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The imaging library cannot start twice in one process, so it stays up for the whole run.
  gallery::CImagingRuntime imaging;
  return RUN_ALL_TESTS();
}
