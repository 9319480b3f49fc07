#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/core/settings/camera_control.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/noise_reduction.h"
#include "app/core/settings/usm.h"
#include "app/core/settings/wb_adjustment.h"
#include "app/core/testing/blob_test_util.h"

using namespace core_test;

namespace {

TEST(AdjustmentBlobs, DefaultObjectsWriteTheirStoredForm)
{
    struct Case {
        const char* name;
        std::unique_ptr<IQzState> state;
        const char* hex;
    };
    Case cases[] = {
        {"usm", std::make_unique<CQzUSM>(), "60512be4df5dd211a90a00aa00b1c1b7" "0100" "0000" "0000" "0000" "0500" "00"},
        {"usm list", std::make_unique<CQzUSMList>(), "61512be4df5dd211a90a00aa00b1c1b7" "0200" "05000000" "00"},
        {"exposure", std::make_unique<CQzExposureAdjustment>(),
         "6042a5569b04d411a90a00aa00b1c1b7" "0300" "11000000" "0000" "0000" "0000" "00" "03000000" "0000"},
        {"white balance", std::make_unique<CQzWBAdjustment>(),
         "206c3cbfca04d411a90a00aa00b1c1b7" "0200" "1e000000" "0000000000000000" "0000000000000000" "01000000"
         "00000000" "0000"},
        {"noise reduction", std::make_unique<CQzNoiseReduction>(),
         "e0136f9219acd411bff7000103208145" "0100" "08000000" "0000" "0000"},
        {"camera control", std::make_unique<CQzCameraControl>(),
         "e0d9b08960d1d211a90a00aa00b1c1b7" "0300" "24000000"
         "0000000000000000000000000000000000000000000000000000000000000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(Blob(*c.state)), c.hex) << c.name;
        EXPECT_EQ(c.state->GetSize(), static_cast<int32_t>(std::strlen(c.hex) / 2)) << c.name;
    }
}

TEST(AdjustmentBlobs, ShortBuffersGetOnlyTheFieldsThatFitAndTheFullSize)
{
    CQzExposureAdjustment exposure;
    exposure.hueLevel = 5;
    std::vector<uint8_t> buffer(40, 0xEE);
    // The hue level (29..33) does not fit in 30 bytes; the length field counts what was written.
    EXPECT_EQ(exposure.GetData(buffer.data(), 30), 35);
    EXPECT_EQ(buffer[29], 0xEE);
    EXPECT_EQ(U32At(buffer, 18), 29u - 18u);
    // Nothing after the length field: it stays unwritten.
    std::vector<uint8_t> header(21, 0xEE);
    EXPECT_EQ(exposure.GetData(header.data(), 21), 35);
    EXPECT_EQ(header[18], 0xEE);
    EXPECT_EQ(exposure.GetData(nullptr, 100), 35);
}

// Every class refuses a missing buffer, one too short for a class id and one
// of another class, and keeps what it held.
TEST(AdjustmentBlobs, NullShortAndForeignBlobsAreRefusedAndChangeNothing)
{
    CQzUSM usm;
    usm.intensity = 40;
    CQzUSMList list;
    list.Insert(0, 1, usm);
    CQzExposureAdjustment exposure;
    exposure.exposureCompensation = 120;
    CQzWBAdjustment whiteBalance;
    whiteBalance.gain1 = 2.0;
    CQzNoiseReduction noise;
    noise.lineNoiseReduction = 3;
    CQzCameraControl camera;
    camera.aperture = 7;
    IQzState* states[] = {&usm, &list, &exposure, &whiteBalance, &noise, &camera};
    const std::vector<uint8_t> foreign = Blob(CQzNoiseReduction());
    for (IQzState* state : states) {
        const std::vector<uint8_t> before = Blob(*state);
        const std::vector<uint8_t> own = before;
        EXPECT_EQ(state->SetData(nullptr, 100), 0);
        EXPECT_EQ(state->SetData(own.data(), 15), 0);
        EXPECT_EQ(state->SetData(own.data(), -5), 0);
        if (state != &noise) {
            EXPECT_EQ(state->SetData(foreign.data(), static_cast<int32_t>(foreign.size())), 0);
        }
        EXPECT_EQ(Blob(*state), before) << Hex(before);
    }
}

TEST(AdjustmentBlobs, VersionZeroResetsExposureButIsRefusedByTheOthers)
{
    CQzExposureAdjustment exposure;
    exposure.exposureCompensation = 50;
    exposure.hueLevel = 6;
    std::vector<uint8_t> blob = Blob(exposure);
    // A class id alone counts as version 0.
    EXPECT_EQ(exposure.SetData(blob.data(), 16), 22);
    EXPECT_TRUE(exposure.IsDefault());

    CQzWBAdjustment whiteBalance;
    whiteBalance.gain2 = 3.0;
    std::vector<uint8_t> wb = Blob(whiteBalance);
    PutU16(wb, 16, 0);
    EXPECT_EQ(whiteBalance.SetData(wb.data(), static_cast<int32_t>(wb.size())), 0);
    EXPECT_EQ(whiteBalance.gain2, 3.0);

    CQzCameraControl camera;
    std::vector<uint8_t> cc = Blob(camera);
    PutU16(cc, 16, 0);
    EXPECT_EQ(camera.SetData(cc.data(), static_cast<int32_t>(cc.size())), 0);
}

TEST(UsmList, EntriesAreCountedAndLengthFieldCoversThem)
{
    CQzUSMList list;
    CQzUSM red;
    red.colour = 1;
    red.intensity = 80;
    red.haloWidth = 12;
    red.threshold = 4;
    CQzUSM cyan = red;
    cyan.colour = 6;
    cyan.key = 9;
    list.Insert(0, 1, cyan);
    list.Insert(0, 1, red);
    const std::vector<uint8_t> blob = Blob(list);
    ASSERT_EQ(blob.size(), 77u);
    EXPECT_EQ(U32At(blob, 18), 59u);
    EXPECT_EQ(blob[22], 2);

    CQzUSMList read;
    EXPECT_EQ(read.SetData(blob.data(), 77), 77);
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.GetAt(0).haloWidth, 12);
    EXPECT_EQ(read.GetAt(0).threshold, 4);
    ASSERT_NE(read.Find(6, 9), nullptr);
    EXPECT_EQ(read.Find(6, 9)->intensity, 80);
    EXPECT_EQ(read.Find(6, 0), nullptr);
}

TEST(UsmList, ReadsTheEntriesTheBufferHoldsAndCountsAllPositions)
{
    CQzUSMList list;
    list.Insert(0, 3, CQzUSM());
    std::vector<uint8_t> blob = Blob(list);
    ASSERT_EQ(blob.size(), 104u);
    CQzUSMList read;
    EXPECT_EQ(read.SetData(blob.data(), 23 + 2 * 27), 104);
    EXPECT_EQ(read.GetCount(), 2);

    // A second entry of another version ends the reading after it.
    PutU16(blob, 23 + 27 + 16, 2);
    EXPECT_EQ(read.SetData(blob.data(), static_cast<int32_t>(blob.size())), 23 + 2 * 27);
    EXPECT_EQ(read.GetCount(), 1);
}

TEST(UsmList, ReadsVersionOneWithoutLengthField)
{
    CQzUSM entry;
    entry.colour = 3;
    std::vector<uint8_t> blob = FromHex("61512be4df5dd211a90a00aa00b1c1b7" "0100" "01");
    const std::vector<uint8_t> entryBlob = Blob(entry);
    blob.insert(blob.end(), entryBlob.begin(), entryBlob.end());
    CQzUSMList list;
    EXPECT_EQ(list.SetData(blob.data(), static_cast<int32_t>(blob.size())), 19 + 27);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0).colour, 3u);
}

