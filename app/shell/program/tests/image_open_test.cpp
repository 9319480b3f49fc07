// Images in the program: files given on the command line open through the
// image template into image windows whose views draw them, Save As runs
// through the command path into the document's save, and an engine that
// could not start refuses the files with its message. The application runs
// in this process, with the default profiles installed as an installation
// would put them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/core/docview/image_frame.h"
#include "app/core/docview/image_view.h"
#include "app/core/document/image_doc.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/save/tests/save_test_util.h"
#include "app/shell/program/image_hosts.h"
#include "app/shell/program/install/default_profiles.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/program/tests/program_fixture.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "testing/gui_test.h"

namespace fs = std::filesystem;
using namespace save_test;
using namespace program_test;

namespace {

constexpr UINT kFileSaveAs = 57604;

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

TEST_F(ImageOpenTest, TheEngineReadsItsDebugSwitchesFromTheSettingsWhileTheProgramRuns)
{
    shell::GetRegistryStore().SetInt(shell::kScopeUser, "Debug", "AppOption8", 1);
    Start({kNoCameraModule, kNoCameraModule});
    EXPECT_EQ(1, GetEngineDebugSettings().GetInt("AppOption8", 0));
    EXPECT_EQ(0, GetEngineDebugSettings().GetInt("AppOption3", 0));
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
