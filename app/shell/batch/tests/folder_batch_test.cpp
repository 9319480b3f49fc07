#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/shell/batch/folder_batch.h"

namespace {

using shell::FolderBatch;

// A disk of named files with sizes, a log and numbered names Img0001...
struct Fixture {
    std::map<std::string, int64_t> disk;
    std::vector<std::string> log;
    int next = 1;

    shell::FolderBatchEnvironment Environment()
    {
        shell::FolderBatchEnvironment env;
        env.log = [this](const std::string& m) { log.push_back(m); };
        env.numbered = [this](const std::string& folder, const std::string& extension) {
            for (;; ++next) {
                char name[16];
                std::snprintf(name, sizeof name, "Img%04d", next);
                const std::string path = folder + name + extension;
                if (!disk.count(path)) {
                    ++next;
                    return path;
                }
            }
        };
        env.fileSize = [this](const std::string& p) { return disk.count(p) ? disk[p] : int64_t{-1}; };
        env.removeFile = [this](const std::string& p) { return disk.erase(p) == 1; };
        env.extension = [](int32_t type) {
            return std::string(type == 1 ? ".xqv" : type == 2 ? ".bmp" : type == 3 || type == 4 ? ".jpg" : ".tif");
        };
        return env;
    }
};

shell::AutoSaveSettings Record(int32_t fileType, bool sourceFolder, bool sourceName, bool deleteSources)
{
    shell::AutoSaveSettings record;
    record.fileType = fileType;
    record.useSourceFolder = sourceFolder;
    record.useSourceFileName = sourceName;
    record.deleteSourceFiles = deleteSources;
    std::snprintf(record.destinationFolder, sizeof record.destinationFolder, "D:\\Out");
    return record;
}

CFileNameAndTime Source(Fixture& f, const char* path, int32_t kind, uint32_t time)
{
    f.disk[path] = 1000;
    return CFileNameAndTime(path, time, 0, kind);
}

TEST(FolderBatch, RunsThroughTheQueueOldestFirstAndDeletesOnlyVerifiedSources)
{
    Fixture f;
    FolderBatch batch(Record(5, false, true, true), f.Environment());
    batch.Begin({Source(f, "C:\\In\\b.jpg", 3, 2), Source(f, "C:\\In\\a.jpg", 3, 1)});
    EXPECT_EQ(batch.ExpectedTotal(), 2);

    CFileNameAndTime file("", 0, 0, 0);
    ASSERT_TRUE(batch.TakeNext(&file));
    EXPECT_STREQ(file.GetPath(), "C:\\In\\a.jpg");
    std::string output;
    ASSERT_TRUE(batch.Loaded(0, file, &output));
    EXPECT_EQ(output, "D:\\Out\\a.tif");
    f.disk[output] = 5000;
    EXPECT_EQ(batch.Written(0, file, output, false), shell::kGoOn);
    EXPECT_FALSE(f.disk.count("C:\\In\\a.jpg"));

    // The saver said yes, yet the output is empty: the source stays.
    ASSERT_TRUE(batch.TakeNext(&file));
    ASSERT_TRUE(batch.Loaded(0, file, &output));
    f.disk[output] = 0;
    batch.Written(0, file, output, false);
    EXPECT_TRUE(f.disk.count("C:\\In\\b.jpg"));
    EXPECT_EQ(f.log, (std::vector<std::string>{"C:\\In\\b.jpg was not deleted: its output could not be verified."}));
    EXPECT_FALSE(batch.TakeNext(&file));
    EXPECT_EQ(batch.FilesSaved(), 2);
    EXPECT_EQ(batch.TakeSavedPaths(), (std::vector<std::string>{"D:\\Out\\a.tif", "D:\\Out\\b.tif"}));
    EXPECT_TRUE(batch.TakeSavedPaths().empty());
}

TEST(FolderBatch, OutputOnItsSourceIsRenamedLoggedAndTheSourceKept)
{
    Fixture f;
    // Same folder, same name, same type and "Delete".
    FolderBatch batch(Record(0, true, true, true), f.Environment());
    batch.Begin({Source(f, "C:\\In\\a.jpg", 3, 1), Source(f, "C:\\In\\Sub\\a.jpg", 3, 2)});
    CFileNameAndTime file("", 0, 0, 0);
    ASSERT_TRUE(batch.TakeNext(&file));
    std::string output;
    ASSERT_TRUE(batch.Loaded(0, file, &output));
    EXPECT_EQ(output, "C:\\In\\Img0001.jpg");
    ASSERT_EQ(f.log.size(), 1u);
    EXPECT_EQ(f.log[0], "C:\\In\\a.jpg would have replaced a source image; it was saved as C:\\In\\Img0001.jpg.");
    f.disk[output] = 800;
    batch.Written(0, file, output, false);
    // The output is another file that was written: the source may go.
    EXPECT_FALSE(f.disk.count("C:\\In\\a.jpg"));
    EXPECT_TRUE(f.disk.count("C:\\In\\Img0001.jpg"));
}

TEST(FolderBatch, TwoSourcesOfOneNameGetTwoOutputs)
{
    Fixture f;
    FolderBatch batch(Record(5, false, true, false), f.Environment());
    batch.Begin({Source(f, "C:\\In\\a.jpg", 3, 1), Source(f, "C:\\In\\Sub\\a.jpg", 3, 2)});
    CFileNameAndTime file("", 0, 0, 0);
    std::vector<std::string> outputs;
    while (batch.TakeNext(&file)) {
        std::string output;
        ASSERT_TRUE(batch.Loaded(0, file, &output));
        f.disk[output] = 10;
        batch.Written(0, file, output, false);
        outputs.push_back(output);
    }
    EXPECT_EQ(outputs, (std::vector<std::string>{"D:\\Out\\a.tif", "D:\\Out\\Img0001.tif"}));
    EXPECT_EQ(f.log, (std::vector<std::string>{
                         "D:\\Out\\a.tif was already written in this batch; it was saved as D:\\Out\\Img0001.tif."}));
}

TEST(FolderBatch, FailuresAreLoggedCountedAndLeaveNoPartialOutput)
{
    struct Case {
        int32_t loadResult;
        int32_t writeResult;
        bool existedBefore;
        const char* logged;
        bool outputRemains;
        shell::FolderBatchAfterWrite after;
    } cases[] = {
        {-231, 0, false,
         "Error loading C:\\In\\a.jpg.  This file was not created by the Korva M4/M4H/M4X or has been edited and was "
         "not saved in XQV format.",
         false, shell::kGoOn},
        {-123, 0, false, "Cancelled by the user.", false, shell::kGoOn},
        {-239, 0, false, "Error loading C:\\In\\a.jpg.", false, shell::kGoOn},
        {0, -240, false, "Disk full error -- image not saved.", false, shell::kStopDiskFull},
        {0, -236, false, "Error writing D:\\Out\\Img0001.tif.", false, shell::kGoOn},
        {0, -123, false, "Cancelled by the user.", false, shell::kGoOn},
        // A file that was there before the write is not the write's to remove.
        {0, -236, true, "Error writing D:\\Out\\Img0001.tif.", true, shell::kGoOn},
    };
    for (const Case& c : cases) {
        Fixture f;
        FolderBatch batch(Record(5, false, false, true), f.Environment());
        batch.Begin({Source(f, "C:\\In\\a.jpg", 3, 1)});
        CFileNameAndTime file("", 0, 0, 0);
        ASSERT_TRUE(batch.TakeNext(&file));
        std::string output;
        const bool loaded = batch.Loaded(c.loadResult, file, &output);
        EXPECT_EQ(loaded, c.loadResult == 0) << c.logged;
        if (loaded) {
            f.disk[output] = 123;  // what the writer left
            EXPECT_EQ(batch.Written(c.writeResult, file, output, c.existedBefore), c.after) << c.logged;
            EXPECT_EQ(f.disk.count(output) == 1, c.outputRemains) << c.logged;
        }
        EXPECT_EQ(f.log, std::vector<std::string>{c.logged});
        EXPECT_TRUE(batch.ErrorsLogged());
        EXPECT_EQ(batch.FailedFiles(), 1);
        EXPECT_EQ(batch.FilesSaved(), 0);
        // The source is never deleted for a failed file.
        EXPECT_TRUE(f.disk.count("C:\\In\\a.jpg")) << c.logged;
    }
}

TEST(FolderBatch, RescanQueuesNewReadyFilesButNotItsOwnOutputs)
{
    Fixture f;
    FolderBatch batch(Record(5, true, false, false), f.Environment());
    batch.Begin({});
    EXPECT_EQ(batch.ExpectedTotal(), 0);
    const auto entry = [](const char* path, uint64_t size, bool hidden = false, bool inUse = false) {
        shell::WatchedEntry e;
        e.path = path;
        e.kind = 3;
        e.size = size;
        e.hidden = hidden;
        e.inUse = inUse;
        return e;
    };
    // An empty, a hidden and a busy file wait; the ready one is queued.
    EXPECT_EQ(batch.Rescan({entry("C:\\In\\a.jpg", 10), entry("C:\\In\\b.jpg", 0), entry("C:\\In\\c.jpg", 9, true),
                            entry("C:\\In\\d.jpg", 9, false, true)}),
              1);
    CFileNameAndTime file("", 0, 0, 0);
    ASSERT_TRUE(batch.TakeNext(&file));
    std::string output;
    ASSERT_TRUE(batch.Loaded(0, file, &output));
    EXPECT_EQ(output, "C:\\In\\Img0001.tif");
    batch.Written(0, file, output, false);
    // The output and the files that became ready: only the latter are queued.
    EXPECT_EQ(batch.Rescan({entry("C:\\In\\a.jpg", 10), entry("C:\\In\\b.jpg", 5), entry("C:\\In\\d.jpg", 9),
                            entry("C:\\In\\Img0001.tif", 10)}),
              3);
    std::vector<std::string> queued;
    for (const CFileNameAndTime& q : batch.Queue())
        queued.push_back(static_cast<const char*>(q.GetPath()));
    EXPECT_EQ(queued, (std::vector<std::string>{"C:\\In\\b.jpg", "C:\\In\\d.jpg"}));
}

}  // namespace
