#include "fileio/jpeg_huffman.h"

#include "fileio/quarnite_error.h"

namespace quarnite {

bool JpegHuffmanTree::Build(const uint8_t counts[16], const uint8_t* symbols, uint32_t symbolCount)
{
    if (symbolCount == 0)
        return false;
    // Every internal node lies on the path of at least one code of at most 16 bits.
    const uint64_t room = static_cast<uint64_t>(symbolCount) * 16 + 1;
    if (!TryResize(zero_, room) || !TryResize(one_, room))
        return false;
    uint32_t left[16];
    for (int i = 0; i < 16; ++i)
        left[i] = counts[i];
    uint32_t nextSymbol = 0;
    uint32_t nodes = 0;

    // One step of the recursive build at a depth: a code of that length, the
    // filler symbol 1 where no longer code is left to place, or a new internal
    // node. (Stopping only when there are as many nodes as symbols would leave
    // the codes of a sparse table, such as 00, 01, 100, without a place.)
    auto take = [&](uint32_t depth, uint32_t* value) {
        if (depth > 0 && depth <= 16 && left[depth - 1] > 0) {
            --left[depth - 1];
            *value = symbols[nextSymbol++];
            return false;
        }
        uint32_t deeper = 0;
        for (uint32_t length = depth + 1; length <= 16; ++length)
            deeper += left[length - 1];
        if (deeper == 0) {
            *value = 1;
            return false;
        }
        *value = kRoot + nodes++;
        return true;
    };

    // The recursion, unrolled onto a stack of at most 17 frames.
    struct Frame {
        uint32_t node;
        uint32_t depth;
        uint32_t filled;
    };
    std::vector<Frame> stack;
    try {
        stack.reserve(18);
    } catch (...) {
        return false;
    }
    uint32_t root = 0;
    if (take(0, &root))
        stack.push_back({root, 0, 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.filled == 2) {
            stack.pop_back();
            continue;
        }
        uint32_t child = 0;
        const uint32_t depth = frame.depth + 1;
        const bool isNode = take(depth, &child);
        (frame.filled == 0 ? zero_ : one_)[frame.node - kRoot] = child;
        ++frame.filled;
        if (isNode)
            stack.push_back({child, depth, 0});
    }

    for (uint32_t bits = 0; bits < (1u << kLookupBits); ++bits) {
        uint32_t node = root;
        uint32_t entry = (static_cast<uint32_t>(kLookupBits) << 16);
        for (int used = 1; used <= kLookupBits; ++used) {
            node = Child(node, (bits >> (kLookupBits - used)) & 1);
            if (node < kRoot) {
                entry = kLeaf | (static_cast<uint32_t>(used) << 16) | node;
                break;
            }
        }
        lookup_[bits] = (entry & kLeaf) ? entry : (entry | node);

        combined_[bits] = {0, 0, 0};
        if (entry & kLeaf) {
            const uint32_t used = (entry >> 16) & 0xFF;
            const uint32_t symbol = entry & 0xFF;
            const uint32_t size = symbol & 15;  // a DC symbol is its size alone
            if (used + size <= kLookupBits) {
                int32_t value = 0;
                if (size) {
                    const uint32_t r = (bits >> (kLookupBits - used - size)) & ((1u << size) - 1);
                    value = (r & (1u << (size - 1))) ? static_cast<int32_t>(r)
                                                     : static_cast<int32_t>(r) + 1 - (1 << size);
                }
                combined_[bits] = {static_cast<int16_t>(value), static_cast<uint8_t>(symbol),
                                   static_cast<uint8_t>(used + size)};
            }
        }
    }
    return true;
}

} // namespace quarnite
