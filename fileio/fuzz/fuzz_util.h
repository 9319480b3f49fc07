// What the fuzz targets share: a tag store, memory streams over the input,
// and the directory reading and writing sequence of a TIFF structure.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"
#include "fileio/meta/exif_ifd.h"
#include "fileio/meta/gps_ifd.h"
#include "fileio/meta/maker_note.h"
#include "fileio/tiff/main_ifd.h"

namespace quarnite_fuzz {

// Every failure is an expected answer to a malformed input; only crashes,
// sanitizer reports and hangs are findings.
inline void Drop(IVorlatError* err)
{
    if (err)
        err->Destroy();
}

struct Store {
    IVorlatTagControl* tags = nullptr;
    Store() { Drop(IVorlatTagControl::CreateTagControl(&tags)); }
    ~Store() { tags->Destroy(); }
};

struct Memory {
    std::vector<uint8_t> bytes;
    std::unique_ptr<uint8_t[]> room;  // for writing: not cleared, which costs more than the rest
    IVorlatMemoryStream* stream = nullptr;
    Memory(std::vector<uint8_t> buffer, bool read) : bytes(std::move(buffer))
    {
        Drop(IVorlatMemoryStream::CreateMemoryStream(&stream));
        Drop(stream->SetMemory(bytes.data(), static_cast<uint32_t>(bytes.size())));
        Drop(stream->OpenStream(read));
    }
    explicit Memory(size_t size) : room(new uint8_t[size])
    {
        Drop(IVorlatMemoryStream::CreateMemoryStream(&stream));
        Drop(stream->SetMemory(room.get(), static_cast<uint32_t>(size)));
        Drop(stream->OpenStream(false));
    }
    ~Memory()
    {
        stream->CloseStream();
        stream->Destroy();
    }
};

// IFD 0, Exif, the maker note, GPS and the next IFD, as the TIFF reader walks them.
inline void ReadTiffStructure(IVorlatStream* stream, IVorlatTagControl* tags, quarnite::TiffImageRecord* main,
                              quarnite::TiffImageRecord* next)
{
    using namespace quarnite;
    uint8_t head[8];
    if (IVorlatError* err = stream->LoadToMemory(head, 8)) {
        err->Destroy();
        return;
    }
    const bool swap = head[0] == 'M';
    MainIfdCodec ifd;
    ifd.Attach(tags, stream, swap);
    const uint32_t first = ifd.cursor.Order32(static_cast<uint32_t>(head[4]) | static_cast<uint32_t>(head[5]) << 8 |
                                              static_cast<uint32_t>(head[6]) << 16 | static_cast<uint32_t>(head[7]) << 24);
    Drop(ifd.ReadIfd(first, main, 1));
    Drop(DerivePixelType(main));
    ExifIfdCodec exif;
    exif.Attach(tags, stream, swap);
    exif.exifIfdOffset = ifd.exifOffset;
    uint32_t width = 0, height = 0;
    Drop(exif.ReadIfd(&width, &height));
    if (exif.makerNoteOffset) {
        MakerNoteCodec maker;
        maker.Attach(tags, stream, swap);
        maker.makerNotePosition = exif.makerNoteOffset;
        Drop(ReadMakerNoteForImage(maker, exif.makerNoteCount, main, next));
    }
    GpsIfdCodec gps;
    gps.Attach(tags, stream, swap);
    gps.gpsIfdOffset = ifd.gpsOffset;
    Drop(gps.ReadIfd());
    if (ifd.nextIfdOffset) {
        MainIfdCodec second;
        second.Attach(tags, stream, swap);
        Drop(second.ReadIfd(ifd.nextIfdOffset, next, 1));
    }
}

// The directories written back from the store, as a writer of `format` does.
inline void WriteTiffStructure(IVorlatTagControl* tags, quarnite::TiffImageRecord* record, bool big, uint32_t format,
                               size_t room)
{
    using namespace quarnite;
    Memory out(room);
    IVorlatStream* s = out.stream;
    const uint8_t header[8] = {uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I'), uint8_t(big ? 0 : 42),
                               uint8_t(big ? 42 : 0), 0, 0, 0, 0};
    if (IVorlatError* err = s->SaveFromMemory(header, 8)) {
        err->Destroy();
        return;
    }
    MainIfdCodec ifd;
    ifd.Attach(tags, s, big);
    ifd.format = format;
    if (IVorlatError* err = ifd.WriteIfd(0, 1, record)) {
        err->Destroy();
        return;
    }
    ExifIfdCodec exif;
    exif.Attach(tags, s, big);
    exif.format = format;
    exif.exifIfdOffset = ifd.exifPointerPosition;
    if (IVorlatError* err = exif.WriteIfd(record->width, record->height)) {
        err->Destroy();
        return;
    }
    MakerNoteCodec maker;
    maker.Attach(tags, s, big);
    maker.makerNotePosition = exif.makerNoteEntryPosition;
    Drop(maker.WriteMakerNote(false, record));
    GpsIfdCodec gps;
    gps.Attach(tags, s, big);
    gps.gpsIfdOffset = ifd.gpsPointerPosition;
    Drop(gps.WriteIfd());
}

} // namespace quarnite_fuzz
