#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/core/docview/tests/image_view_fixture.h"
#include "app/core/view_model/mouse_tools.h"
#include "clx/resources.h"

using namespace docview_test;

namespace {

LPARAM At(POINT p)
{
    return MAKELPARAM(p.x, p.y);
}

// The modifier keys as GetKeyState reports them; posted key messages
// change nothing there.
void HoldKeys(unsigned mods)
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = (mods & GuiTest::kCtrl) ? 0x80 : 0;
    keys[VK_SHIFT] = (mods & GuiTest::kShift) ? 0x80 : 0;
    keys[VK_MENU] = (mods & GuiTest::kAlt) ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

WPARAM MouseFlags(unsigned mods, bool button)
{
    return (button ? MK_LBUTTON : 0) | ((mods & GuiTest::kCtrl) ? MK_CONTROL : 0) |
           ((mods & GuiTest::kShift) ? MK_SHIFT : 0);
}

HCURSOR OwnCursor(int32_t id)
{
    return ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

HCURSOR SystemCursor(int32_t id)
{
    return ::LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
}

struct Rect {
    double left, top, right, bottom;
};

class ViewMouseTest : public ImageViewTest {
protected:
    void TearDown() override
    {
        HoldKeys(0);
        ImageViewTest::TearDown();
    }

    // An RGB image whose size object knows its size, shown at 1:1.
    TestImageView* ShowAtOne(int32_t width, int32_t height, int32_t clientWidth, int32_t clientHeight)
    {
        MakeRecord(false, width, height);
        record->sizeRes = CQzSizeRes(width, height);
        record->zoomStep = 14;
        record->displayScale = 1.0;
        TestImageView* view = Show(clientWidth, clientHeight);
        if (view) {
            ZoomTo(view, 14);
            // The animation runs only when a test fires its timer.
            ::KillTimer(view->m_hWnd, kCropAnimationTimer);
        }
        return view;
    }

    // A press, moves and a release as the mouse gives them, after a move
    // that lets the view pick its tool.
    void DragWith(CImageDisplayView* view, POINT from, POINT to, unsigned mods = 0)
    {
        HoldKeys(mods);
        ::PostMessageA(view->m_hWnd, WM_MOUSEMOVE, MouseFlags(mods, false), At(from));
        ::PostMessageA(view->m_hWnd, WM_LBUTTONDOWN, MouseFlags(mods, true), At(from));
        for (int i = 1; i <= 4; ++i) {
            const POINT p = {from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4};
            ::PostMessageA(view->m_hWnd, WM_MOUSEMOVE, MouseFlags(mods, true), At(p));
        }
        ::PostMessageA(view->m_hWnd, WM_LBUTTONUP, MouseFlags(mods, false), At(to));
        EXPECT_TRUE(PumpUntilIdle());
        HoldKeys(0);
    }
    void ClickWith(CImageDisplayView* view, POINT at, unsigned mods = 0) { DragWith(view, at, at, mods); }

    Rect Crop() const
    {
        const QzDblRect r = record->sizeRes.GetCropRect();
        return {r.left, r.top, r.right, r.bottom};
    }
    void SetCrop(double left, double top, double right, double bottom, CImageDisplayView* view)
    {
        record->sizeRes.SetCropRect(left, top, right, bottom);
        view->UpdateCropFrame(false, false);
        EXPECT_TRUE(PumpUntilIdle());
    }
};

void ExpectCrop(const Rect& got, const Rect& want)
{
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

}  // namespace

TEST_F(ViewMouseTest, ZoomToolClicksZoomInAroundThePointAndBandsFillTheClient)
{
    TestImageView* view = ShowAtOne(400, 300, 200, 150);
    ASSERT_NE(view, nullptr);
    host.cursorMode = qz::kToolZoom;
    const CRect client = view->GetClientRect();

    // A click at 0.5 goes one step in and brings the clicked point to the centre.
    ZoomTo(view, 12);
    ClickWith(view, {50, 40});
    EXPECT_EQ(record->zoomStep, 13);
    const double twoThirds = qz::GetZoomStepScale(13);
    EXPECT_EQ(view->GetScrollPosition().x,
              qz::CenterScroll(qz::UnitToView(qz::ViewToUnit(50, 0.5), twoThirds), view->GetTotalSize().cx,
                               client.Width()));
    EXPECT_EQ(view->GetScrollPosition().y,
              qz::CenterScroll(qz::UnitToView(qz::ViewToUnit(40, 0.5), twoThirds), view->GetTotalSize().cy,
                               client.Height()));

    // With Ctrl the press zooms out one step.
    ClickWith(view, {60, 60}, kCtrl);
    EXPECT_EQ(record->zoomStep, 12);

    struct Case {
        const char* name;
        int32_t step;
        POINT from, to;
        int32_t zoomStep;
        double scale;  // 0: the band's own, which is free
    } cases[] = {
        // 50 x 25 pixels at 0.5: 200 x 100 units.
        {"band", 12, {20, 20}, {70, 45}, -1, 0.0},
        // Smaller than 3 x 3 pixels: a click, one step in.
        {"tiny band", 12, {30, 30}, {31, 31}, 13, qz::GetZoomStepScale(13)},
        // 8 x 8 pixels at 8.0 would need about 150.
        {"beyond 16", 21, {40, 40}, {48, 48}, 23, 16.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZoomTo(view, c.step);
        const CRect bandClient = view->GetClientRect();
        DragWith(view, c.from, c.to);
        EXPECT_EQ(record->zoomStep, c.zoomStep);
        const double scale = c.scale != 0.0 ? c.scale : 1.0 / std::max(200 * 0.5 / bandClient.Width(),
                                                                        100 * 0.5 / bandClient.Height());
        EXPECT_EQ(record->displayScale, scale);
        EXPECT_FALSE(::GetCapture());
    }
    ExpectPicture(view);
    Close();
}

TEST_F(ViewMouseTest, SelectionDragsMakeMoveAndSizeTheCropFrame)
{
    // The image (200 x 150 pixels, 400 x 300 units) leaves room right of and below it.
    TestImageView* view = ShowAtOne(200, 150, 260, 200);
    ASSERT_NE(view, nullptr);
    host.cursorMode = qz::kToolSelect;

    // From the whole image, a new frame limited to the image.
    DragWith(view, {20, 30}, {250, 190});
    ExpectCrop(Crop(), {40, 60, 400, 300});
    EXPECT_GT(host.sizeFieldRefreshes, 0);

    // The frame at 1:1 is 20..100 x 30..100 pixels.
    struct Case {
        const char* name;
        POINT from, to;
        Rect crop;
    } cases[] = {
        {"right edge 4 pixels out", {104, 65}, {150, 65}, {40, 60, 300, 200}},
        {"6 pixels out starts a new frame", {106, 65}, {130, 90}, {212, 130, 260, 180}},
        {"bottom-right corner", {100, 100}, {90, 120}, {40, 60, 180, 240}},
        {"moved, pushed back inside", {60, 65}, {250, 65}, {240, 60, 400, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCrop(40, 60, 200, 200, view);
        DragWith(view, c.from, c.to);
        ExpectCrop(Crop(), c.crop);
    }

    // The left edge dragged past the right stops a pixel before it; a frame
    // smaller than 3 x 3 pixels gives the whole image back when it is let go.
    SetCrop(40, 60, 200, 200, view);
    view->SendMessage(WM_MOUSEMOVE, 0, At({20, 65}));
    view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At({20, 65}));
    view->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At({180, 65}));
    ExpectCrop(Crop(), {198, 60, 200, 200});
    view->SendMessage(WM_LBUTTONUP, 0, At({180, 65}));
    ExpectCrop(Crop(), {0, 0, 400, 300});
    EXPECT_FALSE(::GetCapture());

    SetCrop(40, 60, 200, 200, view);
    DragWith(view, {150, 130}, {151, 131});
    ExpectCrop(Crop(), {0, 0, 400, 300});
    ASSERT_TRUE(PumpUntilIdle());

    // Select Entire Image and a double click do the same.
    SetCrop(40, 60, 200, 200, view);
    view->SendMessage(WM_COMMAND, qz::kCmdSelectEntireImage);
    ExpectCrop(Crop(), {0, 0, 400, 300});
    SetCrop(40, 60, 200, 200, view);
    Click(view->m_hWnd, {60, 65}, true);
    ExpectCrop(Crop(), {0, 0, 400, 300});
    ExpectPicture(view);  // no frame left on the image
    Close();
}

TEST_F(ViewMouseTest, SelectionDragBeyondTheWindowScrollsALineAtEachMove)
{
    TestImageView* view = ShowAtOne(400, 300, 200, 150);
    ASSERT_NE(view, nullptr);
    host.cursorMode = qz::kToolSelect;
    const CRect client = view->GetClientRect();
    // Two of the four moves are right of the window.
    DragWith(view, {50, 40}, {client.Width() + 60, 60});
    const CPoint scroll = view->GetScrollPosition();
    EXPECT_EQ(scroll, CPoint(20, 0));
    EXPECT_EQ(CPoint(record->scrollX, record->scrollY), scroll);
    ExpectCrop(Crop(), {100, 80, 2.0 * (client.Width() + 60 + scroll.x), 120});
    Close();
}

TEST_F(ViewMouseTest, LosingTheCaptureEndsTheDragWithoutItsRelease)
{
    TestImageView* view = ShowAtOne(400, 300, 200, 150);
    ASSERT_NE(view, nullptr);
    host.cursorMode = qz::kToolZoom;
    view->SendMessage(WM_MOUSEMOVE, 0, At({20, 20}));
    view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At({20, 20}));
    view->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At({80, 60}));
    EXPECT_EQ(::GetCapture(), view->m_hWnd);
    ::ReleaseCapture();
    view->SendMessage(WM_LBUTTONUP, 0, At({80, 60}));
    EXPECT_EQ(record->zoomStep, 14);
    ASSERT_TRUE(PumpUntilIdle());
    ExpectPicture(view);  // the band is gone

    // The next drag is the selection tool's, not the band's.
    host.cursorMode = qz::kToolSelect;
    DragWith(view, {20, 20}, {60, 50});
    ExpectCrop(Crop(), {40, 40, 120, 100});
    Close();
}

TEST_F(ViewMouseTest, GrabDragsScrollAndModifiersPickTheTool)
{
    TestImageView* view = ShowAtOne(400, 300, 200, 150);
    ASSERT_NE(view, nullptr);
    const CRect client = view->GetClientRect();
    const CSize total = view->GetTotalSize();

    host.cursorMode = qz::kToolGrab;
    DragWith(view, {100, 80}, {60, 50});
    EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 30));
    EXPECT_EQ(CPoint(record->scrollX, record->scrollY), CPoint(40, 30));
    // Limited to the scroll range.
    DragWith(view, {10, 10}, {190, 140});
    EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
    DragWith(view, {190, 140}, {0, 0});
    EXPECT_EQ(view->GetScrollPosition(), CPoint(std::min<LONG>(190, total.cx - client.Width()),
                                                std::min<LONG>(140, total.cy - client.Height())));
    ExpectPicture(view);

    // Alt makes the selection tool grab: the crop stays.
    host.cursorMode = qz::kToolSelect;
    const CPoint before = view->GetScrollPosition();
    DragWith(view, {50, 50}, {80, 70}, kAlt);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(before.x - 30, before.y - 20));
    ExpectCrop(Crop(), {0, 0, 800, 600});

    // Shift makes the grab tool zoom.
    host.cursorMode = qz::kToolGrab;
    ClickWith(view, {50, 50}, kShift);
    EXPECT_EQ(record->zoomStep, 15);
    Close();
}

