#include "fileio/tiff/ifd_codec.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "fileio/quarnite_error.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcIfdEntry;

uint16_t Swap16(uint16_t v) { return static_cast<uint16_t>(v << 8 | v >> 8); }
uint32_t Swap32(uint32_t v) { return v >> 24 | (v >> 8 & 0xFF00u) | (v << 8 & 0xFF0000u) | v << 24; }

uint16_t Load16(const uint8_t* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }
uint32_t Load32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

bool IsByteType(uint32_t type) { return type == kTiffByte || type == kTiffAscii || type == kTiffSByte || type == kTiffUndefined; }

// Puts every element of a value block into the other byte order, in place.
void SwapElements(uint8_t* bytes, uint64_t size, uint32_t type)
{
    uint32_t width = TiffTypeSize(type);
    if (type == kTiffRational || type == kTiffSRational)
        width = 4;
    if (width == 2)
        for (uint64_t i = 0; i + 2 <= size; i += 2)
            Store16(bytes + i, Swap16(Load16(bytes + i)));
    else if (width == 4)
        for (uint64_t i = 0; i + 4 <= size; i += 4)
            Store32(bytes + i, Swap32(Load32(bytes + i)));
}

bool EqualsNoCase(const char* text, size_t size, const char* word)
{
    size_t length = strnlen(text, size);
    if (length != std::strlen(word))
        return false;
    for (size_t i = 0; i < length; ++i) {
        char a = text[i], b = word[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
        if (a != b)
            return false;
    }
    return true;
}
} // namespace

uint32_t TiffTypeSize(uint32_t type)
{
    switch (type) {
    case kTiffByte: case kTiffAscii: case kTiffSByte: case kTiffUndefined: return 1;
    case kTiffShort: case kTiffSShort: return 2;
    case kTiffLong: case kTiffSLong: return 4;
    case kTiffRational: case kTiffSRational: return 8;
    default: return 0;
    }
}

// ---- Cursor -------------------------------------------------------------------

uint16_t IfdCursor::Order16(uint16_t value) const { return swap ? Swap16(value) : value; }
uint32_t IfdCursor::Order32(uint32_t value) const { return swap ? Swap32(value) : value; }

IVorlatError* IfdCursor::ReadU16(uint16_t* value)
{
    uint16_t raw = 0;
    if (IVorlatError* err = ReadBytes(&raw, 2))
        return err;
    *value = Order16(raw);
    return nullptr;
}

IVorlatError* IfdCursor::ReadU32(uint32_t* value)
{
    uint32_t raw = 0;
    if (IVorlatError* err = ReadBytes(&raw, 4))
        return err;
    *value = Order32(raw);
    return nullptr;
}

IVorlatError* IfdCursor::ReadBytes(void* buffer, uint32_t bytes)
{
    if (IVorlatError* err = stream->LoadToMemory(buffer, bytes))
        return QZ_WRAP(err);
    position += bytes;
    return nullptr;
}

IVorlatError* IfdCursor::WriteU16(uint16_t value)
{
    uint16_t raw = Order16(value);
    return WriteBytes(&raw, 2);
}

IVorlatError* IfdCursor::WriteU32(uint32_t value)
{
    uint32_t raw = Order32(value);
    return WriteBytes(&raw, 4);
}

IVorlatError* IfdCursor::WriteBytes(const void* buffer, uint32_t bytes)
{
    if (IVorlatError* err = stream->SaveFromMemory(buffer, bytes))
        return QZ_WRAP(err);
    position += bytes;
    return nullptr;
}

IVorlatError* IfdCursor::Seek(int64_t offset, bool relative)
{
    int64_t target = relative ? static_cast<int64_t>(position) + offset : offset;
    if (target < 0 || target > INT32_MAX)
        return QZ_FAIL(kErrSeek);
    if (IVorlatError* err = stream->Seek(static_cast<int32_t>(target), 0))
        return QZ_WRAP(err);
    position = static_cast<uint32_t>(target);
    return nullptr;
}

