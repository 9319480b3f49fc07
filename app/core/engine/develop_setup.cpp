#include "app/core/engine/develop_setup.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/progress_sink.h"
#include "app/core/engine/white_balance.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/usm.h"
#include "filters/UnsharpMaskFilter.h"
#include "filters/VorlatFilterQRV.h"

namespace {

constexpr int32_t kRawColorSpace = 64;

struct HueRange {
    double start, width, end, endWidth;
};

// Colour ranges 1 to 6 as fractions of the hue circle, soft by 1/12 each side.
HueRange RangeOf(int32_t n)
{
    static constexpr int32_t kDegrees[6][2] = {{5, 65}, {125, 185}, {245, 305}, {65, 125}, {305, 5}, {185, 245}};
    if (n < 1 || n > 6)
        return {0.0, 0.0, 1.0, 0.0};
    return {kDegrees[n - 1][0] / 360.0, 1.0 / 12.0, kDegrees[n - 1][1] / 360.0, 1.0 / 12.0};
}

bool IsRawFile(const CDevelopParams* params)
{
    return params && GetImageFileKind(params->tags) == kFileKindRaw;
}

// A radius below half a pixel becomes one pixel with the power scaled down.
IVorlatError* SetStrength(CUnsharpMaskFilter* filter, double radius, double amount)
{
    IVorlatError* err = nullptr;
    const bool small = radius < 0.5;
    if (VorlatFailed(&err, kEngineFile, __LINE__, filter->SetRadius(small ? 1.0 : radius, false)))
        return err;
    VorlatFailed(&err, kEngineFile, __LINE__,
                 filter->SetPower(small ? amount * radius * 0.05 : amount * 0.05, false));
    return err;
}

}  // namespace

uint8_t ConfigureDemosaic(CDeBayerBase* filter, const CDevelopParams* params)
{
    CEngineLockHold hold;
    IVorlatError* err = nullptr;
    int32_t colorSpace = 0, width = 0, height = 0;
    if (!params || !params->source || DropChain(params->source->GetColorSpace(&colorSpace)))
        return 0;
    if (colorSpace != kRawColorSpace) {
        if (filter)
            DropChain(filter->Enable(false, true));
        return 1;
    }
    if (!filter || DropChain(params->source->GetSize(&width, &height)))
        return 0;

    if (filter->GetFilterCode() == VorlatFourCC("db1g") && params->tags) {
        int32_t level = 0;
        if (GetNoiseLevel(params->cameraModel, GetSensitivityCode(params->tags), &level)) {
            const int32_t parameters[CDeBayerSingleHQ4Filter::kParameterCount] = {level, level, level, 6, 15,
                                                                                  1,     14,    1,     1};
            static_cast<CDeBayerSingleHQ4Filter*>(filter)->SetHQParameters(parameters);
        }
    }

    const bool large = width >= 2013;
    const RECT output = {0, 0, large ? 3008 : 2000, large ? 1960 : 1312};
    const RECT sourceRect = {0, 0, width, height};
    if (VorlatFailed(&err, kEngineFile, __LINE__, filter->SetResample(large, &sourceRect, true)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, filter->SetCropRect(output, &sourceRect, true)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, filter->Enable(true, true)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, filter->SetCurves(12, 12, nullptr, nullptr, nullptr, true))) {
        DropChain(err);
        return 0;
    }

    if (params->cameraModel != 1) {
        std::unique_ptr<uint16_t[]> tables(new (std::nothrow) uint16_t[3 * 4096]);
        if (!tables) {
            IVorlatError::Add(&err, kEngineFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
            DropChain(err);
            return 0;
        }
        uint16_t* red = tables.get();
        uint16_t* green = red + 4096;
        uint16_t* blue = green + 4096;
        const double redGain = UsableMultiplier(params->asShotRed);
        const double blueGain = UsableMultiplier(params->asShotBlue);
        for (int32_t i = 0; i < 4096; ++i) {
            red[i] = static_cast<uint16_t>(std::min(4095.0, std::trunc(i * redGain)));
            green[i] = static_cast<uint16_t>(i);
            blue[i] = static_cast<uint16_t>(std::min(4095.0, std::trunc(i * blueGain)));
        }
        if (VorlatFailed(&err, kEngineFile, __LINE__, filter->SetCurves(12, 12, red, green, blue, true))) {
            DropChain(err);
            return 0;
        }
    }
    return 1;
}

uint8_t MakeDemosaicFilter(CDeBayerBase** filter, const CDevelopParams* params, bool highQuality)
{
    CEngineLockHold hold;
    if (!filter)
        return 0;
    *filter = nullptr;
    int32_t colorSpace = 0;
    if (!params || !params->source || DropChain(params->source->GetColorSpace(&colorSpace)))
        return 1;
    if (colorSpace != kRawColorSpace)
        return 1;
    CDeBayerBase* made = nullptr;
    if (highQuality)
        made = new (std::nothrow) CDeBayerSingleHQ4Filter(GetImageManager());
    else
        made = new (std::nothrow) CDeBayerSingleFilter(GetImageManager());
    if (!made)
        return 0;
    if (!ConfigureDemosaic(made, params)) {
        delete made;
        return 0;
    }
    *filter = made;
    return 1;
}

bool DemosaicImage(CDevelopParams& params)
{
    CEngineLockHold hold;
    int32_t colorSpace = 0;
    IVorlatManager* manager = GetImageManager();
    if (!manager || !params.source || GetImageFileKind(params.tags) != kFileKindRaw ||
        DropChain(params.source->GetColorSpace(&colorSpace)) || colorSpace != kRawColorSpace)
        return false;

    IVorlatImage* developed = nullptr;
    if (DropChain(manager->CreateImage(&developed, 0)) || !developed)
        return false;
    CDeBayerBase* filter = nullptr;
    if (!MakeDemosaicFilter(&filter, &params, true) || !filter) {
        developed->Destroy();
        return false;
    }

    // The document that opens the file began the progress run; this only moves the bar.
    IEngineProgress& progress = GetEngineProgress();
    bool failed = DropChain(filter->SetCacheUsage(0));
    const IVorlatDataSource* sources[1] = {params.source};
    int32_t process = 0;
    if (!failed)
        failed = DropChain(filter->BeginProcess(&process, sources, 1, developed));
    if (!failed) {
        for (;;) {
            int32_t done = 0, total = 0;
            if (DropChain(filter->ExecuteProcess(process, &done, &total))) {
                failed = true;
                break;
            }
            if (total < 1)
                break;
            progress.SetFraction(ProgressFraction(done, total));
        }
        if (DropChain(filter->EndProcess(process)))
            failed = true;
    }
    delete filter;

    if (failed) {
        developed->Destroy();
        return false;
    }
    params.raw = params.source;
    params.source = developed;
    AddRefImageData(developed);
    return true;
}

uint8_t SetUnsharpMaskRange(CUnsharpMaskFilter* filter, int32_t n)
{
    if (!filter)
        return 0;
    const HueRange range = RangeOf(n);
    HueRange now{};
    filter->GetRange(&now.start, &now.width, &now.end, &now.endWidth);
    if (now.start == range.start && now.width == range.width && now.end == range.end &&
        now.endWidth == range.endWidth)
        return 0;
    DropChain(filter->SetRange(range.start, range.width, range.end, range.endWidth, false));
    return 1;
}

IVorlatError* ConfigureUnsharpMaskEntry(CUnsharpMaskFilter* filter, const CQzUSM& entry, double scale)
{
    IVorlatError* err = nullptr;
    if (!filter)
        return nullptr;
    if (VorlatFailed(&err, kEngineFile, __LINE__, filter->SetAffectNoise(false, false)))
        return err;
    SetUnsharpMaskRange(filter, static_cast<int32_t>(entry.colour));
    if (VorlatFailed(&err, kEngineFile, __LINE__, filter->SetThreshold(entry.threshold * 0.2, false)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, SetStrength(filter, entry.haloWidth * scale * 0.2, entry.intensity)))
        return err;
    VorlatFailed(&err, kEngineFile, __LINE__, filter->SetMaskMethod(3, false));
    return err;
}

bool GetSharpeningLevel(const CDevelopParams* params, int32_t* level)
{
    CEngineLockHold hold;
    if (!IsRawFile(params))
        return false;
    int32_t value = 1;
    if (params->exposureOn && params->exposure && params->exposure->sharpening != 0) {
        value = static_cast<int32_t>(params->exposure->sharpening);
    } else {
        int32_t tag = 0;
        if (ReadTagLong(params->tags, kTagSharpening, &tag) && tag >= 0 && tag <= 3)
            value = tag + 1;
    }
    if (level)
        *level = value;
    return value != 1;
}

void SetUpCameraSharpening(const CDevelopParams* params, CUnsharpMaskFilter* filter, double scale)
{
    CEngineLockHold hold;
    if (!filter)
        return;
    int32_t level = 1;
    if (!GetSharpeningLevel(params, &level)) {
        DropChain(filter->Enable(false, true));
        return;
    }
    const double amount = level == 2 ? 11.0 : level == 3 ? 22.0 : level == 4 ? 34.0 : 0.0;
    const double radius = std::min(scale, 1.0) * 2.8;
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kEngineFile, __LINE__, filter->SetAffectNoise(false, false)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, filter->SetRange(0.0, 0.0, 1.0, 0.0, false)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, filter->SetThreshold(0.0, false)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, SetStrength(filter, radius, amount)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, filter->SetMaskMethod(3, false)) ||
        VorlatFailed(&err, kEngineFile, __LINE__, filter->Enable(true, true)))
        DropChain(err);
}

