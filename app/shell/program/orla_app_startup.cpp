// Start-up and exit of the application object.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <float.h>

#include "Vorlat/VorlatManager.h"
#include "app/camera/app/orla_kavo.h"
#include "app/camera/curve/camera_curve_block.h"
#include "app/camera/kavo_library.h"
#include "app/camera/queue/queue_manager.h"
#include "app/core/docview/image_frame.h"
#include "app/core/docview/image_view.h"
#include "app/core/document/image_doc.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/profile_check.h"
#include "app/shell/prefs/profile_file_check.h"
#include "app/core/text/string_resource.h"
#include "app/shell/controls/qz_button.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/format/byte_size.h"
#include "app/shell/format/date_time.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/program/about_box.h"
#include "app/shell/program/hand_over.h"
#include "app/shell/program/image_doc_standin.h"
#include "app/shell/program/image_doc_template.h"
#include "app/shell/program/image_hooks.h"
#include "app/shell/program/orla_app.h"
#include "app/shell/program/program_ids.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/program/tile_budget.h"
#include "app/shell/progress/progress_protocol.h"
#include "app/shell/progress/progress_thread.h"
#include "app/shell/settings/recent_file_list.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "clx/dc.h"
#include "clx/doctemplate.h"
#include "clx/mdi.h"
#include "clx/ole.h"
#include "clx/view.h"

namespace {

constexpr char kMainWindowClass[] = "Tessaline1";
constexpr char kStartupSemaphore[] = "TessalineMainWindow";
constexpr char kDrawingPageFile[] = "Tessali1.tmp";
constexpr char kSavingPageFile[] = "Tessali2.tmp";
constexpr int32_t kDrawingTileBytes = 16384;
constexpr int32_t kSavingTileBytes = 0x10000;
constexpr UINT kCameraPollMs = 2000;
constexpr UINT kDeferredStartup = 0x8001;
constexpr UINT_PTR kCameraTimer = 1004;

// Settings read here.
constexpr shell::SettingId kAutoFitToWindow = 1095;
constexpr shell::SettingId kCursorMode = 1101;
constexpr shell::SettingId kTempFolder = 1051;
constexpr shell::SettingId kRGBProfile = 1065;
constexpr shell::SettingId kCMYKProfile = 1047;
constexpr shell::SettingId kMonitorProfile = 1064;
constexpr shell::SettingId kSavingPercent = 1233;
constexpr shell::SettingId kDrawingPercent = 1234;
constexpr shell::SettingId kDrawingMinimum = 1235;
constexpr shell::SettingId kDrawingMaximum = 1236;
constexpr shell::SettingId kSavingMinimum = 1237;
constexpr shell::SettingId kSavingMaximum = 1238;

void (*g_previousFpeHandler)(int) = nullptr;

void OnFloatingPointSignal(int signal)
{
    if (g_previousFpeHandler && g_previousFpeHandler != SIG_DFL && g_previousFpeHandler != SIG_IGN)
        g_previousFpeHandler(signal);
    g_previousFpeHandler = std::signal(SIGFPE, OnFloatingPointSignal);
    _control87(0x8001F, 0x8001F);
}

CString TableText(UINT id)
{
    return clx::LoadStr(id);
}

int32_t IntSetting(shell::SettingId id)
{
    int32_t value = 0;
    shell::GetIntSetting(id, &value);
    return value;
}

std::string StringSetting(shell::SettingId id)
{
    CQzString text;
    shell::GetStringSetting(id, text);
    return static_cast<const char*>(text);
}

// The named semaphore of start-up, held until every way out of InitInstance.
class CStartupSemaphore {
public:
    CStartupSemaphore() : handle_(CreateSemaphoreA(nullptr, 1, 1, kStartupSemaphore)) {}
    ~CStartupSemaphore()
    {
        if (held_)
            ReleaseSemaphore(handle_, 1, nullptr);
        if (handle_)
            CloseHandle(handle_);
    }
    bool Wait()
    {
        held_ = handle_ && WaitForSingleObject(handle_, INFINITE) == WAIT_OBJECT_0;
        return held_;
    }

private:
    HANDLE handle_;
    bool held_ = false;
};

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ToVorlatFile(const std::string& path, _VorlatFile* file)
{
    if (path.size() >= sizeof file->path)
        return false;
    std::memset(file->path, 0, sizeof file->path);
    std::memcpy(file->path, path.c_str(), path.size());
    return true;
}

}  // namespace

