// "Open in Photoshop" against a fake editor: an automation server written
// here, registered under the editor's program id in the test prefix while a
// test runs, that logs every call it gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/external_editor/win/photoshop_handoff.h"
#include "app/core/external_editor/win/tests/fake_editor_server.h"
#include "testing/gui_test.h"

namespace {

using namespace fake_editor;

class RecordingHost : public IPhotoshopHandoffHost {
public:
    std::vector<uint32_t> messages;
    int firstUseAnswer = IDYES;
    bool warningDone = true;
    std::string folder;
    int32_t developResult = 0;
    std::string developedPath;
    int progress = 0;  // shows minus ends

    int ShowMessage(uint32_t textId, uint32_t) override
    {
        messages.push_back(textId);
        return textId == kMsgPhotoshopFirstUse ? firstUseAnswer : IDOK;
    }
    std::string LoadText(uint32_t textId) override { return textId == kStrPhotoshopUntitled ? "Untitled" : "?"; }
    bool IsFirstUseWarningDone() override { return warningDone; }
    void SetFirstUseWarningDone() override { warningDone = true; }
    std::string GetTempFolder() override { return folder; }
    void ShowProgress(bool show) override { progress += show ? 1 : -1; }
    bool failIfExists = false;  // as a save that cannot replace a read-only file

