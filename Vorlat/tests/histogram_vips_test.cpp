// Histograms of images made by vips, loaded into a manager whose budget is a
// few tiles (so counting pages tiles out and back in), compared exactly with
// the counts of vips hist_find. Native only: the Windows test programs cannot
// start a Linux vips.
#include "vorlat_test_util.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace vorlat_test;

namespace {

constexpr int32_t kWidth = 613, kHeight = 419;  // not a multiple of any tile side

// A .v file: a 64-byte header, then the pixels in this machine's byte order.
struct VipsImage {
    int32_t width = 0, height = 0, bands = 0, format = -1;
    std::vector<uint8_t> pixels;

    bool Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.size() < 64)
            return false;
        std::memcpy(&width, &bytes[4], 4);
        std::memcpy(&height, &bytes[8], 4);
        std::memcpy(&bands, &bytes[12], 4);
        std::memcpy(&format, &bytes[20], 4);
        const size_t sample = format == 0 ? 1 : format == 2 ? 2 : format == 4 ? 4 : 0;  // uchar, ushort, uint
        const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(bands) * sample;
        if (sample == 0 || bytes.size() < 64 + size)
            return false;
        pixels.assign(bytes.begin() + 64, bytes.begin() + 64 + static_cast<std::ptrdiff_t>(size));
        return true;
    }

    // Band b of a hist_find result, folded into 256 levels: bin v counts at v / divisor.
    std::vector<int64_t> Levels(int32_t band, int32_t divisor) const
    {
        std::vector<int64_t> levels(256, 0);
        for (int32_t bin = 0; bin < width; ++bin) {
            uint32_t count = 0;
            std::memcpy(&count, &pixels[(static_cast<size_t>(bin) * static_cast<size_t>(bands) + static_cast<size_t>(band)) * 4], 4);
            levels[static_cast<size_t>(std::min(bin / divisor, 255))] += count;
        }
        return levels;
    }
};

struct Case {
    const char* what;
    int32_t code;
    const char* source;   // the image loaded into the manager
    const char* counted;  // the image vips counts: the source, or an area of it
    RECT rect;
};

const RECT kWhole{0, 0, kWidth, kHeight};

const Case kCases[] = {
    {"zone, 8-bit grey", 2, "zone8", "zone8", kWhole},
    {"gaussian noise, 16-bit grey", 3, "noise16", "noise16", kWhole},
    {"zone, noise and x, 8-bit RGB", 32, "rgb8", "rgb8", kWhole},
    {"an area of it across tile edges", 32, "rgb8", "area8", RECT{37, 11, 37 + 300, 11 + 250}},
    {"zone, noise and x, 16-bit RGB", 33, "rgb16", "rgb16", kWhole},
    {"zone, noise, x and y, four 8-bit channels", 34, "four8", "four8", kWhole},
};

bool HaveVips() { return std::system("vips --version >/dev/null 2>&1") == 0; }

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class VipsHistogram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveVips())
            GTEST_SKIP() << "vips is not installed (Debian package libvips-tools; scripts/test installs it)";
        folder_ = std::filesystem::absolute(ScratchPath("vips")).string();
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ + "/sum3.mat") << "3 1\n1 1 1\n";
        std::ofstream(folder_ + "/sum4.mat") << "4 1\n1 1 1 1\n";
        std::ofstream(folder_ + "/quarter3.mat") << "3 1\n0.25 0.25 0.25\n";
        MakeImages();
    }
    void TearDown() override
    {
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }

    // Test images from zone plates, gaussian noise and coordinates; then, for
    // each case, vips' histogram of every band and of the pixel sums (channel
    // 0 is the integer mean, whose bins the test folds from the sums). The
    // jobs of a stage run side by side; the stages one after the other.
    void MakeImages()
    {
        const std::string size = " " + std::to_string(kWidth) + " " + std::to_string(kHeight);
        const std::vector<std::vector<std::string>> stages = {
            {
                "vips zone zone.v" + size + " && vips linear zone.v zone8.v 127.5 127.5 --uchar && "
                "vips linear zone.v zonew.v 32767.5 32767.5 && vips cast zonew.v zone16.v ushort",
                "vips gaussnoise noise.v" + size + " --mean 128 --sigma 50 && vips cast noise.v noise8.v uchar",
                "vips gaussnoise noisew.v" + size + " --mean 32768 --sigma 12000 && vips cast noisew.v noise16.v ushort",
                "vips xyz xyz.v" + size + " && vips remainder_const xyz.v xy.v 256 && vips cast xy.v xy8.v uchar && "
                "vips extract_band xy8.v x8.v 0",
                "vips xyz xyzw.v" + size + " && vips linear xyzw.v xyw.v 97 13 && "
                "vips remainder_const xyw.v xyr.v 65536 && vips cast xyr.v xy16.v ushort && "
                "vips extract_band xy16.v x16.v 0",
            },
            {
                "vips bandjoin 'zone8.v noise8.v x8.v' rgb8.v && vips extract_area rgb8.v area8.v 37 11 300 250",
                "vips bandjoin 'zone16.v noise16.v x16.v' rgb16.v",
                "vips bandjoin 'zone8.v noise8.v xy8.v' four8.v",
                "vips hist_find zone8.v zone8_h.v",
                "vips hist_find noise16.v noise16_h.v",
            },
            {
                SumCounts("rgb8", "sum3.mat"),
                SumCounts("area8", "sum3.mat"),
                // floor(sum / 768) = floor(floor(sum / 4) / 192), and sum / 4 is exact in floats
                "vips hist_find rgb16.v rgb16_h.v && vips recomb rgb16.v rgb16_s.v quarter3.mat && "
                "vips round rgb16_s.v rgb16_f.v floor && vips cast rgb16_f.v rgb16_m.v ushort && "
                "vips hist_find rgb16_m.v rgb16_mh.v",
                SumCounts("four8", "sum4.mat"),
            },
        };
        // Only .v files are read and written: without its plug-in modules each vips starts faster.
        std::string script = "cd '" + folder_ + "' || exit 1; export VIPSHOME=\"$PWD\"; ";
        int job = 0;
        for (const std::vector<std::string>& stage : stages) {
            for (const std::string& command : stage) {
                const std::string log = "job" + std::to_string(job++) + ".log";
                script += "{ ( " + command + " ) >" + log + " 2>&1 || echo " + log + " >>failed; } & ";
            }
            script += "wait; test -e failed && exit 1; ";
        }
        script += "exit 0";
        const int status = std::system(script.c_str());
        std::string logs;
        std::istringstream failed(ReadText(folder_ + "/failed"));
        for (std::string log; std::getline(failed, log);)
            logs += ReadText(folder_ + "/" + log);
        ASSERT_EQ(status, 0) << "vips could not make the test images:\n" << logs;
    }

    // The histograms of an image's bands and of its pixel sums.
    static std::string SumCounts(const std::string& name, const char* matrix)
    {
        return "vips hist_find " + name + ".v " + name + "_h.v && vips recomb " + name + ".v " + name + "_s.v " +
               matrix + " && vips cast " + name + "_s.v " + name + "_m.v ushort && vips hist_find " + name +
               "_m.v " + name + "_mh.v";
    }

    VipsImage Load(const std::string& name)
    {
        VipsImage image;
        EXPECT_TRUE(image.Read(folder_ + "/" + name + ".v")) << name;
        return image;
    }

    std::string folder_;
};

