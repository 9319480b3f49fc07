// COrlaApp: the one application object of Tessaline (a global). It starts
// the program (registry names, command line, single instance and the hand-
// over of files to a running instance, tile managers, colour profiles,
// camera module, main frame and progress thread), shares the idle time
// between the camera queues, the histograms and the paging, listens to the
// camera layer, and ends the program.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/camera/app/kavo_user.h"
#include "app/shell/frame/main_frame_host.h"
#include "app/shell/program/idle_work.h"
#include "app/shell/program/start_options.h"
#include "clx/app.h"
#include "clx/gdi.h"
#include "app/core/text/string_resource.h"

class CCommandQueueManager;
class CImageHooks;
class COrlaKavoModule;
class COrlaKavoSource;
class CProgressThread;
class CVorlatFilterHistogram;
class IVorlatManager;

// Set while the program could not initialise the imaging engine: the
// message (6145 or 6146) that every attempt to open an image shows again.
constexpr UINT kStartupErrorTempFolder = qz::StringId(6145);
constexpr UINT kStartupErrorProfiles = qz::StringId(6146);

class COrlaApp : public CWinApp, public IQzKavoUser, public IMainFrameHost, private shell::IIdleWorkHost {
public:
    COrlaApp();
    ~COrlaApp() override;

    BOOL InitInstance() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnIdle(LONG count) override;
    BOOL IsIdleMessage(MSG* msg) override;
    int ExitInstance() override;
    int DoMessageBox(const char* prompt, UINT type, UINT helpId) override;
    // The program's document manager comes with the first template.
    void AddDocTemplate(CDocTemplate* tmpl) override;

    // One idle pass; true when any part has more to do. With `cameraOnly`
    // only the camera queues are served.
    bool DoIdleWork(long count, bool cameraOnly) override;

    // The current camera source; with `open` the camera module is opened
    // first when start-up did not make it.
    COrlaKavoSource* GetKavoSource(bool open);
    // Opens the camera module unless it exists; null when it could not be loaded.
    COrlaKavoModule* OpenCameraModule();

    bool GetAutoFitToWindow() const { return m_bAutoFitToWindow; }
    int32_t GetCursorMode() const { return m_nCursorMode; }
    void SetCursorMode(int32_t mode) { m_nCursorMode = mode; }
    const std::string& GetProgramFolder();
    UINT GetStartupError() const { return m_nStartupError; }
    bool IsWindowsNT4OrLater() const { return m_bWindowsNT4; }
    bool IsOleInitialized() const { return m_bOleInitialized; }

    void SetReceiving(bool receiving, CWnd* dialog);
    bool IsReceiving() const { return m_bReceiving; }
    CWnd* GetReceivingDialog() const { return m_pReceivingDialog; }
    void SetImportDialog(CWnd* dialog) { m_pImportDialog = dialog; }
    CWnd* GetImportDialog() const { return m_pImportDialog; }

    // While set, no camera command goes out (every message box of the
    // application sets it). Returns the previous value.
    bool SetModal(bool modal);
    bool IsModal() const { return m_idle.modal; }
    // While set, the tile managers page nothing. Returns the previous value.
    bool SetPagingSuspended(bool suspended);

    // The histograms of open image views, served in turn at idle time.
    void AddIdleClient(CVorlatFilterHistogram* histogram) { m_idle.AddClient(histogram); }
    void RemoveIdleClient(CVorlatFilterHistogram* histogram) { m_idle.RemoveClient(histogram); }

    IVorlatManager* GetDrawingManager() const { return m_pDrawingManager; }
    IVorlatManager* GetSavingManager() const { return m_pSavingManager; }

    // The interface font and its metrics, for the dialogs' layout.
    HFONT GetUIFont() const { return static_cast<HFONT>(m_fontUI.m_hObject); }
    int GetUITextHeight() const { return m_nTextHeight; }
    int GetUIAverageCharWidth() const { return m_nAverageCharWidth; }

    // ---- IMainFrameHost
    const char* GetMainWindowClassName() const override { return m_strMainClass.c_str(); }
    bool HasKavoSource(bool open) override { return GetKavoSource(open) != nullptr; }
    bool GetCameraName(CQzString& name) override;
    UINT_PTR GetCameraTimerId() const override { return m_nCameraTimer; }
    UINT GetCameraTimerInterval() const override { return m_nCameraInterval; }
    void ForgetCameraTimer() override { m_nCameraTimer = 0; }
    bool SetSynchronousPainting(bool on) override;
    bool IsSynchronousPainting() const { return m_nSynchronousPainting != 0; }
    // The image views' form of the mark: 0 off, 1 paint the whole region, 2 the same under the wait cursor.
    int32_t GetSynchronousPaintingMark() const { return m_nSynchronousPainting; }
    void SetSynchronousPaintingMark(int32_t mark) { m_nSynchronousPainting = mark; }
    void SetDefaultGridLines(bool on) override { m_bDefaultGridLines = on; }
    bool GetDefaultGridLines() const { return m_bDefaultGridLines; }
    HWND GetProgressWindow() const override { return m_hProgressWnd; }
    CWinThread* TakeProgressThread() override;
    void ReceiveHandOver(ULONG_PTR id, const void* data, size_t size) override;

