// main() of the GUI test programs: the application object first, then the tests.
#include <gtest/gtest.h>

#include "testing/gui_test.h"

int main(int argc, char** argv) {
  clx::test::TestApp app;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
