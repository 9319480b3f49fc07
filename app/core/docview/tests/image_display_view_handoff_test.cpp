// The image menu's hand-offs sent to the view as WM_COMMAND: the outside
// image editor's against the fake editor registered under the editor's
// program id, and the camera curves sample read back through the file library.
#include <map>

#include "app/core/docview/tests/image_view_fixture.h"
#include "app/core/external_editor/win/photoshop_handoff.h"
#include "app/core/external_editor/win/tests/fake_editor_server.h"
#include "app/core/save/tests/save_test_util.h"

namespace {

using namespace docview_test;
using namespace fake_editor;

constexpr UINT kOpenInEditor = CImageDisplayView::kCmdOpenInEditor;
constexpr UINT kCameraCurvesSample = CImageDisplayView::kCmdUseForCameraCurvesSample;
constexpr uint32_t kSettingTempFolder = 1051;
constexpr uint32_t kSettingPhotoshopWarningDone = 1109;
constexpr uint32_t kMsgCameraSampleNotSaved = 9606;
constexpr uint32_t kMsgUseAsCameraSample = 9607;

// The program as the hand-offs see it: a settings store, message boxes
// answered from a table, the folders and the progress window's runs. The
// drawing manager and the main window are the fixture's.
struct HandoffHost final : CQuietViewHost {
    explicit HandoffHost(const TestHost& base) : base_(base) {}
    HWND GetMainWindow() const override { return base_.main; }
    IVorlatManager* GetDrawingManager() const override { return base_.drawing; }
    int32_t GetIntSetting(uint32_t id, int32_t fallback) const override
    {
        const auto it = ints.find(id);
        return it == ints.end() ? fallback : it->second;
    }
    void SetIntSetting(uint32_t id, int32_t value) override { ints[id] = value; }
    std::string GetStringSetting(uint32_t id) const override
    {
        const auto it = strings.find(id);
        return it == strings.end() ? std::string() : it->second;
    }
    bool IsOleInitialized() const override { return ole; }
    int32_t ShowMessageBox(uint32_t id, uint32_t type) override
    {
        boxes.emplace_back(id, type);
        const auto it = answers.find(id);
        return it == answers.end() ? IDOK : it->second;
    }
    std::string GetProgramFolder() const override { return programFolder; }
    void BeginProgress(int32_t steps, uint32_t captionId) override { progress.emplace_back(steps, captionId); }

    std::vector<uint32_t> BoxIds() const
    {
        std::vector<uint32_t> ids;
        for (const auto& box : boxes)
            ids.push_back(box.first);
        return ids;
    }

    std::map<uint32_t, int32_t> ints;
    std::map<uint32_t, std::string> strings;
    bool ole = true;
    std::map<uint32_t, int32_t> answers;
    std::vector<std::pair<uint32_t, uint32_t>> boxes;
    std::string programFolder;
    std::vector<std::pair<int32_t, uint32_t>> progress;  // the runs begun and ended

private:
    const TestHost& base_;
};

class ViewHandoffTest : public ImageViewTest {
protected:
    void SetUp() override
    {
        ImageViewTest::SetUp();
        ASSERT_TRUE(AfxOleInit());
        ASSERT_TRUE(server_.Register());
        // The settings keep the temporary folder without a trailing backslash.
        handoff_.strings[kSettingTempFolder] = folder;
        handoff_.programFolder = folder + "\\";
        transferPath_ = folder + "\\PSXfer.tif";
        SetImageViewHost(&handoff_);
    }
    void TearDown() override
    {
        if (frame)
            Close();
        EXPECT_TRUE(server_.Revoke());
        EXPECT_EQ(editor_.alive, 0) << "every automation object was released";
        ImageViewTest::TearDown();
    }

