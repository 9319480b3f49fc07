#include "fileio/tiff/mosaic_rows.h"

#include <cstring>

namespace quarnite {

void UnpackMosaicRow(uint8_t* row, uint32_t width, bool padded)
{
    // Backwards, so that no sample overwrites packed bytes not yet read: pair g
    // is read from 3g (+ g/5 pad bytes) before samples 2g and 2g + 1 land at 4g.
    const uint32_t pairs = (width + 1) / 2;
    for (uint32_t g = pairs; g-- > 0;) {
        const uint8_t* p = row + 3ull * g + (padded ? g / 5 : 0);
        const uint16_t s0 = static_cast<uint16_t>(p[0] << 4 | p[1] >> 4);
        const uint16_t s1 = static_cast<uint16_t>((p[1] & 15) << 8 | p[2]);
        if (2 * g + 1 < width)
            std::memcpy(row + 4ull * g + 2, &s1, 2);
        std::memcpy(row + 4ull * g, &s0, 2);
    }
}

void ScaleMosaicRow(uint16_t* samples, uint32_t width, uint32_t bits, bool swap)
{
    for (uint32_t i = 0; i < width; ++i) {
        uint32_t v = samples[i];
        if (swap)
            v = (v >> 8 | v << 8) & 0xFFFF;
        v = bits > 12 ? v >> (bits - 12) : v << (12 - bits);
        samples[i] = static_cast<uint16_t>(v > 4095 ? 4095 : v);
    }
}

uint32_t PackMosaicRow(uint8_t* row, uint32_t width)
{
    const uint32_t pairs = (width + 1) / 2;
    for (uint32_t g = 0; g < pairs; ++g) {
        uint16_t a, b = 0;
        std::memcpy(&a, row + 4ull * g, 2);
        if (2 * g + 1 < width)
            std::memcpy(&b, row + 4ull * g + 2, 2);
        a = a > 4095 ? 4095 : a;
        b = b > 4095 ? 4095 : b;
        uint8_t* p = row + 3ull * g;
        p[0] = static_cast<uint8_t>(a >> 4);
        p[1] = static_cast<uint8_t>((a & 15) << 4 | b >> 8);
        p[2] = static_cast<uint8_t>(b & 255);
    }
    return 3 * pairs;
}

namespace {

uint16_t Clamped(uint16_t v) { return v > 4095 ? 4095 : v; }

void PutPair(uint8_t* p, uint16_t a, uint16_t b)
{
    p[0] = static_cast<uint8_t>(a >> 4);
    p[1] = static_cast<uint8_t>((a & 15) << 4 | b >> 8);
    p[2] = static_cast<uint8_t>(b & 255);
}

}  // namespace

uint32_t MosaicRunPacker::Pack(const uint16_t* samples, uint32_t count, uint8_t* out)
{
    uint32_t i = 0, written = 0;
    if (holdFirst_ && count > 0) {
        first_ = Clamped(samples[i++]);
        hasFirst_ = true;
        holdFirst_ = false;
    }
    if (hasWaiting_ && i < count) {
        PutPair(out, waiting_, Clamped(samples[i++]));
        written = 3;
        hasWaiting_ = false;
    }
    for (; i + 1 < count; i += 2, written += 3)
        PutPair(out + written, Clamped(samples[i]), Clamped(samples[i + 1]));
    if (i < count) {
        waiting_ = Clamped(samples[i]);
        hasWaiting_ = true;
    }
    return written;
}

uint32_t MosaicRunPacker::Finish(uint8_t* out, const uint16_t* next)
{
    if (!hasWaiting_)
        return 0;
    hasWaiting_ = false;
    PutPair(out, waiting_, next ? *next : 0);
    return next ? 3 : 2;
}

void AlignHalfByteRow(uint8_t* row, uint64_t bytes)
{
    for (uint64_t i = 0; i + 1 < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] << 4 | row[i + 1] >> 4);
    if (bytes > 0)
        row[bytes - 1] = static_cast<uint8_t>(row[bytes - 1] << 4);
}

void SubsampleMosaicRow(uint16_t* samples, uint32_t width, uint32_t n)
{
    if (n <= 1)
        return;
    const uint32_t out = width / n;
    for (uint32_t j = 0; j < out; ++j) {
        // Output pair j / 2 takes the 2n file samples from 2n (j / 2) on; its
        // colour phase the ones of the same column parity.
        const uint64_t first = 2ull * n * (j / 2) + (j & 1);
        uint32_t sum = 0, taken = 0;
        for (uint32_t m = 0; m < n && first + 2ull * m < width; ++m, ++taken)
            sum += samples[first + 2ull * m];
        samples[j] = static_cast<uint16_t>(taken ? sum / taken : 0);
    }
}

} // namespace quarnite
