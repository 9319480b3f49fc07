#include "app/shell/frame/main_frame.h"

#include <algorithm>
#include <iterator>

#include "app/core/docview/image_view.h"
#include "app/shell/dialogs/dlg_disk_status.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame_host.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "app/shell/util/file_names.h"
#include "clx/app.h"
#include "clx/document.h"
#include "clx/messages.h"
#include "clx/view.h"

namespace {

CMainFrame* g_frame = nullptr;

// Bits of the palettes that Tab hid, for the next Tab.
uint16_t g_hiddenPalettes = 0;

constexpr UINT kIndicators[] = {ID_INDICATOR_CAM, ID_INDICATOR_DISK, ID_INDICATOR_PROGRESS, 0};
constexpr int kSeparatorPane = 3;

constexpr shell::SettingId kPosMain = 1121;
constexpr shell::SettingId kNextImageSettings = 1044;
constexpr shell::SettingId kNextImageSettingsFile = 1053;
constexpr shell::SettingId kImageEnhancementsVisible = 1149;
constexpr shell::SettingId kFirstTimeInitialized = 1106;
constexpr shell::SettingId kThumbnailFolder = 1046;
constexpr shell::SettingId kTempFolder = 1051;
constexpr shell::SettingId kCameraImageVisible = 1130;

// The idle run of one timer tick yields to input long before this.
constexpr long kMaxIdleSteps = 10000;

bool IntSetting(shell::SettingId id)
{
    int32_t value = 0;
    return shell::GetIntSetting(id, &value) && value != 0;
}

}  // namespace

IMainFrameHost* GetMainFrameHost()
{
    return dynamic_cast<IMainFrameHost*>(AfxGetApp());
}

