// The frame's commands: palette toggles and their check marks, the
// settings-file commands' enabling by target kind, the camera commands
// without a camera, curve channels, shooting, tiling, and clearing the
// camera image list on exit.
#include <fstream>
#include <string>

#include "app/core/record/image_record.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/tests/frame_test_support.h"
#include "app/shell/program_folder.h"
#include "app/shell/settings/settings.h"

using frametest::FrameTest;
using frametest::Host;

namespace {

struct UiState {
    bool enabled;
    int check;
};

UiState Update(CMainFrame* frame, UINT id)
{
    clx::StateCmdUI ui(id);
    ui.DoUpdate(frame, true);
    return {ui.m_bEnabled, ui.m_nCheck};
}

}  // namespace

TEST_F(FrameTest, TogglingAPaletteTwiceLeavesItClosedAndUnchecked)
{
    MakeFrame();
    const UINT toggles[] = {ID_VIEW_UNSHARP_MASK,       ID_VIEW_CURVES,        ID_VIEW_COLOR_BALANCE,
                            ID_VIEW_SIZE_RES,           ID_VIEW_BIRDS_EYE,     ID_VIEW_INFORMATION,
                            ID_VIEW_IMAGE_ENHANCEMENTS, ID_VIEW_WHITE_BALANCE, ID_VIEW_ADVANCED_RAW,
                            ID_VIEW_NOISE_REDUCTION};
    for (UINT id : toggles) {
        frame->SendMessage(WM_COMMAND, id);
        PumpUntilIdle();
        EXPECT_EQ(1, Update(frame, id).check) << id;
        frame->SendMessage(WM_COMMAND, id);
        PumpUntilIdle();
        EXPECT_EQ(0, Update(frame, id).check) << id;
    }
    // An opened palette takes the current target: none without an image window.
    EXPECT_EQ(1, frame->m_wndCurves.calls.setTarget);
    EXPECT_EQ(kTargetNone, frame->m_wndCurves.calls.lastKind);
    EXPECT_EQ(0, frame->m_wndInformation.calls.setTarget);
}

TEST_F(FrameTest, SettingsFileCommandsFollowTheTargetKind)
{
    MakeFrame();
    struct Case {
        UINT id;
        bool none;     // kind 0, palettes without a target and with neutral settings
        bool several;  // kind 2
    };
    const Case cases[] = {
        {ID_SETTINGS_USM_LOAD, true, true},     {ID_SETTINGS_USM_SAVE, false, false},
        {ID_SETTINGS_USM_RESET, false, true},   {ID_SETTINGS_CURVES_LOAD, true, true},
        {ID_SETTINGS_CURVES_SAVE, false, false}, {ID_SETTINGS_CURVES_RESET, false, true},
        {ID_SETTINGS_COLOR_LOAD, true, true},   {ID_SETTINGS_COLOR_SAVE, false, false},
        {ID_SETTINGS_COLOR_RESET, false, true}, {ID_SETTINGS_SIZE_LOAD, true, true},
        {ID_SETTINGS_SIZE_SAVE, false, false},  {ID_SETTINGS_SIZE_RESET, true, true},
        {ID_SETTINGS_WB_LOAD, true, true},      {ID_SETTINGS_WB_SAVE, true, false},
        {ID_SETTINGS_WB_RESET, true, true},     {ID_SETTINGS_RAW_LOAD, true, true},
        {ID_SETTINGS_RAW_SAVE, true, false},    {ID_SETTINGS_RAW_RESET, false, true},
        {ID_SETTINGS_NR_LOAD, false, true},     {ID_SETTINGS_NR_SAVE, true, false},
        {ID_SETTINGS_NR_RESET, false, true},    {ID_SETTINGS_CAMERA_LOAD, false, false},
        {ID_SETTINGS_CAMERA_SAVE, false, false}, {ID_SETTINGS_ENHANCE_LOAD, true, true},
        {ID_SETTINGS_ENHANCE_SAVE, true, false},
    };
    // A white balance of mode 1 differs from the recorded value (mode 2).
    ASSERT_NE(2u, frame->m_wndWBAdjust.GetSettings().mode);
    frame->SendMessage(WM_SET_PALETTE_TARGET, kTargetNone, 0);
    for (const Case& c : cases)
        EXPECT_EQ(c.none, Update(frame, c.id).enabled) << "kind 0, command " << c.id;
    frame->SendMessage(WM_SET_PALETTE_TARGET, kTargetSeveral, 0);
    for (const Case& c : cases)
        EXPECT_EQ(c.several, Update(frame, c.id).enabled) << "kind 2, command " << c.id;
}

