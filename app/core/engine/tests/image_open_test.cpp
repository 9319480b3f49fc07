#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/core/engine/image_open.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/wb_adjustment.h"

using namespace engine_test;

namespace {

// A small raw file of the camera, written by the file library's raw writer.
std::string WriteRawFile(IVorlatManager* manager, const char* model)
{
    const std::string path = ScratchPath("raw") + ".xqv";
    Tags tags;
    const uint8_t cfa[8] = {0, 2, 0, 2, 0, 1, 1, 2};
    tags.Set(0xA302, kTagTypeBytes, cfa, sizeof cfa);
    tags.SetText(kTagModel, model);
    std::vector<uint8_t> samples(16 * 16 * 2);
    for (size_t i = 0; i < samples.size(); i += 2)
        samples[i] = static_cast<uint8_t>(i);
    IVorlatImage* image = MakeImage(manager, 64, 16, 16, samples);

    EXPECT_EQ(0, WriteImageFile(image, tags.tags, kFormatRawTiff, path)) << model;
    return path;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(EngineFixture, OnlyTheThreeModelsAsWrittenPassTheCameraTest)
{
    const struct {
        const char* model;
        int32_t code;
    } cases[] = {
        {"KORVA M4X", 3}, {"korva m4x", 3}, {"Korva M4x", 3}, {"KORVA M4 ", 1}, {"KORVA M4H", 2},
        {"KORVA M4", 0},  {"Mod KORVA M4X", 0}, {"KORVA M4X2", 0}, {"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const std::string path = WriteRawFile(manager, c.model);
#ifndef _WIN32
        // A peer tool reads the model exactly as it was written.
        if (c.model[0] && std::system("command -v exiftool >/dev/null 2>&1") == 0) {
            std::FILE* pipe = popen(("exiftool -s3 -Model '" + path + "'").c_str(), "r");
            char line[256] = {};
            ASSERT_TRUE(pipe);
            const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
            pclose(pipe);
            EXPECT_TRUE(read);
            // It shows text without its trailing blanks.
            std::string written = c.model;
            written.erase(written.find_last_not_of(' ') + 1);
            EXPECT_EQ(written + "\n", line);
        }
#endif
        EXPECT_EQ(c.code != 0, IsOriginalCameraFile(path.c_str(), nullptr, 0));
        std::vector<uint8_t> bytes = ReadAll(path);
        EXPECT_EQ(c.code != 0, IsOriginalCameraFile(nullptr, bytes.data(), static_cast<uint32_t>(bytes.size())));

        IVorlatTagControl* tags = nullptr;
        ASSERT_EQ(1, ProbeImageFile(&tags, path.c_str()));
        ASSERT_NE(nullptr, tags);
        EXPECT_EQ(c.code, GetCameraModelCode(tags));
        EXPECT_EQ(c.code != 0, IsSupportedCameraFile(tags));
        EXPECT_EQ(0, GetImageFileKind(tags));  // no file-kind tag in this file
        IVorlatTagControl* same = tags;
        EXPECT_EQ(1, ProbeImageFile(&same, "no such file"));  // a store present: nothing done
        EXPECT_EQ(tags, same);
        tags->Destroy();
        std::remove(path.c_str());
    }
    EXPECT_EQ(0, IsSupportedCameraFile(nullptr));
    EXPECT_EQ(0, GetCameraModelCode(nullptr));
    EXPECT_EQ(0, GetImageFileKind(nullptr));
}

TEST_F(EngineFixture, OpeningLoadsTheImageOrLeavesNothingBehind)
{
    const std::string path = WriteRawFile(manager, "KORVA M4X");
    IVorlatImage* image = nullptr;
    ASSERT_EQ(1, OpenImage(&image, path.c_str(), nullptr, 0));
    ASSERT_NE(nullptr, image);
    int32_t colorSpace = 0, width = 0, height = 0;
    ENGINE_OK(image->GetColorSpace(&colorSpace));
    ENGINE_OK(image->GetSize(&width, &height));
    EXPECT_EQ(64, colorSpace);
    EXPECT_EQ(16, width);
    EXPECT_EQ(16, height);
    EXPECT_EQ(1, GetImageDataRefCount(image));
    EXPECT_EQ(0, ReleaseImageData(image));

    std::vector<uint8_t> bytes = ReadAll(path);
    ASSERT_EQ(1, OpenImage(&image, nullptr, bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(0, ReleaseImageData(image));

    image = reinterpret_cast<IVorlatImage*>(&bytes);
    EXPECT_EQ(0, OpenImage(&image, (path + ".absent").c_str(), nullptr, 0));
    EXPECT_EQ(nullptr, image);
    std::vector<uint8_t> junk(64, 0x5A);
    EXPECT_EQ(0, OpenImage(&image, nullptr, junk.data(), static_cast<uint32_t>(junk.size())));
    EXPECT_EQ(nullptr, image);
    EXPECT_EQ(0, OpenImage(&image, std::string(300, 'x').c_str(), nullptr, 0));
    EXPECT_EQ(0, IsOriginalCameraFile(nullptr, junk.data(), static_cast<uint32_t>(junk.size())));
    std::remove(path.c_str());
}

TEST_F(EngineFixture, RawDataDevelopsToTheCamerasSizes)
{
    const struct {
        int32_t colorSpace, width, height, developedWidth, developedHeight;
    } cases[] = {{64, 4028, 1324, 3008, 1960}, {64, 2012, 1324, 2000, 1312}, {64, 17, 9, 2000, 1312},
                 {32, 640, 480, 640, 480},     {33, 5, 7, 5, 7}};
    for (const auto& c : cases) {
        IVorlatImage* image = MakeImage(manager, c.colorSpace, c.width, c.height);
        int32_t width = 0, height = 0;
        EXPECT_EQ(1, GetDevelopedImageSize(image, &width, &height));
        EXPECT_EQ(c.developedWidth, width) << c.width;
        EXPECT_EQ(c.developedHeight, height) << c.width;
        image->Destroy();
    }
    int32_t width = 0, height = 0;
    EXPECT_EQ(0, GetDevelopedImageSize(nullptr, &width, &height));
}

TEST(CameraProfile, NamesFollowFileKindLightToneAndColour)
{
    SetEngineFolder("C:\\Engine");
    CQzExposureAdjustment exposure;
    CQzWBAdjustment wb;
    const struct {
        const char* name;
        int32_t kind, light, tone, colour;  // -1: tag missing
        uint32_t exposureColour, exposureTone;
        const char* expected;
    } cases[] = {
        {"raw, light 1, tone 1, colour 2", 32, 1, 1, 2, 0, 0, "QZM4_XQV25.icm"},
        {"raw, colour setting 0", 32, 1, 1, 0, 0, 0, "QZM4_XQV.icm"},
        {"raw, colour 1 from the adjustment", 33, 4, 0, 2, 1, 0, "QZM4_XQV6.icm"},
        {"raw, tone from the adjustment", 38, 5, 1, 1, 0, 3, "QZM4_XQV17.icm"},
        {"raw, light 3", 32, 3, -1, 1, 0, 0, "QZM4_XQV4.icm"},
        {"raw, light 7 neutral gains", 32, 7, 0, 1, 0, 0, "QZM4_XQV4.icm"},
        {"tiff, mode II", 16, 1, 0, 2, 0, 0, "QZM4_TIFFM2.icm"},
        {"tiff, mode I", 0, 1, 0, 1, 0, 0, "QZM4_TIFFM1.icm"},
        {"tiff, no colour", 2, 1, 0, 3, 0, 0, "QZM4_TIFF.icm"},
        {"other kind", 40, 1, 0, 1, 0, 0, ".icm"},
    };
    for (const auto& c : cases) {
        Tags tags;
        tags.SetLong(kTagFileKind, c.kind);
        tags.SetLong(kTagLightSource, c.light);
        if (c.tone >= 0)
            tags.SetLong(kTagToneSetting, c.tone);
        if (c.colour >= 0)
            tags.SetLong(kTagColorSetting, c.colour);
        exposure.colourMode = c.exposureColour;
        exposure.toneCompensation = c.exposureTone;
        CDevelopParams params;
        params.tags = tags.tags;
        params.exposure = &exposure;
        params.exposureOn = 1;
        char path[kEnginePathBytes];
        EXPECT_EQ(std::string("C:\\Engine\\") + c.expected, GetCameraProfilePath(path, &params)) << c.name;
    }

    // The white balance adjustment stands in for the camera's light.
    Tags tags;
    tags.SetLong(kTagFileKind, 32);
    tags.SetLong(kTagColorSetting, 1);
    CDevelopParams params;
    params.tags = tags.tags;
    params.wb = &wb;
    params.wbOn = 1;
    const struct {
        uint32_t mode, code;
        double red, blue;
        int32_t number;
    } wbCases[] = {{3, 1280, 1.0, 1.0, 6}, {1, 0, 2.0, 1.2, 4}, {1, 0, 2.0, 1.5, 2}, {1, 0, 1.5, 1.5, 1}};
    for (const auto& c : wbCases) {
        wb.mode = c.mode;
        wb.lightSource = c.code;
        wb.gain1 = c.red;
        wb.gain2 = c.blue;
        EXPECT_EQ(c.number, GetCameraProfileNumber(params)) << c.red << " " << c.blue;
    }

    // A folder that leaves no room for the name is refused, not cut.
    SetEngineFolder(std::string(250, 'f').c_str());
    char path[kEnginePathBytes];
    EXPECT_STREQ("", GetCameraProfilePath(path, &params));
    SetEngineFolder("");
}
