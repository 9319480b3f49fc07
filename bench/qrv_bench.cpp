// QRV3 side by side with lcms2 on a 24-Mpixel noise picture (every pixel
// different, so that no cache of the last pixel could help either side), one
// thread, lcms2 with cmsFLAGS_NOCACHE as our engine has none:
//  - whole commands: bench_icc (an RGB 8-bit TIFF through the loader, the
//    colour management filter and the saver) beside bench_lcms_transform
//    (lcms2 over a PPM in bands), cold; again at 96 Mpixel for memory.
//    Target: at least as fast as lcms2.
//  - warm, in-process: the two engines alone over interleaved pixels in
//    memory, in tile-sized calls, and the time to build each transform.

#include <lcms2.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "QRV/QRV3.h"
#include "bench/bench_tiff.h"
#include "bench/bench_util.h"
#include "bench/peer_run.h"

namespace {

const std::string kIcc = "/usr/share/color/icc/";
constexpr int kWidth = 6000, kHeight = 4000, kTile = 128;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            bytes.insert(bytes.end(), buf, buf + n);
        std::fclose(f);
    }
    return bytes;
}

// Noise: every sample drawn anew, one generator per row so that bands can be made anywhere.
void Noise(int32_t top, int32_t rows, int32_t samplesPerRow, int bytesPerSample, uint8_t* out)
{
    for (int32_t y = top; y < top + rows; ++y) {
        uint32_t seed = 12345u + static_cast<uint32_t>(y) * 2654435761u;
        for (int32_t i = 0; i < samplesPerRow; ++i) {
            seed = seed * 1664525u + 1013904223u;
            *out++ = uint8_t(seed >> 24);
            if (bytesPerSample == 2)
                *out++ = uint8_t(seed >> 16);
        }
    }
}

std::vector<uint8_t> MakeImage(int channels, int bytesPerSample)
{
    std::vector<uint8_t> image(size_t(kWidth) * kHeight * channels * bytesPerSample);
    Noise(0, kHeight, kWidth * channels, bytesPerSample, image.data());
    return image;
}

struct Case {
    const char* name;
    std::string from, to;
    int inChannels, outChannels, bits;
    cmsUInt32Number inType, outType;
};

struct Result {
    double qrvPixels, lcmsPixels, qrvBuild, lcmsBuild;
};

template <class Fn>
double Best(int runs, Fn fn)
{
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = Clock::now();
        fn();
        best = std::min(best, Seconds(t0, Clock::now()));
    }
    return best;
}

