// One image of a TIFF structure, shared by the directory readers and writers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quarnite {

// The decoding parameters of the maker's compressed raw data, carried by the
// maker note.
struct CompressedRawParameters {
    uint16_t predictors[4] = {};  // (even, even), (even, odd), (odd, even), (odd, odd)
    std::vector<uint16_t> curve;
    std::vector<uint8_t> table;   // the code table as stored (scrambled)
};

struct TiffImageRecord {
    uint32_t width = 0;
    uint32_t height = 0;
    bool mirrored = false;
    double rotation = 0.0;
    uint32_t bitsPerSample[4] = {};
    uint32_t compression = 1;
    int32_t photometric = -1;
    uint32_t samplesPerPixel = 1;
    uint32_t rawPackingMode = 0;  // RawPackingMode
    std::vector<uint32_t> stripByteCounts;
    std::vector<uint32_t> stripOffsets;
    std::unique_ptr<CompressedRawParameters> compressedRaw;  // CompressedRawParameters
    uint16_t predictor = 1;
    uint32_t rowsPerStrip = 0;
    uint32_t stripCount = 0;
    double resolution = 72.0;  // pixels per inch
    uint32_t resolutionUnit = 2;
    uint16_t planarConfiguration = 1;
    uint32_t jpegOffset = 0;
    uint32_t jpegLength = 0;
    int32_t colorSpace = 0;  // the pipeline's colour-space code (the pixel type)
    uint8_t cfaPattern[4] = {};
    uint16_t cfaRepeat[2] = {};
    uint32_t ycbcrPositioning = 0;
    uint32_t offsetBase = 0;
    // Writing: where the placeholders of the strip offset and byte count lie.
    uint32_t stripOffsetPosition = 0;
    uint32_t stripByteCountPosition = 0;

    void Reset() { *this = TiffImageRecord(); }
    TiffImageRecord() = default;
    TiffImageRecord(TiffImageRecord&&) = default;
    TiffImageRecord& operator=(TiffImageRecord&&) = default;
};

} // namespace quarnite
