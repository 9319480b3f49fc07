// TIFF and raw files written by the saver and read back by the loader, the
// compressed raw form, the writer's layouts and the malformed files the
// reader must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "Vorlat/VorlatTile.h"
#include "fileio/quarnite_error.h"
#include "fileio/tests/tiff_test_util.h"
#include "fileio/tiff/mosaic_rows.h"
#include "fileio/tiff/tiff_reader.h"
#include "fileio/tiff/tiff_writer.h"

using fileio_test::Cause;
using fileio_test::MemoryStream;
using fileio_test::Store;
using namespace tiff_test;
using namespace quarnite;

namespace {

uint16_t Get16(const std::vector<uint8_t>& b, size_t at, bool big)
{
    return big ? static_cast<uint16_t>(b[at] << 8 | b[at + 1]) : static_cast<uint16_t>(b[at + 1] << 8 | b[at]);
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at, bool big)
{
    return big ? static_cast<uint32_t>(Get16(b, at, true)) << 16 | Get16(b, at + 2, true)
               : static_cast<uint32_t>(Get16(b, at + 2, false)) << 16 | Get16(b, at, false);
}
void Set16(std::vector<uint8_t>& b, size_t at, uint16_t v) { b[at] = static_cast<uint8_t>(v); b[at + 1] = static_cast<uint8_t>(v >> 8); }
void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v) { Set16(b, at, static_cast<uint16_t>(v)); Set16(b, at + 2, static_cast<uint16_t>(v >> 16)); }

// The entry of `tag` in the little-endian IFD at `ifd`, or 0.
size_t FindEntry(const std::vector<uint8_t>& b, uint32_t ifd, uint16_t tag)
{
    const uint16_t count = Get16(b, ifd, false);
    for (uint32_t i = 0; i < count; ++i)
        if (Get16(b, ifd + 2 + 12 * i, false) == tag)
            return ifd + 2 + 12 * i;
    return 0;
}

// A little-endian TIFF put together entry by entry, for layouts that our
// writer never makes. Entries go in ascending tag order; values that do not
// fit the entry are appended later and patched in with Set.
struct HandTiff {
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    std::vector<uint8_t> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};

    // Appends an IFD (next-IFD offset 0) and returns its offset.
    uint32_t AddIfd(const std::vector<Entry>& entries)
    {
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        bytes.resize(at + 2 + 12 * entries.size() + 4, 0);
        Set16(bytes, at, static_cast<uint16_t>(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            const size_t e = at + 2 + 12 * i;
            Set16(bytes, e, entries[i].tag);
            Set16(bytes, e + 2, entries[i].type);
            Set32(bytes, e + 4, entries[i].count);
            Set32(bytes, e + 8, entries[i].value);
        }
        return at;
    }
    uint32_t Append(const std::vector<uint8_t>& data)
    {
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        bytes.insert(bytes.end(), data.begin(), data.end());
        return at;
    }
    // The value field of `tag` in the IFD at `ifd`.
    void Set(uint32_t ifd, uint16_t tag, uint32_t value)
    {
        const size_t entry = FindEntry(bytes, ifd, tag);
        ASSERT_NE(0u, entry) << tag;
        Set32(bytes, entry + 8, value);
    }
};

std::vector<uint8_t> Le32s(const std::vector<uint32_t>& values)
{
    std::vector<uint8_t> b(4 * values.size());
    for (size_t i = 0; i < values.size(); ++i)
        Set32(b, 4 * i, values[i]);
    return b;
}

TEST(TiffProbe, KnowsBothByteOrdersAndTheMagic)
{
    struct Case {
        std::vector<uint8_t> head;
        int32_t format;
    };
    const Case cases[] = {
        {{'M', 'M', 0, 42, 0, 0, 0, 8}, kFormatTiff},
        {{'I', 'I', 42, 0, 8, 0, 0, 0}, kFormatTiff},
        {{'I', 'I', 43, 0, 8, 0, 0, 0}, kFormatUnknown},
        {{'M', 'M', 42, 0}, kFormatUnknown},
        {{'I', 'I'}, kFormatUnknown},
    };
    for (const Case& c : cases) {
        MemoryStream in(c.head);
        int32_t format = kFormatUnknown;
        EXPECT_EQ(0, Cause(ProbeTiff(in.stream, &format)));
        EXPECT_EQ(c.format, format);
    }
    EXPECT_EQ(kErrBadArgument, Cause(ProbeTiff(nullptr, nullptr)));
}

TEST(TiffRoundTrip, EveryLayoutAndDepthLoadsAsSaved)
{
    struct Case {
        int32_t colorSpace;
        int32_t format;
        int32_t width, height;
    };
    const Case cases[] = {
        {2, kFormatTiff, 37, 19},      {2, kFormatTiff, 1, 1},         {3, kFormatTiff, 33, 7},
        {32, kFormatTiff, 5, 3},       {32, kFormatTiffSave, 130, 70}, {33, kFormatTiff, 41, 9},
        {34, kFormatTiff, 17, 5},      {36, kFormatTiff, 9, 4},        {64, kFormatRawTiff, 24, 10},
        {64, kFormatRawTiff, 7, 5},    {66, kFormatRawTiff, 14, 9},    {32, kFormatRawTiff, 6, 6},
        {2, kFormatTiff, 700, 1600},   // several bands
    };
    Pipeline pipeline;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "colour space " << c.colorSpace << " format " << c.format << " " << c.width << "x" << c.height);
        Store tags;
        tags.SetText(0x110, "Model Q");
        tags.SetText(0x13B, "Someone");
        if (c.colorSpace == 66)
            SetCfaPattern(tags.tags, {5, 3, 1, 4});
        else if (c.colorSpace == 64)
            SetCfaPattern(tags.tags, {0, 1, 1, 2});
        const Image image = MakeImage(c.colorSpace, c.width, c.height, static_cast<uint32_t>(c.width));
        int32_t error = 0;
        const std::vector<uint8_t> file = Save(pipeline, tags.tags, c.format, image, {}, &error);
        ASSERT_EQ(0, error);
        Store back;
        const Loaded loaded = Load(pipeline, file, back.tags);
        ASSERT_EQ(0, loaded.error);
        EXPECT_EQ(c.format == kFormatRawTiff ? kFormatTiff : kFormatTiff, loaded.format);  // the probe's code
        EXPECT_EQ(image.colorSpace, loaded.image.colorSpace);
        EXPECT_EQ(image.width, loaded.image.width);
        EXPECT_EQ(image.height, loaded.image.height);
        EXPECT_TRUE(image.bytes == loaded.image.bytes);
        EXPECT_EQ("Model Q", back.Text(0x110));
        EXPECT_EQ("Someone", back.Text(0x13B));
        EXPECT_EQ(std::vector<uint32_t>{static_cast<uint32_t>(c.width)}, back.Longs(0x10000));
    }
}

