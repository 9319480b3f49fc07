#include "app/shell/program/image_hosts.h"

#include <cstring>

#include "app/shell/dialogs/dlg_copy_settings.h"
#include "app/shell/frame/not_available.h"
#include "app/shell/program/image_hooks.h"
#include "app/shell/program/orla_app.h"
#include "app/shell/program/program_ids.h"
#include "app/shell/progress/progress_protocol.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "clx/app.h"

namespace {

// Settings of the display chain's grid.
constexpr shell::SettingId kGridColor = 1060;
constexpr shell::SettingId kGridSpacing = 1061;
constexpr shell::SettingId kGridUnits = 1062;
constexpr shell::SettingId kGridDivisions = 1063;

int32_t IntSetting(uint32_t id, int32_t fallback)
{
    int32_t value = fallback;
    return shell::GetIntSetting(id, &value) ? value : fallback;
}

void SendProgress(HWND window, uint32_t command, LPARAM value)
{
    if (window)
        ::SendMessageA(window, shell::kProgressMessage, command, value);
}

bool IsImageView(HWND window)
{
    return dynamic_cast<CImageDisplayView*>(CWnd::FromHandlePermanent(window)) != nullptr;
}

BOOL CALLBACK RedrawUnlessImageView(HWND window, LPARAM)
{
    if (!IsImageView(window))
        ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
    return TRUE;
}

}  // namespace

uint16_t ProgressCaptionId(const char* text)
{
    static const struct {
        const char* text;
        uint16_t id;
    } captions[] = {{"Loading image", IDS_LOADING_IMAGE},
                    {"Saving image", IDS_SAVING_IMAGE},
                    {"Processing image", IDS_PROCESSING_IMAGE}};
    if (!text)
        return 0;
    for (const auto& caption : captions)
        if (std::strcmp(caption.text, text) == 0)
            return caption.id;
    return 0;
}

// ---------------------------------------------------------------- documents

int32_t CAppImageDocHost::GetIntSetting(uint32_t id, int32_t fallback)
{
    return IntSetting(id, fallback);
}

std::string CAppImageDocHost::GetStringSetting(uint32_t id)
{
    CQzString text;
    if (!shell::GetStringSetting(id, text))
        return {};
    return static_cast<const char*>(text);
}

void CAppImageDocHost::SetIntSetting(uint32_t id, int32_t value)
{
    shell::SetIntSetting(id, value);
}

void CAppImageDocHost::SetStringSetting(uint32_t id, const std::string& text)
{
    shell::SetStringSetting(id, text.c_str());
}

bool CAppImageDocHost::PromptSaveAs(SaveAsRequest& request)
{
    if (!request.keptOriginal.empty()) {
        // File Save of a camera original: say why nothing was written.
        const std::string text = request.keptOriginal +
                                 " is a camera original, which Save does not replace.  Use Save As to save the "
                                 "image under a new name (the Save As dialog is not available in this version).";
        ShowMessage(text, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    ReportNotAvailable("The Save As dialog");
    return false;
}

int32_t CAppImageDocHost::ShowMessage(const std::string& text, uint32_t type)
{
    // The question may come while another program is in front (an open handed over).
    if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd)
        ::SetForegroundWindow(main->m_hWnd);
    return AfxMessageBox(text.c_str(), type);
}

void CAppImageDocHost::BeginProgress(int32_t steps, const char* text)
{
    const auto count = static_cast<uint16_t>(steps < 0 ? 0 : steps > 0xFFFF ? 0xFFFF : steps);
    SendProgress(app_.GetProgressWindow(), shell::kProgressBegin,
                 static_cast<LPARAM>(shell::MakeProgressBegin(count, ProgressCaptionId(text))));
}

void CAppImageDocHost::StepProgress()
{
    SendProgress(app_.GetProgressWindow(), shell::kProgressStep, 0);
}

void CAppImageDocHost::SetPaletteTarget(PaletteTargetKind kind, CImageRecord* record)
{
    if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd)
        main->SendMessage(kWmSetPaletteTarget, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(record));
}

void CAppImageDocHost::OpenInExternalEditor(const std::string&)
{
    ReportNotAvailable("Opening images in the external editor");
}

int32_t CAppImageDocHost::AddToCatalogue(const std::string&, std::string& text)
{
    text = "Handing images to the cataloguing application is not available in this version.";
    return -1;
}

// ---------------------------------------------------------------- views

std::optional<CopySettingsChoice> CAppImageViewHost::AskCopySettings()
{
    CDlgCopySettings dialog(AfxGetMainWnd());
    if (dialog.DoModal() != IDOK)
        return std::nullopt;
    CopySettingsChoice choice;
    choice.curves = dialog.GetCopyCurves();
    choice.colourAdjustment = dialog.GetCopyColorAdjustment();
    choice.unsharpMask = dialog.GetCopyUnsharpMask();
    choice.sizeResolution = dialog.GetCopySizeResolution();
    choice.exposure = dialog.GetCopyExposureAdjustment();
    choice.whiteBalance = dialog.GetCopyWBAdjustment();
    return choice;
}

void CAppImageViewHost::DoIdleWork()
{
    // A paint serves the camera only: a histogram slice (up to 100 ms) or
    // paging inside every WM_PAINT would hold the message loop up for as
    // long; the application's own idle time completes those.
    app_.DoIdleWork(0, true);
}

