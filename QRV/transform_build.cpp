#include <new>

#include "QRV/lut_build_context.h"
#include "QRV/multi_lut_asm.h"
#include "QRV/node_eval.h"
#include "QRV/numeric.h"
#include "QRV/profile_reader.h"
#include "QRV/transform.h"
#include "port/port.h"

namespace qrv {

namespace {

bool gMmx = false;  // once a build has seen MMX it stays set
KernelChoice gChoice = KernelChoice::Processor;

void ReleaseSharedTables(QZCMTransform& t)
{
    if (t.holdsAtan) {
        ReleaseAtan();
        t.holdsAtan = false;
    }
    if (t.holdsSinCos) {
        ReleaseSinCos();
        t.holdsSinCos = false;
    }
}

void TestProcessor()
{
    if (port::HasMMX())
        gMmx = true;
}

// Copies a side's curves into the transform: 8-bit tables become 16-bit.
int CopyCurves(CountedBuffer* to, const CountedBuffer* from, uint32_t channels, bool eightBit)
{
    for (uint32_t c = 4; c-- > 0;) {
        if (c >= channels) {
            CbFree(to[c]);
            continue;
        }
        const uint32_t n = from[c].length;
        if (CbSetLength(to[c], n, sizeof(uint16_t), 1) != 0)
            return 2;
        const uint16_t* s = CbAs<uint16_t>(from[c]);
        uint16_t* d = CbAs<uint16_t>(to[c]);
        for (uint32_t i = 0; i < n; ++i)
            d[i] = eightBit && i < 256 ? static_cast<uint16_t>(s[i] * 257) : s[i];
    }
    return 0;
}

int SetHueCurve(CountedBuffer& curve)
{
    if (CbSetLength(curve, 4, sizeof(uint16_t), 1) != 0)
        return 2;
    static const uint16_t kQuarters[4] = {0, 16384, 32768, 49152};
    for (int i = 0; i < 4; ++i)
        CbAs<uint16_t>(curve)[i] = kQuarters[i];
    return 0;
}

int BuildMatrix(QZCMTransform& t, const LutBuildContext& in, const LutBuildContext& out, int32_t intent)
{
    if (CbSetLength(t.matrix, 12, sizeof(int16_t), 32) != 0)
        return 2;
    double scale[3] = {1.0, 1.0, 1.0};
    if (intent == 2)
        for (int i = 0; i < 3; ++i)
            scale[i] = in.mediaWhite[i] / out.mediaWhite[i];
    int16_t* m = CbAs<int16_t>(t.matrix);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            double v = 0.0;
            for (int k = 0; k < 3; ++k)
                v += out.matrix[r * 3 + k] * scale[k] * in.matrix[k * 3 + c];
            m[r * 4 + c] = TruncSat<int16_t>(v * 8192.0 + 0.5);
        }
        m[r * 4 + 3] = 0;
    }
    return 0;
}

}  // namespace

void ForceKernels(KernelChoice choice)
{
    gChoice = choice;
}

bool UseMmx()
{
    switch (gChoice) {
    case KernelChoice::Portable: return false;
    case KernelChoice::Mmx: return true;
    default: return gMmx;
    }
}

void InitTransform(QZCMTransform& t)
{
    t = QZCMTransform{};
    for (int i = 0; i < 4; ++i) {
        t.inputCurves[i] = MakeCountedBuffer();
        t.outputCurves[i] = MakeCountedBuffer();
    }
    t.inputTable = MakeCountedBuffer();
    t.outputTable = MakeCountedBuffer();
    t.matrix = MakeCountedBuffer(32);
    t.scratch[0] = MakeCountedBuffer();
    t.scratch[1] = MakeCountedBuffer(8);
}

