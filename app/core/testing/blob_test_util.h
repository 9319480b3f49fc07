// Helpers of the core's blob tests: whole blobs as byte vectors and as hex.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/settings/qz_state.h"

namespace core_test {

inline std::vector<uint8_t> Blob(const IQzState& state)
{
    std::vector<uint8_t> blob(static_cast<size_t>(state.GetSize()));
    state.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    return blob;
}

inline std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string text;
    char digits[3];
    for (uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

inline std::vector<uint8_t> FromHex(const std::string& text)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline uint32_t U32At(const std::vector<uint8_t>& blob, size_t offset)
{
    return blob.at(offset) | blob.at(offset + 1) << 8 | blob.at(offset + 2) << 16 |
           static_cast<uint32_t>(blob.at(offset + 3)) << 24;
}

inline void PutU16(std::vector<uint8_t>& blob, size_t offset, uint16_t value)
{
    blob.at(offset) = static_cast<uint8_t>(value);
    blob.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

inline void PutU32(std::vector<uint8_t>& blob, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        blob.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

inline void PutF64(std::vector<uint8_t>& blob, size_t offset, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    for (int i = 0; i < 8; ++i)
        blob.at(offset + i) = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace core_test
