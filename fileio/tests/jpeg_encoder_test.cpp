#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"
#include "fileio/tests/jpeg_test_util.h"

using namespace jpeg_test;
using namespace quarnite;

// The SSE2 quantiser reads its tables with aligned loads, and the writers make
// the encoder with a plain new: on 32-bit Windows the run time's allocator
// gives only 8 bytes unless the aligned new is used.
TEST(JpegEncoder, EveryEncoderMadeByNewSitsOnItsAlignment)
{
    static_assert(alignof(CJpegEncoder) >= 16);
    std::vector<std::unique_ptr<CJpegEncoder>> encoders;
    std::vector<std::unique_ptr<char[]>> between;
    for (int i = 0; i < 64; ++i) {
        between.emplace_back(new char[1 + i * 8]);
        encoders.emplace_back(new (std::nothrow) CJpegEncoder(nullptr));
        ASSERT_NE(encoders.back(), nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(encoders.back().get()) % alignof(CJpegEncoder), 0u) << i;
    }
    std::vector<JpegQuantizer> quantizers(7);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(quantizers.data()) % 16, 0u);
}

TEST(JpegEncoder, MultiplierOfTheFirstLevelOneEntry)
{
    EXPECT_EQ(QuantMultiplier(18, 0, 0), 455u);
}

// The SSE2 transform and quantiser against the plain ones, over random blocks
// and blocks of the extreme samples -128 and 128 (the largest coefficients),
// with the quantisers of every level.
TEST(JpegEncoder, Sse2BlockPathEqualsThePlainOne)
{
#if defined(__SSE2__)
    std::vector<JpegQuantizer> quantizers;
    for (int level = 1; level <= 5; ++level)
        for (const uint8_t* table : {CJpegEncoder::LuminanceTable(level), CJpegEncoder::ChrominanceTable(level)}) {
            uint32_t multipliers[64];
            for (int i = 0; i < 64; ++i)
                multipliers[i] = level == 5 ? 8192 : QuantMultiplier(table[i], i / 8, i % 8);
            quantizers.emplace_back();
            quantizers.back().Set(multipliers);
        }
    uint32_t state = 1;
    auto next = [&] { return (state = state * 1664525u + 1013904223u) >> 8; };
    int16_t samples[8 * 11];  // rows 11 apart, as in a wider plane
    for (int trial = 0; trial < 20000; ++trial) {
        const int u = trial / 4 % 8, v = trial / 32 % 8;
        for (int i = 0; i < 64; ++i) {
            const uint32_t r = next();
            const int16_t any = static_cast<int16_t>(r % 257) - 128;
            const int16_t extreme = (r & 1) ? 128 : -128;
            // The signs of one basis function give its largest coefficient.
            const double basis = std::cos((2 * (i / 8) + 1) * v * 3.14159265 / 16) *
                                 std::cos((2 * (i % 8) + 1) * u * 3.14159265 / 16);
            const int16_t samples4[4] = {any, extreme, (r & 2) ? extreme : any,
                                         static_cast<int16_t>(basis >= 0 ? 128 : -128)};
            samples[i / 8 * 11 + i % 8] = samples4[trial % 4];
        }
        for (bool accurate : {false, true})
            for (const JpegQuantizer& quantizer : quantizers) {
                int16_t plain[64], sse2[64];
                const uint64_t plainMask = TransformBlockPortable(samples, 11, accurate, quantizer, plain);
                const uint64_t sse2Mask = TransformBlockSse2(samples, 11, accurate, quantizer, sse2);
                ASSERT_EQ(plainMask, sse2Mask) << trial;
                ASSERT_EQ(0, std::memcmp(plain, sse2, sizeof plain)) << trial;
            }
    }
#else
    GTEST_SKIP() << "no SSE2 path in this build";
#endif
}

