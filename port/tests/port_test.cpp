#include "port/port.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Scratch(const char* name) { return std::string(TESS_SCRATCH_DIR) + "/" + name; }

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

TEST(Port, EveryTargetProcessorHasMMX)
{
    // Both builds target x86; the colour engine and the unsharp mask rely on the test answering true.
    EXPECT_TRUE(port::HasMMX());
}

} // namespace
