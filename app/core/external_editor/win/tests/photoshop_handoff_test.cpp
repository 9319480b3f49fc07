// "Open in Photoshop" against a fake editor: an automation server written
// here, registered under the editor's program id in the test prefix while a
// test runs, that logs every call it gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/external_editor/win/photoshop_automation.h"
#include "app/core/external_editor/win/photoshop_handoff.h"
#include "clx/ole.h"
#include "testing/gui_test.h"

namespace {

class OleEnvironment : public ::testing::Environment {
public:
    void TearDown() override { AfxOleTerm(); }
};
[[maybe_unused]] auto* const g_oleEnvironment = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

std::string Narrow(const VARIANT& v)
{
    if (v.vt != VT_BSTR || !v.bstrVal)
        return "?";
    return std::string(clx::BstrToAnsi(v.bstrVal));
}

std::string CodeText(const VARIANT& v)
{
    if (v.vt != VT_I4)
        return "?";
    const uint32_t code = static_cast<uint32_t>(v.lVal);
    return {static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
            static_cast<char>(code)};
}

// What the fake editor does, and what it was asked.
struct Editor {
    std::string version = "14.0";
    bool showable = true;
    bool failOpen = false;
    bool failDuplicate = false;
    HRESULT refuseCreation = S_OK;
    int made = 0;  // instances the factory made