TEST(TiffRoundTrip, BigEndianFilesReadLikeLittleEndianOnes)
{
    Pipeline pipeline;
    for (int32_t colorSpace : {3, 33, 64}) {
        Store tags;
        SetCfaPattern(tags.tags, {0, 1, 1, 2});
        const Image image = MakeImage(colorSpace, 11, 6);
        IVorlatImage* source = pipeline.ImageOf(image);
        MemoryStream out(std::vector<uint8_t>(65536, 0), false);
        CTiffWriter writer(out.stream, tags.tags, colorSpace == 64 ? kFormatRawTiff : kFormatTiff, 0, true);
        ASSERT_EQ(0, Cause(writer.BeginSave(source, nullptr, 0)));
        while (!writer.IsFinished())
            ASSERT_EQ(0, Cause(writer.Execute()));
        source->Destroy();
        const std::vector<uint8_t> file = out.Written();
        ASSERT_EQ('M', file[0]);
        Store back;
        const Loaded loaded = Load(pipeline, file, back.tags);
        ASSERT_EQ(0, loaded.error) << colorSpace;
        EXPECT_TRUE(image.bytes == loaded.image.bytes) << colorSpace;
    }
}

TEST(TiffWriter, StoresSamplesInTheFilesOrderAndMosaicsPacked)
{
    Pipeline pipeline;
    // 16-bit RGB, little-endian.
    Image rgb{1, 1, 33, {0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A}};
    Store tags;
    std::vector<uint8_t> file = Save(pipeline, tags.tags, kFormatTiff, rgb);
    ASSERT_FALSE(file.empty());
    const size_t strip = FindEntry(file, 8, 273);
    ASSERT_NE(0u, strip);
    const uint32_t at = Get32(file, strip + 8, false);
    EXPECT_EQ((std::vector<uint8_t>{0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A}), std::vector<uint8_t>(file.begin() + at, file.begin() + at + 6));

    // A raw mosaic of width 8 takes 12 bytes a row.
    Store raw;
    SetCfaPattern(raw.tags, {0, 1, 1, 2});
    const Image mosaic = MakeImage(64, 8, 3);
    file = Save(pipeline, raw.tags, kFormatRawTiff, mosaic);
    ASSERT_FALSE(file.empty());
    Store back;
    MemoryStream in(file);
    CTiffReader reader(in.stream, back.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    EXPECT_EQ(kFormatRawTiff, reader.Format());
    ASSERT_EQ(1u, reader.MainRecord().stripByteCounts.size());
    EXPECT_EQ(36u, reader.MainRecord().stripByteCounts[0]);
    EXPECT_EQ(12u, reader.MainRecord().bitsPerSample[0]);
}

TEST(TiffWriter, TheExifBlockHasNoMainImageData)
{
    Pipeline pipeline;
    Store tags;
    tags.SetText(0x10F, "Maker");
    const Image image = MakeImage(32, 64, 48);
    IVorlatImage* source = pipeline.ImageOf(image);
    const Image thumbnail = MakeImage(32, 16, 12, 3);
    IVorlatImage* thumb = pipeline.ImageOf(thumbnail);
    IVorlatDataSource* sources[1] = {thumb};
    MemoryStream out(std::vector<uint8_t>(65536, 0), false);
    CTiffWriter writer(out.stream, tags.tags, kFormatExifJpeg, 0);
    ASSERT_EQ(0, Cause(writer.BeginSave(source, sources, 1)));
    EXPECT_TRUE(writer.IsFinished());
    const std::vector<uint8_t> file = out.Written();
    source->Destroy();
    thumb->Destroy();
    // IFD 1 points at a complete JPEG stream right behind the IFDs.
    const uint32_t ifd1 = Get32(file, 8 + 2 + 12 * Get16(file, 8, false), false);
    ASSERT_NE(0u, ifd1);
    const size_t offset = FindEntry(file, ifd1, 513), length = FindEntry(file, ifd1, 514);
    ASSERT_NE(0u, offset);
    ASSERT_NE(0u, length);
    const uint32_t at = Get32(file, offset + 8, false), size = Get32(file, length + 8, false);
    ASSERT_EQ(file.size(), static_cast<size_t>(at) + size);
    EXPECT_EQ(0xFF, file[at]);
    EXPECT_EQ(0xD8, file[at + 1]);
    EXPECT_EQ(0xD9, file[at + size - 1]);
    EXPECT_EQ(0u, FindEntry(file, 8, 273));
}

TEST(TiffThumbnails, ThreeNonRawSourcesGiveTwoThumbnailRecords)
{
    Pipeline pipeline;
    Store tags;
    const Image main = MakeImage(32, 40, 30);
    const std::vector<Image> thumbnails = {MakeImage(32, 8, 6, 2), MakeImage(2, 4, 3, 3), MakeImage(32, 6, 4, 4)};
    const std::vector<uint8_t> file = Save(pipeline, tags.tags, kFormatTiff, main, thumbnails);
    ASSERT_FALSE(file.empty());
    Store back;
    MemoryStream in(file);
    CTiffReader reader(in.stream, back.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    // The first thumbnail lies uncompressed in IFD 1; without a maker note
    // there is no preview IFD for the second.
    EXPECT_EQ(1, reader.GetThumbnailCount());
    int32_t width = 0;
    EXPECT_EQ(0, Cause(reader.GetThumbnailWidth(1, &width)));
    EXPECT_EQ(8, width);
    EXPECT_EQ(kErrNotSupported, Cause(reader.GetThumbnailWidth(2, &width)));
    EXPECT_EQ(kErrBadArgument, Cause(reader.GetThumbnailWidth(0, &width)));
    EXPECT_EQ(kErrBadArgument, Cause(reader.GetThumbnailWidth(4, &width)));
    IVorlatImage* image = pipeline.NewImage();
    ASSERT_EQ(0, Cause(reader.LoadThumbnail(1, image)));
    EXPECT_TRUE(thumbnails[0].bytes == Pipeline::ImageFrom(image).bytes);
    EXPECT_EQ(kErrBadArgument, Cause(reader.LoadThumbnail(5, image)));
    ASSERT_EQ(0, Cause(reader.LoadThumbnail(0, image)));
    EXPECT_TRUE(main.bytes == Pipeline::ImageFrom(image).bytes);
    image->Destroy();
}

TEST(TiffReader, SubsamplingAveragesPixelsAndMosaicColours)
{
    Pipeline pipeline;
    Image grey{4, 2, 2, {10, 20, 30, 41, 50, 60, 70, 80}};
    Store tags;
    std::vector<uint8_t> file = Save(pipeline, tags.tags, kFormatTiff, grey);
    Store back;
    Loaded loaded = Load(pipeline, file, back.tags, 2);
    ASSERT_EQ(0, loaded.error);
    EXPECT_EQ(2, loaded.image.width);
    EXPECT_EQ(1, loaded.image.height);
    EXPECT_EQ((std::vector<uint8_t>{15, 35}), loaded.image.bytes);
}

// ---- Compressed raw -----------------------------------------------------------------

TEST(TiffCompressedRaw, LoadsThroughTheCurveInEitherByteOrder)
{
    Pipeline pipeline;
    for (bool big : {false, true}) {
        const uint32_t width = 30, height = 12;
        const std::vector<uint16_t> values = fileio_test::SyntheticMosaic(width, height, 512, 5);
        quarnite::CompressedRawParameters parameters = fileio_test::RawParameters(512);
        for (uint32_t i = 0; i < 512; ++i)
            parameters.curve[i] = static_cast<uint16_t>(8 * i);
        Store tags;
        const std::vector<uint8_t> file = CompressedRawFile(tags.tags, width, height, values, parameters, big);
        Store back;
        const Loaded loaded = Load(pipeline, file, back.tags, 2);  // the factor is not taken
        ASSERT_EQ(0, loaded.error) << big;
        ASSERT_EQ(static_cast<int32_t>(width), loaded.image.width);
        ASSERT_EQ(64, loaded.image.colorSpace);
        std::vector<uint16_t> samples(width * height);
        std::memcpy(samples.data(), loaded.image.bytes.data(), samples.size() * 2);
        for (size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(8 * values[i], samples[i]) << i;
    }
}

TEST(TiffCompressedRaw, DecodesDataLargerThanOneChunkAndTilesInAnyOrder)
{
    Pipeline pipeline(65536);
    const uint32_t width = 1800, height = 1200;
    const std::vector<uint16_t> values = fileio_test::SyntheticMosaic(width, height, 512, 9);
    quarnite::CompressedRawParameters parameters = fileio_test::RawParameters(512);
    Store tags;
    const std::vector<uint8_t> file = CompressedRawFile(tags.tags, width, height, values, parameters);
    ASSERT_GT(file.size(), 1100000u);
    Store back;
    const Loaded loaded = Load(pipeline, file, back.tags);
    ASSERT_EQ(0, loaded.error);
    std::vector<uint16_t> samples(values.size());
    std::memcpy(samples.data(), loaded.image.bytes.data(), samples.size() * 2);
    EXPECT_TRUE(samples == values);

    // On demand: a later tile row first, then an earlier one (a restart).
    MemoryStream in(file);
    in.stream->CloseStream();
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(load->AttachStream(in.stream, back.tags, 0, 0)));
    ASSERT_EQ(0, Cause(load->PrepareToLoad(pipeline.Manager())));
    auto* source = dynamic_cast<IVorlatDataSource*>(load);
    int32_t tile = 0;
    ASSERT_EQ(0, Cause(source->GetTileSize(&tile)));
    for (int32_t row : {3, 0, 1}) {
        void* pixels = nullptr;
        ASSERT_EQ(0, Cause(source->LockTile(&pixels, 1, row, nullptr)));
        int32_t rowBytes = 0;
        ASSERT_EQ(0, Cause(source->GetRowBytes(&rowBytes)));
        const uint32_t y = static_cast<uint32_t>(row * tile + 1), x = static_cast<uint32_t>(tile + 2);
        uint16_t v;
        std::memcpy(&v, static_cast<uint8_t*>(pixels) + rowBytes + 4, 2);
        EXPECT_EQ(values[y * width + x], v) << "tile row " << row;
        ASSERT_EQ(0, Cause(source->UnlockTile(1, row)));
    }
    load->DetachStream();
    in.stream->OpenStream(true);
    load->Destroy();
}

TEST(TiffCompressedRaw, DataEndingEarlyFailsWith1404)
{
    Pipeline pipeline;
    const std::vector<uint16_t> values = fileio_test::SyntheticMosaic(40, 20, 512);
    Store tags;
    const std::vector<uint8_t> file = CompressedRawFile(tags.tags, 40, 20, values, fileio_test::RawParameters(512), false, 100);
    Store back;
    EXPECT_EQ(kErrCompressedEnd, Load(pipeline, file, back.tags).error);
}

TEST(TiffCompressedRaw, UpdateKeepsTheCompressedDataAndItsParameters)
{
    Pipeline pipeline;
    const uint32_t width = 20, height = 8;
    const std::vector<uint16_t> values = fileio_test::SyntheticMosaic(width, height, 512, 2);
    Store tags;
    const std::vector<uint8_t> file = CompressedRawFile(tags.tags, width, height, values, fileio_test::RawParameters(512));
    Store store;
    MemoryStream in(file);
    in.stream->CloseStream();
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(load->AttachStream(in.stream, store.tags, 0, 0)));
    ASSERT_EQ(0, Cause(load->LoadTags()));
    store.SetBytes(0x80E01, kTagTypeBytes, {1, 2, 3, 4, 5});
    MemoryStream out(std::vector<uint8_t>(file.size() + 65536, 0), false);
    out.stream->CloseStream();
    ASSERT_EQ(0, Cause(load->Update(out.stream)));
    out.stream->OpenStream(false);
    load->DetachStream();
    in.stream->OpenStream(true);
    load->Destroy();
    // The new file: its length is unknown here, so read it from the whole buffer.
    Store back;
    const Loaded loaded = Load(pipeline, out.buffer, back.tags);
    ASSERT_EQ(0, loaded.error);
    std::vector<uint16_t> samples(values.size());
    std::memcpy(samples.data(), loaded.image.bytes.data(), samples.size() * 2);
    EXPECT_TRUE(samples == values);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5}), back.Bytes(0x80E01));
}

