#include "QRV/node_eval.h"

#include "QRV/colour_math.h"
#include "QRV/lut_build_context.h"
#include "QRV/numeric.h"
#include "QRV/transform.h"

namespace qrv {

namespace {

// An 'Lch ' to 'Lch ' table is not evaluated: its values travel through the
// grid in the 'Lab ' encoding (the pixel loop converts them on the way in and
// out), so the side passes them on as they are. An abstract 'Lab ' profile's
// table is its whole effect and is always evaluated.
bool LchToLch(uint32_t from, uint32_t to)
{
    return from == kSigLch && to == kSigLch;
}

bool AbsoluteIntent(const NodeRecord& r)
{
    return r.transform->intent == 2;
}

// Input side to its PCS. Returns true when the colour is real XYZ rather than
// a 16-bit PCS encoding. 'Lch ' values arrive here in the 'Lab ' encoding.
bool InputToPcs(const NodeRecord& r, const double* coords, double* c)
{
    const LutBuildContext& in = *r.input;
    if (in.kind == kSideMatrix) {
        for (int i = 0; i < 3; ++i)
            c[i] = GreyAxis(coords[i]);
        MatrixTimesColour(in.matrix, c);
        return true;
    }
    if (in.kind == kSideGrey) {
        const double y = GreyAxis(coords[0]);
        if (IsLabOrLch(in.toSpace)) {
            c[0] = y * 65535.0;
            c[1] = c[2] = 32768.0;
            return false;
        }
        const double scale = AbsoluteIntent(r) ? 1.0 : 32768.0;
        for (int i = 0; i < 3; ++i)
            c[i] = y * in.illuminant[i] * scale;
        return AbsoluteIntent(r);
    }
    double v[4] = {0.0, 0.0, 0.0, 0.0};
    for (uint32_t i = 0; i < in.inputChannels && i < 4; ++i)
        v[i] = coords[i];
    if (in.fromSpace == kSigXYZ)
        MatrixTimesColour(in.matrix, v);
    for (double& x : v)
        x *= 65535.0;
    if (LchToLch(in.fromSpace, in.toSpace)) {
        for (int i = 0; i < 3; ++i)
            c[i] = v[i];
        return false;
    }
    in.table.Evaluate(v, c);
    ApplySideCurves(in, c, true);
    return false;
}

void EncodedToXYZ(const NodeRecord& r, double* c)
{
    if (IsLabOrLch(r.input->toSpace)) {
        DecodeLab16(c);
        LabToXYZ(c, r.input->illuminant);
    } else {
        DecodeXYZ16(c);
    }
}

void ScaleForAbsolute(const NodeRecord& r, double* c)
{
    double f[3];
    for (int i = 0; i < 3; ++i)
        f[i] = r.input->mediaWhite[i] / r.output->mediaWhite[i];
    ScaleColour(c, f);
}

// PCS of the input side to the PCS encoding the output side expects.
void ConnectPcs(const NodeRecord& r, double* c, bool realXYZ)
{
    const uint32_t pcsIn = r.input->toSpace;
    const uint32_t pcsOut = r.output->fromSpace;
    const bool outKeepsLab = pcsOut == kSigLab || (pcsOut == kSigLch && r.output->toSpace == kSigLch);
    if (AbsoluteIntent(r) || realXYZ) {
        if (!realXYZ)
            EncodedToXYZ(r, c);
        if (AbsoluteIntent(r))
            ScaleForAbsolute(r, c);
        if (pcsOut == kSigXYZ) {
            EncodeXYZ16(c);
            return;
        }
        XYZToLab(c, r.output->illuminant);
        if (outKeepsLab) {
            EncodeLab16(c);
        } else {
            LabToLch(c);
            EncodeLch16(c);
        }
        return;
    }
    if (IsLabOrLch(pcsIn)) {
        if (outKeepsLab)
            return;
        DecodeLab16(c);
        if (pcsOut == kSigXYZ) {
            LabToXYZ(c, r.input->illuminant);
            EncodeXYZ16(c);
        } else {
            LabToLch(c);
            EncodeLch16(c);
        }
        return;
    }
    if (pcsOut == kSigXYZ)
        return;
    DecodeXYZ16(c);
    XYZToLab(c, r.input->illuminant);
    if (outKeepsLab) {
        EncodeLab16(c);
    } else {
        LabToLch(c);
        EncodeLch16(c);
    }
}

void PcsToLut(const NodeRecord& r, double* c, double* outputs)
{
    const LutBuildContext& out = *r.output;
    if (LchToLch(out.fromSpace, out.toSpace)) {
        for (uint32_t j = 0; j < out.outputChannels && j < 3; ++j)
            outputs[j] = c[j] * kInv65535;
        return;
    }
    ApplySideCurves(out, c, false);
    if (out.fromSpace == kSigXYZ) {
        DecodeXYZ16(c);
        MatrixTimesColour(out.matrix, c);
        EncodeXYZ16(c);
    }
    double o[4] = {0.0, 0.0, 0.0, 0.0};
    out.table.Evaluate(c, o);
    for (uint32_t j = 0; j < out.outputChannels && j < 4; ++j)
        outputs[j] = o[j] * kInv65535;
}

void ToLut(void* user, const double* coords, double* outputs)
{
    const NodeRecord& r = *static_cast<const NodeRecord*>(user);
    double c[4] = {0.0, 0.0, 0.0, 0.0};
    bool real = InputToPcs(r, coords, c);
    ConnectPcs(r, c, real);
    PcsToLut(r, c, outputs);
}

}  // namespace

void NodeLutToLut(void* user, const double* coords, double* outputs)
{
    ToLut(user, coords, outputs);
}

void NodeMatrixToLut(void* user, const double* coords, double* outputs)
{
    ToLut(user, coords, outputs);
}

void NodeGreyToLut(void* user, const double* coords, double* outputs)
{
    ToLut(user, coords, outputs);
}

void NodeLutToMatrix(void* user, const double* coords, double* outputs)
{
    const NodeRecord& r = *static_cast<const NodeRecord*>(user);
    double c[4] = {0.0, 0.0, 0.0, 0.0};
    InputToPcs(r, coords, c);
    EncodedToXYZ(r, c);
    if (AbsoluteIntent(r))
        ScaleForAbsolute(r, c);
    MatrixTimesColour(r.output->matrix, c);
    for (int j = 0; j < 3; ++j)
        outputs[j] = c[j];
}

void NodeLutToGrey(void* user, const double* coords, double* outputs)
{
    const NodeRecord& r = *static_cast<const NodeRecord*>(user);
    double c[4] = {0.0, 0.0, 0.0, 0.0};
    InputToPcs(r, coords, c);
    ConnectPcs(r, c, false);
    const double v = IsLabOrLch(r.output->fromSpace) ? c[0] : c[1] * 65535.0 / 32768.0;
    outputs[0] = v * kInv65535;
}

LutNodeCallback NodeRoutineFor(int32_t inputKind, int32_t outputKind)
{
    if (inputKind == kSideLut && outputKind == kSideLut)
        return NodeLutToLut;
    if (inputKind == kSideMatrix && outputKind == kSideLut)
        return NodeMatrixToLut;
    if (inputKind == kSideGrey && outputKind == kSideLut)
        return NodeGreyToLut;
    if (inputKind == kSideLut && outputKind == kSideMatrix)
        return NodeLutToMatrix;
    if (inputKind == kSideLut && outputKind == kSideGrey)
        return NodeLutToGrey;
    return nullptr;
}

}  // namespace qrv