IVorlatError* IfdCursor::Sync()
{
    int32_t at = 0;
    if (IVorlatError* err = stream->Tell(&at))
        return QZ_WRAP(err);
    position = static_cast<uint32_t>(at);
    return nullptr;
}

// ---- Reading ------------------------------------------------------------------

void IfdCodec::Attach(IVorlatTagControl* tags, IVorlatStream* stream, bool swap)
{
    tags_ = tags;
    cursor.stream = stream;
    cursor.swap = swap;
    uint32_t size = 0;
    IVorlatError* err = stream ? stream->GetSize(&size) : nullptr;
    cursor.streamSize = stream && !err ? size : 0xFFFFFFFFu;
    if (err)
        err->Destroy();
    if (stream)
        if (IVorlatError* tell = cursor.Sync())
            tell->Destroy();
}

uint32_t IfdCodec::FieldU32(const IfdEntry& entry) const { return cursor.Order32(Load32(entry.field)); }

uint16_t IfdCodec::FieldU16(const IfdEntry& entry, int index) const
{
    return cursor.Order16(Load16(entry.field + 2 * index));
}

IVorlatError* IfdCodec::ReadEntry(uint16_t tag, IfdEntry* entry)
{
    entry->tag = tag;
    if (IVorlatError* err = cursor.ReadU16(&entry->type))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.ReadU32(&entry->count))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.ReadBytes(entry->field, 4))
        return QZ_WRAP(err);
    entry->end = cursor.position;
    return nullptr;
}

IVorlatError* IfdCodec::SkipEntryRest() { return QZ_WRAP(cursor.Seek(10, true)); }

IVorlatError* IfdCodec::ReadValueBytes(const IfdEntry& entry, uint64_t bytes, bool translate,
                                       std::vector<uint8_t>* out)
{
    if (bytes <= 4) {
        if (!TryResize(*out, bytes))
            return QZ_FAIL(kErrAllocation);
        if (bytes)
            std::memcpy(out->data(), entry.field, static_cast<size_t>(bytes));
        return nullptr;
    }
    uint32_t offset = FieldU32(entry);
    if (translate)
        TranslateOffset(&offset);
    // Nothing read from the file is trusted: the value must lie inside the stream.
    if (!cursor.Fits(offset, bytes))
        return QZ_FAIL(kErrReadPastEnd);
    if (!TryResize(*out, bytes))
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = cursor.Seek(offset, false))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.ReadBytes(out->data(), static_cast<uint32_t>(bytes)))
        return QZ_WRAP(err);
    return QZ_WRAP(cursor.Seek(entry.end, false));
}

IVorlatError* IfdCodec::ReadIntegerArray(uint32_t* values, uint32_t capacity, uint32_t* count)
{
    IfdEntry entry;
    if (IVorlatError* err = ReadEntry(0, &entry))
        return err;
    if (entry.type != kTiffShort && entry.type != kTiffLong)
        return QZ_FAIL(kErrWrongEntryType);
    if (entry.count > capacity)
        return QZ_FAIL(kErrBadArgument);
    std::vector<uint8_t> bytes;
    if (IVorlatError* err = ReadValueBytes(entry, entry.ByteSize(), true, &bytes))
        return err;
    for (uint32_t i = 0; i < entry.count; ++i)
        values[i] = entry.type == kTiffShort ? cursor.Order16(Load16(&bytes[2 * i])) : cursor.Order32(Load32(&bytes[4 * i]));
    if (count)
        *count = entry.count;
    return nullptr;
}

IVorlatError* IfdCodec::ReadShortArray(uint16_t* values, uint32_t capacity, uint32_t* count)
{
    IfdEntry entry;
    if (IVorlatError* err = ReadEntry(0, &entry))
        return err;
    if (entry.type != kTiffShort)
        return QZ_FAIL(kErrWrongEntryType);
    if (entry.count > capacity)
        return QZ_FAIL(kErrBadArgument);
    std::vector<uint8_t> bytes;
    if (IVorlatError* err = ReadValueBytes(entry, entry.ByteSize(), true, &bytes))
        return err;
    for (uint32_t i = 0; i < entry.count; ++i)
        values[i] = cursor.Order16(Load16(&bytes[2 * i]));
    if (count)
        *count = entry.count;
    return nullptr;
}

