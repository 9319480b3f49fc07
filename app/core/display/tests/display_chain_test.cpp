#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "app/core/curves/tone_table.h"
#include "app/core/display/display_chain.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/record/image_record.h"
#include "filters/UnsharpMaskFilter.h"
#include "filters/VorlatFilterGrid.h"
#include "filters/VorlatFilterBase.h"
#include "filters/VorlatFilterQRV.h"
#include "filters/VorlatFilterTransform.h"

using namespace engine_test;

namespace {

constexpr uint32_t kCameraSharpeningTag = 0x80006;

// What the view would have done, counted.
struct RecordingSink : IDisplayChainSink {
    void InvalidateRect(const RECT& rect, bool erase) override
    {
        ++rects;
        lastRect = rect;
        lastErase = erase;
    }
    void InvalidateAll(bool erase) override
    {
        ++invalidations;
        lastErase = erase;
    }
    void SetScrollSizes(int32_t width, int32_t height) override
    {
        ++scrollSizes;
        scrollWidth = width;
        scrollHeight = height;
    }
    void ShowMessage(int32_t id) override { messages.push_back(id); }
    void ShowSharpeningWarning(bool show) override { warning = show ? 1 : 0; }
    void HistogramChanged() override { ++histograms; }
    void RotationApplied() override { ++rotations; }
    void RefreshCaption() override { ++captions; }
    void ShowWaitCursor(bool) override {}
    void AddIdleClient(CVorlatFilterHistogram*) override { ++idleClients; }
    void RemoveIdleClient(CVorlatFilterHistogram*) override { --idleClients; }
    void UpdateAllViews() override {}
    DisplayGridSettings GetGridSettings() const override { return grid; }

    int32_t rects = 0, invalidations = 0, scrollSizes = 0, histograms = 0, rotations = 0, captions = 0;
    int32_t idleClients = 0;
    int32_t warning = -1;
    bool lastErase = false;
    RECT lastRect{};
    int32_t scrollWidth = 0, scrollHeight = 0;
    std::vector<int32_t> messages;
    DisplayGridSettings grid = {0x0000FF, 100, 1, 2};
};

std::string CodeText(int32_t code)
{
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i)
        text[i] = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
    return text;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(file) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

class DisplayChain : public ::testing::Test {
protected:
    void SetUp() override
    {
        saving = MakeManager(65536);
        drawing = MakeManager(16384);
        CreateColorEnginePool();
        SetImageManager(saving);
        folder = ScratchPath("display");
        std::filesystem::create_directories(folder);
        // The engine folder always ends in a backslash: on the native build
        // the camera profiles are files of that name beside the folder.
        const std::vector<uint8_t> wide = qrvtest::WideRgbProfile().Build();
        for (const char* name : {"QZM4_TIFF.icm", "QZM4_XQV.icm"})
            Profile(folder + "\\" + name, wide);
        SetEngineFolder(folder.c_str());
        working = Profile(folder + "/working.icm", qrvtest::RgbMatrixProfile().Build());
        lightness = Profile(folder + "/lch.icm", qrvtest::LabIdentityProfile().Build());
        monitor = Profile(folder + "/monitor.icm", qrvtest::NarrowRgbProfile().Build());
        SetColorProfilePaths(working.c_str(), working.c_str(), lightness.c_str(), monitor.c_str());
    }
    void TearDown() override
    {
        DestroyColorEnginePool();
        SetImageManager(nullptr);
        drawing->Destroy();
        saving->Destroy();
        for (const std::string& path : written)
            std::remove(path.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string Profile(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        WriteFile(path, bytes);
        written.push_back(path);
        return path;
    }

    // The record's image: 8-bit RGB, or raw mosaic data of a raw file.
    void Load(CImageRecord& record, bool raw, int32_t width = 64, int32_t height = 48)
    {
        record.imageData = MakeImage(saving, raw ? 64 : 32, width, height);
        AddRefImageData(record.imageData);
        if (raw) {
            ASSERT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&record.tags)));
            const int32_t kind = 32;
            ASSERT_EQ(0, Deepest(record.tags->AddTag(0x80004)));
            ASSERT_EQ(0, Deepest(record.tags->SetTagValue(0x80004, kTagTypeLongs, 4, &kind, 0)));
            record.raw = 1;
        }
    }
    static void SetCameraSharpening(CImageRecord& record, int32_t tagValue)
    {
        ASSERT_EQ(0, Deepest(record.tags->AddTag(kCameraSharpeningTag)));
        ASSERT_EQ(0, Deepest(record.tags->SetTagValue(kCameraSharpeningTag, kTagTypeLongs, 4, &tagValue, 0)));
    }
    static void AddEntries(CImageRecord& record, int32_t count, uint16_t radius = 50, uint16_t amount = 100)
    {
        for (int32_t i = 0; i < count; ++i) {
            CQzUSM entry;
            entry.colour = static_cast<uint32_t>(i % 7);
            entry.key = static_cast<uint32_t>(i);
            entry.haloWidth = radius;
            entry.intensity = amount;
            entry.threshold = 10;
            record.usm.Insert(record.usm.GetCount(), 1, entry);
        }
        record.usmOn = 1;
    }

