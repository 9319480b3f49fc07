// The high-quality demosaic filter and its row kernel.
#include <algorithm>
#include <cstdlib>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_hq_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("db1g");

// Colour strength sums above these set the flag bits 1 and 2:
// 3072 x trunc(n (3 Fmax + 3) / 256) for n = 2 and 5.
constexpr int64_t kStrongColour = 3072 * (2 * (3 * static_cast<int64_t>(kDeBayerCodedMax) + 3) / 256);
constexpr int64_t kVeryStrongColour = 3072 * (5 * (3 * static_cast<int64_t>(kDeBayerCodedMax) + 3) / 256);

// A direction test: 1 when a exceeds b by more than the threshold, 2 for the reverse.
inline uint8_t Direction(int64_t a, int64_t b, int64_t threshold)
{
    if (a - b > threshold)
        return 1;
    if (b - a > threshold)
        return 2;
    return 0;
}

// The sensitivity keys of the noise table and their thresholds.
struct NoiseLevel {
    int32_t key, value;
};
constexpr NoiseLevel kNoiseLevels[] = {{200, 3},  {250, 3},  {280, 4},  {320, 4},  {400, 4},
                                       {500, 4},  {570, 6},  {630, 6},  {800, 6},  {1010, 6},
                                       {1130, 7}, {1270, 7}, {1600, 7}, {-1, 15}, {-2, 30}};

} // namespace

