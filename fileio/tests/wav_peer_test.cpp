// Sound files written by sox and ffmpeg, run as programs in the scratch
// folder: every chunk layout they write (format records of 16, 18, 20 and 40
// bytes, "fact" chunks, odd sample data with its pad byte) is probed and
// walked; the lists appended behind sox's chunks and ffmpeg's own INFO lists,
// with their odd-sized items, are read into the store.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fileio/VorlatLoad.h"
#include "fileio/tests/fileio_fixture.h"
#include "fileio/tests/test_files.h"

using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;
using fileio_test::ReadFile;
using fileio_test::QuietShell;

namespace {

using Bytes = std::vector<uint8_t>;

void Append32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// An item or chunk with its pad byte after an odd body.
Bytes Chunk(const char* id, const std::string& body)
{
    Bytes b(id, id + 4);
    Append32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2)
        b.push_back(0);
    return b;
}

Bytes List(const char* type, const std::vector<Bytes>& items)
{
    std::string body(type, 4);
    for (const Bytes& item : items)
        body.append(item.begin(), item.end());
    return Chunk("LIST", body);
}

// The sox file with the lists behind its chunks and the form size set again.
Bytes WithLists(Bytes file, const std::vector<Bytes>& lists)
{
    for (const Bytes& list : lists)
        file.insert(file.end(), list.begin(), list.end());
    const uint32_t size = static_cast<uint32_t>(file.size() - 8);
    for (int i = 0; i < 4; ++i)
        file[4 + i] = static_cast<uint8_t>(size >> (8 * i));
    return file;
}

struct Loaded {
    int32_t attach = -1, format = 0, tags = -1, thumbnails = -1;
};

Loaded Load(const Bytes& file, IVorlatTagControl* tags)
{
    Loaded out;
    MemoryStream in(file);
    IVorlatLoad* load = nullptr;
    EXPECT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    out.attach = Cause(load->AttachStream(in.stream, tags, 0, 0));
    if (!out.attach) {
        IVorlatStorage::tagStrFileInfo info{};
        EXPECT_EQ(0, Cause(load->GetFileInformation(&info)));
        out.format = info.format;
        out.thumbnails = info.thumbnails;
        out.tags = Cause(load->LoadTags());
    }
    load->DetachStream();
    load->Destroy();
    return out;
}

} // namespace

TEST(WavPeer, SoxFilesAreProbedAndWalkedToTheirLists)
{
    struct Case {
        const char* name;
        const char* options;  // sox output options
        const char* length;   // samples or seconds of the sine
    } cases[] = {
        {"16-bit mono PCM", "-r 8000 -c 1 -b 16", "0.01"},
        {"8-bit mono, odd data with its pad", "-r 8000 -c 1 -b 8", "7s"},
        {"24-bit stereo PCM", "-r 44100 -c 2 -b 24", "11s"},
        {"a-law: 18-byte format, fact chunk, odd data", "-r 8000 -c 1 -e a-law", "7s"},
        {"IMA ADPCM: 20-byte format, fact chunk", "-r 8000 -c 1 -e ima-adpcm", "0.02"},
    };
    const std::string path = std::string(TESS_SCRATCH_DIR) + "/wav_peer.wav";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path.c_str());
        ASSERT_EQ(0, QuietShell(std::string("sox -n ") + c.options + " '" + path + "' synth " + c.length + " sine 440"));
        const Bytes sox = ReadFile(path);
        ASSERT_GT(sox.size(), 44u);
        {
            Store store;
            const Loaded loaded = Load(sox, store.tags);
            ASSERT_EQ(0, loaded.attach);
            EXPECT_EQ(0x20000, loaded.format);
            EXPECT_EQ(0, loaded.thumbnails);
            EXPECT_EQ(0, loaded.tags);
            EXPECT_EQ(0u, store->GetTagCount(0));
        }
        // Odd-sized items, each followed by its pad byte.
        const Bytes file = WithLists(
            sox, {List("INFO", {Chunk("INAM", std::string("Gulls", 5)), Chunk("ICMT", std::string("At sea\0", 7)),
                                Chunk("IART", std::string("Ann", 3))}),
                  List("exif", {Chunk("ever", "0210"), Chunk("erel", std::string("DSC00042.JPG\0", 13)),
                                Chunk("ecor", std::string("KORVA", 5))})});
        Store store;
        const Loaded loaded = Load(file, store.tags);
        ASSERT_EQ(0, loaded.attach);
        EXPECT_EQ(0, loaded.tags);
        EXPECT_EQ((std::vector<uint8_t>{'G', 'u', 'l', 'l', 's'}), store.Bytes(0x40001));
        EXPECT_EQ("At sea", store.Text(0x40004));
        EXPECT_EQ(7u, store->GetTagSize(0x40004, 0));
        EXPECT_EQ((std::vector<uint8_t>{'A', 'n', 'n'}), store.Bytes(0x13B));
        EXPECT_EQ("DSC00042.JPG", store.Text(0x41002));
        EXPECT_EQ((std::vector<uint8_t>{'K', 'O', 'R', 'V', 'A'}), store.Bytes(0x10F));
        EXPECT_EQ(5u, store->GetTagCount(0));
    }
    std::remove(path.c_str());
}

