#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/clipboard/adjustment_block.h"
#include "app/core/procset/record_settings.h"
#include "app/core/testing/blob_test_util.h"
#include "app/core/testing/record_settings_test_util.h"

using namespace core_test;
using namespace qz;

namespace {

constexpr uint32_t kCopyImageMask =
    kAdjustCurves | kAdjustColourBalance | kAdjustSizeRes | kAdjustUsm | kAdjustExposure | kAdjustWhiteBalance;

std::vector<uint8_t> Copy(const CQzRecordSettings& record, uint32_t mask)
{
    const int64_t size = MeasureAdjustmentBlock(record, mask);
    std::vector<uint8_t> block(static_cast<size_t>(size));
    EXPECT_TRUE(WriteAdjustmentBlock(record, mask, block.data(), size));
    return block;
}

uint32_t Paste(const std::vector<uint8_t>& block, CQzRecordSettings& record, bool raw = true)
{
    AdjustmentBlock read;
    if (!ReadAdjustmentBlock(block.data(), block.size(), read))
        return 0xFFFFFFFF;
    return ApplyAdjustmentBlock(read, record, {raw, 300, 200});
}

std::vector<uint8_t> Header(std::vector<uint32_t> sizes)
{
    std::vector<uint8_t> block(kAdjustmentHeaderSize);
    for (size_t i = 0; i < sizes.size(); ++i)
        PutU32(block, 4 * i, sizes[i]);
    return block;
}

TEST(AdjustmentBlock, CopyAllPastesEverySettingExceptNoiseReductionEqualByBlob)
{
    CQzRecordSettings source;
    EditEverySetting(source);
    const std::vector<uint8_t> block = Copy(source, kAdjustAll);

    // The header's sizes: blob plus flag byte, size and resolution without a flag.
    const IQzState* objects[kSectionCount] = {&source.curves,   &source.colourBalance, &source.sizeRes,
                                              &source.usm,      &source.exposure,      &source.whiteBalance,
                                              &source.noiseReduction};
    size_t total = kAdjustmentHeaderSize;
    for (int32_t i = 0; i < kSectionCount; ++i) {
        const uint32_t expected = static_cast<uint32_t>(objects[i]->GetSize()) + (i == kSectionSizeRes ? 0 : 1);
        EXPECT_EQ(U32At(block, 4 * i), expected) << "section " << i;
        total += expected;
    }
    ASSERT_EQ(block.size(), total);
    EXPECT_EQ(block[kAdjustmentHeaderSize], 1);  // the Curves flag leads the first section

    CQzRecordSettings target;
    EXPECT_EQ(Paste(block, target), kCopyImageMask);
    EXPECT_EQ(Blob(target.curves), Blob(source.curves));
    EXPECT_EQ(Blob(target.colourBalance), Blob(source.colourBalance));
    // Size and resolution is read for the target image's size: as its own reader takes the blob.
    CQzSizeRes direct;
    const std::vector<uint8_t> sizeRes = Blob(source.sizeRes);
    direct.SetDataForImage(sizeRes.data(), static_cast<int32_t>(sizeRes.size()), 300, 200);
    EXPECT_EQ(Blob(target.sizeRes), Blob(direct));
    EXPECT_EQ(Blob(target.usm), Blob(source.usm));
    EXPECT_EQ(Blob(target.exposure), Blob(source.exposure));
    EXPECT_EQ(Blob(target.whiteBalance), Blob(source.whiteBalance));
    EXPECT_EQ(target.curvesOn, 1u);
    EXPECT_EQ(target.colourBalanceOn, 1u);
    EXPECT_EQ(target.usmOn, 1u);
    EXPECT_EQ(target.exposureOn, 1u);
    EXPECT_EQ(target.whiteBalanceOn, 1u);
    EXPECT_EQ(target.noiseReductionOn, 0u);
    EXPECT_EQ(Blob(target.noiseReduction), Blob(CQzNoiseReduction()));
}

TEST(AdjustmentBlock, EmptyUsmListStillTravelsAsFlagAndCountOfZero)
{
    CQzRecordSettings source;
    source.usmOn = 1;
    const std::vector<uint8_t> block = Copy(source, kAdjustUsm);
    ASSERT_EQ(block.size(), kAdjustmentHeaderSize + 1 + Blob(source.usm).size());
    EXPECT_EQ(U32At(block, 12), block.size() - kAdjustmentHeaderSize);

    CQzRecordSettings target;
    CQzUSM entry;
    target.usm.Insert(0, 1, entry);
    EXPECT_EQ(Paste(block, target), kAdjustUsm);
    EXPECT_EQ(target.usm.GetCount(), 0);
    EXPECT_EQ(target.usmOn, 1u);
}

TEST(AdjustmentBlock, MasksChooseTheSections)
{
    CQzRecordSettings source;
    EditEverySetting(source);
    EXPECT_EQ(MeasureAdjustmentBlock(source, 0), 0);
    uint8_t scratch[64] = {};
    EXPECT_FALSE(WriteAdjustmentBlock(source, 0, scratch, sizeof scratch));

    const std::vector<uint8_t> image = Copy(source, kCopyImageMask);
    EXPECT_EQ(U32At(image, 24), 0u);  // noise reduction is never part of Copy Image Adjustments
    for (int32_t i = 0; i < kSectionCount - 1; ++i)
        EXPECT_NE(U32At(image, 4 * i), 0u) << "section " << i;

    const std::vector<uint8_t> curves = Copy(source, kAdjustCurves);
    for (int32_t i = 1; i < kSectionCount; ++i)
        EXPECT_EQ(U32At(curves, 4 * i), 0u) << "section " << i;
    EXPECT_EQ(curves.size(), kAdjustmentHeaderSize + 1 + Blob(source.curves).size());

    // A buffer one byte short is refused rather than written past.
    std::vector<uint8_t> shortBlock(curves.size() - 1);
    EXPECT_FALSE(WriteAdjustmentBlock(source, kAdjustCurves, shortBlock.data(),
                                      static_cast<int64_t>(shortBlock.size())));
}

TEST(AdjustmentBlock, ImageWithoutRawDataSkipsExposureAndWhiteBalance)
{
    CQzRecordSettings source;
    EditEverySetting(source);
    CQzRecordSettings target;
    const std::vector<uint8_t> before = Blob(target.exposure);
    EXPECT_EQ(Paste(Copy(source, kAdjustAll), target, false),
              kAdjustCurves | kAdjustColourBalance | kAdjustSizeRes | kAdjustUsm);
    EXPECT_EQ(Blob(target.exposure), before);
    EXPECT_EQ(target.exposureOn, 0u);
    EXPECT_EQ(target.whiteBalanceOn, 0u);
    EXPECT_EQ(Blob(target.curves), Blob(source.curves));
}

TEST(AdjustmentBlock, HeaderOfZerosPastesNothing)
{
    CQzRecordSettings target;
    const std::vector<uint8_t> before = Blob(target.curves);
    EXPECT_EQ(Paste(Header({}), target), 0u);
    EXPECT_EQ(Blob(target.curves), before);
}

TEST(AdjustmentBlock, RefusesBlocksThatDoNotHoldWhatTheirHeaderSays)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        bool accepted;
    };
    auto withTail = [](std::vector<uint32_t> sizes, size_t tail) {
        std::vector<uint8_t> block = Header(std::move(sizes));
        block.resize(block.size() + tail, 0x5A);
        return block;
    };
    const Case cases[] = {
        {"empty", {}, false},
        {"27 bytes", std::vector<uint8_t>(27), false},
        {"28 bytes of zeros", Header({}), true},
        {"section past the end", withTail({10}, 9), false},
        {"section exactly to the end", withTail({10}, 10), true},
        {"slack after the sections", withTail({10}, 40), true},
        {"sizes summed past the end", withTail({6, 6, 6, 6, 6, 6, 6}, 41), false},
        // Summed in 32 bits these wrap to 8 and would pass.
        {"sizes wrapping 32 bits", withTail({0xFFFFFFFC, 0, 0, 0, 0, 0, 12}, 8), false},
        {"every size at the maximum", withTail({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                                0xFFFFFFFF, 0xFFFFFFFF},
                                               16),
         false},
        {"a flag byte alone", withTail({1, 1, 1, 1, 1, 1, 1}, 7), true},
    };
    for (const Case& c : cases) {
        AdjustmentBlock read;
        read.sections[0].present = true;
        EXPECT_EQ(ReadAdjustmentBlock(c.block.data(), c.block.size(), read), c.accepted) << c.name;
        if (!c.accepted) {
            for (const AdjustmentSection& section : read.sections)
                EXPECT_FALSE(section.present) << c.name;
        }
    }
    AdjustmentBlock read;
    EXPECT_FALSE(ReadAdjustmentBlock(nullptr, 100, read));
}

