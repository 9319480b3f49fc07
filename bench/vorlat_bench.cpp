// Vorlat2: a 6000 x 4000 RGB image through SetData and GetData under a 64 MB
// budget (so tiles page out and back in), with the memory the process really
// used; lock/unlock pairs over 10000 tiles in memory; the histogram of a
// 24-Mpixel image as a whole command (bench_histogram) beside vips hist_find
// on a PPM, one thread, with our counting alone in process as the warm column.
// Each table ends with its targets, marked "met" or "MISSED".

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "bench/bench_tiff.h"
#include "bench/bench_util.h"
#include "bench/peer_run.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

IVorlatManager* MakeManager(const std::string& name, int32_t memoryBytes, int32_t tileBytes)
{
    _VorlatFile file{};
    const std::string path = bench::Scratch() + "/" + name;
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    IVorlatManager* manager = nullptr;
    if (!bench::Ok(IVorlatManager::CreateManager(&manager, file, memoryBytes, tileBytes, 0), "CreateManager")) {
        if (manager)
            manager->Destroy();
        return nullptr;
    }
    return manager;
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

// ---- Paging throughput and memory -------------------------------------------

constexpr int32_t kWidth = 6000, kHeight = 4000, kBand = 128;
constexpr int32_t kBudget = 64 << 20;
constexpr int64_t kImageBytes = int64_t{kWidth} * kHeight * 3;

uint8_t Pattern(int32_t x, int32_t y, int32_t channel)
{
    return static_cast<uint8_t>((x * 3 + channel) * 7 + y * 13);
}

void FillBand(std::vector<uint8_t>& band, int32_t top, int32_t rows)
{
    for (int32_t y = 0; y < rows; ++y) {
        uint8_t* p = band.data() + static_cast<size_t>(y) * kWidth * 3;
        for (int32_t x = 0; x < kWidth; ++x)
            for (int32_t c = 0; c < 3; ++c)
                *p++ = Pattern(x, top + y, c);
    }
}

struct PagingResult {
    double writeSeconds = 1e30, readSeconds = 1e30;
    int64_t peakKb = 0;
    bool correct = true;
};

// One load and one read back of the whole image, band by band as a file reader
// and writer would do it; only the SetData and GetData calls are timed.
bool PagingRun(int32_t tileBytes, PagingResult& result)
{
    IVorlatManager* manager = MakeManager("vorlat_bench_paging.tmp", kBudget, tileBytes);
    if (!manager)
        return false;
    IVorlatImage* image = nullptr;
    bool ok = bench::Ok(manager->CreateImage(&image, 0), "CreateImage") && bench::Ok(image->SetColorSpace(32), "SetColorSpace") &&
              bench::Ok(image->SetSize(kWidth, kHeight), "SetSize");
    std::vector<uint8_t> band(static_cast<size_t>(kWidth) * 3 * kBand), expected(band.size());
    double write = 0, read = 0;
    for (int32_t top = 0; ok && top < kHeight; top += kBand) {
        const int32_t rows = std::min(kBand, kHeight - top);
        FillBand(band, top, rows);
        const Clock::time_point start = Clock::now();
        ok = bench::Ok(image->SetData(band.data(), kWidth * 3, RECT{0, top, kWidth, top + rows}), "SetData");
        write += Seconds(start, Clock::now());
    }
    for (int32_t top = 0; ok && top < kHeight; top += kBand) {
        const int32_t rows = std::min(kBand, kHeight - top);
        const Clock::time_point start = Clock::now();
        ok = bench::Ok(image->GetData(band.data(), kWidth * 3, RECT{0, top, kWidth, top + rows}), "GetData");
        read += Seconds(start, Clock::now());
        FillBand(expected, top, rows);
        if (std::memcmp(band.data(), expected.data(), static_cast<size_t>(rows) * kWidth * 3) != 0)
            result.correct = false;
    }
    if (image)
        image->Destroy();
    manager->Destroy();
    result.writeSeconds = std::min(result.writeSeconds, write);
    result.readSeconds = std::min(result.readSeconds, read);
    return ok;
}

bool PagingTable()
{
    std::printf("6000 x 4000 RGB 8-bit (%.1f MB) through SetData and GetData, 64 MB budget, bands of %d rows\n",
                kImageBytes / 1048576.0, kBand);
    std::printf("  %-12s %14s %14s %16s %10s\n", "tile bytes", "SetData MB/s", "GetData MB/s", "peak memory MB",
                "data");
    bool met = true;
    for (int32_t tileBytes : {16384, 65536}) {
        PagingResult result;
        // Memory an earlier row freed goes back first, so that this row's peak is its own.
        malloc_trim(0);
        const bool peakKnown = bench::ResetPeak();
        const int64_t baseKb = bench::StatusKb("VmRSS");
        for (int run = 0; run < 3; ++run) {
            if (!PagingRun(tileBytes, result))
                return false;
        }
        result.peakKb = bench::StatusKb("VmHWM") - (peakKnown ? baseKb : 0);
        const double megabytes = kImageBytes / 1048576.0;
        std::printf("  %-12d %14.0f %14.0f %16.1f %10s\n", tileBytes, megabytes / result.writeSeconds,
                    megabytes / result.readSeconds, result.peakKb / 1024.0, result.correct ? "same" : "DIFFERS");
        met = met && result.correct && result.peakKb <= (int64_t{kBudget} >> 10) + 24 * 1024;
    }
    std::printf("  target: peak memory within the budget + 24 MB (88 MB), data read back unchanged: %s\n\n",
                Verdict(met));
    return true;
}

// ---- Lock and unlock ----------------------------------------------------------

bool LockTable()
{
    constexpr int32_t kSide = 100, kTiles = kSide * kSide, kTileBytes = 16384, kRounds = 20;
    IVorlatManager* manager = MakeManager("vorlat_bench_lock.tmp", (kTiles + 64) * kTileBytes, kTileBytes);
    if (!manager)
        return false;
    IVorlatImage* image = nullptr;
    bool ok = bench::Ok(manager->CreateImage(&image, 0), "CreateImage") && bench::Ok(image->SetColorSpace(2), "SetColorSpace") &&
              bench::Ok(image->SetSize(kSide * 128, kSide * 128), "SetSize");
    std::vector<IVorlatTile*> tiles;
    void* bits = nullptr;
    // First locks make the tiles and give each a buffer; the timed ones find them in memory.
    for (int32_t r = 0; ok && r < kSide; ++r) {
        for (int32_t c = 0; ok && c < kSide; ++c) {
            IVorlatTile* tile = nullptr;
            ok = bench::Ok(image->LockTile(&bits, c, r, nullptr), "LockTile") && bench::Ok(image->UnlockTile(c, r), "UnlockTile") &&
                 bench::Ok(image->GetTile(&tile, c, r), "GetTile");
            tiles.push_back(tile);
        }
    }
    double byPlace = 1e30, byTile = 1e30;
    for (int attempt = 0; ok && attempt < 5; ++attempt) {
        Clock::time_point start = Clock::now();
        for (int round = 0; ok && round < kRounds; ++round) {
            for (int32_t r = 0; r < kSide; ++r) {
                for (int32_t c = 0; c < kSide; ++c) {
                    IVorlatError* err = image->LockTile(&bits, c, r, nullptr);
                    if (!err)
                        err = image->UnlockTile(c, r);
                    if (err)
                        ok = bench::Ok(err, "lock pair");
                }
            }
        }
        byPlace = std::min(byPlace, Seconds(start, Clock::now()));
        start = Clock::now();
        for (int round = 0; ok && round < kRounds; ++round) {
            for (IVorlatTile* tile : tiles) {
                IVorlatError* err = tile->Lock(&bits, nullptr);
                if (!err)
                    err = tile->Unlock();
                if (err)
                    ok = bench::Ok(err, "tile lock pair");
            }
        }
        byTile = std::min(byTile, Seconds(start, Clock::now()));
    }
    if (image)
        image->Destroy();
    manager->Destroy();
    if (!ok)
        return false;
    const double pairs = double{kTiles} * kRounds;
    std::printf("Lock and unlock pairs over %d tiles in memory (%d rounds, best of 5)\n", kTiles, kRounds);
    std::printf("  %-44s %10s\n", "how", "ns a pair");
    std::printf("  %-44s %10.1f\n", "image LockTile / UnlockTile by column and row", byPlace / pairs * 1e9);
    std::printf("  %-44s %10.1f\n", "tile Lock / Unlock", byTile / pairs * 1e9);
    std::printf("  target: under 300 ns a pair by column and row: %s\n\n", Verdict(byPlace / pairs * 1e9 < 300));
    return true;
}

// ---- Histogram against vips -------------------------------------------------

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::vector<uint8_t> ReadVipsPixels(const std::string& path, size_t bytes)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 64 + bytes)
        return {};
    return std::vector<uint8_t>(file.begin() + 64, file.begin() + 64 + static_cast<std::ptrdiff_t>(bytes));
}

