// The transform filter's setting, the algebra of transform states, the output
// size and the geometry between source and output.
#include <cmath>

#include "filters/VorlatFilterTransform.h"
#include "resample_test_util.h"

using namespace kolvex_test;

namespace {

using Xfrm = CVorlatFilterTransform;

TEST(TransformAlgebra, NormalisesAnglesIntoOneTurn)
{
    const struct {
        double in, out;
    } cases[] = {{-90, 270}, {450, 90}, {360, 0}, {0, 0}, {-720.5, 359.5}, {30, 30}, {1e-20, 0}};
    for (const auto& c : cases)
        EXPECT_NEAR(Xfrm::ValidateRotation(c.in), c.out, 1e-9) << c.in;
    for (double a = -1000; a < 1000; a += 7.3) {
        const double v = Xfrm::ValidateRotation(a);
        EXPECT_GE(v, 0.0);
        EXPECT_LT(v, 360.0);
    }
}

TEST(TransformAlgebra, ComposesStates)
{
    const struct {
        bool flip;
        double rotation;
        bool tFlip;
        double tRotation;
        bool relative;
        bool outFlip;
        double outRotation;
    } cases[] = {
        {false, 30, true, 90, true, true, 60},
        {false, 30, false, 90, true, false, 120},
        {true, 30, true, 90, true, false, 60},
        {true, 300, false, 90, true, true, 30},
        {true, 300, false, 90, false, false, 90},
    };
    for (const auto& c : cases) {
        bool flip = c.flip;
        double rotation = c.rotation;
        Xfrm::DoStateTransform(&flip, &rotation, c.tFlip, c.tRotation, c.relative);
        EXPECT_EQ(flip, c.outFlip);
        EXPECT_NEAR(rotation, c.outRotation, 1e-9);
    }
}

// For every source state and every absolute target, the relative transform
// applied to the source state reaches the target.
TEST(TransformAlgebra, TheRelativeTransformOfAnAbsoluteTargetReachesIt)
{
    for (bool sourceFlip : {false, true}) {
        for (bool targetFlip : {false, true}) {
            for (double sourceRotation : {0.0, 30.0, 90.0, 200.0, 270.0}) {
                for (double targetRotation : {0.0, 45.0, 90.0, 180.0, 333.0}) {
                    bool flip = sourceFlip;
                    double rotation = sourceRotation;
                    Xfrm::GetRelativeTransform(&flip, &rotation, targetFlip, targetRotation, false);
                    bool state = sourceFlip;
                    double stateRotation = sourceRotation;
                    Xfrm::DoStateTransform(&state, &stateRotation, flip, rotation, true);
                    EXPECT_EQ(state, targetFlip);
                    EXPECT_NEAR(std::fmod(stateRotation - targetRotation + 720.0, 360.0), 0.0, 1e-9)
                        << sourceFlip << sourceRotation << targetFlip << targetRotation;
                }
            }
        }
    }
    // Relative mode hands the setting through.
    bool flip = true;
    double rotation = 77;
    Xfrm::GetRelativeTransform(&flip, &rotation, false, 90, true);
    EXPECT_FALSE(flip);
    EXPECT_EQ(rotation, 90.0);
}

TEST(TransformGeometry, OutputSizes)
{
    const struct {
        double rotation;
        int32_t w, h;
    } cases[] = {{0, 300, 200}, {90, 200, 300}, {180, 300, 200}, {270, 200, 300}, {-90, 200, 300},
                 {30, 359, 323}, {330, 359, 323}, {45, 353, 353}, {90.00000000005, 200, 300}};
    for (const auto& c : cases) {
        int32_t w = 300, h = 200;
        Xfrm::GetFilteredSize(&w, &h, c.rotation);
        EXPECT_EQ(w, c.w) << c.rotation;
        EXPECT_EQ(h, c.h) << c.rotation;
    }
}

TEST(TransformGeometry, PointsMapAsPixelSquares)
{
    const struct {
        bool flip;
        double rotation;
        int32_t x, y, fx, fy;
    } cases[] = {
        {false, 90, 0, 0, 199, 0},   {false, 180, 0, 0, 299, 199}, {false, 270, 0, 0, 0, 299},
        {true, 0, 0, 0, 299, 0},     {true, 90, 0, 0, 199, 299},  {false, 0, 17, 9, 17, 9},
        {false, 90, 299, 199, 0, 299},
    };
    for (const auto& c : cases) {
        int32_t x = c.x, y = c.y;
        Xfrm::FilterPoint(&x, &y, 300, 200, c.flip, c.rotation);
        EXPECT_EQ(x, c.fx) << c.flip << " " << c.rotation;
        EXPECT_EQ(y, c.fy) << c.flip << " " << c.rotation;
        // And back to where it came from.
        Xfrm::DefilterPoint(&x, &y, 300, 200, c.flip, c.rotation);
        EXPECT_EQ(x, c.x) << c.flip << " " << c.rotation;
        EXPECT_EQ(y, c.y) << c.flip << " " << c.rotation;
    }
}

TEST(TransformGeometry, GeneralAnglesMapTheWholeSourceOntoTheOutput)
{
    for (double rotation : {30.0, 120.0, 200.0, 300.0}) {
        for (bool flip : {false, true}) {
            VorlatDblRect r;
            r.left = 0;
            r.top = 0;
            r.right = 300;
            r.bottom = 200;
            Xfrm::FilterRect(&r, 300, 200, flip, rotation);
            int32_t w = 300, h = 200;
            Xfrm::GetFilteredSize(&w, &h, rotation);
            EXPECT_NEAR(r.left, 0.0, 1e-9) << rotation;
            EXPECT_NEAR(r.top, 0.0, 1e-9) << rotation;
            EXPECT_EQ(static_cast<int32_t>(r.right), w) << rotation;
            EXPECT_EQ(static_cast<int32_t>(r.bottom), h) << rotation;
            // Back again, the bounding box holds the source rectangle.
            VorlatDblRect part;
            part.left = 100.5;
            part.top = 20;
            part.right = 130;
            part.bottom = 90.25;
            VorlatDblRect round = part;
            Xfrm::FilterRect(&round, 300, 200, flip, rotation);
            Xfrm::DefilterRect(&round, 300, 200, flip, rotation);
            EXPECT_LE(round.left, part.left + 1e-9);
            EXPECT_LE(round.top, part.top + 1e-9);
            EXPECT_GE(round.right, part.right - 1e-9);
            EXPECT_GE(round.bottom, part.bottom - 1e-9);
            EXPECT_GT(round.left, part.left - 40);
        }
    }
}

class TransformFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(16384);
        source = MakeImage(manager, 32, 300, 200, Pattern(300 * 200 * 3, 4));
        xfrm = new Xfrm(manager);
        KOLVEX_OK(VorlatDataConnect(source, xfrm));
        KOLVEX_OK(VorlatDataConnect(xfrm, &recorder));
    }
    void TearDown() override
    {
        delete xfrm;
        source->Destroy();
        manager->Destroy();
    }
    void Size(int32_t* w, int32_t* h) { KOLVEX_OK(xfrm->GetSize(w, h)); }

    IVorlatManager* manager = nullptr;
    IVorlatImage* source = nullptr;
    Xfrm* xfrm = nullptr;
    Recorder recorder;
};

