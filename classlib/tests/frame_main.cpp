// main() of the frame and document tests: their own application object,
// which takes part in command routing.
#include <gtest/gtest.h>

#include "tests/frame_support.h"

int main(int argc, char** argv) {
  frametest::TestApplication app;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
