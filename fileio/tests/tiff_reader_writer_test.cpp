// TIFF and raw files written by the saver and read back by the loader, the
// compressed raw form, the writer's layouts and the malformed files the
// reader must refuse.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

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

} // namespace
