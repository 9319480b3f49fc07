// The main window: its class, menus, accelerators, tool bar, status bar and
// pane pictures, the palettes' Tab toggle, the palette target, the deferred
// start-up with the first run's layout, the idle work on the camera timer,
// closing and the progress window's place.
#include <algorithm>
#include <string>
#include <vector>

#include "app/core/record/image_record.h"
#include "app/shell/dialogs/dlg_disk_status.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/tests/frame_test_support.h"
#include "app/shell/settings/settings.h"

#include <shlwapi.h>

#include "clx/help.h"
#include "clx/messages.h"
#include "clx/thread.h"

using frametest::FrameTest;
using frametest::Host;

TEST_F(FrameTest, MainWindowIsOfTheProgramsClassWithBarsAndClient)
{
    MakeFrame();
    char className[64] = "";
    ::GetClassNameA(frame->m_hWnd, className, sizeof className);
    EXPECT_STREQ("Tessaline1", className);
    char title[64] = "";
    frame->GetWindowTextA(title, sizeof title);
    EXPECT_STREQ("Tessaline", title);
    EXPECT_FALSE(frame->AddsToTitle());
    EXPECT_TRUE(frame->GetToolBar().IsWindowVisible());
    EXPECT_TRUE(frame->GetStatusBar().IsWindowVisible());
    EXPECT_EQ(frame->m_hWndMDIClient, frame->GetMDIClient().m_hWnd);
    EXPECT_EQ(kCameraUnknown, frame->GetCameraState());
    EXPECT_EQ(2, frame->GetDiskState());
}

namespace {

// One menu item as the tests compare it: the text without its mnemonic
// mark and accelerator, the command (0 for a pop-up or a separator), and
// the items of a pop-up.
struct Item {
    std::string text;
    UINT id;
    std::vector<Item> sub;
};

std::string Plain(const char* text)
{
    std::string plain;
    for (const char* p = text; *p && *p != '\t'; ++p)
        if (*p != '&')
            plain.push_back(*p);
    return plain;
}

std::vector<Item> Dump(HMENU menu)
{
    std::vector<Item> items;
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        char text[128] = "";
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR)
            items.push_back({"-", 0, {}});
        else if (info.hSubMenu)
            items.push_back({Plain(text), 0, Dump(info.hSubMenu)});
        else
            items.push_back({Plain(text), info.wID, {}});
    }
    return items;
}

std::string Describe(const std::vector<Item>& items, int depth = 0)
{
    std::string out;
    for (const Item& item : items) {
        out += std::string(static_cast<size_t>(depth) * 2, ' ') + item.text;
        if (item.id)
            out += " " + std::to_string(item.id);
        out += "\n" + Describe(item.sub, depth + 1);
    }
    return out;
}

Item Popup(const char* text, std::vector<Item> sub)
{
    return {text, 0, std::move(sub)};
}

const Item kSep{"-", 0, {}};

