// Random edits of the "Crop" and "Size" kinds: after every setter, whatever
// the value, the state is consistent and the change bits say exactly what
// moved.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/core/heuristics/tests/heuristic_test_util.h"

using namespace heuristic_test;

namespace {

struct Values {
    QzDblRect crop;
    double w, h, r, f, s, lowest, highest, pw, ph, area;

    explicit Values(const CHeuristic& x)
        : crop(x.GetCrop()), w(x.GetOutputWidth().value), h(x.GetOutputHeight().value),
          r(x.GetResolution().value), f(x.GetReferenceResolution().value), s(x.GetScale()),
          lowest(x.GetLowestScale()), highest(x.GetHighestScale()), pw(x.GetPixelWidth()),
          ph(x.GetPixelHeight()), area(x.GetPixelArea())
    {
    }
};

// The change bits that two snapshots differ by, written apart from the code.
uint32_t Difference(const Values& a, const Values& b)
{
    uint32_t bits = 0;
    const auto set = [&bits](bool differ, uint32_t bit) { bits |= differ ? bit : 0; };
    set(a.crop.left != b.crop.left || a.crop.top != b.crop.top, 0x1);
    set(a.crop.right - a.crop.left != b.crop.right - b.crop.left, 0x2);
    set(a.crop.bottom - a.crop.top != b.crop.bottom - b.crop.top, 0x4);
    set(a.w != b.w, 0x8);
    set(a.h != b.h, 0x10);
    set(a.r != b.r, 0x20);
    set(a.f != b.f, 0x40);
    set(a.s != b.s, 0x80);
    set(a.lowest != b.lowest || a.highest != b.highest, 0x100);
    set(a.pw != b.pw, 0x200);
    set(a.ph != b.ph, 0x400);
    set(a.area != b.area, 0x800);
    return bits;
}

std::string Describe(const CHeuristic& x)
{
    const QzDblRect& c = x.GetCrop();
    const QzDblRect& b = x.GetBounds();
    return testing::PrintToString(std::vector<double>{c.left, c.top, c.right, c.bottom, b.left, b.top, b.right,
                                                      b.bottom, x.GetOutputWidth().value, x.GetOutputHeight().value,
                                                      x.GetResolution().value, x.GetReferenceResolution().value,
                                                      x.GetScale(), x.GetPixelWidth(), x.GetPixelHeight(),
                                                      x.GetAspect()});
}

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(engine_); }
    // Over many orders of magnitude, out-of-range values included. Not down
    // to the 1e-10 clamps: a crop of a millionth of a pixel far from the
    // origin has no exact width left in a double.
    double Wide() { return std::pow(10.0, Uniform(lowest_, highest_)); }
    void SetSpread(double lowest, double highest)
    {
        lowest_ = lowest;
        highest_ = highest;
    }
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(engine_); }
    uint32_t Mode() { return static_cast<uint32_t>(Pick(16)); }
    // Mostly near the bounds, sometimes beyond them.
    double Around(double extent) { return Uniform(-0.2 * extent, 1.2 * extent); }

private:
    std::mt19937 engine_;
    double lowest_ = -3.0;
    double highest_ = 6.0;
};

struct Operation {
    const char* name;
    std::function<void(CHeuristic&, Random&)> apply;
};

