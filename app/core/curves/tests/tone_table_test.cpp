#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "curve_test_util.h"

using namespace curve_test;

namespace {

std::vector<double> Values(CQzLutChannel* channel, int32_t count, uint32_t flags, double from = 0.0,
                           double to = 1.0, double outputGamma = 0.0)
{
    std::vector<double> values(static_cast<size_t>(count));
    BuildTable(channel, values.data(), 8, count, 0, from, to, flags, outputGamma);
    return values;
}

// A natural cubic spline written independently of the table builder: the
// second derivatives M with M_0 = M_(n-1) = 0, from the dense system solved
// by Gaussian elimination, evaluated in the second-derivative form.
class ReferenceSpline {
public:
    ReferenceSpline(std::vector<double> x, std::vector<double> y) : x_(std::move(x)), y_(std::move(y))
    {
        const size_t n = x_.size();
        if (n < 3 || n > 64 || y_.size() != n) {
            ADD_FAILURE() << "a reference spline takes 3 to 64 points";
            return;
        }
        std::vector<std::vector<double>> a(n, std::vector<double>(n + 1, 0.0));
        a[0][0] = 1.0;
        a[n - 1][n - 1] = 1.0;
        for (size_t i = 1; i + 1 < n; ++i) {
            const double h0 = x_[i] - x_[i - 1], h1 = x_[i + 1] - x_[i];
            a[i][i - 1] = h0;
            a[i][i] = 2 * (h0 + h1);
            a[i][i + 1] = h1;
            a[i][n] = 6 * ((y_[i + 1] - y_[i]) / h1 - (y_[i] - y_[i - 1]) / h0);
        }
        for (size_t c = 0; c < n; ++c) {
            size_t pivot = c;
            for (size_t r = c + 1; r < n; ++r)
                if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                    pivot = r;
            std::swap(a[c], a[pivot]);
            for (size_t r = 0; r < n; ++r) {
                if (r == c || a[r][c] == 0.0)
                    continue;
                const double factor = a[r][c] / a[c][c];
                for (size_t k = c; k <= n; ++k)
                    a[r][k] -= factor * a[c][k];
            }
        }
        m_.resize(n);
        for (size_t i = 0; i < n; ++i)
            m_[i] = a[i][n] / a[i][i];
    }