std::vector<Item> SharedMenus(bool documents)
{
    std::vector<Item> bar;
    if (documents) {
        bar.push_back(Popup("File", {{"Open...", 57601, {}}, {"Close", 57602, {}}, kSep, {"Save", 57603, {}},
                                     {"Save As...", 57604, {}}, {"Create Copy", 32779, {}}, kSep,
                                     {"Batch...", 32918, {}}, kSep, {"Preferences...", 32930, {}}, kSep,
                                     {"Recent File", 57616, {}}, kSep, {"Exit", 57665, {}}}));
    } else {
        bar.push_back(Popup("File", {{"Open...", 57601, {}}, kSep, {"Batch...", 32918, {}}, kSep,
                                     {"Preferences...", 32930, {}}, kSep, {"Recent File", 57616, {}}, kSep,
                                     {"Exit", 57665, {}}}));
    }
    bar.push_back(Popup("Edit", {{"Undo", 57643, {}}, kSep, {"Cut", 57635, {}}, {"Copy", 57634, {}},
                                 {"Copy Image Adjustments...", 32780, {}},
                                 {"Copy All Image Adjustments", 32856, {}}, {"Paste", 57637, {}},
                                 {"Clear", 57632, {}}}));
    bar.push_back(Popup(
        "View", {{"View Entire Image", 32781, {}}, {"Fit Window to Image", 32782, {}},
                 {"Auto Fit Window to Image", 32783, {}}, kSep, {"Selection Cursor", 32784, {}},
                 {"Zoom Cursor", 32785, {}}, {"Grab Cursor", 32786, {}}, kSep, {"Zoom In", 32787, {}},
                 {"Zoom Out", 32788, {}}, kSep, {"Camera Image", 32791, {}}, {"Shooting Data Section", 32789, {}},
                 {"Thumbnails Section", 32790, {}}, kSep, {"Camera Control", 32843, {}},
                 {"Image Adjustment Control Panel", 32885, {}}, kSep, {"White Balance", 32886, {}},
                 {"Advanced RAW", 32887, {}}, {"Curves", 32793, {}}, {"Color Balance", 32794, {}},
                 {"Unsharp Mask", 32775, {}}, {"Size / Resolution", 32795, {}}, kSep, {"Bird's Eye", 32796, {}},
                 {"Information", 32797, {}}, {"Toolbar", 59392, {}}, {"Status Bar", 59393, {}}}));
    if (documents)
        bar.push_back(Popup(
            "Image", {{"Open in Photoshop", 32892, {}}, kSep, {"Select Entire Image", 32798, {}}, kSep,
                      Popup("Flip", {{"Horizontal", 32799, {}}, {"Vertical", 32800, {}}}),
                      Popup("Rotate", {{"180 degrees", 32801, {}}, {"90 degrees CW", 32802, {}},
                                       {"90 degrees CCW", 32803, {}}}),
                      kSep, {"Show Grid Lines", 32853, {}}, {"Use for Camera Curves Sample", 32810, {}}, kSep,
                      {"Select All Thumbnails", 32841, {}}, {"Deselect All Thumbnails", 32920, {}},
                      {"Remove Selected Thumbnails", 32808, {}}, {"Remove All Thumbnails", 32809, {}}}));
    bar.push_back(Popup("Camera", {{"Custom Settings...", 32839, {}}, {"Set Date and Time...", 32812, {}},
                                   {"Edit Camera Curves...", 32813, {}}, {"Time Lapse Photography...", 32815, {}},
                                   {"Measure White Balance...", 32855, {}}, {"Edit Camera ID...", 32858, {}}}));
    auto loadSave = [](const char* title, UINT load, UINT save) {
        return Popup(title, {{"Load...", load, {}}, {"Save...", save, {}}});
    };
    auto withReset = [](const char* title, UINT load, UINT save, const char* reset, UINT resetId) {
        return Popup(title, {{"Load...", load, {}}, {"Save...", save, {}}, {reset, resetId, {}}});
    };
    bar.push_back(Popup("Settings", {loadSave("Camera Control", 32818, 32819),
                                     loadSave("Image Adjustments", 32922, 32923),
                                     withReset("White Balance", 32861, 32862, "Reset to Recorded Value", 32865),
                                     withReset("Advanced RAW", 32867, 32868, "Reset to Neutral", 32871),
                                     withReset("Curves", 32821, 32822, "Reset to Neutral", 32845),
                                     withReset("Color Balance", 32849, 32826, "Reset to Neutral", 32846),
                                     withReset("Unsharp Mask", 32829, 32830, "Reset to Neutral", 32847),
                                     withReset("Size / Resolution", 32833, 32834, "Reset to 100%", 32848)}));
    if (documents)
        bar.push_back(Popup("Window", {{"Cascade", 57650, {}}, {"Tile", 57651, {}}, {"Arrange Icons", 57649, {}}}));
    bar.push_back(Popup("Help", {{"Help Topics", 57667, {}}, kSep, {"About Tessaline...", 57664, {}}}));
    return bar;
}

}  // namespace

TEST_F(FrameTest, MenusOfTheFrameAndBothDocumentTemplatesHoldTheCommandLists)
{
    MakeFrame();
    EXPECT_EQ(Describe(SharedMenus(false)), Describe(Dump(::GetMenu(frame->m_hWnd))));
    for (UINT id : {IDR_IMAGE_DOC, IDR_CAMERA_IMAGE_DOC}) {
        HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        ASSERT_NE(nullptr, menu) << id;
        EXPECT_EQ(Describe(SharedMenus(true)), Describe(Dump(menu))) << id;
        ::DestroyMenu(menu);
    }
}

TEST_F(FrameTest, AcceleratorsAreTheListedKeys)
{
    MakeFrame();
    ASSERT_NE(nullptr, frame->m_hAccelTable);
    const int count = ::CopyAcceleratorTableA(frame->m_hAccelTable, nullptr, 0);
    std::vector<ACCEL> table(static_cast<size_t>(count));
    ::CopyAcceleratorTableA(frame->m_hAccelTable, table.data(), count);
    std::vector<std::string> got;
    for (const ACCEL& a : table)
        got.push_back(std::to_string(a.fVirt) + " " + std::to_string(a.key) + " " + std::to_string(a.cmd));

    const BYTE c = FVIRTKEY | FCONTROL;
    const BYTE a = FVIRTKEY | FALT;
    const BYTE s = FVIRTKEY | FSHIFT;
    const BYTE v = FVIRTKEY;
    const ACCEL expected[] = {
        {c, '0', 32786},         {c, '1', 32765},        {c, '2', 32764},        {c, '3', 32763},
        {c, VK_NUMPAD1, 32765},  {c, VK_NUMPAD2, 32764}, {c, VK_NUMPAD3, 32763}, {a, '1', 32843},
        {a, '2', 32885},         {a, '3', 32886},        {a, '4', 32887},        {a, '5', 32793},
        {a, '6', 32794},         {a, '7', 32775},        {a, '8', 32795},        {c, '8', 32784},
        {c, '9', 32785},         {c, VK_OEM_PLUS, 32787}, {c, VK_ADD, 32787},    {c, VK_OEM_MINUS, 32788},
        {c, VK_SUBTRACT, 32788}, {c, 'A', 32841},        {c, 'B', 32796},        {c, 'C', 57634},
        {static_cast<BYTE>(c | FSHIFT), 'C', 32856},     {c, 'D', 32920},        {c, 'F', 32916},
        {c, 'G', 32853},         {c, 'I', 32797},        {c, 'K', 32930},        {c, 'L', 32909},
        {c, 'M', 32910},         {c, 'O', 57601},        {c, 'R', 32617},        {c, 'S', 57603},
        {c, 'V', 57637},         {c, 'X', 57635},        {c, 'Z', 57643},        {a, VK_BACK, 57643},
        {c, VK_DELETE, 32808},   {s, VK_DELETE, 57635},  {c, VK_INSERT, 57634},  {s, VK_INSERT, 57637},
        {v, VK_F1, 57670},       {s, VK_F1, 57669},      {v, VK_F6, 57680},      {s, VK_F6, 57681},
    };
    std::vector<std::string> want;
    for (const ACCEL& e : expected)
        want.push_back(std::to_string(e.fVirt) + " " + std::to_string(e.key) + " " + std::to_string(e.cmd));
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(want, got);
}