IVorlatError* IfdCodec::ReadRationalArray(double* values, uint32_t capacity, uint32_t* count)
{
    IfdEntry entry;
    if (count)
        *count = 0;
    if (IVorlatError* err = ReadEntry(0, &entry))
        return err;
    if ((entry.type != kTiffRational && entry.type != kTiffSRational) || entry.count > capacity)
        return nullptr;
    std::vector<uint8_t> bytes;
    if (IVorlatError* err = ReadValueBytes(entry, entry.ByteSize(), true, &bytes))
        return err;
    for (uint32_t i = 0; i < entry.count; ++i) {
        uint32_t num = cursor.Order32(Load32(&bytes[8 * i]));
        uint32_t den = cursor.Order32(Load32(&bytes[8 * i + 4]));
        if (den == 0)
            values[i] = 0.0;
        else if (entry.type == kTiffRational)
            values[i] = static_cast<double>(num) / den;
        else
            values[i] = static_cast<double>(static_cast<int32_t>(num)) / static_cast<int32_t>(den);
    }
    if (count)
        *count = entry.count;
    return nullptr;
}

IVorlatError* IfdCodec::ReadByteBlock(std::vector<uint8_t>* bytes)
{
    IfdEntry entry;
    if (IVorlatError* err = ReadEntry(0, &entry))
        return err;
    if (entry.type != kTiffAscii && entry.type != kTiffUndefined)
        return QZ_FAIL(kErrWrongEntryType);
    return ReadValueBytes(entry, entry.count, true, bytes);
}

IVorlatError* IfdCodec::ReadEntryToStore(TagId tag, uint32_t storeType)
{
    IfdEntry entry;
    if (IVorlatError* err = ReadEntry(static_cast<uint16_t>(tag), &entry))
        return err;
    return StoreEntry(tag, storeType, entry, false, false);
}

IVorlatError* IfdCodec::StoreEntry(TagId tag, uint32_t storeType, const IfdEntry& entry, bool translate,
                                   bool signExtend)
{
    const bool existed = tags_->IsExist(tag, 0);
    if (IVorlatError* err = tags_->AddTag(tag)) {
        if (!ChainHas(err, kErrUnknownTag))
            return QZ_WRAP(err);
        err->Destroy();
        return nullptr;
    }
    // A value that cannot be taken leaves no empty tag behind.
    auto skip = [&]() -> IVorlatError* {
        if (!existed)
            tags_->RemoveTag(tag, 0);
        return QZ_WRAP(cursor.Seek(entry.end, false));
    };

    const uint16_t type = entry.type;
    bool accepted = false;
    switch (storeType) {
    case kTagTypeBytes: case kTagTypeText:
        accepted = type == kTiffByte || type == kTiffAscii || type == kTiffUndefined || (tag == 0x83BB && type == kTiffLong);
        break;
    case kTagTypeLongs: accepted = type == kTiffShort || type == kTiffSShort || type == kTiffLong; break;
    case kTagTypeDoubles: case kTagTypeTriples: accepted = type == kTiffRational || type == kTiffSRational; break;
    default: break;
    }
    if (!accepted)
        return skip();

    std::vector<uint8_t> bytes;
    if (IVorlatError* err = ReadValueBytes(entry, entry.ByteSize(), translate, &bytes)) {
        if (!ChainHas(err, kErrReadPastEnd))
            return err;
        err->Destroy();
        return skip();
    }

    std::vector<uint8_t> value;
    switch (storeType) {
    case kTagTypeBytes: case kTagTypeText:
        value.swap(bytes);
        break;
    case kTagTypeLongs: {
        if (!TryResize(value, static_cast<uint64_t>(entry.count) * 4))
            return QZ_FAIL(kErrAllocation);
        for (uint32_t i = 0; i < entry.count; ++i) {
            uint32_t v;
            if (type == kTiffLong) {
                v = cursor.Order32(Load32(&bytes[4 * i]));
            } else {
                uint16_t s = cursor.Order16(Load16(&bytes[2 * i]));
                v = signExtend && type == kTiffSShort ? static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(s))) : s;
            }
            Store32(&value[4 * i], v);
        }
        break;
    }
    case kTagTypeDoubles:
    case kTagTypeTriples: {
        const uint64_t width = storeType == kTagTypeDoubles ? 8 : 6;
        if (!TryResize(value, entry.count * width))
            return QZ_FAIL(kErrAllocation);
        for (uint32_t i = 0; i < entry.count; ++i) {
            uint32_t num = cursor.Order32(Load32(&bytes[8 * i]));
            uint32_t den = cursor.Order32(Load32(&bytes[8 * i + 4]));
            // A zero denominator is no value at all.
            if (den == 0) {
                tags_->RemoveTag(tag, 0);
                return nullptr;
            }
            int64_t n = type == kTiffRational ? static_cast<int64_t>(num) : static_cast<int32_t>(num);
            int64_t d = type == kTiffRational ? static_cast<int64_t>(den) : static_cast<int32_t>(den);
            if (storeType == kTagTypeDoubles) {
                double v = static_cast<double>(n) / static_cast<double>(d);
                std::memcpy(&value[8 * i], &v, 8);
            } else {
                int16_t triple[3];
                RationalToTriple(n, d, triple);
                std::memcpy(&value[6 * i], triple, 6);
            }
        }
        break;
    }
    }
    if (IVorlatError* err = tags_->SetTagValue(tag, storeType, static_cast<uint32_t>(value.size()), value.data(), 0))
        return QZ_WRAP(err);
    return nullptr;
}

