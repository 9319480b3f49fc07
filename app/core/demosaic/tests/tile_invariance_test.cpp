// Tiles made on demand in a chain, and a process run, against the whole-image
// entry point, bit for bit: catches ring, margin and phase faults at tile seams.
#include <memory>
#include <tuple>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/demosaic/tests/demosaic_test_util.h"

using namespace demosaic_test;

namespace {

// Filter, resampling, crop.
class TileInvarianceTest : public ::testing::TestWithParam<std::tuple<bool, bool, bool>> {
protected:
    std::unique_ptr<CDeBayerBase> Make(IVorlatManager* manager, const Mosaic& m)
    {
        const auto [highQuality, resample, crop] = GetParam();
        std::unique_ptr<CDeBayerBase> filter;
        if (highQuality)
            filter.reset(new CDeBayerSingleHQ4Filter(manager));
        else
            filter.reset(new CDeBayerSingleFilter(manager));
        const RECT source{0, 0, m.width, m.height};
        EXPECT_EQ(Deepest(filter->SetResample(resample, &source, false)), 0);
        // An odd origin that puts every phase at the tile seams, and a crop that sticks out below.
        if (crop) {
            EXPECT_EQ(Deepest(filter->SetCropRect(RECT{31, 17, 31 + 150, 17 + 400}, &source, false)), 0);
        }
        return filter;
    }

    // Several tiles across and down in both tile sizes; a user curve on red.
    Mosaic mosaic = Scene(231, 173);
};

TEST_P(TileInvarianceTest, TilesAndProcessRunsEqualTheWholeImage)
{
    std::vector<uint16_t> curve(1024);
    for (int32_t i = 0; i < 1024; ++i)
        curve[i] = static_cast<uint16_t>(std::min(4095, i * 5));
    for (int32_t tileBytes : {16384, 65536}) {
        IVorlatManager* manager = MakeManager(tileBytes);
        IVorlatImage* image = MakeImage(manager, mosaic);
        {
            auto filter = Make(manager, mosaic);
            DEMOSAIC_OK(filter->SetCurves(10, 12, curve.data(), nullptr, nullptr, false));
            int32_t width = 0, height = 0;
            const std::vector<uint16_t> whole = Reference(*filter, mosaic, &width, &height);

            IVorlatFilterChain* chain = nullptr;
            DEMOSAIC_OK(manager->CreateFilterChain(&chain));
            DEMOSAIC_OK(chain->AddFilter(filter.get(), -1));
            DEMOSAIC_OK(chain->UseSource(image, nullptr));
            int32_t w = 0, h = 0;
            const std::vector<uint16_t> tiled = ReadAll(chain, &w, &h);
            EXPECT_EQ(w, width);
            EXPECT_EQ(h, height);
            ASSERT_EQ(tiled.size(), whole.size());
            for (size_t i = 0; i < whole.size(); ++i)
                ASSERT_EQ(tiled[i], whole[i]) << tileBytes << "-byte tiles, pixel " << (i / 3) % width << ","
                                              << (i / 3) / width << " channel " << i % 3;

            // Once more through the process protocol into an image of its own.
            IVorlatImage* target = nullptr;
            DEMOSAIC_OK(manager->CreateImage(&target, kVorlatUsageKeep));
            const IVorlatDataSource* sources[] = {image};
            int32_t id = 0;
            DEMOSAIC_OK(filter->BeginProcess(&id, sources, 1, target));
            for (int32_t step = 0; step < 10000; ++step) {
                int32_t done = 0, total = 0;
                DEMOSAIC_OK(filter->ExecuteProcess(id, &done, &total));
                if (total == 0)
                    break;
            }
            DEMOSAIC_OK(filter->EndProcess(id));
            const std::vector<uint16_t> processed = ReadAll(target, &w, &h);
            EXPECT_EQ(w, width);
            ASSERT_EQ(processed.size(), whole.size());
            for (size_t i = 0; i < whole.size(); ++i)
                ASSERT_EQ(processed[i], whole[i]) << tileBytes << "-byte process run, pixel " << (i / 3) % width
                                                  << "," << (i / 3) / width << " channel " << i % 3;
            target->Destroy();
            IVorlatFilter* taken = nullptr;
            DEMOSAIC_OK(chain->ExtractFilter(0, &taken));
            chain->Destroy();
        }
        image->Destroy();
        manager->Destroy();
    }
}

TEST(DeBayerStrips, WideMosaicsGoInStripsThatEqualTheTiles)
{
    // Wider than the high-quality rings take in one strip, with and without resampling.
    const Mosaic m = Scene(2800, 40);
    IVorlatManager* manager = MakeManager(65536);
    IVorlatImage* image = MakeImage(manager, m);
    for (bool resample : {false, true}) {
        CDeBayerSingleHQ4Filter filter(manager);
        DEMOSAIC_OK(filter.SetResample(resample, nullptr, false));
        int32_t width = 0;
        const std::vector<uint16_t> whole = Reference(filter, m, &width);
        DEMOSAIC_OK(VorlatDataConnect(image, &filter));
        const std::vector<uint16_t> tiled = ReadAll(&filter);
        ASSERT_EQ(tiled.size(), whole.size());
        for (size_t i = 0; i < whole.size(); ++i)
            ASSERT_EQ(tiled[i], whole[i]) << "pixel " << (i / 3) % width << "," << (i / 3) / width;
        DEMOSAIC_OK(VorlatDataDisconnect(image, &filter));
    }
    image->Destroy();
    manager->Destroy();
}

INSTANTIATE_TEST_SUITE_P(FiltersResamplingCrop, TileInvarianceTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool(), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<bool, bool, bool>>& info) {
                             return std::string(std::get<0>(info.param) ? "HighQuality" : "SinglePass") +
                                    (std::get<1>(info.param) ? "Resampled" : "") +
                                    (std::get<2>(info.param) ? "Cropped" : "");
                         });

} // namespace
