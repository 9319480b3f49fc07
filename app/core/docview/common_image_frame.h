// CCommonImageFrame: the MDI child frame shared by the image windows. Its
// title is the document's title, the window number, the text the view adds
// (its zoom) and " *" while the document is modified. It holds the section
// bar and, in the bar below its header, the shooting-data pane: the active
// document's shooting information as a titled table of side-by-side
// columns, scrolled sideways by the pane's scroll bar. Derived frames create
// the bar and the scroll bar; a frame without them has no pane. F1 and the
// help mode ask the frame for the help of its own id.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/docview/view_section.h"
#include "app/core/text/string_resource.h"
#include "app/core/view_model/frame_layout.h"
#include "clx/mdi.h"

class CShootingInfoTable;

// Toggles the shooting-data section.
inline constexpr UINT kCmdToggleShootingData = 32789;
// From the main frame: bit 0 of wParam collapses the sections.
inline constexpr UINT kWmResetViewSections = 0x801A;
// The pane's title line.
inline constexpr uint32_t kInfoPaneTitleId = qz::StringId(9491);

// A view that adds text to its frame's title.
class IFrameTitleText {
public:
    virtual std::string GetFrameTitleText() const = 0;

protected:
    ~IFrameTitleText() = default;
};

class CCommonImageFrame : public CMDIChildWnd {
    DECLARE_DYNCREATE(CCommonImageFrame)
public:
    ~CCommonImageFrame() override;

    void OnUpdateFrameTitle(BOOL addToTitle) override;
    // The document is loaded by now: the pane measures its table again.
    void InitialUpdateFrame(CDocument* doc, BOOL visible) override;
    // Measures the pane again (the active document's table may have
    // changed) and repaints it at once.
    virtual void UpdateInfoPane();

    // The section's state (0 collapsed, 1 open), kept by the section bar.
    int32_t GetSectionState() const { return section_.GetMode(); }
    void SetSectionState(int32_t state) { section_.SetMode(state, true); }
    // Whether the frame shows the shooting-data pane at all.
    bool HasInfoPane() const { return section_.m_hWnd != nullptr; }
    CViewSection& GetSection() { return section_; }
    HWND GetInfoPaneScrollBar() const { return scrollBar_; }

    // What the pane draws, as last measured; the pane measures when it is
    // first painted after a change.
    const qz::InfoPaneLayout& GetInfoPaneLayout() const { return layout_; }
    bool IsInfoPaneMeasured() const { return measured_; }
    int32_t GetInfoPaneScrollPosition() const;
    // The pane's room in the open section, below the header.
    RECT GetInfoPaneRect() const;
    // Six lines of the pane's font, the horizontal scroll bar and 26 pixels.
    static int32_t GetInfoPaneHeight();

    // Set while any image frame is being resized; whoever waits for the end clears it.
    static bool IsFrameSizing();
    static void SetFrameSizing(bool sizing);

protected:
    // The scroll bar of the pane (control `id`, a child of the section),
    // hidden until the table is wider than the pane.
    void CreateInfoPaneScrollBar(UINT id);
    // Along the bottom of the pane, 2 pixels short of its right end; its
    // page is the pane's width.
    void PlaceInfoPaneScrollBar();
    // Shown only while the section is open and the content is wider than the page.
    void UpdateInfoPaneScrollBar();
    // Paints the pane into `dc` (the section's drawing), at `pane`.
    void DrawInfoPane(HDC dc, const RECT& pane);
    // A horizontal scroll code of the pane's scroll bar.
    void ScrollInfoPane(UINT code);

    void OnMDIActivate(BOOL activate, CWindow activated, CWindow deactivated);
    void OnSizing(UINT edge, RECT* rect);
    BOOL OnHelpInfo(HELPINFO* info);
    LRESULT OnCommandHelp(WPARAM w, LPARAM l);
    LRESULT OnHelpHitTest(WPARAM w, LPARAM l);
    void OnToggleShootingData();
    void OnUpdateToggleShootingData(CCmdUI* cmdUI);
    LRESULT OnResetViewSections(WPARAM w, LPARAM l);
    DECLARE_MESSAGE_MAP()

    CViewSection section_;
    HWND scrollBar_ = nullptr;  // a child of the section

private:
    // The shooting information of the active view's document; null without one.
    const CShootingInfoTable* GetShootingInfo();
    void LayoutInfoPane(HDC dc);

    qz::InfoPaneLayout layout_;
    bool measured_ = false;
};