    // A view showing the record after its first build and update.
    std::unique_ptr<CImageDisplayChain> Show(CImageRecord& record)
    {
        auto view = std::make_unique<CImageDisplayChain>(drawing, sink);
        view->SetRecord(&record);
        record.view = nullptr;
        view->BuildPipeline(kHintBuildAll, 0.0);
        view->UpdateAdjustments(kHintApplyAll, false, nullptr);
        return view;
    }

    static std::vector<std::string> Codes(const CImageDisplayChain& view)
    {
        std::vector<std::string> codes;
        IVorlatFilterChain* chain = view.GetChain();
        for (int32_t i = 0; chain && i < chain->GetFilterCount(); ++i)
            codes.push_back(CodeText(chain->GetFilter(i)->GetFilterCode()));
        return codes;
    }
    static std::vector<std::string> Plain(std::vector<std::string> sharpening = {})
    {
        std::vector<std::string> codes = {"db1s", "db1g", "scal", "qrv ", "qrv ", "usm "};
        codes.insert(codes.end(), sharpening.begin(), sharpening.end());
        for (const char* code : {"qrv ", "hsto", "xfrm", "qrv ", "scal", "grid", "BGRz"})
            codes.push_back(code);
        return codes;
    }
    static bool On(const CImageDisplayChain& view, CImageDisplayChain::Member member)
    {
        return view.GetMember(member)->IsEnabled();
    }

    IVorlatManager* saving = nullptr;
    IVorlatManager* drawing = nullptr;
    RecordingSink sink;
    std::string folder, working, lightness, monitor;
    std::vector<std::string> written;
};

}  // namespace

TEST_F(DisplayChain, FullBuildPutsTheThirteenFiltersInOrderAndSharpeningBeforeTheBackColourFilter)
{
    CImageRecord record;
    Load(record, false);
    auto view = std::make_unique<CImageDisplayChain>(drawing, sink);
    view->BuildPipeline(kHintBuildAll, 0.0);  // no record yet: nothing connected
    EXPECT_EQ(view->GetChain(), nullptr);
    EXPECT_FALSE(view->IsChainReady());

    view->SetRecord(&record);
    view->BuildPipeline(kHintBuildAll, 0.0);
    ASSERT_TRUE(view->IsChainReady());
    EXPECT_EQ(Codes(*view), Plain());
    EXPECT_EQ(sink.idleClients, 1);
    EXPECT_TRUE(sink.messages.empty());

    AddEntries(record, 2);
    view->UpdateAdjustments(kHintUnsharpMask, false, nullptr);
    EXPECT_EQ(Codes(*view), Plain({"usm ", "usm "}));
    IVorlatFilterChain* chain = view->GetChain();
    const int32_t back = chain->FindFilter(view->GetMember(CImageDisplayChain::kBackColor));
    EXPECT_EQ(chain->GetFilter(back - 2), view->GetSharpeningFilter(0));
    EXPECT_EQ(chain->GetFilter(back - 1), view->GetSharpeningFilter(1));

    // A second build reuses the chain and keeps the sharpening filters.
    view->BuildPipeline(kHintBuildAll, 0.0);
    EXPECT_EQ(view->GetChain(), chain);
    EXPECT_EQ(Codes(*view), Plain({"usm ", "usm "}));

    view.reset();
    EXPECT_EQ(sink.idleClients, 0);
}

