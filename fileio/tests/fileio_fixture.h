// Helpers shared by the file library's tests: stores, memory streams and a
// small TIFF structure written and read through the directory codecs.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"
#include "fileio/meta/exif_ifd.h"
#include "fileio/meta/gps_ifd.h"
#include "fileio/meta/maker_note.h"
#include "fileio/tiff/main_ifd.h"

namespace fileio_test {

// The deepest value of a chain (its first cause), destroying the chain; 0 for success.
inline int32_t Cause(IVorlatError* err)
{
    if (!err)
        return 0;
    int32_t value = err->GetDeepestValue();
    err->Destroy();
    return value;
}

struct Store {
    IVorlatTagControl* tags = nullptr;
    Store() { EXPECT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags))); }
    ~Store() { tags->Destroy(); }
    IVorlatTagControl* operator->() const { return tags; }

    void SetText(TagId id, const std::string& text)
    {
        ASSERT_EQ(0, Cause(tags->AddTag(id)));
        ASSERT_EQ(0, Cause(tags->SetTagValue(id, kTagTypeText, static_cast<uint32_t>(text.size() + 1), text.c_str(), 0)));
    }
    void SetLongs(TagId id, std::vector<uint32_t> values)
    {
        ASSERT_EQ(0, Cause(tags->AddTag(id)));
        ASSERT_EQ(0, Cause(tags->SetTagValue(id, kTagTypeLongs, static_cast<uint32_t>(4 * values.size()), values.data(), 0)));
    }
    void SetDoubles(TagId id, std::vector<double> values)
    {
        ASSERT_EQ(0, Cause(tags->AddTag(id)));
        ASSERT_EQ(0, Cause(tags->SetTagValue(id, kTagTypeDoubles, static_cast<uint32_t>(8 * values.size()), values.data(), 0)));
    }
    void SetBytes(TagId id, uint32_t type, std::vector<uint8_t> bytes, uint32_t group = 0)
    {
        if (group == 0)
            ASSERT_EQ(0, Cause(tags->AddTag(id)));
        else
            ASSERT_EQ(0, Cause(tags->AddUkTag(id, type, group)));
        ASSERT_EQ(0, Cause(tags->SetTagValue(id, type, static_cast<uint32_t>(bytes.size()), bytes.data(), group)));
    }
    std::string Text(TagId id, uint32_t group = 0) const
    {
        std::vector<char> out(tags->GetTagSize(id, group) + 1, 0);
        EXPECT_EQ(0, Cause(tags->GetTagValue(id, tags->GetTagType(id, group), tags->GetTagSize(id, group), out.data(), group)));
        return std::string(out.data());
    }
    std::vector<uint8_t> Bytes(TagId id, uint32_t group = 0) const
    {
        std::vector<uint8_t> out(tags->GetTagSize(id, group));
        EXPECT_EQ(0, Cause(tags->GetTagValue(id, tags->GetTagType(id, group), static_cast<uint32_t>(out.size()), out.data(), group)));
        return out;
    }
    std::vector<uint32_t> Longs(TagId id) const
    {
        std::vector<uint32_t> out(tags->GetTagSize(id, 0) / 4);
        EXPECT_EQ(0, Cause(tags->GetTagValue(id, tags->GetTagType(id, 0), 4 * static_cast<uint32_t>(out.size()), out.data(), 0)));
        return out;
    }
    std::vector<double> Doubles(TagId id) const
    {
        std::vector<double> out(tags->GetTagSize(id, 0) / 8);
        EXPECT_EQ(0, Cause(tags->GetTagValue(id, kTagTypeDoubles, 8 * static_cast<uint32_t>(out.size()), out.data(), 0)));
        return out;
    }
};

// A memory stream over a buffer the test owns.
struct MemoryStream {
    std::vector<uint8_t> buffer;
    IVorlatMemoryStream* stream = nullptr;
    explicit MemoryStream(std::vector<uint8_t> bytes, bool read = true) : buffer(std::move(bytes))
    {
        EXPECT_EQ(0, Cause(IVorlatMemoryStream::CreateMemoryStream(&stream)));
        stream->SetMemory(buffer.data(), static_cast<uint32_t>(buffer.size()));
        EXPECT_EQ(0, Cause(stream->OpenStream(read)));
    }
    ~MemoryStream()
    {
        stream->CloseStream();
        stream->Destroy();
    }
    // The bytes written so far.
    std::vector<uint8_t> Written() const
    {
        int32_t at = 0;
        EXPECT_EQ(0, Cause(stream->Tell(&at)));
        return std::vector<uint8_t>(buffer.begin(), buffer.begin() + at);
    }
};

struct TiffWriteOptions {
    bool bigEndian = false;
    uint32_t format = 0x1;
    bool makerNote = false;
    const quarnite::TiffImageRecord* makerRecord = nullptr;
};