IVorlatError* IfdCodec::ReadUnknownEntryToStore(TagId tag, uint32_t group)
{
    IfdEntry entry;
    if (IVorlatError* err = ReadEntry(static_cast<uint16_t>(tag), &entry))
        return err;
    if (entry.count == 0)
        return nullptr;
    if (entry.type == 0 || entry.type == kTiffSByte || entry.type > kTiffSRational)
        return QZ_FAIL(kErrInvalidType);
    std::vector<uint8_t> bytes;
    bool translate = group >= 3 && group <= 5;
    if (IVorlatError* err = ReadValueBytes(entry, entry.ByteSize(), translate, &bytes)) {
        if (!ChainHas(err, kErrReadPastEnd))
            return err;
        // An unknown value that is not inside the file is skipped.
        err->Destroy();
        return QZ_WRAP(cursor.Seek(entry.end, false));
    }
    if (cursor.swap)
        SwapElements(bytes.data(), bytes.size(), entry.type);
    if (IVorlatError* err = tags_->AddUkTag(tag, entry.type, group))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(tag, entry.type, static_cast<uint32_t>(bytes.size()), bytes.data(), group));
}

// ---- Writing ------------------------------------------------------------------

IVorlatError* IfdCodec::AppendData(const void* bytes, uint32_t size, bool pad, uint32_t* offset)
{
    uint32_t padded = size + (pad && (size & 1) ? 1 : 0);
    if (static_cast<uint64_t>(nextDataOffset) + padded > 0xFFFFFFFFu)
        return QZ_FAIL(kErrBadArgument);
    size_t used = data_.size();
    if (used + padded > data_.capacity()) {
        try {
            data_.reserve(used + (padded > 512 ? padded : 512));
        } catch (const std::bad_alloc&) {
            return QZ_FAIL(kErrAllocation);
        }
    }
    data_.resize(used + padded, 0);
    if (size)
        std::memcpy(data_.data() + used, bytes, size);
    *offset = nextDataOffset;
    nextDataOffset += padded;
    return nullptr;
}