TEST_F(FrameTest, ToolBarHoldsTheTwentyThreeSlotsInOrder)
{
    MakeFrame();
    const UINT expected[] = {57601, 57603, 32892, 0,     32780, 57637, 0,     32784, 32785, 32786, 0,    32843,
                             32885, 32791, 0,     32802, 32803, 0,     32918, 32839, 0,     32859, 57669};
    CMyToolBar& bar = frame->GetToolBar();
    ASSERT_EQ(23, bar.GetCount());
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(expected[i], bar.GetItemID(i)) << "slot " << i;
    EXPECT_EQ(21, bar.m_nShowOriginalIndex);
    EXPECT_EQ(8, bar.m_nZoomCursorIndex);
    EXPECT_EQ(9, bar.m_nGrabCursorIndex);
}

namespace {

// The centre colours of the pane pictures (res/make_bitmaps.py), by state.
COLORREF StateColour(int32_t state)
{
    switch (state) {
    case 2: return RGB(0, 160, 0);
    case 1: return RGB(224, 192, 0);
    default: return RGB(192, 0, 0);
    }
}

CRect PaneRect(CMyStatusBar& bar, UINT id)
{
    CRect pane;
    bar.GetItemRect(bar.CommandToIndex(id), &pane);
    return pane;
}

COLORREF PaneCentre(CMyStatusBar& bar, UINT id)
{
    const CRect pane = PaneRect(bar, id);
    const clx::test::Image shot = clx::test::CaptureWindow(bar.m_hWnd);
    return shot.PixelAt((pane.left + pane.right) / 2, (pane.top + pane.bottom) / 2);
}

}  // namespace

TEST_F(FrameTest, StatusBarPanesAreCamDiskProgressAndTheMessagePane)
{
    MakeFrame();
    CMyStatusBar& bar = frame->GetStatusBar();
    ASSERT_EQ(4, bar.GetCount());
    const UINT ids[] = {ID_INDICATOR_CAM, ID_INDICATOR_DISK, ID_INDICATOR_PROGRESS, 0};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ids[i], bar.GetItemID(i));
    UINT id = 0;
    UINT style = 0;
    int width = 0;
    bar.GetPaneInfo(0, id, style, width);
    EXPECT_EQ(24, width);  // the CAM picture's width
    EXPECT_EQ(static_cast<UINT>(SBPS_OWNERDRAW | SBPS_DISABLED), style & (SBPS_OWNERDRAW | SBPS_DISABLED));
    bar.GetPaneInfo(1, id, style, width);
    EXPECT_EQ(24, width);
    bar.GetPaneInfo(2, id, style, width);
    EXPECT_EQ(0, width);
    EXPECT_TRUE(style & SBPS_OWNERDRAW);
    bar.GetPaneInfo(3, id, style, width);
    EXPECT_TRUE(style & SBPS_STRETCH);
}

TEST_F(FrameTest, CamAndDiskPanesShowThePictureOfTheirState)
{
    MakeFrame();
    CMyStatusBar& bar = frame->GetStatusBar();
    // Start-up: the camera is not known yet, the disks have room.
    EXPECT_EQ(StateColour(1), PaneCentre(bar, ID_INDICATOR_CAM));
    EXPECT_EQ(StateColour(2), PaneCentre(bar, ID_INDICATOR_DISK));
    for (int32_t state : {0, 2, 1}) {
        frame->SetCameraState(state);
        frame->SetDiskState(state);
        EXPECT_EQ(StateColour(state), PaneCentre(bar, ID_INDICATOR_CAM)) << "camera state " << state;
        EXPECT_EQ(StateColour(state), PaneCentre(bar, ID_INDICATOR_DISK)) << "disk state " << state;
    }
    // The pane around the picture is the face colour.
    const CRect cam = PaneRect(bar, ID_INDICATOR_CAM);
    const clx::test::Image shot = clx::test::CaptureWindow(bar.m_hWnd);
    EXPECT_EQ(::GetSysColor(COLOR_3DFACE), shot.PixelAt(cam.left + 1, (cam.top + cam.bottom) / 2));
}

