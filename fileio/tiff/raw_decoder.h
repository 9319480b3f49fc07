// The maker's compressed raw data (TIFF compression 34713): Huffman-coded
// differences, predicted vertically for the first two samples of a row and
// horizontally for the rest, then linearised through a curve. Input comes in
// chunks and decoding stops and resumes anywhere, even inside a code; output is
// one band of whole rows at a time.
#pragma once

#include <cstdint>

#include "fileio/tiff/tiff_image_record.h"

namespace quarnite {

// The largest sample a mosaic holds: one 16-bit sample per pixel, 12 significant bits.
constexpr uint16_t kMosaicMax = 4095;

// Turns the 32 stored table bytes into the plain code table. The
// stored bytes are the plain table itself; this is the one place to change if
// that ever differs.
void DescrambleRawTable(const uint8_t stored[32], uint8_t plain[32]);

class CompressedRawDecoder {
public:
    enum Result {
        kNeedInput,  // stopped inside the data: give the next chunk with SetInput
        kStopped,    // the output is full or every row is done
        kCorrupt,    // a bit pattern that no code of the table starts with
    };

    // False when the parameters cannot decode anything: no curve, or a code
    // table that is short, over-subscribed, too long or has symbols above 16.
    bool Init(uint32_t width, uint32_t height, const CompressedRawParameters& parameters);
    // The next chunk of compressed bytes. `last` says that no byte follows it,
    // so that the final code may be shorter than the 10-bit peek.
    void SetInput(const uint8_t* bytes, uint32_t length, bool last = false);
    // Where the next band goes; only whole rows are written into it.
    void SetOutput(uint16_t* buffer, uint32_t bytes);
    Result Decode();

    bool NeedsInput() const { return inputRemaining_ == 0; }
    bool OutputFull() const { return outputRemaining_ < 2ull * width_; }
    bool Finished() const { return rowsRemaining_ == 0; }
    uint32_t RowsDone() const { return height_ - rowsRemaining_; }
    // Back to the first row of the current chunk; the vertical predictors keep
    // their values.
    void Rewind();

private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    const uint8_t* input_ = nullptr;
    uint16_t* output_ = nullptr;
    const uint8_t* inputStart_ = nullptr;
    uint64_t bits_ = 0;  // valid bits are the low bitCount_ ones, oldest first
    uint32_t bitCount_ = 0;
    uint32_t rowsRemaining_ = 0;
    uint32_t inputRemaining_ = 0;
    uint64_t outputRemaining_ = 0;
    uint32_t inputLength_ = 0;
    bool lastChunk_ = false;
    int32_t vertical_[2][2] = {};
    int32_t horizontal_[2] = {};
    uint32_t column_ = 0;
    uint32_t rowParity_ = 0;
    uint16_t curve_[4096] = {};
    uint16_t lookup_[1024] = {};  // code length << 8 | difference length; 0 where no code starts
};

} // namespace quarnite
