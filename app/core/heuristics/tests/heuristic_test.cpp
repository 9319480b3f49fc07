#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/core/heuristics/tests/heuristic_test_util.h"
#include "app/core/testing/blob_test_util.h"

using namespace heuristic_test;
using core_test::Hex;
using core_test::U32At;

namespace {

std::vector<uint8_t> HeuristicBlob(const CHeuristic& h)
{
    std::vector<uint8_t> blob(CHeuristic::kBlobSize);
    int32_t size = CHeuristic::kBlobSize;
    EXPECT_TRUE(h.GetData(blob.data(), size));
    EXPECT_EQ(size, 223);
    return blob;
}

TEST(HeuristicBlob, HeaderAndShortBuffer)
{
    auto h = Made(4000, 3000, MakeLockCrop);
    const std::vector<uint8_t> blob = HeuristicBlob(*h);
    EXPECT_EQ(Hex({blob.begin(), blob.begin() + 18}), "892a64f463acd111a77700aa00b1c1b7" "0300");
    EXPECT_EQ(U32At(blob, 18), 205u);

    int32_t size = 0;
    EXPECT_FALSE(h->GetData(nullptr, size));
    EXPECT_EQ(size, 223);

    // Only whole fields within the 100 bytes are written, nothing past them.
    std::vector<uint8_t> part(120, 0xAB);
    size = 100;
    EXPECT_FALSE(h->GetData(part.data(), size));
    EXPECT_EQ(size, 223);
    EXPECT_EQ(std::memcmp(part.data(), blob.data(), 18), 0);
    EXPECT_EQ(std::memcmp(part.data() + 22, blob.data() + 22, 94 - 22), 0);  // 9 doubles
    for (size_t i = 94; i < part.size(); ++i)
        EXPECT_EQ(part[i], 0xAB) << i;
    EXPECT_EQ(U32At(part, 18), 94u - 18u);
}

TEST(HeuristicBlob, RoundTripIsBitIdenticalAndForeignIdsChangeNothing)
{
    auto h = Made(4000, 3000, MakeLockSize);
    h->SetPixelWidth(1234.5);
    h->MoveCrop(100.25, 40.0);
    const std::vector<uint8_t> blob = HeuristicBlob(*h);

    CHLockSize other;
    EXPECT_TRUE(other.SetData(blob.data(), static_cast<int32_t>(blob.size())));
    EXPECT_EQ(HeuristicBlob(other), blob);
    EXPECT_TRUE(other.GetFlags() & kSizeLock);

    std::vector<uint8_t> foreign = blob;
    foreign[3] ^= 1;
    CHLockCrop untouched;
    const std::vector<uint8_t> before = HeuristicBlob(untouched);
    EXPECT_FALSE(untouched.SetData(foreign.data(), static_cast<int32_t>(foreign.size())));
    EXPECT_FALSE(untouched.SetData(blob.data(), 222));
    EXPECT_EQ(HeuristicBlob(untouched), before);
}

TEST(HeuristicBlob, OlderVersionsHaveNoLengthField)
{
    auto h = Made(800, 600, MakeLockCrop);
    h->SetPixelWidth(300);
    const std::vector<uint8_t> v3 = HeuristicBlob(*h);
    for (uint16_t version : {1, 2}) {
        std::vector<uint8_t> old(v3.begin(), v3.begin() + 18);
        old[16] = static_cast<uint8_t>(version);
        old.insert(old.end(), v3.begin() + 22, v3.end() - (version == 1 ? 1 : 0));
        CHLockCrop read;
        EXPECT_TRUE(read.SetData(old.data(), static_cast<int32_t>(old.size()))) << version;
        EXPECT_FALSE(read.SetData(old.data(), static_cast<int32_t>(old.size()) - 1)) << version;
        EXPECT_EQ(read.GetCrop(), h->GetCrop());
        EXPECT_EQ(read.GetPixelWidth(), h->GetPixelWidth());
    }
    std::vector<uint8_t> unknown = v3;
    unknown[16] = 4;
    CHLockCrop read;
    EXPECT_FALSE(read.SetData(unknown.data(), static_cast<int32_t>(unknown.size())));
}

TEST(Heuristic, ResolutionBoundsAndChangeBits)
{
    auto h = Made(4000, 3000, MakeLockCrop);
    EXPECT_EQ(h->SetResolution(h->GetResolution()), 0);
    EXPECT_EQ(h->GetFlags() & 0xFFF, 0u);

    h->SetUpperResolution(kPpi(200));
    EXPECT_EQ(h->GetResolution().value, 200.0);
    EXPECT_TRUE(h->GetFlags() & kChangedResolution);
    EXPECT_TRUE(h->GetFlags() & kChangedScaleLimits);

    h->SetUpperResolution(kPpi(600));
    h->ClearFlags(0xFFF);
    h->SetLowerResolution(kPpi(250));
    EXPECT_EQ(h->GetResolution().value, 250.0);
    EXPECT_TRUE(h->GetFlags() & kChangedResolution);
}

TEST(Heuristic, RescaleScalesTheRectanglesAndSetsTheBits)
{
    auto h = Made(4000, 3000, MakeLockCrop);
    h->SetCropRect(QzDblRect{100, 200, 1100, 1200}, 0);
    h->ClearFlags(0xFFF);
    h->Rescale(8000, 3000, kPpi(1), kPpi(600));
    EXPECT_EQ(h->GetCrop(), (QzDblRect{200, 200, 2200, 1200}));
    EXPECT_EQ(h->GetBounds(), (QzDblRect{0, 0, 8000, 3000}));
    EXPECT_TRUE(h->GetFlags() & kChangedCropOrigin);
    EXPECT_TRUE(h->GetFlags() & kChangedCropWidth);
    EXPECT_FALSE(h->GetFlags() & kChangedCropHeight);
    EXPECT_EQ(h->CheckConsistency(true), 0);
}

TEST(Heuristic, OrientationStepsTurnAboutTheSource)
{
    CHLockCrop h(*Made(400, 300, MakeLockCrop));
    h.SetCropRect(QzDblRect{10, 20, 110, 70}, 0);
    const double pw = h.GetPixelWidth();
    h.RotateRight();  // (x, y) -> (H - y, x)
    EXPECT_EQ(h.GetCrop(), (QzDblRect{230, 10, 280, 110}));
    EXPECT_EQ(h.GetSourceWidth(), 300.0);
    EXPECT_EQ(h.GetPixelHeight(), pw);
    h.RotateLeft();
    EXPECT_EQ(h.GetCrop(), (QzDblRect{10, 20, 110, 70}));
    h.FlipHorizontal();
    EXPECT_EQ(h.GetCrop(), (QzDblRect{290, 20, 390, 70}));
    h.FlipVertical();
    EXPECT_EQ(h.GetCrop(), (QzDblRect{290, 230, 390, 280}));
}

TEST(LockedHeuristics, FactoriesKeepTheStateAndTheDevSetupRefusesEverything)
{
    CHeuristic* none = nullptr;
    EXPECT_EQ(MakeLockCrop(nullptr), 1);
    EXPECT_EQ(MakeLockCrop(&none), 0);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->GetType(), kHeuristicCrop);
    EXPECT_EQ(none->GetCrop(), QzDblRect{});
    EXPECT_EQ(none->GetResolution().value, 1.0);
    delete none;

