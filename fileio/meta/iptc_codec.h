// The IPTC record inside a TIFF directory and inside a JPEG APP13 segment, and
// the PrintIM block of the maker note.
#pragma once

#include <cstdint>
#include <vector>

#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"
#include "fileio/tiff/ifd_codec.h"

namespace quarnite {

constexpr TagId kTagIptc = 0x83BB;
constexpr uint32_t kPrintImBlockSize = 202;
constexpr uint32_t kPrintImRecordSize = 148;  // 37 numbers

// The raw IPTC block of tag 33723 (empty when the store has none).
IVorlatError* GetIptcBlock(const IVorlatTagControl* tags, std::vector<uint8_t>* block);

// Entry 33723 as LONG, the block padded with zeros to whole 4-byte units.
IVorlatError* WriteIptcEntry(IfdCodec& codec);
// The entry after ReadEntry; anything but LONG is passed over.
IVorlatError* ReadIptcEntry(IfdCodec& codec, const IfdEntry& entry);

// The Photoshop APP13 segment carrying the IPTC block as resource 0x0404;
// nothing when the store holds no IPTC data.
IVorlatError* WritePhotoshopSegment(IVorlatStream* stream, const IVorlatTagControl* tags);

constexpr uint32_t kPhotoshopIptcResource = 0x0404;

// One resource of a Photoshop resource block: "8BIM", the id, a name padded
// with its length byte to an even size, the data size (4 bytes, big-endian)
// and the data, padded to an even size. Offsets count from the block's start.
struct PhotoshopResource {
    uint32_t id = 0;
    uint32_t sizeAt = 0;  // the size field; the data follows it
    uint32_t dataSize = 0;
    uint32_t end = 0;     // behind the data and its pad byte
};
// The resource at `at` of block[0, size); false when no whole resource stands there.
bool ReadPhotoshopResource(const uint8_t* block, uint32_t size, uint32_t at, PhotoshopResource* resource);

// The 202-byte PrintIM block from the record of tag 0x80E00, in the codec's byte order.
IVorlatError* BuildPrintImBlock(const IVorlatTagControl* tags, bool swap, std::vector<uint8_t>* block);
// Reads a block of `length` bytes at `offset` into tag 0x80E00; a block that is
// not PrintIM is passed over.
IVorlatError* ReadPrintImBlock(IfdCodec& codec, uint32_t offset, uint32_t length);

} // namespace quarnite
