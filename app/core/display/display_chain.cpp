#include "app/core/display/display_chain.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/develop_setup.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/tone_tables.h"
#include "app/core/record/image_record.h"
#include "filters/BGRizeFilter.h"
#include "filters/UnsharpMaskFilter.h"
#include "filters/VorlatFilterGrid.h"
#include "filters/VorlatFilterHistogram.h"
#include "filters/VorlatFilterQRV.h"
#include "filters/VorlatFilterScale.h"
#include "filters/VorlatFilterTransform.h"

namespace {

constexpr int32_t kDisplayFile = VorlatFourCC("IDVw");
constexpr int32_t kUsmCode = VorlatFourCC("usm ");
constexpr int32_t kRawColorSpace = 64;
// Cubic when enlarging, area averages when reducing.
constexpr int32_t kScaleMethod = 2;
constexpr uint32_t kCurvesMode = 62;
constexpr uint32_t kColorBalanceMode = 66;
// An engine that could not be fetched again for a white balance or exposure change.
constexpr int32_t kErrEngineRefetch = 1050;
// Below this share of the output scale the view's sharpening is only a likeness.
constexpr double kExactPreviewRatio = 0.95;

IVorlatError* EngineError(IVorlatError* err, int32_t line)
{
    IVorlatError::Add(&err, kDisplayFile, line, "CMSError");
    return err;
}

int32_t WholePixels(double value)
{
    if (!(value >= 1.0))
        return 1;
    return value >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(value);
}

// The grid filter's unit for the setting's unit; 0 means pixels.
int32_t GridUnit(int32_t setting)
{
    switch (setting) {
    case 1: return 1;
    case 2: return 3;
    case 3: return 2;
    case 4: return 4;
    case 5: return 5;
    default: return 0;
    }
}

}  // namespace

struct CImageDisplayChain::Filters {
    std::unique_ptr<CDeBayerSingleFilter> fastDemosaic;
    std::unique_ptr<CDeBayerSingleHQ4Filter> qualityDemosaic;
    std::unique_ptr<CVorlatFilterScale> reducingScale;
    std::unique_ptr<CVorlatFilterQRV> direct;
    std::unique_ptr<CVorlatFilterQRV> lightness;
    std::unique_ptr<CUnsharpMaskFilter> cameraSharpening;
    std::unique_ptr<CVorlatFilterQRV> back;
    std::unique_ptr<CVorlatFilterHistogram> histogram;
    std::unique_ptr<CVorlatFilterTransform> transform;
    std::unique_ptr<CVorlatFilterQRV> monitor;
    std::unique_ptr<CVorlatFilterScale> enlargingScale;
    std::unique_ptr<CVorlatFilterGrid> grid;
    std::unique_ptr<CBGRizeFilter> bgr;
    std::unique_ptr<CUnsharpMaskFilter> sharpening[kMaxSharpeningFilters];

    CVorlatFilterBase* Member(int32_t member) const
    {
        switch (member) {
        case kFastDemosaic: return fastDemosaic.get();
        case kQualityDemosaic: return qualityDemosaic.get();
        case kReducingScale: return reducingScale.get();
        case kDirectColor: return direct.get();
        case kLightnessColor: return lightness.get();
        case kCameraSharpening: return cameraSharpening.get();
        case kBackColor: return back.get();
        case kHistogram: return histogram.get();
        case kTransform: return transform.get();
        case kMonitorColor: return monitor.get();
        case kEnlargingScale: return enlargingScale.get();
        case kGrid: return grid.get();
        case kBgr: return bgr.get();
        default: return nullptr;
        }
    }
};

CImageDisplayChain::CImageDisplayChain(IVorlatManager* manager, IDisplayChainSink& sink)
    : manager_(manager), sink_(sink), filters_(std::make_unique<Filters>())
{
}

