#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/palettes/base/apply_flags.h"
#include "app/palettes/testing/palette_test_host.h"
#include "app/palettes/tool_color_adjust.h"
#include "app/palettes/tool_curves.h"
#include "app/palettes/tool_exposure_adjust.h"
#include "app/palettes/tool_image_enhancements.h"
#include "app/palettes/tool_noise_reduction.h"
#include "app/palettes/tool_size_res.h"
#include "app/palettes/tool_unsharp_mask.h"
#include "app/palettes/tool_wb_adjust.h"
#include "testing/gui_test.h"

namespace {

using palettetest::CPaletteTestHost;
using palettetest::TestImage;

namespace fs = std::filesystem;

// Makes channel 1 of a curve group differ from neutral.
void Bend(CQzLutGroup& group)
{
    group.GetToneChannelById(1)->SetGamma(1.7);
}

class AdjustmentPaletteTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        host.Start();
        for (PaletteKind kind : {PaletteKind::Curves, PaletteKind::ColourBalance, PaletteKind::UnsharpMask,
                                 PaletteKind::AdvancedRaw, PaletteKind::WhiteBalance, PaletteKind::NoiseReduction})
            *GlobalApplyFlag(kind) = false;
        host.Register(PaletteKind::Curves, &curves);
        host.Register(PaletteKind::ColourBalance, &colour);
        host.Register(PaletteKind::UnsharpMask, &usm);
        host.Register(PaletteKind::SizeRes, &sizeRes);
        host.Register(PaletteKind::AdvancedRaw, &exposure);
        host.Register(PaletteKind::WhiteBalance, &wb);
        host.Register(PaletteKind::NoiseReduction, &nr);
        folder = fs::temp_directory_path() / ("palette_test_" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        for (CToolBase* palette : std::initializer_list<CToolBase*>{&curves, &colour, &usm, &sizeRes, &exposure,
                                                                     &wb, &nr, &panel})
            if (palette->IsOpen())
                palette->DestroyWindow();
        std::error_code ignored;
        fs::permissions(folder / "locked.qcv", fs::perms::owner_all, ignored);
        fs::remove_all(folder, ignored);
        host.Stop();
        GuiTest::TearDown();
    }
    std::string Path(const char* name) const { return (folder / name).string(); }

    CPaletteTestHost host;
    CToolCurves curves;
    CToolColorAdjust colour;
    CToolUnsharpMask usm;
    CToolSizeRes sizeRes;
    CToolExposureAdjust exposure;
    CToolWBAdjust wb;
    CToolNoiseReduction nr;
    CToolImageEnhancements panel;
    fs::path folder;
};

TEST_F(AdjustmentPaletteTest, EditsInQuickSuccessionApplyOnceAfterTheQuietTime)
{
    struct Case {
        CAdjustmentPalette* palette;
        uint32_t hint, period, quiet;
    } cases[] = {{&curves, 1, 100, 333}, {&colour, 2, 250, 500}, {&wb, 256, 250, 500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hint);
        TestImage& image = host.AddImage(32);
        ASSERT_TRUE(c.palette->Create(&host.Frame()));
        c.palette->SetTarget(1, &image.record);
        host.now = 0xFFFFFF00;  // the tick count wraps while the user edits
        for (int edit = 0; edit < 10; ++edit) {
            c.palette->RequestApply(true);
            host.now += 30;
            if (host.now % c.period < 30)
                c.palette->SendMessage(WM_TIMER, kPaletteApplyTimerId, 0);
        }
        const uint32_t lastEdit = host.now - 30;
        EXPECT_TRUE(image.view->updates.empty()) << "nothing while the user keeps editing";
        EXPECT_TRUE(c.palette->ApplyPending());
        for (int tick = 0; tick < 20 && image.view->updates.empty(); ++tick) {
            host.now += c.period;
            c.palette->SendMessage(WM_TIMER, kPaletteApplyTimerId, 0);
        }
        ASSERT_EQ(1u, image.view->updates.size());
        EXPECT_EQ(c.hint, image.view->updates[0].hints);
        EXPECT_GE(image.view->updates[0].at - lastEdit, c.quiet);
        EXPECT_LT(image.view->updates[0].at - lastEdit, c.quiet + c.period + 30);
        EXPECT_FALSE(c.palette->ApplyPending());
        c.palette->DestroyWindow();
    }
}

