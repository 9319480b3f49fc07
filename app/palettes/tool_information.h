// The Information palette. Its read-outs of the position and colours under
// the pointer are not built yet.
#pragma once

#include "app/palettes/base/tool_base.h"

class CToolInformation : public CToolBase {
public:
    CToolInformation();
    BOOL Create(CWnd* parent) override;
    // Blanks the read-outs; there are none until the palette's controls come.
    void ClearValues() {}
    // "Advanced Color Preferences..." alone: the palette has no submenu.
    void AddContextMenuItems(CMenu& menu) override;
};
