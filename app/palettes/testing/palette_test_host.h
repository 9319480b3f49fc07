// A host for palette tests: a fake main frame (the main window, with a
// "&Settings" menu of the palettes' submenus and an accelerator table) that
// answers the palettes as the real one does, image records whose views log
// every UpdateAdjustments with the hint and the time, and a clock the test
// sets.
//
// Make one CPaletteTestHost per test and Start it in the fixture's SetUp: it
// makes its frame, installs itself as the palettes' host and the frame as the
// application's main window; Stop (in TearDown, or when it goes) takes both
// back.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/core/docview/image_display_view.h"
#include "app/core/record/image_record.h"
#include "app/palettes/base/palette_host.h"
#include "clx/frame.h"

namespace palettetest {

// An image view that only logs what the palettes ask of it.
class CLoggingView : public CImageDisplayView {
public:
    struct Update {
        uint32_t hints;
        uint32_t at;  // the host's clock
    };
    explicit CLoggingView(const uint32_t& clock) : clock_(clock) {}
    void UpdateAdjustments(uint32_t hints, bool unadjusted = false, CImageRecord* item = nullptr) override;
    std::vector<Update> updates;

private:
    const uint32_t& clock_;
};

// The image of a test: its record, and its view unless made without one.
struct TestImage {
    CImageRecord record;
    std::unique_ptr<CLoggingView> view;
    int32_t kind = 0;  // the image file kind (32, 33 raw)
};

// Commands of the fake frame's "&Settings" submenus, as the program's.
struct SettingsSubmenu {
    const char* title;
    std::vector<std::pair<uint32_t, const char*>> items;
};
const std::vector<SettingsSubmenu>& TestSettingsSubmenus();

class CFakeMainFrame : public CFrameWnd {
public:
    // Every help request of the palettes, as (data, command).
    std::vector<std::pair<DWORD_PTR, UINT>> help;
    void WinHelp(DWORD_PTR data, UINT cmd) override { help.emplace_back(data, cmd); }

protected:
    void PostNcDestroy() override {}
};

class CPaletteTestHost : public IPaletteHost {
public:
    CPaletteTestHost() = default;
    ~CPaletteTestHost() override { Stop(); }
    void Start();
    void Stop();

    CFakeMainFrame& Frame() { return frame_; }
    // A new image; with a view that logs, unless `withView` is false.
    TestImage& AddImage(int32_t kind = 32, bool withView = true);
    // The selection of the camera image window, by images of this host.
    void Select(std::vector<TestImage*> images) { selected_ = std::move(images); }
    void Register(PaletteKind kind, CAdjustmentPalette* palette) { palettes_[kind] = palette; }

    uint32_t now = 0;
    // The selected thumbnails whose sidecars were written, by index.
    std::vector<int> sidecarsWritten;
    int refreshes = 0;

    bool GetSelectedImageSettings(int n, CImageRecord** record) override;
    bool SaveSelectedImageSettings(int n) override;
    CAdjustmentPalette* GetAdjustmentPalette(PaletteKind kind) override;
    void RefreshImageAdjustments() override { ++refreshes; }
    int32_t GetImageKind(const CImageRecord& record) override;
    uint32_t GetTickCount() override { return now; }
    std::string GetProgramFolder() override { return {}; }

private:
    CFakeMainFrame frame_;
    std::vector<std::unique_ptr<TestImage>> images_;
    std::vector<TestImage*> selected_;
    std::map<PaletteKind, CAdjustmentPalette*> palettes_;
    CWnd* previousMain_ = nullptr;
    bool started_ = false;
};

}  // namespace palettetest