#define ON_SETTINGS_FILE(id) \
    ON_COMMAND_EX(id, OnSettingsFile) \
    ON_UPDATE_COMMAND_UI(id, OnUpdateSettingsFile)

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_WM_ACTIVATE()
    ON_WM_ACTIVATEAPP()
    ON_WM_ENTERIDLE()
    ON_WM_WINDOWPOSCHANGED()
    ON_WM_DRAWITEM()
    ON_WM_COPYDATA()
    ON_MESSAGE(WM_DEFERRED_STARTUP, OnDeferredStartup)
    ON_MESSAGE(WM_PREFERENCES_CHANGED, OnPreferencesChanged)
    ON_MESSAGE(WM_SET_PALETTE_TARGET, OnSetPaletteTarget)
    ON_MESSAGE(WM_GET_ADJUSTMENT_PANEL, OnGetAdjustmentPanel)
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
    ON_MESSAGE(WM_TRANSFER_REQUEST, OnTransferRequest)
    ON_MESSAGE(WM_CHECK_DISK_SPACE, OnCheckDiskSpace)
    ON_MESSAGE(WM_SHOW_DISK_STATUS, OnShowDiskStatus)
    ON_MESSAGE(WM_TEMP_DISK_FULL, OnTempDiskFull)
    // Palettes
    ON_COMMAND(ID_VIEW_UNSHARP_MASK, OnToggleUnsharpMask)
    ON_COMMAND(ID_VIEW_CURVES, OnToggleCurves)
    ON_COMMAND(ID_VIEW_COLOR_BALANCE, OnToggleColorAdjust)
    ON_COMMAND(ID_VIEW_SIZE_RES, OnToggleSizeRes)
    ON_COMMAND(ID_VIEW_BIRDS_EYE, OnToggleBirdsEye)
    ON_COMMAND(ID_VIEW_INFORMATION, OnToggleInformation)
    ON_COMMAND(ID_VIEW_CAMERA_CONTROL, OnToggleCameraControl)
    ON_COMMAND(ID_VIEW_IMAGE_ENHANCEMENTS, OnToggleImageEnhancements)
    ON_COMMAND(ID_VIEW_WHITE_BALANCE, OnToggleWBAdjust)
    ON_COMMAND(ID_VIEW_ADVANCED_RAW, OnToggleExposureAdjust)
    ON_COMMAND(ID_VIEW_NOISE_REDUCTION, OnToggleNoiseReduction)
    ON_UPDATE_COMMAND_UI(ID_VIEW_UNSHARP_MASK, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_CURVES, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_COLOR_BALANCE, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SIZE_RES, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_BIRDS_EYE, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_INFORMATION, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_CAMERA_CONTROL, OnUpdateCameraControl)
    ON_UPDATE_COMMAND_UI(ID_VIEW_IMAGE_ENHANCEMENTS, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_WHITE_BALANCE, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ADVANCED_RAW, OnUpdateToggle)
    ON_UPDATE_COMMAND_UI(ID_VIEW_NOISE_REDUCTION, OnUpdateToggle)
    // Camera image window and camera
    ON_COMMAND(ID_VIEW_CAMERA_IMAGE, OnToggleCameraImage)
    ON_UPDATE_COMMAND_UI(ID_VIEW_CAMERA_IMAGE, OnUpdateCameraImage)
    ON_COMMAND(ID_CAMERA_CUSTOM_SETTINGS, OnCustomSettings)
    ON_COMMAND(ID_CAMERA_CURVES, OnEditCameraCurves)
    ON_COMMAND(ID_CAMERA_DATE_TIME, OnSetDateTime)
    ON_COMMAND(ID_CAMERA_MEASURE_WB, OnMeasureWhiteBalance)
    ON_COMMAND(ID_CAMERA_EDIT_ID, OnEditCameraId)
    ON_COMMAND(ID_CAMERA_TIME_LAPSE, OnTimeLapse)
    ON_UPDATE_COMMAND_UI(ID_CAMERA_CUSTOM_SETTINGS, OnUpdateCameraCommand)
    ON_UPDATE_COMMAND_UI(ID_CAMERA_CURVES, OnUpdateCameraCommand)
    ON_UPDATE_COMMAND_UI(ID_CAMERA_DATE_TIME, OnUpdateCameraCommand)
    ON_UPDATE_COMMAND_UI(ID_CAMERA_MEASURE_WB, OnUpdateCameraCommand)
    ON_UPDATE_COMMAND_UI(ID_CAMERA_EDIT_ID, OnUpdateCameraCommand)
    ON_UPDATE_COMMAND_UI(ID_CAMERA_TIME_LAPSE, OnUpdateCameraCommand)
    ON_COMMAND(ID_FILE_BATCH, OnBatch)
    ON_COMMAND_RANGE(ID_CURVES_CHANNEL_BLUE, ID_CURVES_CHANNEL_RGB, OnCurveChannel)
    ON_COMMAND(ID_CAMERA_SHOOT, OnShoot)
    ON_COMMAND(ID_CAMERA_AF_SHOOT, OnAutofocusShoot)
    // Windows and bars
    ON_COMMAND(ID_WINDOW_TILE_HORZ, OnWindowTile)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_HORZ, OnUpdateAlwaysEnabled)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnStatusBarToggle)
    ON_COMMAND(ID_SHOW_THUMBNAIL, OnShowThumbnail)
    // Help Topics and the default help open the help file's start page.
    ON_COMMAND(ID_HELP_FINDER, OnHelpFinder)
    ON_COMMAND(ID_DEFAULT_HELP, OnHelpFinder)
    // Settings files of the palettes
    ON_SETTINGS_FILE(ID_SETTINGS_USM_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_USM_SAVE)
    ON_SETTINGS_FILE(ID_SETTINGS_USM_RESET)
    ON_SETTINGS_FILE(ID_SETTINGS_CURVES_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_CURVES_SAVE)
    ON_SETTINGS_FILE(ID_SETTINGS_CURVES_RESET)
    ON_SETTINGS_FILE(ID_SETTINGS_COLOR_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_COLOR_SAVE)
    ON_SETTINGS_FILE(ID_SETTINGS_COLOR_RESET)
    ON_SETTINGS_FILE(ID_SETTINGS_SIZE_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_SIZE_SAVE)
    ON_SETTINGS_FILE(ID_SETTINGS_SIZE_RESET)
    ON_SETTINGS_FILE(ID_SETTINGS_WB_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_WB_SAVE)
    ON_SETTINGS_FILE(ID_SETTINGS_WB_RESET)
    ON_SETTINGS_FILE(ID_SETTINGS_RAW_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_RAW_SAVE)
    ON_SETTINGS_FILE(ID_SETTINGS_RAW_RESET)
    ON_SETTINGS_FILE(ID_SETTINGS_NR_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_NR_SAVE)
    ON_SETTINGS_FILE(ID_SETTINGS_NR_RESET)
    ON_SETTINGS_FILE(ID_SETTINGS_CAMERA_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_CAMERA_SAVE)
    ON_SETTINGS_FILE(ID_SETTINGS_ENHANCE_LOAD)
    ON_SETTINGS_FILE(ID_SETTINGS_ENHANCE_SAVE)
