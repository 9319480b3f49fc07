#include "app/core/camera_sample/camera_curve_sample.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingHost : public ICameraCurveSampleHost {
public:
    bool answer = true;
    std::string folder = "C:\\Program Files\\Korva\\Tessaline\\";
    int32_t saveResult = 0;
    std::vector<std::string> calls;

    bool AskUseAsSample() override
    {
        calls.push_back("ask");
        return answer;
    }
    void ReportSaveFailure() override { calls.push_back("9606"); }
    std::string GetProgramFolder() override { return folder; }
    void BeginWait() override { calls.push_back("wait"); }
    void EndWait() override { calls.push_back("end wait"); }
    int32_t SaveReducedRawCopy(const char* path, int32_t boxWidth, int32_t boxHeight) override
    {
        calls.push_back(std::string("save ") + path + " " + std::to_string(boxWidth) + "x" + std::to_string(boxHeight));
        return saveResult;
    }
};

TEST(CameraCurveSample, AsksThenSavesIntoTheProgramFolderWithinThePreviewBox)
{
    struct Case {
        const char* what;
        bool answer;
        int32_t saveResult;
        size_t folderLength;  // 0: the usual folder
        bool saved;
        std::vector<std::string> calls;
    };
    const std::string save = "save C:\\Program Files\\Korva\\Tessaline\\CamCurve.bin 201x201";
    const Case cases[] = {
        {"yes", true, 0, 0, true, {"ask", "wait", save, "end wait"}},
        {"no", false, 0, 0, false, {"ask"}},
        {"engine fails", true, -242, 0, false, {"ask", "wait", save, "end wait", "9606"}},
        {"path too long", true, 0, 260 - 12, false, {"ask", "wait", "end wait", "9606"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingHost host;
        host.answer = c.answer;
        host.saveResult = c.saveResult;
        if (c.folderLength)
            host.folder = std::string(c.folderLength - 1, 'a') + "\\";
        EXPECT_EQ(qz::UseForCameraCurvesSample(host), c.saved);
        EXPECT_EQ(host.calls, c.calls);
    }
}

TEST(CameraCurveSample, ThePathFitsWithItsZeroOrIsRefused)
{
    char path[32];
    EXPECT_TRUE(qz::BuildCameraCurveSamplePath(std::string(19, 'a'), path, sizeof path));
    EXPECT_EQ(std::string(path), std::string(19, 'a') + "CamCurve.bin");
    EXPECT_FALSE(qz::BuildCameraCurveSamplePath(std::string(20, 'a'), path, sizeof path));
    EXPECT_STREQ(path, "");
}

}  // namespace
