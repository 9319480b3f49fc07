// Demosaic quality against an independent baseline: synthetic scenes made with
// ImageMagick, turned into linear 12-bit values and mosaicked in the filters'
// colour-filter layout, demosaicked by both filters with identity curves and
// by ffmpeg's bayer conversion of the same mosaic (in the coded domain the
// filters interpolate in), each compared with the truth through the same tone
// curve, 6 pixels of border left out. Native only: the Windows test programs
// cannot start Linux tools.
//
// Figures measured (PSNR in dB over all compared pixels / over the 10% of
// highest gradient), ffmpeg 5.1 and ImageMagick 6.9:
//                  ffmpeg bayer     single pass     high quality
//   zone plate     25.3 / 22.3      38.3 / 33.9     41.0 / 35.1
//   slanted edges  37.5 / 23.5      34.9 / 21.0     35.4 / 21.5
//   colour bars    24.8 / 13.3      21.8 /  9.9     23.0 / 11.5
//   mean           29.2 / 19.7      31.7 / 21.6     33.1 / 22.7
// Pooled over the pixels of all three scenes instead: ffmpeg 26.7, single
// pass 26.3, high quality 27.5. On hard colour edges ffmpeg's bilinear
// conversion stays ahead: the single-pass green stage measures activity on
// green samples only, so where green is level across a red or blue step both
// estimates count half and the horizontal one carries the step into green;
// the high-quality filter's sharpened luminance overshoots at such steps.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/demosaic/tests/demosaic_test_util.h"

using namespace demosaic_test;

namespace {

constexpr int32_t kSize = 256;
constexpr int32_t kBorder = 12;  // the filters' margin and 6 pixels more

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Sums of squared errors over all pixels and over the edge pixels.
struct Errors {
    double all = 0, edges = 0;
    int64_t allCount = 0, edgeCount = 0;
    static double Psnr(double sum, int64_t count) { return 10 * std::log10(65535.0 * 65535.0 * count / sum); }
    double All() const { return Psnr(all, allCount); }
    double Edges() const { return Psnr(edges, edgeCount); }
};

class DemosaicPeerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::absolute(std::string(TESS_SCRATCH_DIR) + "/demosaic_peer").string();
        std::filesystem::create_directories(folder);
        manager = MakeManager(65536);
    }
    void TearDown() override
    {
        manager->Destroy();
        std::filesystem::remove_all(folder);
    }
    bool Run(const std::string& command)
    {
        const int rc = std::system(("cd '" + folder + "' && " + command + " >>tools.log 2>&1").c_str());
        EXPECT_EQ(rc, 0) << command;
        return rc == 0;
    }
    std::string At(const std::string& name) const { return folder + "/" + name; }

    // Squared errors of an RGB image laid over the source grid at (dx, dy)
    // against the truth, over the compared region.
    Errors Compare(const std::vector<uint16_t>& image, int32_t imageWidth, int32_t dx, int32_t dy) const
    {
        Errors e;
        for (int32_t y = kBorder; y < kSize - kBorder; ++y) {
            for (int32_t x = kBorder; x < kSize - kBorder; ++x) {
                double sum = 0;
                for (int32_t c = 0; c < 3; ++c) {
                    const double d = static_cast<double>(image[3 * (static_cast<size_t>(y - dy) * imageWidth + x - dx) + c]) -
                                     truth[3 * (static_cast<size_t>(y) * kSize + x) + c];
                    sum += d * d;
                }
                e.all += sum;
                e.allCount += 3;
                if (edge[static_cast<size_t>(y) * kSize + x]) {
                    e.edges += sum;
                    e.edgeCount += 3;
                }
            }
        }
        return e;
    }

    std::string folder;
    IVorlatManager* manager = nullptr;
    std::vector<uint16_t> truth;  // coded RGB of every source position
    std::vector<bool> edge;
};

