// The maker note's record values read from hand-built maker notes and written
// back, in both byte orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "fileio/tests/fileio_fixture.h"

using namespace quarnite;
using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;

namespace {

struct RawEntry {
    uint16_t tag, type;
    uint32_t count;
    std::vector<uint8_t> value;  // in file order; out of line when longer than 4 bytes
};

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes, bool big)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(big ? v >> (8 * (bytes - 1 - i)) : v >> (8 * i)));
}

uint32_t Get(const uint8_t* at, int bytes, bool big)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint32_t(at[i]) << (8 * (big ? bytes - 1 - i : i));
    return v;
}

constexpr uint32_t kNoteAt = 8;  // where the maker note stands in the stream

// A stream with a kind-3 maker note ("Korva" header and embedded TIFF header)
// at kNoteAt, its offsets counting from the embedded header.
std::vector<uint8_t> BuildNote(const std::vector<RawEntry>& entries, bool big)
{
    std::vector<uint8_t> f(kNoteAt, 0);
    const char header[10] = {'K', 'o', 'r', 'v', 'a', 0, 2, 0, 0, 0};
    for (char c : header)
        f.push_back(uint8_t(c));
    f.push_back(big ? 'M' : 'I');
    f.push_back(big ? 'M' : 'I');
    Put(f, 42, 2, big);
    Put(f, 8, 4, big);
    Put(f, static_cast<uint32_t>(entries.size()), 2, big);
    std::vector<uint8_t> data;
    uint32_t dataAt = 8 + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
    for (const RawEntry& e : entries) {
        Put(f, e.tag, 2, big);
        Put(f, e.type, 2, big);
        Put(f, e.count, 4, big);
        if (e.value.size() <= 4) {
            std::vector<uint8_t> field = e.value;
            field.resize(4, 0);
            f.insert(f.end(), field.begin(), field.end());
        } else {
            Put(f, dataAt + static_cast<uint32_t>(data.size()), 4, big);
            data.insert(data.end(), e.value.begin(), e.value.end());
            if (data.size() & 1)
                data.push_back(0);
        }
    }
    Put(f, 0, 4, big);
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

std::vector<uint8_t> Ascii(const char* word) { return std::vector<uint8_t>(word, word + std::strlen(word) + 1); }

RawEntry Word(uint16_t tag, const char* word)
{
    return {tag, kTiffAscii, static_cast<uint32_t>(std::strlen(word) + 1), Ascii(word)};
}

// Reads the maker note at `at` of the stream.
int32_t ReadNote(const std::vector<uint8_t>& bytes, bool big, IVorlatTagControl* tags, TiffImageRecord* main,
                 MakerNoteCodec* codec, uint32_t at = kNoteAt)
{
    MemoryStream in(bytes);
    codec->Attach(tags, in.stream, big);
    codec->makerNotePosition = at;
    TiffImageRecord next;
    return Cause(codec->ReadMakerNote(main, &next));
}

// The maker note written from the store behind a 12-byte stand-in for the
// Exif MakerNote entry (whose count field lies at 4): the stream's bytes.
std::vector<uint8_t> WriteNote(IVorlatTagControl* tags, const TiffImageRecord* record, bool big, bool preview,
                               MakerNoteCodec* codec)
{
    MemoryStream out(std::vector<uint8_t>(1 << 16, 0), false);
    EXPECT_EQ(0, Cause(out.stream->Seek(12, 0)));
    codec->Attach(tags, out.stream, big);
    codec->makerNotePosition = 4;
    EXPECT_EQ(0, Cause(codec->WriteMakerNote(preview, record)));
    return out.Written();
}

// The value bytes of `tag` in the maker note written at 12 (file order), and its type and count.
std::vector<uint8_t> WrittenValue(const std::vector<uint8_t>& f, bool big, uint16_t tag, uint16_t* type = nullptr,
                                  uint32_t* count = nullptr)
{
    const uint32_t base = 12 + 10;
    const uint32_t ifd = base + 8;
    const uint32_t n = Get(&f[ifd], 2, big);
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* e = &f[ifd + 2 + 12 * i];
        if (Get(e, 2, big) != tag)
            continue;
        const uint32_t t = Get(e + 2, 2, big), c = Get(e + 4, 4, big);
        if (type)
            *type = static_cast<uint16_t>(t);
        if (count)
            *count = c;
        const uint32_t size = c * TiffTypeSize(t);
        if (size <= 4)
            return std::vector<uint8_t>(e + 8, e + 8 + size);
        const uint32_t at = base + Get(e + 8, 4, big);
        return std::vector<uint8_t>(f.begin() + at, f.begin() + at + size);
    }
    return {};
}

} // namespace