// As the C run time split them.
std::vector<std::string> COrlaApp::GetCommandLineWords()
{
    std::vector<std::string> words;
    for (int i = 1; i < __argc; ++i)
        words.emplace_back(__argv[i]);
    return words;
}

BOOL COrlaApp::InitInstance()
{
    g_previousFpeHandler = std::signal(SIGFPE, OnFloatingPointSignal);

    m_nSynchronousPainting = 0;
    m_nStartupError = 0;
    m_options = {};
    m_bWindowsNT4 = false;

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version))
        m_bWindowsNT4 = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 3;

    m_idle.SetCommandQueues(&CCommandQueueManager::GetInstance());
    CQzButton::SetStateMessages(kButtonPressMessage, kButtonReleaseMessage);

    if (!RegisterMainWindowClass()) {
        return FALSE;
    }
    Enable3dControls();

    shell::GetRegistryStore().SetNames(TableText(IDS_REG_COMPANY), TableText(IDS_REG_APPLICATION),
                                       TableText(IDS_REG_VERSION));

    m_options = shell::ParseStartOptions(GetCommandLineWords());
    if (m_options.unregister) {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            shell::DeleteRegistryTree(root, "Software\\Korva\\Tessaline\\2.0", false);
            shell::DeleteRegistryTree(root, "Software\\Korva\\Tessaline", true);
            shell::DeleteRegistryTree(root, "Software\\Korva", true);
        }
        return FALSE;
    }

    if (!m_pRecentFileList) {
        m_pRecentFileList = new shell::CRecentFileListReg(0, shell::kRecentFileSectionId,
                                                          shell::kRecentFileEntryFormatId, shell::kRecentFileCount,
                                                          shell::kRecentFileDisplayLength);
        m_pRecentFileList->ReadList();
    }
    SetDialogBkColor(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWTEXT));
    m_bAutoFitToWindow = IntSetting(kAutoFitToWindow) != 0;
    m_nCursorMode = IntSetting(kCursorMode);
    CreateUIFont();
    CreateDocumentTemplates();

    CStartupSemaphore semaphore;
    if (!semaphore.Wait()) {
        m_options.files.clear();
        return FALSE;
    }
    if (HandToRunningInstance()) {
        // Nothing of this instance's exit may run: no settings saved, the
        // other programs' values stay, the class stays registered.
        m_strMainClass.clear();
        m_options.files.clear();
        return FALSE;
    }

    CreateColorEnginePool();
    m_bColorEnginePool = true;
    // Images carry the camera's tone curve in its own block format.
    InstallCameraCurveConverter();
    SetOtherProgramsValues("1");

    if (!CreateMainFrame()) {
        return FALSE;
    }
    if (!StartProgressThread()) {
        return FALSE;
    }
    m_pMainWnd->DragAcceptFiles();
    EnableShellOpen();
    LoadLocaleNotation();
    m_bSplashShown = ShowSplashScreen();

    m_bOleInitialized = AfxOleInit() != FALSE;
    if (!m_bOleInitialized)
        AfxMessageBox(IDS_OLE_INIT_FAILED);

    CreateTileManagers();
    m_pImageHooks = std::make_unique<CImageHooks>(*this);
    if (!OpenFileArguments()) {
        m_pMainWnd->DestroyWindow();
        m_options.files.clear();
        return FALSE;
    }
    if (!m_pKavoModule)
        OpenCameraModule();
    ShowMainWindow();
    m_options.files.clear();
    return TRUE;
}