CImageDisplayChain::~CImageDisplayChain()
{
    CEngineLockHold hold;
    if (idleClient_)
        sink_.RemoveIdleClient(filters_->histogram.get());
    // The chain only lists the filters: it goes before them.
    DestroyChain();
    filters_.reset();
    directEngine_.Set(nullptr);
    lightnessEngine_.Set(nullptr);
    backEngine_.Set(nullptr);
    monitorEngine_.Set(nullptr);
}

CVorlatFilterBase* CImageDisplayChain::GetMember(Member member) const
{
    return filters_->Member(member);
}

CUnsharpMaskFilter* CImageDisplayChain::GetSharpeningFilter(int32_t index) const
{
    return index >= 0 && index < kMaxSharpeningFilters ? filters_->sharpening[index].get() : nullptr;
}

bool CImageDisplayChain::MakeFilters()
{
    Filters& f = *filters_;
    // A filter whose cache cannot be set up is dropped again, so that a later
    // build makes it afresh; nothing after it is made in this build.
    const auto cached = [](auto& slot, int32_t usage) {
        if (!DropChain(slot->SetCacheUsage(usage)))
            return true;
        slot.reset();
        return false;
    };
    if (!f.fastDemosaic) {
        f.fastDemosaic = std::make_unique<CDeBayerSingleFilter>(manager_);
        if (!cached(f.fastDemosaic, 0))
            return false;
    }
    if (!f.qualityDemosaic) {
        f.qualityDemosaic = std::make_unique<CDeBayerSingleHQ4Filter>(manager_);
        if (!cached(f.qualityDemosaic, 0))
            return false;
    }
    if (!f.reducingScale) {
        f.reducingScale = std::make_unique<CVorlatFilterScale>(manager_, kScaleMethod);
        DropChain(f.reducingScale->SetScale(1.0, true));
    }
    for (std::unique_ptr<CVorlatFilterQRV>* colour : {&f.direct, &f.lightness}) {
        if (!*colour) {
            *colour = std::make_unique<CVorlatFilterQRV>(manager_);
            if (!cached(*colour, 0))
                return false;
        }
    }
    if (!f.cameraSharpening) {
        f.cameraSharpening = std::make_unique<CUnsharpMaskFilter>(manager_);
        if (!cached(f.cameraSharpening, 0))
            return false;
    }
    if (!f.back) {
        f.back = std::make_unique<CVorlatFilterQRV>(manager_);
        if (!cached(f.back, 0))
            return false;
    }
    if (!f.histogram) {
        f.histogram = std::make_unique<CVorlatFilterHistogram>(manager_);
        DropChain(f.histogram->Enable(false, true));
    }
    if (!f.transform)
        f.transform = std::make_unique<CVorlatFilterTransform>(manager_);
    if (!f.monitor) {
        f.monitor = std::make_unique<CVorlatFilterQRV>(manager_);
        if (!cached(f.monitor, 0))
            return false;
    }
    if (!f.enlargingScale) {
        f.enlargingScale = std::make_unique<CVorlatFilterScale>(manager_, kScaleMethod);
        DropChain(f.enlargingScale->SetScale(1.0, true));
    }
    if (!f.grid) {
        f.grid = std::make_unique<CVorlatFilterGrid>(manager_);
        if (!cached(f.grid, 2))
            return false;
        DropChain(SetUpGrid());
    }
    if (!f.bgr) {
        f.bgr = std::make_unique<CBGRizeFilter>(manager_);
        if (!cached(f.bgr, 0))
            return false;
    }
    return true;
}

void CImageDisplayChain::BuildPipeline(uint32_t hints, double scale)
{
    CEngineLockHold hold;
    chainReady_ = false;
    if (!MakeFilters() || !record_ || !record_->imageData)
        return;
    bool newChain = false;
    if (!chain_) {
        if (DropChain(manager_->CreateFilterChain(&chain_)) || !chain_) {
            chain_ = nullptr;
            return;
        }
        newChain = true;
    }
    if (DropChain(BuildConnected(hints, scale, newChain))) {
        DestroyChain();
        return;
    }
    chainReady_ = true;
}

