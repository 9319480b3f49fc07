#include "kolvex_test_util.h"
#include "port/port.h"

using namespace kolvex_test;

namespace {

uint32_t g_now = 0;
uint32_t FakeTicks() { return g_now += 4; }

class HistogramFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(16384);
        // RGB: 3 x 2 tiles of side 73.
        pixels = Pattern(200 * 100 * 3, 3);
        source = MakeImage(manager, 32, 200, 100, pixels);
        filter = new CVorlatFilterHistogram(manager);
        KOLVEX_OK(VorlatDataConnect(source, filter));
        KOLVEX_OK(VorlatDataConnect(filter, &recorder));
    }
    void TearDown() override
    {
        port::SetTickSource(nullptr);
        delete filter;
        source->Destroy();
        manager->Destroy();
    }
    std::vector<uint32_t> Expected(int32_t channel, const RECT& r) const
    {
        std::vector<uint32_t> counts(256, 0);
        for (int32_t y = r.top; y < r.bottom; ++y) {
            for (int32_t x = r.left; x < r.right; ++x) {
                const uint8_t* p = &pixels[(y * 200 + x) * 3];
                counts[channel == 0 ? (p[0] + p[1] + p[2]) / 3 : p[channel - 1]]++;
            }
        }
        return counts;
    }
    std::vector<uint32_t> Counts(int32_t channel, int32_t bits = 8) const
    {
        std::vector<uint32_t> counts(size_t{1} << bits, 0);
        EXPECT_EQ(filter->GetHistogram(channel, counts.data(), bits), std::min(bits, 8));
        return counts;
    }

    IVorlatManager* manager = nullptr;
    std::vector<uint8_t> pixels;
    IVorlatImage* source = nullptr;
    CVorlatFilterHistogram* filter = nullptr;
    Recorder recorder;
};

TEST_F(HistogramFilterTest, CountsEveryChannelOfTheWholeImageAndPassesPixelsThrough)
{
    KOLVEX_OK(filter->ForceCompletion());
    EXPECT_TRUE(filter->IsComplete());
    for (int32_t channel = 0; channel < 4; ++channel)
        EXPECT_EQ(Counts(channel), Expected(channel, RECT{0, 0, 200, 100})) << channel;
    EXPECT_EQ(ReadAll(filter), pixels);
    std::vector<uint32_t> none(256, 0);
    EXPECT_EQ(filter->GetHistogram(4, none.data(), 8), 0);
}

TEST_F(HistogramFilterTest, TimeSlicesSendPartialUntilTheLastTile)
{
    port::SetTickSource(FakeTicks);
    KOLVEX_OK(filter->SpendTime(0));
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(filter->SpendTime(10));  // the clock moves 4 per reading: two tiles
    EXPECT_EQ(recorder.Codes(), std::vector<int32_t>({-2100, -2100}));
    EXPECT_EQ(recorder.heard[0].param, static_cast<void*>(filter));
    KOLVEX_OK(filter->SpendTime(1000));
    EXPECT_EQ(recorder.Codes().size(), 6u);
    EXPECT_EQ(recorder.Codes().back(), -2099);
    EXPECT_TRUE(filter->IsComplete());
}

TEST_F(HistogramFilterTest, CropIsOrderedAndClippedAndDataChangesCountAgain)
{
    KOLVEX_OK(filter->SetCrop(RECT{150, 90, 20, -5}));
    KOLVEX_OK(filter->ForceCompletion());
    EXPECT_EQ(Counts(2), Expected(2, RECT{20, 0, 150, 90}));
    // Resolution and palette keep the counts; a data change discards them.
    KOLVEX_OK(source->SetResolution(300.0));
    EXPECT_TRUE(filter->IsComplete());
    RECT changed{0, 0, 1, 1};
    KOLVEX_OK(VorlatSendDataNotification(source, kVorlatNotifyDataChanged, &changed));
    EXPECT_FALSE(filter->IsComplete());
}

TEST_F(HistogramFilterTest, FewerBitsAddAdjacentBins)
{
    std::vector<uint8_t> words(64 * 3 * 2);
    for (size_t i = 0; i < words.size(); i += 2) {
        words[i] = static_cast<uint8_t>(i);
        words[i + 1] = static_cast<uint8_t>(i / 7);
    }
    IVorlatImage* wide = MakeImage(manager, 33, 64, 1, words);
    CVorlatFilterHistogram histogram(manager);
    KOLVEX_OK(VorlatDataConnect(wide, &histogram));
    KOLVEX_OK(histogram.ForceCompletion());
    EXPECT_EQ(histogram.GetNativeBits(), 16);
    std::vector<uint32_t> full(65536), coarse(256);
    EXPECT_EQ(histogram.GetHistogram(1, full.data(), 16), 16);
    EXPECT_EQ(histogram.GetHistogram(1, coarse.data(), 8), 8);
    for (int bin = 0; bin < 256; ++bin) {
        uint32_t sum = 0;
        for (int j = 0; j < 256; ++j)
            sum += full[bin * 256 + j];
        EXPECT_EQ(coarse[bin], sum);
    }
    wide->Destroy();
}

TEST_F(HistogramFilterTest, TwoSourcesOrADisabledFilterCountNothing)
{
    CVorlatFilterHistogram histogram(manager);
    KOLVEX_OK(VorlatDataConnect(source, &histogram));
    KOLVEX_OK(filter->Enable(false, true));
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(filter->ForceCompletion());
    EXPECT_FALSE(filter->IsComplete());
    EXPECT_EQ(ReadAll(filter), pixels);
    IVorlatImage* other = MakeImage(manager, 32, 4, 4, Pattern(48));
    KOLVEX_OK(VorlatDataConnect(other, &histogram));
    int32_t width = 0;
    EXPECT_EQ(Deepest(histogram.GetWidth(&width)), kVorlatErrNoSingleSource);
    IVorlatTile* tile = nullptr;
    KOLVEX_OK(source->GetTile(&tile, 0, 0));
    EXPECT_EQ(Deepest(histogram.GenerateTile(tile, nullptr, 0)), kVorlatErrState);
    other->Destroy();
}

TEST_F(HistogramFilterTest, RunCopiesIntoATargetOfAnotherTileGeometry)
{
    IVorlatManager* big = MakeManager(65536);
    IVorlatImage* target = nullptr;
    KOLVEX_OK(big->CreateImage(&target, 0));
    const IVorlatDataSource* sources[] = {source};
    int32_t id = 0;
    KOLVEX_OK(filter->BeginProcess(&id, sources, 1, target));
    EXPECT_EQ(id, 1);
    int32_t second = 0;
    EXPECT_EQ(Deepest(filter->BeginProcess(&second, sources, 1, target)), kVorlatErrAlreadyPresent);
    std::vector<int32_t> done;
    for (int i = 0; i < 10; ++i) {
        int32_t d = 0, t = 0;
        KOLVEX_OK(filter->ExecuteProcess(id, &d, &t));
        done.push_back(d);
        if (!d && !t)
            break;
    }
    EXPECT_EQ(done, std::vector<int32_t>({1, 2, 3, 4, 5, 6, 0}));
    EXPECT_TRUE(filter->IsComplete());
    KOLVEX_OK(filter->EndProcess(id));
    EXPECT_EQ(Deepest(filter->ExecuteProcess(2, nullptr, nullptr)), kVorlatErrNoSuchId);
    EXPECT_EQ(ReadAll(target), pixels);
    target->Destroy();
    big->Destroy();
}

} // namespace