TEST_F(FrameTest, SettingsCommandsOfOneImageDependOnThePalettesSettings)
{
    MakeFrame();
    CImageRecord record;
    // Only whether an image is there counts; the engine holds no reference
    // to this one, so the record leaves it alone when it goes.
    record.imageData = reinterpret_cast<IVorlatImage*>(&record);
    frame->SendMessage(WM_SET_PALETTE_TARGET, kTargetOne, reinterpret_cast<LPARAM>(&record));
    for (UINT save : {ID_SETTINGS_USM_SAVE, ID_SETTINGS_CURVES_SAVE, ID_SETTINGS_COLOR_SAVE, ID_SETTINGS_SIZE_SAVE,
                      ID_SETTINGS_NR_LOAD, ID_SETTINGS_NR_SAVE})
        EXPECT_TRUE(Update(frame, save).enabled) << save;

    // Resets follow the settings: neutral ones have nothing to reset.
    for (UINT reset : {ID_SETTINGS_USM_RESET, ID_SETTINGS_CURVES_RESET, ID_SETTINGS_COLOR_RESET,
                       ID_SETTINGS_RAW_RESET, ID_SETTINGS_NR_RESET})
        EXPECT_FALSE(Update(frame, reset).enabled) << reset;
    frame->m_wndUnsharpMask.GetSettings().Insert(0, 1, CQzUSM());
    frame->m_wndCurves.SetChanged(true);
    frame->m_wndColorAdjust.SetChanged(true);
    frame->m_wndExposureAdjust.GetSettings().exposureCompensation = 50;
    frame->m_wndNoiseReduction.GetSettings().colourNoiseReduction = 2;
    for (UINT reset : {ID_SETTINGS_USM_RESET, ID_SETTINGS_CURVES_RESET, ID_SETTINGS_COLOR_RESET,
                       ID_SETTINGS_RAW_RESET, ID_SETTINGS_NR_RESET})
        EXPECT_TRUE(Update(frame, reset).enabled) << reset;

    // A white balance at the recorded value has nothing to reset; a palette
    // that cannot edit (one image, not raw) offers none of its commands.
    frame->m_wndWBAdjust.GetSettings().mode = 2;
    EXPECT_FALSE(Update(frame, ID_SETTINGS_WB_RESET).enabled);
    frame->m_wndWBAdjust.SetCanEdit(false);
    frame->m_wndExposureAdjust.SetCanEdit(false);
    for (UINT id : {ID_SETTINGS_WB_LOAD, ID_SETTINGS_WB_SAVE, ID_SETTINGS_RAW_LOAD, ID_SETTINGS_RAW_SAVE,
                    ID_SETTINGS_RAW_RESET})
        EXPECT_FALSE(Update(frame, id).enabled) << id;
}

TEST_F(FrameTest, SettingsFilesGoToThePalettesWhetherOpenOrNot)
{
    MakeFrame();
    frame->SendMessage(WM_COMMAND, ID_SETTINGS_CURVES_LOAD);
    frame->SendMessage(WM_COMMAND, ID_SETTINGS_USM_RESET);
    frame->SendMessage(WM_COMMAND, ID_SETTINGS_ENHANCE_LOAD);
    // Disabled commands are dropped: with no target there is no curves file to save.
    frame->SendMessage(WM_COMMAND, ID_SETTINGS_CURVES_SAVE);
    EXPECT_EQ(1, frame->m_wndCurves.calls.load);
    EXPECT_EQ(0, frame->m_wndCurves.calls.save);
    EXPECT_EQ(0, frame->m_wndUnsharpMask.calls.reset) << "nothing to reset";
    EXPECT_EQ(1, frame->m_wndImageEnhancements.calls.load);
    EXPECT_FALSE(frame->m_wndCurves.IsOpen());
}