    double operator()(double t) const
    {
        if (t <= x_.front())
            return y_.front();
        if (t >= x_.back())
            return y_.back();
        size_t k = 0;
        while (!(x_[k] < t && t <= x_[k + 1]))
            ++k;
        const double h = x_[k + 1] - x_[k], a = x_[k + 1] - t, b = t - x_[k];
        return m_[k] * a * a * a / (6 * h) + m_[k + 1] * b * b * b / (6 * h) + (y_[k] / h - m_[k] * h / 6) * a +
               (y_[k + 1] / h - m_[k + 1] * h / 6) * b;
    }

private:
    std::vector<double> x_, y_, m_;
};

TEST(ToneTable, WorkedExamples)
{
    CQzLutGroup group;
    CQzLutChannel* red = group.AddChannel(1, {}, {}, {});

    std::vector<uint16_t> identity(256);
    BuildTable(red, identity.data(), 2, 256, 256, 0.0, 1.0, 0x3E, 0.0);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(identity[i], i);

    CQzLutChannel line(0, {}, {}, {});
    SetPoints(line, {{0, 0.2}, {1, 0.8}});
    std::vector<uint8_t> bytes(256);
    BuildTable(&line, bytes.data(), 1, 256, 256, 0.0, 1.0, kLutPointCurve, 0.0);
    EXPECT_EQ(bytes[128], 128);
    EXPECT_EQ(bytes[0], 51);
    EXPECT_EQ(bytes[255], 204);

    CQzLutChannel gamma(0, {}, {}, {});
    gamma.EditWorkingSet().gamma = 2;
    EXPECT_EQ(Values(&gamma, 5, kLutPointCurve | kLutGammaTerm)[1], 0.5);
    EXPECT_EQ(Values(&gamma, 5, kLutPointCurve)[1], 0.25);

    // Count 1 evaluates x = from only; an output gamma raises the stored value.
    CQzLutChannel plain(0, {}, {}, {});
    EXPECT_EQ(Values(&plain, 1, kLutPointCurve, 0.3, 0.9), std::vector<double>{0.3});
    EXPECT_EQ(Values(&plain, 5, kLutPointCurve, 0.0, 1.0, 2.0)[1], 0.5);
    plain.EditWorkingSet().brightness = 1;
    EXPECT_EQ(Values(&plain, 5, kLutPointCurve | kLutContrast)[1], 0.5);
}

TEST(ToneTable, InputLevelsHoldTheEndsOutsideThem)
{
    CQzLutChannel channel(0, {}, {}, {});
    SetPoints(channel, {{0, 0.125}, {1, 0.875}});
    channel.EditWorkingSet().inputBlack = 0.25;
    channel.EditWorkingSet().inputWhite = 0.75;
    const std::vector<double> y = Values(&channel, 129, kLutInputLevels | kLutPointCurve);
    for (int i = 0; i <= 32; ++i)
        EXPECT_EQ(y[i], 0.125) << i;
    for (int i = 96; i <= 128; ++i)
        EXPECT_EQ(y[i], 0.875) << i;
    EXPECT_EQ(y[64], 0.5);
    // No span between the levels: a step at the black level.
    channel.EditWorkingSet().inputWhite = 0.25;
    const std::vector<double> step = Values(&channel, 5, kLutInputLevels | kLutPointCurve);
    EXPECT_EQ(step, (std::vector<double>{0.125, 0.125, 0.875, 0.875, 0.875}));
}

TEST(ToneTable, ContrastActsOnTheMasterWithinItsBounds)
{
    CQzLutGroup group;
    CQzLutChannel* master = group.GetToneChannelById(0);
    CQzLutChannel* red = group.AddChannel(1, {}, {}, {});
    SetPoints(*master, {{0, 0.05}, {1, 0.95}});
    group.SetContrast(1);
    const std::vector<double> y = Values(master, 2, kLutPointCurve | kLutContrast);
    EXPECT_NEAR(y[0], 0.005, 1e-15);
    EXPECT_NEAR(y[1], 0.995, 1e-15);
    // A colour channel has no contrast of its own; combined with the master it has the master's.
    EXPECT_EQ(Values(red, 2, kLutPointCurve | kLutContrast), (std::vector<double>{0, 1}));
    const std::vector<double> combined = Values(red, 2, kLutPointCurve | kLutContrast | kLutMasterCombine);
    EXPECT_NEAR(combined[0], 0.005, 1e-15);
    // The applied contrast goes with the applied sets, and it is 0 here.
    EXPECT_EQ(Values(master, 2, kLutPointCurve | kLutContrast | kLutApplied), (std::vector<double>{0, 1}));
}

TEST(ToneTable, MasterCombineAppliesTheMasterAfterTheChannel)
{
    CQzLutGroup group;
    CQzLutChannel* master = group.GetToneChannelById(0);
    CQzLutChannel* green = group.AddChannel(2, {}, {}, {});
    master->EditWorkingSet().gamma = 2;
    green->EditWorkingSet().outputWhite = 0.5;
    const uint32_t flags = kLutPointCurve | kLutGammaTerm | kLutOutputLevels;
    // 0.5 from the channel's output levels, then the master's gamma: 0.5 + sqrt(0.5) - 0.5.
    EXPECT_DOUBLE_EQ(Values(green, 3, flags | kLutMasterCombine)[2], std::sqrt(0.5));
    EXPECT_EQ(Values(green, 3, flags)[2], 0.5);
    // The master itself is not combined with itself.
    EXPECT_EQ(Values(master, 5, flags | kLutMasterCombine)[1], 0.5);
}

TEST(ToneTable, MapTablesBeforeAndAfterTheCurve)
{
    std::vector<uint16_t> invert(256);
    for (int i = 0; i < 256; ++i)
        invert[i] = static_cast<uint16_t>(255 - i);
    CQzLutChannel channel(1, {}, {}, {});
    channel.EditWorkingSet().gamma = 2;
    const uint32_t flags = kLutPointCurve | kLutGammaTerm | kLutMapTable;
    channel.SetMapTable(invert.data(), 2, 256, 256, true);
    // x = 0.75 maps to 0.25 first, then the gamma curve gives 0.5.
    EXPECT_DOUBLE_EQ(Values(&channel, 5, flags)[3], 0.5);
    channel.SetMapTable(invert.data(), 2, 256, 256, false);
    // x = 0.25 through the curve is 0.5, then the map: 0.5 between two entries.
    EXPECT_DOUBLE_EQ(Values(&channel, 5, flags)[1], 0.5);
    EXPECT_DOUBLE_EQ(Values(&channel, 5, flags)[4], 0.0);
    EXPECT_DOUBLE_EQ(Values(&channel, 5, flags & ~kLutMapTable)[4], 1.0);
    channel.SetMapTable(nullptr, 2, 256, 256, true);
    EXPECT_TRUE(channel.GetMapTable().empty());
}

TEST(ToneTable, OnlyKnownElementSizesAreWrittenAndValuesStayInTheirType)
{
    CQzLutChannel channel(0, {}, {}, {});
    std::vector<uint8_t> buffer(64, 0xAB);
    BuildTable(&channel, buffer.data(), 3, 8, 256, 0.0, 1.0, kLutPointCurve, 0.0);
    EXPECT_EQ(buffer, std::vector<uint8_t>(64, 0xAB));
    // 300 levels in bytes: the top stays 255 rather than wrapping.
    BuildTable(&channel, buffer.data(), 1, 3, 300, 0.0, 1.0, kLutPointCurve, 0.0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 150);
    EXPECT_EQ(buffer[2], 255);
    std::vector<uint32_t> words(2);
    BuildTable(&channel, words.data(), 4, 2, 65537, 0.0, 1.0, kLutPointCurve, 0.0);
    EXPECT_EQ(words[1], 65536u);
    // No channel: the identity.
    std::vector<uint16_t> identity(5);
    BuildTable(nullptr, identity.data(), 2, 5, 5, 0.0, 1.0, 0xFF, 0.0);
    EXPECT_EQ(identity, (std::vector<uint16_t>{0, 1, 2, 3, 4}));
}

TEST(ToneTable, NaturalSplineSlopes)
{
    LutParameterSet set;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {0.5, 0.75}, {1.0, 1.0}})
        set.points.push_back({x, y});
    set.slopesDirty = true;
    UpdateSlopes(set);
    EXPECT_FALSE(set.slopesDirty);
    EXPECT_DOUBLE_EQ(set.points[0].slope, 1.75);
    EXPECT_DOUBLE_EQ(set.points[1].slope, 1.0);
    EXPECT_DOUBLE_EQ(set.points[2].slope, 0.25);
    // The second derivative of the end segments at the ends is 0.
    const auto& p = set.points;
    const double h = 0.5, d0 = 1.5, d1 = 0.5;
    EXPECT_NEAR((6 * d0 - 4 * p[0].slope - 2 * p[1].slope) / h, 0.0, 1e-12);
    EXPECT_NEAR((-6 * d1 + 2 * p[1].slope + 4 * p[2].slope) / h, 0.0, 1e-12);

    CQzLutChannel channel(0, {}, {}, {});
    SetPoints(channel, {{0.0, 0.0}, {0.5, 0.75}, {1.0, 1.0}});
    EXPECT_EQ(Values(&channel, 3, kLutPointCurve)[1], 0.75);
}

