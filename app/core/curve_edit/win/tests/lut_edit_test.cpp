// The curve editor window under Wine: mouse and keys reach the group and are
// reported to a spy container; the painted plot read back from an off-screen
// render.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/curve_edit/win/lut_edit.h"
#include "app/core/curves/hue_channel.h"
#include "app/core/curves/lut_group.h"
#include "clx/app.h"
#include "testing/gui_test.h"

namespace {

// Records what the editor tells its container: "show 4", "changing 4", "changed 4".
class SpyContainer : public IQzLutContainer {
public:
    std::vector<std::string> calls;
    LutEditStyle style;
    int styleRequests = 0;

    void GetStyle(CQzLutEdit&, LutEditStyle& out) override
    {
        ++styleRequests;
        out = style;
    }
    void ShowValue(CQzLutEdit&, uint32_t code) override { calls.push_back("show " + std::to_string(code)); }
    void OnChanging(CQzLutEdit&, uint32_t code) override { calls.push_back("changing " + std::to_string(code)); }
    void OnChanged(CQzLutEdit&, uint32_t code) override { calls.push_back("changed " + std::to_string(code)); }

    int Count(const std::string& call) const
    {
        int n = 0;
        for (const std::string& c : calls)
            n += c == call;
        return n;
    }
};

// A client of 268 x 272 leaves a plot of 256 pixels at (7, 5).
constexpr int kClientWidth = 268, kClientHeight = 272;
constexpr int kPlotLeft = 7, kPlotTop = 5, kSide = 256;
constexpr int kPlotBottom = kPlotTop + kSide;

POINT PlotPoint(double u, double v)
{
    return {kPlotLeft + static_cast<LONG>(u * (kSide - 1) + 0.5), kPlotBottom - 1 - static_cast<LONG>(v * (kSide - 1) + 0.5)};
}

class LutEditTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ASSERT_TRUE(parent_.CreateEx(0, AfxRegisterWndClass(0), "Curves", WS_POPUP | WS_VISIBLE, 0, 0, 400, 400,
                                     nullptr, nullptr));
        ASSERT_TRUE(editor_.Create(WS_VISIBLE, CRect(10, 10, 10 + kClientWidth, 10 + kClientHeight), &parent_, 100));
        editor_.SetLutContainer(&spy_);
        editor_.SetLutGroup(&group_);
        PumpUntilIdle();
        spy_.calls.clear();
    }
    void TearDown() override
    {
        editor_.DestroyWindow();
        parent_.DestroyWindow();
        GuiTest::TearDown();
    }

    CQzLutChannel& Master() { return static_cast<CQzLutChannel&>(*group_.GetChannel(0)); }
    HWND Editor() const { return editor_.m_hWnd; }
    void Post(UINT message, WPARAM w, POINT p) { ::PostMessageA(Editor(), message, w, MAKELPARAM(p.x, p.y)); }

    CWnd parent_;
    CQzLutEdit editor_;
    CQzLutGroup group_;
    SpyContainer spy_;
};

TEST_F(LutEditTest, APressOnEmptyPlotAddsAPointDragsItAndReportsTheEndOnRelease)
{
    const POINT empty = PlotPoint(0.25, 0.6);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, empty);
    PumpUntilIdle();
    EXPECT_EQ(Master().GetPointCount(), 3);
    EXPECT_EQ(Master().GetSelectedPoint(), 1);
    EXPECT_EQ(editor_.GetDragCode(), kLutPoints);
    EXPECT_EQ(editor_.GetLastHit(), kLutPoints);
    EXPECT_EQ(::GetCapture(), Editor());
    EXPECT_EQ(spy_.Count("changed 4"), 0) << "nothing is complete before the release";

    Post(WM_MOUSEMOVE, MK_LBUTTON, PlotPoint(0.25, 0.7));
    Post(WM_LBUTTONUP, 0, PlotPoint(0.25, 0.7));
    PumpUntilIdle();
    EXPECT_EQ(spy_.Count("changed 4"), 1);
    ASSERT_FALSE(spy_.calls.empty());
    EXPECT_EQ(spy_.calls.back(), "changed 4");
    EXPECT_GE(spy_.Count("changing 4"), 2) << "the press and the move";
    EXPECT_EQ(editor_.GetDragCode(), 0u);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(group_.IsDragging());
    double x = 0, y = 0;
    ASSERT_TRUE(Master().GetPoint(1, &x, &y));
    EXPECT_NEAR(y, 0.7, 1.0 / kSide);
}

