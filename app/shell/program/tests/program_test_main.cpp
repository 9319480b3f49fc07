// main() of the program's Windows tests: the application object is the
// program's own, with the command line that each test gives it.
#include <gtest/gtest.h>

#include "app/shell/program/tests/program_test_app.h"

int main(int argc, char** argv)
{
    CTestOrlaApp app;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