TEST_F(VipsHistogram, EveryChannelMatchesHistFindOverPagedTiles)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const VipsImage source = Load(c.source);
        const int32_t bytesPerPixel = IVorlatDataSource::GetBitsPerPixel(c.code) / 8;
        const int32_t bands = c.code == 2 || c.code == 3 ? 1 : c.code == 34 ? 4 : 3;
        const bool wide = c.code == 3 || c.code == 33;
        ASSERT_EQ(source.bands, bands);
        ASSERT_EQ(source.format, wide ? 2 : 0);
        ASSERT_EQ(source.width, kWidth);

        // Five tiles of memory for an image of dozens of tiles.
        CVorlatManager* manager = MakeManager(6 * 16384, 16384, "vipshist");
        IVorlatImage* image = MakeImage(manager, 0, c.code, kWidth, kHeight);
        VORLAT_OK(image->SetData(const_cast<uint8_t*>(source.pixels.data()), kWidth * bytesPerPixel, kWhole));
        EXPECT_FALSE(manager->PageFiles()[0].slots.empty()) << "the image did not page";
        IVorlatHistogram* histogram = nullptr;
        VORLAT_OK(manager->CreateHistogram(&histogram));
        VORLAT_OK(VorlatDataConnect(image, histogram));

        const VipsImage bandCounts = Load(std::string(c.counted) + "_h");
        VipsImage sumCounts;
        if (bands > 1)
            sumCounts = Load(std::string(c.counted) + "_mh");
        const int32_t divisor = wide ? 256 : 1;
        const int32_t meanDivisor = bands == 1 ? divisor : c.code == 33 ? 192 : bands;
        const int64_t area = static_cast<int64_t>(c.rect.right - c.rect.left) * (c.rect.bottom - c.rect.top);
        for (int32_t channel = 0; channel <= 4; ++channel) {
            std::vector<int64_t> expected(256, 0);
            if (channel == 0)
                expected = bands == 1 ? bandCounts.Levels(0, divisor) : sumCounts.Levels(0, meanDivisor);
            else if (bands == 1)
                expected = bandCounts.Levels(0, divisor);
            else if (channel <= 3 || bands == 4)
                expected = bandCounts.Levels(channel - 1, divisor);
            int64_t total = 0;
            for (int64_t n : expected)
                total += n;
            EXPECT_EQ(total, channel == 4 && bands == 3 ? 0 : area) << "channel " << channel;

            IVorlatHistogram::HistogramTag counts{};
            VORLAT_OK(histogram->GetHistogram(c.rect, channel, &counts));
            for (int level = 0; level < 256; ++level)
                ASSERT_EQ(counts.count[level], expected[static_cast<size_t>(level)])
                    << "channel " << channel << " level " << level;
        }
        histogram->Destroy();
        image->Destroy();
        manager->Destroy();
    }
}

} // namespace