IVorlatError* IfdCodec::WriteEntry(uint16_t tag, uint16_t type, uint32_t count, const void* values)
{
    const bool rational = type == kTiffRational || type == kTiffSRational;
    if (!(type >= kTiffByte && type <= kTiffRational) && type != kTiffUndefined && type != kTiffSShort &&
        type != kTiffSRational)
        return QZ_FAIL(kErrState);
    const uint64_t size = static_cast<uint64_t>(count) * TiffTypeSize(type);
    if (size > 0x7FFFFFFFu)
        return QZ_FAIL(kErrBadArgument);

    // The value in file order; SHORT values come from 32-bit sources.
    std::vector<uint8_t> bytes;
    if (!TryResize(bytes, size < 4 ? 4 : size))
        return QZ_FAIL(kErrAllocation);
    const auto* in = static_cast<const uint8_t*>(values);
    if (IsByteType(type)) {
        if (size)
            std::memcpy(bytes.data(), in, static_cast<size_t>(size));
    } else if (type == kTiffShort || type == kTiffSShort) {
        for (uint32_t i = 0; i < count; ++i)
            Store16(&bytes[2 * i], cursor.Order16(static_cast<uint16_t>(Load32(in + 4 * i))));
    } else {
        for (uint64_t i = 0; i < size / 4; ++i)
            Store32(&bytes[4 * i], cursor.Order32(Load32(in + 4 * i)));
    }

    uint8_t raw[12];
    Store16(raw, cursor.Order16(tag));
    Store16(raw + 2, cursor.Order16(type));
    Store32(raw + 4, cursor.Order32(count));
    if (size <= 4 && !(rational && size)) {
        std::memcpy(raw + 8, bytes.data(), 4);
    } else {
        uint32_t offset = 0;
        if (IVorlatError* err = AppendData(bytes.data(), static_cast<uint32_t>(size), IsByteType(type), &offset))
            return err;
        Store32(raw + 8, cursor.Order32(offset));
    }
    return QZ_WRAP(cursor.WriteBytes(raw, 12));
}

IVorlatError* IfdCodec::WriteTagEntry(TagId tag, uint16_t type)
{
    if (!tags_ || !tags_->IsExist(tag, 0))
        return nullptr;
    const uint32_t size = tags_->GetTagSize(tag, 0);
    const uint32_t storeType = tags_->GetTagType(tag, 0);
    std::vector<uint8_t> value;
    if (!TryResize(value, size + 4ull))
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = tags_->GetTagValue(tag, storeType, size, value.data(), 0))
        return QZ_WRAP(err);
    const uint16_t number = static_cast<uint16_t>(tag);
    switch (type) {
    case kTiffByte: case kTiffAscii: case kTiffUndefined:
        return WriteEntry(number, type, size, value.data());
    case kTiffShort: case kTiffLong: case kTiffSShort:
        AdjustLegacyModelValue(tags_, tag, value.data(), size);
        return WriteEntry(number, type, size / 4, value.data());
    case kTiffRational: case kTiffSRational: {
        std::vector<uint32_t> pairs;
        if (storeType == kTagTypeDoubles) {
            uint32_t count = size / 8;
            if (!TryResize(pairs, 2ull * count + 1))
                return QZ_FAIL(kErrAllocation);
            std::vector<double> doubles(count);
            if (count)
                std::memcpy(doubles.data(), value.data(), 8ull * count);
            DoublesToRationals(doubles.data(), pairs.data(), count, type == kTiffSRational);
            return WriteEntry(number, type, count, pairs.data());
        }
        if (storeType == kTagTypeTriples) {
            uint32_t count = size / 6;
            if (!TryResize(pairs, 2ull * count + 1))
                return QZ_FAIL(kErrAllocation);
            for (uint32_t i = 0; i < count; ++i) {
                int16_t w[3];
                std::memcpy(w, &value[6 * i], 6);
                pairs[2 * i] = static_cast<uint32_t>(static_cast<int32_t>(w[0]) * w[1]);
                pairs[2 * i + 1] = static_cast<uint32_t>(static_cast<int32_t>(w[2]));
            }
            return WriteEntry(number, type, count, pairs.data());
        }
        return QZ_FAIL(kErrState);
    }
    default:
        return QZ_FAIL(kErrState);
    }
}

