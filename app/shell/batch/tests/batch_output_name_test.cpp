#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/shell/batch/batch_output_name.h"

namespace {

using shell::BatchOutputRequest;

// Numbered names in the manner of the run's naming: Img0001, Img0002, ...
struct Counter {
    int next = 1;
    std::string operator()(const std::string& folder, const std::string& extension)
    {
        char name[16];
        std::snprintf(name, sizeof name, "Img%04d", next++);
        return folder + name + extension;
    }
};

BatchOutputRequest Request(const char* source, int32_t kind, bool sourceFolder, bool sourceName)
{
    BatchOutputRequest r;
    r.sourcePath = source;
    r.sourceKind = kind;
    r.useSourceFolder = sourceFolder;
    r.useSourceFileName = sourceName;
    r.destinationFolder = "D:\\Out";
    return r;
}

TEST(BatchOutputName, NeverReplacesASourceOrAnEarlierOutput)
{
    const shell::FileList sources{{"C:\\In\\a.jpg", 0, 0, 3}, {"C:\\In\\a.tif", 0, 0, 5},
                                  {"C:\\In\\Sub\\a.jpg", 0, 0, 3}};
    struct Case {
        const char* what;
        const char* source;
        bool useSourceFolder;
        bool useSourceFileName;
        const char* extension;
        std::vector<std::string> written;
        const char* output;
        int32_t renamed;
    } cases[] = {
        {"numbered into the destination", "C:\\In\\a.jpg", false, false, ".tif", {}, "D:\\Out\\Img0001.tif", 0},
        {"numbered beside the source", "C:\\In\\a.jpg", true, false, ".bmp", {}, "C:\\In\\Img0001.bmp", 0},
        {"source name, other folder", "C:\\In\\a.jpg", false, true, ".tif", {}, "D:\\Out\\a.tif", 0},
        {"source name, other type", "C:\\In\\Sub\\a.jpg", true, true, ".bmp", {}, "C:\\In\\Sub\\a.bmp", 0},
        // Same folder, name and type: the source itself.
        {"output is the source", "C:\\In\\a.jpg", true, true, ".jpg", {}, "C:\\In\\Img0001.jpg", 1},
        {"output is the source, other case", "C:\\In\\a.jpg", true, true, ".JPG", {}, "C:\\In\\Img0001.JPG", 1},
        // a.jpg to TIFF beside a.tif, which still waits to be processed.
        {"output is another source", "C:\\In\\a.jpg", true, true, ".tif", {}, "C:\\In\\Img0001.tif", 1},
        // Two a.jpg from two folders into one destination.
        {"same name from a subfolder", "C:\\In\\Sub\\a.jpg", false, true, ".tif", {"D:\\Out\\a.tif"},
         "D:\\Out\\Img0001.tif", 2},
        {"numbered name skips an output", "C:\\In\\a.jpg", false, false, ".tif", {"D:\\Out\\Img0001.tif"},
         "D:\\Out\\Img0002.tif", 0},
    };
    for (const Case& c : cases) {
        Counter counter;
        const shell::BatchOutputName name = shell::MakeBatchOutputName(
            Request(c.source, 3, c.useSourceFolder, c.useSourceFileName), c.extension, sources, c.written,
            std::ref(counter));
        EXPECT_EQ(name.path, c.output) << c.what;
        EXPECT_EQ(name.renamed, c.renamed) << c.what;
    }
}

TEST(BatchOutputName, NoFreeNumberGivesNoName)
{
    const shell::BatchOutputName name = shell::MakeBatchOutputName(
        Request("C:\\In\\a.jpg", 3, true, true), ".jpg", {}, {},
        [](const std::string&, const std::string&) { return std::string(); });
    EXPECT_EQ(name.path, "");
    EXPECT_EQ(name.renamed, shell::kOutputWouldReplaceSource);
}

TEST(BatchOutputName, PathPartsAndComparison)
{
    EXPECT_EQ(shell::FolderOfPath("C:\\In\\Sub\\a.jpg"), "C:\\In\\Sub");
    EXPECT_EQ(shell::FolderOfPath("a.jpg"), "");
    EXPECT_EQ(shell::BaseNameOfPath("C:\\In\\a.b.jpg"), "a.b");
    EXPECT_EQ(shell::BaseNameOfPath("C:name.tif"), "name");
    EXPECT_EQ(shell::BaseNameOfPath("C:\\In.d\\noext"), "noext");
    EXPECT_TRUE(shell::SamePath("C:\\In\\A.JPG", "c:\\in\\a.jpg"));
    EXPECT_FALSE(shell::SamePath("C:\\In\\a.jpg", "C:\\In\\a.jpeg"));
}

TEST(BatchOutputName, DeletesASourceOnlyForAnotherWrittenFileWithContent)
{
    struct Case {
        const char* output;
        bool written;
        uint64_t size;
        bool mayDelete;
    } cases[] = {
        {"D:\\Out\\a.tif", true, 100, true},
        {"D:\\Out\\a.tif", false, 100, false},
        {"D:\\Out\\a.tif", true, 0, false},
        {"C:\\IN\\A.JPG", true, 100, false},  // the source itself
        {"", true, 100, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::MayDeleteSource("C:\\In\\a.jpg", c.output, c.written, c.size), c.mayDelete) << c.output;
}

}  // namespace