TEST_F(TransformFilterTest, SettersNormaliseAndFollowPassThrough)
{
    EXPECT_EQ(xfrm->GetFilterCode(), VorlatFourCC("xfrm"));
    EXPECT_STREQ(xfrm->GetFilterDescription(), "Flip and Rotate Transform");
    KOLVEX_OK(xfrm->RotateCW(450, false));
    EXPECT_EQ(xfrm->GetFilterRotation(), 90.0);
    int32_t w = 0, h = 0;
    Size(&w, &h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 300);
    KOLVEX_OK(xfrm->RotateCCW(90, false));
    EXPECT_EQ(xfrm->GetFilterRotation(), 0.0);
    Size(&w, &h);
    EXPECT_EQ(w, 300);  // pass-through again
    KOLVEX_OK(xfrm->SetTransform(false, 30, true, false));
    KOLVEX_OK(xfrm->FlipHorz(false));
    EXPECT_TRUE(xfrm->GetFilterFlip());
    EXPECT_NEAR(xfrm->GetFilterRotation(), 330, 1e-9);
    KOLVEX_OK(xfrm->SetTransform(false, 30, true, false));
    KOLVEX_OK(xfrm->FlipVert(false));
    EXPECT_TRUE(xfrm->GetFilterFlip());
    EXPECT_NEAR(xfrm->GetFilterRotation(), 150, 1e-9);
    EXPECT_TRUE(recorder.heard.empty());
}

TEST_F(TransformFilterTest, SetTransformComparesBeforeNormalising)
{
    KOLVEX_OK(xfrm->SetTransform(false, 360, true, true));
    EXPECT_EQ(xfrm->GetFilterRotation(), 0.0);
    EXPECT_EQ(recorder.Codes(), std::vector<int32_t>{kVorlatNotifyTransform});
    KOLVEX_OK(xfrm->SetTransform(false, 360, true, true));
    EXPECT_EQ(recorder.heard.size(), 2u);
    KOLVEX_OK(xfrm->SetTransform(false, 0, true, true));
    EXPECT_EQ(recorder.heard.size(), 2u);
}

