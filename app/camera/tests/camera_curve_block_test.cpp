// The camera's tone-curve block into a curve group and back.
#include <gtest/gtest.h>

#include <vector>

#include "app/camera/curve/camera_curve_block.h"
#include "app/core/curves/lut_channel.h"
#include "app/core/curves/lut_group.h"
#include "app/core/engine/seams/camera_curve.h"

namespace {

std::vector<uint8_t> Block(uint8_t low, uint8_t high, uint8_t outLow, uint8_t outHigh, uint8_t gamma,
                           uint8_t hundredths, std::vector<std::pair<uint8_t, uint8_t>> points)
{
    std::vector<uint8_t> block = {'I', '_', low, high, outLow, outHigh, gamma, hundredths,
                                  static_cast<uint8_t>(points.size())};
    for (const auto& [x, y] : points)
        block.insert(block.end(), {x, y});
    return block;
}

struct Group {
    CQzLutGroup group;
    Group()
    {
        group.AddChannel(0, {}, {}, {});
        Master()->AddPoint(0.4, 0.9);  // something for the reset to undo
    }
    CQzLutChannel* Master() { return group.GetToneChannelById(0); }
};

}  // namespace

TEST(CameraCurveBlock, LevelsAreClampedInOrderAndGammaIsWholePlusHundredths)
{
    Group g;
    const std::vector<uint8_t> block = Block(200, 100, 10, 250, 1, 0, {{0, 0}, {128, 200}, {255, 255}});
    ASSERT_EQ(0, CameraCurveBlockToLutGroup(&g.group, block.data(), static_cast<uint32_t>(block.size())));
    const LutParameterSet& set = g.Master()->GetWorkingSet();
    EXPECT_DOUBLE_EQ(200 / 255.0, set.inputBlack);
    EXPECT_DOUBLE_EQ(200 / 255.0 + 0.01, set.inputWhite);
    EXPECT_DOUBLE_EQ(10 / 255.0, set.outputBlack);
    EXPECT_DOUBLE_EQ(250 / 255.0, set.outputWhite);
    EXPECT_DOUBLE_EQ(1.0, set.gamma);
    ASSERT_EQ(3u, set.points.size());
    EXPECT_DOUBLE_EQ(200 / 255.0, set.points[1].y);

    // A low level above the current high is held just below it.
    const std::vector<uint8_t> high = Block(255, 255, 255, 0, 2, 50, {{0, 0}, {255, 255}});
    ASSERT_EQ(0, CameraCurveBlockToLutGroup(&g.group, high.data(), static_cast<uint32_t>(high.size())));
    EXPECT_DOUBLE_EQ(0.99, g.Master()->GetWorkingSet().inputBlack);
    EXPECT_DOUBLE_EQ(1.0, g.Master()->GetWorkingSet().inputWhite);
    EXPECT_DOUBLE_EQ(0.99, g.Master()->GetWorkingSet().outputBlack);
    EXPECT_DOUBLE_EQ(1.0, g.Master()->GetWorkingSet().outputWhite);
    EXPECT_DOUBLE_EQ(2.5, g.Master()->GetWorkingSet().gamma);
}

TEST(CameraCurveBlock, BlocksThatAreNoCurveLeaveTheGroupReset)
{
    std::vector<std::pair<uint8_t, uint8_t>> points21;
    for (uint8_t i = 0; i < 21; ++i)
        points21.push_back({static_cast<uint8_t>(i * 12), static_cast<uint8_t>(i * 12)});
    const std::vector<uint8_t> good = Block(0, 255, 0, 255, 1, 0, {{0, 0}, {100, 150}, {255, 255}});
    std::vector<uint8_t> wrongMark = good;
    wrongMark[1] = '-';
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        uint32_t length;  // UINT32_MAX: the block's own
    } cases[] = {
        {"21 points", Block(0, 255, 0, 255, 1, 0, points21), UINT32_MAX},
        {"one point", Block(0, 255, 0, 255, 1, 0, {{0, 0}}), UINT32_MAX},
        {"not a curve", wrongMark, UINT32_MAX},
        {"gamma past the limits", Block(0, 255, 0, 255, 250, 0, {{0, 0}, {255, 255}}), UINT32_MAX},
        {"gamma 0", Block(0, 255, 0, 255, 0, 0, {{0, 0}, {255, 255}}), UINT32_MAX},
        {"the last point cut off", good, static_cast<uint32_t>(good.size() - 1)},
        {"the header cut off", good, 8},
        {"no bytes", good, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Group g;
        const uint32_t length = c.length == UINT32_MAX ? static_cast<uint32_t>(c.block.size()) : c.length;
        EXPECT_EQ(-125, CameraCurveBlockToLutGroup(&g.group, c.block.data(), length));
        EXPECT_EQ(2, g.Master()->GetPointCount());
        EXPECT_EQ(1.0, g.Master()->GetWorkingSet().gamma);
    }
    Group g;
    EXPECT_EQ(-125, CameraCurveBlockToLutGroup(&g.group, nullptr, 64));
    EXPECT_EQ(2, g.Master()->GetPointCount());
    EXPECT_EQ(-125, CameraCurveBlockToLutGroup(nullptr, good.data(), static_cast<uint32_t>(good.size())));
}

TEST(CameraCurveBlock, AChannelWrittenAsABlockReadsBack)
{
    Group g;
    CQzLutChannel* master = g.Master();
    LutParameterSet& set = master->EditWorkingSet();
    set.inputBlack = 0.1;
    set.inputWhite = 0.9;
    set.outputBlack = 0.05;
    set.outputWhite = 0.95;
    master->SetGamma(1.37);
    uint8_t block[kCameraCurveBlockBytes];
    ASSERT_EQ(0, CameraCurveBlockFromChannel(*master, block));
    EXPECT_EQ('I', block[0]);
    EXPECT_EQ(26, block[2]);  // 0.1 x 255 + 0.5
    EXPECT_EQ(1, block[6]);
    EXPECT_EQ(37, block[7]);
    EXPECT_EQ(3, block[8]);
    Group back;
    ASSERT_EQ(0, CameraCurveBlockToLutGroup(&back.group, block, kCameraCurveBlockBytes));
    EXPECT_NEAR(1.37, back.Master()->GetWorkingSet().gamma, 1e-9);
    EXPECT_NEAR(0.9, back.Master()->GetWorkingSet().inputWhite, 0.5 / 255);

    master->SetMaxPoints(0);
    for (int i = 1; i < 20; ++i)
        master->AddPoint(i / 21.0, 0.5);
    ASSERT_EQ(22, master->GetPointCount());
    EXPECT_EQ(-125, CameraCurveBlockFromChannel(*master, block));
}

TEST(CameraCurveBlock, TheImagePipelineUsesThisConversionOnceInstalled)
{
    Group g;
    const std::vector<uint8_t> block = Block(0, 255, 0, 255, 1, 50, {{0, 0}, {255, 255}});
    EXPECT_EQ(-242, SetLutGroupFromCameraCurve(&g.group, block.data(), static_cast<uint32_t>(block.size())));
    InstallCameraCurveConverter();
    EXPECT_EQ(0, SetLutGroupFromCameraCurve(&g.group, block.data(), static_cast<uint32_t>(block.size())));
    EXPECT_DOUBLE_EQ(1.5, g.Master()->GetWorkingSet().gamma);
    EXPECT_EQ(-125, SetLutGroupFromCameraCurve(&g.group, block.data(), 5));
    SetCameraCurveConverter(nullptr);
}