// The SSE2 colour conversion against the tables, for every colour, in rows
// whose lengths leave tails of every size to the plain code; the conversion of
// both at once against the two apart.
TEST(JpegEncoder, Sse2ColourConversionEqualsTheTables)
{
#if defined(__SSE2__)
    std::vector<uint8_t> rgb(65536 * 3);
    std::vector<int16_t> plain(65536 * 2), sse2(65536 * 2), luma(65536), both(65536 * 3);
    for (int red = 0; red < 256; ++red) {
        for (int i = 0; i < 65536; ++i) {
            rgb[3 * i] = static_cast<uint8_t>(red);
            rgb[3 * i + 1] = static_cast<uint8_t>(i >> 8);
            rgb[3 * i + 2] = static_cast<uint8_t>(i);
        }
        // Exactly the pixels converted, so that AddressSanitizer sees a read past them.
        const int32_t count = 65536 - red % 19;
        const std::vector<uint8_t> row(rgb.begin(), rgb.begin() + 3 * count);
        ConvertLumaRowPortable(row.data(), count, plain.data());
        ConvertLumaRowSse2(row.data(), count, sse2.data());
        ASSERT_EQ(0, std::memcmp(plain.data(), sse2.data(), count * sizeof(int16_t))) << red;
        for (int32_t step : {1, 2}) {
            const int32_t columns = (count + step - 1) / step;
            const std::vector<uint8_t> used(rgb.begin(), rgb.begin() + 3 * ((columns - 1) * step + 1));
            ConvertChromaRowPortable(used.data(), columns, step, plain.data(), plain.data() + 65536);
            ConvertChromaRowSse2(used.data(), columns, step, sse2.data(), sse2.data() + 65536);
            ASSERT_EQ(plain, sse2) << red << " step " << step;

            ConvertLumaRowPortable(row.data(), count, luma.data());
            std::fill(both.begin(), both.end(), int16_t{-999});
            ConvertRowSse2(row.data(), count, step, both.data(), both.data() + 65536, both.data() + 131072);
            ASSERT_EQ(0, std::memcmp(luma.data(), both.data(), count * sizeof(int16_t))) << red;
            ASSERT_EQ(0, std::memcmp(plain.data(), both.data() + 65536, columns * sizeof(int16_t))) << red;
            ASSERT_EQ(0, std::memcmp(plain.data() + 65536, both.data() + 131072, columns * sizeof(int16_t))) << red;
            // Nothing is written past the chroma of the last pixel taken.
            if (columns < 65536) {
                ASSERT_EQ(-999, both[65536 + columns]) << red;
            }
        }
    }
#else
    GTEST_SKIP() << "no SSE2 path in this build";
#endif
}

TEST(JpegEncoder, RoundTripsThroughOurDecoder)
{
    Pipeline pipeline;
    for (int level = 1; level <= 5; ++level)
        for (int channels : {1, 3}) {
            SCOPED_TRACE(testing::Message() << "level " << level << " channels " << channels);
            const Pixels source = MakePicture(45, 37, channels, 3, 0);
            int32_t error = -1;
            const std::vector<uint8_t> file = Encode(pipeline, source, level, &error);
            ASSERT_EQ(0, error);
            const Decoded back = Decode(pipeline, file);
            ASSERT_EQ(0, back.error);
            EXPECT_GE(Psnr(source, back.pixels), 30.0);
        }
}

namespace {

// Offsets of the segments up to SOS, and where the entropy-coded data starts.
struct Layout {
    std::vector<std::pair<uint32_t, size_t>> segments;  // marker, offset of the marker
    size_t scanData = 0;
};

Layout LayoutOf(const std::vector<uint8_t>& file)
{
    Layout layout;
    size_t at = 2;
    while (at + 4 <= file.size()) {
        const uint32_t marker = file[at] << 8 | file[at + 1];
        layout.segments.push_back({marker, at});
        at += 2 + (file[at + 2] << 8 | file[at + 3]);
        if (marker == 0xFFDA)
            break;
    }
    layout.scanData = at;
    return layout;
}

} // namespace

TEST(JpegEncoder, HeadersOfColourAndGreyAndTheLevelFiveTables)
{
    Pipeline pipeline;
    const std::vector<uint8_t> color = Encode(pipeline, MakePhoto(20, 20, 3, 1), 5);
    const std::vector<uint8_t> grey = Encode(pipeline, MakePhoto(20, 20, 1, 1), 5);
    EXPECT_EQ(2u + 587, LayoutOf(color).scanData);
    EXPECT_EQ(2u + 304, LayoutOf(grey).scanData);
    // DQT: both tables of level 5 are all ones.
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_EQ(1, color[2 + 5 + i]);
        EXPECT_EQ(1, color[2 + 5 + 65 + i]);
    }
    // SOF0 sampling of the luminance component per level.
    const uint8_t sampling[5] = {0x22, 0x21, 0x21, 0x11, 0x11};
    for (int level = 1; level <= 5; ++level) {
        const std::vector<uint8_t> file = Encode(pipeline, MakePhoto(17, 9, 3, 1), level);
        const Layout layout = LayoutOf(file);
        ASSERT_EQ(0xFFC0u, layout.segments[1].first);
        EXPECT_EQ(sampling[level - 1], file[layout.segments[1].second + 11]) << level;
    }
}

