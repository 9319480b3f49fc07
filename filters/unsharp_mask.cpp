// The unsharp mask filter: its settings, the tone and hue ranges, the mask
// profile and its integer weight table, the growth of changed rectangles by
// the mask's reach, and the hand-over of each tile to the kernel of its layout.
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "filters/UnsharpMaskFilter.h"
#include "filters/unsharp_kernels_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("usm ");

// Larger radii would make weight tables of many megabytes and take minutes a tile.
constexpr double kMaxRadius = 250.0;
// Range values are fractions of full scale; far beyond it the 16-bit limits would not fit 32 bits.
constexpr double kMaxRange = 1000.0;

IVorlatError* BadSetting(int32_t line)
{
    return IVorlatError::Add(nullptr, kFile, line, kVorlatFromSystem, kKolvexErrBadSetting);
}

// Half away from zero.
int32_t RoundAway(double v) { return static_cast<int32_t>(v >= 0 ? v + 0.5 : v - 0.5); }

int32_t Cyclic(int32_t v) { return (v + 65536) % 65536; }

} // namespace

CUnsharpMaskFilter::CUnsharpMaskFilter(IVorlatManager* manager)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), rangeLowCentre_(0.0), rangeLowWidth_(0.0),
      rangeHighCentre_(1.0), rangeHighWidth_(0.0), radius_(1.0), threshold_(0.0), parabolicPower_(2.0), params_{}
{
    params_.planeMask = -1;
    params_.maskMethod = 0;
    params_.power = 1.0;
    params_.affectNoise = true;
    params_.threshold16 = 0.0;
    params_.cappedPower = 1.0;
    params_.kernel = nullptr;
    params_.fullRange = true;
    params_.kernelDirty = true;
    params_.kernelBuffer = nullptr;
    cacheDirty_ = true;
    passThrough_ = false;
    unsharp::TestProcessor();
}

CUnsharpMaskFilter::~CUnsharpMaskFilter() { delete[] params_.kernelBuffer; }

int32_t CUnsharpMaskFilter::GetFilterCode() const { return VorlatFourCC("usm "); }

const char* CUnsharpMaskFilter::GetFilterDescription() const { return "Unsharp Mask"; }

int32_t CUnsharpMaskFilter::GetPlaneMask() const { return params_.planeMask; }
double CUnsharpMaskFilter::GetRadius() const { return radius_; }
double CUnsharpMaskFilter::GetPower() const { return params_.power; }
double CUnsharpMaskFilter::GetThreshold() const { return threshold_; }
bool CUnsharpMaskFilter::GetAffectNoise() const { return params_.affectNoise; }
int32_t CUnsharpMaskFilter::GetMaskMethod() const { return params_.maskMethod; }
double CUnsharpMaskFilter::GetParabolicPower() const { return parabolicPower_; }

void CUnsharpMaskFilter::GetRange(double* lowCentre, double* lowWidth, double* highCentre, double* highWidth) const
{
    if (lowCentre)
        *lowCentre = rangeLowCentre_;
    if (lowWidth)
        *lowWidth = rangeLowWidth_;
    if (highCentre)
        *highCentre = rangeHighCentre_;
    if (highWidth)
        *highWidth = rangeHighWidth_;
}

// ---- Setters ------------------------------------------------------------------------

IVorlatError* CUnsharpMaskFilter::Changed(bool notify)
{
    IVorlatError* err = nullptr;
    cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, NotifyWholeSource(notify, kFile));
    return err;
}

void CUnsharpMaskFilter::UpdatePassThrough()
{
    passThrough_ = params_.planeMask == 0 || (-1e-10 <= params_.power && params_.power <= 1e-10);
}

IVorlatError* CUnsharpMaskFilter::SetPlaneMask(int32_t mask, bool notify)
{
    if (mask == params_.planeMask)
        return nullptr;
    params_.planeMask = mask;
    UpdatePassThrough();
    return Changed(notify);
}

