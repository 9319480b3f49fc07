// What IFD 0 and the next IFD hold for raw files, JPEG thumbnails and
// profiles given as a path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fileio/VorlatLoad.h"
#include "fileio/tests/fileio_fixture.h"

using namespace quarnite;
using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;

namespace {

struct Entry {
    uint16_t tag = 0, type = 0;
    uint32_t count = 0, field = 0;
    uint32_t at = 0;  // the entry's stream offset
};

uint32_t Get(const std::vector<uint8_t>& f, size_t at, int bytes, bool big)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint32_t(f[at + i]) << (8 * (big ? bytes - 1 - i : i));
    return v;
}

std::vector<Entry> Ifd(const std::vector<uint8_t>& f, uint32_t offset, bool big)
{
    std::vector<Entry> entries;
    const uint32_t n = Get(f, offset, 2, big);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t at = offset + 2 + 12 * i;
        Entry e;
        e.tag = uint16_t(Get(f, at, 2, big));
        e.type = uint16_t(Get(f, at + 2, 2, big));
        e.count = Get(f, at + 4, 4, big);
        e.field = e.type == kTiffShort && e.count == 1 ? Get(f, at + 8, 2, big) : Get(f, at + 8, 4, big);
        e.at = at;
        entries.push_back(e);
    }
    return entries;
}

std::vector<uint16_t> Tags(const std::vector<Entry>& entries)
{
    std::vector<uint16_t> tags;
    for (const Entry& e : entries)
        tags.push_back(e.tag);
    return tags;
}

const Entry* Find(const std::vector<Entry>& entries, uint16_t tag)
{
    for (const Entry& e : entries)
        if (e.tag == tag)
            return &e;
    return nullptr;
}

TiffImageRecord Record(int32_t colorSpace)
{
    TiffImageRecord r;
    r.width = 4;
    r.height = 2;
    r.samplesPerPixel = colorSpace == 32 ? 3 : 1;
    for (uint32_t& bits : r.bitsPerSample)
        bits = colorSpace >= 64 ? 16 : 8;
    r.photometric = colorSpace >= 64 ? 32803 : colorSpace == 32 ? 2 : 1;
    r.colorSpace = colorSpace;
    r.resolution = 300.0;
    return r;
}

// A TIFF header, then IFD 0 (and IFD 1 when given) written from the store.
std::vector<uint8_t> Write(IVorlatTagControl* tags, uint32_t format, bool big, TiffImageRecord* main,
                           TiffImageRecord* second, MainIfdCodec* codec, int32_t* error = nullptr)
{
    MemoryStream out(std::vector<uint8_t>(1 << 16, 0), false);
    const uint8_t header[8] = {uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I'), uint8_t(big ? 0 : 42),
                               uint8_t(big ? 42 : 0), uint8_t(big ? 0 : 8), 0, 0, uint8_t(big ? 8 : 0)};
    EXPECT_EQ(0, Cause(out.stream->SaveFromMemory(header, 8)));
    codec->Attach(tags, out.stream, big);
    codec->format = format;
    int32_t e = Cause(codec->WriteIfd(0, 1, main));
    if (!e && second)
        e = Cause(codec->WriteIfd(1, 1, second));
    if (error)
        *error = e;
    else
        EXPECT_EQ(0, e);
    return out.Written();
}

} // namespace

TEST(MainIfdWriter, RawImagesPointAtOneOrTwoSubIfdsAndHaveNoSecondIfd)
{
    for (bool big : {false, true}) {
        for (int32_t colorSpace : {64, 66}) {
            Store s;
            TiffImageRecord main = Record(colorSpace), thumbnail = Record(32);
            MainIfdCodec codec;
            const std::vector<uint8_t> f = Write(s.tags, kFormatRawTiff, big, &main, &thumbnail, &codec);
            const std::vector<Entry> ifd = Ifd(f, 8, big);
            const Entry* sub = Find(ifd, 330);
            ASSERT_NE(nullptr, sub);
            EXPECT_EQ(kTiffLong, sub->type);
            if (colorSpace == 66) {
                // Two pointers, out of line; the writer of the sub-IFDs fills them in.
                EXPECT_EQ(2u, sub->count);
                EXPECT_EQ(sub->field, codec.subIfdPositions[0]);
                EXPECT_EQ(sub->field + 4, codec.subIfdPositions[1]);
                EXPECT_LE(codec.subIfdPositions[1] + 4, f.size());
            } else {
                EXPECT_EQ(1u, sub->count);
                EXPECT_EQ(sub->at + 8, codec.subIfdPositions[0]);
                EXPECT_EQ(0u, codec.subIfdPositions[1]);
            }
            EXPECT_EQ(1u, Find(ifd, 254)->field);
            ASSERT_NE(nullptr, Find(ifd, 37398));
            EXPECT_EQ(0x00000001u, Get(f, Find(ifd, 37398)->at + 8, 4, true) >> 24);  // bytes 1, 0, 0, 0
            // No IFD 1: nothing after IFD 0, and its next-IFD field stays 0.
            const uint32_t next = 8 + 2 + 12 * uint32_t(ifd.size());
            EXPECT_EQ(0u, Get(f, next, 4, big));
            EXPECT_EQ(next, codec.linkPosition);
        }
    }
}