// ---- Malformed files ------------------------------------------------------------------

TEST(TiffReader, RefusesWhatItCannotLoadAndKeepsTheTags)
{
    Pipeline pipeline;
    Store tags;
    tags.SetText(0x110, "Model Q");
    const Image image = MakeImage(2, 10, 6);
    const std::vector<uint8_t> good = Save(pipeline, tags.tags, kFormatTiff, image);
    ASSERT_FALSE(good.empty());
    struct Case {
        const char* what;
        uint16_t tag;
        uint32_t value;
        int32_t error;  // from loading; 0 when it loads
    };
    const Case cases[] = {
        {"RowsPerStrip 0 is the height", 278, 0, 0},
        {"width 0: no image", 256, 0, kErrNoColorSpace},
        {"height 0: no image", 257, 0, kErrNoColorSpace},
        {"LZW", 259, 5, kErrUnknownFormat},
        {"Deflate", 259, 8, kErrUnknownFormat},
        {"planar configuration 2", 284, 2, kErrUnknownFormat},
        {"4-bit samples", 258, 4, kErrUnknownFormat},
        {"32-bit samples", 258, 32, kErrUnknownFormat},
        {"a strip beyond the file", 273, 0x7FFFFF00, kErrCountMismatch},
        {"a strip too short for the rows", 279, 30, kErrCountMismatch},
        {"a row beyond 2^31 bytes", 256, 0x80000000u, kErrUnknownFormat},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = good;
        const size_t entry = FindEntry(file, 8, c.tag);
        ASSERT_NE(0u, entry) << c.what;
        if (Get16(file, entry + 2, false) == kTiffShort)
            Set16(file, entry + 8, static_cast<uint16_t>(c.value));
        else
            Set32(file, entry + 8, c.value);
        Store back;
        const Loaded loaded = Load(pipeline, file, back.tags);
        EXPECT_EQ(c.error, loaded.error) << c.what;
        if (!c.error) {
            EXPECT_TRUE(loaded.image.bytes == image.bytes) << c.what;
        }
        EXPECT_EQ("Model Q", back.Text(0x110)) << c.what;
    }
    // Offsets and byte counts of different lengths.
    std::vector<uint8_t> file = good;
    const size_t entry = FindEntry(file, 8, 279);
    Set32(file, entry + 4, 2);
    Set32(file, entry + 8, 8);  // two counts at offset 8 (inside the file)
    Store back;
    EXPECT_EQ(kErrUnknownFormat, Load(pipeline, file, back.tags).error);
    // A predictor.
    std::vector<uint8_t> predicted = good;
    const size_t planar = FindEntry(predicted, 8, 284);
    Set16(predicted, planar, 317);
    Set16(predicted, planar + 8, 2);
    EXPECT_EQ(kErrUnknownFormat, Load(pipeline, predicted, back.tags).error);
    // The first IFD at 0.
    std::vector<uint8_t> noIfd = good;
    Set32(noIfd, 4, 0);
    EXPECT_EQ(kErrFirstIfdZero, Load(pipeline, noIfd, back.tags).error);
}

