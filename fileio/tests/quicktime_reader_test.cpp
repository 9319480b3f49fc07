// The QuickTime preview reader over movies that the tests build atom by
// atom: the preview picture, the movie and sample description tags, the
// maker's user-data record and the atom walk's bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "fileio/VorlatLoad.h"
#include "fileio/quicktime_reader.h"
#include "fileio/tests/fileio_fixture.h"
#include "fileio/tests/jpeg_test_util.h"

using fileio_test::MemoryStream;
using fileio_test::Store;
using jpeg_test::Cause;

namespace {

using Bytes = std::vector<uint8_t>;

void Be16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

void Be32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

void Le16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Le32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Ratio(Bytes& b, size_t at, uint32_t numerator, uint32_t denominator)
{
    Le32(b, at, numerator);
    Le32(b, at + 4, denominator);
}

void Text(Bytes& b, size_t at, const std::string& text) { std::copy(text.begin(), text.end(), b.begin() + at); }

// An atom with a 32-bit size (or the size given: 0, 1..7 or a wrong one),
// or with a 64-bit size.
Bytes Atom(const char* type, const Bytes& body, int64_t size = -1)
{
    Bytes b(8);
    Be32(b, 0, size < 0 ? static_cast<uint32_t>(8 + body.size()) : static_cast<uint32_t>(size));
    std::copy(type, type + 4, b.begin() + 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes Atom64(const char* type, const Bytes& body)
{
    Bytes b(16);
    Be32(b, 0, 1);
    std::copy(type, type + 4, b.begin() + 4);
    const uint64_t size = 16 + body.size();
    Be32(b, 8, static_cast<uint32_t>(size >> 32));
    Be32(b, 12, static_cast<uint32_t>(size));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes Join(const std::vector<Bytes>& parts)
{
    Bytes b;
    for (const Bytes& p : parts)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

// The maker's record as a camera writes it, 336 bytes from the "udta" size
// field on; the first 8 bytes become the atom header.
Bytes CameraRecord()
{
    Bytes r(336, 0);
    Text(r, 103, "KORVA DIGITAL CAMERA");
    Text(r, 127, "QZ-M1");
    Le16(r, 135, 6);               // rotated by 90
    Ratio(r, 137, 1, 60);          // ExposureTime
    Ratio(r, 145, 28, 10);         // FNumber
    Ratio(r, 153, 0xFFFFFFFF, 3);  // ExposureBiasValue -1/3
    Ratio(r, 161, 30, 10);         // MaxApertureValue
    Le16(r, 169, 5);               // MeteringMode
    Le16(r, 171, 2);               // table A: 3
    Le16(r, 173, 1);               // Flash
    Ratio(r, 175, 70, 10);         // FocalLength
    Text(r, 278, "QZ Firmware 1.0");
    Le16(r, 294, 1);               // RGB
    Le16(r, 296, 2);               // ExposureProgram
    Le16(r, 298, 3200);            // ISO
    Le16(r, 300, 1);               // table B: 17
    Ratio(r, 302, 5, 2);           // 0x8000A
    Le16(r, 310, 3);               // table C: 260
    Le16(r, 312, 4);               // table D: 0x3001
    Ratio(r, 314, 7, 0);           // 0x80085
    Ratio(r, 322, 9, 4);           // 0x80086
    r[330] = 0x15;                 // focus flags
    Le16(r, 332, 1);               // 0x80003
    Le16(r, 334, 2);               // table E: 2
    return r;
}

struct MovieSpec {
    Bytes jpeg;
    uint16_t previewWidth = 40, previewHeight = 24;
    uint32_t previewRoom = 230;  // offset of the JPEG in the preview atom
    uint32_t movieTime = 3126917106u;  // 2003-02-01 04:05:06
    uint32_t spatialQuality = 0x200;
    uint16_t width = 320, height = 240;
    uint32_t horizontalResolution = 72u << 16;
    uint16_t depth = 24;
    Bytes record = CameraRecord();
    bool movie64 = false;     // the movie atom with a 64-bit size
    bool movieToEnd = false;  // the movie atom with size 0
    bool withUserData = true;
    bool withSampleDescription = true;
    uint32_t sampleDescriptionBytes = 94;
};

Bytes SampleDescription(const MovieSpec& s)
{
    Bytes body(s.sampleDescriptionBytes, 0);
    if (body.size() >= 94) {
        Be32(body, 4, 1);   // one entry
        Be32(body, 8, 86);  // its size
        std::copy_n("jpeg", 4, body.begin() + 12);
        Be32(body, 36, s.spatialQuality);
        Be16(body, 40, s.width);
        Be16(body, 42, s.height);
        Be32(body, 44, s.horizontalResolution);
        Be32(body, 48, s.horizontalResolution);
        Be16(body, 90, s.depth);
    }
    return Atom("stsd", body);
}

Bytes MakeMovie(const MovieSpec& s)
{
    Bytes reference(12, 0);
    std::copy_n("PICT", 4, reference.begin() + 6);
    Bytes picture(s.previewRoom - 8, 0);
    Be16(picture, 6, s.previewHeight);  // bottom of the picture frame, at 14
    Be16(picture, 8, s.previewWidth);   // its right edge, at 16
    picture.insert(picture.end(), s.jpeg.begin(), s.jpeg.end());

    Bytes header(100, 0);
    Be32(header, 4, s.movieTime - 100);  // creation
    Be32(header, 8, s.movieTime);        // modification: the time read
    Bytes sampleTable = s.withSampleDescription ? Join({SampleDescription(s), Atom("stts", Bytes(8, 0))})
                                                : Atom("stts", Bytes(8, 0));
    const Bytes track = Atom("trak", Join({Atom("tkhd", Bytes(84, 0)),
                                           Atom("mdia", Join({Atom("mdhd", Bytes(24, 0)), Atom("hdlr", Bytes(24, 0)),
                                                              Atom("minf", Join({Atom("vmhd", Bytes(12, 0)),
                                                                                 Atom("stbl", sampleTable)}))}))}));
    Bytes movieBody = Join({Atom("mvhd", header), track});
    if (s.withUserData) {
        const Bytes body(s.record.begin() + 8, s.record.end());
        movieBody = Join({movieBody, Atom("udta", body)});
    }
    Bytes movie = s.movie64 ? Atom64("moov", movieBody) : Atom("moov", movieBody, s.movieToEnd ? 0 : -1);
    return Join({Atom("pnot", reference), Atom("PICT", picture), Atom("free", Bytes(16, 0)), movie});
}

std::string DateOf(const Store& store) { return store.Text(0x132); }

std::vector<double> Doubles(const Store& store, TagId id) { return store.Doubles(id); }

struct Read {
    int32_t error = 0;
    Store store;
};

void ReadTags(const Bytes& file, Read* out, IVorlatImage* image = nullptr)
{
    MemoryStream in(file);
    quarnite::CQuickTimeReader reader(in.stream, out->store.tags);
    out->error = Cause(image ? reader.BeginLoadImage(image) : reader.LoadTags());
}

} // namespace

TEST(QuickTimeReader, ReadsTheMovieTagsAndTheMakersRecord)
{
    jpeg_test::Pipeline pipeline;
    IVorlatImage* image = pipeline.NewImage();
    Read read;
    ReadTags(MakeMovie(MovieSpec{}), &read, image);
    ASSERT_EQ(0, read.error);
    const Store& s = read.store;
    EXPECT_EQ("2003:02:01 04:05:06", DateOf(s));
    EXPECT_EQ(20u, s->GetTagSize(0x132, 0));
    EXPECT_EQ(std::vector<uint32_t>{0x42}, s.Longs(0x80004));
    EXPECT_EQ(std::vector<uint32_t>{320}, s.Longs(kTagImageWidth));
    EXPECT_EQ(std::vector<uint32_t>{240}, s.Longs(kTagImageHeight));
    EXPECT_EQ(std::vector<double>{72.0}, Doubles(s, kTagResolution));
    EXPECT_EQ((std::vector<uint32_t>{8, 8, 8, 0}), s.Longs(0x102));

    EXPECT_EQ("KORVA", s.Text(0x10F));
    EXPECT_EQ(5u, s->GetTagSize(0x10F, 0));
    EXPECT_EQ(24u, s->GetTagSize(0x10E, 0));
    EXPECT_EQ("KORVA DIGITAL CAMERA", s.Text(0x10E));
    EXPECT_EQ("QZ-M1", s.Text(0x110));
    EXPECT_EQ(8u, s->GetTagSize(0x110, 0));
    EXPECT_EQ(std::vector<uint32_t>{0}, s.Longs(kTagFlip));
    EXPECT_EQ(std::vector<double>{90}, Doubles(s, kTagRotation));
    EXPECT_EQ(std::vector<double>{1.0 / 60}, Doubles(s, 0x829A));
    EXPECT_EQ(std::vector<double>{2.8}, Doubles(s, 0x829D));
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 0xFF, 0xFF, 3, 0}), s.Bytes(0x9204));
    EXPECT_EQ(std::vector<double>{3.0}, Doubles(s, 0x9205));
    EXPECT_EQ(std::vector<uint32_t>{5}, s.Longs(0x9207));
    EXPECT_EQ(std::vector<uint32_t>{3}, s.Longs(0x80005));
    EXPECT_EQ(std::vector<uint32_t>{1}, s.Longs(0x9209));
    EXPECT_EQ(std::vector<double>{7.0}, Doubles(s, 0x920A));
    EXPECT_EQ("QZ Firmware 1.0", s.Text(0x131));
    EXPECT_EQ(16u, s->GetTagSize(0x131, 0));
    EXPECT_EQ(std::vector<uint32_t>{1}, s.Longs(kTagColorSpace));
    EXPECT_EQ(std::vector<uint32_t>{2}, s.Longs(0x8822));
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 0x80, 0x0C}), s.Bytes(0x80002));  // mode 1, ISO 3200
    EXPECT_EQ(std::vector<uint32_t>{17}, s.Longs(0x80007));
    EXPECT_EQ(kTagTypeDoubles, s->GetTagType(0x8000A, 0));
    EXPECT_EQ(std::vector<double>{2.5}, Doubles(s, 0x8000A));
    EXPECT_EQ(std::vector<uint32_t>{260}, s.Longs(0x80080));
    EXPECT_EQ(std::vector<uint32_t>{0x3001}, s.Longs(0x80082));
    EXPECT_EQ(std::vector<double>{0.0}, Doubles(s, 0x80085));
    EXPECT_EQ(std::vector<double>{2.25}, Doubles(s, 0x80086));
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0}), s.Bytes(0x80088));
    EXPECT_EQ(std::vector<uint32_t>{1}, s.Longs(0x80003));
    EXPECT_EQ(std::vector<uint32_t>{2}, s.Longs(0x80006));

    // The held image takes the sample description's size and the record's colour space.
    int32_t width = 0, height = 0, space = 0;
    EXPECT_EQ(0, Cause(image->GetSize(&width, &height)));
    EXPECT_EQ(0, Cause(image->GetColorSpace(&space)));
    EXPECT_EQ(320, width);
    EXPECT_EQ(240, height);
    EXPECT_EQ(32, space);
    image->Destroy();
}

