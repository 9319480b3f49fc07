// The last filter of a display chain: grey or RGB of 8 or 16 bits in, 24-bit
// BGR tiles with a bitmap header out, ready to be drawn.
#pragma once

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CBGRizeFilter : public CVorlatFilterBase {
public:
    explicit CBGRizeFilter(IVorlatManager* manager);

    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;

protected:
    IVorlatError* GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                        int32_t* colorSpace) override;
    // The output stays BGR whatever the source's layout becomes.
    IVorlatError* FilterColorSpace(const IVorlatDataSource* source,
                                   IVorlatDataDestination::ChangeColorSpace* change) override;
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;
};

// Turns a histogram of 2^histogramBits bins into a tone table of 2^lutBits
// entries below 2^outputBits that rises one level each time the running count
// passes percent of the highest bin. workX and workY, when given, hold
// 2^histogramBits + 1 entries each; null ones are allocated here. Returns true
// only when a work buffer could not be allocated.
KOLVEX_API bool BuildHistogramToneCurve(uint32_t percent, uint32_t* histogram, uint32_t histogramBits, uint16_t* lut,
                                        int32_t lutBits, int32_t outputBits, uint32_t* workX, uint32_t* workY);
