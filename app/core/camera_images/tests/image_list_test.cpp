#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/core/camera_images/image_list.h"

using camimg::ImageListEntry;

namespace {

std::string Scratch(const std::string& name)
{
    const std::string folder = std::string(TESS_SCRATCH_DIR) + "/camera_image_list";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/" + name;
    std::remove(path.c_str());
    return path;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::pair<int32_t, std::string>> Pairs(const std::vector<ImageListEntry>& entries)
{
    std::vector<std::pair<int32_t, std::string>> pairs;
    for (const ImageListEntry& e : entries)
        pairs.emplace_back(e.id, e.path);
    return pairs;
}

}  // namespace

TEST(ImageList, ReadsEntriesOfMixedLineEndsSkippingLinesWithoutATab)
{
    const std::string longPath = "C:\\" + std::string(300, 'p') + "\\00000001.xqv";
    struct Case {
        const char* name;
        std::string data;
        std::vector<std::pair<int32_t, std::string>> entries;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"appended lines", "1\tC:\\T\\00000001.xqv\n2\tC:\\T\\00000002.xqv\n",
         {{1, "C:\\T\\00000001.xqv"}, {2, "C:\\T\\00000002.xqv"}}},
        {"rewrite then appends", "3\tC:\\a.jpg\r\n4\tC:\\b.jpg\r\n5\tC:\\c.jpg\n",
         {{3, "C:\\a.jpg"}, {4, "C:\\b.jpg"}, {5, "C:\\c.jpg"}}},
        {"last line without end", "7\tC:\\x.tif", {{7, "C:\\x.tif"}}},
        {"empty lines and a line without a tab", "\n\r\n8 C:\\no-tab.jpg\n9\tC:\\y.jpg\n\n", {{9, "C:\\y.jpg"}}},
        {"carriage return inside a line", "1\tC:\\a\r.jpg\n", {{1, "C:\\a.jpg"}}},
        {"path holds a tab", "2\tC:\\a\tb.jpg\n", {{2, "C:\\a\tb.jpg"}}},
        {"id read as atoi does", "12abc\tC:\\z.jpg\n\tC:\\none.jpg\n-4\tC:\\neg.jpg\n",
         {{12, "C:\\z.jpg"}, {0, "C:\\none.jpg"}, {-4, "C:\\neg.jpg"}}},
        // A 259-character path with its id and tab, and a longer one, stay whole.
        {"long lines", "6\t" + std::string(259, 'q') + "\n10\t" + longPath + "\r\n",
         {{6, std::string(259, 'q')}, {10, longPath}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.entries, Pairs(camimg::ParseImageList(c.data.data(), c.data.size()))) << c.name;
}

TEST(ImageList, AppendsWithLineFeedAndRewritesWithCrLfAndBothReadBack)
{
    const std::string path = Scratch("Image.lst");
    EXPECT_TRUE(camimg::AppendImageListLine(path.c_str(), {1, "C:\\T\\00000001.xqv"}));
    EXPECT_TRUE(camimg::AppendImageListLine(path.c_str(), {2, "C:\\T\\00000002.jpg"}));
    EXPECT_EQ("1\tC:\\T\\00000001.xqv\n2\tC:\\T\\00000002.jpg\n", ReadAll(path));

    ASSERT_TRUE(camimg::WriteImageListFile(path.c_str(), {{2, "C:\\T\\00000002.jpg"}, {5, "D:\\b.tif"}}));
    EXPECT_EQ("2\tC:\\T\\00000002.jpg\r\n5\tD:\\b.tif\r\n", ReadAll(path));
    EXPECT_TRUE(camimg::AppendImageListLine(path.c_str(), {6, "D:\\c.tif"}));

    std::vector<ImageListEntry> entries;
    ASSERT_TRUE(camimg::ReadImageListFile(path.c_str(), &entries));
    const std::vector<std::pair<int32_t, std::string>> expected = {
        {2, "C:\\T\\00000002.jpg"}, {5, "D:\\b.tif"}, {6, "D:\\c.tif"}};
    EXPECT_EQ(expected, Pairs(entries));
}

TEST(ImageList, MissingFileReadsAsNoEntries)
{
    std::vector<ImageListEntry> entries{{1, "stale"}};
    EXPECT_FALSE(camimg::ReadImageListFile(Scratch("absent.lst").c_str(), &entries));
    EXPECT_TRUE(entries.empty());
}

TEST(ImageList, FailedRewriteKeepsTheOldListAndReportsFailure)
{
    const std::string path = Scratch("kept.lst");
    const std::string old = "1\tC:\\a.jpg\n2\tC:\\b.jpg\n";
    WriteAll(path, old);
    const std::vector<ImageListEntry> entries = {{1, "C:\\a.jpg"}, {3, "C:\\c.jpg"}, {4, "C:\\d.jpg"}};

    // A disk that fills after the first line: the writer writes part of the second.
    int calls = 0;
    const camimg::ImageListWrite fillsUp = [&calls](const void* data, size_t size, size_t count, std::FILE* file) {
        if (++calls == 1)
            return std::fwrite(data, size, count, file);
        return std::fwrite(data, size, count / 2, file);
    };
    EXPECT_FALSE(camimg::WriteImageListFile(path.c_str(), entries, fillsUp));
    EXPECT_EQ(old, ReadAll(path));

    // No temporary file is left beside it.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        files += entry.path().filename().string().rfind("~", 0) == 0 ? 1 : 0;
    EXPECT_EQ(0u, files);

    ASSERT_TRUE(camimg::WriteImageListFile(path.c_str(), entries));
    EXPECT_EQ("1\tC:\\a.jpg\r\n3\tC:\\c.jpg\r\n4\tC:\\d.jpg\r\n", ReadAll(path));
}

TEST(ImageList, RewriteIntoAMissingFolderFails)
{
    const std::string path = std::string(TESS_SCRATCH_DIR) + "/camera_image_list/no such folder/Image.lst";
    EXPECT_FALSE(camimg::WriteImageListFile(path.c_str(), {{1, "C:\\a.jpg"}}));
    EXPECT_FALSE(std::filesystem::exists(path));
}