TEST(ToneTable, SplineMatchesAnIndependentNaturalSpline)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> counts(3, 12);
    for (int set = 0; set < 50; ++set) {
        const int n = counts(random);
        std::vector<double> xs, ys;
        double x = unit(random) * 0.2;
        for (int i = 0; i < n; ++i) {
            xs.push_back(x);
            ys.push_back(unit(random));
            x += 0.02 + unit(random) * (0.8 / n);
        }
        CQzLutChannel channel(0, {}, {}, {});
        LutParameterSet& points = channel.EditWorkingSet();
        points.points.clear();
        for (int i = 0; i < n; ++i)
            points.points.push_back({xs[i], ys[i]});
        const ReferenceSpline reference(xs, ys);
        const std::vector<double> table = Values(&channel, 4096, kLutPointCurve);
        for (int i = 0; i < 4096; ++i) {
            const double expected = std::clamp(reference(i / 4095.0), 0.0, 1.0);
            ASSERT_NEAR(table[i], expected, 1e-12) << "set " << set << " entry " << i;
        }
    }
}

// Whatever a blob brought, every entry is a level of the table.
TEST(ToneTable, HostileParametersGiveTablesInRange)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::function<void(CQzLutChannel&, CQzLutChannel&)> edit;
    } cases[] = {
        {"NaN point", [&](CQzLutChannel& c, CQzLutChannel&) { SetPoints(c, {{0, 0}, {nan, 0.5}, {1, 1}}); }},
        {"points out of order",
         [](CQzLutChannel& c, CQzLutChannel&) { SetPoints(c, {{0, 0}, {0.8, 0.2}, {0.3, 0.9}, {1, 1}}); }},
        {"equal x", [](CQzLutChannel& c, CQzLutChannel&) { SetPoints(c, {{0, 0}, {0.5, 0.2}, {0.5, 0.9}, {1, 1}}); }},
        {"one point", [](CQzLutChannel& c, CQzLutChannel&) { SetPoints(c, {{0.5, 0.5}}); }},
        {"no points", [](CQzLutChannel& c, CQzLutChannel&) { SetPoints(c, {}); }},
        {"points far outside", [](CQzLutChannel& c, CQzLutChannel&) { SetPoints(c, {{-5, -9}, {0.5, 40}, {7, 3}}); }},
        {"NaN and infinite levels",
         [&](CQzLutChannel& c, CQzLutChannel&) {
             c.EditWorkingSet().inputBlack = nan;
             c.EditWorkingSet().outputWhite = inf;
         }},
        {"inverted levels",
         [](CQzLutChannel& c, CQzLutChannel&) {
             c.EditWorkingSet().inputBlack = 0.9;
             c.EditWorkingSet().inputWhite = 0.1;
             c.EditWorkingSet().outputBlack = 1;
             c.EditWorkingSet().outputWhite = -3;
         }},
        {"zero, negative and NaN gamma",
         [&](CQzLutChannel& c, CQzLutChannel& m) {
             c.EditWorkingSet().gamma = 0;
             m.EditWorkingSet().gamma = nan;
         }},
        {"huge brightness in the master",
         [](CQzLutChannel&, CQzLutChannel& m) { m.EditWorkingSet().brightness = 1e300; }},
        {"NaN brightness", [&](CQzLutChannel& c, CQzLutChannel&) { c.EditWorkingSet().brightness = nan; }},
    };
    for (const Case& c : cases) {
        CQzLutGroup group;
        group.SetContrast(3);
        CQzLutChannel* master = group.GetToneChannelById(0);
        CQzLutChannel* blue = group.AddChannel(3, {}, {}, {});
        c.edit(*blue, *master);
        for (uint32_t flags : {0xBCu, 0x3Eu, 0x42u, 0xFFu}) {
            std::vector<uint16_t> table(4096);
            BuildTable(blue, table.data(), 2, 4096, 4096, -0.25, 1.25, flags, 0.7);
            for (uint16_t value : table)
                ASSERT_LE(value, 4095) << c.name << " flags " << flags;
            for (double value : Values(blue, 300, flags))
                ASSERT_TRUE(value >= 0.0 && value <= 1.0) << c.name << " flags " << flags;
        }
    }
}