    std::vector<std::string> log;
    bool visible = true;
    int alive = 0;  // objects not yet released
    std::string openedPath;
    bool openedReadOnly = false;
    IDispatch* descriptor = nullptr;
    IDispatch* reference = nullptr;
};

class FakeObject final : public IDispatch {
public:
    FakeObject(Editor& editor, const char* kind) : editor_(editor), kind_(kind) { ++editor_.alive; }
    ~FakeObject() { --editor_.alive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = --refs_;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override
    {
        std::vector<VARIANT> args;  // in the caller's order
        for (UINT i = params->cArgs; i-- > 0;)
            args.push_back(params->rgvarg[i]);
        const std::string kind = kind_;
        const auto logCall = [&](const std::string& text) { editor_.log.push_back(kind + "." + text); };
        const auto give = [&](const char* childKind) {
            auto* child = new FakeObject(editor_, childKind);
            if (result) {
                result->vt = VT_DISPATCH;
                result->pdispVal = child;
            } else {
                child->Release();
            }
            return child;
        };
        const auto raise = [&]() {
            *info = EXCEPINFO{};
            info->scode = E_FAIL;
            info->bstrDescription = ::SysAllocString(L"refused");
            return DISP_E_EXCEPTION;
        };
        if (kind == "app") {
            switch (id) {
            case 0x60020009:
                if (flags & DISPATCH_PROPERTYPUT) {
                    const bool show = args.size() == 1 && args[0].vt == VT_BOOL && args[0].boolVal != VARIANT_FALSE;
                    logCall(show ? "SetVisible(true)" : "SetVisible(false)");
                    editor_.visible = show && editor_.showable;
                    return S_OK;
                }
                logCall("GetVisible");
                result->vt = VT_BOOL;
                result->boolVal = editor_.visible ? VARIANT_TRUE : VARIANT_FALSE;
                return S_OK;
            case 0x60020000: {
                logCall("GetVersion");
                clx::Variant text(editor_.version.c_str());
                return ::VariantCopy(result, &text);
            }
            case 0x60020002: {
                editor_.openedPath = args.empty() ? "" : Narrow(args[0]);
                logCall("Open");
                const DWORD attributes = ::GetFileAttributesA(editor_.openedPath.c_str());
                editor_.openedReadOnly =
                    attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
                if (editor_.failOpen)
                    return raise();
                give("document");
                return S_OK;
            }
            case 0x60020005:
                logCall("MakeControlObject");
                give("control");
                return S_OK;
            case 0x60020006:
                logCall("MakeDescriptor");
                editor_.descriptor = give("descriptor");
                return S_OK;
            case 0x60020008:
                logCall("MakeReference");
                editor_.reference = give("reference");
                return S_OK;
            case 0x60020001:
                logCall("Quit");
                return S_OK;
            }
        } else if (kind == "reference" && id == 0x6002000C && args.size() == 3) {
            logCall("PutEnumerated(" + CodeText(args[0]) + ", " + CodeText(args[1]) + ", " + CodeText(args[2]) + ")");
            return S_OK;
        } else if (kind == "descriptor" && id == 0x6002001A && args.size() == 2) {
            const bool ours = args[1].vt == VT_DISPATCH && args[1].pdispVal == editor_.reference;
            logCall("PutReference(" + CodeText(args[0]) + (ours ? ", reference)" : ", ?)"));
            return S_OK;
        } else if (kind == "descriptor" && id == 0x6002000E && args.size() == 2) {
            logCall("PutString(" + CodeText(args[0]) + ", " + Narrow(args[1]) + ")");
            return S_OK;
        } else if (kind == "control" && id == 0x60020000 && args.size() == 3) {
            const bool ours = args[1].vt == VT_DISPATCH && args[1].pdispVal == editor_.descriptor;
            logCall("ExecuteAction(" + CodeText(args[0]) + (ours ? ", descriptor, " : ", ?, ") +
                    std::to_string(args[2].vt == VT_I4 ? args[2].lVal : -1) + ")");
            if (editor_.failDuplicate)
                return raise();
            give("duplicate");
            return S_OK;
        } else if (kind == "document" && id == 0x60020001) {
            logCall("Close");
            return S_OK;
        }
        logCall("unknown " + std::to_string(id));
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    Editor& editor_;
    const char* kind_;
    LONG refs_ = 1;
};

class FakeFactory : public IClassFactory {
public:
    explicit FakeFactory(Editor& editor) : editor_(editor) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (FAILED(editor_.refuseCreation))
            return editor_.refuseCreation;
        auto* app = new FakeObject(editor_, "app");
        ++editor_.made;
        const HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    Editor& editor_;
};

// {3C1E8F52-7A4D-4E0B-B6A3-91D2C75E0F36}
const CLSID kFakeEditorClsid = {0x3c1e8f52, 0x7a4d, 0x4e0b, {0xb6, 0xa3, 0x91, 0xd2, 0xc7, 0x5e, 0x0f, 0x36}};
const char kFakeEditorClsidText[] = "{3C1E8F52-7A4D-4E0B-B6A3-91D2C75E0F36}";

// The editor's program id under HKEY_CLASSES_ROOT for the life of a test.
class ProgIdRegistration {
public:
    ProgIdRegistration()
    {
        HKEY key = nullptr;
        const std::string path = std::string(kPhotoshopProgId) + "\\CLSID";
        ok = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
                 ERROR_SUCCESS &&
             ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kFakeEditorClsidText),
                              sizeof kFakeEditorClsidText) == ERROR_SUCCESS;
        if (key)
            ::RegCloseKey(key);
    }
    ~ProgIdRegistration()
    {
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kPhotoshopProgId) + "\\CLSID").c_str());
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, kPhotoshopProgId);
    }
    bool ok = false;
};

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
        ASSERT_TRUE(registration_.ok);
        ASSERT_EQ(::CoRegisterClassObject(kFakeEditorClsid, &factory_, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                          &cookie_),
                  S_OK);
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
        if (cookie_) {
            EXPECT_EQ(::CoRevokeClassObject(cookie_), S_OK);
        }
        EXPECT_EQ(editor_.alive, 0) << "every automation object was released";
        const COleMessageFilter* filter = AfxOleGetMessageFilter();
        ASSERT_NE(filter, nullptr);
        EXPECT_EQ(filter->GetMessagePendingDelay(), 8000u);
        EXPECT_EQ(filter->GetRetryReply(), 5000u);
        EXPECT_TRUE(filter->IsBusyDialogEnabled());
        GuiTest::TearDown();
    }
    bool TransferFileExists() const { return ::GetFileAttributesA(transferPath_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    Editor editor_;
    FakeFactory factory_{editor_};
    ProgIdRegistration registration_;
    DWORD cookie_ = 0;
    RecordingHost host_;
    std::string transferPath_;
};

TEST_F(PhotoshopHandoffTest, HandsTheDevelopedFileOverInTheEditorsOrderAndDeletesIt)
{
    ASSERT_TRUE(OpenInPhotoshop(host_));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(editor_.made, 1) << "none was running";
    const std::vector<std::string> expected = {
        "app.SetVisible(false)",
        "app.GetVersion",
        "app.SetVisible(true)",
        "app.GetVisible",
        "app.MakeControlObject",
        "app.Open",
        "app.MakeReference",
        "reference.PutEnumerated(Dcmn, Ordn, Trgt)",
        "app.MakeDescriptor",
        "descriptor.PutReference(null, reference)",
        "descriptor.PutString(Nm  , Untitled)",
        "control.ExecuteAction(Dplc, descriptor, 2)",
        "document.Close",
    };
    EXPECT_EQ(editor_.log, expected);
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
