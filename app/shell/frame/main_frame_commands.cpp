// The commands that the main frame executes: palette toggles, the camera
// image window, camera commands, settings files forwarded to the palettes,
// curve channels, shooting, tiling and the status bar.
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/frame/main_frame_host.h"
#include "app/shell/frame/not_available.h"
#include "clx/app.h"
#include "clx/doctemplate.h"
#include "clx/document.h"
#include "clx/view.h"

namespace {

bool HasCamera()
{
    IMainFrameHost* host = GetMainFrameHost();
    return host && host->HasKavoSource(false);
}

}  // namespace

void ReportNotAvailable(const char* what)
{
    CString text(what);
    text += " is not available in this version.";
    AfxMessageBox(text, MB_OK);
}

// ---------------------------------------------------------------- palette toggles

void CMainFrame::OpenPalette(CToolBase& palette, CToolTargeted* targeted)
{
    if (palette.IsOpen() || !palette.CreatePalette(this))
        return;
    if (targeted) {
        PaletteTargetKind kind = kTargetNone;
        CImageRecord* record = nullptr;
        GetPaletteTarget(&kind, &record);
        targeted->SetTarget(kind, record);
    }
    palette.UpdateWindow();
    SetFocus();
}

void CMainFrame::TogglePalette(CToolBase& palette, CToolTargeted* targeted)
{
    if (palette.IsOpen())
        palette.DestroyWindow();
    else
        OpenPalette(palette, targeted);
}

void CMainFrame::OnToggleUnsharpMask() { TogglePalette(m_wndUnsharpMask, &m_wndUnsharpMask); }
void CMainFrame::OnToggleCurves() { TogglePalette(m_wndCurves, &m_wndCurves); }
void CMainFrame::OnToggleColorAdjust() { TogglePalette(m_wndColorAdjust, &m_wndColorAdjust); }
void CMainFrame::OnToggleSizeRes() { TogglePalette(m_wndSizeRes, &m_wndSizeRes); }
void CMainFrame::OnToggleBirdsEye() { TogglePalette(m_wndBirdsEye, &m_wndBirdsEye); }
void CMainFrame::OnToggleInformation() { TogglePalette(m_wndInformation, nullptr); }
void CMainFrame::OnToggleCameraControl() { TogglePalette(m_wndCameraControl, nullptr); }
void CMainFrame::OnToggleImageEnhancements() { TogglePalette(m_wndImageEnhancements, &m_wndImageEnhancements); }
void CMainFrame::OnToggleWBAdjust() { TogglePalette(m_wndWBAdjust, &m_wndWBAdjust); }
void CMainFrame::OnToggleExposureAdjust() { TogglePalette(m_wndExposureAdjust, &m_wndExposureAdjust); }
void CMainFrame::OnToggleNoiseReduction() { TogglePalette(m_wndNoiseReduction, &m_wndNoiseReduction); }

void CMainFrame::OnUpdateToggle(CCmdUI* ui)
{
    const CToolBase* palette = nullptr;
    switch (ui->m_nID) {
    case ID_VIEW_UNSHARP_MASK: palette = &m_wndUnsharpMask; break;
    case ID_VIEW_CURVES: palette = &m_wndCurves; break;
    case ID_VIEW_COLOR_BALANCE: palette = &m_wndColorAdjust; break;
    case ID_VIEW_SIZE_RES: palette = &m_wndSizeRes; break;
    case ID_VIEW_BIRDS_EYE: palette = &m_wndBirdsEye; break;
    case ID_VIEW_INFORMATION: palette = &m_wndInformation; break;
    case ID_VIEW_IMAGE_ENHANCEMENTS: palette = &m_wndImageEnhancements; break;
    case ID_VIEW_WHITE_BALANCE: palette = &m_wndWBAdjust; break;
    case ID_VIEW_ADVANCED_RAW: palette = &m_wndExposureAdjust; break;
    case ID_VIEW_NOISE_REDUCTION: palette = &m_wndNoiseReduction; break;
    default: return;
    }
    ui->SetCheck(palette->IsOpen() ? 1 : 0);
}

void CMainFrame::OnUpdateCameraControl(CCmdUI* ui)
{
    ui->Enable(HasCamera());
    ui->SetCheck(m_wndCameraControl.IsOpen() ? 1 : 0);
}

// ---------------------------------------------------------------- camera image window

