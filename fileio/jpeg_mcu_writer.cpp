// Block decoding and the MCU writers: one MCU's blocks are decoded,
// transformed at the decoder's scale, converted and stored into the band.
#include <cstring>

#include "fileio/jpeg_decoder.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegReader;

// T.81 F.2.2.1: the s received bits r stand for a negative value when their top bit is 0.
inline int32_t Extend(uint32_t r, uint32_t s)
{
    return (r & (1u << (s - 1))) ? static_cast<int32_t>(r) : static_cast<int32_t>(r) + 1 - (1 << s);
}

inline uint8_t Limit(int32_t value) { return RangeLimitTable[value & 1023]; }
} // namespace

void CJpegDecoder::DecodeBlock(int32_t* block, JpegScanComponent& component)
{
    std::memset(block, 0, 64 * sizeof(int32_t));
    bits_.Prepare();
    int32_t diff = 0;
    const JpegHuffmanTree::Combined dc = component.dc->LookupCombined(bits_.Peek());
    if (dc.length) {
        bits_.Skip(dc.length);
        diff = dc.value;
    } else {
        const uint32_t s = bits_.DecodeSymbol(*component.dc);
        diff = s ? Extend(bits_.GetBits(static_cast<int>(s)), s) : 0;
    }
    // The prediction is kept to 16 bits like a stored coefficient, so corrupt
    // data cannot overflow it; a valid file never leaves that range.
    component.prediction = static_cast<int16_t>(static_cast<uint16_t>(component.prediction + diff));
    block[0] = component.prediction;

    const JpegHuffmanTree& ac = *component.ac;
    for (uint32_t k = 1; k < 64;) {
        bits_.Prepare();
        // Most codes and their value bits are taken in one look-up.
        const JpegHuffmanTree::Combined fast = ac.LookupCombined(bits_.Peek());
        uint32_t symbol = fast.symbol;
        int32_t value = fast.value;
        if (fast.length) {
            bits_.Skip(fast.length);
        } else {
            symbol = bits_.DecodeSymbol(ac);
            if (symbol & 15)
                value = Extend(bits_.GetBits(static_cast<int>(symbol & 15)), symbol & 15);
        }
        const uint32_t run = symbol >> 4;
        if (symbol & 15) {
            k += run;
            block[NaturalOrderTable[k]] = value;
            ++k;
        } else if (run == 0) {
            break;  // end of block: the rest stays 0
        } else {
            k += run + 1;
        }
    }
}

void CJpegDecoder::Transform(int32_t* block, const uint32_t* quant)
{
    if (sizeIndex_ == 1)
        InverseDct8x8(block, quant, scale_);
    else
        InverseDctReduced(block, quant, scale_);
}

IVorlatError* CJpegDecoder::WriteGreyMcu(uint8_t* out)
{
    int32_t* block = blocks_.data();
    DecodeBlock(block, scan_[0]);
    if (bits_.Overrun())
        return QZ_WRAP(bits_.TakeEndError());
    Transform(block, scan_[0].quant->values);
    const int n = 8 / scale_;
    for (int y = 0; y < n; ++y)
        GreyRow(block + y * 8, n, out + y * outRowBytes_);
    return nullptr;
}

// Three components stored as they are (the first component's identifier says
// that they are not YCbCr).
IVorlatError* CJpegDecoder::WriteUnconvertedMcu(uint8_t* out)
{
    int32_t* blocks = blocks_.data();
    for (int i = 0; i < 3; ++i)
        DecodeBlock(blocks + 64 * i, scan_[i]);
    if (bits_.Overrun())
        return QZ_WRAP(bits_.TakeEndError());
    for (int i = 0; i < 3; ++i)
        Transform(blocks + 64 * i, scan_[i].quant->values);
    const int n = 8 / scale_;
    for (int y = 0; y < n; ++y) {
        uint8_t* dst = out + y * outRowBytes_;
        for (int x = 0; x < n; ++x)
            for (int i = 0; i < 3; ++i)
                dst[3 * x + i] = Limit(blocks[64 * i + y * 8 + x] + 128);
    }
    return nullptr;
}

