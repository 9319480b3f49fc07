// The shortest call sequences that once let the "Size" kind leave its range:
// after each, the state is consistent, the resolution lies within its bounds
// and both pixel sizes lie between 1 and the bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "app/core/heuristics/tests/heuristic_test_util.h"

using namespace heuristic_test;

namespace {

// Blob offsets of the doubles a case nudges.
constexpr size_t kScaleAt = 182;
constexpr size_t kResolutionAt = 150;
constexpr size_t kAspectAt = 214;

// Multiplies one stored double by `factor`: a state that the consistency
// check still accepts, with the rounding a long edit leaves behind.
void Nudge(CHeuristic& h, size_t offset, double factor)
{
    std::vector<uint8_t> blob(CHeuristic::kBlobSize);
    int32_t size = CHeuristic::kBlobSize;
    ASSERT_TRUE(h.GetData(blob.data(), size));
    double value = 0.0;
    std::memcpy(&value, blob.data() + offset, sizeof value);
    value *= factor;
    std::memcpy(blob.data() + offset, &value, sizeof value);
    ASSERT_TRUE(h.SetData(blob.data(), size));
    ASSERT_EQ(h.CheckConsistency(true), 0);
}

struct Case {
    const char* name;
    std::function<std::unique_ptr<CHeuristic>()> setUp;
    std::function<void(CHeuristic&)> edit;
};

std::unique_ptr<CHeuristic> Size4000x3000()
{
    return Made(4000, 3000, MakeLockSize);
}

TEST(LockSizeRange, EditsThatOnceLeftTheRangeKeepIt)
{
    const Case cases[] = {
        {"placing the crop at a remembered size the pixel width has since left", Size4000x3000,
         [](CHeuristic& h) {
             h.RememberCrop();
             h.SetPixelWidth(500);
             h.PlaceCrop(h.GetRemembered(), kCropHeightLeads | kCropWidthLeads);
         }},
        {"a tiny output width", Size4000x3000, [](CHeuristic& h) { h.SetOutputWidth({0.001, 0}); }},
        {"an output width far wider than the bounds' aspect", Size4000x3000,
         [](CHeuristic& h) { h.SetOutputWidth({1e6, 0}); }},
        {"an output height far higher than the bounds' aspect", Size4000x3000,
         [](CHeuristic& h) { h.SetOutputHeight({1e6, 0}); }},
        {"a resolution at the lower bound on a small source", [] { return Made(400, 300, MakeLockSize); },
         [](CHeuristic& h) { h.SetResolution(kPpi(1)); }},
        {"a tiny reference resolution", Size4000x3000,
         [](CHeuristic& h) { h.SetReferenceResolution(kPpi(1e-6)); }},
        {"the least pixel area of a two-pixel crop", Size4000x3000,
         [](CHeuristic& h) {
             h.SetPixelWidth(1);
             h.SetPixelHeight(1);
             h.SetPixelArea(0);
         }},
        {"the largest pixel area with a scale off by rounding", Size4000x3000,
         [](CHeuristic& h) {
             h.SetResolution(kPpi(600));
             Nudge(h, kScaleAt, 1 + 1e-12);
             h.SetPixelArea(1e12);
         }},
        {"a crop height that follows an aspect off by rounding", Size4000x3000,
         [](CHeuristic& h) {
             h.SetPixelWidth(4000);
             Nudge(h, kAspectAt, 1 + 1e-12);
             h.SetCropSize(10, 10, kCropHeightLeads);
         }},
        {"a pixel width change with the crop as high as the bounds and a resolution off by rounding",
         Size4000x3000,
         [](CHeuristic& h) {
             h.SetPixelHeight(3000);
             Nudge(h, kResolutionAt, 1 - 1e-13);
             h.SetPixelWidth(100);
         }},
        {"a size kind made from a set-up with less than a pixel",
         [] {
             CHeuristic* h = new CHDevSetup(100, 80, kPpi(1.5), kPpi(1), kPpi(2400));
             MakeLockSize(&h);
             return std::unique_ptr<CHeuristic>(h);
         },
         [](CHeuristic& h) { h.SetResolution(kPpi(1)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto h = c.setUp();
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        c.edit(*h);
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        EXPECT_EQ(h->CheckConsistency(true), 0);
        const QzDblRect& b = h->GetBounds();
        EXPECT_GE(h->GetResolution().value, h->GetLowerResolution().value);
        EXPECT_LE(h->GetResolution().value, h->GetUpperResolution().value);
        EXPECT_GE(h->GetPixelWidth(), 1.0);
        EXPECT_GE(h->GetPixelHeight(), 1.0);
        EXPECT_LE(h->GetPixelWidth(), b.Width());
        EXPECT_LE(h->GetPixelHeight(), b.Height());
    }
}

// The guards act only on values beyond the range: an edit within it gives
// what the rules give.
TEST(LockSizeRange, InRangeEditsFollowTheRules)
{
    auto h = Size4000x3000();  // R 300, U 600, F 300: pw 2000, ph 1500
    EXPECT_EQ(h->SetOutputWidth({5.0, 0}), 0);
    EXPECT_EQ(h->GetPixelWidth(), 1500.0);
    EXPECT_EQ(h->GetReferenceResolution().value, 300.0);
    EXPECT_EQ(h->SetResolution(kPpi(150)), 0);
    EXPECT_EQ(h->GetReferenceResolution().value, std::min({300.0, 4000 * 150.0 / 600 / 5, 3000 * 150.0 / 600 / 5}));
    EXPECT_EQ(h->SetPixelArea(h->GetPixelArea() / 4), 0);
    EXPECT_EQ(h->CheckConsistency(true), 0);

    // A crop of the least width holds exactly the upper bound.
    EXPECT_EQ(h->SetCropSize(1, 1, kCropWidthLeads), 1);
    EXPECT_EQ(h->GetResolution().value, 600.0);
    EXPECT_EQ(h->CheckConsistency(true), 0);

    // Converting a state within the range changes nothing.
    auto c = Made(4000, 3000, MakeLockCrop);
    CHLockSize s(*c);
    EXPECT_EQ(s.GetPixelWidth(), c->GetPixelWidth());
    EXPECT_EQ(s.GetResolution().value, c->GetResolution().value);
    EXPECT_EQ(s.GetFlags(), c->GetFlags());
}

}  // namespace
