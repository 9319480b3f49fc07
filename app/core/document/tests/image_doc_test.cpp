// The image document opened, saved and saved again through the engine, and
// the document manager's File Open, with a recording host in place of the
// program's settings, dialogs and main frame.
#include <map>

#include "app/core/docview/common_image_frame.h"
#include "app/core/document/doc_manager_new.h"
#include "app/core/docview/image_view.h"
#include "app/core/document/image_doc.h"
#include "app/core/document/image_doc_host.h"
#include "app/core/load/image_load.h"
#include "app/core/load/load_context.h"
#include "app/core/save/tests/save_test_util.h"
#include "clx/doctemplate.h"
#include "clx/view.h"
#include "testing/gui_test.h"

using namespace save_test;

namespace {

class CRecordingHost final : public IImageDocHost {
public:
    int32_t GetIntSetting(uint32_t id, int32_t fallback) override
    {
        const auto it = ints.find(id);
        return it == ints.end() ? fallback : it->second;
    }
    std::string GetStringSetting(uint32_t id) override { return strings[id]; }
    void SetIntSetting(uint32_t id, int32_t value) override { ints[id] = value; }
    void SetStringSetting(uint32_t id, const std::string& text) override { strings[id] = text; }
    bool PromptSaveAs(SaveAsRequest& request) override
    {
        prompts.push_back(request);
        if (answer.path.empty())
            return false;
        const SaveAsRequest in = request;
        request = answer;
        request.proposedName = in.proposedName;
        return true;
    }
    int32_t ShowMessage(const std::string& text, uint32_t) override
    {
        messages.push_back(text);
        return messageAnswer;
    }
    void BeginProgress(int32_t, const char*) override {}
    void StepProgress() override {}
    void SetPaletteTarget(PaletteTargetKind kind, CImageRecord* record) override
    {
        targets.push_back({kind, record});
    }
    void OpenInExternalEditor(const std::string& path) override { editorPaths.push_back(path); }
    int32_t AddToCatalogue(const std::string& path, std::string& text) override
    {
        cataloguePaths.push_back(path);
        text = catalogueText;
        return catalogueAnswer;
    }

    std::map<uint32_t, int32_t> ints;
    std::map<uint32_t, std::string> strings;
    SaveAsRequest answer;
    std::vector<SaveAsRequest> prompts;
    std::vector<std::string> messages;
    std::vector<std::pair<PaletteTargetKind, CImageRecord*>> targets;
    std::vector<std::string> editorPaths;
    int32_t messageAnswer = IDNO;
    std::vector<std::string> cataloguePaths;
    int32_t catalogueAnswer = 0;
    std::string catalogueText;
};

// Opens documents without frames: enough for the manager's File Open.
class CFramelessTemplate : public CMultiDocTemplate {
public:
    CFramelessTemplate() : CMultiDocTemplate(0, RUNTIME_CLASS(CImageDoc), nullptr, nullptr) {}
    CDocument* OpenDocumentFile(const char* path, BOOL) override
    {
        CDocument* doc = CreateNewDocument();
        if (doc && !doc->OnOpenDocument(path)) {
            RemoveDocument(doc);
            delete doc;
            return nullptr;
        }
        return doc;
    }
};

// The open dialog answered with a fixed selection.
class CScriptedDocManager : public CDocManagerNew {
public:
    std::string answer;  // parts separated by NULs
    DWORD filterIndex = 3;
    DWORD flagsSeen = 0;
    DWORD filterIndexSeen = 0;
    int dialogs = 0;

protected:
    BOOL RunOpenDialog(OPENFILENAMEA& ofn) override
    {
        ++dialogs;
        flagsSeen = ofn.Flags;
        filterIndexSeen = ofn.nFilterIndex;
        if (answer.size() + 2 > ofn.nMaxFile)
            return FALSE;
        std::memcpy(ofn.lpstrFile, answer.data(), answer.size());
        ofn.lpstrFile[answer.size()] = '\0';
        ofn.lpstrFile[answer.size() + 1] = '\0';
        ofn.nFilterIndex = filterIndex;
        return TRUE;
    }
};

// A view that adds its zoom to the frame's title.
class CZoomTitleView : public CView, public IFrameTitleText {
    DECLARE_DYNCREATE(CZoomTitleView)
public:
    void OnDraw(CDC*) override {}
    std::string GetFrameTitleText() const override { return " @ 50%"; }
};
IMPLEMENT_DYNCREATE(CZoomTitleView, CView)

// A failed attempt to make the output stream, as a full or lost disk gives.
IVorlatError* FailingStream(const char*, IVorlatStream**)
{
    return IVorlatError::Add(nullptr, 0, __LINE__, 0, 1006);
}

template <class State>
std::vector<uint8_t> StateBlob(const State& state)
{
    std::vector<uint8_t> blob(static_cast<size_t>(state.GetSize()));
    state.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    return blob;
}

class ImageDocument : public SaveFixture {
protected:
    void SetUp() override
    {
        SaveFixture::SetUp();
        SetLoadImageManager(manager);
        SetImageDocHost(&host);
    }
    void TearDown() override
    {
        for (CImageDoc* doc : docs)
            delete doc;
        SetImageDocHost(nullptr);
        SetLoadImageManager(nullptr);
        SaveFixture::TearDown();
    }

