#include <gtest/gtest.h>

#include <vector>

#include "app/core/engine/develop_engine.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/debug_settings.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/procset/image_proc_set.h"
#include "app/core/record/image_record.h"

using namespace engine_test;

namespace {

std::vector<uint8_t> Serialise(CImageRecord& record)
{
    CQzImageProcSet set;
    record.FillProcSet(set);
    std::vector<uint8_t> blob(static_cast<size_t>(set.GetSize()));
    set.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    return blob;
}

// Tags owned by the record under test.
IVorlatTagControl* NewTags()
{
    IVorlatTagControl* tags = nullptr;
    EXPECT_EQ(0, Deepest(IVorlatTagControl::CreateTagControl(&tags)));
    return tags;
}

void SetTag(IVorlatTagControl* tags, TagId tag, uint32_t type, const void* data, uint32_t bytes)
{
    if (!tags->IsExist(tag, 0)) {
        ASSERT_EQ(0, Deepest(tags->AddTag(tag))) << std::hex << tag;
    }
    ASSERT_EQ(0, Deepest(tags->SetTagValue(tag, type, bytes, data, 0))) << std::hex << tag;
}

void SetModel(IVorlatTagControl* tags, const char* model)
{
    SetTag(tags, 0x110, kTagTypeText, model, static_cast<uint32_t>(std::strlen(model) + 1));
}

}  // namespace

TEST(ImageRecord, FreshRecordSerialisesEverythingOffAndUnturned)
{
    CImageRecord record;
    EXPECT_EQ(record.curves.GetChannelCount(), 4);
    EXPECT_EQ(record.colourBalance.GetChannelCount(), 4);
    EXPECT_EQ(record.whiteBalance.mode, 2u);
    EXPECT_EQ(record.whiteBalance.gain1, 1.0);
    EXPECT_EQ(record.whiteBalance.gain2, 1.0);
    EXPECT_EQ(record.displayScale, 1.0);
    EXPECT_EQ(record.level1, 1.0);
    EXPECT_EQ(record.level2, 1.0);

    const std::vector<uint8_t> blob = Serialise(record);
    CImageRecord read;
    read.usmOn = read.curvesOn = read.colourBalanceOn = 1;
    read.exposureOn = read.whiteBalanceOn = 1;
    read.rotation = 90;
    read.flip = 1;
    CQzImageProcSet set;
    read.FillProcSet(set);
    ASSERT_EQ(set.SetDataMasked(blob.data(), static_cast<int32_t>(blob.size()), 300, 200),
              static_cast<int32_t>(blob.size()));
    read.TakeFromProcSet(set);
    EXPECT_EQ(read.usmOn, 0u);
    EXPECT_EQ(read.curvesOn, 0u);
    EXPECT_EQ(read.colourBalanceOn, 0u);
    EXPECT_EQ(read.exposureOn, 0u);
    EXPECT_EQ(read.whiteBalanceOn, 0u);
    EXPECT_EQ(read.rotation, 0);
    EXPECT_EQ(read.flip, 0);
    EXPECT_EQ(read.curves.GetChannelCount(), 4);
    EXPECT_EQ(read.colourBalance.GetChannelCount(), 4);
}

TEST(ImageRecord, LightSourceCodesFollowTheCameraTable)
{
    const struct {
        uint32_t value;
        uint32_t code;
    } cases[] = {
        {0, 0x1000}, {1, 0x100}, {2, 0x1002}, {3, 0x200},   {4, 0x500},  {5, 0x201}, {6, 0x202},
        {7, 0x1001}, {23, 0x1001}, {39, 0x1001}, {55, 0x1001}, {8, 0},   {22, 0},    {0xFFFFFFFF, 0},
    };
    for (const auto& c : cases) {
        CImageRecord record;
        record.lightSource = 0xABCD;
        record.tags = NewTags();
        const int32_t value = static_cast<int32_t>(c.value);
        SetTag(record.tags, 0x80005, kTagTypeLongs, &value, 4);
        record.LoadFileInfo();
        EXPECT_EQ(record.lightSource, c.code) << c.value;
    }
}

TEST(ImageRecord, LoadFileInfoTakesLevelsAndModelAndLeavesMissingTagsAlone)
{
    {
        CImageRecord record;
        record.tags = NewTags();
        record.lightSource = 0x202;
        record.LoadFileInfo();
        EXPECT_EQ(record.level1, 1.0);
        EXPECT_EQ(record.level2, 1.0);
        EXPECT_EQ(record.cameraModel, 0);
        EXPECT_EQ(record.lightSource, 0x202u);
    }
    {
        CImageRecord record;
        record.tags = NewTags();
        const double levels[4] = {2.25, 1.5, 7.0, 8.0};
        SetTag(record.tags, 0x8000C, kTagTypeDoubles, levels, sizeof levels);
        SetModel(record.tags, "KORVA M4H");
        record.LoadFileInfo();
        EXPECT_EQ(record.level1, 2.25);
        EXPECT_EQ(record.level2, 1.5);
        EXPECT_EQ(record.cameraModel, 2);
    }
    const struct {
        const char* model;
        uint16_t code;
    } models[] = {{"KORVA M4 ", 1}, {"KORVA M4X", 3}, {"KORVA M4", 0}, {"KORVA M4XL", 0}, {"Other", 0}};
    for (const auto& m : models) {
        CImageRecord record;
        record.tags = NewTags();
        SetModel(record.tags, m.model);
        record.LoadFileInfo();
        EXPECT_EQ(record.cameraModel, m.code) << m.model;
    }
    CImageRecord bare;
    bare.LoadFileInfo();  // no tag store: nothing read, nothing changed
    EXPECT_EQ(bare.level1, 1.0);
}