TEST_F(DisplayChain, EnablingFollowsTheRecordState)
{
    enum Usm { kOff, kOnEmpty, kOnTwo };
    const struct Case {
        const char* name;
        bool raw;
        Usm usm;
        int32_t cameraSharpening;  // tag value, -1 none
        bool grid;
        double scale;
        bool lightness;
        bool fast, quality;
        bool camera;
    } cases[] = {
        {"plain RGB", false, kOff, -1, false, 1.0, false, false, false, false},
        {"RGB, sharpening on, empty list", false, kOnEmpty, -1, false, 1.0, false, false, false, false},
        {"RGB, two entries, grid", false, kOnTwo, -1, true, 1.0, true, false, false, false},
        {"raw at 100%", true, kOff, -1, false, 1.0, false, false, true, false},
        {"raw at 50%", true, kOff, -1, false, 0.5, false, true, false, false},
        {"raw, camera sharpens", true, kOff, 2, false, 1.0, true, false, true, true},
        {"raw, camera does not sharpen", true, kOnEmpty, 0, false, 0.25, false, true, false, false},
        {"raw, two entries", true, kOnTwo, 0, true, 2.0, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CImageRecord record;
        Load(record, c.raw);
        if (c.cameraSharpening >= 0)
            SetCameraSharpening(record, c.cameraSharpening);
        if (c.usm != kOff)
            AddEntries(record, c.usm == kOnTwo ? 2 : 0);
        record.gridOn = c.grid ? 1 : 0;
        record.displayScale = c.scale;
        auto view = Show(record);
        ASSERT_TRUE(view->IsChainReady());
        using M = CImageDisplayChain;
        EXPECT_EQ(On(*view, M::kFastDemosaic), c.fast);
        EXPECT_EQ(On(*view, M::kQualityDemosaic), c.quality);
        EXPECT_FALSE(On(*view, M::kReducingScale));
        EXPECT_EQ(On(*view, M::kDirectColor), !c.lightness);
        EXPECT_EQ(On(*view, M::kLightnessColor), c.lightness);
        EXPECT_EQ(On(*view, M::kCameraSharpening), c.camera);
        EXPECT_EQ(On(*view, M::kBackColor), c.lightness);
        EXPECT_TRUE(On(*view, M::kHistogram));
        EXPECT_TRUE(On(*view, M::kTransform));
        EXPECT_TRUE(On(*view, M::kMonitorColor));
        EXPECT_FALSE(On(*view, M::kEnlargingScale));
        EXPECT_EQ(On(*view, M::kGrid), c.grid);
        EXPECT_TRUE(On(*view, M::kBgr));
        EXPECT_EQ(Codes(*view), Plain(c.usm == kOnTwo ? std::vector<std::string>{"usm ", "usm "}
                                                       : std::vector<std::string>{}));
        view.reset();
    }
}

TEST_F(DisplayChain, SharpeningListChangesReplaceFiltersAndAnAmountChangeNotifiesOnce)
{
    CImageRecord record;
    Load(record, false);
    AddEntries(record, 3);
    auto view = Show(record);
    ASSERT_EQ(Codes(*view), Plain({"usm ", "usm ", "usm "}));

    // Only the amount: the filters stay and the view hears one update-all.
    record.usm.GetAt(1).intensity = 180;
    sink.scrollSizes = 0;
    view->UpdateAdjustments(kHintUnsharpMask, false, nullptr);
    EXPECT_EQ(sink.scrollSizes, 1);
    EXPECT_EQ(Codes(*view), Plain({"usm ", "usm ", "usm "}));
    EXPECT_DOUBLE_EQ(view->GetSharpeningFilter(1)->GetPower(), 180 * 0.05);

    // Nothing changed: nothing to hear.
    sink.scrollSizes = 0;
    view->UpdateAdjustments(kHintUnsharpMask, false, nullptr);
    EXPECT_EQ(sink.scrollSizes, 0);

    // Three entries to one: three filters out, one in, before the back colour filter.
    record.usm.RemoveAt(2);
    record.usm.RemoveAt(1);
    view->UpdateAdjustments(kHintUnsharpMask, false, nullptr);
    EXPECT_EQ(Codes(*view), Plain({"usm "}));
    IVorlatFilterChain* chain = view->GetChain();
    EXPECT_EQ(chain->FindFilter(view->GetSharpeningFilter(0)),
              chain->FindFilter(view->GetMember(CImageDisplayChain::kBackColor)) - 1);
    EXPECT_EQ(chain->FindFilter(view->GetSharpeningFilter(1)), -1);
    EXPECT_EQ(view->GetSharpeningFilterCount(), 3);  // made once, kept for later

    // The view has room for seven.
    AddEntries(record, 9);
    view->UpdateAdjustments(kHintUnsharpMask, false, nullptr);
    EXPECT_EQ(Codes(*view), Plain(std::vector<std::string>(7, "usm ")));

    record.usmOn = 0;
    view->UpdateAdjustments(kHintUnsharpMask, false, nullptr);
    EXPECT_EQ(Codes(*view), Plain());
}

TEST_F(DisplayChain, SharpeningStrengthFollowsTheDisplayScale)
{
    const struct {
        double display;
        uint16_t radius;
        double filterRadius, power;
        int32_t warning;
    } cases[] = {
        {1.0, 50, 10.0, 5.0, 0},
        {2.0, 50, 10.0, 5.0, 0},       // never more than the full-size radius
        {0.5, 10, 1.0, 100 * 1.0 * 0.05, 0},
        {0.25, 8, 1.0, 100 * 0.4 * 0.05, 1},  // r = 0.4: a pixel's radius, weaker
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.display);
        CImageRecord record;
        Load(record, false);
        AddEntries(record, 1, c.radius, 100);
        record.displayScale = c.display;
        auto view = Show(record);
        CUnsharpMaskFilter* filter = view->GetSharpeningFilter(0);
        ASSERT_NE(filter, nullptr);
        EXPECT_DOUBLE_EQ(filter->GetRadius(), c.filterRadius);
        EXPECT_DOUBLE_EQ(filter->GetPower(), c.power);
        EXPECT_DOUBLE_EQ(filter->GetThreshold(), 2.0);
        EXPECT_EQ(filter->GetMaskMethod(), 3);
        EXPECT_EQ(sink.warning, c.warning);
        view.reset();
    }
}

