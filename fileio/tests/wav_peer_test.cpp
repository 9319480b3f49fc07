// Sound files written by sox, run as a program in the scratch folder: every
// chunk layout it writes (format records of 16, 18 and 20 bytes, "fact"
// chunks, odd sample data with its pad byte) is probed and walked, and the
// sound-file and Exif audio lists appended behind its chunks are read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fileio/VorlatLoad.h"
#include "fileio/tests/fileio_fixture.h"

using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;

namespace {

using Bytes = std::vector<uint8_t>;

int Shell(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

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
        ASSERT_EQ(0, Shell(std::string("sox -n ") + c.options + " '" + path + "' synth " + c.length + " sine 440"));
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
