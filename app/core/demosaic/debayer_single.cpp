// The single-pass demosaic filter and its row kernel.
#include <algorithm>
#include <cstdlib>

#include "app/core/demosaic/debayer_single.h"
#include "app/core/demosaic/debayer_single_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("db1s");

// 3 x trunc(10 x 262143 / 256): the part of the green stage's divisor that
// keeps flat areas at an even blend.
constexpr int32_t kFlatDivisor = 3 * (10 * kDeBayerCodedMax / 256);

} // namespace

namespace demosaic {

size_t CSinglePassKernel::BytesPerColumn() const
{
    return 5 * sizeof(int32_t) + 3 * sizeof(int32_t) + 4 * 3 * sizeof(uint16_t);
}

bool CSinglePassKernel::Reserve(int32_t colourColumns)
{
    const int32_t columns = Columns(colourColumns);
    const size_t bytes = CRingBlock::Bytes<int32_t>(5, columns) + CRingBlock::Bytes<int32_t>(3, columns) +
                         CRingBlock::Bytes<uint16_t>(4, 3 * columns);
    if (!block_.Reserve(bytes))
        return false;
    columns_ = columns;
    return true;
}

void CSinglePassKernel::Start(int32_t firstColumn, const uint32_t* const* tables)
{
    block_.Reset();
    block_.Carve(&mosaic_, 5, columns_);
    block_.Carve(&green_, 3, columns_);
    block_.Carve(&colour_, 4, 3 * columns_);
    left_ = firstColumn - Reach();
    for (int32_t c = 0; c < 3; ++c)
        tables_[c] = tables[c];
}

void CSinglePassKernel::Advance(int32_t y, const uint16_t* samples)
{
    int32_t* m = mosaic_.Row(y);
    for (int32_t j = 0; j < columns_; ++j)
        m[j] = Coded(tables_[ColourAt(left_ + j, y)], samples[j]);
    Green(y - 2);
    RedBlue(y - 3);
}

void CSinglePassKernel::Green(int32_t r)
{
    const int32_t* m2 = mosaic_.Row(r - 2);
    const int32_t* m1 = mosaic_.Row(r - 1);
    const int32_t* m0 = mosaic_.Row(r);
    const int32_t* p1 = mosaic_.Row(r + 1);
    const int32_t* p2 = mosaic_.Row(r + 2);
    int32_t* g = green_.Row(r);
    for (int32_t c = 2; c < columns_ - 2; ++c) {
        if ((left_ + c + r) & 1) {
            g[c] = m0[c];
            continue;
        }
        const int32_t v = std::abs(m1[c] - p1[c]) + std::abs(m2[c - 1] - m0[c - 1]) + std::abs(m0[c - 1] - p2[c - 1]);
        const int32_t h = std::abs(m0[c - 1] - m0[c + 1]) + std::abs(m1[c - 2] - m1[c]) + std::abs(m1[c] - m1[c + 2]);
        const int32_t t = 2 * (v + h) / 5 + kFlatDivisor;
        const int32_t d = std::max(t, std::abs(v - h));
        // The one floating-point step: the weight of the two estimates.
        const double q = static_cast<double>(v - h) / d;
        const int32_t ev = 2 * (m1[c] + p1[c] + m0[c]) - m2[c] - p2[c];
        const int32_t eh = 2 * (m0[c - 1] + m0[c + 1] + m0[c]) - m0[c - 2] - m0[c + 2];
        g[c] = static_cast<int32_t>(ev * (0.5 - q / 2) + eh * (0.5 + q / 2)) / 4;
    }
}

void CSinglePassKernel::RedBlue(int32_t r)
{
    const int32_t* mu = mosaic_.Row(r - 1);
    const int32_t* m0 = mosaic_.Row(r);
    const int32_t* md = mosaic_.Row(r + 1);
    const int32_t* gu = green_.Row(r - 1);
    const int32_t* g0 = green_.Row(r);
    const int32_t* gd = green_.Row(r + 1);
    uint16_t* out = colour_.Row(r);
    // The colour that lies left and right of a green site: red on odd rows.
    const bool redRow = (r & 1) != 0;
    for (int32_t c = 3; c < columns_ - 3; ++c) {
        int32_t red, green = g0[c], blue;
        if ((left_ + c + r) & 1) {
            const int32_t across = g0[c] + ((m0[c - 1] - g0[c - 1]) + (m0[c + 1] - g0[c + 1])) / 2;
            const int32_t down = g0[c] + ((mu[c] - gu[c]) + (md[c] - gd[c])) / 2;
            red = redRow ? across : down;
            blue = redRow ? down : across;
        } else {
            const int32_t other = g0[c] + ((mu[c - 1] - gu[c - 1]) + (md[c - 1] - gd[c - 1]) + (mu[c + 1] - gu[c + 1]) +
                                           (md[c + 1] - gd[c + 1])) /
                                              4;
            red = redRow ? m0[c] : other;
            blue = redRow ? other : m0[c];
        }
        out[3 * c] = ToOutput(red);
        out[3 * c + 1] = ToOutput(green);
        out[3 * c + 2] = ToOutput(blue);
    }
}

} // namespace demosaic

CDeBayerSingleFilter::CDeBayerSingleFilter(IVorlatManager* manager)
    : CDeBayerBase(manager), kernel_(new demosaic::CSinglePassKernel)
{
}

CDeBayerSingleFilter::~CDeBayerSingleFilter() = default;

int32_t CDeBayerSingleFilter::GetFilterCode() const { return VorlatFourCC("db1s"); }

const char* CDeBayerSingleFilter::GetFilterDescription() const
{
    return "De-Bayer single resolution standard quality interpolation filter";
}

IVorlatError* CDeBayerSingleFilter::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    return GenerateDemosaicTile(tile, info, kFile);
}

demosaic::CDemosaicKernel& CDeBayerSingleFilter::Kernel() { return *kernel_; }