TEST_F(FrameTest, CamPaneClickReportsTheCameraAndDiskPaneClickAsksForTheDiskStatus)
{
    MakeFrame();
    CMyStatusBar& bar = frame->GetStatusBar();
    const CRect cam = PaneRect(bar, ID_INDICATOR_CAM);
    {
        MessageBoxScript boxes{{"The camera was not found.", IDOK}};
        boxes.UseRealBoxes();
        Click(bar.m_hWnd, cam.CenterPoint());
        PumpUntilIdle();
        EXPECT_EQ(1u, boxes.shown.size());
    }
    Host().camera = true;
    Host().cameraName = "M4X";
    frame->SetCameraState(kCameraConnected);
    {
        MessageBoxScript boxes{{"The M4X is connected.", IDOK}};
        boxes.UseRealBoxes();
        Click(bar.m_hWnd, cam.CenterPoint());
        PumpUntilIdle();
    }
    Host().cameraName.clear();
    {
        MessageBoxScript boxes{{"The camera is connected.", IDOK}};
        boxes.UseRealBoxes();
        Click(bar.m_hWnd, cam.CenterPoint());
        PumpUntilIdle();
    }

    // The disk status of the two folders' volumes: the temporary folder's
    // drive does not exist.
    CQzString thumbnails, temp;
    shell::GetStringSetting(1046, thumbnails);
    shell::GetStringSetting(1051, temp);
    shell::SetStringSetting(1046, "C:\\Thumbnails");
    shell::SetStringSetting(1051, "Q:\\Temp");
    {
        ModalScript script([&](CDlgDiskStatus& dialog) {
            char text[64] = {};
            ::GetDlgItemTextA(dialog.m_hWnd, CDlgDiskStatus::kThumbnailValueId, text, sizeof text);
            EXPECT_STRNE(text, "Not Available");
            EXPECT_NE(text[0], '\0');
            ::GetDlgItemTextA(dialog.m_hWnd, CDlgDiskStatus::kTempValueId, text, sizeof text);
            EXPECT_STREQ(text, "Not Available");
            dialog.EndDialog(IDOK);
        });
        Click(bar.m_hWnd, PaneRect(bar, ID_INDICATOR_DISK).CenterPoint());
        PumpUntilIdle();
    }
    shell::SetStringSetting(1046, thumbnails);
    shell::SetStringSetting(1051, temp);
}

TEST_F(FrameTest, HelpHitTestsOfTheBarsNameTheirPanesAndButtons)
{
    MakeFrame();
    CMyStatusBar& status = frame->GetStatusBar();
    auto statusAt = [&](CPoint p) { return static_cast<uint32_t>(status.SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(p.x, p.y))); };
    EXPECT_EQ(0x2000E707u, statusAt(PaneRect(status, ID_INDICATOR_CAM).CenterPoint()));
    EXPECT_EQ(0x2000E708u, statusAt(PaneRect(status, ID_INDICATOR_DISK).CenterPoint()));
    EXPECT_EQ(0x20000301u, statusAt(CPoint(status.GetClientRect().right - 40, 5)));

    CMyToolBar& tool = frame->GetToolBar();
    auto toolAt = [&](CPoint p) { return static_cast<uint32_t>(tool.SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(p.x, p.y))); };
    CRect button;
    tool.GetItemRect(tool.m_nShowOriginalIndex, &button);
    EXPECT_EQ(0x80000000u + ID_SHOW_ORIGINAL, toolAt(button.CenterPoint()));
    EXPECT_EQ(0x20000300u, toolAt(CPoint(tool.GetClientRect().right - 2, 2)));
}

TEST_F(FrameTest, TabTwiceHidesAndShowsTheOpenPalettes)
{
    MakeFrame();
    frame->SendMessage(WM_COMMAND, ID_VIEW_CURVES);
    frame->SendMessage(WM_COMMAND, ID_VIEW_INFORMATION);
    Host().camera = true;
    frame->SendMessage(WM_COMMAND, ID_VIEW_CAMERA_CONTROL);
    PumpUntilIdle();
    ASSERT_TRUE(frame->m_wndCurves.IsOpen());
    ASSERT_TRUE(frame->m_wndInformation.IsOpen());
    ASSERT_TRUE(frame->m_wndCameraControl.IsOpen());
    char title[64] = "";
    ::GetWindowTextA(frame->m_wndCurves.m_hWnd, title, sizeof title);
    EXPECT_STREQ("Curves", title);

    frame->ShowHidePalettes(false);
    EXPECT_FALSE(frame->m_wndCurves.IsOpen());
    EXPECT_FALSE(frame->m_wndInformation.IsOpen());
    EXPECT_FALSE(frame->m_wndCameraControl.IsOpen());

    // The camera went meanwhile: its palette stays closed.
    Host().camera = false;
    frame->ShowHidePalettes(true);
    PumpUntilIdle();
    EXPECT_TRUE(frame->m_wndCurves.IsOpen());
    EXPECT_TRUE(frame->m_wndInformation.IsOpen());
    EXPECT_FALSE(frame->m_wndCameraControl.IsOpen());
    EXPECT_FALSE(frame->m_wndUnsharpMask.IsOpen()) << "a palette that was closed stays closed";
}

