#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fileio/meta/iptc_codec.h"
#include "fileio/tests/fileio_fixture.h"

using namespace quarnite;
using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::ReadTiff;
using fileio_test::Store;
using fileio_test::TiffWriteOptions;
using fileio_test::WriteTiff;

namespace {

// Tag numbers of the IFD at `offset`, in file order.
std::vector<uint16_t> IfdTags(const std::vector<uint8_t>& bytes, uint32_t offset)
{
    const bool big = bytes[0] == 'M';
    auto get16 = [&](size_t at) { return big ? uint16_t(bytes[at] << 8 | bytes[at + 1]) : uint16_t(bytes[at] | bytes[at + 1] << 8); };
    std::vector<uint16_t> tags;
    for (uint32_t i = 0, n = get16(offset); i < n; ++i)
        tags.push_back(get16(offset + 2 + 12 * i));
    return tags;
}

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at)
{
    if (bytes[0] == 'M')
        return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
    return bytes[at] | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24;
}

// The offset in the value field of `tag` in the IFD at `offset`.
uint32_t Pointer(const std::vector<uint8_t>& bytes, uint32_t offset, uint16_t tag)
{
    std::vector<uint16_t> tags = IfdTags(bytes, offset);
    for (size_t i = 0; i < tags.size(); ++i)
        if (tags[i] == tag)
            return Get32(bytes, offset + 2 + 12 * i + 8);
    return 0;
}

void FillCameraTags(Store& s)
{
    s.SetText(0x10F, "Korva");
    s.SetText(0x110, "KORVA Q7");
    s.SetText(0x131, "Tessaline");
    s.SetText(0x132, "2024:05:06 07:08:09");
    s.SetDoubles(0x829A, {0.004});
    s.SetDoubles(0x829D, {5.6});
    s.SetLongs(0x8827, {200});
    s.SetText(0x9003, "2024:05:06 07:08:09");
    ASSERT_EQ(0, Cause(s->AddTag(0x9204)));
    const int16_t bias[3] = {1, -2, 3};
    ASSERT_EQ(0, Cause(s->SetTagValue(0x9204, kTagTypeTriples, 6, bias, 0)));
    s.SetDoubles(0x920A, {35.0});
    s.SetBytes(0x9286, kTagTypeUnicodeText, {'h', 0, 'i', 0, '!', 0, 0, 0, 1, 2, 3, 4});
    s.SetBytes(0x9090, kTiffLong, {1, 2, 3, 4}, 2);  // an Exif tag the table does not know
    s.SetBytes(0xA302, kTagTypeBytes, {0, 2, 0, 2, 0, 1, 1, 2});
    s.SetBytes(0x30000, kTagTypeText, {2, 2, 0, 0});
    s.SetLongs(0x30001, {1});
    s.SetDoubles(0x30002, {35, 40, 30});
    s.SetLongs(0x30003, {2});
    s.SetDoubles(0x30004, {139, 41, 12.5});
    s.SetDoubles(0x30006, {12.25});
    s.SetText(0x30012, "WGS-84");
    s.SetBytes(30, kTiffShort, {7, 0}, 6);
}

} // namespace

