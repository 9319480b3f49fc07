// Random edits of the "Crop" and "Size" kinds: after every setter, whatever
// the value, the state is consistent, the change bits say exactly what moved,
// and the "Size" kind keeps its resolution within the bounds and both pixel
// sizes between 1 and the bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
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
        // A move of the remembered rectangle: its size is taken as it is.
        {"PlaceRemembered",
         [](CHeuristic& h, Random& r) {
             QzDblRect q = h.GetRemembered();
             const double dx = r.Around(h.GetBounds().Width()) - q.left;
             const double dy = r.Around(h.GetBounds().Height()) - q.top;
             h.PlaceCrop(QzDblRect{q.left + dx, q.top + dy, q.right + dx, q.bottom + dy}, r.Mode());
         }},
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
        {"SetResolution", [](CHeuristic& h, Random& r) { h.SetResolution(kPpi(r.Uniform(-10, 3000))); }},
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

struct Walk {
    int32_t (*make)(CHeuristic**);
    const char* kind;
    double spread[2];
    // Random resolution bounds and resolution instead of 300 within 1 to 600.
    bool variedSetUp;
};

// Where the kind's own range goes beyond the consistency check: the "Size"
// kind holds R within L and U and both pixel sizes within 1 and the bounds.
std::string OutOfSizeRange(const CHeuristic& h)
{
    const double r = h.GetResolution().value;
    if (!(h.GetLowerResolution().value <= r && r <= h.GetUpperResolution().value))
        return "resolution";
    if (!(1.0 <= h.GetPixelWidth() && h.GetPixelWidth() <= h.GetBounds().Width()))
        return "pixel width";
    if (!(1.0 <= h.GetPixelHeight() && h.GetPixelHeight() <= h.GetBounds().Height()))
        return "pixel height";
    return "";
}

void Exercise(const Walk& run, uint32_t seed)
{
    const std::vector<Operation> operations = Operations();
    const bool sizeKind = run.make == MakeLockSize;
    Random random(seed);
    random.SetSpread(run.spread[0], run.spread[1]);
    for (int setup = 0; setup < 30; ++setup) {
        const double width = std::floor(random.Uniform(2, 9000));
        const double height = std::floor(random.Uniform(2, 9000));
        std::unique_ptr<CHeuristic> h;
        if (run.variedSetUp) {
            const double lower = random.Uniform(1, 300);
            const double upper = random.Uniform(lower, 2400);
            CHeuristic* made = new CHDevSetup(width, height, kPpi(random.Uniform(lower, upper)), kPpi(lower),
                                              kPpi(upper));
            run.make(&made);
            made->ClearFlags(0xFFF);
            h.reset(made);
        } else {
            h = Made(width, height, run.make);
        }
        ASSERT_EQ(h->CheckConsistency(true), 0) << run.kind << " seed " << seed;
        if (sizeKind) {
            ASSERT_EQ(OutOfSizeRange(*h), "") << "seed " << seed << " set-up " << Describe(*h);
        }
        std::string trail;
        for (int step = 0; step < 150; ++step) {
            const Operation& op = operations[static_cast<size_t>(random.Pick(static_cast<int>(operations.size())))];
            trail += std::string(" ") + op.name;
            h->ClearFlags(0xFFF);
            const Values before(*h);
            const std::string state = Describe(*h);
            op.apply(*h, random);
            const Values after(*h);
            const auto where = [&] {
                return std::string(run.kind) + " seed " + std::to_string(seed) + " " + std::to_string(width) + "x" +
                       std::to_string(height) + " after" + trail + "\nfrom " + state + "\nto   " + Describe(*h);
            };
            for (double v : {after.crop.left, after.crop.top, after.crop.right, after.crop.bottom, after.w, after.h,
                             after.r, after.f, after.s, after.pw, after.ph, after.area})
                ASSERT_TRUE(std::isfinite(v)) << where();
            ASSERT_EQ(h->CheckConsistency(true), 0) << where();
            if (sizeKind) {
                ASSERT_EQ(OutOfSizeRange(*h), "") << where();
            }
            // Remembering the crop is no edit: it sets no bit.
            const uint32_t expected = std::string(op.name) == "RememberCrop" ? 0u : Difference(before, after);
            ASSERT_EQ(h->GetFlags() & 0xFFF, expected) << where();
        }
    }
}

constexpr uint32_t kSeeds[] = {20261211, 1, 2, 3, 4, 5};

TEST(HeuristicProperties, CropKindStaysConsistentAndReportsEveryChange)
{
    for (uint32_t seed : kSeeds)
        Exercise({MakeLockCrop, "Crop", {-3.0, 6.0}, false}, seed);
}

TEST(HeuristicProperties, SizeKindStaysInRangeAndReportsEveryChange)
{
    // Values near the usual ones, then over twenty orders of magnitude down
    // to the output clamps, from the usual set-up and from random ones.
    const Walk runs[] = {
        {MakeLockSize, "Size", {-1.0, 3.0}, false},
        {MakeLockSize, "Size", {-10.0, 10.0}, false},
        {MakeLockSize, "Size", {-3.0, 6.0}, true},
    };
    for (const Walk& run : runs) {
        for (uint32_t seed : kSeeds)
            Exercise(run, seed);
    }
}

}  // namespace
