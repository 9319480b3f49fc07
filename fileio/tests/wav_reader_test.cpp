// The WAV reader: the sound-file and Exif audio items it takes, the chunk
// walk with its pad bytes, and what it refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "fileio/VorlatLoad.h"
#include "fileio/tests/fileio_fixture.h"
#include "fileio/wav_reader.h"

using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;

namespace {

using Bytes = std::vector<uint8_t>;

void Append32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes Text(const std::string& s, bool terminated = true)
{
    Bytes b(s.begin(), s.end());
    if (terminated)
        b.push_back(0);
    return b;
}

// id, size and body; an odd body is followed by `pad` bytes (0 or 1) of
// value padValue.
Bytes Chunk(const char* id, const Bytes& body, int pad = 1, uint8_t padValue = 0, int64_t size = -1)
{
    Bytes b(id, id + 4);
    Append32(b, size < 0 ? static_cast<uint32_t>(body.size()) : static_cast<uint32_t>(size));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2)
        b.insert(b.end(), static_cast<size_t>(pad), padValue);
    return b;
}

Bytes List(const char* type, const std::vector<Bytes>& items, int64_t size = -1)
{
    Bytes body(type, type + 4);
    for (const Bytes& item : items)
        body.insert(body.end(), item.begin(), item.end());
    return Chunk("LIST", body, 1, 0, size);
}

Bytes Riff(const std::vector<Bytes>& chunks, const char* form = "WAVE", int64_t size = -1)
{
    Bytes body(form, form + 4);
    for (const Bytes& chunk : chunks)
        body.insert(body.end(), chunk.begin(), chunk.end());
    return Chunk("RIFF", body, 0, 0, size);
}

Bytes Format() { return Chunk("fmt ", Bytes{1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0}); }

struct Loaded {
    int32_t error;
    Store store;
};

void LoadTags(const Bytes& file, Loaded* out)
{
    MemoryStream in(file);
    quarnite::CWavReader reader(in.stream, out->store.tags);
    out->error = Cause(reader.LoadTags());
}

Bytes Value(const Store& store, TagId id)
{
    EXPECT_EQ(kTagTypeText, store->GetTagType(id, 0)) << std::hex << id;
    return store.Bytes(id);
}

} // namespace

TEST(WavReader, ReadsTheSoundFileAndExifAudioItems)
{
    const Bytes file = Riff({
        Format(),
        Chunk("data", Bytes{1, 2, 3, 4, 5}),  // odd, padded; before the lists
        List("INFO", {Chunk("INAM", Text("Birds")), Chunk("IGNR", Text("Nature")),
                      Chunk("ICRD", Text("2003-05-04")), Chunk("ISFT", Text("Recorder")),  // not taken
                      Chunk("ICMT", Text("a", false)),                                   // one byte and its pad
                      Chunk("IART", Text("Ann")), Chunk("ICOP", Text("(c) Ann 2003"))}),
        List("adtl", {Chunk("INAM", Text("skipped with its list"))}),
        List("exif", {Chunk("ever", Text("0210", false)), Chunk("erel", Text("DSC00001.JPG")),
                      Chunk("etim", Text("10:11:12.13")), Chunk("ecor", Text("KORVA")),
                      Chunk("emdl", Text("QZ-100")), Chunk("ecmt", Text("not taken"))}),
    });
    Loaded loaded;
    LoadTags(file, &loaded);
    ASSERT_EQ(0, loaded.error);
    struct Expect {
        TagId id;
        Bytes value;
    } expected[] = {
        {0x40001, Text("Birds")},        {0x40002, Text("Nature")},       {0x40003, Text("2003-05-04")},
        {0x40004, Text("a", false)},     {0x13B, Text("Ann")},            {0x8298, Text("(c) Ann 2003")},
        {0x41002, Text("DSC00001.JPG")}, {0x41003, Text("10:11:12.13")}, {0x10F, Text("KORVA")},
        {0x110, Text("QZ-100")},
    };
    for (const Expect& e : expected)
        EXPECT_EQ(e.value, Value(loaded.store, e.id)) << std::hex << e.id;
    EXPECT_EQ(10u, loaded.store->GetTagCount(0));
}

