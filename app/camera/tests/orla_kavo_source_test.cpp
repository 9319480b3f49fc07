// The source's setting accessors over the simulated camera: each page value
// against the index and data type the module sees, the special numberings,
// degenerate ranges, and the camera's tone curve.
#include <gtest/gtest.h>

#include <functional>

#include "app/camera/app/orla_kavo.h"
#include "app/camera/curve/camera_curve_block.h"
#include "app/camera/tests/tree_fixture.h"
#include "app/core/curves/lut_channel.h"
#include "app/core/curves/lut_group.h"

namespace {

using camera_test::SimTree;
using camera_test::TraceCount;

struct SourceTree {
    SimTree<COrlaKavoModule> t;
    COrlaKavoSource* source = nullptr;

    explicit SourceTree(const std::string& scenario = "") : t(scenario)
    {
        source = dynamic_cast<COrlaKavoSource*>(t.OpenSource());
        EXPECT_NE(nullptr, source);
    }
    size_t Count(const std::string& piece) { return TraceCount(t.sim, {"call src1 ", piece.c_str()}); }
};

std::string Hex(uint32_t cap)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", cap);
    return text;
}

}  // namespace

TEST(OrlaKavoSourceSettings, PageValuesAreTheModulesIndexPlusOne)
{
    using Get = std::function<uint16_t(COrlaKavoSource&)>;
    using Set = std::function<int32_t(COrlaKavoSource&, uint16_t)>;
    struct Row {
        uint32_t cap;
        uint32_t count;    // the accessor's list
        uint32_t offered;  // what the simulated camera offers
        uint16_t first;    // its page value at the start
        Get get;
        Set set;
    } rows[] = {
        {0x8107, 2, 2, 1, &COrlaKavoSource::GetKeepAwake, &COrlaKavoSource::SetKeepAwake},
        {0x810c, 2, 2, 1, nullptr, &COrlaKavoSource::SetCapability810C},
        {0x810f, 3, 3, 1, &COrlaKavoSource::GetDataFormat, &COrlaKavoSource::SetDataFormat},
        {0x8110, 7, 7, 3, &COrlaKavoSource::GetCompression, &COrlaKavoSource::SetCompression},
        {0x8118, 12, 12, 1, &COrlaKavoSource::GetWhiteBalance, &COrlaKavoSource::SetWhiteBalance},
        {0x8121, 2, 2, 1, &COrlaKavoSource::GetAFAreaMode, &COrlaKavoSource::SetAFAreaMode},
        {0x8122, 5, 5, 3, &COrlaKavoSource::GetFocusArea, &COrlaKavoSource::SetFocusArea},
        {0x8125, 10, 4, 1, &COrlaKavoSource::GetCustomBank, &COrlaKavoSource::SetCustomBank},
        {0x814f, 3, 3, 1, &COrlaKavoSource::GetHighSensitivity, &COrlaKavoSource::SetHighSensitivity},
        {0x8156, 2, 2, 1, &COrlaKavoSource::GetCapability8156, nullptr},
    };
    SourceTree st;
    COrlaKavoSource& s = *st.source;
    for (const Row& row : rows) {
        const std::string cap = Hex(row.cap);
        SCOPED_TRACE(cap);
        if (row.get) {
            EXPECT_EQ(row.first, row.get(s));
        }
        if (!row.set)
            continue;
        for (uint16_t value = 1; value <= row.offered; ++value) {
            EXPECT_EQ(0, row.set(s, value));
            EXPECT_EQ(1u, st.Count("set " + cap + " 3 " + std::to_string(value - 1) + " -> 0"));
            if (row.get) {
                EXPECT_EQ(value, row.get(s));
                const std::string current = " current " + std::to_string(value - 1) + " ";
                EXPECT_LE(1u, TraceCount(st.t.sim, {"call src1 get ", (cap + " 16 {").c_str(), current.c_str()}));
            }
        }
        const size_t sets = st.Count("set " + cap + " ");
        EXPECT_EQ(-245, row.set(s, 0));
        EXPECT_EQ(-245, row.set(s, static_cast<uint16_t>(row.count + 1)));
        EXPECT_EQ(sets, st.Count("set " + cap + " "));
    }
    // Numbers read whole, and one the list does not hold.
    EXPECT_EQ(2u, s.GetCapability810A());
    EXPECT_EQ(1u, s.GetMeteringMode());
    EXPECT_EQ(1u, s.GetCapability8120());
    st.t.Act("dial 0x810a 4");
    EXPECT_EQ(0u, s.GetCapability810A());
    // A camera whose answer is outside the list reads as 0.
    SourceTree shifted("fail 151 source get 0x8118\n");
    EXPECT_EQ(0u, shifted.source->GetWhiteBalance());
}

