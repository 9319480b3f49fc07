#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/shooting/shooting_info_table.h"
#include "app/core/view_model/document_titles.h"

using namespace qz;

namespace {

// The save filter string of the program (string 16385).
constexpr const char* kSaveFilter =
    "XQV (Korva Electronic Image Format)|*.xqv|BMP Format|*.bmp|JPEG Format (Exif compliant)|*.jpg|"
    "JPEG Format (JFIF compliant)|*.jpg|TIFF Format (RGB)|*.tif|TIFF Format (CMYK)|*.tif||";

TEST(DocumentTitles, ShortTitleKeepsTheEndOfLongPaths)
{
    const std::string fifty = "C:\\" + std::string(34, 'a') + "\\DSC_0001.xqv";
    ASSERT_EQ(fifty.size(), 50u);
    EXPECT_EQ(GetShortTitle(fifty), "..." + fifty.substr(13));
    EXPECT_EQ(GetShortTitle(fifty).size(), 40u);

    // A file name longer than 37 characters is kept whole, from its backslash.
    const std::string longName(45, 'n');
    EXPECT_EQ(GetShortTitle("C:\\d\\" + longName), "...\\" + longName);

    const std::string forty = "C:\\" + std::string(37, 'b');
    EXPECT_EQ(GetShortTitle(forty), forty);
    const std::string noSlash(60, 'c');
    EXPECT_EQ(GetShortTitle(noSlash), noSlash);
    EXPECT_EQ(GetShortTitle(""), "");
}

TEST(DocumentTitles, SaveFormatFromTheLastThreeCharacters)
{
    struct Case {
        const char* path;
        uint32_t format;
    };
    const Case cases[] = {
        {"C:\\a\\DSC_0001.JPG", 0x20},
        {"C:\\a\\DSC_0001.jpg  ", 0x20},  // trailing blanks trimmed
        {"C:\\a\\DSC_0001.tif", 0x1},
        {"C:\\a\\DSC_0001.tiff", 0x800000},
        {"C:\\a\\DSC_0001.XqV", 0x100000},
        {"C:\\a\\DSC_0001.bmp", 0x800000},
        {"jpg", 0x800000},  // three characters are not enough
        {".jpg", 0x20},
        {"", 0x800000},
        {"   ", 0x800000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetSaveFormatFromPath(c.path), c.format) << '"' << c.path << '"';
    }
}

TEST(DocumentTitles, SaveAsProposalsAndFileTypes)
{
    EXPECT_EQ(GetProposedSaveName("DSC_0001.xqv"), "DSC_0001.xqv");
    EXPECT_EQ(GetProposedSaveName("...\\photos\\DSC_0001.xqv"), "DSC_0001.xqv");
    EXPECT_EQ(GetProposedSaveName("a#b%c;d/e"), "e");
    EXPECT_EQ(GetProposedSaveName("ends\\"), "");

    for (int32_t space : {33, 64, 65}) {
        EXPECT_TRUE(IsSixteenBitCapable(space)) << space;
    }
    for (int32_t space : {0, 2, 32, 34, 66}) {
        EXPECT_FALSE(IsSixteenBitCapable(space)) << space;
    }
    EXPECT_TRUE(IsRawFileKind(32));
    EXPECT_TRUE(IsRawFileKind(33));
    EXPECT_FALSE(IsRawFileKind(0x11));
    EXPECT_FALSE(IsRawFileKind(0));

    struct Case {
        int32_t setting;
        uint32_t saveFormat;
        bool cmyk;
        int32_t index;
        bool cmykAfter;
    };
    const Case cases[] = {
        {0, 0x100000, false, 0, false}, {0, 0x100, true, 1, true},   {0, 0x20, false, 2, false},
        {0, 0x10, false, 3, false},     {0, 0x1, false, 4, false},   {0, 0x1, true, 5, true},
        {0, 0x800000, true, 6, true},   {1, 0x1, true, 0, false},    {2, 0x1, true, 2, false},
        {3, 0x1, true, 3, false},       {4, 0x1, true, 4, false},    {5, 0x20, false, 5, true},
        {6, 0x1, true, 1, false},       {7, 0x1, true, 6, true},     {-1, 0x1, false, 6, false},
    };
    for (const Case& c : cases) {
        const SaveTypeChoice choice = GetSaveTypeChoice(c.setting, c.saveFormat, c.cmyk);
        EXPECT_EQ(choice.typeIndex, c.index) << c.setting << " " << c.saveFormat;
        EXPECT_EQ(choice.cmyk, c.cmykAfter) << c.setting << " " << c.saveFormat;
    }
}

TEST(DocumentTitles, FilterExtensionsComeFromThePatterns)
{
    EXPECT_EQ(GetFilterExtensions(kSaveFilter),
              (std::vector<std::string>{".xqv", ".bmp", ".jpg", ".jpg", ".tif", ".tif"}));
    EXPECT_EQ(GetFilterExtensions("XQV, JPEG, TIFF Files|*.xqv;*.jpg;*.tif|All Files (*.*)|*.*||"),
              (std::vector<std::string>{".xqv", ".jpg", ".tif", ".*"}));
    EXPECT_TRUE(GetFilterExtensions("").empty());
    EXPECT_TRUE(GetFilterExtensions("only a description").empty());
}

TEST(DocumentTitles, CopyTitles)
{
    const std::vector<std::string> extensions = GetFilterExtensions(kSaveFilter);
    struct Case {
        const char* title;
        std::vector<std::string> windows;
        const char* copy;
    };
    const Case cases[] = {
        {"DSC_0001.xqv", {"DSC_0001.xqv @ 50%"}, "DSC_0001Copy"},
        {"DSC_0001.xqv", {"DSC_0001.xqv @ 50%", "DSC_0001Copy @ 25%"}, "DSC_0001Copy1"},
        {"DSC_0001Copy7", {}, "DSC_0001Copy8"},
        {"ACopyCat", {}, "ACopyCatCopy"},
        {"DSC_0001Copy", {}, "DSC_0001Copy1"},
        {"DSC_0001Copy", {"dsc_0001copy1"}, "DSC_0001Copy2"},  // case ignored
        {"C:\\pics\\DSC_0002.JPG", {}, "DSC_0002Copy"},
        {"...\\pics\\DSC_0003.tif", {}, "DSC_0003Copy"},
        {"notes.txt", {}, "notes.txtCopy"},
        {"DSC_0001Copy1234567", {}, "DSC_0001Copy1234567Copy"},  // more than six digits
        {"DSC_0001Copy999999", {}, "DSC_0001Copy1000000"},
        {"DSC_0001Copy12a", {}, "DSC_0001Copy12aCopy"},
        // A window title that merely begins with a candidate takes it.
        {"DSC_0001.xqv", {"DSC_0001Copy", "DSC_0001Copy10"}, "DSC_0001Copy2"},
    };
    for (const Case& c : cases) {
        const auto taken = [&c](const std::string& candidate) {
            return std::any_of(c.windows.begin(), c.windows.end(),
                               [&](const std::string& w) { return TitleBeginsWith(w, candidate); });
        };
        EXPECT_EQ(MakeCopyTitle(c.title, extensions, "Copy", taken), c.copy) << c.title;
    }
}

TEST(DocumentTitles, SaveCaptionLeavesTheNameAlone)
{
    CShootingInfoTable shooting;
    shooting.SetExtended(true);
    shooting.AddField("Korva M4X", shooting.GetFieldId(0, 0));
    shooting.AddField("1/250", shooting.GetFieldId(0, 1));

    const CQzString name("Portrait  ");
    const CQzString first = MakeSaveCaption(name, true, shooting);
    EXPECT_STREQ(first, "Portrait\r\rKorva M4X\r1/250\r");
    EXPECT_STREQ(name, "Portrait  ");
    // Saving again gives the same caption, not the table twice.
    EXPECT_STREQ(MakeSaveCaption(name, true, shooting), first);

    EXPECT_STREQ(MakeSaveCaption(name, false, shooting), "Portrait  ");
    // Without a name the table stands alone.
    EXPECT_STREQ(MakeSaveCaption(CQzString(""), true, shooting), "Korva M4X\r1/250\r");
    EXPECT_STREQ(MakeSaveCaption(CQzString("   "), true, shooting), "Korva M4X\r1/250\r");
}

TEST(DocumentTitles, FrameTitleAndModifiedHints)
{
    EXPECT_EQ(FormatFrameTitle("DSC_0001.xqv", 2, " @ 50%", true), "DSC_0001.xqv:2 @ 50% *");
    EXPECT_EQ(FormatFrameTitle("DSC_0001.xqv", 0, " @ 50%", false), "DSC_0001.xqv @ 50%");
    EXPECT_EQ(FormatFrameTitle("", -1, "", true), " *");

    struct Case {
        uint32_t hints;
        bool modified;
    };
    const Case cases[] = {
        {0x1, true},     {0x2, true},    {0x4, true},     {0x20, true},    {0x40, true},
        {0x100, true},   {0x200, true},  {0x400, true},   {0x8001, false}, {0x8, false},
        {0x10, false},   {0x0, false},   {0xFFFF, false}, {0x7FFF, true},  {0x800, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HintsMarkModified(c.hints), c.modified) << std::hex << c.hints;
    }
    EXPECT_TRUE(ShouldFitToWindow(false, false));
    EXPECT_TRUE(ShouldFitToWindow(true, true));
    EXPECT_FALSE(ShouldFitToWindow(true, false));
}

}  // namespace