TEST(Directories, RoundTripThroughTheStoreInBothByteOrders)
{
    for (bool big : {false, true}) {
        Store s;
        FillCameraTags(s);
        std::vector<uint8_t> file = WriteTiff(s.tags, TiffWriteOptions{big, 0x1});
        Store back;
        fileio_test::TiffReadResult r = ReadTiff(file, back.tags);
        ASSERT_EQ(0, r.mainError);
        ASSERT_EQ(0, r.exifError);
        ASSERT_EQ(0, r.gpsError);
        EXPECT_EQ(4u, r.main.width);
        EXPECT_EQ(2, r.main.colorSpace);
        EXPECT_EQ(300.0, r.main.resolution);
        for (TagId text : {0x10F, 0x110, 0x131, 0x132, 0x9003, 0x30012})
            EXPECT_EQ(s.Text(text), back.Text(text)) << std::hex << text;
        EXPECT_EQ(std::vector<double>{0.004}, back.Doubles(0x829A));
        EXPECT_EQ(std::vector<double>{5.6}, back.Doubles(0x829D));
        EXPECT_EQ(std::vector<uint32_t>{200}, back.Longs(0x8827));
        EXPECT_EQ(s.Bytes(0x9204), back.Bytes(0x9204));
        EXPECT_EQ(kTagTypeUnicodeText, back->GetTagType(0x9286, 0));
        EXPECT_EQ(s.Bytes(0x9286), back.Bytes(0x9286));
        EXPECT_EQ(s.Bytes(0x9090, 2), back.Bytes(0x9090, 2));
        EXPECT_EQ(s.Bytes(0xA302), back.Bytes(0xA302));
        EXPECT_EQ((std::vector<uint8_t>{2, 2, 0, 0}), back.Bytes(0x30000));
        EXPECT_EQ(std::vector<uint32_t>{1}, back.Longs(0x30001));
        EXPECT_EQ((std::vector<double>{35, 40, 30}), back.Doubles(0x30002));
        EXPECT_EQ(std::vector<uint32_t>{2}, back.Longs(0x30003));
        EXPECT_EQ((std::vector<double>{139, 41, 12.5}), back.Doubles(0x30004));
        EXPECT_EQ(std::vector<double>{12.25}, back.Doubles(0x30006));
        EXPECT_EQ(s.Bytes(30, 6), back.Bytes(30, 6));
        EXPECT_EQ((std::vector<uint8_t>{'0', '2', '1', '0'}), back.Bytes(0x9000));
    }
}