// A stored group whose doubles are NaN or infinite is taken as it is (it
// writes back byte for byte but for its length), and still every table built from it is in range.
TEST(ToneTable, HostileGroupBlobWritesBackAndGivesTablesInRange)
{
    CQzLutGroup source;
    for (uint32_t id = 1; id <= 3; ++id)
        source.AddChannel(id, {}, {}, {});
    std::vector<uint8_t> blob(static_cast<size_t>(source.GetSize()));
    source.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto put = [&](size_t offset, double value) { std::memcpy(&blob[offset], &value, 8); };
    put(25, nan);  // the contrast
    const size_t master = 33, red = 33 + 143, green = red + 143;
    put(master + 75, -inf);  // gamma
    put(master + 127, nan);  // second point's y
    put(red + 59, nan);      // input black
    put(red + 91, inf);      // output white
    put(red + 103, nan);     // first point's x
    put(red + 135, -inf);    // brightness
    put(green + 67, -1e308);  // input white
    put(green + 83, 1e308);   // output black
    put(green + 111, 7.5);    // first point's y
    blob[21] = 0x7F;          // a length field that claims more than there is
    CQzLutGroup group;
    ASSERT_EQ(group.SetData(blob.data(), static_cast<int32_t>(blob.size())), static_cast<int32_t>(blob.size()));
    std::vector<uint8_t> again(blob.size());
    group.GetData(again.data(), static_cast<int32_t>(again.size()));
    blob[21] = 0;  // the length written is the true one
    EXPECT_EQ(again, blob);

    RecordingViewer viewer;
    for (uint32_t id = 0; id <= 3; ++id) {
        CQzLutChannel* channel = group.GetToneChannelById(id);
        for (uint32_t flags : {0xBCu, 0x3Eu, 0x42u, 0x3Cu}) {
            std::vector<uint16_t> table(4096);
            BuildTable(channel, table.data(), 2, 4096, 4096, 0.0, 1.0, flags, 0.0);
            for (uint16_t value : table)
                ASSERT_LE(value, 4095) << id << " flags " << flags;
        }
        for (uint32_t value : channel->GetDisplayTable(viewer.geometry.plot, true, true))
            ASSERT_LT(value, 257u) << id;
        LutPoint markers[2];
        channel->GetPointPositions(viewer.geometry.plot, markers, 2);
    }
}

