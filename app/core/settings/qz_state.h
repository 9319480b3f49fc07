// The interface of every persistent settings object: it writes itself into,
// and reads itself back from, a flat little-endian byte block (a settings
// blob) that begins with its 16-byte class id.
#pragma once

#include <cstdint>

class IQzState {
public:
    // The blob's size: GetData without a buffer.
    virtual int32_t GetSize() const = 0;
    // Writes each field that `length` reaches the end of; answers the full size.
    virtual int32_t GetData(uint8_t* buffer, int32_t length) const = 0;
    // Answers the bytes the blob's structure covers, 0 when it is refused.
    virtual int32_t SetData(const uint8_t* buffer, int32_t length) = 0;
    virtual ~IQzState() = default;
};