TEST(Directories, ExifEntriesChosenByFormat)
{
    Store s;
    s.SetBytes(37000, kTiffShort, {1, 0}, 2);
    s.SetBytes(50000, kTiffShort, {1, 0}, 2);
    s.SetBytes(0x9101, kTagTypeBytes, {4, 5, 6, 0});
    s.SetDoubles(0x920A, {50.0});
    s.SetDoubles(0xA20E, {1000.0});
    struct Case { uint32_t format; std::vector<uint16_t> tags; } cases[] = {
        {0x20, {0x9000, 37000, 0x9101, 0x920A, 0x927C, 0xA000, 0xA001, 0xA002, 0xA003, 0xA20E, 50000}},
        {0x100000, {37000, 0x920A, 0x927C, 0xA001, 0xA20E, 50000}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = WriteTiff(s.tags, TiffWriteOptions{false, c.format});
        uint32_t exif = Pointer(file, 8, 34665);
        EXPECT_EQ(c.tags, IfdTags(file, exif)) << c.format;
    }
    // A JPEG's Exif IFD written from an empty store has exactly seven entries.
    Store empty;
    std::vector<uint8_t> file = WriteTiff(empty.tags, TiffWriteOptions{false, 0x20});
    EXPECT_EQ((std::vector<uint16_t>{0x9000, 0x9101, 0x927C, 0xA000, 0xA001, 0xA002, 0xA003}), IfdTags(file, Pointer(file, 8, 34665)));
    // No GPS tag, no GPS directory and no pointer to one; the orientation is
    // there, since the JPEG's coded image is never turned.
    EXPECT_EQ((std::vector<uint16_t>{274, 282, 283, 296, 531, 34665}), IfdTags(file, 8));
}

TEST(Directories, MainIfdMergesUnknownTagsWithoutRepeatingItsOwn)
{
    Store s;
    s.SetText(0x10F, "Korva");
    s.SetBytes(300, kTiffShort, {5, 0}, 1);
    s.SetBytes(254, kTiffLong, {0, 0, 0, 0}, 1);  // a number the IFD writes itself
    s.SetBytes(530, kTiffShort, {1, 0, 1, 0}, 1);  // one it does not write for grey pixels
    std::vector<uint8_t> file = WriteTiff(s.tags);
    EXPECT_EQ((std::vector<uint16_t>{254, 256, 257, 258, 259, 262, 271, 273, 274, 277, 278, 279, 282, 283, 284, 296, 300,
                                     530, 34665}),
              IfdTags(file, 8));
}

TEST(Directories, GpsReadingRules)
{
    // A device's latitude of 35 degrees 40.5 minutes with 0 seconds and a
    // lower-case reference; a longitude with a zero denominator.
    auto entry = [](uint16_t tag, uint16_t type, uint32_t count, uint32_t field) {
        std::vector<uint8_t> e = {uint8_t(tag), uint8_t(tag >> 8), uint8_t(type), 0};
        for (uint32_t v : {count, field})
            for (int i = 0; i < 4; ++i)
                e.push_back(uint8_t(v >> (8 * i)));
        return e;
    };
    std::vector<uint8_t> file = {4, 0};
    for (auto e : {entry(1, 2, 2, 's'), entry(2, 5, 3, 50), entry(4, 5, 3, 74), entry(0x20, 3, 1, 9)})
        file.insert(file.end(), e.begin(), e.end());
    file.resize(50, 0);
    for (uint32_t v : {35u, 1u, 405u, 10u, 0u, 1u, 1u, 1u, 2u, 0u, 3u, 1u})
        for (int i = 0; i < 4; ++i)
            file.push_back(uint8_t(v >> (8 * i)));
    Store s;
    MemoryStream in(file);
    GpsIfdCodec gps;
    gps.Attach(s.tags, in.stream, false);
    gps.gpsIfdOffset = 0;
    ASSERT_EQ(0, Cause(gps.ReadIfd()));  // offset 0: nothing
    EXPECT_EQ(0u, s->GetTagCount(0));
    std::vector<uint8_t> shifted(4, 0);
    shifted.insert(shifted.end(), file.begin(), file.end());
    for (size_t at : {2 + 12 + 8, 2 + 24 + 8})
        shifted[4 + at] += 4;
    MemoryStream in2(shifted);
    gps.Attach(s.tags, in2.stream, false);
    gps.gpsIfdOffset = 4;
    ASSERT_EQ(0, Cause(gps.ReadIfd()));
    EXPECT_EQ(std::vector<uint32_t>{1}, s.Longs(0x30001));
    EXPECT_EQ((std::vector<double>{35, 40, 30}), s.Doubles(0x30002));
    EXPECT_TRUE(s->IsExist(0x30004, 0));
    EXPECT_EQ(0u, s->GetTagSize(0x30004, 0));
    EXPECT_TRUE(s->IsExist(0x20, 6));

    // Written back: "S", and the empty longitude as an entry of no values;
    // the pointer at 4 names the directory at 8.
    MemoryStream out(std::vector<uint8_t>(512, 0), false);
    GpsIfdCodec w;
    w.Attach(s.tags, out.stream, false);
    w.gpsIfdOffset = 4;
    ASSERT_EQ(0, Cause(out.stream->Seek(8, 0)));
    ASSERT_EQ(0, Cause(w.WriteIfd()));
    std::vector<uint8_t> written = out.Written();
    EXPECT_EQ(8u, Get32(written, 4));
    EXPECT_EQ('S', written[8 + 2 + 8]);
    EXPECT_EQ((std::vector<uint16_t>{1, 2, 4, 0x20}), IfdTags(std::vector<uint8_t>(written.begin(), written.end()), 8));
}

TEST(Directories, MainIfdReaderEdgeCases)
{
    struct Entry { uint16_t tag, type; uint32_t count, field; };
    auto build = [](std::vector<Entry> entries, std::vector<uint8_t> tail = {}) {
        std::vector<uint8_t> f = {'I', 'I', 42, 0, 8, 0, 0, 0, uint8_t(entries.size()), 0};
        for (const Entry& e : entries) {
            for (uint32_t v : {uint32_t(e.tag), uint32_t(e.type)}) { f.push_back(uint8_t(v)); f.push_back(uint8_t(v >> 8)); }
            for (uint32_t v : {e.count, e.field})
                for (int i = 0; i < 4; ++i)
                    f.push_back(uint8_t(v >> (8 * i)));
        }
        f.insert(f.end(), 4, 0);
        f.insert(f.end(), tail.begin(), tail.end());
        return f;
    };
    auto read = [](const std::vector<uint8_t>& f, TiffImageRecord* record, IVorlatTagControl* tags) {
        MemoryStream in(f);
        MainIfdCodec codec;
        codec.Attach(tags, in.stream, false);
        return Cause(codec.ReadIfd(8, record, 1));
    };
    const std::vector<Entry> strips = {{256, 3, 1, 4}, {257, 3, 1, 2}, {273, 3, 2, 0x00200010}, {279, 3, 1, 8}};
    {
        Store s;
        TiffImageRecord r;
        std::vector<Entry> e = strips;
        e.push_back({274, 3, 1, 6});
        e.push_back({282, 5, 1, 1000});  // a value past the end is skipped
        EXPECT_EQ(0, read(build(e), &r, s.tags));
        EXPECT_EQ(90.0, r.rotation);
        EXPECT_FALSE(r.mirrored);
        EXPECT_EQ((std::vector<uint32_t>{16, 32}), r.stripOffsets);
        EXPECT_EQ(2u, r.rowsPerStrip);
        EXPECT_EQ(72.0, r.resolution);
    }
    {
        Store s;
        TiffImageRecord r;
        std::vector<Entry> e = strips;
        e.push_back({274, 3, 1, 9});
        e.push_back({282, 5, 1, 8 + 2 + 12 * 7 + 4});
        e.push_back({296, 3, 1, 3});
        std::vector<uint8_t> tail = {0x23, 0x2E, 0, 0, 100, 0, 0, 0};  // 11811 / 100
        EXPECT_EQ(0, read(build(e, tail), &r, s.tags));
        EXPECT_EQ(0.0, r.rotation);
        EXPECT_NEAR(300.57, r.resolution, 0.01);
    }
    {
        Store s;
        TiffImageRecord r;
        EXPECT_EQ(0, read(build({{513, 4, 1, 100}, {514, 4, 1, 200}}), &r, s.tags));
        EXPECT_EQ(100u, r.jpegOffset);
        EXPECT_EQ(200u, r.jpegLength);
    }
    {
        Store s;
        TiffImageRecord r;
        EXPECT_EQ(1401, read(build({}), &r, s.tags));
        EXPECT_EQ(1408, read(build({{273, 2, 1, 0}}), &r, s.tags));
        EXPECT_EQ(1103, read(build({{273, 4, 1000, 100}}), &r, s.tags));
    }
    struct Pixel { uint32_t samples; int32_t photometric; uint32_t bits; uint32_t cfa0; int32_t error; int32_t type; } pixels[] = {
        {1, 32803, 16, 5, 0, 66}, {1, 32803, 16, 0, 0, 64}, {1, 1, 8, 0, 0, 2}, {1, 1, 16, 0, 0, 3},
        {1, 1, 12, 0, 0, 0x10002}, {3, 2, 8, 0, 0, 32}, {3, 6, 16, 0, 0, 33}, {3, 5, 16, 0, 0, 36},
        {3, 5, 8, 0, 1072, 0}, {4, 5, 8, 0, 0, 34}, {4, 5, 16, 0, 1013, 0},
    };
    for (const Pixel& p : pixels) {
        TiffImageRecord r;
        r.samplesPerPixel = p.samples;
        r.photometric = p.photometric;
        r.bitsPerSample[0] = p.bits;
        r.cfaPattern[0] = uint8_t(p.cfa0);
        EXPECT_EQ(p.error, Cause(DerivePixelType(&r))) << p.samples << "/" << p.photometric << "/" << p.bits;
        if (!p.error) {
            EXPECT_EQ(p.type, r.colorSpace);
        }
    }
}

TEST(Directories, CfaPatternMirrorsIntoExif)
{
    auto file = [](uint32_t count, uint32_t field, std::vector<uint8_t> tail) {
        std::vector<uint8_t> f = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x8E, 0x82, 1, 0};
        for (uint32_t v : {count, field})
            for (int i = 0; i < 4; ++i)
                f.push_back(uint8_t(v >> (8 * i)));
        f.insert(f.end(), 4, 0);
        f.insert(f.end(), tail.begin(), tail.end());
        return f;
    };
    Store s;
    TiffImageRecord r;
    for (int pass = 0; pass < 2; ++pass) {
        MemoryStream in(file(4, 0x02010100, {}));
        MainIfdCodec codec;
        codec.Attach(s.tags, in.stream, false);
        ASSERT_EQ(0, Cause(codec.ReadIfd(8, &r, 1)));
        EXPECT_EQ((std::vector<uint8_t>{0, 2, 0, 2, 0, 1, 1, 2}), s.Bytes(0xA302));
    }
    // A longer pattern stands at its offset.
    Store t;
    MemoryStream in(file(6, 26, {5, 3, 1, 4, 9, 9}));
    MainIfdCodec codec;
    codec.Attach(t.tags, in.stream, false);
    TiffImageRecord longer;
    ASSERT_EQ(0, Cause(codec.ReadIfd(8, &longer, 1)));
    EXPECT_EQ((std::vector<uint8_t>{5, 3, 1, 4, 9, 9}), t.Bytes(0xA302));
    // A stored pattern of another length.
    Store u;
    u.SetBytes(0xA302, kTagTypeBytes, {0, 2, 0, 2, 1, 2, 3, 4});
    MemoryStream two(file(2, 0x0100, {}));
    codec.Attach(u.tags, two.stream, false);
    EXPECT_EQ(1407, Cause(codec.ReadIfd(8, &longer, 1)));
}

