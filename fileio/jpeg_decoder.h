// The baseline decoder behind the JPEG reader: the marker parser for the
// tables, the frame and the scan, and the band-by-band and on-demand decoding
// of the one scan into a pipeline image at scale 1, 1/2, 1/4 or 1/8 (the
// reduced scales made inside the inverse DCT). The reader adds the application
// segments and the tag store through the hooks.
#pragma once

#include <cstdint>
#include <vector>

#include "Vorlat/VorlatImage.h"
#include "fileio/VorlatStream.h"
#include "fileio/jpeg_bit_reader.h"
#include "fileio/jpeg_huffman.h"

namespace quarnite {

struct JpegQuantTable {
    uint32_t id = 0;         // the whole first byte of the definition
    uint32_t values[64] = {};  // natural order, as stored
};

struct JpegHuffmanTable {
    uint32_t id = 0;         // the whole class/destination byte
    JpegHuffmanTree tree;
};

struct JpegFrameComponent {
    uint32_t id = 0;
    uint32_t sampling = 0;   // H in the high nibble, V in the low one
    uint32_t quantId = 0;
};

struct JpegScanComponent {
    const JpegQuantTable* quant = nullptr;
    const JpegHuffmanTree* dc = nullptr;
    const JpegHuffmanTree* ac = nullptr;
    uint32_t id = 0;
    int32_t prediction = 0;
};

// Parse flags.
enum : uint32_t {
    kJpegParsing = 0x1,
    kJpegSeenQuant = 0x2,
    kJpegSeenHuffman = 0x4,
    kJpegSeenFrame = 0x8,
    kJpegSeenScan = 0x10,
};

// The 8x8 inverse transforms, in place on 64 coefficients in natural order.
// At scale 1 the block becomes 8x8 samples; at 2 a 4x4, at 4 a 2x2 and at 8 a
// single sample, in the top-left corner with row stride 8. Samples are centred
// on 0 and not clamped.
void InverseDct8x8(int32_t* block, const uint32_t* quant, int32_t scale);
void InverseDctReduced(int32_t* block, const uint32_t* quant, int32_t scale);
// InverseDct8x8 in 64-bit arithmetic, for every block.
void InverseDct8x8Portable(int32_t* block, const uint32_t* quant, int32_t scale);
#if defined(__SSE2__)
// Scale 1 or 2 in 32-bit lanes, with the same results; false, with the block
// untouched, when the block's sums could leave 32 bits.
bool InverseDct8x8Sse2(int32_t* block, const uint32_t* quant, int32_t scale);
#endif

// Colour conversion of the decoder. Chroma terms of count samples: what Cb
// and Cr add to Y + 128 in R, G and B (their 8-bit fixed-point products,
// rounded and shifted, modulo 2^16). A row of count pixels, RGB bytes, from
// centred luma samples and the terms of chroma sample x / step (step 1 or 2).
// A grey row of count samples. All clamp through RangeLimitTable.
void ChromaTermsPortable(const int32_t* cb, const int32_t* cr, int32_t count, int16_t* red, int16_t* green,
                         int16_t* blue);
void ColorRowPortable(const int32_t* luma, const int16_t* red, const int16_t* green, const int16_t* blue,
                      int32_t count, int32_t step, uint8_t* rgb);
void GreyRowPortable(const int32_t* samples, int32_t count, uint8_t* grey);
#if defined(__SSE2__)
void ChromaTermsSse2(const int32_t* cb, const int32_t* cr, int32_t count, int16_t* red, int16_t* green, int16_t* blue);
void ColorRowSse2(const int32_t* luma, const int16_t* red, const int16_t* green, const int16_t* blue, int32_t count,
                  int32_t step, uint8_t* rgb);
void GreyRowSse2(const int32_t* samples, int32_t count, uint8_t* grey);
#endif
inline void ChromaTerms(const int32_t* cb, const int32_t* cr, int32_t count, int16_t* red, int16_t* green,
                        int16_t* blue)
{
#if defined(__SSE2__)
    ChromaTermsSse2(cb, cr, count, red, green, blue);
#else
    ChromaTermsPortable(cb, cr, count, red, green, blue);
#endif
}
inline void ColorRow(const int32_t* luma, const int16_t* red, const int16_t* green, const int16_t* blue,
                     int32_t count, int32_t step, uint8_t* rgb)
{
#if defined(__SSE2__)
    ColorRowSse2(luma, red, green, blue, count, step, rgb);
#else
    ColorRowPortable(luma, red, green, blue, count, step, rgb);
#endif
}
inline void GreyRow(const int32_t* samples, int32_t count, uint8_t* grey)
{
#if defined(__SSE2__)
    GreyRowSse2(samples, count, grey);
#else
    GreyRowPortable(samples, count, grey);
#endif
}

class CJpegDecoder {
public:
    explicit CJpegDecoder(IVorlatStream* stream);
    virtual ~CJpegDecoder();
    CJpegDecoder(const CJpegDecoder&) = delete;
    CJpegDecoder& operator=(const CJpegDecoder&) = delete;

