// The bit reader of the entropy-coded data. It behaves as one that reads a
// byte from the stream only when it runs out of bits (0xFF and the byte after
// it count as one 0xFF), but takes the stream in large pieces and keeps up to
// 64 bits ahead; Offset, BitsLeft and CurrentByte give the state that the
// byte-at-a-time reader would have, so that restarts and the on-demand index
// see the same stream positions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Vorlat/VorlatError.h"
#include "fileio/VorlatStream.h"
#include "fileio/jpeg_huffman.h"

namespace quarnite {

class JpegBitReader {
public:
    ~JpegBitReader();

    void Attach(IVorlatStream* stream);

    // Continues at a stream offset with the unused low bits of the byte before it.
    void Restart(uint32_t offset, uint32_t bitsLeft, uint32_t currentByte);

    // Drops the unused bits of the current byte (a restart marker follows).
    void DropBits() { Restart(Offset(), 0, 0); }

    // Reads bytes in place of bits, from the position after the last byte used.
    IVorlatError* ReadBytes(uint8_t* out, uint32_t count);

    uint32_t Offset() const;
    uint32_t BitsLeft() const { return static_cast<uint32_t>(bits_) & 7; }
    uint32_t CurrentByte() const { return static_cast<uint32_t>(accumulator_ >> (bits_ & ~7)) & 0xFF; }

    // True once bits past the end of the stream were used.
    bool Overrun() const { return bits_ < padBits_; }
    // The chain that ended the data (the stream's own), or a new one; the caller owns it.
    IVorlatError* TakeEndError();

    void Fill()
    {
        // Whole bytes at once while none of them is 0xFF.
        if (bits_ <= 56 && end_ - next_ >= 8) {
            uint64_t word;
            std::memcpy(&word, next_, 8);
            const int take = std::min((64 - bits_) >> 3, 7);
            const uint64_t inverted = ~word;
            const uint64_t marks = (inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull;
            if ((marks & ((1ull << (8 * take)) - 1)) == 0) {
                uint64_t bigEndian = 0;
                for (int i = 0; i < take; ++i)
                    bigEndian = (bigEndian << 8) | next_[i];
                accumulator_ = (accumulator_ << (8 * take)) | bigEndian;
                bits_ += 8 * take;
                next_ += take;
                stuffed_ <<= take;
                return;
            }
        }
        while (bits_ <= 56) {
            if (next_ == end_ && !More()) {
                accumulator_ <<= 8;
                bits_ += 8;
                padBits_ += 8;
                stuffed_ <<= 1;
                continue;
            }
            uint32_t byte = *next_++;
            uint32_t pair = 0;
            if (byte == 0xFF) {
                if (next_ == end_)
                    More();
                if (next_ != end_) {
                    ++next_;
                    pair = 1;
                }
            }
            accumulator_ = (accumulator_ << 8) | byte;
            bits_ += 8;
            stuffed_ = (stuffed_ << 1) | pair;
        }
    }

    // n from 0 to 16.
    uint32_t GetBits(int n)
    {
        if (n == 0)
            return 0;
        if (bits_ < n)
            Fill();
        bits_ -= n;
        return static_cast<uint32_t>(accumulator_ >> bits_) & ((1u << n) - 1);
    }

    uint32_t DecodeSymbol(const JpegHuffmanTree& tree)
    {
        if (bits_ < JpegHuffmanTree::kLookupBits)
            Fill();
        const uint32_t entry =
            tree.Lookup(static_cast<uint32_t>(accumulator_ >> (bits_ - JpegHuffmanTree::kLookupBits)) &
                        ((1u << JpegHuffmanTree::kLookupBits) - 1));
        bits_ -= static_cast<int>((entry >> 16) & 0xFF);
        if (entry & JpegHuffmanTree::kLeaf)
            return entry & 0xFF;
        uint32_t node = entry & 0xFFFF;
        while (node >= JpegHuffmanTree::kRoot)
            node = tree.Child(node, GetBits(1));
        return node;
    }

    // The next kLookupBits bits, and taking bits already looked at; both only
    // after Prepare.
    uint32_t Peek() const
    {
        return static_cast<uint32_t>(accumulator_ >> (bits_ - JpegHuffmanTree::kLookupBits)) &
               ((1u << JpegHuffmanTree::kLookupBits) - 1);
    }
    void Skip(int n) { bits_ -= n; }

    // Makes sure that a symbol and its value bits can be taken without a refill.
    void Prepare()
    {
        if (bits_ < 32)
            Fill();
    }

private:
    bool More();

    IVorlatStream* stream_ = nullptr;
    uint32_t streamSize_ = 0;
    std::vector<uint8_t> buffer_;
    uint32_t bufferOffset_ = 0;  // stream offset of buffer_[0]
    const uint8_t* next_ = nullptr;
    const uint8_t* end_ = nullptr;
    bool ended_ = false;
    IVorlatError* endError_ = nullptr;

    uint64_t accumulator_ = 0;  // the low bits_ bits are unused
    int bits_ = 0;
    int padBits_ = 0;           // zero bits put in past the end of the data
    uint32_t stuffed_ = 0;      // one bit per byte put in, newest lowest: came from FF and a byte after it
};

} // namespace quarnite
