#include <climits>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/core/engine/image_open.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/load/image_load.h"
#include "app/core/load/load_context.h"
#include "app/core/procset/image_proc_set.h"
#include "app/core/record/image_record.h"

using namespace engine_test;

namespace {

constexpr TagId kSettingsTag = 0x80E01;

class CRecordingLoadProgress final : public ILoadProgress {
public:
    void SetFraction(int32_t tenThousandths) override { fractions.push_back(tenThousandths); }
    void Step() override { ++steps; }
    std::vector<int32_t> fractions;
    int steps = 0;
};

// What a test file holds besides its pixels.
struct TestFile {
    int32_t format = kFormatRawTiff;  // raw colour-filter-array data, else RGB pixels
    const char* model = "KORVA M4X";  // null: no model tag
    int32_t fileKind = 32;            // 0: no file-kind tag
    std::vector<uint8_t> settings;    // the private settings tag, when not empty
};

// The settings blob a save writes for these record settings.
std::vector<uint8_t> SettingsBlob(int32_t rotation, bool exposureOn, bool whiteBalanceOn)
{
    CQzRecordSettings settings;
    settings.rotation = rotation;
    settings.usmOn = 1;
    settings.exposureOn = exposureOn ? 1 : 0;
    settings.whiteBalanceOn = whiteBalanceOn ? 1 : 0;
    settings.noiseReductionOn = 1;
    CQzImageProcSet set;
    settings.FillProcSet(set);
    std::vector<uint8_t> blob(static_cast<size_t>(set.GetSize()));
    set.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    return blob;
}

std::string WriteImageFile(IVorlatManager* manager, const TestFile& file)
{
    const bool raw = file.format == kFormatRawTiff;
    const std::string path = ScratchPath("load") + (raw ? ".xqv" : file.format == kFormatBmp ? ".bmp" : ".tif");
    Tags tags;
    if (raw) {
        const uint8_t cfa[8] = {0, 2, 0, 2, 0, 1, 1, 2};
        tags.Set(0xA302, kTagTypeBytes, cfa, sizeof cfa);
    }
    // The maker note, which holds the file kind and the settings, is written for the maker's files only.
    if (file.model) {
        tags.SetText(0x10F, "KORVA");
        tags.SetText(kTagModel, file.model);
    }
    if (file.fileKind)
        tags.SetLong(kTagFileKind, file.fileKind);
    if (!file.settings.empty())
        tags.Set(kSettingsTag, kTagTypeBytes, file.settings.data(), static_cast<uint32_t>(file.settings.size()));

    IVorlatImage* image = nullptr;
    if (raw) {
        std::vector<uint8_t> samples(16 * 16 * 2);
        for (size_t i = 0; i < samples.size(); i += 2)
            samples[i] = static_cast<uint8_t>(i);
        image = MakeImage(manager, 64, 16, 16, samples);
    } else {
        std::vector<uint8_t> pixels(8 * 8 * 3, 0x80);
        image = MakeImage(manager, 32, 8, 8, pixels);
    }

    EXPECT_EQ(0, engine_test::WriteImageFile(image, tags.tags, file.format, path)) << path;
    return path;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class ImageLoad : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        SetLoadImageManager(manager);
        SetLoadProgress(&progress);
    }
    void TearDown() override
    {
        SetTransferCancelFlag(0);
        SetThumbnailRenderer(nullptr);
        SetLoadProgress(nullptr);
        SetLoadImageManager(nullptr);
        EngineFixture::TearDown();
    }
    CRecordingLoadProgress progress;
};

void ExpectSizeResFor(const CImageRecord& record, int32_t width, int32_t height)
{
    const CQzSizeRes expected(width, height);
    EXPECT_EQ(record.sizeRes.GetImageWidth(), expected.GetImageWidth());
    EXPECT_EQ(record.sizeRes.GetImageHeight(), expected.GetImageHeight());
}

