// The camera control palette. Its pages, its settings file and shooting are
// not built yet: their commands say so.
#pragma once

#include "app/palettes/base/tool_base.h"

class CToolCameraControl : public CToolBase {
public:
    CToolCameraControl();
    BOOL Create(CWnd* parent) override;
    void LoadSettingsFile();
    void SaveSettingsFile();
    void Shoot();
    void AutofocusAndShoot();
};
