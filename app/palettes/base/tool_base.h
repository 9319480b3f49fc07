// CToolBase: the floating palette window every palette derives from. A
// mini-frame owned by the main window that remembers its position, paints
// windowless text labels, hands keys on to the main window and the image
// windows, builds its right-click menu from the palette's submenu of the
// main menu's "&Settings" menu, and answers context help.
//
// The main frame holds each palette as a member for the life of the
// process; the window is made when the user shows the palette and destroyed
// when they hide it, and destroying it never deletes the object.
#pragma once

#include <cstdint>
#include <map>

#include "clx/menu.h"
#include "clx/miniframe.h"

class CImageRecord;

class CToolBase : public CMiniFrameWnd {
    DECLARE_DYNCREATE(CToolBase)
public:
    // Run-time creation: no stored position, no submenu.
    CToolBase() = default;
    CToolBase(uint32_t positionSettingId, uint32_t loadCommandId, uint32_t helpId);
    ~CToolBase() override;

    // The title from the string table, the stored position (0, 0, 50 x 50
    // without one), a thick frame and hidden when resizable (the palette
    // shows itself once built), else visible; owned by `parent`.
    virtual BOOL CreatePalette(UINT titleStringId, BOOL resizable, CWnd* parent, DWORD style);
    // The palette's own items after those of its submenu.
    virtual void AddContextMenuItems(CMenu& menu);
    // Makes the palette's window, owned by `parent`; every palette makes
    // its own with its title and size. The base makes an untitled one.
    virtual BOOL Create(CWnd* parent);
    // Rewrites the sidecar of every selected thumbnail, after a change that
    // went to all of them.
    virtual void SaveSelectedImageSettings();
    // The image the user works on: 0 none, 1 the record's, more several
    // thumbnails. Palettes that follow the image take it; the others ignore it.
    virtual void SetTarget(int32_t count, CImageRecord* record);

    bool IsOpen() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
    uint32_t GetPositionSettingId() const { return positionSettingId; }
    uint32_t GetLoadCommandId() const { return loadCommandId; }

    // Windowless labels: the id is the string id (AddLabel) or the caller's.
    void AddLabel(UINT stringId, const RECT& rect, DWORD style);
    void AddLabelText(UINT id, const char* text, const RECT& rect, DWORD style);
    // An existing label only; a null text or rectangle, or style 0, keeps that part.
    void UpdateLabel(UINT id, const char* text, const RECT* rect, DWORD style);
    void ShowLabel(UINT id, bool show);
    bool HasLabel(UINT id) const { return labelTexts.count(id) != 0; }
    DWORD GetLabelStyle(UINT id) const;

    // The right-click menu as it would be tracked: the palette's submenu of
    // "&Settings" (none when either is missing) and the palette's items.
    // False when nothing is to be shown.
    bool BuildContextMenu(CMenu& popup);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    // The main frame keeps the object.
    void PostNcDestroy() override {}

    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    void OnPaint();
    void OnSysCommand(UINT command, LPARAM lParam);
    void OnActivateApp(BOOL active, DWORD threadId);
    void OnContextMenu(CWindow window, CPoint point);
    BOOL OnHelpInfo(HELPINFO* info);
    LRESULT OnHelpHitTest(WPARAM, LPARAM point);
    LRESULT OnCommandHelp(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

    uint32_t positionSettingId = 0;
    uint32_t loadCommandId = 0;
    std::map<uint32_t, CString> labelTexts;
    std::map<uint32_t, RECT> labelRects;
    std::map<uint32_t, uint32_t> labelStyles;

private:
    void ClearLabels();
};