    int32_t DevelopToTiff(const char* path) override
    {
        developedPath = path;
        if (failIfExists && ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            return -236;
        // A failed develop may still leave a file behind.
        HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(file, "II*\0", 4, &written, nullptr);
            ::CloseHandle(file);
        }
        return developResult;
    }
};

class PhotoshopHandoffTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ASSERT_TRUE(AfxOleInit());
        ASSERT_TRUE(server_.Register());
        // The temporary folder, as a full path, without a trailing backslash.
        char full[MAX_PATH];
        const DWORD length = ::GetFullPathNameA(TESS_SCRATCH_DIR, sizeof full, full, nullptr);
        ASSERT_TRUE(length > 0 && length < sizeof full);
        ::CreateDirectoryA(TESS_SCRATCH_DIR, nullptr);
        host_.folder = full;
        while (!host_.folder.empty() && host_.folder.back() == '\\')
            host_.folder.pop_back();
        transferPath_ = host_.folder + "\\PSXfer.tif";
    }
    void TearDown() override
    {
        EXPECT_TRUE(server_.Revoke());
        EXPECT_EQ(editor_.alive, 0) << "every automation object was released";
        const COleMessageFilter* filter = AfxOleGetMessageFilter();
        ASSERT_NE(filter, nullptr);
        EXPECT_EQ(filter->GetMessagePendingDelay(), 8000u);
        EXPECT_EQ(filter->GetRetryReply(), 5000u);
        EXPECT_TRUE(filter->IsBusyDialogEnabled());
        GuiTest::TearDown();
    }
    bool TransferFileExists() const { return ::GetFileAttributesA(transferPath_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    FakeEditorServer server_;
    Editor& editor_ = server_.editor;
    RecordingHost host_;
    std::string transferPath_;
};

TEST_F(PhotoshopHandoffTest, HandsTheDevelopedFileOverInTheEditorsOrderAndDeletesIt)
{
    ASSERT_TRUE(OpenInPhotoshop(host_));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(editor_.made, 1) << "none was running";
    EXPECT_EQ(editor_.log, kHandOverCalls);
    EXPECT_EQ(host_.developedPath, transferPath_);
    EXPECT_EQ(editor_.openedPath, transferPath_);
    EXPECT_TRUE(editor_.openedReadOnly) << "the editor gets the file read-only";
    EXPECT_EQ(host_.progress, 0) << "the progress window was ended";
    EXPECT_FALSE(TransferFileExists());

    // A read-only transfer file left behind by an earlier run does not block the next.
    HANDLE stale = ::CreateFileA(transferPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(stale, INVALID_HANDLE_VALUE);
    ::CloseHandle(stale);
    host_.failIfExists = true;
    EXPECT_TRUE(OpenInPhotoshop(host_));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_FALSE(TransferFileExists());
}

TEST_F(PhotoshopHandoffTest, AttachesToARunningEditorInsteadOfStartingOne)
{
    auto* running = new FakeObject(editor_, "app");
    DWORD activeCookie = 0;
    const HRESULT registered = ::RegisterActiveObject(running, kFakeEditorClsid, ACTIVEOBJECT_STRONG, &activeCookie);
    ASSERT_EQ(registered, S_OK) << std::hex << registered;
    EXPECT_TRUE(OpenInPhotoshop(host_));
    EXPECT_EQ(editor_.made, 0) << "no second editor";
    ASSERT_FALSE(editor_.log.empty());
    EXPECT_EQ(editor_.log.back(), "document.Close");
    EXPECT_EQ(::RevokeActiveObject(activeCookie, nullptr), S_OK);
    running->Release();
}

TEST_F(PhotoshopHandoffTest, DrivesOnlyEditorsFromVersionFive)
{
    struct Case {
        const char* version;
        bool accepted;
    } cases[] = {{"4.0.1", false}, {"5.0", true}, {"10.0", true}, {"14.0", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        editor_.version = c.version;
        editor_.log.clear();
        host_.messages.clear();
        EXPECT_EQ(OpenInPhotoshop(host_), c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(host_.messages.empty());
        } else {
            EXPECT_EQ(host_.messages, std::vector<uint32_t>{kMsgPhotoshopWrongVersion});
            EXPECT_EQ(editor_.log, (std::vector<std::string>{"app.SetVisible(false)", "app.GetVersion", "app.Quit"}));
            EXPECT_TRUE(host_.developedPath.empty()) << "nothing developed for an editor too old";
        }
        EXPECT_FALSE(TransferFileExists());
        host_.developedPath.clear();
    }
}

TEST_F(PhotoshopHandoffTest, EveryFailureShowsItsMessageAndLeavesNoFile)
{
    struct Case {
        const char* what;
        HRESULT refuseCreation;
        int32_t developResult;
        bool showable, failOpen, failDuplicate;
        uint32_t message;
        bool quit;
    } cases[] = {
        {"busy server", RPC_E_SERVERCALL_RETRYLATER, 0, true, false, false, kMsgPhotoshopBusy, false},
        {"server fails", E_OUTOFMEMORY, 0, true, false, false, kMsgPhotoshopNotFound, false},
        {"develop fails", S_OK, -242, true, false, false, kMsgPhotoshopPrepareFailed, false},
        {"cannot be shown", S_OK, 0, false, false, false, kMsgPhotoshopCannotShow, true},
        {"open fails", S_OK, 0, true, true, false, kMsgPhotoshopOpenFailed, false},
        {"duplicate fails", S_OK, 0, true, false, true, kMsgPhotoshopDuplicateFailed, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        editor_.refuseCreation = c.refuseCreation;
        editor_.showable = c.showable;
        editor_.failOpen = c.failOpen;
        editor_.failDuplicate = c.failDuplicate;
        editor_.log.clear();
        host_.developResult = c.developResult;
        host_.messages.clear();
        EXPECT_FALSE(OpenInPhotoshop(host_));
        EXPECT_EQ(host_.messages, std::vector<uint32_t>{c.message});
        bool quit = false, closed = false;
        for (const std::string& call : editor_.log) {
            quit |= call == "app.Quit";
            closed |= call == "document.Close";
        }
        EXPECT_EQ(quit, c.quit) << "the editor quits only when it cannot be shown";
        EXPECT_EQ(closed, c.failDuplicate) << "a temporary document left open is closed";
        EXPECT_FALSE(TransferFileExists());
        EXPECT_EQ(editor_.alive, 0);
        EXPECT_EQ(host_.progress, 0);
    }
}

TEST_F(PhotoshopHandoffTest, AsksOnFirstUseAndNoLeavesTheQuestionForNextTime)
{
    host_.warningDone = false;
    host_.firstUseAnswer = IDNO;
    EXPECT_FALSE(OpenInPhotoshop(host_));
    EXPECT_EQ(host_.messages, std::vector<uint32_t>{kMsgPhotoshopFirstUse});
    EXPECT_FALSE(host_.warningDone);
    EXPECT_TRUE(editor_.log.empty()) << "the editor is not touched";

    host_.messages.clear();
    host_.firstUseAnswer = IDYES;
    EXPECT_TRUE(OpenInPhotoshop(host_));
    EXPECT_EQ(host_.messages, std::vector<uint32_t>{kMsgPhotoshopFirstUse});
    EXPECT_TRUE(host_.warningDone);
}

TEST_F(PhotoshopHandoffTest, ATransferPathThatWouldNotFitIsRefused)
{
    host_.folder = "C:\\" + std::string(300, 'x');
    EXPECT_FALSE(OpenInPhotoshop(host_));
    EXPECT_EQ(host_.messages, std::vector<uint32_t>{kMsgPhotoshopPrepareFailed});
    EXPECT_TRUE(host_.developedPath.empty()) << "nothing developed without a path";
    EXPECT_EQ(host_.progress, 0);
}

}  // namespace
