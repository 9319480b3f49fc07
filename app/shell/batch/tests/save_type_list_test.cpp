#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/shell/batch/save_type_list.h"

namespace {

TEST(SaveTypeList, TypesFollowTheExtensionAndTheDescriptionsWords)
{
    const std::string filter =
        "XQV (Korva Electronic Image Format)|*.xqv|BMP Format|*.bmp|JPEG Format (Exif compliant)|*.jpg|"
        "JPEG Format (JFIF compliant)|*.jpg|TIFF Format (RGB)|*.tif|TIFF Format (CMYK)|*.tif||";
    const std::vector<std::pair<std::string, int32_t>> expected = {
        {"XQV (Korva Electronic Image Format)", 1}, {"BMP Format", 2}, {"JPEG Format (Exif compliant)", 3},
        {"JPEG Format (JFIF compliant)", 4},        {"TIFF Format (RGB)", 5}, {"TIFF Format (CMYK)", 6}};
    EXPECT_EQ(shell::ParseSaveTypeFilter(filter, "JFIF", "CMYK"), expected);
    // Unknown extensions and an unfinished pair are left out.
    EXPECT_EQ(shell::ParseSaveTypeFilter("Text|*.txt|TIFF|*.tif|Half", "JFIF", "CMYK"),
              (std::vector<std::pair<std::string, int32_t>>{{"TIFF", 5}}));
    EXPECT_TRUE(shell::ParseSaveTypeFilter("", "JFIF", "CMYK").empty());
}

TEST(SaveTypeList, SampleNameAndItsShortening)
{
    EXPECT_EQ(shell::FormatSampleName("Img", 7, 4, "", ".tif"), "Img0007.tif");
    EXPECT_EQ(shell::FormatSampleName("Img", 7, 4, "", ".???"), "Img0007.???");
    EXPECT_EQ(shell::FormatSampleName("A", 123456, 3, "_b", ".jpg"), "A123456_b.jpg");
    EXPECT_EQ(shell::FormatSampleName("", 4294967295u, 2, "", ""), "4294967295");

    const auto fitsIn = [](size_t limit) { return [limit](const std::string& t) { return t.size() <= limit; }; };
    EXPECT_EQ(shell::FitWithTrailingDots("Img0007.tif", fitsIn(11)), "Img0007.tif");
    // Each round trades four characters for the three dots: 11, 10, 9, 8 characters.
    EXPECT_EQ(shell::FitWithTrailingDots("Img0007.tif", fitsIn(10)), "Img0007...");
    EXPECT_EQ(shell::FitWithTrailingDots("Img0007.tif", fitsIn(8)), "Img00...");
    EXPECT_EQ(shell::FitWithTrailingDots("Img0007.tif", fitsIn(0)), "...");
}

}  // namespace
