// Input files for our side of the whole-command comparisons: pixels made band
// by band, written as an uncompressed TIFF through our own saver (the file a
// person would have saved with the program).
#pragma once

#include "bench/peer_run.h"
#include "bench/tools/command.h"

namespace peer {

// colourSpace 32: RGB 8-bit; 33: RGB 16-bit (samples in this machine's order).
inline void WriteTiff(const std::string& path, int32_t width, int32_t height, int32_t colourSpace,
                      const BandMaker& make)
{
    const int32_t pixelBytes = colourSpace == 33 ? 6 : 3;
    IVorlatManager* manager = benchcmd::OpenManager();
    IVorlatImage* image = nullptr;
    benchcmd::Check(manager->CreateImage(&image, kVorlatUsageKeep), "image");
    benchcmd::Check(image->SetColorSpace(colourSpace), "colour space");
    benchcmd::Check(image->SetSize(width, height), "size");
    constexpr int32_t kBand = 64;
    std::vector<uint8_t> band(static_cast<size_t>(width) * pixelBytes * kBand);
    for (int32_t top = 0; top < height; top += kBand) {
        const int32_t rows = std::min(kBand, height - top);
        make(top, rows, band.data());
        benchcmd::Check(image->SetData(band.data(), width * pixelBytes, RECT{0, top, width, top + rows}), "pixels");
    }
    benchcmd::Save(image, path, kFormatTiff, 0);
    image->Destroy();
    manager->Destroy();
}

}  // namespace peer
