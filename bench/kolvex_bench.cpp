// Kolvex benchmarks, each printing a table:
//  - a warm lock and unlock of a cached, valid tile through one filter;
//  - a 6000 x 4000 RGB 8-bit image, made in memory, through LUT, colour
//    management (sRGB to Adobe RGB) and histogram inside this process: time
//    and peak memory. The colour management beside a peer, as whole
//    commands, is in qrv_bench.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "filters/Kolvex.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kSRGB = "/usr/share/color/icc/sRGB.icc";
const char* const kAdobe = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";

IVorlatManager* MakeManager(const std::string& name, int32_t memoryBytes, int32_t tileBytes)
{
    _VorlatFile file{};
    std::snprintf(file.path, sizeof file.path, "%s/%s", bench::Scratch().c_str(), name.c_str());
    IVorlatManager* manager = nullptr;
    bench::Ok(IVorlatManager::CreateManager(&manager, file, memoryBytes, tileBytes, 0), "CreateManager");
    return manager;
}

const char* Verdict(bool met) { return met ? "met" : "NOT MET"; }

// A pattern row of RGB: smooth ramps with a little texture.
void FillRow(std::vector<uint8_t>& row, int32_t width, int32_t y)
{
    for (int32_t x = 0; x < width; ++x) {
        row[3 * x] = static_cast<uint8_t>(x * 255 / width);
        row[3 * x + 1] = static_cast<uint8_t>(y * 255 / 4000);
        row[3 * x + 2] = static_cast<uint8_t>((x ^ y) & 0xFF);
    }
}

void WarmLock()
{
    IVorlatManager* manager = MakeManager("kolvex_lock.tmp", 64 << 20, 16384);
    IVorlatImage* image = nullptr;
    bench::Ok(manager->CreateImage(&image, kVorlatUsageKeep), "CreateImage");
    bench::Ok(image->SetColorSpace(32), "SetColorSpace");
    bench::Ok(image->SetSize(146, 146), "SetSize");
    std::vector<uint8_t> pixels(146 * 146 * 3, 9);
    bench::Ok(image->SetData(pixels.data(), 146 * 3, RECT{0, 0, 146, 146}), "SetData");
    double best = 1e9;
    {
        CVorlatFilterLut lut(manager);
        bench::Ok(VorlatDataConnect(image, &lut), "connect");
        bench::Ok(lut.SetLUT(nullptr, 0, 0, 0, false), "SetLUT");
        void* data = nullptr;
        bench::Ok(lut.LockTile(&data, 1, 1, nullptr), "first lock");
        bench::Ok(lut.UnlockTile(1, 1), "first unlock");
        const int kPairs = 1000000;
        for (int round = 0; round < 5; ++round) {
            const auto start = Clock::now();
            for (int i = 0; i < kPairs; ++i) {
                IVorlatError* err = lut.LockTile(&data, 1, 1, nullptr);
                if (err)
                    err->Destroy();
                err = lut.UnlockTile(1, 1);
                if (err)
                    err->Destroy();
            }
            best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count() / kPairs * 1e9);
        }
    }
    image->Destroy();
    manager->Destroy();
    std::printf("Warm lock and unlock of a cached valid tile through a LUT filter (best of 5)\n");
    std::printf("  %-40s %10.1f\n", "ns a pair", best);
    std::printf("  target: under 1000 ns a pair: %s\n\n", Verdict(best < 1000.0));
}

struct Run {
    double seconds = 0;
    int64_t peakKb = -1;
    bool ok = false;
};

Run Ours(int32_t width, int32_t height)
{
    Run run;
    IVorlatManager* manager = MakeManager("kolvex_pipe.tmp", 256 << 20, 65536);
    IVorlatImage* source = nullptr;
    bench::Ok(manager->CreateImage(&source, kVorlatUsageKeep), "CreateImage");
    bench::Ok(source->SetColorSpace(32), "SetColorSpace");
    bench::Ok(source->SetSize(width, height), "SetSize");
    std::vector<uint8_t> band(static_cast<size_t>(width) * 3 * 64);
    for (int32_t y = 0; y < height; y += 64) {
        const int32_t rows = std::min(64, height - y);
        for (int32_t r = 0; r < rows; ++r) {
            std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
            FillRow(row, width, y + r);
            std::memcpy(band.data() + static_cast<size_t>(r) * width * 3, row.data(), row.size());
        }
        bench::Ok(source->SetData(band.data(), width * 3, RECT{0, y, width, y + rows}), "SetData");
    }
    std::vector<uint16_t> curve(256);
    for (int k = 0; k < 256; ++k)
        curve[k] = static_cast<uint16_t>(k < 128 ? k + k / 4 : 160 + (k - 128) * 95 / 127);
    const uint16_t* tables[] = {curve.data(), curve.data(), curve.data()};
    CVorlatFilterQRVEngine engine;
    _VorlatFile in{}, out{};
    std::snprintf(in.path, sizeof in.path, "%s", kSRGB);
    std::snprintf(out.path, sizeof out.path, "%s", kAdobe);
    bench::Ok(engine.SetProfiles(in, out), "SetProfiles");
    engine.SetBitsPerComponent(false, 8);
    engine.SetBitsPerComponent(true, 8);
    engine.SetRenderingIntent(1);
    {
        CVorlatFilterLut lut(manager);
        CVorlatFilterQRV qrv(manager);
        CVorlatFilterHistogram histogram(manager);
        bench::Ok(lut.SetLUT(tables, 8, 8, 3, false), "SetLUT");
        bench::Ok(qrv.SetQRVEngine(&engine, false), "SetQRVEngine");
        bench::Ok(VorlatDataConnect(source, &lut), "connect");
        bench::Ok(VorlatDataConnect(&lut, &qrv), "connect");
        bench::Ok(VorlatDataConnect(&qrv, &histogram), "connect");
        const bool peakKnown = bench::ResetPeak();
        const int64_t baseKb = bench::StatusKb("VmRSS");
        const auto start = Clock::now();
        run.ok = bench::Ok(histogram.ForceCompletion(), "ForceCompletion") && histogram.IsComplete();
        run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        run.peakKb = peakKnown ? bench::StatusKb("VmHWM") - baseKb : -1;
        bench::Ok(qrv.SetQRVEngine(nullptr, false), "");
    }
    source->Destroy();
    manager->Destroy();
    return run;
}

void Pipeline()
{
    const int32_t width = 6000, height = 4000;
    std::printf("6000 x 4000 RGB 8-bit made in memory, then in-process: LUT + colour management (sRGB -> Adobe RGB)\n"
                "+ histogram, one thread (first run)\n");
    std::printf("  %-44s %10s %16s\n", "what", "seconds", "resident added MB");
    const Run ours = Ours(width, height);
    std::printf("  %-44s %10.2f %16.1f %s\n", "Kolvex, 65536-byte tiles, 256 MB budget", ours.seconds,
                ours.peakKb / 1024.0, ours.ok ? "" : "FAILED");
    std::printf("\n");
}

} // namespace

int main()
{
    WarmLock();
    Pipeline();
    return 0;
}