IVorlatError* CImageDisplayChain::BuildConnected(uint32_t hints, double scale, bool newChain)
{
    Filters& f = *filters_;
    IVorlatError* err = nullptr;
    if (newChain) {
        for (int32_t m = 0; m < kMemberCount; ++m) {
            const bool on = m == kTransform || m == kMonitorColor || m == kBgr;
            if (VorlatFailed(&err, kDisplayFile, __LINE__, f.Member(m)->Enable(on, true)))
                return err;
        }
        for (int32_t m = 0; m < kMemberCount; ++m) {
            if (VorlatFailed(&err, kDisplayFile, __LINE__, chain_->AddFilter(f.Member(m), -1)))
                return err;
        }
        if (!idleClient_) {
            sink_.AddIdleClient(f.histogram.get());
            idleClient_ = true;
        }
    }

    CDevelopParams params(*record_);
    int32_t colorSpace = 0;
    if (VorlatFailed(&err, kDisplayFile, __LINE__, record_->imageData->GetColorSpace(&colorSpace)))
        return err;

    if (hints & kHintDemosaic) {
        const double shown = scale != 0.0 ? scale : record_->displayScale;
        if (colorSpace == kRawColorSpace) {
            const bool fast = shown < 1.0;
            CDeBayerBase* off = fast ? static_cast<CDeBayerBase*>(f.qualityDemosaic.get()) : f.fastDemosaic.get();
            CDeBayerBase* on = fast ? static_cast<CDeBayerBase*>(f.fastDemosaic.get()) : f.qualityDemosaic.get();
            if (VorlatFailed(&err, kDisplayFile, __LINE__, off->Enable(false, false)))
                return err;
            ConfigureDemosaic(on, &params);
        } else if (VorlatFailed(&err, kDisplayFile, __LINE__, f.fastDemosaic->Enable(false, true)) ||
                   VorlatFailed(&err, kDisplayFile, __LINE__, f.qualityDemosaic->Enable(false, true))) {
            return err;
        }
    }

    const auto attach = [&err](CVorlatFilterQRV* filter, CVorlatFilterQRVEngine* engine) {
        return filter->GetQRVEngine() != engine &&
               VorlatFailed(&err, kDisplayFile, __LINE__, filter->SetQRVEngine(engine, false));
    };
    if (hints == kHintBuildAll) {
        if (!CreateColorEngine(directEngine_, &params, 0, 8)) {
            sink_.ShowMessage(kMessageEngineFailed);
            return EngineError(err, 975);
        }
        if (attach(f.direct.get(), directEngine_.Get()))
            return err;
    }
    if (!CreateColorEngine(lightnessEngine_, &params, 2, 16)) {
        sink_.ShowMessage(kMessageEngineFailed);
        return EngineError(err, 989);
    }
    if (attach(f.lightness.get(), lightnessEngine_.Get()))
        return err;
    if (!CreateColorEngineByIndex(backEngine_, 2, 16, 0, 8)) {
        sink_.ShowMessage(kMessageEngineFailed);
        return EngineError(err, 1003);
    }
    if (attach(f.back.get(), backEngine_.Get()))
        return err;

    if ((hints & kHintUnsharpMask) &&
        VorlatFailed(&err, kDisplayFile, __LINE__, SetUpSharpening(*record_, f.back.get())))
        return err;

    if (hints == kHintBuildAll) {
        if (!CreateColorEngineByIndex(monitorEngine_, 0, 8, 3, 8)) {
            sink_.ShowMessage(kMessageEngineFailed);
            return EngineError(err, 1021);
        }
        if (attach(f.monitor.get(), monitorEngine_.Get()))
            return err;
    }

    if ((hints & kHintGrid) &&
        VorlatFailed(&err, kDisplayFile, __LINE__, f.grid->Enable(record_->gridOn != 0, true)))
        return err;

    if (newChain) {
        if (VorlatFailed(&err, kDisplayFile, __LINE__, VorlatDataConnect(record_->imageData, chain_)))
            return err;
        source_ = record_->imageData;
        if (VorlatFailed(&err, kDisplayFile, __LINE__, VorlatDataConnect(chain_, this)))
            return err;
        connected_ = true;
    } else if (source_ != record_->imageData) {
        // The record was given another image (a copy put in its place): the
        // chain follows it rather than showing the one it held before.
        source_ = nullptr;
        if (VorlatFailed(&err, kDisplayFile, __LINE__, chain_->UseSource(record_->imageData, nullptr)))
            return err;
        source_ = record_->imageData;
        // Filters that keep their source's size hear of the new one.
        if (VorlatFailed(&err, kDisplayFile, __LINE__,
                         VorlatSendDataNotification(source_, kVorlatNotifyUpdateAll, nullptr)))
            return err;
    }

    VorlatFailed(&err, kDisplayFile, __LINE__, f.histogram->Enable(true, true));
    return err;
}