    // The full path as the document keeps it.
    std::string Path(const std::string& name) const
    {
        return std::filesystem::path(At(name)).make_preferred().string();
    }

    // A raw camera file of the supported model, written by the file library.
    std::string WriteRawFile(const std::string& name, int32_t width = 96, int32_t height = 64)
    {
        Tags tags;
        SetSourceTags(tags, "KORVA M4X", true);
        std::vector<uint8_t> samples;
        for (int32_t i = 0; i < width * height; ++i) {
            const int32_t v = 600 + (i * 37) % 2400;
            samples.push_back(static_cast<uint8_t>(v));
            samples.push_back(static_cast<uint8_t>(v >> 8));
        }
        IVorlatImage* image = MakeImage(manager, 64, width, height, samples);
        const std::string path = Path(name);
        EXPECT_EQ(0, WriteWithLibrary(path, image, tags.tags, kFormatRawTiff));
        image->Destroy();
        return path;
    }

    CImageDoc* Open(const std::string& path)
    {
        auto* doc = new CImageDoc;
        doc->m_bAutoDelete = false;  // the fixture deletes it
        docs.push_back(doc);
        EXPECT_TRUE(doc->OnOpenDocument(path.c_str())) << path;
        doc->SetPathName(path.c_str(), FALSE);
        CDevelopParams params(doc->GetRecord());
        WriteCameraProfile(params, qrvtest::RgbMatrixProfile(563).Build());
        return doc;
    }

    CRecordingHost host;
    std::vector<CImageDoc*> docs;
};

TEST_F(ImageDocument, OpeningARawFileDemosaicsItAndKeepsTheRawFormat)
{
    CImageDoc* doc = Open(WriteRawFile("DSC_0001.xqv"));
    EXPECT_TRUE(doc->IsOpened());
    EXPECT_TRUE(doc->IsRawImage());
    EXPECT_EQ(doc->GetSaveFormat(), kSaveFormatRaw);
    EXPECT_FALSE(doc->IsModified());
    CImageRecord& record = doc->GetRecord();
    ASSERT_NE(record.imageData, nullptr);
    int32_t colorSpace = 0;
    ASSERT_EQ(0, Deepest(record.imageData->GetColorSpace(&colorSpace)));
    EXPECT_NE(colorSpace, 64);
    EXPECT_NE(record.thirdData, nullptr);  // the raw data, kept for saving
    ASSERT_EQ(host.targets.size(), 1u);
    EXPECT_EQ(host.targets[0].first, kTargetNone);
    EXPECT_TRUE(host.messages.empty());

    // Closing clears the palettes' target again.
    doc->OnCloseDocument();
    ASSERT_EQ(host.targets.size(), 2u);
    EXPECT_EQ(host.targets[1].first, kTargetNone);
}

TEST_F(ImageDocument, FilesThatCannotBeOpenedAreReportedAndLeaveTheDocumentUnopened)
{
    const std::string missing = Path("missing.xqv");
    auto* doc = new CImageDoc;
    docs.push_back(doc);
    EXPECT_FALSE(doc->OnOpenDocument(missing.c_str()));
    EXPECT_FALSE(doc->IsOpened());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], missing + " could not be opened.");

    // A TIFF that no camera made: refused, and offered to the external editor when that is set up.
    Tags tags;
    IVorlatImage* image = MakeImage(manager, 32, 8, 8, std::vector<uint8_t>(8 * 8 * 3, 0x80));
    const std::string foreign = Path("foreign.tif");
    ASSERT_EQ(0, WriteWithLibrary(foreign, image, tags.tags, kFormatTiff));
    image->Destroy();
    host.ints[kSettingOpenExternal] = 1;
    host.strings[kSettingOpenExternalName] = "Painter";
    EXPECT_FALSE(doc->OnOpenDocument(foreign.c_str()));
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_NE(host.messages[1].find(foreign + " was not created by the Korva M4/M4H/M4X"), std::string::npos);
    EXPECT_NE(host.messages[1].find("open this file in Painter?"), std::string::npos);
    EXPECT_TRUE(host.editorPaths.empty());
    host.messageAnswer = IDYES;
    EXPECT_FALSE(doc->OnOpenDocument(foreign.c_str()));
    EXPECT_EQ(host.editorPaths, std::vector<std::string>{"\"" + foreign + "\""});
}