IVorlatError* CUnsharpMaskFilter::SetRange(double lowCentre, double lowWidth, double highCentre, double highWidth,
                                           bool notify)
{
    if (!std::isfinite(lowCentre) || !std::isfinite(lowWidth) || !std::isfinite(highCentre) ||
        !std::isfinite(highWidth) || std::fabs(lowCentre) > kMaxRange || std::fabs(lowWidth) > kMaxRange ||
        std::fabs(highCentre) > kMaxRange || std::fabs(highWidth) > kMaxRange)
        return BadSetting(__LINE__);
    if (lowCentre == rangeLowCentre_ && lowWidth == rangeLowWidth_ && highCentre == rangeHighCentre_ &&
        highWidth == rangeHighWidth_)
        return nullptr;
    rangeLowCentre_ = lowCentre;
    rangeLowWidth_ = lowWidth;
    rangeHighCentre_ = highCentre;
    rangeHighWidth_ = highWidth;

    CKernelParams& p = params_;
    p.fullRange = lowCentre == 0.0 && highCentre == 1.0 && lowWidth == 0.0 && highWidth == 0.0;
    if (p.fullRange)
        return Changed(notify);

    // Fractions of full scale to 16-bit steps.
    const int32_t a = RoundAway(lowCentre * 65536), b = RoundAway(highCentre * 65536);
    const int32_t c = RoundAway(lowWidth * 65536), d = RoundAway(highWidth * 65536);
    p.linearLowStart = a - c / 2;
    p.linearLowFull = p.linearLowStart + c;
    p.linearHighEnd = b + d / 2;
    p.linearHighFull = p.linearHighEnd - d;
    p.lowSlope = c != 0 ? 1.0 / c : 0.0;
    p.highSlope = d != 0 ? 1.0 / d : 0.0;
    p.cyclicLowStart = Cyclic(p.linearLowStart);
    p.cyclicLowFull = Cyclic(p.linearLowFull);
    p.cyclicHighEnd = Cyclic(p.linearHighEnd);
    p.cyclicHighFull = Cyclic(p.linearHighFull);

    // How the two hue shoulders lie on the circle decides which hues are gated
    // out, which get full weight, and where overlapping shoulders take which weight.
    using unsharp::InHueArc;
    const int32_t ls = p.cyclicLowStart, lf = p.cyclicLowFull, hf = p.cyclicHighFull, he = p.cyclicHighEnd;
    const bool p1 = InHueArc(hf, ls, lf), p2 = InHueArc(he, ls, lf);
    const bool p3 = InHueArc(lf, hf, he), p4 = InHueArc(ls, hf, he);
    const bool whole = (a == 0 && b == 65536) || a == b;
    const bool q = InHueArc(a, hf, b) || InHueArc(b, a, lf);
    p.hueGate = true;
    p.gateHigh = he;
    p.gateLow = ls;
    p.coreOn = true;
    p.coreLow = lf;
    p.coreHigh = hf;
    if ((p3 && p4) || (p1 && p2)) {
        if (q && !whole) {
            p.coreOn = false;
            p.overlapTakesMax = false;
        } else {
            p.hueGate = false;
            p.overlapTakesMax = true;
        }
    } else if (p4 || p2) {
        p.hueGate = false;
        p.overlapTakesMax = true;
    } else if (p3 || p1) {
        p.coreOn = false;
        p.overlapTakesMax = false;
    }
    return Changed(notify);
}

IVorlatError* CUnsharpMaskFilter::SetRadius(double radius, bool notify)
{
    if (!std::isfinite(radius) || radius < 0 || radius > kMaxRadius)
        return BadSetting(__LINE__);
    if (radius == radius_)
        return nullptr;
    radius_ = radius;
    params_.kernelDirty = true;
    return Changed(notify);
}

IVorlatError* CUnsharpMaskFilter::SetPower(double power, bool notify)
{
    if (!std::isfinite(power))
        return BadSetting(__LINE__);
    if (power == params_.power)
        return nullptr;
    params_.power = power;
    params_.cappedPower = power < 1.0 ? power : 1.0;
    params_.kernelDirty = true;
    UpdatePassThrough();
    return Changed(notify);
}

IVorlatError* CUnsharpMaskFilter::SetThreshold(double threshold, bool notify)
{
    if (!std::isfinite(threshold))
        return BadSetting(__LINE__);
    if (threshold == threshold_)
        return nullptr;
    threshold_ = threshold;
    params_.threshold16 = threshold * 257.0;
    return Changed(notify);
}

IVorlatError* CUnsharpMaskFilter::SetAffectNoise(bool affectNoise, bool notify)
{
    if (affectNoise == params_.affectNoise)
        return nullptr;
    params_.affectNoise = affectNoise;
    return Changed(notify);
}

IVorlatError* CUnsharpMaskFilter::SetMaskMethod(int32_t method, bool notify)
{
    if (method == params_.maskMethod)
        return nullptr;
    params_.maskMethod = method;
    params_.kernelDirty = true;
    return Changed(notify);
}

IVorlatError* CUnsharpMaskFilter::SetParabolicPower(double exponent, bool notify)
{
    if (!std::isfinite(exponent))
        return BadSetting(__LINE__);
    if (params_.maskMethod != 5) {
        parabolicPower_ = exponent;
        return nullptr;
    }
    if (exponent == parabolicPower_)
        return nullptr;
    parabolicPower_ = exponent;
    params_.kernelDirty = true;
    return Changed(notify);
}

// ---- The mask -------------------------------------------------------------------------

double CUnsharpMaskFilter::GetValue(double distance) const
{
    const int32_t method = params_.maskMethod;
    if (method == 1)
        return 1.0;
    const double t = method == 0 ? distance / radius_ : distance / (radius_ + 1.0);
    if (method != 0 && t > 1.0)
        return 0.0;
    constexpr double kPi = 3.14159265358979323846, kLog2e = 1.44269504088896340736;
    switch (method) {
    case 0: return std::exp2(t * t * -0.5 * kLog2e);
    case 2: return 1.0 - t;
    case 3: return (std::cos(kPi * t) + 1.0) * 0.5;
    case 4: return std::sin((t + 1.0) * kPi / 2.0);
    case 5: return 1.0 - std::pow(t, parabolicPower_);
    default: return 1.0;
    }
}