TEST(TiffReader, AThumbnailQueryReturnsTheTagsError)
{
    std::vector<uint8_t> file = {'I', 'I', 42, 0, 0, 0, 0, 0};
    Store tags;
    MemoryStream in(file);
    CTiffReader reader(in.stream, tags.tags);
    int32_t width = 0;
    EXPECT_EQ(kErrFirstIfdZero, Cause(reader.GetThumbnailWidth(1, &width)));
    EXPECT_EQ(0, reader.GetThumbnailCount());
}

// ---- Layouts the writer never makes ------------------------------------------------

TEST(TiffReader, LoadsYCbCrOfHalfHorizontalChromaAndRefusesOtherSamplings)
{
    struct Case {
        const char* what;
        uint32_t width;
        bool sampling;  // YCbCrSubSampling present
        uint16_t horizontal, vertical;
        int32_t error;
    };
    const Case cases[] = {
        {"even width", 6, true, 2, 1, 0},
        {"odd width: the last group gives one pixel", 5, true, 2, 1, 0},
        {"one pixel", 1, true, 2, 1, 0},
        {"2 x 2 sampling", 6, true, 2, 2, kErrUnknownFormat},
        {"no subsampling", 6, true, 1, 1, kErrUnknownFormat},
        {"sampling absent (2 x 2)", 6, false, 0, 0, kErrUnknownFormat},
    };
    Pipeline pipeline;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Y0 Y1 Cb Cr for each pair of pixels; an odd width ends in a whole group.
        const uint32_t height = 3, fileRow = 4 * ((c.width + 1) / 2);
        std::vector<uint8_t> data(fileRow * height);
        uint32_t state = c.width;
        for (uint8_t& b : data) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(state >> 24);
        }
        std::vector<HandTiff::Entry> entries = {
            {256, kTiffLong, 1, c.width}, {257, kTiffLong, 1, height}, {258, kTiffShort, 3, 0},
            {259, kTiffShort, 1, 1},      {262, kTiffShort, 1, 6},     {273, kTiffLong, 2, 0},
            {277, kTiffShort, 1, 3},      {278, kTiffLong, 1, 2},      {279, kTiffLong, 2, 0},
            {284, kTiffShort, 1, 1},
        };
        if (c.sampling)
            entries.push_back({530, kTiffShort, 2, c.horizontal | static_cast<uint32_t>(c.vertical) << 16});
        HandTiff tiff;
        const uint32_t ifd = tiff.AddIfd(entries);
        tiff.Set(ifd, 258, tiff.Append({8, 0, 8, 0, 8, 0}));
        // Two strips: rows 0 and 1, then row 2.
        const uint32_t pixels = tiff.Append(data);
        tiff.Set(ifd, 273, tiff.Append(Le32s({pixels, pixels + 2 * fileRow})));
        tiff.Set(ifd, 279, tiff.Append(Le32s({2 * fileRow, fileRow})));
        Store tags;
        const Loaded loaded = Load(pipeline, tiff.bytes, tags.tags);
        ASSERT_EQ(c.error, loaded.error);
        if (c.error)
            continue;
        ASSERT_EQ(32, loaded.image.colorSpace);
        ASSERT_EQ(static_cast<int32_t>(c.width), loaded.image.width);
        auto clamp = [](double v) { return static_cast<uint8_t>(v < 0.0 ? 0.0 : v > 255.0 ? 255.0 : v); };
        std::vector<uint8_t> expected;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < c.width; ++x) {
                const uint8_t* group = &data[y * fileRow + 4 * (x / 2)];
                const double luma = group[x % 2], cb = group[2] - 128.0, cr = group[3] - 128.0;
                expected.push_back(clamp(luma + 1.403 * cr));
                expected.push_back(clamp(luma - 0.344 * cb - 0.715 * cr));
                expected.push_back(clamp(luma + 1.773 * cb));
            }
        EXPECT_TRUE(expected == loaded.image.bytes);
    }
}

// Sample (x, y) of a mosaic subsampled by n: rows are kept in colour pairs
// (file row 2n(y/2) + y%2), and each sample is the mean of the n samples of
// its colour from column 2n(x/2) + x%2 on.
std::vector<uint16_t> SubsampledMosaic(const std::vector<uint16_t>& values, uint32_t width, uint32_t height, uint32_t n)
{
    std::vector<uint16_t> out;
    for (uint32_t y = 0; y < height / n; ++y) {
        const uint32_t row = 2 * n * (y / 2) + y % 2;
        for (uint32_t x = 0; x < width / n; ++x) {
            uint32_t sum = 0, count = 0;
            for (uint32_t m = 0; m < n; ++m) {
                const uint32_t column = 2 * n * (x / 2) + x % 2 + 2 * m;
                if (column < width) {
                    sum += values[row * width + column];
                    ++count;
                }
            }
            out.push_back(static_cast<uint16_t>(sum / count));
        }
    }
    return out;
}

// Ten 12-bit samples in 15 bytes and one pad byte, rows ending in whole groups.
std::vector<uint8_t> PaddedPackedRows(const std::vector<uint16_t>& values, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t g = 0; g < (width + 9) / 10; ++g) {
            for (uint32_t x = 10 * g; x < 10 * g + 10; x += 2) {
                const uint16_t a = x < width ? values[y * width + x] : 0;
                const uint16_t b = x + 1 < width ? values[y * width + x + 1] : 0;
                out.push_back(static_cast<uint8_t>(a >> 4));
                out.push_back(static_cast<uint8_t>((a & 15) << 4 | b >> 8));
                out.push_back(static_cast<uint8_t>(b));
            }
            out.push_back(0xEE);
        }
    return out;
}