std::vector<Operation> Operations()
{
    const auto rect = [](CHeuristic& h, Random& r) {
        const double bw = h.GetBounds().Width();
        const double bh = h.GetBounds().Height();
        const double l = r.Around(bw);
        const double t = r.Around(bh);
        return QzDblRect{l, t, l + r.Around(bw), t + r.Around(bh)};
    };
    return {
        {"PlaceCrop", [=](CHeuristic& h, Random& r) { h.PlaceCrop(rect(h, r), r.Mode()); }},
        {"SetCropRect", [=](CHeuristic& h, Random& r) { h.SetCropRect(rect(h, r), r.Mode()); }},
        {"SetCropSize",
         [](CHeuristic& h, Random& r) {
             h.SetCropSize(r.Around(h.GetBounds().Width()), r.Around(h.GetBounds().Height()), r.Mode());
         }},
        {"MoveCrop",
         [](CHeuristic& h, Random& r) { h.MoveCrop(r.Around(h.GetBounds().Width()), r.Around(h.GetBounds().Height())); }},
        {"RememberCrop", [](CHeuristic& h, Random&) { h.RememberCrop(); }},
        {"SetOutputWidth", [](CHeuristic& h, Random& r) { h.SetOutputWidth({r.Wide(), 0}); }},
        {"SetOutputHeight", [](CHeuristic& h, Random& r) { h.SetOutputHeight({r.Wide(), 0}); }},
        {"SetResolution", [](CHeuristic& h, Random& r) { h.SetResolution(kPpi(r.Uniform(-10, 1000))); }},
        {"SetReferenceResolution", [](CHeuristic& h, Random& r) { h.SetReferenceResolution(kPpi(r.Wide())); }},
        {"SetScale", [](CHeuristic& h, Random& r) { h.SetScale(r.Wide()); }},
        {"SetPixelWidth", [](CHeuristic& h, Random& r) { h.SetPixelWidth(r.Around(h.GetBounds().Width())); }},
        {"SetPixelHeight", [](CHeuristic& h, Random& r) { h.SetPixelHeight(r.Around(h.GetBounds().Height())); }},
        {"SetPixelArea",
         [](CHeuristic& h, Random& r) {
             h.SetPixelArea(r.Uniform(-1.0, 1.2) * h.GetBounds().Width() * h.GetBounds().Height());
         }},
    };
}

void Exercise(int32_t (*make)(CHeuristic**), const char* kind, bool consistent, const double (&spread)[2])
{
    const std::vector<Operation> operations = Operations();
    Random random(20261211);
    random.SetSpread(spread[0], spread[1]);
    for (int setup = 0; setup < 60; ++setup) {
        const double width = std::floor(random.Uniform(2, 9000));
        const double height = std::floor(random.Uniform(2, 9000));
        auto h = Made(width, height, make);
        ASSERT_EQ(h->CheckConsistency(true), 0);
        std::string trail;
        for (int step = 0; step < 150; ++step) {
            const Operation& op = operations[static_cast<size_t>(random.Pick(static_cast<int>(operations.size())))];
            trail += std::string(" ") + op.name;
            h->ClearFlags(0xFFF);
            const Values before(*h);
            const std::string state = Describe(*h);
            op.apply(*h, random);
            const Values after(*h);
            if (consistent) {
                for (double v : {after.crop.left, after.crop.top, after.crop.right, after.crop.bottom, after.w, after.h,
                                 after.r, after.f, after.s, after.pw, after.ph, after.area})
                    ASSERT_TRUE(std::isfinite(v)) << kind << " after" << trail << "\nfrom " << state << "\nto   "
                                                  << Describe(*h);
            }
            const int32_t code = h->CheckConsistency(true);
            if (consistent) {
                ASSERT_EQ(code, 0) << kind << " " << width << "x" << height << " after" << trail << "\nfrom "
                               << state << "\nto   " << Describe(*h);
            }
            // Remembering the crop is no edit: it sets no bit.
            const uint32_t expected = std::string(op.name) == "RememberCrop" ? 0u : Difference(before, after);
            ASSERT_EQ(h->GetFlags() & 0xFFF, expected) << kind << " after" << trail;
        }
    }
}

TEST(HeuristicProperties, CropKindStaysConsistentAndReportsEveryChange)
{
    Exercise(MakeLockCrop, "Crop", true, {-3.0, 6.0});
}

// The size kind's rules let a pixel size shrink below what the bounds and the
// resolution limits hold (the crop then leaves its range, and a long walk
// can end in a degenerate state): only the change bits are held to here.
TEST(HeuristicProperties, SizeKindReportsEveryChange)
{
    Exercise(MakeLockSize, "Size", false, {-1.0, 3.0});
}

}  // namespace