// A 4 x 2 image of 8-bit grey in one strip, with IFD 0, Exif, GPS and (when
// asked) the maker note written from the store.
inline std::vector<uint8_t> WriteTiff(IVorlatTagControl* tags, const TiffWriteOptions& options = {})
{
    using namespace quarnite;
    MemoryStream out(std::vector<uint8_t>(1 << 20, 0), false);
    IVorlatStream* s = out.stream;
    const uint8_t header[8] = {static_cast<uint8_t>(options.bigEndian ? 'M' : 'I'),
                               static_cast<uint8_t>(options.bigEndian ? 'M' : 'I'),
                               static_cast<uint8_t>(options.bigEndian ? 0 : 42),
                               static_cast<uint8_t>(options.bigEndian ? 42 : 0),
                               0, 0, 0, 0};
    uint8_t headerCopy[8];
    std::memcpy(headerCopy, header, 8);
    if (options.bigEndian) headerCopy[7] = 8; else headerCopy[4] = 8;
    EXPECT_EQ(0, Cause(s->SaveFromMemory(headerCopy, 8)));

    TiffImageRecord record;
    record.width = 4;
    record.height = 2;
    record.samplesPerPixel = 1;
    record.bitsPerSample[0] = 8;
    record.photometric = 1;
    record.resolution = 300.0;
    record.colorSpace = 2;
    MainIfdCodec main;
    main.Attach(tags, s, options.bigEndian);
    main.format = options.format;
    EXPECT_EQ(0, Cause(main.WriteIfd(0, 1, &record)));
    ExifIfdCodec exif;
    exif.Attach(tags, s, options.bigEndian);
    exif.format = options.format;
    exif.exifIfdOffset = main.exifPointerPosition;
    EXPECT_EQ(0, Cause(exif.WriteIfd(4, 2)));
    if (options.makerNote) {
        MakerNoteCodec maker;
        maker.Attach(tags, s, options.bigEndian);
        maker.makerNotePosition = exif.makerNoteEntryPosition;
        EXPECT_EQ(0, Cause(maker.WriteMakerNote(false, options.makerRecord)));
    }
    GpsIfdCodec gps;
    gps.Attach(tags, s, options.bigEndian);
    gps.gpsIfdOffset = main.gpsPointerPosition;
    EXPECT_EQ(0, Cause(gps.WriteIfd()));
    // The strip, and the placeholders that point at it.
    int32_t at = 0;
    EXPECT_EQ(0, Cause(s->Tell(&at)));
    const uint8_t pixels[8] = {0, 40, 80, 120, 160, 200, 240, 255};
    EXPECT_EQ(0, Cause(s->SaveFromMemory(pixels, 8)));
    IfdCursor cursor;
    cursor.stream = s;
    cursor.swap = options.bigEndian;
    EXPECT_EQ(0, Cause(cursor.Seek(record.stripOffsetPosition, false)));
    EXPECT_EQ(0, Cause(cursor.WriteU32(static_cast<uint32_t>(at))));
    EXPECT_EQ(0, Cause(cursor.Seek(record.stripByteCountPosition, false)));
    EXPECT_EQ(0, Cause(cursor.WriteU32(8)));
    EXPECT_EQ(0, Cause(s->Seek(at + 8, 0)));
    return out.Written();
}

struct TiffReadResult {
    quarnite::TiffImageRecord main;
    uint32_t width = 0, height = 0;
    int32_t mainError = 0, exifError = 0, gpsError = 0;
};

// Reads IFD 0, Exif, maker note (dropped on failure) and GPS into the store.
inline TiffReadResult ReadTiff(const std::vector<uint8_t>& bytes, IVorlatTagControl* tags)
{
    using namespace quarnite;
    TiffReadResult result;
    MemoryStream in(bytes);
    bool swap = bytes.size() > 1 && bytes[0] == 'M';
    MainIfdCodec main;
    main.Attach(tags, in.stream, swap);
    uint32_t first = 0;
    EXPECT_EQ(0, Cause(main.cursor.Seek(4, false)));
    EXPECT_EQ(0, Cause(main.cursor.ReadU32(&first)));
    result.mainError = Cause(main.ReadIfd(first, &result.main, 1));
    ExifIfdCodec exif;
    exif.Attach(tags, in.stream, swap);
    exif.exifIfdOffset = main.exifOffset;
    result.exifError = Cause(exif.ReadIfd(&result.width, &result.height));
    if (exif.makerNoteOffset) {
        MakerNoteCodec maker;
        maker.Attach(tags, in.stream, swap);
        maker.makerNotePosition = exif.makerNoteOffset;
        TiffImageRecord next;
        EXPECT_EQ(0, Cause(ReadMakerNoteForImage(maker, exif.makerNoteCount, &result.main, &next)));
    }
    GpsIfdCodec gps;
    gps.Attach(tags, in.stream, swap);
    gps.gpsIfdOffset = main.gpsOffset;
    result.gpsError = Cause(gps.ReadIfd());
    return result;
}

} // namespace fileio_test
