// The program's main window: the MDI frame with the tool bar, the status
// bar, the MDI client and the floating palettes. It finishes start-up once
// the splash window has gone, hands the current image to the palettes,
// keeps the camera polled by running the idle work on its timer, and on
// closing stores the palette layout.
//
// Made by the application with `new` and loaded from resource 128
// (LoadFrame(128, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)); it deletes itself
// after WM_NCDESTROY.
#pragma once

#include <cstdint>

#include "app/shell/frame/frame_messages.h"
#include "app/shell/frame/mdi_client_wnd.h"
#include "app/shell/frame/my_status_bar.h"
#include "app/shell/frame/my_tool_bar.h"
#include "app/shell/frame/palette_standins/tool_palettes.h"
#include "app/shell/frame/palette_target.h"
#include "clx/gdi.h"
#include "clx/mdi.h"

class CView;

// Camera states of the CAM pane.
constexpr int32_t kCameraNone = 0;
constexpr int32_t kCameraUnknown = 1;
constexpr int32_t kCameraConnected = 2;

// Makes `window` and all its descendants paint at once whatever of them is
// already invalid (nothing new is invalidated), with the application's
// synchronous-painting mark set meanwhile.
void RedrawWindowNow(CWnd* window);

class CMainFrame : public CMDIFrameWnd {
public:
    CMainFrame();
    ~CMainFrame() override;

    // The frame of this process, null when there is none.
    static CMainFrame* Get();

    // ---- the palettes, embedded; a palette is open when its window exists
    CToolCameraControl m_wndCameraControl;
    CToolUnsharpMask m_wndUnsharpMask;
    CToolCurves m_wndCurves;
    CToolColorAdjust m_wndColorAdjust;
    CToolSizeRes m_wndSizeRes;
    CToolBirdsEye m_wndBirdsEye;
    CToolInformation m_wndInformation;
    CToolImageEnhancements m_wndImageEnhancements;
    CToolExposureAdjust m_wndExposureAdjust;
    CToolWBAdjust m_wndWBAdjust;
    CToolNoiseReduction m_wndNoiseReduction;

    // ---- operations for the rest of the program
    PaletteTargetKind GetTargetKind() const { return m_targetKind; }
    // The active MDI child's target: kind and, for one image, its record.
    void GetPaletteTarget(PaletteTargetKind* kind, CImageRecord** record);
    // The n-th selected thumbnail's record (byIndex false) or item n's
    // (byIndex true) of the camera image window; false when there is none.
    bool GetSelectedImageSettings(int n, CImageRecord** record, bool byIndex);
    int32_t GetCameraState() const { return m_cameraState; }
    void SetCameraState(int32_t state);
    int32_t GetDiskState() const { return m_diskState; }
    void SetDiskState(int32_t state);
    // Tab: false hides the open palettes and remembers them, true shows
    // the remembered ones again.
    void ShowHidePalettes(bool show);
    // Places the progress window over the PROGRESS pane (or hides it with
    // the status bar).
    void LayoutProgressWindow();
    // The camera image window's view, null while that window is closed.
    CView* GetCameraImageView() const;
    // Called by the camera image view when it is made and when it goes.
    void SetCameraImageView(CView* view);

    // The folder watch: a thread that asks for a disk-space check whenever
    // the thumbnail or the temporary folder's volume changes, and every 30 s.
    void StartFolderWatch();
    void StopFolderWatch();
    bool IsFolderWatchRunning() const { return m_hFolderWatch != nullptr; }
    // The free bytes of a volume root; false when they cannot be read. Tests
    // give their own; null puts back the system's.
    using DiskFreeQuery = bool (*)(const char* root, double* freeBytes);
    static void SetDiskFreeQuery(DiskFreeQuery query);
    // The tick count that spaces the temporary-disk-full warnings; null
    // puts back the system's.
    using TickSource = uint32_t (*)();
    static void SetTickSource(TickSource source);
    // What the watch thread reads (main_frame_storage.cpp).
    struct FolderWatch;