bool GetHueSetting(const CDevelopParams* params, int32_t* value)
{
    CEngineLockHold hold;
    if (!IsRawFile(params))
        return false;
    int32_t hue = 3;
    if (params->exposureOn && params->exposure && params->exposure->hueAdjustmentOn) {
        hue = static_cast<int32_t>(params->exposure->hueLevel);
    } else {
        int32_t tag = 0;
        if (ReadTagLong(params->tags, kTagHueSetting, &tag))
            hue = tag / 3 + 3;
    }
    if (value)
        *value = hue;
    return hue != 3;
}

int32_t HueShift(int32_t setting)
{
    return static_cast<int32_t>((static_cast<int64_t>(3) * setting - 9) * 65536 / 360);
}

bool ApplyHueTable(const CDevelopParams* params, CVorlatFilterQRV* filter)
{
    CEngineLockHold hold;
    if (!filter)
        return false;
    int32_t hue = 3;
    if (!GetHueSetting(params, &hue) || hue == 3) {
        DropChain(filter->SetLUT(true, true, nullptr, 16, 16, 0, true));
        return false;
    }
    std::vector<uint16_t> identity, shifted;
    try {
        identity.resize(65536);
        shifted.resize(65536);
    } catch (const std::bad_alloc&) {
        DropChain(filter->SetLUT(true, true, nullptr, 16, 16, 0, true));
        return false;
    }
    const int64_t d = HueShift(hue);
    for (int64_t i = 0; i < 65536; ++i) {
        identity[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
        shifted[static_cast<size_t>(i)] = static_cast<uint16_t>(((i + d) % 65536 + 65536) % 65536);
    }
    const uint16_t* const tables[3] = {identity.data(), identity.data(), shifted.data()};
    DropChain(filter->SetLUT(true, true, tables, 16, 16, 3, true));
    return true;
}
