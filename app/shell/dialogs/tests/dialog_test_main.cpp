// main() of the dialogs' tests: the recording application first, then the
// tests, with the settings in a key of their own.
#include <gtest/gtest.h>

#include "app/shell/dialogs/tests/dialog_test_support.h"
#include "app/shell/settings/registry_store.h"

namespace dialogtest {

namespace {
DialogTestApp* g_app = nullptr;
}

DialogTestApp& App()
{
    return *g_app;
}

}  // namespace dialogtest

int main(int argc, char** argv)
{
    dialogtest::DialogTestApp app;
    dialogtest::g_app = &app;
    shell::GetRegistryStore().SetNames("Korva", "TessalineDialogTests", "2.0");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
