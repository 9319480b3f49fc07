// The compressed raw decoder: the first bytes choose the image size, the
// predictors, the curve length and the chunk and band sizes, the next 32 are
// the code table, the rest is the compressed data.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fileio/tiff/raw_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kHead = 12, kTable = 32;
    if (size < kHead + kTable)
        return 0;
    const uint32_t width = 1 + data[0] % 64, height = 1 + data[1] % 32;
    const size_t chunk = 1 + data[2] % 17;
    const uint32_t bandRows = 1 + data[3] % 4;
    quarnite::CompressedRawParameters parameters;
    for (int i = 0; i < 4; ++i)
        parameters.predictors[i] = static_cast<uint16_t>(data[4 + i] << 4);
    const size_t curve = static_cast<size_t>(data[8] | data[9] << 8) % 5000;
    parameters.curve.resize(curve);
    for (size_t i = 0; i < curve; ++i)
        parameters.curve[i] = static_cast<uint16_t>(i * (1 + data[10] % 20));
    parameters.table.assign(data + kHead, data + kHead + kTable);
    const uint8_t* input = data + kHead + kTable;
    const size_t length = size - kHead - kTable;

    quarnite::CompressedRawDecoder decoder;
    if (!decoder.Init(width, height, parameters))
        return 0;
    std::vector<uint16_t> band(static_cast<size_t>(width) * bandRows);
    size_t fed = 0;
    while (!decoder.Finished()) {
        decoder.SetOutput(band.data(), static_cast<uint32_t>(band.size() * 2));
        const uint32_t before = decoder.RowsDone();
        quarnite::CompressedRawDecoder::Result result;
        while ((result = decoder.Decode()) == quarnite::CompressedRawDecoder::kNeedInput && fed < length) {
            const size_t n = chunk < length - fed ? chunk : length - fed;
            decoder.SetInput(input + fed, static_cast<uint32_t>(n), fed + n == length);
            fed += n;
        }
        if (result != quarnite::CompressedRawDecoder::kStopped || decoder.RowsDone() == before)
            break;
        for (uint16_t v : band)
            if (v > quarnite::kMosaicMax)
                __builtin_trap();  // every sample keeps the mosaic's 12 bits
    }
    return 0;
}
