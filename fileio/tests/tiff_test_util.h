// Helpers of the TIFF tests: pipeline images of any layout from bytes and
// back, saving and loading through the saver and the loader, and a raw file
// with compressed mosaic data built from the directory codecs.
#pragma once

#include "fileio/tests/scratch_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "fileio/VorlatLoad.h"
#include "fileio/jpeg_encoder.h"
#include "fileio/tests/fileio_fixture.h"
#include "fileio/tests/raw_test_encoder.h"
#include "fileio/tiff/raw_sub_ifd.h"
#include "fileio/tiff/tiff_reader.h"

namespace tiff_test {

using fileio_test::Cause;

inline int32_t BytesPerPixel(int32_t colorSpace) { return IVorlatDataSource::GetBitsPerPixel(colorSpace) / 8; }

struct Image {
    int32_t width = 0, height = 0, colorSpace = 0;
    std::vector<uint8_t> bytes;  // rows packed, top first
};

class Pipeline {
public:
    explicit Pipeline(int32_t tileBytes = 16384)
    {
        _VorlatFile file = {};
        const std::string path = fileio_test::ScratchPageFile("tiff_pages_" + std::to_string(tileBytes));
        std::strncpy(file.path, path.c_str(), sizeof(file.path) - 1);
        EXPECT_EQ(0, Cause(IVorlatManager::CreateManager(&manager_, file, 256 << 20, tileBytes, 0)));
    }
    ~Pipeline() { manager_->Destroy(); }
    IVorlatManager* Manager() const { return manager_; }

    IVorlatImage* NewImage()
    {
        IVorlatImage* image = nullptr;
        EXPECT_EQ(0, Cause(manager_->CreateImage(&image, 0)));
        return image;
    }
    IVorlatImage* ImageOf(const Image& p)
    {
        IVorlatImage* image = NewImage();
        EXPECT_EQ(0, Cause(image->SetColorSpace(p.colorSpace)));
        EXPECT_EQ(0, Cause(image->SetSize(p.width, p.height)));
        const RECT rect = {0, 0, p.width, p.height};
        EXPECT_EQ(0, Cause(image->SetData(const_cast<uint8_t*>(p.bytes.data()), p.width * BytesPerPixel(p.colorSpace), rect)));
        return image;
    }
    static Image ImageFrom(IVorlatImage* image)
    {
        Image p;
        EXPECT_EQ(0, Cause(image->GetSize(&p.width, &p.height)));
        EXPECT_EQ(0, Cause(image->GetColorSpace(&p.colorSpace)));
        p.bytes.assign(static_cast<size_t>(p.width) * p.height * BytesPerPixel(p.colorSpace), 0);
        if (!p.bytes.empty()) {
            const RECT rect = {0, 0, p.width, p.height};
            EXPECT_EQ(0, Cause(image->GetData(p.bytes.data(), p.width * BytesPerPixel(p.colorSpace), rect)));
        }
        return p;
    }

private:
    IVorlatManager* manager_ = nullptr;
};

// Samples that differ from pixel to pixel and channel to channel; mosaics keep 12 bits.
inline Image MakeImage(int32_t colorSpace, int32_t width, int32_t height, uint32_t seed = 1)
{
    Image p{width, height, colorSpace, {}};
    p.bytes.resize(static_cast<size_t>(width) * height * BytesPerPixel(colorSpace));
    uint32_t state = seed * 2654435761u + 7;
    const bool mosaic = colorSpace >= 64 && colorSpace <= 66;
    const bool wide = colorSpace == 3 || colorSpace == 33 || colorSpace == 36 || mosaic;
    if (wide) {
        for (size_t i = 0; i + 1 < p.bytes.size(); i += 2) {
            state = state * 1664525u + 1013904223u;
            uint16_t v = static_cast<uint16_t>(state >> 16);
            if (mosaic)
                v &= 0xFFF;
            std::memcpy(&p.bytes[i], &v, 2);
        }
    } else {
        for (uint8_t& b : p.bytes) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(state >> 24);
        }
    }
    return p;
}

// The CFA pattern a raw file needs, in the Exif form: repeat 2 x 2, then the colours.
inline void SetCfaPattern(IVorlatTagControl* tags, std::vector<uint8_t> colours)
{
    std::vector<uint8_t> value = {0, 2, 0, 2};
    value.insert(value.end(), colours.begin(), colours.end());
    EXPECT_EQ(0, Cause(tags->AddTag(0xA302)));
    EXPECT_EQ(0, Cause(tags->SetTagValue(0xA302, kTagTypeBytes, static_cast<uint32_t>(value.size()), value.data(), 0)));
}