namespace {

// The size of the first chunk of an id at the form's top level; -1 when absent.
int64_t ChunkSize(const Bytes& file, const char* id, size_t* at = nullptr)
{
    for (size_t p = 12; p + 8 <= file.size();) {
        const uint32_t size = static_cast<uint32_t>(file[p + 4]) | static_cast<uint32_t>(file[p + 5]) << 8 |
                              static_cast<uint32_t>(file[p + 6]) << 16 | static_cast<uint32_t>(file[p + 7]) << 24;
        if (std::equal(id, id + 4, file.begin() + static_cast<std::ptrdiff_t>(p))) {
            if (at)
                *at = p;
            return size;
        }
        p += 8 + static_cast<size_t>(size) + (size & 1);
    }
    return -1;
}

// A text item's bytes as ffmpeg writes them: the text and its terminator.
Bytes Terminated(const std::string& text)
{
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

} // namespace

// ffmpeg writes its INFO list between the format and the data chunks, items in
// the order of their ids, each text with its terminator counted in the size
// and a pad byte after an odd size; "ISFT" (its own name) and "IPRD" (the
// album) are items the table does not hold.
TEST(WavPeer, FfmpegInfoItemsBecomeTheirTags)
{
    struct Case {
        const char* name;
        const char* options;  // ffmpeg output options
        uint32_t formatSize;  // of the "fmt " chunk
        bool fact, oddData;
    } cases[] = {
        {"16-bit mono PCM, 8 kHz", "-c:a pcm_s16le -ar 8000 -ac 1", 16, false, false},
        {"8-bit mono PCM, 11025 Hz, odd data with its pad", "-c:a pcm_u8 -ar 11025 -ac 1", 16, false, true},
        {"24-bit stereo PCM, 44.1 kHz, extensible format", "-c:a pcm_s24le -ar 44100 -ac 2", 40, false, false},
        {"16-bit six channels, 48 kHz, extensible format", "-c:a pcm_s16le -ar 48000 -ac 6", 40, false, false},
        {"32-bit float, 22050 Hz, fact chunk", "-c:a pcm_f32le -ar 22050 -ac 1", 40, true, false},
        {"a-law, 8 kHz: 18-byte format, fact chunk", "-c:a pcm_alaw -ar 8000 -ac 1", 18, true, false},
    };
    // Texts of even length get odd item sizes, and the other way round.
    const std::string metadata = "-metadata title=Gulls -metadata artist=Anna -metadata 'comment=At sea' "
                                 "-metadata date=2024-05-06 -metadata 'genre=Folk song' "
                                 "-metadata 'copyright=(c) Ann' -metadata album=Coast";
    const std::string path = std::string(TESS_SCRATCH_DIR) + "/wav_peer_ffmpeg.wav";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path.c_str());
        ASSERT_EQ(0, QuietShell("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.01 " +
                           std::string(c.options) + " " + metadata + " '" + path + "'"));
        const Bytes file = ReadFile(path);
        // The file is the kind the case means, its list before the data.
        EXPECT_EQ(c.formatSize, ChunkSize(file, "fmt "));
        EXPECT_EQ(c.fact, ChunkSize(file, "fact") >= 0);
        size_t list = 0, data = 0;
        ASSERT_GE(ChunkSize(file, "LIST", &list), 4);
        ASSERT_GE(ChunkSize(file, "data", &data), 0);
        EXPECT_LT(list, data);
        EXPECT_EQ(c.oddData, (ChunkSize(file, "data") & 1) == 1);

        Store store;
        const Loaded loaded = Load(file, store.tags);
        ASSERT_EQ(0, loaded.attach);
        EXPECT_EQ(0x20000, loaded.format);
        EXPECT_EQ(0, loaded.thumbnails);
        EXPECT_EQ(0, loaded.tags);
        EXPECT_EQ(Terminated("Gulls"), store.Bytes(0x40001));
        EXPECT_EQ(Terminated("Folk song"), store.Bytes(0x40002));
        EXPECT_EQ(Terminated("2024-05-06"), store.Bytes(0x40003));
        EXPECT_EQ(Terminated("At sea"), store.Bytes(0x40004));
        EXPECT_EQ(Terminated("Anna"), store.Bytes(0x13B));
        EXPECT_EQ(Terminated("(c) Ann"), store.Bytes(0x8298));
        EXPECT_EQ(6u, store->GetTagCount(0));
    }
    std::remove(path.c_str());
}

// Written to a pipe, ffmpeg cannot go back to fill the sizes in: the form and
// the data chunk keep 0xFFFFFFFF. The list before the data is read, and the
// data chunk running past the end is refused (1103) with those tags kept.
TEST(WavPeer, FfmpegStreamedFileKeepsTheTagsBeforeItsUnsizedData)
{
    const std::string path = std::string(TESS_SCRATCH_DIR) + "/wav_peer_ffmpeg_pipe.wav";
    ASSERT_EQ(0, QuietShell("ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.01 "
                       "-metadata title=Abc -metadata artist=Anna -f wav pipe:1 > '" + path + "'"));
    const Bytes file = ReadFile(path);
    std::remove(path.c_str());
    ASSERT_EQ(0xFFFFFFFF, ChunkSize(file, "data"));
    Store store;
    const Loaded loaded = Load(file, store.tags);
    ASSERT_EQ(0, loaded.attach);
    EXPECT_EQ(1103, loaded.tags);
    EXPECT_EQ(Terminated("Abc"), store.Bytes(0x40001));
    EXPECT_EQ(Terminated("Anna"), store.Bytes(0x13B));
    EXPECT_EQ(2u, store->GetTagCount(0));
}
