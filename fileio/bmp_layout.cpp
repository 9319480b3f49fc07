#include "fileio/bmp_layout.h"

#include <algorithm>

namespace {

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void Put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

namespace quarnite {

void DecodeBmpHeaders(const uint8_t bytes[kBmpHeadersSize], BmpFileHeader* file, BmpInfoHeader* info)
{
    file->type = Get16(bytes);
    file->fileSize = Get32(bytes + 2);
    file->reserved1 = Get16(bytes + 6);
    file->reserved2 = Get16(bytes + 8);
    file->dataOffset = Get32(bytes + 10);
    const uint8_t* p = bytes + kBmpFileHeaderSize;
    info->size = Get32(p);
    info->width = static_cast<int32_t>(Get32(p + 4));
    info->height = static_cast<int32_t>(Get32(p + 8));
    info->planes = Get16(p + 12);
    info->bitCount = Get16(p + 14);
    info->compression = Get32(p + 16);
    info->imageSize = Get32(p + 20);
    info->xPelsPerMeter = static_cast<int32_t>(Get32(p + 24));
    info->yPelsPerMeter = static_cast<int32_t>(Get32(p + 28));
    info->colorsUsed = Get32(p + 32);
    info->colorsImportant = Get32(p + 36);
}

void EncodeBmpHeaders(const BmpFileHeader& file, const BmpInfoHeader& info, uint8_t bytes[kBmpHeadersSize])
{
    Put16(bytes, file.type);
    Put32(bytes + 2, file.fileSize);
    Put16(bytes + 6, file.reserved1);
    Put16(bytes + 8, file.reserved2);
    Put32(bytes + 10, file.dataOffset);
    uint8_t* p = bytes + kBmpFileHeaderSize;
    Put32(p, info.size);
    Put32(p + 4, static_cast<uint32_t>(info.width));
    Put32(p + 8, static_cast<uint32_t>(info.height));
    Put16(p + 12, info.planes);
    Put16(p + 14, info.bitCount);
    Put32(p + 16, info.compression);
    Put32(p + 20, info.imageSize);
    Put32(p + 24, static_cast<uint32_t>(info.xPelsPerMeter));
    Put32(p + 28, static_cast<uint32_t>(info.yPelsPerMeter));
    Put32(p + 32, info.colorsUsed);
    Put32(p + 36, info.colorsImportant);
}

uint64_t BmpRowStride(int32_t width, uint32_t bitCount)
{
    const uint64_t w = width > 0 ? static_cast<uint64_t>(width) : 0;
    uint64_t bytes;
    switch (bitCount) {
    case 4: bytes = (w + 1) / 2; break;
    case 8: bytes = w; break;
    case 24: bytes = w * 3; break;
    default: return 0;
    }
    return (bytes + 3) / 4 * 4;
}

double BmpDpiFromPelsPerMeter(int32_t pelsPerMeter)
{
    // A negative density means nothing; it is taken as none given.
    if (pelsPerMeter <= 0)
        return 72.0;
    // Rounded to the nearest whole dpi: 39.361 pixels per metre make one dpi.
    return static_cast<double>((static_cast<int64_t>(pelsPerMeter) * 1000 + 19680) / 39361);
}

int32_t BmpPelsPerMeterFromDpi(double dpi)
{
    const double ppm = dpi * 39.361;
    if (!(ppm > 0))  // also NaN
        return 0;
    if (ppm >= 2147483647.0)
        return 2147483647;
    return static_cast<int32_t>(ppm);
}

int32_t BandHeight(int32_t tileSize, uint64_t rowBytes)
{
    if (rowBytes >= kBandBytes || tileSize < 1)
        return 1;
    int32_t rows = tileSize;
    while (rows > 1 && static_cast<uint64_t>(rows) * rowBytes > kBandBytes)
        rows /= 2;
    return rows;
}

int32_t NextBandRows(int32_t height, int32_t remaining, int32_t bandHeight)
{
    if (remaining == height) {
        const int32_t rest = height % bandHeight;
        return rest ? rest : std::min(bandHeight, height);
    }
    return std::min(bandHeight, remaining);
}

} // namespace quarnite