TEST_F(ImageDocument, SaveAsTiffDevelopsTheImageAndTakesTheNewName)
{
    CImageDoc* doc = Open(WriteRawFile("DSC_0002.xqv"));
    doc->SetModifiedFlag(TRUE);
    host.ints[kSettingDefaultFileSaveFormat] = 0;
    host.answer.path = Path("developed.tif");
    host.answer.format = kFormatTiff;
    host.answer.addToCatalogue = true;
    host.answer.openInEditor = true;
    host.catalogueAnswer = -1;
    host.catalogueText = "The catalogue is not running.";
    ASSERT_TRUE(doc->SaveImageAs(nullptr)) << (host.messages.empty() ? "" : host.messages[0]);

    ASSERT_EQ(host.prompts.size(), 1u);
    EXPECT_EQ(host.prompts[0].typeIndex, 0);  // as the document: raw
    EXPECT_EQ(host.prompts[0].proposedName, "DSC_0002.xqv");
    EXPECT_TRUE(host.prompts[0].sixteenBitCapable);
    EXPECT_EQ(host.cataloguePaths, std::vector<std::string>{host.answer.path});
    EXPECT_EQ(host.messages, std::vector<std::string>{host.catalogueText});
    EXPECT_EQ(host.editorPaths, std::vector<std::string>{"\"" + host.answer.path + "\""});
    EXPECT_EQ(doc->GetSaveFormat(), static_cast<uint32_t>(kFormatTiff));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(std::string(doc->GetPathName()), host.answer.path);
    EXPECT_EQ(doc->GetRecord().mark, 1);
    const Reread tiff = ReadBack(manager, host.answer.path);
    ASSERT_EQ(tiff.error, 0);
    EXPECT_EQ(tiff.format, kFormatTiff);
    EXPECT_EQ(tiff.colorSpace, 32);
    EXPECT_GT(tiff.width, 0);
    EXPECT_GT(tiff.height, 0);

    // Cancel in the dialog saves nothing.
    host.answer.path.clear();
    EXPECT_FALSE(doc->SaveImageAs(nullptr));
}

TEST_F(ImageDocument, SaveAsRawKeepsTheSettingsForTheNextOpen)
{
    CImageDoc* doc = Open(WriteRawFile("DSC_0003.xqv"));
    CImageRecord& record = doc->GetRecord();
    record.usmOn = 1;
    CQzUSM entry;
    entry.colour = 2;
    entry.intensity = 60;
    entry.threshold = 4;
    record.usm.Insert(0, 1, entry);
    record.curvesOn = 1;
    record.flip = 1;
    record.name = "Evening";
    host.answer.path = Path("again.xqv");
    host.answer.format = kSaveFormatRaw;
    ASSERT_TRUE(doc->SaveImageAs(nullptr)) << (host.messages.empty() ? "" : host.messages[0]);

    CImageDoc* reopened = Open(host.answer.path);
    const CImageRecord& again = reopened->GetRecord();
    EXPECT_EQ(again.usmOn, 1u);
    EXPECT_EQ(again.curvesOn, 1u);
    EXPECT_EQ(again.flip, 1);
    EXPECT_EQ(std::string(static_cast<const char*>(again.name)), "Evening");
    EXPECT_EQ(again.sizeRes.GetImageWidth(), record.sizeRes.GetImageWidth());
    EXPECT_EQ(again.sizeRes.GetImageHeight(), record.sizeRes.GetImageHeight());
    EXPECT_EQ(StateBlob(again.curves), StateBlob(record.curves));
    ASSERT_EQ(again.usm.GetCount(), 1);
    EXPECT_EQ(StateBlob(again.usm), StateBlob(record.usm));
    EXPECT_EQ(SettingsTagPresent(reopened->GetRecord()), 1);
}

