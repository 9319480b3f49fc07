#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

class LutTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(16384); }
    void TearDown() override { manager->Destroy(); }
    IVorlatManager* manager = nullptr;
};

TEST_F(LutTest, DefaultTablesAreTheIdentity)
{
    const std::vector<uint8_t> pixels = Pattern(90 * 80 * 3);
    IVorlatImage* source = MakeImage(manager, 32, 90, 80, pixels);
    CVorlatFilterLut lut(manager);
    KOLVEX_OK(VorlatDataConnect(source, &lut));
    KOLVEX_OK(lut.SetLUT(nullptr, 8, 8, 3, false));
    int32_t inBits = 0, outBits = 0, count = 0;
    KOLVEX_OK(lut.GetLUTInfo(&inBits, &outBits, &count));
    EXPECT_EQ(inBits, 1);
    EXPECT_EQ(outBits, 1);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(ReadAll(&lut), pixels);
    source->Destroy();
}

TEST_F(LutTest, EightBitTablesReachSixteenBitPixelsByInterpolationAndReplication)
{
    // A table that inverts: entry k = 255 - k.
    std::vector<uint16_t> invert(256);
    for (int k = 0; k < 256; ++k)
        invert[k] = static_cast<uint16_t>(255 - k);
    const uint16_t* tables[] = {invert.data(), invert.data(), invert.data()};
    std::vector<uint8_t> packed;
    for (uint16_t w : {uint16_t{0}, uint16_t{0xFFFF}, uint16_t{0x8000}, uint16_t{257}, uint16_t{1}, uint16_t{0x1234}}) {
        packed.push_back(static_cast<uint8_t>(w));
        packed.push_back(static_cast<uint8_t>(w >> 8));
    }
    IVorlatImage* source = MakeImage(manager, 33, 2, 1, packed);
    CVorlatFilterLut lut(manager);
    KOLVEX_OK(VorlatDataConnect(source, &lut));
    KOLVEX_OK(lut.SetLUT(tables, 8, 8, 3, false));
    const std::vector<uint8_t> out = ReadAll(&lut);
    auto word = [&](int i) { return out[2 * i] | (out[2 * i + 1] << 8); };
    // 255 -> 65535 and 0 -> 0 by bit replication; between stored entries linear.
    EXPECT_EQ(word(0), 65535);
    EXPECT_EQ(word(1), 0);
    // Position 0x8000 * 255 / 65535 = 127.5: halfway between 128 and 127, replicated.
    EXPECT_EQ(word(2), (0x8080 + 0x7F7F) / 2);
    EXPECT_EQ(word(3), 0xFEFE);
    source->Destroy();
}

TEST_F(LutTest, TooFewTablesOrAnUnknownLayoutFailTheTile)
{
    std::vector<uint16_t> identity(256);
    for (int k = 0; k < 256; ++k)
        identity[k] = static_cast<uint16_t>(k);
    const uint16_t* tables[] = {identity.data()};
    struct Case {
        int32_t colorSpace;
        int32_t value;
    } cases[] = {{32, kVorlatErrState}, {38, kVorlatErrColorSpace}, {40, kVorlatErrColorSpace}};
    for (const Case& c : cases) {
        IVorlatImage* source = MakeImage(manager, c.colorSpace, 4, 4, Pattern(48));
        CVorlatFilterLut lut(manager);
        KOLVEX_OK(VorlatDataConnect(source, &lut));
        KOLVEX_OK(lut.SetLUT(tables, 8, 8, 1, false));
        void* data = nullptr;
        EXPECT_EQ(Deepest(lut.LockTile(&data, 0, 0, nullptr)), c.value) << c.colorSpace;
        source->Destroy();
    }
}

TEST_F(LutTest, FewerChannelsFreeTheRestAndBadSizesAreRefused)
{
    CVorlatFilterLut lut(manager);
    std::vector<uint16_t> t(16, 3);
    const uint16_t* four[] = {t.data(), t.data(), t.data(), t.data(), t.data()};
    KOLVEX_OK(lut.SetLUT(four, 4, 4, 4, false));
    KOLVEX_OK(lut.SetLUT(four, 4, 4, 2, false));
    int32_t count = 0;
    KOLVEX_OK(lut.GetLUTInfo(nullptr, nullptr, &count));
    EXPECT_EQ(count, 2);
    struct Case {
        int32_t inBits, outBits, count;
    } refused[] = {{4, 4, 5}, {17, 8, 1}, {8, 17, 1}, {8, 0, 1}, {-1, 8, 1}};
    for (const Case& c : refused)
        EXPECT_EQ(Deepest(lut.SetLUT(four, c.inBits, c.outBits, c.count, false)), kKolvexErrBadSetting);
    KOLVEX_OK(lut.GetLUTInfo(nullptr, nullptr, &count));
    EXPECT_EQ(count, 2);
    std::vector<uint16_t> back(16);
    uint16_t* outs[] = {back.data()};
    KOLVEX_OK(lut.GetLUT(outs, 4, 0, 1));
    EXPECT_EQ(back, t);
}

} // namespace