TEST_F(ViewMouseTest, CursorFollowsTheToolTheModifiersAndTheFrame)
{
    TestImageView* view = ShowAtOne(200, 150, 260, 200);
    ASSERT_NE(view, nullptr);
    SetCrop(40, 60, 200, 200, view);  // 20..100 x 30..100 pixels

    struct Case {
        const char* name;
        int32_t mode;
        unsigned mods;
        int32_t zoomStep;
        POINT at;
        HCURSOR cursor;
    } cases[] = {
        {"zoom in", qz::kToolZoom, 0, 14, {150, 120}, OwnCursor(256)},
        {"zoom out", qz::kToolZoom, kCtrl, 14, {150, 120}, OwnCursor(257)},
        {"zoom in at 16", qz::kToolZoom, 0, 23, {150, 120}, OwnCursor(255)},
        {"zoom outside the image", qz::kToolZoom, 0, 14, {230, 120}, SystemCursor(32512)},
        {"new frame", qz::kToolSelect, 0, 14, {150, 120}, OwnCursor(253)},
        {"inside the frame", qz::kToolSelect, 0, 14, {60, 65}, OwnCursor(254)},
        {"right edge", qz::kToolSelect, 0, 14, {103, 65}, SystemCursor(32644)},
        {"top edge", qz::kToolSelect, 0, 14, {60, 28}, SystemCursor(32645)},
        {"top-left corner", qz::kToolSelect, 0, 14, {18, 28}, SystemCursor(32642)},
        {"bottom-left corner", qz::kToolSelect, 0, 14, {18, 102}, SystemCursor(32643)},
        {"selection with Shift zooms", qz::kToolSelect, kShift, 14, {60, 65}, OwnCursor(256)},
        {"selection with Alt grabs", qz::kToolSelect, kAlt, 14, {60, 65}, OwnCursor(252)},
        {"grab", qz::kToolGrab, 0, 14, {150, 120}, OwnCursor(252)},
        {"sampling tool", 5, 0, 14, {150, 120}, OwnCursor(218)},
        {"no tool", 0, 0, 14, {150, 120}, SystemCursor(32512)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.cursor, nullptr);
        host.cursorMode = c.mode;
        record->zoomStep = c.zoomStep;
        HoldKeys(c.mods);
        view->SendMessage(WM_MOUSEMOVE, MouseFlags(c.mods, false), At(c.at));
        EXPECT_EQ(::GetCursor(), c.cursor);
    }
    HoldKeys(0);
    record->zoomStep = 14;

    // Ctrl alone, with the pointer resting over the image, turns the zoom cursor round.
    // The pointer is the display's, which other test programs on it may move:
    // a result counts only when the pointer stayed put around it.
    host.cursorMode = qz::kToolZoom;
    POINT screen = {150, 120};
    ::ClientToScreen(view->m_hWnd, &screen);
    const auto pointerStayed = [&] {
        POINT now{};
        return ::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
    };
    if (::SetCursorPos(screen.x, screen.y) && pointerStayed()) {
        view->SendMessage(WM_KEYDOWN, VK_CONTROL, 1);
        const HCURSOR turned = ::GetCursor();
        if (pointerStayed())
            EXPECT_EQ(turned, OwnCursor(257));
        view->SendMessage(WM_KEYUP, VK_CONTROL, 0xC0000001);
        const HCURSOR back = ::GetCursor();
        if (pointerStayed())
            EXPECT_EQ(back, OwnCursor(256));
    }

    // A part still unpainted shows the arrow with the hourglass.
    view->Invalidate(FALSE);
    view->SendMessage(WM_MOUSEMOVE, 0, At({150, 120}));
    EXPECT_EQ(::GetCursor(), SystemCursor(32650));
    ASSERT_TRUE(PumpUntilIdle());
    ::SetCursor(SystemCursor(32512));
    Close();
}

