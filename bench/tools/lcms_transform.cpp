// The peer side of the ICC comparison: lcms2 converting a PPM (RGB 8-bit)
// from one profile to another in bands of rows, with the flags that match our
// engine's: relative colorimetric, no black point compensation, the
// transform optimised as lcms2 does by default, and no cache of the last
// pixel (which on smooth pictures skips most of the work). Writes a PPM, or a
// PAM for CMYK.
//
//   bench_lcms_transform IN.ppm OUT FROM.icc TO.icc
#include <lcms2.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "%s failed\n", what);
    std::exit(1);
}

// The next number of a PPM header, past blanks and comments; -1 when there is none.
int HeaderNumber(FILE* f)
{
    int c = std::fgetc(f);
    while (c == '#' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = std::fgetc(f);
        c = std::fgetc(f);
    }
    int value = -1;
    for (; c >= '0' && c <= '9'; c = std::fgetc(f))
        value = (value < 0 ? 0 : value * 10) + (c - '0');
    return value;  // the one blank after the last number is consumed here
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_lcms_transform IN.ppm OUT FROM.icc TO.icc\n");
        return 2;
    }
    FILE* in = std::fopen(argv[1], "rb");
    if (!in || std::fgetc(in) != 'P' || std::fgetc(in) != '6')
        Fail("reading the PPM header");
    const int width = HeaderNumber(in), height = HeaderNumber(in), maxval = HeaderNumber(in);
    if (width <= 0 || height <= 0 || maxval != 255)
        Fail("reading the PPM header");
    cmsHPROFILE from = cmsOpenProfileFromFile(argv[3], "r");
    cmsHPROFILE to = cmsOpenProfileFromFile(argv[4], "r");
    if (!from || !to)
        Fail("opening the profiles");
    const bool cmyk = cmsGetColorSpace(to) == cmsSigCmykData;
    const int outChannels = cmyk ? 4 : 3;
    cmsHTRANSFORM transform = cmsCreateTransform(from, TYPE_RGB_8, to, cmyk ? TYPE_CMYK_8 : TYPE_RGB_8,
                                                 INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
    if (!transform)
        Fail("building the transform");
    FILE* out = std::fopen(argv[2], "wb");
    if (!out)
        Fail("creating the output");
    if (cmyk)
        std::fprintf(out, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE CMYK\nENDHDR\n", width, height);
    else
        std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    constexpr int kBand = 256;
    std::vector<unsigned char> source(static_cast<size_t>(width) * 3 * kBand);
    std::vector<unsigned char> target(static_cast<size_t>(width) * outChannels * kBand);
    for (int top = 0; top < height; top += kBand) {
        const int rows = height - top < kBand ? height - top : kBand;
        const size_t inBytes = static_cast<size_t>(width) * 3 * rows;
        if (std::fread(source.data(), 1, inBytes, in) != inBytes)
            Fail("reading the pixels");
        cmsDoTransform(transform, source.data(), target.data(), static_cast<cmsUInt32Number>(width) * rows);
        const size_t outBytes = static_cast<size_t>(width) * outChannels * rows;
        if (std::fwrite(target.data(), 1, outBytes, out) != outBytes)
            Fail("writing the pixels");
    }
    if (std::fclose(out) != 0)
        Fail("writing the pixels");
    std::fclose(in);
    cmsDeleteTransform(transform);
    cmsCloseProfile(from);
    cmsCloseProfile(to);
    return 0;
}