    CMyStatusBar& GetStatusBar() { return m_wndStatusBar; }
    CMyToolBar& GetToolBar() { return m_wndToolBar; }
    CMDIClientWnd& GetMDIClient() { return m_wndMDIClient; }

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) override;
    // Every help request of the class library ends here.
    void WinHelp(DWORD_PTR data, UINT cmd = HELP_CONTEXT) override;

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnClose();
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnActivate(UINT state, CWindow other, BOOL minimized);
    void OnActivateApp(BOOL active, DWORD threadId);
    void OnEnterIdle(UINT reason, CWindow who);
    void OnWindowPosChanged(WINDOWPOS* pos);
    void OnDrawItem(int id, DRAWITEMSTRUCT* item);
    BOOL OnCopyData(CWindow from, COPYDATASTRUCT* data);
    LRESULT OnDeferredStartup(WPARAM full, LPARAM);
    LRESULT OnPreferencesChanged(WPARAM, LPARAM);
    LRESULT OnSetPaletteTarget(WPARAM kind, LPARAM record);
    LRESULT OnGetAdjustmentPanel(WPARAM, LPARAM);
    LRESULT OnCommandHelp(WPARAM, LPARAM helpId);
    void OnHelpFinder();
    LRESULT OnHelpHitTest(WPARAM, LPARAM point);
    // The handlers of the received files, transfers and storage watch.
    LRESULT OnTransferRequest(WPARAM item, LPARAM);
    LRESULT OnCheckDiskSpace(WPARAM, LPARAM);
    LRESULT OnShowDiskStatus(WPARAM, LPARAM);
    LRESULT OnTempDiskFull(WPARAM, LPARAM);

    // ---- commands (main_frame_commands.cpp)
    void OnToggleUnsharpMask();
    void OnToggleCurves();
    void OnToggleColorAdjust();
    void OnToggleSizeRes();
    void OnToggleBirdsEye();
    void OnToggleInformation();
    void OnToggleCameraControl();
    void OnToggleImageEnhancements();
    void OnToggleWBAdjust();
    void OnToggleExposureAdjust();
    void OnToggleNoiseReduction();
    void OnUpdateToggle(CCmdUI* ui);
    void OnUpdateCameraControl(CCmdUI* ui);
    void OnToggleCameraImage();
    void OnUpdateCameraImage(CCmdUI* ui);
    void OnCustomSettings();
    void OnEditCameraCurves();
    void OnSetDateTime();
    void OnMeasureWhiteBalance();
    void OnEditCameraId();
    void OnUpdateCameraCommand(CCmdUI* ui);
    void OnBatch();
    void OnTimeLapse();
    void OnCurveChannel(UINT id);
    void OnShoot();
    void OnAutofocusShoot();
    void OnWindowTile();
    void OnUpdateAlwaysEnabled(CCmdUI* ui) { ui->Enable(TRUE); }
    bool OnStatusBarToggle(UINT id);
    // Show Thumbnail reaches the frame only when no camera image window took it.
    void OnShowThumbnail() {}
    bool OnSettingsFile(UINT id);
    void OnUpdateSettingsFile(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()

private:
    // Opens or closes one palette; a targeted palette gets the current target.
    void TogglePalette(CToolBase& palette, CToolTargeted* targeted);
    void OpenPalette(CToolBase& palette, CToolTargeted* targeted);
    void OpenCameraImageWindow();
    // The idle-work loop of the camera timer and of WM_ENTERIDLE.
    void RunIdleWork(bool stopOnTimer1004);
    // Step 2 of the deferred start-up: the first run's window positions.
    void WriteFirstRunLayout();
    void PlaceFirstRunPalettes();
    // Draws one pane's state picture when the pane meets the item rectangle.
    void DrawPane(HDC dc, const RECT& item, UINT paneId, const CBitmap& strip, CSize picture, int32_t state);
    void RedrawPane(UINT paneId);

    // The folder watch's thread and what it shares with it (owned).
    HANDLE m_hFolderWatch = nullptr;
    FolderWatch* m_pFolderWatch = nullptr;
    // The temporary-disk-full warning.
    bool m_tempWarningEnabled = true;
    bool m_tempWarningBusy = false;
    uint32_t m_lastTempWarning = 0;

    CView* m_pCameraImageView = nullptr;
    HWND m_hCameraImageView = nullptr;
    int32_t m_cameraState = kCameraUnknown;
    int32_t m_diskState = 2;
    CMDIClientWnd m_wndMDIClient;
    CMyStatusBar m_wndStatusBar;
    CMyToolBar m_wndToolBar;
    CBitmap m_bmpCam;
    CSize m_sizeCam;
    CBitmap m_bmpDisk;
    CSize m_sizeDisk;
    PaletteTargetKind m_targetKind = kTargetNone;
};
