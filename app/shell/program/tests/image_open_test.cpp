// Images in the program: files given on the command line open through the
// image template into image windows whose views draw them, Save As runs
// through the command path into the document's save, and an engine that
// could not start refuses the files with its message. The application runs
// in this process, with the default profiles installed as an installation
// would put them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/core/docview/image_frame.h"
#include "app/core/docview/image_view.h"
#include "app/core/document/image_doc.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/save/tests/save_test_util.h"
#include "app/core/load/image_load.h"
#include "app/core/testing/blob_test_util.h"
#include "app/core/testing/record_settings_test_util.h"
#include "app/shell/dialogs/dlg_copy_settings.h"
#include "app/shell/program/hand_over.h"
#include "app/shell/program/image_hosts.h"
#include "app/shell/program/install/default_profiles.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/program/tests/program_fixture.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "clx/recentfiles.h"
#include "clx/resource.h"
#include "testing/gui_test.h"

namespace fs = std::filesystem;
using namespace save_test;
using namespace program_test;

namespace {

constexpr UINT kFileSaveAs = 57604;
constexpr UINT kFileSave = 57603;

const MessageBoxScript::Box kNoProfiles{"check the CMS Profiles", IDOK};

// The committed view background: 8-pixel squares of two greys.
bool IsBackground(COLORREF colour)
{
    return colour == RGB(0xCC, 0xCC, 0xCC) || colour == RGB(0x99, 0x99, 0x99);
}

// Writes the image (then destroys it) with the tags through the file
// library's saver; the deepest error, 0 when the file was written.
int32_t WriteFile(IVorlatImage* image, IVorlatTagControl* tags, uint32_t format, int32_t option,
                  const std::string& path)
{
    const int32_t error = WriteWithLibrary(path, image, tags, static_cast<int32_t>(format), option);
    image->Destroy();
    return error;
}

// The save dialog answered: TIFF under the given path.
class CScriptedSaveHost final : public CAppImageDocHost {
public:
    using CAppImageDocHost::CAppImageDocHost;
    bool PromptSaveAs(SaveAsRequest& request) override
    {
        ++prompts;
        request.path = path;
        request.format = kFormatTiff;
        return true;
    }
    std::string path;
    int prompts = 0;
};

class ImageOpenTest : public ProgramTest {
protected:
    ImageOpenTest() : ProgramTest("images_") {}
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (!HasFatalFailure())
            WriteImages();
    }

    // A raw file as the camera writes it and a camera JPEG: bright block top
    // left, dark bar on the right.
    void WriteImages()
    {
        IVorlatManager* manager = MakeManager(65536);
        {
            Tags tags;
            SetSourceTags(tags, "KORVA M4X", true);
            std::vector<uint8_t> samples;
            for (int32_t i = 0; i < 160 * 120; ++i) {
                const int32_t v = 600 + (i * 37) % 2400;
                samples.push_back(static_cast<uint8_t>(v));
                samples.push_back(static_cast<uint8_t>(v >> 8));
            }
            rawPath = Absolute(scratch / "DSC_0001.xqv");
            ASSERT_EQ(0, WriteFile(MakeImage(manager, 64, 160, 120, samples), tags.tags, kFormatRawTiff, 0, rawPath));
        }
        {
            Tags tags;
            SetSourceTags(tags, "KORVA M4X", false);
            jpegPath = Absolute(scratch / "DSC_0002.jpg");
            // Quality 5: full-resolution colour, so the block and the bar keep their edges.
            ASSERT_EQ(0, WriteFile(MakeImage(manager, 32, 96, 64, MarkedPixels(96, 64, false)), tags.tags,
                                   kFormatExifJpeg, 5, jpegPath));
        }
        manager->Destroy();
    }

    void Finish()
    {
        SetImageDocHost(nullptr);
        // Nothing to save: the windows close without a question.
        if (TestApp().m_pMainWnd)
            for (CImageFrame* frame : ImageFrames())
                if (auto* doc = dynamic_cast<CImageDoc*>(frame->GetActiveDocument()))
                    doc->SetModifiedFlag(FALSE);
        ProgramTest::Finish();
    }