// Saves through the saver; the bytes written, or empty on failure (error set).
inline std::vector<uint8_t> Save(Pipeline& pipeline, IVorlatTagControl* tags, int32_t format, const Image& main,
                                 const std::vector<Image>& thumbnails = {}, int32_t* error = nullptr)
{
    fileio_test::MemoryStream out(std::vector<uint8_t>(main.bytes.size() * 2 + 65536 + 8 * main.width, 0), false);
    out.stream->CloseStream();  // the saver opens it
    IVorlatImage* image = pipeline.ImageOf(main);
    std::vector<IVorlatImage*> thumbs;
    std::vector<IVorlatDataSource*> sources;
    for (const Image& t : thumbnails) {
        thumbs.push_back(pipeline.ImageOf(t));
        sources.push_back(thumbs.back());
    }
    IVorlatSave* save = nullptr;
    EXPECT_EQ(0, Cause(IVorlatSave::CreateSave(&save)));
    int32_t failure = Cause(save->AttachStream(out.stream, tags, format, 0));
    if (!failure)
        failure = Cause(save->BeginSave(image, sources.data(), static_cast<uint32_t>(sources.size())));
    for (int steps = 0; !failure && !save->IsFinished() && steps < 100000; ++steps)
        failure = Cause(save->Execute());
    std::vector<uint8_t> written;
    if (!failure)
        written = out.Written();
    save->DetachStream();
    out.stream->OpenStream(true);  // the fixture closes it again
    save->Destroy();
    image->Destroy();
    for (IVorlatImage* t : thumbs)
        t->Destroy();
    if (error)
        *error = failure;
    return written;
}

struct Loaded {
    int32_t error = 0;
    int32_t format = 0;
    int32_t thumbnails = 0;
    Image image;
};

// A complete JPEG stream of the image from the library's encoder, at the
// quality level the writers give thumbnails.
inline std::vector<uint8_t> EncodeJpeg(Pipeline& pipeline, const Image& image)
{
    fileio_test::MemoryStream out(std::vector<uint8_t>(image.bytes.size() * 2 + 4096, 0), false);
    IVorlatImage* source = pipeline.ImageOf(image);
    quarnite::CJpegEncoder encoder(out.stream);
    EXPECT_EQ(0, Cause(encoder.WriteStartOfImage()));
    EXPECT_EQ(0, Cause(encoder.Begin(source, 1)));
    while (!encoder.IsFinished())
        EXPECT_EQ(0, Cause(encoder.Execute()));
    source->Destroy();
    return out.Written();
}

// What the reader loads as image `index` (0 the main image, 1 to 3 the thumbnails).
inline Image LoadIndex(Pipeline& pipeline, quarnite::CTiffReader& reader, int32_t index, int32_t* error = nullptr)
{
    IVorlatImage* image = pipeline.NewImage();
    const int32_t failure = Cause(reader.LoadThumbnail(index, image));
    Image loaded;
    if (!failure)
        loaded = Pipeline::ImageFrom(image);
    image->Destroy();
    if (error)
        *error = failure;
    else
        EXPECT_EQ(0, failure) << "image " << index;
    return loaded;
}

inline std::vector<uint16_t> Samples(const Image& image)
{
    std::vector<uint16_t> samples(image.bytes.size() / 2);
    std::memcpy(samples.data(), image.bytes.data(), samples.size() * 2);
    return samples;
}

// Loads the main image through the loader (BeginLoadImage with factor n, then Execute).
inline Loaded Load(Pipeline& pipeline, const std::vector<uint8_t>& file, IVorlatTagControl* tags, uint32_t n = 1)
{
    Loaded result;
    fileio_test::MemoryStream in(file);
    in.stream->CloseStream();
    IVorlatLoad* load = nullptr;
    EXPECT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    result.error = Cause(load->AttachStream(in.stream, tags, 0, 0));
    if (!result.error)
        result.error = Cause(load->LoadTags());
    IVorlatImage* image = pipeline.NewImage();
    if (!result.error) {
        IVorlatStorage::tagStrFileInfo info{};
        EXPECT_EQ(0, Cause(load->GetFileInformation(&info)));
        result.format = info.format;
        result.thumbnails = info.thumbnails;
        result.error = Cause(n == 1 ? load->BeginLoadImage(image) : load->BeginLoadImage(image, n));
    }
    for (int steps = 0; !result.error && !load->IsFinished() && steps < 1000000; ++steps)
        result.error = Cause(load->Execute());
    if (!result.error)
        result.image = Pipeline::ImageFrom(image);
    image->Destroy();
    load->DetachStream();
    in.stream->OpenStream(true);
    load->Destroy();
    return result;
}