TEST(UsmList, WritesNoMoreEntriesThanItsCountCanName)
{
    CQzUSMList list;
    list.Insert(0, 300, CQzUSM());
    const std::vector<uint8_t> blob = Blob(list);
    EXPECT_EQ(blob.size(), 23u + 255u * 27u);
    CQzUSMList read;
    EXPECT_EQ(read.SetData(blob.data(), static_cast<int32_t>(blob.size())), static_cast<int32_t>(blob.size()));
    EXPECT_EQ(read.GetCount(), 255);
}

TEST(ExposureAdjustment, NegativeCompensationIsStoredAsTwosComplement)
{
    CQzExposureAdjustment exposure;
    exposure.exposureCompensation = -150;
    const std::vector<uint8_t> blob = Blob(exposure);
    EXPECT_EQ(blob[22] | blob[23] << 8, 0xFF6A);
    CQzExposureAdjustment read;
    EXPECT_EQ(read.SetData(blob.data(), 35), 35);
    EXPECT_EQ(read.exposureCompensation, -150);
    EXPECT_FALSE(read.IsDefault());
}

TEST(ExposureAdjustment, OlderVersionsLeaveNewerFieldsAtTheirDefaults)
{
    CQzExposureAdjustment full;
    full.exposureCompensation = 30;
    full.toneCompensation = 2;
    full.colourMode = 1;
    full.hueAdjustmentOn = 1;
    full.hueLevel = 5;
    full.sharpening = 4;
    struct Case {
        uint16_t version;
        int32_t length;
        int32_t answer;
        uint32_t colourMode, hueLevel, sharpening;
    } cases[] = {
        {1, 26, 26, 0, 3, 0},
        {2, 33, 33, 1, 5, 0},
        {3, 35, 35, 1, 5, 4},
        {9, 35, 35, 1, 5, 4},
        {2, 26, 33, 0, 3, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> blob = Blob(full);
        PutU16(blob, 16, c.version);
        CQzExposureAdjustment read;
        read.hueLevel = 0;
        read.sharpening = 2;
        EXPECT_EQ(read.SetData(blob.data(), c.length), c.answer) << c.version;
        EXPECT_EQ(read.exposureCompensation, 30) << c.version;
        EXPECT_EQ(read.toneCompensation, 2u) << c.version;
        EXPECT_EQ(read.colourMode, c.colourMode) << c.version;
        EXPECT_EQ(read.hueLevel, c.hueLevel) << c.version;
        EXPECT_EQ(read.sharpening, c.sharpening) << c.version;
    }
}

TEST(WBAdjustment, VersionOneReadsTheGainsOnly)
{
    CQzWBAdjustment source;
    source.gain1 = 1.25;
    source.gain2 = 0.75;
    source.mode = 3;
    source.lightSource = 514;
    source.colourTemperature = 6000;
    std::vector<uint8_t> blob = Blob(source);
    CQzWBAdjustment read;
    EXPECT_EQ(read.SetData(blob.data(), 48), 48);
    EXPECT_EQ(read.lightSource, 514u);
    EXPECT_EQ(read.colourTemperature, 6000);
    PutU16(blob, 16, 1);
    read.mode = 2;
    EXPECT_EQ(read.SetData(blob.data(), 48), 38);
    EXPECT_EQ(read.gain1, 1.25);
    EXPECT_EQ(read.gain2, 0.75);
    EXPECT_EQ(read.mode, 1u);
    EXPECT_EQ(read.lightSource, 0u);
}

TEST(NoiseReduction, OnlyVersionOneIsRead)
{
    CQzNoiseReduction source;
    source.lineNoiseReduction = 2;
    source.colourNoiseReduction = 3;
    std::vector<uint8_t> blob = Blob(source);
    CQzNoiseReduction read;
    EXPECT_EQ(read.SetData(blob.data(), 26), 26);
    EXPECT_EQ(read.colourNoiseReduction, 3u);
    // A short version 1 blob leaves the missing value at its default.
    read.colourNoiseReduction = 2;
    EXPECT_EQ(read.SetData(blob.data(), 24), 26);
    EXPECT_EQ(read.lineNoiseReduction, 2u);
    EXPECT_EQ(read.colourNoiseReduction, 0u);
    PutU16(blob, 16, 2);
    EXPECT_EQ(read.SetData(blob.data(), 26), 0);
    EXPECT_EQ(read.lineNoiseReduction, 2u);
}

TEST(CameraControlBlob, ExtendedSensitivityIsReadOnlyFromVersionThree)
{
    CQzCameraControl source;
    source.imageType = 1;
    source.focusArea = 4;
    source.continuousShooting = 1;
    source.imageSize = 2;
    source.rawCompression = 1;
    source.highSensitivity = 3;
    const std::vector<uint8_t> v3 = Blob(source);
    // Version 1 has no length field: the fields follow the version.
    std::vector<uint8_t> v1 = v3;
    v1.erase(v1.begin() + 18, v1.begin() + 22);
    PutU16(v1, 16, 1);
    std::vector<uint8_t> v2 = v3, v4 = v3;
    PutU16(v2, 16, 2);
    PutU16(v4, 16, 4);
    struct Case {
        const char* name;
        const std::vector<uint8_t>* blob;
        int32_t answer;
        uint16_t highSensitivity;
    } cases[] = {{"v1", &v1, 48, 7}, {"v2", &v2, 52, 7}, {"v3", &v3, 54, 3}, {"v4", &v4, 52, 7}};
    for (const Case& c : cases) {
        CQzCameraControl read;
        read.highSensitivity = 7;
        EXPECT_EQ(read.SetData(c.blob->data(), static_cast<int32_t>(c.blob->size())), c.answer) << c.name;
        EXPECT_EQ(read.highSensitivity, c.highSensitivity) << c.name;
        EXPECT_EQ(read.focusArea, 4) << c.name;
        EXPECT_EQ(read.rawCompression, 1) << c.name;
    }
    // Fields a short blob lacks keep their values.
    CQzCameraControl partial;
    partial.imageSize = 9;
    EXPECT_EQ(partial.SetData(v3.data(), 49), 54);
    EXPECT_EQ(partial.continuousShooting, 1);
    EXPECT_EQ(partial.imageSize, 9);
}

}  // namespace
