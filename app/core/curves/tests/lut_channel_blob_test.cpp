#include <gtest/gtest.h>

#include "app/core/curves/lut_channel.h"
#include "app/core/testing/blob_test_util.h"
#include "curve_test_util.h"

using namespace core_test;
using namespace curve_test;

namespace {

// A channel unlike the default one in every stored field.
CQzLutChannel EditedChannel()
{
    CQzLutChannel channel(2, {0, 255, 0}, {1, 2, 3}, {0, 250, 0});
    SetPoints(channel, {{0.0, 0.1}, {0.25, 0.3}, {0.75, 0.8}, {1.0, 0.95}});
    LutParameterSet& set = channel.EditWorkingSet();
    set.inputBlack = 0.125;
    set.inputWhite = 0.875;
    set.gamma = 1.5;
    set.outputBlack = 0.0625;
    set.outputWhite = 0.9375;
    set.brightness = -0.5;
    return channel;
}

// The same blob in an older layout: version 2 drops the output levels, version
// 1 also the marker and version.
std::vector<uint8_t> OlderLayout(const std::vector<uint8_t>& v3, int version)
{
    std::vector<uint8_t> blob = v3;
    blob.erase(blob.begin() + 83, blob.begin() + 99);
    if (version == 2) {
        PutU16(blob, 21, 2);
        return blob;
    }
    blob.erase(blob.begin() + 20, blob.begin() + 23);
    return blob;
}

TEST(LutChannelBlob, DefaultChannelWritesItsStoredForm)
{
    const CQzLutChannel channel(0, {}, {}, {});
    const std::string one = "000000000000f03f", zero = "0000000000000000";
    EXPECT_EQ(Hex(Blob(channel)), "9ddc7d0365d411d19194444553540000" "00000000" "ff" "0300" + std::string(72, '0') +
                                      zero + one + one + zero + one + "02000000" + zero + zero + one + one + zero);
    EXPECT_EQ(channel.GetSize(), 143);
}

TEST(LutChannelBlob, Version3RoundTripLeavesTheReadersAppliedSet)
{
    const CQzLutChannel source = EditedChannel();
    const std::vector<uint8_t> blob = Blob(source);
    ASSERT_EQ(blob.size(), 111u + 16u * 4u);

    CQzLutChannel reader(0, {}, {}, {});
    reader.EditWorkingSet().outputWhite = 0.5;
    reader.Commit();
    EXPECT_EQ(reader.SetData(blob.data(), static_cast<int32_t>(blob.size())), static_cast<int32_t>(blob.size()));
    EXPECT_EQ(Blob(reader), blob);
    EXPECT_EQ(reader.GetChannelId(), 2u);
    EXPECT_EQ(reader.GetDarkColour().blue, 3u);
    EXPECT_EQ(reader.GetSelectedPoint(), -1);
    EXPECT_EQ(reader.GetHotPoint(), -1);
    EXPECT_TRUE(reader.GetWorkingSet().slopesDirty);
    EXPECT_EQ(reader.GetAppliedSet().outputWhite, 0.5);
    EXPECT_EQ(reader.GetAppliedSet().points.size(), 2u);
}

TEST(LutChannelBlob, OlderLayoutsReadTheirFieldsAndKeepTheRest)
{
    const std::vector<uint8_t> v3 = Blob(EditedChannel());
    struct Case {
        const char* name;
        std::vector<uint8_t> blob;
        int32_t answer;
        bool readsOutputLevels;
    } cases[] = {
        {"v3", v3, 111 + 64, true},
        {"v2", OlderLayout(v3, 2), 95 + 64, false},
        {"v1", OlderLayout(v3, 1), 92 + 64, false},
    };
    for (const Case& c : cases) {
        CQzLutChannel reader(0, {}, {}, {});
        reader.EditWorkingSet().outputBlack = 0.5;
        EXPECT_EQ(reader.SetData(c.blob.data(), static_cast<int32_t>(c.blob.size())), c.answer) << c.name;
        const LutParameterSet& set = reader.GetWorkingSet();
        EXPECT_EQ(set.gamma, 1.5) << c.name;
        EXPECT_EQ(set.inputWhite, 0.875) << c.name;
        EXPECT_EQ(set.points.size(), 4u) << c.name;
        EXPECT_EQ(set.brightness, -0.5) << c.name;
        EXPECT_EQ(reader.GetLightColour().green, 250u) << c.name;
        EXPECT_EQ(set.outputBlack, c.readsOutputLevels ? 0.0625 : 0.5) << c.name;
    }
}

// The byte after the header is the lowest byte of the first colour in
// version 1; 0xFF there is a marker only when the 16-bit version after it is
// one this reader knows (2 or 3) or one it knows it does not (4 to 199).
TEST(LutChannelBlob, MarkerByteVersionRules)
{
    struct Case {
        uint32_t curveRed;
        int32_t answer;
        bool readsColours;
    } cases[] = {
        {0x000001FF, 92 + 32, true},   // marker with version 1: a version 1 blob
        {0x0000C8FF, 92 + 32, true},   // version 200: a version 1 blob
        {0x000007FF, 23, false},       // version 7: nothing past the version
        {0x0000C7FF, 23, false},       // version 199
    };
    for (const Case& c : cases) {
        CQzLutChannel source(3, {c.curveRed, 9, 9}, {}, {});
        const std::vector<uint8_t> blob = OlderLayout(Blob(source), 1);
        ASSERT_EQ(blob[20], 0xFF);
        CQzLutChannel reader(0, {}, {}, {});
        reader.EditWorkingSet().gamma = 3.0;
        EXPECT_EQ(reader.SetData(blob.data(), static_cast<int32_t>(blob.size())), c.answer) << std::hex << c.curveRed;
        EXPECT_EQ(reader.GetChannelId(), 3u);
        EXPECT_EQ(reader.GetCurveColour().red, c.readsColours ? c.curveRed : 0u) << std::hex << c.curveRed;
        EXPECT_EQ(reader.GetWorkingSet().gamma, c.readsColours ? 1.0 : 3.0) << std::hex << c.curveRed;
    }
}

TEST(LutChannelBlob, PointsTheBlobDoesNotHoldRefuseTheBlob)
{
    const std::vector<uint8_t> full = Blob(EditedChannel());
    std::vector<uint8_t> huge = full;
    PutU32(huge, 99, 0x7FFFFFFF);
    std::vector<uint8_t> wrapping = full;
    PutU32(wrapping, 99, 0x10000002);
    struct Case {
        const char* name;
        std::vector<uint8_t> blob;
        int32_t length;
    } cases[] = {
        {"three of four points", full, 103 + 3 * 16},
        {"count 0x7fffffff", huge, static_cast<int32_t>(huge.size())},
        {"count that wraps 32 bits times 16", wrapping, static_cast<int32_t>(wrapping.size())},
    };
    for (const Case& c : cases) {
        CQzLutChannel reader(1, {}, {}, {});
        reader.EditWorkingSet().inputBlack = 0.25;
        const std::vector<uint8_t> before = Blob(reader);
        EXPECT_EQ(reader.SetData(c.blob.data(), c.length), 0) << c.name;
        EXPECT_EQ(Blob(reader), before) << c.name;
    }
}

TEST(LutChannelBlob, ACountOfZeroOrLessLeavesNoPoints)
{
    for (uint32_t count : {0u, 0x80000000u}) {
        std::vector<uint8_t> blob = Blob(CQzLutChannel(0, {}, {}, {}));
        blob.resize(103);
        PutU32(blob, 99, count);
        blob.resize(111, 0);
        CQzLutChannel reader(0, {}, {}, {});
        EXPECT_EQ(reader.SetData(blob.data(), 111), 111) << count;
        EXPECT_EQ(reader.GetPointCount(), 0) << count;
        EXPECT_EQ(reader.GetModifiedFlags(~0u), 3u) << count;
    }
}

TEST(LutChannelBlob, ShortBlobKeepsTheFieldsItDoesNotReach)
{
    const std::vector<uint8_t> blob = Blob(EditedChannel());
    CQzLutChannel reader(0, {}, {}, {});
    reader.EditWorkingSet().outputWhite = 0.75;
    reader.EditWorkingSet().brightness = 2.0;
    // Up to the gamma: the output levels, points and brightness stay.
    EXPECT_EQ(reader.SetData(blob.data(), 83), 111 + 2 * 16);
    const LutParameterSet& set = reader.GetWorkingSet();
    EXPECT_EQ(set.gamma, 1.5);
    EXPECT_EQ(set.outputWhite, 0.75);
    EXPECT_EQ(set.brightness, 2.0);
    EXPECT_EQ(set.points.size(), 2u);
}

}  // namespace
