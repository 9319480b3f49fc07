// The maker's private directory inside the Exif MakerNote entry, read into and
// written from namespace 8 of the tag store (id 0x80000 | tag number); tags it
// does not know go to group 3 under their bare numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "fileio/tiff/ifd_codec.h"
#include "fileio/tiff/tiff_image_record.h"

namespace quarnite {

enum MakerNoteKind : uint16_t {
    kMakerNoteUnreadable = 0,
    kMakerNoteLegacy = 1,   // older compact cameras: short header, little-endian
    kMakerNoteBare = 2,     // an IFD without header; offsets calibrated
    kMakerNoteTiff = 3,     // "Korva" header with an embedded TIFF header
    kMakerNoteUnknownVersion = 0x1000,
};

class MakerNoteCodec : public IfdCodec {
public:
    void TranslateOffset(uint32_t* offset) override;

    // Reads the maker note at makerNotePosition (0: nothing). The records are
    // the reader's main image and its next free image slot.
    IVorlatError* ReadMakerNote(TiffImageRecord* main, TiffImageRecord* next);
    // Removes what a failed read left behind.
    IVorlatError* ClearMakerNoteTags();
    uint32_t MakerNoteOffsetBase(bool which) const;
    // Writes at the stream position; makerNotePosition is the count field of
    // the Exif MakerNote entry, which is filled in at the end.
    IVorlatError* WriteMakerNote(bool writePreviewPointer, const TiffImageRecord* record);

    uint32_t makerNotePosition = 0;
    uint32_t previewPointer = 0;
    uint32_t filmPointer = 0;
    char version[4] = {};
    uint16_t kind = 0;
    bool manualFocus = false;
    uint32_t ifdEnd = 0;
    int32_t offsetDelta = 0;
    bool calibrationPending = true;

private:
    IVorlatError* ReadHeader(TiffImageRecord* next);
    IVorlatError* ReadTag(const IfdEntry& entry, TiffImageRecord* main);
    IVorlatError* WriteRaw();
    // The writer of one table id, or none when the id is not to be written.
    std::function<IVorlatError*()> PlanTag(TagId id, bool writePreviewPointer, const TiffImageRecord* record,
                                           bool* placeholder);

    // Value rules (maker_note_values.cpp).
    IVorlatError* ReadWord(const IfdEntry& entry);
    IVorlatError* WriteWord(TagId id);
    IVorlatError* ReadIsoPair(const IfdEntry& entry);
    IVorlatError* ReadTriple(const IfdEntry& entry);
    IVorlatError* ReadFlagByte(const IfdEntry& entry);
    IVorlatError* WriteFlagByte(TagId id);
    IVorlatError* ReadFocusPosition(const IfdEntry& entry);
    IVorlatError* ReadLensRange(const IfdEntry& entry);
    IVorlatError* ReadDistance(const IfdEntry& entry);
    IVorlatError* WriteDistance();
    IVorlatError* ReadHue(const IfdEntry& entry);
    IVorlatError* ReadWordBlock(const IfdEntry& entry);
    IVorlatError* WriteWordBlock();
    IVorlatError* ReadCurve(const IfdEntry& entry, TiffImageRecord* main);
    IVorlatError* WriteCurve();
    IVorlatError* ReadCompressedRaw(const IfdEntry& entry, TiffImageRecord* main);
    IVorlatError* WriteCompressedRaw(const CompressedRawParameters& parameters);
    IVorlatError* ReadColorBalance(const IfdEntry& entry);
    IVorlatError* WriteColorBalance();
    IVorlatError* ReadValueOrSkip(const IfdEntry& entry, uint32_t size, std::vector<uint8_t>* bytes, bool* skipped);
    IVorlatError* ReadWhole(const IfdEntry& entry, TagId id, uint32_t type);
    // A stored value of exactly `size` bytes into `out`; false when absent or of another size.
    bool Fetch(TagId id, uint32_t size, void* out) const;
};

// What the image's reader does around ReadMakerNote: a failed read drops its
// error and its tags (a broken maker note never fails an image), and a maker
// note of an unknown version is kept whole as tag 0x927C.
IVorlatError* ReadMakerNoteForImage(MakerNoteCodec& codec, uint32_t count, TiffImageRecord* main,
                                    TiffImageRecord* next);

// Compressed-raw parameters in the file's layout without the 2-byte version;
// false when the bytes do not hold them.
bool ParseCompressedRaw(const uint8_t* bytes, size_t size, bool swap, CompressedRawParameters* out);

} // namespace quarnite
