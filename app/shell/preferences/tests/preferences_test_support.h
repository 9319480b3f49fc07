// The Preferences tests' application object: it records the help requests
// the dialogs make through it.
#pragma once

#include <vector>

#include "testing/gui_test.h"

namespace preferencestest {

struct HelpRequest {
    DWORD_PTR topic;
    UINT command;
};

class PreferencesTestApp : public clx::test::TestApp {
public:
    void WinHelp(DWORD_PTR data, UINT cmd) override { help.push_back({data, cmd}); }
    std::vector<HelpRequest> help;
};

PreferencesTestApp& App();

}  // namespace preferencestest
