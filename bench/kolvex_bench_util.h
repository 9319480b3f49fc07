// Shared by the Kolvex filter benchmarks: a 6000 x 4000 RGB 8-bit image in a
// tile manager, a whole run of a filter into a new image with its time and
// peak memory, and the same image handed to vips and ImageMagick, timed on
// one thread with their own peak memory and their start-up taken off.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "bench/bench_util.h"
#include "filters/VorlatFilterBase.h"

namespace kolvex_bench {

using bench::Ok;
using bench::ResetPeak;
using bench::StatusKb;
inline std::string Scratch() { return bench::Scratch("kolvex_bench"); }

constexpr int32_t kWidth = 6000, kHeight = 4000;
constexpr double kMegapixels = kWidth * static_cast<double>(kHeight) / 1e6;

using Clock = std::chrono::steady_clock;

// A photograph-like test image: smooth gradients, edges and fine texture.
inline std::vector<uint8_t> TestPixels()
{
    std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight * 3);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const double v = 128 + 80 * std::sin(x / 150.0) * std::cos(y / 97.0) + ((x / 40 + y / 40) % 2 ? 30 : -30);
            for (int c = 0; c < 3; ++c)
                out[(static_cast<size_t>(y) * kWidth + x) * 3 + c] =
                    static_cast<uint8_t>(std::fmin(255, std::fmax(0, v + c * 12 + static_cast<int>(noise >> 28))));
        }
    }
    return out;
}

struct Bench {
    IVorlatManager* manager = nullptr;
    IVorlatImage* source = nullptr;
    std::string folder;

    bool Open(const std::vector<uint8_t>& pixels)
    {
        folder = Scratch();
        _VorlatFile file{};
        std::strncpy(file.path, (folder + "/pages.tmp").c_str(), sizeof file.path - 1);
        // Room for the source and every result: nothing pages.
        if (!Ok(IVorlatManager::CreateManager(&manager, file, 1 << 30, 65536, 0), "CreateManager"))
            return false;
        return Ok(manager->CreateImage(&source, kVorlatUsageKeep), "CreateImage") &&
               Ok(source->SetColorSpace(32), "SetColorSpace") && Ok(source->SetSize(kWidth, kHeight), "SetSize") &&
               Ok(source->SetData(const_cast<uint8_t*>(pixels.data()), kWidth * 3, RECT{0, 0, kWidth, kHeight}),
                  "SetData");
    }
    ~Bench()
    {
        if (source)
            source->Destroy();
        if (manager)
            manager->Destroy();
    }

    // Seconds of a whole run into a new image (the best of three), and the
    // peak memory above the process's size before the first (MB); negative on failure.
    double Run(CVorlatFilterBase* filter, double* peakMb)
    {
        double best = -1;
        for (int round = 0; round < 3; ++round) {
            IVorlatImage* target = nullptr;
            if (!Ok(manager->CreateImage(&target, kVorlatUsageKeep), "CreateImage"))
                return -1;
            const IVorlatDataSource* sources[] = {source};
            if (round == 0)
                ResetPeak();
            const int64_t before = StatusKb("VmRSS");
            const Clock::time_point start = Clock::now();
            const bool ok = Ok(filter->Process(sources, 1, target), "Process");
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            if (round == 0)
                *peakMb = (StatusKb("VmHWM") - before) / 1024.0;
            target->Destroy();
            if (!ok)
                return -1;
            if (best < 0 || seconds < best)
                best = seconds;
        }
        return best;
    }
};

// Wall time and peak resident size (MB) of one shell command.
inline bool Timed(const std::string& command, double* seconds, double* peakMb)
{
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", (command + " >/dev/null 2>&1").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) < 0)
        return false;
    *seconds = std::chrono::duration<double>(Clock::now() - start).count();
    *peakMb = usage.ru_maxrss / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The peers' input, written once: the image as PPM and in vips's own format.
inline bool WritePeerInput(const std::vector<uint8_t>& pixels, const std::string& folder)
{
    const std::string ppm = folder + "/in.ppm";
    if (!std::filesystem::exists(ppm)) {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
        out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    }
    double s = 0, m = 0;
    return Timed("cd " + folder + " && vips copy in.ppm in.v && vips crop in.v tiny8.v 0 0 64 64", &s, &m);
}

// A peer's time for one command on one thread, less the same tool's start-up
// on a tiny image.
struct PeerTime {
    double seconds = -1;
    double peakMb = 0;
};

// The best of three, against a machine that is busy with other work.
inline PeerTime Peer(const std::string& folder, const std::string& command, const std::string& startup)
{
    PeerTime best;
    for (int round = 0; round < 3; ++round) {
        double base = 0, baseMb = 0, seconds = 0, peakMb = 0;
        if (!Timed("cd " + folder + " && " + startup, &base, &baseMb) ||
            !Timed("cd " + folder + " && " + command, &seconds, &peakMb))
            return PeerTime{};
        seconds = std::fmax(seconds - base, 1e-6);
        if (best.seconds < 0 || seconds < best.seconds)
            best.seconds = seconds;
        best.peakMb = std::fmax(best.peakMb, peakMb);
    }
    return best;
}

inline bool HaveTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline void Header(const char* peer)
{
    std::printf("  %-34s %10s %9s %10s %9s %7s\n", "what", "ms/MP", "peak MB", (std::string(peer) + " ms/MP").c_str(),
                "peak MB", "ratio");
}

// One table row; ratio > 1 means ours is faster.
inline void Row(const char* what, double ours, double oursMb, const PeerTime& peer)
{
    if (peer.seconds > 0)
        std::printf("  %-34s %10.2f %9.0f %10.2f %9.0f %7.2f\n", what, ours * 1e3 / kMegapixels, oursMb,
                    peer.seconds * 1e3 / kMegapixels, peer.peakMb, peer.seconds / ours);
    else
        std::printf("  %-34s %10.2f %9.0f %10s %9s %7s\n", what, ours * 1e3 / kMegapixels, oursMb, "-", "-", "-");
}

} // namespace kolvex_bench