TEST(TiffReader, SubsamplesMosaicsOfEveryStoredFormInColourPairs)
{
    enum Form { kSaved, kSixteen, kSixteenBig, kPadded, kCompressed };
    struct Case {
        const char* what;
        Form form;
        int32_t colorSpace;
        uint32_t width, height, n;
        int32_t packing;  // the maker note's packing mode; -1 none
        uint32_t taken;   // the factor the reader uses
    };
    const Case cases[] = {
        {"packed 12-bit", kSaved, 64, 22, 14, 2, -1, 2},
        {"packed 12-bit, odd width, factor 3", kSaved, 64, 23, 13, 3, -1, 3},
        {"two fields", kSaved, 66, 20, 14, 2, -1, 2},
        {"two fields, odd height", kSaved, 66, 20, 11, 2, -1, 2},
        {"16-bit samples", kSixteen, 64, 21, 10, 2, -1, 2},
        {"16-bit samples, big-endian", kSixteenBig, 64, 20, 10, 2, -1, 2},
        {"padded packing (compression 34713, mode 2)", kPadded, 64, 25, 12, 2, 2, 2},
        {"compressed, mode 0: whole rows only", kCompressed, 64, 20, 8, 2, 0, 1},
        {"compressed, mode 1: whole rows only", kCompressed, 64, 20, 8, 2, 1, 1},
    };
    Pipeline pipeline;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store tags;
        if (c.packing >= 0)
            tags.SetLongs(0x80093, {static_cast<uint32_t>(c.packing)});
        std::vector<uint16_t> values = fileio_test::SyntheticMosaic(c.width, c.height, 4096, c.width);
        std::vector<uint8_t> file;
        TiffImageRecord record;
        record.width = c.width;
        record.height = c.height;
        record.colorSpace = c.colorSpace;
        record.bitsPerSample[0] = 12;
        switch (c.form) {
        case kSaved: {
            SetCfaPattern(tags.tags, c.colorSpace == 66 ? std::vector<uint8_t>{5, 3, 1, 4} : std::vector<uint8_t>{0, 1, 1, 2});
            const Image image = MakeImage(c.colorSpace, static_cast<int32_t>(c.width), static_cast<int32_t>(c.height), c.height);
            values = Samples(image);
            file = Save(pipeline, tags.tags, kFormatRawTiff, image);
            break;
        }
        case kSixteen:
        case kSixteenBig: {
            // 16 significant bits: the low four are dropped.
            const bool big = c.form == kSixteenBig;
            std::vector<uint8_t> data;
            for (size_t i = 0; i < values.size(); ++i) {
                const uint16_t v = static_cast<uint16_t>(values[i] << 4 | (i & 15));
                data.push_back(static_cast<uint8_t>(big ? v >> 8 : v));
                data.push_back(static_cast<uint8_t>(big ? v : v >> 8));
            }
            record.bitsPerSample[0] = 16;
            file = MosaicFile(tags.tags, record, data, big);
            break;
        }
        case kPadded:
            record.compression = 34713;
            file = MosaicFile(tags.tags, record, PaddedPackedRows(values, c.width, c.height));
            break;
        case kCompressed:
            // A curve the maker note's fixed-size record holds.
            values = fileio_test::SyntheticMosaic(c.width, c.height, 512, c.width);
            file = CompressedRawFile(tags.tags, c.width, c.height, values, fileio_test::RawParameters(512));
            break;
        }
        ASSERT_FALSE(file.empty());
        Store back;
        const Loaded loaded = Load(pipeline, file, back.tags, c.n);
        ASSERT_EQ(0, loaded.error);
        EXPECT_EQ(c.colorSpace, loaded.image.colorSpace);
        EXPECT_EQ(static_cast<int32_t>(c.width / c.taken), loaded.image.width);
        EXPECT_EQ(static_cast<int32_t>(c.height / c.taken), loaded.image.height);
        EXPECT_TRUE(SubsampledMosaic(values, c.width, c.height, c.taken) == Samples(loaded.image));
    }
}

