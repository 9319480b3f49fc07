#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fileio/stream_impl.h"
#include "fileio/tests/fileio_fixture.h"
#include "fileio/tests/scratch_file.h"
#include "fileio/tests/test_files.h"

using fileio_test::Cause;
using fileio_test::FolderEntries;
using fileio_test::ReadFile;
using fileio_test::ScratchFolder;

namespace {

std::string Scratch(const char* name) { return std::string(TESS_SCRATCH_DIR) + "/" + name; }

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    if (!bytes.empty()) {
        ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), f));
    }
    std::fclose(f);
}

struct FileStream {
    IVorlatFileStream* stream = nullptr;
    explicit FileStream(const std::string& path)
    {
        EXPECT_EQ(0, Cause(IVorlatFileStream::CreateFileStream(&stream)));
        _VorlatFile file{};
        std::snprintf(file.path, sizeof file.path, "%s", path.c_str());
        EXPECT_EQ(0, Cause(stream->SetFile(file)));
    }
    ~FileStream()
    {
        stream->CloseStream();
        stream->Destroy();
    }
};

int32_t Position(IVorlatStream* s)
{
    int32_t at = -1;
    EXPECT_EQ(0, Cause(s->Tell(&at)));
    return at;
}

} // namespace

TEST(FileStream, MappedReadsSeeksAndRefusesPastTheEnd)
{
    const std::string path = Scratch("fileio_stream_mapped.bin");
    WriteFile(path, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    FileStream f(path);
    ASSERT_EQ(0, Cause(f.stream->OpenStream(true)));
    ASSERT_NE(nullptr, f.stream->GetMappedMemory());
    uint32_t size = 0;
    ASSERT_EQ(0, Cause(f.stream->GetSize(&size)));
    EXPECT_EQ(10u, size);

    struct Case { int32_t offset; int origin; int32_t error; int32_t position; } cases[] = {
        {3, 0, 0, 3}, {7, 1, 0, 10}, {1, 1, 1106, 10}, {0, 2, 0, 10}, {1, 2, 1106, 10},
        {-11, 2, 1106, 10}, {-10, 2, 0, 0}, {-1, 0, 1106, 0}, {10, 0, 0, 10}, {11, 0, 1106, 10}, {0, 7, 1106, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.error, Cause(f.stream->Seek(c.offset, c.origin))) << c.offset << "," << c.origin;
        EXPECT_EQ(c.position, Position(f.stream));
    }
    // At the end a read of one byte fails, copies nothing and keeps the position.
    uint8_t byte = 0xAA;
    EXPECT_EQ(1103, Cause(f.stream->LoadToMemory(&byte, 1)));
    EXPECT_EQ(0xAA, byte);
    EXPECT_EQ(0, Cause(f.stream->Seek(6, 0)));
    uint8_t four[5] = {};
    EXPECT_EQ(0, Cause(f.stream->LoadToMemory(four, 4)));
    EXPECT_EQ(10, four[3]);
    EXPECT_EQ(0, Cause(f.stream->Seek(6, 0)));
    EXPECT_EQ(1103, Cause(f.stream->LoadToMemory(four, 5)));
    EXPECT_EQ(6, Position(f.stream));
    // Nothing is written through a stream opened for reading.
    EXPECT_EQ(1006, Cause(f.stream->SaveFromMemory(four, 1)));
    EXPECT_EQ(0, Cause(f.stream->SaveFromMemory(four, 0)));
}

// Reads of 64 KiB and more come from the file itself rather than the view,
// smaller ones from the view: both give the file's bytes and leave the
// position behind them, and a read past the end still copies nothing.
TEST(FileStream, LargeReadsGiveTheFilesBytes)
{
    const std::string path = Scratch("fileio_stream_large.bin");
    const uint32_t size = 300000;
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    WriteFile(path, bytes);
    FileStream f(path);
    ASSERT_EQ(0, Cause(f.stream->OpenStream(true)));
    ASSERT_NE(nullptr, f.stream->GetMappedMemory());

    struct Read { uint32_t at, count; } reads[] = {
        {0, 65536}, {1, 65535}, {12345, 200000}, {size - 65536, 65536}, {0, size}, {70000, 1},
    };
    for (const Read& r : reads) {
        SCOPED_TRACE(testing::Message() << r.count << " bytes at " << r.at);
        ASSERT_EQ(0, Cause(f.stream->Seek(static_cast<int32_t>(r.at), 0)));
        std::vector<uint8_t> into(r.count, 0xEE);
        ASSERT_EQ(0, Cause(f.stream->LoadToMemory(into.data(), r.count)));
        EXPECT_TRUE(std::equal(into.begin(), into.end(), bytes.begin() + r.at));
        EXPECT_EQ(static_cast<int32_t>(r.at + r.count), Position(f.stream));
    }
    ASSERT_EQ(0, Cause(f.stream->Seek(static_cast<int32_t>(size - 65536), 0)));
    std::vector<uint8_t> past(65537, 0xEE);
    EXPECT_EQ(1103, Cause(f.stream->LoadToMemory(past.data(), 65537)));
    EXPECT_TRUE(std::all_of(past.begin(), past.end(), [](uint8_t b) { return b == 0xEE; }));
    EXPECT_EQ(static_cast<int32_t>(size - 65536), Position(f.stream));
    ASSERT_EQ(0, Cause(f.stream->Seek(0, 0)));
    EXPECT_EQ(0, std::memcmp(f.stream->GetMappedMemory(), bytes.data(), size));
}

#if !defined(_WIN32)
// Another program cuts the file short while it is open (Windows refuses to
// cut a mapped file): a large read past the new end fails with the position
// kept, instead of touching the view's pages beyond it.
TEST(FileStream, FileCutShortWhileOpenFailsLargeReadsPastItsNewEnd)
{
    const std::string path = Scratch("fileio_stream_cut.bin");
    std::vector<uint8_t> bytes(300000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 13);
    WriteFile(path, bytes);
    FileStream f(path);
    ASSERT_EQ(0, Cause(f.stream->OpenStream(true)));
    std::filesystem::resize_file(path, 100000);

    std::vector<uint8_t> into(65536, 0xEE);
    ASSERT_EQ(0, Cause(f.stream->Seek(20000, 0)));
    ASSERT_EQ(0, Cause(f.stream->LoadToMemory(into.data(), 65536)));
    EXPECT_TRUE(std::equal(into.begin(), into.end(), bytes.begin() + 20000));
    ASSERT_EQ(0, Cause(f.stream->Seek(150000, 0)));
    EXPECT_EQ(1103, Cause(f.stream->LoadToMemory(into.data(), 65536)));
    EXPECT_EQ(150000, Position(f.stream));
}
#endif

TEST(FileStream, EmptyFileFallsBackToStdio)
{
    const std::string path = Scratch("fileio_stream_empty.bin");
    WriteFile(path, {});
    FileStream f(path);
    ASSERT_EQ(0, Cause(f.stream->OpenStream(true)));
    EXPECT_EQ(nullptr, f.stream->GetMappedMemory());
    uint32_t size = 99;
    EXPECT_EQ(0, Cause(f.stream->GetSize(&size)));
    EXPECT_EQ(0u, size);
    uint8_t byte = 0;
    EXPECT_EQ(1103, Cause(f.stream->LoadToMemory(&byte, 1)));
    EXPECT_EQ(0, Position(f.stream));
}

TEST(FileStream, WritesBinaryAndReadsBackAfterReopening)
{
    const std::string path = Scratch("fileio_stream_write.bin");
    FileStream f(path);
    ASSERT_EQ(0, Cause(f.stream->OpenStream(false)));
    // Bytes a text-mode file would change on Windows.
    const uint8_t bytes[] = {'\n', '\r', 0x1A, 0, '\n'};
    ASSERT_EQ(0, Cause(f.stream->SaveFromMemory(bytes, sizeof bytes)));
    uint8_t byte = 0;
    EXPECT_EQ(1007, Cause(f.stream->LoadToMemory(&byte, 1)));
    EXPECT_EQ(5, Position(f.stream));
    f.stream->CloseStream();
    ASSERT_EQ(0, Cause(f.stream->OpenStream(true)));
    uint8_t back[5] = {};
    ASSERT_EQ(0, Cause(f.stream->LoadToMemory(back, 5)));
    EXPECT_EQ(0, std::memcmp(bytes, back, 5));
    struct tm created {};
    EXPECT_EQ(0, Cause(f.stream->GetCreateTime(&created)));
    EXPECT_GT(created.tm_year, 100);
    _VorlatFile file{};
    EXPECT_EQ(0, Cause(f.stream->GetFile(&file)));
    EXPECT_EQ(path, file.path);
}

TEST(FileStream, MissingFileFailsToOpenAndToStat)
{
    FileStream f(Scratch("fileio_no_such_dir/none.bin"));
    EXPECT_EQ(1101, Cause(f.stream->OpenStream(true)));
    EXPECT_EQ(1101, Cause(f.stream->OpenStream(false)));
    uint32_t size = 0;
    EXPECT_EQ(1100, Cause(f.stream->GetSize(&size)));
    struct tm created {};
    EXPECT_EQ(1100, Cause(f.stream->GetCreateTime(&created)));
}

TEST(FileStream, WritingReplacesTheTargetOnlyAtTheClose)
{
    const std::string folder = ScratchFolder("stream_replace");
    const std::string path = folder + "/photo.jpg";
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteFile(path, old);
    {
        FileStream a(path), b(path);
        ASSERT_EQ(0, Cause(a.stream->OpenStream(false)));
        ASSERT_EQ(0, Cause(b.stream->OpenStream(false)));
        const uint8_t first[5] = {1, 2, 3, 4, 5};
        const uint8_t second[2] = {6, 7};
        ASSERT_EQ(0, Cause(a.stream->SaveFromMemory(first, 5)));
        ASSERT_EQ(0, Cause(b.stream->SaveFromMemory(second, 2)));
        uint32_t size = 0;
        EXPECT_EQ(0, Cause(a.stream->GetSize(&size)));
        EXPECT_EQ(5u, size);  // what this save wrote, not the target's size
        _VorlatFile file{};
        EXPECT_EQ(0, Cause(a.stream->GetFile(&file)));
        EXPECT_EQ(path, file.path);
        // Each save writes a file of its own beside the target, which stays as it was.
        EXPECT_EQ(old, ReadFile(path));
        EXPECT_EQ(3u, FolderEntries(folder).size());

        a.stream->CloseStream();
        EXPECT_EQ(std::vector<uint8_t>(first, first + 5), ReadFile(path));
        b.stream->CloseStream();
        EXPECT_EQ(std::vector<uint8_t>(second, second + 2), ReadFile(path));
        ASSERT_EQ(0, Cause(b.stream->OpenStream(true)));
        EXPECT_EQ(0, std::memcmp(second, b.stream->GetMappedMemory(), 2));
    }
    EXPECT_EQ(std::vector<std::string>{"photo.jpg"}, FolderEntries(folder));
}

TEST(FileStream, WriteGivenUpWithoutClosingLeavesTheTargetAsItWas)
{
    const std::string folder = ScratchFolder("stream_abandon");
    const std::string path = folder + "/photo.jpg";
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteFile(path, old);
    IVorlatFileStream* stream = nullptr;
    ASSERT_EQ(0, Cause(IVorlatFileStream::CreateFileStream(&stream)));
    _VorlatFile file{};
    std::snprintf(file.path, sizeof file.path, "%s", path.c_str());
    stream->SetFile(file);
    ASSERT_EQ(0, Cause(stream->OpenStream(false)));
    ASSERT_EQ(0, Cause(stream->SaveFromMemory("new!", 4)));
    stream->Destroy();
    EXPECT_EQ(old, ReadFile(path));
    EXPECT_EQ(std::vector<std::string>{"photo.jpg"}, FolderEntries(folder));
}

TEST(FileStream, TargetThatCannotBeReplacedIsRefusedAtOpen)
{
    namespace fs = std::filesystem;
    const std::string folder = ScratchFolder("stream_refuse");
    const std::string readOnly = folder + "/read_only.jpg";
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteFile(readOnly, old);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string subFolder = folder + "/folder.jpg";
    fs::create_directory(subFolder);
    std::vector<std::string> refused = {readOnly, subFolder};
#if defined(_WIN32)
    // Open elsewhere without delete sharing: the replace could never happen.
    const std::string held = folder + "/held.jpg";
    WriteFile(held, old);
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    refused.push_back(held);
#endif
    const std::vector<std::string> before = FolderEntries(folder);
    for (const std::string& path : refused) {
        SCOPED_TRACE(path);
        FileStream f(path);
        EXPECT_EQ(1101, Cause(f.stream->OpenStream(false)));
        EXPECT_EQ(1007, Cause(f.stream->SaveFromMemory("new", 3)));
        f.stream->CloseStream();
        EXPECT_EQ(before, FolderEntries(folder));
    }
#if defined(_WIN32)
    CloseHandle(holder);
    EXPECT_EQ(old, ReadFile(held));
#endif
    EXPECT_EQ(old, ReadFile(readOnly));
    FileStream reader(readOnly);
    EXPECT_EQ(0, Cause(reader.stream->OpenStream(true)));
    reader.stream->CloseStream();
    fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::add);
}