    CImageDisplayView* ShowImageView(bool raw)
    {
        MakeRecord(raw, 96, 64);
        return ShowIn(new FakeImageDoc(*record), RUNTIME_CLASS(CImageView), 200, 150);
    }
    void Send(CImageDisplayView* view, UINT command) { view->SendMessage(WM_COMMAND, command, 0); }
    bool Exists(const std::string& path) const { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    FakeEditorServer server_;
    Editor& editor_ = server_.editor;
    HandoffHost handoff_{host};
    std::string transferPath_;
};

// One step under the caption of string 10023, then the end of the run.
const std::vector<std::pair<int32_t, uint32_t>> kPreparingRun = {{1, 10023}, {0, 0}};

TEST_F(ViewHandoffTest, OpenInEditorAsksOnceThenHandsTheDevelopedImageOverInTheEditorsOrder)
{
    MakeRecord(false, 96, 64);
    CImageDisplayView* view = Show(200, 150);
    ASSERT_NE(view, nullptr);

    // No leaves the setting alone and the editor untouched: the question comes again.
    handoff_.answers[kMsgPhotoshopFirstUse] = IDNO;
    Send(view, kOpenInEditor);
    ASSERT_EQ(handoff_.boxes.size(), 1u);
    EXPECT_EQ(handoff_.boxes[0], std::make_pair(kMsgPhotoshopFirstUse, UINT{MB_YESNO | MB_ICONQUESTION}));
    EXPECT_EQ(handoff_.GetIntSetting(kSettingPhotoshopWarningDone, 0), 0);
    EXPECT_TRUE(editor_.log.empty());
    EXPECT_EQ(editor_.made, 0);
    EXPECT_TRUE(handoff_.progress.empty());

    handoff_.answers[kMsgPhotoshopFirstUse] = IDYES;
    handoff_.boxes.clear();
    Send(view, kOpenInEditor);
    EXPECT_EQ(handoff_.BoxIds(), std::vector<uint32_t>{kMsgPhotoshopFirstUse});
    EXPECT_EQ(handoff_.GetIntSetting(kSettingPhotoshopWarningDone, 0), 1);
    // The duplicate's name is the view's string resource.
    EXPECT_EQ(editor_.log, kHandOverCalls);
    EXPECT_EQ(editor_.openedPath, transferPath_);
    EXPECT_TRUE(editor_.openedReadOnly) << "the developed file was there, read-only, when the editor opened it";
    EXPECT_EQ(handoff_.progress, kPreparingRun);
    EXPECT_FALSE(Exists(transferPath_));

    // Asked once only; a folder given with its backslash makes the same path.
    handoff_.boxes.clear();
    editor_.log.clear();
    handoff_.strings[kSettingTempFolder] = folder + "\\";
    Send(view, kOpenInEditor);
    EXPECT_TRUE(handoff_.boxes.empty());
    EXPECT_EQ(editor_.log, kHandOverCalls);
    EXPECT_EQ(editor_.openedPath, transferPath_);
    EXPECT_FALSE(Exists(transferPath_));
}

TEST_F(ViewHandoffTest, OpenInEditorShowsOneMessageAndLeavesNoTransferFileOnEveryFailure)
{
    MakeRecord(false, 96, 64);
    CImageDisplayView* view = Show(200, 150);
    ASSERT_NE(view, nullptr);
    handoff_.ints[kSettingPhotoshopWarningDone] = 1;
    const std::string missing = folder + "\\no such folder";

    struct Case {
        const char* what;
        const char* version;
        HRESULT refuseCreation;
        bool showable, failOpen, failDuplicate;
        bool missingTempFolder;
        uint32_t message;
    } cases[] = {
        {"editor too old", "4.0.1", S_OK, true, false, false, false, kMsgPhotoshopWrongVersion},
        {"editor busy", "14.0", RPC_E_SERVERCALL_RETRYLATER, true, false, false, false, kMsgPhotoshopBusy},
        {"editor cannot start", "14.0", E_OUTOFMEMORY, true, false, false, false, kMsgPhotoshopNotFound},
        {"develop fails", "14.0", S_OK, true, false, false, true, kMsgPhotoshopPrepareFailed},
        {"editor cannot be shown", "14.0", S_OK, false, false, false, false, kMsgPhotoshopCannotShow},
        {"open fails", "14.0", S_OK, true, true, false, false, kMsgPhotoshopOpenFailed},
        {"duplicate fails", "14.0", S_OK, true, false, true, false, kMsgPhotoshopDuplicateFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        editor_.version = c.version;
        editor_.refuseCreation = c.refuseCreation;
        editor_.showable = c.showable;
        editor_.failOpen = c.failOpen;
        editor_.failDuplicate = c.failDuplicate;
        editor_.log.clear();
        editor_.openedPath.clear();
        handoff_.strings[kSettingTempFolder] = c.missingTempFolder ? missing : folder;
        handoff_.boxes.clear();
        handoff_.progress.clear();
        Send(view, kOpenInEditor);
        EXPECT_EQ(handoff_.BoxIds(), std::vector<uint32_t>{c.message});
        EXPECT_FALSE(Exists(transferPath_));
        EXPECT_FALSE(Exists(missing + "\\PSXfer.tif"));
        EXPECT_EQ(editor_.alive, 0);
        if (c.failOpen || c.failDuplicate) {
            EXPECT_EQ(editor_.openedPath, transferPath_) << "the file was made before it went";
        }
        // The progress window's run ends whenever it began.
        if (!handoff_.progress.empty()) {
            EXPECT_EQ(handoff_.progress, kPreparingRun);
        }
    }
}

TEST_F(ViewHandoffTest, UpdateHandlersEnableTheHandOffsByRecordOleAndImageKind)
{
    struct Case {
        const char* what;
        bool imageView;  // else the plain display view, which never offers the sample
        bool withRecord, raw, ole;
        bool openInEditor, cameraSample;
    } cases[] = {
        {"no record", false, false, false, true, false, false},
        {"OLE not initialised", false, true, false, false, false, false},
        {"display view", false, true, true, true, true, false},
        {"image view, raw", true, true, true, false, false, true},
        {"image view, developed", true, true, false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        handoff_.ole = c.ole;
        CImageDisplayView* view = nullptr;
        if (c.imageView) {
            view = ShowImageView(c.raw);
        } else {
            if (c.withRecord)
                MakeRecord(c.raw, 96, 64);
            else
                record.reset();
            view = Show(200, 150);
        }
        ASSERT_NE(view, nullptr);
        clx::StateCmdUI editorUi(kOpenInEditor), sampleUi(kCameraCurvesSample);
        view->OnCmdMsg(kOpenInEditor, CN_UPDATE_COMMAND_UI, &editorUi, nullptr);
        view->OnCmdMsg(kCameraCurvesSample, CN_UPDATE_COMMAND_UI, &sampleUi, nullptr);
        EXPECT_EQ(editorUi.m_bEnabled, c.openInEditor);
        EXPECT_EQ(sampleUi.m_bEnabled, c.cameraSample);
        Close();
    }
}

TEST_F(ViewHandoffTest, CameraCurvesSampleAfterYesIsARawTiffWithinThePreviewBoxAndNoWritesNothing)
{
    MakeRecord(true, 420, 300);
    // The camera's make and model, with which the sample keeps the camera's tags.
    for (const auto& [tag, text] : {std::pair<TagId, std::string>{0x10F, "KORVA"}, {0x110, "KORVA M4X"}}) {
        const auto bytes = static_cast<uint32_t>(text.size() + 1);
        ASSERT_EQ(0, Deepest(record->tags->AddTag(tag)));
        ASSERT_EQ(0, Deepest(record->tags->SetTagValue(tag, kTagTypeText, bytes, text.c_str(), 0)));
    }
    CImageDisplayView* view = ShowIn(new FakeImageDoc(*record), RUNTIME_CLASS(CImageView), 200, 150);
    ASSERT_NE(view, nullptr);
    const std::string sample = folder + "\\CamCurve.bin";

    handoff_.answers[kMsgUseAsCameraSample] = IDNO;
    Send(view, kCameraCurvesSample);
    ASSERT_EQ(handoff_.boxes.size(), 1u);
    EXPECT_EQ(handoff_.boxes[0],
              std::make_pair(kMsgUseAsCameraSample, UINT{MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2}));
    EXPECT_FALSE(Exists(sample));

    handoff_.answers[kMsgUseAsCameraSample] = IDYES;
    handoff_.boxes.clear();
    Send(view, kCameraCurvesSample);
    EXPECT_EQ(handoff_.BoxIds(), std::vector<uint32_t>{kMsgUseAsCameraSample});
    ASSERT_TRUE(Exists(sample));
    // The raw-file format: a TIFF of the developed 16-bit image that keeps
    // the camera's tags, as the camera curves dialog loads it.
    IVorlatTagControl* tags = nullptr;
    ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&tags)));
    const save_test::Reread back = save_test::ReadBack(saving, sample, tags);
    const int32_t kind = GetImageFileKind(tags);
    tags->Destroy();
    ASSERT_EQ(back.error, 0);
    EXPECT_NE(back.format & (kFormatTiff | kFormatRawTiff), 0) << std::hex << back.format;
    EXPECT_EQ(back.colorSpace, 33);
    EXPECT_EQ(kind, 32);
    EXPECT_GT(back.width, 0);
    EXPECT_GT(back.height, 0);
    EXPECT_LE(back.width, 201);
    EXPECT_LE(back.height, 201);
    EXPECT_EQ(std::max(back.width, back.height), 201) << "scaled to fit the box";

    // A program folder the engine cannot write into gets the failure message.
    handoff_.programFolder = folder + "\\no such folder\\";
    handoff_.boxes.clear();
    Send(view, kCameraCurvesSample);
    EXPECT_EQ(handoff_.BoxIds(), (std::vector<uint32_t>{kMsgUseAsCameraSample, kMsgCameraSampleNotSaved}));
}

}  // namespace
