// The unsharp mask kernels: one algorithm over eight source layouts. Each
// reads the source around the rectangle through a window into per-channel
// row buffers of 16-bit samples, forms the weighted mean of every sample's
// neighbourhood four columns at a time, and writes the sharpened sample.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "filters/SourceWindow.h"
#include "filters/unsharp_kernels_impl.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace unsharp {

namespace {

constexpr int32_t kFile = VorlatFourCC("usm ");

} // namespace

ProcessorFeatures& Features()
{
    static ProcessorFeatures features{false, false, false, false};
    return features;
}

void TestProcessor()
{
    ProcessorFeatures& f = Features();
    if (f.tested)
        return;
#if defined(__i386__) || defined(__x86_64__)
    // __get_cpuid answers false where CPUID itself is missing.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & (1u << 23)) != 0) {
        f.mmx = true;
        f.sse = (edx & (1u << 25)) != 0;
    }
    if (__get_cpuid(0x80000000u, &eax, &ebx, &ecx, &edx) && eax > 0x80000000u &&
        __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx))
        f.amd3dnow = (edx & (1u << 31)) != 0;
#endif
    f.tested = true;
}

bool InHueArc(int32_t x, int32_t lo, int32_t hi)
{
    const int32_t xx = lo > x ? x + 65536 : x;
    const int32_t hh = lo > hi ? hi + 65536 : hi;
    return lo < xx && xx <= hh;
}

double LinearWeight(const Params& p, int32_t s)
{
    if (p.fullRange)
        return 1.0;
    if (s < p.linearLowFull) {
        double w = (s - p.linearLowStart) * p.lowSlope;
        if (s > p.linearHighFull)
            w = std::min(w, (p.linearHighEnd - s) * p.highSlope);
        return w;
    }
    if (s > p.linearHighFull)
        return (p.linearHighEnd - s) * p.highSlope;
    return 1.0;
}

double GetHueWeight(const Params& p, int32_t hue, int32_t chroma)
{
    if (p.fullRange)
        return 1.0;
    if (p.coreOn && InHueArc(hue, p.coreLow, p.coreHigh))
        return 1.0;
    // Weak colours have an unreliable hue: their weight fades with the chroma.
    const double f = chroma < 16384 ? chroma / 16384.0 : 1.0;
    bool low = false, high = false;
    double wLow = 0, wHigh = 0;
    if (InHueArc(hue, p.cyclicLowStart, p.cyclicLowFull)) {
        low = true;
        wLow = ((p.cyclicLowStart > hue ? hue + 65536 : hue) - p.cyclicLowStart) * p.lowSlope;
    }
    if (InHueArc(hue, p.cyclicHighFull, p.cyclicHighEnd)) {
        high = true;
        wHigh = (p.cyclicHighEnd + (hue > p.cyclicHighEnd ? 65536 : 0) - hue) * p.highSlope;
    }
    if (low && high) {
        if (wLow == wHigh)
            return f * wHigh;
        return f * (p.overlapTakesMax ? std::max(wLow, wHigh) : std::min(wLow, wHigh));
    }
    if (low)
        return f * wLow;
    if (high)
        return f * wHigh;
    return 0.0;
}

int32_t SharpenSample(const Params& p, int32_t s, double mean, double weight)
{
    double power = p.power;
    const double d = s - mean;
    double shifted = d;
    const double t = p.threshold16;
    if (t > 0) {
        // Beyond the threshold a difference shrinks by it; inside it vanishes,
        // or with affect noise pulls the sample toward the mean at most at power 1.
        if (d < 0) {
            const double e = d + t;
            double limit = 0;
            if (p.affectNoise) {
                limit = -d;
                if (e > 0)
                    power = p.cappedPower;
            }
            shifted = std::min(e, limit);
        } else {
            const double e = d - t;
            double limit = 0;
            if (p.affectNoise) {
                limit = -d;
                if (e < 0)
                    power = p.cappedPower;
            }
            shifted = std::max(e, limit);
        }
    }
    double delta = shifted * weight * power;
    // Half away from zero; beyond any sample range the clamp below decides.
    delta = std::clamp(delta, -1e6, 1e6);
    const int32_t step = static_cast<int32_t>(delta >= 0 ? delta + 0.5 : delta - 0.5);
    return std::clamp(s + step, 0, 65535);
}

