#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fileio/tests/fileio_fixture.h"

using namespace quarnite;
using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::ReadTiff;
using fileio_test::Store;
using fileio_test::TiffWriteOptions;
using fileio_test::WriteTiff;

namespace {

void FillMakerTags(Store& s)
{
    s.SetText(0x10F, "KORVA CORPORATION");
    s.SetText(0x110, "KORVA Q7");
    s.SetLongs(0x80003, {2});
    s.SetLongs(0x80005, {39});       // PRESET2
    s.SetLongs(0x80007, {16});       // AF-S
    s.SetLongs(0x80008, {18});       // written as REAR, read back as 2
    s.SetLongs(0x80009, {3});
    s.SetLongs(0x80004, {33});       // RAW5.4M reads back as 32
    s.SetBytes(0x80002, kTagTypeIsoPair, {1, 0, 0x80, 0x0C});  // mode 1, ISO 3200
    const int16_t triple[3] = {-3, 2, 6};
    ASSERT_EQ(0, Cause(s->AddTag(0x8000D)));
    ASSERT_EQ(0, Cause(s->SetTagValue(0x8000D, kTagTypeTriples, 6, triple, 0)));
    s.SetBytes(0x80087, kTagTypeFlags87, {1, 1, 0, 1, 0, 0, 0, 0});
    s.SetDoubles(0x80085, {-1.0});
    ASSERT_EQ(0, Cause(s->AddTag(0x80084)));
    const double range[4] = {18, 55, 3.5, 5.6};
    ASSERT_EQ(0, Cause(s->SetTagValue(0x80084, kTagTypeLensRange, 32, range, 0)));
    s.SetBytes(0x80E01, kTagTypeBytes, {1, 2, 3, 4, 5});  // the program's settings block, odd length
    s.SetBytes(0x0010, kTiffShort, {4, 0}, 3);
    s.SetBytes(0x0091, kTiffUndefined, {9, 9, 9}, 3);
}

} // namespace

TEST(MakerNote, RoundTripsThroughTheStoreInBothByteOrders)
{
    for (bool big : {false, true}) {
        Store s;
        FillMakerTags(s);
        TiffImageRecord record;
        record.compressedRaw = std::make_unique<CompressedRawParameters>();
        record.compressedRaw->predictors[2] = 0x0123;
        record.compressedRaw->curve = {0, 1, 2, 4095};
        record.compressedRaw->table = {0xAB, 0xCD, 0xEF};
        std::vector<uint8_t> file = WriteTiff(s.tags, TiffWriteOptions{big, 0x100000, true, &record});
        Store back;
        fileio_test::TiffReadResult r = ReadTiff(file, back.tags);
        ASSERT_EQ(0, r.exifError);
        EXPECT_EQ(std::vector<uint32_t>{39}, back.Longs(0x80005));
        EXPECT_EQ(std::vector<uint32_t>{16}, back.Longs(0x80007));
        EXPECT_EQ(std::vector<uint32_t>{2}, back.Longs(0x80008));
        EXPECT_EQ(std::vector<uint32_t>{32}, back.Longs(0x80004));
        EXPECT_EQ(s.Bytes(0x80002), back.Bytes(0x80002));
        EXPECT_EQ(s.Bytes(0x8000D), back.Bytes(0x8000D));
        EXPECT_EQ(s.Bytes(0x80087), back.Bytes(0x80087));
        EXPECT_EQ(std::vector<double>{-1.0}, back.Doubles(0x80085));
        EXPECT_EQ(s.Bytes(0x80084), back.Bytes(0x80084));
        EXPECT_EQ(s.Bytes(0x80E01), back.Bytes(0x80E01));
        EXPECT_EQ(s.Bytes(0x0010, 3), back.Bytes(0x0010, 3));
        EXPECT_EQ(s.Bytes(0x0091, 3), back.Bytes(0x0091, 3));
        EXPECT_EQ((std::vector<uint8_t>{'0', '2', '0', '0'}), back.Bytes(0x80001));
        ASSERT_TRUE(r.main.compressedRaw);
        EXPECT_EQ(0x0123, r.main.compressedRaw->predictors[2]);
        EXPECT_EQ(record.compressedRaw->curve, r.main.compressedRaw->curve);
        EXPECT_EQ(record.compressedRaw->table, r.main.compressedRaw->table);
    }
}

TEST(MakerNote, EmptyStoreGivesHeaderAndZeroCount)
{
    Store s;
    s.SetText(0x10F, "Korva");
    std::vector<uint8_t> file = WriteTiff(s.tags, TiffWriteOptions{false, 0x1, true});
    // Find the maker note through the Exif MakerNote entry.
    Store back;
    fileio_test::TiffReadResult r = ReadTiff(file, back.tags);
    ASSERT_EQ(0, r.exifError);
    const uint8_t* found = nullptr;
    for (size_t i = 0; i + 20 <= file.size(); ++i)
        if (std::memcmp(&file[i], "Korva\0\2\0", 8) == 0)
            found = &file[i];
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(0, found[18] | found[19] << 8);
}

TEST(MakerNote, KeptWholeIsWrittenBackByteForByte)
{
    Store s;
    s.SetText(0x10F, "Korva");
    std::vector<uint8_t> whole = {'K', 'o', 'r', 'v', 'a', 0, 7, 7, 1, 2, 3};
    s.SetBytes(0x927C, kTagTypeBytes, whole);
    s.SetLongs(0x80005, {3});  // not written: the kept maker note wins
    std::vector<uint8_t> file = WriteTiff(s.tags, TiffWriteOptions{false, 0x1, true});
    whole.push_back(0);
    EXPECT_NE(std::search(file.begin(), file.end(), whole.begin(), whole.end()), file.end());
    // Read again, an unknown version is kept whole once more.
    Store back;
    ReadTiff(file, back.tags);
    EXPECT_FALSE(back->IsExist(0x80005, 0));
}