END_MESSAGE_MAP()

CMainFrame::CMainFrame()
{
    g_frame = this;
}

CMainFrame::~CMainFrame()
{
    if (g_frame == this)
        g_frame = nullptr;
}

CMainFrame* CMainFrame::Get()
{
    return g_frame;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    IMainFrameHost* host = GetMainFrameHost();
    const char* className = host ? host->GetMainWindowClassName() : nullptr;
    if (className && *className)
        cs.lpszClass = className;
    cs.style &= ~static_cast<LONG>(FWS_ADDTOTITLE);
    // The class library hands these to the MDI client.
    cs.style |= WS_HSCROLL | WS_VSCROLL;
    return CMDIFrameWnd::PreCreateWindow(cs);
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg)
{
    // F1 on the empty client area has no help of its own.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1 && m_hWndMDIClient && msg->hwnd == m_hWndMDIClient)
        return TRUE;
    return CMDIFrameWnd::PreTranslateMessage(msg);
}

BOOL CMainFrame::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo)
{
    if (CMDIFrameWnd::OnCmdMsg(id, code, extra, handlerInfo))
        return TRUE;
    // What nobody else took goes to the open palettes, in this order; the
    // bird's eye and information palettes take no commands.
    CToolBase* const offered[] = {&m_wndCurves,        &m_wndUnsharpMask, &m_wndColorAdjust,
                                  &m_wndSizeRes,       &m_wndCameraControl, &m_wndWBAdjust,
                                  &m_wndExposureAdjust, &m_wndNoiseReduction, &m_wndImageEnhancements};
    for (CToolBase* palette : offered)
        if (palette->IsOpen() && palette->CCmdTarget::OnCmdMsg(id, code, extra, handlerInfo))
            return TRUE;
    return FALSE;
}

int CMainFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CMDIFrameWnd::OnCreate(cs) == -1)
        return -1;
    if (!m_wndMDIClient.SubclassWindow(m_hWndMDIClient))
        return -1;

    CWinApp* app = AfxGetApp();
    shell::WindowPositionRecord position{};
    position.showCommand = app ? app->m_nCmdShow : SW_SHOWNORMAL;
    if (shell::LoadWindowPosition(kPosMain, &position, false)) {
        // Never start minimised.
        if (position.showCommand == SW_SHOWMINIMIZED)
            position.showCommand = SW_SHOWNORMAL;
        if (app)
            app->m_nCmdShow = position.showCommand;
        SetWindowPos(nullptr, position.left, position.top, position.width, position.height,
                     SWP_NOACTIVATE | SWP_NOZORDER);
    }

    if (!m_wndToolBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
        return -1;

    if (!m_bmpCam.LoadBitmap(IDB_CAM_STATES) || !m_bmpDisk.LoadBitmap(IDB_DISK_STATES))
        return -1;
    const CSize cam = m_bmpCam.GetSize();
    const CSize disk = m_bmpDisk.GetSize();
    m_sizeCam = CSize(cam.cx, cam.cy / 3);
    m_sizeDisk = CSize(disk.cx, disk.cy / 3);

    m_wndStatusBar.SetPaneInfo(kSeparatorPane, 0, SBPS_NOBORDERS | SBPS_STRETCH, 0);
    const int progress = m_wndStatusBar.CommandToIndex(ID_INDICATOR_PROGRESS);
    m_wndStatusBar.SetPaneInfo(progress, ID_INDICATOR_PROGRESS, SBPS_OWNERDRAW | SBPS_DISABLED, 0);
    const int camPane = m_wndStatusBar.CommandToIndex(ID_INDICATOR_CAM);
    m_wndStatusBar.SetPaneInfo(camPane, ID_INDICATOR_CAM, SBPS_OWNERDRAW | SBPS_DISABLED, m_sizeCam.cx);
    const int diskPane = m_wndStatusBar.CommandToIndex(ID_INDICATOR_DISK);
    m_wndStatusBar.SetPaneInfo(diskPane, ID_INDICATOR_DISK, SBPS_OWNERDRAW | SBPS_DISABLED, m_sizeDisk.cx);

    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar, CBRS_ALIGN_TOP);
    return 0;
}

// ---------------------------------------------------------------- start-up

LRESULT CMainFrame::OnDeferredStartup(WPARAM full, LPARAM)
{
    if (!full) {
        if (IntSetting(kCameraImageVisible) && !GetCameraImageView())
            OnToggleCameraImage();
        return 0;
    }

    if (IntSetting(kImageEnhancementsVisible))
        OpenPalette(m_wndImageEnhancements, &m_wndImageEnhancements);

    const bool firstRun = !IntSetting(kFirstTimeInitialized);
    if (firstRun) {
        WriteFirstRunLayout();
        shell::SetIntSetting(kFirstTimeInitialized, 1);
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        m_wndToolBar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }

    struct Remembered {
        shell::SettingId visible;
        CToolBase* palette;
        CToolTargeted* targeted;
    };
    const Remembered remembered[] = {
        {1131, &m_wndCurves, &m_wndCurves},
        {1132, &m_wndUnsharpMask, &m_wndUnsharpMask},
        {1133, &m_wndColorAdjust, &m_wndColorAdjust},
        {1134, &m_wndSizeRes, &m_wndSizeRes},
        {1137, &m_wndCameraControl, nullptr},
        {1148, &m_wndWBAdjust, &m_wndWBAdjust},
        {1147, &m_wndExposureAdjust, &m_wndExposureAdjust},
        {1136, &m_wndBirdsEye, &m_wndBirdsEye},
        {1135, &m_wndInformation, nullptr},
    };
    IMainFrameHost* host = GetMainFrameHost();
    for (const Remembered& r : remembered) {
        if (!IntSetting(r.visible))
            continue;
        // The camera control palette opens only with a camera, and asking
        // for one opens the camera module first.
        if (r.palette == &m_wndCameraControl && !(host && host->HasKavoSource(true)))
            continue;
        OpenPalette(*r.palette, r.targeted);
    }

    if (firstRun)
        PlaceFirstRunPalettes();

    if (!IntSetting(kNextImageSettings)) {
        CQzString file;
        shell::GetStringSetting(kNextImageSettingsFile, file);
        // An empty setting names no file: nothing is missing.
        if (!file.IsEmpty() && ::GetFileAttributesA(static_cast<const char*>(file)) == INVALID_FILE_ATTRIBUTES)
            AfxMessageBox(IDS_NEXT_SETTINGS_MISSING, MB_OK);
    }
    StartFolderWatch();
    return 0;
}

