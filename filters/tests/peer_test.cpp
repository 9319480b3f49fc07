// The filters against independent tools on the same input: ImageMagick and
// libvips for crop and BGR ordering, lcms2's tificc for colour management,
// vips hist_find for histogram counts. Native only: the Windows test programs
// cannot start Linux tools.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

const char* const kSRGB = "/usr/share/color/icc/sRGB.icc";
const char* const kAdobe = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";

bool Have(const char* command) { return std::system((std::string(command) + " >/dev/null 2>&1").c_str()) == 0; }

// Netpbm files: 8-bit samples, or 16-bit big-endian ones; our 16-bit pixels are little-endian.
void WritePnm(const std::string& path, int32_t channels, int32_t width, int32_t height, int32_t bits,
              const std::vector<uint8_t>& pixels)
{
    std::ofstream out(path, std::ios::binary);
    out << (channels == 1 ? "P5" : "P6") << "\n" << width << " " << height << "\n" << (bits == 8 ? 255 : 65535) << "\n";
    std::vector<uint8_t> data = pixels;
    if (bits == 16) {
        for (size_t i = 0; i + 1 < data.size(); i += 2)
            std::swap(data[i], data[i + 1]);
    }
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The samples of an 8-bit P5 or P6 file.
std::vector<uint8_t> ReadPnmSamples(const std::string& path)
{
    std::vector<uint8_t> file = ReadFile(path);
    size_t pos = 0;
    int fields = 0;
    while (fields < 4 && pos < file.size()) {
        while (pos < file.size() && std::isspace(file[pos]))
            ++pos;
        if (pos < file.size() && file[pos] == '#') {
            while (pos < file.size() && file[pos] != '\n')
                ++pos;
            continue;
        }
        while (pos < file.size() && !std::isspace(file[pos]))
            ++pos;
        ++fields;
    }
    return std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(pos + 1), file.end());
}

class PeerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::absolute(ScratchPath("peer")).string();
        std::filesystem::create_directories(folder);
        manager = MakeManager(16384);
    }
    void TearDown() override
    {
        manager->Destroy();
        std::filesystem::remove_all(folder);
    }
    std::string At(const std::string& name) const { return folder + "/" + name; }
    void Run(const std::string& command)
    {
        ASSERT_EQ(std::system(("cd '" + folder + "' && " + command + " >>tools.log 2>&1").c_str()), 0)
            << command << "\n" << std::string(ReadFile(At("tools.log")).begin(), ReadFile(At("tools.log")).end());
    }

    std::string folder;
    IVorlatManager* manager = nullptr;
};

TEST_F(PeerTest, CropMatchesImageMagickAndVips)
{
    if (!Have("convert -version") || !Have("vips --version"))
        GTEST_SKIP() << "imagemagick and libvips-tools are test-only packages that scripts/test installs";
    const std::vector<uint8_t> pixels = Pattern(301 * 157 * 3, 21);
    WritePnm(At("in.ppm"), 3, 301, 157, 8, pixels);
    Run("convert in.ppm -crop 200x140+37+11 +repage magick.ppm");
    Run("vips crop in.ppm vips.ppm 37 11 200 140");
    IVorlatImage* source = MakeImage(manager, 32, 301, 157, pixels);
    CCropFilter crop(manager);
    KOLVEX_OK(VorlatDataConnect(source, &crop));
    KOLVEX_OK(crop.SetCrop(RECT{37, 11, 237, 151}, false));
    const std::vector<uint8_t> ours = ReadAll(&crop);
    EXPECT_TRUE(ours == ReadPnmSamples(At("magick.ppm")));
    EXPECT_TRUE(ours == ReadPnmSamples(At("vips.ppm")));
    source->Destroy();
}

TEST_F(PeerTest, BGROrderMatchesImageMagickAndTheHighBytesOfVips)
{
    if (!Have("convert -version") || !Have("vips --version"))
        GTEST_SKIP() << "imagemagick and libvips-tools are test-only packages that scripts/test installs";
    struct Case {
        int32_t colorSpace, channels, bits;
        const char* command;  // makes out.bgr from in.pnm
    } cases[] = {
        {32, 3, 8, "convert in.pnm bgr:out.bgr"},
        {2, 1, 8, "convert in.pnm bgr:out.bgr"},
        {33, 3, 16, "vips msb in.pnm msb.ppm && convert msb.ppm bgr:out.bgr"},
        {3, 1, 16, "vips msb in.pnm msb.pgm && convert msb.pgm bgr:out.bgr"},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> pixels = Pattern(static_cast<size_t>(211) * 97 * c.channels * c.bits / 8, 3);
        WritePnm(At("in.pnm"), c.channels, 211, 97, c.bits, pixels);
        Run(c.command);
        IVorlatImage* source = MakeImage(manager, c.colorSpace, 211, 97, pixels);
        CBGRizeFilter bgr(manager);
        KOLVEX_OK(VorlatDataConnect(source, &bgr));
        EXPECT_TRUE(ReadAll(&bgr) == ReadFile(At("out.bgr"))) << c.colorSpace;
        source->Destroy();
    }
}

