// The high-quality filter's row kernel, for the filter and its tests.
#pragma once

#include "app/core/demosaic/demosaic_kernel_impl.h"

namespace demosaic {

// After source row y is read the stages make, in order: activities of row
// y - 1, the direction class and colour difference of row y - 3, the
// difference planes of row y - 4, the colour strength of row y - 6, the colour
// flags, refined class and luminance of row y - 10 and the colour of row y - 11.
class CHighQualityKernel : public CDemosaicKernel {
public:
    static constexpr int32_t kClassLag = 3;
    static constexpr int32_t kFlagLag = 10;
    static constexpr int32_t kColourLag = 11;
    // The row driver reads Reach() rows past a colour row, one more than the
    // colour lag, and resampling still weighs the row above it then: four
    // rows would already hold the newest row in that one's place.
    static constexpr int32_t kReach = 12;
    static constexpr int32_t kColourRows = 4 + kReach - kColourLag;

    int32_t Reach() const override { return kReach; }
    size_t BytesPerColumn() const override;
    bool Reserve(int32_t colourColumns) override;
    void Start(int32_t firstColumn, const uint32_t* const* tables) override;
    void Advance(int32_t y, const uint16_t* samples) override;
    const uint16_t* Colour(int32_t y) const override { return colour_.Row(y) + 3 * Reach(); }

    // P0 (direction class), P1 (refined class), P2 (diagonal class).
    void SetThresholds(int32_t p0, int32_t p1, int32_t p2);

    // Ring rows for tests: column j is source column firstColumn - Reach() + j.
    const uint8_t* ClassRow(int32_t y) const { return class_.Row(y); }
    const uint8_t* FlagRow(int32_t y) const { return flag_.Row(y); }
    const uint8_t* RefinedRow(int32_t y) const { return refined_.Row(y); }
    const int32_t* LumaRow(int32_t y) const { return luma_.Row(y); }
    const int32_t* MosaicRow(int32_t y) const { return mosaic_.Row(y); }

private:
    void Activity(int32_t r);
    void Classify(int32_t r);
    void Difference(int32_t r);
    void Planes(int32_t r);
    void Strength(int32_t r);
    void Flags(int32_t r);
    void Refine(int32_t r);
    void Luma(int32_t r);
    void Recombine(int32_t r);
    bool Green(int32_t c, int32_t r) const { return ((left_ + c + r) & 1) != 0; }

    CRingBlock block_;
    Ring<int32_t> mosaic_;      // 12 rows
    Ring<int32_t> activity_;    // 5 rows, horizontal, vertical, main and anti-diagonal per site
    Ring<int32_t> hv_;          // 12 rows, horizontal and vertical per site
    Ring<uint8_t> class_;       // 8 rows
    Ring<int32_t> difference_;  // 3 rows
    Ring<int32_t> planes_;      // 10 rows, red and blue minus green per site
    Ring<int32_t> strength_;    // 9 rows
    Ring<uint8_t> flag_;        // 2 rows
    Ring<uint8_t> refined_;     // 1 row
    Ring<int32_t> luma_;        // 3 rows
    Ring<uint16_t> colour_;     // kColourRows rows
    int32_t columns_ = 0;
    int32_t left_ = 0;
    const uint32_t* tables_[3] = {};
    int64_t directionThreshold_ = 0, refinedThreshold_ = 0, diagonalThreshold_ = 0;
};

} // namespace demosaic