namespace {

RECT WorkArea()
{
    RECT area{};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return area;
}

// Writes one record unless the section's key cannot be opened.
void WritePosition(shell::SettingId id, const shell::WindowPositionRecord& record)
{
    const char* name = shell::WindowPositionName(id);
    HKEY key = nullptr;
    if (!name || !shell::GetRegistryStore().OpenKey(HKEY_CURRENT_USER,
                                                    shell::SectionName(shell::kSectionWindowPositions), &key))
        return;
    uint8_t bytes[shell::kWindowPositionBytes];
    shell::PackWindowPosition(record, bytes);
    ::RegSetValueExA(key, name, 0, REG_BINARY, bytes, sizeof bytes);
    ::RegCloseKey(key);
}

}  // namespace

void CMainFrame::WriteFirstRunLayout()
{
    const RECT work = WorkArea();
    const int caption = ::GetSystemMetrics(SM_CYCAPTION);
    const int step = ::GetSystemMetrics(SM_CYSMCAPTION) + 2;

    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_wndImageEnhancements.IsOpen()) {
        const CRect r = m_wndImageEnhancements.GetWindowRect();
        m_wndImageEnhancements.SetWindowPos(nullptr, work.right - r.Width(), caption, 0, 0,
                                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_wndImageEnhancements.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }

    const shell::SettingId cascade[] = {1124, 1125, 1126, 1128, 1127};
    const int32_t cascadeTop = work.top + (work.bottom - work.top) / 3;
    for (int32_t k = 0; k < static_cast<int32_t>(std::size(cascade)); ++k)
        WritePosition(cascade[k], {k * step, cascadeTop + k * step, 1, 1, SW_SHOWNORMAL});

    WritePosition(1129, {(work.right - work.left - 300) / 2, (work.bottom - work.top - 300) / 2, 1, 1,
                         SW_SHOWNORMAL});

    const CRect client = GetClientRect();
    const int32_t bars = m_wndStatusBar.GetWindowRect().Height() + m_wndToolBar.GetWindowRect().Height();
    WritePosition(1122, {0, 0, client.Width() * 80 / 100, client.Height() * 90 / 100 - bars, SW_SHOWNORMAL});
}

void CMainFrame::PlaceFirstRunPalettes()
{
    const RECT work = WorkArea();
    const UINT keep = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    CPoint corner(0, 0);
    if (m_wndWBAdjust.IsOpen()) {
        const CRect r = m_wndWBAdjust.GetWindowRect();
        corner = CPoint(work.right - r.Width(), work.bottom - r.Height());
        m_wndWBAdjust.SetWindowPos(nullptr, corner.x, corner.y, 0, 0, keep);
    }
    if (m_wndCurves.IsOpen()) {
        const CRect r = m_wndCurves.GetWindowRect();
        const int x = std::max<int>(work.right - r.Width(), work.left);
        const int y = std::max<int>(corner.y - r.Height(), work.top);
        m_wndCurves.SetWindowPos(nullptr, x, y, 0, 0, keep);
    }
    if (m_wndExposureAdjust.IsOpen()) {
        const CRect r = m_wndExposureAdjust.GetWindowRect();
        const int x = std::max<int>(corner.x - r.Width(), work.left);
        const int y = std::max<int>(work.bottom - r.Height(), work.top);
        m_wndExposureAdjust.SetWindowPos(nullptr, x, y, 0, 0, keep);
    }
}

LRESULT CMainFrame::OnPreferencesChanged(WPARAM, LPARAM)
{
    // The thumbnail or the temporary folder may have moved to another volume.
    StopFolderWatch();
    StartFolderWatch();
    return 0;
}

// ---------------------------------------------------------------- palettes