TEST(ToneTable, DisplayTableFollowsTheCurveTheWidthAndTheSwitches)
{
    RecordingViewer viewer;
    CQzLutChannel channel(0, {}, {}, {});
    const std::vector<uint32_t>& table = channel.GetDisplayTable(viewer.geometry.plot, true, true);
    ASSERT_EQ(table.size(), 257u);
    EXPECT_EQ(table[128], 128u);
    EXPECT_FALSE(channel.IsDisplayTableDirty());

    channel.EditWorkingSet().outputWhite = 0.5;
    EXPECT_EQ(channel.GetDisplayTable(viewer.geometry.plot, true, true)[256], 128u);
    EXPECT_EQ(channel.GetDisplayTable(viewer.geometry.plot, true, false)[256], 256u);
    EXPECT_EQ(channel.GetDisplayTable({0, 0, 9, 9}, true, true).size(), 9u);
    channel.SetGamma(2);
    EXPECT_EQ(channel.GetDisplayTable({0, 0, 9, 9}, true, true)[2], 2u);
}

TEST(ToneTable, PointMarkersSitOnTheDisplayedCurve)
{
    RecordingViewer viewer;
    CQzLutChannel channel(0, {}, {}, {});
    SetPoints(channel, {{0, 0}, {0.25, 0.25}, {1, 1}});
    channel.EditWorkingSet().inputBlack = 0.25;
    channel.EditWorkingSet().inputWhite = 0.75;
    channel.EditWorkingSet().gamma = 2;
    channel.GetDisplayTable(viewer.geometry.plot, true, false);
    LutPoint markers[4];
    ASSERT_EQ(channel.GetPointPositions(viewer.geometry.plot, markers, 4), 3);
    // x 0.25 after levels 0.25..0.75 is 0.375 on the plot; y 0.25 + sqrt(0.25) - 0.25.
    EXPECT_EQ(markers[1].x, 7 + 96);
    EXPECT_EQ(markers[1].y, 262 - 128 - 1);
    EXPECT_EQ(markers[0].x, 7 + 64);
    EXPECT_EQ(markers[2].y, 262 - 256 - 1);
    EXPECT_EQ(channel.GetPointPositions(viewer.geometry.plot, markers, 1), 1);
}

