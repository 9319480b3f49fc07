// Shared by the Kolvex filter benchmarks: a photograph-like RGB 8-bit picture,
// written once as an uncompressed TIFF by our saver (our commands' input) and
// as a PPM (the peers' input, which vips and ImageMagick read fast); the
// whole-command comparisons of peer_run.h; and a whole run of a filter inside
// this process, the warm column.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "bench/bench_tiff.h"
#include "bench/bench_util.h"
#include "bench/peer_run.h"
#include "filters/VorlatFilterBase.h"

namespace kolvex_bench {

using bench::Ok;
inline std::string Scratch() { return bench::Scratch("kolvex_bench"); }

constexpr int32_t kWidth = 6000, kHeight = 4000;

using Clock = std::chrono::steady_clock;

// Smooth gradients, edges and fine texture, made band by band at any size.
inline peer::BandMaker Picture(int32_t width)
{
    return [width](int32_t top, int32_t rows, uint8_t* band) {
        for (int32_t y = top; y < top + rows; ++y) {
            uint32_t noise = 12345u + static_cast<uint32_t>(y) * 2654435761u;
            for (int32_t x = 0; x < width; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const double v = 128 + 80 * std::sin(x / 150.0) * std::cos(y / 97.0) + ((x / 40 + y / 40) % 2 ? 30 : -30);
                for (int c = 0; c < 3; ++c)
                    *band++ = static_cast<uint8_t>(std::fmin(255, std::fmax(0, v + c * 12 + static_cast<int>(noise >> 28))));
            }
        }
    };
}

// The two files of one size: in_W.tif for ours, in_W.ppm for the peers.
struct Inputs {
    std::string tif, ppm;
};

inline Inputs WriteInputs(const std::string& folder, int32_t width, int32_t height)
{
    const std::string stem = folder + "/in_" + std::to_string(width);
    const Inputs in{stem + ".tif", stem + ".ppm"};
    peer::WriteTiff(in.tif, width, height, 32, Picture(width));
    if (!peer::WritePpm(in.ppm, width, height, 1, Picture(width))) {
        std::printf("  cannot write %s\n", in.ppm.c_str());
        std::exit(1);
    }
    return in;
}

inline void RemoveInputs(const Inputs& in)
{
    std::remove(in.tif.c_str());
    std::remove(in.ppm.c_str());
}

// Our command on the TIFF, writing a TIFF; extra arguments after the two files.
inline peer::Command Ours(const char* tool, const Inputs& in, const std::string& folder,
                          const std::vector<std::string>& extra)
{
    peer::Command c{{peer::Beside(tool), in.tif, folder + "/ours_out.tif"}, {}, folder + "/ours_out.tif"};
    c.args.insert(c.args.end(), extra.begin(), extra.end());
    return c;
}

// vips on one thread: OPERATION IN.ppm OUT.ppm ARGS...
inline peer::Command Vips(const std::string& operation, const Inputs& in, const std::string& folder,
                          const std::vector<std::string>& extra)
{
    peer::Command c{{"vips", operation, in.ppm, folder + "/peer_out.ppm"}, {"VIPS_CONCURRENCY=1"}, folder + "/peer_out.ppm"};
    c.args.insert(c.args.end(), extra.begin(), extra.end());
    return c;
}

// The picture in a tile manager, and whole runs of a filter into a new image.
struct Bench {
    IVorlatManager* manager = nullptr;
    IVorlatImage* source = nullptr;
    std::string folder;

    bool Open()
    {
        folder = Scratch();
        _VorlatFile file{};
        std::strncpy(file.path, (folder + "/pages.tmp").c_str(), sizeof file.path - 1);
        // Room for the source and every result: nothing pages.
        if (!Ok(IVorlatManager::CreateManager(&manager, file, 1 << 30, 65536, 0), "CreateManager") ||
            !Ok(manager->CreateImage(&source, kVorlatUsageKeep), "CreateImage") ||
            !Ok(source->SetColorSpace(32), "SetColorSpace") || !Ok(source->SetSize(kWidth, kHeight), "SetSize"))
            return false;
        const peer::BandMaker make = Picture(kWidth);
        std::vector<uint8_t> band(static_cast<size_t>(kWidth) * 3 * 64);
        for (int32_t top = 0; top < kHeight; top += 64) {
            const int32_t rows = std::min(64, kHeight - top);
            make(top, rows, band.data());
            if (!Ok(source->SetData(band.data(), kWidth * 3, RECT{0, top, kWidth, top + rows}), "SetData"))
                return false;
        }
        return true;
    }
    ~Bench()
    {
        if (source)
            source->Destroy();
        if (manager)
            manager->Destroy();
    }

    // Seconds of a whole run into a new image, the best of three; negative on failure.
    double Run(CVorlatFilterBase* filter)
    {
        double best = -1;
        for (int round = 0; round < 3; ++round) {
            IVorlatImage* target = nullptr;
            if (!Ok(manager->CreateImage(&target, kVorlatUsageKeep), "CreateImage"))
                return -1;
            const IVorlatDataSource* sources[] = {source};
            const Clock::time_point start = Clock::now();
            const bool ok = Ok(filter->Process(sources, 1, target), "Process");
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            target->Destroy();
            if (!ok)
                return -1;
            if (best < 0 || seconds < best)
                best = seconds;
        }
        return best;
    }
};

inline void PrintWarmLegend()
{
    std::printf("  warm, in-process = the filter alone into a new image inside this program, the source already in\n"
                "  memory, best of 3 runs (no reading or writing of files).\n");
}

}  // namespace kolvex_bench