TEST_F(AdjustmentPaletteTest, WithoutItsWindowAPaletteAppliesAtOnce)
{
    TestImage& image = host.AddImage();
    curves.SetTarget(1, &image.record);
    curves.RequestApply(true);
    ASSERT_EQ(1u, image.view->updates.size());
    EXPECT_EQ(1u, image.view->updates[0].hints);

    // Noise Reduction and Size/Resolution never wait.
    ASSERT_TRUE(nr.Create(&host.Frame()));
    ASSERT_TRUE(sizeRes.Create(&host.Frame()));
    nr.SetTarget(1, &image.record);
    sizeRes.SetTarget(1, &image.record);
    nr.RequestApply(true);
    sizeRes.RequestApply(true);
    ASSERT_EQ(3u, image.view->updates.size());
    EXPECT_EQ(1024u, image.view->updates[1].hints);
    EXPECT_EQ(32u, image.view->updates[2].hints);

    // No record, or a record without a view: nothing.
    TestImage& hidden = host.AddImage(32, false);
    curves.SetTarget(1, &hidden.record);
    curves.RequestApply(false);
    curves.SetTarget(0, nullptr);
    curves.RequestApply(false);
    EXPECT_EQ(3u, image.view->updates.size());
}

TEST_F(AdjustmentPaletteTest, PendingApplyReachesItsImageBeforeTheWindowGoesOrTheTargetChanges)
{
    TestImage& first = host.AddImage();
    TestImage& second = host.AddImage();
    ASSERT_TRUE(curves.Create(&host.Frame()));
    curves.SetTarget(1, &first.record);
    curves.RequestApply(true);
    curves.SetTarget(1, &second.record);
    ASSERT_EQ(1u, first.view->updates.size()) << "flushed to the old target";
    EXPECT_TRUE(second.view->updates.empty());

    curves.RequestApply(true);
    EXPECT_TRUE(second.view->updates.empty());
    curves.DestroyWindow();
    EXPECT_EQ(1u, second.view->updates.size()) << "flushed when the palette closes";

    // A view that went meanwhile gets nothing.
    ASSERT_TRUE(curves.Create(&host.Frame()));
    curves.RequestApply(true);
    second.record.view = nullptr;
    curves.SetTarget(0, nullptr);
    EXPECT_EQ(1u, second.view->updates.size());
}