TEST(JpegEncoder, RefusesWhatItCannotEncode)
{
    Pipeline pipeline;
    struct Case {
        const char* name;
        int32_t colorSpace, width, height, level;
    } cases[] = {
        {"16-bit RGB", 33, 8, 8, 3}, {"level 0", 32, 8, 8, 0}, {"level 6", 32, 8, 8, 6},
        {"width 0", 32, 0, 8, 3},    {"too wide", 2, 65536, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IVorlatImage* image = pipeline.NewImage();
        ASSERT_EQ(0, Cause(image->SetColorSpace(c.colorSpace)));
        ASSERT_EQ(0, Cause(image->SetSize(c.width, c.height)));
        Memory out(std::vector<uint8_t>(4096, 0), false);
        CJpegEncoder encoder(out.get());
        EXPECT_EQ(kErrBadArgument, Cause(encoder.Begin(image, c.level)));
        image->Destroy();
    }
}

TEST(JpegEncoder, BandsOf128RowsAndTheEdgesOfTheImage)
{
    Pipeline pipeline;
    const Pixels source = MakePhoto(17, 300, 3, 4);
    IVorlatImage* image = pipeline.ImageOf(source);
    Memory out(std::vector<uint8_t>(1 << 20, 0), false);
    CJpegEncoder encoder(out.get());
    ASSERT_EQ(0, Cause(encoder.WriteStartOfImage()));
    ASSERT_EQ(0, Cause(encoder.Begin(image, 2)));
    std::vector<int32_t> done;
    while (!encoder.IsFinished()) {
        ASSERT_EQ(0, Cause(encoder.Execute()));
        int32_t rows = 0, total = 0;
        encoder.GetProgress(&rows, &total);
        EXPECT_EQ(300, total);
        done.push_back(rows);
    }
    EXPECT_EQ((std::vector<int32_t>{128, 256, 300}), done);
    image->Destroy();
    const std::vector<uint8_t> file = out.Written();
    EXPECT_EQ(0xFF, file[file.size() - 2]);
    EXPECT_EQ(0xD9, file[file.size() - 1]);
    const Decoded back = Decode(pipeline, file);
    ASSERT_EQ(0, back.error);
    // The second MCU of each row repeats column 16, so the last real column comes back well.
    double error = 0;
    for (int32_t y = 0; y < 300; ++y)
        error += std::abs(static_cast<int32_t>(source.At(16, y, 1)) - back.pixels.At(16, y, 1));
    EXPECT_LT(error / 300, 4.0);

    // One pixel at level 1: four luminance and two chroma blocks all from it.
    Pixels dot{1, 1, 3, {200, 40, 90}};
    const Decoded one = Decode(pipeline, Encode(pipeline, dot, 1));
    ASSERT_EQ(0, one.error);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(dot.data[static_cast<size_t>(c)], one.pixels.data[static_cast<size_t>(c)], 6);
}

TEST(JpegEncoder, EveryFFInTheScanIsStuffedEvenOnNoiseAtLevelFive)
{
    Pipeline pipeline;
    // Noise at level 5 needs more than 1.5 bytes per sample: the buffer is flushed as it fills.
    Pixels noise{160, 150, 1, std::vector<uint8_t>(160 * 150)};
    uint32_t state = 99;
    for (uint8_t& v : noise.data)
        v = static_cast<uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
    int32_t error = -1;
    const std::vector<uint8_t> file = Encode(pipeline, noise, 5, &error);
    ASSERT_EQ(0, error);
    EXPECT_GT(file.size(), noise.data.size() * 3 / 2);
    const Layout layout = LayoutOf(file);
    for (size_t i = layout.scanData; i + 2 < file.size(); ++i) {
        if (file[i] == 0xFF) {
            ASSERT_EQ(0, file[i + 1]) << "at " << i;
        }
    }
    const Decoded back = Decode(pipeline, file);
    ASSERT_EQ(0, back.error);
    EXPECT_GE(Psnr(noise, back.pixels), 38.0);
}

namespace {

// FNV-1a over the bytes: the encoder's output is pinned byte for byte.
uint64_t Fingerprint(const std::vector<uint8_t>& bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

Pixels MakeNoise(int32_t width, int32_t height, int32_t channels, uint32_t seed)
{
    Pixels p{width, height, channels, std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
    for (uint8_t& v : p.data)
        v = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    return p;
}

// Extremes that drive the transforms and quantisers to their largest values:
// pixel checkerboards, 8 x 8 blocks alternating black and white, stripes.
Pixels MakeExtremes(int32_t width, int32_t height, int32_t channels)
{
    Pixels p{width, height, channels, std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < channels; ++c) {
                bool on = false;
                switch ((x / 24 + y / 16 + c) % 4) {
                case 0: on = ((x + y) & 1) != 0; break;
                case 1: on = ((x / 8 + y / 8) & 1) != 0; break;
                case 2: on = (x & 1) != 0; break;
                default: on = ((y / 2 + x / 4) & 1) != 0; break;
                }
                p.At(x, y, c) = on ? 255 : 0;
            }
    return p;
}

} // namespace

// Fingerprints of the bytes written at levels 1 to 5, taken from the plain
// encoder before it was made faster; every faster path must keep them.
TEST(JpegEncoder, WritesTheSameBytesAsEver)
{
    Pipeline pipeline;
    struct Case {
        const char* name;
        Pixels pixels;
        uint64_t expected[5];
    };
    const Case cases[] = {
        {"photo colour 45x37", MakePhoto(45, 37, 3, 1),
         {0xdc2dcbbceef38048ull, 0x84e889fc89b6f05full, 0x2654ef843e8d1c25ull,
          0xeb09ce961520e50cull, 0xf2fd0e13e3267da5ull}},
        {"photo grey 45x37", MakePhoto(45, 37, 1, 2),
         {0x7e1783cbad65223eull, 0x1b2b749730939fbdull, 0x0f5a16e75c5b9fc0ull,
          0xeaf35d8c430df166ull, 0xda21f22f6c753604ull}},
        {"colour 1x1", MakePicture(1, 1, 3, 3),
         {0x111e76b284486df7ull, 0xd9a4afa1788fdbceull, 0x8e2b4d0525e6fd33ull,
          0x829b264a8b26362aull, 0x25245d0c8b42d819ull}},
        {"colour 17x9", MakePicture(17, 9, 3, 4),
         {0x97d2bd12b1bd392cull, 0x7a83c058514be28full, 0x86b89963f876b09aull,
          0x0be20508a4c0048full, 0x7c00f5a25261ce96ull}},
        {"noisy colour 150x140", MakePicture(150, 140, 3, 5, 40),
         {0xd650212727d3b012ull, 0xba02b9b6e63f3cfdull, 0x9333261de3b8dac3ull,
          0x878a5b723a5fcd1eull, 0x1a0693f1864d6161ull}},
        {"noisy grey 131x133", MakePicture(131, 133, 1, 6, 40),
         {0xcf881bdd72b39cdaull, 0x24f0a3ab6602da1cull, 0x905c84a3e1023e96ull,
          0x2c2990868a4eb3dcull, 0x83b96421577662a5ull}},
        {"noise colour 64x48", MakeNoise(64, 48, 3, 7),
         {0x17af25f9a25f0458ull, 0x817b9300a79dfbdbull, 0x0b575be1e3237ab0ull,
          0x75a1e6826f6998cfull, 0xfb728be2ee26986aull}},
        {"noise grey 33x20", MakeNoise(33, 20, 1, 8),
         {0x86a3d793c255d8d8ull, 0x1918c14a6f10737aull, 0xfc09eb6d6e8325f4ull,
          0x2f5eae1554207297ull, 0x639256a67d4993b1ull}},
        {"extremes colour 97x66", MakeExtremes(97, 66, 3),
         {0x9eb2672f40e541e1ull, 0x22e595e1e895360dull, 0xe327615726a156a0ull,
          0x64bf2af8e504496cull, 0xf11e0c9758442d8dull}},
        {"extremes grey 96x64", MakeExtremes(96, 64, 1),
         {0xb9b59b32e291c05bull, 0x3dcb26f886832524ull, 0x53ab63bd76956feaull,
          0x7ab033b2401532beull, 0x30aad125d71efce6ull}},
        // Several bands, a short last one, and more bytes than one write buffer holds.
        {"noise colour 517x300", MakeNoise(517, 300, 3, 9),
         {0x32b2aafb7219b0bcull, 0xfb4a76054db0edcfull, 0x78ae3d290b6a94c3ull,
          0x4139efd24b95ff30ull, 0x38cc77d7a7cfddbcull}},
        {"noisy grey 1203x261", MakePicture(1203, 261, 1, 10, 40),
         {0xfd92f5fecf330b30ull, 0x5269e6234cb5b4aeull, 0x0c0dbaebe220122eull,
          0x3c4ff473b90f8fa9ull, 0xe61717584bbb09f2ull}},
        {"photo colour 2001x140", MakePhoto(2001, 140, 3, 11),
         {0x656a4a37d81cb182ull, 0xbd54da591368a1efull, 0x60de9108810d1acaull,
          0xba99a9579d3df7dfull, 0x76e6850905fe3065ull}},
    };
    for (const Case& c : cases)
        for (int level = 1; level <= 5; ++level) {
            SCOPED_TRACE(testing::Message() << c.name << " level " << level);
            int32_t error = -1;
            const std::vector<uint8_t> file = Encode(pipeline, c.pixels, level, &error);
            ASSERT_EQ(0, error);
            EXPECT_EQ(c.expected[level - 1], Fingerprint(file));
        }
}