TEST_F(PeerTest, ColourManagementAgreesWithTificc)
{
    if (!Have("command -v tificc"))
        GTEST_SKIP() << "liblcms2-utils is a test-only package that scripts/test installs";
    if (!Have("vips --version") || !std::ifstream(kSRGB) || !std::ifstream(kAdobe))
        GTEST_SKIP() << "libvips-tools or the Debian profiles are missing";
    // Every red and green at eight blue levels.
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256 * 8; ++x) {
            pixels.push_back(static_cast<uint8_t>(x % 256));
            pixels.push_back(static_cast<uint8_t>(y));
            pixels.push_back(static_cast<uint8_t>((x / 256) * 36));
        }
    }
    WritePnm(At("in.ppm"), 3, 2048, 256, 8, pixels);
    // vips writes no chromaticity tags, which tificc would take over the given input profile.
    Run("vips copy in.ppm in.tif");
    Run(std::string("tificc -t 1 -i ") + kSRGB + " -o " + kAdobe + " in.tif out.tif");
    Run("vips copy out.tif out.ppm");
    const std::vector<uint8_t> theirs = ReadPnmSamples(At("out.ppm"));
    ASSERT_EQ(theirs.size(), pixels.size());

    CVorlatFilterQRVEngine engine;
    KOLVEX_OK(engine.SetProfiles(FileName(kSRGB), FileName(kAdobe)));
    KOLVEX_OK(engine.SetBitsPerComponent(false, 8));
    KOLVEX_OK(engine.SetBitsPerComponent(true, 8));
    KOLVEX_OK(engine.SetRenderingIntent(1));
    IVorlatImage* source = MakeImage(manager, 32, 2048, 256, pixels);
    {
        CVorlatFilterQRV filter(manager);
        KOLVEX_OK(VorlatDataConnect(source, &filter));
        KOLVEX_OK(filter.SetQRVEngine(&engine, false));
        const std::vector<uint8_t> ours = ReadAll(&filter);
        // As the engine's own agreement with lcms2: its 2.2 curve has a linear toe, so
        // pixels are compared where input and reference are at least 64.
        double sum = 0;
        int worst = 0;
        size_t compared = 0;
        for (size_t i = 0; i < pixels.size(); i += 3) {
            bool lit = true;
            for (int k = 0; k < 3; ++k)
                lit = lit && pixels[i + k] >= 64 && theirs[i + k] >= 64;
            for (int k = 0; lit && k < 3; ++k) {
                const int d = std::abs(int(ours[i + k]) - int(theirs[i + k]));
                worst = std::max(worst, d);
                sum += d;
                ++compared;
            }
        }
        ASSERT_GT(compared, 10000u);
        EXPECT_LE(worst, 2);
        EXPECT_LE(sum / compared, 0.6);
        KOLVEX_OK(filter.SetQRVEngine(nullptr, false));
    }
    source->Destroy();
}

TEST_F(PeerTest, HistogramCountsMatchVipsHistFind)
{
    if (!Have("vips --version"))
        GTEST_SKIP() << "libvips-tools is a test-only package that scripts/test installs";
    const std::vector<uint8_t> pixels = Pattern(301 * 157 * 3, 8);
    WritePnm(At("in.ppm"), 3, 301, 157, 8, pixels);
    IVorlatImage* source = MakeImage(manager, 32, 301, 157, pixels);
    CVorlatFilterHistogram histogram(manager);
    KOLVEX_OK(VorlatDataConnect(source, &histogram));
    KOLVEX_OK(histogram.ForceCompletion());
    for (int band = 0; band < 3; ++band) {
        const std::string csv = "band" + std::to_string(band) + ".csv";
        Run("vips hist_find in.ppm hist.v --band " + std::to_string(band) + " && vips csvsave hist.v " + csv);
        std::ifstream in(At(csv));
        std::vector<uint32_t> theirs;
        for (uint32_t v; in >> v;)
            theirs.push_back(v);
        std::vector<uint32_t> ours(256);
        EXPECT_EQ(histogram.GetHistogram(band + 1, ours.data(), 8), 8);
        EXPECT_EQ(ours, theirs) << band;
    }
    source->Destroy();
}

} // namespace