void CImageDisplayChain::DestroyChain()
{
    if (!chain_)
        return;
    if (connected_)
        DropChain(VorlatDataDisconnect(chain_, this));
    if (source_)
        DropChain(VorlatDataDisconnect(source_, chain_));
    connected_ = false;
    source_ = nullptr;
    chain_->Destroy();
    chain_ = nullptr;
    chainReady_ = false;
}

void CImageDisplayChain::RemoveSharpeningFilters()
{
    const int32_t camera = chain_->FindFilter(filters_->cameraSharpening.get());
    const int32_t start = camera + 1;
    for (int32_t at = chain_->FindFilterCode(kUsmCode, start); at >= 0; at = chain_->FindFilterCode(kUsmCode, start)) {
        if (DropChain(chain_->RemoveFilter(at)))
            break;
    }
}

IVorlatError* CImageDisplayChain::SetUpSharpening(const CImageRecord& record, IVorlatFilter* before)
{
    CEngineLockHold hold;
    Filters& f = *filters_;
    IVorlatError* err = nullptr;
    const CQzUSMList& list = record.usm;
    int32_t count = 0;
    for (int32_t at = chain_->FindFilterCode(kUsmCode, 0); at >= 0; at = chain_->FindFilterCode(kUsmCode, at + 1))
        ++count;
    const int32_t entries = record.usmOn ? std::min(list.GetCount(), kMaxSharpeningFilters) : 0;

    bool changed = false;
    if (count - 1 != entries) {
        changed = true;
        RemoveSharpeningFilters();
        for (; sharpeningMade_ < entries; ++sharpeningMade_) {
            auto made = std::make_unique<CUnsharpMaskFilter>(manager_);
            if (VorlatFailed(&err, kDisplayFile, __LINE__, made->SetCacheUsage(0)) ||
                VorlatFailed(&err, kDisplayFile, __LINE__, made->SetAffectNoise(false, false)))
                return err;
            f.sharpening[sharpeningMade_] = std::move(made);
        }
        const int32_t at = chain_->FindFilter(before);
        for (int32_t i = 0; i < entries; ++i) {
            if (VorlatFailed(&err, kDisplayFile, __LINE__, chain_->AddFilter(f.sharpening[i].get(), at + i)))
                return err;
        }
    }

    const double display = record.displayScale;
    const double output = record.sizeRes.GetScale();
    const double shown = std::min(1.0, display);
    bool warn = false;
    for (int32_t i = 0; i < entries; ++i) {
        CUnsharpMaskFilter* filter = f.sharpening[i].get();
        const CQzUSM& entry = list.GetAt(i);
        const double threshold = filter->GetThreshold();
        const double radius = filter->GetRadius();
        const double power = filter->GetPower();
        // A new colour range changes the picture as much as a new strength.
        if (SetUnsharpMaskRange(filter, static_cast<int32_t>(entry.colour)))
            changed = true;
        const double r = entry.haloWidth * shown * 0.2;
        // Below half a pixel the filter cannot follow the radius: a pixel's
        // radius with the strength cut in proportion stands for it.
        if (VorlatFailed(&err, kDisplayFile, __LINE__, filter->SetThreshold(entry.threshold * 0.2, false)) ||
            VorlatFailed(&err, kDisplayFile, __LINE__, filter->SetRadius(r < 0.5 ? 1.0 : r, false)) ||
            VorlatFailed(&err, kDisplayFile, __LINE__,
                         filter->SetPower(r < 0.5 ? entry.intensity * r * 0.05 : entry.intensity * 0.05, false)) ||
            VorlatFailed(&err, kDisplayFile, __LINE__, filter->SetMaskMethod(3, false)))
            return err;
        if (r < 0.5 && display < kExactPreviewRatio * output)
            warn = true;
        if (filter->GetThreshold() != threshold || filter->GetRadius() != radius || filter->GetPower() != power)
            changed = true;
    }
    sink_.ShowSharpeningWarning(warn);

    if (changed) {
        IVorlatDataSource* from = entries > 0 ? static_cast<IVorlatDataSource*>(f.sharpening[0].get())
                                              : f.cameraSharpening.get();
        VorlatFailed(&err, kDisplayFile, __LINE__, VorlatSendDataNotification(from, kVorlatNotifyUpdateAll, nullptr));
    }
    return err;
}