TEST(Directories, IptcTravelsAsLongsAndInPhotoshopSegments)
{
    Store s;
    std::vector<uint8_t> block = {0x1C, 2, 25, 0, 8, 'k', 'e', 'y', 'w', 'o', 'r', 'd', '!'};  // 13 bytes
    ASSERT_EQ(0, Cause(s->AddTag(0x83BB)));
    TagItemRequest request{1, 13, block.data()};
    ASSERT_EQ(0, Cause(s->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));

    MemoryStream app13(std::vector<uint8_t>(64, 0), false);
    ASSERT_EQ(0, Cause(WritePhotoshopSegment(app13.stream, s.tags)));
    std::vector<uint8_t> segment = app13.Written();
    ASSERT_EQ(44u, segment.size());
    EXPECT_EQ(42, segment[2] << 8 | segment[3]);
    EXPECT_EQ(0, std::memcmp(&segment[4], "Photoshop 3.0\0008BIM\004\004\0\0\0\0\0\015", 30 - 4));
    EXPECT_EQ(0, segment[43]);

    for (bool big : {false, true}) {
        std::vector<uint8_t> file = WriteTiff(s.tags, TiffWriteOptions{big, 0x1});
        std::vector<uint16_t> tags = IfdTags(file, 8);
        size_t i = std::find(tags.begin(), tags.end(), 0x83BB) - tags.begin();
        ASSERT_LT(i, tags.size());
        EXPECT_EQ(4u, Get32(file, 8 + 2 + 12 * i + 4));  // LONG count 4: three zero pad bytes
        Store back;
        ReadTiff(file, back.tags);
        TagItemRequest get{1, 0, nullptr};
        ASSERT_EQ(0, Cause(back->GetTagValue(0x83BB, kTagTypeIptc, sizeof get, &get, 0)));
        EXPECT_EQ(16u, get.size);
    }
}

