// CQzEdit: a single-line edit for numbers. With an integer or real range it
// filters typed characters, shows a text that is not a number inside the
// range in red, and on losing the focus clamps the value into the range and
// rewrites it in the program's number format. Ctrl+C, V, X and Z work in it
// even under a window whose accelerators use those keys.
#pragma once

#include "app/shell/controls/numeric_range.h"
#include "clx/controls.h"

class CQzEdit : public CEdit {
public:
    CQzEdit() = default;

    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void SetValid(bool valid);
    bool IsValid() const { return m_valid; }
    // min == max clears the range; the text is rewritten only when the field is left.
    void SetIntRange(int min, int max, bool grouping);
    void GetIntRange(int* min, int* max) const;
    void SetFloatRange(double min, double max, int decimals, bool grouping);
    void SetTrimZeros(bool trim) { m_range.trimZeros = trim; }
    shell::NumericMode GetRangeMode() const { return m_range.mode; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags);
    HBRUSH CtlColor(CDC* dc, UINT type);
    bool OnUpdateReflect();
    bool OnKillFocusReflect();
    DECLARE_MESSAGE_MAP()

private:
    CString CurrentText() const;

    bool m_valid = true;
    shell::NumericRange m_range;
};
