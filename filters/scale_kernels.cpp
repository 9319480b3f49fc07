// The scale filter's kernels: per-axis set-ups, and the horizontal pass (source
// row to buffer row) and vertical pass (buffer rows to output row) of the copy,
// area, linear and cubic cases. Integer arithmetic throughout except the cubic
// weights; the area and linear kernels divide by multiplying with a 32-bit
// reciprocal and keeping the upper bits, except for ratios whose sums need 64
// bits, which divide exactly.
#include <cmath>
#include <cstring>

#include "filters/scale_resample_impl.h"

namespace scale_resample {

void ReduceRatio(int32_t* s, int32_t* d)
{
    if (*s < 2)
        return;
    for (int32_t divisor = 2; divisor <= *s && divisor <= *d; divisor += (divisor == 2 ? 1 : 2)) {
        while (*s % divisor == 0 && *d % divisor == 0) {
            *s /= divisor;
            *d /= divisor;
        }
    }
}

uint32_t Reciprocal(int64_t d)
{
    // 2^32 itself (d = 1) keeps its low 32 bits, 0; no kernel divides by 1.
    const double r = std::ceil(4294967296.0 / static_cast<double>(d));
    return static_cast<uint32_t>(static_cast<uint64_t>(r));
}

AxisRatio MakeAxis(Kernel kernel, int32_t s, int32_t d, bool wideSamples)
{
    const uint64_t divisor = kernel == Kernel::Area     ? static_cast<uint64_t>(s)
                             : kernel == Kernel::Linear ? 2 * static_cast<uint64_t>(d)
                                                        : 0;
    const uint64_t maxSample = wideSamples ? 65535 : 255;
    return AxisRatio{s, d, Reciprocal(s), Reciprocal(2 * static_cast<int64_t>(d)), divisor * maxSample > UINT32_MAX};
}

void CubicWeights(double t, int16_t w[4])
{
    w[0] = static_cast<int16_t>(static_cast<int32_t>(((1.0 - t / 2.0) * t - 0.5) * t * 16384.0));
    w[1] = static_cast<int16_t>(static_cast<int32_t>(((1.5 * t - 2.5) * t * t + 1.0) * 16384.0));
    w[2] = static_cast<int16_t>(static_cast<int32_t>(((2.0 - 1.5 * t) * t + 0.5) * t * 16384.0));
    w[3] = static_cast<int16_t>(static_cast<int32_t>((t / 2.0 - 0.5) * t * t * 16384.0));
}

namespace {

void StoreCubic(WeightRecord* rec, double t)
{
    int16_t w[4];
    CubicWeights(t, w);
    for (int i = 0; i < 4; ++i)
        rec->w[i] = static_cast<uint16_t>(w[i]);
}

} // namespace

int32_t SetupArea(WeightRecord* table, int32_t left, int32_t right, int32_t s, int32_t d)
{
    // Output column x covers the source span [x s/d, (x + 1) s/d), in units of 1/d.
    int64_t a = static_cast<int64_t>(left) * s;
    const int32_t start = static_cast<int32_t>(a / d);
    int64_t r = a % d;
    for (int32_t x = left; x < right; ++x) {
        a += s;
        const int64_t rNext = a % d;
        *table++ = WeightRecord{{static_cast<uint32_t>(d - r), static_cast<uint32_t>(rNext),
                                 static_cast<uint32_t>((s - rNext - (d - r)) / d), 0},
                                0};
        r = rNext;
    }
    return start;
}

int32_t SetupLinear(WeightRecord* table, int32_t left, int32_t right, int32_t s, int32_t d)
{
    // Output column x stands for the source position (x + 1/2) s/d - 1/2, in units of 1/(2d).
    const int64_t d2 = 2 * static_cast<int64_t>(d);
    int64_t a = 2 * static_cast<int64_t>(s) * left + s - d;
    int64_t q = FloorDiv(a, d2);
    const int32_t start = static_cast<int32_t>(q);
    int64_t previous = q;
    for (int32_t x = left; x < right; ++x) {
        const int64_t r = a - d2 * q;
        *table++ = WeightRecord{{static_cast<uint32_t>(d2 - r), static_cast<uint32_t>(r), 0, 0},
                                static_cast<uint8_t>(x > left && q > previous)};
        previous = q;
        a += 2 * static_cast<int64_t>(s);
        q = FloorDiv(a, d2);
    }
    return start;
}

int32_t SetupCubic(WeightRecord* table, int32_t left, int32_t right, int32_t s, int32_t d)
{
    const int64_t d2 = 2 * static_cast<int64_t>(d);
    int64_t a = 2 * static_cast<int64_t>(s) * left + s - d;
    int64_t q = FloorDiv(a, d2);
    const int32_t start = static_cast<int32_t>(q - 1);
    int64_t previous = q;
    for (int32_t x = left; x < right; ++x) {
        StoreCubic(table, static_cast<double>(a) / static_cast<double>(d2) - static_cast<double>(q));
        table->advance = static_cast<uint8_t>(x > left && q > previous);
        ++table;
        previous = q;
        a += 2 * static_cast<int64_t>(s);
        q = FloorDiv(a, d2);
    }
    return start;
}

WeightRecord VerticalRecord(Kernel kernel, int64_t r, int64_t rNext, int32_t s, int32_t d)
{
    WeightRecord rec{{0, 0, 0, 0}, 0};
    switch (kernel) {
    case Kernel::Area:
        rec.w[0] = static_cast<uint32_t>(d - r);
        rec.w[1] = static_cast<uint32_t>(rNext);
        rec.w[2] = static_cast<uint32_t>((s - rNext - (d - r)) / d);
        break;
    case Kernel::Linear:
        rec.w[0] = static_cast<uint32_t>(2 * static_cast<int64_t>(d) - r);
        rec.w[1] = static_cast<uint32_t>(r);
        break;
    case Kernel::Cubic:
        StoreCubic(&rec, static_cast<double>(r) / (2.0 * static_cast<double>(d)));
        break;
    case Kernel::Copy:
        break;
    }
    return rec;
}

namespace {

template <typename T>
inline uint32_t Load(const unsigned char* p, int c)
{
    T v;
    std::memcpy(&v, p + c * sizeof(T), sizeof(T));
    return v;
}

template <typename T>
inline void Store(unsigned char* p, int c, uint32_t v)
{
    const T t = static_cast<T>(v);
    std::memcpy(p + c * sizeof(T), &t, sizeof(T));
}

template <typename T>
constexpr int32_t kMaxSample = sizeof(T) == 1 ? 255 : 65535;

// One output sample from its weighted sum. 32-bit sums divide by the
// reciprocal, the rule of every ordinary ratio; 64-bit sums, which only ratios
// beyond that reach, divide exactly, since the reciprocal's error grows with
// the sum and would carry a full-scale sample past the top.
inline uint32_t Quotient(uint32_t sum, uint32_t reciprocal, uint64_t) { return DivideBy(sum, reciprocal); }
inline uint32_t Quotient(uint64_t sum, uint32_t, uint64_t divisor) { return static_cast<uint32_t>(sum / divisor); }

#define KOLVEX_STEP(window)                                  \
    do {                                                     \
        if (IVorlatError* stepError = (window).StepRight())  \
            return stepError;                                \
    } while (0)

template <typename T, int C>
IVorlatError* HorizontalCopy(CSourceWindow& window, int32_t count, uint16_t* out)
{
    for (int32_t i = 0; i < count; ++i, out += 4) {
        const unsigned char* p = window.pixel.GetPtr();
        for (int c = 0; c < C; ++c)
            out[c] = static_cast<uint16_t>(Load<T>(p, c));
        KOLVEX_STEP(window);
    }
    return nullptr;
}

template <typename T, int C, typename Sum>
IVorlatError* HorizontalArea(CSourceWindow& window, const WeightRecord* table, int32_t count, const AxisRatio& axis,
                             uint16_t* out)
{
    const Sum d = static_cast<Sum>(axis.d);
    for (int32_t i = 0; i < count; ++i, out += 4) {
        const WeightRecord& w = table[i];
        Sum part[C], whole[C];
        const unsigned char* p = window.pixel.GetPtr();
        for (int c = 0; c < C; ++c) {
            part[c] = static_cast<Sum>(Load<T>(p, c)) * w.w[0];
            whole[c] = 0;
        }
        KOLVEX_STEP(window);
        for (uint32_t k = 0; k < w.w[2]; ++k) {
            p = window.pixel.GetPtr();
            for (int c = 0; c < C; ++c)
                whole[c] += Load<T>(p, c);
            KOLVEX_STEP(window);
        }
        // The last, partly covered pixel is also the first of the next output pixel: no step.
        if (w.w[1] != 0) {
            p = window.pixel.GetPtr();
            for (int c = 0; c < C; ++c)
                part[c] += static_cast<Sum>(Load<T>(p, c)) * w.w[1];
        }
        for (int c = 0; c < C; ++c)
            out[c] = static_cast<uint16_t>(Quotient(whole[c] * d + part[c], axis.byS, static_cast<uint64_t>(axis.s)));
    }
    return nullptr;
}

template <typename T, int C, typename Sum>
IVorlatError* HorizontalLinear(CSourceWindow& window, const WeightRecord* table, int32_t count,
                               const AxisRatio& axis, uint16_t* out)
{
    const uint64_t divisor = 2 * static_cast<uint64_t>(axis.d);
    Sum p0[C], p1[C];
    for (int c = 0; c < C; ++c)
        p0[c] = Load<T>(window.pixel.GetPtr(), c);
    KOLVEX_STEP(window);
    for (int c = 0; c < C; ++c)
        p1[c] = Load<T>(window.pixel.GetPtr(), c);
    KOLVEX_STEP(window);
    for (int32_t i = 0; i < count; ++i, out += 4) {
        const WeightRecord& w = table[i];
        if (w.advance) {
            for (int c = 0; c < C; ++c) {
                p0[c] = p1[c];
                p1[c] = Load<T>(window.pixel.GetPtr(), c);
            }
            KOLVEX_STEP(window);
        }
        for (int c = 0; c < C; ++c)
            out[c] = static_cast<uint16_t>(Quotient(w.w[0] * p0[c] + w.w[1] * p1[c], axis.by2D, divisor));
    }
    return nullptr;
}

template <typename T>
inline uint32_t CubicSample(int32_t sum)
{
    int32_t v = sum / 16384;
    if (v < 0)
        v = 0;
    if (v > kMaxSample<T>)
        v = kMaxSample<T>;
    return static_cast<uint32_t>(v);
}

template <typename T, int C>
IVorlatError* HorizontalCubic(CSourceWindow& window, const WeightRecord* table, int32_t count, uint16_t* out)
{
    int32_t p[4][C];
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < C; ++c)
            p[k][c] = static_cast<int32_t>(Load<T>(window.pixel.GetPtr(), c));
        KOLVEX_STEP(window);
    }
    for (int32_t i = 0; i < count; ++i, out += 4) {
        const WeightRecord& w = table[i];
        if (w.advance) {
            for (int c = 0; c < C; ++c) {
                p[0][c] = p[1][c];
                p[1][c] = p[2][c];
                p[2][c] = p[3][c];
                p[3][c] = static_cast<int32_t>(Load<T>(window.pixel.GetPtr(), c));
            }
            KOLVEX_STEP(window);
        }
        const int32_t w0 = static_cast<int16_t>(w.w[0]), w1 = static_cast<int16_t>(w.w[1]);
        const int32_t w2 = static_cast<int16_t>(w.w[2]), w3 = static_cast<int16_t>(w.w[3]);
        for (int c = 0; c < C; ++c)
            out[c] = static_cast<uint16_t>(CubicSample<T>(w0 * p[0][c] + w1 * p[1][c] + w2 * p[2][c] + w3 * p[3][c]));
    }
    return nullptr;
}

