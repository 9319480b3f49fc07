// The module's user requests asked in a system message box, titled with the
// application's name.
#pragma once

#include "app/camera/app/kavo_user.h"

class CKavoMessageBox : public IKavoPrompt {
public:
    uint32_t Ask(const char* text, uint32_t style) override;
};