TEST(MakerNoteValues, FocusPositionIsSkippedInManualFocusAndRoundTrips)
{
    for (bool big : {false, true}) {
        const RawEntry focus = {0x0088, kTiffUndefined, 4, {3, 7, 0x15, 0x60}};
        Store s;
        MakerNoteCodec codec;
        TiffImageRecord main;
        ASSERT_EQ(0, ReadNote(BuildNote({Word(0x0007, "AF-S  "), focus}, big), big, s.tags, &main, &codec));
        const std::vector<uint8_t> record = s.Bytes(0x80088);
        ASSERT_EQ(20u, record.size());
        uint32_t fields[3];
        std::memcpy(fields, record.data(), 12);
        EXPECT_EQ(3u, fields[0]);
        EXPECT_EQ(7u, fields[1]);
        EXPECT_EQ(5u, fields[2]);
        EXPECT_EQ((std::vector<uint8_t>{1, 0, 1, 0, 1, 0, 0, 0}), std::vector<uint8_t>(record.begin() + 12, record.end()));

        MakerNoteCodec writer;
        std::vector<uint8_t> written = WriteNote(s.tags, nullptr, big, false, &writer);
        EXPECT_EQ((std::vector<uint8_t>{3, 7, 0x15, 0}), WrittenValue(written, big, 0x0088));

        Store manual;
        MakerNoteCodec again;
        ASSERT_EQ(0, ReadNote(BuildNote({Word(0x0007, "MANUAL"), focus}, big), big, manual.tags, &main, &again));
        EXPECT_EQ(std::vector<uint32_t>{0}, manual.Longs(0x80007));
        EXPECT_FALSE(manual->IsExist(0x80088, 0));
    }
}

TEST(MakerNoteValues, FlagByte87RemovesWhatItsFlagsDisown)
{
    struct Case {
        uint8_t flags;
        const char* flashMode;  // tag 0x0009
        bool keep8, keep9, keep12;
    } cases[] = {
        {0x00, "NEW_TTL ", false, false, false},  // r1 and r3 clear: all three go
        {0x02, "NEW_TTL ", true, true, true},     // code 3 keeps 0x80012
        {0x08, "AA      ", true, true, true},     // code 4 too
        {0x02, "MANUAL  ", true, true, false},    // any other code loses it
    };
    for (const Case& c : cases) {
        Store s;
        MakerNoteCodec codec;
        TiffImageRecord main;
        const std::vector<RawEntry> entries = {Word(0x0008, "REAR        "), Word(0x0009, c.flashMode),
                                               {0x0012, kTiffUndefined, 4, {0xFE, 2, 3, 0}},
                                               {0x0087, kTiffByte, 1, {c.flags}}};
        ASSERT_EQ(0, ReadNote(BuildNote(entries, false), false, s.tags, &main, &codec));
        EXPECT_EQ(c.keep8, s->IsExist(0x80008, 0)) << int(c.flags) << c.flashMode;
        EXPECT_EQ(c.keep9, s->IsExist(0x80009, 0)) << int(c.flags) << c.flashMode;
        EXPECT_EQ(c.keep12, s->IsExist(0x80012, 0)) << int(c.flags) << c.flashMode;
        std::vector<uint8_t> flags = s.Bytes(0x80087);
        ASSERT_EQ(8u, flags.size());
        for (int bit = 0; bit < 4; ++bit)
            EXPECT_EQ((c.flags >> bit) & 1, flags[bit]);
        if (c.keep12) {
            const std::vector<uint8_t> triple = s.Bytes(0x80012);
            int16_t w[3];
            std::memcpy(w, triple.data(), 6);
            EXPECT_EQ(-2, w[0]);
            EXPECT_EQ(2, w[1]);
            EXPECT_EQ(3, w[2]);
        }
    }
}