TEST(OrlaKavoSourceSettings, TheSpecialNumberingsMapBothWays)
{
    SourceTree st;
    COrlaKavoSource& s = *st.source;
    // Exposure mode: elements 0, 1, 2, 3 are pages 1, 3, 2, 4.
    std::vector<uint16_t> modes;
    EXPECT_EQ(1u, s.GetExposureMode(&modes));
    EXPECT_EQ((std::vector<uint16_t>{1, 3, 2, 4}), modes);
    EXPECT_EQ(0, s.SetExposureMode(3));
    EXPECT_EQ(1u, st.Count("set 0x8111 3 1 -> 0"));
    EXPECT_EQ(3u, s.GetExposureMode());
    EXPECT_EQ(0, s.SetExposureMode(2));
    EXPECT_EQ(2u, s.GetExposureMode());
    EXPECT_EQ(-245, s.SetExposureMode(5));
    // Flash sync: elements 0..5 are pages 1..6.
    std::vector<uint16_t> sync;
    EXPECT_EQ(1u, s.GetFlashSyncMode(&sync));
    EXPECT_EQ((std::vector<uint16_t>{1, 2, 3, 4, 5, 6}), sync);
    EXPECT_EQ(0, s.SetFlashSyncMode(6));
    EXPECT_EQ(6u, s.GetFlashSyncMode());
    EXPECT_EQ(-245, s.SetFlashSyncMode(7));
    EXPECT_EQ(0, s.SetImageType(2));
    EXPECT_EQ(2u, s.GetImageType());
    // Sensitivity: the entries are numbers.
    std::vector<int32_t> speeds;
    EXPECT_EQ(200, s.GetSensitivity(&speeds));
    EXPECT_EQ((std::vector<int32_t>{100, 200, 400, 800}), speeds);
    EXPECT_EQ(-245, s.SetSensitivity(300));
    EXPECT_EQ(0u, st.Count("set 0x8117"));
    EXPECT_EQ(0, s.SetSensitivity(800));
    EXPECT_EQ(1u, st.Count("set 0x8117 3 3"));
    // Image size and continuous speed by the entries' texts.
    EXPECT_EQ(2u, s.GetImageSize());
    EXPECT_EQ(0, s.SetImageSize(1));
    EXPECT_EQ(1u, s.GetImageSize());
    EXPECT_EQ(-245, s.SetImageSize(3));
    EXPECT_EQ(1u, s.GetContinuousSpeed());
    EXPECT_EQ(0, s.SetContinuousSpeed(5));
    EXPECT_EQ(1u, st.Count("set 0x813d 3 4"));
    EXPECT_EQ(5u, s.GetContinuousSpeed());
    EXPECT_EQ(-245, s.SetContinuousSpeed(6));  // no "4..." entry
    EXPECT_TRUE(s.HasGridDisplayModes());
    EXPECT_EQ(4u, s.GetCustomBankCount());
    EXPECT_EQ(5u, s.GetCapability8151Count());
    // Shutter speed: the index itself, with the list's texts.
    std::vector<CQzString> texts;
    EXPECT_EQ(2u, s.GetShutterSpeed(&texts));
    ASSERT_EQ(7u, texts.size());
    EXPECT_STREQ("1/250", texts[2]);
    EXPECT_EQ(0, s.SetShutterSpeed(4));
    EXPECT_EQ(4u, s.GetShutterSpeed());
    EXPECT_EQ(-245, s.SetShutterSpeed(7));
    EXPECT_EQ(-245, s.SetAperture(6));
    EXPECT_EQ(0u, st.Count("set 0x8113"));
    EXPECT_EQ(3u, s.GetCapability8100());  // index 0
    EXPECT_EQ(0, s.SetCapability813CTo4());
    EXPECT_TRUE(s.IsCapability813CAt4());
    EXPECT_FALSE(s.GetCapability8129());
    EXPECT_EQ(1u, s.GetCameraKind());

    SourceTree noSize("profile minimal\n");
    EXPECT_EQ(0u, noSize.source->GetImageSize());
    EXPECT_EQ(-129, noSize.source->SetImageSize(1));
    EXPECT_EQ(1u, noSize.source->GetCapability8151Count());
    EXPECT_EQ(0xffffu, noSize.source->GetShutterSpeed());
}

