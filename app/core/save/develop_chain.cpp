#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "app/core/demosaic/debayer_base.h"
#include "app/core/engine/develop_setup.h"
#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/tone_tables.h"
#include "app/core/heuristics/size_res.h"
#include "app/core/save/save_run_impl.h"
#include "app/core/settings/usm.h"
#include "filters/CropFilter.h"
#include "filters/UnsharpMaskFilter.h"
#include "filters/VorlatFilterLut.h"
#include "filters/VorlatFilterQRV.h"
#include "filters/VorlatFilterScale.h"
#include "filters/VorlatFilterTransform.h"

namespace {

constexpr uint32_t kCurvesFlags = 62;
constexpr uint32_t kColorBalanceFlags = 66;
constexpr int32_t kScaleMethod = 2;
constexpr char kMissingEngine[] = "Missing CMS Engine";

// A chain from a call ends the build with the general failure.
int32_t Failed(IVorlatError* err)
{
    DropChain(err);
    return kEngineFailed;
}

bool IsDeep(int32_t colorSpace) { return colorSpace == 33 || colorSpace == 64 || colorSpace == 65; }

int32_t Truncated(double value)
{
    if (!(value > -2147483648.0))
        return INT32_MIN;
    if (value >= 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(value);
}

// Made in the image manager with its cache kept, or value 1005 when there is no memory.
template <class T, class... Args>
T* MakeFilter(IVorlatError** err, int32_t line, Args... args)
{
    T* filter = new (std::nothrow) T(GetImageManager(), args...);
    if (!filter) {
        IVorlatError::Add(err, kSaveFile, line, kVorlatFromSystem, kVorlatErrAllocation);
        return nullptr;
    }
    if (VorlatFailed(err, kSaveFile, line, filter->SetCacheUsage(0))) {
        delete filter;
        return nullptr;
    }
    return filter;
}

// The three colour channels of the group as 8-bit tables.
IVorlatError* SetCurveTables(CVorlatFilterLut* filter, CQzLutGroup* group, uint32_t flags)
{
    uint16_t tables[3][256];
    for (uint32_t id = 1; id <= 3; ++id)
        BuildTable(group->GetToneChannelById(id), tables[id - 1], 2, 256, 256, 0.0, 1.0, flags, 1.0);
    const uint16_t* pointers[3] = {tables[0], tables[1], tables[2]};
    return filter->SetLUT(pointers, 8, 8, 3, false);
}

}  // namespace

// The crop runs before the turn: its rectangle, kept in the turned image's
// half pixels, goes back to the frame of the source before it is halved.
RECT SourceCrop(const CQzSizeRes& sizeRes)
{
    CQzRect crop;
    sizeRes.GetCropRectInt(crop, 0);
    RECT rect;
    rect.left = crop.GetLeft() / 2;
    rect.top = crop.GetTop() / 2;
    // Half a pixel still takes one: an empty rectangle means no crop to the filter.
    rect.right = rect.left + std::max(1, (crop.GetRight() - crop.GetLeft()) / 2);
    rect.bottom = rect.top + std::max(1, (crop.GetBottom() - crop.GetTop()) / 2);
    return rect;
}

int32_t BuildDevelopChain(const CDevelopParams* params)
{
    SaveRun& run = GetSaveRun();
    IVorlatManager* manager = GetImageManager();
    IVorlatImage* source = params ? params->source : nullptr;
    int32_t colorSpace = 0, width = 0, height = 0;
    if (!manager || !source || DropChain(source->GetColorSpace(&colorSpace)))
        return kEngineNoColorSpace;
    if (DropChain(source->GetSize(&width, &height)) || width < 1 || height < 1)
        return kEngineFailed;

    // 1. The chain and the image it renders into.
    if (DropChain(manager->CreateFilterChain(&run.chain)) || !run.chain ||
        DropChain(manager->CreateImage(&run.rendered, 0)) || !run.rendered)
        return kEngineNoObject;

    // 2. The export engines for the stored mode.
    if (int32_t code = SetUpExportEngines(params, run.mode)) {
        IVorlatError::Add(&run.errors, kSaveFile, __LINE__, kVorlatFromSystem, kSaveErrEngineSetUp);
        return code;
    }

    IVorlatError* err = nullptr;
    // 3. Demosaic of raw data.
    if (!MakeDemosaicFilter(&run.demosaic, params, true)) {
        IVorlatError::Add(&run.errors, kSaveFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        return kEngineFailed;
    }
    if (run.demosaic && VorlatFailed(&err, kSaveFile, __LINE__, run.demosaic->SetCacheUsage(0)))
        return Failed(err);

    // 4. Crop and scale.
    auto* sizeRes = static_cast<CQzSizeRes*>(params->sizeRes);
    const bool sizeResApplies = params->sizeResApplied && sizeRes;
    const bool quarter = params->rotation % 180 != 0;
    int32_t outWidth = 0, outHeight = 0;
    run.scale = 1.0;
    if (!sizeResApplies) {
        DropChain(source->SetResolution(300.0));
    } else {
        const bool cropped = !(sizeRes->GetCropRect() == sizeRes->GetImageRect());
        run.scale = sizeRes->GetScale();
        // The file prints at the settings' output size: its pixels over the
        // inches they fill, which is the second resolution.
        DropChain(source->SetResolution(sizeRes->GetSecondResolution().value));
        // The file has the pixel size the settings report. The transform
        // comes after the scale: a quarter turn exchanges the sides.
        const int32_t pixelWidth = std::max(1, Truncated(sizeRes->GetPixelWidth()));
        const int32_t pixelHeight = std::max(1, Truncated(sizeRes->GetPixelHeight()));
        outWidth = quarter ? pixelHeight : pixelWidth;
        outHeight = quarter ? pixelWidth : pixelHeight;
        if (cropped && !(run.crop = MakeFilter<CCropFilter>(&err, __LINE__)))
            return Failed(err);
        // Whether the size differs is known once the source is connected
        // (step 10); a scaler not needed then leaves the chain.
        if (!(run.scaler = MakeFilter<CVorlatFilterScale>(&err, __LINE__, kScaleMethod)))
            return Failed(err);
    }

    // 5. Colour: through the lightness-chroma-hue profile when anything sharpens or turns the hue.
    const bool usmList = params->usmOn && params->usmList && params->usmList->GetCount() > 0;
    const bool hue = GetHueSetting(params, nullptr);
    const bool cameraSharpening = GetSharpeningLevel(params, nullptr);
    if (usmList || hue || cameraSharpening) {
        CVorlatFilterQRVEngine::Pointer& d = SaveEngineHolder(kEngineD);
        if (!CreateColorEngine(d, params, 2, 16)) {
            AddSaveErrorText(kMissingEngine, __LINE__);
            return kEngineFailed;
        }
        if (!(run.colour = MakeFilter<CVorlatFilterQRV>(&err, __LINE__)) ||
            VorlatFailed(&err, kSaveFile, __LINE__, run.colour->SetQRVEngine(d, false)) ||
            VorlatFailed(&err, kSaveFile, __LINE__, ComposeInputTables(params, run.colour, false)))
            return Failed(err);
        ApplyHueTable(params, run.colour);
        if (cameraSharpening) {
            if (!(run.cameraSharpening = MakeFilter<CUnsharpMaskFilter>(&err, __LINE__)))
                return Failed(err);
            SetUpCameraSharpening(params, run.cameraSharpening, run.scale);
        }
        if (usmList) {
            const int32_t count = std::min(params->usmList->GetCount(), kSaveUsmSlots);
            for (int32_t i = 0; i < count; ++i) {
                if (!(run.usm[i] = MakeFilter<CUnsharpMaskFilter>(&err, __LINE__)) ||
                    VorlatFailed(&err, kSaveFile, __LINE__,
                                 ConfigureUnsharpMaskEntry(run.usm[i], params->usmList->GetAt(i), run.scale)))
                    return Failed(err);
            }
        }
        // Every deep source stays deep here; the 8-bit reduction comes later, as without sharpening.
        CVorlatFilterQRVEngine::Pointer& c = SaveEngineHolder(kEngineC);
        if (!CreateColorEngineByIndex(c, 2, 16, 0, IsDeep(colorSpace) ? 16 : 8)) {
            AddSaveErrorText(kMissingEngine, __LINE__);
            return kEngineFailed;
        }
        if (!(run.backColour = MakeFilter<CVorlatFilterQRV>(&err, __LINE__)) ||
            VorlatFailed(&err, kSaveFile, __LINE__, run.backColour->SetQRVEngine(c, false)))
            return Failed(err);
    } else {
        if (!(run.colour = MakeFilter<CVorlatFilterQRV>(&err, __LINE__)) ||
            VorlatFailed(&err, kSaveFile, __LINE__, run.colour->SetQRVEngine(SaveEngineHolder(kEngineA), false)) ||
            VorlatFailed(&err, kSaveFile, __LINE__, ComposeInputTables(params, run.colour, false)))
            return Failed(err);
    }

    // 6. Orientation.
    if ((params->flip || params->rotation) && !(run.transform = MakeFilter<CVorlatFilterTransform>(&err, __LINE__)))
        return Failed(err);

    // 7. Curves, else colour balance.
    CQzLutGroup* curveGroup = nullptr;
    uint32_t curveFlags = 0;
    if (params->curves1On && params->curves1) {
        curveGroup = params->curves1;
        curveFlags = kCurvesFlags;
    } else if (params->curves2On && params->curves2) {
        curveGroup = params->curves2;
        curveFlags = kColorBalanceFlags;
    }
    if (curveGroup && (!(run.curves = MakeFilter<CVorlatFilterLut>(&err, __LINE__)) ||
                       VorlatFailed(&err, kSaveFile, __LINE__, SetCurveTables(run.curves, curveGroup, curveFlags))))
        return Failed(err);

    // 8. Deep sources become 8-bit for mode 0.
    if (IsDeep(colorSpace) && run.mode == kOutput8BitWorking &&
        (!(run.reduce = MakeFilter<CVorlatFilterQRV>(&err, __LINE__)) ||
         VorlatFailed(&err, kSaveFile, __LINE__, run.reduce->SetQRVEngine(SaveEngineHolder(kEngineB), false))))
        return Failed(err);

    // 9. The chain in its fixed order.
    IVorlatFilter* order[] = {run.demosaic, run.crop,   run.scaler,     run.colour, run.cameraSharpening,
                              run.usm[0],   run.usm[1], run.usm[2],     run.usm[3], run.usm[4],
                              run.usm[5],   run.usm[6], run.backColour, run.transform, run.curves,
                              run.reduce};
    for (IVorlatFilter* filter : order) {
        if (filter && VorlatFailed(&err, kSaveFile, __LINE__, run.chain->AddFilter(filter, -1)))
            return Failed(err);
    }

    // 10. Geometry needs the source's size, so it is set while the source is connected.
    if (VorlatFailed(&err, kSaveFile, __LINE__, run.chain->UseSource(source, nullptr)))
        return Failed(err);
    if (run.crop) {
        const RECT rect = SourceCrop(*sizeRes);
        VorlatFailed(&err, kSaveFile, __LINE__, run.crop->SetCrop(rect, false));
    }
    if (!err && run.scaler) {
        IVorlatDataSource* before = run.crop ? static_cast<IVorlatDataSource*>(run.crop)
                                  : run.demosaic ? static_cast<IVorlatDataSource*>(run.demosaic)
                                                 : source;
        int32_t cutWidth = 0, cutHeight = 0;
        if (!VorlatFailed(&err, kSaveFile, __LINE__, before->GetSize(&cutWidth, &cutHeight)) && run.scale == 1.0 &&
            cutWidth == outWidth && cutHeight == outHeight) {
            IVorlatFilter* extracted = nullptr;
            if (!VorlatFailed(&err, kSaveFile, __LINE__,
                              run.chain->ExtractFilter(run.chain->FindFilter(run.scaler), &extracted))) {
                delete run.scaler;
                run.scaler = nullptr;
            }
        }
        if (!err && run.scaler)
            VorlatFailed(&err, kSaveFile, __LINE__, run.scaler->SetSize(outWidth, outHeight, false));
    }
    if (!err && run.transform)
        VorlatFailed(&err, kSaveFile, __LINE__,
                     run.transform->SetTransform(params->flip != 0, params->rotation, false, false));
    DropChain(run.chain->UseSource(nullptr, nullptr));
    if (err)
        return Failed(err);

    // 11. Rendering starts.
    const IVorlatDataSource* sources[1] = {source};
    if (VorlatFailed(&err, kSaveFile, __LINE__, run.chain->BeginProcess(&run.processId, sources, 1, run.rendered)))
        return Failed(err);
    run.processing = true;
    return kEngineOk;
}