TEST_F(ViewMouseTest, MarchingAntsRedrawOnlyTheFrameOutline)
{
    TestImageView* view = ShowAtOne(200, 150, 220, 170);
    ASSERT_NE(view, nullptr);
    SetCrop(40, 60, 200, 200, view);
    const CSize total = view->GetTotalSize();
    ASSERT_EQ(view->GetScrollPosition(), CPoint(0, 0));
    const std::vector<uint32_t> image = RenderChain(view->GetChain().GetChain(), total.cx, total.cy);
    // The outline at 1:1: one pixel around 20..100 x 30..100.
    const auto onOutline = [](int32_t x, int32_t y) {
        return x >= 20 && x < 100 && y >= 30 && y < 100 && (x == 20 || x == 99 || y == 30 || y == 99);
    };

    std::array<clx::test::Image, 3> shots;
    shots[0] = clx::test::CaptureWindow(view->m_hWnd);
    // The paint draws the frame into each tile just as it was drawn at once.
    view->Invalidate(FALSE);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(clx::test::CaptureWindow(view->m_hWnd).pixels, shots[0].pixels);
    for (int32_t tick = 1; tick < 3; ++tick) {
        FireTimer(view->m_hWnd, kCropAnimationTimer);
        ASSERT_TRUE(PumpUntilIdle());
        shots[tick] = clx::test::CaptureWindow(view->m_hWnd);
    }
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        int32_t wrong = 0, outlineChanged = 0;
        for (int32_t y = 0; y < total.cy; ++y) {
            for (int32_t x = 0; x < total.cx; ++x) {
                const uint32_t pixel = shots[i].pixels[static_cast<size_t>(y) * shots[i].width + x];
                if (onOutline(x, y)) {
                    outlineChanged += i > 0 && pixel != shots[i - 1].pixels[static_cast<size_t>(y) * shots[i].width + x];
                } else if (pixel != image[static_cast<size_t>(y) * total.cx + x] && wrong++ < 3) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " off the outline changed";
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        if (i > 0) {
            EXPECT_GT(outlineChanged, 0);
        }
    }
    // The frame drawn first is the image with the pattern's white inverting it.
    int32_t inverted = 0;
    for (int32_t x = 20; x < 100; ++x) {
        const uint32_t pixel = shots[0].pixels[static_cast<size_t>(30) * shots[0].width + x];
        inverted += pixel == (image[static_cast<size_t>(30) * total.cx + x] ^ 0xFFFFFF);
    }
    EXPECT_GT(inverted, 0);

    // Select Entire Image takes the frame away for good.
    view->SendMessage(WM_COMMAND, qz::kCmdSelectEntireImage);
    ASSERT_TRUE(PumpUntilIdle());
    FireTimer(view->m_hWnd, kCropAnimationTimer);
    ASSERT_TRUE(PumpUntilIdle());
    ExpectPicture(view);
    Close();
}

TEST_F(ViewMouseTest, FlipAndRotateCommandsTurnTheRecordAndTheGridToggles)
{
    TestImageView* view = ShowAtOne(120, 90, 100, 80);
    ASSERT_NE(view, nullptr);

    struct Step {
        UINT command;
        uint8_t flip;
        int32_t rotation;
        CSize total;
    } steps[] = {
        {qz::kCmdRotate90Cw, 0, 90, CSize(90, 120)},
        {qz::kCmdRotate90Ccw, 0, 0, CSize(120, 90)},
        {qz::kCmdRotate90Ccw, 0, 270, CSize(90, 120)},
        {qz::kCmdRotate180, 0, 90, CSize(90, 120)},
        // A mirror turns the rotation already applied the other way.
        {qz::kCmdFlipHorizontal, 1, 270, CSize(90, 120)},
        {qz::kCmdFlipVertical, 0, 270, CSize(90, 120)},
        {qz::kCmdRotate90Cw, 0, 0, CSize(120, 90)},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.command);
        view->SendMessage(WM_COMMAND, s.command);
        ASSERT_TRUE(PumpUntilIdle());
        EXPECT_EQ(record->flip, s.flip);
        EXPECT_EQ(record->rotation, s.rotation);
        EXPECT_EQ(record->sizeRes.GetRotation(), s.rotation);
        EXPECT_EQ(view->GetTotalSize(), s.total);
    }
    ExpectPicture(view);

    // Flip Horizontal keeps the same part of the image in view.
    const CRect client = view->GetClientRect();
    view->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0));
    ASSERT_TRUE(PumpUntilIdle());
    record->scrollX = view->GetScrollPosition().x;
    ASSERT_GT(record->scrollX, 0);
    const int32_t mirrored = view->GetTotalSize().cx - record->scrollX - client.Width();
    view->SendMessage(WM_COMMAND, qz::kCmdFlipHorizontal);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(record->scrollX, mirrored);
    EXPECT_EQ(view->GetScrollPosition().x, mirrored);

    struct State : CCmdUI {
        void Enable(BOOL on) override { enabled = on != FALSE; }
        void SetCheck(int check) override { checked = check; }
        bool enabled = false;
        int checked = -1;
    };
    const auto ask = [&](UINT id) {
        State state;
        state.m_nID = id;
        view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state, nullptr);
        return state;
    };
    EXPECT_TRUE(ask(qz::kCmdRotate180).enabled);
    EXPECT_EQ(ask(CImageDisplayView::kCmdToggleGridLines).checked, 0);
    view->SendMessage(WM_COMMAND, CImageDisplayView::kCmdToggleGridLines);
    EXPECT_EQ(record->gridOn, 1);
    EXPECT_EQ(ask(CImageDisplayView::kCmdToggleGridLines).checked, 1);
    EXPECT_TRUE(ask(CImageDisplayView::kCmdToggleGridLines).enabled);
    ASSERT_TRUE(PumpUntilIdle());
    view->SendMessage(WM_COMMAND, CImageDisplayView::kCmdToggleGridLines);
    EXPECT_EQ(record->gridOn, 0);
    ASSERT_TRUE(PumpUntilIdle());
    ExpectPicture(view);
    Close();
}