#undef KOLVEX_STEP

template <typename T, int C>
IVorlatError* Horizontal(Kernel kernel, CSourceWindow& window, const WeightRecord* table, int32_t count,
                         const AxisRatio& axis, uint16_t* row)
{
    switch (kernel) {
    case Kernel::Copy: return HorizontalCopy<T, C>(window, count, row);
    case Kernel::Area:
        return axis.wideSums ? HorizontalArea<T, C, uint64_t>(window, table, count, axis, row)
                             : HorizontalArea<T, C, uint32_t>(window, table, count, axis, row);
    case Kernel::Linear:
        return axis.wideSums ? HorizontalLinear<T, C, uint64_t>(window, table, count, axis, row)
                             : HorizontalLinear<T, C, uint32_t>(window, table, count, axis, row);
    case Kernel::Cubic: return HorizontalCubic<T, C>(window, table, count, row);
    }
    return nullptr;
}

template <typename T, int C, typename Sum>
void VerticalArea(const uint16_t* const* rows, const WeightRecord& w, const AxisRatio& axis, unsigned char* out,
                  int32_t count)
{
    const Sum d = static_cast<Sum>(axis.d);
    const uint32_t first = w.w[0], last = w.w[1], whole = w.w[2];
    for (int32_t i = 0; i < count; ++i, out += C * sizeof(T)) {
        for (int c = 0; c < C; ++c) {
            const int32_t at = 4 * i + c;
            Sum sum = 0;
            for (uint32_t k = 0; k < whole; ++k)
                sum += rows[2 + k][at];
            Sum part = static_cast<Sum>(rows[1][at]) * first;
            if (last != 0)
                part += static_cast<Sum>(rows[2 + whole][at]) * last;
            Store<T>(out, c, Quotient(sum * d + part, axis.byS, static_cast<uint64_t>(axis.s)));
        }
    }
}