namespace {

enum class Range { Linear, Hue };

template <typename T>
inline uint32_t LoadSample(const unsigned char* p, int c)
{
    T v;
    std::memcpy(&v, p + c * sizeof(T), sizeof(T));
    return v;
}

template <typename T>
inline void StoreSample(unsigned char* p, int c, uint32_t v)
{
    const T t = static_cast<T>(v);
    std::memcpy(p + c * sizeof(T), &t, sizeof(T));
}

// The work of one kernel call. T: the sample type; C: channels; K: where the
// range weight comes from; mask: the channels it may sharpen.
template <typename T, int C, Range K>
IVorlatError* Sharpen(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source,
                      uint32_t mask)
{
    IVorlatError* err = nullptr;
    constexpr bool kWide = sizeof(T) == 2;
    RECT area;
    tile->GetCoordinates(&area);
    int32_t sw = 0, sh = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&sw, &sh)))
        return err;
    // A degenerate mask leaves every sample as it is: no neighbourhood is read.
    const int32_t r = p.degenerate ? 0 : p.reach, n = 2 * r + 1;

    // Edges repeat, so the mean at the border uses copies of the edge pixels.
    CSourceWindow window(source, 2, 1, 1);
    if (VorlatFailed(&err, kFile, __LINE__, window.MoveTo(rect.left, rect.top)))
        return err;
    void* data = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, nullptr)))
        return err;
    const int32_t rowBytes = tile->GetRowBytes();
    const CVorlatFilterBase::CPixelPtr origin(static_cast<unsigned char*>(data), window.colorSpace, rowBytes);
    unsigned char* out = origin.Offset(rect.left - area.left, rect.top - area.top).GetPtr();
    const int32_t pixelBytes = C * static_cast<int32_t>(sizeof(T));

    // Per channel n rows covering columns left - r to right + r + 2, the spare
    // columns serving the four-column groups; rows long enough for the row
    // sums' whole groups of eight columns.
    const int32_t width = rect.right - rect.left, columns = width + 2 * r + 3;
    const int32_t stride = (((width + 7) & ~7) + 2 * r + 6) & ~3;
    const size_t entries = static_cast<size_t>(C) * n * stride + 16;
    std::unique_ptr<uint16_t[]> block(new (std::nothrow) uint16_t[entries]());
    std::unique_ptr<uint16_t*[]> rows(new (std::nothrow) uint16_t*[static_cast<size_t>(C) * n]);
    std::unique_ptr<const uint16_t*[]> at(new (std::nothrow) const uint16_t*[static_cast<size_t>(n)]);
    if (!block || !rows || !at) {
        if (IVorlatError* unlock = tile->Unlock())
            unlock->Destroy();
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    for (int32_t i = 0; i < C * n; ++i)
        rows[i] = block.get() + static_cast<size_t>(i) * stride;
    const auto row = [&](int c, int32_t i) { return rows[static_cast<size_t>(c) * n + i]; };

    // Weighted masks: each source row meets each distinct weight row once, as
    // it comes in, and its row sums go into the totals of the n output rows it
    // serves. A radial table has only reach + 1 distinct rows, each symmetric.
    const bool weighted = !p.degenerate && p.maskMethod != 1;
    const int32_t kernelStride = KernelStride(r);
    std::unique_ptr<int32_t[]> rowOf(new (std::nothrow) int32_t[static_cast<size_t>(n)]);
    std::unique_ptr<int32_t[]> firstOf(new (std::nothrow) int32_t[static_cast<size_t>(n)]);
    std::unique_ptr<bool[]> symmetric(new (std::nothrow) bool[static_cast<size_t>(n)]);
    const size_t accEntries = weighted ? static_cast<size_t>(C) * n * width : 0;
    std::unique_ptr<uint64_t[]> totals(new (std::nothrow) uint64_t[accEntries + 1]());
    const int32_t sumStride = (width + 7) & ~7;
    std::unique_ptr<uint32_t[]> sums(new (std::nothrow) uint32_t[weighted ? static_cast<size_t>(n) * sumStride : 1]);
    std::unique_ptr<uint32_t[]> scratch(new (std::nothrow) uint32_t[static_cast<size_t>(width) + 2 * r + 8]);
    if (!rowOf || !firstOf || !symmetric || !totals || !sums || !scratch) {
        if (IVorlatError* unlock = tile->Unlock())
            unlock->Destroy();
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    int32_t distinct = 0;
    if (weighted) {
        for (int32_t i = 0; i < n; ++i) {
            const uint16_t* w = p.kernel + static_cast<size_t>(i) * kernelStride + 4;
            rowOf[i] = -1;
            for (int32_t d = 0; d < distinct && rowOf[i] < 0; ++d)
                if (std::memcmp(w, p.kernel + static_cast<size_t>(firstOf[d]) * kernelStride + 4, 2 * static_cast<size_t>(n)) == 0)
                    rowOf[i] = d;
            if (rowOf[i] >= 0)
                continue;
            bool same = true;
            for (int32_t j = 0; j < r && same; ++j)
                same = w[j] == w[n - 1 - j];
            symmetric[distinct] = same;
            firstOf[distinct] = i;
            rowOf[i] = distinct++;
        }
    }
    const auto totalsOf = [&](int c, int32_t y) {
        return totals.get() + (static_cast<size_t>(c) * n + static_cast<size_t>((y - rect.top) % n)) * width;
    };

    for (int32_t y = rect.top - 2 * r; y < rect.bottom && !err; ++y) {
        // The buffer moves up a row; the source row y + r comes in at the bottom.
        for (int c = 0; c < C; ++c) {
            uint16_t* first = row(c, 0);
            for (int32_t i = 1; i < n; ++i)
                rows[static_cast<size_t>(c) * n + i - 1] = row(c, i);
            rows[static_cast<size_t>(c) * n + n - 1] = first;
        }
        if (VorlatFailed(&err, kFile, __LINE__, window.MoveTo(rect.left - r, y + r)))
            break;
        for (int32_t i = 0; i < columns; ++i) {
            const unsigned char* px = window.pixel.GetPtr();
            for (int c = 0; c < C; ++c) {
                const uint32_t v = LoadSample<T>(px, c);
                row(c, n - 1)[i] = static_cast<uint16_t>(kWide ? v : v * 257);
            }
            if (i + 1 < columns && VorlatFailed(&err, kFile, __LINE__, window.StepRight()))
                break;
        }
        if (err)
            break;
        if (weighted) {
            // Source row y + r serves output rows y .. y + 2 reach with weight row y + 2 reach - Y.
            const int32_t firstOut = std::max(y, static_cast<int32_t>(rect.top));
            const int32_t lastOut = std::min(y + 2 * r, static_cast<int32_t>(rect.bottom) - 1);
            for (int c = 0; c < C && firstOut <= lastOut; ++c) {
                if (!((mask >> c) & 1))
                    continue;
                for (int32_t d = 0; d < distinct; ++d)
                    RowSums(p, p.kernel + static_cast<size_t>(firstOf[d]) * kernelStride + 4, symmetric[d],
                            row(c, n - 1), width, sums.get() + static_cast<size_t>(d) * sumStride, scratch.get());
                for (int32_t outY = firstOut; outY <= lastOut; ++outY) {
                    const uint32_t* from = sums.get() + static_cast<size_t>(rowOf[y + 2 * r - outY]) * sumStride;
                    uint64_t* to = totalsOf(c, outY);
                    for (int32_t x = 0; x < width; ++x)
                        to[x] += from[x];
                }
            }
        }
        if (y < rect.top)
            continue;

        for (int c = 0; c < C; ++c) {
            const uint16_t* centre = row(c, r) + r;
            unsigned char* to = out;
            if (!((mask >> c) & 1) || p.degenerate) {
                for (int32_t x = 0; x < width; ++x, to += pixelBytes)
                    StoreSample<T>(to, c, kWide ? centre[x] : centre[x] >> 8);
                continue;
            }
            uint64_t* total = weighted ? totalsOf(c, y) : nullptr;
            for (int32_t x0 = 0; x0 < width; x0 += 4) {
                double mean[4] = {0, 0, 0, 0};
                if (weighted) {
                    for (int32_t k = 0; k < 4 && x0 + k < width; ++k)
                        mean[k] = MeanOfTotal(p, total[x0 + k]);
                } else {
                    for (int32_t i = 0; i < n; ++i)
                        at[i] = row(c, i) + x0;
                    MeansBox(p, at.get(), mean);
                }
                for (int32_t k = 0; k < 4 && x0 + k < width; ++k) {
                    const int32_t x = x0 + k;
                    const int32_t s = centre[x];
                    int32_t result = s;
                    if constexpr (K == Range::Linear) {
                        if (p.fullRange || (s >= p.linearLowStart && s <= p.linearHighEnd))
                            result = SharpenSample(p, s, mean[k], LinearWeight(p, s));
                    } else {
                        const int32_t hue = row(2, r)[r + x], chroma = row(1, r)[r + x];
                        if (p.fullRange || !p.hueGate || InHueArc(hue, p.gateLow, p.gateHigh))
                            result = SharpenSample(p, s, mean[k], GetHueWeight(p, hue, chroma));
                    }
                    StoreSample<T>(to + static_cast<size_t>(x) * pixelBytes, c,
                                   kWide ? static_cast<uint32_t>(result) : static_cast<uint32_t>(result) >> 8);
                }
            }
            // The slot serves output row y + n next.
            if (total)
                std::fill(total, total + width, uint64_t{0});
        }
        out += rowBytes;
    }
    if (IVorlatError* unlock = tile->Unlock()) {
        if (err)
            unlock->Destroy();
        else
            IVorlatError::AddWorker(&err, kFile, __LINE__, unlock);
    }
    return err;
}

} // namespace

