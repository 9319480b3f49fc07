// Bitmaps against ImageMagick, run as a program on files in the scratch
// folder: its files at every depth and header length it writes load to the
// pixels it decodes, and the files we write decode in it to ours.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "fileio/tests/bmp_test_util.h"
#include "fileio/tests/test_files.h"

using namespace bmp_test;
using fileio_test::Store;
using fileio_test::ReadFile;
using fileio_test::QuietShell;

namespace {

std::string Scratch(const std::string& name) { return std::string(TESS_SCRATCH_DIR) + "/bmp_peer_" + name; }

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WritePpm(const std::string& path, const Pixels& p)
{
    std::ostringstream head;
    head << "P6\n" << p.width << " " << p.height << "\n255\n";
    const std::string text = head.str();
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), p.data.begin(), p.data.end());
    WriteFile(path, bytes);
}

// ImageMagick's decoding of a file, as 8-bit RGB.
Pixels Decoded(const std::string& path)
{
    const std::string ppm = path + ".ppm";
    Pixels p;
    if (QuietShell("convert '" + path + "' -depth 8 -type truecolor ppm:'" + ppm + "'") != 0)
        return p;
    const std::vector<uint8_t> bytes = ReadFile(ppm);
    std::remove(ppm.c_str());
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string magic;
    int maxValue = 0;
    in >> magic >> p.width >> p.height >> maxValue;
    if (!in || magic != "P6" || maxValue != 255)
        return Pixels{};
    const size_t start = static_cast<size_t>(in.tellg()) + 1;
    p.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
    p.data.resize(static_cast<size_t>(p.width) * p.height * 3);
    return p;
}

// Smooth colours with detail, so that palettes of every size are used.
Pixels Picture(int32_t width, int32_t height)
{
    Pixels p{width, height, 3, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* px = p.At(x, y);
            px[0] = static_cast<uint8_t>(x * 255 / (width - 1));
            px[1] = static_cast<uint8_t>(y * 255 / (height - 1));
            px[2] = static_cast<uint8_t>((x * 7 + y * 13) & 0xFF);
        }
    return p;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

} // namespace

TEST(BmpPeer, ImageMagickFilesLoadToItsOwnPixels)
{
    Images images("bmp_peer", 3072);  // small tiles: several bands
    const std::string source = Scratch("source.ppm");
    WritePpm(source, Picture(37, 45));
    struct Case {
        const char* name;
        const char* options;  // for convert, before the output
        uint32_t infoSize, bits;
    } cases[] = {
        {"24-bit v3", "bmp3:", 40, 24},
        {"24-bit v5", "bmp:", 124, 24},
        {"8-bit v3", "-colors 200 -compress none bmp3:", 40, 8},
        {"8-bit v5", "-colors 200 -compress none bmp:", 124, 8},
        {"4-bit v3", "-colors 11 -compress none bmp3:", 40, 4},
        {"4-bit v5", "-colors 16 -compress none bmp:", 124, 4},
        {"300 dpi", "-units PixelsPerInch -density 300 bmp3:", 40, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Scratch("im.bmp");
        std::remove(path.c_str());
        ASSERT_EQ(0, QuietShell("convert '" + source + "' " + c.options + "'" + path + "'"));
        const std::vector<uint8_t> file = ReadFile(path);
        ASSERT_GT(file.size(), 54u);
        // The file is the kind the case means.
        EXPECT_EQ(c.infoSize, Le32(file, 14));
        EXPECT_EQ(c.bits, file[28]);
        EXPECT_EQ(0u, Le32(file, 30));
        Store store;
        const Loaded loaded = LoadThroughLoader(images, file, store.tags);
        ASSERT_EQ(0, loaded.attach);
        ASSERT_EQ(0, loaded.error);
        const Pixels expected = Decoded(path);
        ASSERT_EQ(37, expected.width);
        EXPECT_TRUE(loaded.pixels == expected);
        const double dpi = std::string(c.name) == "300 dpi" ? 300.0 : 72.0;
        EXPECT_EQ(std::vector<double>{dpi}, store.Doubles(kTagResolution));
        std::remove(path.c_str());
    }
    std::remove(source.c_str());
}

TEST(BmpPeer, OurFilesDecodeInImageMagickToOurPixels)
{
    Images images("bmp_peer_ours", 3072);
    struct Case {
        int32_t width, height, channels;
    } cases[] = {{37, 45, 3}, {1, 1, 3}, {64, 33, 3}, {37, 45, 1}, {3, 70, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.channels);
        const Pixels p = Pattern(c.width, c.height, c.channels);
        IVorlatImage* image = images.Of(p, 300.0);
        int32_t error = -1;
        const std::vector<uint8_t> file = SaveThroughSaver(image, &error);
        image->Destroy();
        ASSERT_EQ(0, error);
        const std::string path = Scratch("ours.bmp");
        WriteFile(path, file);
        Pixels rgb = p;
        if (c.channels == 1) {
            rgb = Pixels{c.width, c.height, 3, {}};
            for (uint8_t v : p.data)
                rgb.data.insert(rgb.data.end(), {v, v, v});
        }
        EXPECT_TRUE(Decoded(path) == rgb);
        // ImageMagick's reading of the density: 11808 pixels per metre.
        FILE* pipe = popen(("identify -units PixelsPerCentimeter -format '%x' '" + path + "' 2>/dev/null").c_str(), "r");
        ASSERT_NE(nullptr, pipe);
        char text[64] = {};
        const size_t got = std::fread(text, 1, sizeof text - 1, pipe);
        pclose(pipe);
        EXPECT_NEAR(118.08, std::atof(std::string(text, got).c_str()), 0.01);
        std::remove(path.c_str());
    }
}