LRESULT CMainFrame::OnSetPaletteTarget(WPARAM kind, LPARAM lParam)
{
    auto* record = reinterpret_cast<CImageRecord*>(lParam);
    m_targetKind = static_cast<PaletteTargetKind>(kind);
    if (!record || ImageRecordHasMainImage(record)) {
        CWaitCursor wait;
        m_wndUnsharpMask.SetTarget(m_targetKind, record);
        m_wndCurves.SetTarget(m_targetKind, record);
        m_wndColorAdjust.SetTarget(m_targetKind, record);
        m_wndSizeRes.SetTarget(m_targetKind, record);
        m_wndBirdsEye.SetTarget(m_targetKind, record);
        m_wndInformation.ClearValues();
        m_wndWBAdjust.SetTarget(m_targetKind, record);
        m_wndExposureAdjust.SetTarget(m_targetKind, record);
        m_wndNoiseReduction.SetTarget(m_targetKind, record);
        m_wndImageEnhancements.SetTarget(m_targetKind, record);
    }
    if (m_targetKind == kTargetOne && record)
        if (IMainFrameHost* host = GetMainFrameHost())
            host->SetDefaultGridLines(ImageRecordGridLines(record));
    return 0;
}

LRESULT CMainFrame::OnGetAdjustmentPanel(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(&m_wndImageEnhancements);
}

void CMainFrame::GetPaletteTarget(PaletteTargetKind* kind, CImageRecord** record)
{
    *kind = kTargetNone;
    *record = nullptr;
    CMDIChildWnd* child = MDIGetActive();
    CDocument* doc = child ? child->GetActiveDocument() : nullptr;
    if (auto* source = dynamic_cast<IPaletteTargetSource*>(doc)) {
        source->GetPaletteTarget(kind, record);
    } else if (auto* image = dynamic_cast<IImageViewDocument*>(doc)) {
        *kind = kTargetOne;
        *record = &image->GetImageRecord();
    }
}

bool CMainFrame::GetSelectedImageSettings(int n, CImageRecord** record, bool byIndex)
{
    *record = nullptr;
    CView* view = GetCameraImageView();
    auto* source = view ? dynamic_cast<IPaletteTargetSource*>(view->GetDocument()) : nullptr;
    if (!source || !source->GetSelectedImageSettings(n, record, byIndex)) {
        *record = nullptr;
        return false;
    }
    return true;
}

void CMainFrame::ShowHidePalettes(bool show)
{
    struct Bit {
        uint16_t bit;
        CToolBase* palette;
        CToolTargeted* targeted;
    };
    const Bit bits[] = {
        {0x1, &m_wndCameraControl, nullptr},
        {0x2, &m_wndUnsharpMask, &m_wndUnsharpMask},
        {0x4, &m_wndCurves, &m_wndCurves},
        {0x8, &m_wndColorAdjust, &m_wndColorAdjust},
        {0x10, &m_wndSizeRes, &m_wndSizeRes},
        {0x20, &m_wndBirdsEye, &m_wndBirdsEye},
        {0x40, &m_wndInformation, nullptr},
        {0x80, &m_wndImageEnhancements, &m_wndImageEnhancements},
        {0x100, &m_wndExposureAdjust, &m_wndExposureAdjust},
        {0x200, &m_wndWBAdjust, &m_wndWBAdjust},
        {0x400, &m_wndNoiseReduction, &m_wndNoiseReduction},
    };
    if (!show) {
        g_hiddenPalettes = 0;
        for (const Bit& b : bits) {
            if (!b.palette->IsOpen())
                continue;
            g_hiddenPalettes |= b.bit;
            b.palette->DestroyWindow();
        }
        return;
    }
    IMainFrameHost* host = GetMainFrameHost();
    for (const Bit& b : bits) {
        if (!(g_hiddenPalettes & b.bit) || b.palette->IsOpen())
            continue;
        if (b.palette == &m_wndCameraControl && !(host && host->HasKavoSource(true)))
            continue;
        OpenPalette(*b.palette, b.targeted);
    }
}