TEST_F(ImageDocument, AFailedSaveOverTheOpenedFileLeavesItAsItWas)
{
    const std::string path = WriteRawFile("DSC_0004.xqv");
    CImageDoc* doc = Open(path);
    doc->GetRecord().usmOn = 1;
    doc->SetModifiedFlag(TRUE);
    const std::vector<uint8_t> original = ReadAll(path);
    SetSaveStreamFactory(FailingStream);
    EXPECT_FALSE(doc->DoFileSave());
    SetSaveStreamFactory(nullptr);
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "An error occurred while the saving " + path + ".");
    EXPECT_TRUE(host.prompts.empty());  // File Save of a named file asks nothing

    // The same save with a working disk replaces the file.
    EXPECT_TRUE(doc->DoFileSave());
    EXPECT_NE(ReadAll(path), original);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(ImageDocument, FileSaveOfACameraJpegOrTiffAsksForANewNameAndNeverReplacesTheOriginal)
{
    const struct {
        const char* name;
        int32_t format;
        int32_t option;
    } cases[] = {{"DSC_0005.jpg", static_cast<int32_t>(kFormatExifJpeg), 5},
                 {"DSC_0006.tif", static_cast<int32_t>(kFormatTiff), 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tags tags;
        SetSourceTags(tags, "KORVA M4X", false);
        IVorlatImage* image = MakeImage(manager, 32, 96, 64, MarkedPixels(96, 64, false));
        const std::string path = Path(c.name);
        ASSERT_EQ(0, WriteWithLibrary(path, image, tags.tags, c.format, c.option));
        image->Destroy();
        CImageDoc* doc = Open(path);
        ASSERT_TRUE(doc->IsOpened());
        doc->GetRecord().sizeRes.SetCropRect(QzDblRect{20, 20, 120, 100});
        doc->SetModifiedFlag(TRUE);
        const std::vector<uint8_t> original = ReadAll(path);
        host.prompts.clear();
        host.messages.clear();

        // Cancelled: nothing written, still modified.
        host.answer = SaveAsRequest{};
        EXPECT_FALSE(doc->DoFileSave());
        ASSERT_EQ(host.prompts.size(), 1u);
        EXPECT_EQ(host.prompts[0].keptOriginal, path);
        EXPECT_EQ(ReadAll(path), original);
        EXPECT_TRUE(doc->IsModified());

        // A new name chosen: the developed image goes there, the original stays.
        host.answer.path = Path(std::string("developed_") + c.name + ".tif");
        host.answer.format = kFormatTiff;
        EXPECT_TRUE(doc->DoFileSave()) << (host.messages.empty() ? "" : host.messages[0]);
        EXPECT_EQ(ReadAll(path), original);
        EXPECT_TRUE(std::filesystem::exists(host.answer.path));
        EXPECT_TRUE(host.messages.empty());
    }
    // Save As itself names no kept file.
    CImageDoc* raw = Open(WriteRawFile("DSC_0007.xqv"));
    host.prompts.clear();
    host.answer = SaveAsRequest{};
    EXPECT_FALSE(raw->SaveImageAs(nullptr));
    ASSERT_EQ(host.prompts.size(), 1u);
    EXPECT_TRUE(host.prompts[0].keptOriginal.empty());
}

TEST_F(ImageDocument, FileOpenStartsInTheLastFolderAndOpensEverySelectedFile)
{
    std::vector<std::string> names = {"a.xqv", "b.xqv", "c.xqv"};
    for (const std::string& name : names)
        WriteRawFile(name, 32, 32);
    const std::string folder = std::filesystem::path(At("")).make_preferred().string();
    std::string trimmed = folder;
    while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/'))
        trimmed.pop_back();
    char before[MAX_PATH] = "";
    ::GetCurrentDirectoryA(MAX_PATH, before);

    CScriptedDocManager manager;
    auto* tmpl = new CFramelessTemplate;
    manager.AddDocTemplate(tmpl);
    manager.answer = trimmed;
    for (const std::string& name : names)
        manager.answer += std::string(1, '\0') + name;
    host.strings[kSettingLastOpenFolder] = "  " + trimmed + " ";
    host.ints[kSettingLastOpenFormat] = 2;
    manager.OnFileOpen();

    EXPECT_EQ(manager.dialogs, 1);
    EXPECT_EQ(manager.filterIndexSeen, 2u);
    EXPECT_EQ(host.ints[kSettingLastOpenFormat], 3);
    EXPECT_EQ(host.strings[kSettingLastOpenFolder], trimmed + "\\");
    EXPECT_EQ(manager.GetOpenDocumentCount(), 3);
    char now[MAX_PATH] = "";
    ::GetCurrentDirectoryA(MAX_PATH, now);
    EXPECT_EQ(std::filesystem::path(now), std::filesystem::path(trimmed));
    ::SetCurrentDirectoryA(before);

    // A save prompt shows nothing.
    CString name;
    EXPECT_FALSE(manager.DoPromptFileName(name, 0, 0, FALSE, nullptr));
    EXPECT_EQ(manager.dialogs, 1);
    manager.CloseAllDocuments(TRUE);
}

}  // namespace

