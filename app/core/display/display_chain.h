// The display chain of an image view: thirteen filters in a fixed order
// between the record's image and the view, kept in step with the record's
// adjustments. The window that draws the chain derives from this model (or
// owns it) and answers through IDisplayChainSink: invalidations, scroll
// sizes, palette calls, messages, idle registration and settings.
#pragma once

#include <cstdint>
#include <memory>

#include "Vorlat/Vorlat.h"
#include "filters/VorlatFilterQRVEngine.h"
#include "app/core/text/string_resource.h"

class CBGRizeFilter;
class CDeBayerSingleFilter;
class CDeBayerSingleHQ4Filter;
class CImageRecord;
class CUnsharpMaskFilter;
class CVorlatFilterBase;
class CVorlatFilterGrid;
class CVorlatFilterHistogram;
class CVorlatFilterQRV;
class CVorlatFilterScale;
class CVorlatFilterTransform;
struct CDevelopParams;

// Update hints: what changed in a record, one word shared by the palettes,
// the view and the adjustments clipboard.
enum UpdateHint : uint32_t {
    kHintCurves = 0x1,
    kHintColorBalance = 0x2,
    kHintUnsharpMask = 0x4,
    kHintGrid = 0x8,              // build only
    kHintDemosaic = 0x10,         // build only
    kHintSizeRes = 0x20,
    kHintRotation = 0x40,
    kHintWhiteBalance = 0x100,
    kHintExposure = 0x200,
    kHintNoiseReduction = 0x400,
    kHintBuildAll = 0x7FFF,       // build only
    kHintApplyAll = 0xFFFF,       // a view's first update
};

// "The imaging engine could not be initialized. ..."
inline constexpr int32_t kMessageEngineFailed = qz::StringId(6146);
// The view has room for this many sharpening filters; longer lists are cut.
inline constexpr int32_t kMaxSharpeningFilters = 7;

// The grid preferences as the settings hold them.
struct DisplayGridSettings {
    uint32_t color = 0;     // red in the low byte, then green, then blue
    int32_t spacing = 0;    // hundredths of the unit, or pixels
    int32_t units = 0;      // 1 to 5 a length unit, anything else pixels
    int32_t divisions = 0;
};

class IDisplayChainSink {
public:
    virtual void InvalidateRect(const RECT& rect, bool erase) = 0;
    virtual void InvalidateAll(bool erase) = 0;
    // The chain's output size became the scroll range.
    virtual void SetScrollSizes(int32_t width, int32_t height) = 0;
    virtual void ShowMessage(int32_t id) = 0;
    virtual void ShowSharpeningWarning(bool show) = 0;
    // The histogram is complete: the curves palette redraws it.
    virtual void HistogramChanged() = 0;
    // After a rotation or mirroring: the crop frame, the size palette and
    // the navigator follow.
    virtual void RotationApplied() = 0;
    // After a size and resolution change: the frame's caption.
    virtual void RefreshCaption() = 0;
    virtual void ShowWaitCursor(bool show) = 0;
    virtual void AddIdleClient(CVorlatFilterHistogram* histogram) = 0;
    virtual void RemoveIdleClient(CVorlatFilterHistogram* histogram) = 0;
    // After a rebuild: the document's update of all its views.
    virtual void UpdateAllViews() = 0;
    virtual DisplayGridSettings GetGridSettings() const = 0;

protected:
    ~IDisplayChainSink() = default;
};

class CImageDisplayChain : public IVorlatDataDestination {
public:
    // Positions of the thirteen filters in a built chain, sharpening filters aside.
    enum Member : int32_t {
        kFastDemosaic,
        kQualityDemosaic,
        kReducingScale,
        kDirectColor,
        kLightnessColor,
        kCameraSharpening,
        kBackColor,
        kHistogram,
        kTransform,
        kMonitorColor,
        kEnlargingScale,
        kGrid,
        kBgr,
        kMemberCount
    };

    // The manager is the drawing tile manager; neither it nor the sink is owned.
    CImageDisplayChain(IVorlatManager* manager, IDisplayChainSink& sink);
    CImageDisplayChain(const CImageDisplayChain&) = delete;
    CImageDisplayChain& operator=(const CImageDisplayChain&) = delete;
    ~CImageDisplayChain() override;

    // The record shown; not owned.
    void SetRecord(CImageRecord* record) { record_ = record; }
    CImageRecord* GetRecord() const { return record_; }

    // Makes what is missing and sets up what the hints ask for; scale 0.0
    // means the record's display scale. Failures leave the view without a
    // chain (the filters stay) and are not reported.
    void BuildPipeline(uint32_t hints, double scale);
    // Pushes the record's changed adjustments into the filters; unadjusted
    // shows the image data without them. item: the record to take them from,
    // null for the view's own.
    virtual void UpdateAdjustments(uint32_t hints, bool unadjusted, CImageRecord* item);
    void RebuildAll();
    void CompleteHistogram(bool notify);
    void DisableHistogram();
    // The grid preferences changed.
    int32_t OnSettingsChanged();

    IVorlatError* VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param) override;

    IVorlatFilterChain* GetChain() const { return chain_; }
    bool IsChainReady() const { return chainReady_; }
    CVorlatFilterBase* GetMember(Member member) const;
    int32_t GetSharpeningFilterCount() const { return sharpeningMade_; }
    CUnsharpMaskFilter* GetSharpeningFilter(int32_t index) const;
    int32_t GetDisplayWidth() const { return displayWidth_; }
    int32_t GetDisplayHeight() const { return displayHeight_; }

protected:
    // Called before a rotation or mirroring reaches the transform.
    virtual void OnRotationHook() {}

private:
    struct Filters;

    bool MakeFilters();
    IVorlatError* BuildConnected(uint32_t hints, double scale, bool newChain);
    // The record's sharpening entries as filters before the given one.
    IVorlatError* SetUpSharpening(const CImageRecord& record, IVorlatFilter* before);
    void RemoveSharpeningFilters();
    IVorlatError* SetUpGrid();
    IVorlatError* RefreshGridSize(bool force);
    void ApplyCurveTables(CImageRecord& record, uint32_t hints, bool unadjusted);
    IVorlatError* ApplyEngines(const CDevelopParams& params, bool unadjusted);
    void ApplyRotation(CImageRecord& record);
    void ApplySizeRes(CImageRecord& record);
    void DestroyChain();

    IVorlatManager* manager_;
    IDisplayChainSink& sink_;
    CImageRecord* record_ = nullptr;
    std::unique_ptr<Filters> filters_;
    IVorlatFilterChain* chain_ = nullptr;  // owned
    IVorlatDataSource* source_ = nullptr;  // connected to the chain
    bool connected_ = false;               // the chain to this view
    bool chainReady_ = false;
    bool idleClient_ = false;
    int32_t displayWidth_ = 1;
    int32_t displayHeight_ = 1;
    int32_t sharpeningMade_ = 0;
    CVorlatFilterQRVEngine::Pointer directEngine_;
    CVorlatFilterQRVEngine::Pointer lightnessEngine_;
    CVorlatFilterQRVEngine::Pointer backEngine_;
    CVorlatFilterQRVEngine::Pointer monitorEngine_;
};