TEST_F(ImageLoad, RawFileWithSettingsTagFillsTheRecord)
{
    TestFile file;
    file.settings = SettingsBlob(90, true, true);
    const std::string path = WriteImageFile(manager, file);

    CImageRecord record;
    record.noiseReductionOn = 1;
    ASSERT_EQ(LoadImageFile(&record, path.c_str(), true, 0), 0);
    EXPECT_EQ(SettingsTagPresent(record), 1);
    EXPECT_EQ(record.rotation, 90);
    EXPECT_EQ(record.usmOn, 1u);
    EXPECT_EQ(record.exposureOn, 1u);
    EXPECT_EQ(record.whiteBalanceOn, 1u);
    EXPECT_EQ(record.noiseReductionOn, 0u);  // never stored: a file with settings opens with it off
    EXPECT_EQ(record.raw, 1);
    EXPECT_EQ(record.cameraModel, 3);
    // The developed raw size is 2000 x 1312; turned a quarter it is 1312 x 2000.
    ExpectSizeResFor(record, 1312, 2000);
    ASSERT_NE(record.imageData, nullptr);
    EXPECT_EQ(GetImageDataRefCount(record.imageData), 1);
    ASSERT_NE(record.secondData, nullptr);

    EXPECT_EQ(progress.steps, 1);
    ASSERT_FALSE(progress.fractions.empty());
    for (int32_t f : progress.fractions) {
        EXPECT_GE(f, 0);
        EXPECT_LT(f, 10000);
    }
}

TEST_F(ImageLoad, FileWithoutSettingsTagKeepsTheRecordsSettings)
{
    const std::string path = WriteImageFile(manager, TestFile{});
    CImageRecord record;
    record.noiseReductionOn = 1;
    record.usmOn = 1;
    record.exposureOn = 1;
    SettingsTagPresent(record) = 1;
    ASSERT_EQ(LoadImageFile(&record, path.c_str(), true, 0), 0);
    EXPECT_EQ(SettingsTagPresent(record), 0);
    EXPECT_EQ(record.noiseReductionOn, 1u);
    EXPECT_EQ(record.usmOn, 1u);
    EXPECT_EQ(record.exposureOn, 1u);
    EXPECT_EQ(record.rotation, 0);
    ExpectSizeResFor(record, 2000, 1312);
}

TEST_F(ImageLoad, ExposureAndWhiteBalanceFollowThisLoadsKind)
{
    TestFile rawFile;
    rawFile.settings = SettingsBlob(0, true, true);
    TestFile tiffFile;
    tiffFile.format = kFormatTiff;
    tiffFile.fileKind = 0x11;
    tiffFile.settings = SettingsBlob(0, true, true);
    const std::string rawPath = WriteImageFile(manager, rawFile);
    const std::string tiffPath = WriteImageFile(manager, tiffFile);

    // A fresh record keeps the raw file's exposure and white balance.
    CImageRecord record;
    ASSERT_EQ(LoadImageFile(&record, rawPath.c_str(), true, 0), 0);
    EXPECT_EQ(record.raw, 1);
    EXPECT_EQ(record.exposureOn, 1u);
    EXPECT_EQ(record.whiteBalanceOn, 1u);

    // The same record loaded with a TIFF turns them off, whatever it held before.
    ASSERT_EQ(LoadImageFile(&record, tiffPath.c_str(), false, 0), 0);
    EXPECT_EQ(record.raw, 0);
    EXPECT_EQ(record.exposureOn, 0u);
    EXPECT_EQ(record.whiteBalanceOn, 0u);
    EXPECT_EQ(record.usmOn, 1u);
    ExpectSizeResFor(record, 8, 8);

    // And back to the raw file: on again, as stored.
    ASSERT_EQ(LoadImageFile(&record, rawPath.c_str(), true, 0), 0);
    EXPECT_EQ(record.exposureOn, 1u);
    EXPECT_EQ(record.whiteBalanceOn, 1u);
}

