#include "fileio/meta/iptc_codec.h"

#include <cstring>

#include "fileio/quarnite_error.h"

namespace quarnite {
namespace {

void Put16(uint8_t* p, uint16_t v, bool swap)
{
    if (swap)
        v = static_cast<uint16_t>(v << 8 | v >> 8);
    std::memcpy(p, &v, 2);
}

void Put32(uint8_t* p, uint32_t v, bool swap)
{
    if (swap)
        v = v >> 24 | (v >> 8 & 0xFF00u) | (v << 8 & 0xFF0000u) | v << 24;
    std::memcpy(p, &v, 4);
}

void PutBig16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

void PutBig32(uint8_t* p, uint32_t v)
{
    PutBig16(p, v >> 16);
    PutBig16(p + 2, v);
}

// Where the 37 numbers of the PrintIM record lie among the block's entries.
struct PrintImEntry {
    uint16_t id;
    uint8_t first;   // first record number
    uint8_t count;   // numbers; more than one stand at `offset`
    uint16_t offset;
};
constexpr PrintImEntry kPrintImEntries[13] = {
    {1, 0, 1, 0},    {2, 1, 1, 0},    {3, 2, 18, 94}, {7, 20, 1, 0},  {8, 21, 1, 0},
    {9, 22, 1, 0},   {10, 23, 1, 0},  {11, 24, 6, 166}, {12, 30, 1, 0}, {13, 31, 1, 0},
    {14, 32, 3, 190}, {256, 35, 1, 0}, {257, 36, 1, 0},
};
} // namespace

IVorlatError* GetIptcBlock(const IVorlatTagControl* tags, std::vector<uint8_t>* block)
{
    constexpr int32_t kSourceId = kSrcIptcStore;
    block->clear();
    if (!tags || !tags->IsExist(kTagIptc, 0))
        return nullptr;
    TagItemRequest request{1, 0, nullptr};
    if (IVorlatError* err = tags->GetTagValue(kTagIptc, kTagTypeIptc, sizeof request, &request, 0))
        return QZ_WRAP(err);
    if (!TryResize(*block, request.size))
        return QZ_FAIL(kErrAllocation);
    if (request.size == 0)
        return nullptr;
    request.data = block->data();
    return QZ_WRAP(tags->GetTagValue(kTagIptc, kTagTypeIptc, sizeof request, &request, 0));
}

IVorlatError* WriteIptcEntry(IfdCodec& codec)
{
    constexpr int32_t kSourceId = kSrcExifIfd;
    std::vector<uint8_t> block;
    if (IVorlatError* err = GetIptcBlock(codec.Tags(), &block))
        return QZ_WRAP(err);
    uint64_t padded = (block.size() + 3) / 4 * 4;
    if (!TryResize(block, padded))
        return QZ_FAIL(kErrAllocation);
    // The block's bytes go out as they are, whatever the file's byte order.
    return QZ_WRAP(codec.WriteRawEntry(static_cast<uint16_t>(kTagIptc), kTiffLong, static_cast<uint32_t>(padded / 4),
                                       block.data(), static_cast<uint32_t>(padded)));
}

IVorlatError* ReadIptcEntry(IfdCodec& codec, const IfdEntry& entry)
{
    constexpr int32_t kSourceId = kSrcExifIfd;
    if (entry.type != kTiffLong)
        return nullptr;
    std::vector<uint8_t> block;
    if (IVorlatError* err = codec.ReadValueBytes(entry, static_cast<uint64_t>(entry.count) * 4, true, &block)) {
        if (!ChainHas(err, kErrReadPastEnd))
            return err;
        err->Destroy();
        return QZ_WRAP(codec.cursor.Seek(entry.end, false));
    }
    IVorlatTagControl* tags = codec.Tags();
    if (IVorlatError* err = tags->AddTag(kTagIptc))
        return QZ_WRAP(err);
    TagItemRequest request{1, static_cast<uint32_t>(block.size()), block.data()};
    return QZ_WRAP(tags->SetTagValue(kTagIptc, kTagTypeIptc, sizeof request, &request, 0));
}

IVorlatError* WritePhotoshopSegment(IVorlatStream* stream, const IVorlatTagControl* tags)
{
    constexpr int32_t kSourceId = kSrcJpegWriter;
    std::vector<uint8_t> block;
    if (IVorlatError* err = GetIptcBlock(tags, &block))
        return QZ_WRAP(err);
    if (block.empty())
        return nullptr;
    const uint64_t odd = block.size() & 1;
    const uint64_t segmentLength = block.size() + 28 + odd;
    // The length field has 16 bits: a larger record cannot travel in one segment.
    if (segmentLength > 0xFFFF)
        return QZ_FAIL(kErrBadArgument);
    uint8_t header[30] = {0xFF, 0xED};
    PutBig16(header + 2, static_cast<uint32_t>(segmentLength));
    std::memcpy(header + 4, "Photoshop 3.0", 14);
    std::memcpy(header + 18, "8BIM", 4);
    PutBig16(header + 22, 0x0404);
    PutBig32(header + 26, static_cast<uint32_t>(block.size()));
    if (IVorlatError* err = stream->SaveFromMemory(header, sizeof header))
        return QZ_WRAP(err);
    if (IVorlatError* err = stream->SaveFromMemory(block.data(), static_cast<uint32_t>(block.size())))
        return QZ_WRAP(err);
    const uint8_t pad = 0;
    return odd ? QZ_WRAP(stream->SaveFromMemory(&pad, 1)) : nullptr;
}

bool ReadPhotoshopResource(const uint8_t* block, uint32_t size, uint32_t at, PhotoshopResource* resource)
{
    if (at > size || size - at < 7 || std::memcmp(block + at, "8BIM", 4) != 0)
        return false;
    const uint64_t name = block[at + 6] % 2 == 0 ? block[at + 6] + 2u : block[at + 6] + 1u;
    const uint64_t sizeAt = static_cast<uint64_t>(at) + 6 + name;
    if (sizeAt + 4 > size)
        return false;
    const uint8_t* p = block + sizeAt;
    const uint32_t dataSize = static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                              static_cast<uint32_t>(p[2]) << 8 | p[3];
    const uint64_t dataEnd = sizeAt + 4 + dataSize;
    if (dataEnd > size)
        return false;
    resource->id = static_cast<uint32_t>(block[at + 4]) << 8 | block[at + 5];
    resource->sizeAt = static_cast<uint32_t>(sizeAt);
    resource->dataSize = dataSize;
    // Some writers leave the pad byte off the last resource.
    resource->end = static_cast<uint32_t>(dataEnd + (dataSize % 2 != 0 && dataEnd < size ? 1 : 0));
    return true;
}

IVorlatError* BuildPrintImBlock(const IVorlatTagControl* tags, bool swap, std::vector<uint8_t>* block)
{
    constexpr int32_t kSourceId = kSrcPrintIm;
    uint32_t record[kPrintImRecordSize / 4] = {};
    TagItemRequest request{1, kPrintImRecordSize, record};
    if (IVorlatError* err = tags->GetTagValue(kTagPrintIm, kTagTypeBlock, sizeof request, &request, 0))
        return QZ_WRAP(err);
    if (!TryResize(*block, kPrintImBlockSize))
        return QZ_FAIL(kErrAllocation);
    uint8_t* out = block->data();
    std::memset(out, 0, kPrintImBlockSize);
    std::memcpy(out, "PrintIM", 8);
    std::memcpy(out + 8, "0100", 4);
    Put16(out + 14, 13, swap);
    for (int i = 0; i < 13; ++i) {
        const PrintImEntry& e = kPrintImEntries[i];
        uint8_t* at = out + 16 + 6 * i;
        Put16(at, e.id, swap);
        if (e.count == 1) {
            Put32(at + 2, record[e.first], swap);
            continue;
        }
        Put32(at + 2, e.offset, swap);
        for (int k = 0; k < e.count; ++k)
            Put32(out + e.offset + 4 * k, record[e.first + k], swap);
    }
    return nullptr;
}

IVorlatError* ReadPrintImBlock(IfdCodec& codec, uint32_t offset, uint32_t length)
{
    constexpr int32_t kSourceId = kSrcPrintIm;
    IfdCursor& cursor = codec.cursor;
    if (length < 16 || !cursor.Fits(offset, length))
        return nullptr;
    std::vector<uint8_t> block;
    if (!TryResize(block, length))
        return QZ_FAIL(kErrAllocation);
    const uint32_t back = cursor.position;
    if (IVorlatError* err = cursor.Seek(offset, false))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.ReadBytes(block.data(), length))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.Seek(back, false))
        return QZ_WRAP(err);
    if (std::memcmp(block.data(), "PrintIM", 8) != 0)
        return nullptr;

    auto get16 = [&](uint32_t at) { uint16_t v; std::memcpy(&v, &block[at], 2); return cursor.Order16(v); };
    auto get32 = [&](uint32_t at) { uint32_t v; std::memcpy(&v, &block[at], 4); return cursor.Order32(v); };
    uint32_t record[kPrintImRecordSize / 4] = {};
    const uint32_t entries = get16(14);
    // The walk stays inside the block, whatever its entry count says.
    for (uint32_t i = 0; i < entries && 16 + 6ull * i + 6 <= length; ++i) {
        const uint32_t at = 16 + 6 * i;
        const uint16_t id = get16(at);
        const uint32_t value = get32(at + 2);
        for (const PrintImEntry& e : kPrintImEntries) {
            if (e.id != id)
                continue;
            if (e.count == 1) {
                record[e.first] = value;
            } else if (static_cast<uint64_t>(value) + 4ull * e.count <= length) {
                for (int k = 0; k < e.count; ++k)
                    record[e.first + k] = get32(value + 4 * k);
            }
        }
    }
    IVorlatTagControl* tags = codec.Tags();
    if (IVorlatError* err = tags->AddTag(kTagPrintIm))
        return QZ_WRAP(err);
    TagItemRequest request{1, kPrintImRecordSize, record};
    return QZ_WRAP(tags->SetTagValue(kTagPrintIm, kTagTypeBlock, sizeof request, &request, 0));
}

} // namespace quarnite