bool COrlaApp::RegisterMainWindowClass()
{
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = m_hInstance;
    wc.hIcon = LoadIconA(m_hInstance, MAKEINTRESOURCEA(IDI_MAINFRAME));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
    wc.lpszClassName = kMainWindowClass;
    if (!RegisterClassA(&wc)) {
        m_strMainClass.clear();
        return false;
    }
    m_strMainClass = kMainWindowClass;
    return true;
}

void COrlaApp::CreateUIFont()
{
    LOGFONTA base{};
    const bool found = GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base) == sizeof base ||
                       GetObjectA(GetStockObject(SYSTEM_FONT), sizeof base, &base) == sizeof base;
    if (!found) {
        base = LOGFONTA{};
        std::strcpy(base.lfFaceName, "System");
        base.lfHeight = 10;
        base.lfCharSet = ANSI_CHARSET;
    }
    LOGFONTA font{};
    font.lfHeight = base.lfHeight;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = base.lfCharSet;
    std::memcpy(font.lfFaceName, base.lfFaceName, sizeof font.lfFaceName);
    // The dialogs never measure with a font that is gone.
    shell::SetUiFont(nullptr);
    m_fontUI.DeleteObject();
    if (!m_fontUI.CreateFontIndirect(&font))
        return;
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    HGDIOBJ previous = SelectObject(dc, m_fontUI.m_hObject);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(desktop, dc);
    m_nTextHeight = metrics.tmHeight;
    m_nAverageCharWidth = metrics.tmAveCharWidth;
    shell::SetUiFont(GetUIFont());
}

void COrlaApp::CreateDocumentTemplates()
{
    // Once per process: the document manager keeps them (the tests start the
    // same application object again).
    if (m_pImageTemplate)
        return;
    m_pImageTemplate = new COrlaDocTemplate(IDR_IMAGE_DOC, RUNTIME_CLASS(CImageDoc), RUNTIME_CLASS(CImageFrame),
                                            RUNTIME_CLASS(CImageView));
    AddDocTemplate(m_pImageTemplate);
    CImageDoc::SetCopyTemplate(m_pImageTemplate);
    m_pCameraImageTemplate = new COrlaDocTemplate(IDR_CAMERA_IMAGE_DOC, RUNTIME_CLASS(CImageDocStandIn),
                                                  RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CImageViewStandIn));
    AddDocTemplate(m_pCameraImageTemplate);
}

bool COrlaApp::HandToRunningInstance()
{
    HWND running = shell::FindRunningInstance(kMainWindowClass);
    if (!running)
        return false;
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(running));
    for (const std::string& word : m_options.files) {
        // Made absolute here: the running instance has a current folder of its own.
        const std::string path = shell::AbsoluteLongPath(word);
        const auto record = path.empty() ? std::nullopt
                                         : shell::MakeHandOverRecord(path, m_options.import, m_options.deleteSource);
        if (!record)
            continue;
        COPYDATASTRUCT data{};
        data.dwData = shell::kHandOverDataId;
        data.cbData = sizeof *record;
        data.lpData = const_cast<shell::HandOverRecord*>(&*record);
        SendMessageA(running, WM_COPYDATA, reinterpret_cast<WPARAM>(GetDesktopWindow()),
                     reinterpret_cast<LPARAM>(&data));
    }
    return true;
}

void COrlaApp::SetOtherProgramsValues(const char* value)
{
    const UINT entries[][2] = {{IDS_OTHER_KEY_1, IDS_OTHER_VALUE_1}, {IDS_OTHER_KEY_2, IDS_OTHER_VALUE_2}};
    for (const auto& entry : entries) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, TableText(entry[0]), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
            continue;
        RegSetValueExA(key, TableText(entry[1]), 0, REG_SZ, reinterpret_cast<const BYTE*>(value), 2);
        RegCloseKey(key);
    }
}

