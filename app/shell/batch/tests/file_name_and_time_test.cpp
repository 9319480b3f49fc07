#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/shell/batch/file_name_and_time.h"

namespace {

TEST(FileNameAndTime, SortsFolderByFolderOldestFirst)
{
    std::vector<CFileNameAndTime> files = {
        {"C:\\Shots\\b.jpg", 5, 1, 3},
        {"C:\\shots\\a.jpg", 9, 0, 3},   // same folder in another letter case
        {"C:\\Archive\\z.tif", 0, 7, 5},
        {"C:\\Shots\\c.jpg", 0xFFFFFFFF, 0, 3},  // the low half compares unsigned
        {"C:\\Archive\\y.tif", 0, 2, 5},
        {"C:\\Shots\\Sub\\d.jpg", 1, 0, 1},
    };
    std::stable_sort(files.begin(), files.end());
    std::vector<std::string> order;
    for (const CFileNameAndTime& file : files)
        order.push_back(static_cast<const char*>(file.GetPath()));
    const std::vector<std::string> expected = {"C:\\Archive\\y.tif", "C:\\Archive\\z.tif", "C:\\shots\\a.jpg",
                                               "C:\\Shots\\c.jpg",   "C:\\Shots\\b.jpg",   "C:\\Shots\\Sub\\d.jpg"};
    EXPECT_EQ(order, expected);
}

TEST(FileNameAndTime, EqualTimesInOneFolderAreEquivalent)
{
    const CFileNameAndTime a("D:\\In\\one.xqv", 100, 2, 1);
    const CFileNameAndTime b("d:\\in\\two.xqv", 100, 2, 1);
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(b < a);
    // Equivalent for sorting, yet not the same file; equality is byte for byte.
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a == CFileNameAndTime("D:\\In\\one.xqv", 7, 7, 3));
    // Without a backslash the folder is empty.
    const CFileNameAndTime bare("name.jpg", 0, 0, 3);
    EXPECT_TRUE(bare < a);
    EXPECT_FALSE(a < bare);
}

TEST(FileNameAndTime, CopiesPathAndWords)
{
    const CFileNameAndTime original("C:\\x\\y.tif", 1, 2, 5);
    CFileNameAndTime copy(original);
    CFileNameAndTime assigned("other", 0, 0, 0);
    assigned = original;
    for (const CFileNameAndTime* file : {&copy, &assigned}) {
        EXPECT_STREQ(file->GetPath(), "C:\\x\\y.tif");
        EXPECT_EQ(file->GetTimeLow(), 1u);
        EXPECT_EQ(file->GetTimeHigh(), 2u);
        EXPECT_EQ(file->GetType(), 5);
    }
}

}  // namespace
