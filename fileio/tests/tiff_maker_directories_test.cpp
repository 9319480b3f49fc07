// The directories behind the maker note: the legacy short-header maker note,
// the preview IFD and the film scanner's IFD.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fileio/meta/film_scanner_ifd.h"
#include "fileio/meta/legacy_maker_note.h"
#include "fileio/meta/maker_preview_ifd.h"
#include "fileio/quarnite_error.h"
#include "fileio/tests/fileio_fixture.h"
#include "fileio/tests/tiff_test_util.h"
#include "fileio/tiff/tiff_writer.h"

using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;
using namespace quarnite;
using tiff_test::Image;
using tiff_test::MakeImage;
using tiff_test::Pipeline;

namespace {

void Put16(std::vector<uint8_t>& b, uint16_t v, bool big = false)
{
    if (big) { b.push_back(static_cast<uint8_t>(v >> 8)); b.push_back(static_cast<uint8_t>(v)); }
    else { b.push_back(static_cast<uint8_t>(v)); b.push_back(static_cast<uint8_t>(v >> 8)); }
}
void Put32(std::vector<uint8_t>& b, uint32_t v, bool big = false)
{
    if (big) { Put16(b, static_cast<uint16_t>(v >> 16), true); Put16(b, static_cast<uint16_t>(v), true); }
    else { Put16(b, static_cast<uint16_t>(v)); Put16(b, static_cast<uint16_t>(v >> 16)); }
}

// ---- Legacy maker note ----------------------------------------------------------

struct LegacyEntry {
    uint16_t tag, type;
    uint32_t count, value;
};

// "Korva", 0, the value 1, the IFD (always little-endian), then `data`.
std::vector<uint8_t> LegacyNote(const std::vector<LegacyEntry>& entries, const std::vector<uint8_t>& data = {})
{
    std::vector<uint8_t> b = {'K', 'o', 'r', 'v', 'a', 0};
    Put16(b, 1);
    Put16(b, static_cast<uint16_t>(entries.size()));
    for (const LegacyEntry& e : entries) {
        Put16(b, e.tag);
        Put16(b, e.type);
        Put32(b, e.count);
        Put32(b, e.value);
    }
    Put32(b, 0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// Reads a maker note at offset 4 of its own stream, in a file of the given byte order.
void ReadNote(const std::vector<uint8_t>& note, Store& store, bool bigEndianFile, TiffImageRecord* next)
{
    std::vector<uint8_t> file(4, 0);
    file.insert(file.end(), note.begin(), note.end());
    MemoryStream in(file);
    MakerNoteCodec codec;
    codec.Attach(store.tags, in.stream, bigEndianFile);
    codec.makerNotePosition = 4;
    TiffImageRecord main;
    IVorlatError* err = codec.ReadMakerNote(&main, next);
    EXPECT_EQ(0, Cause(err));
    EXPECT_EQ(kMakerNoteLegacy, codec.kind);
}

TEST(LegacyMakerNote, ReadsLittleEndianInsideABigEndianFileAndMapsItsCodes)
{
    Store store;
    const std::vector<LegacyEntry> entries = {
        {3, kTiffShort, 1, 11}, {4, kTiffShort, 1, 2}, {5, kTiffShort, 1, 3}, {7, kTiffShort, 1, 5},
        {9, kTiffShort, 1, 77}, {11, kTiffShort, 1, 2}, {300, kTiffShort, 1, 1},
    };
    TiffImageRecord next;
    ReadNote(LegacyNote(entries), store, true, &next);
    EXPECT_EQ(std::vector<uint32_t>{1}, store.Longs(0x80004));
    EXPECT_EQ(std::vector<uint32_t>{1}, store.Longs(0x80003));
    EXPECT_EQ(std::vector<uint32_t>{260}, store.Longs(0x80080));
    EXPECT_EQ(std::vector<uint32_t>{6}, store.Longs(0x80005));
    EXPECT_EQ(std::vector<uint32_t>{0x3001}, store.Longs(0x80082));
    EXPECT_EQ(0u, store->GetTagCount(3));  // tag 9 and tags above 256 are passed over
}

TEST(LegacyMakerNote, MapsQualityCodes)
{
    const uint32_t cases[][2] = {{1, 0}, {8, 1}, {12, 2}, {11, 1}, {20, 17}, {17, 17}, {13, 13}, {0, 0}};
    for (const auto& c : cases) {
        Store store;
        ReadNote(LegacyNote({{3, kTiffShort, 1, c[0]}}), store, false, nullptr);
        EXPECT_EQ(std::vector<uint32_t>{c[1]}, store.Longs(0x80004)) << "code " << c[0];
    }
}

TEST(LegacyMakerNote, IsoCodesDependOnTheModel)
{
    struct Case {
        const char* model;
        uint32_t code;
        uint16_t mode, iso;
        uint32_t selection;  // 0x8000F, 0 when not set
    };
    const Case cases[] = {
        {"Q320", 4, 0x8011, 0, 0x8011}, {"X100", 4, 0x8009, 0, 0},   {"Q310", 0, 0x8009, 0, 0},
        {"Q330", 0, 0x8008, 0, 0x8008}, {"X100", 0, 0x8008, 0, 0x8008}, {"Q320", 2, 0x8010, 0, 0x8010},
        {"X100", 2, 0, 200, 0},         {"X100", 7, 0, 400, 0},      {"X100", 9, 0, 0, 0},
        {nullptr, 4, 0x8009, 0, 0},
    };
    for (const Case& c : cases) {
        Store store;
        if (c.model)
            store.SetText(0x110, c.model);
        ReadNote(LegacyNote({{6, kTiffShort, 1, c.code}}), store, false, nullptr);
        const std::vector<uint8_t> pair = store.Bytes(0x80002);
        ASSERT_EQ(4u, pair.size());
        uint16_t got[2];
        std::memcpy(got, pair.data(), 4);
        EXPECT_EQ(c.mode, got[0]) << (c.model ? c.model : "no model") << " code " << c.code;
        EXPECT_EQ(c.iso, got[1]) << (c.model ? c.model : "no model") << " code " << c.code;
        EXPECT_EQ(c.selection != 0, store->IsExist(0x8000F, 0));
        if (c.selection) {
            EXPECT_EQ(std::vector<uint32_t>{c.selection}, store.Longs(0x8000F));
        }
    }
}

TEST(LegacyMakerNote, ReadsQualityTextDistanceAndTheThumbnail)
{
    // The IFD ends at 4 + 10 + 4 x 12 + 4 = 66. Its offsets count from another
    // base (+100): the first one met, the text's, is taken to point right
    // behind the IFD and calibrates the others.
    const char text[] = "12.5";
    std::vector<uint8_t> data(text, text + 5);
    Put32(data, 15);
    Put32(data, 10);
    const std::vector<LegacyEntry> entries = {
        {2, kTiffAscii, 5, 66 + 100},
        {8, kTiffRational, 1, 71 + 100},
        {10, kTiffRational, 1, 71 + 100},
        {256, kTiffUndefined, 1234, 5678},
    };
    TiffImageRecord next;
    Store store;
    ReadNote(LegacyNote(entries, data), store, false, &next);
    EXPECT_EQ(std::vector<double>{12.5}, store.Doubles(0x8000A));
    EXPECT_EQ(std::vector<double>{1.5}, store.Doubles(0x80085));
    EXPECT_EQ(std::vector<double>{1.5}, store.Doubles(0x80086));
    // The thumbnail's offset and length stand as they are, untranslated.
    EXPECT_EQ(6u, next.compression);
    EXPECT_EQ(1234u, next.jpegLength);
    EXPECT_EQ(5678u, next.jpegOffset);
}

TEST(LegacyMakerNote, AWrongEntryTypeFailsTheMakerNote)
{
    Store store;
    std::vector<uint8_t> file(4, 0);
    const std::vector<uint8_t> note = LegacyNote({{3, kTiffAscii, 1, 0}});
    file.insert(file.end(), note.begin(), note.end());
    MemoryStream in(file);
    MakerNoteCodec codec;
    codec.Attach(store.tags, in.stream, false);
    TiffImageRecord main, next;
    codec.makerNotePosition = 4;
    EXPECT_EQ(kErrWrongEntryType, Cause(codec.ReadMakerNote(&main, &next)));
}

// ---- Preview IFD -------------------------------------------------------------------

struct WrittenPreview {
    std::vector<uint8_t> bytes;
    uint32_t pointer = 0;  // the maker note's tag 0x0011 value
    uint32_t place = 0;    // where the IFD stands
};

// A 4-byte stand-in for the maker note's pointer at offset 4, then the IFD at 16.
WrittenPreview WritePreview(IVorlatTagControl* tags, TiffImageRecord& record, bool big, uint32_t base)
{
    MemoryStream out(std::vector<uint8_t>(4096, 0), false);
    EXPECT_EQ(0, Cause(out.stream->Seek(16, 0)));
    MakerPreviewIfd preview;
    preview.Attach(tags, out.stream, big);
    preview.ifdOffset = 4;
    record.offsetBase = base;
    EXPECT_EQ(0, Cause(preview.WritePreviewIfd(&record)));
    // The JPEG stream's offset and length, as the writer patches them later.
    IfdCursor cursor;
    cursor.stream = out.stream;
    cursor.swap = big;
    EXPECT_EQ(0, Cause(cursor.Seek(record.stripOffsetPosition, false)));
    EXPECT_EQ(0, Cause(cursor.WriteU32(1000 - base)));
    EXPECT_EQ(0, Cause(cursor.Seek(record.stripByteCountPosition, false)));
    EXPECT_EQ(0, Cause(cursor.WriteU32(321)));
    WrittenPreview written;
    written.bytes = out.buffer;
    EXPECT_EQ(0, Cause(cursor.Seek(4, false)));
    written.place = 16;
    uint32_t pointer = 0;
    std::memcpy(&pointer, &out.buffer[4], 4);
    written.pointer = big ? (pointer >> 24 | (pointer >> 8 & 0xFF00) | (pointer << 8 & 0xFF0000) | pointer << 24) : pointer;
    return written;
}

TEST(MakerPreviewIfd, WritesAndReadsBackInEitherByteOrderWithItsUnknownTags)
{
    for (bool big : {false, true}) {
        for (uint32_t base : {0u, 10u}) {
            Store store;
            store.SetBytes(0x0200, kTiffShort, {7, 0}, 4);
            TiffImageRecord record;
            record.compression = 6;
            record.resolution = 180.0;
            WrittenPreview written = WritePreview(store.tags, record, big, base);
            EXPECT_EQ(16u - base, written.pointer);
            // The unknown tag stands between 296 and 513.
            const uint8_t* ifd = &written.bytes[16];
            auto tagAt = [&](int i) {
                const uint8_t* p = ifd + 2 + 12 * i;
                return big ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
            };
            EXPECT_EQ(7, big ? ifd[1] : ifd[0]);
            const uint16_t expected[] = {259, 282, 283, 296, 0x0200, 513, 514};
            for (int i = 0; i < 7; ++i)
                EXPECT_EQ(expected[i], tagAt(i)) << i;

            Store readStore;
            MemoryStream in(written.bytes);
            MakerPreviewIfd reader;
            reader.Attach(readStore.tags, in.stream, big);
            reader.ifdOffset = written.pointer + base;  // as the maker note translated it
            reader.offsetBase = base;
            TiffImageRecord back;
            ASSERT_EQ(0, Cause(reader.ReadPreviewIfd(&back)));
            EXPECT_EQ(6u, back.compression);
            EXPECT_DOUBLE_EQ(180.0, back.resolution);
            EXPECT_EQ(1000u, back.jpegOffset);
            EXPECT_EQ(321u, back.jpegLength);
            EXPECT_EQ((std::vector<uint8_t>{7, 0}), readStore.Bytes(0x0200, 4));
        }
    }
}

TEST(MakerPreviewIfd, ReadsAnIfdOfTheOtherByteOrder)
{
    // Two entries written big-endian, read inside a little-endian maker note.
    std::vector<uint8_t> b(8, 0);
    Put16(b, 2, true);
    Put16(b, 513, true); Put16(b, kTiffLong, true); Put32(b, 1, true); Put32(b, 100, true);
    Put16(b, 514, true); Put16(b, kTiffLong, true); Put32(b, 1, true); Put32(b, 20, true);
    Put32(b, 0);
    b.resize(200, 0);
    Store store;
    MemoryStream in(b);
    MakerPreviewIfd reader;
    reader.Attach(store.tags, in.stream, false);
    reader.ifdOffset = 8;
    reader.offsetBase = 50;
    TiffImageRecord record;
    ASSERT_EQ(0, Cause(reader.ReadPreviewIfd(&record)));
    EXPECT_EQ(150u, record.jpegOffset);
    EXPECT_EQ(20u, record.jpegLength);
    EXPECT_FALSE(reader.cursor.swap);
}

TEST(MakerPreviewIfd, LeavesNoPreviewWithoutAJpegStreamAndConvertsCentimetres)
{
    std::vector<uint8_t> b;
    Put16(b, 3);
    Put16(b, 282); Put16(b, kTiffRational); Put32(b, 1); Put32(b, 2 + 3 * 12 + 4);
    Put16(b, 296); Put16(b, kTiffShort); Put32(b, 1); Put32(b, 3);
    Put16(b, 514); Put16(b, kTiffLong); Put32(b, 1); Put32(b, 20);
    Put32(b, 0);
    Put32(b, 118);
    Put32(b, 1);
    Store store;
    {
        MemoryStream in(b);
        MakerPreviewIfd reader;
        reader.Attach(store.tags, in.stream, false);
        reader.ifdOffset = 0;
        TiffImageRecord record;
        EXPECT_EQ(0, Cause(reader.ReadPreviewIfd(&record)));  // no pointer: nothing read
    }
    std::vector<uint8_t> padded(4, 0);
    padded.insert(padded.end(), b.begin(), b.end());
    {
        MemoryStream in(padded);
        MakerPreviewIfd reader;
        reader.Attach(store.tags, in.stream, false);
        reader.ifdOffset = 4;
        reader.offsetBase = 4;
        TiffImageRecord record;
        record.width = 9;
        EXPECT_EQ(0, Cause(reader.ReadPreviewIfd(&record)));
        EXPECT_EQ(0u, record.width);  // reset: no JPEGInterchangeFormat
        EXPECT_EQ(0u, record.jpegLength);
    }
    // With the JPEG offset the record stays and 118 per centimetre is about 300.3 per inch.
    std::vector<uint8_t> withJpeg(4, 0);
    Put16(withJpeg, 4);
    Put16(withJpeg, 282); Put16(withJpeg, kTiffRational); Put32(withJpeg, 1); Put32(withJpeg, 2 + 4 * 12 + 4);
    Put16(withJpeg, 296); Put16(withJpeg, kTiffShort); Put32(withJpeg, 1); Put32(withJpeg, 3);
    Put16(withJpeg, 513); Put16(withJpeg, kTiffLong); Put32(withJpeg, 1); Put32(withJpeg, 60);
    Put16(withJpeg, 514); Put16(withJpeg, kTiffLong); Put32(withJpeg, 1); Put32(withJpeg, 20);
    Put32(withJpeg, 0);
    Put32(withJpeg, 118);
    Put32(withJpeg, 1);
    MemoryStream in(withJpeg);
    MakerPreviewIfd reader;
    reader.Attach(store.tags, in.stream, false);
    reader.ifdOffset = 4;
    reader.offsetBase = 4;
    TiffImageRecord record;
    EXPECT_EQ(0, Cause(reader.ReadPreviewIfd(&record)));
    EXPECT_NEAR(300.3, record.resolution, 0.05);
    EXPECT_EQ(64u, record.jpegOffset);
}

TEST(MakerPreviewIfd, WritesNothingWithoutAPreviewPointer)
{
    Store store;
    MemoryStream out(std::vector<uint8_t>(256, 0xAA), false);
    ASSERT_EQ(0, Cause(out.stream->Seek(16, 0)));
    MakerPreviewIfd preview;
    preview.Attach(store.tags, out.stream, false);
    TiffImageRecord record;
    EXPECT_EQ(0, Cause(preview.WritePreviewIfd(&record)));
    EXPECT_EQ(std::vector<uint8_t>(256, 0xAA), out.buffer);
}

// ---- Film scanner IFD -----------------------------------------------------------------

TEST(FilmScannerIfd, ReadsFilmTypeWordsLongestFirst)
{
    struct Case {
        const char* word;
        bool stored;
        uint32_t code;
    };
    const Case cases[] = {
        {"NEGATIVE(MONO) ", true, 257}, {"NEGATIVE", true, 256},   {"NEGATIVE(COLOR)", true, 258},
        {"POSITIVE       ", true, 3},   {"KODACHROME", true, 0x8003}, {"SLIDE", false, 0},
    };
    for (const Case& c : cases) {
        const uint32_t length = static_cast<uint32_t>(std::strlen(c.word) + 1);
        std::vector<uint8_t> b;
        Put16(b, 1);
        Put16(b, 0x0002); Put16(b, kTiffAscii); Put32(b, length); Put32(b, length <= 4 ? 0 : 2 + 12 + 4);
        Put32(b, 0);
        b.insert(b.end(), c.word, c.word + length);
        Store store;
        MemoryStream in(b);
        FilmScannerIfd film;
        film.Attach(store.tags, in.stream, false);
        film.ifdOffset = 0;
        EXPECT_EQ(0, Cause(film.ReadFilmScannerIfd()));  // no pointer: nothing read
        EXPECT_FALSE(store->IsExist(0x90002, 0));
        std::vector<uint8_t> shifted(2, 0);
        shifted.insert(shifted.end(), b.begin(), b.end());
        MemoryStream in2(shifted);
        FilmScannerIfd film2;
        film2.Attach(store.tags, in2.stream, false);
        film2.ifdOffset = 2;
        film2.offsetBase = 2;
        ASSERT_EQ(0, Cause(film2.ReadFilmScannerIfd())) << c.word;
        EXPECT_EQ(c.stored, store->IsExist(0x90002, 0)) << c.word;
        if (c.stored) {
            EXPECT_EQ(std::vector<uint32_t>{c.code}, store.Longs(0x90002)) << c.word;
        }
    }
}

TEST(FilmScannerIfd, RoundTripsItsTagsAndCalibrationInEitherByteOrder)
{
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "big-endian" : "little-endian");
        Store store;
        store.SetLongs(0x90002, {257});
        store.SetText(0x90040, "Scanner 4000");
        store.SetLongs(0x90041, {12});
        store.SetDoubles(0x90050, {-1.5});
        store.SetText(0x90100, "Film strip");
        store.SetBytes(0x0045, kTiffShort, {3, 0}, 5);
        uint8_t record[64] = {};
        const double r[5] = {0.5, -2.25, 3.0, 1.0 / 3.0, -7.0};
        std::memcpy(record, r, 24);
        const uint32_t words[3] = {11, 22, 0xFFFFFFFF};
        std::memcpy(record + 24, words, 12);
        std::memcpy(record + 40, r + 3, 16);
        const uint32_t e = 99;
        std::memcpy(record + 56, &e, 4);
        store.SetBytes(0x90110, kTagTypeFilmRecord, std::vector<uint8_t>(record, record + 64));

        MemoryStream out(std::vector<uint8_t>(4096, 0), false);
        ASSERT_EQ(0, Cause(out.stream->Seek(40, 0)));
        FilmScannerIfd writer;
        writer.Attach(store.tags, out.stream, big);
        writer.ifdOffset = 20;   // the maker note's 0x0E10 value field
        writer.offsetBase = 30;  // the maker note's start + 10
        ASSERT_EQ(0, Cause(writer.WriteFilmScannerIfd()));
        // The unknown tag 0x0045 stands between 0x0041 and 0x0050.
        auto tagAt = [&](int i) {
            const uint8_t* p = &out.buffer[42 + 12 * i];
            return big ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
        };
        const uint16_t order[] = {0x0002, 0x0040, 0x0041, 0x0045, 0x0050, 0x0100, 0x0110};
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(order[i], tagAt(i));

        Store back;
        MemoryStream in(out.buffer);
        FilmScannerIfd reader;
        reader.Attach(back.tags, in.stream, big);
        reader.ifdOffset = 40;
        reader.offsetBase = 30;
        ASSERT_EQ(0, Cause(reader.ReadFilmScannerIfd()));
        EXPECT_EQ(std::vector<uint32_t>{257}, back.Longs(0x90002));
        EXPECT_EQ("Scanner 4000", back.Text(0x90040));
        EXPECT_EQ(std::vector<uint32_t>{12}, back.Longs(0x90041));
        EXPECT_EQ(std::vector<double>{-1.5}, back.Doubles(0x90050));
        EXPECT_EQ("Film strip", back.Text(0x90100));
        EXPECT_EQ((std::vector<uint8_t>{3, 0}), back.Bytes(0x0045, 5));
        const std::vector<uint8_t> got = back.Bytes(0x90110);
        ASSERT_EQ(64u, got.size());
        double g[5];
        std::memcpy(g, got.data(), 24);
        std::memcpy(g + 3, got.data() + 40, 16);
        for (int i = 0; i < 5; ++i)
            EXPECT_NEAR(r[i], g[i], 1e-8) << i;
        EXPECT_EQ(0, std::memcmp(got.data() + 24, words, 12));
        EXPECT_EQ(0, std::memcmp(got.data() + 56, &e, 4));
    }
}

TEST(FilmScannerIfd, IgnoresACalibrationOfAnotherSizeAndReadsAZeroDenominatorAsZero)
{
    std::vector<uint8_t> b;
    Put16(b, 2);
    Put16(b, 0x0110); Put16(b, kTiffUndefined); Put32(b, 48); Put32(b, 2 + 24 + 4);
    Put16(b, 0x0120); Put16(b, kTiffUndefined); Put32(b, 56); Put32(b, 2 + 24 + 4);
    Put32(b, 0);
    for (int i = 0; i < 14; ++i)
        Put32(b, i % 2 ? 0 : 5);  // every denominator 0
    Store store;
    std::vector<uint8_t> shifted(6, 0);
    shifted.insert(shifted.end(), b.begin(), b.end());
    MemoryStream in2(shifted);
    FilmScannerIfd film2;
    film2.Attach(store.tags, in2.stream, false);
    film2.ifdOffset = 6;
    film2.offsetBase = 6;
    ASSERT_EQ(0, Cause(film2.ReadFilmScannerIfd()));
    EXPECT_FALSE(store->IsExist(0x90110, 0));
    const std::vector<uint8_t> got = store.Bytes(0x90120);
    ASSERT_EQ(64u, got.size());
    double r0;
    std::memcpy(&r0, got.data(), 8);
    EXPECT_EQ(0.0, r0);
}

TEST(FilmScannerIfd, WritesNothingWithoutThePointerOrWithoutEntries)
{
    for (bool pointer : {false, true}) {
        Store store;
        if (!pointer)
            store.SetLongs(0x90002, {3});
        MemoryStream out(std::vector<uint8_t>(64, 0xAA), false);
        ASSERT_EQ(0, Cause(out.stream->Seek(16, 0)));
        FilmScannerIfd film;
        film.Attach(store.tags, out.stream, false);
        film.ifdOffset = pointer ? 4 : 0;
        EXPECT_EQ(0, Cause(film.WriteFilmScannerIfd()));
        // Nor is the maker note's pointer touched: it keeps its 0.
        EXPECT_EQ(std::vector<uint8_t>(64, 0xAA), out.buffer) << pointer;
    }
}

// ---- Previews through the writer and the reader ------------------------------------

TEST(MakerPreviewIfd, APreviewSavedWithTheMakerNoteReadsBackThroughTheReader)
{
    struct Case {
        const char* what;
        int32_t format;
        bool big;
        int32_t mainColorSpace;
        int thumbnails;        // RGB thumbnail sources
        int32_t preview;       // the preview's thumbnail index when read
        int32_t strip;         // the uncompressed thumbnail's index, 0 for none
        bool film;             // a film-scanner tag too
    };
    const Case cases[] = {
        {"TIFF: IFD 1 and the preview", kFormatTiff, false, 32, 2, 2, 1, false},
        {"big-endian TIFF with a film-scanner IFD", kFormatTiff, true, 33, 2, 2, 1, true},
        {"raw file: the last of three", kFormatRawTiff, false, 64, 3, 2, 0, false},
        {"big-endian raw file with a film-scanner IFD", kFormatRawTiff, true, 64, 3, 2, 0, true},
    };
    Pipeline pipeline;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store tags;
        tags.SetText(0x10F, "KORVA");
        tags.SetBytes(0x80E01, kTagTypeBytes, {1, 2, 3, 4});
        tags.SetLongs(0x80004, {2});
        tags.SetBytes(0x0200, kTiffShort, {7, 0}, 4);  // the preview IFD's own unknown tag
        tiff_test::SetCfaPattern(tags.tags, {0, 1, 1, 2});
        if (c.film)
            tags.SetLongs(0x90002, {258});
        const Image main = MakeImage(c.mainColorSpace, 30, 20);
        std::vector<Image> thumbnails;
        for (int i = 0; i < c.thumbnails; ++i)
            thumbnails.push_back(MakeImage(32, 8 + 8 * i, 6 + 4 * i, static_cast<uint32_t>(i + 2)));
        std::vector<IVorlatImage*> images;
        std::vector<IVorlatDataSource*> sources;
        for (const Image& t : thumbnails) {
            images.push_back(pipeline.ImageOf(t));
            sources.push_back(images.back());
        }
        IVorlatImage* source = pipeline.ImageOf(main);
        MemoryStream out(std::vector<uint8_t>(262144, 0), false);
        {
            CTiffWriter writer(out.stream, tags.tags, c.format, 0, c.big);
            ASSERT_EQ(0, Cause(writer.BeginSave(source, sources.data(), static_cast<uint32_t>(sources.size()))));
            while (!writer.IsFinished())
                ASSERT_EQ(0, Cause(writer.Execute()));
        }
        source->Destroy();
        for (IVorlatImage* image : images)
            image->Destroy();

        Store back;
        MemoryStream in(out.Written());
        CTiffReader reader(in.stream, back.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        // The preview: the last source as a JPEG stream at the thumbnail quality.
        const Image& last = thumbnails.back();
        int32_t width = 0, height = 0, colorSpace = 0;
        ASSERT_EQ(0, Cause(reader.GetThumbnailWidth(c.preview, &width)));
        EXPECT_EQ(0, Cause(reader.GetThumbnailHeight(c.preview, &height)));
        EXPECT_EQ(0, Cause(reader.GetThumbnailColorSpace(c.preview, &colorSpace)));
        EXPECT_EQ(last.width, width);
        EXPECT_EQ(last.height, height);
        EXPECT_EQ(32, colorSpace);
        Store bare;
        const tiff_test::Loaded jpeg = tiff_test::Load(pipeline, tiff_test::EncodeJpeg(pipeline, last), bare.tags);
        ASSERT_EQ(0, jpeg.error);
        EXPECT_TRUE(jpeg.image.bytes == tiff_test::LoadIndex(pipeline, reader, c.preview).bytes);
        if (c.strip) {
            EXPECT_TRUE(thumbnails[0].bytes == tiff_test::LoadIndex(pipeline, reader, c.strip).bytes);
        }
        EXPECT_TRUE(main.bytes == tiff_test::LoadIndex(pipeline, reader, 0).bytes);
        // The maker note's tags and the preview IFD's own.
        EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4}), back.Bytes(0x80E01));
        EXPECT_EQ(std::vector<uint32_t>{2}, back.Longs(0x80004));
        EXPECT_EQ((std::vector<uint8_t>{7, 0}), back.Bytes(0x0200, 4));
        // Without film-scanner tags no directory is written, and none is read.
        EXPECT_EQ(c.film, back->IsExist(0x90002, 0));
        if (c.film) {
            EXPECT_EQ(std::vector<uint32_t>{258}, back.Longs(0x90002));
        }
        EXPECT_EQ(0u, back->GetTagCount(5));
    }
}

} // namespace
