#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/shell/batch/batch_start_checks.h"

namespace {

using shell::BatchStartChoices;
using shell::BatchStartResult;

// A disk of a few folders and files; what each check asked is recorded.
struct FakeDisk {
    std::set<std::string> folders{"C:\\In", "D:\\Out"};
    std::set<std::string> files{"C:\\Neutral.set"};
    std::set<std::string> readOnly;
    std::set<std::string> shortNames;
    std::vector<std::string> sources{"C:\\In\\a.jpg", "C:\\In\\b.xqv"};
};
FakeDisk* g_disk = nullptr;

const shell::BatchStartFileSystem kFakeFs{
    [](const char* folder) { return g_disk->folders.count(folder) != 0; },
    [](const char* path) { return g_disk->files.count(path) != 0; },
    [](const char* folder) { return g_disk->folders.count(folder) != 0 && g_disk->readOnly.count(folder) == 0; },
    [](const char* folder) { return g_disk->shortNames.count(folder) == 0; },
    [](const char*, bool) { return g_disk->sources; },
};

BatchStartChoices FolderRun()
{
    BatchStartChoices c;
    c.sourceIsFolder = true;
    c.sourceFolder = "C:\\In";
    c.destinationFolder = "D:\\Out";
    c.settingsMethod = 1;
    c.settingsFile = "C:\\Neutral.set";
    c.fileType = 5;
    c.prefix = "Img";
    c.length = 4;
    return c;
}

class BatchStartChecks : public ::testing::Test {
protected:
    void SetUp() override { g_disk = &disk_; }
    void TearDown() override { g_disk = nullptr; }
    BatchStartResult Check(const BatchStartChoices& c) { return shell::CheckBatchStart(c, kFakeFs); }
    FakeDisk disk_;
};

TEST_F(BatchStartChecks, RefusalsComeInTheirOrderWithTheirMessages)
{
    const std::string tooLong(260, 'x');
    struct Case {
        const char* what;
        void (*change)(BatchStartChoices&, FakeDisk&);
        uint32_t refusal;
    } cases[] = {
        {"all fine", [](BatchStartChoices&, FakeDisk&) {}, 0},
        {"delete onto itself",
         [](BatchStartChoices& c, FakeDisk&) {
             c.useSourceFolder = c.useSourceFileName = c.deleteSources = true;
             c.fileType = 0;
             c.sourceFolder = "C:\\Gone";  // check 1 comes before the folder test
         },
         9645},
        {"same output, another type: delete allowed",
         [](BatchStartChoices& c, FakeDisk&) {
             c.useSourceFolder = c.useSourceFileName = c.deleteSources = true;
             c.fileType = 3;
         },
         0},
        {"missing source folder",
         [](BatchStartChoices& c, FakeDisk& d) {
             c.sourceFolder = "C:\\Gone";
             d.readOnly.insert("D:\\Out");
         },
         9648},
        {"empty source folder", [](BatchStartChoices& c, FakeDisk&) { c.sourceFolder.clear(); }, 9648},
        {"camera ignores the source folder",
         [](BatchStartChoices& c, FakeDisk&) {
             c.sourceIsFolder = false;
             c.sourceFolder = "C:\\Gone";
         },
         0},
        {"read-only destination", [](BatchStartChoices&, FakeDisk& d) { d.readOnly.insert("D:\\Out"); }, 9644},
        {"missing destination", [](BatchStartChoices& c, FakeDisk&) { c.destinationFolder = "E:\\None"; }, 9644},
        {"source folder is the target",
         [](BatchStartChoices& c, FakeDisk& d) {
             c.useSourceFolder = true;
             d.readOnly.insert("C:\\In");
         },
         9644},
        {"short names: 3 + 2 + 4 characters",
         [](BatchStartChoices& c, FakeDisk& d) {
             c.suffix = "ab";
             d.shortNames.insert("D:\\Out");
         },
         9641},
        {"short names: 8 characters fit",
         [](BatchStartChoices& c, FakeDisk& d) {
             c.suffix = "a";
             d.shortNames.insert("D:\\Out");
         },
         0},
        {"short names: a blank",
         [](BatchStartChoices& c, FakeDisk& d) {
             c.prefix = "I g";
             d.shortNames.insert("D:\\Out");
         },
         9643},
        {"short names: a comma in the suffix",
         [](BatchStartChoices& c, FakeDisk& d) {
             c.prefix = "I";
             c.suffix = ",";
             d.shortNames.insert("D:\\Out");
         },
         9643},
        {"long names: a comma is fine", [](BatchStartChoices& c, FakeDisk&) { c.suffix = ",;"; }, 0},
        {"long names: a question mark", [](BatchStartChoices& c, FakeDisk&) { c.suffix = "?"; }, 9642},
        {"source names skip the naming test",
         [](BatchStartChoices& c, FakeDisk& d) {
             c.useSourceFileName = true;
             c.prefix = "a*b";
             d.shortNames.insert("D:\\Out");
         },
         0},
        {"missing settings file",
         [](BatchStartChoices& c, FakeDisk&) {
             c.settingsMethod = 2;
             c.settingsFile = "C:\\Other.set";
         },
         9649},
        {"settings file not used by method 1",
         [](BatchStartChoices& c, FakeDisk&) { c.settingsFile = "C:\\Other.set"; }, 0},
    };
    for (const Case& c : cases) {
        FakeDisk disk;
        g_disk = &disk;
        BatchStartChoices choices = FolderRun();
        c.change(choices, disk);
        EXPECT_EQ(Check(choices).refusal, c.refusal) << c.what;
    }
    g_disk = &disk_;

    // Stored values too long for the run's record are refused, never cut.
    BatchStartChoices choices = FolderRun();
    disk_.folders.insert("C:\\" + tooLong);
    choices.sourceFolder = "C:\\" + tooLong;
    EXPECT_EQ(Check(choices).refusal, 9648u);
    choices = FolderRun();
    choices.destinationFolder = "C:\\" + tooLong;
    EXPECT_EQ(Check(choices).refusal, 9644u);
    choices = FolderRun();
    choices.settingsMethod = 2;
    choices.settingsFile = "C:\\" + tooLong + ".set";
    disk_.files.insert(choices.settingsFile);
    EXPECT_EQ(Check(choices).refusal, 9649u);
}

TEST_F(BatchStartChecks, ForbiddenCharacterMessagesListTheCharactersEachWithABlank)
{
    BatchStartChoices choices = FolderRun();
    choices.prefix = "a|b";
    BatchStartResult result = Check(choices);
    EXPECT_EQ(result.refusal, 9642u);
    EXPECT_EQ(result.argument, "\\ / : * ? \" < > | ");

    disk_.shortNames.insert("D:\\Out");
    choices.prefix = "a:";
    choices.length = 2;
    result = Check(choices);
    EXPECT_EQ(result.refusal, 9643u);
    EXPECT_EQ(result.argument, "\\ / : , ; * ? \" < > | ");
}

TEST_F(BatchStartChecks, AsksBeforeOverwritingAndBeforeDeleting)
{
    struct Case {
        const char* what;
        bool useSourceFolder;
        bool useSourceFileName;
        int32_t fileType;
        bool deleteSources;
        bool hideWarning;
        bool askOverwrite;
        bool askDelete;
    } cases[] = {
        // Same folder, same names, same type: every source is its own target.
        {"same folder and type", true, true, 0, false, false, true, false},
        // a.jpg becomes a.tif, b.xqv b.tif: neither exists in the source folder.
        {"same folder, TIFF", true, true, 5, false, false, false, false},
        {"destination holds b.tif", false, true, 5, false, false, true, false},
        {"numbered names never ask", false, false, 5, false, false, false, false},
        {"delete warning", false, false, 5, true, false, false, true},
        {"delete warning hidden", false, false, 5, true, true, false, false},
        {"both questions", false, true, 5, true, false, true, true},
    };
    disk_.files.insert({"C:\\In\\a.jpg", "C:\\In\\b.xqv", "D:\\Out\\b.tif"});
    for (const Case& c : cases) {
        BatchStartChoices choices = FolderRun();
        choices.useSourceFolder = c.useSourceFolder;
        choices.useSourceFileName = c.useSourceFileName;
        choices.fileType = c.fileType;
        choices.deleteSources = c.deleteSources;
        choices.hideDeleteWarning = c.hideWarning;
        const BatchStartResult result = Check(choices);
        EXPECT_EQ(result.refusal, 0u) << c.what;
        EXPECT_EQ(result.askOverwrite, c.askOverwrite) << c.what;
        EXPECT_EQ(result.askDelete, c.askDelete) << c.what;
    }
    // The camera has no source files to delete.
    BatchStartChoices camera = FolderRun();
    camera.sourceIsFolder = false;
    camera.deleteSources = true;
    EXPECT_FALSE(Check(camera).askDelete);
}

TEST(SourceNamedTarget, ReplacesTheTextAfterTheLastDot)
{
    struct Case {
        const char* folder;
        const char* source;
        int32_t type;
        const char* target;
    } cases[] = {
        {"D:\\Out", "C:\\In\\a.b.jpg", 5, "D:\\Out\\a.b.tif"},
        {"D:\\Out\\", "C:\\In\\Sub\\x.XQV", 1, "D:\\Out\\x.xqv"},
        {"D:\\Out", "C:\\In\\x.tif", 0, "D:\\Out\\x.tif"},
        {"D:\\Out", "C:\\In\\x.tif", 2, "D:\\Out\\x.bmp"},
        {"D:\\Out", "C:\\In\\x.tif", 4, "D:\\Out\\x.jpg"},
        {"D:\\Out", "C:\\In\\noext", 3, "D:\\Out\\noext.jpg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::SourceNamedTarget(c.folder, c.source, c.type), c.target) << c.source;
}

}  // namespace
