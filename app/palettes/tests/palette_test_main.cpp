// main() of the palettes' tests: the test application, and a registry
// section of their own for the stored palette positions.
#include <gtest/gtest.h>

#include "app/shell/settings/registry_store.h"
#include "testing/gui_test.h"

int main(int argc, char** argv)
{
    clx::test::TestApp app;
    shell::GetRegistryStore().SetNames("Korva", "TessalinePaletteTests", "2.0");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