void CMainFrame::OnToggleCameraImage()
{
    if (CView* view = GetCameraImageView()) {
        if (CFrameWnd* frame = view->GetParentFrame())
            frame->SendMessage(WM_CLOSE);
        return;
    }
    OpenCameraImageWindow();
}

void CMainFrame::OpenCameraImageWindow()
{
    CWinApp* app = AfxGetApp();
    CDocTemplate* cameraTemplate = nullptr;
    for (POSITION pos = app->GetFirstDocTemplatePosition(); pos && !cameraTemplate;) {
        CDocTemplate* candidate = app->GetNextDocTemplate(pos);
        if (candidate && candidate->GetResourceId() == IDR_CAMERA_IMAGE_DOC)
            cameraTemplate = candidate;
    }
    if (!cameraTemplate) {
        ReportNotAvailable("The Camera Image window");
        return;
    }
    CDocument* doc = cameraTemplate->OpenDocumentFile(nullptr);
    if (!doc)
        return;
    POSITION pos = doc->GetFirstViewPosition();
    SetCameraImageView(pos ? doc->GetNextView(pos) : nullptr);
}

void CMainFrame::OnUpdateCameraImage(CCmdUI* ui)
{
    ui->SetCheck(GetCameraImageView() ? 1 : 0);
}

// ---------------------------------------------------------------- camera commands

void CMainFrame::OnUpdateCameraCommand(CCmdUI* ui)
{
    ui->Enable(HasCamera());
}

void CMainFrame::OnCustomSettings() { ReportNotAvailable("Custom Settings"); }
void CMainFrame::OnEditCameraCurves() { ReportNotAvailable("Edit Camera Curves"); }
void CMainFrame::OnSetDateTime() { ReportNotAvailable("Set Date and Time"); }
void CMainFrame::OnMeasureWhiteBalance() { ReportNotAvailable("Measure White Balance"); }
void CMainFrame::OnEditCameraId() { ReportNotAvailable("Edit Camera ID"); }
void CMainFrame::OnTimeLapse() { ReportNotAvailable("Time Lapse Photography"); }
void CMainFrame::OnBatch() { ReportNotAvailable("Batch"); }

void CMainFrame::OnShoot()
{
    if (HasCamera())
        m_wndCameraControl.Shoot();
}

void CMainFrame::OnAutofocusShoot()
{
    if (HasCamera())
        m_wndCameraControl.AutofocusAndShoot();
}

void CMainFrame::OnCurveChannel(UINT id)
{
    // 32766 RGB down to 32763 blue.
    if (m_wndCurves.IsOpen())
        m_wndCurves.SelectChannel(static_cast<int>(ID_CURVES_CHANNEL_RGB - id));
}

// ---------------------------------------------------------------- windows and bars

void CMainFrame::OnWindowTile()
{
    CWaitCursor wait;
    SendMessageToDescendants(WM_RESET_VIEW_SECTIONS, 3, 0, true);
    MDITile(MDITILE_HORIZONTAL);
}

bool CMainFrame::OnStatusBarToggle(UINT id)
{
    OnBarCheck(id);
    LayoutProgressWindow();
    return true;
}

// ---------------------------------------------------------------- settings files

