// The baseline JPEG encoder: an 8-bit grey or 24-bit RGB image source becomes
// one sequential scan with the standard Huffman tables, at one of five quality
// levels that fix the quantisers, the chroma sampling and the transform. It
// works in bands of at most 128 rows, one band per Execute.
#pragma once

#include <cstdint>
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
    struct HuffmanCodes {
        uint16_t code[256];
        uint8_t size[256];
    };
    struct BlockCoder {
        const HuffmanCodes* dc;
        const HuffmanCodes* ac;
        const uint32_t* multipliers;
        int32_t previousDc;
    };

    IVorlatError* FetchBand(int32_t top, int32_t rows);
    void ConvertBand(int32_t rows);
    void EncodeBlock(int32_t* block, BlockCoder& coder);
    void PutBits(uint32_t bits, int size)
    {
        bitBuffer_ = (bitBuffer_ << size) | bits;
        bitCount_ += size;
        if (bitCount_ >= 32)
            EmitBytes();
    }
    void EmitBytes();
    IVorlatError* Flush();

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

    uint32_t lumMultipliers_[64] = {};
    uint32_t chromMultipliers_[64] = {};
    HuffmanCodes lumDc_ = {}, lumAc_ = {}, chromDc_ = {}, chromAc_ = {};
    BlockCoder coders_[3] = {};

    uint64_t bitBuffer_ = 0;
    int bitCount_ = 0;
    std::vector<uint8_t> output_;
    size_t outputFill_ = 0;
    size_t worstMcu_ = 0;

    std::vector<uint8_t> rows_;           // one band of source rows
    std::vector<int16_t> luma_;           // level-shifted, padded to whole MCUs
    std::vector<int16_t> cb_, cr_;        // subsampled and padded
    int32_t planeWidth_ = 0;
    int32_t chromaWidth_ = 0;
    int32_t rowsDone_ = 0;
};

} // namespace quarnite
