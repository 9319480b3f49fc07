#include "vorlat_test_util.h"

using namespace vorlat_test;

namespace {

class HistogramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A budget of four tiles, smaller than the images, so counting pages tiles in and out.
        manager = MakeManager(4 * 16384, 16384);
        VORLAT_OK(manager->CreateHistogram(&histogram));
    }
    void TearDown() override
    {
        histogram->Destroy();
        if (image)
            image->Destroy();
        manager->Destroy();
    }
    void Fill(int32_t code, int32_t width, int32_t height, const std::vector<uint8_t>& pixels)
    {
        image = MakeImage(manager, 0, code, width, height);
        const int32_t rowBytes = width * IVorlatDataSource::GetBitsPerPixel(code) / 8;
        VORLAT_OK(image->SetData(const_cast<uint8_t*>(pixels.data()), rowBytes, RECT{0, 0, width, height}));
        VORLAT_OK(VorlatDataConnect(image, histogram));
    }
    CVorlatManager* manager = nullptr;
    IVorlatHistogram* histogram = nullptr;
    IVorlatImage* image = nullptr;
};

TEST_F(HistogramTest, CountsEveryChannelOfRgbAcrossPagedTiles)
{
    const int32_t w = 300, h = 200;
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>((i * 7919) >> 3);
    Fill(32, w, h, pixels);
    for (int32_t channel = 0; channel <= 4; ++channel) {
        int32_t expected[256] = {};
        for (size_t p = 0; p < pixels.size(); p += 3) {
            if (channel == 0)
                ++expected[(pixels[p] + pixels[p + 1] + pixels[p + 2]) / 3];
            else if (channel <= 3)
                ++expected[pixels[p + static_cast<size_t>(channel) - 1]];
        }
        IVorlatHistogram::HistogramTag counts{};
        VORLAT_OK(histogram->GetHistogram(RECT{0, 0, 1000, 1000}, channel, &counts));
        for (int level = 0; level < 256; ++level)
            ASSERT_EQ(counts.count[level], expected[level]) << "channel " << channel << " level " << level;
    }
}

TEST_F(HistogramTest, SixteenBitsCountByHighByteAndRectanglesAreClamped)
{
    std::vector<uint8_t> pixels(10 * 10 * 2, 0);
    pixels[0] = 0xFF;  // little-endian 0x01FF at (0, 0)
    pixels[1] = 0x01;
    Fill(3, 10, 10, pixels);
    IVorlatHistogram::HistogramTag counts{};
    VORLAT_OK(histogram->GetHistogram(RECT{0, 0, 1, 1}, 1, &counts));
    EXPECT_EQ(counts.count[1], 1);
    // Entirely right of the image: one column wide at the last column.
    VORLAT_OK(histogram->GetHistogram(RECT{50, 0, 60, 10}, 0, &counts));
    EXPECT_EQ(counts.count[0], 10);
    // Channel 5 succeeds and writes nothing.
    counts.count[7] = 1234;
    VORLAT_OK(histogram->GetHistogram(RECT{0, 0, 10, 10}, 5, &counts));
    EXPECT_EQ(counts.count[7], 1234);
}

// A rectangle whose width or height has no 32-bit value cannot be clamped by
// its width: it is refused and the caller's counts stay as they were. Far
// rectangles of 32-bit size are still clamped.
TEST_F(HistogramTest, RefusesRectanglesWiderOrTallerThan32Bits)
{
    Fill(2, 10, 10, std::vector<uint8_t>(100, 7));
    for (const RECT& r : {RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, RECT{-1, 0, INT32_MAX, 10},
                          RECT{0, INT32_MIN, 10, 1}, RECT{INT32_MAX, 0, INT32_MIN, 10}}) {
        IVorlatHistogram::HistogramTag counts{};
        counts.count[7] = 1234;
        EXPECT_EQ(Failure(histogram->GetHistogram(r, 0, &counts)), kVorlatErrState) << r.left << "," << r.top;
        EXPECT_EQ(counts.count[7], 1234);
    }
    IVorlatHistogram::HistogramTag counts{};
    // Cut to the image's width from its left edge, which leaves column 0.
    VORLAT_OK(histogram->GetHistogram(RECT{-2000000000, 0, 100000000, INT32_MAX}, 0, &counts));
    EXPECT_EQ(counts.count[7], 10);
}

