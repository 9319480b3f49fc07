// The layout of an uncompressed Windows bitmap file as the BMP
// reader and writer see it: the 14-byte file header, the first 40 bytes of the
// info header (longer v4 and v5 headers start the same way), row strides,
// resolution units and the band height both use.
#pragma once

#include <cstdint>

#include "fileio/quarnite_error.h"

namespace quarnite {

constexpr int32_t kSrcBmpWriter = 235;
constexpr int32_t kErrBmpDepth = 1502;  // bits per pixel the reader does not load

constexpr uint32_t kBmpFileHeaderSize = 14;
constexpr uint32_t kBmpInfoHeaderSize = 40;
constexpr uint32_t kBmpHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;  // 54
constexpr uint32_t kBandBytes = 0x100000;  // readers and writers work in bands of at most 1 MiB

struct BmpFileHeader {
    uint16_t type = 0x4D42;  // "BM"
    uint32_t fileSize = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint32_t dataOffset = 0;
};

struct BmpInfoHeader {
    uint32_t size = kBmpInfoHeaderSize;
    int32_t width = 0;
    int32_t height = 0;  // positive: rows stored bottom-up
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
};

// Little-endian, whatever the host.
void DecodeBmpHeaders(const uint8_t bytes[kBmpHeadersSize], BmpFileHeader* file, BmpInfoHeader* info);
void EncodeBmpHeaders(const BmpFileHeader& file, const BmpInfoHeader& info, uint8_t bytes[kBmpHeadersSize]);

// Bytes of one stored row, padded to a multiple of four (0 for a depth the
// reader does not load); 64 bits, since the width is the file's.
uint64_t BmpRowStride(int32_t width, uint32_t bitCount);

// Pixels per metre to dots per inch as stored in the resolution tag: 72 when
// the file gives none.
double BmpDpiFromPelsPerMeter(int32_t pelsPerMeter);
// Dots per inch to pixels per metre, truncated and kept inside 32 bits.
int32_t BmpPelsPerMeterFromDpi(double dpi);

// Rows per band: the tile size, halved until a band of rowBytes-long rows
// fits 1 MiB; 1 when a single row does not. Never 0, so every band advances.
int32_t BandHeight(int32_t tileSize, uint64_t rowBytes);

// Rows of the next band when `remaining` of `height` rows are left and the
// file is walked bottom-up: the first band takes the remainder, so that every
// later band is full.
int32_t NextBandRows(int32_t height, int32_t remaining, int32_t bandHeight);

} // namespace quarnite