TEST(AdjustmentBlock, SectionBlobExcludesItsFlagByte)
{
    std::vector<uint8_t> block = Header({5, 0, 3, 2});
    const std::vector<uint8_t> body = {7, 1, 2, 3, 4, /*size res*/ 8, 9, 10, /*usm*/ 0, 11};
    block.insert(block.end(), body.begin(), body.end());
    AdjustmentBlock read;
    ASSERT_TRUE(ReadAdjustmentBlock(block.data(), block.size(), read));
    const AdjustmentSection& curves = read.sections[kSectionCurves];
    EXPECT_TRUE(curves.present);
    EXPECT_EQ(curves.flag, 7);
    EXPECT_EQ(curves.blob, block.data() + 29);
    EXPECT_EQ(curves.blobSize, 4);
    EXPECT_FALSE(read.sections[kSectionColourBalance].present);
    const AdjustmentSection& sizeRes = read.sections[kSectionSizeRes];
    EXPECT_EQ(sizeRes.blob, block.data() + 33);
    EXPECT_EQ(sizeRes.blobSize, 3);
    const AdjustmentSection& usm = read.sections[kSectionUsm];
    EXPECT_EQ(usm.flag, 0);
    EXPECT_EQ(usm.blob, block.data() + 37);
    EXPECT_EQ(usm.blobSize, 1);
}

TEST(AdjustmentBlock, RefusedBlobLeavesItsObjectButTakesTheFlag)
{
    CQzRecordSettings source;
    EditEverySetting(source);
    std::vector<uint8_t> block = Copy(source, kAdjustCurves | kAdjustUsm);
    // Cut the curves blob to its class id: the group refuses it.
    const uint32_t curvesSize = U32At(block, 0);
    block.erase(block.begin() + kAdjustmentHeaderSize + 17, block.begin() + kAdjustmentHeaderSize + curvesSize);
    PutU32(block, 0, 17);

    CQzRecordSettings target;
    const std::vector<uint8_t> before = Blob(target.curves);
    EXPECT_EQ(Paste(block, target), kAdjustCurves | kAdjustUsm);
    EXPECT_EQ(Blob(target.curves), before);
    EXPECT_EQ(target.curvesOn, 1u);
    EXPECT_EQ(Blob(target.usm), Blob(source.usm));
}

}  // namespace