bool CMainFrame::OnSettingsFile(UINT id)
{
    switch (id) {
    case ID_SETTINGS_USM_LOAD: m_wndUnsharpMask.LoadSettingsFile(); break;
    case ID_SETTINGS_USM_SAVE: m_wndUnsharpMask.SaveSettingsFile(); break;
    case ID_SETTINGS_USM_RESET: m_wndUnsharpMask.ResetSettings(); break;
    case ID_SETTINGS_CURVES_LOAD: m_wndCurves.LoadSettingsFile(); break;
    case ID_SETTINGS_CURVES_SAVE: m_wndCurves.SaveSettingsFile(); break;
    case ID_SETTINGS_CURVES_RESET: m_wndCurves.ResetSettings(); break;
    case ID_SETTINGS_COLOR_LOAD: m_wndColorAdjust.LoadSettingsFile(); break;
    case ID_SETTINGS_COLOR_SAVE: m_wndColorAdjust.SaveSettingsFile(); break;
    case ID_SETTINGS_COLOR_RESET: m_wndColorAdjust.ResetSettings(); break;
    case ID_SETTINGS_SIZE_LOAD: m_wndSizeRes.LoadSettingsFile(); break;
    case ID_SETTINGS_SIZE_SAVE: m_wndSizeRes.SaveSettingsFile(); break;
    case ID_SETTINGS_SIZE_RESET: m_wndSizeRes.ResetSettings(); break;
    case ID_SETTINGS_WB_LOAD: m_wndWBAdjust.LoadSettingsFile(); break;
    case ID_SETTINGS_WB_SAVE: m_wndWBAdjust.SaveSettingsFile(); break;
    case ID_SETTINGS_WB_RESET: m_wndWBAdjust.ResetSettings(); break;
    case ID_SETTINGS_RAW_LOAD: m_wndExposureAdjust.LoadSettingsFile(); break;
    case ID_SETTINGS_RAW_SAVE: m_wndExposureAdjust.SaveSettingsFile(); break;
    case ID_SETTINGS_RAW_RESET: m_wndExposureAdjust.ResetSettings(); break;
    case ID_SETTINGS_NR_LOAD: m_wndNoiseReduction.LoadSettingsFile(); break;
    case ID_SETTINGS_NR_SAVE: m_wndNoiseReduction.SaveSettingsFile(); break;
    case ID_SETTINGS_NR_RESET: m_wndNoiseReduction.ResetSettings(); break;
    case ID_SETTINGS_CAMERA_LOAD: m_wndCameraControl.LoadSettingsFile(); break;
    case ID_SETTINGS_CAMERA_SAVE: m_wndCameraControl.SaveSettingsFile(); break;
    case ID_SETTINGS_ENHANCE_LOAD: m_wndImageEnhancements.LoadSettingsFile(); break;
    case ID_SETTINGS_ENHANCE_SAVE: m_wndImageEnhancements.SaveSettingsFile(); break;
    default: return false;
    }
    return true;
}

void CMainFrame::OnUpdateSettingsFile(CCmdUI* ui)
{
    const PaletteTargetKind k = m_targetKind;
    const bool several = k >= kTargetSeveral;
    bool enable = true;
    switch (ui->m_nID) {
    case ID_SETTINGS_USM_SAVE: enable = !several && m_wndUnsharpMask.HasTarget(); break;
    case ID_SETTINGS_USM_RESET: enable = several || m_wndUnsharpMask.GetSettings().GetCount() >= 1; break;
    case ID_SETTINGS_CURVES_SAVE: enable = !several && m_wndCurves.HasTarget(); break;
    case ID_SETTINGS_CURVES_RESET: enable = several || m_wndCurves.AnyChannelChanged(); break;
    case ID_SETTINGS_COLOR_SAVE: enable = !several && m_wndColorAdjust.HasTarget(); break;
    case ID_SETTINGS_COLOR_RESET: enable = several || m_wndColorAdjust.AnyChannelChanged(); break;
    case ID_SETTINGS_SIZE_SAVE: enable = !several && m_wndSizeRes.HasTarget(); break;
    case ID_SETTINGS_WB_LOAD: enable = m_wndWBAdjust.CanEdit(); break;
    case ID_SETTINGS_WB_SAVE: enable = !several && m_wndWBAdjust.CanEdit(); break;
    case ID_SETTINGS_WB_RESET:
        enable = several || (m_wndWBAdjust.CanEdit() && m_wndWBAdjust.GetSettings().mode != 2);
        break;
    case ID_SETTINGS_RAW_LOAD: enable = m_wndExposureAdjust.CanEdit(); break;
    case ID_SETTINGS_RAW_SAVE: enable = !several && m_wndExposureAdjust.CanEdit(); break;
    case ID_SETTINGS_RAW_RESET:
        enable = several || (m_wndExposureAdjust.CanEdit() && !m_wndExposureAdjust.GetSettings().IsDefault());
        break;
    case ID_SETTINGS_NR_LOAD: enable = several || m_wndNoiseReduction.HasTarget(); break;
    case ID_SETTINGS_NR_SAVE: enable = k <= kTargetOne || m_wndNoiseReduction.HasTarget(); break;
    case ID_SETTINGS_NR_RESET: {
        const CQzNoiseReduction& nr = m_wndNoiseReduction.GetSettings();
        enable = several ||
                 (m_wndNoiseReduction.HasTarget() && (nr.lineNoiseReduction != 0 || nr.colourNoiseReduction != 0));
        break;
    }
    case ID_SETTINGS_CAMERA_LOAD:
    case ID_SETTINGS_CAMERA_SAVE: enable = HasCamera(); break;
    case ID_SETTINGS_ENHANCE_SAVE: enable = k <= kTargetOne; break;
    default: break;
    }
    ui->Enable(enable);
}
