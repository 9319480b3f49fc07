#include "QRV/multi_lut.h"

#include <cmath>
#include <new>

#include "QRV/numeric.h"

namespace qrv {

CMultiLutBase::CMultiLutBase() : CMultiLutBase(0, 0, 0) {}

CMultiLutBase::CMultiLutBase(uint32_t grid, uint32_t inputs, uint32_t outputs)
    : table_(MakeCountedBuffer()), grid_(grid), inputs_(inputs), outputs_(outputs)
{
}

CMultiLutBase::~CMultiLutBase()
{
    CbFree(table_);
}

void* CMultiLutBase::LockTable()
{
    if (!table_.data)
        return nullptr;
    ++table_.lockCount;
    return table_.data;
}

int32_t CMultiLutBase::UnlockTable()
{
    return CbUnlock(table_);
}

void CMultiLutBase::Interpolate(const uint16_t*, uint16_t*, uint32_t) {}

uint16_t StoreNodeValue(double x)
{
    double v = x * 49151.0 + 8192.0;
    if (!(v > 0.0))
        return 0;
    if (v >= 65535.0)
        return 65535;
    return TruncSat<uint16_t>(v + 0.5);
}

int CMultiLutWorkBase::FillTable(LutNodeCallback routine, void* user)
{
    const uint32_t words = NodeWords();
    uint64_t n = words;
    for (uint32_t k = 0; k < inputs_; ++k)
        n *= grid_;
    // The spare nodes past the last one keep the upper-neighbour reads of the
    // top edge (whose weights are 0) inside the block.
    if (grid_ < 2 || inputs_ < 1 || inputs_ > 4 || outputs_ < 1 || outputs_ > 4 ||
        CbSetLength(table_, n + n / grid_, sizeof(uint16_t), 8) != 0) {
        CbFree(table_);
        return 2;
    }
    uint16_t* node = static_cast<uint16_t*>(CbLock(table_));
    uint32_t index[4] = {0, 0, 0, 0};
    double coords[4] = {0.0, 0.0, 0.0, 0.0};
    double outs[4];
    const double step = 1.0 / (grid_ - 1);
    for (;;) {
        outs[0] = outs[1] = outs[2] = outs[3] = 0.0;
        routine(user, coords, outs);
        for (uint32_t j = 0; j < outputs_; ++j)
            node[j] = StoreNodeValue(outs[j]);
        for (uint32_t j = outputs_; j < words; ++j)
            node[j] = 0;
        node += words;
        int k = static_cast<int>(inputs_) - 1;
        for (; k >= 0; --k) {
            if (++index[k] < grid_) {
                coords[k] = index[k] * step;
                break;
            }
            index[k] = 0;
            coords[k] = 0.0;
        }
        if (k < 0)
            break;
    }
    CbUnlock(table_);
    return 0;
}

CMultiLutTemplateBase::CMultiLutTemplateBase(uint32_t grid, uint32_t inputs, uint32_t outputs)
    : CMultiLutWorkBase(grid, inputs, outputs), index_(MakeCountedBuffer())
{
}

CMultiLutTemplateBase::~CMultiLutTemplateBase()
{
    CbFree(index_);
}

void* CMultiLutTemplateBase::LockTable()
{
    if (index_.data)
        ++index_.lockCount;
    return CMultiLutBase::LockTable();
}

int32_t CMultiLutTemplateBase::UnlockTable()
{
    CbUnlock(index_);
    return CMultiLutBase::UnlockTable();
}

int CMultiLutTemplateBase::FillTable(LutNodeCallback routine, void* user)
{
    if (CbSetLength(index_, 0x20000, sizeof(uint16_t), 1) != 0) {
        CbFree(table_);
        return 2;
    }
    uint16_t* entry = CbAs<uint16_t>(index_);
    const double scale = (grid_ - 1) * kInv65535;
    for (int v = 65535; v >= 0; --v) {
        double x = scale * v;
        const uint16_t cell = TruncSat<uint16_t>(x);
        entry[2 * v] = cell;
        entry[2 * v + 1] = TruncSat<uint16_t>((x - cell) * 32768.0);
    }
    return CMultiLutWorkBase::FillTable(routine, user);
}

template <uint32_t G, uint32_t I, uint32_t O>
void TMultiLut<G, I, O>::Interpolate(const uint16_t* in, uint16_t* out, uint32_t count)
{
    constexpr uint32_t W = O / 3 * 3 + 1;
    const uint16_t* nodes = this->Nodes();
    const uint16_t* idx = this->IndexTable();
    for (uint32_t p = 0; p < count; ++p, in += I, out += W) {
        if constexpr (I == 1) {
            const uint16_t* c = nodes + idx[2 * in[0]] * W;
            int32_t f = idx[2 * in[0] + 1];
            for (uint32_t j = 0; j < O; ++j) {
                int32_t a = c[j];
                if (f != 0)
                    a = LerpTruncating(a, c[W + j], f);
                out[j] = static_cast<uint16_t>(a);
            }
        } else if constexpr (I == 3) {
            constexpr uint32_t A0 = W * G * G, A1 = W * G, A2 = W;
            const uint16_t* c = nodes + idx[2 * in[0]] * A0 + idx[2 * in[1]] * A1 + idx[2 * in[2]] * A2;
            int32_t f0 = idx[2 * in[0] + 1], f1 = idx[2 * in[1] + 1], f2 = idx[2 * in[2] + 1];
            for (uint32_t j = 0; j < O; ++j) {
                int32_t c00 = c[j], c01 = c[A2 + j], c10 = c[A1 + j], c11 = c[A1 + A2 + j];
                if (f0 != 0) {
                    c00 = LerpTruncating(c00, c[A0 + j], f0);
                    c01 = LerpTruncating(c01, c[A0 + A2 + j], f0);
                    c10 = LerpTruncating(c10, c[A0 + A1 + j], f0);
                    c11 = LerpTruncating(c11, c[A0 + A1 + A2 + j], f0);
                }
                int32_t t = LerpTruncating(c00, c10, f1);
                int32_t u = LerpTruncating(c01, c11, f1);
                out[j] = static_cast<uint16_t>(LerpTruncating(t, u, f2));
            }
        } else {
            constexpr uint32_t A0 = W * G * G * G, A1 = W * G * G, A2 = W * G, A3 = W;
            const uint16_t* base = nodes + idx[2 * in[0]] * A0 + idx[2 * in[1]] * A1 + idx[2 * in[2]] * A2 +
                                   idx[2 * in[3]] * A3;
            int32_t f0 = idx[2 * in[0] + 1], f1 = idx[2 * in[1] + 1], f2 = idx[2 * in[2] + 1],
                    f3 = idx[2 * in[3] + 1];
            for (uint32_t j = 0; j < O; ++j) {
                // v[b1 b2 b3]: the corner with offsets b1, b2, b3 on axes 1..3.
                int32_t v[8];
                for (uint32_t m = 0; m < 8; ++m) {
                    uint32_t off = ((m >> 2) & 1) * A1 + ((m >> 1) & 1) * A2 + (m & 1) * A3;
                    v[m] = base[off + j];
                    if (f0 != 0)
                        v[m] = LerpTruncating(v[m], base[A0 + off + j], f0);
                }
                for (uint32_t m = 0; m < 4; ++m)
                    v[m] = LerpTruncating(v[m], v[m + 4], f1);
                for (uint32_t m = 0; m < 2; ++m)
                    v[m] = LerpTruncating(v[m], v[m + 2], f2);
                out[j] = static_cast<uint16_t>(LerpTruncating(v[0], v[1], f3));
            }
        }
    }
}

template class TMultiLut<256, 1, 1>;
template class TMultiLut<256, 1, 3>;
template class TMultiLut<256, 1, 4>;
template class TMultiLut<32, 3, 1>;
template class TMultiLut<32, 3, 3>;
template class TMultiLut<32, 3, 4>;
template class TMultiLut<16, 4, 1>;
template class TMultiLut<16, 4, 3>;
template class TMultiLut<16, 4, 4>;

uint32_t GridForInputs(uint32_t inputs)
{
    return inputs == 1 ? 256 : inputs == 3 ? 32 : 16;
}

CMultiLutWorkBase* NewPortableLut(uint32_t inputs, uint32_t outputs)
{
    auto make = [&]<uint32_t G, uint32_t I>() -> CMultiLutWorkBase* {
        switch (outputs) {
        case 1: return new (std::nothrow) TMultiLut<G, I, 1>;
        case 3: return new (std::nothrow) TMultiLut<G, I, 3>;
        case 4: return new (std::nothrow) TMultiLut<G, I, 4>;
        default: return nullptr;
        }
    };
    switch (inputs) {
    case 1: return make.template operator()<256, 1>();
    case 3: return make.template operator()<32, 3>();
    case 4: return make.template operator()<16, 4>();
    default: return nullptr;
    }
}

int CMultiLutInit::Size(uint32_t grid, uint32_t inputs, uint32_t outputs, uint64_t& n)
{
    grid_ = grid;
    inputs_ = inputs;
    outputs_ = outputs;
    n = outputs;
    for (uint32_t k = 0; k < inputs; ++k)
        n *= grid;
    uint32_t stride = outputs;
    for (int k = static_cast<int>(inputs) - 1; k >= 0; --k) {
        strides_[k] = stride;
        stride *= grid;
    }
    if (grid < 2 || inputs < 1 || inputs > 4 || CbSetLength(table_, n + n / grid, sizeof(uint16_t), 1) != 0) {
        CbFree(table_);
        return 2;
    }
    return 0;
}

int CMultiLutInit::LoadTable16(uint32_t grid, uint32_t inputs, uint32_t outputs, const uint16_t* source)
{
    uint64_t n;
    if (Size(grid, inputs, outputs, n) != 0)
        return 2;
    uint16_t* t = CbAs<uint16_t>(table_);
    for (uint64_t i = 0; i < n; ++i)
        t[i] = source[i];
    return 0;
}

int CMultiLutInit::LoadTable8(uint32_t grid, uint32_t inputs, uint32_t outputs, const uint8_t* source,
                              bool pcsTo)
{
    uint64_t n;
    if (Size(grid, inputs, outputs, n) != 0)
        return 2;
    // A PCS table of three outputs is in the legacy encoding, where byte 255
    // stands for 65280.
    const uint16_t factor = outputs == 3 && pcsTo ? 256 : 257;
    uint16_t* t = CbAs<uint16_t>(table_);
    for (uint64_t i = 0; i < n; ++i)
        t[i] = static_cast<uint16_t>(source[i] * factor);
    return 0;
}

void CMultiLutInit::ConvertLchToLab()
{
    if (outputs_ != 3 || !CbHasData(table_))
        return;
    uint64_t nodes = 1;
    for (uint32_t k = 0; k < inputs_; ++k)
        nodes *= grid_;
    uint16_t* t = CbAs<uint16_t>(table_);
    const double pi = 3.14159265358979323846;
    for (uint64_t i = nodes; i-- > 0;) {
        uint16_t* w = t + i * 3;
        double l = w[0] * 0.0015318627450980394;
        double c = w[1] / 256.0;
        double h = w[2] * 2.0 * pi / 65536.0;
        double angle = std::fmod(h + pi, 2.0 * pi) - pi;
        double a = c * std::cos(angle);
        double b = c * std::sin(angle);
        double el = !(l > 0.0) ? 0.0 : l >= 100.0 ? 65535.0 : l * 652.8;
        double ea = !(a > -128.0) ? 0.0 : a >= 128.0 ? 65535.0 : (a + 128.0) * 256.0;
        double eb = !(b > -128.0) ? 0.0 : b >= 128.0 ? 65535.0 : (b + 128.0) * 256.0;
        w[0] = TruncSat<uint16_t>(el + 0.5);
        w[1] = TruncSat<uint16_t>(ea + 0.5);
        w[2] = TruncSat<uint16_t>(eb + 0.5);
    }
}

void CMultiLutInit::Evaluate(const double* in, double* out) const
{
    const uint16_t* t = CbAs<uint16_t>(table_);
    if (!t) {
        for (uint32_t j = 0; j < outputs_; ++j)
            out[j] = 0.0;
        return;
    }
    uint32_t cell[4];
    double frac[4];
    for (uint32_t k = 0; k < inputs_; ++k) {
        double v = in[k];
        if (!(v > 0.0)) {
            cell[k] = 0;
            frac[k] = 0.0;
        } else if (v >= 65535.0) {
            cell[k] = grid_ - 1;
            frac[k] = 0.0;
        } else {
            double x = v * (grid_ - 1) * kInv65535;
            cell[k] = TruncSat<uint32_t>(x);
            frac[k] = x - cell[k];
            // Rounding may land on the last node; there is nothing above it.
            if (cell[k] >= grid_ - 1) {
                cell[k] = grid_ - 1;
                frac[k] = 0.0;
            }
        }
    }
    uint64_t base = 0;
    for (uint32_t k = 0; k < inputs_; ++k)
        base += static_cast<uint64_t>(cell[k]) * strides_[k];
    const uint32_t corners = 1u << inputs_;
    for (uint32_t j = 0; j < outputs_; ++j) {
        // v[m]: the corner whose offset on axis k is bit k of m. An upper
        // neighbour is read only when its axis has a fraction.
        double v[16];
        for (uint32_t m = 0; m < corners; ++m) {
            uint64_t off = base;
            bool read = true;
            for (uint32_t k = 0; k < inputs_; ++k) {
                if (m >> k & 1) {
                    if (frac[k] == 0.0)
                        read = false;
                    off += strides_[k];
                }
            }
            v[m] = read ? t[off + j] : 0.0;
        }
        for (uint32_t k = 0; k < inputs_; ++k) {
            if (frac[k] == 0.0)
                continue;
            for (uint32_t m = 0; m < corners; ++m)
                if ((m >> k & 1) == 0 && (m & ((1u << k) - 1)) == 0)
                    v[m] = v[m] + frac[k] * (v[m | 1u << k] - v[m]);
        }
        out[j] = v[0];
    }
}

}  // namespace qrv
