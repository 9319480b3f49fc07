// The spacing every preference page lays its rows out with, from the
// user-interface font.
#pragma once

#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"

struct PageMetrics {
    int margin = shell::LayoutGapLarge();
    int gap = shell::LayoutGapSmall();
    int rowHeight = shell::LayoutEditHeight();   // fields, check boxes, buttons
    int rowStep = shell::LayoutLineSpacing();    // from one row to the next
    int labelOffset = (shell::LayoutEditHeight() - shell::GetUiFontHeight()) / 2;  // a label beside a field
    int charWidth = shell::GetUiCharWidth();
    int comboExtra = shell::LayoutComboExtraWidth();
};
