#include "app/palettes/tool_image_enhancements.h"

#include "app/core/docview/image_display_view.h"
#include "app/core/procset/palette_settings_file.h"
#include "app/core/record/image_record.h"
#include "app/palettes/base/adjustment_palette.h"
#include "app/palettes/base/apply_flags.h"
#include "app/palettes/base/palette_host.h"
#include "app/palettes/base/palette_table.h"
#include "app/palettes/base/pending_body.h"
#include "app/palettes/base/settings_file_ui.h"
#include "app/palettes/tool_color_adjust.h"
#include "app/palettes/tool_curves.h"
#include "app/palettes/tool_exposure_adjust.h"
#include "app/palettes/tool_size_res.h"
#include "app/palettes/tool_unsharp_mask.h"
#include "app/palettes/tool_wb_adjust.h"

namespace {

// The update hints of every adjustment.
constexpr uint32_t kAllHints = 32767;

struct Component {
    PaletteKind kind;
    uint32_t bit;
};
// The order in which a loaded file reaches the palettes.
constexpr Component kLoadOrder[] = {
    {PaletteKind::Curves, kProcCurves},          {PaletteKind::ColourBalance, kProcColourBalance},
    {PaletteKind::UnsharpMask, kProcUsm},        {PaletteKind::AdvancedRaw, kProcExposure},
    {PaletteKind::WhiteBalance, kProcWhiteBalance}, {PaletteKind::SizeRes, kProcSizeRes},
};

}  // namespace

CToolImageEnhancements::CToolImageEnhancements()
    : CToolBase(PaletteInfoOf(PaletteId::ImageEnhancements).positionSettingId,
                PaletteInfoOf(PaletteId::ImageEnhancements).loadCommandId,
                PaletteInfoOf(PaletteId::ImageEnhancements).helpId)
{
}

BOOL CToolImageEnhancements::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::ImageEnhancements);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

void CToolImageEnhancements::SetTarget(int32_t count, CImageRecord* record)
{
    targetCount_ = count;
    targetRecord_ = count == 1 ? record : nullptr;
}

void CToolImageEnhancements::LoadSettingsFile()
{
    CString path;
    if (AskSettingsFilePath(this, true, SettingsFileInfo(SettingsFileKind::ImageAdjustment).loadFilter, &path))
        LoadImageAdjustmentFile(path, nullptr, 0, 0);
}

void CToolImageEnhancements::SaveSettingsFile()
{
    if (targetCount_ > 1)
        return;
    CString path;
    if (AskSettingsFilePath(this, false, SettingsFileInfo(SettingsFileKind::ImageAdjustment).saveFilter, &path))
        SaveImageAdjustmentFile(path);
}

BOOL CToolImageEnhancements::SaveImageAdjustmentFile(const char* path)
{
    IPaletteHost& host = GetPaletteHost();
    CQzRecordSettings settings;
    if (auto* curves = dynamic_cast<CToolCurves*>(host.GetAdjustmentPalette(PaletteKind::Curves)))
        settings.curves = curves->GetSettings();
    if (auto* colour = dynamic_cast<CToolColorAdjust*>(host.GetAdjustmentPalette(PaletteKind::ColourBalance)))
        settings.colourBalance = colour->GetSettings();
    if (auto* usm = dynamic_cast<CToolUnsharpMask*>(host.GetAdjustmentPalette(PaletteKind::UnsharpMask)))
        settings.usm = usm->GetSettings();
    if (auto* sizeRes = dynamic_cast<CToolSizeRes*>(host.GetAdjustmentPalette(PaletteKind::SizeRes)))
        settings.sizeRes = sizeRes->GetSettings();
    if (auto* exposure = dynamic_cast<CToolExposureAdjust*>(host.GetAdjustmentPalette(PaletteKind::AdvancedRaw)))
        settings.exposure = exposure->GetSettings();
    if (auto* wb = dynamic_cast<CToolWBAdjust*>(host.GetAdjustmentPalette(PaletteKind::WhiteBalance)))
        settings.whiteBalance = wb->GetSettings();
    settings.curvesOn = CurvesApplyFlag;
    settings.colourBalanceOn = ColorBalanceApplyFlag;
    settings.usmOn = UnsharpMaskApplyFlag;
    settings.exposureOn = AdvancedRawApplyFlag;
    settings.whiteBalanceOn = WhiteBalanceApplyFlag;
    const SettingsFileMessage message = WriteImageAdjustmentFile(path, settings);
    ShowSettingsFileMessage(message);
    return message.id == 0;
}

BOOL CToolImageEnhancements::LoadImageAdjustmentFile(const char* path, CImageRecord* record, int32_t width,
                                                     int32_t height)
{
    if (record)
        return ::LoadImageAdjustmentFile(path, *record, width, height) ? TRUE : FALSE;

    // Temporary objects: a failed read leaves every palette as it was.
    CQzRecordSettings file;
    CQzImageProcSet set;
    file.FillProcSet(set);
    set.noiseReduction = nullptr;
    set.componentMask = kImageAdjustmentComponents;
    set.enableMask = kImageAdjustmentEnables;
    const int32_t result = ReadImageAdjustmentFile(path, set, width, height);
    if (result != kSettingsFileOk) {
        ShowSettingsFileMessage(ImageAdjustmentReadMessage(result, path));
        return FALSE;
    }
    file.TakeFromProcSet(set);
    const uint32_t present = set.componentsDone;

    IPaletteHost& host = GetPaletteHost();
    const IQzState* objects[] = {&file.curves, &file.colourBalance, &file.usm,
                                 &file.exposure, &file.whiteBalance, &file.sizeRes};
    for (size_t i = 0; i < std::size(kLoadOrder); ++i) {
        if (!(present & kLoadOrder[i].bit))
            continue;
        if (CAdjustmentPalette* palette = host.GetAdjustmentPalette(kLoadOrder[i].kind))
            palette->LoadSettings(nullptr, objects[i], true);
    }
    // A component the file lacks counts as off.
    const auto flagOf = [&](uint32_t bit, uint32_t on) { return (present & bit) != 0 && on != 0; };
    const bool flags[] = {flagOf(kProcCurves, file.curvesOn), flagOf(kProcColourBalance, file.colourBalanceOn),
                          flagOf(kProcUsm, file.usmOn), flagOf(kProcExposure, file.exposureOn),
                          flagOf(kProcWhiteBalance, file.whiteBalanceOn)};
    if (targetCount_ > 1) {
        CImageRecord* selected = nullptr;
        for (int n = 0; host.GetSelectedImageSettings(n, &selected); ++n) {
            selected->curvesOn = flags[0];
            selected->colourBalanceOn = flags[1];
            selected->usmOn = flags[2];
            selected->exposureOn = flags[3];
            selected->whiteBalanceOn = flags[4];
        }
    }
    for (size_t i = 0; i < std::size(flags); ++i)
        if (CAdjustmentPalette* palette = host.GetAdjustmentPalette(kLoadOrder[i].kind))
            palette->SetEnabled(flags[i], nullptr);
    if (targetRecord_ && targetRecord_->view)
        targetRecord_->view->UpdateAdjustments(kAllHints, false, nullptr);
    return TRUE;
}
