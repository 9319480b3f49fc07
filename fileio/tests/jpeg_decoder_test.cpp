#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"
#include "fileio/tests/jpeg_test_util.h"

using namespace jpeg_test;
using namespace quarnite;

TEST(JpegDecoder, RangeLimitClampsAndWraps)
{
    EXPECT_EQ(RangeLimitTable[(-200 + 128) & 1023], 0);
    EXPECT_EQ(RangeLimitTable[(300 + 128) & 1023], 255);
    EXPECT_EQ(RangeLimitTable[(0 + 128) & 1023], 128);
}

#include <fstream>
#include <iterator>

#include "fileio/jpeg_huffman.h"

namespace {

std::vector<uint8_t> ReadTestFile(const char* name)
{
    std::ifstream in(std::string(TESS_TESTDATA_DIR) + "/jpeg/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Symbol that a bit string ("0110") decodes to by walking the tree.
uint32_t Walk(const JpegHuffmanTree& tree, const char* bits)
{
    uint32_t node = JpegHuffmanTree::kRoot;
    for (const char* b = bits; *b && node >= JpegHuffmanTree::kRoot; ++b)
        node = tree.Child(node, *b == '1');
    return node;
}

// An 8 x 8 grey file with quantisers of 1, a DC table of the one code "0"
// (size 0) and the AC codes "0" EOB, "10" ZRL, "110" run 0 size 1, around the given entropy bytes.
std::vector<uint8_t> TinyGreyFile(const std::vector<uint8_t>& entropy)
{
    const uint8_t head[] = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
    std::vector<uint8_t> file;
    file.reserve(256 + entropy.size());
    file.insert(file.end(), head, head + sizeof head);
    file.insert(file.end(), 64, 1);
    const uint8_t rest[] = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00,
                            0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00,
                            0xFF, 0xC4, 0x00, 0x16, 0x10, 0x01, 0x01, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            0x00, 0xF0, 0x01,
                            0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};
    file.insert(file.end(), rest, rest + sizeof rest);
    file.insert(file.end(), entropy.begin(), entropy.end());
    file.insert(file.end(), {0xFF, 0xD9});
    return file;
}

} // namespace

TEST(JpegHuffman, CanonicalCodesAndSymbolOneForUnusedStrings)
{
    const uint8_t counts[16] = {0, 2, 1};
    const uint8_t symbols[3] = {0x41, 0x42, 0x43};
    JpegHuffmanTree tree;
    ASSERT_TRUE(tree.Build(counts, symbols, 3));
    EXPECT_EQ(0x41u, Walk(tree, "00"));
    EXPECT_EQ(0x42u, Walk(tree, "01"));
    EXPECT_EQ(0x43u, Walk(tree, "100"));
    EXPECT_EQ(1u, Walk(tree, "101"));  // no code: the filler symbol
    EXPECT_EQ(1u, Walk(tree, "11"));
    // The lookup table agrees with the walk.
    const uint32_t entry = tree.Lookup(0x100);  // "0100000000"
    EXPECT_TRUE(entry & JpegHuffmanTree::kLeaf);
    EXPECT_EQ(0x42u, entry & 0xFF);
    EXPECT_EQ(2u, (entry >> 16) & 0xFF);
    const uint8_t none[16] = {};
    EXPECT_FALSE(tree.Build(none, symbols, 0));
}

TEST(JpegDecoder, ZeroRunsEndOfBlockAndTheCoefficientPositions)
{
    Pipeline pipeline;
    // DC "0"; AC "10" "10" (two runs of 16), "110" and value bit "1" (+1 at zigzag 33), "0" end; 1-bits fill the byte.
    const Decoded runs = Decode(pipeline, TinyGreyFile({0x56, 0xBF}));
    ASSERT_EQ(0, runs.error);
    int32_t block[64] = {};
    block[NaturalOrderTable[33]] = 1;
    const uint32_t ones[64] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                               1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                               1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    InverseDct8x8(block, ones, 1);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(RangeLimitTable[(block[i] + 128) & 1023], runs.pixels.data[static_cast<size_t>(i)]) << i;

    // DC "0", then end of block at k = 1: every AC coefficient is 0 and the block is flat.
    const Decoded flat = Decode(pipeline, TinyGreyFile({0x3F}));
    ASSERT_EQ(0, flat.error);
    EXPECT_EQ(std::vector<uint8_t>(64, 128), flat.pixels.data);

    // Data that ends before the block does is a read past the end, not a guess.
    std::vector<uint8_t> cut = TinyGreyFile({0x56});
    cut.erase(cut.end() - 2, cut.end());  // drops EOI
    EXPECT_EQ(1103, Decode(pipeline, cut).error);
}

TEST(JpegDecoder, InverseDctOfADcTermAndTheReducedScales)
{
    const uint32_t quant[64] = {16, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                1,  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                1,  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (int32_t scale : {1, 2, 4, 8}) {
        SCOPED_TRACE(scale);
        int32_t block[64] = {};
        block[0] = 10;  // 160 after dequantisation: every sample 20
        if (scale <= 2)
            InverseDct8x8(block, quant, scale);
        else
            InverseDctReduced(block, quant, scale);
        const int n = 8 / scale;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                EXPECT_EQ(20, block[y * 8 + x]);
    }
    // Huge coefficients of corrupt data neither overflow nor leave the 18 bits the range limit reads.
    int32_t wild[64];
    for (int i = 0; i < 64; ++i)
        wild[i] = (i % 2 ? 32767 : -32768);
    const uint32_t big[64] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                              255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                              255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                              255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    InverseDct8x8(wild, big, 1);
    for (int i = 0; i < 64; ++i)
        EXPECT_LT(std::abs(wild[i]), 1 << 17);
}

// A reduced decode rounds each size down but keeps at least one pixel, and
// that pixel shows the picture.
TEST(JpegDecoder, ReducedSizesAreAtLeastOnePixel)
{
    const struct {
        int32_t width, height;
    } sizes[] = {{1, 1}, {1000, 1}, {1, 1000}, {7, 9}, {17, 15}};
    const uint8_t colour[3] = {90, 160, 210};
    Pipeline pipeline;
    for (int32_t channels : {1, 3})
        for (const auto& size : sizes) {
            Pixels flat{size.width, size.height, channels, {}};
            for (int32_t i = 0; i < size.width * size.height; ++i)
                flat.data.insert(flat.data.end(), colour, colour + channels);
            const std::vector<uint8_t> file = Encode(pipeline, flat, 4);
            for (int32_t scale : {2, 4, 8}) {
                SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << " channels " << channels
                                                << " 1/" << scale);
                const Decoded d = Decode(pipeline, file, scale);
                ASSERT_EQ(0, d.error);
                EXPECT_EQ(std::max(1, size.width / scale), d.pixels.width);
                EXPECT_EQ(std::max(1, size.height / scale), d.pixels.height);
                ASSERT_FALSE(d.pixels.data.empty());
                int32_t most = 0;
                for (size_t i = 0; i < d.pixels.data.size(); ++i)
                    most = std::max(most, std::abs(d.pixels.data[i] - colour[i % channels]));
                EXPECT_LE(most, 3);
            }
        }
}

TEST(JpegDecoder, RestartMarkersInAnyOrderDecodeAndAMissingOneIsAnError)
{
    Pipeline pipeline;
    const std::vector<uint8_t> file = ReadTestFile("restart_rows.jpg");
    ASSERT_FALSE(file.empty());
    const Decoded normal = Decode(pipeline, file);
    ASSERT_EQ(0, normal.error);
    ASSERT_EQ(600, normal.pixels.height);

    // All restart markers numbered 0: the number is not checked.
    std::vector<uint8_t> renumbered = file;
    std::vector<size_t> markers;
    for (size_t i = 2; i + 1 < renumbered.size(); ++i)
        if (renumbered[i] == 0xFF && renumbered[i + 1] >= 0xD0 && renumbered[i + 1] <= 0xD7) {
            renumbered[i + 1] = 0xD0;
            markers.push_back(i);
        }
    ASSERT_GT(markers.size(), 10u);
    const Decoded any = Decode(pipeline, renumbered);
    ASSERT_EQ(0, any.error);
    EXPECT_EQ(0, MaxDifference(normal.pixels, any.pixels));

    std::vector<uint8_t> missing = file;
    missing.erase(missing.begin() + static_cast<std::ptrdiff_t>(markers[3]),
                  missing.begin() + static_cast<std::ptrdiff_t>(markers[3]) + 2);
    EXPECT_EQ(kErrJpegRestartMarker, Decode(pipeline, missing).error);
}

TEST(JpegDecoder, OnDemandRowsResumeAfterRestartMarkers)
{
    Pipeline pipeline;
    const std::vector<uint8_t> file = ReadTestFile("restart_rows.jpg");
    const Decoded whole = Decode(pipeline, file);
    ASSERT_EQ(0, whole.error);
    Memory in(file);
    CJpegDecoder decoder(in.get());
    IVorlatImage* image = pipeline.NewImage();
    ASSERT_EQ(0, Cause(decoder.BeginDecode(image, 1)));
    ASSERT_EQ(5u, decoder.RestartInterval());  // one MCU row of the 40-pixel width
    int32_t tile = 0;
    ASSERT_EQ(0, Cause(image->GetTileSize(&tile)));
    ASSERT_EQ(0, Cause(decoder.LoadTileRow(0)));
    const int32_t rows = (600 + tile - 1) / tile;
    for (int32_t n = rows - 1; n >= 0; --n) {
        std::vector<uint8_t> blank(40 * 600, 7);
        const RECT all = {0, 0, 40, 600};
        ASSERT_EQ(0, Cause(image->SetData(blank.data(), 40, all)));
        ASSERT_EQ(0, Cause(decoder.LoadTileRow(n)));
        const Pixels now = Pipeline::PixelsOf(image);
        for (int32_t y = n * tile; y < std::min(600, (n + 1) * tile); ++y)
            ASSERT_EQ(whole.pixels.At(3, y), now.At(3, y)) << "tile row " << n << " row " << y;
    }
    image->Destroy();
}

namespace {

// Every quantiser the corpus uses: the encoder's five levels, all ones, all 255
// (the largest of an 8-bit table) and random ones.
std::vector<std::vector<uint32_t>> CorpusQuantisers()
{
    std::vector<std::vector<uint32_t>> tables;
    for (int level = 1; level <= 5; ++level)
        for (const uint8_t* table : {CJpegEncoder::LuminanceTable(level), CJpegEncoder::ChrominanceTable(level)})
            tables.emplace_back(table, table + 64);
    tables.emplace_back(64, 255);
    uint32_t state = 7;
    for (int t = 0; t < 4; ++t) {
        tables.emplace_back(64);
        for (uint32_t& q : tables.back())
            q = ((state = state * 1664525u + 1013904223u) >> 24) % 255 + 1;
    }
    return tables;
}

struct IdctTally {
    int64_t blocks = 0;
    int64_t sse2 = 0;
};

// The block through both transforms at scales 1 and 2; the SSE2 one either
// gives the plain results or declines and leaves the block as it was.
void CheckIdct(const int32_t* coefficients, const uint32_t* quant, IdctTally& tally)
{
#if defined(__SSE2__)
    for (int32_t scale : {1, 2}) {
        int32_t plain[64], sse2[64];
        std::memcpy(plain, coefficients, sizeof plain);
        std::memcpy(sse2, coefficients, sizeof sse2);
        InverseDct8x8Portable(plain, quant, scale);
        ++tally.blocks;
        if (InverseDct8x8Sse2(sse2, quant, scale)) {
            ++tally.sse2;
            ASSERT_EQ(0, std::memcmp(plain, sse2, sizeof plain)) << "block " << tally.blocks << " scale " << scale;
        } else {
            ASSERT_EQ(0, std::memcmp(coefficients, sse2, sizeof sse2)) << "block " << tally.blocks << " scale " << scale;
        }
    }
#else
    (void)coefficients, (void)quant, (void)tally;
#endif
}

} // namespace

// Random blocks of every density and size of coefficient, the largest legal
// values (DC 2047, AC 1023, with a 255 quantiser) in the signs of each basis
// function, and the 16-bit extremes of corrupt data.
TEST(JpegDecoder, Sse2InverseDctEqualsThePlainOneOnRandomAndExtremeBlocks)
{
#if defined(__SSE2__)
    const std::vector<std::vector<uint32_t>> tables = CorpusQuantisers();
    uint32_t state = 1;
    auto next = [&] { return (state = state * 1664525u + 1013904223u) >> 8; };
    IdctTally tally;
    const int32_t magnitudes[] = {1, 4, 16, 64, 256, 1023, 2047, 32767};
    for (int trial = 0; trial < 40000; ++trial) {
        int32_t block[64] = {};
        const int32_t limit = magnitudes[trial % 8];
        const int count = 1 + static_cast<int>(next() % 64);
        for (int k = 0; k < count; ++k)
            block[next() % 64] = static_cast<int32_t>(next() % (2 * limit + 1)) - limit;
        for (const std::vector<uint32_t>& quant : tables)
            ASSERT_NO_FATAL_FAILURE(CheckIdct(block, quant.data(), tally));
    }
    for (int u = 0; u < 8; ++u)
        for (int v = 0; v < 8; ++v)
            for (int32_t largest : {1023, 2047, 32767}) {
                int32_t block[64];
                for (int i = 0; i < 64; ++i) {
                    const double basis = std::cos((2 * (i / 8) + 1) * v * 3.14159265 / 16) *
                                         std::cos((2 * (i % 8) + 1) * u * 3.14159265 / 16);
                    block[i] = (basis >= 0 ? 1 : -1) * (i == 0 ? std::max(largest, 2047) : largest);
                }
                block[0] = std::min(block[0], 32767);
                for (const std::vector<uint32_t>& quant : tables)
                    ASSERT_NO_FATAL_FAILURE(CheckIdct(block, quant.data(), tally));
                block[0] = -32768;
                for (const std::vector<uint32_t>& quant : tables)
                    ASSERT_NO_FATAL_FAILURE(CheckIdct(block, quant.data(), tally));
            }
    // The bound lets most of these through; the extremes go the plain way.
    EXPECT_GT(tally.sse2, tally.blocks / 4);
    EXPECT_LT(tally.sse2, tally.blocks);
#else
    GTEST_SKIP() << "no SSE2 path in this build";
#endif
}

// The coefficients that the encoder writes for photographs, noise and hard
// edges at every level: every such block takes the SSE2 path, with the plain results.
TEST(JpegDecoder, Sse2InverseDctTakesEveryBlockOfRealPictures)
{
#if defined(__SSE2__)
    IdctTally tally;
    std::vector<Pixels> pictures = {MakePhoto(96, 64, 1, 3), MakePicture(96, 64, 1, 5, 120), MakePicture(96, 64, 1, 9, 0)};
    Pixels edges{96, 64, 1, std::vector<uint8_t>(96 * 64)};
    for (int32_t i = 0; i < 96 * 64; ++i)
        edges.data[static_cast<size_t>(i)] = ((i % 96) / 3 + (i / 96) / 5) % 2 ? 255 : 0;
    pictures.push_back(edges);
    for (int level = 1; level <= 5; ++level)
        for (const uint8_t* table : {CJpegEncoder::LuminanceTable(level), CJpegEncoder::ChrominanceTable(level)}) {
            uint32_t multipliers[64], quant[64];
            for (int i = 0; i < 64; ++i) {
                multipliers[i] = level == 5 ? 8192 : QuantMultiplier(table[i], i / 8, i % 8);
                quant[i] = table[i];
            }
            JpegQuantizer quantizer;
            quantizer.Set(multipliers);
            for (const Pixels& picture : pictures)
                for (int32_t by = 0; by + 8 <= picture.height; by += 8)
                    for (int32_t bx = 0; bx + 8 <= picture.width; bx += 4) {
                        int16_t samples[64], coefficients[64];
                        for (int i = 0; i < 64; ++i)
                            samples[i] = static_cast<int16_t>(picture.At(bx + i % 8, by + i / 8) - 128);
                        TransformBlockPortable(samples, 8, level == 5, quantizer, coefficients);
                        int32_t block[64];
                        for (int i = 0; i < 64; ++i)
                            block[i] = coefficients[i];
                        ASSERT_NO_FATAL_FAILURE(CheckIdct(block, quant, tally));
                    }
        }
    EXPECT_EQ(tally.blocks, tally.sse2);
    EXPECT_GT(tally.blocks, 5000);
#else
    GTEST_SKIP() << "no SSE2 path in this build";
#endif
}

namespace {

// The decoder's colour rule as written: R = clamp((Y + 128) 256 + 359 Cr + 128),
// G = clamp((Y + 128) 256 - 88 Cb - 183 Cr + 128), B = clamp((Y + 128) 256 + 454 Cb + 128),
// clamp(x) = RangeLimitTable[(x >> 8) & 1023].
void ColourByRule(int32_t y, int32_t cb, int32_t cr, uint8_t* rgb)
{
    const int64_t base = (static_cast<int64_t>(y) + 128) * 256;
    rgb[0] = RangeLimitTable[((base + 359 * cr + 128) >> 8) & 1023];
    rgb[1] = RangeLimitTable[((base - 88 * cb - 183 * cr + 128) >> 8) & 1023];
    rgb[2] = RangeLimitTable[((base + 454 * cb + 128) >> 8) & 1023];
}

} // namespace

// Every colour (Y, Cb, Cr from -128 to 127) through the plain and the SSE2
// conversion against the rule as written; then the 18-bit samples that
// corrupt data can give, rows of every tail length and both chroma steps, and
// every grey sample of the 18 bits.
TEST(JpegDecoder, ColourConversionFollowsTheRuleForEveryColourOnBothPaths)
{
    std::vector<int32_t> cb(256), cr(256), luma(256);
    std::vector<int16_t> terms(3 * 256), sse2Terms(3 * 256);
    std::vector<uint8_t> rule(3 * 256), plain(3 * 256), sse2(3 * 256);
    for (int32_t i = 0; i < 256; ++i)
        cb[static_cast<size_t>(i)] = i - 128;
    for (int32_t v = -128; v < 128; ++v) {
        std::fill(cr.begin(), cr.end(), v);
        ChromaTermsPortable(cb.data(), cr.data(), 256, &terms[0], &terms[256], &terms[512]);
#if defined(__SSE2__)
        ChromaTermsSse2(cb.data(), cr.data(), 256, &sse2Terms[0], &sse2Terms[256], &sse2Terms[512]);
        ASSERT_EQ(terms, sse2Terms) << "Cr " << v;
#endif
        for (int32_t y = -128; y < 128; ++y) {
            std::fill(luma.begin(), luma.end(), y);
            for (int32_t i = 0; i < 256; ++i)
                ColourByRule(y, i - 128, v, &rule[3 * static_cast<size_t>(i)]);
            ColorRowPortable(luma.data(), &terms[0], &terms[256], &terms[512], 256, 1, plain.data());
            ASSERT_EQ(rule, plain) << "Y " << y << " Cr " << v;
#if defined(__SSE2__)
            ColorRowSse2(luma.data(), &terms[0], &terms[256], &terms[512], 256, 1, sse2.data());
            ASSERT_EQ(rule, sse2) << "Y " << y << " Cr " << v;
#endif
        }
    }

    uint32_t state = 3;
    auto wide = [&] {
        const int32_t edges[] = {-131072, 131071, -8193, 8192, -129, 128, 0, 383, -385};
        state = state * 1664525u + 1013904223u;
        return state >> 28 < 4 ? edges[(state >> 8) % 9] : static_cast<int32_t>((state >> 6) % 262144) - 131072;
    };
    for (int trial = 0; trial < 4000; ++trial) {
        const int32_t count = trial % 41, step = 1 + trial % 2;
        std::vector<int32_t> y(64), b(64), r(64);
        for (size_t i = 0; i < 64; ++i)
            y[i] = wide(), b[i] = wide(), r[i] = wide();
        std::vector<int16_t> t1(3 * 64), t2(3 * 64);
        ChromaTermsPortable(b.data(), r.data(), count, &t1[0], &t1[64], &t1[128]);
        // Exactly the bytes of the row, so that AddressSanitizer sees a write past them.
        std::vector<uint8_t> expected(static_cast<size_t>(3 * count)), out1(expected.size()), out2(expected.size());
        for (int32_t x = 0; x < count; ++x)
            ColourByRule(y[static_cast<size_t>(x)], b[static_cast<size_t>(x / step)], r[static_cast<size_t>(x / step)],
                         &expected[3 * static_cast<size_t>(x)]);
        ColorRowPortable(y.data(), &t1[0], &t1[64], &t1[128], count, step, out1.data());
        ASSERT_EQ(expected, out1) << trial;
#if defined(__SSE2__)
        ChromaTermsSse2(b.data(), r.data(), count, &t2[0], &t2[64], &t2[128]);
        ASSERT_EQ(t1, t2) << trial;
        ColorRowSse2(y.data(), &t1[0], &t1[64], &t1[128], count, step, out2.data());
        ASSERT_EQ(expected, out2) << trial;
#endif
    }

    std::vector<int32_t> grey(262144 + 13);
    std::vector<uint8_t> greyRule(grey.size()), greyPlain(grey.size()), greySse2(grey.size());
    for (size_t i = 0; i < grey.size(); ++i) {
        grey[i] = static_cast<int32_t>(i) - 131072;
        greyRule[i] = RangeLimitTable[(grey[i] + 128) & 1023];
    }
    GreyRowPortable(grey.data(), static_cast<int32_t>(grey.size()), greyPlain.data());
    EXPECT_EQ(greyRule, greyPlain);
#if defined(__SSE2__)
    GreyRowSse2(grey.data(), static_cast<int32_t>(grey.size()), greySse2.data());
    EXPECT_EQ(greyRule, greySse2);
#endif
}
