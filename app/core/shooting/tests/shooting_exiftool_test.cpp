// JPEGs tagged by exiftool, read through the image file library's loader:
// the shooting table shows what exiftool wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/shooting/shooting_info_table.h"
#include "app/core/shooting/tests/shooting_test_util.h"
#include "fileio/VorlatLoad.h"
#include "fileio/VorlatStream.h"

using namespace shooting_test;

namespace {

bool Have(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The table of a file, filled from the tags the loader read.
void FillFrom(const std::string& path, CShootingInfoTable& table)
{
    IVorlatTagControl* tags = nullptr;
    IVorlatLoad* load = nullptr;
    IVorlatFileStream* stream = nullptr;
    ASSERT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags)));
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(IVorlatFileStream::CreateFileStream(&stream)));
    _VorlatFile file{};
    std::snprintf(file.path, sizeof file.path, "%s", path.c_str());
    ASSERT_EQ(0, Cause(stream->SetFile(file)));
    ASSERT_EQ(0, Cause(load->AttachStream(stream, tags, 0, 0)));
    EXPECT_EQ(0, Cause(load->LoadTags()));
    table.Fill(tags);
    load->DetachStream();
    load->Destroy();
    stream->Destroy();
    tags->Destroy();
}

TEST(ShootingPeer, RowsOfJpegsTaggedByExiftool)
{
    if (!Have("exiftool") || !Have("cjpeg"))
        GTEST_SKIP() << "exiftool or cjpeg missing";
    const std::filesystem::path folder = std::filesystem::path(TESS_SCRATCH_DIR) / "shooting_peer";
    std::filesystem::create_directories(folder);
    const std::string ppm = (folder / "gray.ppm").string();
    {
        std::FILE* out = std::fopen(ppm.c_str(), "wb");
        ASSERT_TRUE(out);
        std::fprintf(out, "P6\n8 8\n255\n");
        for (int i = 0; i < 64 * 3; ++i)
            std::fputc(128, out);
        std::fclose(out);
    }
    const struct {
        const char* name;
        const char* arguments;
        uint32_t field;
        const char* text;
    } cases[] = {
        {"exposure_8000", "-ExposureTime=1/8000", 1010, "1/8000 sec"},
        {"exposure_30", "-ExposureTime=30 -FNumber=8", 1010, "30 sec - f/8"},
        {"exposure_04", "-ExposureTime=0.4", 1010, "1/2.5 sec"},
        {"bias_minus", "-ExposureCompensation=-2/3", 1011, "Exposure Comp.: -2/3 EV"},
        {"bias_plus", "-ExposureCompensation=4/3", 1011, "Exposure Comp.: +1 1/3 EV"},
        {"south", "-GPSLatitude='33 51 35.9' -GPSLatitudeRef=S", 1022, "Latitude: S 33\xB0 51' 35.9\""},
        {"west", "-GPSLongitude='151 12 30.5' -GPSLongitudeRef=W", 1023, "Longitude: W 151\xB0 12' 30.5\""},
        {"subseconds", "'-ModifyDate=2024:05:06 07:08:09' -SubSecTime=5", 2, "2024/05/06 07:08:09.5"},
        {"subseconds_three", "'-ModifyDate=2024:05:06 07:08:09' -SubSecTime=734", 2, "2024/05/06 07:08:09.7"},
    };
    for (const auto& c : cases) {
        const std::string path = (folder / (std::string(c.name) + ".jpg")).string();
        ASSERT_EQ(0, std::system(("cjpeg -quality 90 " + ppm + " > " + path).c_str()));
        ASSERT_EQ(0, std::system(("exiftool -q -overwrite_original " + std::string(c.arguments) + " " + path +
                                  " >/dev/null 2>&1")
                                     .c_str()))
            << c.name;
        CShootingInfoTable table;
        FillFrom(path, table);
        EXPECT_STREQ(table.GetFieldText(c.field), c.text) << c.name;
    }
}

}  // namespace