bool COrlaApp::CreateMainFrame()
{
    auto* frame = new CMainFrame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) {
        // A frame that failed has deleted itself.
        return false;
    }
    m_pMainWnd = frame;
    return true;
}

bool COrlaApp::StartProgressThread()
{
    m_pProgressThread = shell::StartProgressThread(m_pMainWnd->m_hWnd, GetUIFont());
    if (!m_pProgressThread)
        return false;
    m_hProgressWnd = m_pProgressThread->GetProgressWindow();
    return true;
}

void COrlaApp::LoadLocaleNotation()
{
    shell::LoadByteSizeNotation();
    SetShootingDateTimeText(&shell::GetLocaleShootingDateTimeText());
}

void COrlaApp::CreateTileManagers()
{
    std::string folder = StringSetting(kTempFolder);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';

    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    const uint64_t physical = GlobalMemoryStatusEx(&memory) ? memory.ullTotalPhys : 0;
    const int32_t drawingBudget =
        shell::TileManagerBudget(physical, static_cast<uint32_t>(IntSetting(kDrawingPercent)),
                                 static_cast<uint32_t>(IntSetting(kDrawingMinimum)),
                                 static_cast<uint32_t>(IntSetting(kDrawingMaximum)));
    const int32_t savingBudget =
        shell::TileManagerBudget(physical, static_cast<uint32_t>(IntSetting(kSavingPercent)),
                                 static_cast<uint32_t>(IntSetting(kSavingMinimum)),
                                 static_cast<uint32_t>(IntSetting(kSavingMaximum)));

    auto create = [&](const char* name, int32_t budget, int32_t tileBytes, IVorlatManager** out) {
        _VorlatFile pageFile;
        IVorlatManager* manager = nullptr;
        IVorlatError* chain = nullptr;
        if (ToVorlatFile(folder + name, &pageFile))
            chain = IVorlatManager::CreateManager(&manager, pageFile, budget, tileBytes, 0);
        if (manager && !chain) {
            *out = manager;
            return true;
        }
        if (chain)
            chain->Destroy();
        // A manager whose page file failed is made all the same: it goes.
        if (manager)
            manager->Destroy();
        m_nStartupError = kStartupErrorTempFolder;
        AfxMessageBox(kStartupErrorTempFolder, MB_OK | MB_ICONSTOP);
        return false;
    };
    if (!create(kDrawingPageFile, drawingBudget, kDrawingTileBytes, &m_pDrawingManager))
        return;
    if (!create(kSavingPageFile, savingBudget, kSavingTileBytes, &m_pSavingManager))
        return;
    m_idle.SetTileManagers(m_pDrawingManager, m_pSavingManager);
    SetImageManager(m_pSavingManager);
    SetColorProfiles();
}

static_assert(IDS_PROFILE_UNREADABLE == kMessageProfileUnreadable && IDS_PROFILE_VERSION == kMessageProfileVersion &&
              IDS_PROFILE_UNUSABLE == kMessageProfileUnusable,
              "the profile messages of the colour engine's check are the program's strings");
static_assert(IDS_PROFILE_NOT_ICC == shell::kProfileNotIcc && IDS_PROFILE_NOT_CMYK == shell::kProfileNotCmyk &&
              IDS_PROFILE_NOT_MONITOR == shell::kProfileNotMonitor,
              "the messages of the profile settings' check are the program's strings");

