#include "app/palettes/base/apply_flags.h"

#include "app/core/procset/record_settings.h"

bool CurvesApplyFlag = false;
bool ColorBalanceApplyFlag = false;
bool UnsharpMaskApplyFlag = false;
bool AdvancedRawApplyFlag = false;
bool WhiteBalanceApplyFlag = false;
bool NoiseReductionApplyFlag = false;

bool* GlobalApplyFlag(PaletteKind kind)
{
    switch (kind) {
    case PaletteKind::Curves: return &CurvesApplyFlag;
    case PaletteKind::ColourBalance: return &ColorBalanceApplyFlag;
    case PaletteKind::UnsharpMask: return &UnsharpMaskApplyFlag;
    case PaletteKind::AdvancedRaw: return &AdvancedRawApplyFlag;
    case PaletteKind::WhiteBalance: return &WhiteBalanceApplyFlag;
    case PaletteKind::NoiseReduction: return &NoiseReductionApplyFlag;
    case PaletteKind::SizeRes: break;
    }
    return nullptr;
}

uint32_t* RecordApplyFlag(PaletteKind kind, CQzRecordSettings& record)
{
    switch (kind) {
    case PaletteKind::Curves: return &record.curvesOn;
    case PaletteKind::ColourBalance: return &record.colourBalanceOn;
    case PaletteKind::UnsharpMask: return &record.usmOn;
    case PaletteKind::AdvancedRaw: return &record.exposureOn;
    case PaletteKind::WhiteBalance: return &record.whiteBalanceOn;
    case PaletteKind::NoiseReduction: return &record.noiseReductionOn;
    case PaletteKind::SizeRes: break;
    }
    return nullptr;
}

bool ExcludedPalette(PaletteKind kind, PaletteKind* other)
{
    if (kind == PaletteKind::Curves) {
        *other = PaletteKind::ColourBalance;
        return true;
    }
    if (kind == PaletteKind::ColourBalance) {
        *other = PaletteKind::Curves;
        return true;
    }
    return false;
}
