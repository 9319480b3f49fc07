#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "app/core/curves/hue_channel.h"
#include "app/core/curves/lut_group.h"
#include "app/core/testing/blob_test_util.h"
#include "curve_test_util.h"

using namespace core_test;
using namespace curve_test;

namespace {

// The Curves group of a new image record.
void AddColourChannels(CQzLutGroup& group)
{
    group.AddChannel(1, {255, 0, 0}, {}, {255, 0, 0});
    group.AddChannel(2, {0, 255, 0}, {}, {0, 255, 0});
    group.AddChannel(3, {0, 0, 255}, {}, {0, 0, 255});
}

CQzLutChannel* Tone(const CQzLutGroup& group, int32_t index)
{
    return static_cast<CQzLutChannel*>(group.GetChannel(index));
}

// The same blob in the group's older layouts.
std::vector<uint8_t> GroupLayout(const std::vector<uint8_t>& v3, int version)
{
    if (version == 3)
        return v3;
    std::vector<uint8_t> blob(v3.begin(), v3.begin() + 16);
    if (version == 2)
        blob.insert(blob.end(), {0xFF, 0x02, 0x00});
    blob.insert(blob.end(), v3.begin() + 23, v3.end());
    return blob;
}

TEST(LutGroupBlob, DefaultGroupWritesItsStoredForm)
{
    const CQzLutGroup group;
    const std::vector<uint8_t> blob = Blob(group);
    ASSERT_EQ(blob.size(), 33u + 143u);
    EXPECT_EQ(Hex({blob.begin(), blob.begin() + 33}),
              "9ddc7d0065d411d19194444553540000" "ff" "03" "9e000000" "01" "01" "00" "0000000000000000");
    EXPECT_EQ(std::vector<uint8_t>(blob.begin() + 33, blob.end()), Blob(CQzLutChannel(0, {}, {}, {})));
}

TEST(LutGroupBlob, EveryVersionReadsIntoTheSameChannelObjects)
{
    CQzLutGroup source;
    AddColourChannels(source);
    source.SetContrast(0.75);
    source.SelectChannel(2);
    Tone(source, 2)->AddPoint(0.5, 0.75);
    Tone(source, 3)->EditWorkingSet().gamma = 1.8;
    const std::vector<uint8_t> v3 = Blob(source);
    struct Case {
        int version;
        int32_t answer;
    } cases[] = {{3, static_cast<int32_t>(v3.size())},
                 {2, static_cast<int32_t>(v3.size()) - 33 + 29},
                 {1, static_cast<int32_t>(v3.size()) - 33 + 26}};
    for (const Case& c : cases) {
        CQzLutGroup target;
        AddColourChannels(target);
        std::vector<CQzLutChannelBase*> before;
        for (int32_t i = 0; i < 4; ++i)
            before.push_back(target.GetChannel(i));
        const std::vector<uint8_t> blob = GroupLayout(v3, c.version);
        EXPECT_EQ(target.SetData(blob.data(), static_cast<int32_t>(blob.size())), c.answer) << c.version;
        for (int32_t i = 0; i < 4; ++i)
            EXPECT_EQ(target.GetChannel(i), before[i]) << c.version;
        EXPECT_EQ(target.GetCurrentChannelId(), 2) << c.version;
        EXPECT_EQ(target.GetContrast(), 0.75) << c.version;
        EXPECT_EQ(Tone(target, 2)->GetPointCount(), 3) << c.version;
        EXPECT_EQ(Tone(target, 3)->GetWorkingSet().gamma, 1.8) << c.version;
        EXPECT_EQ(Tone(target, 1)->GetCurveColour().red, 255u) << c.version;
    }
}

TEST(LutGroupBlob, ADifferentLayoutReplacesTheChannels)
{
    CQzLutGroup source;
    AddColourChannels(source);
    const std::vector<uint8_t> blob = Blob(source);
    CQzLutGroup target;
    const CQzLutChannelBase* oldMaster = target.GetChannel(0);
    EXPECT_EQ(target.SetData(blob.data(), static_cast<int32_t>(blob.size())), static_cast<int32_t>(blob.size()));
    ASSERT_EQ(target.GetChannelCount(), 4);
    EXPECT_NE(target.GetChannel(0), oldMaster);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(target.GetChannel(i)->GetOwner(), &target);
    EXPECT_EQ(Blob(target), blob);
}

TEST(LutGroupBlob, OlderBlobsChangingOnlyBrightnessOrContrastAreKindTwo)
{
    struct Case {
        const char* name;
        std::function<void(CQzLutGroup&)> edit;
        int version;
        int32_t kind;
    } cases[] = {
        {"brightness only", [](CQzLutGroup& g) { Tone(g, 1)->EditWorkingSet().brightness = 0.5; }, 2, 2},
        {"contrast only", [](CQzLutGroup& g) { g.SetContrast(1); }, 1, 2},
        {"brightness and a point",
         [](CQzLutGroup& g) {
             Tone(g, 1)->EditWorkingSet().brightness = 0.5;
             Tone(g, 2)->AddPoint(0.5, 0.6);
         },
         2, 1},
        {"nothing", [](CQzLutGroup&) {}, 2, 1},
        {"version 3 stores its kind", [](CQzLutGroup& g) { g.SetContrast(1); }, 3, 1},
    };
    for (const Case& c : cases) {
        CQzLutGroup source;
        AddColourChannels(source);
        c.edit(source);
        const std::vector<uint8_t> blob = GroupLayout(Blob(source), c.version);
        CQzLutGroup target;
        EXPECT_GT(target.SetData(blob.data(), static_cast<int32_t>(blob.size())), 0) << c.name;
        EXPECT_EQ(target.GetKind(), c.kind) << c.name;
    }
}

TEST(LutGroupBlob, AHueChannelIsReadAtItsPlace)
{
    CQzLutGroup source;
    source.AddChannel(1, {}, {}, {});
    const std::vector<uint8_t> tones = Blob(source);
    CQzHueChannel hue(7);
    hue.InsertPoint();
    const std::vector<uint8_t> hueBlob = Blob(hue);
    // Master, hue, channel 1.
    std::vector<uint8_t> blob(tones.begin(), tones.begin() + 33 + 143);
    blob.insert(blob.end(), hueBlob.begin(), hueBlob.end());
    blob.insert(blob.end(), tones.begin() + 33 + 143, tones.end());
    blob[23] = 3;
    PutU32(blob, 18, static_cast<uint32_t>(blob.size() - 18));
    CQzLutGroup target;
    EXPECT_EQ(target.SetData(blob.data(), static_cast<int32_t>(blob.size())), static_cast<int32_t>(blob.size()));
    ASSERT_EQ(target.GetChannelCount(), 3);
    EXPECT_FALSE(target.GetChannel(0)->IsHueChannel());
    EXPECT_TRUE(target.GetChannel(1)->IsHueChannel());
    EXPECT_EQ(target.GetChannel(1)->GetChannelId(), 7u);
    EXPECT_EQ(target.GetChannel(1)->GetPointCount(), 1);
    EXPECT_EQ(target.GetChannel(2)->GetChannelId(), 1u);
    EXPECT_EQ(target.GetToneChannelById(7), nullptr);
    EXPECT_EQ(target.GetChannelById(7), target.GetChannel(1));
    // Copies keep the kind of each channel.
    CQzLutGroup copy;
    copy = target;
    EXPECT_TRUE(copy.GetChannel(1)->IsHueChannel());
    EXPECT_EQ(Blob(copy), blob);
}

TEST(LutGroupBlob, BlobsTheGroupCannotTakeWholeChangeNothing)
{
    CQzLutGroup source;
    AddColourChannels(source);
    const std::vector<uint8_t> good = Blob(source);
    auto with = [&](auto change) {
        std::vector<uint8_t> blob = good;
        change(blob);
        return blob;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> blob;
    } cases[] = {
        {"a class id alone", {good.begin(), good.begin() + 16}},
        {"no channels", with([](std::vector<uint8_t>& b) { b[23] = 0; })},
        {"no channels in version 1", with([](std::vector<uint8_t>& b) {
             b.resize(26);
             std::fill(b.begin() + 16, b.end(), 0);
         })},
        {"version 4", with([](std::vector<uint8_t>& b) { b[17] = 4; })},
        {"a second channel of an unknown class", with([](std::vector<uint8_t>& b) { b[33 + 143 + 3] = 0x09; })},
        {"the last channel's points cut", {good.begin(), good.end() - 20}},
        {"the last channel's brightness cut", {good.begin(), good.end() - 4}},
        {"more channels than the blob holds", with([](std::vector<uint8_t>& b) { b[23] = 5; })},
        {"a channel with points past the end", with([](std::vector<uint8_t>& b) { PutU32(b, 33 + 99, 1000); })},
    };
    for (const Case& c : cases) {
        CQzLutGroup target;
        AddColourChannels(target);
        Tone(target, 1)->EditWorkingSet().gamma = 2.0;
        target.SelectChannel(3);
        const std::vector<uint8_t> before = Blob(target);
        const CQzLutChannelBase* master = target.GetChannel(0);
        EXPECT_EQ(target.SetData(c.blob.data(), static_cast<int32_t>(c.blob.size())), 0) << c.name;
        EXPECT_EQ(Blob(target), before) << c.name;
        EXPECT_EQ(target.GetChannel(0), master) << c.name;
    }
}

TEST(LutGroupBlob, ChannelsAreWrittenWholeOrNotAtAll)
{
    CQzLutGroup group;
    AddColourChannels(group);
    std::vector<uint8_t> buffer(33 + 143 + 100, 0xEE);
    EXPECT_EQ(group.GetData(buffer.data(), static_cast<int32_t>(buffer.size())), 33 + 4 * 143);
    EXPECT_EQ(U32At(buffer, 18), 33u + 143u - 18u);
    EXPECT_EQ(buffer[33 + 143], 0xEE);
}

TEST(LutGroup, ChannelSelectionAndLookup)
{
    CQzLutGroup group;
    AddColourChannels(group);
    EXPECT_EQ(group.SelectChannel(7), 0);
    EXPECT_EQ(group.GetCurrentChannelId(), 0);
    EXPECT_EQ(group.SelectChannel(2), 1);
    EXPECT_EQ(group.GetChannel(-1), group.GetChannel(2));
    EXPECT_EQ(group.GetChannel(4), nullptr);
    EXPECT_EQ(group.GetChannel(-2), nullptr);
    EXPECT_EQ(group.GetChannelById(3), group.GetChannel(3));
    group.RemoveExtraChannels();
    EXPECT_EQ(group.GetChannelCount(), 1);
    EXPECT_EQ(group.GetCurrentChannelId(), 0);
}

TEST(LutGroup, GrayPointGammas)
{
    struct Case {
        const char* name;
        double red, green, blue, targetRed, targetGreen, targetBlue;
        double gammaRed, gammaGreen, gammaBlue;
    } cases[] = {
        // L = 0.32475: red ln 0.5 / ln L, green and blue ln 0.25 / ln L.
        {"example", 0.5, 0.25, 0.25, 1, 1, 1, 0.61630, 1.23260, 1.23260},
        {"a negative sample: NaN counts as 1", -0.5, 0.5, 0.5, 1, 1, 1, 1, 0.43202, 0.43202},
        {"a sample of 0 counts as 1e-10", 0.5, 0, 0.5, 1, 1, 1, 0.43941, 14.59684, 0.43941},
        {"limited to the gamma range", 0.999, 0.999, 0.001, 1, 1, 1, 0.05, 0.05, 20},
        {"a target of 0 changes nothing", 0.5, 0.25, 0.25, 1, 0, 1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        CQzLutGroup group;
        AddColourChannels(group);
        group.SetGrayPoint(c.red, c.green, c.blue, c.targetRed, c.targetGreen, c.targetBlue);
        EXPECT_NEAR(Tone(group, 1)->GetWorkingSet().gamma, c.gammaRed, 5e-5) << c.name;
        EXPECT_NEAR(Tone(group, 2)->GetWorkingSet().gamma, c.gammaGreen, 5e-5) << c.name;
        EXPECT_NEAR(Tone(group, 3)->GetWorkingSet().gamma, c.gammaBlue, 5e-5) << c.name;
        EXPECT_EQ(Tone(group, 0)->GetWorkingSet().gamma, 1.0) << c.name;
    }
    // Each sample value goes to L.
    CQzLutGroup group;
    AddColourChannels(group);
    group.SetGrayPoint(0.5, 0.25, 0.25, 1, 1, 1);
    EXPECT_NEAR(std::pow(0.5, 1 / Tone(group, 1)->GetWorkingSet().gamma), 0.32475, 1e-12);
}

TEST(LutGroup, CopyIsDeepAndKeepsTheTargetsKind)
{
    CQzLutGroup source;
    AddColourChannels(source);
    source.SetKind(2);
    source.SetContrast(0.5);
    source.SelectChannel(1);
    Tone(source, 1)->AddPoint(0.25, 0.5);
    CQzLutGroup target;
    target = source;
    EXPECT_EQ(target.GetKind(), 1);
    EXPECT_EQ(target.GetContrast(), 0.5);
    EXPECT_EQ(target.GetCurrentChannelId(), 1);
    ASSERT_EQ(target.GetChannelCount(), 4);
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_NE(target.GetChannel(i), source.GetChannel(i));
        EXPECT_EQ(target.GetChannel(i)->GetOwner(), &target);
        EXPECT_EQ(Blob(*target.GetChannel(i)), Blob(*source.GetChannel(i)));
    }
    Tone(source, 1)->AddPoint(0.75, 0.5);
    EXPECT_EQ(Tone(target, 1)->GetPointCount(), 3);
}

TEST(LutGroup, KeysWaitForTheDragAndNeedASelectedPoint)
{
    RecordingViewer viewer;
    CQzLutGroup group;
    ASSERT_EQ(group.BeginDrag(viewer, ToneMouse(0.5, 0.5)), kLutPoints);
    EXPECT_TRUE(group.IsDragging());
    EXPECT_EQ(group.InsertPoint(), 0u);
    EXPECT_EQ(group.NudgePointUp(viewer), 0u);
    EXPECT_EQ(group.NudgeBlackRight(viewer), 0u);
    group.EndDrag(viewer);
    EXPECT_FALSE(group.IsDragging());
    EXPECT_EQ(group.NudgePointUp(viewer), kLutPoints);

    // A hue channel without points: the point keys do not reach it.
    CQzLutGroup hueGroup;
    CQzHueChannel hue(1);
    hue.SelectNextPoint();
    const std::vector<uint8_t> tones = Blob(hueGroup);
    std::vector<uint8_t> blob(tones);
    const std::vector<uint8_t> hueBlob = Blob(hue);
    blob.insert(blob.end(), hueBlob.begin(), hueBlob.end());
    blob[23] = 2;
    ASSERT_GT(hueGroup.SetData(blob.data(), static_cast<int32_t>(blob.size())), 0);
    hueGroup.SelectChannel(1);
    EXPECT_EQ(hueGroup.SelectNextPoint(), 0u);
    EXPECT_EQ(hueGroup.DeleteSelectedPoint(), 0u);
    EXPECT_EQ(hueGroup.NudgePointLeft(viewer), 0u);
    EXPECT_EQ(hueGroup.NudgeOffsetUp(viewer), kLutHueOffset);
    EXPECT_EQ(hueGroup.SetVerticalRange(3), kLutHueRange);
    EXPECT_EQ(hueGroup.InsertPoint(), kLutPoints);
    EXPECT_EQ(hueGroup.SelectNextPoint(), kLutPoints);
}

TEST(LutGroup, ChannelsStopAtWhatABlobCanCount)
{
    CQzLutGroup group;
    for (int32_t i = 1; i < CQzLutGroup::kMaxChannels; ++i)
        ASSERT_NE(group.AddChannel(static_cast<uint32_t>(i), {}, {}, {}), nullptr);
    EXPECT_EQ(group.AddChannel(999, {}, {}, {}), nullptr);
    const std::vector<uint8_t> blob = Blob(group);
    CQzLutGroup read;
    EXPECT_EQ(read.SetData(blob.data(), static_cast<int32_t>(blob.size())), static_cast<int32_t>(blob.size()));
    EXPECT_EQ(read.GetChannelCount(), 255);
}

TEST(LutGroup, ModifiedFlagsAndReset)
{
    CQzLutGroup group;
    AddColourChannels(group);
    EXPECT_EQ(group.GetModifiedFlags(~0u), 0u);
    Tone(group, 2)->EditWorkingSet().inputBlack = 0.1;
    Tone(group, 3)->EditWorkingSet().outputWhite = 0.9;
    EXPECT_EQ(group.GetModifiedFlags(~0u), kLutInputBlack | kLutOutputWhite);
    EXPECT_EQ(group.GetModifiedFlags(kLutInputBlack), kLutInputBlack);
    group.SetContrast(1);
    Tone(group, 1)->EditWorkingSet().brightness = 1;
    group.Reset(false);
    EXPECT_EQ(group.GetModifiedFlags(~0u), kLutOnCurve);
    group.Reset(true);
    EXPECT_EQ(group.GetModifiedFlags(~0u), 0u);
}

}  // namespace