namespace demosaic {

size_t CHighQualityKernel::BytesPerColumn() const
{
    return 12 * 4 + 5 * 16 + 12 * 8 + 8 + 3 * 4 + 10 * 8 + 9 * 4 + 2 + 1 + 3 * 4 + kColourRows * 6;
}

bool CHighQualityKernel::Reserve(int32_t colourColumns)
{
    const int32_t w = Columns(colourColumns);
    const size_t bytes = CRingBlock::Bytes<int32_t>(12, w) + CRingBlock::Bytes<int32_t>(5, 4 * w) +
                         CRingBlock::Bytes<int32_t>(12, 2 * w) + CRingBlock::Bytes<uint8_t>(8, w) +
                         CRingBlock::Bytes<int32_t>(3, w) + CRingBlock::Bytes<int32_t>(10, 2 * w) +
                         CRingBlock::Bytes<int32_t>(9, w) + CRingBlock::Bytes<uint8_t>(2, w) +
                         CRingBlock::Bytes<uint8_t>(1, w) + CRingBlock::Bytes<int32_t>(3, w) +
                         CRingBlock::Bytes<uint16_t>(kColourRows, 3 * w);
    if (!block_.Reserve(bytes))
        return false;
    columns_ = w;
    return true;
}

void CHighQualityKernel::Start(int32_t firstColumn, const uint32_t* const* tables)
{
    const int32_t w = columns_;
    block_.Reset();
    block_.Carve(&mosaic_, 12, w);
    block_.Carve(&activity_, 5, 4 * w);
    block_.Carve(&hv_, 12, 2 * w);
    block_.Carve(&class_, 8, w);
    block_.Carve(&difference_, 3, w);
    block_.Carve(&planes_, 10, 2 * w);
    block_.Carve(&strength_, 9, w);
    block_.Carve(&flag_, 2, w);
    block_.Carve(&refined_, 1, w);
    block_.Carve(&luma_, 3, w);
    block_.Carve(&colour_, kColourRows, 3 * w);
    left_ = firstColumn - Reach();
    for (int32_t c = 0; c < 3; ++c)
        tables_[c] = tables[c];
}

void CHighQualityKernel::SetThresholds(int32_t p0, int32_t p1, int32_t p2)
{
    // In 64 bits: the parameters are whatever the engine's table holds.
    constexpr int64_t kLevels = kDeBayerCodedMax + 1;
    directionThreshold_ = 32 * (p0 * kLevels / 256);
    refinedThreshold_ = 64 * (kLevels * p1 / 256);
    diagonalThreshold_ = 80 * (p2 * kLevels / 256);
}

void CHighQualityKernel::Advance(int32_t y, const uint16_t* samples)
{
    int32_t* m = mosaic_.Row(y);
    for (int32_t j = 0; j < columns_; ++j)
        m[j] = Coded(tables_[ColourAt(left_ + j, y)], samples[j]);
    Activity(y - 1);
    Classify(y - kClassLag);
    Difference(y - kClassLag);
    Planes(y - 4);
    Strength(y - 6);
    Flags(y - kFlagLag);
    Refine(y - kFlagLag);
    Luma(y - kFlagLag);
    Recombine(y - kColourLag);
}

void CHighQualityKernel::Activity(int32_t r)
{
    const int32_t* u = mosaic_.Row(r - 1);
    const int32_t* m = mosaic_.Row(r);
    const int32_t* d = mosaic_.Row(r + 1);
    int32_t* a = activity_.Row(r);
    int32_t* hv = hv_.Row(r);
    for (int32_t c = 1 + (Green(1, r) ? 1 : 0); c < columns_ - 1; c += 2) {
        const int32_t x = m[c];
        a[4 * c] = std::abs(m[c - 1] - x) + std::abs(m[c + 1] - x);
        a[4 * c + 1] = std::abs(u[c] - x) + std::abs(d[c] - x);
        a[4 * c + 2] = std::abs(u[c - 1] - x) + std::abs(d[c + 1] - x) + std::abs(u[c - 1] - d[c + 1]) +
                       std::abs(m[c - 1] - d[c]) + std::abs(u[c] - m[c + 1]);
        a[4 * c + 3] = std::abs(u[c + 1] - x) + std::abs(d[c - 1] - x) + std::abs(u[c + 1] - d[c - 1]) +
                       std::abs(m[c + 1] - d[c]) + std::abs(u[c] - m[c - 1]);
        hv[2 * c] = 2 * std::abs(m[c - 1] - m[c + 1]) + std::abs(u[c - 1] - u[c + 1]) + std::abs(d[c - 1] - d[c + 1]);
        hv[2 * c + 1] = 2 * std::abs(u[c] - d[c]) + std::abs(u[c - 1] - d[c - 1]) + std::abs(u[c + 1] - d[c + 1]);
    }
}

namespace {

// A value of a per-site array weighted over the site (4), its diagonal
// neighbours (2 each) and the sites two rows or columns away (1 each); k
// picks the value inside an entry of n.
inline int64_t Around(const int32_t* u2, const int32_t* u1, const int32_t* m, const int32_t* d1, const int32_t* d2,
                      int32_t c, int32_t n, int32_t k)
{
    auto at = [&](const int32_t* row, int32_t col) { return static_cast<int64_t>(row[n * col + k]); };
    return 4 * at(m, c) + 2 * (at(u1, c - 1) + at(u1, c + 1) + at(d1, c - 1) + at(d1, c + 1)) + at(u2, c) +
           at(d2, c) + at(m, c - 2) + at(m, c + 2);
}

// The 1 2 1 / 2 4 2 / 1 2 1 sum of value k of a two-value plane, over
// neighbours step columns and rows apart.
inline int64_t Smooth(const int32_t* u, const int32_t* m, const int32_t* d, int32_t c, int32_t step, int32_t k)
{
    auto at = [&](const int32_t* row, int32_t col) { return static_cast<int64_t>(row[2 * col + k]); };
    return at(u, c - step) + 2 * at(u, c) + at(u, c + step) + 2 * (at(m, c - step) + 2 * at(m, c) + at(m, c + step)) +
           at(d, c - step) + 2 * at(d, c) + at(d, c + step);
}

} // namespace

void CHighQualityKernel::Classify(int32_t r)
{
    const int32_t* u2 = activity_.Row(r - 2);
    const int32_t* u1 = activity_.Row(r - 1);
    const int32_t* m = activity_.Row(r);
    const int32_t* d1 = activity_.Row(r + 1);
    const int32_t* d2 = activity_.Row(r + 2);
    uint8_t* out = class_.Row(r);
    for (int32_t c = 3 + (Green(3, r) ? 1 : 0); c < columns_ - 3; c += 2) {
        const int64_t h = Around(u2, u1, m, d1, d2, c, 4, 0);
        const int64_t v = Around(u2, u1, m, d1, d2, c, 4, 1);
        const int64_t main = Around(u2, u1, m, d1, d2, c, 4, 2);
        const int64_t anti = Around(u2, u1, m, d1, d2, c, 4, 3);
        out[c] = static_cast<uint8_t>((Direction(h, v, directionThreshold_) << 2) |
                                      Direction(main, anti, diagonalThreshold_));
    }
}

void CHighQualityKernel::Difference(int32_t r)
{
    const int32_t* u2 = mosaic_.Row(r - 2);
    const int32_t* u1 = mosaic_.Row(r - 1);
    const int32_t* m = mosaic_.Row(r);
    const int32_t* d1 = mosaic_.Row(r + 1);
    const int32_t* d2 = mosaic_.Row(r + 2);
    const uint8_t* cls = class_.Row(r);
    int32_t* out = difference_.Row(r);
    for (int32_t c = 3 + (Green(3, r) ? 1 : 0); c < columns_ - 3; c += 2) {
        const int32_t direction = (cls[c] >> 2) & 3;
        if (direction == 1) {
            out[c] = 16 * m[c] + 2 * (u2[c - 1] + u2[c + 1] + d2[c - 1] + d2[c + 1] - 2 * (m[c - 1] + m[c + 1]) -
                                      4 * (u1[c] + d1[c]));
        } else if (direction == 2) {
            out[c] = 16 * m[c] + 2 * (u1[c - 2] + u1[c + 2] + d1[c - 2] + d1[c + 2] - 2 * (u1[c] + d1[c]) -
                                      4 * (m[c - 1] + m[c + 1]));
        } else {
            out[c] = 16 * m[c] - 6 * (u1[c] + d1[c] + m[c - 1] + m[c + 1]) + u2[c - 1] + u2[c + 1] + u1[c - 2] +
                     u1[c + 2] + d1[c - 2] + d1[c + 2] + d2[c - 1] + d2[c + 1];
        }
    }
}

void CHighQualityKernel::Planes(int32_t r)
{
    const int32_t* u = difference_.Row(r - 1);
    const int32_t* m = difference_.Row(r);
    const int32_t* d = difference_.Row(r + 1);
    int32_t* out = planes_.Row(r);
    // Plane 0 is red minus green, plane 1 blue minus green; red sites lie on odd rows.
    const int32_t own = (r & 1) ? 0 : 1;
    for (int32_t c = 4; c < columns_ - 4; ++c) {
        int32_t same, other;
        if (!Green(c, r)) {
            same = 4 * m[c];
            other = u[c - 1] + u[c + 1] + d[c - 1] + d[c + 1];
        } else {
            same = 2 * (m[c - 1] + m[c + 1]);
            other = 2 * (u[c] + d[c]);
        }
        out[2 * c + own] = same;
        out[2 * c + 1 - own] = other;
    }
}

void CHighQualityKernel::Strength(int32_t r)
{
    const int32_t* u = planes_.Row(r - 2);
    const int32_t* m = planes_.Row(r);
    const int32_t* d = planes_.Row(r + 2);
    int32_t* out = strength_.Row(r);
    for (int32_t c = 6; c < columns_ - 6; ++c) {
        const int64_t s1 = Smooth(u, m, d, c, 2, 0);
        const int64_t s2 = Smooth(u, m, d, c, 2, 1);
        out[c] = static_cast<int32_t>((std::abs(s1) + std::abs(s2) + std::abs(s1 - s2)) / 16);
    }
}

void CHighQualityKernel::Flags(int32_t r)
{
    const int32_t* u4 = strength_.Row(r - 4);
    const int32_t* u2 = strength_.Row(r - 2);
    const int32_t* m = strength_.Row(r);
    const int32_t* d2 = strength_.Row(r + 2);
    const int32_t* d4 = strength_.Row(r + 4);
    uint8_t* out = flag_.Row(r);
    for (int32_t c = 10; c < columns_ - 10; ++c) {
        const int64_t sum = 8 * static_cast<int64_t>(m[c]) + u4[c] + d4[c] + m[c - 4] + m[c + 4] + u2[c - 2] +
                            u2[c + 2] + d2[c - 2] + d2[c + 2];
        out[c] = static_cast<uint8_t>((sum > kStrongColour ? 1 : 0) + (sum > kVeryStrongColour ? 2 : 0));
    }
}

void CHighQualityKernel::Refine(int32_t r)
{
    const int32_t* u2 = hv_.Row(r - 2);
    const int32_t* u1 = hv_.Row(r - 1);
    const int32_t* m = hv_.Row(r);
    const int32_t* d1 = hv_.Row(r + 1);
    const int32_t* d2 = hv_.Row(r + 2);
    const uint8_t* cls = class_.Row(r);
    const uint8_t* flag = flag_.Row(r);
    uint8_t* out = refined_.Row(r);
    for (int32_t c = 10; c < columns_ - 10; ++c) {
        out[c] = Green(c, r) ? 0 : cls[c];
        if (Green(c, r) || flag[c] == 0)
            continue;
        const int64_t v1 = Around(u2, u1, m, d1, d2, c, 2, 0);
        const int64_t v2 = Around(u2, u1, m, d1, d2, c, 2, 1);
        out[c] = static_cast<uint8_t>((Direction(v1, v2, refinedThreshold_) << 2) | (cls[c] & 3));
    }
}

void CHighQualityKernel::Luma(int32_t r)
{
    const int32_t* u = mosaic_.Row(r - 1);
    const int32_t* m = mosaic_.Row(r);
    const int32_t* d = mosaic_.Row(r + 1);
    const uint8_t* cls = refined_.Row(r);
    int32_t* out = luma_.Row(r);
    for (int32_t c = 11; c < columns_ - 10; ++c) {
        const int32_t vertical = u[c] + d[c];
        const int32_t horizontal = m[c - 1] + m[c + 1];
        const int32_t mainDiagonal = u[c - 1] + d[c + 1];
        const int32_t antiDiagonal = u[c + 1] + d[c - 1];
        if (Green(c, r)) {
            // The red or blue site before it in the row chooses.
            out[c] = cls[c - 1] != 0 ? 8 * m[c] + 2 * (vertical + horizontal)
                                     : (14 * m[c] + u[c - 1] + d[c - 1]) * 8 / 16 + 2 * (vertical + horizontal);
            continue;
        }
        const int32_t centre = 4 * m[c];
        switch (cls[c]) {
        case 1: out[c] = centre + 2 * (vertical + horizontal) + 2 * antiDiagonal; break;
        case 2: out[c] = centre + 2 * (vertical + horizontal) + 2 * mainDiagonal; break;
        case 4: out[c] = centre + 4 * vertical + mainDiagonal + antiDiagonal; break;
        case 5: out[c] = centre + 4 * vertical + 2 * antiDiagonal; break;
        case 6: out[c] = centre + 4 * vertical + 2 * mainDiagonal; break;
        case 8: out[c] = centre + 4 * horizontal + mainDiagonal + antiDiagonal; break;
        case 9: out[c] = centre + 4 * horizontal + 2 * antiDiagonal; break;
        case 10: out[c] = centre + 4 * horizontal + 2 * mainDiagonal; break;
        default: out[c] = centre + 2 * (vertical + horizontal) + mainDiagonal + antiDiagonal; break;
        }
    }
}

void CHighQualityKernel::Recombine(int32_t r)
{
    const int32_t* lu = luma_.Row(r - 1);
    const int32_t* lm = luma_.Row(r);
    const int32_t* ld = luma_.Row(r + 1);
    const int32_t* p2u = planes_.Row(r - 2);
    const int32_t* p1u = planes_.Row(r - 1);
    const int32_t* pm = planes_.Row(r);
    const int32_t* p1d = planes_.Row(r + 1);
    const int32_t* p2d = planes_.Row(r + 2);
    const uint8_t* flag = flag_.Row(r);
    uint16_t* out = colour_.Row(r);
    for (int32_t c = 12; c < columns_ - 11; ++c) {
        const int64_t block = static_cast<int64_t>(lu[c - 1]) + lu[c] + lu[c + 1] + lm[c - 1] + lm[c] + lm[c + 1] +
                              ld[c - 1] + ld[c] + ld[c + 1];
        const int64_t y = 25 * static_cast<int64_t>(lm[c]) - block;
        // Strong colour keeps its differences close; elsewhere they are taken
        // from the sites of the same colour around.
        const bool close = (flag[c] & 2) != 0;
        const int64_t c1 = (close ? Smooth(p1u, pm, p1d, c, 1, 0) : Smooth(p2u, pm, p2d, c, 2, 0)) / 16;
        const int64_t c2 = (close ? Smooth(p1u, pm, p1d, c, 1, 1) : Smooth(p2u, pm, p2d, c, 2, 1)) / 16;
        out[3 * c] = ToOutput(static_cast<int32_t>((y + 3 * c1 - c2) / 256));
        out[3 * c + 1] = ToOutput(static_cast<int32_t>((y - c1 - c2) / 256));
        out[3 * c + 2] = ToOutput(static_cast<int32_t>((y - c1 + 3 * c2) / 256));
    }
}

} // namespace demosaic