TEST_F(HistogramTest, KeepsCountsUntilTheSourceChanges)
{
    std::vector<uint8_t> pixels(20 * 20, 5);
    Fill(2, 20, 20, pixels);
    IVorlatHistogram::HistogramTag counts{};
    VORLAT_OK(histogram->GetHistogram(RECT{0, 0, 20, 20}, 0, &counts));
    EXPECT_EQ(counts.count[5], 400);
    // A change made behind the histogram's back is not seen while the counts are kept.
    void* bits = nullptr;
    VORLAT_OK(image->LockTile(&bits, 0, 0, nullptr));
    static_cast<uint8_t*>(bits)[0] = 9;
    VORLAT_OK(image->UnlockTile(0, 0));
    VORLAT_OK(histogram->GetHistogram(RECT{0, 0, 20, 20}, 0, &counts));
    EXPECT_EQ(counts.count[5], 400);
    RECT changed{0, 0, 1, 1};
    VORLAT_OK(VorlatSendDataNotification(image, kVorlatNotifyDataChanged, &changed));
    VORLAT_OK(histogram->GetHistogram(RECT{0, 0, 20, 20}, 0, &counts));
    EXPECT_EQ(counts.count[5], 399);
    EXPECT_EQ(counts.count[9], 1);
}

TEST_F(HistogramTest, EmptySourceGivesZerosAndNoSourceFails)
{
    IVorlatHistogram::HistogramTag counts{};
    EXPECT_EQ(Failure(histogram->GetHistogram(RECT{0, 0, 1, 1}, 0, &counts)), kVorlatErrNoSingleSource);
    image = MakeImage(manager, 0, 32, 0, 0);
    VORLAT_OK(VorlatDataConnect(image, histogram));
    counts.count[3] = 8;
    VORLAT_OK(histogram->GetHistogram(RECT{0, 0, 10, 10}, 1, &counts));
    EXPECT_EQ(counts.count[3], 0);
}

// Records every status the manager sends.
class StatusLog : public IVorlatStatusUser {
public:
    ~StatusLog() override = default;
    IVorlatError* StatusNotify(IVorlatStatus*, int32_t code, int32_t index, int32_t extra, const IVorlatTile*) override
    {
        codes.push_back(code);
        indexes.push_back(index);
        extras.push_back(extra);
        return nullptr;
    }
    std::vector<int32_t> codes, indexes, extras;
};

TEST(ManagerStatus, ViewsAndStatusSequences)
{
    CVorlatManager* manager = MakeManager(1 * 16384, 16384);
    IVorlatStatus* status = manager;
    StatusLog log;
    VORLAT_OK(status->SetStatusUser(&log));
    EXPECT_EQ(log.codes, (std::vector<int32_t>{0}));

    IVorlatImage* image = MakeImage(manager, 0, 2, 256, 128);
    log.codes.clear();
    void* bits = nullptr;
    VORLAT_OK(image->LockTile(&bits, 0, 0, nullptr));
    EXPECT_EQ(log.codes, (std::vector<int32_t>{2, 50}));  // created, first lock
    int32_t count = 0;
    VORLAT_OK(status->GetTileStackViewCount(&count));
    EXPECT_EQ(count, 1);
    VORLAT_OK(image->UnlockTile(0, 0));
    log.codes.clear();
    VORLAT_OK(image->LockTile(&bits, 1, 0, nullptr));  // evicts tile 0 into the first page file
    EXPECT_EQ(log.codes, (std::vector<int32_t>{2, 1, 34, 33, 50}));
    VORLAT_OK(image->UnlockTile(1, 0));

    VORLAT_OK(status->GetPageFileViewCount(&count));
    ASSERT_EQ(count, 1);
    const IVorlatTile* slots[1] = {};
    VORLAT_OK(status->GetPageFileView(slots, 1));
    IVorlatTile* first = nullptr;
    VORLAT_OK(image->GetTile(&first, 0, 0));
    EXPECT_EQ(slots[0], first);
    const IVorlatTile* stack[1] = {};
    EXPECT_EQ(Failure(status->GetTileStackView(stack, 1)), kVorlatErrArrayTooSmall);

    VORLAT_OK(status->SetStatusUser(nullptr));
    log.codes.clear();
    image->Destroy();
    EXPECT_TRUE(log.codes.empty());
    IVorlatManager* back = nullptr;
    VORLAT_OK(status->GetManager(&back));
    EXPECT_EQ(back, manager);
    manager->Destroy();
}

} // namespace
