// CCommonImageFrame: the MDI child frame shared by the image windows. Its
// title is the document's title, the window number, the text the view adds
// (its zoom) and " *" while the document is modified; it answers the toggle
// of the shooting-data section and the main frame's reset of the sections.
#pragma once

#include <cstdint>
#include <string>

#include "clx/mdi.h"

// Toggles the shooting-data section.
inline constexpr UINT kCmdToggleShootingData = 32789;
// From the main frame: bit 0 of wParam collapses the sections.
inline constexpr UINT kWmResetViewSections = 0x801A;

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
    void OnUpdateFrameTitle(BOOL addToTitle) override;

    // The section's state (0 collapsed, 1 open). A frame with a section bar
    // hands these to it; without one the frame keeps the state itself.
    virtual int32_t GetSectionState() const { return sectionState_; }
    virtual void SetSectionState(int32_t state) { sectionState_ = state; }
    // Whether the frame shows the shooting-data pane at all.
    virtual bool HasInfoPane() const { return false; }

    // Set while any image frame is being resized; whoever waits for the end clears it.
    static bool IsFrameSizing();
    static void SetFrameSizing(bool sizing);

protected:
    void OnSizing(UINT edge, RECT* rect);
    BOOL OnHelpInfo(HELPINFO* info);
    void OnToggleShootingData();
    void OnUpdateToggleShootingData(CCmdUI* cmdUI);
    LRESULT OnResetViewSections(WPARAM w, LPARAM l);
    DECLARE_MESSAGE_MAP()

private:
    int32_t sectionState_ = 0;
};
