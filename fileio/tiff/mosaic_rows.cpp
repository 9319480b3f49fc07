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