int32_t CAppImageViewHost::GetSynchronousPainting() const
{
    return app_.GetSynchronousPaintingMark();
}

void CAppImageViewHost::SetSynchronousPainting(int32_t mark)
{
    app_.SetSynchronousPaintingMark(mark);
}

// Everything of the main window that waits to be painted is painted now,
// except the image views: they draw one tile per WM_PAINT so that the loop
// keeps running, and painted from here they would draw their whole region.
void CAppImageViewHost::RedrawMainWindowNow()
{
    CWnd* main = AfxGetMainWnd();
    if (app_.GetSynchronousPaintingMark() != 0 || !main || !main->m_hWnd)
        return;
    app_.SetSynchronousPaintingMark(1);
    ::RedrawWindow(main->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
    ::EnumChildWindows(main->m_hWnd, RedrawUnlessImageView, 0);
    app_.SetSynchronousPaintingMark(0);
}

HWND CAppImageViewHost::GetMainWindow() const
{
    CWnd* main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
}

bool CAppImageViewHost::GetAutoFitToWindow() const
{
    return app_.GetAutoFitToWindow();
}

IVorlatManager* CAppImageViewHost::GetDrawingManager() const
{
    return app_.GetDrawingManager();
}

void CAppImageViewHost::AddIdleClient(CVorlatFilterHistogram* histogram)
{
    app_.AddIdleClient(histogram);
}

void CAppImageViewHost::RemoveIdleClient(CVorlatFilterHistogram* histogram)
{
    app_.RemoveIdleClient(histogram);
}

DisplayGridSettings CAppImageViewHost::GetGridSettings() const
{
    DisplayGridSettings grid;
    grid.color = static_cast<uint32_t>(IntSetting(kGridColor, 0));
    grid.spacing = IntSetting(kGridSpacing, 100);
    grid.units = IntSetting(kGridUnits, 1);
    grid.divisions = IntSetting(kGridDivisions, 4);
    return grid;
}

void CAppImageViewHost::ShowMessage(int32_t id)
{
    AfxMessageBox(static_cast<UINT>(id), MB_OK);
}

int32_t CAppImageViewHost::GetIntSetting(uint32_t id, int32_t fallback) const
{
    return IntSetting(id, fallback);
}

void CAppImageViewHost::SetIntSetting(uint32_t id, int32_t value)
{
    shell::SetIntSetting(id, value);
}

std::string CAppImageViewHost::GetStringSetting(uint32_t id) const
{
    CQzString text;
    if (!shell::GetStringSetting(id, text))
        return {};
    return static_cast<const char*>(text);
}

bool CAppImageViewHost::IsOleInitialized() const
{
    return app_.IsOleInitialized();
}

int32_t CAppImageViewHost::ShowMessageBox(uint32_t id, uint32_t type)
{
    return AfxMessageBox(static_cast<UINT>(id), type);
}

std::string CAppImageViewHost::GetProgramFolder() const
{
    return app_.GetProgramFolder();
}

void CAppImageViewHost::BeginProgress(int32_t steps, uint32_t captionId)
{
    const auto count = static_cast<uint16_t>(steps < 0 ? 0 : steps > 0xFFFF ? 0xFFFF : steps);
    SendProgress(app_.GetProgressWindow(), shell::kProgressBegin,
                 static_cast<LPARAM>(shell::MakeProgressBegin(count, static_cast<uint16_t>(captionId))));
}

int32_t CAppImageViewHost::GetCursorMode() const
{
    return app_.GetCursorMode();
}

// ---------------------------------------------------------------- engine

int32_t CAppEngineDebugSettings::GetInt(const char* name, int32_t defaultValue) const
{
    return shell::GetRegistryStore().GetInt(shell::kScopeUser, "Debug", name, defaultValue);
}

// ---------------------------------------------------------------- progress

void CAppLoadProgress::SetFraction(int32_t tenThousandths)
{
    if (window_)
        ::SendMessageA(window_, shell::kProgressMessage, shell::kProgressSetFraction, tenThousandths);
}

void CAppLoadProgress::Step()
{
    if (window_)
        ::SendMessageA(window_, shell::kProgressMessage, shell::kProgressStep, 0);
}

// ---------------------------------------------------------------- hooks

CImageHooks::CImageHooks(COrlaApp& app)
    : docHost_(std::make_unique<CAppImageDocHost>(app)),
      viewHost_(std::make_unique<CAppImageViewHost>(app)),
      debugSettings_(std::make_unique<CAppEngineDebugSettings>())
{
    SetImageDocHost(docHost_.get());
    SetImageViewHost(viewHost_.get());
    SetEngineDebugSettings(debugSettings_.get());
    SetLoadImageManager(app.GetDrawingManager());
    if (HWND progress = app.GetProgressWindow()) {
        loadProgress_ = std::make_unique<CAppLoadProgress>(progress);
        engineProgress_ = std::make_unique<CProgressWindowSink>(progress);
        SetLoadProgress(loadProgress_.get());
        SetEngineProgress(engineProgress_.get());
    }
}

CImageHooks::~CImageHooks()
{
    SetEngineProgress(nullptr);
    SetLoadProgress(nullptr);
    SetLoadImageManager(nullptr);
    SetEngineDebugSettings(nullptr);
    SetImageViewHost(nullptr);
    SetImageDocHost(nullptr);
}