TEST_F(EngineFixture, RecordReleasesItsImagesAndCopiesShareThem)
{
    IVorlatImage* first = MakeImage(manager, 32, 4, 4);
    IVorlatImage* second = MakeImage(manager, 32, 4, 4);
    IVorlatImage* other = MakeImage(manager, 32, 4, 4);
    AddRefImageData(first);
    AddRefImageData(second);
    AddRefImageData(other);
    {
        CImageRecord source;
        source.imageData = first;
        source.secondData = second;
        source.tags = NewTags();
        SetModel(source.tags, "KORVA M4X");
        source.mark = 7;
        source.fitted = 1;
        source.spare = 3;
        source.curvesOn = 1;
        source.rotation = 270;
        source.flip = 1;
        source.name = "Evening";
        source.displayScale = 0.25;
        source.zoomStep = -1;
        source.gridOn = 1;
        source.scrollX = 12;
        source.level1 = 2.0;
        source.cameraModel = 3;
        source.usm.Insert(0, 2, CQzUSM());
        source.shooting.AddField("caption", 5);

        {
            CImageRecord copy;
            auto* const ownView = reinterpret_cast<CImageDisplayView*>(&copy);
            copy.view = ownView;
            copy.imageData = other;  // replaced by the copy
            copy.tags = NewTags();
            ASSERT_TRUE(copy.CopyFrom(source));
            EXPECT_EQ(GetImageDataRefCount(other), 0);
            EXPECT_EQ(GetImageDataRefCount(first), 2);
            EXPECT_EQ(GetImageDataRefCount(second), 2);
            EXPECT_EQ(copy.imageData, first);
            EXPECT_EQ(copy.thirdData, nullptr);
            ASSERT_NE(copy.tags, nullptr);
            EXPECT_NE(copy.tags, source.tags);
            EXPECT_EQ(GetCameraModelCode(copy.tags), 3);
            EXPECT_EQ(copy.mark, 0);
            EXPECT_EQ(copy.fitted, 0);
            EXPECT_EQ(copy.view, ownView);
            EXPECT_EQ(copy.spare, 3);
            EXPECT_EQ(copy.curvesOn, 1u);
            EXPECT_EQ(copy.rotation, 270);
            EXPECT_EQ(copy.flip, 1);
            EXPECT_STREQ(copy.name, "Evening");
            EXPECT_EQ(copy.displayScale, 0.25);
            EXPECT_EQ(copy.zoomStep, -1);
            EXPECT_EQ(copy.gridOn, 1);
            EXPECT_EQ(copy.scrollX, 12);
            EXPECT_EQ(copy.level1, 2.0);
            EXPECT_EQ(copy.cameraModel, 3);
            EXPECT_EQ(copy.usm.GetCount(), 2);
            EXPECT_STREQ(copy.shooting.GetFieldText(5), "caption");
            EXPECT_EQ(Serialise(copy), Serialise(source));

            ASSERT_TRUE(copy.CopyFrom(copy));
            EXPECT_EQ(GetImageDataRefCount(first), 2);
            // Copying the same images again keeps one reference each.
            ASSERT_TRUE(copy.CopyFrom(source));
            EXPECT_EQ(GetImageDataRefCount(first), 2);
        }
        EXPECT_EQ(GetImageDataRefCount(first), 1);
        EXPECT_EQ(source.mark, 7);
    }
    EXPECT_EQ(GetImageDataRefCount(first), 0);
    EXPECT_EQ(GetImageDataRefCount(second), 0);
}

TEST(ImageRecord, DevelopParamsPointIntoTheRecord)
{
    CFixedDebugSettings debug;
    debug.Set("AppOption6", 1);
    SetEngineDebugSettings(&debug);
    CImageRecord record;
    record.usmOn = 1;
    record.colourBalanceOn = 1;
    record.whiteBalanceOn = 1;
    record.flip = 1;
    record.rotation = 90;
    record.cameraModel = 2;
    record.level1 = 1.75;
    record.level2 = 1.25;
    CDevelopParams params(record);
    SetEngineDebugSettings(nullptr);
    EXPECT_EQ(params.usmOn, 1);
    EXPECT_EQ(params.usmList, &record.usm);
    EXPECT_EQ(params.curves1On, 0);
    EXPECT_EQ(params.curves1, &record.curves);
    EXPECT_EQ(params.curves2On, 1);
    EXPECT_EQ(params.curves2, &record.colourBalance);
    EXPECT_EQ(params.sizeRes, &record.sizeRes);
    EXPECT_EQ(params.wbOn, 1);
    EXPECT_EQ(params.wb, &record.whiteBalance);
    EXPECT_EQ(params.exposure, &record.exposure);
    EXPECT_EQ(params.noise, &record.noiseReduction);
    EXPECT_EQ(params.flip, 1);
    EXPECT_EQ(params.rotation, 90);
    EXPECT_EQ(params.cameraModel, 2);
    EXPECT_EQ(params.asShotRed, 1.75);
    EXPECT_EQ(params.asShotBlue, 1.25);
    EXPECT_EQ(params.sizeResApplied, 1);
    EXPECT_EQ(params.embedProfile, 0);
    EXPECT_EQ(params.option3Clear, 1);
}
