#pragma once

// Reads a whole ICC v2 profile block: the 128-byte header, the tag directory
// and the typed tags this engine uses, all numbers big-endian. Every size is
// checked against the tag and the block in 64-bit arithmetic before it is
// read.

#include <cstdint>

#include "QRV/counted_buffer.h"

namespace qrv {

struct TagEntry {
    uint32_t signature;
    uint32_t offset;
    uint32_t size;
};

struct Curve {
    enum Kind { Identity, Gamma, Table } kind = Identity;
    uint32_t gamma256 = 0;                          // u8Fixed8 number (gamma x 256)
    CountedBuffer entries = MakeCountedBuffer();  // 16-bit values of a table
    Curve() = default;
    Curve(const Curve&) = delete;
    Curve& operator=(const Curve&) = delete;
    ~Curve() { CbFree(entries); }
};

// The contents of an 'mft1' or 'mft2' tag, values in host order.
struct LutTag {
    uint32_t inputs = 0, outputs = 0, grid = 0;
    uint32_t inEntries = 0, outEntries = 0;  // 256 for 'mft1'
    bool eightBit = false;
    double matrix[9] = {};
    uint64_t inCurvesAt = 0, tableAt = 0, outCurvesAt = 0;  // block offsets
    uint64_t tableValues = 0;                               // grid^inputs x outputs
};

class ProfileReader {
public:
    ProfileReader(const uint8_t* block, uint32_t length);
    ~ProfileReader();
    ProfileReader(const ProfileReader&) = delete;
    ProfileReader& operator=(const ProfileReader&) = delete;

    // Header and directory: 0, 9 for a malformed block, 2 out of memory.
    int Parse();

    // Each returns 0, 10 for a missing tag, 9 for a wrong type or size.
    int FindTag(uint32_t signature);
    int ReadXYZ(uint32_t signature, CountedBuffer& triples);  // int32_t s15Fixed16 values
    int ReadCurve(uint32_t signature, Curve& curve);
    int ReadLut(uint32_t signature, LutTag& lut);

    // Copies a curve of a lut tag read by ReadLut into 16-bit values as they
    // are stored (bytes of 'mft1' unscaled); 0 or 2.
    int CopyLutCurve(const LutTag& lut, bool output, uint32_t channel, CountedBuffer& values) const;
    // The table of an 'mft2' tag in host order; 0 or 2.
    int CopyLutTable16(const LutTag& lut, CountedBuffer& values) const;
    const uint8_t* Bytes(uint64_t at) const { return block_ + at; }

    uint32_t DataSpace() const { return dataSpace_; }
    uint32_t Pcs() const { return pcs_; }
    const double* Illuminant() const { return illuminant_; }
    uint32_t TagCount() const { return directory_.length; }

private:
    uint32_t U32(uint64_t at) const;
    uint32_t U16(uint64_t at) const;

    const uint8_t* block_;
    uint32_t length_;
    uint64_t cursor_ = 0;

    uint32_t profileSize_ = 0, cmm_ = 0, version_ = 0, deviceClass_ = 0;
    uint32_t dataSpace_ = 0, pcs_ = 0;
    uint16_t dateTime_[6] = {};
    uint32_t signature_ = 0, platform_ = 0, flags_ = 0, manufacturer_ = 0, model_ = 0;
    uint32_t attributes_[2] = {};
    uint32_t intent_ = 0;
    double illuminant_[3] = {};
    uint32_t creator_ = 0;

    CountedBuffer directory_;
    uint32_t lastIndex_ = 0;
    bool lastFound_ = false;
};

}  // namespace qrv