TEST(TiffReader, AnEmbeddedJpegMainImageIsExifJpegAndAnExifBlockIsNot)
{
    Pipeline pipeline;
    const std::vector<uint8_t> jpeg = EncodeJpeg(pipeline, MakeImage(32, 40, 24, 5));
    Store plain;
    const Loaded expected = Load(pipeline, jpeg, plain.tags);  // the same stream as a JPEG file
    ASSERT_EQ(0, expected.error);

    HandTiff tiff;
    const uint32_t ifd = tiff.AddIfd({{259, kTiffShort, 1, 6},
                                      {262, kTiffShort, 1, 6},
                                      {513, kTiffLong, 1, 0},
                                      {514, kTiffLong, 1, static_cast<uint32_t>(jpeg.size())}});
    tiff.Set(ifd, 513, tiff.Append(jpeg));
    {
        Store tags;
        MemoryStream in(tiff.bytes);
        CTiffReader reader(in.stream, tags.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        EXPECT_EQ(kFormatExifJpeg, reader.Format());
        EXPECT_EQ(std::vector<uint32_t>{40}, tags.Longs(0x10000));
        EXPECT_EQ(std::vector<uint32_t>{24}, tags.Longs(0x10001));
        EXPECT_TRUE(expected.image.bytes == LoadIndex(pipeline, reader, 0).bytes);
    }
    Store tags;
    const Loaded loaded = Load(pipeline, tiff.bytes, tags.tags);  // BeginLoadImage and Execute
    ASSERT_EQ(0, loaded.error);
    EXPECT_EQ(expected.image.colorSpace, loaded.image.colorSpace);
    EXPECT_TRUE(expected.image.bytes == loaded.image.bytes);

    // The Exif block of a JPEG file: IFD 0 has no image, IFD 1 a JPEG thumbnail.
    Store block;
    block.SetText(0x10F, "Maker");
    const Image thumbnail = MakeImage(32, 16, 8, 3);
    IVorlatImage* source = pipeline.ImageOf(MakeImage(32, 64, 48));
    IVorlatImage* thumb = pipeline.ImageOf(thumbnail);
    IVorlatDataSource* sources[1] = {thumb};
    MemoryStream out(std::vector<uint8_t>(65536, 0), false);
    CTiffWriter writer(out.stream, block.tags, kFormatExifJpeg, 0);
    ASSERT_EQ(0, Cause(writer.BeginSave(source, sources, 1)));
    source->Destroy();
    thumb->Destroy();
    Store back;
    MemoryStream in(out.Written());
    CTiffReader reader(in.stream, back.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    EXPECT_NE(kFormatExifJpeg, reader.Format());
    EXPECT_EQ(1, reader.GetThumbnailCount());
    Store bare;
    const Loaded thumbnailJpeg = Load(pipeline, EncodeJpeg(pipeline, thumbnail), bare.tags);
    EXPECT_TRUE(thumbnailJpeg.image.bytes == LoadIndex(pipeline, reader, 1).bytes);
}

TEST(TiffReader, TheLegacyMakerNotesThumbnailLoadsAsAThumbnail)
{
    Pipeline pipeline;
    const std::vector<uint8_t> jpeg = EncodeJpeg(pipeline, MakeImage(32, 16, 8, 7));
    Store plain;
    const Loaded expected = Load(pipeline, jpeg, plain.tags);
    ASSERT_EQ(0, expected.error);

    HandTiff tiff;
    const uint32_t ifd0 = tiff.AddIfd({{256, kTiffLong, 1, 4}, {257, kTiffLong, 1, 2}, {258, kTiffShort, 1, 8},
                                       {259, kTiffShort, 1, 1}, {262, kTiffShort, 1, 1}, {271, kTiffAscii, 6, 0},
                                       {273, kTiffLong, 1, 0}, {277, kTiffShort, 1, 1}, {278, kTiffLong, 1, 2},
                                       {279, kTiffLong, 1, 8}, {34665, kTiffLong, 1, 0}});
    tiff.Set(ifd0, 271, tiff.Append({'K', 'o', 'r', 'v', 'a', 0}));  // the maker's note is read for its files only
    const std::vector<uint8_t> grey = {0, 40, 80, 120, 160, 200, 240, 255};
    tiff.Set(ifd0, 273, tiff.Append(grey));
    // "Korva", 0, the value 1, then an IFD of one entry: tag 256 holds the
    // thumbnail's length and its offset in the file.
    std::vector<uint8_t> note = {'K', 'o', 'r', 'v', 'a', 0, 1, 0, 1, 0};
    note.resize(note.size() + 12 + 4, 0);
    const uint32_t exif = tiff.AddIfd({{37500, kTiffUndefined, static_cast<uint32_t>(note.size()), 0}});
    tiff.Set(ifd0, 34665, exif);
    const uint32_t noteAt = static_cast<uint32_t>(tiff.bytes.size());
    Set16(note, 10, 256);
    Set16(note, 12, kTiffUndefined);
    Set32(note, 14, static_cast<uint32_t>(jpeg.size()));
    Set32(note, 18, noteAt + static_cast<uint32_t>(note.size()));
    tiff.Set(exif, 37500, tiff.Append(note));
    tiff.Append(jpeg);

    Store tags;
    MemoryStream in(tiff.bytes);
    CTiffReader reader(in.stream, tags.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    EXPECT_EQ(kFormatTiff, reader.Format());
    ASSERT_EQ(1, reader.GetThumbnailCount());
    int32_t width = 0, height = 0, colorSpace = 0;
    EXPECT_EQ(0, Cause(reader.GetThumbnailWidth(1, &width)));
    EXPECT_EQ(0, Cause(reader.GetThumbnailHeight(1, &height)));
    EXPECT_EQ(0, Cause(reader.GetThumbnailColorSpace(1, &colorSpace)));
    EXPECT_EQ(16, width);
    EXPECT_EQ(8, height);
    EXPECT_EQ(32, colorSpace);
    EXPECT_TRUE(expected.image.bytes == LoadIndex(pipeline, reader, 1).bytes);
    EXPECT_TRUE(grey == LoadIndex(pipeline, reader, 0).bytes);

    // A thumbnail stream that is not a JPEG costs the thumbnail, not the file.
    std::vector<uint8_t> broken = tiff.bytes;
    std::fill(broken.end() - static_cast<std::ptrdiff_t>(jpeg.size()), broken.end(), 0x55);
    Store other;
    MemoryStream brokenIn(broken);
    CTiffReader brokenReader(brokenIn.stream, other.tags);
    ASSERT_EQ(0, Cause(brokenReader.LoadTags()));
    EXPECT_EQ(0, brokenReader.GetThumbnailCount());
    EXPECT_TRUE(grey == LoadIndex(pipeline, brokenReader, 0).bytes);
}

// ---- Update with new thumbnails --------------------------------------------------------

// Rows of 12-bit samples packed two samples to three bytes, a row padded to a whole pair.
std::vector<uint8_t> PackedRow(const uint16_t* samples, uint32_t width)
{
    std::vector<uint8_t> out;
    for (uint32_t x = 0; x < width; x += 2) {
        const uint16_t a = samples[x], b = x + 1 < width ? samples[x + 1] : 0;
        out.push_back(static_cast<uint8_t>(a >> 4));
        out.push_back(static_cast<uint8_t>((a & 15) << 4 | b >> 8));
        out.push_back(static_cast<uint8_t>(b));
    }
    return out;
}

// Samples packed as one run, two to three bytes; a last sample alone takes two.
std::vector<uint8_t> PackedRun(const std::vector<uint16_t>& samples)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < samples.size(); i += 2) {
        const uint16_t a = samples[i], b = i + 1 < samples.size() ? samples[i + 1] : 0;
        out.push_back(static_cast<uint8_t>(a >> 4));
        out.push_back(static_cast<uint8_t>((a & 15) << 4 | b >> 8));
        if (i + 1 < samples.size())
            out.push_back(static_cast<uint8_t>(b));
    }
    return out;
}

// The rows as a file keeps them: two fields (even rows, then odd rows) for
// colour space 66, else in order.
std::vector<std::vector<uint16_t>> FileRows(const Image& image)
{
    const std::vector<uint16_t> samples = Samples(image);
    std::vector<std::vector<uint16_t>> rows;
    const bool fields = image.colorSpace == 66;
    for (int32_t parity : {0, 1})
        for (int32_t r = fields ? parity : parity * image.height; r < image.height; r += fields ? 2 : 1)
            rows.emplace_back(samples.begin() + static_cast<ptrdiff_t>(r) * image.width,
                              samples.begin() + static_cast<ptrdiff_t>(r + 1) * image.width);
    return rows;
}

TEST(TiffUpdate, ANewMosaicThumbnailIsWrittenInTwoFieldsAndAGreyOneIsRefused)
{
    Pipeline pipeline;
    Store tags;
    SetCfaPattern(tags.tags, {5, 3, 1, 4});
    const Image main = MakeImage(66, 12, 8);
    const std::vector<uint8_t> file = Save(pipeline, tags.tags, kFormatRawTiff, main);
    ASSERT_FALSE(file.empty());
    struct Case {
        const char* what;
        int32_t colorSpace, width, height;
        int32_t error;
    };
    const Case cases[] = {
        {"height 5: rows 0, 2, 4, then 1, 3", 66, 6, 5, 0},
        {"odd width: the rows run on within a byte", 66, 7, 5, 0},
        {"odd width, one field ending half-way in a byte", 66, 3, 2, 0},
        {"even height", 66, 6, 4, 0},
        {"one row", 66, 5, 1, 0},
        {"a grey thumbnail", 2, 6, 5, kErrState},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store store;
        MemoryStream in(file);
        CTiffReader reader(in.stream, store.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        const Image thumbnail = MakeImage(c.colorSpace, c.width, c.height, 11);
        IVorlatImage* source = pipeline.ImageOf(thumbnail);
        IVorlatDataSource* sources[1] = {source};
        MemoryStream out(std::vector<uint8_t>(file.size() + 65536, 0), false);
        const int32_t error = Cause(reader.Update(out.stream, sources, 1));
        source->Destroy();
        ASSERT_EQ(c.error, error);
        if (error)
            continue;

        Store back;
        MemoryStream again(out.Written());
        CTiffReader check(again.stream, back.tags);
        ASSERT_EQ(0, Cause(check.LoadTags()));
        EXPECT_EQ(kFormatRawTiff, check.Format());
        int index = 0;
        while (index < 3 && check.ThumbnailRecord(index).colorSpace != 66)
            ++index;
        ASSERT_LT(index, 3);
        const TiffImageRecord& record = check.ThumbnailRecord(index);
        EXPECT_EQ(static_cast<uint32_t>(c.width), record.width);
        EXPECT_EQ(static_cast<uint32_t>(c.height), record.height);
        // The even rows in order, then the odd rows, as one run.
        std::vector<uint16_t> run;
        for (const std::vector<uint16_t>& row : FileRows(thumbnail))
            run.insert(run.end(), row.begin(), row.end());
        const std::vector<uint8_t> stored = PackedRun(run);
        ASSERT_EQ(1u, record.stripByteCounts.size());
        EXPECT_EQ(stored.size(), record.stripByteCounts[0]);
        ASSERT_LE(record.stripOffsets[0] + stored.size(), again.buffer.size());
        EXPECT_TRUE(std::equal(stored.begin(), stored.end(), again.buffer.begin() + record.stripOffsets[0]));
        EXPECT_TRUE(thumbnail.bytes == LoadIndex(pipeline, check, index + 1).bytes);
        // The main image is copied as stored.
        EXPECT_TRUE(main.bytes == LoadIndex(pipeline, check, 0).bytes);
    }
}

} // namespace

namespace {

// A stream over a test's bytes that offers no mapped memory, so that the
// reader reads every row through LoadToMemory.
class UnmappedStream : public IVorlatStream {
public:
    explicit UnmappedStream(IVorlatStream* inner) : inner_(inner) {}
    IVorlatError* OpenStream(bool read) override { return inner_->OpenStream(read); }
    void CloseStream() override { inner_->CloseStream(); }
    void Destroy() override {}
    const void* GetMappedMemory() const override { return nullptr; }
    IVorlatError* LoadToMemory(void* buffer, uint32_t bytes) override { return inner_->LoadToMemory(buffer, bytes); }
    IVorlatError* SaveFromMemory(const void* buffer, uint32_t bytes) override { return inner_->SaveFromMemory(buffer, bytes); }
    IVorlatError* Seek(int32_t offset, int origin) override { return inner_->Seek(offset, origin); }
    IVorlatError* Tell(int32_t* position) const override { return inner_->Tell(position); }
    IVorlatError* GetCreateTime(struct tm* out) const override { return inner_->GetCreateTime(out); }
    IVorlatError* GetFile(_VorlatFile* out) const override { return inner_->GetFile(out); }
    IVorlatError* GetSize(uint32_t* bytes) const override { return inner_->GetSize(bytes); }

private:
    IVorlatStream* inner_;
};

} // namespace

TEST(TiffReader, MappedAndUnmappedStreamsLoadTheSamePixels)
{
    // Rows of 120000 bytes make bands of a few rows, so that some bands lie in
    // one strip and some span two; the strips are stored last first (each band
    // that spans two is then read row by row), or in order (it is read in one
    // piece). Both byte orders of the samples are covered by the round trips;
    // here the rows need no conversion.
    const uint32_t width = 20000, height = 40, rowsPerStrip = 12;
    const Image image = MakeImage(33, width, height, 5);
    const uint32_t rowBytes = width * 6;
    const uint32_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    Pipeline pipeline;
    for (const bool lastFirst : {true, false}) {
        HandTiff t;
        const uint32_t ifd = t.AddIfd({{256, kTiffLong, 1, width},
                                       {257, kTiffLong, 1, height},
                                       {258, kTiffShort, 3, 0},
                                       {259, kTiffShort, 1, 1},
                                       {262, kTiffShort, 1, 2},
                                       {273, kTiffLong, strips, 0},
                                       {277, kTiffShort, 1, 3},
                                       {278, kTiffLong, 1, rowsPerStrip},
                                       {279, kTiffLong, strips, 0}});
        t.Set(ifd, 258, t.Append({16, 0, 16, 0, 16, 0}));
        std::vector<uint32_t> offsets(strips), counts(strips);
        for (uint32_t i = 0; i < strips; ++i) {
            const uint32_t s = lastFirst ? strips - 1 - i : i;
            const uint32_t first = s * rowsPerStrip, rows = std::min(rowsPerStrip, height - first);
            counts[s] = rows * rowBytes;
            offsets[s] = t.Append(std::vector<uint8_t>(image.bytes.begin() + static_cast<ptrdiff_t>(first) * rowBytes,
                                                       image.bytes.begin() + static_cast<ptrdiff_t>(first + rows) * rowBytes));
        }
        t.Set(ifd, 273, t.Append(Le32s(offsets)));
        t.Set(ifd, 279, t.Append(Le32s(counts)));

        for (const bool mapped : {true, false}) {
            for (const bool byTileRows : {false, true}) {
                SCOPED_TRACE(testing::Message() << (lastFirst ? "strips last first, " : "strips in order, ")
                                                << (mapped ? "mapped" : "unmapped") << (byTileRows ? ", tile rows last first" : ""));
                MemoryStream in(t.bytes);
                UnmappedStream unmapped(in.stream);
                IVorlatStream* stream = mapped ? in.stream : static_cast<IVorlatStream*>(&unmapped);
                ASSERT_EQ(mapped, stream->GetMappedMemory() != nullptr);
                Store tags;
                CTiffReader reader(stream, tags.tags);
                ASSERT_EQ(0, Cause(reader.LoadTags()));
                IVorlatImage* loaded = pipeline.NewImage();
                ASSERT_EQ(0, Cause(reader.BeginLoadImage(loaded)));
                uint32_t lastRow = height - 1;
                if (byTileRows) {
                    int32_t tile = 0;
                    ASSERT_EQ(0, Cause(loaded->GetTileSize(&tile)));
                    lastRow = std::min<uint32_t>(static_cast<uint32_t>(tile), height) - 1;
                    for (int32_t row = (static_cast<int32_t>(height) - 1) / tile; row >= 0; --row)
                        ASSERT_EQ(0, Cause(reader.LoadTileRow(row)));
                } else {
                    while (!reader.IsFinished())
                        ASSERT_EQ(0, Cause(reader.Execute()));
                }
                // The position is behind the last row read, either way.
                int32_t position = 0;
                ASSERT_EQ(0, Cause(stream->Tell(&position)));
                const uint32_t lastStrip = lastRow / rowsPerStrip;
                EXPECT_EQ(offsets[lastStrip] + (lastRow - lastStrip * rowsPerStrip + 1) * rowBytes, static_cast<uint32_t>(position));
                const Image back = Pipeline::ImageFrom(loaded);
                loaded->Destroy();
                EXPECT_EQ(33, back.colorSpace);
                EXPECT_TRUE(back.bytes == image.bytes);
            }
        }
    }
}

// Rows that keep each pixel in place are read a band at a time in one piece;
// partial tiles at the right and bottom, swapped samples, an unmapped stream
// and tile rows asked for last first give the same pixels, and every tile is
// marked written, as the loader's on-demand reading expects.
TEST(TiffReader, BandsOfRowsInPlaceLoadEveryTile)
{
    struct Case {
        int32_t colorSpace;
        int32_t width, height;
    };
    const Case cases[] = {{2, 300, 260}, {3, 131, 97}, {32, 75, 150}, {33, 130, 121}, {34, 64, 64}, {33, 1, 200}};
    Pipeline pipeline;
    for (const Case& c : cases)
        for (const bool bigEndian : {false, true}) {
            const Image image = MakeImage(c.colorSpace, c.width, c.height, static_cast<uint32_t>(c.width));
            IVorlatImage* source = pipeline.ImageOf(image);
            Store tags;
            MemoryStream out(std::vector<uint8_t>(image.bytes.size() + 65536, 0), false);
            CTiffWriter writer(out.stream, tags.tags, kFormatTiff, 0, bigEndian);
            ASSERT_EQ(0, Cause(writer.BeginSave(source, nullptr, 0)));
            while (!writer.IsFinished())
                ASSERT_EQ(0, Cause(writer.Execute()));
            source->Destroy();
            const std::vector<uint8_t> file = out.Written();
            for (const bool mapped : {true, false})
                for (const bool byTileRows : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "colour space " << c.colorSpace << " " << c.width << "x" << c.height
                                                    << (bigEndian ? " MM" : " II") << (mapped ? " mapped" : " unmapped")
                                                    << (byTileRows ? " tile rows last first" : ""));
                    MemoryStream in(file);
                    UnmappedStream unmapped(in.stream);
                    IVorlatStream* stream = mapped ? in.stream : static_cast<IVorlatStream*>(&unmapped);
                    Store back;
                    CTiffReader reader(stream, back.tags);
                    ASSERT_EQ(0, Cause(reader.LoadTags()));
                    IVorlatImage* loaded = pipeline.NewImage();
                    ASSERT_EQ(0, Cause(reader.BeginLoadImage(loaded)));
                    int32_t tile = 0;
                    ASSERT_EQ(0, Cause(loaded->GetTileSize(&tile)));
                    ASSERT_GT(tile, 0);
                    const int32_t tileRows = (c.height + tile - 1) / tile, tileColumns = (c.width + tile - 1) / tile;
                    if (byTileRows) {
                        for (int32_t row = tileRows - 1; row >= 0; --row)
                            ASSERT_EQ(0, Cause(reader.LoadTileRow(row)));
                    } else {
                        int steps = 0;
                        for (; !reader.IsFinished(); ++steps)
                            ASSERT_EQ(0, Cause(reader.Execute()));
                        EXPECT_GE(steps, tileRows);
                    }
                    for (int32_t row = 0; row < tileRows; ++row)
                        for (int32_t column = 0; column < tileColumns; ++column) {
                            IVorlatTile* t = nullptr;
                            ASSERT_EQ(0, Cause(loaded->GetTile(&t, column, row)));
                            EXPECT_TRUE(t->IsDirty()) << column << ", " << row;
                        }
                    const Image back2 = Pipeline::ImageFrom(loaded);
                    loaded->Destroy();
                    EXPECT_TRUE(back2.bytes == image.bytes);
                }
        }
}

