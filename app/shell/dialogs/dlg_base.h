// CDlgBase: the base of the program's dialogs that build their controls in
// code. It runs them modally from a small template in memory that holds no
// controls; each derived dialog makes its controls in OnCreate, sized from
// the layout metrics (layout_metrics.h, ui_font.h), and then fits its window
// to them. It also gives every dialog the same context help: the Help
// button (id 9), F1 with or without a control topic, and help hit tests.
//
// Dialog objects are the caller's (usually on the stack); they never delete
// themselves.
#pragma once

#include <cstdint>
#include <string>

#include "clx/dialog.h"

class CDlgBase : public CDialog {
public:
    explicit CDlgBase(CWnd* parent);
    ~CDlgBase() override;
    CDlgBase(const CDlgBase&) = delete;
    CDlgBase& operator=(const CDlgBase&) = delete;

    // The end code; 2 (Cancel) when the template could not be had or the
    // dialog could not be made.
    INT_PTR DoModal() override;

    // The Help button's id.
    static constexpr UINT kHelpButtonId = 9;

protected:
    // A control of the dialog in the user-interface font; null on failure.
    HWND AddControl(const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                    UINT id, DWORD exStyle = 0);
    HWND AddControl(const char* className, UINT textId, DWORD style, int x, int y, int width, int height, UINT id,
                    DWORD exStyle = 0);
    // The widest of the string-table texts `ids` (ending with 0) in the dialog's font.
    int GetMaxStringWidth(const uint32_t* ids) const;
    // Extent of `text` in the dialog's font: one line, or (width > 0)
    // word-wrapped at `width`, without prefix processing.
    SIZE MeasureText(const char* text, int width = 0) const;
    // Sizes the window so that its client area is width x height, keeping
    // its top-left corner.
    void FitClientSize(int width, int height);

    // The user-interface font becomes the dialog's: texts are measured in it.
    int OnCreate(CREATESTRUCT* cs);
    void OnHelpButton();
    LRESULT OnCommandHelp(WPARAM, LPARAM helpId);
    LRESULT OnHelpHitTest(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    // The header of a standard dialog template and its three empty words, on
    // a DWORD boundary as the system requires.
    DWORD* m_pTemplate = nullptr;
    CWnd* m_pParent = nullptr;
};
