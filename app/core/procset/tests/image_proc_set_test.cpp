#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/procset/image_proc_set.h"
#include "app/core/procset/record_settings.h"
#include "app/core/testing/blob_test_util.h"

using namespace core_test;

namespace {

const std::string kContainer = "40a9867a1be9d211a90a00aa00b1c1b7";
const std::string kFlip = "0632a476a217d411a90a00aa00b1c1b7";
const std::string kRotation = "0732a476a217d411a90a00aa00b1c1b7";
const std::string kExposureOn = "0332a476a217d411a90a00aa00b1c1b7";
const std::string kWhiteBalanceOn = "0432a476a217d411a90a00aa00b1c1b7";
const std::string kCurvesOn = "0132a476a217d411a90a00aa00b1c1b7";

std::vector<uint8_t> Write(const CQzImageProcSet& set)
{
    std::vector<uint8_t> blob(static_cast<size_t>(set.GetSize()));
    EXPECT_EQ(set.GetData(blob.data(), static_cast<int32_t>(blob.size())), static_cast<int32_t>(blob.size()));
    return blob;
}

int32_t Read(CQzImageProcSet& set, const std::vector<uint8_t>& blob, int32_t width = 300, int32_t height = 200)
{
    return set.SetDataMasked(blob.data(), static_cast<int32_t>(blob.size()), width, height);
}

std::vector<uint8_t> Record(const std::string& id, uint32_t length, const std::string& payloadHex)
{
    std::vector<uint8_t> record = FromHex(id + "0100" + "00000000" + payloadHex);
    PutU32(record, 18, length);
    return record;
}

std::vector<uint8_t> Container(const std::vector<std::vector<uint8_t>>& records)
{
    std::vector<uint8_t> blob = FromHex(kContainer + "0200" + "00000000");
    for (const auto& record : records)
        blob.insert(blob.end(), record.begin(), record.end());
    PutU32(blob, 18, static_cast<uint32_t>(blob.size() - 18));
    return blob;
}

TEST(ImageProcSet, EmptyContainerStillHoldsFlipRotationAndTheTwoOnRecords)
{
    CQzImageProcSet set;
    const std::vector<uint8_t> blob = Write(set);
    EXPECT_EQ(Hex(blob), kContainer + "0200" + "61000000" + kFlip + "0100" + "05000000" + "00" + kRotation + "0100" +
                             "06000000" + "0000" + kExposureOn + "0100" + "05000000" + "00" + kWhiteBalanceOn +
                             "0100" + "05000000" + "00");
    EXPECT_EQ(blob.size(), 115u);
    EXPECT_EQ(set.componentsDone, kProcFlip | kProcRotation);
    EXPECT_EQ(set.enablesDone, kProcExposure | kProcWhiteBalance);
}

TEST(ImageProcSet, MeasuresEverySelectedRecordAndWritesOnlyWhatFits)
{
    CQzRecordSettings record;
    CQzImageProcSet set;
    record.FillProcSet(set);
    const int32_t expected = 22 + 3 * 23 + record.usm.GetSize() + record.curves.GetSize() +
                             record.colourBalance.GetSize() + 23 + 24 + record.sizeRes.GetSize() + 23 +
                             record.exposure.GetSize() + 23 + record.whiteBalance.GetSize();
    EXPECT_EQ(set.GetData(nullptr, 0), expected);

    const std::vector<uint8_t> whole = Write(set);
    // 100 bytes: the unsharp mask records and the curves on record fit, the
    // curves group does not, and nothing after it is written.
    std::vector<uint8_t> part(110, 0xCD);
    EXPECT_EQ(set.GetData(part.data(), 100), expected);
    const size_t fitted = 22 + 23 + static_cast<size_t>(record.usm.GetSize()) + 23;
    ASSERT_LE(fitted, 100u);
    ASSERT_GT(fitted + static_cast<size_t>(record.curves.GetSize()), 100u);
    EXPECT_EQ(Hex({part.begin(), part.begin() + 18}), Hex({whole.begin(), whole.begin() + 18}));
    EXPECT_EQ(U32At(part, 18), fitted - 18);
    EXPECT_EQ(part[fitted], 0xCD);
    EXPECT_EQ(set.componentsDone, kProcUsm);
    EXPECT_EQ(set.enablesDone, kProcUsm | kProcCurves);
}

TEST(ImageProcSet, FreshRecordRoundTrips)
{
    CQzRecordSettings written;
    written.sizeRes = CQzSizeRes(300, 200);
    written.sizeRes.SetPixelWidth(150);
    written.curvesOn = 1;
    written.rotation = 180;
    written.flip = 1;
    written.name = "Evening";
    written.whiteBalance.gain1 = 1.25;
    written.whiteBalance.mode = 1;
    CQzImageProcSet out;
    written.FillProcSet(out);
    const std::vector<uint8_t> blob = Write(out);

    CQzRecordSettings read;
    CQzImageProcSet in;
    read.FillProcSet(in);
    in.name = "";
    EXPECT_EQ(Read(in, blob), static_cast<int32_t>(blob.size()));
    read.TakeFromProcSet(in);
    EXPECT_EQ(read.curvesOn, 1u);
    EXPECT_EQ(read.usmOn, 0u);
    EXPECT_EQ(read.rotation, 180);
    EXPECT_EQ(read.flip, 1);
    EXPECT_STREQ(read.name, "Evening");
    EXPECT_EQ(read.whiteBalance.gain1, 1.25);
    EXPECT_EQ(read.curves.GetChannelCount(), 4);
    EXPECT_EQ(read.colourBalance.GetChannelCount(), 4);
    EXPECT_EQ(in.curvesConverted, 0);
    EXPECT_EQ(read.sizeRes.GetCropRect(), written.sizeRes.GetCropRect());
    EXPECT_DOUBLE_EQ(read.sizeRes.GetPixelWidth(), 150.0);
    EXPECT_EQ(in.componentsDone, kProcUsm | kProcCurves | kProcColourBalance | kProcFlip | kProcRotation |
                                     kProcSizeRes | kProcExposure | kProcWhiteBalance | kProcName);
}

TEST(ImageProcSet, NameRecordAndTooLongNames)
{
    CQzImageProcSet set;
    set.componentMask = kProcName;
    set.enableMask = kProcExposure;
    set.name = "0123456789";
    const std::vector<uint8_t> blob = Write(set);
    // Header, the exposure on record, then the name.
    ASSERT_EQ(blob.size(), 22u + 23u + 33u);
    EXPECT_EQ(U32At(blob, 45 + 18), 15u);
    EXPECT_EQ(blob.back(), 0);

    // A name whose record would reach the 16-bit counted size is left out.
    set.name = std::string(CQzImageProcSet::kMaxRecordSize, 'n').c_str();
    EXPECT_EQ(set.GetSize(), 22 + 23);
    Write(set);
    EXPECT_EQ(set.componentsDone, 0u);
}

TEST(ImageProcSet, UnknownRecordsAreSkippedAndOnOffRecordsCount23Bytes)
{
    const std::vector<uint8_t> blob = Container({
        Record(kCurvesOn, 99, "01"),  // its length field is ignored
        Record("00112233445566778899aabbccddeeff", 12, "0102030405060708"),
        Record(kRotation, 6, "5a00"),
        Record(kFlip, 5, "01"),
    });
    CQzRecordSettings record;
    CQzImageProcSet set;
    record.FillProcSet(set);
    EXPECT_EQ(Read(set, blob), static_cast<int32_t>(blob.size()));
    EXPECT_EQ(set.curvesOn, 1);
    EXPECT_EQ(set.rotation, 90);
    EXPECT_EQ(set.flip, 1);
    EXPECT_EQ(set.enablesDone, kProcCurves);
}

TEST(ImageProcSet, RotationDecidesWhichWayTheImageSizeReachesTheSizeSettings)
{
    // A blank size blob takes the defaults of the size it is given.
    const std::vector<uint8_t> sizeBlob = Blob(CQzSizeRes());
    for (const int16_t rotation : {0, 90, 180, 270, -90}) {
        const std::vector<uint8_t> blob = Container({
            Record(kRotation, 6, Hex({static_cast<uint8_t>(rotation), static_cast<uint8_t>(rotation >> 8)})),
            sizeBlob,
        });
        CQzSizeRes sizeRes;
        CQzImageProcSet set;
        set.sizeRes = &sizeRes;
        Read(set, blob, 300, 200);
        const bool swapped = rotation % 180 != 0;
        EXPECT_EQ(sizeRes.GetImageWidth(), swapped ? 400.0 : 600.0) << rotation;
        EXPECT_EQ(set.componentsDone & kProcSizeRes, kProcSizeRes);
    }
}

TEST(ImageProcSet, TwoChannelCurvesAreRebuiltAndUnsetGainsReset)
{
    CQzLutGroup twoChannels;
    twoChannels.SetKind(1);
    twoChannels.AddChannel(1, {255, 0, 0}, {}, {255, 0, 0});
    CQzWBAdjustment gains;
    gains.gain1 = 0.0;
    gains.gain2 = 1.5;
    gains.mode = 1;
    const std::vector<uint8_t> blob = Container({Blob(twoChannels), Blob(gains)});

    CQzRecordSettings record;
    CQzImageProcSet set;
    record.FillProcSet(set);
    Read(set, blob);
    EXPECT_EQ(set.curvesConverted, 1);
    ASSERT_EQ(record.curves.GetChannelCount(), 4);
    const auto* master = dynamic_cast<CQzLutChannel*>(record.curves.GetChannel(0));
    ASSERT_NE(master, nullptr);
    EXPECT_EQ(master->GetLightColour().green, 255u);
    EXPECT_EQ(dynamic_cast<CQzLutChannel*>(record.curves.GetChannel(2))->GetCurveColour().green, 255u);
    EXPECT_EQ(record.whiteBalance.mode, 2u);
    EXPECT_EQ(record.whiteBalance.gain1, 1.0);
    EXPECT_EQ(record.whiteBalance.gain2, 1.0);
}

TEST(ImageProcSet, VersionOneGainsTakeTheLegacyScales)
{
    // usm on, n 0; curves on, n 0; colour balance on, n 0; size n 0; flip; rotation; two gains.
    std::vector<uint8_t> blob = FromHex(kContainer + "0100" + "01" + "00000000" + "00" + "00000000" + "01" +
                                        "00000000" + "00000000" + "01" + "0000" + "0000000000000000" +
                                        "0000000000000000");
    PutF64(blob, blob.size() - 16, 0.7);
    PutF64(blob, blob.size() - 8, 0.8);
    CQzWBAdjustment wb;
    CQzImageProcSet set;
    set.whiteBalance = &wb;
    set.legacyGainScale1 = 0.0;
    set.legacyGainScale2 = 2.0;
    EXPECT_EQ(Read(set, blob), static_cast<int32_t>(blob.size()));
    EXPECT_EQ(wb.mode, 1u);
    EXPECT_EQ(wb.gain1, 1.0);
    EXPECT_EQ(wb.gain2, 1.6);
    EXPECT_EQ(set.usmOn, 1);
    EXPECT_EQ(set.colourBalanceOn, 1);
    EXPECT_EQ(set.flip, 1);
    EXPECT_EQ(set.whiteBalanceOn, 1);
}

TEST(ImageProcSet, HostileContainersEndAndStayInsideTheBuffer)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> blob;
    } cases[] = {
        {"record counting 0 bytes", Container({Record("00112233445566778899aabbccddeeff", 65518, "")})},
        {"record shorter than its header", Container({Record("00112233445566778899aabbccddeeff", 2, "")})},
        {"length field past the buffer", [] {
             std::vector<uint8_t> b = Container({Record(kFlip, 5, "01")});
             PutU32(b, 18, 0xFFFFFFF0u);
             return b;
         }()},
        {"name without terminator", [] {
             std::vector<uint8_t> b = Container({Record("402946241ee7d411bff7000103208145", 8, "41424344")});
             return b;
         }()},
        {"record cut by the buffer", [] {
             std::vector<uint8_t> b = Container({Record(kRotation, 6, "5a00")});
             b.pop_back();
             return b;
         }()},
    };
    for (const Case& c : cases) {
        CQzRecordSettings record;
        CQzImageProcSet set;
        record.FillProcSet(set);
        // An exactly sized heap block: the sanitizers see any read past it.
        std::vector<uint8_t> exact(c.blob);
        const int32_t covered = Read(set, exact);
        EXPECT_LE(covered, static_cast<int32_t>(exact.size())) << c.name;
    }
    CQzImageProcSet set;
    std::vector<uint8_t> named = Container({Record("402946241ee7d411bff7000103208145", 8, "41424344")});
    Read(set, named);
    EXPECT_STREQ(set.name, "ABCD");
    std::vector<uint8_t> cut = Container({Record(kRotation, 6, "5a00")});
    cut.pop_back();
    set.rotation = 0;
    Read(set, cut);
    EXPECT_EQ(set.rotation, 0);
    std::vector<uint8_t> foreign = Container({});
    foreign[0] ^= 1;
    EXPECT_EQ(Read(set, foreign), 0);
}

}  // namespace
