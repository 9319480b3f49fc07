#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

using PixelPtr = CVorlatFilterBase::CPixelPtr;
using BitPtr = CVorlatFilterBase::CPixelBitPtr;

// Colour spaces of 1, 2 and 4 bits per pixel.
constexpr int32_t kOneBit = 1, kTwoBits = 17, kFourBits = 18;

// A reference copy, one bit at a time.
void CopyBitsSlowly(const uint8_t* src, int32_t srcBit, uint8_t* dst, int32_t dstBit, int32_t bits)
{
    for (int32_t i = 0; i < bits; ++i) {
        const int32_t s = srcBit + i, d = dstBit + i;
        const int bit = (src[s / 8] >> (7 - s % 8)) & 1;
        dst[d / 8] = static_cast<uint8_t>((dst[d / 8] & ~(1 << (7 - d % 8))) | (bit << (7 - d % 8)));
    }
}

TEST(PixelPtr, CopiesExactlyThePixelSizeOfEachDepth)
{
    struct Case {
        int32_t colorSpace, bytes;
    } cases[] = {{2, 1}, {3, 2}, {32, 3}, {34, 4}, {33, 6}, {0x10005, 5}};
    for (const Case& c : cases) {
        uint8_t src[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        uint8_t dst[8];
        std::memset(dst, 0xEE, sizeof dst);
        PixelPtr p(src, c.colorSpace, 100);
        p.CopyPixelTo(dst);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(dst[i], i < c.bytes ? src[i] : 0xEE) << c.colorSpace << " byte " << i;
        std::memset(dst, 0xEE, sizeof dst);
        PixelPtr(dst, c.colorSpace, 100).CopyPixelsFrom(src, 1);
        EXPECT_EQ(dst[c.bytes], 0xEE);
    }
}

TEST(PixelPtr, MovesByPixelsAndRows)
{
    uint8_t buffer[64] = {};
    PixelPtr p(buffer, 0, 32, 20);  // the second argument is not used
    EXPECT_EQ(p.OffsetX(2).GetPtr(), buffer + 6);
    EXPECT_EQ(p.Offset(1, 2).GetPtr(), buffer + 43);
    EXPECT_EQ(p.GetPtr(), buffer);
    p.IncY().IncX().DecX();
    EXPECT_EQ(p.GetPtr(), buffer + 20);
    EXPECT_TRUE(PixelPtr(buffer, 32, 20) < p);
}

TEST(PixelBitPtr, AlignsTheBitOffsetToThePixelSize)
{
    struct Case {
        int32_t colorSpace, offset, bit;
    } cases[] = {{kTwoBits, 7, 6}, {kFourBits, 12, 4}, {kOneBit, 5, 5}, {kFourBits, 3, 0}};
    uint8_t byte = 0;
    for (const Case& c : cases)
        EXPECT_EQ(BitPtr(&byte, c.offset, c.colorSpace, 1).GetBit(), c.bit) << c.colorSpace;
}

TEST(PixelBitPtr, StepsCrossByteBordersBothWays)
{
    uint8_t buffer[4] = {};
    BitPtr p(buffer + 1, 7, kOneBit, 4);
    p.IncX();
    EXPECT_EQ(p.GetPtr(), buffer + 2);
    EXPECT_EQ(p.GetBit(), 0);
    p.DecX();
    p.SetBit(0);
    p.DecX();
    EXPECT_EQ(p.GetPtr(), buffer);
    EXPECT_EQ(p.GetBit(), 7);
    BitPtr q(buffer + 1, 0, kTwoBits, 4);
    q.MoveX(-3);
    EXPECT_EQ(q.GetPtr(), buffer);
    EXPECT_EQ(q.GetBit(), 2);
    EXPECT_TRUE(BitPtr(buffer, 2, kTwoBits, 4) < BitPtr(buffer, 4, kTwoBits, 4));
}

TEST(PixelBitPtr, ReadsAndWritesOnePixelKeepingItsNeighbours)
{
    uint8_t byte = 0b10110100;
    BitPtr p(&byte, 2, kTwoBits, 1);
    EXPECT_EQ(p.GetPixel(), 0b11);
    p.SetPixel(0b01);
    EXPECT_EQ(byte, 0b10010100);
    uint8_t other = 0xFF;
    BitPtr q(&other, 4, kTwoBits, 1);
    p.CopyPixelTo(q);
    EXPECT_EQ(other, 0b11110111);
}

TEST(PixelBitPtr, RunCopiesAreBitExactAtAnyAlignment)
{
    struct Case {
        int32_t colorSpace, bitsPerPixel, srcBit, dstBit, pixels;
    } cases[] = {
        {kOneBit, 1, 3, 6, 5},    // unaligned, two target bytes touched
        {kOneBit, 1, 3, 3, 20},   // aligned: 5 bits, one whole byte, 7 bits
        {kTwoBits, 2, 2, 2, 9},   // aligned: 3 pixels, one byte, 2 pixels
        {kTwoBits, 2, 0, 6, 11},
        {kFourBits, 4, 4, 0, 7},
        {kFourBits, 4, 0, 4, 1},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> src = Pattern(8, static_cast<uint32_t>(c.pixels));
        std::vector<uint8_t> dst = Pattern(8, 99), expected = dst;
        CopyBitsSlowly(src.data(), c.srcBit, expected.data(), c.dstBit, c.pixels * c.bitsPerPixel);
        BitPtr from(const_cast<uint8_t*>(src.data()), c.srcBit, c.colorSpace, 8);
        BitPtr to(dst.data(), c.dstBit, c.colorSpace, 8);
        from.CopyPixelsTo(to, c.pixels);
        EXPECT_EQ(dst, expected) << c.colorSpace << " " << c.srcBit << "->" << c.dstBit;
    }
}

} // namespace