IVorlatError* CImageDisplayChain::SetUpGrid()
{
    CVorlatFilterGrid* grid = filters_->grid.get();
    IVorlatError* err = nullptr;
    const DisplayGridSettings settings = sink_.GetGridSettings();
    const auto channel = [&settings](int shift) { return static_cast<unsigned char>(settings.color >> shift); };
    if (VorlatFailed(&err, kDisplayFile, __LINE__, grid->SetGridColor(channel(0), channel(8), channel(16), true)))
        return err;
    const int32_t unit = GridUnit(settings.units);
    const double spacing = unit != 0 ? settings.spacing / 100.0 : settings.spacing;
    if (VorlatFailed(&err, kDisplayFile, __LINE__, grid->SetGridInterval(spacing, unit, settings.divisions, true)))
        return err;
    return RefreshGridSize(true);
}

IVorlatError* CImageDisplayChain::RefreshGridSize(bool force)
{
    CVorlatFilterGrid* grid = filters_->grid.get();
    if (!grid || !record_)
        return nullptr;
    IVorlatError* err = nullptr;
    const CQzSizeRes& sizeRes = record_->sizeRes;
    const int32_t width = WholePixels(sizeRes.GetPixelWidth());
    const int32_t height = WholePixels(sizeRes.GetPixelHeight());
    const double resolution = sizeRes.GetOutputResolution().value;
    int32_t oldWidth = 0, oldHeight = 0;
    double oldResolution = 0.0;
    grid->GetAssumedImageSize(&oldWidth, &oldHeight, &oldResolution);
    if (VorlatFailed(&err, kDisplayFile, __LINE__, grid->SetAssumedImageSize(width, height, resolution, false)))
        return err;
    const bool differs = width != oldWidth || height != oldHeight || resolution != oldResolution;
    if ((differs || force) && grid->IsEnabled())
        VorlatFailed(&err, kDisplayFile, __LINE__, VorlatSendDataNotification(grid, kVorlatNotifyUpdateAll, nullptr));
    return err;
}