template <typename T, int C, typename Sum>
void VerticalLinear(const uint16_t* const* rows, const WeightRecord& w, const AxisRatio& axis, unsigned char* out,
                    int32_t count)
{
    const uint64_t divisor = 2 * static_cast<uint64_t>(axis.d);
    const Sum lw = w.w[0], rw = w.w[1];
    for (int32_t i = 0; i < count; ++i, out += C * sizeof(T))
        for (int c = 0; c < C; ++c)
            Store<T>(out, c, Quotient(lw * rows[1][4 * i + c] + rw * rows[2][4 * i + c], axis.by2D, divisor));
}

template <typename T, int C>
void Vertical(Kernel kernel, const uint16_t* const* rows, const WeightRecord& w, const AxisRatio& axis,
              unsigned char* out, int32_t count)
{
    switch (kernel) {
    case Kernel::Copy:
        for (int32_t i = 0; i < count; ++i, out += C * sizeof(T))
            for (int c = 0; c < C; ++c)
                Store<T>(out, c, rows[1][4 * i + c]);
        break;
    case Kernel::Area:
        if (axis.wideSums)
            VerticalArea<T, C, uint64_t>(rows, w, axis, out, count);
        else
            VerticalArea<T, C, uint32_t>(rows, w, axis, out, count);
        break;
    case Kernel::Linear:
        if (axis.wideSums)
            VerticalLinear<T, C, uint64_t>(rows, w, axis, out, count);
        else
            VerticalLinear<T, C, uint32_t>(rows, w, axis, out, count);
        break;
    case Kernel::Cubic: {
        const int32_t w0 = static_cast<int16_t>(w.w[0]), w1 = static_cast<int16_t>(w.w[1]);
        const int32_t w2 = static_cast<int16_t>(w.w[2]), w3 = static_cast<int16_t>(w.w[3]);
        for (int32_t i = 0; i < count; ++i, out += C * sizeof(T)) {
            for (int c = 0; c < C; ++c) {
                const int32_t at = 4 * i + c;
                Store<T>(out, c,
                         CubicSample<T>(w0 * rows[0][at] + w1 * rows[1][at] + w2 * rows[2][at] + w3 * rows[3][at]));
            }
        }
        break;
    }
    }
}

} // namespace

