// Decoding what the module hands back in lists and arrays. Everything here is
// the module's data and untrusted: counts are multiplied with a check, every
// read stays within the bytes that were really allocated, and texts end
// within their element or within 256 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/camera/kavo_records.h"
#include "app/core/text/qz_string.h"

// More than any camera answer holds; a larger block is taken as a broken count.
constexpr size_t kKavoMaxBlockBytes = 64u << 20;
// No camera list comes near this; a count past it is a module's fault, and
// decoding it element by element would stall the program.
constexpr uint32_t kKavoMaxListElements = 65536;

// count x size in bytes; false when it overflows or passes the limit.
bool KavoBlockBytes(uint32_t count, uint32_t size, size_t* bytes);

// The values of a list of element type 0 (bytes) or 1 and 2 (32-bit values);
// other types give nothing. False when the elements are too small for the type.
bool DecodeKavoListValues(const KavoListRecord& header, const std::vector<uint8_t>& block, std::vector<uint32_t>* out);
// The strings of a list of element type 8 (one per element, up to its NUL or
// with fixedLength the whole element) or 7 (a packed block of NUL-terminated
// strings; a tail without its NUL is not a string); other types give nothing.
void DecodeKavoListStrings(const KavoListRecord& header, const std::vector<uint8_t>& block, bool fixedLength,
                           std::vector<CQzString>* out);
// Type 8: the element count; type 7: the NULs in the block; else false.
bool CountKavoListStrings(const KavoListRecord& header, const std::vector<uint8_t>& block, uint32_t* out);

// The module's text in a 256-byte buffer, ended within it.
CQzString KavoText(const char* buffer, size_t size = 256);