void COrlaApp::SetColorProfiles()
{
    const std::string engineFolder = shell::GetProfileFolder();
    SetEngineFolder(engineFolder.c_str());
    const std::string lch = engineFolder + static_cast<const char*>(TableText(IDS_LCH_PROFILE));
    if (!SetColorProfilePaths(StringSetting(kRGBProfile).c_str(), StringSetting(kCMYKProfile).c_str(), lch.c_str(),
                              StringSetting(kMonitorProfile).c_str())) {
        m_nStartupError = kStartupErrorProfiles;
        AfxMessageBox(kStartupErrorProfiles, MB_OK | MB_ICONSTOP);
        return;
    }
    // A profile the colour engine cannot read would fail every develop
    // later without a word: it counts as a missing one, and is named.
    ProfileCheck check;
    const int32_t unusable = FindUnusableEngineProfile(0xF, &check);
    if (unusable >= 0) {
        m_nStartupError = kStartupErrorProfiles;
        AfxMessageBox(ProfileFaultText(GetColorProfilePath(unusable), check).c_str(), MB_OK | MB_ICONSTOP);
    }
}

bool COrlaApp::OpenFileArguments()
{
    std::vector<std::string>& files = m_options.files;
    if (files.empty())
        return true;
    shell::RejoinSplitFileNames(files, PathExists);

    // The camera image window is where imported files go; until it exists
    // they open as documents.
    auto* frame = CMainFrame::Get();
    if (m_options.import && frame && !frame->GetCameraImageView())
        frame->SendMessage(WM_COMMAND, ID_VIEW_CAMERA_IMAGE, 0);
    if (m_options.import && m_hProgressWnd) {
        const uint16_t steps = static_cast<uint16_t>(std::min<size_t>(files.size() * 2, 0xFFFF));
        SendMessageA(m_hProgressWnd, shell::kProgressMessage, shell::kProgressBegin,
                     static_cast<LPARAM>(shell::MakeProgressBegin(steps, IDS_LOADING_IMAGE)));
    }
    bool opened = false;
    for (const std::string& file : files) {
        if (CDocument* doc = OpenDocumentFile(shell::ToLongPathName(file).c_str())) {
            m_pLastOpened = doc;
            opened = true;
        }
    }
    if (m_hProgressWnd)
        SendMessageA(m_hProgressWnd, shell::kProgressMessage, shell::kProgressBegin, 0);
    return opened;
}

void COrlaApp::ShowMainWindow()
{
    auto* frame = static_cast<CMainFrame*>(m_pMainWnd);
    frame->ShowWindow(m_nCmdShow);
    frame->UpdateWindow();
    frame->LayoutProgressWindow();
    frame->SendMessage(kDeferredStartup, 0, 0);
    // The splash posts the full deferred start-up when it goes; without one
    // it follows at once.
    if (!m_bSplashShown)
        frame->PostMessage(kDeferredStartup, 1, 0);

    if (m_pLastOpened && frame->GetCameraImageView()) {
        if (CFrameWnd* cameraFrame = frame->GetCameraImageView()->GetParentFrame())
            cameraFrame->SetWindowPos(CWindow(HWND_BOTTOM), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        POSITION pos = m_pLastOpened->GetFirstViewPosition();
        if (CView* view = pos ? m_pLastOpened->GetNextView(pos) : nullptr)
            if (CFrameWnd* viewFrame = view->GetParentFrame())
                frame->MDIActivate(viewFrame->m_hWnd);
    }
}

COrlaKavoModule* COrlaApp::OpenCameraModule()
{
    if (m_pKavoModule)
        return m_pKavoModule;
    DoWaitCursor(1);
    const std::string path = JoinKavoModulePath(shell::GetCommonFilesFolder(),
                                                static_cast<const char*>(TableText(IDS_KAVO_FOLDER)),
                                                static_cast<const char*>(TableText(IDS_KAVO_MODULE_FILE)));
    m_pKavoModule = new COrlaKavoModule(&m_kavoPrompt);
    m_pKavoModule->SetListener(this);
    const int32_t result = m_pKavoModule->Open(path.c_str());
    if (result == kKavoLoadFailed || result == kKavoNoEntryPoint || result == kKavoOutOfMemory) {
        delete m_pKavoModule;
        m_pKavoModule = nullptr;
        if (auto* frame = CMainFrame::Get())
            frame->SetCameraState(kCameraNone);
        const UINT message = result == kKavoLoadFailed    ? IDS_KAVO_LOAD_FAILED
                             : result == kKavoNoEntryPoint ? IDS_KAVO_INIT_FAILED
                                                           : IDS_KAVO_NO_MEMORY;
        char text[1024];
        std::snprintf(text, sizeof text, "%s", static_cast<const char*>(TableText(message)));
        std::string shown = text;
        const size_t at = shown.find("%1");
        if (at != std::string::npos)
            shown.replace(at, 2, path);
        AfxMessageBox(shown.c_str(), MB_OK | MB_ICONSTOP);
        DoWaitCursor(-1);
        return nullptr;
    }
    if (result == kKavoOk) {
        CCommandQueue queue(0);
        if (m_pKavoModule->QueueChildEnumeration(&queue) == kKavoOk)
            WaitForCommandQueue(&queue);
        // The cameras that the enumeration opened are announced as they would
        // be by the module's own event.
        for (const CKavoBasePtrWrapper& holder : m_pKavoModule->GetChildren()) {
            if (m_pKavoSource)
                break;
            OnKavoChildAdded(kKavoLevelSource, holder.Get());
        }
        if (!m_pKavoSource) {
            if (auto* frame = CMainFrame::Get())
                frame->SetCameraState(kCameraNone);
            StartCameraTimer(kCameraPollMs);
        }
    }
    DoWaitCursor(-1);
    return m_pKavoModule;
}

COrlaKavoSource* COrlaApp::GetKavoSource(bool open)
{
    if (!m_pKavoSource && open && !m_pKavoModule)
        OpenCameraModule();
    return m_pKavoSource;
}

void COrlaApp::StartCameraTimer(UINT interval)
{
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd)
        return;
    m_nCameraTimer = m_pMainWnd->SetTimer(kCameraTimer, interval);
    m_nCameraInterval = interval;
}