CDeBayerSingleHQ4Filter::CDeBayerSingleHQ4Filter(IVorlatManager* manager)
    : CDeBayerBase(manager), parameters_{3, 3, 3, 6, 15, 1, 14, 1, 1}, kernel_(new demosaic::CHighQualityKernel)
{
}

CDeBayerSingleHQ4Filter::~CDeBayerSingleHQ4Filter() = default;

int32_t CDeBayerSingleHQ4Filter::GetFilterCode() const { return VorlatFourCC("db1g"); }

const char* CDeBayerSingleHQ4Filter::GetFilterDescription() const
{
    return "De-Bayer single resolution high quality interpolation filter V4";
}

void CDeBayerSingleHQ4Filter::SetHQParameters(const int32_t* parameters)
{
    if (!parameters)
        return;
    std::copy(parameters, parameters + kParameterCount, parameters_);
    cacheDirty_ = true;
}

void CDeBayerSingleHQ4Filter::GetHQParameters(int32_t* parameters) const
{
    std::copy(parameters_, parameters_ + kParameterCount, parameters);
}

void CDeBayerSingleHQ4Filter::SetHQDefaults(int32_t key)
{
    for (const NoiseLevel& level : kNoiseLevels) {
        if (level.key != key)
            continue;
        int32_t parameters[kParameterCount];
        GetHQParameters(parameters);
        parameters[0] = parameters[1] = parameters[2] = level.value;
        SetHQParameters(parameters);
        return;
    }
}

IVorlatError* CDeBayerSingleHQ4Filter::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    return GenerateDemosaicTile(tile, info, kFile);
}

demosaic::CDemosaicKernel& CDeBayerSingleHQ4Filter::Kernel()
{
    kernel_->SetThresholds(parameters_[0], parameters_[1], parameters_[2]);
    return *kernel_;
}