TEST(QuickTimeReader, MovieTimeBecomesAZeroPaddedUtcDate)
{
    struct Case {
        uint32_t time;
        const char* text;
    } cases[] = {
        {3126917106u, "2003:02:01 04:05:06"}, {3034713599u, "2000:02:29 23:59:59"},
        {2082844800u, "1970:01:01 00:00:00"}, {2082844799u, "1970:01:01 00:00:00"},  // before 1970
        {0, "1970:01:01 00:00:00"},           {0xFFFFFFFFu, "2040:02:06 06:28:15"},
    };
    for (const Case& c : cases) {
        char text[20];
        std::memset(text, 'x', sizeof text);
        quarnite::QuickTimeDateText(c.time, text);
        EXPECT_EQ(std::string(c.text, 20), std::string(text, 20)) << c.time;
    }
}

TEST(QuickTimeReader, SampleDescriptionCodes)
{
    struct Case {
        uint32_t quality;
        uint32_t qualityCode;  // 0: not stored
        uint16_t depth;
        std::vector<uint32_t> bits;
    } cases[] = {
        {0x000, 0x40, 24, {8, 8, 8, 0}}, {0x100, 0x41, 32, {8, 8, 8, 8}}, {0x200, 0x42, 40, {8, 8, 8, 8}},
        {0x300, 0x43, 16, {5, 5, 5, 0}}, {0x3FF, 0x44, 36, {4, 4, 4, 4}}, {0x400, 0x45, 8, {2, 2, 2, 0}},
        {0x123, 0, 24, {8, 8, 8, 0}},
    };
    for (const Case& c : cases) {
        MovieSpec spec;
        spec.spatialQuality = c.quality;
        spec.depth = c.depth;
        spec.horizontalResolution = 0x012C8000;  // 300.5
        Read read;
        ReadTags(MakeMovie(spec), &read);
        ASSERT_EQ(0, read.error) << c.quality;
        if (c.qualityCode) {
            EXPECT_EQ(std::vector<uint32_t>{c.qualityCode}, read.store.Longs(0x80004)) << c.quality;
        } else {
            EXPECT_FALSE(read.store->IsExist(0x80004, 0));
        }
        EXPECT_EQ(c.bits, read.store.Longs(0x102)) << c.depth;
        EXPECT_EQ(std::vector<double>{300.5}, Doubles(read.store, kTagResolution));
    }
}