IVorlatError* CUnsharpMaskFilter::GenerateKernel()
{
    CKernelParams& p = params_;
    const bool mmx = unsharp::Features().mmx;
    // A radius of 0, or a parabolic mask without a positive exponent, has no
    // neighbourhood to average: the filter copies its source.
    p.degenerate = radius_ <= 0 || (p.maskMethod == 5 && parabolicPower_ <= 0);
    if (p.degenerate) {
        p.reach = 0;
        p.mmxWeights = mmx;
        p.kernelDirty = false;
        return nullptr;
    }
    const double reach = p.maskMethod == 0 ? std::ceil(radius_ * 3.0) : std::ceil(radius_);
    p.reach = static_cast<int32_t>(reach);
    const int32_t r = p.reach, n = 2 * r + 1, stride = unsharp::KernelStride(r);

    delete[] p.kernelBuffer;
    p.kernelBuffer = nullptr;
    p.kernel = nullptr;
    const size_t bytes = 2 * static_cast<size_t>(stride) * n + 8;
    p.kernelBuffer = new (std::nothrow) unsigned char[bytes];
    if (!p.kernelBuffer)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    // The MMX path reads the weight rows as whole groups of four.
    p.kernel = reinterpret_cast<uint16_t*>((reinterpret_cast<uintptr_t>(p.kernelBuffer) + 7) & ~uintptr_t{7});
    p.mmxWeights = mmx;

    if (p.maskMethod == 1) {
        p.kernelScale = 1.0 / (static_cast<double>(n) * n);
        p.kernelDirty = false;
        return nullptr;
    }

    std::unique_ptr<double[]> values(new (std::nothrow) double[static_cast<size_t>(n) * n]);
    if (!values)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    for (int32_t i = 0; i < n; ++i)
        for (int32_t j = 0; j < n; ++j)
            values[static_cast<size_t>(i) * n + j] =
                GetValue(std::sqrt(static_cast<double>((i - r) * (i - r) + (j - r) * (j - r))));
    double rowSum = 0;
    for (int32_t j = 0; j < n; ++j)
        rowSum += values[static_cast<size_t>(r) * n + j];

    // Weights scaled so that a row's weighted sum of samples fits 32 bits: the
    // MMX path halves its samples and may weigh twice as much.
    const double limit = mmx ? 131071.0 : 65535.0, least = mmx ? 4.0 : 1.0;
    const int32_t scale = static_cast<int32_t>(limit / std::max(rowSum, least)) & ~7;
    std::fill(p.kernel, p.kernel + static_cast<size_t>(stride) * n, uint16_t{0});
    p.kernelTotal = 0;
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t j = 0; j < n; ++j) {
            const uint16_t w = static_cast<uint16_t>(static_cast<int32_t>(scale * values[static_cast<size_t>(i) * n + j]));
            // Four leading zeros in every row let the MMX path start a group of four before the first weight.
            p.kernel[static_cast<size_t>(i) * stride + 4 + j] = w;
            p.kernelTotal += w;
        }
    }
    p.kernelScale = 1.0 / 65536.0;
    // Totals up to 65536 have no 32-bit reciprocal; the means divide exactly then.
    p.reciprocal = static_cast<uint32_t>(static_cast<uint64_t>(std::ceil(281474976710656.0 / std::max(p.kernelTotal, 1))));
    p.degenerate = p.kernelTotal == 0;
    p.kernelDirty = false;
    return nullptr;
}

// ---- Notifications and tiles ----------------------------------------------------------

IVorlatError* CUnsharpMaskFilter::FilterData(const IVorlatDataSource* source, RECT* changed)
{
    IVorlatError* err = nullptr;
    int32_t width = 0, height = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&width, &height)))
        return err;
    RECT grown = changed ? *changed : RECT{0, 0, 0, 0};
    if (enabled_) {
        // A changed source pixel changes every output pixel whose mask reaches it.
        const int32_t e = static_cast<int32_t>(params_.maskMethod == 0 ? std::ceil((radius_ + 1.0) * 3.0)
                                                                       : std::ceil(radius_));
        grown.left = grown.left - e > 0 ? grown.left - e : 0;
        grown.top = grown.top - e > 0 ? grown.top - e : 0;
        grown.right = std::min<int32_t>(grown.right + e, width);
        grown.bottom = std::min<int32_t>(grown.bottom + e, height);
    }
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterData(source, &grown));
    return err;
}

IVorlatError* CUnsharpMaskFilter::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(kFile, __LINE__);
    RECT rect;
    if (!tile->GetInvalidRect(&rect))
        return nullptr;
    // The weights follow the limits of the path the kernels will take.
    if ((params_.kernelDirty || params_.mmxWeights != unsharp::Features().mmx) &&
        VorlatFailed(&err, kFile, __LINE__, GenerateKernel()))
        return err;
    int32_t colorSpace = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&colorSpace)))
        return err;
    const unsharp::Kernel kernel = unsharp::KernelFor(colorSpace);
    if (!kernel)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    if (VorlatFailed(&err, kFile, __LINE__, kernel(params_, tile, rect, source)))
        return err;
    tile->Validate();
    return nullptr;
}
