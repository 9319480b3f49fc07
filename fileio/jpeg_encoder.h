// The baseline JPEG encoder: an 8-bit grey or 24-bit RGB image source becomes
// one sequential scan with the standard Huffman tables, at one of five quality
// levels that fix the quantisers, the chroma sampling and the transform. It
// works in bands of at most 128 rows, one band per Execute.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "Vorlat/VorlatDataSource.h"
#include "fileio/VorlatStream.h"

namespace quarnite {

// Forward transforms on level-shifted samples in natural order, in place.
// Fast: the scaled AAN transform (outputs carry the factors that the
// multiplier tables take out). Accurate: outputs are 8 times the coefficients.
void ForwardDctFast(int32_t* block);
void ForwardDctAccurate(int32_t* block);

// Multiplier of a quantiser entry of levels 1 to 4 at natural position (row, column).
uint32_t QuantMultiplier(uint32_t quant, int row, int column);

// A quantiser in natural order: the quotient of x is (|x| m + 32768) >> 16, at
// most the limit (the largest category of the code tables), with x's sign.
// m = 8192 is level 5's rounded division by 8.
struct JpegQuantizer {
    alignas(16) uint16_t low[64];   // m's low 16 bits
    alignas(16) uint16_t high[64];  // 0xFFFF where m = 65536
    alignas(16) int16_t limit[64];
    uint32_t multiplier[64];
    void Set(const uint32_t* multipliers);
};

// Transforms the 8 x 8 level-shifted samples (rows `stride` apart, each in
// [-128, 128]) and quantises them into 64 coefficients in natural order.
// Returns the mask of the non-zero ones, bit k for zigzag position k.
uint64_t TransformBlockPortable(const int16_t* samples, ptrdiff_t stride, bool accurate,
                                const JpegQuantizer& quantizer, int16_t* coefficients);
#if defined(__SSE2__)
uint64_t TransformBlockSse2(const int16_t* samples, ptrdiff_t stride, bool accurate, const JpegQuantizer& quantizer,
                            int16_t* coefficients);
#endif
inline uint64_t TransformBlock(const int16_t* samples, ptrdiff_t stride, bool accurate,
                               const JpegQuantizer& quantizer, int16_t* coefficients)
{
#if defined(__SSE2__)
    return TransformBlockSse2(samples, stride, accurate, quantizer, coefficients);
#else
    return TransformBlockPortable(samples, stride, accurate, quantizer, coefficients);
#endif
}

// Colour conversion of a row of 24-bit RGB pixels: the luminance of `count`
// pixels; the chroma of `count` pixels `step` (1 or 2) apart. Reads no byte
// past the last pixel converted.
void ConvertLumaRowPortable(const uint8_t* rgb, int32_t count, int16_t* luma);
void ConvertChromaRowPortable(const uint8_t* rgb, int32_t count, int32_t step, int16_t* cb, int16_t* cr);
#if defined(__SSE2__)
void ConvertLumaRowSse2(const uint8_t* rgb, int32_t count, int16_t* luma);
void ConvertChromaRowSse2(const uint8_t* rgb, int32_t count, int32_t step, int16_t* cb, int16_t* cr);
#endif
inline void ConvertLumaRow(const uint8_t* rgb, int32_t count, int16_t* luma)
{
#if defined(__SSE2__)
    ConvertLumaRowSse2(rgb, count, luma);
#else
    ConvertLumaRowPortable(rgb, count, luma);
#endif
}
inline void ConvertChromaRow(const uint8_t* rgb, int32_t count, int32_t step, int16_t* cb, int16_t* cr)
{
#if defined(__SSE2__)
    ConvertChromaRowSse2(rgb, count, step, cb, cr);
#else
    ConvertChromaRowPortable(rgb, count, step, cb, cr);
#endif
}

// Both at once, each pixel read once: the luminance of `count` pixels and the
// chroma of every `step`-th from the first; the same values as the two above.
void ConvertRowPortable(const uint8_t* rgb, int32_t count, int32_t step, int16_t* luma, int16_t* cb, int16_t* cr);
#if defined(__SSE2__)
void ConvertRowSse2(const uint8_t* rgb, int32_t count, int32_t step, int16_t* luma, int16_t* cb, int16_t* cr);
#endif
inline void ConvertRow(const uint8_t* rgb, int32_t count, int32_t step, int16_t* luma, int16_t* cb, int16_t* cr)
{
#if defined(__SSE2__)
    ConvertRowSse2(rgb, count, step, luma, cb, cr);
#else
    ConvertRowPortable(rgb, count, step, luma, cb, cr);
#endif
}

class CJpegEncoder {
public:
    explicit CJpegEncoder(IVorlatStream* stream);
    virtual ~CJpegEncoder();
    CJpegEncoder(const CJpegEncoder&) = delete;
    CJpegEncoder& operator=(const CJpegEncoder&) = delete;