TEST_F(FrameTest, WithoutACameraCameraCommandsAreDisabledAndShootingDoesNothing)
{
    MakeFrame();
    for (UINT id : {ID_CAMERA_CUSTOM_SETTINGS, ID_CAMERA_CURVES, ID_CAMERA_DATE_TIME, ID_CAMERA_MEASURE_WB,
                    ID_CAMERA_EDIT_ID, ID_CAMERA_TIME_LAPSE, ID_VIEW_CAMERA_CONTROL, ID_SETTINGS_CAMERA_LOAD,
                    ID_SETTINGS_CAMERA_SAVE})
        EXPECT_FALSE(Update(frame, id).enabled) << id;
    EXPECT_TRUE(Update(frame, ID_FILE_BATCH).enabled);
    frame->SendMessage(WM_COMMAND, ID_CAMERA_SHOOT);
    frame->SendMessage(WM_COMMAND, ID_CAMERA_AF_SHOOT);
    EXPECT_EQ(0, frame->m_wndCameraControl.calls.shoot);
    EXPECT_EQ(0, frame->m_wndCameraControl.calls.autofocusShoot);

    Host().camera = true;
    for (UINT id : {ID_CAMERA_CUSTOM_SETTINGS, ID_CAMERA_TIME_LAPSE, ID_VIEW_CAMERA_CONTROL, ID_SETTINGS_CAMERA_SAVE})
        EXPECT_TRUE(Update(frame, id).enabled) << id;
    frame->SendMessage(WM_COMMAND, ID_CAMERA_SHOOT);
    frame->SendMessage(WM_COMMAND, ID_CAMERA_AF_SHOOT);
    EXPECT_EQ(1, frame->m_wndCameraControl.calls.shoot);
    EXPECT_EQ(1, frame->m_wndCameraControl.calls.autofocusShoot);
    EXPECT_EQ(0, Host().cameraOpens) << "the commands never connect";
}

TEST_F(FrameTest, CurveChannelKeysSelectTheChannelOnlyWhileCurvesIsOpen)
{
    MakeFrame();
    PressKey(frame->m_hWnd, '2', kCtrl);
    EXPECT_EQ(0, frame->m_wndCurves.calls.selectChannel);
    frame->SendMessage(WM_COMMAND, ID_VIEW_CURVES);
    PumpUntilIdle();
    struct Key {
        UINT vk;
        int channel;
    };
    for (const Key& k : {Key{'1', 1}, Key{'2', 2}, Key{'3', 3}, Key{VK_NUMPAD2, 2}}) {
        PressKey(frame->m_hWnd, k.vk, kCtrl);
        EXPECT_EQ(k.channel, frame->m_wndCurves.calls.lastChannel) << k.vk;
    }
    frame->SendMessage(WM_COMMAND, ID_CURVES_CHANNEL_RGB);
    EXPECT_EQ(0, frame->m_wndCurves.calls.lastChannel);
}

TEST_F(FrameTest, CommandsWithoutTheirDialogsSayTheyAreNotAvailable)
{
    MakeFrame();
    Host().camera = true;
    MessageBoxScript boxes{{"Batch is not available", IDOK},
                           {"Custom Settings is not available", IDOK},
                           {"Time Lapse Photography is not available", IDOK}};
    frame->SendMessage(WM_COMMAND, ID_FILE_BATCH);
    frame->SendMessage(WM_COMMAND, ID_CAMERA_CUSTOM_SETTINGS);
    frame->SendMessage(WM_COMMAND, ID_CAMERA_TIME_LAPSE);
    PumpUntilIdle();
}

