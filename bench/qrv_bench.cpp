// QRV3 side by side with lcms2: 6-Mpixel interleaved images converted in
// tile-sized calls on one thread, and the time to build each transform.
// Prints one table with the ratios (QRV3 / lcms2; above 1 is faster).

#include <lcms2.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "QRV/QRV3.h"

namespace {

const std::string kIcc = "/usr/share/color/icc/";
constexpr int kWidth = 3000, kHeight = 2000, kTile = 128;

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

// A photograph-like image: smooth gradients with a little noise.
std::vector<uint8_t> MakeImage(int channels, int bytesPerSample)
{
    std::vector<uint8_t> image(size_t(kWidth) * kHeight * channels * bytesPerSample);
    uint32_t seed = 12345;
    size_t i = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < channels; ++c) {
                seed = seed * 1664525u + 1013904223u;
                const uint32_t v = (uint32_t(x * (c + 1) * 21 + y * (3 - c % 3) * 17) + (seed >> 26)) & 0xFFFF;
                if (bytesPerSample == 1) {
                    image[i++] = uint8_t(v >> 8);
                } else {
                    image[i++] = uint8_t(v);
                    image[i++] = uint8_t(v >> 8);
                }
            }
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
        cmsHTRANSFORM x = cmsCreateTransform(a, c.inType, b, c.outType, INTENT_RELATIVE_COLORIMETRIC, 0);
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
    cmsHTRANSFORM x = cmsCreateTransform(a, c.inType, b, c.outType, INTENT_RELATIVE_COLORIMETRIC, 0);
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
    std::printf("%d x %d pixels in %d x %d tiles, one thread\n\n", kWidth, kHeight, kTile, kTile);
    std::printf("%-36s %10s %10s %7s   %10s %10s %7s\n", "case", "QRV Mp/s", "lcms Mp/s", "ratio", "QRV build",
                "lcms build", "ratio");
    for (const Case& c : cases) {
        const Result r = Run(c);
        std::printf("%-36s %10.1f %10.1f %7.2f   %8.2fms %8.2fms %7.2f\n", c.name, r.qrvPixels, r.lcmsPixels,
                    r.qrvPixels / r.lcmsPixels, r.qrvBuild * 1e3, r.lcmsBuild * 1e3, r.lcmsBuild / r.qrvBuild);
    }
    return 0;
}