    CHeuristic* h = Made(4000, 3000, MakeLockCrop).release();
    h->SetCropRect(QzDblRect{10, 10, 2010, 1010}, 0);
    h->SetPixelWidth(500);
    const std::vector<uint8_t> before = HeuristicBlob(*h);
    const uint32_t flags = h->GetFlags();
    EXPECT_EQ(MakeLockSize(&h), 0);
    EXPECT_EQ(h->GetType(), kHeuristicSize);
    EXPECT_EQ(HeuristicBlob(*h), before);
    EXPECT_EQ(h->GetFlags(), flags);
    EXPECT_TRUE(flags & kSizeLock);
    delete h;

    CHDevSetup dev(400, 300, kPpi(300), kPpi(1), kPpi(600));
    const std::vector<uint8_t> constructed = HeuristicBlob(dev);
    EXPECT_EQ(dev.CheckConsistency(true), 0);
    const int32_t results[] = {
        dev.SetCropRect(QzDblRect{1, 1, 5, 5}, 0), dev.SetCropRect(1, 1, 5, 5), dev.PlaceCrop(1, 1, 5, 5, 0),
        dev.SetCropSize(5, 5, 0), dev.MoveCrop(3, 3), dev.SetBounds(QzDblRect{0, 0, 5, 5}),
        dev.SetBoundsSize(5, 5), dev.SetSourceSize(5, 5), dev.SetOutputWidth({2, 0}), dev.SetOutputHeight({2, 0}),
        dev.SetResolution(kPpi(100)), dev.SetLowerResolution(kPpi(100)), dev.SetUpperResolution(kPpi(100)),
        dev.SetReferenceResolution(kPpi(100)), dev.SetScale(2), dev.SetPixelWidth(5), dev.SetPixelHeight(5),
        dev.SetPixelArea(5),
    };
    for (int32_t result : results)
        EXPECT_EQ(result, 1);
    EXPECT_EQ(HeuristicBlob(dev), constructed);
    EXPECT_EQ(dev.GetFlags(), 0u);
    EXPECT_EQ(dev.CanEditCrop(), 0);
    EXPECT_EQ(dev.CanChangeOutputSize(), 0);
    EXPECT_EQ(CHLockCrop().CanChangePixelSize(), 1);
}

