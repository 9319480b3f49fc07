// Both filters against a plain whole-image rendering of their stages, written
// straight from the stage rules over full 2-D planes: the row rings, their
// lags and their column offsets must give the same pixels bit for bit.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/demosaic/demosaic_kernel_impl.h"
#include "app/core/demosaic/tests/demosaic_test_util.h"

using namespace demosaic_test;

namespace {

template <typename T>
struct Plane {
    int32_t width, height, depth;
    std::vector<T> v;
    Plane(int32_t w, int32_t h, int32_t d = 1) : width(w), height(h), depth(d), v(static_cast<size_t>(w) * h * d) {}
    T& operator()(int32_t y, int32_t x, int32_t k = 0) { return v[(static_cast<size_t>(y) * width + x) * depth + k]; }
};

bool IsGreen(int32_t x, int32_t y) { return ((x + y) & 1) != 0; }
bool IsRedRow(int32_t y) { return (y & 1) != 0; }

Plane<int32_t> Coded(const Mosaic& mosaic)
{
    const uint32_t* tone = CDeBayerBase::GetToneTable();
    Plane<int32_t> m(mosaic.width, mosaic.height);
    for (int32_t y = 0; y < mosaic.height; ++y)
        for (int32_t x = 0; x < mosaic.width; ++x)
            m(y, x) = static_cast<int32_t>(tone[mosaic.samples[static_cast<size_t>(y) * mosaic.width + x]]);
    return m;
}

// RGB of every source position at least `margin` from the edges (others 0).
Plane<uint16_t> PlainSinglePass(const Mosaic& mosaic)
{
    Plane<int32_t> m = Coded(mosaic);
    const int32_t w = mosaic.width, h = mosaic.height;
    Plane<int32_t> g(w, h);
    for (int32_t r = 2; r < h - 2; ++r) {
        for (int32_t c = 2; c < w - 2; ++c) {
            if (IsGreen(c, r)) {
                g(r, c) = m(r, c);
                continue;
            }
            const int32_t v = std::abs(m(r - 1, c) - m(r + 1, c)) + std::abs(m(r - 2, c - 1) - m(r, c - 1)) +
                              std::abs(m(r, c - 1) - m(r + 2, c - 1));
            const int32_t hz = std::abs(m(r, c - 1) - m(r, c + 1)) + std::abs(m(r - 1, c - 2) - m(r - 1, c)) +
                               std::abs(m(r - 1, c) - m(r - 1, c + 2));
            const int32_t t = 2 * (v + hz) / 5 + 3 * (10 * 262143 / 256);
            const int32_t d = std::max(t, std::abs(v - hz));
            const double q = static_cast<double>(v - hz) / d;
            const int32_t ev = 2 * (m(r - 1, c) + m(r + 1, c) + m(r, c)) - m(r - 2, c) - m(r + 2, c);
            const int32_t eh = 2 * (m(r, c - 1) + m(r, c + 1) + m(r, c)) - m(r, c - 2) - m(r, c + 2);
            g(r, c) = static_cast<int32_t>(ev * (0.5 - q / 2) + eh * (0.5 + q / 2)) / 4;
        }
    }
    Plane<uint16_t> out(w, h, 3);
    auto d = [&](int32_t y, int32_t x) { return m(y, x) - g(y, x); };
    for (int32_t r = 3; r < h - 3; ++r) {
        for (int32_t c = 3; c < w - 3; ++c) {
            int32_t red, blue;
            if (IsGreen(c, r)) {
                const int32_t across = g(r, c) + (d(r, c - 1) + d(r, c + 1)) / 2;
                const int32_t down = g(r, c) + (d(r - 1, c) + d(r + 1, c)) / 2;
                red = IsRedRow(r) ? across : down;
                blue = IsRedRow(r) ? down : across;
            } else {
                const int32_t other = g(r, c) + (d(r - 1, c - 1) + d(r + 1, c - 1) + d(r - 1, c + 1) + d(r + 1, c + 1)) / 4;
                red = IsRedRow(r) ? m(r, c) : other;
                blue = IsRedRow(r) ? other : m(r, c);
            }
            out(r, c, 0) = demosaic::ToOutput(red);
            out(r, c, 1) = demosaic::ToOutput(g(r, c));
            out(r, c, 2) = demosaic::ToOutput(blue);
        }
    }
    return out;
}

uint8_t Compare3(int64_t a, int64_t b, int64_t threshold) { return a - b > threshold ? 1 : (b - a > threshold ? 2 : 0); }

Plane<uint16_t> PlainHighQuality(const Mosaic& mosaic, int32_t p0, int32_t p1, int32_t p2)
{
    Plane<int32_t> m = Coded(mosaic);
    const int32_t w = mosaic.width, h = mosaic.height;
    const int64_t levels = 262144;
    const int64_t a = 32 * (p0 * levels / 256), b = 80 * (p2 * levels / 256), t = 64 * (levels * p1 / 256);
    const int64_t t2 = 3072 * (2 * (3 * 262143 + 3) / 256), t5 = 3072 * (5 * (3 * 262143 + 3) / 256);
    auto each = [&](int32_t margin, auto f) {
        for (int32_t r = margin; r < h - margin; ++r)
            for (int32_t c = margin; c < w - margin; ++c)
                f(r, c);
    };
    // Stage 2 and 8: activities at red and blue sites.
    Plane<int64_t> act(w, h, 4), hv(w, h, 2);
    each(1, [&](int32_t r, int32_t c) {
        if (IsGreen(c, r))
            return;
        const int64_t x = m(r, c);
        act(r, c, 0) = std::abs(m(r, c - 1) - x) + std::abs(m(r, c + 1) - x);
        act(r, c, 1) = std::abs(m(r - 1, c) - x) + std::abs(m(r + 1, c) - x);
        act(r, c, 2) = std::abs(m(r - 1, c - 1) - x) + std::abs(m(r + 1, c + 1) - x) +
                       std::abs(m(r - 1, c - 1) - m(r + 1, c + 1)) + std::abs(m(r, c - 1) - m(r + 1, c)) +
                       std::abs(m(r - 1, c) - m(r, c + 1));
        act(r, c, 3) = std::abs(m(r - 1, c + 1) - x) + std::abs(m(r + 1, c - 1) - x) +
                       std::abs(m(r - 1, c + 1) - m(r + 1, c - 1)) + std::abs(m(r, c + 1) - m(r + 1, c)) +
                       std::abs(m(r - 1, c) - m(r, c - 1));
        hv(r, c, 0) = 2 * std::abs(m(r, c - 1) - m(r, c + 1)) + std::abs(m(r - 1, c - 1) - m(r - 1, c + 1)) +
                      std::abs(m(r + 1, c - 1) - m(r + 1, c + 1));
        hv(r, c, 1) = 2 * std::abs(m(r - 1, c) - m(r + 1, c)) + std::abs(m(r - 1, c - 1) - m(r + 1, c - 1)) +
                      std::abs(m(r - 1, c + 1) - m(r + 1, c + 1));
    });
    auto weighted = [](Plane<int64_t>& p, int32_t r, int32_t c, int32_t k) {
        return 4 * p(r, c, k) + 2 * (p(r - 1, c - 1, k) + p(r - 1, c + 1, k) + p(r + 1, c - 1, k) + p(r + 1, c + 1, k)) +
               p(r - 2, c, k) + p(r + 2, c, k) + p(r, c - 2, k) + p(r, c + 2, k);
    };
    // Stage 3 and 4.
    Plane<uint8_t> cls(w, h);
    Plane<int64_t> dif(w, h);
    each(3, [&](int32_t r, int32_t c) {
        if (IsGreen(c, r))
            return;
        cls(r, c) = static_cast<uint8_t>(Compare3(weighted(act, r, c, 0), weighted(act, r, c, 1), a) << 2 |
                                         Compare3(weighted(act, r, c, 2), weighted(act, r, c, 3), b));
        const int64_t n4 = m(r - 1, c) + m(r + 1, c) + m(r, c - 1) + m(r, c + 1);
        switch ((cls(r, c) >> 2) & 3) {
        case 1:
            dif(r, c) = 16 * m(r, c) + 2 * (m(r - 2, c - 1) + m(r - 2, c + 1) + m(r + 2, c - 1) + m(r + 2, c + 1) -
                                            2 * (m(r, c - 1) + m(r, c + 1)) - 4 * (m(r - 1, c) + m(r + 1, c)));
            break;
        case 2:
            dif(r, c) = 16 * m(r, c) + 2 * (m(r - 1, c - 2) + m(r - 1, c + 2) + m(r + 1, c - 2) + m(r + 1, c + 2) -
                                            2 * (m(r - 1, c) + m(r + 1, c)) - 4 * (m(r, c - 1) + m(r, c + 1)));
            break;
        default:
            dif(r, c) = 16 * m(r, c) - 6 * n4 + m(r - 2, c - 1) + m(r - 2, c + 1) + m(r - 1, c - 2) + m(r - 1, c + 2) +
                        m(r + 1, c - 2) + m(r + 1, c + 2) + m(r + 2, c - 1) + m(r + 2, c + 1);
        }
    });
    // Stage 5: plane 0 red minus green (red rows), plane 1 blue minus green.
    Plane<int64_t> pl(w, h, 2);
    each(4, [&](int32_t r, int32_t c) {
        for (int32_t k = 0; k < 2; ++k) {
            const bool onRowOfK = IsRedRow(r) == (k == 0);
            if (!IsGreen(c, r))
                pl(r, c, k) = onRowOfK ? 4 * dif(r, c)
                                       : dif(r - 1, c - 1) + dif(r - 1, c + 1) + dif(r + 1, c - 1) + dif(r + 1, c + 1);
            else
                pl(r, c, k) = onRowOfK ? 2 * (dif(r, c - 1) + dif(r, c + 1)) : 2 * (dif(r - 1, c) + dif(r + 1, c));
        }
    });
    auto smooth = [&](int32_t r, int32_t c, int32_t s, int32_t k) {
        return pl(r - s, c - s, k) + 2 * pl(r - s, c, k) + pl(r - s, c + s, k) + 2 * pl(r, c - s, k) + 4 * pl(r, c, k) +
               2 * pl(r, c + s, k) + pl(r + s, c - s, k) + 2 * pl(r + s, c, k) + pl(r + s, c + s, k);
    };
    // Stages 6 and 7.
    Plane<int64_t> e(w, h);
    each(6, [&](int32_t r, int32_t c) {
        const int64_t s1 = smooth(r, c, 2, 0), s2 = smooth(r, c, 2, 1);
        e(r, c) = (std::abs(s1) + std::abs(s2) + std::abs(s1 - s2)) / 16;
    });
    Plane<uint8_t> flag(w, h);
    each(10, [&](int32_t r, int32_t c) {
        const int64_t sum = 8 * e(r, c) + e(r - 4, c) + e(r + 4, c) + e(r, c - 4) + e(r, c + 4) + e(r - 2, c - 2) +
                            e(r - 2, c + 2) + e(r + 2, c - 2) + e(r + 2, c + 2);
        flag(r, c) = static_cast<uint8_t>((sum > t2 ? 1 : 0) + (sum > t5 ? 2 : 0));
    });
    // Stage 9.
    Plane<uint8_t> ref(w, h);
    each(10, [&](int32_t r, int32_t c) {
        if (IsGreen(c, r))
            return;
        ref(r, c) = cls(r, c);
        if (flag(r, c) != 0)
            ref(r, c) = static_cast<uint8_t>(Compare3(weighted(hv, r, c, 0), weighted(hv, r, c, 1), t) << 2 | (cls(r, c) & 3));
    });
    // Stage 10: luminance at 16 times scale.
    Plane<int64_t> lum(w, h);
    each(11, [&](int32_t r, int32_t c) {
        auto at = [&](int32_t dy, int32_t dx) { return static_cast<int64_t>(m(r + dy, c + dx)); };
        const int64_t orth = at(-1, 0) + at(1, 0) + at(0, -1) + at(0, 1);
        const int64_t diag = at(-1, -1) + at(-1, 1) + at(1, -1) + at(1, 1);
        const int64_t up = at(-1, 0) + at(1, 0), side = at(0, -1) + at(0, 1);
        const int64_t anti = at(-1, 1) + at(1, -1), main = at(-1, -1) + at(1, 1);
        if (IsGreen(c, r)) {
            lum(r, c) = ref(r, c - 1) ? 8 * at(0, 0) + 2 * orth : (14 * at(0, 0) + at(-1, -1) + at(1, -1)) * 8 / 16 + 2 * orth;
            return;
        }
        const int64_t centre = 4 * at(0, 0);
        switch (ref(r, c)) {
        case 1: lum(r, c) = centre + 2 * orth + 2 * anti; break;
        case 2: lum(r, c) = centre + 2 * orth + 2 * main; break;
        case 4: lum(r, c) = centre + 4 * up + diag; break;
        case 5: lum(r, c) = centre + 4 * up + 2 * anti; break;
        case 6: lum(r, c) = centre + 4 * up + 2 * main; break;
        case 8: lum(r, c) = centre + 4 * side + diag; break;
        case 9: lum(r, c) = centre + 4 * side + 2 * anti; break;
        case 10: lum(r, c) = centre + 4 * side + 2 * main; break;
        default: lum(r, c) = centre + 2 * orth + diag; break;
        }
    });
    // Stage 11.
    Plane<uint16_t> out(w, h, 3);
    each(12, [&](int32_t r, int32_t c) {
        int64_t block = 0;
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
                block += lum(r + dy, c + dx);
        const int64_t y = 25 * lum(r, c) - block;
        const int32_t s = (flag(r, c) & 2) ? 1 : 2;
        const int64_t c1 = smooth(r, c, s, 0) / 16, c2 = smooth(r, c, s, 1) / 16;
        out(r, c, 0) = demosaic::ToOutput(static_cast<int32_t>((y + 3 * c1 - c2) / 256));
        out(r, c, 1) = demosaic::ToOutput(static_cast<int32_t>((y - c1 - c2) / 256));
        out(r, c, 2) = demosaic::ToOutput(static_cast<int32_t>((y - c1 + 3 * c2) / 256));
    });
    return out;
}

TEST(DeBayerPlain, RingKernelsEqualThePlainStagesOverWholePlanes)
{
    IVorlatManager* manager = MakeManager(16384);
    struct Case {
        uint32_t seed;
        int32_t p;
    } cases[] = {{7, 3}, {11, 1}, {13, 0}, {17, 7}};
    for (const Case& k : cases) {
        const Mosaic mosaic = Scene(97, 83, k.seed);
        for (bool highQuality : {false, true}) {
            std::unique_ptr<CDeBayerBase> filter;
            Plane<uint16_t> plain(0, 0, 3);
            if (highQuality) {
                auto* hq = new CDeBayerSingleHQ4Filter(manager);
                const int32_t parameters[9] = {k.p, k.p + 1, k.p, 6, 15, 1, 14, 1, 1};
                hq->SetHQParameters(parameters);
                filter.reset(hq);
                plain = PlainHighQuality(mosaic, k.p, k.p + 1, k.p);
            } else {
                filter.reset(new CDeBayerSingleFilter(manager));
                plain = PlainSinglePass(mosaic);
            }
            int32_t width = 0, height = 0;
            const std::vector<uint16_t> out = Reference(*filter, mosaic, &width, &height);
            // The plain planes hold what every stage's neighbourhood reaches inside the mosaic.
            const int32_t margin = highQuality ? 12 : 3;
            int64_t compared = 0;
            for (int32_t y = 0; y < height; ++y) {
                for (int32_t x = 0; x < width; ++x) {
                    const int32_t sx = x + kDeBayerMargin, sy = y + kDeBayerMargin;
                    if (sx < margin || sy < margin || sx >= mosaic.width - margin || sy >= mosaic.height - margin)
                        continue;
                    for (int32_t c = 0; c < 3; ++c)
                        ASSERT_EQ(out[3 * (static_cast<size_t>(y) * width + x) + c], plain(sy, sx, c))
                            << (highQuality ? "high quality" : "single pass") << " seed " << k.seed << " at " << sx
                            << "," << sy << " channel " << c;
                    ++compared;
                }
            }
            EXPECT_GT(compared, 3000);
        }
    }
    manager->Destroy();
}

// The resampled output against a plain 4 x 2 weighting of the unresampled
// output: rows chosen and weighted by row phase, pixel pairs by column phase
// with one extra step after every third pixel, and the crop's origin setting
// both phases. The ring driver's own bookkeeping of rows is what this checks.
TEST(DeBayerPlain, ResamplingWeighsTheUnresampledPixelsByPhase)
{
    IVorlatManager* manager = MakeManager(16384);
    const Mosaic mosaic = Scene(121, 97, 23);
    const RECT source{0, 0, mosaic.width, mosaic.height};
    // Over 16384 by row phase (cubic at 0, 2/3, 1/3), over 4 by column phase.
    const int64_t rowWeights[3][4] = {{0, 16384, 0, 0}, {-607, 5461, 12743, -1213}, {-1213, 12743, 5461, -607}};
    const int64_t columnWeights[3][2] = {{3, 1}, {2, 2}, {1, 3}};
    struct Case {
        bool highQuality;
        RECT crop;
    } cases[] = {{false, {0, 0, 0, 0}}, {false, {7, 11, 107, 91}}, {true, {0, 0, 0, 0}}, {true, {5, 4, 95, 104}}};
    for (const Case& k : cases) {
        auto make = [&]() -> std::unique_ptr<CDeBayerBase> {
            if (k.highQuality)
                return std::make_unique<CDeBayerSingleHQ4Filter>(manager);
            return std::make_unique<CDeBayerSingleFilter>(manager);
        };
        auto plain = make();
        int32_t pw = 0, ph = 0;
        const std::vector<uint16_t> flat = Reference(*plain, mosaic, &pw, &ph);
        auto resampled = make();
        DEMOSAIC_OK(resampled->SetResample(true, &source, false));
        DEMOSAIC_OK(resampled->SetCropRect(k.crop, &source, false));
        const RECT crop = resampled->GetCropRect();
        int32_t width = 0, height = 0;
        const std::vector<uint16_t> out = Reference(*resampled, mosaic, &width, &height);
        int64_t compared = 0;
        for (int32_t y = 0; y < height; ++y) {
            const int32_t uy = y + crop.top;  // row of the uncropped output
            const int32_t row = 2 * uy / 3;   // the unresampled row of weight 16384 at phase 0
            if (row < 1 || row + 2 >= ph)
                continue;
            for (int32_t x = 0; x < width; ++x) {
                const int32_t ux = x + crop.left;
                const int32_t column = 4 * ux / 3;
                if (column + 1 >= pw)
                    continue;
                for (int32_t c = 0; c < 3; ++c) {
                    int64_t mix[2] = {0, 0};
                    for (int32_t j = 0; j < 2; ++j)
                        for (int32_t i = 0; i < 4; ++i)
                            mix[j] += rowWeights[uy % 3][i] *
                                      flat[3 * (static_cast<size_t>(row - 1 + i) * pw + column + j) + c];
                    const int64_t value =
                        (columnWeights[ux % 3][0] * mix[0] + columnWeights[ux % 3][1] * mix[1]) / 65536;
                    ASSERT_EQ(out[3 * (static_cast<size_t>(y) * width + x) + c], std::clamp<int64_t>(value, 0, 65535))
                        << (k.highQuality ? "high quality" : "single pass") << " crop at " << crop.left << ","
                        << crop.top << ", pixel " << x << "," << y << " channel " << c;
                }
                ++compared;
            }
        }
        EXPECT_GT(compared, 6000);
    }
    manager->Destroy();
}

} // namespace
