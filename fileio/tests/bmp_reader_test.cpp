// The BMP reader: every depth it loads, headers of every length, palettes,
// bands, refusals and the rewrite with a new resolution.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "fileio/bmp_reader.h"
#include "fileio/tests/bmp_test_util.h"
#include "fileio/tests/test_files.h"

using namespace bmp_test;
using fileio_test::Store;
using fileio_test::ReadFile;

namespace {

std::vector<uint8_t> Palette(uint32_t entries, uint32_t seed)
{
    std::vector<uint8_t> p(4 * entries);
    for (uint32_t i = 0; i < entries; ++i) {
        p[4 * i] = static_cast<uint8_t>(i * 13 + seed);
        p[4 * i + 1] = static_cast<uint8_t>(255 - i * 7);
        p[4 * i + 2] = static_cast<uint8_t>(i * 29 + 5 * seed);
        p[4 * i + 3] = 0;
    }
    return p;
}

BmpSpec Spec(int32_t width, int32_t height, uint16_t bits, uint32_t infoSize = 40, uint32_t colorsUsed = 0,
             uint32_t paletteEntries = 0)
{
    BmpSpec s;
    s.width = width;
    s.height = height;
    s.bits = bits;
    s.infoSize = infoSize;
    s.colorsUsed = colorsUsed;
    if (bits == 24) {
        s.rgb = Pattern(width, height, 3);
    } else {
        const uint32_t entries = paletteEntries ? paletteEntries : (colorsUsed ? colorsUsed : 1u << bits);
        s.palette = Palette(entries, bits);
        s.indices.resize(static_cast<size_t>(width) * height);
        for (size_t i = 0; i < s.indices.size(); ++i)
            s.indices[i] = static_cast<uint8_t>((i * 7 + i / 3) % (1u << bits));
    }
    return s;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct FileStream {
    IVorlatFileStream* stream = nullptr;
    explicit FileStream(const std::string& path)
    {
        EXPECT_EQ(0, Cause(IVorlatFileStream::CreateFileStream(&stream)));
        _VorlatFile file = {};
        std::snprintf(file.path, sizeof file.path, "%s", path.c_str());
        stream->SetFile(file);
    }
    ~FileStream()
    {
        stream->CloseStream();
        stream->Destroy();
    }
};

std::string Scratch(const char* name) { return std::string(TESS_SCRATCH_DIR) + "/bmp_reader_" + name; }

} // namespace

TEST(BmpReader, LoadsEveryDepthAndHeaderLengthToTheSamePixels)
{
    Images images("bmp_reader");
    struct Case {
        int32_t width, height;
        uint16_t bits;
        uint32_t infoSize, colorsUsed, paletteEntries;
        uint32_t colorSpaceTag;
    } cases[] = {
        {1, 1, 24, 40, 0, 0, 0x20},     {3, 2, 24, 40, 0, 0, 0x20},   {5, 7, 24, 108, 0, 0, 0x20},
        {33, 9, 24, 124, 0, 0, 0x20},   {1, 3, 8, 40, 0, 0, 0x13},    {6, 5, 8, 124, 0, 0, 0x13},
        {7, 4, 8, 108, 200, 0, 0x13},   // fewer entries stored: the rest are black
        {9, 3, 8, 40, 300, 256, 0x13},  // a count above 256 reads 256
        {1, 2, 4, 40, 0, 0, 0x12},      {5, 3, 4, 124, 0, 0, 0x12},   {8, 8, 4, 108, 0, 0, 0x12},
        {11, 6, 4, 40, 9, 0, 0x12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.bits << "-bit, header "
                                        << c.infoSize << ", colours " << c.colorsUsed);
        const BmpSpec spec = Spec(c.width, c.height, c.bits, c.infoSize, c.colorsUsed, c.paletteEntries);
        Store store;
        const Loaded loaded = LoadThroughLoader(images, MakeBmp(spec), store.tags);
        ASSERT_EQ(0, loaded.attach);
        EXPECT_EQ(kFormatBmp, loaded.format);
        ASSERT_EQ(0, loaded.error);
        EXPECT_TRUE(loaded.pixels == Expected(spec));
        EXPECT_EQ(std::vector<uint32_t>{static_cast<uint32_t>(c.width)}, store.Longs(kTagImageWidth));
        EXPECT_EQ(std::vector<uint32_t>{static_cast<uint32_t>(c.height)}, store.Longs(kTagImageHeight));
        EXPECT_EQ(std::vector<uint32_t>{c.colorSpaceTag}, store.Longs(kTagColorSpace));
        EXPECT_EQ(std::vector<double>{72.0}, store.Doubles(kTagResolution));
    }
}

TEST(BmpReader, BandsRunBottomUpWithTheRemainderFirst)
{
    // 3072-byte tiles hold 32 x 32 pixels of 24 bits: bands of 32 rows.
    Images images("bmp_bands", 3072);
    struct Case {
        int32_t height;
        std::vector<int32_t> progress;
    } cases[] = {
        {100, {4, 36, 68, 0}},  // 0 and 0 once finished
        {64, {32, 0}},
        {1, {0}},
    };
    for (const Case& c : cases) {
        const BmpSpec spec = Spec(21, c.height, 24);
        const Loaded loaded = LoadThroughLoader(images, MakeBmp(spec));
        ASSERT_EQ(0, loaded.error);
        EXPECT_EQ(c.progress, loaded.progress) << c.height;
        EXPECT_TRUE(loaded.pixels == Expected(spec)) << c.height;
    }
}

TEST(BmpReader, BandHeightFitsOneMebibyteAndIsNeverZero)
{
    struct Case {
        int32_t tileSize;
        uint64_t rowBytes;
        int32_t rows;
    } cases[] = {
        {147, 441, 147},      // a whole tile row fits
        {512, 30000, 32},     // halved until 32 rows of 30000 bytes fit
        {256, 0x100000, 1},   // one row is already a mebibyte
        {256, 0x100001, 1},
        {0, 300, 1},          // no tile size: still one row per band
        {1, 100, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.rows, quarnite::BandHeight(c.tileSize, c.rowBytes)) << c.tileSize << " " << c.rowBytes;
    EXPECT_EQ(4, quarnite::NextBandRows(100, 100, 32));
    EXPECT_EQ(32, quarnite::NextBandRows(100, 96, 32));
    EXPECT_EQ(32, quarnite::NextBandRows(64, 64, 32));
    EXPECT_EQ(5, quarnite::NextBandRows(5, 5, 32));
}

TEST(BmpReader, RefusesWhatItCannotLoadBeforeTakingAnyPixels)
{
    Images images("bmp_refuse");
    struct Case {
        const char* name;
        BmpSpec spec;
        size_t cut;  // bytes taken off the end of the file
        int32_t tagsError, loadError;
        uint32_t colorSpaceTag;
    };
    BmpSpec oneBit = Spec(5, 3, 1, 40, 0, 2);
    BmpSpec sixteen = Spec(5, 3, 24);
    sixteen.bits = 16;
    BmpSpec rle = Spec(4, 4, 8);
    rle.compression = 1;
    BmpSpec topDown = Spec(4, 4, 24);
    topDown.height = -4;
    BmpSpec noWidth = Spec(4, 4, 24);
    noWidth.width = 0;
    BmpSpec core = Spec(4, 4, 24);
    core.infoSize = 12;
    const Case cases[] = {
        {"1-bit", oneBit, 0, 0, 1502, 0x10},
        {"16-bit", sixteen, 0, 0, 1502, 0x20},
        {"run-length", rle, 0, 1072, 1072, 0},
        {"top-down", topDown, 0, 1072, 1072, 0},
        {"no width", noWidth, 0, 1072, 1072, 0},
        {"core header", core, 0, 1072, 1072, 0},
        {"last row short", Spec(5, 3, 24), 1, 0, 1103, 0x20},
        {"pixels missing", Spec(5, 3, 8), 15, 0, 1103, 0x13},
        {"palette cut", Spec(2, 1, 8), 8 + 600, 0, 1103, 0x13},
        {"headers cut", Spec(2, 1, 24), 30, 1103, 1103, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = MakeBmp(c.spec);
        bytes.resize(bytes.size() - c.cut);
        {
            MemoryStream in(bytes);
            Store store;
            quarnite::CBmpReader reader(in.stream, store.tags);
            EXPECT_EQ(c.tagsError, Cause(reader.LoadTags()));
            if (c.colorSpaceTag) {
                EXPECT_EQ(std::vector<uint32_t>{c.colorSpaceTag}, store.Longs(kTagColorSpace));
            }
            IVorlatImage* image = images.New();
            EXPECT_EQ(c.loadError, Cause(reader.BeginLoadImage(image)));
            EXPECT_TRUE(reader.IsFinished());
            EXPECT_EQ(0, Cause(reader.Execute()));  // nothing to load
            int32_t width = -1;
            EXPECT_EQ(0, Cause(image->GetWidth(&width)));
            EXPECT_EQ(0, width);
            image->Destroy();
        }
        // The probe takes every file that starts with "BM".
        EXPECT_EQ(bytes.size() >= 2 ? kFormatBmp : kFormatUnknown, LoadThroughLoader(images, bytes).format);
    }
    // Shorter than the type: not a bitmap, and no failure of the probe.
    MemoryStream tiny(std::vector<uint8_t>{'B'});
    int32_t format = kFormatUnknown;
    EXPECT_EQ(0, Cause(quarnite::ProbeBmp(tiny.stream, &format)));
    EXPECT_EQ(kFormatUnknown, format);
    EXPECT_EQ(1014, Cause(quarnite::ProbeBmp(tiny.stream, nullptr)));
    EXPECT_EQ(1014, Cause(quarnite::ProbeBmp(nullptr, &format)));
}

TEST(BmpReader, ResolutionInDotsPerInch)
{
    struct Case {
        int32_t pelsPerMeter;
        double dpi;
    } cases[] = {{3780, 96}, {3778, 96}, {0, 72}, {2835, 72}, {11811, 300}, {-3780, 72}, {20, 1}};
    for (const Case& c : cases) {
        BmpSpec spec = Spec(2, 2, 24);
        spec.pelsPerMeter = c.pelsPerMeter;
        MemoryStream in(MakeBmp(spec));
        Store store;
        quarnite::CBmpReader reader(in.stream, store.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        EXPECT_EQ(std::vector<double>{c.dpi}, store.Doubles(kTagResolution)) << c.pelsPerMeter;
    }
}

TEST(BmpReader, OffersNoThumbnailsAndTakesTagsOnce)
{
    MemoryStream in(MakeBmp(Spec(3, 3, 24)));
    Store store;
    quarnite::CBmpReader reader(in.stream, store.tags);
    int32_t value = 0;
    EXPECT_EQ(0, reader.GetThumbnailCount());
    EXPECT_EQ(1073, Cause(reader.GetThumbnailWidth(1, &value)));
    EXPECT_EQ(1073, Cause(reader.GetThumbnailHeight(1, &value)));
    EXPECT_EQ(1073, Cause(reader.GetThumbnailColorSpace(1, &value)));
    EXPECT_EQ(1073, Cause(reader.LoadThumbnail(1, nullptr)));
    EXPECT_EQ(0, Cause(reader.LoadTileRow(0)));
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    store.SetDoubles(kTagResolution, {300});
    ASSERT_EQ(0, Cause(reader.LoadTags()));  // a second call leaves the store alone
    EXPECT_EQ(std::vector<double>{300}, store.Doubles(kTagResolution));
    int32_t done = -1, total = -1;
    reader.GetProgress(&done, &total);
    EXPECT_EQ(0, done);
    EXPECT_EQ(0, total);
    EXPECT_EQ(1014, Cause(reader.BeginLoadImage(nullptr)));
}

TEST(BmpReader, UpdateWritesTheNewResolutionAndCopiesTheRest)
{
    Images images("bmp_update");
    // More than one copy chunk of pixels, behind a v5 header and a palette.
    const BmpSpec spec = Spec(400, 300, 8, 124);
    const std::vector<uint8_t> original = MakeBmp(spec);
    const std::string source = Scratch("source.bmp"), target = Scratch("target.bmp");
    WriteFile(source, original);
    struct Case {
        const char* name;
        bool setResolution, removeResolution, withSources;
        int32_t pelsPerMeter;
    } cases[] = {
        {"tags only", true, false, false, 11808},
        {"with a source: the tags, never an empty file", true, false, true, 11808},
        {"no resolution in the store: the file's own", false, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store store;
        FileStream in(source), out(target);
        IVorlatLoad* load = nullptr;
        ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
        ASSERT_EQ(0, Cause(load->AttachStream(in.stream, store.tags, 0, 0)));
        ASSERT_EQ(0, Cause(load->LoadTags()));
        if (c.setResolution)
            store.SetDoubles(kTagResolution, {300.0});
        if (c.removeResolution) {
            ASSERT_EQ(0, Cause(store->RemoveTag(kTagResolution, 0)));
        }
        IVorlatImage* image = images.New();
        IVorlatDataSource* sources[1] = {image};
        EXPECT_EQ(0, Cause(c.withSources ? load->Update(out.stream, sources, 1) : load->Update(out.stream)));
        image->Destroy();
        load->DetachStream();
        load->Destroy();

        std::vector<uint8_t> expected = original;
        Put32(expected, 38, static_cast<uint32_t>(c.pelsPerMeter));
        Put32(expected, 42, static_cast<uint32_t>(c.pelsPerMeter));
        EXPECT_EQ(expected, ReadFile(target));
    }
    std::remove(source.c_str());
    std::remove(target.c_str());
}

TEST(BmpReader, UpdateOfAnUnreadableFileLeavesTheTargetAlone)
{
    BmpSpec rle = Spec(4, 4, 8);
    rle.compression = 1;
    const std::string source = Scratch("rle.bmp"), target = Scratch("kept.bmp");
    WriteFile(source, MakeBmp(rle));
    WriteFile(target, {'o', 'l', 'd'});
    Store store;
    FileStream in(source), out(target);
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(load->AttachStream(in.stream, store.tags, 0, 0)));
    EXPECT_EQ(1072, Cause(load->Update(out.stream)));
    load->DetachStream();
    load->Destroy();
    EXPECT_EQ((std::vector<uint8_t>{'o', 'l', 'd'}), ReadFile(target));
    std::remove(source.c_str());
    std::remove(target.c_str());
}
