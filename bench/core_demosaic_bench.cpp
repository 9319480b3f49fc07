// The demosaic filters on synthetic mosaics, one thread:
//  - the whole image through the process protocol into an image of 65536-byte
//    tiles, and through the whole-buffer entry point, at 2012 x 1324, 4028 x
//    1324 resampled (to 3012 x 1968) and 8000 x 6000: seconds, Mpixel/s of
//    output and the process's peak resident size, beside ffmpeg's bayer conversion of the same
//    mosaic as a whole command;
//  - single 52 x 52 high-quality tiles made on demand in a chain of
//    16384-byte tiles.
// Targets: single pass 4028 x 1324 resampled under 0.4 s, high quality under
// 1.5 s, one on-demand tile under 3 ms; time linear in the pixel count.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_single.h"
#include "bench/bench_util.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

const char* Verdict(bool met) { return met ? "met" : "NOT MET"; }

IVorlatManager* MakeManager(const char* name, int32_t tileBytes)
{
    _VorlatFile file{};
    std::snprintf(file.path, sizeof file.path, "%s/%s", bench::Scratch("core_demosaic").c_str(), name);
    IVorlatManager* manager = nullptr;
    bench::Ok(IVorlatManager::CreateManager(&manager, file, 1 << 30, tileBytes, 0), "CreateManager");
    return manager;
}

// Smooth colour, edges and texture in the filters' colour-filter layout, 12 bits.
std::vector<uint16_t> Mosaic(int32_t width, int32_t height)
{
    std::vector<uint16_t> m(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y) {
        uint32_t noise = 977u + static_cast<uint32_t>(y) * 2654435761u;
        for (int32_t x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int32_t colour = ((x + y) & 1) ? 1 : ((y & 1) ? 0 : 2);
            const int32_t v = 1500 + colour * 400 + ((x / 37 + y / 53) % 2 ? 900 : -900) +
                              static_cast<int32_t>(600 * std::sin(x * 0.013 + colour) * std::cos(y * 0.009)) +
                              static_cast<int32_t>(noise >> 26);
            m[static_cast<size_t>(y) * width + x] = static_cast<uint16_t>(v < 0 ? 0 : v > 4095 ? 4095 : v);
        }
    }
    return m;
}

IVorlatImage* MakeImage(IVorlatManager* manager, const std::vector<uint16_t>& m, int32_t width, int32_t height)
{
    IVorlatImage* image = nullptr;
    bench::Ok(manager->CreateImage(&image, kVorlatUsageKeep), "CreateImage");
    bench::Ok(image->SetColorSpace(64), "SetColorSpace");
    bench::Ok(image->SetSize(width, height), "SetSize");
    bench::Ok(image->SetData(const_cast<uint16_t*>(m.data()), width * 2, RECT{0, 0, width, height}), "SetData");
    return image;
}

std::unique_ptr<CDeBayerBase> Make(IVorlatManager* manager, bool highQuality, bool resample)
{
    std::unique_ptr<CDeBayerBase> filter;
    if (highQuality)
        filter.reset(new CDeBayerSingleHQ4Filter(manager));
    else
        filter.reset(new CDeBayerSingleFilter(manager));
    bench::Ok(filter->SetResample(resample, nullptr, false), "SetResample");
    return filter;
}

// ffmpeg's conversion of the mosaic (coded through the tone curve, as the
// filters interpolate) as a whole command; -1 when ffmpeg is missing.
double Ffmpeg(const std::vector<uint16_t>& m, int32_t width, int32_t height)
{
    static const bool have = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
    if (!have)
        return -1;
    const std::string folder = bench::Scratch("core_demosaic");
    {
        const uint32_t* tone = CDeBayerBase::GetToneTable();
        std::vector<uint16_t> coded(m.size());
        for (size_t i = 0; i < m.size(); ++i)
            coded[i] = static_cast<uint16_t>(tone[m[i]] >> 2);
        std::ofstream out(folder + "/mosaic.raw", std::ios::binary);
        out.write(reinterpret_cast<const char*>(coded.data()), static_cast<std::streamsize>(coded.size() * 2));
    }
    const std::string command = "ffmpeg -y -loglevel error -threads 1 -f rawvideo -pix_fmt bayer_bggr16le -s " +
                                std::to_string(width) + "x" + std::to_string(height) + " -i '" + folder +
                                "/mosaic.raw' -f rawvideo -pix_fmt rgb48le '" + folder + "/out.raw'";
    const Clock::time_point start = Clock::now();
    const bool ok = std::system(command.c_str()) == 0;
    const double seconds = Seconds(start);
    std::remove((folder + "/mosaic.raw").c_str());
    std::remove((folder + "/out.raw").c_str());
    return ok ? seconds : -1;
}

