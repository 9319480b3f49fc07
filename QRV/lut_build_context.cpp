#include "QRV/lut_build_context.h"

#include "QRV/numeric.h"
#include "QRV/profile_reader.h"

namespace qrv {

LutBuildContext::LutBuildContext()
{
    for (int i = 0; i < 4; ++i) {
        inCurves[i] = MakeCountedBuffer();
        outCurves[i] = MakeCountedBuffer();
    }
}

LutBuildContext::~LutBuildContext()
{
    for (int i = 0; i < 4; ++i) {
        CbFree(inCurves[i]);
        CbFree(outCurves[i]);
    }
}

int InvertMatrix(double* m)
{
    const double c00 = m[4] * m[8] - m[5] * m[7];
    const double c01 = m[5] * m[6] - m[3] * m[8];
    const double c02 = m[3] * m[7] - m[4] * m[6];
    const double det = m[0] * c00 + m[1] * c01 + m[2] * c02;
    if (TruncSat<int64_t>(det * 65536.0) == 0)
        return 9;
    const double inv[9] = {
        c00 / det, (m[2] * m[7] - m[1] * m[8]) / det, (m[1] * m[5] - m[2] * m[4]) / det,
        c01 / det, (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
        c02 / det, (m[1] * m[6] - m[0] * m[7]) / det, (m[0] * m[4] - m[1] * m[3]) / det,
    };
    for (int i = 0; i < 9; ++i)
        m[i] = inv[i];
    return 0;
}

int ConvertToneCurve(const Curve& curve, bool outputSide, CountedBuffer& out)
{
    if (curve.kind == Curve::Identity) {
        if (CbSetLength(out, 2, sizeof(uint16_t), 1) != 0)
            return 2;
        CbAs<uint16_t>(out)[0] = 0;
        CbAs<uint16_t>(out)[1] = 65535;
        return 0;
    }
    if (curve.kind == Curve::Gamma) {
        if (CbSetLength(out, 1, sizeof(uint16_t), 1) != 0)
            return 2;
        CbAs<uint16_t>(out)[0] = static_cast<uint16_t>(curve.gamma256);
        return 0;
    }
    const uint16_t* e = CbAs<uint16_t>(curve.entries);
    const uint32_t n = curve.entries.length;
    if (!outputSide) {
        if (CbSetLength(out, n, sizeof(uint16_t), 1) != 0)
            return 2;
        uint16_t* o = CbAs<uint16_t>(out);
        for (uint32_t i = 0; i < n; ++i)
            o[i] = e[i];
        return 0;
    }
    if (CbSetLength(out, 65536, sizeof(uint16_t), 1) != 0)
        return 2;
    uint16_t* o = CbAs<uint16_t>(out);
    const double s = 65535.0 / (n - 1);
    if (e[0] < e[n - 1]) {
        uint32_t m = 0;
        for (uint32_t v = 0; v <= 65535; ++v) {
            if (v <= e[0]) {
                o[v] = 0;
            } else if (v >= e[n - 1]) {
                for (; v <= 65535; ++v)
                    o[v] = 65535;
                break;
            } else {
                while (m + 1 < n - 1 && e[m + 1] < v)
                    ++m;
                double frac = static_cast<double>(static_cast<int32_t>(v) - e[m]) / (e[m + 1] - e[m]);
                o[v] = TruncSat<uint16_t>(s * (m + frac));
            }
        }
    } else {
        uint32_t g = n - 1;
        for (uint32_t v = 0; v <= 65535; ++v) {
            if (v <= e[n - 1]) {
                o[v] = 65535;
            } else if (v >= e[0]) {
                for (; v <= 65535; ++v)
                    o[v] = 0;
                break;
            } else {
                while (g > 1 && e[g - 1] < v)
                    --g;
                double frac = static_cast<double>(static_cast<int32_t>(v) - e[g]) / (e[g - 1] - e[g]);
                o[v] = TruncSat<uint16_t>(s * (g - frac));
            }
        }
    }
    return 0;
}

namespace {

uint32_t LutTagFor(int32_t intent, bool inputSide)
{
    switch (intent) {
    case 0: return inputSide ? Sig("A2B0") : Sig("B2A0");
    case 1:
    case 2: return inputSide ? Sig("A2B1") : Sig("B2A1");
    case 3: return inputSide ? Sig("A2B2") : Sig("B2A2");
    default: return 0;
    }
}

// Channels of an ICC colour space; 0 for a space this engine does not know.
uint32_t ChannelsOf(uint32_t space)
{
    switch (space) {
    case Sig("GRAY"): return 1;
    case Sig("XYZ "): case Sig("Lab "): case Sig("Lch "): case Sig("Luv "): case Sig("YCbr"):
    case Sig("Yxy "): case Sig("RGB "): case Sig("HSV "): case Sig("HLS "): case Sig("CMY "):
        return 3;
    case Sig("CMYK"): return 4;
    default: break;
    }
    // '2CLR' .. '9CLR', 'ACLR' .. 'FCLR'
    if ((space & 0x00FFFFFF) == (Sig("xCLR") & 0x00FFFFFF)) {
        const uint32_t digit = space >> 24;
        if (digit >= '2' && digit <= '9')
            return digit - '0';
        if (digit >= 'A' && digit <= 'F')
            return digit - 'A' + 10;
    }
    return 0;
}

// The pixel loop takes its sample counts from the table, while callers size
// their buffers by the header: the two must agree, and a header space whose
// channels are not known (0 among them) agrees with nothing. The PCS side is
// always three channels.
bool TableFitsHeader(const LutTag& lut, const ProfileReader& profile, bool inputSide)
{
    const uint32_t device = inputSide ? lut.inputs : lut.outputs;
    const uint32_t pcs = inputSide ? lut.outputs : lut.inputs;
    return pcs == 3 && device == ChannelsOf(profile.DataSpace());
}

int LoadLutSide(LutBuildContext& side, ProfileReader& profile, const LutTag& lut)
{
    side.kind = kSideLut;
    side.inputChannels = lut.inputs;
    side.outputChannels = lut.outputs;
    side.tableBits = lut.eightBit ? 8 : 16;
    for (int i = 0; i < 9; ++i)
        side.matrix[i] = lut.matrix[i];
    if (lut.eightBit) {
        side.inScales[0] = side.outScales[0] = 0.0038910505836575876;
        side.inScales[1] = side.outScales[1] = 257.0;
    } else {
        side.inScales[0] = (lut.inEntries - 1) * kInv65535;
        side.outScales[0] = (lut.outEntries - 1) * kInv65535;
        side.inScales[1] = side.outScales[1] = 1.0;
    }
    for (uint32_t c = 0; c < lut.inputs; ++c)
        if (profile.CopyLutCurve(lut, false, c, side.inCurves[c]) != 0)
            return 2;
    if (lut.eightBit) {
        if (side.table.LoadTable8(lut.grid, lut.inputs, lut.outputs, profile.Bytes(lut.tableAt), side.pcsTo) != 0)
            return 2;
    } else {
        CountedBuffer values = MakeCountedBuffer();
        int r = profile.CopyLutTable16(lut, values);
        if (r == 0)
            r = side.table.LoadTable16(lut.grid, lut.inputs, lut.outputs, CbAs<uint16_t>(values));
        CbFree(values);
        if (r != 0)
            return 2;
    }
    for (uint32_t c = 0; c < lut.outputs; ++c)
        if (profile.CopyLutCurve(lut, true, c, side.outCurves[c]) != 0)
            return 2;
    return 0;
}

int ReadToneCurve(ProfileReader& profile, uint32_t signature, bool outputSide, CountedBuffer& out)
{
    Curve curve;
    int r = profile.ReadCurve(signature, curve);
    return r != 0 ? r : ConvertToneCurve(curve, outputSide, out);
}

}  // namespace

int LoadSide(LutBuildContext& side, ProfileReader& profile, int32_t intent, bool inputSide)
{
    for (int i = 0; i < 3; ++i)
        side.illuminant[i] = side.mediaWhite[i] = profile.Illuminant()[i];
    side.fromSpace = inputSide ? profile.DataSpace() : profile.Pcs();
    side.toSpace = inputSide ? profile.Pcs() : profile.DataSpace();
    side.pcsTo = IsPcsSpace(side.toSpace);

    if (profile.FindTag(Sig("wtpt")) == 0) {
        CountedBuffer white = MakeCountedBuffer();
        int r = profile.ReadXYZ(Sig("wtpt"), white);
        if (r == 0)
            for (int i = 0; i < 3; ++i)
                side.mediaWhite[i] = CbAs<int32_t>(white)[i] / 65536.0;
        CbFree(white);
        if (r != 0)
            return r;
    }
    // Absolute colorimetry divides by the media white.
    for (double w : side.mediaWhite)
        if (!(w > 0.0))
            return 9;

    if (profile.DataSpace() == kSigGray) {
        side.kind = kSideGrey;
        side.inputChannels = side.outputChannels = 1;
        side.tableBits = 16;
        for (int i = 0; i < 9; ++i)
            side.matrix[i] = i % 4 == 0 ? side.illuminant[i / 4] : 0.0;
        // A singular grey matrix is not reported here; it keeps the diagonal.
        if (!inputSide)
            InvertMatrix(side.matrix);
        return ReadToneCurve(profile, Sig("kTRC"), !inputSide, inputSide ? side.inCurves[0] : side.outCurves[0]);
    }

    if (uint32_t tag = LutTagFor(intent, inputSide); tag != 0) {
        // A profile need not carry a table for every intent: the intent-0
        // table stands in for an absent one.
        if (profile.FindTag(tag) == 10)
            tag = LutTagFor(0, inputSide);
        LutTag lut;
        if (profile.ReadLut(tag, lut) == 0)
            return TableFitsHeader(lut, profile, inputSide) ? LoadLutSide(side, profile, lut) : 9;
    }

    // Three curves and a 3 x 3 matrix: only a three-channel header fits them.
    if (ChannelsOf(profile.DataSpace()) != 3)
        return 9;
    side.kind = kSideMatrix;
    side.inputChannels = side.outputChannels = 3;
    side.tableBits = 16;
    static const uint32_t kTrc[3] = {Sig("rTRC"), Sig("gTRC"), Sig("bTRC")};
    static const uint32_t kXyz[3] = {Sig("rXYZ"), Sig("gXYZ"), Sig("bXYZ")};
    for (int c = 0; c < 3; ++c) {
        int r = ReadToneCurve(profile, kTrc[c], !inputSide, inputSide ? side.inCurves[c] : side.outCurves[c]);
        if (r != 0)
            return r;
        CountedBuffer xyz = MakeCountedBuffer();
        r = profile.ReadXYZ(kXyz[c], xyz);
        if (r == 0)
            for (int row = 0; row < 3; ++row)
                side.matrix[row * 3 + c] = CbAs<int32_t>(xyz)[row] / 65536.0;
        CbFree(xyz);
        if (r != 0)
            return r;
    }
    return inputSide ? 0 : InvertMatrix(side.matrix);
}

}  // namespace qrv
