#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "app/shell/batch/numbered_name.h"

namespace {

using shell::NumberedNameParts;

// Names taken so far, for the cases that need no real folder.
std::set<std::string>& Taken()
{
    static std::set<std::string> names;
    return names;
}

bool IsTaken(const char* path)
{
    return Taken().count(path) != 0;
}

TEST(NumberedName, SkipsTakenNamesAndStoresTheNumberAfterTheOneGiven)
{
    // A real folder: the default check looks at the disk.
    const std::filesystem::path folder = std::filesystem::path(TESS_SCRATCH_DIR) / "shell_numbered_name";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string base = folder.string();
    // Natively the backslash is only a character of the name: the file for 7
    // is made under exactly the name that is built, wherever that puts it.
    const std::string taken = base + "\\Img007.tif";
    std::ofstream(taken) << "x";

    NumberedNameParts parts{"Img", "", 3, 7};
    EXPECT_EQ(shell::MakeNumberedName(parts, base, ".tif"), base + "\\Img008.tif");
    EXPECT_EQ(parts.next, 9);
    std::filesystem::remove(taken);
    std::filesystem::remove_all(folder);
}

TEST(NumberedName, FormsTheNameFromItsParts)
{
    Taken() = {"C:\\out\\a0099999999b.jpg", "C:\\out\\a0000000000b.jpg"};
    struct Case {
        NumberedNameParts parts;
        const char* folder;
        const char* name;
        int32_t next;
    } cases[] = {
        {{"Img", "", 4, 7}, "C:\\out", "C:\\out\\Img0007.jpg", 8},
        {{"Img", "", 4, 7}, "C:\\out\\", "C:\\out\\Img0007.jpg", 8},  // no second backslash
        {{"", "_x", 2, 123}, "C:\\out", "C:\\out\\123_x.jpg", 124},
        {{"a", "b", 10, 99999998}, "C:\\out", "C:\\out\\a0099999998b.jpg", 99999999},
        // 99999999 is taken, the numbers wrap to 0, which is taken too.
        {{"a", "b", 10, 99999999}, "C:\\out", "C:\\out\\a0000000001b.jpg", 2},
        {{"Img", "", 3, -5}, "C:\\out", "C:\\out\\Img-05.jpg", -4},
        {{"Img", "", 300, 1}, "C:\\out", "", 1},  // refused, not cut
    };
    for (Case& c : cases) {
        EXPECT_EQ(shell::MakeNumberedName(c.parts, c.folder, ".jpg", IsTaken), c.name) << c.name;
        EXPECT_EQ(c.parts.next, c.next) << c.name;
    }
}

}  // namespace
