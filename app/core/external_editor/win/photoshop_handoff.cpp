#include "app/core/external_editor/win/photoshop_handoff.h"

#include "app/core/external_editor/handoff_rules.h"
#include "app/core/external_editor/win/photoshop_automation.h"
#include "clx/cmdtarget.h"

namespace {

// Gives the editor longer patience while it is driven, and the
// application's usual values back on every way out.
class PatientMessageFilter {
public:
    PatientMessageFilter() : filter_(AfxOleGetMessageFilter()) {}
    ~PatientMessageFilter()
    {
        if (filter_) {
            filter_->SetMessagePendingDelay(8000);
            filter_->SetRetryReply(5000);
            filter_->EnableBusyDialog(TRUE);
        }
    }
    PatientMessageFilter(const PatientMessageFilter&) = delete;
    PatientMessageFilter& operator=(const PatientMessageFilter&) = delete;

    void BePatient()
    {
        if (filter_) {
            filter_->SetMessagePendingDelay(5000);
            filter_->SetRetryReply(500);
            filter_->EnableBusyDialog(FALSE);
        }
    }

private:
    COleMessageFilter* filter_;
};

// The transfer file goes on every way out, read-only or not.
class TransferFile {
public:
    ~TransferFile() { Remove(); }
    bool Build(const std::string& folder) { return qz::BuildEditorTransferPath(folder.c_str(), path_, sizeof path_); }
    const char* Path() const { return path_; }
    void Remove()
    {
        if (!path_[0])
            return;
        ::SetFileAttributesA(path_, FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path_);
    }

private:
    char path_[MAX_PATH] = {};
};

// Connects to a running editor, else starts one; 0 or the failure's code.
HRESULT Connect(REFCLSID clsid, CPhotoshopApplication& app)
{
    IUnknown* running = nullptr;
    if (SUCCEEDED(::GetActiveObject(clsid, nullptr, &running)) && running) {
        IDispatch* dispatch = nullptr;
        const HRESULT hr = running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        running->Release();
        if (SUCCEEDED(hr) && dispatch) {
            app.AttachDispatch(dispatch);
            return S_OK;
        }
    }
    COleException error(S_OK);
    if (app.CreateDispatch(clsid, &error))
        return S_OK;
    return FAILED(error.m_sc) ? error.m_sc : E_FAIL;
}

}  // namespace

bool OpenInPhotoshop(IPhotoshopHandoffHost& host)
{
    if (!host.IsFirstUseWarningDone()) {
        if (host.ShowMessage(kMsgPhotoshopFirstUse, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        host.SetFirstUseWarningDone();
    }

    CWaitCursor wait;
    CLSID clsid{};
    if (FAILED(::CLSIDFromProgID(L"Photoshop.Application", &clsid))) {
        host.ShowMessage(kMsgPhotoshopNotFound, MB_OK);
        return false;
    }
    // Declared before the automation objects, so that they are released
    // before the filter's values go back and the file goes.
    TransferFile file;
    PatientMessageFilter filter;
    CPhotoshopApplication app;
    const HRESULT connected = Connect(clsid, app);
    if (FAILED(connected)) {
        host.ShowMessage(connected == RPC_E_SERVERCALL_RETRYLATER ? kMsgPhotoshopBusy : kMsgPhotoshopNotFound,
                         MB_OK);
        return false;
    }

    CString version;
    try {
        app.SetVisible(FALSE);
        version = app.GetVersion();
    } catch (const COleException&) {
        host.ShowMessage(kMsgPhotoshopConnectFailed, MB_OK);
        return false;
    } catch (const COleDispatchException&) {
        host.ShowMessage(kMsgPhotoshopConnectFailed, MB_OK);
        return false;
    }
    if (!qz::IsEditorVersionSupported(version)) {
        host.ShowMessage(kMsgPhotoshopWrongVersion, MB_OK);
        try {
            app.Quit();
        } catch (const COleException&) {
        } catch (const COleDispatchException&) {
        }
        return false;
    }

    bool failed = false;
    const bool placed = file.Build(host.GetTempFolder());
    // A read-only file left by an earlier run must not stand in the develop's way.
    file.Remove();
    host.ShowProgress(true);
    if (!placed || host.DevelopToTiff(file.Path()) != 0) {
        host.ShowMessage(kMsgPhotoshopPrepareFailed, MB_OK);
        failed = true;
    }
    if (placed)
        ::SetFileAttributesA(file.Path(), FILE_ATTRIBUTE_READONLY);
    host.ShowProgress(false);

    // Whatever happened to the file, the editor hidden above is shown again.
    uint32_t message = 0;
    try {
        app.SetVisible(TRUE);
        if (!app.GetVisible()) {
            failed = true;
            message = kMsgPhotoshopCannotShow;
            app.Quit();
        }
    } catch (const COleException&) {
        failed = true;
        if (!message)
            message = kMsgPhotoshopConnectFailed;
    } catch (const COleDispatchException&) {
        failed = true;
        if (!message)
            message = kMsgPhotoshopConnectFailed;
    }
    if (message) {
        host.ShowMessage(message, MB_OK);
        return false;
    }
    if (failed)
        return false;

    filter.BePatient();
    // The message of the step under way when a call fails.
    message = kMsgPhotoshopConnectFailed;
    CPhotoshopApplication document;
    bool closed = false;
    try {
        CPhotoshopActionControl control(app.MakeControlObject());
        message = kMsgPhotoshopOpenFailed;
        document.AttachDispatch(app.Open(file.Path()));
        message = kMsgPhotoshopConnectFailed;
        CPhotoshopActionReference reference(app.MakeReference());
        reference.PutEnumerated(PhotoshopCode("Dcmn"), PhotoshopCode("Ordn"), PhotoshopCode("Trgt"));
        CPhotoshopActionDescriptor descriptor(app.MakeDescriptor());
        descriptor.PutReference(PhotoshopCode("null"), reference.m_lpDispatch);
        descriptor.PutString(PhotoshopCode("Nm  "), host.LoadText(kStrPhotoshopUntitled).c_str());
        message = kMsgPhotoshopDuplicateFailed;
        COleDispatchDriver duplicate(control.ExecuteAction(PhotoshopCode("Dplc"), descriptor.m_lpDispatch, 2));
        message = kMsgPhotoshopConnectFailed;
        document.Quit();  // closes the temporary document
        closed = true;
        message = 0;
    } catch (const COleException&) {
    } catch (const COleDispatchException&) {
    }
    if (!closed && document.m_lpDispatch) {
        // The duplicate failed: the temporary document must not keep the file open.
        try {
            document.Quit();
        } catch (const COleException&) {
        } catch (const COleDispatchException&) {
        }
    }
    if (message) {
        host.ShowMessage(message, MB_OK);
        return false;
    }
    return true;
}