TEST(Directories, PrintImBlockRoundTripsInBothOrders)
{
    for (bool big : {false, true}) {
        Store s;
        uint32_t record[37];
        for (uint32_t i = 0; i < 37; ++i)
            record[i] = 1000 + i;
        ASSERT_EQ(0, Cause(s->AddTag(0x80E00)));
        TagItemRequest request{1, sizeof record, record};
        ASSERT_EQ(0, Cause(s->SetTagValue(0x80E00, kTagTypeBlock, sizeof request, &request, 0)));
        std::vector<uint8_t> block;
        ASSERT_EQ(0, Cause(BuildPrintImBlock(s.tags, big, &block)));
        ASSERT_EQ(202u, block.size());
        Store back;
        MemoryStream in(block);
        IfdCodec codec;
        codec.Attach(back.tags, in.stream, big);
        ASSERT_EQ(0, Cause(ReadPrintImBlock(codec, 0, 202)));
        uint32_t out[37] = {};
        request = {1, sizeof out, out};
        ASSERT_EQ(0, Cause(back->GetTagValue(0x80E00, kTagTypeBlock, sizeof request, &request, 0)));
        EXPECT_EQ(0, std::memcmp(record, out, sizeof out));
        // A block that is not PrintIM, or whose entries point outside it, stores nothing odd.
        block[0] = 'X';
        Store none;
        MemoryStream bad(block);
        codec.Attach(none.tags, bad.stream, big);
        EXPECT_EQ(0, Cause(ReadPrintImBlock(codec, 0, 202)));
        EXPECT_FALSE(none->IsExist(0x80E00, 0));
    }
}
