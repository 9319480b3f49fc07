#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace qrv {

// Truncation toward zero into T that saturates at T's limits and maps NaN to
// 0, so that no value a profile can produce makes the conversion undefined.
template <class T>
inline T TruncSat(double x)
{
    if (!(x == x))
        return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
    if (x <= lo)
        return std::numeric_limits<T>::min();
    if (x >= hi)
        return std::numeric_limits<T>::max();
    return static_cast<T>(x);
}

// The double nearest 1/65535, the factor of every 16-bit scale in the engine.
inline constexpr double kInv65535 = 1.0 / 65535.0;

constexpr uint32_t Sig(const char (&s)[5])
{
    return (static_cast<uint32_t>(static_cast<unsigned char>(s[0])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(s[2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[3]));
}

inline constexpr uint32_t kSigXYZ = Sig("XYZ ");
inline constexpr uint32_t kSigLab = Sig("Lab ");
inline constexpr uint32_t kSigLch = Sig("Lch ");
inline constexpr uint32_t kSigGray = Sig("GRAY");

inline bool IsPcsSpace(uint32_t s)
{
    return s == kSigXYZ || s == kSigLab || s == kSigLch;
}

inline bool IsLabOrLch(uint32_t s)
{
    return s == kSigLab || s == kSigLch;
}

}  // namespace qrv
