// CDlgCopySettings ("Copy Image Adjustments"): which groups of adjustments
// the image view's copy command puts on the clipboard. The choice is kept in
// the "CopySettings" section and offered again next time.
#pragma once

#include "app/shell/dialogs/dlg_base.h"

class CDlgCopySettings : public CDlgBase {
public:
    explicit CDlgCopySettings(CWnd* parent);

    // The groups, in the order of the check boxes; each 1 until "Copy" confirmed the dialog.
    enum Group { kCurves, kColorAdjustment, kUnsharpMask, kSizeResolution, kExposureAdjustment, kWBAdjustment };
    static constexpr int kGroupCount = 6;
    static constexpr UINT kFirstCheckBoxId = 1222;

    bool GetCopyCurves() const { return m_flags[kCurves]; }
    bool GetCopyColorAdjustment() const { return m_flags[kColorAdjustment]; }
    bool GetCopyUnsharpMask() const { return m_flags[kUnsharpMask]; }
    bool GetCopySizeResolution() const { return m_flags[kSizeResolution]; }
    bool GetCopyExposureAdjustment() const { return m_flags[kExposureAdjustment]; }
    bool GetCopyWBAdjustment() const { return m_flags[kWBAdjustment]; }

protected:
    int OnCreate(CREATESTRUCT* cs);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCheckBox(UINT id);
    DECLARE_MESSAGE_MAP()

private:
    int CheckedCount() const;

    bool m_flags[kGroupCount] = {true, true, true, true, true, true};
};