TEST(MakerNoteValues, Block0014GivesTheColourBalanceAndTravelsAsWords)
{
    for (bool big : {false, true}) {
        std::vector<uint8_t> block(300);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = uint8_t(i * 7 + 1);
        // Big-endian, signed, in 128ths: 2.0 and -1.0.
        block[296] = 0x01;
        block[297] = 0x00;
        block[298] = 0xFF;
        block[299] = 0x80;
        Store s;
        MakerNoteCodec codec;
        TiffImageRecord main;
        ASSERT_EQ(0, ReadNote(BuildNote({{0x0014, kTiffUndefined, 300, block}}, big), big, s.tags, &main, &codec));
        EXPECT_EQ((std::vector<double>{2.0, -1.0, 0.0, 0.0}), s.Doubles(0x8000C));
        const std::vector<uint32_t> words = s.Longs(0x80014);
        ASSERT_EQ(75u, words.size());
        EXPECT_EQ(Get(&block[4], 4, true), words[1]);  // the block's words are big-endian whatever the note's order

        MakerNoteCodec writer;
        std::vector<uint8_t> written = WriteNote(s.tags, nullptr, big, false, &writer);
        uint16_t type = 0;
        EXPECT_EQ(block, WrittenValue(written, big, 0x0014, &type));
        EXPECT_EQ(kTiffUndefined, type);
    }
}

TEST(MakerNoteValues, CurveOf3290BytesCarriesTheCompressedRawParameters)
{
    for (bool big : {false, true}) {
        std::vector<uint8_t> curve(3290, 0);
        for (size_t i = 0; i < 2112; ++i)
            curve[i] = uint8_t(i % 251);
        // Behind the 2112 curve bytes: predictors, n = 3 curve entries, m = 4 table bytes.
        std::vector<uint8_t> raw;
        for (uint32_t v : {0x0101u, 0x0202u, 0x0303u, 0x0404u, 3u, 0u, 2048u, 4095u, 4u})
            Put(raw, v, 2, big);
        for (uint8_t b : {0xAA, 0xBB, 0xCC, 0xDD})
            raw.push_back(b);
        std::copy(raw.begin(), raw.end(), curve.begin() + 2112);
        Store s;
        MakerNoteCodec codec;
        TiffImageRecord main;
        ASSERT_EQ(0, ReadNote(BuildNote({{0x008C, kTiffUndefined, 3290, curve}}, big), big, s.tags, &main, &codec));
        std::vector<uint8_t> stored = s.Bytes(0x8008C);
        ASSERT_EQ(2112u, stored.size());
        EXPECT_EQ('I', stored[0]);
        EXPECT_EQ('_', stored[1]);
        EXPECT_TRUE(std::equal(stored.begin() + 2, stored.end(), curve.begin() + 2));
        ASSERT_TRUE(main.compressedRaw);
        EXPECT_EQ(0x0303, main.compressedRaw->predictors[2]);
        EXPECT_EQ((std::vector<uint16_t>{0, 2048, 4095}), main.compressedRaw->curve);
        EXPECT_EQ((std::vector<uint8_t>{0xAA, 0xBB, 0xCC, 0xDD}), main.compressedRaw->table);

        // Written back as a 2112-byte curve and a 1180-byte 0x0096 entry, which read back the same.
        MakerNoteCodec writer;
        std::vector<uint8_t> written = WriteNote(s.tags, &main, big, false, &writer);
        uint32_t count = 0;
        EXPECT_EQ(stored, WrittenValue(written, big, 0x008C, nullptr, &count));
        std::vector<uint8_t> parameters = WrittenValue(written, big, 0x0096, nullptr, &count);
        ASSERT_EQ(1180u, count);
        EXPECT_EQ(0x44, parameters[0]);
        EXPECT_EQ(0x10, parameters[1]);
        EXPECT_TRUE(std::equal(raw.begin(), raw.end(), parameters.begin() + 2));
        Store back;
        MakerNoteCodec reader;
        TiffImageRecord again;
        ASSERT_EQ(0, ReadNote(written, big, back.tags, &again, &reader, 12));
        ASSERT_TRUE(again.compressedRaw);
        EXPECT_EQ(main.compressedRaw->curve, again.compressedRaw->curve);
        EXPECT_EQ(main.compressedRaw->table, again.compressedRaw->table);
        EXPECT_EQ(stored, back.Bytes(0x8008C));
    }
}