namespace {

// A child window that counts the section resets it is sent.
class SectionsChild : public CWnd {
public:
    int resets = 0;

protected:
    LRESULT OnReset(WPARAM which, LPARAM)
    {
        if (which == 3)
            ++resets;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SectionsChild, CWnd)
    ON_MESSAGE(WM_RESET_VIEW_SECTIONS, OnReset)
END_MESSAGE_MAP()

}  // namespace

TEST_F(FrameTest, TileResetsTheViewSectionsOfEveryDescendantFirst)
{
    MakeFrame();
    EXPECT_TRUE(Update(frame, ID_WINDOW_TILE_HORZ).enabled) << "also without windows";
    SectionsChild child;
    ASSERT_TRUE(child.CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD, CRect(0, 0, 5, 5),
                               &frame->GetMDIClient(), 0x4000));
    frame->SendMessage(WM_COMMAND, ID_WINDOW_TILE_HORZ);
    EXPECT_EQ(1, child.resets);
    child.DestroyWindow();
}

// ---------------------------------------------------------------- clearing the camera image list on exit

namespace {

std::string Scratch(const char* name)
{
    char full[MAX_PATH] = "";
    ::CreateDirectoryA(TESS_SCRATCH_DIR, nullptr);
    ::GetFullPathNameA((std::string(TESS_SCRATCH_DIR) + "\\" + name).c_str(), MAX_PATH, full, nullptr);
    return full;
}

void Touch(const std::string& path)
{
    std::ofstream(path, std::ios::binary) << "x";
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST_F(FrameTest, ClearingThumbnailsOnExitAsksAndCancelKeepsEverything)
{
    const std::string list = shell::GetProgramFolder() + "Image.lst";
    const std::string first = Scratch("frame_clear_a.xqv");
    const std::string second = Scratch("frame_clear_b.jpg");
    for (const std::string& path : {first, second})
        Touch(path);
    Touch(Scratch("frame_clear_a.ipi"));
    // The second image is read-only: clearing makes it deletable.
    ::SetFileAttributesA(second.c_str(), FILE_ATTRIBUTE_READONLY);
    std::ofstream(list, std::ios::binary) << "1\t" << first << "\r\n\r\n" << second << "\n";
    SetInt(1050, 1);
    MakeFrame();

    {
        MessageBoxScript boxes{{"All thumbnails will now be removed.", IDCANCEL}};
        frame->SendMessage(WM_CLOSE);
        PumpUntilIdle();
    }
    ASSERT_EQ(frame, CMainFrame::Get()) << "Cancel keeps the program running";
    EXPECT_TRUE(Exists(first));
    EXPECT_TRUE(Exists(second));
    EXPECT_TRUE(Exists(list));

    {
        MessageBoxScript boxes{{"All thumbnails will now be removed.", IDOK}};
        frame->SendMessage(WM_CLOSE);
        PumpUntilIdle();
    }
    EXPECT_EQ(nullptr, CMainFrame::Get());
    frame = nullptr;
    TakeQuit();
    AfxGetApp()->m_pMainWnd = nullptr;
    EXPECT_FALSE(Exists(first));
    EXPECT_FALSE(Exists(Scratch("frame_clear_a.ipi")));
    EXPECT_FALSE(Exists(second));
    EXPECT_FALSE(Exists(list));
}

TEST_F(FrameTest, ClearingThumbnailsWithAMissingListAsksNothing)
{
    ::DeleteFileA((shell::GetProgramFolder() + "Image.lst").c_str());
    SetInt(1050, 1);
    MakeFrame();
    frame->SendMessage(WM_CLOSE);
    PumpUntilIdle();
    EXPECT_EQ(nullptr, CMainFrame::Get());
    frame = nullptr;
    TakeQuit();
    AfxGetApp()->m_pMainWnd = nullptr;
}
