// Mapping a view point back through a filter chain to the input of one filter.
#include <cstdlib>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/demosaic/map_point.h"
#include "app/core/demosaic/tests/demosaic_test_util.h"
#include "filters/Kolvex.h"

using namespace demosaic_test;

namespace {

// The chain frees the filters it was given; every one here is a filter base.
void DeleteFilter(IVorlatFilter* filter) { delete static_cast<CVorlatFilterBase*>(filter); }

// A crop whose way back fails.
class BrokenCrop : public CCropFilter {
public:
    using CCropFilter::CCropFilter;
    using CCropFilter::DefilterPoint;
    IVorlatError* DefilterPoint(int32_t*, int32_t*, const IVorlatDataSource**, int32_t) const override
    {
        return IVorlatError::Add(nullptr, 77, 1, kVorlatFromSystem, kVorlatErrState);
    }
};

// A chain shaped like the display chain's geometry: two demosaic filters (the
// high-quality one off), an enlargement, a crop, a quarter turn and a second crop.
class MapPointTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(16384);
        image = MakeImage(manager, Scene(300, 200));
        hq = new CDeBayerSingleHQ4Filter(manager);
        single = new CDeBayerSingleFilter(manager);
        scale = new CVorlatFilterScale(manager, 1);
        crop = new CCropFilter(manager);
        transform = new CVorlatFilterTransform(manager);
        crop2 = new CCropFilter(manager);
        DEMOSAIC_OK(manager->CreateFilterChain(&chain));
        for (IVorlatFilter* f : std::initializer_list<IVorlatFilter*>{hq, single, scale, crop, transform, crop2})
            DEMOSAIC_OK(chain->AddFilterAutoDelete(f, DeleteFilter, -1));
        DEMOSAIC_OK(chain->UseSource(image, nullptr));
        DEMOSAIC_OK(hq->Enable(false, false));
        DEMOSAIC_OK(single->SetResample(true, nullptr, false));
        DEMOSAIC_OK(single->SetCropRect(RECT{11, 5, 400, 250}, nullptr, false));
        DEMOSAIC_OK(scale->SetScale(2.0, false));
        DEMOSAIC_OK(crop->SetCrop(RECT{30, 40, 500, 400}, false));
        DEMOSAIC_OK(transform->SetTransform(false, 90, true, false));
        DEMOSAIC_OK(crop2->SetCrop(RECT{3, 7, 300, 400}, false));
    }
    void TearDown() override
    {
        chain->Destroy();
        image->Destroy();
        manager->Destroy();
    }
    IVorlatManager* manager = nullptr;
    IVorlatImage* image = nullptr;
    IVorlatFilterChain* chain = nullptr;
    CDeBayerSingleHQ4Filter* hq = nullptr;
    CDeBayerSingleFilter* single = nullptr;
    CVorlatFilterScale* scale = nullptr;
    CCropFilter* crop = nullptr;
    CVorlatFilterTransform* transform = nullptr;
    CCropFilter* crop2 = nullptr;
};

TEST_F(MapPointTest, PointsOfTheViewMapBackToTheMosaicWithinAPixel)
{
    int32_t checked = 0;
    for (int32_t x = 30; x < 280; x += 23) {
        for (int32_t y = 30; y < 190; y += 17) {
            int32_t vx = x, vy = y;
            DEMOSAIC_OK(chain->ConvertPoint(&vx, &vy, 0, chain->GetFilterCount() - 1));
            int32_t index = -1;
            DEMOSAIC_OK(MapPointToFilter(chain, &vx, &vy, single, &index));
            EXPECT_EQ(index, 1);
            EXPECT_LE(std::abs(vx - x), 1) << x << "," << y;
            EXPECT_LE(std::abs(vy - y), 1) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 50);
}

TEST_F(MapPointTest, WalksStopAtTheFilterSoughtOrRunPastTheFirst)
{
    const int32_t count = chain->GetFilterCount();
    // The same point mapped back by each filter in turn, from one down to another.
    auto back = [&](int32_t from, int32_t to) {
        int32_t p[2] = {123, 45};
        for (int32_t i = from; i >= to; --i)
            EXPECT_EQ(Deepest(chain->GetFilter(i)->DefilterPoint(&p[0], &p[1], nullptr, 0)), 0);
        return std::vector<int32_t>{p[0], p[1]};
    };
    struct Case {
        const char* what;
        int32_t code, id, start;
        int32_t index;
        std::vector<int32_t> point;
    } cases[] = {
        {"no filter of that code", VorlatFourCC("none"), 0, -1, -1, back(count - 1, 0)},
        {"id 0: the crop nearest the end", VorlatFourCC("Crop"), 0, -1, 5, back(count - 1, 5)},
        {"the first crop by its id", VorlatFourCC("Crop"), crop->GetFilterID(), -1, 3, back(count - 1, 3)},
        {"a start beyond the count is the end", VorlatFourCC("db1s"), 0, 100, 1, back(count - 1, 1)},
        {"a start of the count is the end", VorlatFourCC("scal"), 0, count, 2, back(count - 1, 2)},
        {"below a start of 3 only filters 2 to 0", VorlatFourCC("Crop"), 0, 3, -1, back(2, 0)},
        {"the disabled filter maps like its source", VorlatFourCC("db1g"), 0, -1, 0, back(count - 1, 0)},
    };
    for (const Case& c : cases) {
        int32_t x = 123, y = 45, index = c.start;
        DEMOSAIC_OK(MapPointThroughChain(chain, &x, &y, c.code, c.id, &index));
        EXPECT_EQ(index, c.index) << c.what;
        EXPECT_EQ((std::vector<int32_t>{x, y}), c.point) << c.what;
    }
}

TEST_F(MapPointTest, AFailingFilterEndsTheWalkWithoutWritingBack)
{
    BrokenCrop* broken = new BrokenCrop(manager);
    DEMOSAIC_OK(chain->AddFilterAutoDelete(broken, DeleteFilter, 3));
    int32_t x = 10, y = 20, index = -1;
    IVorlatError* err = MapPointToFilter(chain, &x, &y, single, &index);
    ASSERT_NE(err, nullptr);
    char where[32];
    err->Location(where);
    EXPECT_STREQ(where, "0:31");
    EXPECT_EQ(Deepest(err), kVorlatErrState);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    EXPECT_EQ(index, -1);
    // Above the broken filter the walk still succeeds.
    index = -1;
    DEMOSAIC_OK(MapPointThroughChain(chain, &x, &y, VorlatFourCC("xfrm"), 0, &index));
    EXPECT_EQ(index, 5);
    EXPECT_EQ(Deepest(MapPointToFilter(chain, &x, &y, nullptr, &index)), kVorlatErrState);
}

} // namespace