TEST(MakerNoteValues, DecodingParametersAloneAreStillWritten)
{
    // A compressed raw file whose store holds no other maker-note tag must keep
    // the parameters its data needs.
    for (bool big : {false, true}) {
        Store s;
        TiffImageRecord main;
        main.compressedRaw = std::make_unique<CompressedRawParameters>();
        main.compressedRaw->curve = {0, 2048, 4095};
        main.compressedRaw->table = {0xAA, 0xBB, 0xCC, 0xDD};
        MakerNoteCodec writer;
        std::vector<uint8_t> written = WriteNote(s.tags, &main, big, false, &writer);
        uint32_t count = 0;
        WrittenValue(written, big, 0x0096, nullptr, &count);
        EXPECT_EQ(1180u, count);
        Store back;
        MakerNoteCodec reader;
        TiffImageRecord again;
        ASSERT_EQ(0, ReadNote(written, big, back.tags, &again, &reader, 12));
        ASSERT_TRUE(again.compressedRaw);
        EXPECT_EQ(main.compressedRaw->curve, again.compressedRaw->curve);
        EXPECT_EQ(main.compressedRaw->table, again.compressedRaw->table);
    }
}

TEST(MakerNoteValues, ColourBalanceBlockRoundTrips)
{
    for (bool big : {false, true}) {
        std::vector<uint8_t> block(156, 0);
        std::memcpy(block.data(), "0100", 4);
        for (size_t i = 4; i < 64; ++i)
            block[i] = uint8_t(i * 3);
        auto put16 = [&](size_t at, uint16_t v) {  // the block's 16-bit values in the note's order
            std::vector<uint8_t> b;
            Put(b, v, 2, big);
            block[at] = b[0];
            block[at + 1] = b[1];
        };
        block[18] = 0x5A;           // two 4-bit values
        put16(20, 0x0ABC);          // three 4-bit values
        const uint16_t signs[4] = {0x0005, 0x01FB, 0x0000, 0x01FF};
        const uint16_t balance[4] = {0x0180, 0x0240, 0x0000, 0x07FE};
        const uint16_t first[9] = {0x0040, 0x0140, 0x0000, 0x0010, 0x0120, 0x00FE, 0x0001, 0x0100, 0x0080};
        const uint16_t second[9] = {0x0040, 0x0010, 0x0000, 0x00FE, 0x0001, 0x0020, 0x0002, 0x0003, 0x0004};
        for (int i = 0; i < 4; ++i) {
            put16(64 + 2 * i, signs[i]);
            put16(72 + 2 * i, balance[i]);
        }
        for (int i = 0; i < 9; ++i) {
            put16(80 + 2 * i, first[i]);
            put16(98 + 2 * i, second[i]);
        }
        for (size_t i = 116; i < 156; ++i)
            block[i] = uint8_t(255 - i);

        Store s;
        MakerNoteCodec codec;
        TiffImageRecord main;
        ASSERT_EQ(0, ReadNote(BuildNote({{0x0097, kTiffUndefined, 156, block}}, big), big, s.tags, &main, &codec));
        const std::vector<uint8_t> record = s.Bytes(0x80097);
        ASSERT_EQ(296u, record.size());
        EXPECT_EQ(0, std::memcmp(record.data(), "0100", 4));
        double cb[4];
        std::memcpy(cb, &record[80], sizeof cb);
        EXPECT_DOUBLE_EQ(1 + 0x80 / 255.0, cb[0]);
        EXPECT_DOUBLE_EQ(2 + 0x40 / 255.0, cb[1]);
        EXPECT_EQ((std::vector<double>{cb[0], cb[1], 0.0, 0.0}), s.Doubles(0x8000C));
        int16_t signedValues[4];
        std::memcpy(signedValues, &record[72], sizeof signedValues);
        EXPECT_EQ(5, signedValues[0]);
        EXPECT_EQ(0xFB - 256, signedValues[1]);

        // Written back and read again: the same record, and the same block.
        MakerNoteCodec writer;
        std::vector<uint8_t> written = WriteNote(s.tags, nullptr, big, false, &writer);
        const std::vector<uint8_t> again = WrittenValue(written, big, 0x0097);
        ASSERT_EQ(block.size(), again.size());
        for (size_t i = 0; i < block.size(); ++i)
            EXPECT_EQ(block[i], again[i]) << "byte " << i << (big ? " (big-endian)" : "");
        Store back;
        MakerNoteCodec reader;
        TiffImageRecord record2;
        ASSERT_EQ(0, ReadNote(written, big, back.tags, &record2, &reader, 12));
        EXPECT_EQ(record, back.Bytes(0x80097));
    }
}