TEST_F(ImageLoad, DamagedSettingsTagsStillLoad)
{
    const std::vector<uint8_t> whole = SettingsBlob(90, true, true);
    std::vector<uint8_t> lengthBeyondBlob = whole;
    lengthBeyondBlob[18] = 0xFF;  // the container's length field
    lengthBeyondBlob[19] = 0xFF;
    const struct {
        const char* what;
        std::vector<uint8_t> blob;
    } cases[] = {
        {"junk", std::vector<uint8_t>(64, 0xFF)},
        {"one byte", {0x42}},
        {"cut after the header", std::vector<uint8_t>(whole.begin(), whole.begin() + 30)},
        {"cut in the middle", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2)},
        {"length beyond the blob", lengthBeyondBlob},
    };
    for (const auto& c : cases) {
        TestFile file;
        file.settings = c.blob;
        const std::string path = WriteImageFile(manager, file);
        CImageRecord record;
        record.noiseReductionOn = 1;
        EXPECT_EQ(LoadImageFile(&record, path.c_str(), true, 0), 0) << c.what;
        EXPECT_EQ(SettingsTagPresent(record), 1) << c.what;
        EXPECT_EQ(record.noiseReductionOn, 0u) << c.what;
    }
}

TEST_F(ImageLoad, ReloadReleasesTheOldImageAndStartsFromFreshTags)
{
    TestFile withSettings;
    withSettings.settings = SettingsBlob(0, false, false);
    const std::string first = WriteImageFile(manager, withSettings);
    const std::string second = WriteImageFile(manager, TestFile{});

    CImageRecord record;
    ASSERT_EQ(LoadImageFile(&record, first.c_str(), true, 0), 0);
    IVorlatImage* oldImage = record.imageData;
    IVorlatImage* thumbnail = record.secondData;
    ASSERT_NE(record.tags->GetTagSize(kSettingsTag, 0), 0u);

    ASSERT_EQ(LoadImageFile(&record, second.c_str(), true, 0), 0);
    EXPECT_NE(record.imageData, oldImage);
    EXPECT_EQ(GetImageDataRefCount(oldImage), 0);  // released, so destroyed
    EXPECT_EQ(GetImageDataRefCount(record.imageData), 1);
    EXPECT_EQ(record.secondData, thumbnail);  // an existing thumbnail is kept
    EXPECT_EQ(record.tags->GetTagSize(kSettingsTag, 0), 0u);
    EXPECT_EQ(SettingsTagPresent(record), 0);
}

TEST_F(ImageLoad, ResultCodes)
{
    TestFile plain;
    plain.format = kFormatTiff;
    plain.model = nullptr;
    plain.fileKind = 0;
    const std::string tiff = WriteImageFile(manager, plain);
    const std::string raw = WriteImageFile(manager, TestFile{});
    const std::string missing = ScratchPath("missing") + ".xqv";
    const std::string tooLong = "/" + std::string(300, 'x');

    struct Case {
        const char* what;
        std::string path;
        bool checkOriginal;
        bool cancel;
        int32_t result;
    };
    const Case cases[] = {
        {"missing file", missing, true, false, -239},
        {"path beyond 260 bytes", tooLong, false, false, -239},
        {"not a camera file, checked", tiff, true, false, -231},
        {"not a camera file, unchecked", tiff, false, false, 0},
        {"camera file, checked", raw, true, false, 0},
        {"cancelled", raw, true, true, -123},
    };
    for (const Case& c : cases) {
        SetTransferCancelFlag(c.cancel ? 1 : 0);
        CImageRecord record;
        EXPECT_EQ(LoadImageFile(&record, c.path.c_str(), c.checkOriginal, 0), c.result) << c.what;
    }
    SetTransferCancelFlag(0);

    EXPECT_EQ(LoadImageFile(nullptr, raw.c_str(), false, 0), -252);
    CImageRecord record;
    EXPECT_EQ(LoadImageFile(&record, nullptr, false, 0), -239);

    // Without a drawing tile manager no image can be made.
    SetLoadImageManager(nullptr);
    CImageRecord noManager;
    EXPECT_EQ(LoadImageFile(&noManager, raw.c_str(), false, 0), -252);
}