TEST(ToneTable, InverseOfTheAppliedCurve)
{
    CQzLutChannel identity(1, {}, {}, {});
    const std::vector<double>& same = identity.BuildInverseTable(256, 0x3C);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(same[i], i);

    // Input white 0.5 applied: the curve reaches only even levels below the
    // top; the levels between take the mean of their neighbours.
    CQzLutChannel steep(1, {}, {}, {});
    steep.EditWorkingSet().inputWhite = 0.5;
    steep.Commit();
    const std::vector<double>& inverse = steep.BuildInverseTable(256, 0x3C);
    EXPECT_EQ(inverse[0], 0.0);
    EXPECT_EQ(inverse[1], 0.5);
    EXPECT_EQ(inverse[2], 1.0);
    EXPECT_EQ(inverse[253], 126.5);
    EXPECT_EQ(inverse[254], 127.0);
    EXPECT_EQ(inverse[255], 255.0);

    // Output white 0.5: the levels above the curve's top take its last value.
    CQzLutChannel flat(1, {}, {}, {});
    flat.EditWorkingSet().outputWhite = 0.5;
    flat.Commit();
    const std::vector<double>& low = flat.BuildInverseTable(256, 0x3C);
    EXPECT_EQ(low[128], 255.0);
    EXPECT_EQ(low[200], 255.0);
    // Without the output-level flag the curve is the identity again.
    EXPECT_EQ(flat.BuildInverseTable(256, 0x34)[200], 200.0);
}

TEST(ToneTable, HistogramsBeforeAndAfterTheCurve)
{
    CQzLutGroup group;
    CQzLutChannel* master = group.GetToneChannelById(0);
    CQzLutChannel* red = group.AddChannel(1, {}, {}, {});
    CQzLutChannel* green = group.AddChannel(2, {}, {}, {});
    std::vector<uint32_t> counts(256, 0);
    counts[100] = 5;
    counts[200] = 7;
    red->SetHistogram(counts.data(), 256);
    red->EditWorkingSet().outputWhite = 0.5;
    EXPECT_EQ(red->GetInputHistogram(0x3C), counts);
    const std::vector<uint32_t>& out = red->GetOutputHistogram(0x3C);
    EXPECT_EQ(out[50], 5u);
    EXPECT_EQ(out[100], 7u);
    EXPECT_EQ(out[200], 0u);

    // The master sees the colour channels' output histograms summed.
    green->SetHistogram(counts.data(), 256);
    const std::vector<uint32_t>& sum = master->GetInputHistogram(0x3C);
    ASSERT_EQ(sum.size(), 256u);
    EXPECT_EQ(sum[50], 5u);
    EXPECT_EQ(sum[100], 12u);
    EXPECT_EQ(sum[200], 7u);

    // A channel of another length starts the sum again.
    std::vector<uint32_t> shorter(128, 1);
    green->SetHistogram(shorter.data(), 128);
    EXPECT_EQ(master->GetInputHistogram(0x3C), shorter);
    CQzLutChannel* blue = group.AddChannel(3, {}, {}, {});
    EXPECT_TRUE(blue->GetInputHistogram(0x3C).empty());
    EXPECT_TRUE(blue->GetOutputHistogram(0x3C).empty());
}

TEST(ToneTable, ComposedTables)
{
    // 16-bit tables whose levels make every step exact.
    const std::vector<uint16_t> ramp = {0, 256};
    std::vector<uint16_t> invert(257);
    for (int i = 0; i <= 256; ++i)
        invert[i] = static_cast<uint16_t>(256 - i);
    std::vector<uint16_t> out(257);
    ComposeLutTables(ramp.data(), 2, 2, 257, invert.data(), 2, 257, 257, out.data(), 2, 257, 257);
    for (int i = 0; i <= 256; ++i)
        ASSERT_EQ(out[i], 256 - i) << i;

    const std::vector<uint8_t> ends = {0, 255};
    std::vector<uint8_t> inverted(256);
    for (int i = 0; i < 256; ++i)
        inverted[i] = static_cast<uint8_t>(255 - i);
    std::vector<uint8_t> pair(2);
    ComposeLutTables(ends.data(), 1, 2, 256, inverted.data(), 1, 256, 256, pair.data(), 1, 2, 256);
    EXPECT_EQ(pair, (std::vector<uint8_t>{255, 0}));

    // Levels that send positions past the table stay inside it; values stay in their type.
    ComposeLutTables(ends.data(), 1, 2, 1, inverted.data(), 1, 256, 256, pair.data(), 1, 2, 300);
    EXPECT_EQ(pair, (std::vector<uint8_t>{255, 0}));
    std::vector<uint16_t> single(1);
    ComposeLutTables(ramp.data(), 2, 2, 257, invert.data(), 2, 1, 257, single.data(), 2, 1, 257);
    EXPECT_EQ(single[0], 256);
}

}  // namespace