    // ---- IQzKavoUser: every operation answers 1 (go on).
    uint32_t OnKavoProgress(uint32_t level, CKavoBase* object, uint32_t command, uint32_t param, uint32_t done,
                            uint32_t total) override;
    uint32_t OnKavoChildAdded(uint32_t level, CKavoBase* child) override;
    uint32_t OnKavoRemoved(uint32_t level, CKavoBase* object) override;
    uint32_t OnKavoCapabilityChanged(uint32_t level, CKavoBase* object, uint32_t cap, uint32_t kind) override;

    // Sends WM_PREFERENCES_CHANGED to the main window, its descendants and the palettes.
    void BroadcastPreferencesChanged();

protected:
    // The command line's words after the program's own name.
    virtual std::vector<std::string> GetCommandLineWords();

    // ---- start-up steps (orla_app_startup.cpp)
    bool RegisterMainWindowClass();
    void CreateUIFont();
    void CreateDocumentTemplates();
    // Hands the files to a running instance; true when there was one.
    bool HandToRunningInstance();
    void SetOtherProgramsValues(const char* value);
    bool CreateMainFrame();
    bool StartProgressThread();
    void LoadLocaleNotation();
    void CreateTileManagers();
    void SetColorProfiles();
    // False when files were given and none of them opened.
    bool OpenFileArguments();
    void ShowMainWindow();
    void DestroyTileManagers();
    void CloseCameraModule();

    // ---- commands (orla_app.cpp)
    void OnToggleAutoFit();
    void OnUpdateAutoFit(CCmdUI* ui);
    void OnAppFileNew();
    void OnSelectionCursor();
    void OnZoomCursor();
    void OnGrabCursor();
    void OnUpdateCursor(CCmdUI* ui);
    // ---- About box, splash screen and Preferences (orla_app_about.cpp)
    void OnAppAbout();
    void OnPreferences(UINT id);
    // The splash screen of start-up; false when it could not be shown.
    virtual bool ShowSplashScreen();
    DECLARE_MESSAGE_MAP()

private:
    // ---- shell::IIdleWorkHost
    bool HasMainWindow() override;
    void PostIdleDone() override;
    void ExpireCameraTimer() override;

    void StartCameraTimer(UINT interval);
    void KillCameraTimer();

    CFont m_fontUI;
    int m_nTextHeight = 0;
    int m_nAverageCharWidth = 0;
    CDocTemplate* m_pImageTemplate = nullptr;
    CDocTemplate* m_pCameraImageTemplate = nullptr;
    bool m_bReceiving = false;
    CWnd* m_pReceivingDialog = nullptr;
    CWnd* m_pImportDialog = nullptr;
    IVorlatManager* m_pDrawingManager = nullptr;
    IVorlatManager* m_pSavingManager = nullptr;
    UINT_PTR m_nCameraTimer = 0;
    UINT m_nCameraInterval = 0;
    int32_t m_nSynchronousPainting = 0;
    UINT m_nStartupError = 0;
    bool m_bWindowsNT4 = false;
    bool m_bColorEnginePool = false;
    bool m_bOleInitialized = false;
    CProgressThread* m_pProgressThread = nullptr;
    HWND m_hProgressWnd = nullptr;
    bool m_bAutoFitToWindow = false;
    std::string m_strMainClass;
    std::string m_strProgramFolder;
    int32_t m_nCursorMode = 1;
    shell::StartOptions m_options;
    bool m_bDefaultGridLines = false;
    // The module's questions, asked through the application's message box.
    struct KavoPrompt : IKavoPrompt {
        uint32_t Ask(const char* text, uint32_t style) override;
    } m_kavoPrompt;
    COrlaKavoModule* m_pKavoModule = nullptr;
    COrlaKavoSource* m_pKavoSource = nullptr;
    CDocument* m_pLastOpened = nullptr;
    // The splash screen ends the deferred start-up when it goes.
    bool m_bSplashShown = false;
    // The image documents' and views' hosts and the loaders' hooks, while the tile managers exist.
    std::unique_ptr<CImageHooks> m_pImageHooks;
    // The idle pass with its flags, the camera image count and the histograms.
    shell::CIdleWork m_idle;
};

inline COrlaApp* GetOrlaApp() { return dynamic_cast<COrlaApp*>(AfxGetApp()); }
