#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "app/core/settings/camera_control.h"

namespace {

// A camera whose settings are a table; it records every write.
class FakeCamera : public IQzCameraSettingSource {
public:
    bool HasCapability(uint32_t capability) override { return !absent.count(capability); }
    bool CanSetCapability(uint32_t capability) override
    {
        return HasCapability(capability) && !readOnly.count(capability);
    }
    uint32_t GetSetting(uint32_t capability) override
    {
        auto value = values.find(capability);
        return value == values.end() ? 0 : value->second;
    }
    int32_t SetSetting(uint32_t capability, uint32_t value) override
    {
        writes.emplace_back(capability, value);
        auto failure = failures.find(capability);
        return failure == failures.end() ? 0 : failure->second;
    }

    std::map<uint32_t, uint32_t> values;
    std::set<uint32_t> absent, readOnly;
    std::map<uint32_t, int32_t> failures;
    std::vector<std::pair<uint32_t, uint32_t>> writes;
};

using Cap = CQzCameraControl::Capability;

const uint32_t kAllCapabilities[] = {
    Cap::kImageType,    Cap::kFlashSyncMode,   Cap::kDataFormat,         Cap::kCompression,
    Cap::kExposureMode, Cap::kShutterSpeed,    Cap::kAperture,           Cap::kFlexibleProgram,
    Cap::kExposureCompensation, Cap::kSensitivity, Cap::kWhiteBalance,   Cap::kFocusAreaMode,
    Cap::kFocusArea,    Cap::kContinuousShooting, Cap::kImageSize,       Cap::kRawCompression,
    Cap::kHighSensitivity};

FakeCamera ReadyCamera()
{
    FakeCamera camera;
    uint32_t value = 1;
    for (uint32_t capability : kAllCapabilities)
        camera.values[capability] = value++;
    camera.values[Cap::kHighSensitivity] = 0;
    return camera;
}

TEST(CameraControl, ReadsEverySettingFromTheCamera)
{
    FakeCamera camera = ReadyCamera();
    CQzCameraControl control;
    EXPECT_EQ(control.ReadFromCamera(&camera), 0);
    EXPECT_EQ(control.imageType, 1);
    EXPECT_EQ(control.focusArea, 13);
    EXPECT_EQ(control.continuousShooting, 14);
    EXPECT_EQ(control.imageSize, 15);
    EXPECT_EQ(control.rawCompression, 16);
    EXPECT_EQ(control.ReadFromCamera(nullptr), CQzCameraControl::kNoSource);
}

TEST(CameraControl, AMissingRequiredSettingIsReportedAfterReadingAll)
{
    const uint32_t required[] = {Cap::kFlashSyncMode, Cap::kDataFormat,   Cap::kCompression, Cap::kExposureMode,
                                 Cap::kWhiteBalance,  Cap::kFocusAreaMode, Cap::kFocusArea};
    for (uint32_t capability : required) {
        FakeCamera camera = ReadyCamera();
        camera.values[capability] = 0;
        CQzCameraControl control;
        EXPECT_EQ(control.ReadFromCamera(&camera), CQzCameraControl::kNotReady) << std::hex << capability;
        EXPECT_EQ(control.rawCompression, 16) << std::hex << capability;
    }
    // Settings that may read as 0.
    FakeCamera camera = ReadyCamera();
    camera.values[Cap::kImageType] = 0;
    camera.values[Cap::kShutterSpeed] = 0;
    CQzCameraControl control;
    EXPECT_EQ(control.ReadFromCamera(&camera), 0);
}

TEST(CameraControl, WritesInTheCameraOrderWhereTheCameraAllows)
{
    FakeCamera camera = ReadyCamera();
    CQzCameraControl control;
    ASSERT_EQ(control.ReadFromCamera(&camera), 0);
    EXPECT_EQ(control.WriteToCamera(&camera), 0);
    std::vector<uint32_t> order;
    for (const auto& write : camera.writes)
        order.push_back(write.first);
    const std::vector<uint32_t> expected = {
        Cap::kFlashSyncMode, Cap::kExposureMode,  Cap::kDataFormat,      Cap::kCompression,
        Cap::kImageType,     Cap::kShutterSpeed,  Cap::kAperture,        Cap::kFlexibleProgram,
        Cap::kExposureCompensation, Cap::kHighSensitivity, Cap::kSensitivity, Cap::kWhiteBalance,
        Cap::kFocusAreaMode, Cap::kFocusArea,     Cap::kContinuousShooting, Cap::kImageSize,
        Cap::kRawCompression};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(camera.writes[1].second, 5u);
}

TEST(CameraControl, WriteConditions)
{
    struct Case {
        const char* name;
        std::function<void(FakeCamera&, CQzCameraControl&)> setUp;
        uint32_t capability;
        bool written;
    } cases[] = {
        {"read-only flash sync", [](FakeCamera& c, CQzCameraControl&) { c.readOnly.insert(Cap::kFlashSyncMode); },
         Cap::kFlashSyncMode, false},
        {"read-only exposure mode is still written",
         [](FakeCamera& c, CQzCameraControl&) { c.readOnly.insert(Cap::kExposureMode); }, Cap::kExposureMode, true},
        {"extended sensitivity 2 overrides", [](FakeCamera&, CQzCameraControl& s) { s.highSensitivity = 2; },
         Cap::kSensitivity, false},
        {"extended sensitivity 1", [](FakeCamera&, CQzCameraControl& s) { s.highSensitivity = 1; },
         Cap::kSensitivity, true},
        {"image size 0", [](FakeCamera&, CQzCameraControl& s) { s.imageSize = 0; }, Cap::kImageSize, false},
        {"no image size", [](FakeCamera& c, CQzCameraControl&) { c.absent.insert(Cap::kImageSize); },
         Cap::kImageSize, false},
        {"read-only raw compression", [](FakeCamera& c, CQzCameraControl&) { c.readOnly.insert(Cap::kRawCompression); },
         Cap::kRawCompression, false},
        {"read-only focus area", [](FakeCamera& c, CQzCameraControl&) { c.readOnly.insert(Cap::kFocusArea); },
         Cap::kFocusArea, false},
    };
    for (const Case& c : cases) {
        FakeCamera camera = ReadyCamera();
        CQzCameraControl control;
        control.ReadFromCamera(&camera);
        c.setUp(camera, control);
        control.WriteToCamera(&camera);
        bool written = false;
        for (const auto& write : camera.writes)
            written |= write.first == c.capability;
        EXPECT_EQ(written, c.written) << c.name;
    }
}

TEST(CameraControl, EveryWriteIsTriedAndTheLastFailureAnswers)
{
    FakeCamera camera = ReadyCamera();
    camera.failures[Cap::kExposureMode] = -130;
    camera.failures[Cap::kWhiteBalance] = -131;
    CQzCameraControl control;
    control.ReadFromCamera(&camera);
    EXPECT_EQ(control.WriteToCamera(&camera), -131);
    EXPECT_EQ(camera.writes.size(), 17u);
    EXPECT_EQ(control.WriteToCamera(nullptr), CQzCameraControl::kNoSource);
}

}  // namespace