TEST_F(DisplayChain, OnlyTheCurvesTablesReachTheMonitorFilterWhenBothAreOn)
{
    CImageRecord record;
    Load(record, false);
    record.curvesOn = 1;
    record.colourBalanceOn = 1;
    record.curves.SetGrayPoint(0.3, 0.5, 0.7, 0.5, 0.5, 0.5);
    auto view = Show(record);
    auto* monitorFilter = static_cast<CVorlatFilterQRV*>(view->GetMember(CImageDisplayChain::kMonitorColor));

    const auto tables = [&] {
        std::vector<std::vector<uint16_t>> out(3, std::vector<uint16_t>(256));
        int32_t count = 0;
        EXPECT_EQ(0, Deepest(monitorFilter->GetLUTInfo(false, nullptr, nullptr, nullptr, &count)));
        if (count != 3)
            return std::vector<std::vector<uint16_t>>{};
        uint16_t* pointers[3] = {out[0].data(), out[1].data(), out[2].data()};
        EXPECT_EQ(0, Deepest(monitorFilter->GetLUT(false, pointers, 8, 8, 3)));
        return out;
    };
    const auto expected = [](CQzLutGroup& group, uint32_t mode) {
        std::vector<std::vector<uint16_t>> out(3, std::vector<uint16_t>(256));
        for (uint32_t id = 1; id <= 3; ++id)
            BuildTable(group.GetToneChannelById(id), out[id - 1].data(), 2, 256, 256, 0.0, 1.0, mode, 1.0);
        return out;
    };
    const auto curves = expected(record.curves, 62);
    const auto balance = expected(record.colourBalance, 66);
    ASSERT_NE(curves, balance);
    EXPECT_EQ(tables(), curves);

    // A Color Balance change alone still shows the curves.
    view->UpdateAdjustments(kHintColorBalance, false, nullptr);
    EXPECT_EQ(tables(), curves);

    record.curvesOn = 0;
    view->UpdateAdjustments(kHintCurves, false, nullptr);
    EXPECT_EQ(tables(), balance);

    record.colourBalanceOn = 0;
    view->UpdateAdjustments(kHintColorBalance, false, nullptr);
    EXPECT_TRUE(tables().empty());
}

