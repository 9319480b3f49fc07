#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/shell/received/disk_state.h"
#include "app/shell/received/received_names.h"

TEST(ReceivedNames, ExtensionComesFromTheFileNameOnly)
{
    struct Case {
        const char* path;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\in\\DSC_0001.XQV", ".XQV"},
        {"C:\\in\\a.b.jpg", ".jpg"},
        {"C:\\in\\noext", ""},
        {"C:\\my.shots\\noext", ""},  // a dotted folder
        {"C:/my.shots/noext", ""},
        {"C:name.tif", ".tif"},
        {"trailing.", "."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.extension, shell::ReceivedFileExtension(c.path)) << c.path;
}

TEST(ReceivedNames, NumberedNamesSkipExistingFilesAndWrap)
{
    struct Case {
        const char* name;
        std::string folder;
        int32_t number;
        std::string extension;
        std::set<std::string> existing;
        std::string path;
        int32_t next;
    };
    const Case cases[] = {
        {"first", "C:\\Thumb\\", 1, ".xqv", {}, "C:\\Thumb\\00000001.xqv", 2},
        {"backslash added", "C:\\Thumb", 12, ".jpg", {}, "C:\\Thumb\\00000012.jpg", 13},
        {"no extension", "C:\\Thumb\\", 7, "", {}, "C:\\Thumb\\00000007", 8},
        {"existing skipped", "C:\\T\\", 3, ".jpg", {"C:\\T\\00000003.jpg", "C:\\T\\00000004.jpg"},
         "C:\\T\\00000005.jpg", 6},
        {"last number used, next wraps", "C:\\T\\", 99999999, ".xqv", {}, "C:\\T\\99999999.xqv", 1},
        {"wraps past the last taken", "C:\\T\\", 99999999, ".xqv", {"C:\\T\\99999999.xqv"}, "C:\\T\\00000001.xqv", 2},
        {"other extension is no clash", "C:\\T\\", 3, ".tif", {"C:\\T\\00000003.jpg"}, "C:\\T\\00000003.tif", 4},
    };
    for (const Case& c : cases) {
        const auto exists = [&c](const std::string& path) { return c.existing.count(path) != 0; };
        const shell::NumberedName name = shell::NextReceivedFileName(c.folder, c.number, c.extension, exists);
        EXPECT_EQ(c.path, name.path) << c.name;
        EXPECT_EQ(c.next, name.next) << c.name;
    }
}

TEST(ReceivedNames, WatchedVolumeRoots)
{
    struct Case {
        const char* folder;
        const char* root;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Tessaline\\Thumb\\", "C:\\"},
        {"D:\\", "D:\\"},
        {"D:", "D:\\"},
        {"\\\\server\\share\\thumbs\\", "\\\\server\\share\\"},
        {"\\\\server\\share", "\\\\server\\share\\"},
        {"\\\\server", "\\\\server\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.root, shell::WatchedVolumeRoot(c.folder)) << c.folder;
}

TEST(DiskState, ThresholdsAreInclusive)
{
    struct Case {
        double thumbnails;
        double temp;
        int32_t state;
    };
    const Case cases[] = {
        {209715200.0, 209715200.0, 2},
        {209715199.0, 209715200.0, 1},
        {209715200.0, 209715199.0, 1},
        {104857600.0, 104857600.0, 1},
        {104857599.0, 209715200.0, 0},
        {209715200.0, 104857599.0, 0},
        {shell::kDiskUnknownBytes, 5e12, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.state, shell::DiskStateFor(c.thumbnails, c.temp)) << c.thumbnails << " " << c.temp;
}

TEST(DiskState, FreeBytesDoNotOverflowOnLargeVolumes)
{
    EXPECT_DOUBLE_EQ(209715200.0, shell::FreeDiskBytes(8, 512, 51200));
    // 4 TiB free: the 32-bit product would wrap.
    EXPECT_DOUBLE_EQ(4398046511104.0, shell::FreeDiskBytes(8, 4096, 134217728));
    EXPECT_DOUBLE_EQ(0.0, shell::FreeDiskBytes(8, 512, 0));
}

TEST(DiskState, TickDistanceSurvivesAWrap)
{
    EXPECT_EQ(29999u, shell::TickDistance(30000, 1));
    EXPECT_EQ(30001u, shell::TickDistance(30001, 0));
    EXPECT_EQ(20u, shell::TickDistance(10, 0xFFFFFFF6u));
    EXPECT_EQ(100u, shell::TickDistance(1000, 1100));  // counted the other way
}