    static std::vector<CImageFrame*> ImageFrames()
    {
        std::vector<CImageFrame*> frames;
        HWND client = ::FindWindowExA(TestApp().m_pMainWnd->m_hWnd, nullptr, "MDIClient", nullptr);
        for (HWND child = ::GetWindow(client, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (auto* frame = dynamic_cast<CImageFrame*>(CWnd::FromHandlePermanent(child)))
                frames.push_back(frame);
        return frames;
    }
    // The image window whose title (the path, long ones shortened from the front) names the file.
    static CImageFrame* FrameOf(const std::string& path)
    {
        const std::string name = fs::path(path).filename().string();
        for (CImageFrame* frame : ImageFrames())
            if (std::string(static_cast<const char*>(frame->GetWindowText())).find("\\" + name) != std::string::npos)
                return frame;
        return nullptr;
    }
    // Paints until no part of the view waits for a tile.
    static bool PaintFully(CImageView* view)
    {
        for (int round = 0; round < 100; ++round) {
            if (!::GetUpdateRect(view->m_hWnd, nullptr, FALSE))
                return true;
            PumpUntilIdle();
        }
        return !::GetUpdateRect(view->m_hWnd, nullptr, FALSE);
    }

    // The main frame's menu as the user opens it: the submenu that holds
    // `id`, brought up to date as WM_INITMENUPOPUP does.
    static HMENU OpenMenuHolding(UINT id)
    {
        HWND main = TestApp().m_pMainWnd->m_hWnd;
        HMENU bar = ::GetMenu(main);
        for (int i = 0, n = ::GetMenuItemCount(bar); i < n; ++i) {
            HMENU sub = ::GetSubMenu(bar, i);
            if (!sub)
                continue;
            ::SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(i, FALSE));
            for (int j = 0, m = ::GetMenuItemCount(sub); j < m; ++j)
                if (::GetMenuItemID(sub, j) == id)
                    return sub;
        }
        return nullptr;
    }
    static std::string MenuText(HMENU menu, UINT id)
    {
        char text[512] = "";
        ::GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    static void Activate(CImageFrame* frame)
    {
        ::SendMessageA(::GetParent(frame->m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame->m_hWnd), 0);
        PumpUntilIdle();
    }
    static void HandOver(ULONG_PTR id, const void* record, DWORD size)
    {
        COPYDATASTRUCT data{id, size, const_cast<void*>(record)};
        ::SendMessageA(TestApp().m_pMainWnd->m_hWnd, WM_COPYDATA, reinterpret_cast<WPARAM>(::GetDesktopWindow()),
                       reinterpret_cast<LPARAM>(&data));
        PumpUntilIdle();
    }
    // The running program as it looks, kept for review.
    static void KeepScreenshot(const char* name)
    {
        const fs::path artefacts = fs::path(TESS_SCRATCH_DIR) / ".." / "artefacts";
        fs::create_directories(artefacts);
        EXPECT_TRUE(clx::test::CaptureWindow(TestApp().m_pMainWnd->m_hWnd, true)
                        .SaveBmp((artefacts / name).string()));
    }

    // A working or monitor profile as version 4 profiles are written, which
    // the colour engine cannot read.
    std::string WriteVersion4Profile()
    {
        const std::string path = Absolute(scratch / "Display v4.icc");
        const std::vector<uint8_t> bytes = qrvtest::ParametricRgbProfile(0x04300000).Build();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::string rawPath, jpegPath;
};

TEST_F(ImageOpenTest, FilesOfTheCommandLineOpenInImageWindowsThatDrawThem)
{
    // One written with forward slashes, which the system takes as separators too.
    std::string slashed = jpegPath;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    TestApp().words = {rawPath, slashed};
    Start({kNoCameraModule, kNoCameraModule});
    ASSERT_EQ(0u, TestApp().GetStartupError());
    EXPECT_EQ(2, TestApp().GetOpenDocumentCount());

    for (const std::string& path : {rawPath, jpegPath}) {
        SCOPED_TRACE(path);
        CImageFrame* frame = FrameOf(path);
        ASSERT_NE(nullptr, frame) << "no image window titled with the file's name";
        auto* view = dynamic_cast<CImageView*>(frame->GetActiveView());
        ASSERT_NE(nullptr, view);
        auto* doc = dynamic_cast<CImageDoc*>(view->GetDocument());
        ASSERT_NE(nullptr, doc);
        EXPECT_TRUE(doc->IsOpened());
        EXPECT_EQ(path == rawPath, doc->IsRawImage());
        // The image menu's hand-offs: to the outside editor once OLE runs, as
        // the camera curves sample for a raw file only.
        clx::StateCmdUI editor(CImageDisplayView::kCmdOpenInEditor);
        clx::StateCmdUI sample(CImageDisplayView::kCmdUseForCameraCurvesSample);
        view->OnCmdMsg(editor.m_nID, CN_UPDATE_COMMAND_UI, &editor, nullptr);
        view->OnCmdMsg(sample.m_nID, CN_UPDATE_COMMAND_UI, &sample, nullptr);
        EXPECT_TRUE(editor.m_bEnabled);
        EXPECT_EQ(path == rawPath, sample.m_bEnabled);
        ::SendMessageA(::GetParent(frame->m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame->m_hWnd), 0);
        ASSERT_TRUE(PaintFully(view));

        // The image's part of the window is drawn, not left to the background.
        const CSize total = view->GetTotalSize();
        const CRect client = view->GetClientRect();
        ASSERT_GT(total.cx, 8);
        ASSERT_GT(total.cy, 8);
        const clx::test::Image shot = clx::test::CaptureWindow(view->m_hWnd, false);
        const int width = std::min<int>(total.cx, client.Width());
        const int height = std::min<int>(total.cy, client.Height());
        std::vector<COLORREF> seen;
        for (int y = height / 8; y < height; y += height / 4)
            for (int x = width / 8; x < width; x += width / 4)
                seen.push_back(shot.PixelAt(x, y));
        for (COLORREF colour : seen)
            EXPECT_FALSE(IsBackground(colour)) << std::hex << colour;
        EXPECT_NE(std::count(seen.begin(), seen.end(), seen.front()), static_cast<std::ptrdiff_t>(seen.size()))
            << "one colour everywhere";
        if (path == jpegPath) {
            // Small enough to be shown at 1:1.
            ASSERT_EQ(CSize(96, 64), total);
            const COLORREF bright = shot.PixelAt(8, 8), dark = shot.PixelAt(90, 32);
            EXPECT_GT(GetRValue(bright) + GetGValue(bright) + GetBValue(bright), 3 * 200) << std::hex << bright;
            EXPECT_LT(GetRValue(dark) + GetGValue(dark) + GetBValue(dark), 3 * 60) << std::hex << dark;
        }
    }

    // The running program as it looks, kept for review.
    const fs::path artefacts = fs::path(TESS_SCRATCH_DIR) / ".." / "artefacts";
    fs::create_directories(artefacts);
    EXPECT_TRUE(clx::test::CaptureWindow(TestApp().m_pMainWnd->m_hWnd, true)
                    .SaveBmp((artefacts / "tessaline_main_window.bmp").string()));
    Finish();
}

TEST_F(ImageOpenTest, SaveAsThroughTheCommandWritesTheChosenTiff)
{
    TestApp().words = {jpegPath};
    Start({kNoCameraModule, kNoCameraModule});
    CImageFrame* frame = FrameOf(jpegPath);
    ASSERT_NE(nullptr, frame);
    ::SendMessageA(::GetParent(frame->m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame->m_hWnd), 0);
    PumpUntilIdle();

    // Without a save dialog in the program, the command says so.
    {
        MessageBoxScript boxes{{"Save As dialog is not available", IDOK}};
        TestApp().m_pMainWnd->SendMessage(WM_COMMAND, kFileSaveAs, 0);
        PumpUntilIdle();
    }

    CScriptedSaveHost scripted(TestApp());
    scripted.path = Absolute(scratch / "saved.tif");
    SetImageDocHost(&scripted);
    TestApp().m_pMainWnd->SendMessage(WM_COMMAND, kFileSaveAs, 0);
    PumpUntilIdle();
    EXPECT_EQ(1, scripted.prompts);
    ASSERT_TRUE(fs::exists(scripted.path));

    IVorlatManager* manager = MakeManager(65536);
    const Reread tiff = ReadBack(manager, scripted.path);
    manager->Destroy();
    EXPECT_EQ(0, tiff.error);
    EXPECT_EQ(static_cast<int32_t>(kFormatTiff), tiff.format);
    EXPECT_EQ(96, tiff.width);
    EXPECT_EQ(64, tiff.height);
    // The window now stands for the saved file.
    EXPECT_STREQ(scripted.path.c_str(), static_cast<const char*>(frame->GetActiveDocument()->GetPathName()));
    Finish();
}

TEST_F(ImageOpenTest, SaveNeverReplacesACameraJpegAndRewritesARawInPlaceWithItsMosaic)
{
    TestApp().words = {rawPath, jpegPath};
    Start({kNoCameraModule, kNoCameraModule});
    CImageFrame* jpegFrame = FrameOf(jpegPath);
    CImageFrame* rawFrame = FrameOf(rawPath);
    ASSERT_NE(nullptr, jpegFrame);
    ASSERT_NE(nullptr, rawFrame);
    HWND main = TestApp().m_pMainWnd->m_hWnd;

    // A crop drawn on the camera JPEG, then Ctrl+S: the original stays as the camera wrote it.
    Activate(jpegFrame);
    auto* jpeg = dynamic_cast<CImageDoc*>(jpegFrame->GetActiveDocument());
    ASSERT_NE(nullptr, jpeg);
    jpeg->GetRecord().sizeRes.SetCropRect(QzDblRect{20, 20, 120, 100});
    jpeg->SetModifiedFlag(TRUE);
    const std::vector<uint8_t> original = ReadAll(jpegPath);
    {
        MessageBoxScript boxes{{"Use Save As", IDOK}};
        PressKey(main, 'S', kCtrl);
        PumpUntilIdle();
        ASSERT_EQ(1u, boxes.shown.size());
        EXPECT_NE(std::string::npos, boxes.shown[0].find(jpegPath)) << boxes.shown[0];
        KeepScreenshot("tessaline_save_camera_jpeg.bmp");
    }
    EXPECT_EQ(original, ReadAll(jpegPath));
    EXPECT_TRUE(jpeg->IsModified());
    const std::vector<fs::path> expected = {rawPath, jpegPath};
    for (const auto& entry : fs::directory_iterator(scratch)) {
        if (entry.is_regular_file()) {
            EXPECT_NE(expected.end(), std::find(expected.begin(), expected.end(), entry.path()))
                << "written: " << entry.path();
        }
    }

    // The raw file is written again in place, with its settings, and opens as a camera original.
    Activate(rawFrame);
    auto* raw = dynamic_cast<CImageDoc*>(rawFrame->GetActiveDocument());
    ASSERT_NE(nullptr, raw);
    raw->GetRecord().name = "Evening";
    raw->SetModifiedFlag(TRUE);
    const std::vector<uint8_t> rawBefore = ReadAll(rawPath);
    PressKey(main, 'S', kCtrl);
    PumpUntilIdle();
    EXPECT_FALSE(raw->IsModified());
    EXPECT_NE(rawBefore, ReadAll(rawPath));
    CImageRecord again;
    ASSERT_EQ(0, LoadImageFile(&again, rawPath.c_str(), true, 0));
    int32_t colorSpace = 0;
    ASSERT_NE(nullptr, again.imageData);
    if (IVorlatError* err = again.imageData->GetColorSpace(&colorSpace))
        err->Destroy();
    EXPECT_EQ(64, colorSpace) << "the mosaic is kept";
    EXPECT_STREQ("Evening", static_cast<const char*>(again.name));
    jpeg->SetModifiedFlag(FALSE);
    Finish();
}

TEST_F(ImageOpenTest, FileExitIsEnabledAndEndsTheProgramThroughTheSavePrompts)
{
    // The frame's own close stores which windows are open: the next tests start as before.
    const shell::SettingId stored[] = {1130, 1131, 1132, 1133, 1134, 1135, 1136, 1137, 1146, 1147, 1148, 1149};
    std::vector<int32_t> before;
    for (shell::SettingId id : stored) {
        int32_t value = 0;
        shell::GetIntSetting(id, &value);
        before.push_back(value);
    }
    struct Restore {
        const shell::SettingId* ids;
        const std::vector<int32_t>& values;
        ~Restore()
        {
            for (size_t i = 0; i < values.size(); ++i)
                shell::SetIntSetting(ids[i], values[i]);
        }
    } restore{stored, before};

    TestApp().words = {jpegPath};
    Start({kNoCameraModule, kNoCameraModule});
    HMENU file = OpenMenuHolding(ID_APP_EXIT);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0u, ::GetMenuState(file, ID_APP_EXIT, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    CImageFrame* frame = FrameOf(jpegPath);
    ASSERT_NE(nullptr, frame);
    dynamic_cast<CImageDoc*>(frame->GetActiveDocument())->SetModifiedFlag(TRUE);
    HWND main = TestApp().m_pMainWnd->m_hWnd;

    // Cancel at the save question: the program goes on.
    {
        MessageBoxScript boxes{{"Save changes", IDCANCEL}};
        ::SendMessageA(main, WM_COMMAND, ID_APP_EXIT, 0);
        PumpUntilIdle();
    }
    ASSERT_TRUE(::IsWindow(main));
    EXPECT_EQ(1, TestApp().GetOpenDocumentCount());

    {
        MessageBoxScript boxes{{"Save changes", IDNO}};
        ::SendMessageA(main, WM_COMMAND, ID_APP_EXIT, 0);
        PumpUntilIdle();
    }
    EXPECT_FALSE(::IsWindow(main));
    EXPECT_EQ(0, TestApp().GetOpenDocumentCount());
    EXPECT_EQ(0, TakeQuit()) << "the message loop ends";
    SetImageDocHost(nullptr);
    TestApp().ExitInstance();
}

TEST_F(ImageOpenTest, AFileHandedOverOpensAsADocumentAndOtherRecordsAreRefusedOrIgnored)
{
    Start({kNoCameraModule, kNoCameraModule});
    const auto record = shell::MakeHandOverRecord(jpegPath, false, false);
    ASSERT_TRUE(record);

    // Malformed records: another id, a short or long record, a path without its end.
    HandOver(0x800A, &*record, sizeof *record);
    HandOver(shell::kHandOverDataId, &*record, sizeof *record - 1);
    std::vector<char> longer(sizeof *record + 4, '\0');
    std::memcpy(longer.data(), &*record, sizeof *record);
    HandOver(shell::kHandOverDataId, longer.data(), static_cast<DWORD>(longer.size()));
    shell::HandOverRecord unterminated = *record;
    std::memset(unterminated.path, 'a', sizeof unterminated.path);
    HandOver(shell::kHandOverDataId, &unterminated, sizeof unterminated);
    HandOver(shell::kHandOverDataId, nullptr, 0);
    EXPECT_EQ(0, TestApp().GetOpenDocumentCount());

    // While a modal dialog holds the frame disabled the file is dropped.
    TestApp().m_pMainWnd->EnableWindow(FALSE);
    HandOver(shell::kHandOverDataId, &*record, sizeof *record);
    TestApp().m_pMainWnd->EnableWindow(TRUE);
    EXPECT_EQ(0, TestApp().GetOpenDocumentCount());

    // An import has nowhere to go yet: the user is told, nothing opens.
    {
        const auto import = shell::MakeHandOverRecord(rawPath, true, true);
        ASSERT_TRUE(import);
        MessageBoxScript boxes{{"was not imported", IDOK}};
        HandOver(shell::kHandOverDataId, &*import, sizeof *import);
        EXPECT_NE(std::string::npos, boxes.shown.at(0).find(rawPath));
    }
    EXPECT_EQ(0, TestApp().GetOpenDocumentCount());
    EXPECT_TRUE(fs::exists(rawPath)) << "a refused import deletes nothing";

    HandOver(shell::kHandOverDataId, &*record, sizeof *record);
    EXPECT_EQ(1, TestApp().GetOpenDocumentCount());
    EXPECT_NE(nullptr, FrameOf(jpegPath));
    KeepScreenshot("tessaline_handed_over.bmp");
    Finish();
}

TEST_F(ImageOpenTest, OpenedFilesGoIntoTheRecentFilesAndSavesDoNot)
{
    Start({kNoCameraModule, kNoCameraModule});
    CRecentFileList& recent = *TestApp().m_pRecentFileList;
    while (!recent[0].IsEmpty())
        recent.Remove(0);

    ASSERT_NE(nullptr, TestApp().OpenDocumentFile(rawPath.c_str()));
    const auto record = shell::MakeHandOverRecord(jpegPath, false, false);
    HandOver(shell::kHandOverDataId, &*record, sizeof *record);
    EXPECT_EQ(0, recent[0].CompareNoCase(jpegPath.c_str())) << static_cast<const char*>(recent[0]);
    EXPECT_EQ(0, recent[1].CompareNoCase(rawPath.c_str())) << static_cast<const char*>(recent[1]);

    // The File menu lists them, newest first, and each entry opens its file.
    HMENU file = OpenMenuHolding(ID_FILE_MRU_FILE1);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0u, ::GetMenuState(file, ID_FILE_MRU_FILE1, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    EXPECT_NE(std::string::npos, MenuText(file, ID_FILE_MRU_FILE1).find("DSC_0002.jpg"))
        << MenuText(file, ID_FILE_MRU_FILE1);
    EXPECT_NE(std::string::npos, MenuText(file, ID_FILE_MRU_FILE1 + 1).find("DSC_0001.xqv"))
        << MenuText(file, ID_FILE_MRU_FILE1 + 1);
    KeepScreenshot("tessaline_recent_files.bmp");
    CImageFrame* rawFrame = FrameOf(rawPath);
    ASSERT_NE(nullptr, rawFrame);
    rawFrame->SendMessage(WM_CLOSE);
    PumpUntilIdle();
    ASSERT_EQ(1, TestApp().GetOpenDocumentCount());
    TestApp().m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1, 0);
    PumpUntilIdle();
    EXPECT_EQ(2, TestApp().GetOpenDocumentCount());
    EXPECT_EQ(0, recent[0].CompareNoCase(rawPath.c_str()));

    // A save under a new name leaves the list alone.
    CImageFrame* jpegFrame = FrameOf(jpegPath);
    ASSERT_NE(nullptr, jpegFrame);
    Activate(jpegFrame);
    CScriptedSaveHost scripted(TestApp());
    scripted.path = Absolute(scratch / "saved.tif");
    SetImageDocHost(&scripted);
    TestApp().m_pMainWnd->SendMessage(WM_COMMAND, kFileSaveAs, 0);
    PumpUntilIdle();
    ASSERT_TRUE(fs::exists(scripted.path));
    EXPECT_EQ(0, recent[0].CompareNoCase(rawPath.c_str()));
    EXPECT_EQ(0, recent[1].CompareNoCase(jpegPath.c_str()));
    EXPECT_TRUE(recent[2].IsEmpty());
    Finish();
}

TEST_F(ImageOpenTest, TheWindowMenuNamesANewImageWindowAtOnce)
{
    Start({kNoCameraModule, kNoCameraModule});
    ASSERT_NE(nullptr, TestApp().OpenDocumentFile(jpegPath.c_str()));
    // No idle pass in between: the user may open the menu right away.
    HMENU window = OpenMenuHolding(ID_WINDOW_CASCADE);
    ASSERT_NE(nullptr, window);
    const std::string entry = MenuText(window, AFX_IDM_FIRST_MDICHILD);
    EXPECT_NE(std::string::npos, entry.find("DSC_0002.jpg")) << "\"" << entry << "\"";
    Finish();
}

TEST_F(ImageOpenTest, NoImageWindowShowsBehindTheMessageOfAFileThatCouldNotBeOpened)
{
    const std::string broken = Absolute(scratch / "broken.jpg");
    std::ofstream(broken, std::ios::binary) << "not an image at all";
    Start({kNoCameraModule, kNoCameraModule});
    HWND client = ::FindWindowExA(TestApp().m_pMainWnd->m_hWnd, nullptr, "MDIClient", nullptr);
    std::vector<std::string> shown;
    int visibleChildren = 0;
    clx::SetMessageBoxHandler([&](HWND, const char* text, const char*, UINT) {
        shown.emplace_back(text);
        for (HWND child = ::GetWindow(client, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::IsWindowVisible(child))
                ++visibleChildren;
        return IDOK;
    });
    EXPECT_EQ(nullptr, TestApp().OpenDocumentFile(broken.c_str()));
    { MessageBoxScript none{}; }
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(std::string::npos, shown[0].find("broken.jpg")) << shown[0];
    EXPECT_EQ(0, visibleChildren) << "an image window stood behind the message";
    EXPECT_EQ(nullptr, ::GetWindow(client, GW_CHILD));

    // A file that opens still shows its window.
    ASSERT_NE(nullptr, TestApp().OpenDocumentFile(jpegPath.c_str()));
    CImageFrame* frame = FrameOf(jpegPath);
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(frame->IsWindowVisible());
    Finish();
}

TEST_F(ImageOpenTest, CopyImageAdjustmentsCopiesOnlyTheGroupsTickedInItsDialog)
{
    const std::string secondRaw = Absolute(scratch / "DSC_0003.xqv");
    fs::copy_file(rawPath, secondRaw);
    TestApp().words = {rawPath, secondRaw};
    Start({kNoCameraModule, kNoCameraModule});
    CImageFrame* sourceFrame = FrameOf(rawPath);
    CImageFrame* targetFrame = FrameOf(secondRaw);
    ASSERT_TRUE(sourceFrame && targetFrame);
    auto* source = dynamic_cast<CImageView*>(sourceFrame->GetActiveView());
    auto* target = dynamic_cast<CImageView*>(targetFrame->GetActiveView());
    ASSERT_TRUE(source && target && source->GetRecord() && target->GetRecord());
    CImageRecord& from = *source->GetRecord();
    CImageRecord& to = *target->GetRecord();
    core_test::EditEverySetting(from);
    auto blobs = [](const CQzRecordSettings& record) {
        return std::vector<std::vector<uint8_t>>{
            core_test::Blob(record.curves),   core_test::Blob(record.colourBalance), core_test::Blob(record.sizeRes),
            core_test::Blob(record.usm),      core_test::Blob(record.exposure),      core_test::Blob(record.whiteBalance),
            core_test::Blob(record.noiseReduction)};
    };
    auto flags = [](const CQzRecordSettings& record) {
        return std::vector<uint32_t>{record.colourBalanceOn, record.usmOn, record.exposureOn, record.whiteBalanceOn,
                                     record.noiseReductionOn};
    };
    const std::vector<std::vector<uint8_t>> before = blobs(to);
    const std::vector<uint32_t> flagsBefore = flags(to);
    ASSERT_NE(core_test::Blob(from.curves), before[0]);

    // The command opens the dialog; only Curves stays ticked.
    {
        ModalScript script([&](CDlgCopySettings& dialog) {
            for (UINT id = 1222; id <= 1227; ++id) {
                HWND box = ::GetDlgItem(dialog.m_hWnd, static_cast<int>(id));
                const bool checked = ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
                if (checked != (id == 1222))
                    ::SendMessageA(box, BM_CLICK, 0, 0);
            }
            ClickButton(dialog.m_hWnd, IDOK);
        });
        source->SendMessage(WM_COMMAND, kCmdCopyImageAdjustments);
        PumpUntilIdle();
    }
    target->SendMessage(WM_COMMAND, kCmdPaste);
    PumpUntilIdle();

    const std::vector<std::vector<uint8_t>> after = blobs(to);
    EXPECT_EQ(core_test::Hex(after[0]), core_test::Hex(core_test::Blob(from.curves)));
    EXPECT_EQ(to.curvesOn, 1u);
    for (size_t i = 1; i < after.size(); ++i)
        EXPECT_EQ(core_test::Hex(after[i]), core_test::Hex(before[i])) << "group " << i;
    EXPECT_EQ(flags(to), flagsBefore);
    Finish();
}

TEST_F(ImageOpenTest, TheEngineReadsItsDebugSwitchesFromTheSettingsWhileTheProgramRuns)
{
    shell::GetRegistryStore().SetInt(shell::kScopeUser, "Debug", "AppOption8", 1);
    Start({kNoCameraModule, kNoCameraModule});
    EXPECT_EQ(1, GetEngineDebugSettings().GetInt("AppOption8", 0));
    EXPECT_EQ(0, GetEngineDebugSettings().GetInt("AppOption3", 0));
    // A switch that is not there answers the caller's default.
    EXPECT_EQ(5, GetEngineDebugSettings().GetInt("AppOption6", 5));
    Finish();
    EXPECT_EQ(0, GetEngineDebugSettings().GetInt("AppOption8", 0));
    shell::GetRegistryStore().SetInt(shell::kScopeUser, "Debug", "AppOption8", 0);
}

TEST_F(ImageOpenTest, WithoutItsProfilesTheEngineRefusesTheFilesAndTheProgramEnds)
{
    shell::SetStringSetting(kRGBProfile, Absolute(scratch / "missing.icm").c_str());
    TestApp().words = {rawPath};
    {
        MessageBoxScript boxes{kNoProfiles, kNoProfiles};
        EXPECT_FALSE(TestApp().InitInstance());
        PumpUntilIdle();
    }
    EXPECT_EQ(6146u, TestApp().GetStartupError());
    EXPECT_EQ(0, TestApp().GetOpenDocumentCount());
    EXPECT_EQ(nullptr, ::FindWindowA("Tessaline1", nullptr));
    PumpUntilIdle();
    TakeQuit();
    TestApp().ExitInstance();
}

// Named at start-up, a profile the engine cannot read counts as a missing
// one (every file is refused), and its message says which and why.
TEST_F(ImageOpenTest, AVersion4ProfileIsRefusedAtStartUpByNameAndWhy)
{
    for (const shell::SettingId setting : {kRGBProfile, kMonitorProfile}) {
        SCOPED_TRACE(setting);
        const std::string version4 = WriteVersion4Profile();
        shell::SetStringSetting(setting, version4.c_str());
        TestApp().words = {jpegPath};
        {
            MessageBoxScript boxes{{version4 + " cannot be used: it is a version 4 ICC profile", IDOK}, kNoProfiles};
            EXPECT_FALSE(TestApp().InitInstance());
            PumpUntilIdle();
        }
        EXPECT_EQ(6146u, TestApp().GetStartupError());
        EXPECT_EQ(0, TestApp().GetOpenDocumentCount());
        PumpUntilIdle();
        TakeQuit();
        TestApp().ExitInstance();
        SetUp();
    }
}

// A profile that the engine cannot read by the time an image is developed
// (here the working profile, named anew while the program runs) fails the
// save with a message that names it and says why, never a bare failure.
TEST_F(ImageOpenTest, ADevelopWithAProfileTheEngineCannotReadSaysWhichAndWhy)
{
    TestApp().words = {jpegPath};
    Start({kNoCameraModule, kNoCameraModule});
    CImageFrame* frame = FrameOf(jpegPath);
    ASSERT_NE(nullptr, frame);
    ::SendMessageA(::GetParent(frame->m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame->m_hWnd), 0);
    PumpUntilIdle();

    std::string paths[4];
    for (int n = 0; n < 4; ++n)
        paths[n] = GetColorProfilePath(n);
    const std::string version4 = WriteVersion4Profile();
    ASSERT_EQ(1, SetColorProfilePaths(version4.c_str(), paths[1].c_str(), paths[2].c_str(), paths[3].c_str()));

    CScriptedSaveHost scripted(TestApp());
    scripted.path = Absolute(scratch / "developed.tif");
    SetImageDocHost(&scripted);
    {
        MessageBoxScript boxes{{version4 + " cannot be used: it is a version 4 ICC profile", IDOK}};
        TestApp().m_pMainWnd->SendMessage(WM_COMMAND, kFileSaveAs, 0);
        PumpUntilIdle();
    }
    EXPECT_EQ(1, scripted.prompts);
    EXPECT_FALSE(fs::exists(scripted.path));
    SetColorProfilePaths(paths[0].c_str(), paths[1].c_str(), paths[2].c_str(), paths[3].c_str());
    Finish();
}

}  // namespace