// Mosaic rows of odd width run on within a byte, so that the data is the
// size its width, height and twelve bits give; files whose rows were
// rounded up to whole pairs load as well.
TEST(TiffRawRows, OddWidthsRunOnWithinAByteAndBothLayoutsLoad)
{
    struct Case {
        int32_t colorSpace;
        int32_t width, height;
    };
    const Case cases[] = {
        {64, 451, 4}, {64, 451, 3},  {64, 1, 3},  {64, 5, 7},   {64, 451, 150},  // several bands
        {66, 451, 3}, {66, 5, 2},    {66, 5, 5},  {66, 7, 1},   {66, 451, 131},  {66, 8, 6},
    };
    Pipeline pipeline;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "colour space " << c.colorSpace << " " << c.width << "x" << c.height);
        const std::vector<uint8_t> cfa = c.colorSpace == 66 ? std::vector<uint8_t>{5, 3, 1, 4} : std::vector<uint8_t>{0, 1, 1, 2};
        const Image image = MakeImage(c.colorSpace, c.width, c.height, static_cast<uint32_t>(c.width + c.height));
        std::vector<uint16_t> run;
        std::vector<uint8_t> pairs;  // each row rounded up to a whole pair
        for (const std::vector<uint16_t>& row : FileRows(image)) {
            run.insert(run.end(), row.begin(), row.end());
            const std::vector<uint8_t> packed = PackedRow(row.data(), static_cast<uint32_t>(c.width));
            pairs.insert(pairs.end(), packed.begin(), packed.end());
        }
        const std::vector<uint8_t> expected = PackedRun(run);
        ASSERT_EQ((3ull * c.width * c.height + 1) / 2, expected.size());

        Store tags;
        SetCfaPattern(tags.tags, cfa);
        const std::vector<uint8_t> file = Save(pipeline, tags.tags, kFormatRawTiff, image);
        ASSERT_FALSE(file.empty());
        {
            Store read;
            MemoryStream in(file);
            CTiffReader reader(in.stream, read.tags);
            ASSERT_EQ(0, Cause(reader.LoadTags()));
            const TiffImageRecord& record = reader.MainRecord();
            ASSERT_EQ(1u, record.stripByteCounts.size());
            EXPECT_EQ(expected.size(), record.stripByteCounts[0]);
            ASSERT_LE(record.stripOffsets[0] + expected.size(), file.size());
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin() + record.stripOffsets[0]));
        }
        Store back;
        Loaded loaded = Load(pipeline, file, back.tags);
        ASSERT_EQ(0, loaded.error);
        EXPECT_TRUE(image.bytes == loaded.image.bytes);

        // The older layout.
        Store old;
        TiffImageRecord record;
        record.width = static_cast<uint32_t>(c.width);
        record.height = static_cast<uint32_t>(c.height);
        // One sub-IFD; the pattern makes the fields.
        record.colorSpace = 64;
        record.bitsPerSample[0] = 12;
        const std::vector<uint8_t> older = MosaicFile(old.tags, record, pairs, false, cfa);
        Store olderBack;
        loaded = Load(pipeline, older, olderBack.tags);
        ASSERT_EQ(0, loaded.error);
        EXPECT_TRUE(image.bytes == loaded.image.bytes);
    }
}
