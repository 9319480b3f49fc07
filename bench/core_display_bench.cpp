// The display chain's build when a document opens (thirteen filters made,
// set up, chained and connected) and its rebuild: target under 5 ms each,
// the colour engines excluded (another view holds them, so the pool hands
// them out without making them). The first update of a view, which pushes
// every adjustment into the new chain, is printed beside them.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "app/core/display/display_chain.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/record/image_record.h"
#include "bench/bench_util.h"
#include "fileio/VorlatTagControl.h"

namespace {

using Clock = std::chrono::steady_clock;

// Answers everything and draws nothing.
struct QuietSink : IDisplayChainSink {
    void InvalidateRect(const RECT&, bool) override {}
    void InvalidateAll(bool) override {}
    void SetScrollSizes(int32_t, int32_t) override {}
    void ShowMessage(int32_t id) override { std::printf("  message %d\n", static_cast<int>(id)); }
    void ShowSharpeningWarning(bool) override {}
    void HistogramChanged() override {}
    void RotationApplied() override {}
    void RefreshCaption() override {}
    void ShowWaitCursor(bool) override {}
    void AddIdleClient(CVorlatFilterHistogram*) override {}
    void RemoveIdleClient(CVorlatFilterHistogram*) override {}
    void UpdateAllViews() override {}
    DisplayGridSettings GetGridSettings() const override { return {0x808080, 100, 1, 4}; }
};

bool WriteProfile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// Median and best of the timings, in milliseconds; the body returns one timing.
void Report(const char* name, int rounds, double targetMs, const std::function<double()>& body)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round)
        times.push_back(body());
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    char target[32] = "";
    if (targetMs > 0.0)
        std::snprintf(target, sizeof target, "< %g ms", targetMs);
    std::printf("  %-44s %10.3f %10.3f %10s  %s\n", name, median, times.front(), target,
                targetMs <= 0.0 ? "" : median < targetMs ? "met" : "MISSED");
}

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main()
{
    const std::string scratch = bench::Scratch("core_display");
    IVorlatManager* saving = nullptr;
    IVorlatManager* drawing = nullptr;
    _VorlatFile page{};
    std::snprintf(page.path, sizeof page.path, "%s/saving.tmp", scratch.c_str());
    if (!bench::Ok(IVorlatManager::CreateManager(&saving, page, 64 << 20, 65536, 0), "CreateManager"))
        return 1;
    std::snprintf(page.path, sizeof page.path, "%s/drawing.tmp", scratch.c_str());
    if (!bench::Ok(IVorlatManager::CreateManager(&drawing, page, 32 << 20, 16384, 0), "CreateManager"))
        return 1;
    CreateColorEnginePool();
    SetImageManager(saving);

    // The engine folder always gets a backslash: the camera profiles are
    // files of that name beside the folder.
    const std::vector<uint8_t> wide = qrvtest::WideRgbProfile().Build();
    const std::string working = scratch + "/working.icm", lch = scratch + "/lch.icm",
                      monitor = scratch + "/monitor.icm";
    if (!WriteProfile(scratch + "\\QZM4_TIFF.icm", wide) || !WriteProfile(scratch + "\\QZM4_XQV.icm", wide) ||
        !WriteProfile(working, qrvtest::RgbMatrixProfile().Build()) ||
        !WriteProfile(lch, qrvtest::LabIdentityProfile().Build()) ||
        !WriteProfile(monitor, qrvtest::NarrowRgbProfile().Build())) {
        std::printf("  profiles could not be written in %s\n", scratch.c_str());
        return 1;
    }
    SetEngineFolder(scratch.c_str());
    SetColorProfilePaths(working.c_str(), working.c_str(), lch.c_str(), monitor.c_str());

    std::printf("Tessaline display chain\n");
    std::printf("  %-44s %10s %10s %10s\n", "", "median ms", "best ms", "target");

    QuietSink sink;
    for (const bool raw : {true, false}) {
        CImageRecord record;
        if (!bench::Ok(saving->CreateImage(&record.imageData, 0), "CreateImage") ||
            !bench::Ok(record.imageData->SetColorSpace(raw ? 64 : 32), "SetColorSpace") ||
            !bench::Ok(record.imageData->SetSize(4028, 1324), "SetSize"))
            return 1;
        AddRefImageData(record.imageData);
        if (raw) {
            const int32_t kind = 32;
            if (!bench::Ok(IVorlatTagControl::CreateTagControl(&record.tags), "CreateTagControl") ||
                !bench::Ok(record.tags->AddTag(0x80004), "AddTag") ||
                !bench::Ok(record.tags->SetTagValue(0x80004, kTagTypeLongs, 4, &kind, 0), "SetTagValue"))
                return 1;
        }
        record.curvesOn = 1;
        record.usmOn = 1;
        CQzUSM entry;
        entry.haloWidth = 40;
        entry.intensity = 120;
        record.usm.Insert(0, 1, entry);
        record.displayScale = 0.5;

        // Holds the four colour engines for the views measured below.
        CImageDisplayChain holder(drawing, sink);
        holder.SetRecord(&record);
        holder.BuildPipeline(kHintBuildAll, 0.0);
        if (!holder.IsChainReady()) {
            std::printf("  the chain was not built\n");
            return 1;
        }

        const std::string kind = raw ? " (raw 4028 x 1324)" : " (RGB 4028 x 1324)";
        Report(("first build" + kind).c_str(), 41, 5.0, [&] {
            CImageDisplayChain view(drawing, sink);
            view.SetRecord(&record);
            const Clock::time_point start = Clock::now();
            view.BuildPipeline(kHintBuildAll, 0.0);
            const double elapsed = Milliseconds(Clock::now() - start);
            if (!view.IsChainReady())
                std::printf("  not built\n");
            return elapsed;
        });
        CImageDisplayChain view(drawing, sink);
        view.SetRecord(&record);
        view.BuildPipeline(kHintBuildAll, 0.0);
        Report(("rebuild" + kind).c_str(), 41, 5.0, [&] {
            const Clock::time_point start = Clock::now();
            view.BuildPipeline(kHintBuildAll, 0.0);
            return Milliseconds(Clock::now() - start);
        });
        Report(("update, every adjustment" + kind).c_str(), 41, 0.0, [&] {
            const Clock::time_point start = Clock::now();
            view.UpdateAdjustments(kHintApplyAll, false, nullptr);
            return Milliseconds(Clock::now() - start);
        });
    }

    DestroyColorEnginePool();
    SetImageManager(nullptr);
    drawing->Destroy();
    saving->Destroy();
    return 0;
}
