#include <cerrno>
#include <functional>

#include <gtest/gtest.h>

#include "QRV/counted_buffer.h"
#include "QRV/tests/icc_builder.h"
#include "QRV/tests/qrv_test_util.h"

using namespace qrvtest;

namespace {

TEST(QrvEngine, ArgumentFaultsReturnOneAndChangeNothing)
{
    Engine e;
    const std::vector<uint8_t> rgb = RgbMatrixProfile().Build();
    ASSERT_EQ(e.SetProfiles(rgb, rgb), 0);
    ASSERT_EQ(QZCMSetInputBitSize(e, 16), 0);
    ASSERT_EQ(e.Build(), 0);
    const QZCMHandle h = e;
    const QZCMHandle none = 0;
    uint8_t pixel[8] = {};
    const unsigned short curve[2] = {0, 65535};
    struct Case {
        const char* what;
        std::function<QZCMResult()> call;
    } cases[] = {
        {"create into null", [] { return QZCMCreate(nullptr); }},
        {"destroy 0", [&] { return QZCMDestroy(none); }},
        {"destroy unknown", [] { return QZCMDestroy(1 << 30); }},
        {"input path null", [&] { return QZCMSetInputProfile(h, static_cast<const char*>(nullptr)); }},
        {"input path handle 0", [&] { return QZCMSetInputProfile(none, "x.icc"); }},
        {"input block null", [&] { return QZCMSetInputProfile(h, nullptr, 10u); }},
        {"input block empty", [&] { return QZCMSetInputProfile(h, pixel, 0u); }},
        {"output path null", [&] { return QZCMSetOutputProfile(h, static_cast<const char*>(nullptr)); }},
        {"output block empty", [&] { return QZCMSetOutputProfile(h, pixel, 0u); }},
        {"output block handle 0", [&] { return QZCMSetOutputProfile(none, pixel, 8u); }},
        {"input bits 7", [&] { return QZCMSetInputBitSize(h, 7); }},
        {"input bits 17", [&] { return QZCMSetInputBitSize(h, 17); }},
        {"output bits 7", [&] { return QZCMSetOutputBitSize(h, 7); }},
        {"output bits 17", [&] { return QZCMSetOutputBitSize(h, 17); }},
        {"intent -1", [&] { return QZCMSetIntent(h, -1); }},
        {"intent 5", [&] { return QZCMSetIntent(h, 5); }},
        {"proof mode handle 0", [&] { return QZCMSetProofMode(none, 1); }},
        {"lut handle 0", [&] { return QZCMSetInputLUT(none, 1, 16, 1, curve, 0, 0, 0); }},
        {"lut inBits 17", [&] { return QZCMSetInputLUT(h, 17, 16, 1, curve, 0, 0, 0); }},
        {"lut inBits -1", [&] { return QZCMSetOutputLUT(h, -1, 16, 1, curve, 0, 0, 0); }},
        {"lut outBits 17", [&] { return QZCMMergeInputLUT(h, 1, 17, 1, curve, 0, 0, 0); }},
        {"lut mask 0", [&] { return QZCMMergeOutputLUT(h, 1, 16, 0, curve, 0, 0, 0); }},
        {"lut mask 16", [&] { return QZCMSetOutputLUT(h, 1, 16, 16, curve, 0, 0, 0); }},
        {"process handle 0", [&] { return QZCMProcessInterleavedData(none, 1, 1, pixel, pixel, 0, 0); }},
        {"process pixels -1", [&] { return QZCMProcessInterleavedData(h, -1, 1, pixel, pixel, 0, 0); }},
        {"process lines -1", [&] { return QZCMProcessInterleavedData(h, 1, -1, pixel, pixel, 0, 0); }},
        {"process in null", [&] { return QZCMProcessInterleavedData(h, 1, 1, nullptr, pixel, 0, 0); }},
        {"process out null", [&] { return QZCMProcessInterleavedData(h, 1, 1, pixel, nullptr, 0, 0); }},
        {"planar handle 0", [&] { return QZCMProcessPlanarData(none, 1, 1, pixel, pixel, 0, 0, 0, 0); }},
        {"planar out null", [&] { return QZCMProcessPlanarData(h, 1, 1, pixel, nullptr, 0, 0, 0, 0); }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), 1) << c.what;
        const qrv::QZCMContext& ctx = e.context();
        EXPECT_EQ(ctx.inputBits, 16) << c.what;
        EXPECT_EQ(ctx.outputBits, 8) << c.what;
        EXPECT_EQ(ctx.intent, 0) << c.what;
        EXPECT_EQ(ctx.rebuild, 0) << c.what;
        EXPECT_EQ(ctx.tablesStale, 0) << c.what;
        EXPECT_EQ(ctx.inputSlots[0].entries.length, 0u) << c.what;
        EXPECT_EQ(ctx.outputSlots[0].entries.length, 0u) << c.what;
    }
}

