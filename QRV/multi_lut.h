#pragma once

// Grid tables of one, three or four inputs: filled once per transform build
// by a node routine, then read back by multilinear interpolation in 16-bit
// integer arithmetic. A stored node value is x * 49151 + 8192 for a colour
// value x of 0.0 .. 1.0, which leaves an eighth of the range spare at each end.

#include <cstdint>

#include "QRV/counted_buffer.h"

namespace qrv {

// Evaluates the colour transform at one node: coordinates in 0.0 .. 1.0, one
// per input channel; outputs in the 0.0 .. 1.0 scale of a stored node value.
typedef void (*LutNodeCallback)(void* user, const double* coords, double* outputs);

class CMultiLutBase {
public:
    CMultiLutBase();
    CMultiLutBase(uint32_t grid, uint32_t inputs, uint32_t outputs);
    virtual ~CMultiLutBase();
    CMultiLutBase(const CMultiLutBase&) = delete;
    CMultiLutBase& operator=(const CMultiLutBase&) = delete;

    // The block as allocated (not rounded up to the alignment), or null.
    virtual void* LockTable();
    virtual int32_t UnlockTable();
    // in: inputs values per pixel, packed; out: one value per pixel for one
    // output channel, four otherwise.
    virtual void Interpolate(const uint16_t* in, uint16_t* out, uint32_t count);

    // Words per node: one for one output, four for three or four.
    uint32_t NodeWords() const { return outputs_ / 3 * 3 + 1; }
    uint32_t Grid() const { return grid_; }
    uint32_t Inputs() const { return inputs_; }
    uint32_t Outputs() const { return outputs_; }
    const CountedBuffer& Table() const { return table_; }
    const uint16_t* Nodes() const { return CbAs<uint16_t>(table_); }

protected:
    CountedBuffer table_;
    uint32_t grid_;
    uint32_t inputs_;
    uint32_t outputs_;
};

class CMultiLutWorkBase : public CMultiLutBase {
public:
    using CMultiLutBase::CMultiLutBase;
    // Builds the grid; 0, or 2 when the table cannot be allocated (the table
    // is then empty).
    virtual int FillTable(LutNodeCallback routine, void* user);
};

// Stored node value of a colour value (0.0 is 8192, 1.0 is 57343).
uint16_t StoreNodeValue(double x);

// a + (b - a) * f / 32768 with the division truncating toward zero; only
// this rounding in the tables' axis order gives their 16-bit results.
inline int32_t LerpTruncating(int32_t a, int32_t b, int32_t f)
{
    return a + (b - a) * f / 32768;
}

class CMultiLutTemplateBase : public CMultiLutWorkBase {
public:
    CMultiLutTemplateBase(uint32_t grid, uint32_t inputs, uint32_t outputs);
    ~CMultiLutTemplateBase() override;
    void* LockTable() override;
    int32_t UnlockTable() override;
    int FillTable(LutNodeCallback routine, void* user) override;

    // {cell, fraction} for each 16-bit input value.
    const uint16_t* IndexTable() const { return CbAs<uint16_t>(index_); }

protected:
    CountedBuffer index_;
};

// Portable interpolation, one class per grid, input and output count.
template <uint32_t G, uint32_t I, uint32_t O>
class TMultiLut : public CMultiLutTemplateBase {
public:
    TMultiLut() : CMultiLutTemplateBase(G, I, O) {}
    void Interpolate(const uint16_t* in, uint16_t* out, uint32_t count) override;
};

extern template class TMultiLut<256, 1, 1>;
extern template class TMultiLut<256, 1, 3>;
extern template class TMultiLut<256, 1, 4>;
extern template class TMultiLut<32, 3, 1>;
extern template class TMultiLut<32, 3, 3>;
extern template class TMultiLut<32, 3, 4>;
extern template class TMultiLut<16, 4, 1>;
extern template class TMultiLut<16, 4, 3>;
extern template class TMultiLut<16, 4, 4>;

// The portable table for a transform's channel counts, or null when they are
// not 1, 3 or 4 (or allocation fails).
CMultiLutWorkBase* NewPortableLut(uint32_t inputs, uint32_t outputs);

// The grid used for a transform with this many input channels.
uint32_t GridForInputs(uint32_t inputs);

// A profile's own lookup table ('mft1' or 'mft2'), in the profile's 16-bit
// scale, evaluated in floating point while a transform table is filled.
class CMultiLutInit : public CMultiLutBase {
public:
    CMultiLutInit() = default;
    int LoadTable16(uint32_t grid, uint32_t inputs, uint32_t outputs, const uint16_t* source);
    int LoadTable8(uint32_t grid, uint32_t inputs, uint32_t outputs, const uint8_t* source, bool pcsTo);
    // Rewrites a three-output table of 'Lch ' values as 'Lab ' values.
    void ConvertLchToLab();
    // Multilinear interpolation in double precision, values 0 .. 65535.
    void Evaluate(const double* in, double* out) const;
    bool Loaded() const { return CbHasData(table_); }

private:
    int Size(uint32_t grid, uint32_t inputs, uint32_t outputs, uint64_t& n);
    uint32_t strides_[4] = {0, 0, 0, 0};
};

}  // namespace qrv