bool HistogramTable()
{
    std::printf("Histogram of a 6000 x 4000 RGB 8-bit image (24 Mpixel), one thread\n");
    if (!Run("vips --version")) {
        std::printf("  vips is not installed (Debian package libvips-tools): no comparison\n\n");
        return true;
    }
    const std::string folder = bench::Scratch() + "/vorlat_bench_vips";
    std::filesystem::create_directories(folder);
    const std::string size = std::to_string(kWidth) + " " + std::to_string(kHeight);
    const std::string in = "cd '" + folder + "' && ";
    if (!Run(in + "vips zone zone.v " + size + " && vips linear zone.v zone8.v 127.5 127.5 --uchar && "
                  "vips gaussnoise noise.v " + size + " --mean 128 --sigma 50 && vips cast noise.v noise8.v uchar && "
                  "vips xyz xyz.v " + size + " && vips remainder_const xyz.v xy.v 256 && vips cast xy.v xy8.v uchar && "
                  "vips extract_band xy8.v x8.v 0 && vips bandjoin 'zone8.v noise8.v x8.v' rgb.v && "
                  "vips copy rgb.v rgb.ppm && vips hist_find rgb.v one_h.v --band 0")) {
        std::printf("  vips could not make the image\n\n");
        return false;
    }
    std::vector<uint8_t> pixels = ReadVipsPixels(folder + "/rgb.v", static_cast<size_t>(kImageBytes));
    if (pixels.empty()) {
        std::printf("  could not read the image vips made\n\n");
        return false;
    }
    peer::WriteTiff(folder + "/rgb.tif", kWidth, kHeight, 32, [&pixels](int32_t top, int32_t rows, uint8_t* band) {
        std::memcpy(band, pixels.data() + static_cast<size_t>(top) * kWidth * 3, static_cast<size_t>(rows) * kWidth * 3);
    });

    IVorlatManager* manager = MakeManager("vorlat_bench_histogram.tmp", 128 << 20, 65536);
    if (!manager)
        return false;
    IVorlatImage* image = nullptr;
    IVorlatHistogram* histogram = nullptr;
    bool ok = bench::Ok(manager->CreateImage(&image, 0), "CreateImage") && bench::Ok(image->SetColorSpace(32), "SetColorSpace") &&
              bench::Ok(image->SetSize(kWidth, kHeight), "SetSize") &&
              bench::Ok(image->SetData(pixels.data(), kWidth * 3, RECT{0, 0, kWidth, kHeight}), "SetData") &&
              bench::Ok(manager->CreateHistogram(&histogram), "CreateHistogram") &&
              bench::Ok(VorlatDataConnect(image, histogram), "VorlatDataConnect");
    pixels.clear();
    pixels.shrink_to_fit();

    const RECT whole{0, 0, kWidth, kHeight};
    IVorlatHistogram::HistogramTag counts{};
    auto timeChannels = [&](std::initializer_list<int32_t> channels) {
        double best = 1e30;
        for (int i = 0; ok && i < 5; ++i) {
            const Clock::time_point start = Clock::now();
            for (int32_t channel : channels) {
                histogram->DiscardHistogram();  // count again, not from the cache
                ok = ok && bench::Ok(histogram->GetHistogram(whole, channel, &counts), "GetHistogram");
            }
            best = std::min(best, Seconds(start, Clock::now()));
        }
        return best;
    };
    const double warmOne = timeChannels({1});
    const double warmThree = timeChannels({1, 2, 3});
    const double warmMean = timeChannels({0});
    histogram->DiscardHistogram();
    ok = ok && bench::Ok(histogram->GetHistogram(whole, 1, &counts), "GetHistogram");

    // The same image must give the same counts.
    const std::vector<uint8_t> theirs = ReadVipsPixels(folder + "/one_h.v", 256 * 4);
    const bool same = !theirs.empty() && std::memcmp(theirs.data(), counts.count, 256 * 4) == 0;

    if (histogram)
        histogram->Destroy();
    if (image)
        image->Destroy();
    manager->Destroy();
    if (!ok) {
        std::filesystem::remove_all(folder);
        return false;
    }
    std::printf("  ours: bench_histogram IN.tif OUT.txt [CHANNEL] (uncompressed TIFF in, the counts written as text)\n"
                "  peer: VIPS_CONCURRENCY=1 vips hist_find IN.ppm OUT.csv [--band 0]\n"
                "  warm, in-process = the counting alone, the image already in tiles in memory, best of 5.\n");
    peer::PrintLegend();
    const std::string ours = folder + "/ours_h.txt", peerOut = folder + "/peer_h.csv";
    const peer::Command oursOne{{peer::Beside("bench_histogram"), folder + "/rgb.tif", ours, "1"}, {}, ours};
    const peer::Command vipsOne{{"vips", "hist_find", folder + "/rgb.ppm", peerOut, "--band", "0"}, {"VIPS_CONCURRENCY=1"}, peerOut};
    peer::Command oursThree = oursOne, vipsThree = vipsOne;
    oursThree.args.pop_back();
    vipsThree.args.resize(vipsThree.args.size() - 2);
    peer::PrintRow("one channel (vips --band 0)", peer::Mpix(kWidth, kHeight), peer::SideBySide(oursOne, vipsOne, folder),
                   peer::kNoSlower, warmOne);
    peer::PrintRow("three channels", peer::Mpix(kWidth, kHeight), peer::SideBySide(oursThree, vipsThree, folder),
                   peer::kNoTarget, warmThree);
    std::printf("  in process, channel 0 (the mean of the three): %.3f s; channel 1 counts equal to vips': %s\n\n",
                warmMean, same ? "yes" : "NO");
    std::filesystem::remove_all(folder);
    return true;
}

} // namespace

int main()
{
    // Paging first: its peak memory is read while the process is still small.
    const bool ok = PagingTable() && LockTable() && HistogramTable();
    return ok ? 0 : 1;
}