TEST(QrvEngine, CreateStartsWithTheDocumentedSettings)
{
    Engine e;
    ASSERT_NE(e.handle(), 0);
    const qrv::QZCMContext& c = e.context();
    EXPECT_EQ(c.inputBits, 8);
    EXPECT_EQ(c.outputBits, 8);
    EXPECT_EQ(c.intent, 0);
    EXPECT_EQ(c.proofMode, 1);
    EXPECT_EQ(c.rebuild, 1);
    EXPECT_EQ(c.tablesStale, 0);
    EXPECT_EQ(c.transform.lut, nullptr);
}

TEST(QrvEngine, SettersStoreAndMarkWhatIsStale)
{
    Engine e;
    const std::vector<uint8_t> rgb = RgbMatrixProfile().Build();
    ASSERT_EQ(e.SetProfiles(rgb, rgb), 0);
    ASSERT_EQ(e.Build(), 0);
    struct Case {
        const char* what;
        std::function<QZCMResult()> call;
        bool rebuild, tables;
    } cases[] = {
        {"input bits 8", [&] { return QZCMSetInputBitSize(e, 8); }, false, true},
        {"output bits 16", [&] { return QZCMSetOutputBitSize(e, 16); }, false, true},
        {"intent 4", [&] { return QZCMSetIntent(e, 4); }, true, false},
        {"intent 0", [&] { return QZCMSetIntent(e, 0); }, true, false},
        {"proof mode 0", [&] { return QZCMSetProofMode(e, 0); }, true, false},
        {"proof mode -7", [&] { return QZCMSetProofMode(e, -7); }, true, false},
        {"input block", [&] { return QZCMSetInputProfile(e, rgb.data(), uint32_t(rgb.size())); }, true, false},
        {"curve", [&] { return QZCMSetOutputLUT(e, 0, 0, 1, nullptr, 0, 0, 0); }, false, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.call(), 0) << c.what;
        EXPECT_EQ(e.context().rebuild != 0, c.rebuild) << c.what;
        EXPECT_EQ(e.context().tablesStale != 0, c.tables) << c.what;
        ASSERT_EQ(e.Build(), 0) << c.what;
        EXPECT_EQ(e.context().rebuild, 0);
        EXPECT_EQ(e.context().tablesStale, 0);
    }
    EXPECT_EQ(e.context().proofMode, -7);
}

TEST(QrvEngine, DestroyedHandleIsRefused)
{
    QZCMHandle h = 0;
    ASSERT_EQ(QZCMCreate(&h), 0);
    ASSERT_EQ(QZCMDestroy(h), 0);
    EXPECT_EQ(QZCMDestroy(h), 1);
    EXPECT_EQ(QZCMSetIntent(h, 1), 1);
    QZCMHandle other = 0;
    ASSERT_EQ(QZCMCreate(&other), 0);
    EXPECT_NE(other, h);
    EXPECT_EQ(QZCMDestroy(other), 0);
}

TEST(QrvEngine, ProfileFilesAreReadAtTheProcessingCall)
{
    const std::vector<uint8_t> rgb = RgbMatrixProfile().Build();
    const std::string good = ScratchPath("good.icc");
    const std::string empty = ScratchPath("empty.icc");
    const std::string missing = ScratchPath("no_such_profile.icc");
    WriteFile(good, rgb);
    WriteFile(empty, {});
    std::remove(missing.c_str());

    Engine e;
    ASSERT_EQ(QZCMSetInputProfile(e, missing.c_str()), 0);
    ASSERT_EQ(QZCMSetOutputProfile(e, good.c_str()), 0);
    EXPECT_EQ(e.Build(), ENOENT);
    EXPECT_EQ(e.context().rebuild, 1);

    ASSERT_EQ(QZCMSetInputProfile(e, good.c_str()), 0);
    EXPECT_EQ(e.Build(), 0);

    // The same path again re-reads the file, which has changed meanwhile.
    WriteFile(good, {1, 2, 3});
    ASSERT_EQ(QZCMSetInputProfile(e, good.c_str()), 0);
    EXPECT_EQ(e.Build(), 9);

    ASSERT_EQ(QZCMSetInputProfile(e, empty.c_str()), 0);
    EXPECT_EQ(e.Build(), 9);
    std::remove(good.c_str());
    std::remove(empty.c_str());
}