TEST_F(ViewMouseTest, WithoutARecordTheCommandsTurnTheSelectedThumbnails)
{
    host.drawing = MakeManager(16384);
    TestImageView* view = Show(100, 80);  // no record
    ASSERT_NE(view, nullptr);
    CImageRecord first, second;
    second.rotation = 90;

    struct State : CCmdUI {
        void Enable(BOOL on) override { enabled = on != FALSE; }
        bool enabled = false;
    };
    const auto enabled = [&](UINT id) {
        State state;
        state.m_nID = id;
        view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state, nullptr);
        return state.enabled;
    };
    host.thumbnails = {&first};
    EXPECT_FALSE(enabled(qz::kCmdFlipHorizontal));
    State grid;
    grid.m_nID = CImageDisplayView::kCmdToggleGridLines;
    view->OnCmdMsg(grid.m_nID, CN_UPDATE_COMMAND_UI, &grid, nullptr);
    EXPECT_FALSE(grid.enabled);

    host.thumbnails = {&first, &second};
    EXPECT_TRUE(enabled(qz::kCmdFlipHorizontal));
    view->SendMessage(WM_COMMAND, qz::kCmdRotate90Cw);
    EXPECT_EQ(first.rotation, 90);
    EXPECT_EQ(second.rotation, 180);
    EXPECT_EQ(host.refreshedThumbnails, (std::vector<int32_t>{0, 1}));
    host.thumbnails.clear();
    Close();
}

