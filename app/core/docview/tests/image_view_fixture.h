// The image view tests' fixture: a view on a record of a synthetic image in
// a frame of a chosen client size, a host that counts what reaches the
// program, and the chain's own output to compare the window's pixels with.
#pragma once

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "app/core/docview/image_display_view.h"
#include "app/core/docview/image_frame.h"
#include "app/core/docview/image_view.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/record/image_record.h"
#include "app/core/view_model/zoom.h"
#include "clx/document.h"
#include "clx/frame.h"
#include "testing/gui_test.h"

namespace docview_test {

using namespace engine_test;

// The record the next view shows (dynamic creation takes no arguments).
inline CImageRecord* nextRecord = nullptr;

class TestImageView : public CImageDisplayView {
    DECLARE_DYNCREATE(TestImageView)
public:
    void OnInitialUpdate() override
    {
        SetRecord(nextRecord);
        BuildPipeline(kHintBuildAll, 0.0);
        CImageDisplayView::OnInitialUpdate();
    }
};

class TestDoc : public CDocument {};

// An image document as the view sees it.
class FakeImageDoc : public CDocument, public IImageViewDocument {
public:
    explicit FakeImageDoc(CImageRecord& record) : record_(record) {}
    CImageRecord& GetImageRecord() override { return record_; }
    bool IsRawImage() const override { return record_.raw != 0; }
    void SetShortTitle() override { SetTitle("short"); }

private:
    CImageRecord& record_;
};

// Counts what reaches the stand-in main window.
inline int diskFullPosts = 0;
inline std::vector<std::pair<WPARAM, LPARAM>> paletteTargets;
inline std::vector<UINT> mainCommands;
inline LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == kWmTempDiskFull)
        ++diskFullPosts;
    if (msg == kWmSetPaletteTarget)
        paletteTargets.emplace_back(w, l);
    if (msg == WM_COMMAND)
        mainCommands.push_back(LOWORD(w));
    return ::DefWindowProcA(hwnd, msg, w, l);
}

struct TestHost final : CQuietViewHost {
    void DoIdleWork() override { ++idleSlices; }
    int32_t GetSynchronousPainting() const override { return mark; }
    void SetSynchronousPainting(int32_t value) override { mark = value; }
    HWND GetMainWindow() const override { return main; }
    IVorlatManager* GetDrawingManager() const override { return drawing; }
    void ShowMessage(int32_t id) override { messages.push_back(id); }
    int32_t GetCursorMode() const override { return cursorMode; }
    void RefreshSizeFields() override { ++sizeFieldRefreshes; }
    bool IsSizePaletteOpen() const override { return sizePaletteOpen; }
    void ShowInformation(int32_t x, int32_t y, const int32_t values[6]) override
    {
        information.push_back({x, y, {values[0], values[1], values[2], values[3], values[4], values[5]}});
    }
    void ClearInformation() override { ++informationCleared; }
    int32_t GetSelectedThumbnailCount() const override { return static_cast<int32_t>(thumbnails.size()); }
    CImageRecord* GetSelectedThumbnailRecord(int32_t index) const override { return thumbnails[index]; }
    void RefreshThumbnail(int32_t index) override { refreshedThumbnails.push_back(index); }

    IVorlatManager* drawing = nullptr;
    HWND main = nullptr;
    int32_t mark = 0;
    int32_t idleSlices = 0;
    std::vector<int32_t> messages;
    // The mouse tools.
    struct Reading {
        int32_t x, y;
        std::vector<int32_t> values;
    };
    int32_t cursorMode = 0;
    int32_t sizeFieldRefreshes = 0;
    bool sizePaletteOpen = false;
    std::vector<Reading> information;
    int32_t informationCleared = 0;
    std::vector<CImageRecord*> thumbnails;
    std::vector<int32_t> refreshedThumbnails;
};

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(file) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// The chain's own BGR output, tile by tile, as 0x00RRGGBB rows.
inline std::vector<uint32_t> RenderChain(IVorlatFilterChain* chain, int32_t width, int32_t height)
{
    std::vector<uint32_t> out(static_cast<size_t>(width) * height, 0xFFFFFFFF);
    IVorlatTileGrid* grid = nullptr;
    const RECT all = {0, 0, width, height};
    EXPECT_EQ(0, Deepest(chain->MapRect(&grid, all)));
    if (!grid)
        return out;
    for (int32_t row = 0; row < grid->GetRows(); ++row) {
        for (int32_t column = 0; column < grid->GetColumns(); ++column) {
            void* pixels = nullptr;
            RECT tile{}, used{};
            int32_t rowBytes = 0;
            EXPECT_EQ(0, Deepest(chain->LockTile(&pixels, &tile, &used, &rowBytes, *grid, column, row, nullptr)));
            if (!pixels)
                continue;
            const auto* bytes = static_cast<const uint8_t*>(pixels);
            for (int32_t y = used.top; y < used.bottom; ++y) {
                for (int32_t x = used.left; x < used.right; ++x) {
                    const uint8_t* p = bytes + (y - tile.top) * rowBytes + (x - tile.left) * 3;
                    out[static_cast<size_t>(y) * width + x] = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
                }
            }
            EXPECT_EQ(0, Deepest(chain->UnlockTile(*grid, column, row)));
        }
    }
    grid->Destroy();
    return out;
}

// The committed background: 8-pixel squares of 0xCC and 0x99 grey.
inline uint32_t BackgroundAt(int32_t x, int32_t y)
{
    return ((x % 16) / 8 + (y % 16) / 8) % 2 == 0 ? 0xCCCCCC : 0x999999;
}

class ImageViewTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        saving = MakeManager(65536);
        CreateColorEnginePool();
        SetImageManager(saving);
        folder = std::filesystem::absolute(ScratchPath("docview")).string();
        std::filesystem::create_directories(folder);
        // The engine folder always ends in a backslash.
        const std::vector<uint8_t> wide = qrvtest::WideRgbProfile().Build();
        for (const char* name : {"QZM4_TIFF.icm", "QZM4_XQV.icm"})
            WriteFile(folder + "\\" + name, wide);
        SetEngineFolder(folder.c_str());
        const std::string working = folder + "/working.icm", lightness = folder + "/lch.icm",
                          monitor = folder + "/monitor.icm";
        WriteFile(working, qrvtest::RgbMatrixProfile().Build());
        WriteFile(lightness, qrvtest::LabIdentityProfile().Build());
        WriteFile(monitor, qrvtest::NarrowRgbProfile().Build());
        SetColorProfilePaths(working.c_str(), working.c_str(), lightness.c_str(), monitor.c_str());

        WNDCLASSA cls{};
        cls.lpfnWndProc = MainProc;
        cls.hInstance = ::GetModuleHandleA(nullptr);
        cls.lpszClassName = "TessDocViewTestMain";
        ::RegisterClassA(&cls);
        host.main = ::CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance,
                                      nullptr);
        diskFullPosts = 0;
        paletteTargets.clear();
        SetImageViewHost(&host);
    }
    void TearDown() override
    {
        SetImageViewHost(nullptr);
        ::DestroyWindow(host.main);
        record.reset();
        DestroyColorEnginePool();
        SetImageManager(nullptr);
        if (host.drawing)
            host.drawing->Destroy();
        saving->Destroy();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        GuiTest::TearDown();
    }

    // An 8-bit RGB image with a different colour at every pixel, or raw
    // mosaic data as a raw file gives it.
    void MakeRecord(bool raw, int32_t width, int32_t height)
    {
        if (!host.drawing)
            host.drawing = MakeManager(16384);
        std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * (raw ? 2 : 3));
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
        record = std::make_unique<CImageRecord>();
        record->imageData = MakeImage(saving, raw ? 64 : 32, width, height, bytes);
        AddRefImageData(record->imageData);
        if (raw) {
            ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&record->tags)));
            const int32_t kind = 32;
            ASSERT_EQ(0, Deepest(record->tags->AddTag(0x80004)));
            ASSERT_EQ(0, Deepest(record->tags->SetTagValue(0x80004, kTagTypeLongs, 4, &kind, 0)));
            record->raw = 1;
        }
    }

    // A frame whose client area is `clientWidth` x `clientHeight` around the view.
    TestImageView* Show(int32_t clientWidth, int32_t clientHeight)
    {
        return static_cast<TestImageView*>(ShowIn(new TestDoc, RUNTIME_CLASS(TestImageView), clientWidth, clientHeight));
    }
    CImageDisplayView* ShowIn(CDocument* doc, CRuntimeClass* viewClass, int32_t clientWidth, int32_t clientHeight)
    {
        nextRecord = record.get();
        CCreateContext context;
        context.m_pNewViewClass = viewClass;
        context.m_pCurrentDoc = doc;
        frame = new CFrameWnd;
        if (!frame->LoadFrame(0, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
            ADD_FAILURE() << "no frame";
            return nullptr;
        }
        RECT outer = {0, 0, clientWidth, clientHeight};
        ::AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
        frame->SetWindowPos(nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_NOZORDER);
        frame->InitialUpdateFrame(doc, TRUE);
        EXPECT_TRUE(PumpUntilIdle());
        return static_cast<CImageDisplayView*>(frame->GetActiveView());
    }
    // The first update fitted the image to the window; back to a zoom step.
    void ZoomTo(TestImageView* view, int32_t step)
    {
        record->zoomStep = step;
        record->displayScale = qz::GetZoomStepScale(step);
        view->SetZoom(record->displayScale);
        EXPECT_TRUE(PumpUntilIdle());
    }
    void Close()
    {
        frame->SendMessage(WM_CLOSE);
        EXPECT_TRUE(PumpUntilIdle());
        frame = nullptr;
    }

    // Every pixel of the client area: the chain's output where the image
    // is, the background pattern (moved by the scroll position) elsewhere.
    void ExpectPicture(CImageDisplayView* view)
    {
        EXPECT_FALSE(::GetUpdateRect(view->m_hWnd, nullptr, FALSE)) << "part of the view is still unpainted";
        const CSize total = view->GetTotalSize();
        const CPoint scroll = view->GetScrollPosition();
        const std::vector<uint32_t> expected = RenderChain(view->GetChain().GetChain(), total.cx, total.cy);
        const clx::test::Image shot = clx::test::CaptureWindow(view->m_hWnd);
        int32_t wrong = 0, imagePixels = 0, patternPixels = 0;
        for (int32_t y = 0; y < shot.height; ++y) {
            for (int32_t x = 0; x < shot.width; ++x) {
                const int32_t ix = x + scroll.x, iy = y + scroll.y;
                const bool inside = ix < total.cx && iy < total.cy;
                const uint32_t want = inside ? expected[static_cast<size_t>(iy) * total.cx + ix] : BackgroundAt(ix, iy);
                (inside ? imagePixels : patternPixels)++;
                if (shot.pixels[static_cast<size_t>(y) * shot.width + x] != want && wrong++ < 5) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex
                                  << shot.pixels[static_cast<size_t>(y) * shot.width + x] << ", expected " << want;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(imagePixels, 0);
    }

    TestHost host;
    IVorlatManager* saving = nullptr;
    std::unique_ptr<CImageRecord> record;
    CFrameWnd* frame = nullptr;
    std::string folder;
};

}  // namespace docview_test