TEST_F(ImageLoad, MemoryLoadNeverChecksTheCameraAndFailsAsNoObject)
{
    TestFile plain;
    plain.format = kFormatTiff;
    plain.model = nullptr;
    plain.fileKind = 0;
    const std::vector<uint8_t> tiff = ReadAll(WriteImageFile(manager, plain));
    TestFile rawFile;
    rawFile.settings = SettingsBlob(270, true, false);
    const std::vector<uint8_t> raw = ReadAll(WriteImageFile(manager, rawFile));

    CImageRecord fromTiff;
    EXPECT_EQ(LoadImageFromMemory(&fromTiff, tiff.data(), static_cast<uint32_t>(tiff.size()), 0), 0);
    EXPECT_NE(fromTiff.secondData, nullptr);

    CImageRecord fromRaw;
    ASSERT_EQ(LoadImageFromMemory(&fromRaw, raw.data(), static_cast<uint32_t>(raw.size()), 0), 0);
    EXPECT_EQ(fromRaw.raw, 1);
    EXPECT_EQ(fromRaw.rotation, 270);
    EXPECT_EQ(SettingsTagPresent(fromRaw), 1);
    ExpectSizeResFor(fromRaw, 1312, 2000);

    const std::vector<uint8_t> junk(64, 0x5A);
    CImageRecord fromJunk;
    EXPECT_EQ(LoadImageFromMemory(&fromJunk, junk.data(), static_cast<uint32_t>(junk.size()), 0), -252);
    EXPECT_EQ(LoadImageFromMemory(&fromJunk, nullptr, 10, 0), -252);
    EXPECT_EQ(LoadImageFromMemory(nullptr, junk.data(), 10, 0), -252);
}

int renderCalls = 0;
int32_t renderSize = 0;
bool CountRender(CImageRecord&, int32_t size)
{
    ++renderCalls;
    renderSize = size;
    return true;
}

TEST_F(ImageLoad, MissingThumbnailIsRendered)
{
    // A BMP file has no thumbnail, so the loader's thumbnail read fails.
    TestFile bmp;
    bmp.format = kFormatBmp;
    bmp.model = nullptr;
    bmp.fileKind = 0;
    const std::string path = WriteImageFile(manager, bmp);
    SetThumbnailRenderer(&CountRender);
    renderCalls = 0;
    CImageRecord record;
    ASSERT_EQ(LoadImageFile(&record, path.c_str(), false, 0), 0);
    EXPECT_EQ(renderCalls, 1);
    EXPECT_EQ(renderSize, kThumbnailRenderSize);
    // A record that had its thumbnail already is not given one again.
    ASSERT_EQ(LoadImageFile(&record, path.c_str(), false, 0), 0);
    EXPECT_EQ(renderCalls, 1);
}

TEST(LoadProgress, FractionOfDoneOverTotalPlusOneIn64Bits)
{
    struct Case {
        int32_t done, total, fraction;
    };
    const Case cases[] = {
        {0, 0, 0},
        {50, 99, 5000},
        {99, 99, 9900},
        {1, 2, 3333},
        {2000000, 2000000, 9999},  // 2e10 would wrap in 32 bits
        {INT32_MAX, INT32_MAX, 9999},
        {-1, 10, 0},
        {5, -1, 0},
        {5, INT32_MIN, 0},
        {10, 4, 10000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoadProgressFraction(c.done, c.total), c.fraction) << c.done << "/" << c.total;
    }
}

}  // namespace