// ---------------------------------------------------------------- camera and idle work

void CMainFrame::SetCameraState(int32_t state)
{
    m_cameraState = state;
    if (m_wndStatusBar.m_hWnd)
        RedrawPane(ID_INDICATOR_CAM);
}

void CMainFrame::SetDiskState(int32_t state)
{
    if (!m_wndStatusBar.m_hWnd || state == m_diskState)
        return;
    m_diskState = state;
    RedrawPane(ID_INDICATOR_DISK);
}

CView* CMainFrame::GetCameraImageView() const
{
    // The view deletes itself with its window; a pointer whose window went is no view.
    if (!m_hCameraImageView || FromHandlePermanent(m_hCameraImageView) != m_pCameraImageView)
        return nullptr;
    return m_pCameraImageView;
}

void CMainFrame::SetCameraImageView(CView* view)
{
    m_pCameraImageView = view;
    m_hCameraImageView = view ? view->m_hWnd : nullptr;
}

void RedrawWindowNow(CWnd* window)
{
    if (!window || !window->m_hWnd)
        return;
    IMainFrameHost* host = GetMainFrameHost();
    const bool previous = host ? host->SetSynchronousPainting(true) : false;
    window->RedrawWindow(nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (host)
        host->SetSynchronousPainting(previous);
}

void CMainFrame::RunIdleWork(bool mergeCameraTimer)
{
    IMainFrameHost* host = GetMainFrameHost();
    if (!host)
        return;
    for (long count = 0; count < kMaxIdleSteps; ++count) {
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            const bool merged = msg.message == WM_TIMER &&
                                (msg.wParam == kMergedTimerId || (mergeCameraTimer && msg.wParam == kCameraTimerId));
            if (!merged)
                break;
            // Merged into this run rather than queued as more work.
            ::PeekMessageA(&msg, msg.hwnd, WM_TIMER, WM_TIMER, PM_REMOVE);
        }
        if (!host->DoIdleWork(count, false))
            break;
    }
}

void CMainFrame::OnTimer(UINT_PTR id)
{
    if (id == kCameraTimerId)
        RunIdleWork(true);
    Default();
}

void CMainFrame::OnEnterIdle(UINT reason, CWindow who)
{
    CMDIFrameWnd::OnEnterIdle(reason, who);
    RunIdleWork(false);
}

void CMainFrame::OnActivateApp(BOOL active, DWORD threadId)
{
    CMDIFrameWnd::OnActivateApp(active, threadId);
    IMainFrameHost* host = GetMainFrameHost();
    if (!host || !host->GetCameraTimerId() || !host->GetCameraTimerInterval())
        return;
    // The poll slows down while the program is in the background.
    const UINT interval = host->GetCameraTimerInterval();
    SetTimer(kCameraTimerId, active ? interval : 4 * interval, nullptr);
}

void CMainFrame::OnActivate(UINT state, CWindow other, BOOL minimized)
{
    CMDIFrameWnd::OnActivate(state, other, minimized);
    if (state == WA_INACTIVE || minimized)
        return;
    const UINT now = RDW_INVALIDATE | RDW_UPDATENOW;
    if (m_wndToolBar.m_hWnd)
        m_wndToolBar.RedrawWindow(nullptr, nullptr, now);
    if (m_wndStatusBar.m_hWnd)
        m_wndStatusBar.RedrawWindow(nullptr, nullptr, now);
}

void CMainFrame::OnWindowPosChanged(WINDOWPOS* pos)
{
    CMDIFrameWnd::OnWindowPosChanged(pos);
    if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
        LayoutProgressWindow();
}

