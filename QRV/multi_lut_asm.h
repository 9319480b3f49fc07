#pragma once

// The grid table on a processor with MMX: the same grid, node layout and fill
// as the portable tables, interpolated by kernels that work on four 16-bit
// lanes at once. Cell and fraction come from a fixed-point multiply, the
// lerps run on halved node values and take the floor of each weighted
// difference, and the result is doubled again, so results are close to the
// portable ones but not equal.

#include "QRV/multi_lut.h"

namespace qrv {

class CMultiLutAsm : public CMultiLutWorkBase {
public:
    typedef void (*Kernel)(const uint16_t* in, uint16_t* out, const uint16_t* nodes, uint32_t count);

    // family 0 is the only kernel family; a grid that does not follow the
    // input count (256, 32, 16 for 1, 3, 4) or other counts leave no kernel.
    CMultiLutAsm(uint32_t grid, uint32_t inputs, uint32_t outputs, int family);

    // The one-output kernels read and write count rounded up to a multiple
    // of four pixels.
    void Interpolate(const uint16_t* in, uint16_t* out, uint32_t count) override;

    bool HasKernel() const { return kernel_ != nullptr; }

private:
    Kernel kernel_ = nullptr;
};

// Cell and 15-bit fraction of a 16-bit value on an axis of grid points, as
// the kernels compute them.
inline void AsmCellFraction(uint32_t v, uint32_t grid, uint32_t& cell, uint32_t& fraction)
{
    uint64_t p = static_cast<uint64_t>(v) * ((grid - 1) * 65537u) + 65536u;
    cell = static_cast<uint32_t>(p >> 32);
    fraction = static_cast<uint32_t>(p) >> 17;
}

}  // namespace qrv
