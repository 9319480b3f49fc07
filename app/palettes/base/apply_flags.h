// The process-wide apply flags, one per adjustment: shared by the palettes
// and the Image Adjustments panel, and the values a closed palette's
// adjustment keeps. While a palette has a target record, its flag and the
// record's move together.
#pragma once

#include <cstdint>

#include "app/core/palette_protocol/apply_scheduler.h"

struct CQzRecordSettings;

extern bool CurvesApplyFlag;
extern bool ColorBalanceApplyFlag;
extern bool UnsharpMaskApplyFlag;
extern bool AdvancedRawApplyFlag;
extern bool WhiteBalanceApplyFlag;
extern bool NoiseReductionApplyFlag;

// Null for Size/Resolution, which has no flag.
bool* GlobalApplyFlag(PaletteKind kind);
uint32_t* RecordApplyFlag(PaletteKind kind, CQzRecordSettings& record);

// Curves and Color Balance never apply together: the one turned on turns the
// other off. False for the other palettes.
bool ExcludedPalette(PaletteKind kind, PaletteKind* other);