void CMainFrame::LayoutProgressWindow()
{
    IMainFrameHost* host = GetMainFrameHost();
    const HWND progress = host ? host->GetProgressWindow() : nullptr;
    if (!progress || !m_wndStatusBar.m_hWnd)
        return;
    if (!m_wndStatusBar.IsWindowVisible()) {
        ::SendMessageA(progress, WM_PROGRESS, kProgressPlace, 0);
        return;
    }
    CRect pane;
    m_wndStatusBar.GetItemRect(m_wndStatusBar.CommandToIndex(ID_INDICATOR_PROGRESS), &pane);
    pane.right = m_wndStatusBar.GetClientRect().right;
    ::MapWindowPoints(m_wndStatusBar.m_hWnd, m_hWnd, reinterpret_cast<POINT*>(&pane), 2);
    ::SendMessageA(progress, WM_PROGRESS, kProgressPlace, reinterpret_cast<LPARAM>(&pane));
}

// ---------------------------------------------------------------- status panes

void CMainFrame::OnDrawItem(int id, DRAWITEMSTRUCT* item)
{
    if (id != AFX_IDW_STATUS_BAR)
        return;
    DrawPane(item->hDC, item->rcItem, ID_INDICATOR_CAM, m_bmpCam, m_sizeCam, m_cameraState);
    DrawPane(item->hDC, item->rcItem, ID_INDICATOR_DISK, m_bmpDisk, m_sizeDisk, m_diskState);
}

void CMainFrame::DrawPane(HDC dc, const RECT& item, UINT paneId, const CBitmap& strip, CSize picture, int32_t state)
{
    CRect pane;
    m_wndStatusBar.GetItemRect(m_wndStatusBar.CommandToIndex(paneId), &pane);
    RECT overlap;
    if (!::IntersectRect(&overlap, &pane, &item))
        return;
    ::FillRect(dc, &pane, ::GetSysColorBrush(COLOR_3DFACE));
    // State 2 is the top picture, state 0 the bottom one.
    if (state < 0 || state > 2 || !strip.m_hObject)
        return;
    const int sourceY = (2 - state) * picture.cy;
    const int x = pane.left + (pane.right - picture.cx - pane.left) / 2;
    const int y = pane.top + (pane.bottom - picture.cy - pane.top) / 2;
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(memory, strip.m_hObject);
    ::BitBlt(dc, x, y, picture.cx, picture.cy, memory, 0, sourceY, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

void CMainFrame::RedrawPane(UINT paneId)
{
    CRect pane;
    m_wndStatusBar.GetItemRect(m_wndStatusBar.CommandToIndex(paneId), &pane);
    m_wndStatusBar.RedrawWindow(&pane, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// ---------------------------------------------------------------- received files, transfers, storage watch

// A file handed over by a second start. A modal dialog disables the frame:
// what arrives meanwhile is dropped, never opened behind the dialog.
BOOL CMainFrame::OnCopyData(CWindow, COPYDATASTRUCT* data)
{
    if (data && IsWindowEnabled())
        if (IMainFrameHost* host = GetMainFrameHost())
            host->ReceiveHandOver(data->dwData, data->lpData, data->cbData);
    return static_cast<BOOL>(Default());
}

// Transfers of camera images arrive with the camera image window; until then
// a request is answered without effect.
LRESULT CMainFrame::OnTransferRequest(WPARAM, LPARAM)
{
    return 0;
}

// The volumes of the thumbnail and the temporary folders, as the folder watch sees them.
LRESULT CMainFrame::OnShowDiskStatus(WPARAM, LPARAM)
{
    std::string roots[2];
    const shell::SettingId folders[2] = {kThumbnailFolder, kTempFolder};
    for (int i = 0; i < 2; ++i) {
        CQzString folder;
        shell::GetStringSetting(folders[i], folder);
        roots[i] = shell::VolumeRoot(folder);
        // A folder that names no volume is asked as it stands.
        if (roots[i].empty())
            roots[i] = static_cast<const char*>(folder);
    }
    CDlgDiskStatus dialog(this);
    dialog.SetPaths(roots[0].c_str(), roots[1].c_str());
    dialog.DoModal();
    return 0;
}
