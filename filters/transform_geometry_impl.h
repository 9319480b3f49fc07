// The transform filter's geometry, shared by its mappings and its tile
// producer, so that a back-mapped output pixel in a tile lands exactly where
// DefilterPoint says.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Vorlat/VorlatTypes.h"
#include "filters/kolvex_convert_impl.h"

namespace transform_geometry {

// Angles within 1e-10 of a multiple of 90 degrees take the exact paths.
inline bool NearZero(double r) { return r <= 1e-10 || r >= 359.9999999999; }
inline bool Near(double r, double angle) { return std::fabs(r - angle) <= 1e-10; }

// A normalised rotation with its cosine and sine.
struct Rotation {
    double r;
    double c;
    double s;
};

inline Rotation MakeRotation(double normalised)
{
    const double radians = normalised * 3.14159265358979323846 / 180.0;
    return Rotation{normalised, std::cos(radians), std::sin(radians)};
}

struct Corners {
    double x[4];
    double y[4];

    explicit Corners(const VorlatDblRect& rect)
        : x{rect.left, rect.right, rect.left, rect.right}, y{rect.top, rect.top, rect.bottom, rect.bottom}
    {
    }
    VorlatDblRect Bounds() const
    {
        VorlatDblRect out;
        out.left = std::min(std::min(x[0], x[1]), std::min(x[2], x[3]));
        out.right = std::max(std::max(x[0], x[1]), std::max(x[2], x[3]));
        out.top = std::min(std::min(y[0], y[1]), std::min(y[2], y[3]));
        out.bottom = std::max(std::max(y[0], y[1]), std::max(y[2], y[3]));
        return out;
    }
};

// Source rectangle to output: mirror, rotate clockwise about the origin, shift to (0, 0).
inline VorlatDblRect Forward(VorlatDblRect rect, double w, double h, bool flip, const Rotation& rot)
{
    if (flip) {
        const double left = w - rect.right, right = w - rect.left;
        rect.left = left;
        rect.right = right;
    }
    if (NearZero(rot.r))
        return rect;
    Corners k(rect);
    for (int i = 0; i < 4; ++i) {
        const double x = k.x[i], y = k.y[i];
        if (Near(rot.r, 90)) {
            k.x[i] = h - y;
            k.y[i] = x;
        } else if (Near(rot.r, 180)) {
            k.x[i] = w - x;
            k.y[i] = h - y;
        } else if (Near(rot.r, 270)) {
            k.x[i] = y;
            k.y[i] = w - x;
        } else {
            double nx = rot.c * x - rot.s * y, ny = rot.s * x + rot.c * y;
            if (rot.r < 90) {
                nx += h * rot.s;
            } else if (rot.r < 180) {
                nx -= w * rot.c - h * rot.s;
                ny -= h * rot.c;
            } else if (rot.r < 270) {
                nx -= w * rot.c;
                ny -= h * rot.c + w * rot.s;
            } else {
                ny -= w * rot.s;
            }
            k.x[i] = nx;
            k.y[i] = ny;
        }
    }
    return k.Bounds();
}

// Output rectangle back to the source: the inverse of Forward.
inline VorlatDblRect Inverse(const VorlatDblRect& rect, double w, double h, bool flip, const Rotation& rot)
{
    Corners k(rect);
    if (!NearZero(rot.r)) {
        for (int i = 0; i < 4; ++i) {
            double x = k.x[i], y = k.y[i];
            if (Near(rot.r, 90)) {
                k.x[i] = y;
                k.y[i] = h - x;
            } else if (Near(rot.r, 180)) {
                k.x[i] = w - x;
                k.y[i] = h - y;
            } else if (Near(rot.r, 270)) {
                k.x[i] = w - y;
                k.y[i] = x;
            } else {
                if (rot.r < 90) {
                    x -= h * rot.s;
                } else if (rot.r < 180) {
                    x += w * rot.c - h * rot.s;
                    y += h * rot.c;
                } else if (rot.r < 270) {
                    x += w * rot.c;
                    y += h * rot.c + w * rot.s;
                } else {
                    y += w * rot.s;
                }
                k.x[i] = rot.c * x + rot.s * y;
                k.y[i] = -rot.s * x + rot.c * y;
            }
        }
    }
    if (flip)
        for (double& x : k.x)
            x = w - x;
    return k.Bounds();
}

// The top-left corner of a pixel's square mapped back into the source, as
// DefilterPoint's long form gives it: truncated toward zero.
inline void InversePixel(int32_t x, int32_t y, double w, double h, bool flip, const Rotation& rot, int32_t* sx,
                         int32_t* sy)
{
    VorlatDblRect square;
    square.left = x;
    square.top = y;
    square.right = x + 1.0;
    square.bottom = y + 1.0;
    const VorlatDblRect back = Inverse(square, w, h, flip, rot);
    *sx = kolvex_convert::Trunc(back.left);
    *sy = kolvex_convert::Trunc(back.top);
}

} // namespace transform_geometry