TEST_F(FrameTest, PaletteTargetGoesToTheTargetedPalettesAndSetsTheKind)
{
    MakeFrame();
    CImageRecord image;
    // Only whether an image is there counts; the engine holds no reference
    // to this one, so the record leaves it alone when it goes.
    image.imageData = reinterpret_cast<IVorlatImage*>(&image);
    image.gridOn = 1;
    CImageRecord* record = &image;
    // The pointer over the client area blanks the information too: count from here.
    const int refreshes = frame->m_wndInformation.calls.refresh;
    frame->SendMessage(WM_SET_PALETTE_TARGET, 3, 0);
    EXPECT_EQ(3, frame->GetTargetKind());
    CToolTargeted* const targeted[] = {&frame->m_wndUnsharpMask,    &frame->m_wndCurves,
                                       &frame->m_wndColorAdjust,    &frame->m_wndSizeRes,
                                       &frame->m_wndBirdsEye,       &frame->m_wndWBAdjust,
                                       &frame->m_wndExposureAdjust, &frame->m_wndNoiseReduction,
                                       &frame->m_wndImageEnhancements};
    for (CToolTargeted* palette : targeted) {
        EXPECT_EQ(1, palette->calls.setTarget) << palette->GetTitle();
        EXPECT_EQ(3, palette->calls.lastKind) << palette->GetTitle();
        EXPECT_FALSE(palette->HasTarget());
    }
    EXPECT_EQ(refreshes + 1, frame->m_wndInformation.calls.refresh);
    EXPECT_EQ(0, frame->m_wndCameraControl.calls.setTarget);
    EXPECT_EQ(0, Host().gridLinesCalls) << "only one image gives the grid-lines default";

    frame->SendMessage(WM_SET_PALETTE_TARGET, kTargetOne, reinterpret_cast<LPARAM>(record));
    EXPECT_EQ(kTargetOne, frame->GetTargetKind());
    for (CToolTargeted* palette : targeted) {
        EXPECT_EQ(record, palette->calls.lastRecord) << palette->GetTitle();
        EXPECT_TRUE(palette->HasTarget()) << palette->GetTitle();
    }
    EXPECT_EQ(1, Host().gridLinesCalls);
    EXPECT_TRUE(Host().gridLines);

    // A record whose image is not there yet goes to no palette; its grid
    // lines still become the default.
    CImageRecord loading;
    frame->SendMessage(WM_SET_PALETTE_TARGET, kTargetOne, reinterpret_cast<LPARAM>(&loading));
    for (CToolTargeted* palette : targeted)
        EXPECT_EQ(record, palette->calls.lastRecord) << palette->GetTitle();
    EXPECT_EQ(2, Host().gridLinesCalls);
    EXPECT_FALSE(Host().gridLines);

    EXPECT_EQ(reinterpret_cast<LRESULT>(&frame->m_wndImageEnhancements),
              frame->SendMessage(WM_GET_ADJUSTMENT_PANEL, 0, 0));
}

TEST_F(FrameTest, CameraTimerRunsIdlePassesWhileTheyReportWorkAndMergesWaitingTicks)
{
    MakeFrame();
    // Any message waiting ends a run early: let the desktop's late activation
    // and paint of the new frame arrive first.
    ASSERT_NE(0, Activate(frame->m_hWnd));
    ::UpdateWindow(frame->m_hWnd);
    PumpUntilIdle();
    Host().idleBudget = 25;
    FireTimer(frame->m_hWnd, kCameraTimerId);
    FireTimer(frame->m_hWnd, kCameraTimerId);
    PumpUntilIdle();
    // One run of 25 passes; the second tick was merged into it.
    EXPECT_EQ(25, Host().idleRuns);

    // Input waiting stops the run before its first pass.
    Host().idleRuns = 0;
    FireTimer(frame->m_hWnd, kCameraTimerId);
    frame->PostMessage(WM_NULL, 0, 0);
    PumpUntilIdle();
    EXPECT_EQ(0, Host().idleRuns);

    // Another timer does not run the idle work.
    FireTimer(frame->m_hWnd, 77);
    PumpUntilIdle();
    EXPECT_EQ(0, Host().idleRuns);
}