TEST_F(LutEditTest, APressTakesTheFocus)
{
    ASSERT_NE(Activate(parent_), 0);
    ::SetFocus(parent_);
    ASSERT_EQ(::GetFocus(), parent_.m_hWnd);
    const POINT empty = PlotPoint(0.25, 0.6);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, empty);
    Post(WM_LBUTTONUP, 0, empty);
    PumpUntilIdle();
    EXPECT_EQ(::GetFocus(), Editor());
}

TEST_F(LutEditTest, KeysNudgeOncePerRepetitionAndReportOnce)
{
    // Point 0 (the black end) is selected in a new channel.
    ASSERT_EQ(Master().GetSelectedPoint(), 0);
    ::PostMessageA(Editor(), WM_KEYDOWN, VK_UP, 5 | ::MapVirtualKeyA(VK_UP, 0) << 16);
    PumpUntilIdle();
    double x = 0, y = 0;
    ASSERT_TRUE(Master().GetPoint(0, &x, &y));
    EXPECT_DOUBLE_EQ(y, 5.0 / 256);
    EXPECT_EQ(spy_.calls, (std::vector<std::string>{"show 4", "changing 4", "changed 4"}));

    // "3" sets the vertical range of a hue channel; a tone channel has none.
    spy_.calls.clear();
    std::vector<uint8_t> before(static_cast<size_t>(group_.GetSize()));
    group_.GetData(before.data(), static_cast<int32_t>(before.size()));
    ::PostMessageA(Editor(), WM_CHAR, '3', 1);
    PumpUntilIdle();
    EXPECT_TRUE(spy_.calls.empty());
    std::vector<uint8_t> after(before.size());
    group_.GetData(after.data(), static_cast<int32_t>(after.size()));
    EXPECT_EQ(before, after);

    // Insert adds a point next to the selected one; "-" selects back.
    ::PostMessageA(Editor(), WM_KEYDOWN, VK_INSERT, 1);
    PumpUntilIdle();
    EXPECT_EQ(Master().GetPointCount(), 3);
    ::PostMessageA(Editor(), WM_CHAR, '-', 1);
    PumpUntilIdle();
    EXPECT_EQ(Master().GetSelectedPoint(), 0);
    EXPECT_EQ(spy_.Count("changed 4"), 2);
}

TEST_F(LutEditTest, DraggingAPointFarOutOfThePlotDeletesIt)
{
    const POINT at = PlotPoint(0.5, 0.5);
    Click(Editor(), at);
    ASSERT_EQ(Master().GetPointCount(), 3);
    spy_.calls.clear();

    struct Case {
        int below;
        int pointsAfter;
    } cases[] = {{10, 3}, {21, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.below);
        const double x = 0.5;
        double px = 0, py = 0;
        ASSERT_TRUE(Master().GetPoint(1, &px, &py));
        const POINT from = PlotPoint(x, py);
        Drag(Editor(), from, POINT{from.x, kPlotBottom - 1 + c.below}, 3);
        EXPECT_EQ(Master().GetPointCount(), c.pointsAfter);
        EXPECT_EQ(spy_.Count("changed 4"), 1) << "the drag ends once";
        EXPECT_EQ(::GetCapture(), nullptr);
        EXPECT_FALSE(group_.IsDragging());
        EXPECT_EQ(editor_.GetDragCode(), 0u);
        // Bring the point back for the next case.
        if (c.pointsAfter == 3)
            Drag(Editor(), POINT{from.x, kPlotBottom - 1}, from, 2);
        spy_.calls.clear();
    }
}

TEST_F(LutEditTest, NoPlotMeansNoHitsBelowASideOfTwo)
{
    editor_.MoveWindow(10, 10, 13, 17);  // a side of 1
    PumpUntilIdle();
    Post(WM_LBUTTONDOWN, MK_LBUTTON, POINT{7, 5});
    Post(WM_LBUTTONUP, 0, POINT{7, 5});
    PumpUntilIdle();
    EXPECT_EQ(Master().GetPointCount(), 2);
    EXPECT_TRUE(spy_.calls.empty());
    EXPECT_EQ(editor_.GetDragCode(), 0u);
}

