// CViewSection: the collapsible bar above an image ("Shooting Data"). A click
// on its header bitmap opens or collapses it; its owner (the frame) lays
// itself out again, paints the bar's contents below the header and takes
// the scroll messages and the commands of the controls registered with the
// bar. The camera image windows' bar also has Previous, Next and Delete
// buttons, shown while it is collapsed.
#pragma once

#include <cstdint>
#include <vector>

#include "clx/gdi.h"
#include "clx/wnd.h"

class CViewSection;

inline constexpr UINT kSectionHeaderBitmapId = 130;
inline constexpr UINT kSectionPreviousId = 1093;
inline constexpr UINT kSectionNextId = 1094;
inline constexpr UINT kSectionDeleteId = 1036;

class CViewSectionContainer {
public:
    virtual void OnSectionModeChanged(CViewSection* section, int32_t mode) = 0;
    // client: the bar's client rectangle; header: the header bitmap's place.
    virtual void DrawSection(CViewSection* section, HDC dc, const RECT& client, const RECT& header) = 0;
    virtual void OnSectionNext(CViewSection* section) = 0;
    virtual void OnSectionPrevious(CViewSection* section) = 0;
    virtual void OnSectionDelete(CViewSection* section) = 0;
    // True when the command was handled.
    virtual bool OnSectionCommand(CViewSection* section, UINT command, HWND control) = 0;
    // A scroll code of a scroll bar in the section.
    virtual void OnSectionScroll(CViewSection* section, UINT code, UINT position, HWND control) = 0;
    virtual void OnSectionContextMenu(CViewSection* section, HWND window, POINT point) = 0;

protected:
    ~CViewSectionContainer() = default;
};

class CViewSection : public CWnd {
public:
    enum Mode : int32_t { kCollapsed = 0, kOpen = 1 };

    // The height of `rect` becomes the open height.
    BOOL Create(bool withButtons, const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void SetOwner(CViewSectionContainer* owner) { owner_ = owner; }
    // Sizes the bar for the mode (width of the parent's client area) and,
    // with `notify`, tells the owner.
    void SetMode(int32_t mode, bool notify);
    int32_t GetMode() const { return mode_; }
    // The value the frame keeps with the bar: 1 while it is meant to be shown.
    void SetCurrent(int32_t value) { current_ = value; }
    int32_t GetCurrent() const { return current_; }
    // Commands of this control go to the owner.
    void AddItem(UINT id) { items_.push_back(id); }

    int32_t GetHeaderHeight() const { return headerHeight_; }
    // The header's height before a bar exists: half the header bitmap.
    static int32_t LoadHeaderHeight();
    int32_t GetOpenHeight() const { return openHeight_; }
    // The caption's font, and the rows of the header above its separator
    // where the caption is drawn.
    HFONT GetCaptionFont() const { return static_cast<HFONT>(font_.m_hObject); }
    int32_t CaptionBandHeight() const;
    // The bar's height in its mode.
    int32_t GetModeHeight() const { return mode_ == kOpen ? openHeight_ : headerHeight_; }
    // Null without buttons.
    HWND GetPreviousButton() const { return buttons_[kPrevious].wnd; }
    HWND GetNextButton() const { return buttons_[kNext].wnd; }
    HWND GetDeleteButton() const { return buttons_[kDelete].wnd; }

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnVScroll(UINT code, UINT position, CWindow bar);
    void OnHScroll(UINT code, UINT position, CWindow bar);
    void OnContextMenu(CWindow window, CPoint point);
    void OnSize(UINT type, int cx, int cy);
    void OnDrawItem(int id, DRAWITEMSTRUCT* item);
    BOOL OnCommand(WPARAM w, LPARAM l) override;
    LRESULT OnSizeParent(WPARAM w, LPARAM l);
    LRESULT OnSetText(WPARAM w, LPARAM l);
    DECLARE_MESSAGE_MAP()

private:
    enum Button { kPrevious, kNext, kDelete, kButtonCount };
    // An owner-drawn button with its face up and pressed.
    struct SectionButton {
        HWND wnd = nullptr;
        CBitmap up;
        CBitmap down;
    };

    static constexpr int32_t kSeparatorLines = 3;

    RECT HeaderRect() const;
    // The measured cell height of the caption's font.
    int32_t CaptionCellHeight() const;
    bool CreateButtons();
    void PlaceButtons(int32_t width);
    void ShowButtons();

    CViewSectionContainer* owner_ = nullptr;
    CBitmap header_;
    int32_t headerWidth_ = 0;
    int32_t headerHeight_ = 16;
    int32_t mode_ = kCollapsed;
    int32_t current_ = 0;
    int32_t openHeight_ = 50;
    CFont font_;
    std::vector<UINT> items_;
    bool withButtons_ = false;
    SectionButton buttons_[kButtonCount];
};