IVorlatError* IfdCodec::WriteUnknownTagEntry(TagId tag, uint32_t group)
{
    if (!tags_ || !tags_->IsExist(tag, group))
        return nullptr;
    const uint32_t type = tags_->GetTagType(tag, group);
    const uint32_t width = TiffTypeSize(type);
    if (width == 0 || type == kTiffSByte)
        return QZ_FAIL(kErrState);
    const uint32_t stored = tags_->GetTagSize(tag, group);
    std::vector<uint8_t> value;
    if (!TryResize(value, stored + 4ull))
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = tags_->GetTagValue(tag, type, stored, value.data(), group))
        return QZ_WRAP(err);
    const uint32_t count = stored / width;
    const uint32_t size = count * width;
    if (cursor.swap)
        SwapElements(value.data(), size, type);

    uint8_t raw[12] = {};
    Store16(raw, cursor.Order16(static_cast<uint16_t>(tag)));
    Store16(raw + 2, cursor.Order16(static_cast<uint16_t>(type)));
    Store32(raw + 4, cursor.Order32(count));
    if (size <= 4) {
        std::memcpy(raw + 8, value.data(), size);
    } else {
        uint32_t offset = 0;
        if (IVorlatError* err = AppendData(value.data(), size, true, &offset))
            return err;
        Store32(raw + 8, cursor.Order32(offset));
    }
    return QZ_WRAP(cursor.WriteBytes(raw, 12));
}

IVorlatError* IfdCodec::WriteRawEntry(uint16_t tag, uint16_t type, uint32_t count, const void* bytes, uint32_t size)
{
    uint8_t raw[12] = {};
    Store16(raw, cursor.Order16(tag));
    Store16(raw + 2, cursor.Order16(type));
    Store32(raw + 4, cursor.Order32(count));
    if (size <= 4) {
        if (size)
            std::memcpy(raw + 8, bytes, size);
    } else {
        uint32_t offset = 0;
        if (IVorlatError* err = AppendData(bytes, size, true, &offset))
            return err;
        Store32(raw + 8, cursor.Order32(offset));
    }
    return QZ_WRAP(cursor.WriteBytes(raw, 12));
}

IVorlatError* IfdCodec::FlushData()
{
    IVorlatError* err = data_.empty() ? nullptr : cursor.WriteBytes(data_.data(), static_cast<uint32_t>(data_.size()));
    std::vector<uint8_t>().swap(data_);
    return QZ_WRAP(err);
}

// ---- Value helpers --------------------------------------------------------------

void DoublesToRationals(const double* values, uint32_t* pairs, uint32_t count, bool isSigned)
{
    for (uint32_t i = 0; i < count; ++i) {
        const double v = values[i];
        double num = 0.0, den = 0.0;
        if (std::isnan(v)) {
            num = 0.0;  // 0/0, as a quotient 0 / 0 was read
        } else if (std::isinf(v)) {
            // A zero denominator, as the reader's division made it: +-1/0; an
            // unsigned field holds no negative value, so -inf is 0 like the others.
            num = v > 0.0 ? 1.0 : (isSigned ? -1.0 : 0.0);
            den = v > 0.0 || isSigned ? 0.0 : 1.0;
        } else if (!isSigned && v < 0.0) {
            den = 1.0;
        } else {
            // The first power of ten (or three times it) that makes the value
            // whole; large values keep the power that first passes 2^28 - 1.
            double d = 1.0;
            for (int k = 0; k <= 8; ++k, d *= 10.0) {
                double x = d * v;
                if (std::fabs(x) > 268435455.0 || std::trunc(x) == x || k == 8) {
                    num = std::trunc(x);
                    den = d;
                    break;
                }
                double x3 = 3.0 * d * v;
                if (std::trunc(x3) == x3) {
                    num = x3;
                    den = 3.0 * d;
                    break;
                }
            }
        }
        // Saturate to the field's 32-bit range.
        if (isSigned) {
            num = std::fmin(std::fmax(num, -2147483648.0), 2147483647.0);
            pairs[2 * i] = static_cast<uint32_t>(static_cast<int32_t>(num));
        } else {
            num = std::fmin(std::fmax(num, 0.0), 4294967295.0);
            pairs[2 * i] = static_cast<uint32_t>(num);
        }
        pairs[2 * i + 1] = static_cast<uint32_t>(den);
    }
}

