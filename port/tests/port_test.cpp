#include "port/port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Scratch(const char* name) { return std::string(TESS_SCRATCH_DIR) + "/" + name; }

// A new, empty folder of this process.
std::string Folder(const char* name)
{
#if defined(_WIN32)
    const std::string folder = Scratch(name) + "_" + std::to_string(GetCurrentProcessId());
#else
    const std::string folder = Scratch(name) + "_" + std::to_string(getpid());
#endif
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const char* text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(Port, TickSourceCanBeReplacedAndRestored)
{
    static uint32_t fake = 0xFFFFFFF0u;
    port::SetTickSource([] { return fake; });
    EXPECT_EQ(port::TickCount(), 0xFFFFFFF0u);
    fake += 0x20; // wraps like the system count
    EXPECT_EQ(port::TickCount(), 0x10u);
    port::SetTickSource(nullptr);
    uint32_t a = port::TickCount();
    uint32_t b = port::TickCount();
    EXPECT_LT(b - a, 1000u);
}

TEST(Port, FullPathIsAbsoluteAndFolded)
{
    char out[512];
    ASSERT_TRUE(port::FullPath("a/./b/../c.tmp", out, sizeof out));
    std::string path = out;
#if defined(_WIN32)
    EXPECT_EQ(path.find(":\\"), 1u) << path;
    EXPECT_NE(path.find("a\\c.tmp"), std::string::npos) << path;
#else
    EXPECT_EQ(path[0], '/');
    EXPECT_NE(path.find("/a/c.tmp"), std::string::npos) << path;
#endif
    EXPECT_FALSE(port::FullPath("name", out, 3));
}

TEST(Port, LowLevelFileCallsAreBinary)
{
    std::string name = Scratch("port_lowlevel.bin");
    port::FileUnlink(name.c_str());
    int fd = port::FileOpen(name.c_str(), port::kReadWrite | port::kCreate | port::kTruncate);
    ASSERT_GE(fd, 0);
    const char bytes[] = {'a', '\n', '\r', '\n', 0x1A, 'z'};
    EXPECT_EQ(port::FileWrite(fd, bytes, sizeof bytes), 6);
    EXPECT_EQ(port::FileSeek(fd, 0, SEEK_END), 6);
    EXPECT_EQ(port::FileChsize(fd, 10), 0);
    EXPECT_EQ(port::FileSeek(fd, 0, SEEK_END), 10);
    EXPECT_EQ(port::FileSeek(fd, 1, SEEK_SET), 1);
    char back[16] = {};
    EXPECT_EQ(port::FileRead(fd, back, sizeof back), 9);
    EXPECT_EQ(std::string(back, 5), std::string(bytes + 1, 5));
    EXPECT_EQ(back[8], 0);
    EXPECT_EQ(port::FileChsize(fd, 2), 0);
    EXPECT_EQ(port::FileSeek(fd, 0, SEEK_END), 2);
    EXPECT_EQ(port::FileClose(fd), 0);

    EXPECT_LT(port::FileOpen(name.c_str(), port::kReadWrite | port::kCreate | port::kExclusive), 0);
    EXPECT_EQ(port::FileUnlink(name.c_str()), 0);
    errno = 0;
    EXPECT_LT(port::FileOpen(name.c_str(), port::kReadOnly), 0);
    EXPECT_EQ(errno, ENOENT);
}

TEST(Port, MappedFileHasOneFailurePath)
{
    std::string name = Scratch("port_mapped.bin");
    std::string empty = Scratch("port_empty.bin");
    std::FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite("\x00\x01\x02\xFF", 1, 4, f);
    std::fclose(f);
    f = std::fopen(empty.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);

    port::MappedFile mapped;
    ASSERT_TRUE(mapped.Open(name.c_str()));
    ASSERT_EQ(mapped.Size(), 4u);
    EXPECT_EQ(mapped.Data()[3], 0xFF);
    mapped.Close();
    EXPECT_FALSE(mapped.IsOpen());

    for (const std::string& bad : {empty, Scratch("port_missing.bin"), std::string(TESS_SCRATCH_DIR)}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(mapped.Open(bad.c_str()));
        EXPECT_EQ(mapped.Data(), nullptr);
        EXPECT_EQ(mapped.Size(), 0u);
    }
    std::remove(name.c_str());
    std::remove(empty.c_str());
}

TEST(Port, ReplacingFileTakesTheTargetsPlaceOnlyOnCommit)
{
    const std::string folder = Folder("port_replace");
    const std::string target = folder + "/photo.jpg";
    Put(target, "old");

    port::ReplacingFile save;
    ASSERT_TRUE(save.Open(target.c_str()));
    std::fputs("new", save.File());
    // Beside the target, so that the replace is a rename on one volume.
    EXPECT_TRUE(std::filesystem::equivalent(folder, std::filesystem::path(save.Path()).parent_path()));
    EXPECT_EQ("old", Contents(target));
    EXPECT_EQ(2u, Entries(folder).size());
    ASSERT_TRUE(save.Commit());
    EXPECT_FALSE(save.IsOpen());
    EXPECT_EQ("new", Contents(target));
    EXPECT_EQ(std::vector<std::string>{"photo.jpg"}, Entries(folder));

    {
        port::ReplacingFile given, dropped;
        ASSERT_TRUE(given.Open(target.c_str()));
        ASSERT_TRUE(dropped.Open(target.c_str()));
        EXPECT_NE(std::string(given.Path()), dropped.Path());
        for (port::ReplacingFile* f : {&given, &dropped})
            std::fputs("lost", f->File());
        given.Abandon();
    }  // `dropped` is never committed
    EXPECT_EQ("new", Contents(target));
    EXPECT_EQ(std::vector<std::string>{"photo.jpg"}, Entries(folder));

    // A target that became a folder while the file was written cannot be replaced.
    const std::string taken = folder + "/taken.jpg";
    ASSERT_TRUE(save.Open(taken.c_str()));
    std::fputs("lost", save.File());
    std::filesystem::create_directory(taken);
    EXPECT_FALSE(save.Commit());
    EXPECT_TRUE(std::filesystem::is_directory(taken));
    EXPECT_EQ((std::vector<std::string>{"photo.jpg", "taken.jpg"}), Entries(folder));
    std::filesystem::remove(taken);

    const std::string fresh = folder + "/fresh.jpg";
    ASSERT_TRUE(save.Open(fresh.c_str()));
    std::fputs("first", save.File());
    ASSERT_TRUE(save.Commit());
    EXPECT_EQ("first", Contents(fresh));
}

TEST(Port, ReplacingFileRefusesWhatCannotBeReplaced)
{
    namespace fs = std::filesystem;
    const std::string folder = Folder("port_refuse");
    const std::string readOnly = folder + "/read_only.jpg";
    Put(readOnly, "old");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string subFolder = folder + "/folder.jpg";
    fs::create_directory(subFolder);
    const std::vector<std::string> before = Entries(folder);
    EXPECT_FALSE(port::CanReplace(readOnly.c_str()));
    EXPECT_FALSE(port::CanReplace(subFolder.c_str()));
    for (const std::string& target : {readOnly, subFolder, folder + "/missing/photo.jpg"}) {
        SCOPED_TRACE(target);
        port::ReplacingFile save;
        EXPECT_FALSE(save.Open(target.c_str()));
        EXPECT_FALSE(save.IsOpen());
        EXPECT_FALSE(save.Commit());
    }
    EXPECT_EQ(before, Entries(folder));
    EXPECT_EQ("old", Contents(readOnly));
    EXPECT_TRUE(port::CanReplace((folder + "/new.jpg").c_str()));
    fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(port::CanReplace(readOnly.c_str()));
}

#if !defined(_WIN32)
TEST(Port, ReplacingFileKeepsTheTargetsModeAndLinks)
{
    const std::string folder = Folder("port_keep");
    const std::string target = folder + "/private.jpg";
    const std::string link = folder + "/link.jpg";
    Put(target, "old");
    ASSERT_EQ(0, chmod(target.c_str(), 0600));
    ASSERT_EQ(0, symlink("private.jpg", link.c_str()));
    port::ReplacingFile save;
    ASSERT_TRUE(save.Open(link.c_str()));
    std::fputs("new", save.File());
    ASSERT_TRUE(save.Commit());
    EXPECT_EQ("new", Contents(target));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    struct stat info {};
    ASSERT_EQ(0, stat(target.c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 07777u);
}
#endif

TEST(Port, EveryTargetProcessorHasMMX)
{
    // Both builds target x86; the colour engine and the unsharp mask rely on the test answering true.
    EXPECT_TRUE(port::HasMMX());
}

} // namespace