TEST(WavReader, WalksChunksAndItemsWithinTheirBounds)
{
    const Bytes title = Chunk("INAM", Text("Title"));
    struct Case {
        const char* name;
        Bytes file;
        int32_t error;
        std::vector<TagId> stored;
    } cases[] = {
        {"odd item without its pad byte",
         Riff({List("INFO", {Chunk("ICMT", Text("odd", false), 0), title})}), 0, {0x40004, 0x40001}},
        {"odd chunk followed by a non-zero byte: no pad",
         Riff({Chunk("junk", Bytes{7}, 0), List("INFO", {title})}), 0, {0x40001}},
        {"Exif audio version 0220: the items before it stay",
         Riff({List("exif", {Chunk("ecor", Text("KORVA")), Chunk("ever", Text("0220", false)),
                             Chunk("emdl", Text("QZ"))})}),
         1072, {0x10F}},
        {"Exif audio version too short", Riff({List("exif", {Chunk("ever", Text("02", false))})}), 1072, {}},
        {"Exif audio version empty", Riff({List("exif", {Chunk("ever", Bytes{})})}), 1072, {}},
        {"list size below its type", Riff({List("INFO", {}, 3)}), 1103, {}},
        {"item larger than its list",
         Riff({List("INFO", {title, Chunk("ICMT", Text("x"), 1, 0, 40)}), Chunk("data", Bytes(64, 0))}), 1103,
         {0x40001}},
        {"chunk larger than the form", Riff({List("INFO", {title}), Chunk("data", Bytes(8, 0), 1, 0, 4000)}), 1103,
         {0x40001}},
        {"form size beyond the file: read to the file's end",
         Riff({List("INFO", {title}), Chunk("data", Bytes(8, 0))}, "WAVE", 100000), 0, {0x40001}},
        {"a few bytes of slack after the last chunk", [&] {
             Bytes b = Riff({List("INFO", {title})});
             b.insert(b.end(), {0, 0, 0});
             b[4] += 3;
             return b;
         }(),
         0, {0x40001}},
        {"not a RIFF form", Bytes{'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, 1072, {}},
        {"RIFF of another form", Riff({List("INFO", {title})}, "AVI "), 1072, {}},
        {"shorter than the form header", Bytes{'R', 'I', 'F', 'F', 4, 0}, 1103, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded loaded;
        LoadTags(c.file, &loaded);
        EXPECT_EQ(c.error, loaded.error);
        EXPECT_EQ(c.stored.size(), loaded.store->GetTagCount(0));
        for (TagId id : c.stored)
            EXPECT_TRUE(loaded.store->IsExist(id, 0)) << std::hex << id;
    }
    EXPECT_EQ(Text("Title"), [&] {
        Loaded loaded;
        LoadTags(cases[0].file, &loaded);
        return Value(loaded.store, 0x40001);
    }());
}

TEST(WavReader, IsASoundFileWithoutPicture)
{
    const Bytes file = Riff({Format(), List("INFO", {Chunk("INAM", Text("Note"))}), Chunk("data", Bytes(6, 0))});
    const std::string target = std::string(TESS_SCRATCH_DIR) + "/wav_update_target";
    {
        std::ofstream out(target, std::ios::binary);
        out << "kept";
    }
    MemoryStream in(file);
    Store store;
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(load->AttachStream(in.stream, store.tags, 0, 0)));
    IVorlatStorage::tagStrFileInfo info{};
    ASSERT_EQ(0, Cause(load->GetFileInformation(&info)));
    EXPECT_EQ(kFormatWav, info.format);
    EXPECT_EQ(0, info.thumbnails);
    ASSERT_EQ(0, Cause(load->LoadTags()));
    EXPECT_EQ(Text("Note"), store.Bytes(0x40001));
    EXPECT_TRUE(load->IsFinished());
    int32_t done = -1, total = -1;
    load->GetProgress(&done, &total);
    EXPECT_EQ(0, done);
    EXPECT_EQ(0, total);
    EXPECT_EQ(1003, Cause(load->Execute()));
    int32_t value = 0;
    EXPECT_EQ(1073, Cause(load->GetThumbnailWidth(1, &value)));

    // Nothing to write back: the target is refused before it is opened.
    IVorlatFileStream* out = nullptr;
    ASSERT_EQ(0, Cause(IVorlatFileStream::CreateFileStream(&out)));
    _VorlatFile name = {};
    std::snprintf(name.path, sizeof name.path, "%s", target.c_str());
    out->SetFile(name);
    EXPECT_EQ(1073, Cause(load->Update(out)));
    out->Destroy();
    load->DetachStream();
    load->Destroy();
    std::ifstream kept(target, std::ios::binary);
    EXPECT_EQ("kept", std::string(std::istreambuf_iterator<char>(kept), {}));
    std::remove(target.c_str());

    quarnite::CWavReader reader(in.stream, store.tags);
    EXPECT_EQ(1003, Cause(reader.BeginLoadImage(nullptr)));
    EXPECT_EQ(1003, Cause(reader.BeginLoadImage(nullptr, 1)));
    EXPECT_EQ(1003, Cause(reader.Update(nullptr)));
    EXPECT_EQ(1003, Cause(reader.LoadTileRow(0)));
    quarnite::CWavReader noStore(in.stream, nullptr);
    EXPECT_EQ(1014, Cause(noStore.LoadTags()));
}

TEST(WavReader, ProbeTakesOnlyRiffWaveForms)
{
    struct Case {
        Bytes file;
        int32_t format;
    } cases[] = {
        {Riff({}), kFormatWav},
        {Riff({}, "AVI "), kFormatUnknown},
        {Bytes{'R', 'I', 'F', 'F'}, kFormatUnknown},
        {Bytes{}, kFormatUnknown},
    };
    for (const Case& c : cases) {
        MemoryStream in(c.file);
        int32_t format = kFormatUnknown;
        EXPECT_EQ(0, Cause(quarnite::ProbeWav(in.stream, &format)));
        EXPECT_EQ(c.format, format);
    }
    // A RIFF AVI form falls through to the BMP probe, which does not take it either.
    MemoryStream avi(Riff({}, "AVI "));
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    EXPECT_EQ(1072, Cause(load->AttachStream(avi.stream, nullptr, 0, 0)));
    load->DetachStream();
    load->Destroy();
}
