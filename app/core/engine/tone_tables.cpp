#include "app/core/engine/tone_tables.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "app/core/engine/seams/camera_curve.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/lut_resources.h"
#include "app/core/engine/white_balance.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/wb_adjustment.h"
#include "filters/VorlatFilterHistogram.h"
#include "filters/VorlatFilterQRV.h"

namespace {

constexpr int32_t kEntries = kToneTableEntries;
// Engine-built curve tables: input levels, the point curve with its gamma
// term, output levels and the base table after the curve.
constexpr uint32_t kEngineCurveFlags = 188;

// The default tone curve: linear at the foot, then two fitted segments;
// each value truncated toward zero and limited to 65535.
uint16_t DefaultToneValue(int32_t i)
{
    double v;
    if (i <= 373) {
        v = i * 3.3851588408547446;
    } else if (i <= 2328) {
        const double t = (i * 0.00029385059382419654 + 0.133974463) * 0.8639509344155935;
        v = 28800.0 * t * t;
    } else {
        v = 28800.0 * (std::pow(i * 0.00029009832344180163, 3.980760063078806) + 0.289912424);
    }
    return static_cast<uint16_t>(v >= 65535.0 ? 65535.0 : std::trunc(v));
}

void FillDefault(uint16_t* table)
{
    for (int32_t i = 0; i < kEntries; ++i)
        table[i] = DefaultToneValue(i);
}

// value x gain limited to 0 to 65535 before truncation; NaN counts as 0.
uint16_t Scaled(uint16_t value, double gain)
{
    const double v = value * gain;
    if (!(v > 0.0))
        return 0;
    return static_cast<uint16_t>(v >= 65535.0 ? 65535.0 : std::trunc(v));
}

using Table = std::unique_ptr<uint16_t[]>;

Table NewTable() { return Table(new (std::nothrow) uint16_t[kEntries]); }

}  // namespace

int32_t ChooseToneTable(int32_t mode, int32_t colour)
{
    if (mode == 0)
        return 0;
    const bool coloured = colour == 1 || colour == 2;
    switch (mode) {
    case 3: return coloured ? kToneTableLowContrastColour : kToneTableLowContrast;
    case 4: return coloured ? kToneTableHighContrastColour : kToneTableHighContrast;
    default:
        if (colour == 1)
            return kToneTableNormalMode1;
        return colour == 2 ? kToneTableNormalMode2 : kToneTableNormal;
    }
}

int32_t BuildToneTable(int32_t mode, uint16_t* out, int32_t, int32_t colour)
{
    if (!out)
        return 0;
    if (mode == 0) {
        uint16_t* table = GetDefaultToneTableStorage();
        if (!table) {
            // Before start-up: the formula straight into the caller's table.
            FillDefault(out);
            return 0;
        }
        if (table[0] == 65535)
            FillDefault(table);
        if (table != out)
            std::memcpy(out, table, kEntries * sizeof *out);
        return 0;
    }
    if (GetLutResources().Load(ChooseToneTable(mode, colour), out))
        return 0;
    for (int32_t i = 0; i < kEntries; ++i)
        out[i] = static_cast<uint16_t>(i * 16);
    return kEntries;
}

const uint16_t* GetToneTable()
{
    CEngineLockHold hold;
    uint16_t* table = GetDefaultToneTableStorage();
    if (table)
        BuildToneTable(0, table, 0, 0);
    return table;
}

int32_t GetToneCurveTable(int32_t mode, uint16_t* out, const CDevelopParams* params)
{
    CEngineLockHold hold;
    const int32_t model = params ? GetCameraModelCode(params->tags) : 0;
    const int32_t colour = params ? GetColorSetting(*params) : 0;
    return BuildToneTable(mode, out, model, colour);
}