struct Run {
    double seconds = -1;
    int64_t peakKb = 0;  // the process's peak resident size during the run
};

// The whole output through the process protocol into a new image.
Run ProcessRun(IVorlatManager* manager, IVorlatImage* image, CDeBayerBase& filter)
{
    Run run;
    IVorlatImage* target = nullptr;
    bench::Ok(manager->CreateImage(&target, kVorlatUsageKeep), "CreateImage");
    bench::ResetPeak();
    const Clock::time_point start = Clock::now();
    const IVorlatDataSource* sources[] = {image};
    int32_t id = 0;
    bool ok = bench::Ok(filter.BeginProcess(&id, sources, 1, target), "BeginProcess");
    for (int32_t total = 1; ok && total > 0;) {
        int32_t done = 0;
        ok = bench::Ok(filter.ExecuteProcess(id, &done, &total), "ExecuteProcess");
    }
    ok = bench::Ok(filter.EndProcess(id), "EndProcess") && ok;
    run.seconds = ok ? Seconds(start) : -1;
    run.peakKb = bench::StatusKb("VmHWM");
    target->Destroy();
    return run;
}

Run BufferRun(CDeBayerBase& filter, const std::vector<uint16_t>& m, int32_t width, int32_t height)
{
    Run run;
    int32_t ow = 0, oh = 0;
    if (!bench::Ok(filter.GetOutputSize(width, height, &ow, &oh), "GetOutputSize"))
        return run;
    std::vector<uint16_t> out(static_cast<size_t>(ow) * oh * 3);
    bench::ResetPeak();
    const Clock::time_point start = Clock::now();
    if (bench::Ok(filter.DemosaicBuffer(m.data(), width, height, width, out.data(), ow * 6), "DemosaicBuffer"))
        run.seconds = Seconds(start);
    run.peakKb = bench::StatusKb("VmHWM");
    return run;
}

// Average milliseconds of one 52 x 52 high-quality tile made on demand.
double OnDemandTile(IVorlatManager* manager, const std::vector<uint16_t>& m, int32_t width, int32_t height)
{
    IVorlatImage* image = MakeImage(manager, m, width, height);
    double ms = -1;
    {
        CDeBayerSingleHQ4Filter filter(manager);
        bench::Ok(filter.SetResample(true, nullptr, false), "SetResample");
        IVorlatFilterChain* chain = nullptr;
        bench::Ok(manager->CreateFilterChain(&chain), "CreateFilterChain");
        bench::Ok(chain->AddFilter(&filter, -1), "AddFilter");
        bench::Ok(chain->UseSource(image, nullptr), "UseSource");
        int32_t tileSize = 0;
        bench::Ok(chain->GetTileSize(&tileSize), "GetTileSize");
        // The first tile sets up the cache; each one timed after it is new.
        void* data = nullptr;
        bench::Ok(chain->LockTile(&data, 0, 0, nullptr), "LockTile");
        bench::Ok(chain->UnlockTile(0, 0), "UnlockTile");
        const int32_t tiles = 40;
        const Clock::time_point start = Clock::now();
        bool ok = true;
        for (int32_t i = 1; i <= tiles && ok; ++i) {
            ok = bench::Ok(chain->LockTile(&data, i, 10 + i % 7, nullptr), "LockTile") &&
                 bench::Ok(chain->UnlockTile(i, 10 + i % 7), "UnlockTile");
        }
        if (ok)
            ms = 1000 * Seconds(start) / tiles;
        std::printf("  one %dx%d high-quality tile on demand: %.2f ms\n", tileSize, tileSize, ms);
        IVorlatFilter* taken = nullptr;
        bench::Ok(chain->ExtractFilter(0, &taken), "ExtractFilter");
        chain->Destroy();
    }
    image->Destroy();
    return ms;
}

} // namespace