TEST(MainIfdWriter, SecondIfdOfAJpegThumbnailHoldsItsStreamPlaceholders)
{
    for (bool big : {false, true}) {
        Store s;
        s.SetText(0x10F, "Korva");
        TiffImageRecord main = Record(32), thumbnail = Record(32);
        thumbnail.compression = 6;
        MainIfdCodec codec;
        const std::vector<uint8_t> f = Write(s.tags, kFormatTiff, big, &main, &thumbnail, &codec);
        const std::vector<Entry> first = Ifd(f, 8, big);
        const uint32_t link = 8 + 2 + 12 * uint32_t(first.size());
        const uint32_t second = Get(f, link, 4, big);
        ASSERT_GT(second, link);
        const std::vector<Entry> ifd = Ifd(f, second, big);
        EXPECT_EQ((std::vector<uint16_t>{259, 282, 283, 296, 513, 514}), Tags(ifd));
        EXPECT_EQ(6u, Find(ifd, 259)->field);
        EXPECT_EQ(Find(ifd, 513)->at + 8, thumbnail.stripOffsetPosition);
        EXPECT_EQ(Find(ifd, 514)->at + 8, thumbnail.stripByteCountPosition);
        // An uncompressed thumbnail is a stripped reduced-resolution image instead.
        Store t;
        TiffImageRecord plain = Record(32);
        MainIfdCodec again;
        const std::vector<uint8_t> g = Write(t.tags, kFormatTiff, big, &main, &plain, &again);
        const uint32_t at = Get(g, 8 + 2 + 12 * uint32_t(Ifd(g, 8, big).size()), 4, big);
        EXPECT_EQ((std::vector<uint16_t>{254, 256, 257, 258, 259, 262, 273, 274, 277, 278, 279, 282, 283, 284, 296}),
                  Tags(Ifd(g, at, big)));
    }
}

TEST(MainIfdWriter, OnlyReducedImagesAreMarkedAsSuch)
{
    // NewSubfileType 1 marks the preview in front of raw data and a stripped
    // thumbnail; a plain TIFF's main image must not read as a reduced one.
    for (bool big : {false, true}) {
        Store s;
        TiffImageRecord main = Record(32), thumbnail = Record(32);
        MainIfdCodec codec;
        const std::vector<uint8_t> f = Write(s.tags, kFormatTiff, big, &main, &thumbnail, &codec);
        const std::vector<Entry> first = Ifd(f, 8, big);
        EXPECT_EQ(nullptr, Find(first, 254));
        const uint32_t second = Get(f, 8 + 2 + 12 * uint32_t(first.size()), 4, big);
        const std::vector<Entry> thumbnailIfd = Ifd(f, second, big);
        const Entry* reduced = Find(thumbnailIfd, 254);
        ASSERT_NE(nullptr, reduced);
        EXPECT_EQ(1u, reduced->field);
    }
}

TEST(MainIfdWriter, ProfileHeldAsAPathIsWrittenFromItsFile)
{
    const std::string path = std::string(TESS_SCRATCH_DIR) + "/profile_" +
                             std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".icc";
    std::vector<uint8_t> profile(301);
    for (size_t i = 0; i < profile.size(); ++i)
        profile[i] = uint8_t(i * 13);
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(profile.data()), static_cast<std::streamsize>(profile.size()));
    }
    for (bool big : {false, true}) {
        Store s;
        ASSERT_EQ(0, Cause(s->AddTag(0x8773)));
        ASSERT_EQ(0, Cause(s->SetTagValue(0x8773, kTagTypeProfilePath, uint32_t(path.size() + 1), path.c_str(), 0)));
        TiffImageRecord main = Record(32);
        MainIfdCodec codec;
        const std::vector<uint8_t> f = Write(s.tags, kFormatTiff, big, &main, nullptr, &codec);
        const std::vector<Entry> ifd = Ifd(f, 8, big);
        const Entry* icc = Find(ifd, 0x8773);
        ASSERT_NE(nullptr, icc);
        EXPECT_EQ(kTiffUndefined, icc->type);
        ASSERT_EQ(profile.size(), icc->count);
        EXPECT_TRUE(std::equal(profile.begin(), profile.end(), f.begin() + icc->field));
        // Read back, the profile's bytes are in the store.
        Store back;
        MemoryStream in(f);
        MainIfdCodec reader;
        reader.Attach(back.tags, in.stream, big);
        TiffImageRecord record;
        ASSERT_EQ(0, Cause(reader.ReadIfd(8, &record, 1)));
        EXPECT_EQ(kTagTypeBytes, back->GetTagType(0x8773, 0));
        EXPECT_EQ(profile, back.Bytes(0x8773));
        // An Exif JPEG's IFD 0 leaves the profile to its own segments.
        MainIfdCodec jpeg;
        const std::vector<uint8_t> j = Write(s.tags, kFormatExifJpeg, big, &main, nullptr, &jpeg);
        const std::vector<Entry> jpegIfd = Ifd(j, 8, big);
        EXPECT_EQ(nullptr, Find(jpegIfd, 0x8773));
    }
    std::remove(path.c_str());
    // A profile file that is gone fails the directory rather than write a wrong one.
    Store s;
    ASSERT_EQ(0, Cause(s->AddTag(0x8773)));
    ASSERT_EQ(0, Cause(s->SetTagValue(0x8773, kTagTypeProfilePath, uint32_t(path.size() + 1), path.c_str(), 0)));
    TiffImageRecord main = Record(32);
    MainIfdCodec codec;
    int32_t error = 0;
    Write(s.tags, kFormatTiff, false, &main, nullptr, &codec, &error);
    EXPECT_EQ(1101, error);
}