void CImageDisplayChain::ApplyCurveTables(CImageRecord& record, uint32_t hints, bool unadjusted)
{
    CVorlatFilterQRV* monitor = filters_->monitor.get();
    const auto apply = [&](bool on, CQzLutGroup& group, uint32_t mode) {
        if (!on || unadjusted) {
            DropChain(monitor->SetLUT(false, true, nullptr, 8, 8, 0, true));
            return;
        }
        uint16_t tables[3][256];
        for (uint32_t id = 1; id <= 3; ++id)
            BuildTable(group.GetToneChannelById(id), tables[id - 1], 2, 256, 256, 0.0, 1.0, mode, 1.0);
        const uint16_t* pointers[3] = {tables[0], tables[1], tables[2]};
        DropChain(monitor->SetLUT(false, true, pointers, 8, 8, 3, true));
    };
    if (hints & kHintCurves)
        apply(record.curvesOn != 0, record.curves, kCurvesMode);
    if (hints & kHintColorBalance)
        apply(record.colourBalanceOn != 0, record.colourBalance, kColorBalanceMode);
}

void CImageDisplayChain::ApplyRotation(CImageRecord& record)
{
    OnRotationHook();
    DropChain(filters_->transform->SetTransform(record.flip != 0, static_cast<double>(record.rotation), true, true));
    record.sizeRes.SetOrientation(record.flip, record.rotation);
    sink_.RotationApplied();
    int32_t width = 0, height = 0;
    if (!GetDevelopedImageSize(record.imageData, &width, &height)) {
        width = height = 1;
    } else if (record.rotation % 180 != 0) {
        std::swap(width, height);
    }
    displayWidth_ = width;
    displayHeight_ = height;
}

void CImageDisplayChain::ApplySizeRes(CImageRecord& record)
{
    sink_.RefreshCaption();
    const double display = record.displayScale;
    bool warn = false;
    if (display < kExactPreviewRatio * record.sizeRes.GetScale()) {
        for (int32_t i = 0; i < record.usm.GetCount(); ++i)
            warn = warn || record.usm.GetAt(i).haloWidth * display * 0.2 < 0.5;
    }
    sink_.ShowSharpeningWarning(warn);
    DropChain(RefreshGridSize(false));
}

IVorlatError* CImageDisplayChain::ApplyEngines(const CDevelopParams& params, bool unadjusted)
{
    Filters& f = *filters_;
    IVorlatError* err = nullptr;
    if (!CreateColorEngine(directEngine_, &params, 0, 8)) {
        IVorlatError::Add(&err, kDisplayFile, 1402, 2, kErrEngineRefetch);
        sink_.ShowMessage(kMessageEngineFailed);
        return err;
    }
    if (!CreateColorEngine(lightnessEngine_, &params, 2, 16)) {
        IVorlatError::Add(&err, kDisplayFile, 1411, 2, kErrEngineRefetch);
        sink_.ShowMessage(kMessageEngineFailed);
        return err;
    }
    for (auto [filter, engine] : {std::pair{f.direct.get(), directEngine_.Get()},
                                  std::pair{f.lightness.get(), lightnessEngine_.Get()}}) {
        if (filter->GetQRVEngine() != engine &&
            VorlatFailed(&err, kDisplayFile, __LINE__, filter->SetQRVEngine(engine, true)))
            return err;
    }
    if (VorlatFailed(&err, kDisplayFile, __LINE__, ComposeInputTables(&params, f.direct.get(), unadjusted)))
        return err;
    VorlatFailed(&err, kDisplayFile, __LINE__, ComposeInputTables(&params, f.lightness.get(), unadjusted));
    return err;
}