TEST_F(DisplayChain, UnadjustedUpdateClearsCurvesAndSharpeningButKeepsTheTransform)
{
    CImageRecord record;
    Load(record, false);
    record.curvesOn = 1;
    record.rotation = 90;
    AddEntries(record, 2);
    auto view = Show(record);
    auto* monitorFilter = static_cast<CVorlatFilterQRV*>(view->GetMember(CImageDisplayChain::kMonitorColor));
    auto* transform = static_cast<CVorlatFilterTransform*>(view->GetMember(CImageDisplayChain::kTransform));
    CVorlatFilterQRVEngine* monitorEngine = monitorFilter->GetQRVEngine();
    ASSERT_NE(monitorEngine, nullptr);
    int32_t count = 0;
    ASSERT_EQ(0, Deepest(monitorFilter->GetLUTInfo(false, nullptr, nullptr, nullptr, &count)));
    ASSERT_EQ(count, 3);
    ASSERT_EQ(Codes(*view), Plain({"usm ", "usm "}));

    sink.invalidations = 0;
    view->UpdateAdjustments(kHintApplyAll, true, nullptr);
    ASSERT_EQ(0, Deepest(monitorFilter->GetLUTInfo(false, nullptr, nullptr, nullptr, &count)));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Codes(*view), Plain());
    EXPECT_DOUBLE_EQ(transform->GetFilterRotation(), 90.0);
    EXPECT_TRUE(monitorFilter->IsEnabled());
    EXPECT_EQ(monitorFilter->GetQRVEngine(), monitorEngine);
    EXPECT_GE(sink.invalidations, 1);

    // Adjusted again: everything comes back.
    view->UpdateAdjustments(kHintApplyAll, false, nullptr);
    EXPECT_EQ(Codes(*view), Plain({"usm ", "usm "}));
}

TEST_F(DisplayChain, DemosaicChoiceDependsOnTheScale)
{
    const struct {
        double argument, recordScale;
        bool quality;
    } cases[] = {
        {1.0, 0.5, true}, {0.99, 1.0, false}, {0.0, 1.0, true}, {0.0, 0.99, false}, {4.0, 0.1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.argument << " " << c.recordScale);
        CImageRecord record;
        Load(record, true, 4028, 24);
        record.displayScale = c.recordScale;
        CImageDisplayChain view(drawing, sink);
        view.SetRecord(&record);
        view.BuildPipeline(kHintBuildAll, c.argument);
        ASSERT_TRUE(view.IsChainReady());
        EXPECT_EQ(On(view, CImageDisplayChain::kQualityDemosaic), c.quality);
        EXPECT_EQ(On(view, CImageDisplayChain::kFastDemosaic), !c.quality);
    }
}

TEST_F(DisplayChain, RotationSwapsTheDisplayedSizeOnQuarterTurns)
{
    const struct {
        int32_t rotation;
        bool swapped;
    } cases[] = {{0, false}, {90, true}, {180, false}, {270, true}, {-90, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rotation);
        CImageRecord record;
        Load(record, false, 64, 48);
        auto view = Show(record);
        record.rotation = c.rotation;
        sink.rotations = 0;
        view->UpdateAdjustments(kHintRotation, false, nullptr);
        EXPECT_EQ(view->GetDisplayWidth(), c.swapped ? 48 : 64);
        EXPECT_EQ(view->GetDisplayHeight(), c.swapped ? 64 : 48);
        EXPECT_EQ(sink.rotations, 1);
        auto* transform = static_cast<CVorlatFilterTransform*>(view->GetMember(CImageDisplayChain::kTransform));
        EXPECT_DOUBLE_EQ(transform->GetFilterRotation(), static_cast<double>((c.rotation + 360) % 360));
        view.reset();
    }
    // Raw data shows at its developed size.
    CImageRecord raw;
    Load(raw, true, 4028, 24);
    raw.rotation = 270;
    auto view = Show(raw);
    EXPECT_EQ(view->GetDisplayWidth(), 1960);
    EXPECT_EQ(view->GetDisplayHeight(), 3008);
}