TEST_F(ViewMouseTest, ColourUnderThePointerReachesTheInformationPalette)
{
    TestImageView* view = ShowAtOne(200, 150, 260, 200);
    ASSERT_NE(view, nullptr);
    host.cursorMode = qz::kToolGrab;
    ZoomTo(view, 12);  // 100 x 75 pixels

    const size_t readings = host.information.size();
    view->SendMessage(WM_MOUSEMOVE, 0, At({21, 33}));
    ASSERT_EQ(host.information.size(), readings + 1);
    const TestHost::Reading& reading = host.information.back();
    // Pixels of the image, not of the view.
    EXPECT_EQ(reading.x, qz::ViewToUnit(21, 0.5) / 2);
    EXPECT_EQ(reading.y, qz::ViewToUnit(33, 0.5) / 2);
    ASSERT_EQ(reading.values.size(), 6u);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_GE(reading.values[i], 0);
        EXPECT_LE(reading.values[i], 255);
    }
    // No curves: the curve fields stay blank.
    EXPECT_EQ(reading.values[3], -1);
    EXPECT_EQ(reading.values[5], -1);

    // Outside the image the read-out is cleared.
    const int32_t cleared = host.informationCleared;
    view->SendMessage(WM_MOUSEMOVE, 0, At({150, 120}));
    EXPECT_EQ(host.information.size(), readings + 1);
    EXPECT_EQ(host.informationCleared, cleared + 1);
    Close();
}