TEST(LockedHeuristics, CropLeadsTheOutput)
{
    auto h = Made(4000, 3000, MakeLockCrop);  // R 300, U 600: pw 2000
    const QzDblRect crop = h->GetCrop();

    // Wider than U allows: R = U, the reference follows, the crop stays.
    EXPECT_EQ(h->SetOutputWidth({100.0, 0}), 0);
    EXPECT_EQ(h->GetResolution().value, 600.0);
    EXPECT_DOUBLE_EQ(h->GetReferenceResolution().value, h->GetPixelWidth() / 100.0);
    EXPECT_EQ(h->GetCrop(), crop);
    EXPECT_EQ(h->CheckConsistency(true), 0);

    // Below cw x L / U the pixel width is raised, and the setter says so.
    EXPECT_EQ(h->SetPixelWidth(1.0), 1);
    EXPECT_DOUBLE_EQ(h->GetPixelWidth(), 4000.0 * 1 / 600);
    EXPECT_EQ(h->CheckConsistency(true), 0);

    const QzMeasure w = h->GetOutputWidth();
    const QzMeasure ht = h->GetOutputHeight();
    h->SetPixelArea(1e6);
    EXPECT_EQ(h->GetOutputWidth().value, w.value);
    EXPECT_EQ(h->GetOutputHeight().value, ht.value);
    EXPECT_EQ(h->CheckConsistency(true), 0);
}

TEST(LockedHeuristics, SizeLeadsTheCrop)
{
    auto h = Made(4000, 3000, MakeLockSize);
    const double a = h->GetAspect();
    // Both lead bits and a x h <= w: the height holds, the width follows.
    double w = 3900;
    double ht = 2000;
    ASSERT_LE(a * ht, w);
    EXPECT_EQ(h->ConstrainCropSize(w, ht, kCropWidthLeads | kCropHeightLeads), 0);
    EXPECT_EQ(ht, 2000.0);
    EXPECT_DOUBLE_EQ(w, a * 2000);

    // A crop grown past the bounds' bottom ends on it.
    h->SetPixelWidth(500);
    h->SetPixelHeight(375);
    h->MoveCrop(0, 2500);
    EXPECT_EQ(h->GetCrop().top, 2250.0);
    h->SetCropSize(1200, 900, kCropWidthLeads);
    EXPECT_DOUBLE_EQ(h->GetCrop().bottom, 3000.0);
    EXPECT_EQ(h->CheckConsistency(true), 0);

    // A narrower source lowers pw to it and the reference with it.
    auto s = Made(4000, 3000, MakeLockSize);
    s->SetResolution(kPpi(600));
    const double pw = s->GetPixelWidth();
    const double reference = s->GetReferenceResolution().value;
    EXPECT_EQ(s->Rescale(1000, 3000, kPpi(1), kPpi(600)), 1);
    EXPECT_EQ(s->GetPixelWidth(), 1000.0);
    EXPECT_LT(s->GetReferenceResolution().value, reference);
    EXPECT_GT(pw, 1000.0);
    EXPECT_EQ(s->GetBounds(), (QzDblRect{0, 0, 1000, 3000}));
}

TEST(Heuristic, ConsistencyCheckNamesTheFirstBrokenRelation)
{
    auto h = Made(400, 300, MakeLockCrop);
    EXPECT_EQ(h->CheckConsistency(false), 0);
    // Outside the bounds' range for the crop, in range for the resolution.
    h->SetBounds(QzDblRect{0, 0, 400, 300});
    CHeuristic& base = *h;
    base.CHeuristic::SetCropRect(QzDblRect{-5, 0, 400, 300}, 0);
    EXPECT_EQ(h->CheckConsistency(false), 101);
    base.CHeuristic::SetCropRect(QzDblRect{0, 0, 400, 300}, 0);
    base.CHeuristic::SetResolution(kPpi(700));
    EXPECT_EQ(h->CheckConsistency(false), 100);
    base.CHeuristic::SetResolution(kPpi(300));
    base.CHeuristic::SetScale(2.0);
    EXPECT_EQ(h->CheckConsistency(false), 206);
}

}  // namespace