TEST(OrlaKavoSourceSettings, RangesStepFromTheMiddleAndDegenerateOnesAreRefused)
{
    SourceTree st;
    COrlaKavoSource& s = *st.source;
    EXPECT_EQ(0, s.GetFlexibleProgram());  // 31 steps, index 15
    EXPECT_EQ(0, s.SetFlexibleProgram(3));
    EXPECT_EQ(1u, st.Count("set 0x8114 14 {value 0.6 default 0 index 18 "));
    EXPECT_EQ(3, s.GetFlexibleProgram());
    EXPECT_EQ(-245, s.SetFlexibleProgram(16));  // past the last step
    EXPECT_EQ(0, s.GetExposureCompensation());  // 13 steps, index 6
    EXPECT_EQ(1u, s.GetExposureCompensationStep());  // 13 positions over 4: thirds
    EXPECT_DOUBLE_EQ(0.0, s.GetExposureCompensationValue());
    EXPECT_EQ(0, s.SetExposureCompensation(-6));
    EXPECT_DOUBLE_EQ(-2.0, s.GetExposureCompensationValue());
    EXPECT_EQ(0, s.GetWhiteBalanceTune(1));
    EXPECT_EQ(0, s.SetWhiteBalanceTune(2, 2));
    EXPECT_EQ(1u, st.Count("set 0x811a 3 5"));
    EXPECT_EQ(2, s.GetWhiteBalanceTune(2));
    EXPECT_EQ(0, s.GetWhiteBalanceTuneDefault(2));
    const size_t before = st.t.sim.Trace().size();
    EXPECT_EQ(0, s.GetWhiteBalanceTune(9));
    EXPECT_EQ(-245, s.SetWhiteBalanceTune(0, 1));
    EXPECT_EQ(before, st.t.sim.Trace().size());
    EXPECT_EQ(-245, s.SetWhiteBalanceTune(1, 4));  // 7 steps: -3 to 3
    EXPECT_EQ(-245, s.SetWhiteBalanceTune(1, -4));
    EXPECT_EQ(0u, st.Count("set 0x8119"));

    for (const char* shape : {"1 1 31 15", "-3 3 1 0", "-3 3 0 0", "3 -3 31 15"}) {
        SCOPED_TRACE(shape);
        SourceTree flat(std::string("range 0x8114 ") + shape + "\nrange 0x8115 " + shape + "\n");
        EXPECT_EQ(0, flat.source->GetFlexibleProgram());
        EXPECT_EQ(0u, flat.source->GetFlexibleProgramStep());
        EXPECT_EQ(0.0, flat.source->GetExposureCompensationValue());
        EXPECT_EQ(-245, flat.source->SetFlexibleProgram(0));
        EXPECT_EQ(-245, flat.source->SetExposureCompensation(1));
        EXPECT_EQ(0u, flat.Count("set 0x811"));
    }
    // A failed read gives 0, never what the record held before.
    SourceTree failing("fail 148 source get 0x8114\n");
    EXPECT_EQ(0, failing.source->GetFlexibleProgram());
    EXPECT_EQ(148, failing.source->SetFlexibleProgram(1));
}

TEST(OrlaKavoSourceSettings, ValuesTextsClockAndActions)
{
    SourceTree st;
    COrlaKavoSource& s = *st.source;
    EXPECT_EQ(0, s.SetContinuousShooting(true));
    EXPECT_EQ(1u, st.Count("set 0x814d 1 1"));
    EXPECT_TRUE(s.GetContinuousShooting());
    EXPECT_TRUE(s.GetRawCompression());
    EXPECT_TRUE(s.GetCapability8143());
    EXPECT_EQ(3u, s.GetCapability8109());
    EXPECT_EQ(-3, s.GetCapability810B());  // -0.5 x 6
    EXPECT_EQ(12u, s.GetCapabilityE());
    CQzString left, right;
    EXPECT_EQ(0, s.GetCapability8144Left(&left));
    EXPECT_EQ(0, s.GetCapability8144Right(&right));
    EXPECT_STREQ("12", left);
    EXPECT_STREQ("4", right);  // two characters after the slash

    const std::string longId(300, 'k');
    EXPECT_EQ(0, s.SetCameraID(longId.c_str()));
    CQzString id;
    EXPECT_EQ(0, s.GetCameraID(&id));
    EXPECT_EQ(std::string(255, 'k'), std::string(id));

    const KavoDateTime given = {2027, 0, 31, 23, 59, 58, 123};
    EXPECT_EQ(0, s.SetCameraClock(&given));
    EXPECT_EQ(1u, st.Count("set 0x8124 12 2027-0-31 23:59:58.123"));
    EXPECT_EQ(0, s.SetCameraClock(nullptr));
    KavoDateTime now = {};
    EXPECT_EQ(0, s.GetCameraClock(&now));
    EXPECT_GE(now.year, 2024);
    EXPECT_LE(now.month, 11);
    {
        SourceTree noClock("fail 134 source get 0x8124\n");
        KavoDateTime cleared = {1, 2, 3, 4, 5, 6, 7};
        EXPECT_EQ(134, noClock.source->GetCameraClock(&cleared));
        EXPECT_EQ(0, cleared.year + cleared.month + cleared.day + cleared.fraction);
    }

    CCommandQueue queue;
    EXPECT_EQ(0, s.StartAutofocus(&queue));
    EXPECT_EQ(0u, st.Count("start 0x1e"));
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_EQ(1u, st.Count("start 0x1e"));
    EXPECT_EQ(0, s.StartAutofocus(nullptr));
    EXPECT_EQ(2u, st.Count("start 0x1e"));

    EXPECT_EQ(-125, s.MeasureWhiteBalance(7));
    EXPECT_EQ(-125, s.MeasureWhiteBalance(13));
    EXPECT_EQ(0, s.MeasureWhiteBalance(9));
    const int preset = camera_test::TraceIndex(st.t.sim, {"call src1 set 0x8151 3 1 -> 0"});
    EXPECT_GT(camera_test::TraceIndex(st.t.sim, {"call src1 start 0x8104"}, preset), preset);
    SourceTree refused("fail 148 source set 0x8151\n");
    EXPECT_EQ(148, refused.source->MeasureWhiteBalance(8));
    EXPECT_EQ(0u, refused.Count("start 0x8104"));
}

