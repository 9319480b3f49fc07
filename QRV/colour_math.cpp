#include "QRV/colour_math.h"

#include <cmath>

#include "QRV/lut_build_context.h"
#include "QRV/numeric.h"

namespace qrv {

namespace {

constexpr double kPi = 3.14159265358979323846;

// At the lower bound the test is "above it", so 0 and NaN give 0.
inline double Clamp16(double v)
{
    if (!(v > 0.0))
        return 0.0;
    return v >= 65535.0 ? 65535.0 : v;
}

}  // namespace

void EncodeXYZ16(double* c)
{
    for (int i = 0; i < 3; ++i)
        c[i] = !(c[i] > 0.0) ? 0.0 : c[i] >= 65535.0 / 32768.0 ? 65535.0 : c[i] * 32768.0;
}

void DecodeXYZ16(double* c)
{
    for (int i = 0; i < 3; ++i)
        c[i] = c[i] / 32768.0;
}

void EncodeLab16(double* c)
{
    c[0] = !(c[0] > 0.0) ? 0.0 : c[0] >= 100.0 ? 65535.0 : c[0] * 652.8;
    for (int i = 1; i < 3; ++i)
        c[i] = !(c[i] > -128.0) ? 0.0 : c[i] >= 128.0 ? 65535.0 : (c[i] + 128.0) * 256.0;
}

void DecodeLab16(double* c)
{
    c[0] = c[0] * 0.0015318627450980394;
    c[1] = c[1] / 256.0 - 128.0;
    c[2] = c[2] / 256.0 - 128.0;
}

void EncodeLch16(double* c)
{
    c[0] = !(c[0] > 0.0) ? 0.0 : c[0] >= 100.0 ? 65535.0 : c[0] * 652.8;
    c[1] = !(c[1] > 0.0) ? 0.0 : c[1] >= 65535.0 / 256.0 ? 65535.0 : c[1] * 256.0;
    c[2] = std::fmod(std::fmod(c[2], 2.0 * kPi) + 4.0 * kPi, 2.0 * kPi) * 10430.378350470453;
}

void DecodeLch16(double* c)
{
    c[0] = c[0] * 0.0015318627450980394;
    c[1] = c[1] / 256.0;
    c[2] = std::fmod(c[2] * 2.0 * kPi / 65536.0 + kPi, 2.0 * kPi) - kPi;
}

void XYZToLab(double* c, const double* white)
{
    auto f = [](double r) { return r > 0.008856 ? std::cbrt(r) : 7.787 * r + 0.13793103448275862; };
    double y = c[1] / white[1];
    double fy = f(y);
    double l = y > 0.008856 ? 116.0 * std::cbrt(y) - 16.0 : 903.3 * y;
    double a = 500.0 * (f(c[0] / white[0]) - fy);
    double b = 200.0 * (fy - f(c[2] / white[2]));
    c[0] = l;
    c[1] = a;
    c[2] = b;
}

void LabToXYZ(double* c, const double* white)
{
    double fy = (c[0] + 16.0) * 0.008620689655172414;
    double y;
    if (c[0] > 7.9996247999999985) {
        y = fy * fy * fy;
    } else {
        y = c[0] * 0.0011070519207350825;
        fy = 7.787 * y + 0.13793103448275862;
    }
    double fx = fy + c[1] * 0.002;
    double fz = fy - c[2] * 0.005;
    auto g = [](double f) { return f > 0.2068927064827586 ? f * f * f : (f - 0.13793103448275862) * 0.1284191601386927; };
    c[0] = g(fx) * white[0];
    c[1] = y * white[1];
    c[2] = g(fz) * white[2];
}

void LabToLch(double* c)
{
    double a = c[1], b = c[2];
    c[1] = std::sqrt(a * a + b * b);
    c[2] = std::atan2(b, a);
}

void LchToLab(double* c)
{
    double ch = c[1], h = c[2];
    c[1] = ch * std::cos(h);
    c[2] = ch * std::sin(h);
}

double GreyAxis(double t)
{
    if (t >= 0.2960724532)
        return 0.950654591154741 * t * t * t + 0.049345408845259;
    return t / 4.0;
}

double GreyAxisInverse(double v)
{
    if (v >= 0.0740181133)
        return std::cbrt((v - 0.049345408845259) * 1.0519067696136828);
    return 4.0 * v;
}

void ApplySideCurves(const LutBuildContext& side, double* values, bool outputSet)
{
    const CountedBuffer* curves = outputSet ? side.outCurves : side.inCurves;
    const uint32_t channels = outputSet ? side.outputChannels : side.inputChannels;
    const double inScale = outputSet ? side.outScales[0] : side.inScales[0];
    const double outScale = outputSet ? side.outScales[1] : side.inScales[1];
    for (uint32_t ch = channels > 4 ? 4 : channels; ch-- > 0;) {
        const uint16_t* e = CbAs<uint16_t>(curves[ch]);
        const uint32_t n = curves[ch].length;
        if (!e || n == 0)
            continue;
        double v = Clamp16(values[ch]);
        if (v >= 65535.0 || n == 1) {
            values[ch] = e[n - 1] * outScale;
            continue;
        }
        double x = v * inScale;
        uint32_t i = TruncSat<uint32_t>(x);
        // Rounding can put x on the last entry; the segment below it is the
        // last one there is.
        if (i > n - 2)
            i = n - 2;
        values[ch] = (e[i] + (e[i + 1] - e[i]) * (x - i)) * outScale;
    }
}

void MatrixTimesColour(const double* m, double* c)
{
    double r[3];
    for (int i = 0; i < 3; ++i)
        r[i] = m[3 * i] * c[0] + m[3 * i + 1] * c[1] + m[3 * i + 2] * c[2];
    c[0] = r[0];
    c[1] = r[1];
    c[2] = r[2];
}

void ScaleColour(double* c, const double* factors)
{
    for (int i = 0; i < 3; ++i)
        c[i] *= factors[i];
}

}  // namespace qrv
