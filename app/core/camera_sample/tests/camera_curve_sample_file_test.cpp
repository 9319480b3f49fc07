// The camera curve sample written by the engine into a program folder and
// read back through the file library.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/core/camera_sample/camera_curve_sample.h"
#include "app/core/save/tests/save_test_util.h"

namespace {

using save_test::ReadBack;
using save_test::Reread;

// The command's host with the engine behind it; it answers Yes.
class EngineHost : public ICameraCurveSampleHost {
public:
    EngineHost(const CDevelopParams& params, std::string folder) : params_(params), folder_(std::move(folder)) {}
    bool AskUseAsSample() override { return true; }
    void ReportSaveFailure() override { ++failures; }
    std::string GetProgramFolder() override { return folder_; }
    void BeginWait() override {}
    void EndWait() override {}
    int32_t SaveReducedRawCopy(const char* path, int32_t boxWidth, int32_t boxHeight) override
    {
        return ::SaveReducedRawCopy(&params_, path, boxWidth, boxHeight);
    }
    int failures = 0;

private:
    CDevelopParams params_;
    std::string folder_;
};

class CameraCurveSampleFile : public save_test::SaveFixture {};

TEST_F(CameraCurveSampleFile, ReadsBackAsASixteenBitTiffWithinThePreviewBox)
{
    struct Case {
        int32_t width, height;
    } cases[] = {{420, 300}, {260, 520}, {90, 60}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        CDevelopParams raw;
        OpenSource(raw, "source.xqv", 64, c.width, c.height);
        EngineHost host(raw, folder + "/");
        ASSERT_TRUE(qz::UseForCameraCurvesSample(host));
        EXPECT_EQ(host.failures, 0);
        const std::string sample = At("CamCurve.bin");
        ASSERT_TRUE(std::filesystem::exists(sample));
        const Reread back = ReadBack(manager, sample);
        ASSERT_EQ(0, back.error);
        // Written in the raw-file format: a TIFF of the developed 16-bit image
        // with the camera's tags, which the camera curves dialog reads.
        EXPECT_NE(back.format & (kFormatTiff | kFormatRawTiff), 0) << std::hex << back.format;
        EXPECT_EQ(33, back.colorSpace);
        EXPECT_GT(back.width, 0);
        EXPECT_GT(back.height, 0);
        EXPECT_LE(back.width, 201);
        EXPECT_LE(back.height, 201);
        if (c.width > 201 || c.height > 201) {
            EXPECT_EQ(std::max(back.width, back.height), 201) << "scaled to fit the box";
        }
        std::filesystem::remove(sample);
    }
}

TEST_F(CameraCurveSampleFile, AnImageTheEngineCannotReduceIsReported)
{
    CDevelopParams developed;
    OpenSource(developed, "source.tif", 32, 48, 32);
    EngineHost host(developed, folder + "/");
    EXPECT_FALSE(qz::UseForCameraCurvesSample(host));
    EXPECT_EQ(host.failures, 1);
    EXPECT_FALSE(std::filesystem::exists(At("CamCurve.bin")));
}

}  // namespace