Result Run(const Case& c)
{
    const std::vector<uint8_t> inProfile = ReadFile(c.from), outProfile = ReadFile(c.to);
    const int bps = c.bits / 8;
    const std::vector<uint8_t> image = MakeImage(c.inChannels, bps);
    std::vector<uint8_t> out(size_t(kWidth) * kHeight * c.outChannels * bps);
    const int inStride = kWidth * c.inChannels * bps, outStride = kWidth * c.outChannels * bps;
    Result r{};

    // Build: a new engine each time, profiles from memory.
    r.qrvBuild = Best(5, [&] {
        QZCMHandle h = 0;
        QZCMCreate(&h);
        QZCMSetInputProfile(h, inProfile.data(), uint32_t(inProfile.size()));
        QZCMSetOutputProfile(h, outProfile.data(), uint32_t(outProfile.size()));
        QZCMSetInputBitSize(h, c.bits);
        QZCMSetOutputBitSize(h, c.bits);
        QZCMSetIntent(h, 1);
        QZCMProcessInterleavedData(h, 0, 0, nullptr, nullptr, 0, 0);
        QZCMDestroy(h);
    });
    r.lcmsBuild = Best(5, [&] {
        cmsHPROFILE a = cmsOpenProfileFromMem(inProfile.data(), cmsUInt32Number(inProfile.size()));
        cmsHPROFILE b = cmsOpenProfileFromMem(outProfile.data(), cmsUInt32Number(outProfile.size()));
        cmsHTRANSFORM x = cmsCreateTransform(a, c.inType, b, c.outType, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
        cmsDeleteTransform(x);
        cmsCloseProfile(a);
        cmsCloseProfile(b);
    });

    QZCMHandle h = 0;
    QZCMCreate(&h);
    QZCMSetInputProfile(h, inProfile.data(), uint32_t(inProfile.size()));
    QZCMSetOutputProfile(h, outProfile.data(), uint32_t(outProfile.size()));
    QZCMSetInputBitSize(h, c.bits);
    QZCMSetOutputBitSize(h, c.bits);
    QZCMSetIntent(h, 1);
    QZCMProcessInterleavedData(h, 0, 0, nullptr, nullptr, 0, 0);
    const double qrv = Best(3, [&] {
        for (int ty = 0; ty < kHeight; ty += kTile)
            for (int tx = 0; tx < kWidth; tx += kTile) {
                const int w = std::min(kTile, kWidth - tx), hgt = std::min(kTile, kHeight - ty);
                QZCMProcessInterleavedData(h, w, hgt, &image[size_t(ty) * inStride + size_t(tx) * c.inChannels * bps],
                                           &out[size_t(ty) * outStride + size_t(tx) * c.outChannels * bps], inStride,
                                           outStride);
            }
    });
    QZCMDestroy(h);

    cmsHPROFILE a = cmsOpenProfileFromMem(inProfile.data(), cmsUInt32Number(inProfile.size()));
    cmsHPROFILE b = cmsOpenProfileFromMem(outProfile.data(), cmsUInt32Number(outProfile.size()));
    cmsHTRANSFORM x = cmsCreateTransform(a, c.inType, b, c.outType, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
    const double lcms = Best(3, [&] {
        for (int ty = 0; ty < kHeight; ty += kTile)
            for (int tx = 0; tx < kWidth; tx += kTile) {
                const int w = std::min(kTile, kWidth - tx), hgt = std::min(kTile, kHeight - ty);
                cmsDoTransformLineStride(x, &image[size_t(ty) * inStride + size_t(tx) * c.inChannels * bps],
                                         &out[size_t(ty) * outStride + size_t(tx) * c.outChannels * bps], w, hgt,
                                         inStride, outStride, 0, 0);
            }
    });
    cmsDeleteTransform(x);
    cmsCloseProfile(a);
    cmsCloseProfile(b);

    r.qrvPixels = double(kWidth) * kHeight / qrv / 1e6;
    r.lcmsPixels = double(kWidth) * kHeight / lcms / 1e6;
    return r;
}


// The whole commands on an RGB 8-bit noise picture of one size.
struct Files {
    std::string tif, ppm;
};

Files WriteNoise(const std::string& scratch, int32_t width, int32_t height)
{
    const Files f{scratch + "/qrv_bench_noise.tif", scratch + "/qrv_bench_noise.ppm"};
    const peer::BandMaker make = [width](int32_t top, int32_t rows, uint8_t* band) { Noise(top, rows, width * 3, 1, band); };
    peer::WriteTiff(f.tif, width, height, 32, make);
    if (!peer::WritePpm(f.ppm, width, height, 1, make))
        std::exit(1);
    return f;
}

peer::Pair Commands(const Files& in, const std::string& scratch, const std::string& from, const std::string& to, int runs)
{
    const std::string ours = scratch + "/qrv_bench_ours.tif", theirs = scratch + "/qrv_bench_peer.pnm";
    return peer::SideBySide({{peer::Beside("bench_icc"), in.tif, ours, from, to}, {}, ours},
                            {{peer::Beside("bench_lcms_transform"), in.ppm, theirs, from, to}, {}, theirs}, scratch, runs);
}

}  // namespace

int main()
{
    const std::string srgb = kIcc + "sRGB.icc", adobe = kIcc + "compatibleWithAdobeRGB1998.icc",
                      cmyk = kIcc + "ghostscript/default_cmyk.icc";
    const Case cases[] = {
        {"sRGB -> Adobe RGB 8-bit (matrix)", srgb, adobe, 3, 3, 8, TYPE_RGB_8, TYPE_RGB_8},
        {"sRGB -> Adobe RGB 16-bit (matrix)", srgb, adobe, 3, 3, 16, TYPE_RGB_16, TYPE_RGB_16},
        {"sRGB -> CMYK 8-bit (table)", srgb, cmyk, 3, 4, 8, TYPE_RGB_8, TYPE_CMYK_8},
        {"CMYK -> sRGB 16-bit (table)", cmyk, srgb, 4, 3, 16, TYPE_CMYK_16, TYPE_RGB_16},
    };
    Result results[4];
    for (int i = 0; i < 4; ++i)
        results[i] = Run(cases[i]);
    const double mpix = double(kWidth) * kHeight / 1e6;

    const std::string scratch = bench::Scratch("qrv_bench");
    const Files in = WriteNoise(scratch, kWidth, kHeight);
    std::printf("ICC, %d x %d pixels (%s) of noise, RGB 8-bit, relative colorimetric, one thread\n", kWidth, kHeight,
                peer::Mpix(kWidth, kHeight).c_str());
    std::printf("  ours: bench_icc IN.tif OUT.tif FROM.icc TO.icc (uncompressed TIFF in and out)\n"
                "  peer: bench_lcms_transform IN.ppm OUT.ppm|pam FROM.icc TO.icc (lcms2, cmsFLAGS_NOCACHE, bands of rows)\n"
                "  warm, in-process = the QRV3 engine alone over the pixels in memory in %d x %d tiles, best of 3\n"
                "  (the table below).\n",
                kTile, kTile);
    peer::PrintLegend();
    peer::PrintRow("sRGB -> Adobe RGB 8-bit", peer::Mpix(kWidth, kHeight), Commands(in, scratch, srgb, adobe, peer::kRuns),
                   peer::kNoSlower, mpix / results[0].qrvPixels);
    peer::PrintRow("sRGB -> CMYK 8-bit", peer::Mpix(kWidth, kHeight), Commands(in, scratch, srgb, cmyk, peer::kRuns),
                   peer::kNoSlower, mpix / results[2].qrvPixels);
    const Files big = WriteNoise(scratch, kWidth * 2, kHeight * 2);
    peer::PrintRow("sRGB -> Adobe RGB 8-bit", peer::Mpix(kWidth * 2, kHeight * 2) + ", 1 run",
                   Commands(big, scratch, srgb, adobe, 1), peer::kNoTarget);
    for (const std::string* f : {&big.tif, &big.ppm})
        std::remove(f->c_str());

    std::printf("\nWarm, in-process: the engines alone, %d x %d pixels of noise in %d x %d tiles, lcms2 with cmsFLAGS_NOCACHE\n",
                kWidth, kHeight, kTile, kTile);
    std::printf("%-36s %10s %10s %7s   %10s %10s %7s\n", "case", "QRV Mp/s", "lcms Mp/s", "ratio", "QRV build",
                "lcms build", "ratio");
    for (int i = 0; i < 4; ++i) {
        const Result& r = results[i];
        std::printf("%-36s %10.1f %10.1f %7.2f   %8.2fms %8.2fms %7.2f\n", cases[i].name, r.qrvPixels, r.lcmsPixels,
                    r.qrvPixels / r.lcmsPixels, r.qrvBuild * 1e3, r.lcmsBuild * 1e3, r.lcmsBuild / r.qrvBuild);
    }
    std::printf("  (ratio: QRV3 / lcms2 speed; above 1 QRV3 is faster)\n\n");
    return 0;
}