#if !defined(_WIN32)
TEST(FileStream, DiskRefusingTheBytesLeavesTheTargetAsItWas)
{
    struct Case {
        uint32_t bytes;
        int32_t writeError;  // the stdio buffer takes a few bytes; the disk refuses them at the close
    } cases[] = {{7, 0}, {1u << 16, 1006}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string folder = ScratchFolder("stream_full");
        const std::string path = folder + "/photo.jpg";
        const std::vector<uint8_t> old = {'o', 'l', 'd'};
        WriteFile(path, old);
        const std::vector<uint8_t> bytes(c.bytes, 0x5A);
        FileStream f(path);
        ASSERT_EQ(0, Cause(f.stream->OpenStream(false)));
        {
            fileio_test::DiskFullPast full(5);
            EXPECT_EQ(c.writeError, Cause(f.stream->SaveFromMemory(bytes.data(), c.bytes)));
            f.stream->CloseStream();
        }
        EXPECT_EQ(old, ReadFile(path));
        EXPECT_EQ(std::vector<std::string>{"photo.jpg"}, FolderEntries(folder));
    }
}
#endif

TEST(MemoryStream, KeepsInsideItsBuffer)
{
    fileio_test::MemoryStream m({1, 2, 3, 4, 5, 6, 7, 8});
    IVorlatStream* s = m.stream;
    struct Case { int32_t offset; int origin; int32_t error; int32_t position; } cases[] = {
        {8, 0, 0, 8}, {9, 0, 1106, 8}, {-1, 1, 0, 7}, {2, 1, 1106, 7}, {-8, 1, 1106, 7},
        {0, 2, 1007, 7}, {-1, 0, 1106, 7}, {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.error, Cause(s->Seek(c.offset, c.origin))) << c.offset << "," << c.origin;
        EXPECT_EQ(c.position, Position(s));
    }
    EXPECT_EQ(m.buffer.data(), s->GetMappedMemory());
    ASSERT_EQ(0, Cause(s->Seek(6, 0)));
    EXPECT_EQ(m.buffer.data() + 6, s->GetMappedMemory());
    uint8_t two[3] = {};
    EXPECT_EQ(0, Cause(s->LoadToMemory(two, 2)));
    EXPECT_EQ(8, two[1]);
    ASSERT_EQ(0, Cause(s->Seek(6, 0)));
    EXPECT_EQ(1103, Cause(s->LoadToMemory(two, 3)));
    // A write that does not fit writes nothing.
    const uint8_t data[3] = {9, 9, 9};
    EXPECT_EQ(1006, Cause(s->SaveFromMemory(data, 3)));
    EXPECT_EQ(7, m.buffer[6]);
    EXPECT_EQ(0, Cause(s->SaveFromMemory(data, 2)));
    EXPECT_EQ(9, m.buffer[7]);
    struct tm created {};
    _VorlatFile file{};
    EXPECT_EQ(1007, Cause(s->GetCreateTime(&created)));
    EXPECT_EQ(1007, Cause(s->GetFile(&file)));
}

TEST(WindowStream, ShowsTheInnerStreamFromItsBase)
{
    fileio_test::MemoryStream m({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    CVorlatWindowStream window(m.stream, 4);
    ASSERT_EQ(0, Cause(window.Seek(1, 0)));
    uint8_t byte = 0;
    ASSERT_EQ(0, Cause(window.LoadToMemory(&byte, 1)));
    EXPECT_EQ(5, byte);
    EXPECT_EQ(2, Position(&window));
    ASSERT_EQ(0, Cause(m.stream->Seek(2, 0)));
    int32_t at = 0;
    EXPECT_EQ(1106, Cause(window.Tell(&at)));
}
