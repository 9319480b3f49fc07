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

IccBuilder GreyProfile(uint16_t gamma, const char* pcs)
{
    IccBuilder b("GRAY", pcs);
    b.XYZ("wtpt", 0.9642, 1.0, 0.8249).CurveGamma("kTRC", gamma);
    return b;
}

}  // namespace qrvtest