TEST_F(DisplayChain, AnEngineThatCannotBeMadeLeavesNoChainAndSaysSo)
{
    CImageRecord record;
    Load(record, false);
    std::remove(monitor.c_str());
    CImageDisplayChain view(drawing, sink);
    view.SetRecord(&record);
    view.BuildPipeline(kHintBuildAll, 0.0);
    EXPECT_FALSE(view.IsChainReady());
    EXPECT_EQ(view.GetChain(), nullptr);
    EXPECT_EQ(sink.messages, std::vector<int32_t>{kMessageEngineFailed});
    // The filters stay, and updates without a chain do nothing.
    EXPECT_NE(view.GetMember(CImageDisplayChain::kMonitorColor), nullptr);
    sink.invalidations = 0;
    view.UpdateAdjustments(kHintApplyAll, false, nullptr);
    EXPECT_EQ(sink.invalidations, 0);

    // With the profile back, the next build connects everything.
    WriteFile(monitor, qrvtest::NarrowRgbProfile().Build());
    view.BuildPipeline(kHintBuildAll, 0.0);
    EXPECT_TRUE(view.IsChainReady());
    EXPECT_EQ(Codes(view), Plain());
}

TEST_F(DisplayChain, NotificationsReachTheWindow)
{
    CImageRecord record;
    Load(record, false, 64, 48);
    auto view = Show(record);
    const RECT changed = {1, 2, 30, 40};
    sink.rects = 0;
    ASSERT_EQ(0, Deepest(view->VorlatNotify(view->GetChain(), kVorlatNotifyDataChanged,
                                            const_cast<RECT*>(&changed))));
    EXPECT_EQ(sink.rects, 1);
    EXPECT_EQ(sink.lastRect.right, 30);
    EXPECT_TRUE(sink.lastErase);

    ASSERT_EQ(0, Deepest(view->VorlatNotify(view->GetChain(), kVorlatNotifyUpdateAll, nullptr)));
    EXPECT_EQ(sink.scrollWidth, 64);
    EXPECT_EQ(sink.scrollHeight, 48);

    sink.invalidations = 0;
    ASSERT_EQ(0, Deepest(view->VorlatNotify(view->GetChain(), kVorlatNotifyHistogramPartial, nullptr)));
    EXPECT_EQ(sink.invalidations, 0);
    // The completed histogram tells the view itself; notify tells it once more.
    view->CompleteHistogram(false);
    EXPECT_EQ(sink.histograms, 1);
    view->CompleteHistogram(true);
    EXPECT_EQ(sink.histograms, 2);
    EXPECT_EQ(sink.invalidations, 0);

    // A size and resolution change alone repaints nothing but the caption.
    sink.captions = 0;
    view->UpdateAdjustments(kHintSizeRes, false, nullptr);
    EXPECT_EQ(sink.captions, 1);
    EXPECT_EQ(sink.invalidations, 0);
}

TEST_F(DisplayChain, RebuildAfterTheRecordWasReplacedShowsTheNewImage)
{
    CImageRecord record;
    Load(record, false, 64, 48);
    auto view = Show(record);
    CImageRecord other;
    Load(other, false, 40, 30);
    ASSERT_TRUE(record.CopyFrom(other));
    view->RebuildAll();
    ASSERT_TRUE(view->IsChainReady());
    int32_t width = 0, height = 0;
    ASSERT_EQ(0, Deepest(view->GetChain()->GetSize(&width, &height)));
    EXPECT_EQ(width, 40);
    EXPECT_EQ(height, 30);
}

