#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

using CS = CVorlatFilterColorSpace;

class ColorSpaceTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(16384); }
    void TearDown() override { manager->Destroy(); }
    IVorlatManager* manager = nullptr;
};

std::vector<uint8_t> Words(std::initializer_list<uint16_t> words)
{
    std::vector<uint8_t> out;
    for (uint16_t w : words) {
        out.push_back(static_cast<uint8_t>(w));
        out.push_back(static_cast<uint8_t>(w >> 8));
    }
    return out;
}

TEST_F(ColorSpaceTest, ConvertsOnePixelByTheRules)
{
    struct Case {
        int32_t in;
        std::vector<uint8_t> pixel;
        CS::eOutputColorSpace space;
        CS::eOutputBitDepth depth;
        int32_t out;
        std::vector<uint8_t> expected;
    } cases[] = {
        {2, {200}, CS::kKeepColorSpace, CS::k16Bits, 3, Words({51400})},
        {32, {255, 255, 255}, CS::kGrey, CS::k8Bits, 2, {255}},
        {32, {255, 0, 0}, CS::kGrey, CS::kKeepBitDepth, 2, {63}},
        {33, Words({65535, 65535, 65535}), CS::kGrey, CS::k8Bits, 2, {255}},
        {33, Words({65535, 65535, 65535}), CS::kGrey, CS::kKeepBitDepth, 3, Words({65535})},
        {3, Words({0x1234}), CS::kRGB, CS::k8Bits, 32, {0x12, 0x12, 0x12}},
        {32, {1, 2, 3}, CS::kKeepColorSpace, CS::k16Bits, 33, Words({257, 514, 771})},
        {33, Words({0x1234, 0x5678, 0x9ABC}), CS::kRGB, CS::k8Bits, 32, {0x12, 0x56, 0x9A}},
        {32, {10, 20, 30}, CS::kGrey, CS::k16Bits, 3, Words({(2 * 2570 + 5 * 5140 + 7710) / 8})},
    };
    for (const Case& c : cases) {
        IVorlatImage* source = MakeImage(manager, c.in, 1, 1, c.pixel);
        CS filter(manager);
        KOLVEX_OK(VorlatDataConnect(source, &filter));
        KOLVEX_OK(filter.SetOutputColorSpace(c.space, c.depth, false));
        int32_t out = 0;
        EXPECT_EQ(ReadAll(&filter, nullptr, nullptr, &out), c.expected) << c.in << "->" << c.out;
        EXPECT_EQ(out, c.out);
        source->Destroy();
    }
}

TEST_F(ColorSpaceTest, PassesThroughWhenNothingChanges)
{
    IVorlatImage* source = MakeImage(manager, 3, 2, 2, Pattern(8));
    CS filter(manager);
    KOLVEX_OK(VorlatDataConnect(source, &filter));
    KOLVEX_OK(filter.SetOutputColorSpace(CS::kGrey, CS::kKeepBitDepth, false));
    void* data = nullptr;
    KOLVEX_OK(filter.LockTile(&data, 0, 0, nullptr));
    KOLVEX_OK(filter.UnlockTile(0, 0));
    EXPECT_EQ(filter.DoColorSpaceFiltering(33), 3);
    EXPECT_EQ(filter.DoColorSpaceFiltering(34), 0);
    source->Destroy();
}

TEST_F(ColorSpaceTest, SourceLayoutChangeTellsDownstreamTheFiltersOwnCodes)
{
    IVorlatImage* source = MakeImage(manager, 32, 4, 4, Pattern(48));
    CS filter(manager);
    Recorder recorder;
    KOLVEX_OK(VorlatDataConnect(source, &filter));
    KOLVEX_OK(VorlatDataConnect(&filter, &recorder));
    // Grey 8 stays grey 8: only the pixels changed.
    KOLVEX_OK(filter.SetOutputColorSpace(CS::kGrey, CS::k8Bits, false));
    KOLVEX_OK(source->SetColorSpace(33));
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].code, kVorlatNotifyDataChanged);
    // Grey at the source's depth: 33 -> 2 becomes grey 16 -> grey 8 for downstream.
    recorder.heard.clear();
    KOLVEX_OK(filter.SetOutputColorSpace(CS::kGrey, CS::kKeepBitDepth, false));
    KOLVEX_OK(source->SetColorSpace(32));
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].code, kVorlatNotifyColorSpace);
    EXPECT_EQ(recorder.heard[0].space.oldColorSpace, 3);
    EXPECT_EQ(recorder.heard[0].space.newColorSpace, 2);
    source->Destroy();
}

TEST_F(ColorSpaceTest, OtherSourceLayoutsFailWithTheSourceText)
{
    IVorlatImage* source = MakeImage(manager, 34, 4, 4, Pattern(64));
    CS filter(manager);
    KOLVEX_OK(VorlatDataConnect(source, &filter));
    KOLVEX_OK(filter.SetOutputColorSpace(CS::kRGB, CS::k8Bits, false));
    void* data = nullptr;
    EXPECT_EQ(DeepestText(filter.LockTile(&data, 0, 0, nullptr)), kKolvexBadSourceSpace);
    source->Destroy();
}

} // namespace
