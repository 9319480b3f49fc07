// CDlgAbout: the About box (Help > About) and, modeless, the splash screen
// that start-up shows while the program gets ready.
#pragma once

#include <string>

#include "app/shell/program/about_ids.h"
#include "app/shell/dialogs/transparent_text.h"
#include "clx/dialog.h"
#include "clx/gdi.h"

class CDlgAbout : public CDialog {
public:
    explicit CDlgAbout(CWnd* parent);
    ~CDlgAbout() override;

    INT_PTR DoModal() override;
    // Creates the box as the splash screen for `seconds` (the object must be
    // on the heap: it deletes itself when its window is gone). False when the
    // window could not be made; the object is then the caller's.
    bool ShowSplash(UINT seconds);

    // 0 while a splash screen shows, 1 before and after: the image view sets
    // no mouse cursor meanwhile.
    static bool IsSplashFinished();
    // The splash window while it shows, else null.
    static HWND GetSplashWindow();
    // Destroys a splash still up (the program ends), without the start-up message.
    static void CloseSplash();

    // "%d.%d.%d.%d" (or the first three parts) of a file's version
    // information; "?" when the file has none.
    static std::string FileVersion(const std::string& path, int parts);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void PostNcDestroy() override;
    void OnTimer(UINT_PTR id);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    LRESULT OnActivate(WPARAM state, LPARAM lParam);
    LRESULT OnReactivate(WPARAM, LPARAM);
    LRESULT OnMouseDown(WPARAM, LPARAM);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // The client area is the picture's size.
    void FitToPicture();
    // Paints the box and then its children from the bottom of the z-order up.
    void PaintBottomUp();
    void LayOutVersionLines();
    void EndSplash();

    bool m_bModal = false;
    bool m_bSplash = false;
    UINT_PTR m_nTimer = 0;
    bool m_bCapture = false;
    // A splash whose end came while an application message box was up ends
    // after the box, so that the box never goes with it.
    bool m_bEndPending = false;
    CTransparentText m_lines[8];
    // The picture: the control shows it, the box owns it.
    CBitmap m_bmPicture;
    CFont m_fontBold;
    SIZE m_sizePicture{0, 0};
};