TEST_F(DisplayChain, GridFollowsThePreferencesAndTheOutputSize)
{
    CImageRecord record;
    Load(record, false, 64, 48);
    record.gridOn = 1;
    record.sizeRes = CQzSizeRes(64, 48);
    auto view = Show(record);
    auto* grid = static_cast<CVorlatFilterGrid*>(view->GetMember(CImageDisplayChain::kGrid));
    ASSERT_TRUE(grid->IsEnabled());

    const struct {
        DisplayGridSettings settings;
        double spacing;
        int32_t unit;
    } cases[] = {
        {{0x00204080, 250, 1, 4}, 2.5, CVorlatFilterGrid::kInches},
        {{0x00204080, 250, 2, 4}, 2.5, CVorlatFilterGrid::kMillimetres},
        {{0x00204080, 250, 3, 4}, 2.5, CVorlatFilterGrid::kCentimetres},
        {{0x00204080, 1200, 4, 4}, 12.0, CVorlatFilterGrid::kPicas},
        {{0x00204080, 7200, 5, 4}, 72.0, CVorlatFilterGrid::kPoints},
        {{0x00204080, 40, 0, 2}, 40.0, CVorlatFilterGrid::kPixels},
        {{0x00204080, 40, 9, 2}, 40.0, CVorlatFilterGrid::kPixels},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings.units);
        sink.grid = c.settings;
        sink.scrollSizes = 0;
        EXPECT_EQ(view->OnSettingsChanged(), 0);
        double spacing = 0.0;
        int32_t unit = -1, divisions = 0;
        grid->GetGridInterval(&spacing, &unit, &divisions);
        EXPECT_DOUBLE_EQ(spacing, c.spacing);
        EXPECT_EQ(unit, c.unit);
        EXPECT_EQ(divisions, c.settings.divisions);
        unsigned char red = 0, green = 0, blue = 0;
        grid->GetGridColor(&red, &green, &blue);
        EXPECT_EQ(red, 0x80);
        EXPECT_EQ(green, 0x40);
        EXPECT_EQ(blue, 0x20);
        EXPECT_GE(sink.scrollSizes, 1);  // forced: the view redraws the grid
    }

    // A new output size reaches the grid and redraws it; the same size does not.
    ASSERT_EQ(record.sizeRes.SetPixelWidth(32), 0);
    sink.scrollSizes = 0;
    view->UpdateAdjustments(kHintSizeRes, false, nullptr);
    int32_t width = 0, height = 0;
    double resolution = 0.0;
    grid->GetAssumedImageSize(&width, &height, &resolution);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 24);
    EXPECT_EQ(sink.scrollSizes, 1);
    sink.scrollSizes = 0;
    view->UpdateAdjustments(kHintSizeRes, false, nullptr);
    EXPECT_EQ(sink.scrollSizes, 0);

    // Switched off by the record, at the next build.
    record.gridOn = 0;
    view->BuildPipeline(kHintGrid, 0.0);
    EXPECT_FALSE(grid->IsEnabled());
}

TEST_F(DisplayChain, WhiteBalanceOfRawFilesReachesBothInputColourFilters)
{
    const auto inputTables = [](CVorlatFilterBase* filter) {
        int32_t count = 0;
        EXPECT_EQ(0, Deepest(static_cast<CVorlatFilterQRV*>(filter)->GetLUTInfo(false, nullptr, nullptr, nullptr,
                                                                                  &count)));
        return count;
    };
    for (const bool raw : {false, true}) {
        SCOPED_TRACE(raw);
        CImageRecord record;
        Load(record, raw, raw ? 4028 : 64, raw ? 24 : 48);
        record.whiteBalanceOn = 1;
        record.whiteBalance.gain1 = 1.5;
        auto view = Show(record);
        EXPECT_EQ(inputTables(view->GetMember(CImageDisplayChain::kDirectColor)), raw ? 3 : 0);
        EXPECT_EQ(inputTables(view->GetMember(CImageDisplayChain::kLightnessColor)), raw ? 3 : 0);
        EXPECT_NE(static_cast<CVorlatFilterQRV*>(view->GetMember(CImageDisplayChain::kLightnessColor))->GetQRVEngine(),
                  nullptr);

        // A colour mode whose camera profile is missing: the engines cannot
        // be fetched again, the message shows and the enabling stays as it was.
        record.exposureOn = 1;
        record.exposure.colourMode = 2;
        AddEntries(record, 1);
        view->UpdateAdjustments(kHintExposure | kHintUnsharpMask, false, nullptr);
        EXPECT_EQ(sink.messages, std::vector<int32_t>{kMessageEngineFailed});
        EXPECT_TRUE(view->GetMember(CImageDisplayChain::kDirectColor)->IsEnabled());
        EXPECT_FALSE(view->GetMember(CImageDisplayChain::kLightnessColor)->IsEnabled());
        sink.messages.clear();
        view.reset();
    }
}
