#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/core/text/string_resource.h"
#include "app/shell/batch/auto_save_settings.h"

namespace {

using shell::AutoSaveSettings;

// The extensions' string-table entries; the Windows test program has them as resources.
class FileTypeExtension : public ::testing::Test {
protected:
#if !defined(_WIN32)
    void SetUp() override { qz::SetStringTable(&table_); }
    void TearDown() override { qz::SetStringTable(nullptr); }
    std::map<uint32_t, std::string> table_{{16480, ".jpg"}, {16481, ".tif"}, {16482, ".xqv"}, {16483, ".bmp"}};
#endif
};

TEST(AutoSaveSettings, StartsAsAFolderRunSavingTiffRgb)
{
    const AutoSaveSettings record;
    EXPECT_EQ(record.leading, 0);
    EXPECT_EQ(record.source, 1);
    EXPECT_STREQ(record.sourceFolder, "");
    EXPECT_STREQ(record.settingsFile, "");
    EXPECT_STREQ(record.destinationFolder, "");
    EXPECT_EQ(record.includeSubfolders + record.scanForNewFiles + record.deleteSourceFiles, 0);
    EXPECT_EQ(record.settingsMethod, 1);
    EXPECT_EQ(record.ignoreRawSettings + record.useSourceFolder + record.useSourceFileName, 0);
    EXPECT_EQ(record.fileType, shell::kSaveTiffRgb);
    EXPECT_EQ(record.jpegListPosition, 2);
    EXPECT_EQ(record.bitDepth, 0);
    EXPECT_EQ(record.addToCatalogue, 0);
    EXPECT_EQ(record.shotCount + record.interval + record.autofocus, 0);
    EXPECT_EQ(record.dialog, nullptr);
    EXPECT_EQ(record.GetFormatCode(), 0x1);
}

TEST(AutoSaveSettings, FileTypeGivesFormatCodeAndJpegQuality)
{
    struct Case {
        int32_t fileType;
        int32_t formatCode;
    } cases[] = {{0, 0x800000}, {1, 0x100000}, {2, 0x100}, {3, 0x20}, {4, 0x10},
                 {5, 0x1},      {6, 0x1},      {7, 0x800000}, {-1, 0x800000}};
    for (const Case& c : cases)
        EXPECT_EQ(shell::FileTypeToFormatCode(c.fileType), c.formatCode) << c.fileType;

    AutoSaveSettings record;
    struct Quality {
        int32_t fileType;
        int32_t position;
        int32_t quality;
    } qualities[] = {{3, 0, 1}, {3, 4, 5}, {4, 2, 3}, {4, 3, 4}, {4, 7, 0}, {4, -1, 0},
                     {5, 2, 0}, {0, 2, 0}, {2, 1, 0}};
    for (const Quality& q : qualities) {
        record.fileType = q.fileType;
        record.jpegListPosition = q.position;
        EXPECT_EQ(record.GetJpegQuality(), q.quality) << q.fileType << "/" << q.position;
    }
}

TEST_F(FileTypeExtension, ComesFromTheStringTableWhole)
{
    struct Case {
        int32_t fileType;
        bool known;
        const char* extension;
    } cases[] = {{0, false, ""},    {1, true, ".xqv"}, {2, true, ".bmp"}, {3, true, ".jpg"},
                 {4, true, ".jpg"}, {5, true, ".tif"}, {6, true, ".tif"}, {7, false, ""}};
    for (const Case& c : cases) {
        char buffer[8] = "junk";
        EXPECT_EQ(shell::LoadFileTypeExtension(buffer, sizeof buffer, c.fileType), c.known) << c.fileType;
        EXPECT_STREQ(buffer, c.extension) << c.fileType;
    }
    // A buffer too small for the extension stays empty rather than holding ".ti".
    char small[4] = "abc";
    EXPECT_FALSE(shell::LoadFileTypeExtension(small, sizeof small, 5));
    EXPECT_STREQ(small, "");
    char fits[5] = "abc";
    EXPECT_TRUE(shell::LoadFileTypeExtension(fits, sizeof fits, 5));
    EXPECT_STREQ(fits, ".tif");
    EXPECT_FALSE(shell::LoadFileTypeExtension(nullptr, 8, 5));

    AutoSaveSettings record;
    record.fileType = shell::kSaveSourceType;
    char buffer[8] = "junk";
    EXPECT_FALSE(record.GetExtension(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    record.fileType = shell::kSaveRaw;
    EXPECT_TRUE(record.GetExtension(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, ".xqv");
}

}  // namespace
