// CTabPageBase: a page that a tab control shows inside its host (the
// Preferences dialog, the camera palette and the camera's custom settings).
// The page is a modeless child dialog from an empty template; it builds its
// controls in code on WM_CREATE and is created only when its tab is first
// chosen. Enter and Escape inside a page act on the host.
//
// CCameraTabPageBase adds the camera pages' context help and the refresh
// after a camera capability changed.
//
// Pages are members of their host and never delete themselves.
#pragma once

#include <cstdint>
#include <functional>

#include "clx/dialog.h"

class CQzComboBox;
class CQzEdit;

class CTabPageBase : public CDialog {
public:
    CTabPageBase() = default;
    CTabPageBase(const CTabPageBase&) = delete;
    CTabPageBase& operator=(const CTabPageBase&) = delete;

    // The page window as a disabled child of `parent`; non-zero on success.
    virtual BOOL CreatePage(CWnd* parent);
    virtual UINT GetTitleId() const = 0;
    // The page's size in pixels, measured once in the user-interface font
    // (in `dc` when given) and kept.
    virtual SIZE GetLayoutSize(HDC dc) = 0;
    virtual void LoadFromSettings() = 0;
    // Writes nothing when the page was never loaded.
    virtual void StoreToSettings() = 0;
    virtual void OnActivatePage(BOOL /*shown*/) {}
    virtual BOOL Validate() { return TRUE; }
    virtual int32_t SetOwnerValue(int32_t value)
    {
        m_ownerValue = value;
        return value;
    }

    // Enter and Escape go to the host dialog.
    void OnOK() override { ForwardToParent(); }
    void OnCancel() override { ForwardToParent(); }

protected:
    // Posts the message being handled, unchanged, to the parent window.
    void ForwardToParent();

    // The cached size, or `measure` run once in `dc` (or in a device
    // context of the page's own with the user-interface font).
    SIZE CachedLayoutSize(HDC dc, const std::function<SIZE(HDC)>& measure);
    // A control of the page in the user-interface font; null on failure.
    HWND AddControl(const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                    UINT id = 0xFFFF, DWORD exStyle = 0);
    HWND AddControl(const char* className, UINT textId, DWORD style, int x, int y, int width, int height,
                    UINT id = 0xFFFF, DWORD exStyle = 0);
    // A control object of the class library made as a child of the page, in
    // the user-interface font.
    void UseUiFont(HWND control) const;
    // A drop-down list whose list opens `lines` entries deep, and a numeric
    // field, both in the user-interface font.
    bool AddDropList(CQzComboBox& combo, int x, int y, int width, int lines, UINT id);
    bool AddNumberField(CQzEdit& edit, int x, int y, int width, UINT id);
    // Single-line text widths in `dc`.
    static int TextWidth(HDC dc, const char* text);
    static int TextWidth(HDC dc, UINT textId);

    bool IsChecked(UINT id) const { return ::IsDlgButtonChecked(m_hWnd, static_cast<int>(id)) == BST_CHECKED; }
    void SetChecked(UINT id, bool checked) const
    {
        ::CheckDlgButton(m_hWnd, static_cast<int>(id), checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void EnableItem(UINT id, bool enable) const { ::EnableWindow(::GetDlgItem(m_hWnd, static_cast<int>(id)), enable); }

    int32_t m_layoutWidth = 0;  // pixels; 0 until measured
    int32_t m_layoutHeight = 0;
    int32_t m_ownerValue = 0;
};

class CCameraTabPageBase : public CTabPageBase {
public:
    // After a change of camera capability `capability` (0: all of them);
    // `flag` 0 when its description or value list may have changed, 1 when
    // only its value did.
    virtual void OnCapabilityChanged(uint32_t /*capability*/, int32_t /*flag*/) {}

protected:
    LRESULT OnHelp(WPARAM, LPARAM info);
    LRESULT OnHelpHitTest(WPARAM, LPARAM point);
    DECLARE_MESSAGE_MAP()
};