TEST_F(TransformFilterTest, TellsTheOldAndNewStateAndSize)
{
    struct Listener : IVorlatDataDestination {
        IVorlatDataDestination::ChangeTransform last{};
        int heard = 0;
        IVorlatError* VorlatNotify(const IVorlatDataSource*, int32_t code, void* param) override
        {
            if (code == kVorlatNotifyTransform) {
                last = *static_cast<ChangeTransform*>(param);
                ++heard;
            }
            return nullptr;
        }
    } listener;
    KOLVEX_OK(VorlatDataConnect(xfrm, &listener));
    KOLVEX_OK(xfrm->RotateCW(30, true));
    ASSERT_EQ(listener.heard, 1);
    EXPECT_FALSE(listener.last.oldFlip);
    EXPECT_EQ(listener.last.oldRotation, 0.0);
    EXPECT_NEAR(listener.last.newRotation, 30.0, 1e-9);
    EXPECT_EQ(listener.last.oldWidth, 300);
    EXPECT_EQ(listener.last.oldHeight, 200);
    EXPECT_EQ(listener.last.newWidth, 359);
    EXPECT_EQ(listener.last.newHeight, 323);
    KOLVEX_OK(VorlatDataDisconnect(xfrm, &listener));
}

TEST_F(TransformFilterTest, MapsThroughTheRelativeTransform)
{
    KOLVEX_OK(xfrm->SetTransform(false, 90, true, false));
    int32_t x = 0, y = 0;
    KOLVEX_OK(xfrm->FilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 199);
    EXPECT_EQ(y, 0);
    KOLVEX_OK(xfrm->DefilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    RECT r{0, 0, 10, 20};
    KOLVEX_OK(xfrm->FilterRect(&r, nullptr, 0));
    EXPECT_EQ(r.left, 180);
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 10);
    // An absolute setting that matches the source's state maps nothing.
    KOLVEX_OK(source->SetTransform(false, 90, false));
    KOLVEX_OK(xfrm->SetTransform(false, 90, false, false));
    x = 5;
    y = 6;
    KOLVEX_OK(xfrm->FilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    bool flip = true;
    double rotation = 1;
    KOLVEX_OK(xfrm->GetFlip(&flip));
    KOLVEX_OK(xfrm->GetRotation(&rotation));
    EXPECT_FALSE(flip);
    EXPECT_EQ(rotation, 90.0);
}

TEST_F(TransformFilterTest, AnAbsoluteIdentityUndoesTheSourcesState)
{
    KOLVEX_OK(source->SetTransform(true, 90, false));
    KOLVEX_OK(xfrm->SetTransform(false, 0, false, false));
    int32_t w = 0, h = 0;
    Size(&w, &h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 300);
    bool flip = true;
    double rotation = 1;
    KOLVEX_OK(xfrm->GetFlip(&flip));
    KOLVEX_OK(xfrm->GetRotation(&rotation));
    EXPECT_FALSE(flip);
    EXPECT_EQ(rotation, 0.0);
}

TEST_F(TransformFilterTest, SourceChangesAreMappedOnTheWayDown)
{
    KOLVEX_OK(xfrm->SetTransform(false, 90, true, false));
    KOLVEX_OK(source->SetSize(400, 100));
    ASSERT_FALSE(recorder.heard.empty());
    EXPECT_EQ(recorder.heard.back().code, kVorlatNotifySize);
    EXPECT_EQ(recorder.heard.back().size.oldWidth, 200);
    EXPECT_EQ(recorder.heard.back().size.oldHeight, 300);
    EXPECT_EQ(recorder.heard.back().size.newWidth, 100);
    EXPECT_EQ(recorder.heard.back().size.newHeight, 400);
}

TEST_F(TransformFilterTest, RefusesNonFiniteAngles)
{
    KOLVEX_OK(xfrm->SetTransform(false, 45, true, false));
    EXPECT_EQ(Deepest(xfrm->SetTransform(false, std::nan(""), true, true)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(xfrm->RotateCW(INFINITY, true)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(xfrm->RotateCCW(-INFINITY, true)), kKolvexErrBadSetting);
    EXPECT_EQ(xfrm->GetFilterRotation(), 45.0);
    EXPECT_TRUE(recorder.heard.empty());
}

} // namespace