TEST_F(ViewMouseTest, DropperSampleIsTheReadOutsColourAndNothingOffTheImage)
{
    TestImageView* view = ShowAtOne(200, 150, 260, 200);
    ASSERT_NE(view, nullptr);
    host.cursorMode = qz::kToolGrab;
    ZoomTo(view, 12);  // 100 x 75 pixels

    view->SendMessage(WM_MOUSEMOVE, 0, At({21, 33}));
    ASSERT_FALSE(host.information.empty());
    const std::vector<int32_t> shown = host.information.back().values;
    // The stage the information palette reads (0) gives its three values.
    VorlatPixel pixel{};
    ASSERT_TRUE(view->SampleDevelopedColor({21, 33}, 0, &pixel));
    ASSERT_EQ(pixel.colorSpace, 32);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(pixel.bytes[i], shown[i]) << i;

    // Off the image: no sample, and the result is left as it was.
    VorlatPixel untouched{};
    untouched.colorSpace = 77;
    EXPECT_FALSE(view->SampleDevelopedColor({150, 120}, 0, &untouched));
    EXPECT_EQ(untouched.colorSpace, 77);
    Close();
}

TEST_F(ViewMouseTest, ContextMenuIsTheMenuBarsSubmenuThatOpensInTheEditor)
{
    TestImageView* view = ShowAtOne(120, 90, 100, 80);
    ASSERT_NE(view, nullptr);
    HMENU bar = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuA(file, MF_STRING, 57600, "New");
    HMENU image = ::CreatePopupMenu();
    ::AppendMenuA(image, MF_STRING, 32892, "Open in Editor");
    ::AppendMenuA(image, MF_STRING, qz::kCmdFlipHorizontal, "Flip Horizontal");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(image), "Image");
    ::SetMenu(host.main, bar);
    mainCommands.clear();
    {
        // The first item of the menu that came up goes to the main window.
        MenuScript keys{VK_DOWN, VK_RETURN};
        POINT screen = {30, 30};
        ::ClientToScreen(view->m_hWnd, &screen);
        view->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->m_hWnd), MAKELPARAM(screen.x, screen.y));
        ASSERT_TRUE(PumpUntilIdle());
    }
    EXPECT_EQ(mainCommands, std::vector<UINT>{32892});
    ::SetMenu(host.main, nullptr);
    ::DestroyMenu(bar);
    Close();
}