int main()
{
    std::printf("Tessaline demosaic, one thread (process run: 65536-byte tiles; buffer: whole-image entry)\n");
    std::printf("  %-28s %-13s %9s %9s %9s %9s %9s %9s %9s\n", "mosaic", "filter", "process s", "Mpx/s", "peak MB",
                "buffer s", "Mpx/s", "peak MB", "ffmpeg s");
    struct Size {
        int32_t width, height;
        bool resample;
    } sizes[] = {{2012, 1324, false}, {4028, 1324, true}, {8000, 6000, false}};
    IVorlatManager* manager = MakeManager("core_demosaic_save.tmp", 65536);
    bool met = true;
    double rate[2][2][3] = {};  // filter, process or buffer, size
    for (int32_t s = 0; s < 3; ++s) {
        const Size& size = sizes[s];
        const std::vector<uint16_t> m = Mosaic(size.width, size.height);
        IVorlatImage* image = MakeImage(manager, m, size.width, size.height);
        const double peer = Ffmpeg(m, size.width, size.height);
        for (int32_t hq = 0; hq < 2; ++hq) {
            auto filter = Make(manager, hq != 0, size.resample);
            int32_t ow = 0, oh = 0;
            bench::Ok(filter->GetOutputSize(size.width, size.height, &ow, &oh), "GetOutputSize");
            const Run process = ProcessRun(manager, image, *filter);
            const Run buffer = BufferRun(*filter, m, size.width, size.height);
            const double mpx = static_cast<double>(ow) * oh / 1e6;
            rate[hq][0][s] = process.seconds > 0 ? mpx / process.seconds : 0;
            rate[hq][1][s] = buffer.seconds > 0 ? mpx / buffer.seconds : 0;
            char what[64];
            std::snprintf(what, sizeof what, "%dx%d%s -> %dx%d", size.width, size.height, size.resample ? " rs" : "", ow,
                          oh);
            std::printf("  %-28s %-13s %9.3f %9.1f %9.1f %9.3f %9.1f %9.1f %9.3f\n", what,
                        hq ? "high quality" : "single pass", process.seconds, rate[hq][0][s], process.peakKb / 1024.0,
                        buffer.seconds, rate[hq][1][s], buffer.peakKb / 1024.0, peer);
            if (size.resample && process.seconds > (hq ? 1.5 : 0.4))
                met = false;
        }
        image->Destroy();
    }
    std::printf("  target: 4028x1324 resampled, single pass under 0.4 s and high quality under 1.5 s: %s\n",
                Verdict(met));
    // The first run at a size also pays for the pages of its new target image.
    for (int32_t hq = 0; hq < 2; ++hq)
        std::printf("  %s: 8000x6000 at %.0f%% (process) and %.0f%% (buffer) of the rate of 2012x1324 "
                    "(linear time: near 100%%)\n",
                    hq ? "high quality" : "single pass", rate[hq][0][0] > 0 ? 100 * rate[hq][0][2] / rate[hq][0][0] : 0,
                    rate[hq][1][0] > 0 ? 100 * rate[hq][1][2] / rate[hq][1][0] : 0);
    manager->Destroy();

    IVorlatManager* drawing = MakeManager("core_demosaic_draw.tmp", 16384);
    const std::vector<uint16_t> m = Mosaic(4028, 1324);
    const double ms = OnDemandTile(drawing, m, 4028, 1324);
    std::printf("  target: one on-demand tile under 3 ms: %s\n\n", Verdict(ms >= 0 && ms < 3));
    drawing->Destroy();
    return 0;
}