namespace {

HWND FrameOf(CDocument* doc)
{
    POSITION pos = doc->GetFirstViewPosition();
    CView* view = pos ? doc->GetNextView(pos) : nullptr;
    return view ? view->GetParentFrame()->m_hWnd : nullptr;
}

std::string TextOf(HWND wnd)
{
    char text[256] = "";
    ::GetWindowTextA(wnd, text, static_cast<int>(sizeof text));
    return text;
}

TEST_F(ImageDocument, FramesTitleWindowNumbersZoomAndChangesAndCopiesTakeFreeNames)
{
    const std::string path = WriteRawFile("DSC_0001.xqv");
    auto* main = new CMDIFrameWnd;
    ASSERT_TRUE(main->LoadFrame(0, WS_OVERLAPPEDWINDOW));
    main->SetWindowPos(nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
    AfxGetApp()->m_pMainWnd = main;
    auto* tmpl = new CMultiDocTemplate(0, RUNTIME_CLASS(CImageDoc), RUNTIME_CLASS(CCommonImageFrame),
                                       RUNTIME_CLASS(CZoomTitleView));
    {
        auto* doc = dynamic_cast<CImageDoc*>(tmpl->OpenDocumentFile(path.c_str()));
        ASSERT_NE(doc, nullptr);
        GuiTest::PumpUntilIdle();
        EXPECT_EQ(TextOf(FrameOf(doc)), "DSC_0001.xqv @ 50%");

        // A second window on the same document, then a change.
        CFrameWnd* second = tmpl->CreateNewFrame(doc, nullptr);
        ASSERT_NE(second, nullptr);
        tmpl->InitialUpdateFrame(second, doc, TRUE);
        doc->UpdateFrameCounts();
        doc->SetModifiedFlag(TRUE);
        GuiTest::PumpUntilIdle();
        EXPECT_EQ(TextOf(second->m_hWnd), "DSC_0001.xqv:2 @ 50% *");

        // Create Copy, twice: the second copy finds the first one's window.
        doc->OnCmdMsg(kCmdCreateCopy, CN_COMMAND, nullptr, nullptr);
        GuiTest::PumpUntilIdle();
        doc->OnCmdMsg(kCmdCreateCopy, CN_COMMAND, nullptr, nullptr);
        GuiTest::PumpUntilIdle();
        std::vector<std::string> titles;
        POSITION pos = tmpl->GetFirstDocPosition();
        while (pos)
            titles.push_back(static_cast<const char*>(tmpl->GetNextDoc(pos)->GetTitle()));
        EXPECT_EQ(titles, (std::vector<std::string>{"DSC_0001.xqv", "DSC_0001Copy", "DSC_0001Copy1"}));
        // A copy is the palettes' target at once, and shows the same image.
        ASSERT_FALSE(host.targets.empty());
        EXPECT_EQ(host.targets.back().first, kTargetOne);
        ASSERT_NE(host.targets.back().second, nullptr);
        EXPECT_EQ(host.targets.back().second->imageData, doc->GetRecord().imageData);

        // The reset from the main frame collapses the section.
        auto* frame = static_cast<CCommonImageFrame*>(CWnd::FromHandlePermanent(FrameOf(doc)));
        frame->SetSectionState(1);
        EXPECT_EQ(frame->SendMessage(kWmResetViewSections, 0, 0), 1);
        EXPECT_EQ(frame->GetSectionState(), 1);
        frame->SendMessage(kWmResetViewSections, 1, 0);
        EXPECT_EQ(frame->GetSectionState(), 0);
        // Without a shooting-data pane the toggle is disabled, and a menu's disabled command does nothing.
        frame->SendMessage(WM_COMMAND, kCmdToggleShootingData);
        EXPECT_EQ(frame->GetSectionState(), 0);
    }
    tmpl->CloseAllDocuments(TRUE);
    GuiTest::PumpUntilIdle();
    main->SendMessage(WM_CLOSE);
    GuiTest::PumpUntilIdle();
    GuiTest::TakeQuit();
    AfxGetApp()->m_pMainWnd = nullptr;
    delete tmpl;
}

}  // namespace

namespace {

// The drawing manager of the test and quiet answers for the rest.
struct ViewHost final : CQuietViewHost {
    HWND GetMainWindow() const override { return main; }
    IVorlatManager* GetDrawingManager() const override { return manager; }
    IVorlatManager* manager = nullptr;
    HWND main = nullptr;
};

TEST_F(ImageDocument, ImageViewsMarkChangesAndACopyShowsTheSameImageInAViewOfItsOwn)
{
    const std::string path = WriteRawFile("DSC_0005.xqv");
    ViewHost viewHost;
    viewHost.manager = manager;
    SetImageViewHost(&viewHost);
    auto* main = new CMDIFrameWnd;
    ASSERT_TRUE(main->LoadFrame(0, WS_OVERLAPPEDWINDOW));
    main->SetWindowPos(nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
    AfxGetApp()->m_pMainWnd = main;
    auto* tmpl = new CMultiDocTemplate(0, RUNTIME_CLASS(CImageDoc), RUNTIME_CLASS(CCommonImageFrame),
                                       RUNTIME_CLASS(CImageView));
    auto* doc = dynamic_cast<CImageDoc*>(tmpl->OpenDocumentFile(path.c_str()));
    ASSERT_NE(doc, nullptr);
    GuiTest::PumpUntilIdle();
    POSITION first = doc->GetFirstViewPosition();
    auto* view = dynamic_cast<CImageView*>(doc->GetNextView(first));
    ASSERT_NE(view, nullptr);
    // Only a change of an adjustment that is not merely shown marks the document.
    const struct {
        uint32_t hints;
        bool modified;
    } hints[] = {{0x8001, false}, {0x8, false}, {0x1, true}};
    for (const auto& c : hints) {
        view->UpdateAdjustments(c.hints);
        GuiTest::PumpUntilIdle();
        EXPECT_EQ(doc->IsModified() != FALSE, c.modified) << std::hex << c.hints;
    }
    doc->SetModifiedFlag(FALSE);
    doc->OnCmdMsg(kCmdCreateCopy, CN_COMMAND, nullptr, nullptr);
    GuiTest::PumpUntilIdle();

    POSITION pos = tmpl->GetFirstDocPosition();
    tmpl->GetNextDoc(pos);
    auto* copy = dynamic_cast<CImageDoc*>(pos ? tmpl->GetNextDoc(pos) : nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(copy->GetTitle())), "DSC_0005Copy");
    POSITION views = copy->GetFirstViewPosition();
    auto* copyView = dynamic_cast<CImageView*>(copy->GetNextView(views));
    ASSERT_NE(copyView, nullptr);
    EXPECT_EQ(copy->GetRecord().view, copyView);
    EXPECT_EQ(copyView->GetRecord(), &copy->GetRecord());
    EXPECT_EQ(copy->GetRecord().imageData, doc->GetRecord().imageData);
    views = doc->GetFirstViewPosition();
    EXPECT_EQ(doc->GetRecord().view, doc->GetNextView(views));

    tmpl->CloseAllDocuments(TRUE);
    GuiTest::PumpUntilIdle();
    main->SendMessage(WM_CLOSE);
    GuiTest::PumpUntilIdle();
    GuiTest::TakeQuit();
    AfxGetApp()->m_pMainWnd = nullptr;
    SetImageViewHost(nullptr);
    delete tmpl;
}

}  // namespace
