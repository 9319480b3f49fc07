// The dialogs' test program: an application object that records the help
// requests the dialogs make through it.
#pragma once

#include <vector>

#include "testing/gui_test.h"

namespace dialogtest {

struct HelpRequest {
    DWORD_PTR topic;
    UINT command;
};

class DialogTestApp : public clx::test::TestApp {
public:
    void WinHelp(DWORD_PTR data, UINT cmd) override { help.push_back({data, cmd}); }
    std::vector<HelpRequest> help;
};

DialogTestApp& App();

}  // namespace dialogtest
