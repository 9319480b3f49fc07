#include "QRV/tests/icc_builder.h"

namespace qrvtest {

void SetTagEntry(std::vector<uint8_t>& profile, int index, uint32_t offset, uint32_t size)
{
    PutU32(profile, 132 + 12 * index + 4, offset);
    PutU32(profile, 132 + 12 * index + 8, size);
}

IccBuilder RgbMatrixProfile(uint16_t gamma)
{
    IccBuilder b("RGB ", "XYZ ");
    b.XYZ("wtpt", 0.9642, 1.0, 0.8249)
        .CurveGamma("rTRC", gamma)
        .CurveGamma("gTRC", gamma)
        .CurveGamma("bTRC", gamma)
        .XYZ("rXYZ", 0.6097, 0.3111, 0.0195)
        .XYZ("gXYZ", 0.2053, 0.6257, 0.0609)
        .XYZ("bXYZ", 0.1492, 0.0632, 0.7446);
    return b;
}

IccBuilder RgbMatrixProfileIdentityCurves()
{
    IccBuilder b("RGB ", "XYZ ");
    b.XYZ("wtpt", 0.9642, 1.0, 0.8249)
        .CurveIdentity("rTRC")
        .CurveIdentity("gTRC")
        .CurveIdentity("bTRC")
        .XYZ("rXYZ", 0.6097, 0.3111, 0.0195)
        .XYZ("gXYZ", 0.2053, 0.6257, 0.0609)
        .XYZ("bXYZ", 0.1492, 0.0632, 0.7446);
    return b;
}

IccBuilder ParametricRgbProfile(uint32_t version)
{
    // Function type 0, one s15Fixed16 parameter: the gamma.
    const std::vector<uint8_t> gamma22 = {'p', 'a', 'r', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x02, 0x33, 0x33};
    IccBuilder b("RGB ", "XYZ ");
    b.Version(version).XYZ("wtpt", 0.9642, 1.0, 0.8249);
    for (const char* trc : {"rTRC", "gTRC", "bTRC"})
        b.Raw(trc, gamma22);
    b.XYZ("rXYZ", 0.4361, 0.2225, 0.0139).XYZ("gXYZ", 0.3851, 0.7169, 0.0971).XYZ("bXYZ", 0.1431, 0.0606, 0.7139);
    return b;
}

IccBuilder GreyProfile(uint16_t gamma, const char* pcs)
{
    IccBuilder b("GRAY", pcs);
    b.XYZ("wtpt", 0.9642, 1.0, 0.8249).CurveGamma("kTRC", gamma);
    return b;
}

}  // namespace qrvtest