// IFD 0 points at a GPS directory only when there is one to write: readers
// (libtiff first) refuse a directory of no entries, and a pointer left 0
// would name the file's header.
TEST(MainIfdWriter, PointsAtAGpsDirectoryOnlyWhenTheStoreHoldsGpsTags)
{
    struct Case {
        const char* what;
        void (*fill)(Store&);
        std::vector<uint16_t> gps;  // the GPS directory's tags; empty: no directory
    } cases[] = {
        {"empty store", [](Store&) {}, {}},
        {"Exif tags only", [](Store& s) { s.SetText(0x10F, "Korva"); s.SetDoubles(0x829A, {0.004}); }, {}},
        // Only what the store holds: no GPSVersionID is made up.
        {"latitude", [](Store& s) { s.SetLongs(0x30001, {0}); s.SetDoubles(0x30002, {35, 40, 30}); }, {1, 2}},
        {"version and altitude", [](Store& s) { s.SetBytes(0x30000, kTagTypeText, {2, 2, 0, 0}); s.SetDoubles(0x30006, {12.5}); },
         {0, 6}},
        {"unknown GPS tag only", [](Store& s) { s.SetBytes(30, kTiffShort, {1, 0}, 6); }, {30}},
        {"unknown GPS tag beyond 16 bits", [](Store& s) { s.SetBytes(0x12345, kTiffShort, {1, 0}, 6); }, {}},
    };
    for (bool big : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << (big ? " MM" : " II"));
            Store s;
            c.fill(s);
            TiffImageRecord main = Record(32);
            MemoryStream out(std::vector<uint8_t>(4096, 0), false);
            const uint8_t header[8] = {uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I'), uint8_t(big ? 0 : 42),
                                       uint8_t(big ? 42 : 0), uint8_t(big ? 0 : 8), 0, 0, uint8_t(big ? 8 : 0)};
            ASSERT_EQ(0, Cause(out.stream->SaveFromMemory(header, 8)));
            MainIfdCodec codec;
            codec.Attach(s.tags, out.stream, big);
            codec.format = kFormatTiff;
            ASSERT_EQ(0, Cause(codec.WriteIfd(0, 1, &main)));
            const uint32_t end = uint32_t(out.Written().size());
            GpsIfdCodec gps;
            gps.Attach(s.tags, out.stream, big);
            gps.gpsIfdOffset = codec.gpsPointerPosition;
            ASSERT_EQ(0, Cause(gps.WriteIfd()));
            const std::vector<uint8_t> f = out.Written();

            const std::vector<Entry> ifd = Ifd(f, 8, big);
            ASSERT_NE(nullptr, Find(ifd, 34665));  // the Exif directory always has entries
            const Entry* pointer = Find(ifd, 34853);
            if (c.gps.empty()) {
                EXPECT_EQ(nullptr, pointer);
                EXPECT_EQ(0u, codec.gpsPointerPosition);
                EXPECT_EQ(end, f.size());  // no directory either
                continue;
            }
            ASSERT_NE(nullptr, pointer);
            EXPECT_EQ(pointer->at + 8, codec.gpsPointerPosition);
            EXPECT_EQ(end, pointer->field);
            EXPECT_EQ(c.gps, Tags(Ifd(f, pointer->field, big)));
        }
    }
    // A codec used again for a store without GPS tags keeps no pointer of the
    // file before.
    Store with, without;
    with.SetDoubles(0x30002, {1, 2, 3});
    TiffImageRecord main = Record(32);
    MainIfdCodec codec;
    Write(with.tags, kFormatTiff, false, &main, nullptr, &codec);
    EXPECT_NE(0u, codec.gpsPointerPosition);
    codec.linkPosition = 0;
    const std::vector<uint8_t> f = Write(without.tags, kFormatExifJpeg, false, &main, nullptr, &codec);
    EXPECT_EQ(0u, codec.gpsPointerPosition);
    EXPECT_EQ(nullptr, Find(Ifd(f, 8, false), 34853));
    // Without a store there are neither Exif nor GPS pointers.
    MainIfdCodec bare;
    const std::vector<uint8_t> g = Write(nullptr, kFormatTiff, false, &main, nullptr, &bare);
    EXPECT_EQ(nullptr, Find(Ifd(g, 8, false), 34665));
    EXPECT_EQ(nullptr, Find(Ifd(g, 8, false), 34853));
    EXPECT_EQ(0u, bare.exifPointerPosition);
}