    // Reads the marker segments from offset 2 up to the scan header, once;
    // a failure clears the flags so that the next call parses again.
    IVorlatError* ParseMarkers();

    // Sizes the image and prepares decoding at scale 1, 2, 4 or 8.
    IVorlatError* BeginDecode(IVorlatImage* image, int32_t scale);
    // The same at the current scale.
    IVorlatError* BeginDecode(IVorlatImage* image);

    // Decodes MCU rows until a band is full or the image ends, and hands the band over.
    IVorlatError* Execute();
    bool IsFinished() const { return rowsDone_ >= scale_ * outputHeight_; }
    void GetProgress(int32_t* done, int32_t* total) const;

    // Fills the rows of tile row n of the image; the first call decodes the
    // whole image and records where each MCU row ends.
    IVorlatError* LoadTileRow(int32_t n);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t PixelType() const { return pixelType_; }
    uint32_t ParseFlags() const { return parseFlags_; }
    uint32_t SamplingCode() const { return samplingCode_; }
    uint32_t RestartInterval() const { return restartInterval_; }
    int32_t BandHeight() const { return bandHeight_; }

protected:
    // An application segment APP0, APP1, APP2 or APP13, with the stream right
    // after the marker; the default skips it.
    virtual IVorlatError* ReadApplicationSegment(uint32_t marker);
    // After the size and component count of the frame header were read.
    virtual IVorlatError* OnFrameSize() { return nullptr; }
    // After the frame header's components, with the resolution set to 72.
    virtual IVorlatError* OnFrameEnd() { return nullptr; }
    // After the scan header, when the parse is complete.
    virtual IVorlatError* OnParsed() { return nullptr; }

    IVorlatError* ReadU8(uint32_t* value);
    IVorlatError* ReadU16(uint32_t* value);
    IVorlatError* Skip(uint32_t bytes);
    IVorlatError* SkipSegment();

    IVorlatStream* stream_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t pixelType_ = 0;
    double resolution_ = 72.0;
    double rotation_ = 0.0;
    bool flip_ = false;
    uint32_t entropyOffset_ = 0;
    uint32_t parseFlags_ = 0;

private:
    using McuWriter = IVorlatError* (CJpegDecoder::*)(uint8_t* out);
    template <int kH, int kV> IVorlatError* WriteColorMcu(uint8_t* out);
    IVorlatError* WriteGreyMcu(uint8_t* out);
    IVorlatError* WriteUnconvertedMcu(uint8_t* out);

    IVorlatError* ReadQuantTables();
    IVorlatError* ReadHuffmanTables();
    IVorlatError* ReadFrameHeader();
    IVorlatError* ReadScanHeader();
    IVorlatError* ReadRestartInterval();
    IVorlatError* ChooseMcuWriter();
    IVorlatError* PrepareImage(IVorlatImage* image);
    void DecodeBlock(int32_t* block, JpegScanComponent& component);
    void Transform(int32_t* block, const uint32_t* quant);
    IVorlatError* DecodeMcuRow(uint8_t* row);
    IVorlatError* HandOver(const uint8_t* bits, int32_t rowBytes, int32_t top, int32_t bottom, int32_t right);
    void ForgetPartTileRow(int32_t handedTo);

    std::vector<JpegQuantTable> quantTables_;
    std::vector<JpegHuffmanTable> huffmanTables_;
    std::vector<JpegFrameComponent> frameComponents_;
    JpegScanComponent scan_[3];
    uint32_t scanCount_ = 0;
    uint32_t samplingCode_ = 0;
    int32_t mcuWidth_ = 8;
    int32_t mcuHeight_ = 8;
    int32_t blocksPerMcu_ = 1;
    std::vector<int32_t> blocks_;
    McuWriter mcuWriter_ = nullptr;
    int32_t sizeIndex_ = 1;

    uint32_t restartInterval_ = 0;
    uint32_t mcusSinceRestart_ = 0;
    JpegBitReader bits_;

    IVorlatImage* image_ = nullptr;
    int32_t rowBytes_ = 0;        // one full-size row padded to whole MCUs
    int32_t outRowBytes_ = 0;     // row bytes / scale
    std::vector<uint8_t> band_;
    int32_t bandHeight_ = 0;
    int32_t tileRows_ = 0;        // rows of one tile row of the image
    uint8_t* writePosition_ = nullptr;
    int32_t mcuColumn_ = 0;
    int32_t mcuRow_ = 0;
    int32_t rowsDone_ = 0;
    int32_t outputHeight_ = 0;
    int32_t scale_ = 1;

    // The on-demand index: the state after each MCU row.
    struct RowState {
        uint32_t offset;
        int32_t predictions[3];
        uint32_t bitsLeft;
        uint32_t currentByte;
    };
    std::vector<RowState> rowIndex_;
    bool firstPass_ = true;
};

} // namespace quarnite