int OrientationFromAngle(bool mirror, double angle)
{
    while (angle >= 360.0)
        angle -= 360.0;
    if (angle < 45.0 || angle >= 315.0)
        return mirror ? 2 : 1;
    if (angle < 135.0)
        return mirror ? 5 : 6;
    if (angle < 225.0)
        return mirror ? 4 : 3;
    return mirror ? 7 : 8;
}

void AngleFromOrientation(uint32_t orientation, bool* mirror, double* angle)
{
    static const struct { bool mirror; double angle; } kTable[9] = {
        {false, 0}, {false, 0}, {true, 0}, {false, 180}, {true, 180}, {true, 90}, {false, 90}, {true, 270}, {false, 270}};
    if (orientation > 8)
        orientation = 0;
    *mirror = kTable[orientation].mirror;
    *angle = kTable[orientation].angle;
}

bool IsLegacyHueModel(const IVorlatTagControl* tags, IVorlatError** error)
{
    *error = nullptr;
    const TagId kModel = 0x110;
    if (!tags || !tags->IsExist(kModel, 0)) {
        *error = QZ_FAIL(kErrNoSuchTag);
        return false;
    }
    uint32_t type = tags->GetTagType(kModel, 0);
    uint32_t size = tags->GetTagSize(kModel, 0);
    if (size >= 256) {
        *error = QZ_FAIL(kErrBadArgument);
        return false;
    }
    char model[256] = {};
    if (IVorlatError* err = tags->GetTagValue(kModel, type, size, model, 0)) {
        *error = QZ_WRAP(err);
        return false;
    }
    return EqualsNoCase(model, size, "KORVA M4X") || EqualsNoCase(model, size, "KORVA M4H") ||
           EqualsNoCase(model, size, "Mod KORVA M4H");
}

void AdjustLegacyModelValue(const IVorlatTagControl* tags, TagId tag, void* values, uint32_t bytes)
{
    if (tag != 0x80092 || bytes < 4)
        return;
    IVorlatError* err = nullptr;
    bool legacy = IsLegacyHueModel(tags, &err);
    if (err)
        err->Destroy();
    if (!legacy)
        return;
    int32_t v;
    std::memcpy(&v, values, 4);
    v = (v + 9) / 3;  // the reader stored 3 * v - 9
    std::memcpy(values, &v, 4);
}

bool RationalToTriple(int64_t numerator, int64_t denominator, int16_t triple[3])
{
    if (denominator == 0)
        return false;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    auto fits = [](int64_t n, int64_t d) { return n >= -32767 && n <= 32767 && d <= 32767; };
    if (!fits(numerator, denominator)) {
        int64_t g = std::gcd(numerator < 0 ? -numerator : numerator, denominator);
        if (g > 1) {
            numerator /= g;
            denominator /= g;
        }
    }
    if (!fits(numerator, denominator)) {
        // The nearest fraction whose terms both stay within 32767.
        double v = static_cast<double>(numerator) / static_cast<double>(denominator);
        double magnitude = std::fabs(v);
        if (magnitude >= 32767.0) {
            numerator = v < 0 ? -32767 : 32767;
            denominator = 1;
        } else {
            double q = std::floor(32767.0 / (magnitude < 1.0 ? 1.0 : magnitude));
            double p = std::nearbyint(v * q);
            if (p > 32767.0) p = 32767.0;
            if (p < -32767.0) p = -32767.0;
            numerator = static_cast<int64_t>(p);
            denominator = static_cast<int64_t>(q);
        }
    }
    triple[0] = 1;
    triple[1] = static_cast<int16_t>(numerator);
    triple[2] = static_cast<int16_t>(denominator);
    return true;
}

} // namespace quarnite
