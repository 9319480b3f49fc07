#include "Vorlat/VorlatTypes.h"

#include <cmath>
#include <cstdint>
#include <cstring>

VorlatDblRect::VorlatDblRect(const RECT& rect)
    : left(rect.left), top(rect.top), right(rect.right), bottom(rect.bottom)
{
}

// Half away from zero: trunc(v + 0.5) for v >= 0, trunc(v - 0.5) below; held
// at the ends of the 32-bit range, whose conversion would be undefined beyond,
// and NaN taken as 0.
static int32_t RoundHalfAway(double v)
{
    if (std::isnan(v))
        return 0;
    const double rounded = std::trunc(v >= 0.0 ? v + 0.5 : v - 0.5);
    if (rounded >= 2147483647.0)
        return INT32_MAX;
    if (rounded <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(rounded);
}

VorlatDblRect::operator RECT() const
{
    RECT rect;
    rect.left = RoundHalfAway(left);
    rect.top = RoundHalfAway(top);
    rect.right = RoundHalfAway(right);
    rect.bottom = RoundHalfAway(bottom);
    return rect;
}

int VorlatDblRect::operator==(const VorlatDblRect& other) const
{
    const double kTolerance = 1e-10;
    return std::fabs(left - other.left) <= kTolerance && std::fabs(top - other.top) <= kTolerance &&
           std::fabs(right - other.right) <= kTolerance && std::fabs(bottom - other.bottom) <= kTolerance;
}

int VorlatDblRect::operator!=(const VorlatDblRect& other) const { return !(*this == other); }

bool VorlatPalette::operator==(const VorlatPalette& other) const
{
    if (count != other.count || colorSpace != other.colorSpace)
        return false;
    for (int32_t i = 0; i < count && i < 256; ++i) {
        const VorlatPixel& a = entries[i];
        const VorlatPixel& b = other.entries[i];
        switch (colorSpace) {
        case 32:
        case 39:
        case 40:
            if (std::memcmp(a.bytes, b.bytes, 3) != 0)
                return false;
            break;
        case 34:
            if (std::memcmp(a.bytes, b.bytes, 4) != 0)
                return false;
            break;
        case 33:
        case 35:
        case 36:
        case 37:
            if (a.words[0] != b.words[0] || a.words[1] != b.words[1] || a.words[2] != b.words[2])
                return false;
            break;
        default:
            // Entries of other codes are not compared.
            break;
        }
    }
    return true;
}

int VorlatClassID::operator==(const VorlatClassID& other) const
{
    return std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
}

int VorlatClassID::operator!=(const VorlatClassID& other) const { return !(*this == other); }
