#include "QRV/profile_reader.h"

#include "QRV/numeric.h"

namespace qrv {

namespace {

constexpr uint32_t kSigAcsp = Sig("acsp");
constexpr uint32_t kTypeXYZ = Sig("XYZ ");
constexpr uint32_t kTypeCurv = Sig("curv");
constexpr uint32_t kTypeMft1 = Sig("mft1");
constexpr uint32_t kTypeMft2 = Sig("mft2");

double S15Fixed16(uint32_t v)
{
    return static_cast<int32_t>(v) / 65536.0;
}

}  // namespace

ProfileReader::ProfileReader(const uint8_t* block, uint32_t length)
    : block_(block), length_(block ? length : 0), directory_(MakeCountedBuffer())
{
}

ProfileReader::~ProfileReader()
{
    CbFree(directory_);
}

uint32_t ProfileReader::U32(uint64_t at) const
{
    const uint8_t* p = block_ + at;
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

uint32_t ProfileReader::U16(uint64_t at) const
{
    return static_cast<uint32_t>(block_[at]) << 8 | block_[at + 1];
}

int ProfileReader::Parse()
{
    if (length_ < 132)
        return 9;
    cursor_ = 0;
    auto next32 = [&] {
        uint32_t v = U32(cursor_);
        cursor_ += 4;
        return v;
    };
    profileSize_ = next32();
    cmm_ = next32();
    version_ = next32();
    deviceClass_ = next32();
    dataSpace_ = next32();
    pcs_ = next32();
    for (uint16_t& d : dateTime_) {
        d = static_cast<uint16_t>(U16(cursor_));
        cursor_ += 2;
    }
    signature_ = next32();
    platform_ = next32();
    flags_ = next32();
    manufacturer_ = next32();
    model_ = next32();
    attributes_[0] = next32();
    attributes_[1] = next32();
    intent_ = next32();
    for (double& w : illuminant_)
        w = S15Fixed16(next32());
    creator_ = next32();
    if (!IsPcsSpace(pcs_) || signature_ != kSigAcsp)
        return 9;

    const uint64_t count = U32(128);
    if (132 + 12 * count > length_)
        return 9;
    if (CbSetLength(directory_, count, sizeof(TagEntry), 1) != 0)
        return 2;
    TagEntry* entries = CbAs<TagEntry>(directory_);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t at = 132 + 12 * i;
        TagEntry& e = entries[i];
        e.signature = U32(at);
        e.offset = U32(at + 4);
        e.size = U32(at + 8);
        if (e.size < 8 || static_cast<uint64_t>(e.offset) + e.size > length_)
            return 9;
    }
    lastFound_ = false;
    return 0;
}

int ProfileReader::FindTag(uint32_t signature)
{
    const TagEntry* entries = CbAs<TagEntry>(directory_);
    if (lastFound_ && lastIndex_ < directory_.length && entries[lastIndex_].signature == signature)
        return 0;
    for (uint32_t i = directory_.length; i-- > 0;) {
        if (entries[i].signature == signature) {
            lastIndex_ = i;
            lastFound_ = true;
            return 0;
        }
    }
    return 10;
}

int ProfileReader::ReadXYZ(uint32_t signature, CountedBuffer& triples)
{
    int r = FindTag(signature);
    if (r != 0)
        return r;
    const TagEntry& e = CbAs<TagEntry>(directory_)[lastIndex_];
    if (U32(e.offset) != kTypeXYZ)
        return 9;
    const uint64_t count = (e.size - 8) / 12;
    // Too short for one triple: there is no colour to take.
    if (count == 0)
        return 9;
    if (CbSetLength(triples, count * 3, sizeof(int32_t), 1) != 0)
        return 2;
    int32_t* v = CbAs<int32_t>(triples);
    for (uint64_t i = 0; i < count * 3; ++i)
        v[i] = static_cast<int32_t>(U32(e.offset + 8 + 4 * i));
    return 0;
}

int ProfileReader::ReadCurve(uint32_t signature, Curve& curve)
{
    int r = FindTag(signature);
    if (r != 0)
        return r;
    const TagEntry& e = CbAs<TagEntry>(directory_)[lastIndex_];
    if (U32(e.offset) != kTypeCurv || e.size < 12)
        return 9;
    const uint64_t n = U32(e.offset + 8);
    if (n * 2 + 12 > e.size)
        return 9;
    if (n == 0) {
        curve.kind = Curve::Identity;
    } else if (n == 1) {
        curve.kind = Curve::Gamma;
        curve.gamma256 = U16(e.offset + 12);
    } else {
        curve.kind = Curve::Table;
        if (CbSetLength(curve.entries, n, sizeof(uint16_t), 1) != 0)
            return 2;
        uint16_t* v = CbAs<uint16_t>(curve.entries);
        for (uint64_t i = 0; i < n; ++i)
            v[i] = static_cast<uint16_t>(U16(e.offset + 12 + 2 * i));
    }
    return 0;
}

int ProfileReader::ReadLut(uint32_t signature, LutTag& lut)
{
    int r = FindTag(signature);
    if (r != 0)
        return r;
    const TagEntry& e = CbAs<TagEntry>(directory_)[lastIndex_];
    const uint32_t type = U32(e.offset);
    if (type != kTypeMft1 && type != kTypeMft2)
        return 9;
    lut.eightBit = type == kTypeMft1;
    const uint64_t head = lut.eightBit ? 48 : 52;
    if (e.size < head)
        return 9;
    const uint64_t at = e.offset;
    lut.inputs = block_[at + 8];
    lut.outputs = block_[at + 9];
    lut.grid = block_[at + 10];
    // A grid of one point has no cell to interpolate in, and a side holds
    // at most four curves each way.
    if (lut.grid < 2 || lut.inputs > 4 || lut.outputs > 4)
        return 9;
    for (int i = 0; i < 9; ++i)
        lut.matrix[i] = S15Fixed16(U32(at + 12 + 4 * i));
    uint64_t nodes = 1;
    for (uint32_t k = 0; k < lut.inputs; ++k)
        nodes *= lut.grid;
    lut.tableValues = nodes * lut.outputs;
    uint64_t bytes;
    if (lut.eightBit) {
        lut.inEntries = lut.outEntries = 256;
        bytes = (lut.inputs + lut.outputs) * 256ull + lut.tableValues;
    } else {
        lut.inEntries = U16(at + 48);
        lut.outEntries = U16(at + 50);
        // Curves are read between neighbouring entries: fewer than two leave
        // nothing to read between.
        if (lut.inEntries < 2 || lut.outEntries < 2)
            return 9;
        bytes = 2 * (static_cast<uint64_t>(lut.inputs) * lut.inEntries + lut.tableValues +
                     static_cast<uint64_t>(lut.outputs) * lut.outEntries);
    }
    if (bytes > e.size - head)
        return 9;
    const uint64_t valueBytes = lut.eightBit ? 1 : 2;
    lut.inCurvesAt = at + head;
    lut.tableAt = lut.inCurvesAt + valueBytes * lut.inputs * lut.inEntries;
    lut.outCurvesAt = lut.tableAt + valueBytes * lut.tableValues;
    return 0;
}

int ProfileReader::CopyLutCurve(const LutTag& lut, bool output, uint32_t channel, CountedBuffer& values) const
{
    const uint32_t n = output ? lut.outEntries : lut.inEntries;
    const uint64_t at = (output ? lut.outCurvesAt : lut.inCurvesAt) + (lut.eightBit ? 1ull : 2ull) * channel * n;
    if (CbSetLength(values, n, sizeof(uint16_t), 1) != 0)
        return 2;
    uint16_t* v = CbAs<uint16_t>(values);
    for (uint32_t i = 0; i < n; ++i)
        v[i] = static_cast<uint16_t>(lut.eightBit ? block_[at + i] : U16(at + 2ull * i));
    return 0;
}

int ProfileReader::CopyLutTable16(const LutTag& lut, CountedBuffer& values) const
{
    if (CbSetLength(values, lut.tableValues, sizeof(uint16_t), 1) != 0)
        return 2;
    uint16_t* v = CbAs<uint16_t>(values);
    for (uint64_t i = 0; i < lut.tableValues; ++i)
        v[i] = static_cast<uint16_t>(U16(lut.tableAt + 2 * i));
    return 0;
}

}  // namespace qrv
