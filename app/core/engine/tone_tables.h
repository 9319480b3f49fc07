// The tone tables of raw data (12-bit linear in, 16-bit toned out): the
// default table by formula, the stored tables chosen by the camera's tone and
// colour settings, the camera's own curve, and the three input tables of the
// develop chain's colour filter with white balance and exposure folded in.
#pragma once

#include <cstdint>

#include "Vorlat/Vorlat.h"

struct CDevelopParams;
class CQzLutGroup;
class CVorlatFilterHistogram;
class CVorlatFilterQRV;

// Stored table ids (resources of type "LUT").
enum ToneTableId : int32_t {
    kToneTableNormal = 299,
    kToneTableLowContrast = 300,
    kToneTableHighContrast = 301,
    kToneTableHighContrastColour = 314,
    kToneTableLowContrastColour = 315,
    kToneTableNormalMode1 = 316,
    kToneTableNormalMode2 = 317,
};

// Returns 4096 when the stored table was missing and out is the identity
// (entry i = 16 i); otherwise 0. Mode 0 is the default table by formula.
int32_t BuildToneTable(int32_t mode, uint16_t* out, int32_t model, int32_t colour);
// The stored table that a mode and colour setting choose (0 for mode 0).
int32_t ChooseToneTable(int32_t mode, int32_t colour);
// The default table, built on first use; null before CreateColorEnginePool.
const uint16_t* GetToneTable();
int32_t GetToneCurveTable(int32_t mode, uint16_t* out, const CDevelopParams* params);
// The table that follows the camera's custom curve, or mode 2 without one.
void BuildCameraToneTable(const CDevelopParams* params, uint16_t* out);
// Only for raw files; plain skips the white balance and exposure gains.
// Allocation failures give value 1005 and leave the filter as it was.
IVorlatError* ComposeInputTables(const CDevelopParams* params, CVorlatFilterQRV* filter, bool plain);
void HandOverHistograms(CQzLutGroup* group, CVorlatFilterHistogram* histogram);