IVorlatError* HorizontalRow(Kernel kernel, CSourceWindow& window, const WeightRecord* table, int32_t count,
                            const AxisRatio& axis, int32_t channels, bool wide, uint16_t* row)
{
    switch (channels * 2 + (wide ? 1 : 0)) {
    case 2: return Horizontal<uint8_t, 1>(kernel, window, table, count, axis, row);
    case 3: return Horizontal<uint16_t, 1>(kernel, window, table, count, axis, row);
    case 6: return Horizontal<uint8_t, 3>(kernel, window, table, count, axis, row);
    case 7: return Horizontal<uint16_t, 3>(kernel, window, table, count, axis, row);
    case 8: return Horizontal<uint8_t, 4>(kernel, window, table, count, axis, row);
    default: return Horizontal<uint16_t, 4>(kernel, window, table, count, axis, row);
    }
}

void VerticalRow(Kernel kernel, const uint16_t* const* rows, const WeightRecord& record, const AxisRatio& axis,
                 int32_t channels, bool wide, unsigned char* out, int32_t count)
{
    switch (channels * 2 + (wide ? 1 : 0)) {
    case 2: Vertical<uint8_t, 1>(kernel, rows, record, axis, out, count); break;
    case 3: Vertical<uint16_t, 1>(kernel, rows, record, axis, out, count); break;
    case 6: Vertical<uint8_t, 3>(kernel, rows, record, axis, out, count); break;
    case 7: Vertical<uint16_t, 3>(kernel, rows, record, axis, out, count); break;
    case 8: Vertical<uint8_t, 4>(kernel, rows, record, axis, out, count); break;
    default: Vertical<uint16_t, 4>(kernel, rows, record, axis, out, count); break;
    }
}

} // namespace scale_resample
