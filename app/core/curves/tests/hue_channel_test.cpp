#include <gtest/gtest.h>

#include "app/core/curves/hue_channel.h"
#include "app/core/testing/blob_test_util.h"
#include "curve_test_util.h"

using namespace core_test;
using namespace curve_test;

namespace {

// A version 2 hue blob laid out by hand.
std::vector<uint8_t> HueBlob(uint32_t id, const std::vector<HuePoint>& points, double offset, uint32_t range)
{
    std::vector<uint8_t> blob = FromHex("9ddc7d0265d411d19194444553540000");
    const size_t n = points.size();
    blob.resize(39 + 24 * n);
    PutU32(blob, 16, id);
    blob[20] = 0xFF;
    PutU16(blob, 21, 2);
    PutU32(blob, 23, static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i) {
        PutF64(blob, 27 + 24 * i, points[i].position);
        PutF64(blob, 35 + 24 * i, points[i].amount);
        PutF64(blob, 43 + 24 * i, points[i].width);
    }
    PutF64(blob, 27 + 24 * n, offset);
    PutU32(blob, 35 + 24 * n, range);
    return blob;
}

CQzHueChannel Read(const std::vector<uint8_t>& blob)
{
    CQzHueChannel channel(0);
    EXPECT_EQ(channel.SetData(blob.data(), static_cast<int32_t>(blob.size())), static_cast<int32_t>(blob.size()));
    return channel;
}

TEST(HueChannelBlob, AnEmptyChannelRoundTripsUnchanged)
{
    const std::vector<uint8_t> blob = Blob(CQzHueChannel(1));
    EXPECT_EQ(Hex(blob), "9ddc7d0265d411d19194444553540000" "01000000" "ff" "0200" "00000000" "0000000000000000"
                         "01000000");
    EXPECT_EQ(Blob(Read(blob)), blob);
}

TEST(HueChannelBlob, PointsRoundTripAndVersionOneIsRead)
{
    const std::vector<uint8_t> blob = HueBlob(5, {{0.25, -0.5, 0.125}, {0.75, 0.5, 0.25}}, 0.25, 2);
    const CQzHueChannel channel = Read(blob);
    EXPECT_EQ(Blob(channel), blob);
    EXPECT_EQ(channel.GetChannelId(), 5u);
    EXPECT_EQ(channel.GetVerticalRange(), 2);
    EXPECT_EQ(channel.GetModifiedFlags(~0u), kLutOnCurve | kLutOtherPoint | kLutHueOffset);

    std::vector<uint8_t> v1 = blob;
    v1.erase(v1.begin() + 20, v1.begin() + 23);
    CQzHueChannel old(0);
    EXPECT_EQ(old.SetData(v1.data(), static_cast<int32_t>(v1.size())), 36 + 48);
    EXPECT_EQ(Blob(old), blob);
}

TEST(HueChannelBlob, UnknownVersionsReadNothingMoreAndRangesAreLimited)
{
    std::vector<uint8_t> v7 = HueBlob(4, {{0.5, 0.5, 0.5}}, 0.5, 3);
    PutU16(v7, 21, 7);
    CQzHueChannel channel(1);
    channel.SetVerticalRange(2);
    EXPECT_EQ(channel.SetData(v7.data(), static_cast<int32_t>(v7.size())), 23);
    EXPECT_EQ(channel.GetChannelId(), 4u);
    EXPECT_EQ(channel.GetPointCount(), 0);
    EXPECT_EQ(channel.GetVerticalRange(), 2);

    struct Case {
        uint32_t stored;
        int32_t range;
    } cases[] = {{0, 1}, {1, 1}, {3, 3}, {9, 3}, {0x80000000u, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(Read(HueBlob(1, {}, 0, c.stored)).GetVerticalRange(), c.range) << c.stored;
}

TEST(HueChannelBlob, PointsTheBlobDoesNotHoldRefuseTheBlob)
{
    std::vector<uint8_t> blob = HueBlob(1, {{0.1, 0, 0}, {0.2, 0, 0}}, 0, 1);
    PutU32(blob, 23, 3);
    CQzHueChannel channel(2);
    channel.InsertPoint();
    const std::vector<uint8_t> before = Blob(channel);
    EXPECT_EQ(channel.SetData(blob.data(), static_cast<int32_t>(blob.size())), 0);
    PutU32(blob, 23, 0x0AAAAAAB);  // 24 times this wraps 32 bits to 8
    EXPECT_EQ(channel.SetData(blob.data(), static_cast<int32_t>(blob.size())), 0);
    EXPECT_EQ(Blob(channel), before);
}

TEST(HueChannelEdit, InsertWrapsAroundTheHueCircle)
{
    struct Case {
        const char* name;
        std::vector<HuePoint> points;
        int32_t selectNext;
        int32_t index;
        HuePoint inserted;
    } cases[] = {
        {"no points", {}, 0, 0, {0.5, 0, 0.5}},
        {"one point: its neighbour is itself a turn back", {{0.7, 0.4, 0.2}}, 0, 0, {0.2, 0.4, 0.2}},
        {"a negative mean wraps to the end", {{0.3, 0.4, 0.2}}, 0, 1, {0.8, 0.4, 0.2}},
        {"between two points", {{0.2, 0.0, 0.1}, {0.5, 0.5, 0.3}}, 2, 1, {0.35, 0.25, 0.2}},
        {"crowded pair: one point further left", {{0.5, 0, 0}, {0.51, 0, 0}}, 2, 0, {0.005, 0, 0}},
    };
    for (const Case& c : cases) {
        CQzHueChannel channel = Read(HueBlob(1, c.points, 0, 1));
        for (int32_t i = 0; i < c.selectNext; ++i)
            channel.SelectNextPoint();
        EXPECT_EQ(channel.InsertPoint(), kLutPoints) << c.name;
        EXPECT_EQ(channel.GetSelectedPoint(), c.index) << c.name;
        const HuePoint& point = channel.GetPoints()[c.index];
        EXPECT_NEAR(point.position, c.inserted.position, 1e-12) << c.name;
        EXPECT_NEAR(point.amount, c.inserted.amount, 1e-12) << c.name;
        EXPECT_NEAR(point.width, c.inserted.width, 1e-12) << c.name;
    }
}

TEST(HueChannelEdit, InsertGivesUpAroundACrowdedCircle)
{
    std::vector<HuePoint> points;
    for (int i = 0; i < 60; ++i)
        points.push_back({i / 60.0, 0, 0});
    CQzHueChannel channel = Read(HueBlob(1, points, 0, 1));
    EXPECT_EQ(channel.InsertPoint(), 0u);
    EXPECT_EQ(channel.GetPointCount(), 60);
}

TEST(HueChannelEdit, DeletingTheOnlyPointLeavesNone)
{
    CQzHueChannel channel = Read(HueBlob(1, {{0.5, 0.5, 0.25}}, 0, 1));
    EXPECT_EQ(channel.DeleteSelectedPoint(), 0u);
    channel.SelectNextPoint();
    EXPECT_EQ(channel.DeleteSelectedPoint(), kLutPoints);
    EXPECT_EQ(channel.GetPointCount(), 0);
    EXPECT_EQ(channel.GetSelectedPoint(), -1);
    EXPECT_EQ(channel.GetModifiedFlags(~0u), 0u);
    EXPECT_EQ(channel.DeleteSelectedPoint(), 0u);
    RecordingViewer viewer;
    channel.NudgeOffsetDown(viewer);
    EXPECT_EQ(channel.GetModifiedFlags(~0u), kLutHueOffset);
}

TEST(HueChannelEdit, OffsetAndPointNudgesStopAtTheirLimits)
{
    RecordingViewer viewer;
    CQzHueChannel up = Read(HueBlob(1, {{0.5, 0.995, 0.499}}, 0.995, 1));
    EXPECT_EQ(up.NudgeOffsetUp(viewer), kLutHueOffset);
    EXPECT_EQ(up.GetOffset(), 1.0);
    EXPECT_EQ(up.NudgePointUp(viewer), 0u);
    up.SelectNextPoint();
    EXPECT_EQ(up.NudgePointUp(viewer), kLutPoints);
    EXPECT_EQ(up.GetPoints()[0].amount, 1.0);
    EXPECT_EQ(up.NudgeBlackRight(viewer), kLutHueWidth);
    EXPECT_EQ(up.GetPoints()[0].width, 0.5);
    EXPECT_EQ(up.NudgeWhiteLeft(viewer), kLutHueWidth);
    EXPECT_DOUBLE_EQ(up.GetPoints()[0].width, 0.5 - 1.0 / 360);
    EXPECT_EQ(up.NudgePointLeft(viewer), kLutPoints);
    EXPECT_DOUBLE_EQ(up.GetPoints()[0].position, 0.5 - 1.0 / 360);

    CQzHueChannel down = Read(HueBlob(1, {{0.5, -0.999, 0.001}}, -0.999, 1));
    EXPECT_EQ(down.NudgeOffsetDown(viewer), kLutHueOffset);
    EXPECT_EQ(down.GetOffset(), -1.0);
    down.SelectNextPoint();
    down.NudgePointDown(viewer);
    EXPECT_EQ(down.GetPoints()[0].amount, -1.0);
    down.NudgeBlackLeft(viewer);
    EXPECT_EQ(down.GetPoints()[0].width, 0.0);
}

TEST(HueChannelEdit, VerticalRangeKeysAndTheRangeBox)
{
    CQzHueChannel channel(1);
    struct Case {
        int32_t key, range;
    } cases[] = {{3, 3}, {7, 3}, {0, 1}, {2, 2}, {-4, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(channel.SetVerticalRange(c.key), kLutHueRange);
        EXPECT_EQ(channel.GetVerticalRange(), c.range) << c.key;
    }
    // A click on the box steps the range on; a press that leaves the box does not.
    RecordingViewer viewer;
    const LutPoint box{268, 216};
    for (int32_t expected : {2, 3, 1}) {
        EXPECT_EQ(channel.BeginDrag(viewer, box), kLutHueRange);
        channel.EndDrag(viewer);
        EXPECT_EQ(channel.GetVerticalRange(), expected);
    }
    channel.BeginDrag(viewer, box);
    channel.TrackMouse(viewer, {100, 100});
    channel.EndDrag(viewer);
    EXPECT_EQ(channel.GetVerticalRange(), 1);
    EXPECT_EQ(viewer.ended.size(), 4u);
}

TEST(HueChannelEdit, HitCodes)
{
    CQzHueChannel channel = Read(HueBlob(1, {{0.25, 0.5, 0.5}, {0.75, 0, 0.25}}, 0.2, 3));
    channel.SelectNextPoint();
    RecordingViewer viewer;
    struct Case {
        const char* name;
        LutPoint mouse;
        uint32_t code;
    } cases[] = {
        {"selected point", {7 + 64, 54}, kLutPoints},
        {"other point", {7 + 192, 104}, kLutOtherPoint},
        {"plot away from points", {7 + 128, 104}, kLutOnCurve},
        // Offset 0.2 at range 3: 20 rows above the strip's middle row 104.
        {"offset handle", {268, 86}, kLutHueOffset},
        {"off the offset handle", {268, 104}, 0},
        // Width 0.5 of the selected point: row 206 + 10.
        {"width handle", {100, 216}, kLutHueWidth},
        {"range box", {266, 220}, kLutHueRange},
        {"outside", {300, 300}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(channel.TrackMouse(viewer, c.mouse), c.code) << c.name;
    // The last point hit within the radius in both directions.
    EXPECT_EQ(channel.GetEditedValue().position, 0.75);
}

TEST(HueChannelEdit, APressAddsAPointThatADragOutRemovesEvenWhenLast)
{
    RecordingViewer viewer;
    CQzHueChannel channel(1);
    // u 0.25, v 0.5 at range 1: amount 1/6, width half of it.
    EXPECT_EQ(channel.BeginDrag(viewer, {7 + 64, 54}), kLutPoints);
    ASSERT_EQ(channel.GetPointCount(), 1);
    EXPECT_DOUBLE_EQ(channel.GetPoints()[0].amount, 0.5 / 3);
    EXPECT_DOUBLE_EQ(channel.GetPoints()[0].width, 0.25 / 3);
    channel.TrackMouse(viewer, {7 + 128, 154});
    EXPECT_DOUBLE_EQ(channel.GetPoints()[0].position, 0.5);
    EXPECT_DOUBLE_EQ(channel.GetPoints()[0].amount, -0.5 / 3);
    EXPECT_DOUBLE_EQ(channel.GetPoints()[0].width, 0.25 / 3);
    EXPECT_EQ(channel.TrackMouse(viewer, {7 + 128, 240}), 0u);
    EXPECT_EQ(channel.GetPointCount(), 0);
    EXPECT_EQ(viewer.ended, std::vector<uint32_t>{kLutPoints});
    EXPECT_EQ(channel.GetDragMode(), 0u);
}

TEST(HueChannelEdit, DraggingTheOffsetAndTheWidth)
{
    RecordingViewer viewer;
    CQzHueChannel channel = Read(HueBlob(1, {{0.5, 0, 0}}, 0, 3));
    ASSERT_EQ(channel.BeginDrag(viewer, {268, 104}), kLutHueOffset);
    channel.TrackMouse(viewer, {268, 54});
    EXPECT_DOUBLE_EQ(channel.GetOffset(), 0.5);
    channel.EndDrag(viewer);

    channel.SelectNextPoint();
    ASSERT_EQ(channel.BeginDrag(viewer, {100, 206}), kLutHueWidth);
    channel.TrackMouse(viewer, {7 + 64, 206});
    EXPECT_EQ(channel.GetPoints()[0].width, 0.25);
    channel.TrackMouse(viewer, {7 + 250, 206});
    EXPECT_EQ(channel.GetPoints()[0].width, 0.5);
    channel.EndDrag(viewer);
    EXPECT_EQ(viewer.ended, (std::vector<uint32_t>{kLutHueOffset, kLutHueWidth}));
}

}  // namespace
