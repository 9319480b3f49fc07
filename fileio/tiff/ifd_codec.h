// The base of every codec of a TIFF-structured directory: the 12-byte entry,
// byte order, the inline-or-offset rule, conversion between TIFF field types
// and the tag store's value forms, and the out-of-line data of a writer.
#pragma once

#include <cstdint>
#include <vector>

#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"

namespace quarnite {

enum TiffType : uint16_t {
    kTiffByte = 1,
    kTiffAscii = 2,
    kTiffShort = 3,
    kTiffLong = 4,
    kTiffRational = 5,
    kTiffSByte = 6,
    kTiffUndefined = 7,
    kTiffSShort = 8,
    kTiffSLong = 9,
    kTiffSRational = 10,
};

// Bytes of one value of a field type; 0 for a type outside 1..10.
uint32_t TiffTypeSize(uint32_t type);

// The stream position as the codec last set it, and the byte order.
struct IfdCursor {
    uint32_t position = 0;
    bool swap = false;
    IVorlatStream* stream = nullptr;
    uint32_t streamSize = 0xFFFFFFFFu;  // what reads are checked against

    uint16_t Order16(uint16_t value) const;
    uint32_t Order32(uint32_t value) const;

    IVorlatError* ReadU16(uint16_t* value);
    IVorlatError* ReadU32(uint32_t* value);
    IVorlatError* ReadBytes(void* buffer, uint32_t bytes);
    IVorlatError* WriteU16(uint16_t value);
    IVorlatError* WriteU32(uint32_t value);
    IVorlatError* WriteBytes(const void* buffer, uint32_t bytes);
    IVorlatError* Seek(int64_t offset, bool relative);
    // Takes the stream's own position into the cursor.
    IVorlatError* Sync();
    // True when [offset, offset + bytes) lies inside the stream.
    bool Fits(uint64_t offset, uint64_t bytes) const { return offset + bytes <= streamSize; }
};

// An entry after its tag number: type, count and the raw value field.
struct IfdEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    uint8_t field[4] = {};
    uint32_t end = 0;  // stream offset just behind the 12-byte entry

    uint64_t ByteSize() const { return static_cast<uint64_t>(count) * TiffTypeSize(type); }
};

class IfdCodec {
public:
    virtual ~IfdCodec() = default;
    // Maps an offset read from an entry to a stream offset.
    virtual void TranslateOffset(uint32_t* offset) { (void)offset; }

    void Attach(IVorlatTagControl* tags, IVorlatStream* stream, bool swap);
    IVorlatTagControl* Tags() const { return tags_; }

    // ---- Reading: the caller has read the tag number; the stream stands at
    // the entry's type field. Each leaves the stream behind the entry.
    IVorlatError* ReadEntry(uint16_t tag, IfdEntry* entry);
    IVorlatError* SkipEntryRest();
    // The entry's value bytes in file order: inline, or at the (translated) offset.
    IVorlatError* ReadValueBytes(const IfdEntry& entry, uint64_t bytes, bool translate,
                                 std::vector<uint8_t>* out);
    uint32_t FieldU32(const IfdEntry& entry) const;
    uint16_t FieldU16(const IfdEntry& entry, int index) const;

    IVorlatError* ReadIntegerArray(uint32_t* values, uint32_t capacity, uint32_t* count);
    IVorlatError* ReadShortArray(uint16_t* values, uint32_t capacity, uint32_t* count);
    IVorlatError* ReadRationalArray(double* values, uint32_t capacity, uint32_t* count);
    IVorlatError* ReadByteBlock(std::vector<uint8_t>* bytes);
    // A tag the store knows, stored in group 0 under storeType.
    IVorlatError* ReadEntryToStore(TagId tag, uint32_t storeType);
    // The same for an entry already read by ReadEntry; `translate` passes
    // offsets through TranslateOffset and `signExtend` widens SSHORT as signed.
    IVorlatError* StoreEntry(TagId tag, uint32_t storeType, const IfdEntry& entry, bool translate,
                             bool signExtend);
    // A tag the store does not know, kept with its own field type.
    IVorlatError* ReadUnknownEntryToStore(TagId tag, uint32_t group);

    // ---- Writing: the IFD's writer sets nextDataOffset and positions the
    // stream at the first entry.
    IVorlatError* WriteEntry(uint16_t tag, uint16_t type, uint32_t count, const void* values);
    IVorlatError* WriteTagEntry(TagId tag, uint16_t type);
    IVorlatError* WriteUnknownTagEntry(TagId tag, uint32_t group);
    // An entry whose value bytes are already in file order (no element swapping).
    IVorlatError* WriteRawEntry(uint16_t tag, uint16_t type, uint32_t count, const void* bytes, uint32_t size);
    // Writes the collected out-of-line values and releases them.
    IVorlatError* FlushData();
    // Appends raw bytes to the out-of-line area; returns their offset.
    IVorlatError* AppendData(const void* bytes, uint32_t size, bool pad, uint32_t* offset);

    IfdCursor cursor;
    uint32_t nextDataOffset = 0;

protected:
    std::vector<uint8_t> data_;
    IVorlatTagControl* tags_ = nullptr;
};

// ---- Value helpers ---------------------------------------------------------

// Each value as numerator, denominator (two 32-bit words per value); an
// infinity as +-1/0 and NaN as 0/0, out-of-range values saturated.
void DoublesToRationals(const double* values, uint32_t* pairs, uint32_t count, bool isSigned);
// TIFF orientation 1..8 for a mirror flag and a rotation in degrees.
int OrientationFromAngle(bool mirror, double angle);
// Flip and rotation of a TIFF orientation (anything unknown: neither).
void AngleFromOrientation(uint32_t orientation, bool* mirror, double* angle);
// The hue of two old models is stored in another scale; values about to be
// written for 0x80092 are turned back into the file's scale.
void AdjustLegacyModelValue(const IVorlatTagControl* tags, TagId tag, void* values, uint32_t bytes);
// True when the store's Model names one of the models whose hue is rescaled.
bool IsLegacyHueModel(const IVorlatTagControl* tags, IVorlatError** error);
// A signed rational as a 16-bit triple (1, numerator, denominator), reduced and
// approximated when it does not fit; false for a zero denominator.
bool RationalToTriple(int64_t numerator, int64_t denominator, int16_t triple[3]);

} // namespace quarnite
