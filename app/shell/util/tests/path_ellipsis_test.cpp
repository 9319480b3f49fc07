#include <gtest/gtest.h>

#include <string>

#include "app/shell/util/path_ellipsis.h"

namespace {

std::string Fit(const std::string& path, size_t characters)
{
    return shell::EllipsizePath(path, [=](const std::string& text) { return text.size() <= characters; });
}

TEST(PathEllipsis, FoldersGiveWayFromTheLeft)
{
    const std::string path = "C:\\Pictures\\2003\\January\\Img0007.tif";
    struct Case {
        const std::string& path;
        size_t width;
        const char* shown;
    } cases[] = {
        {path, 100, "C:\\Pictures\\2003\\January\\Img0007.tif"},
        {path, 32, "C:\\...\\2003\\January\\Img0007.tif"},
        {path, 26, "C:\\...\\January\\Img0007.tif"},
        {path, 20, "C:\\...\\Img0007.tif"},
        {path, 5, "C:\\...\\Img0007.tif"},  // the file name always stays
    };
    for (const Case& c : cases)
        EXPECT_EQ(Fit(c.path, c.width), c.shown) << c.width;
    EXPECT_EQ(Fit("\\\\server\\share\\deep\\a.tif", 20), "\\\\server\\...\\a.tif");
    EXPECT_EQ(Fit("C:\\a.tif", 3), "C:\\a.tif");
    EXPECT_EQ(Fit("name.tif", 3), "name.tif");
    EXPECT_EQ(Fit("", 0), "");
}

}  // namespace