TEST_F(AdjustmentPaletteTest, TargetStatesFollowCountAndImageKind)
{
    struct Case {
        const char* what;
        CAdjustmentPalette* palette;
        int32_t count;
        int32_t imageKind;
        bool hasTarget, canEdit, keepsRecord, flagAfter;
    } cases[] = {
        {"curves, no image", &curves, 0, 32, true, true, false, false},
        {"curves, one image", &curves, 1, 16, true, true, true, true},
        {"curves, several", &curves, 2, 32, false, true, false, false},
        {"white balance, raw", &wb, 1, 32, true, true, true, true},
        {"white balance, not raw", &wb, 1, 16, true, false, false, false},
        {"advanced raw, kind 33", &exposure, 1, 33, true, false, false, false},
        {"noise reduction, kind 33", &nr, 1, 33, true, true, true, true},
        {"noise reduction, not raw", &nr, 1, 16, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestImage& image = host.AddImage(c.imageKind);
        image.record.curvesOn = 1;
        image.record.whiteBalanceOn = 1;
        image.record.exposureOn = 1;
        image.record.noiseReductionOn = 1;
        image.record.whiteBalance.mode = 3;
        image.record.whiteBalance.gain1 = 2.5;
        image.record.exposure.exposureCompensation = 150;
        image.record.noiseReduction.lineNoiseReduction = 4;
        *GlobalApplyFlag(c.palette->GetKind()) = false;
        c.palette->SetTarget(c.count, c.count ? &image.record : nullptr);
        EXPECT_EQ(c.hasTarget, c.palette->HasTarget());
        EXPECT_EQ(c.canEdit, c.palette->CanEdit());
        EXPECT_EQ(c.keepsRecord ? &image.record : nullptr, c.palette->GetTargetRecord());
        EXPECT_EQ(c.flagAfter, c.palette->GetApplyFlag());
        EXPECT_EQ(c.count, c.palette->GetTargetCount());
    }
    // The refused non-raw images: White Balance and Advanced RAW show the
    // record's settings reset to neutral, Noise Reduction leaves them alone.
    TestImage& notRaw = host.AddImage(16);
    notRaw.record.whiteBalance.mode = 3;
    notRaw.record.whiteBalance.gain1 = 2.5;
    notRaw.record.exposure.exposureCompensation = 150;
    notRaw.record.noiseReduction.lineNoiseReduction = 4;
    wb.SetTarget(1, &notRaw.record);
    exposure.SetTarget(1, &notRaw.record);
    nr.SetTarget(1, &notRaw.record);
    EXPECT_EQ(2u, notRaw.record.whiteBalance.mode);
    EXPECT_EQ(1.0, notRaw.record.whiteBalance.gain1);
    EXPECT_EQ(1.0, notRaw.record.whiteBalance.gain2);
    EXPECT_EQ(&notRaw.record.whiteBalance, &wb.GetSettings());
    EXPECT_TRUE(notRaw.record.exposure.IsDefault());
    EXPECT_EQ(4u, notRaw.record.noiseReduction.lineNoiseReduction);
    wb.SetEnabled(true, nullptr);
    EXPECT_TRUE(notRaw.view->updates.empty()) << "a refused image is never applied";
}

TEST_F(AdjustmentPaletteTest, TurningCurvesOnTurnsColorBalanceOffAndRedrawsOnce)
{
    TestImage& image = host.AddImage();
    Bend(image.record.curves);
    image.record.colourBalanceOn = 1;
    curves.SetTarget(1, &image.record);
    colour.SetTarget(1, &image.record);
    ASSERT_TRUE(ColorBalanceApplyFlag);
    curves.SetEnabled(true, nullptr);
    EXPECT_TRUE(CurvesApplyFlag);
    EXPECT_EQ(1u, image.record.curvesOn);
    EXPECT_FALSE(ColorBalanceApplyFlag);
    EXPECT_EQ(0u, image.record.colourBalanceOn);
    ASSERT_EQ(1u, image.view->updates.size());
    EXPECT_EQ(1u, image.view->updates[0].hints);
    EXPECT_GE(host.refreshes, 1) << "the Image Adjustments panel shows the flags";

    // With a record only the record's flags move, and nothing is applied.
    TestImage& other = host.AddImage();
    other.record.curvesOn = 1;
    colour.SetEnabled(true, &other.record);
    EXPECT_EQ(1u, other.record.colourBalanceOn);
    EXPECT_EQ(0u, other.record.curvesOn);
    EXPECT_TRUE(CurvesApplyFlag);
    EXPECT_TRUE(other.view->updates.empty());
}

TEST_F(AdjustmentPaletteTest, ToggleRedrawsOnlyWhenTheCurveIsNotNeutral)
{
    TestImage& image = host.AddImage();
    curves.SetTarget(1, &image.record);
    curves.SetEnabled(true, nullptr);
    curves.SetEnabled(false, nullptr);
    EXPECT_TRUE(image.view->updates.empty()) << "a neutral curve changes nothing on screen";
    curves.SetEnabled(false, nullptr);
    EXPECT_TRUE(image.view->updates.empty()) << "off and unchanged";
    Bend(image.record.curves);
    curves.SetEnabled(true, nullptr);
    EXPECT_EQ(1u, image.view->updates.size());
    curves.SetEnabled(true, nullptr);
    EXPECT_EQ(2u, image.view->updates.size()) << "on and unchanged applies again";
}

TEST_F(AdjustmentPaletteTest, LoadAndResetReachEverySelectedImage)
{
    TestImage& a = host.AddImage(32);
    TestImage& b = host.AddImage(16);
    a.record.colourBalanceOn = 1;
    b.record.colourBalanceOn = 1;
    host.Select({&a, &b});
    curves.SetTarget(2, nullptr);
    CQzLutGroup source;
    source = a.record.curves;
    Bend(source);
    ASSERT_TRUE(curves.LoadSettings(nullptr, &source, true));
    for (TestImage* image : {&a, &b}) {
        EXPECT_NE(0u, image->record.curves.GetModifiedFlags(0xFFFFFFFF));
        EXPECT_EQ(1u, image->record.curvesOn);
        EXPECT_EQ(0u, image->record.colourBalanceOn) << "Curves on turns the record's Color Balance off";
    }
    EXPECT_NE(0u, curves.GetSettings().GetModifiedFlags(0xFFFFFFFF)) << "the own copy takes the first image's";
    EXPECT_TRUE(a.view->updates.empty()) << "no view is updated for the selection";

    curves.ResetSettings();
    EXPECT_EQ(0u, a.record.curves.GetModifiedFlags(0xFFFFFFFF));
    EXPECT_EQ(0u, b.record.curves.GetModifiedFlags(0xFFFFFFFF));
    EXPECT_EQ((std::vector<int>{0, 1}), host.sidecarsWritten) << "reset rewrites the sidecars";

    // Raw-only palettes load only into raw images, but reset every one; the
    // White Balance reset keeps each image's multipliers.
    b.record.whiteBalance.mode = 3;
    b.record.whiteBalance.gain1 = 2.0;
    wb.SetTarget(2, nullptr);
    CQzWBAdjustment daylight;
    daylight.mode = 3;
    daylight.gain1 = 1.5;
    wb.LoadSettings(nullptr, &daylight, true);
    EXPECT_EQ(1.5, a.record.whiteBalance.gain1);
    EXPECT_EQ(2.0, b.record.whiteBalance.gain1);
    wb.ResetSettings();
    EXPECT_EQ(2u, a.record.whiteBalance.mode);
    EXPECT_EQ(2u, b.record.whiteBalance.mode);
    EXPECT_EQ(1.5, a.record.whiteBalance.gain1);
    EXPECT_EQ(2.0, b.record.whiteBalance.gain1);

    // Noise Reduction rewrites no sidecar.
    host.sidecarsWritten.clear();
    nr.SetTarget(2, nullptr);
    nr.ResetSettings();
    EXPECT_TRUE(host.sidecarsWritten.empty());
}

TEST_F(AdjustmentPaletteTest, SettingsFilesRoundTripAndReportTheirFailures)
{
    TestImage& image = host.AddImage();
    Bend(image.record.curves);
    image.record.curvesOn = 1;
    curves.SetTarget(1, &image.record);
    const std::string saved = Path("bent.qcv");
    ASSERT_TRUE(curves.WriteSettingsFile(saved.c_str()));

    curves.ResetSettings();
    ASSERT_EQ(0u, image.record.curves.GetModifiedFlags(0xFFFFFFFF));
    curves.SetEnabled(false, nullptr);
    ASSERT_TRUE(curves.LoadSettings(saved.c_str(), nullptr, true));
    EXPECT_NE(0u, image.record.curves.GetModifiedFlags(0xFFFFFFFF));
    EXPECT_TRUE(CurvesApplyFlag) << "the stored flag";

    // The file of another palette, a missing file, a truncated file.
    const std::string colourFile = Path("colour.qca");
    colour.SetTarget(0, nullptr);
    ASSERT_TRUE(colour.WriteSettingsFile(colourFile.c_str()));
    const std::string missing = Path("missing.qcv");
    const std::string truncated = Path("short.qcv");
    {
        std::ifstream in(saved, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::ofstream(truncated, std::ios::binary).write(bytes.data(), 17);
    }
    {
        MessageBoxScript boxes{{"not a valid Curves file", IDOK},
                               {("Cannot open file " + missing).c_str(), IDOK},
                               {"not a valid Curves file", IDOK}};
        bool stored = false;
        bool flag = false;
        EXPECT_EQ(-234, curves.ReadSettingsFile(colourFile.c_str(), image.record.curves, &stored, &flag));
        EXPECT_EQ(-239, curves.ReadSettingsFile(missing.c_str(), image.record.curves, &stored, &flag));
        EXPECT_FALSE(curves.LoadSettings(truncated.c_str(), nullptr, true));
    }
    EXPECT_NE(0u, image.record.curves.GetModifiedFlags(0xFFFFFFFF)) << "failed reads leave the settings alone";
}

TEST_F(AdjustmentPaletteTest, AReadOnlySettingsFileIsRefusedAndKeptAsItWas)
{
    const std::string locked = Path("locked.qcv");
    std::ofstream(locked, std::ios::binary) << "the user's old file";
    ASSERT_TRUE(::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    TestImage& image = host.AddImage();
    Bend(image.record.curves);
    curves.SetTarget(1, &image.record);
    {
        MessageBoxScript boxes{{"cannot be created or opened for writing", IDOK}};
        EXPECT_FALSE(curves.WriteSettingsFile(locked.c_str()));
    }
    ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ifstream in(locked, std::ios::binary);
    EXPECT_EQ("the user's old file", std::string((std::istreambuf_iterator<char>(in)), {}));
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(1, files) << "no partial file beside it";
}

TEST_F(AdjustmentPaletteTest, ImageAdjustmentFileReachesEveryPaletteAndRedrawsAll)
{
    TestImage& image = host.AddImage();
    Bend(image.record.curves);
    image.record.usm.Insert(0, 1, CQzUSM());
    for (CToolBase* palette : std::initializer_list<CToolBase*>{&curves, &colour, &usm, &sizeRes, &exposure, &wb, &nr})
        palette->SetTarget(1, &image.record);
    panel.SetTarget(1, &image.record);
    curves.SetEnabled(true, nullptr);
    usm.SetEnabled(true, nullptr);
    wb.SetEnabled(true, nullptr);
    const std::string file = Path("all.set");
    ASSERT_TRUE(panel.SaveImageAdjustmentFile(file.c_str()));

    curves.ResetSettings();
    usm.ResetSettings();
    curves.SetEnabled(false, nullptr);
    usm.SetEnabled(false, nullptr);
    wb.SetEnabled(false, nullptr);
    image.view->updates.clear();
    ASSERT_TRUE(panel.LoadImageAdjustmentFile(file.c_str(), nullptr, 0, 0));
    EXPECT_NE(0u, image.record.curves.GetModifiedFlags(0xFFFFFFFF));
    EXPECT_EQ(1, image.record.usm.GetCount());
    EXPECT_TRUE(CurvesApplyFlag);
    EXPECT_TRUE(UnsharpMaskApplyFlag);
    EXPECT_TRUE(WhiteBalanceApplyFlag);
    EXPECT_FALSE(ColorBalanceApplyFlag);
    ASSERT_FALSE(image.view->updates.empty());
    EXPECT_EQ(32767u, image.view->updates.back().hints);

    // A file that is not one: its message, and nothing changed.
    const std::string bad = Path("bad.set");
    std::ofstream(bad, std::ios::binary) << std::string(64, 'x');
    {
        MessageBoxScript boxes{{"not a valid Image Adjustment file", IDOK}};
        EXPECT_FALSE(panel.LoadImageAdjustmentFile(bad.c_str(), nullptr, 0, 0));
    }
    EXPECT_TRUE(CurvesApplyFlag);

    // Saving from the menu with several thumbnails selected asks nothing: a
    // save dialog would stop the test here.
    panel.SetTarget(2, nullptr);
    panel.SaveSettingsFile();
}

}  // namespace
