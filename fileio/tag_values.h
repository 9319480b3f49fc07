// The value objects of the tag store, one class per value form.
#pragma once

#include <cstdint>
#include <vector>

#include "Vorlat/VorlatTypes.h"
#include "fileio/VorlatTagControl.h"
#include "fileio/meta/iptc_record.h"

class CVorlatTagValue {
public:
    CVorlatTagValue(TagId tag, uint32_t type) : tag_(tag), type_(type) {}
    virtual ~CVorlatTagValue() = default;
    // Bytes a caller must provide to get the value.
    virtual uint32_t GetSize() const = 0;
    virtual IVorlatError* Get(uint32_t type, uint32_t bytes, void* buffer) const = 0;
    // A failed set leaves the old value.
    virtual IVorlatError* Set(uint32_t type, uint32_t bytes, const void* buffer) = 0;

    TagId Tag() const { return tag_; }
    uint32_t Type() const { return type_; }

protected:
    TagId tag_;
    uint32_t type_;
};

// Byte blocks, texts, triples, the record blocks and every unknown tag.
class CVorlatTagBytes : public CVorlatTagValue {
public:
    using CVorlatTagValue::CVorlatTagValue;
    uint32_t GetSize() const override { return static_cast<uint32_t>(bytes_.size()); }
    IVorlatError* Get(uint32_t type, uint32_t bytes, void* buffer) const override;
    IVorlatError* Set(uint32_t type, uint32_t bytes, const void* buffer) override;

private:
    std::vector<uint8_t> bytes_;
};

// Counts of 32-bit integers (type 0x4).
class CVorlatTagLongs : public CVorlatTagValue {
public:
    using CVorlatTagValue::CVorlatTagValue;
    uint32_t GetSize() const override { return static_cast<uint32_t>(bytes_.size()); }
    IVorlatError* Get(uint32_t type, uint32_t bytes, void* buffer) const override;
    IVorlatError* Set(uint32_t type, uint32_t bytes, const void* buffer) override;

private:
    std::vector<uint8_t> bytes_;
};

// Doubles (type 0x8), 8 bytes per element.
class CVorlatTagRationals : public CVorlatTagValue {
public:
    using CVorlatTagValue::CVorlatTagValue;
    uint32_t GetSize() const override { return static_cast<uint32_t>(values_.size() * 8); }
    IVorlatError* Get(uint32_t type, uint32_t bytes, void* buffer) const override;
    IVorlatError* Set(uint32_t type, uint32_t bytes, const void* buffer) override;

private:
    std::vector<double> values_;
};

// An ICC profile: its bytes (type 0x1) or the path of its file (type 0x100).
class CVorlatTagProfile : public CVorlatTagValue {
public:
    using CVorlatTagValue::CVorlatTagValue;
    uint32_t GetSize() const override;
    IVorlatError* Get(uint32_t type, uint32_t bytes, void* buffer) const override;
    IVorlatError* Set(uint32_t type, uint32_t bytes, const void* buffer) override;

private:
    std::vector<uint8_t> bytes_;
    _VorlatFile path_{};
};

// Tag 33723: the IPTC record, reached through item requests.
class CVorlatTagIptc : public CVorlatTagValue {
public:
    using CVorlatTagValue::CVorlatTagValue;
    uint32_t GetSize() const override { return sizeof(TagItemRequest); }
    IVorlatError* Get(uint32_t type, uint32_t bytes, void* buffer) const override;
    IVorlatError* Set(uint32_t type, uint32_t bytes, const void* buffer) override;

    const quarnite::IptcRecord& Record() const { return record_; }

private:
    quarnite::IptcRecord record_;
};

// Tag 0x80E00: the PrintIM record, reached through item requests.
class CVorlatTagBlock : public CVorlatTagValue {
public:
    using CVorlatTagValue::CVorlatTagValue;
    uint32_t GetSize() const override { return sizeof(TagItemRequest); }
    IVorlatError* Get(uint32_t type, uint32_t bytes, void* buffer) const override;
    IVorlatError* Set(uint32_t type, uint32_t bytes, const void* buffer) override;

private:
    std::vector<uint8_t> block_;
};
