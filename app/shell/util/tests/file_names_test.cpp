#include <gtest/gtest.h>

#include "app/shell/util/file_names.h"

namespace {

TEST(DefaultExtension, IsTheFirstPatternsExtension)
{
    struct Case {
        const char* filter;
        const char* extension;
    } cases[] = {
        {"Image Adjustment Files (*.set)|*.set|All Files (*.*)|*.*||", "set"},
        {"TIFF (*.tif)|*.tif", "tif"},
        {"Broken|*.jpg", "jpg"},
        {"No pattern", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(shell::GetDefaultExtension(c.filter), c.extension) << c.filter;
    EXPECT_STREQ(shell::GetDefaultExtension(nullptr), "");
}

TEST(VolumeRoot, IsTheDriveOrTheServerAndShare)
{
    struct Case {
        const char* path;
        const char* root;
    } cases[] = {
        {"C:\\Pictures\\a.tif", "C:\\"},
        {"d:", "d:\\"},
        {"\\\\server\\share\\folder\\a.tif", "\\\\server\\share\\"},
        {"\\\\server\\share", "\\\\server\\share\\"},
        {"\\\\server", ""},
        {"\\\\\\share", ""},
        {"relative\\a.tif", ""},
        {"1:\\x", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::VolumeRoot(c.path), c.root) << c.path;
    EXPECT_EQ(shell::VolumeRoot(nullptr), "");
}

}  // namespace