TEST(MakerNote, WordTableRules)
{
    struct Case { uint16_t tag; const char* word; uint32_t code; bool stored; } cases[] = {
        {0x0005, "PRESET2     ", 39, true}, {0x0005, "WHITE PRESET", 7, true}, {0x0008, "REAR SLOW   ", 3, true},
        {0x0008, "REAR SLOWLY ", 2, true}, {0x0004, "RAW5.4M", 32, true}, {0x0003, "MONOCHROME", 1, true},
        {0x0003, "MONOCHROMES", 0, false}, {0x0095, "XX", 0, false}, {0x0008, "NORMAX", 0, true},
    };
    for (const Case& c : cases) {
        // A bare maker note (no header) of one ASCII entry, its word out of line.
        std::vector<uint8_t> note = {1, 0, uint8_t(c.tag), uint8_t(c.tag >> 8), 2, 0};
        uint32_t count = static_cast<uint32_t>(std::strlen(c.word) + 1);
        for (uint32_t v : {count, 18u})
            for (int i = 0; i < 4; ++i)
                note.push_back(uint8_t(v >> (8 * i)));
        note.insert(note.end(), 4, 0);
        note.insert(note.end(), c.word, c.word + count);
        Store s;
        MemoryStream in(note);
        MakerNoteCodec codec;
        codec.Attach(s.tags, in.stream, false);
        codec.makerNotePosition = 0;
        TiffImageRecord main, next;
        ASSERT_EQ(0, Cause(codec.ReadMakerNote(&main, &next)));  // position 0: nothing
        // The same note two bytes into the stream, its offset moved with it.
        note[10] = static_cast<uint8_t>(note[10] + 2);
        std::vector<uint8_t> shifted = {0xEE, 0xEE};
        shifted.insert(shifted.end(), note.begin(), note.end());
        MemoryStream in2(shifted);
        codec.Attach(s.tags, in2.stream, false);
        codec.makerNotePosition = 2;
        ASSERT_EQ(0, Cause(codec.ReadMakerNote(&main, &next))) << c.word;
        EXPECT_EQ(c.stored, s->IsExist(0x80000 | c.tag, 0)) << c.word;
        if (c.stored) {
            EXPECT_EQ(std::vector<uint32_t>{c.code}, s.Longs(0x80000 | c.tag)) << c.word;
        }
    }
}

TEST(MakerNote, BareNoteCalibratesItsOffsets)
{
    // The first out-of-line value says 100 bytes before where it really stands.
    std::vector<uint8_t> note = {1, 0, 0x05, 0, 2, 0, 13, 0, 0, 0};
    const uint32_t real = 2 + 12 + 4;
    const uint32_t claimed = 1000;
    for (int i = 0; i < 4; ++i)
        note.push_back(uint8_t(claimed >> (8 * i)));
    note.insert(note.end(), 4, 0);
    const char* word = "INCANDESCENT";
    note.insert(note.end(), word, word + 13);
    Store s;
    MemoryStream in(note);
    MakerNoteCodec codec;
    codec.Attach(s.tags, in.stream, false);
    codec.makerNotePosition = 0;
    // Position 0 reads nothing; a copy at 4 is read.
    std::vector<uint8_t> at4(4, 0);
    at4.insert(at4.end(), note.begin(), note.end());
    MemoryStream in2(at4);
    codec.Attach(s.tags, in2.stream, false);
    codec.makerNotePosition = 4;
    TiffImageRecord main, next;
    ASSERT_EQ(0, Cause(codec.ReadMakerNote(&main, &next)));
    EXPECT_EQ(std::vector<uint32_t>{1}, s.Longs(0x80005));
    EXPECT_EQ(int32_t(4 + real) - int32_t(claimed), codec.offsetDelta);
}

TEST(MakerNote, CountsThatAreWrongBothWaysReadNothing)
{
    struct Case { uint16_t count; bool swapped; } cases[] = {{0x0100, true}, {0x0101, false}};
    for (const Case& c : cases) {
        std::vector<uint8_t> note = {uint8_t(c.count), uint8_t(c.count >> 8)};
        note.resize(64, 0);
        Store s;
        MemoryStream in(note);
        MakerNoteCodec codec;
        codec.Attach(s.tags, in.stream, false);
        codec.makerNotePosition = 0;
        std::vector<uint8_t> at2 = {0, 0};
        at2.insert(at2.end(), note.begin(), note.end());
        MemoryStream in2(at2);
        codec.Attach(s.tags, in2.stream, false);
        codec.makerNotePosition = 2;
        TiffImageRecord main, next;
        EXPECT_EQ(0, Cause(codec.ReadMakerNote(&main, &next)));
        EXPECT_EQ(c.swapped ? kMakerNoteBare : kMakerNoteUnreadable, codec.kind);
    }
}

TEST(MakerNote, BrokenNoteLosesItsTagsButNotTheImage)
{
    // A word tag of type SHORT fails the maker note; the caller drops it.
    std::vector<uint8_t> note = {0, 0, 2, 0, 0x05, 0, 2, 0, 4, 0, 0, 0, 'A', 'U', 'T', 'O', 0x06, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    Store s;
    MemoryStream in(note);
    MakerNoteCodec codec;
    codec.Attach(s.tags, in.stream, false);
    codec.makerNotePosition = 2;
    TiffImageRecord main, next;
    ASSERT_EQ(0, Cause(ReadMakerNoteForImage(codec, 26, &main, &next)));
    EXPECT_FALSE(s->IsExist(0x80005, 0));
}