// kH x kV luminance blocks in row order, then one Cb and one Cr block whose
// samples each serve kH x kV output pixels.
template <int kH, int kV>
IVorlatError* CJpegDecoder::WriteColorMcu(uint8_t* out)
{
    constexpr int kLuma = kH * kV;
    int32_t* blocks = blocks_.data();
    for (int i = 0; i < kLuma; ++i)
        DecodeBlock(blocks + 64 * i, scan_[0]);
    DecodeBlock(blocks + 64 * kLuma, scan_[1]);
    DecodeBlock(blocks + 64 * (kLuma + 1), scan_[2]);
    if (bits_.Overrun())
        return QZ_WRAP(bits_.TakeEndError());
    for (int i = 0; i < kLuma; ++i)
        Transform(blocks + 64 * i, scan_[0].quant->values);
    Transform(blocks + 64 * kLuma, scan_[1].quant->values);
    Transform(blocks + 64 * (kLuma + 1), scan_[2].quant->values);

    const int n = 8 / scale_;
    const int32_t* cb = blocks + 64 * kLuma;
    const int32_t* cr = blocks + 64 * (kLuma + 1);
    if (n == 8) {
        int16_t red[64], green[64], blue[64];
        ChromaTerms(cb, cr, 64, red, green, blue);
        for (int by = 0; by < kV; ++by)
            for (int bx = 0; bx < kH; ++bx) {
                const int32_t* luma = blocks + 64 * (by * kH + bx);
                for (int y = 0; y < 8; ++y) {
                    const int outY = by * 8 + y;
                    const int c = (outY / kV) * 8 + bx * 8 / kH;
                    ColorRow(luma + y * 8, red + c, green + c, blue + c, 8, kH, out + outY * outRowBytes_ + 24 * bx);
                }
            }
        return nullptr;
    }
    // Reduced scales: the chroma sample of a pixel is (bx n + x) / kH.
    // R = Y + 1.402 Cr, G = Y - 0.344 Cb - 0.714 Cr, B = Y + 1.772 Cb, in 8-bit fixed point.
    int32_t red[64], green[64], blue[64];
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int i = y * 8 + x;
            red[i] = 359 * cr[i] + 128;
            green[i] = -88 * cb[i] - 183 * cr[i] + 128;
            blue[i] = 454 * cb[i] + 128;
        }
    for (int by = 0; by < kV; ++by)
        for (int bx = 0; bx < kH; ++bx) {
            const int32_t* luma = blocks + 64 * (by * kH + bx);
            for (int y = 0; y < n; ++y) {
                const int outY = by * n + y;
                uint8_t* dst = out + outY * outRowBytes_ + 3 * bx * n;
                const int chromaRow = (outY / kV) * 8;
                for (int x = 0; x < n; ++x) {
                    const int c = chromaRow + (bx * n + x) / kH;
                    const int32_t base = (luma[y * 8 + x] + 128) * 256;
                    dst[3 * x] = Limit((base + red[c]) >> 8);
                    dst[3 * x + 1] = Limit((base + green[c]) >> 8);
                    dst[3 * x + 2] = Limit((base + blue[c]) >> 8);
                }
            }
        }
    return nullptr;
}

IVorlatError* CJpegDecoder::ChooseMcuWriter()
{
    switch (samplingCode_) {
    case 0x11: mcuWriter_ = &CJpegDecoder::WriteGreyMcu; break;
    case 0x111111:
        mcuWriter_ = scan_[0].id == 72 ? &CJpegDecoder::WriteUnconvertedMcu : &CJpegDecoder::WriteColorMcu<1, 1>;
        break;
    case 0x211111: mcuWriter_ = &CJpegDecoder::WriteColorMcu<2, 1>; break;
    case 0x121111: mcuWriter_ = &CJpegDecoder::WriteColorMcu<1, 2>; break;
    case 0x221111: mcuWriter_ = &CJpegDecoder::WriteColorMcu<2, 2>; break;
    default: mcuWriter_ = nullptr; return QZ_FAIL(kErrJpegScan);
    }
    return nullptr;
}

} // namespace quarnite
