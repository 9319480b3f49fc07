// The single-pass filter's row kernel, for the filter and its tests.
#pragma once

#include "app/core/demosaic/demosaic_kernel_impl.h"

namespace demosaic {

// Rings: the coded mosaic (5 rows), green (3 rows) and colour (4 rows). After
// source row y is read, green is made for row y - 2 and colour for row y - 3.
class CSinglePassKernel : public CDemosaicKernel {
public:
    int32_t Reach() const override { return 3; }
    size_t BytesPerColumn() const override;
    bool Reserve(int32_t colourColumns) override;
    void Start(int32_t firstColumn, const uint32_t* const* tables) override;
    void Advance(int32_t y, const uint16_t* samples) override;
    const uint16_t* Colour(int32_t y) const override { return colour_.Row(y) + 3 * Reach(); }

    // Ring rows for tests: column j is source column firstColumn - Reach() + j.
    const int32_t* MosaicRow(int32_t y) const { return mosaic_.Row(y); }
    const int32_t* GreenRow(int32_t y) const { return green_.Row(y); }

private:
    void Green(int32_t r);
    void RedBlue(int32_t r);

    CRingBlock block_;
    Ring<int32_t> mosaic_, green_;
    Ring<uint16_t> colour_;
    int32_t columns_ = 0;
    int32_t left_ = 0;  // source column of ring column 0
    const uint32_t* tables_[3] = {};
};

} // namespace demosaic