namespace {

void MakeCurveGroup(CQzLutGroup& group)
{
    group.AddChannel(0, {}, {}, {});
    group.AddChannel(1, {}, {}, {});
}

}  // namespace

TEST(OrlaKavoSourceCurve, WritesTheBlockAndTableAndReadsTheBlockBack)
{
    SourceTree st;
    CQzLutGroup group;
    MakeCurveGroup(group);
    CQzLutChannel* master = group.GetToneChannelById(0);
    master->AddPoint(0.5, 0.7);
    master->SetGamma(1.25);
    EXPECT_EQ(0, st.source->WriteCameraCurve(&group));
    const int block = camera_test::TraceIndex(st.t.sim, {"call src1 set 0x813f 15 {type 2 count 64 bytes 1} -> 0"});
    EXPECT_GE(block, 0);
    EXPECT_GT(camera_test::TraceIndex(st.t.sim, {"call src1 set 0x29 15 {type 2 count 2048 bytes 1} -> 0"}, block),
              block);

    CQzLutGroup back;
    MakeCurveGroup(back);
    EXPECT_EQ(0, st.source->ReadCameraCurve(&back));
    const LutParameterSet& read = back.GetToneChannelById(0)->GetWorkingSet();
    ASSERT_EQ(3u, read.points.size());
    EXPECT_NEAR(0.5, read.points[1].x, 1.0 / 255);
    EXPECT_NEAR(0.7, read.points[1].y, 1.0 / 255);
    EXPECT_NEAR(1.25, read.gamma, 1e-9);

    master->SetMaxPoints(0);
    for (int i = 0; i < 19; ++i)
        master->AddPoint(0.02 + i * 0.05, 0.5);
    ASSERT_GT(master->GetPointCount(), 20);
    const size_t sets = st.Count("set 0x813f");
    EXPECT_EQ(-125, st.source->WriteCameraCurve(&group));
    EXPECT_EQ(sets, st.Count("set 0x813f"));
    EXPECT_EQ(-245, st.source->WriteCameraCurve(nullptr));
    EXPECT_EQ(-245, st.source->ReadCameraCurve(nullptr));
}

TEST(OrlaKavoSourceCurve, ShortOrOversizedBlocksFromTheCameraAreRefused)
{
    const char* scenarios[] = {
        "bytes 0x813f 495f00ff00ff0100\n",  // the header without its point count
        "bytes 0x813f 495f00ff00ff01000400ffff\n",  // four points announced, one there
        "malform listcount 0x813f 100000000\n",  // more than any answer holds
        "fail 151 source array 0x813f\n",
    };
    for (const char* scenario : scenarios) {
        SCOPED_TRACE(scenario);
        SourceTree st(scenario);
        CQzLutGroup group;
        MakeCurveGroup(group);
        group.GetToneChannelById(0)->AddPoint(0.3, 0.6);
        EXPECT_EQ(-125, st.source->ReadCameraCurve(&group));
        EXPECT_EQ(2, group.GetToneChannelById(0)->GetPointCount());  // reset
    }
}