TEST_F(DemosaicPeerTest, BothFiltersAgainstFfmpegBayerOnSyntheticScenes)
{
    if (std::system("convert -version >/dev/null 2>&1") != 0 || std::system("ffmpeg -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick or ffmpeg missing (Debian packages imagemagick, ffmpeg)";
    const std::string size = std::to_string(kSize) + "x" + std::to_string(kSize);
    const std::pair<const char*, std::string> scenes[] = {
        {"zone plate", "convert -size " + size + " xc: -fx \"0.5+0.5*cos(((i-128)*(i-128)+(j-128)*(j-128))*0.0025)\""},
        {"slanted edges", "convert -size " + size +
                              " xc:'rgb(40,60,200)' -fill 'rgb(230,200,40)' -draw 'polygon 0,0 140,0 96,255 0,255'"
                              " -fill 'rgb(20,180,90)' -draw 'polygon 160,20 250,60 200,240 130,180'"},
        {"colour bars", "convert -size 32x" + std::to_string(kSize) +
                            " xc:white xc:yellow xc:cyan xc:lime xc:magenta xc:red xc:blue xc:black +append"},
    };
    // What this code measured on each scene, all / edges: a floor for our filters.
    const double recorded[3][2][2] = {{{38.3, 33.9}, {41.0, 35.1}}, {{34.9, 21.0}, {35.4, 21.5}},
                                      {{21.8, 9.9}, {23.0, 11.5}}};
    const uint32_t* tone = CDeBayerBase::GetToneTable();
    double mean[3][2] = {};  // ffmpeg, single pass, high quality; all, edges
    int32_t scene = 0;
    for (const auto& [name, command] : scenes) {
        ASSERT_TRUE(Run(command + " -depth 16 -endian LSB rgb:scene.rgb"));
        const std::vector<uint8_t> rgb = ReadFile(At("scene.rgb"));
        ASSERT_EQ(rgb.size(), static_cast<size_t>(kSize) * kSize * 6) << name;
        // Linear 12-bit values, the mosaic, and the truth through the tone curve.
        Mosaic m;
        m.width = m.height = kSize;
        m.samples.resize(static_cast<size_t>(kSize) * kSize);
        truth.assign(static_cast<size_t>(kSize) * kSize * 3, 0);
        std::vector<uint16_t> coded(m.samples.size());
        for (int32_t y = 0; y < kSize; ++y) {
            for (int32_t x = 0; x < kSize; ++x) {
                const size_t i = static_cast<size_t>(y) * kSize + x;
                uint16_t linear[3];
                for (int32_t c = 0; c < 3; ++c) {
                    linear[c] = static_cast<uint16_t>((rgb[6 * i + 2 * c] | rgb[6 * i + 2 * c + 1] << 8) >> 4);
                    truth[3 * i + c] = static_cast<uint16_t>(tone[linear[c]] >> 2);
                }
                const int32_t colour = ((x + y) & 1) ? 1 : ((y & 1) ? 0 : 2);
                m.samples[i] = linear[colour];
                coded[i] = static_cast<uint16_t>(tone[m.samples[i]] >> 2);
            }
        }
        // The edge pixels: the 10% of highest gradient of the truth's luminance.
        std::vector<double> gradient(m.samples.size(), -1);
        auto luma = [&](int32_t x, int32_t y) {
            const size_t i = 3 * (static_cast<size_t>(y) * kSize + x);
            return static_cast<double>(truth[i]) + truth[i + 1] + truth[i + 2];
        };
        std::vector<double> inside;
        for (int32_t y = kBorder; y < kSize - kBorder; ++y)
            for (int32_t x = kBorder; x < kSize - kBorder; ++x) {
                gradient[static_cast<size_t>(y) * kSize + x] =
                    std::abs(luma(x + 1, y) - luma(x - 1, y)) + std::abs(luma(x, y + 1) - luma(x, y - 1));
                inside.push_back(gradient[static_cast<size_t>(y) * kSize + x]);
            }
        std::sort(inside.begin(), inside.end(), std::greater<double>());
        const double cut = inside[inside.size() / 10];
        edge.assign(m.samples.size(), false);
        for (size_t i = 0; i < gradient.size(); ++i)
            edge[i] = gradient[i] > cut;

        {
            std::ofstream out(At("mosaic.raw"), std::ios::binary);
            for (uint16_t v : coded) {
                const char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
                out.write(bytes, 2);
            }
        }
        ASSERT_TRUE(Run("ffmpeg -y -loglevel error -f rawvideo -pix_fmt bayer_bggr16le -s " + size +
                        " -i mosaic.raw -f rawvideo -pix_fmt rgb48le peer.raw"));
        const std::vector<uint8_t> peerBytes = ReadFile(At("peer.raw"));
        ASSERT_EQ(peerBytes.size(), static_cast<size_t>(kSize) * kSize * 6);
        std::vector<uint16_t> peer(peerBytes.size() / 2);
        for (size_t i = 0; i < peer.size(); ++i)
            peer[i] = static_cast<uint16_t>(peerBytes[2 * i] | peerBytes[2 * i + 1] << 8);

        CDeBayerSingleFilter single(manager);
        CDeBayerSingleHQ4Filter hq(manager);
        int32_t width = 0;
        const std::vector<uint16_t> ours[2] = {Reference(single, m, &width), Reference(hq, m)};
        const Errors e[3] = {Compare(peer, kSize, 0, 0), Compare(ours[0], width, kDeBayerMargin, kDeBayerMargin),
                             Compare(ours[1], width, kDeBayerMargin, kDeBayerMargin)};
        std::printf("  %-14s ffmpeg %5.1f / %5.1f   single pass %5.1f / %5.1f   high quality %5.1f / %5.1f dB\n", name,
                    e[0].All(), e[0].Edges(), e[1].All(), e[1].Edges(), e[2].All(), e[2].Edges());
        for (int32_t k = 0; k < 3; ++k) {
            mean[k][0] += e[k].All() / 3;
            mean[k][1] += e[k].Edges() / 3;
        }
        for (int32_t k = 0; k < 2; ++k) {
            EXPECT_GE(e[k + 1].All(), recorded[scene][k][0] - 0.1) << name << (k ? " high quality" : " single pass");
            EXPECT_GE(e[k + 1].Edges(), recorded[scene][k][1] - 0.1) << name << (k ? " high quality" : " single pass");
        }
        ++scene;
    }
    std::printf("  %-14s ffmpeg %5.1f / %5.1f   single pass %5.1f / %5.1f   high quality %5.1f / %5.1f dB\n", "mean",
                mean[0][0], mean[0][1], mean[1][0], mean[1][1], mean[2][0], mean[2][1]);
    EXPECT_GE(mean[1][0], mean[0][0] - 0.5);
    EXPECT_GE(mean[2][0], mean[0][0] + 1.0);
    EXPECT_GT(mean[2][1], mean[1][1]);
}

} // namespace