// A raw file (format 0x100000, one sub-IFD) whose mosaic `record` describes
// and `data` holds as stored, with the maker note written from the store (which
// gets a maker tag of its own, so that the note is never empty).
inline std::vector<uint8_t> MosaicFile(IVorlatTagControl* tags, quarnite::TiffImageRecord& record,
                                       const std::vector<uint8_t>& data, bool bigEndian = false,
                                       std::vector<uint8_t> cfa = {0, 1, 1, 2})
{
    using namespace quarnite;
    fileio_test::MemoryStream out(std::vector<uint8_t>(data.size() + 65536, 0), false);
    IVorlatStream* s = out.stream;
    uint8_t first[8] = {uint8_t(bigEndian ? 'M' : 'I'), uint8_t(bigEndian ? 'M' : 'I'), uint8_t(bigEndian ? 0 : 42),
                        uint8_t(bigEndian ? 42 : 0), 0, 0, 0, 0};
    first[bigEndian ? 7 : 4] = 8;
    EXPECT_EQ(0, Cause(s->SaveFromMemory(first, 8)));
    const char make[] = "KORVA";
    EXPECT_EQ(0, Cause(tags->AddTag(0x10F)));
    EXPECT_EQ(0, Cause(tags->SetTagValue(0x10F, kTagTypeText, sizeof make, make, 0)));
    SetCfaPattern(tags, cfa);
    // A maker note of the parameters alone is not written: give it a tag of its own.
    const uint8_t settings[4] = {1, 2, 3, 4};
    EXPECT_EQ(0, Cause(tags->AddTag(0x80E01)));
    EXPECT_EQ(0, Cause(tags->SetTagValue(0x80E01, kTagTypeBytes, 4, settings, 0)));

    record.samplesPerPixel = 1;
    record.photometric = 32803;
    MainIfdCodec main;
    main.Attach(tags, s, bigEndian);
    main.format = 0x100000;
    EXPECT_EQ(0, Cause(main.WriteIfd(0, 1, &record)));
    // IFD 0 describes the same data as the sub-IFD.
    const uint32_t ifd0[2] = {record.stripOffsetPosition, record.stripByteCountPosition};
    ExifIfdCodec exif;
    exif.Attach(tags, s, bigEndian);
    exif.format = 0x100000;
    exif.exifIfdOffset = main.exifPointerPosition;
    EXPECT_EQ(0, Cause(exif.WriteIfd(record.width, record.height)));
    GpsIfdCodec gps;
    gps.Attach(tags, s, bigEndian);
    gps.gpsIfdOffset = main.gpsPointerPosition;
    if (gps.gpsIfdOffset) {
        EXPECT_EQ(0, Cause(gps.WriteIfd()));
    }
    MakerNoteCodec maker;
    maker.Attach(tags, s, bigEndian);
    maker.makerNotePosition = exif.makerNoteEntryPosition;
    EXPECT_EQ(0, Cause(maker.WriteMakerNote(false, &record)));
    IfdCodec sub;
    sub.Attach(tags, s, bigEndian);
    EXPECT_EQ(0, Cause(WriteRawSubIfd(sub, &record, 8, main.subIfdPositions[0])));
    int32_t at = 0;
    EXPECT_EQ(0, Cause(s->Tell(&at)));
    EXPECT_EQ(0, Cause(s->SaveFromMemory(data.data(), static_cast<uint32_t>(data.size()))));
    IfdCursor cursor;
    cursor.stream = s;
    cursor.swap = bigEndian;
    for (const uint32_t offsetAt : {ifd0[0], record.stripOffsetPosition}) {
        EXPECT_EQ(0, Cause(cursor.Seek(offsetAt, false)));
        EXPECT_EQ(0, Cause(cursor.WriteU32(static_cast<uint32_t>(at))));
    }
    for (const uint32_t countAt : {ifd0[1], record.stripByteCountPosition}) {
        EXPECT_EQ(0, Cause(cursor.Seek(countAt, false)));
        EXPECT_EQ(0, Cause(cursor.WriteU32(static_cast<uint32_t>(data.size()))));
    }
    EXPECT_EQ(0, Cause(s->Seek(at + static_cast<int32_t>(data.size()), 0)));
    return out.Written();
}

// A raw file whose mosaic (colour space 64, `values` as curve indices) is
// stored in the compressed form, with its parameters in the maker note.
inline std::vector<uint8_t> CompressedRawFile(IVorlatTagControl* tags, uint32_t width, uint32_t height,
                                              const std::vector<uint16_t>& values,
                                              const quarnite::CompressedRawParameters& parameters, bool bigEndian = false,
                                              size_t keepData = SIZE_MAX)
{
    using namespace quarnite;
    std::vector<uint8_t> data = fileio_test::EncodeCompressedRaw(values, width, height, parameters.predictors);
    if (keepData < data.size())
        data.resize(keepData);
    TiffImageRecord record;
    record.width = width;
    record.height = height;
    record.bitsPerSample[0] = 12;
    record.compression = 34713;
    record.colorSpace = 64;
    record.compressedRaw.reset(new CompressedRawParameters(parameters));
    return MosaicFile(tags, record, data, bigEndian);
}

} // namespace tiff_test