TEST_F(FrameTest, F1OnTheEmptyClientAreaIsSwallowedAndTheMouseThereBlanksTheInformation)
{
    MakeFrame();
    MSG msg{frame->m_hWndMDIClient, WM_KEYDOWN, VK_F1, 0, 0, {0, 0}};
    EXPECT_TRUE(frame->PreTranslateMessage(&msg));
    msg.hwnd = frame->m_hWnd;
    msg.wParam = 'Q';
    EXPECT_FALSE(frame->PreTranslateMessage(&msg));

    const int refreshes = frame->m_wndInformation.calls.refresh;
    ::SendMessageA(frame->m_hWndMDIClient, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(refreshes + 1, frame->m_wndInformation.calls.refresh);
}

namespace {

// Stands in for the progress window: keeps the last placement it was sent.
class FakeProgress : public CWnd {
public:
    int places = 0;
    bool hidden = false;
    CRect pane;

protected:
    LRESULT OnProgress(WPARAM code, LPARAM rect)
    {
        if (code != kProgressPlace)
            return 0;
        ++places;
        hidden = rect == 0;
        if (rect)
            pane = *reinterpret_cast<const RECT*>(rect);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(FakeProgress, CWnd)
    ON_MESSAGE(WM_PROGRESS, OnProgress)
END_MESSAGE_MAP()

}  // namespace

TEST_F(FrameTest, ProgressWindowCoversTheProgressPaneToTheBarsEndAndHidesWithTheBar)
{
    MakeFrame();
    FakeProgress progress;
    ASSERT_TRUE(progress.CreateEx(0, AfxRegisterWndClass(0), "Progress", WS_CHILD, CRect(0, 0, 10, 10), frame, 0xFFFF));
    Host().progress = progress.m_hWnd;

    frame->SetWindowPos(nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpUntilIdle();
    ASSERT_GE(progress.places, 1);
    CMyStatusBar& bar = frame->GetStatusBar();
    CRect pane = PaneRect(bar, ID_INDICATOR_PROGRESS);
    pane.right = bar.GetClientRect().right;
    ::MapWindowPoints(bar.m_hWnd, frame->m_hWnd, reinterpret_cast<POINT*>(&pane), 2);
    EXPECT_EQ(pane, progress.pane);
    EXPECT_FALSE(progress.hidden);

    frame->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    PumpUntilIdle();
    EXPECT_TRUE(progress.hidden);
    frame->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    PumpUntilIdle();
    EXPECT_FALSE(progress.hidden);

    // Showing the frame again, neither moved nor sized, places nothing.
    const int places = progress.places;
    frame->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    EXPECT_EQ(places, progress.places);
    Host().progress = nullptr;
    progress.DestroyWindow();
}

namespace {

constexpr uint32_t kFirstTimeInitialized = 1106;
constexpr uint32_t kNextImageSettings = 1044;
constexpr uint32_t kNextImageSettingsFile = 1053;

RECT WorkArea()
{
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

}  // namespace

TEST_F(FrameTest, FirstRunWritesTheLayoutRecordsAndPlacesThePalettes)
{
    MakeFrame();
    // A settings file that is not there (an installation puts the default one in place).
    shell::SetStringSetting(kNextImageSettingsFile, "C:\\no such folder\\Neutral.set");
    {
        MessageBoxScript boxes{{"The settings file specified on the General page", IDOK}};
        frame->SendMessage(WM_DEFERRED_STARTUP, 1, 0);
        PumpUntilIdle();
    }
    EXPECT_EQ(1, GetInt(kFirstTimeInitialized));

    const RECT work = WorkArea();
    const int step = ::GetSystemMetrics(SM_CYSMCAPTION) + 2;
    const char* cascade[] = {"UnsharpMask", "ColorAdjustment", "SizeResolution", "BirdsEye", "Info"};
    for (int k = 0; k < 5; ++k) {
        int32_t record[5] = {};
        ASSERT_TRUE(ReadPosition(cascade[k], record)) << cascade[k];
        EXPECT_EQ(k * step, record[0]) << cascade[k];
        EXPECT_EQ(work.top + (work.bottom - work.top) / 3 + k * step, record[1]) << cascade[k];
        EXPECT_EQ(1, record[2]);
        EXPECT_EQ(1, record[3]);
        EXPECT_EQ(1, record[4]);
    }
    int32_t camera[5] = {};
    ASSERT_TRUE(ReadPosition("CameraControl", camera));
    EXPECT_EQ((work.right - work.left - 300) / 2, camera[0]);
    EXPECT_EQ((work.bottom - work.top - 300) / 2, camera[1]);
    int32_t image[5] = {};
    ASSERT_TRUE(ReadPosition("CameraImage", image));
    const CRect client = frame->GetClientRect();
    const int bars = frame->GetStatusBar().GetWindowRect().Height() + frame->GetToolBar().GetWindowRect().Height();
    EXPECT_EQ(0, image[0]);
    EXPECT_EQ(0, image[1]);
    EXPECT_EQ(client.Width() * 80 / 100, image[2]);
    EXPECT_EQ(client.Height() * 90 / 100 - bars, image[3]);
    EXPECT_EQ(1, image[4]);

    // The palettes shown by default: image enhancements at the top right,
    // white balance in the bottom-right corner, curves above it, advanced
    // raw to its left; no camera, so no camera control.
    EXPECT_TRUE(frame->m_wndImageEnhancements.IsOpen());
    EXPECT_FALSE(frame->m_wndCameraControl.IsOpen());
    EXPECT_EQ(1, Host().cameraOpens) << "the camera module is asked to open for the camera control palette";
    const CRect enhance = frame->m_wndImageEnhancements.GetWindowRect();
    EXPECT_EQ(work.right, enhance.right);
    EXPECT_EQ(::GetSystemMetrics(SM_CYCAPTION), enhance.top);
    ASSERT_TRUE(frame->m_wndWBAdjust.IsOpen());
    ASSERT_TRUE(frame->m_wndCurves.IsOpen());
    ASSERT_TRUE(frame->m_wndExposureAdjust.IsOpen());
    const CRect wb = frame->m_wndWBAdjust.GetWindowRect();
    EXPECT_EQ(work.right, wb.right);
    EXPECT_EQ(work.bottom, wb.bottom);
    const CRect curves = frame->m_wndCurves.GetWindowRect();
    EXPECT_EQ(work.right, curves.right);
    EXPECT_EQ(wb.top, curves.bottom);
    const CRect raw = frame->m_wndExposureAdjust.GetWindowRect();
    EXPECT_EQ(wb.left, raw.right);
    EXPECT_EQ(work.bottom, raw.bottom);

    // A later start is no first run: nothing more is written.
    ::SHDeleteKeyA(HKEY_CURRENT_USER, (std::string(frametest::kTestsKey) + "\\2.0\\WindowPositions").c_str());
    SetInt(kNextImageSettings, 1);
    frame->SendMessage(WM_DEFERRED_STARTUP, 1, 0);
    int32_t none[5] = {};
    EXPECT_FALSE(ReadPosition("UnsharpMask", none));
}

TEST_F(FrameTest, FirstRunWithNoPalettesWritesTheRecordsAndMovesNothing)
{
    for (uint32_t visible : {1131u, 1132u, 1133u, 1134u, 1135u, 1136u, 1137u, 1147u, 1148u, 1149u})
        SetInt(visible, 0);
    SetInt(kNextImageSettings, 1);
    MakeFrame();
    frame->SetWindowPos(nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    frame->SendMessage(WM_DEFERRED_STARTUP, 1, 0);
    PumpUntilIdle();
    int32_t record[5] = {};
    EXPECT_TRUE(ReadPosition("Info", record));
    EXPECT_TRUE(ReadPosition("CameraImage", record));
    const CToolBase* palettes[] = {&frame->m_wndCameraControl, &frame->m_wndUnsharpMask, &frame->m_wndCurves,
                                   &frame->m_wndColorAdjust,   &frame->m_wndSizeRes,     &frame->m_wndBirdsEye,
                                   &frame->m_wndInformation,   &frame->m_wndImageEnhancements,
                                   &frame->m_wndExposureAdjust, &frame->m_wndWBAdjust, &frame->m_wndNoiseReduction};
    for (const CToolBase* palette : palettes)
        EXPECT_FALSE(palette->IsOpen()) << palette->GetTitle();
    // The frame itself goes to the top-left corner.
    EXPECT_EQ(CPoint(0, 0), frame->GetWindowRect().TopLeft());
}

TEST_F(FrameTest, DeferredStartupWithoutSplashOnlyOpensTheCameraImageWindow)
{
    SetInt(1130, 1);
    SetInt(kNextImageSettings, 1);
    MakeFrame();
    // No camera image template in this program: the window cannot open.
    MessageBoxScript boxes{{"The Camera Image window is not available", IDOK}};
    frame->SendMessage(WM_DEFERRED_STARTUP, 0, 0);
    PumpUntilIdle();
    EXPECT_EQ(0, GetInt(kFirstTimeInitialized)) << "the layout waits for the splash window";
    EXPECT_FALSE(frame->m_wndCurves.IsOpen());
}

TEST_F(FrameTest, StoredMainPositionIsUsedAndAMinimisedOneStartsNormal)
{
    {
        shell::WindowPositionRecord stored{50, 60, 500, 400, SW_SHOWMINIMIZED};
        HKEY key = nullptr;
        const std::string path = std::string(frametest::kTestsKey) + "\\2.0\\WindowPositions";
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                                   nullptr, &key, nullptr));
        ::RegSetValueExA(key, "Main", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&stored), sizeof stored);
        ::RegCloseKey(key);
    }
    AfxGetApp()->m_nCmdShow = SW_SHOWMAXIMIZED;
    MakeFrame();
    EXPECT_EQ(SW_SHOWNORMAL, AfxGetApp()->m_nCmdShow);
    AfxGetApp()->m_nCmdShow = SW_SHOWNORMAL;
    EXPECT_EQ(CRect(50, 60, 550, 460), frame->GetWindowRect());
}

TEST_F(FrameTest, ClosingStoresWhichPalettesAreOpenAndThePosition)
{
    MakeFrame();
    frame->SendMessage(WM_COMMAND, ID_VIEW_UNSHARP_MASK);
    frame->SendMessage(WM_COMMAND, ID_VIEW_NOISE_REDUCTION);
    frame->SetWindowPos(nullptr, 20, 10, 600, 450, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpUntilIdle();
    frame->SendMessage(WM_CLOSE);
    PumpUntilIdle();
    EXPECT_EQ(nullptr, CMainFrame::Get());
    frame = nullptr;
    EXPECT_EQ(0, TakeQuit());
    AfxGetApp()->m_pMainWnd = nullptr;

    EXPECT_EQ(1, GetInt(1132));
    EXPECT_EQ(1, GetInt(1146));
    for (uint32_t closed : {1130u, 1131u, 1133u, 1134u, 1135u, 1136u, 1137u, 1147u, 1148u, 1149u})
        EXPECT_EQ(0, GetInt(closed)) << closed;
    int32_t main[5] = {};
    ASSERT_TRUE(ReadPosition("Main", main));
    EXPECT_EQ(20, main[0]);
    EXPECT_EQ(10, main[1]);
    EXPECT_EQ(600, main[2]);
    EXPECT_EQ(450, main[3]);
}

namespace {

std::vector<std::string> g_helpTopics;

HWND RecordHtmlHelp(HWND, const char* topic)
{
    g_helpTopics.push_back(topic);
    return ::GetDesktopWindow();
}

bool RecordWinHelp(HWND, const char*, UINT, DWORD_PTR)
{
    return true;
}

}  // namespace

TEST_F(FrameTest, HelpRequestsOpenTheirTopicAndTheFrameNamesWhatIsUnderThePointer)
{
    MakeFrame();
    clx::SetHelpHandlers(&RecordHtmlHelp, &RecordWinHelp);
    g_helpTopics.clear();
    // Help Topics opens the start page; F1 on a tool bar button its anchor.
    frame->SendMessage(WM_COMMAND, ID_HELP_FINDER);
    frame->WinHelp(0x80000000u + ID_VIEW_CAMERA_IMAGE, HELP_CONTEXT);
    clx::SetHelpHandlers(nullptr, nullptr);
    ASSERT_EQ(2u, g_helpTopics.size());
    EXPECT_NE(std::string::npos, g_helpTopics[0].find("Tessaline.chm::/index.html>mainwin")) << g_helpTopics[0];
    EXPECT_NE(std::string::npos, g_helpTopics[1].find("::/toolbar.html#View_CameraImage>mainwin"))
        << g_helpTopics[1];

    // Help mode over the client area: the MDI client inside the last prompt.
    frame->m_nIDLastMessage = ID_VIEW_CURVES;
    const CRect client = frame->GetMDIClient().GetWindowRect();
    CPoint inside = client.CenterPoint();
    frame->ScreenToClient(&inside);
    EXPECT_EQ(((ID_VIEW_CURVES + 0x3000u) << 16) + AFX_IDW_PANE_FIRST,
              static_cast<uint32_t>(frame->SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(inside.x, inside.y))));
    frame->m_nIDLastMessage = 0;
    EXPECT_EQ(0u, static_cast<uint32_t>(frame->SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(inside.x, inside.y))));
}

namespace {

// The progress thread's window: closing it ends the thread's loop.
LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcA(hwnd, msg, w, l);
}

struct ProgressStart {
    HANDLE ready = nullptr;
    HWND parent = nullptr;
    HWND window = nullptr;
};

UINT ProgressThread(void* param)
{
    auto* start = static_cast<ProgressStart*>(param);
    WNDCLASSA cls{};
    cls.lpfnWndProc = ProgressProc;
    cls.hInstance = ::GetModuleHandleA(nullptr);
    cls.lpszClassName = "FrameTestProgress";
    ::RegisterClassA(&cls);
    start->window = ::CreateWindowExA(0, "FrameTestProgress", "Progress", WS_CHILD, 0, 0, 10, 10, start->parent,
                                      nullptr, cls.hInstance, nullptr);
    ::SetEvent(start->ready);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}

}  // namespace

TEST_F(FrameTest, DestroyingTheFrameEndsTheProgressThreadAndForgetsTheCameraTimer)
{
    MakeFrame();
    ProgressStart start;
    start.ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    start.parent = frame->m_hWnd;
    CWinThread* thread = AfxBeginThread(&ProgressThread, &start, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = false;
    thread->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, clx::WaitServicingSent(start.ready, 10000));
    ::CloseHandle(start.ready);
    ASSERT_NE(nullptr, start.window);
    Host().progress = start.window;
    Host().progressThread = thread;
    Host().timerId = kCameraTimerId;
    Host().timerInterval = 2000;
    frame->SetTimer(kCameraTimerId, 2000, nullptr);

    DestroyFrame();
    EXPECT_EQ(nullptr, Host().progressThread) << "the frame took the thread and deleted it";
    EXPECT_FALSE(::IsWindow(start.window));
    EXPECT_EQ(0u, Host().timerId);
}

TEST_F(FrameTest, RedrawWindowNowPaintsWithTheSynchronousMarkAndRestoresIt)
{
    MakeFrame();
    Host().synchronousPainting = false;
    RedrawWindowNow(frame);
    EXPECT_EQ(std::vector<bool>({true, false}), Host().paintingMarks);
    Host().synchronousPainting = true;
    Host().paintingMarks.clear();
    RedrawWindowNow(frame);
    EXPECT_EQ(std::vector<bool>({true, true}), Host().paintingMarks) << "a mark already set stays set";
}

TEST_F(FrameTest, HandedOverDataReachesTheApplicationOnlyWhileTheFrameIsEnabled)
{
    MakeFrame();
    char record[268] = {};
    COPYDATASTRUCT data{0x800B, sizeof record, record};
    auto send = [&] {
        ::SendMessageA(frame->m_hWnd, WM_COPYDATA, reinterpret_cast<WPARAM>(::GetDesktopWindow()),
                       reinterpret_cast<LPARAM>(&data));
    };
    send();
    EXPECT_EQ(std::vector<ULONG_PTR>({0x800B}), Host().handOvers);

    // A modal dialog disables the frame: the file is dropped.
    frame->EnableWindow(FALSE);
    send();
    frame->EnableWindow(TRUE);
    EXPECT_EQ(1u, Host().handOvers.size());
}