void CImageDisplayChain::UpdateAdjustments(uint32_t hints, bool unadjusted, CImageRecord* item)
{
    CEngineLockHold hold;
    CImageRecord* record = item ? item : record_;
    if (!record || !chain_)
        return;
    Filters& f = *filters_;
    CDevelopParams params(*record);
    if (unadjusted) {
        params.exposureOn = 0;
        params.wbOn = 0;
    }
    int32_t level = 1;
    const bool lightnessPath = (record->usmOn && record->usm.GetCount() > 0) || GetHueSetting(&params, nullptr) ||
                               (GetSharpeningLevel(&params, &level) && level > 1);

    // Curves and Color Balance share the monitor filter's tables: Curves wins.
    if (hints & (kHintCurves | kHintColorBalance)) {
        if (record->curvesOn)
            hints = (hints | kHintCurves) & ~kHintColorBalance;
        else if (record->colourBalanceOn)
            hints = (hints | kHintColorBalance) & ~kHintCurves;
    }
    ApplyCurveTables(*record, hints, unadjusted);

    if (hints & kHintUnsharpMask) {
        if (unadjusted) {
            RemoveSharpeningFilters();
            DropChain(VorlatSendDataNotification(f.cameraSharpening.get(), kVorlatNotifyUpdateAll, nullptr));
        } else {
            DropChain(SetUpSharpening(*record, f.back.get()));
        }
    }
    if (hints & kHintRotation)
        ApplyRotation(*record);
    if (hints & kHintSizeRes)
        ApplySizeRes(*record);

    bool enginesOk = true;
    if (hints & (kHintWhiteBalance | kHintExposure))
        enginesOk = !DropChain(ApplyEngines(params, unadjusted));
    if (enginesOk) {
        if (hints & kHintExposure) {
            ApplyHueTable(&params, f.lightness.get());
            SetUpCameraSharpening(&params, f.cameraSharpening.get(), record->displayScale);
        }
        DropChain(f.direct->Enable(!lightnessPath, true));
        DropChain(f.lightness->Enable(lightnessPath, true));
        DropChain(f.back->Enable(lightnessPath, true));
    }

    if (hints != 0x20 && hints != 0x80 && hints != 0x800)
        sink_.InvalidateAll(false);
}

void CImageDisplayChain::RebuildAll()
{
    BuildPipeline(kHintBuildAll, 0.0);
    sink_.UpdateAllViews();
}

void CImageDisplayChain::CompleteHistogram(bool notify)
{
    CEngineLockHold hold;
    CVorlatFilterHistogram* histogram = filters_->histogram.get();
    if (!histogram || !histogram->IsEnabled())
        return;
    sink_.ShowWaitCursor(true);
    DropChain(histogram->ForceCompletion());
    sink_.ShowWaitCursor(false);
    if (notify)
        DropChain(VorlatNotify(histogram, kVorlatNotifyHistogramComplete, histogram));
}

void CImageDisplayChain::DisableHistogram()
{
    if (CVorlatFilterHistogram* histogram = filters_->histogram.get())
        DropChain(histogram->Enable(false, true));
}

int32_t CImageDisplayChain::OnSettingsChanged()
{
    CEngineLockHold hold;
    if (filters_->grid)
        DropChain(SetUpGrid());
    return 0;
}

IVorlatError* CImageDisplayChain::VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param)
{
    switch (code) {
    case kVorlatNotifyDataChanged:
        if (param)
            sink_.InvalidateRect(*static_cast<const RECT*>(param), true);
        else
            sink_.InvalidateAll(true);
        return nullptr;
    case kVorlatNotifySize:
    case kVorlatNotifyTransform:
    case kVorlatNotifyUpdateAll: {
        int32_t width = 0, height = 0;
        if (source) {
            if (IVorlatError* err = source->GetSize(&width, &height))
                return IVorlatError::AddWorker(nullptr, kDisplayFile, 671, err);
        }
        sink_.SetScrollSizes(width, height);
        sink_.InvalidateAll(true);
        return nullptr;
    }
    case kVorlatNotifyHistogramComplete:
        // Our own histogram, whatever the notification carries.
        if (record_ && filters_->histogram)
            HandOverHistograms(&record_->curves, filters_->histogram.get());
        sink_.HistogramChanged();
        return nullptr;
    case kVorlatNotifyHistogramPartial:
        return nullptr;
    default:
        sink_.InvalidateAll(true);
        return nullptr;
    }
}
