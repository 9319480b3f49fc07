// The application's side of the image documents and views: what they ask of
// the program (settings, messages, the progress window, the palette target,
// idle work, the drawing tile manager) answered by COrlaApp and its main
// window, the engine's debug switches and the loaders' bar (CImageHooks
// installs them).
#pragma once

#include "app/core/docview/image_display_view.h"
#include "app/core/document/image_doc_host.h"
#include "app/core/engine/seams/debug_settings.h"
#include "app/core/engine/seams/progress_sink.h"
#include "app/core/load/load_context.h"

#include <windows.h>

class COrlaApp;

// The string id of the progress window's caption for the text with which a
// document begins a run; 0 for none or a text the string table does not hold.
uint16_t ProgressCaptionId(const char* text);

class CAppImageDocHost : public IImageDocHost {
public:
    explicit CAppImageDocHost(COrlaApp& app) : app_(app) {}
    virtual ~CAppImageDocHost() = default;

    int32_t GetIntSetting(uint32_t id, int32_t fallback) override;
    std::string GetStringSetting(uint32_t id) override;
    void SetIntSetting(uint32_t id, int32_t value) override;
    void SetStringSetting(uint32_t id, const std::string& text) override;
    // The file save dialog is not part of the program yet: it says so.
    bool PromptSaveAs(SaveAsRequest& request) override;
    int32_t ShowMessage(const std::string& text, uint32_t type) override;
    void BeginProgress(int32_t steps, const char* text) override;
    void StepProgress() override;
    void SetPaletteTarget(PaletteTargetKind kind, CImageRecord* record) override;
    void OpenInExternalEditor(const std::string& quotedPath) override;
    int32_t AddToCatalogue(const std::string& path, std::string& text) override;

private:
    COrlaApp& app_;
};

// What goes to the palettes (the navigator's frame, the curves' histogram,
// the unsharp mask's warning, the size fields, the information read-outs)
// and to the camera thumbnails keeps the quiet host's answer while those are
// stand-ins; nothing in the program suspends painting yet.
class CAppImageViewHost : public CQuietViewHost {
public:
    explicit CAppImageViewHost(COrlaApp& app) : app_(app) {}

    void DoIdleWork() override;
    int32_t GetSynchronousPainting() const override;
    void SetSynchronousPainting(int32_t mark) override;
    void RedrawMainWindowNow() override;
    HWND GetMainWindow() const override;
    bool GetAutoFitToWindow() const override;
    IVorlatManager* GetDrawingManager() const override;
    void AddIdleClient(CVorlatFilterHistogram* histogram) override;
    void RemoveIdleClient(CVorlatFilterHistogram* histogram) override;
    DisplayGridSettings GetGridSettings() const override;
    void ShowMessage(int32_t id) override;
    int32_t GetIntSetting(uint32_t id, int32_t fallback) const override;
    int32_t GetCursorMode() const override;
    // The image menu's hand-offs.
    void SetIntSetting(uint32_t id, int32_t value) override;
    std::string GetStringSetting(uint32_t id) const override;
    bool IsOleInitialized() const override;
    int32_t ShowMessageBox(uint32_t id, uint32_t type) override;
    std::string GetProgramFolder() const override;
    void BeginProgress(int32_t steps, uint32_t captionId) override;
    // Copy Image Adjustments: the groups chosen in the copy settings dialog.
    std::optional<CopySettingsChoice> AskCopySettings() override;

private:
    COrlaApp& app_;
};

// The engine's debug switches: values of the settings' "Debug" section.
class CAppEngineDebugSettings : public IEngineDebugSettings {
public:
    int32_t GetInt(const char* name, int32_t defaultValue) const override;
};

// The loaders' and the engine's bars: WM_PROGRESS to the progress window.
class CAppLoadProgress : public ILoadProgress {
public:
    explicit CAppLoadProgress(HWND window) : window_(window) {}
    void SetFraction(int32_t tenThousandths) override;
    void Step() override;

private:
    HWND window_;
};