TEST(QrvEngine, BlockIsPreferredToPathAndPathDiscardsBlock)
{
    const std::vector<uint8_t> rgb = RgbMatrixProfile().Build();
    const std::string missing = ScratchPath("missing_too.icc");
    std::remove(missing.c_str());
    Engine e;
    ASSERT_EQ(QZCMSetOutputProfile(e, rgb.data(), uint32_t(rgb.size())), 0);
    ASSERT_EQ(QZCMSetInputProfile(e, missing.c_str()), 0);
    ASSERT_EQ(QZCMSetInputProfile(e, rgb.data(), uint32_t(rgb.size())), 0);
    EXPECT_EQ(e.Build(), 0) << "a block set after a path is used";
    ASSERT_EQ(QZCMSetInputProfile(e, missing.c_str()), 0);
    EXPECT_EQ(e.Build(), ENOENT) << "a path set after a block replaces it";
}

TEST(QrvEngine, SideWithoutAnyProfileFailsLikeAMissingFile)
{
    Engine e;
    const std::vector<uint8_t> rgb = RgbMatrixProfile().Build();
    ASSERT_EQ(QZCMSetInputProfile(e, rgb.data(), uint32_t(rgb.size())), 0);
    EXPECT_EQ(e.Build(), ENOENT);
}

TEST(QrvEngine, EmptyProcessingCallStillBuildsAndReportsABadProfile)
{
    Engine e;
    std::vector<uint8_t> bad = RgbMatrixProfile().Build();
    bad[36] = 'x';
    ASSERT_EQ(e.SetProfiles(bad, RgbMatrixProfile().Build()), 0);
    EXPECT_EQ(QZCMProcessInterleavedData(e, 0, 5, nullptr, nullptr, 0, 0), 9);
    EXPECT_EQ(QZCMProcessPlanarData(e, 5, 0, nullptr, nullptr, 0, 0, 0, 0), 9);
}

TEST(QrvEngine, CurveTablesGoToTheChannelsOfTheMask)
{
    Engine e;
    const unsigned short a[2] = {1, 2}, b[2] = {3, 4}, c[2] = {5, 6};
    struct Case {
        int32_t mask;
        uint16_t firstEntry[4];  // 0 = slot empty
    } cases[] = {
        {5, {1, 0, 3, 0}},
        {6, {0, 1, 3, 0}},
        {15, {1, 3, 5, 0}},
        {8, {0, 0, 0, 1}},
    };
    for (const Case& k : cases) {
        ASSERT_EQ(QZCMSetInputLUT(e, 1, 16, 15, nullptr, nullptr, nullptr, nullptr), 0);
        ASSERT_EQ(QZCMSetInputLUT(e, 1, 16, k.mask, a, b, c, nullptr), 0);
        for (int ch = 0; ch < 4; ++ch) {
            const CountedBuffer& entries = e.context().inputSlots[ch].entries;
            if (k.firstEntry[ch] == 0) {
                EXPECT_EQ(entries.length, 0u) << "mask " << k.mask << " channel " << ch;
            } else {
                ASSERT_EQ(entries.length, 2u);
                EXPECT_EQ(qrv::CbAs<uint16_t>(entries)[0], k.firstEntry[ch]) << "mask " << k.mask;
            }
        }
    }
}

TEST(QrvEngine, NullCurveFreesEntriesAndKeepsTheNewBitsAndMode)
{
    Engine e;
    const unsigned short a[4] = {1, 2, 3, 4};
    ASSERT_EQ(QZCMMergeOutputLUT(e, 2, 12, 1, a, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(QZCMSetOutputLUT(e, 3, 9, 1, nullptr, nullptr, nullptr, nullptr), 0);
    const qrv::UserCurveSlot& s = e.context().outputSlots[0];
    EXPECT_EQ(s.entries.length, 0u);
    EXPECT_EQ(s.inBits, 3);
    EXPECT_EQ(s.outBits, 9);
    EXPECT_EQ(s.mode, 0);
}

TEST(QrvEngine, CurveAllocationFailureStopsAtThatChannel)
{
    Engine e;
    const unsigned short a[2] = {1, 2};
    ASSERT_EQ(QZCMSetInputLUT(e, 1, 16, 15, a, a, a, a), 0);
    // 256 entries outgrow each slot's block: channel 0 gets a new one, the
    // allocation for channel 1 fails.
    std::vector<unsigned short> big(256, 7);
    qrv::gFailAllocationCountdown = 1;
    EXPECT_EQ(QZCMMergeInputLUT(e, 8, 16, 15, big.data(), big.data(), big.data(), big.data()), 2);
    qrv::gFailAllocationCountdown = -1;
    const qrv::QZCMContext& c = e.context();
    EXPECT_EQ(c.inputSlots[0].entries.length, 256u);
    EXPECT_EQ(c.inputSlots[1].entries.length, 0u);
    EXPECT_EQ(c.inputSlots[1].mode, 1);
    EXPECT_EQ(c.inputSlots[1].inBits, 8);
    EXPECT_EQ(c.inputSlots[2].entries.length, 2u) << "later channels are not touched";
    EXPECT_EQ(c.inputSlots[2].mode, 0);
    EXPECT_EQ(c.tablesStale, 1);
}

}  // namespace