TEST(QuickTimeReader, UserDataFieldsThroughTheirTables)
{
    // Tags of the movie itself are left out here: the record alone.
    struct Case {
        const char* name;
        size_t offset;
        std::vector<uint8_t> field;
        int32_t error;
        TagId id;
        std::vector<uint8_t> stored;  // empty: the tag is not stored
    } cases[] = {
        {"table D: 0 stores 0", 312, {0, 0}, 0, 0x80082, {0, 0, 0, 0}},
        {"table D: 9 stores 0 without an error", 312, {9, 0}, 0, 0x80082, {0, 0, 0, 0}},
        {"table D: 1", 312, {1, 0}, 0, 0x80082, {0x01, 0x10, 0, 0}},
        {"table A: 7 fails", 171, {7, 0}, 1403, 0x80005, {}},
        {"table A: 6", 171, {6, 0}, 0, 0x80005, {4, 0, 0, 0}},
        {"table B: 3 fails", 300, {3, 0}, 1403, 0x80007, {}},
        {"table B: 2", 300, {2, 0}, 0, 0x80007, {0, 0, 0, 0}},
        {"table C: 7 fails", 310, {7, 0}, 1403, 0x80080, {}},
        {"table E: 5 fails", 334, {5, 0}, 1403, 0x80006, {}},
        {"table E: 0", 334, {0, 0}, 0, 0x80006, {9, 0, 0, 0}},
        {"ISO 0: automatic", 298, {0, 0}, 0, 0x80002, {0x09, 0x80, 0, 0}},
        {"ISO 1600", 298, {0x40, 0x06}, 0, 0x80002, {0, 0, 0x40, 0x06}},
        {"ISO 1601", 298, {0x41, 0x06}, 0, 0x80002, {1, 0, 0x41, 0x06}},
        {"0x80003 field 0", 332, {0, 0}, 0, 0x80003, {0, 0, 0, 0}},
        {"0x80003 field 2", 332, {2, 0}, 0, 0x80003, {0, 0, 0, 0}},
        {"focus flags 0x0A", 330, {0x0A}, 0, 0x80088, {0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0}},
        {"colour space 3", 294, {3, 0}, 0, kTagColorSpace, {3, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes record = CameraRecord();
        std::copy(c.field.begin(), c.field.end(), record.begin() + c.offset);
        Store store;
        EXPECT_EQ(c.error, Cause(quarnite::StoreQuickTimeUserData(record.data(), store.tags, nullptr)));
        if (c.stored.empty()) {
            EXPECT_FALSE(store->IsExist(c.id, 0));
        } else {
            EXPECT_EQ(c.stored, store.Bytes(c.id));
        }
    }
}

TEST(QuickTimeReader, FocusCodeSixSetsTheFlagAndTheNextCodeStaysAtItsOffset)
{
    Bytes record = CameraRecord();
    Le16(record, 310, 6);
    Le16(record, 332, 0);
    Le16(record, 334, 4);
    Store store;
    ASSERT_EQ(0, Cause(quarnite::StoreQuickTimeUserData(record.data(), store.tags, nullptr)));
    EXPECT_EQ(std::vector<uint32_t>{266}, store.Longs(0x80080));
    EXPECT_EQ(std::vector<uint32_t>{1}, store.Longs(0x80003));
    EXPECT_EQ(std::vector<uint32_t>{0}, store.Longs(0x80006));
}

TEST(QuickTimeReader, AFailingCodeKeepsTheFieldsBeforeIt)
{
    Bytes record = CameraRecord();
    Le16(record, 171, 7);
    Store store;
    EXPECT_EQ(1403, Cause(quarnite::StoreQuickTimeUserData(record.data(), store.tags, nullptr)));
    for (TagId id : {0x10Fu, 0x10Eu, 0x110u, kTagFlip, kTagRotation, 0x829Au, 0x829Du, 0x9204u, 0x9205u, 0x9207u})
        EXPECT_TRUE(store->IsExist(id, 0)) << std::hex << id;
    EXPECT_EQ(10u, store->GetTagCount(0));

    // Through the reader: the flag stays clear, and the next call starts again.
    MovieSpec spec;
    spec.record = record;
    const Bytes file = MakeMovie(spec);
    MemoryStream in(file);
    Store again;
    quarnite::CQuickTimeReader reader(in.stream, again.tags);
    EXPECT_EQ(1403, Cause(reader.LoadTags()));
    ASSERT_EQ(0, Cause(again->RemoveTag(0x132, 0)));
    EXPECT_EQ(1403, Cause(reader.LoadTags()));
    EXPECT_TRUE(again->IsExist(0x132, 0));
}

TEST(QuickTimeReader, AnotherIdentificationLeavesTheMakeOut)
{
    struct Case {
        const char* text;
        bool make;
    } cases[] = {
        {"KORVA DIGITAL CAMERA", true},
        {"KORVA DIGITAL CAMERAS", false},
        {"OTHER DIGITAL CAMERA", false},
        {"KORVA DIGITAL", false},
    };
    for (const Case& c : cases) {
        Bytes record = CameraRecord();
        std::fill(record.begin() + 103, record.begin() + 127, 0);
        Text(record, 103, c.text);
        Store store;
        ASSERT_EQ(0, Cause(quarnite::StoreQuickTimeUserData(record.data(), store.tags, nullptr)));
        EXPECT_EQ(c.make, store->IsExist(0x10F, 0)) << c.text;
        EXPECT_EQ(c.text, store.Text(0x10E));
        EXPECT_EQ(24u, store->GetTagSize(0x10E, 0));
        EXPECT_EQ("QZ-M1", store.Text(0x110));
        EXPECT_TRUE(store->IsExist(0x80006, 0));  // the last field
    }
}

TEST(QuickTimeReader, OrientationCodes)
{
    struct Case {
        uint16_t code;
        uint32_t flip;
        double rotation;
    } cases[] = {{1, 0, 0},   {2, 1, 0},   {3, 0, 180}, {4, 1, 180}, {5, 1, 90},
                 {6, 0, 90},  {7, 1, 270}, {8, 0, 270}, {0, 0, 0},   {9, 0, 0}};
    for (const Case& c : cases) {
        Bytes record = CameraRecord();
        Le16(record, 135, c.code);
        Store store;
        ASSERT_EQ(0, Cause(quarnite::StoreQuickTimeUserData(record.data(), store.tags, nullptr)));
        EXPECT_EQ(std::vector<uint32_t>{c.flip}, store.Longs(kTagFlip)) << c.code;
        EXPECT_EQ(std::vector<double>{c.rotation}, Doubles(store, kTagRotation)) << c.code;
    }
}

TEST(QuickTimeReader, AtomWalksStayInsideTheirParents)
{
    MovieSpec plain;
    MovieSpec wide;
    wide.movie64 = true;
    MovieSpec toEnd;
    toEnd.movieToEnd = true;
    MovieSpec noUserData;
    noUserData.withUserData = false;
    MovieSpec shortUserData;
    shortUserData.record.resize(200);
    MovieSpec noDescription;
    noDescription.withSampleDescription = false;
    MovieSpec shortDescription;
    shortDescription.sampleDescriptionBytes = 60;

    Bytes tinySize = MakeMovie(plain);
    Be32(tinySize, 20, 5);  // the preview atom's size: 2 to 7 are no sizes
    Bytes pastParent = MakeMovie(plain);
    Be32(pastParent, pastParent.size() - 336, 336 + 16);  // udta larger than the movie around it
    Bytes pastFile = MakeMovie(plain);
    pastFile.resize(pastFile.size() - 1);

    struct Case {
        const char* name;
        Bytes file;
        int32_t error;
        bool record;       // the maker's tags are there
        bool description;  // the sample description's tags are there
    } cases[] = {
        {"plain", MakeMovie(plain), 0, true, true},
        {"movie with a 64-bit size", MakeMovie(wide), 0, true, true},
        {"movie running to the file's end", MakeMovie(toEnd), 0, true, true},
        {"no user data", MakeMovie(noUserData), 0, false, true},
        {"user data too small for the record", MakeMovie(shortUserData), 0, false, true},
        {"no sample description", MakeMovie(noDescription), 0, true, false},
        {"sample description too short", MakeMovie(shortDescription), 1103, false, false},
        {"atom size 5", tinySize, 1072, false, false},
        {"child larger than its parent", pastParent, 1103, false, true},
        {"movie past the file's end", pastFile, 1103, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Read read;
        ReadTags(c.file, &read);
        EXPECT_EQ(c.error, read.error);
        EXPECT_EQ(c.record, read.store->IsExist(0x80006, 0));
        EXPECT_EQ(c.description, read.store->IsExist(0x102, 0));
    }
}

TEST(QuickTimeReader, ImageAndThumbnailAreThePreviewPicture)
{
    jpeg_test::Pipeline pipeline;
    const jpeg_test::Pixels picture = jpeg_test::MakePicture(40, 24, 3);
    MovieSpec spec;
    spec.jpeg = jpeg_test::Encode(pipeline, picture, 3);
    ASSERT_FALSE(spec.jpeg.empty());
    const jpeg_test::Decoded direct = jpeg_test::Decode(pipeline, spec.jpeg);
    ASSERT_EQ(0, direct.error);

    MemoryStream in(MakeMovie(spec));
    Store store;
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(load->AttachStream(in.stream, store.tags, 0, 0)));
    IVorlatStorage::tagStrFileInfo info{};
    ASSERT_EQ(0, Cause(load->GetFileInformation(&info)));
    EXPECT_EQ(kFormatQuickTime, info.format);
    EXPECT_EQ(1, info.thumbnails);
    int32_t value = 0;
    EXPECT_EQ(0, Cause(load->GetThumbnailColorSpace(1, &value)));
    EXPECT_EQ(32, value);
    EXPECT_EQ(0, Cause(load->GetThumbnailWidth(1, &value)));
    EXPECT_EQ(40, value);
    EXPECT_EQ(0, Cause(load->GetThumbnailHeight(1, &value)));
    EXPECT_EQ(24, value);
    EXPECT_EQ(1014, Cause(load->GetThumbnailWidth(2, &value)));
    EXPECT_EQ(1014, Cause(load->GetThumbnailHeight(0, &value)));
    EXPECT_EQ(1014, Cause(load->GetThumbnailColorSpace(2, &value)));

    IVorlatImage* thumbnail = pipeline.NewImage();
    EXPECT_EQ(1073, Cause(load->LoadThumbnail(2, thumbnail)));
    ASSERT_EQ(0, Cause(load->LoadThumbnail(1, thumbnail)));
    IVorlatImage* image = pipeline.NewImage();
    EXPECT_FALSE(load->IsFinished());
    ASSERT_EQ(0, Cause(load->BeginLoadImage(image)));
    EXPECT_FALSE(load->IsFinished());
    ASSERT_EQ(0, Cause(load->Execute()));
    EXPECT_TRUE(load->IsFinished());
    const jpeg_test::Pixels fromImage = jpeg_test::Pipeline::PixelsOf(image);
    const jpeg_test::Pixels fromThumbnail = jpeg_test::Pipeline::PixelsOf(thumbnail);
    EXPECT_EQ(direct.pixels.data, fromImage.data);
    EXPECT_EQ(direct.pixels.data, fromThumbnail.data);
    EXPECT_EQ(40, fromImage.width);
    EXPECT_EQ(24, fromImage.height);
    image->Destroy();
    thumbnail->Destroy();
    load->DetachStream();
    load->Destroy();
}

TEST(QuickTimeReader, PreviewOutsideItsAtomIsRefused)
{
    jpeg_test::Pipeline pipeline;
    MovieSpec spec;
    spec.previewRoom = 20;  // the atom ends before the JPEG's fixed offset
    MemoryStream in(MakeMovie(spec));
    quarnite::CQuickTimeReader reader(in.stream, nullptr);
    IVorlatImage* image = pipeline.NewImage();
    EXPECT_EQ(1103, Cause(reader.LoadThumbnail(1, image)));
    int32_t value = 0;
    EXPECT_EQ(0, Cause(reader.GetThumbnailHeight(1, &value)));
    EXPECT_EQ(24, value);
    EXPECT_EQ(1014, Cause(reader.LoadTags()));  // no store
    EXPECT_EQ(1014, Cause(reader.BeginLoadImage(nullptr)));
    EXPECT_EQ(1007, Cause(reader.Execute()));  // no image to load into
    image->Destroy();
}

TEST(QuickTimeReader, ProbedBeforeWavAndNeverRewritten)
{
    // "RIFF" at 0, "pnot" at 4 and "WAVE" at 8: both probes would take it.
    Bytes both = {'R', 'I', 'F', 'F', 'p', 'n', 'o', 't', 'W', 'A', 'V', 'E'};
    MemoryStream in(both);
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(load->AttachStream(in.stream, nullptr, 0, 0)));
    int32_t format = 0;
    ASSERT_EQ(0, Cause(load->GetFormats(&format)));
    EXPECT_EQ(kFormatQuickTime, format);
    load->DetachStream();
    load->Destroy();

    const std::string target = std::string(TESS_SCRATCH_DIR) + "/quicktime_update_target";
    {
        std::ofstream out(target, std::ios::binary);
        out << "kept";
    }
    MemoryStream movie(MakeMovie(MovieSpec{}));
    Store store;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(load->AttachStream(movie.stream, store.tags, 0, 0)));
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
}
