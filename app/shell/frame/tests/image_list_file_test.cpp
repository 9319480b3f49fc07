// Reading the camera image list when thumbnails are cleared on exit: lines,
// entry paths and the settings sidecars that are deleted with the images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell/frame/image_list_file.h"

namespace {

std::vector<std::string> Split(const std::string& data)
{
    return frame::SplitImageListLines(data.data(), data.size());
}

}  // namespace

TEST(ImageListFile, SplitsAtLineFeedsDroppingCarriageReturnsAndEmptyLines)
{
    struct Case {
        std::string data;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"\n\n\r\na\n\n", {"a"}},
        {"a\rb\nc", {"ab", "c"}},
        {std::string(259, 'x') + "\nshort", {std::string(259, 'x'), "short"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lines, Split(c.data)) << c.data;
}

TEST(ImageListFile, LeavesOutALineLongerThanTheWritersLimitWhole)
{
    // A cut line could name another file, which would then be deleted.
    const std::string longLine = "C:\\images\\" + std::string(260, 'y') + ".xqv";
    EXPECT_EQ(std::vector<std::string>({"first", "last"}), Split("first\n" + longLine + "\r\nlast"));
    EXPECT_EQ(std::vector<std::string>{}, Split(std::string(260, 'z')));
}

TEST(ImageListFile, EntryPathIsTheTextAfterTheFirstTab)
{
    EXPECT_EQ("C:\\a\\b.xqv", frame::ImageListEntryPath("7\tC:\\a\\b.xqv"));
    EXPECT_EQ("x\ty", frame::ImageListEntryPath("1\tx\ty"));
    EXPECT_EQ("C:\\plain.jpg", frame::ImageListEntryPath("C:\\plain.jpg"));
}

TEST(ImageListFile, SidecarReplacesOnlyTheFileNamesExtension)
{
    struct Case {
        const char* path;
        const char* sidecar;
    };
    const Case cases[] = {
        {"C:\\shots\\DSC_0001.xqv", "C:\\shots\\DSC_0001.ipi"},
        {"C:\\shots\\DSC.0001.jpg", "C:\\shots\\DSC.0001.ipi"},
        // A dot in a folder's name is not the image's extension.
        {"C:\\my.shots\\DSC_0001", "C:\\my.shots\\DSC_0001.ipi"},
        {"C:/my.shots/DSC_0001", "C:/my.shots/DSC_0001.ipi"},
        {"noext", "noext.ipi"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.sidecar, frame::SidecarPath(c.path)) << c.path;
}