TEST(MakerNoteValues, PreviewAndFilmPointers)
{
    for (bool big : {false, true}) {
        Store s;
        MakerNoteCodec codec;
        TiffImageRecord main;
        std::vector<uint8_t> preview, film;
        Put(preview, 100, 4, big);
        Put(film, 200, 4, big);
        ASSERT_EQ(0, ReadNote(BuildNote({{0x0011, kTiffLong, 1, preview}, {0x0E10, kTiffLong, 1, film}}, big), big,
                              s.tags, &main, &codec));
        EXPECT_EQ(kNoteAt + 10 + 100, codec.previewPointer);
        EXPECT_EQ(kNoteAt + 10 + 200, codec.filmPointer);
        EXPECT_EQ(kNoteAt + 10, codec.MakerNoteOffsetBase(true));
        EXPECT_EQ(0u, s->GetTagCount(0));  // pointers are not tags

        // A film pointer of another type fails the note.
        MakerNoteCodec wrong;
        EXPECT_EQ(1408, ReadNote(BuildNote({{0x0E10, kTiffShort, 1, {1, 0}}}, big), big, s.tags, &main, &wrong));

        // Written: LONG placeholders whose value fields the writer remembers.
        Store t;
        t.SetLongs(0x80005, {3});
        for (bool withPreview : {false, true}) {
            MakerNoteCodec writer;
            std::vector<uint8_t> written = WriteNote(t.tags, nullptr, big, withPreview, &writer);
            std::vector<uint16_t> expected = {0x0011, 0x0E10};
            if (!withPreview) {
                EXPECT_EQ(0u, writer.previewPointer);
                expected = {0x0E10};
            }
            for (uint16_t tag : expected) {
                const uint32_t at = tag == 0x0011 ? writer.previewPointer : writer.filmPointer;
                ASSERT_GT(at, 8u);
                EXPECT_EQ(tag, Get(&written[at - 8], 2, big));
                EXPECT_EQ(kTiffLong, Get(&written[at - 6], 2, big));
                EXPECT_EQ(0u, Get(&written[at], 4, big));
            }
            // The Exif entry's count: from the magic to the end of the data area.
            EXPECT_EQ(written.size() - 12, Get(&written[4], 4, big));
            EXPECT_EQ(12u, Get(&written[8], 4, big));
        }
    }
}

TEST(MakerNoteValues, ClearMakerNoteTagsLeavesTheRestOfTheStore)
{
    Store s;
    s.SetText(0x10F, "Korva");
    s.SetLongs(0x80005, {3});
    s.SetBytes(0x80E01, kTagTypeBytes, {1, 2, 3});
    s.SetBytes(0x0010, kTiffShort, {4, 0}, 3);
    s.SetBytes(0x0091, kTiffUndefined, {9}, 3);
    s.SetBytes(0x9090, kTiffLong, {1, 2, 3, 4}, 2);
    MakerNoteCodec codec;
    codec.Attach(s.tags, nullptr, false);
    codec.previewPointer = 10;
    codec.filmPointer = 20;
    ASSERT_EQ(0, Cause(codec.ClearMakerNoteTags()));
    EXPECT_FALSE(s->IsExist(0x80005, 0));
    EXPECT_FALSE(s->IsExist(0x80E01, 0));
    EXPECT_EQ(0u, s->GetTagCount(3));
    EXPECT_TRUE(s->IsExist(0x10F, 0));
    EXPECT_TRUE(s->IsExist(0x9090, 2));
    EXPECT_EQ(0u, codec.previewPointer);
    EXPECT_EQ(0u, codec.filmPointer);
}
