#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell/batch/folder_snapshot.h"

namespace {

using shell::FileList;

std::vector<std::string> Paths(const FileList& files)
{
    std::vector<std::string> paths;
    for (const CFileNameAndTime& file : files)
        paths.push_back(static_cast<const char*>(file.GetPath()));
    return paths;
}

CFileNameAndTime File(const char* path, uint32_t time = 1)
{
    return CFileNameAndTime(path, time, 0, 3);
}

TEST(FolderSnapshot, QueuesOnlyNewFilesThatAreNotTheRunsOwn)
{
    FileList snapshot{File("C:\\In\\a.jpg"), File("C:\\In\\gone.jpg")};
    FileList own{File("C:\\In\\Img0001.tif"), File("D:\\Out\\Img0002.tif")};
    FileList queue{File("C:\\In\\waiting.jpg")};
    // a.jpg again (its time changed: still the same file), a new b.jpg and
    // the run's own output.
    const FileList fresh{File("C:\\In\\a.jpg", 99), File("C:\\In\\b.jpg"), File("C:\\In\\Img0001.tif")};

    EXPECT_EQ(shell::MergeRescan(fresh, snapshot, own, queue), 2);
    EXPECT_EQ(Paths(snapshot), (std::vector<std::string>{"C:\\In\\a.jpg", "C:\\In\\b.jpg", "C:\\In\\Img0001.tif"}));
    EXPECT_EQ(Paths(queue), (std::vector<std::string>{"C:\\In\\waiting.jpg", "C:\\In\\b.jpg"}));
    // The output was seen once; it stays in the snapshot and so is never new again.
    EXPECT_EQ(Paths(own), (std::vector<std::string>{"D:\\Out\\Img0002.tif"}));

    EXPECT_EQ(shell::MergeRescan(fresh, snapshot, own, queue), 0);
    EXPECT_EQ(queue.size(), 2u);

    // A file that went and came back is new again.
    EXPECT_EQ(shell::MergeRescan({File("C:\\In\\a.jpg")}, snapshot, own, queue), 0);
    EXPECT_EQ(shell::MergeRescan(fresh, snapshot, own, queue), 2);
    EXPECT_EQ(Paths(queue).back(), "C:\\In\\Img0001.tif");
}

TEST(FolderSnapshot, AnEmptyFolderEmptiesTheSnapshotAndQueuesNothing)
{
    FileList snapshot{File("C:\\In\\a.jpg"), File("C:\\In\\b.jpg")};
    FileList own;
    FileList queue;
    EXPECT_EQ(shell::MergeRescan({}, snapshot, own, queue), 0);
    EXPECT_TRUE(snapshot.empty());
    EXPECT_TRUE(queue.empty());
}

TEST(FolderSnapshot, WaitsForFilesThatAreEmptyHiddenOrStillBeingWritten)
{
    struct Case {
        uint64_t size;
        bool hidden;
        bool inUse;
        bool ready;
    } cases[] = {
        {1, false, false, true},  {0, false, false, false}, {5000, true, false, false},
        {5000, false, true, false}, {0, true, true, false},
    };
    for (const Case& c : cases) {
        shell::WatchedEntry entry;
        entry.path = "C:\\In\\x.jpg";
        entry.size = c.size;
        entry.hidden = c.hidden;
        entry.inUse = c.inUse;
        EXPECT_EQ(shell::IsReadyForImport(entry), c.ready) << c.size << c.hidden << c.inUse;
    }
}

}  // namespace
