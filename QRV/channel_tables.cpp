#include <cmath>
#include <cstring>

#include "QRV/colour_math.h"
#include "QRV/numeric.h"
#include "QRV/transform.h"

// The per-channel tables: an input table between each input sample and the
// core, an output table between the core and each output sample. Each folds
// the profile's curve, the user curve, the encodings the core expects and the
// sample bit size into one lookup.

namespace qrv {

namespace {

inline double Fraction(double v)
{
    return v - std::floor(v);
}

// Every stage starts from a value in [0, 1] (a hue wraps), so no curve is
// read outside its entries, whatever the previous stage produced.
inline double Confine(double x, bool hue)
{
    if (!(x == x))
        return 0.0;
    if (hue)
        return Fraction(x);
    return x < 0.0 ? 0.0 : x > 1.0 ? 1.0 : x;
}

bool HoldsCurve(const UserCurveSlot& slot, bool hue)
{
    return slot.entries.length >= 2 || (hue && slot.entries.length >= 1);
}

double ApplyUserCurve(const UserCurveSlot& slot, double x, bool hue)
{
    x = Confine(x, hue);
    const uint16_t* e = CbAs<uint16_t>(slot.entries);
    const uint32_t d = slot.entries.length;
    const int64_t range = int64_t{1} << slot.outBits;
    if (hue) {
        const double h = x * d;
        uint32_t j = TruncSat<uint32_t>(h);
        if (j > d - 1)
            j = d - 1;
        const double f = h - j;
        const int64_t half = range / 2;
        int64_t step = ((e[(j + 1) % d] - static_cast<int64_t>(e[j]) + half) % range + range) % range - half;
        return Fraction((e[j] + step * f) / static_cast<double>(range) + 1.0);
    }
    const double h = x * (d - 1);
    const uint32_t j = TruncSat<uint32_t>(h);
    const double v = j >= d - 1 ? e[d - 1] : e[j] + (e[j + 1] - static_cast<double>(e[j])) * (h - j);
    // A range of one value (outBits 0) divides by one, not by zero.
    return Confine(v / static_cast<double>(range > 1 ? range - 1 : 1), false);
}

// The profile's own curve of a channel: a table, a gamma entry, or none.
double ApplyProfileCurve(const CountedBuffer& curve, double x, bool hue, bool output)
{
    x = Confine(x, hue);
    const uint16_t* c = CbAs<uint16_t>(curve);
    const uint32_t k = c ? curve.length : 0;
    if (k >= 2 || (hue && k >= 1)) {
        if (hue) {
            const double h = x * k;
            uint32_t j = TruncSat<uint32_t>(h);
            if (j > k - 1)
                j = k - 1;
            const int16_t step = static_cast<int16_t>(c[(j + 1) % k] - c[j]);
            return Fraction((c[j] + step * (h - j)) / 65536.0 + 1.0);
        }
        const double h = x * (k - 1);
        const uint32_t j = TruncSat<uint32_t>(h);
        const double v = j >= k - 1 ? c[k - 1] : c[j] + (c[j + 1] - static_cast<double>(c[j])) * (h - j);
        return v / 65535.0;
    }
    if (k == 1) {
        const uint16_t g = c[0];
        if (!output) {
            if (g == 563)
                return x < 0.053675662 ? x * 0.0625 : std::pow(x, 2.22) * 0.9981564102468 + 0.0018435897532;
            if (g == 460)
                return x < 0.0154784267 ? x * 0.0625
                                        : std::pow(x, 1.807) * 0.999567961736986 + 0.000432038263014;
            return std::pow(x, g / 256.0);
        }
        if (g == 563)
            return x < 0.003354728875 ? 16.0 * x
                                      : std::pow((x - 0.0018435897532) * 1.001846994853987, 0.4504504504504504);
        if (g == 460)
            return x < 0.00096740166875
                       ? 16.0 * x
                       : std::pow((x - 0.000432038263014) * 1.0004322250007525, 0.5534034311012729);
        return std::pow(x, 256.0 / g);
    }
    return x;
}

// CIE lightness and relative luminance, both as 0..1 of their ranges.
double LuminanceOfLightness(double l)
{
    const double white[3] = {1.0, 1.0, 1.0};
    double c[3] = {100.0 * l, 0.0, 0.0};
    LabToXYZ(c, white);
    return c[1];
}

double LightnessOfLuminance(double y)
{
    const double white[3] = {1.0, 1.0, 1.0};
    double c[3] = {y, y, y};
    XYZToLab(c, white);
    return c[0] / 100.0;
}

// An output entry is the nearest sample value; a hue that rounds up to the
// full turn is the turn's start.
uint16_t OutputSample(double v, bool hue, double top)
{
    const double nearest = std::floor(v + 0.5);
    return TruncSat<uint16_t>(hue && nearest >= top ? nearest - top : nearest);
}

bool SameBuffer(const CountedBuffer& a, const CountedBuffer& b)
{
    if (a.length != b.length)
        return false;
    return a.length == 0 || std::memcmp(CbElements(a), CbElements(b), a.length * sizeof(uint16_t)) == 0;
}

// Two channels whose curves and user slots are the same get the same table;
// the second is copied rather than computed again.
bool SameChannel(const CountedBuffer& curveA, const UserCurveSlot& slotA, bool userA, const CountedBuffer& curveB,
                 const UserCurveSlot& slotB, bool userB)
{
    if (!SameBuffer(curveA, curveB) || userA != userB)
        return false;
    if (!userA)
        return true;
    return slotA.outBits == slotB.outBits && slotA.mode == slotB.mode && SameBuffer(slotA.entries, slotB.entries);
}

}  // namespace

int BuildTables(QZCMTransform& t, int32_t inBits, int32_t outBits, const UserCurveSlot* inSlots,
                const UserCurveSlot* outSlots)
{
    t.inputBits = inBits;
    t.outputBits = outBits;
    const uint32_t n = 1u << inBits;
    if (CbSetLength(t.inputTable, uint64_t{t.inputChannels} * n, sizeof(uint16_t), 1) != 0 ||
        CbSetLength(t.outputTable, uint64_t{t.outputChannels} * 65536, sizeof(uint16_t), 1) != 0)
        return 2;
    const int32_t tolerance = inBits <= 8 ? 0 : 2;

    // Without a lookup-table input side or a matrix, the pixel reaches the
    // grid in the coordinate of the tone axis.
    const bool toneAxis = !t.inputIsLut && !t.matrixCore;
    t.inputIdentityMask = 0;
    uint16_t* in = CbAs<uint16_t>(t.inputTable);
    for (uint32_t ch = 0; ch < t.inputChannels; ++ch, in += n) {
        const bool hue = t.inputSpace == kSigLch && ch == 2;
        const UserCurveSlot& slot = inSlots[ch];
        const bool user = HoldsCurve(slot, hue);
        if (ch > 0 && !hue && !(t.inputSpace == kSigLch && ch - 1 == 2) &&
            SameChannel(t.inputCurves[ch], slot, user, t.inputCurves[ch - 1], inSlots[ch - 1],
                        HoldsCurve(inSlots[ch - 1], false))) {
            std::memcpy(in, in - n, n * sizeof(uint16_t));
            t.inputIdentityMask |= (t.inputIdentityMask >> (ch - 1) & 1) << ch;
            continue;
        }
        bool identity = true;
        for (uint32_t k = 0; k < n; ++k) {
            double x = hue ? static_cast<double>(k) / n : static_cast<double>(k) / (n - 1);
            if (user)
                x = ApplyUserCurve(slot, x, hue);
            if (!user || slot.mode == 1)
                x = ApplyProfileCurve(t.inputCurves[ch], x, hue, false);
            if (toneAxis)
                x = GreyAxisInverse(Confine(x, false));
            else if (t.matrixCore && t.inputGreyLightness)
                x = LuminanceOfLightness(Confine(x, false));
            in[k] = TruncSat<uint16_t>(65535.0 * x);
            if (std::abs(static_cast<int32_t>(in[k]) - static_cast<int32_t>(k)) > tolerance)
                identity = false;
        }
        if (identity)
            t.inputIdentityMask |= 1u << ch;
    }

    t.outputIdentityMask = 0;
    uint16_t* out = CbAs<uint16_t>(t.outputTable);
    for (uint32_t ch = 0; ch < t.outputChannels; ++ch, out += 65536) {
        const bool hue = t.outputSpace == kSigLch && ch == 2;
        const bool chroma = t.outputSpace == kSigLch && ch == 1;
        const bool full = t.matrixCore || t.passThrough || hue || chroma;
        // The table core delivers its values inside 8192 .. 57343.
        const uint32_t start = full ? 0 : 8192, end = full ? 65535 : 57343;
        const double span = hue ? 65536.0 : full ? 65535.0 : 49151.0;
        const double top = hue ? std::ldexp(1.0, outBits) : std::ldexp(1.0, outBits) - 1.0;
        const UserCurveSlot& slot = outSlots[ch];
        const bool user = HoldsCurve(slot, hue);
        if (ch > 0 && !hue && !chroma && !(t.outputSpace == kSigLch && (ch - 1 == 1 || ch - 1 == 2)) &&
            SameChannel(t.outputCurves[ch], slot, user, t.outputCurves[ch - 1], outSlots[ch - 1],
                        HoldsCurve(outSlots[ch - 1], false))) {
            std::memcpy(out, out - 65536, 65536 * sizeof(uint16_t));
            t.outputIdentityMask |= (t.outputIdentityMask >> (ch - 1) & 1) << ch;
            continue;
        }
        bool identity = full;
        for (uint32_t l = start; l <= end; ++l) {
            double y = (l - start) / span;
            if (t.matrixCore && t.outputGreyLightness)
                y = LightnessOfLuminance(y);
            if (!user || slot.mode == 1)
                y = ApplyProfileCurve(t.outputCurves[ch], y, hue, true);
            if (user)
                y = ApplyUserCurve(slot, y, hue);
            out[l] = OutputSample(top * Confine(y, hue), hue, top);
            if (std::abs(static_cast<int32_t>(out[l]) - static_cast<int32_t>(l)) > tolerance)
                identity = false;
        }
        for (uint32_t l = 0; l < start; ++l)
            out[l] = out[start];
        for (uint32_t l = end + 1; l <= 65535; ++l)
            out[l] = out[end];
        if (identity)
            t.outputIdentityMask |= 1u << ch;
    }
    return 0;
}

}  // namespace qrv