TEST_F(LutEditTest, TheCursorFollowsThePartUnderTheMouse)
{
    const POINT inputBlack{kPlotLeft, kPlotBottom + 1 + 3 + 1 + 3};
    const POINT inputWhite{kPlotLeft + kSide - 1, kPlotBottom + 1 + 3 + 1 + 3};
    const POINT outputWhite{3, kPlotTop};
    const POINT onCurve = PlotPoint(0.5, 0.5);
    struct Case {
        POINT at;
        bool swapped;
        uint32_t hit;
        int cursor;
    } cases[] = {
        {inputBlack, false, kLutInputBlack, 211}, {inputBlack, true, kLutInputBlack, 216},
        {inputWhite, false, kLutInputWhite, 216}, {inputWhite, true, kLutInputWhite, 211},
        {outputWhite, false, kLutOutputWhite, 260}, {outputWhite, true, kLutOutputWhite, 259},
        {onCurve, false, kLutOnCurve, 213},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x << ", " << c.at.y << (c.swapped ? " swapped" : ""));
        spy_.style.swapBlackWhite = c.swapped;
        POINT screen = c.at;
        ::ClientToScreen(Editor(), &screen);
        ::SendMessageA(Editor(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        EXPECT_EQ(editor_.GetLastHit(), c.hit);
        ::SendMessageA(Editor(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Editor()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        HCURSOR expected = ::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.cursor));
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(::GetCursor(), expected);
    }
    EXPECT_TRUE(spy_.calls.empty()) << "pointing changes nothing";
}

// Renders the client through WM_PRINTCLIENT into a 32-bit bitmap off screen.
std::vector<uint32_t> PrintClient(HWND wnd, int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels;
    if (bitmap) {
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        ::SendMessageA(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        ::GdiFlush();
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        pixels.assign(p, p + static_cast<size_t>(width) * height);
        for (uint32_t& v : pixels)
            v &= 0xFFFFFF;
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(dc);
    return pixels;
}

TEST_F(LutEditTest, RenderShowsTheDiagonalTheHistogramColumnsAndTheCappedSpike)
{
    spy_.style.histogram = RGB(0, 0, 200);
    std::vector<uint32_t> counts(256, 10);
    counts[100] = 100000;  // mean (2550 + 100000) / 256: the scale is cut to 1602
    Master().SetHistogram(counts.data(), static_cast<int32_t>(counts.size()));
    editor_.Redraw(true);
    const std::vector<uint32_t> pixels = PrintClient(Editor(), kClientWidth, kClientHeight);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kClientWidth) * kClientHeight);
    EXPECT_GT(spy_.styleRequests, 0);
    const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * kClientWidth + x]; };
    constexpr uint32_t kBar = 0x0000C8, kPlot = 0xFFFFFF, kGrid = 0xC0C0C0, kCurve = 0x000000;
    const auto gridColumn = [](int k) { return k % 64 == 0; };

    EXPECT_EQ(at(kClientWidth - 1, 0), 0xC0C0C0u) << "window background";
    EXPECT_EQ(at(kPlotLeft - 1, kPlotTop + 10), 0u) << "frame";
    // Every column but the spike is ceil(10 * 256 / 1602) = 2 pixels tall;
    // without the cap it would be 1.
    int bars = 0;
    for (int k = 8; k < kSide - 8; ++k) {
        if (gridColumn(k) || k == 100)
            continue;
        SCOPED_TRACE(k);
        EXPECT_EQ(at(kPlotLeft + k, kPlotBottom - 1), kBar);
        EXPECT_EQ(at(kPlotLeft + k, kPlotBottom - 2), kBar);
        EXPECT_EQ(at(kPlotLeft + k, kPlotBottom - 3), kPlot);
        bars += at(kPlotLeft + k, kPlotBottom - 1) == kBar;
    }
    EXPECT_EQ(bars, kSide - 16 - 1 - 3);
    EXPECT_EQ(at(kPlotLeft + 100, kPlotTop), kBar) << "the spike fills the plot";
    EXPECT_EQ(at(kPlotLeft + 101, kPlotTop), kPlot);
    EXPECT_EQ(at(kPlotLeft + 64, kPlotTop + 10), kGrid);

    // The identity diagonal, one dot per column, away from the point markers.
    for (int k = 8; k < kSide - 8; ++k) {
        if (gridColumn(k))
            continue;
        SCOPED_TRACE(k);
        EXPECT_EQ(at(kPlotLeft + k, kPlotBottom - 1 - k), kCurve);
        if (k != 100) {
            EXPECT_NE(at(kPlotLeft + k, kPlotBottom - 2 - k), kCurve) << "one dot, not a band";
        }
    }
}