void BuildCameraToneTable(const CDevelopParams* params, uint16_t* out)
{
    CEngineLockHold hold;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kCameraCurveBytes]);
    if (!params || !block ||
        !ReadTagBytes(params->tags, kTagCameraCurve, kTagTypeCurve, kCameraCurveBytes, block.get())) {
        GetToneCurveTable(2, out, params);
        return;
    }
    CQzLutGroup group;
    CQzLutChannel* master = nullptr;
    Table base = NewTable();
    if (SetLutGroupFromCameraCurve(&group, block.get(), kCameraCurveBytes) != 0 ||
        !(master = group.GetToneChannelById(0)) || !base) {
        GetToneCurveTable(2, out, params);
        return;
    }
    GetToneCurveTable(2, base.get(), params);
    master->SetMapTable(base.get(), 2, kEntries, 65536, false);
    BuildTable(master, out, 2, kEntries, 65536, 0.0, 1.0, kEngineCurveFlags, 0.0);
}

IVorlatError* ComposeInputTables(const CDevelopParams* params, CVorlatFilterQRV* filter, bool plain)
{
    CEngineLockHold hold;
    IVorlatError* err = nullptr;
    if (!params || !filter || GetImageFileKind(params->tags) != kFileKindRaw)
        return nullptr;

    Table tables[5];
    for (Table& table : tables) {
        table = NewTable();
        if (!table)
            IVorlatError::Add(&err, kEngineFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    if (err)
        return err;
    const uint16_t* toneTable = GetToneTable();
    uint16_t* colour[3] = {tables[0].get(), tables[1].get(), tables[2].get()};
    uint16_t* curve = tables[3].get();
    uint16_t* composed = tables[4].get();
    for (uint16_t* table : colour) {
        if (toneTable)
            std::memcpy(table, toneTable, kEntries * sizeof *table);
        else
            FillDefault(table);
    }

    if (!params->option4Equals1) {
        double gains[3] = {1.0, 1.0, 1.0};
        if (!plain) {
            const CQzWBAdjustment* wb = params->wbOn ? params->wb : nullptr;
            if (wb && wb->mode != 2) {
                gains[0] = UsableMultiplier(wb->gain1) / UsableMultiplier(params->asShotRed);
                gains[2] = UsableMultiplier(wb->gain2) / UsableMultiplier(params->asShotBlue);
            }
            const CQzExposureAdjustment* exposure = params->exposureOn ? params->exposure : nullptr;
            if (exposure && exposure->exposureCompensation != 0) {
                const double m = std::exp2(exposure->exposureCompensation * 0.01);
                gains[0] *= m;
                gains[2] *= m;
                gains[1] = m;
            }
        }
        for (int c = 0; c < 3; ++c) {
            if (gains[c] == 1.0)
                continue;
            for (int32_t i = 0; i < kEntries; ++i)
                colour[c][i] = Scaled(colour[c][i], gains[c]);
        }

        int32_t tone = 0;
        if (plain)
            ReadTagLong(params->tags, kTagToneSetting, &tone);
        else
            tone = GetToneSetting(*params);
        if (tone == 1)
            GetToneCurveTable(3, curve, params);
        else if (tone == 2)
            GetToneCurveTable(4, curve, params);
        else if (tone == 16)
            BuildCameraToneTable(params, curve);
        else
            GetToneCurveTable(2, curve, params);

        for (uint16_t* table : colour) {
            ComposeLutTables(table, 2, kEntries, 65536, curve, 2, kEntries, 65536, composed, 2, kEntries, 65536);
            std::memcpy(table, composed, kEntries * sizeof *table);
        }
    }

    const uint16_t* const inputs[3] = {colour[0], colour[1], colour[2]};
    VorlatFailed(&err, kEngineFile, __LINE__, filter->SetLUT(false, true, inputs, 12, 16, 3, true));
    return err;
}

void HandOverHistograms(CQzLutGroup* group, CVorlatFilterHistogram* histogram)
{
    CEngineLockHold hold;
    if (!group || !histogram)
        return;
    uint32_t counts[256];
    for (uint32_t channel = 1; channel <= 3; ++channel) {
        if (histogram->GetHistogram(static_cast<int32_t>(channel), counts, 8) == 0)
            continue;
        if (CQzLutChannel* target = group->GetToneChannelById(channel))
            target->SetHistogram(counts, 256);
    }
}
