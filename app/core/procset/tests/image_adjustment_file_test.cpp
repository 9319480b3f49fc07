#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/core/procset/record_settings.h"
#include "app/core/procset/palette_settings_file.h"

namespace {

namespace fs = std::filesystem;

fs::path ScratchFile(const std::string& name)
{
    const fs::path folder = fs::absolute(fs::path(TESS_SCRATCH_DIR) / "settings_file");
    fs::create_directories(folder);
    return folder / name;
}

std::vector<uint8_t> SettingsBlob(const IQzState& state)
{
    std::vector<uint8_t> blob(static_cast<size_t>(state.GetSize()));
    state.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    return blob;
}

std::vector<uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads an Image Adjustment file's bytes into a record as a next image of
// 300 x 200 pixels takes them.
int32_t ReadInto(CQzRecordSettings& record, CQzImageProcSet& set, const std::vector<uint8_t>& bytes)
{
    record.FillProcSet(set);
    const int32_t read = set.SetDataMasked(bytes.data(), static_cast<int32_t>(bytes.size()), 300, 200);
    record.TakeFromProcSet(set);
    return read;
}

TEST(ImageAdjustmentFile, NeutralImageAdjustmentFileReadsBackAsANewImagesAdjustmentsAllOff)
{
    const fs::path path = ScratchFile("Neutral.set");
    ASSERT_EQ(WriteSettingsBlob(path.string().c_str(), NeutralImageAdjustmentBlob()).id, 0u);
    const std::vector<uint8_t> bytes = ReadFile(path);

    // Read over a record whose adjustments are all on and changed.
    CQzRecordSettings record;
    record.usmOn = record.curvesOn = record.colourBalanceOn = record.exposureOn = record.whiteBalanceOn = 1;
    record.usm.Insert(0, 1, CQzUSM{});
    record.curves.SetContrast(40.0);
    record.whiteBalance.mode = 3;
    CQzImageProcSet set;
    ASSERT_EQ(ReadInto(record, set, bytes), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(set.componentsDone, kImageAdjustmentComponents);
    EXPECT_EQ(set.enablesDone, kImageAdjustmentEnables);
    EXPECT_EQ(record.usmOn + record.curvesOn + record.colourBalanceOn + record.exposureOn + record.whiteBalanceOn, 0u);
    EXPECT_EQ(record.usm.GetCount(), 0);
    EXPECT_EQ(record.whiteBalance.mode, 2u);
    EXPECT_TRUE(record.exposure.IsDefault());
    // Each adjustment reads back as a new record's (the size settings are fitted to an image when read).
    const CQzRecordSettings neutral;
    EXPECT_EQ(SettingsBlob(record.usm), SettingsBlob(neutral.usm));
    EXPECT_EQ(SettingsBlob(record.curves), SettingsBlob(neutral.curves));
    EXPECT_EQ(SettingsBlob(record.colourBalance), SettingsBlob(neutral.colourBalance));
    EXPECT_EQ(SettingsBlob(record.exposure), SettingsBlob(neutral.exposure));
    EXPECT_EQ(SettingsBlob(record.whiteBalance), SettingsBlob(neutral.whiteBalance));
    EXPECT_EQ(record.sizeRes.GetScale(), 1.0);
}

TEST(ImageAdjustmentFile, AnImageAdjustmentFileKeepsTheFlagsAndLeavesOutNoiseReductionAndOrientation)
{
    CQzRecordSettings source;
    source.curvesOn = 1;
    source.whiteBalanceOn = 1;
    source.flip = 1;
    source.rotation = 90;
    source.noiseReductionOn = 1;
    const fs::path path = ScratchFile("Flags.set");
    ASSERT_EQ(WriteImageAdjustmentFile(path.string().c_str(), source).id, 0u);

    CQzRecordSettings target;
    CQzImageProcSet read;
    ASSERT_GT(ReadInto(target, read, ReadFile(path)), 0);
    EXPECT_EQ(read.componentsDone, kImageAdjustmentComponents);
    EXPECT_EQ(target.curvesOn, 1u);
    EXPECT_EQ(target.whiteBalanceOn, 1u);
    EXPECT_EQ(target.usmOn, 0u);
    EXPECT_EQ(target.flip, 0);
    EXPECT_EQ(target.rotation, 0);
}

TEST(ImageAdjustmentFile, AFileThatCannotBeCreatedIsReportedAndNothingIsLeft)
{
    const fs::path path = ScratchFile("no such folder") / "Neutral.set";
    EXPECT_EQ(WriteSettingsBlob(path.string().c_str(), NeutralImageAdjustmentBlob()).id, 16499u);
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
