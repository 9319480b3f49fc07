// The Huffman decoding tree of the baseline decoder: internal nodes numbered
// from 256, a child below 256 is the symbol itself. A lookup table over the
// first bits of a code, made by walking the same tree, saves the bit-by-bit
// walk for short codes without changing what any bit string decodes to.
#pragma once

#include <cstdint>
#include <vector>

namespace quarnite {

class JpegHuffmanTree {
public:
    static constexpr uint32_t kRoot = 256;
    static constexpr int kLookupBits = 10;
    static constexpr uint32_t kLeaf = 0x80000000u;

    // Codes are given out in canonical order, branch 0 before branch 1; a bit
    // string that no code uses ends in symbol 1 where it leaves every code. False (nothing usable) for a
    // table without symbols, or when memory runs out.
    bool Build(const uint8_t counts[16], const uint8_t* symbols, uint32_t symbolCount);

    uint32_t Child(uint32_t node, uint32_t bit) const { return bit ? one_[node - kRoot] : zero_[node - kRoot]; }

    // Entry for the next kLookupBits bits: kLeaf | bits used << 16 | symbol, or
    // (kLookupBits << 16 | node) when the code is longer.
    uint32_t Lookup(uint32_t bits) const { return lookup_[bits]; }

    // A code and its value bits that both lie within the next kLookupBits
    // bits: the symbol, the value already sign-extended, and the bits taken
    // by both; length 0 when they do not fit.
    struct Combined {
        int16_t value;
        uint8_t symbol;
        uint8_t length;
    };
    Combined LookupCombined(uint32_t bits) const { return combined_[bits]; }

private:
    std::vector<uint32_t> zero_;
    std::vector<uint32_t> one_;
    uint32_t lookup_[1u << kLookupBits] = {};
    Combined combined_[1u << kLookupBits] = {};
};

} // namespace quarnite