void COrlaApp::KillCameraTimer()
{
    if (m_nCameraTimer && m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->KillTimer(m_nCameraTimer);
    m_nCameraTimer = 0;
}

void COrlaApp::DestroyTileManagers()
{
    m_idle.SetTileManagers(nullptr, nullptr);
    SetImageManager(nullptr);
    if (m_pDrawingManager)
        m_pDrawingManager->Destroy();
    m_pDrawingManager = nullptr;
    if (m_pSavingManager)
        m_pSavingManager->Destroy();
    m_pSavingManager = nullptr;
}

void COrlaApp::CloseCameraModule()
{
    if (!m_pKavoModule)
        return;
    // What the queues still hold gets two seconds, then the module closes
    // whatever is left.
    const DWORD start = GetTickCount();
    while (DoIdleWork(0, false) && GetTickCount() - start < 2000) {
    }
    m_pKavoSource = nullptr;
    m_pKavoModule->Close();
    delete m_pKavoModule;
    m_pKavoModule = nullptr;
}

int COrlaApp::ExitInstance()
{
    // The documents are gone with the main window; nothing loads or draws from here on.
    m_pImageHooks.reset();
    CDlgAbout::CloseSplash();
    SetShootingDateTimeText(nullptr);
    if (!m_strMainClass.empty()) {
        if (!m_options.unregister) {
            shell::SetIntSetting(kAutoFitToWindow, m_bAutoFitToWindow ? 1 : 0);
            shell::SetIntSetting(kCursorMode, m_nCursorMode);
        }
        DestroyTileManagers();
        CloseCameraModule();
        SetOtherProgramsValues("0");
        UnregisterClassA(m_strMainClass.c_str(), m_hInstance);
        m_strMainClass.clear();
    }
    if (m_bColorEnginePool) {
        DestroyColorEnginePool();
        m_bColorEnginePool = false;
    }
    if (m_bOleInitialized) {
        AfxOleTerm();
        m_bOleInitialized = false;
    }
    return CWinApp::ExitInstance();
}