    // Reads the source's size and type, writes DQT, SOF0, DHT and SOS.
    virtual IVorlatError* Begin(IVorlatDataSource* source, int32_t quality);
    // Encodes the next band; after the last one ends the data and writes EOI.
    virtual IVorlatError* Execute();
    virtual bool IsFinished() const { return rowsDone_ >= height_; }
    virtual void GetProgress(int32_t* done, int32_t* total) const;
    virtual IVorlatError* WriteStartOfImage();

    // Row-major quantiser tables of a level (1 to 5); null for another level.
    static const uint8_t* LuminanceTable(int32_t level);
    static const uint8_t* ChrominanceTable(int32_t level);

private:
    // A symbol's code in the bits above 8, its length in the low 8: one load per symbol.
    struct HuffmanCodes {
        uint32_t codeAndSize[256];
    };
    struct BlockCoder {
        const HuffmanCodes* dc;
        const HuffmanCodes* ac;
        const JpegQuantizer* quantizer;
        int32_t previousDc;
    };
    // Bits go out most significant first. The pending bits sit at the top of
    // the buffer, and every Put writes the whole bytes at once, so fewer than
    // 8 bits wait between calls and no branch depends on how many there are.
    // A Put takes at most 26 bits (a 16-bit code and 10 value bits; a DC code
    // and its 11 value bits take 22).
    struct BitWriter {
        uint64_t buffer;
        int count;
        uint8_t* out;  // with room for 8 bytes more than are written
        void Put(uint32_t bits, int size)
        {
            buffer |= static_cast<uint64_t>(bits) << (64 - count - size);
            count += size;
            const int whole = count >> 3;
            // Any byte 0xFF needs a stuffed 0 behind it. Bytes below the whole
            // ones have zero bits at their ends, so only whole ones can be 0xFF.
            const uint64_t inverted = ~buffer;
            if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0) {
                out = StuffBytes(out, buffer, whole);
            } else {
                // All eight bytes are stored; those past the whole ones are written again by the next Put.
                for (int i = 0; i < 8; ++i)
                    out[i] = static_cast<uint8_t>(buffer >> (56 - 8 * i));
                out += whole;
            }
            buffer <<= 8 * whole;
            count &= 7;
        }
        static uint8_t* StuffBytes(uint8_t* out, uint64_t buffer, int whole);
    };

    IVorlatError* FetchBand(int32_t top, int32_t rows);
    void ConvertUnitRow(int32_t top, int32_t rows);
    void EncodeBlock(const int16_t* samples, ptrdiff_t stride, BlockCoder& coder, BitWriter& bits);
    IVorlatError* Flush(uint8_t* end);

    IVorlatStream* stream_;
    IVorlatDataSource* source_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t bitsPerPixel_ = 0;
    int32_t components_ = 0;
    bool grey_ = false;
    uint32_t samplingCode_ = 0x11;
    int32_t unitHeight_ = 8;
    int32_t unitWidth_ = 8;
    bool accurate_ = false;

    JpegQuantizer lumQuantizer_ = {};
    JpegQuantizer chromQuantizer_ = {};
    HuffmanCodes lumDc_ = {}, lumAc_ = {}, chromDc_ = {}, chromAc_ = {};
    BlockCoder coders_[3] = {};

    uint64_t bitBuffer_ = 0;
    int bitCount_ = 0;
    // Every band writes these buffers before it reads them, so they are not
    // cleared: a page that no band uses is never touched.
    template <class T>
    struct Uncleared : std::allocator<T> {
        template <class U>
        struct rebind {
            using other = Uncleared<U>;
        };
        template <class U>
        void construct(U* p) noexcept
        {
            ::new (static_cast<void*>(p)) U;
        }
        template <class U, class... Args>
        void construct(U* p, Args&&... args)
        {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    };
    std::vector<uint8_t, Uncleared<uint8_t>> output_;
    size_t worstMcu_ = 0;

    std::vector<uint8_t, Uncleared<uint8_t>> rows_;  // one band of source rows
    std::vector<int16_t, Uncleared<int16_t>> luma_;  // one MCU row, level-shifted, padded to whole MCUs
    std::vector<int16_t, Uncleared<int16_t>> cb_, cr_;  // one MCU row, subsampled and padded
    int32_t planeWidth_ = 0;
    int32_t chromaWidth_ = 0;
    int32_t rowsDone_ = 0;
};

} // namespace quarnite
