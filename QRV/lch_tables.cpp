#include <cmath>

#include "QRV/numeric.h"
#include "QRV/transform.h"

// The three tables of the 'Lch ' space, shared by every transform that needs
// them and freed when the last one lets go. Their counts are not guarded:
// the engine is used by one thread at a time.

namespace qrv {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct SharedTable {
    CountedBuffer buffer = MakeCountedBuffer();
    int32_t users = 0;
};

SharedTable gSinCos;
SharedTable gChroma;
SharedTable gAtan;

int FillSinCos()
{
    if (CbSetLength(gSinCos.buffer, 65537 * 2, sizeof(int16_t), 1) != 0)
        return 2;
    if (CbSetLength(gChroma.buffer, 65537, sizeof(uint16_t), 1) != 0) {
        CbFree(gSinCos.buffer);
        return 2;
    }
    int16_t* sc = CbAs<int16_t>(gSinCos.buffer);
    uint16_t* chroma = CbAs<uint16_t>(gChroma.buffer);
    for (int i = 0; i <= 65536; ++i) {
        const double a = i * 2.0 * kPi / 65536.0;
        const double s = std::sin(a), c = std::cos(a);
        sc[2 * i] = TruncSat<int16_t>(std::fmin(s * 32768.0, 32767.0));
        sc[2 * i + 1] = TruncSat<int16_t>(std::fmin(c * 32768.0, 32767.0));
        chroma[i] = TruncSat<uint16_t>(32768.0 / std::fmax(std::fabs(s), std::fabs(c)));
    }
    return 0;
}

}  // namespace

const int16_t* SinCosTable()
{
    return CbAs<int16_t>(gSinCos.buffer);
}

const uint16_t* ChromaScaleTable()
{
    return CbAs<uint16_t>(gChroma.buffer);
}

const uint16_t* AtanTable()
{
    return CbAs<uint16_t>(gAtan.buffer);
}

int AcquireSinCos()
{
    if (gSinCos.users == 0 && FillSinCos() != 0)
        return 2;
    ++gSinCos.users;
    ++gChroma.users;
    return 0;
}

void ReleaseSinCos()
{
    if (gSinCos.users > 0 && --gSinCos.users == 0)
        CbFree(gSinCos.buffer);
    if (gChroma.users > 0 && --gChroma.users == 0)
        CbFree(gChroma.buffer);
}

int AcquireAtan()
{
    if (gAtan.users == 0) {
        if (CbSetLength(gAtan.buffer, 8193, sizeof(uint16_t), 1) != 0)
            return 2;
        uint16_t* t = CbAs<uint16_t>(gAtan.buffer);
        for (int i = 0; i < 8192; ++i)
            t[i] = TruncSat<uint16_t>(std::atan(i / 8192.0) * 10430.378350470453 + 0.5);
        t[8192] = 8192;
    }
    ++gAtan.users;
    return 0;
}

void ReleaseAtan()
{
    if (gAtan.users > 0 && --gAtan.users == 0)
        CbFree(gAtan.buffer);
}

int32_t SinCosUsers()
{
    return gSinCos.users;
}

int32_t AtanUsers()
{
    return gAtan.users;
}

}  // namespace qrv