void ReleaseTransform(QZCMTransform& t)
{
    delete t.lut;
    t.lut = nullptr;
    ReleaseSharedTables(t);
    CbFree(t.matrix);
    CbFree(t.inputTable);
    CbFree(t.outputTable);
    CbFree(t.scratch[0]);
    CbFree(t.scratch[1]);
    for (int i = 0; i < 4; ++i) {
        CbFree(t.inputCurves[i]);
        CbFree(t.outputCurves[i]);
    }
}

int BuildTransform(QZCMTransform& t, const uint8_t* inBlock, uint32_t inBytes, const uint8_t* outBlock,
                   uint32_t outBytes, int32_t intent, int32_t proofMode, int32_t inBits, int32_t outBits,
                   const UserCurveSlot* inSlots, const UserCurveSlot* outSlots)
{
    LutBuildContext in, out;
    t.intent = intent;
    t.proofMode = proofMode;
    ReleaseSharedTables(t);

    ProfileReader inProfile(inBlock, inBytes);
    if (int r = inProfile.Parse())
        return r;
    if (inProfile.DataSpace() == kSigLch) {
        if (AcquireSinCos() != 0)
            return 2;
        t.holdsSinCos = true;
    }
    t.inputSpace = inProfile.DataSpace();

    ProfileReader outProfile(outBlock, outBytes);
    if (int r = outProfile.Parse())
        return r;
    if (outProfile.DataSpace() == kSigLch) {
        if (AcquireAtan() != 0)
            return 2;
        t.holdsAtan = true;
    }
    t.outputSpace = outProfile.DataSpace();

    if (int r = LoadSide(in, inProfile, intent, true))
        return r;
    if (int r = LoadSide(out, outProfile, intent, false))
        return r;
    t.inputChannels = in.inputChannels;
    t.outputChannels = out.outputChannels;

    delete t.lut;
    t.lut = nullptr;
    CbFree(t.matrix);

    TestProcessor();

    t.inputIsLut = in.kind == kSideLut;
    t.outputIsLut = out.kind == kSideLut;
    t.inputGreyLightness = in.kind == kSideGrey && IsLabOrLch(in.toSpace);
    t.outputGreyLightness = out.kind == kSideGrey && IsLabOrLch(out.fromSpace);
    t.passThrough = IsLabOrLch(t.inputSpace) && IsLabOrLch(t.outputSpace);
    t.matrixCore = 0;

    if ((t.inputIsLut || t.outputIsLut) && !t.passThrough) {
        const uint32_t ni = t.inputChannels, no = t.outputChannels;
        const bool countsOk = (ni == 1 || ni == 3 || ni == 4) && (no == 1 || no == 3 || no == 4);
        if (countsOk) {
            if (UseMmx())
                t.lut = new (std::nothrow) CMultiLutAsm(GridForInputs(ni), ni, no, 0);
            else
                t.lut = NewPortableLut(ni, no);
        }
        if (!t.lut)
            return 9;
        for (LutBuildContext* side : {&in, &out})
            if (side->kind == kSideLut && side->toSpace == kSigLch)
                side->table.ConvertLchToLab();
        NodeRecord record{&t, &in, &out};
        // An empty table must never reach the pixel loop.
        if (t.lut->FillTable(NodeRoutineFor(in.kind, out.kind), &record) != 0) {
            delete t.lut;
            t.lut = nullptr;
            return 2;
        }
    } else if (!t.inputIsLut && !t.outputIsLut) {
        t.matrixCore = 1;
        if (int r = BuildMatrix(t, in, out, intent))
            return r;
    }

    if (int r = CopyCurves(t.inputCurves, in.inCurves, t.inputChannels, in.tableBits == 8))
        return r;
    if (t.inputSpace == kSigLch && SetHueCurve(t.inputCurves[2]) != 0)
        return 2;
    if (int r = CopyCurves(t.outputCurves, out.outCurves, t.outputChannels, out.tableBits == 8))
        return r;
    if (t.outputSpace == kSigLch && SetHueCurve(t.outputCurves[2]) != 0)
        return 2;

    return BuildTables(t, inBits, outBits, inSlots, outSlots);
}

}  // namespace qrv