TEST_F(LutEditTest, ADragRedrawsItsPartsOverTheCachedBackground)
{
    const int handleTop = kPlotBottom + 1 + 3 + 1;
    Post(WM_LBUTTONDOWN, MK_LBUTTON, POINT{kPlotLeft, handleTop + 3});
    Post(WM_MOUSEMOVE, MK_LBUTTON, POINT{kPlotLeft + 64, handleTop + 3});
    PumpUntilIdle();
    ASSERT_EQ(editor_.GetDragCode(), kLutInputBlack);
    int32_t columns[3];
    Master().GetInputHandlePositions(LutRect{kPlotLeft, kPlotTop, kPlotLeft + kSide, kPlotBottom}, columns);
    ASSERT_GT(columns[0], kPlotLeft + 32);

    const std::vector<uint32_t> pixels = PrintClient(Editor(), kClientWidth, kClientHeight);
    ASSERT_FALSE(pixels.empty());
    const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * kClientWidth + x]; };
    // The handle's widest row, at its new column and not at its old one.
    EXPECT_EQ(at(columns[0], handleTop + 5), 0u);
    EXPECT_EQ(at(kPlotLeft, handleTop + 5), 0xC0C0C0u) << "the background was cached without the handle";
    EXPECT_EQ(at(columns[0], kPlotTop), 0u) << "the guide line";
    // The curve moved with the black point: flat at the bottom left of the handle.
    EXPECT_EQ(at(kPlotLeft + 16, kPlotBottom - 1), 0u);
    EXPECT_NE(at(kPlotLeft + 16, kPlotBottom - 1 - 16), 0u);

    Post(WM_LBUTTONUP, 0, POINT{kPlotLeft + 64, handleTop + 3});
    PumpUntilIdle();
    EXPECT_EQ(spy_.Count("changed 16"), 1);
    EXPECT_EQ(editor_.GetDragCode(), 0u);
}

// A group of the master and a hue channel (id 1), the hue channel current.
void MakeHueGroup(CQzLutGroup& group)
{
    CQzLutGroup master;
    std::vector<uint8_t> blob(static_cast<size_t>(master.GetSize()));
    master.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    const CQzHueChannel hue(1);
    std::vector<uint8_t> hueBlob(static_cast<size_t>(hue.GetSize()));
    hue.GetData(hueBlob.data(), static_cast<int32_t>(hueBlob.size()));
    blob.insert(blob.end(), hueBlob.begin(), hueBlob.end());
    blob[23] = 2;  // the channel count
    const uint32_t length = static_cast<uint32_t>(blob.size() - 18);
    for (int i = 0; i < 4; ++i)
        blob[18 + i] = static_cast<uint8_t>(length >> (8 * i));
    ASSERT_GT(group.SetData(blob.data(), static_cast<int32_t>(blob.size())), 0);
    ASSERT_EQ(group.SelectChannel(1), 1);
}

TEST_F(LutEditTest, AHueChannelIsEditedThroughTheSamePlaces)
{
    CQzLutGroup hueGroup;
    MakeHueGroup(hueGroup);
    editor_.SetLutGroup(&hueGroup);
    auto& hue = static_cast<CQzHueChannel&>(*hueGroup.GetChannel(-1));
    ASSERT_TRUE(hue.IsHueChannel());

    ::PostMessageA(Editor(), WM_KEYDOWN, VK_PRIOR, 2);
    PumpUntilIdle();
    EXPECT_DOUBLE_EQ(hue.GetOffset(), 2.0 / 180);
    EXPECT_EQ(spy_.calls, (std::vector<std::string>{"show 128", "changing 128", "changed 128"}));

    spy_.calls.clear();
    ::PostMessageA(Editor(), WM_CHAR, '3', 1);
    PumpUntilIdle();
    EXPECT_EQ(hue.GetVerticalRange(), 3);
    EXPECT_EQ(spy_.Count("changed 512"), 1);

    // The range box sits under the offset column, left of the width strip;
    // a click there cycles the range.
    spy_.calls.clear();
    Click(Editor(), POINT{3, kPlotBottom + 6});
    EXPECT_EQ(hue.GetVerticalRange(), 1);
    EXPECT_EQ(spy_.Count("changed 512"), 1);

    // A press on the empty plot adds a point there and drags it.
    spy_.calls.clear();
    Click(Editor(), POINT{kPlotLeft + kSide / 4, kPlotTop + kSide / 4});
    EXPECT_EQ(hue.GetPointCount(), 1);
    EXPECT_EQ(spy_.Count("changed 4"), 1);
    EXPECT_GT(hue.GetPoints()[0].amount, 0.0);

    editor_.SetLutGroup(&group_);
}

}  // namespace
