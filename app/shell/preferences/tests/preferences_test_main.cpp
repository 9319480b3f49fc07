// main() of the Preferences tests: an application object that records help
// requests, then the tests, with the settings in a key of their own.
#include <gtest/gtest.h>

#include "app/shell/preferences/tests/preferences_test_support.h"
#include "app/shell/settings/registry_store.h"

namespace preferencestest {

namespace {
PreferencesTestApp* g_app = nullptr;
}

PreferencesTestApp& App()
{
    return *g_app;
}

}  // namespace preferencestest

int main(int argc, char** argv)
{
    preferencestest::PreferencesTestApp app;
    preferencestest::g_app = &app;
    shell::GetRegistryStore().SetNames("Korva", "TessalinePreferencesTests", "2.0");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