IVorlatError* SharpenGrey8(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source)
{
    return Sharpen<uint8_t, 1, Range::Linear>(p, tile, rect, source, static_cast<uint32_t>(p.planeMask) & 1);
}

IVorlatError* SharpenGrey16(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source)
{
    return Sharpen<uint16_t, 1, Range::Linear>(p, tile, rect, source, static_cast<uint32_t>(p.planeMask) & 1);
}

IVorlatError* SharpenRGB24(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source)
{
    return Sharpen<uint8_t, 3, Range::Linear>(p, tile, rect, source, static_cast<uint32_t>(p.planeMask) & 7);
}

IVorlatError* SharpenRGB48(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source)
{
    return Sharpen<uint16_t, 3, Range::Linear>(p, tile, rect, source, static_cast<uint32_t>(p.planeMask) & 7);
}

IVorlatError* Sharpen4x8(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source)
{
    return Sharpen<uint8_t, 4, Range::Linear>(p, tile, rect, source, static_cast<uint32_t>(p.planeMask) & 15);
}

IVorlatError* SharpenFirstHue48(const Params& p, IVorlatTile* tile, const RECT& rect,
                                const IVorlatDataSource* source)
{
    return Sharpen<uint16_t, 3, Range::Hue>(p, tile, rect, source, static_cast<uint32_t>(p.planeMask) & 1);
}

IVorlatError* SharpenFirst48(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source)
{
    return Sharpen<uint16_t, 3, Range::Linear>(p, tile, rect, source, static_cast<uint32_t>(p.planeMask) & 1);
}

Kernel KernelFor(int32_t colorSpace)
{
    switch (colorSpace) {
    case 2: return SharpenGrey8;
    case 3: return SharpenGrey16;
    case 32: return SharpenRGB24;
    case 33: return SharpenRGB48;
    case 34: return Sharpen4x8;
    case 35: return SharpenFirstHue48;
    case 36:
    case 37: return SharpenFirst48;
    default: return nullptr;
    }
}

} // namespace unsharp
