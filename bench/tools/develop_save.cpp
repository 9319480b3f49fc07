// Develops a picture as the program's save does (the high-quality demosaic of
// raw data, the camera and working profiles, one sharpening entry and the
// Curves adjustment) and saves it as an 8-bit TIFF, or a JPEG when OUT ends in
// ".jpg", in the working profile. "single" develops the whole picture at its
// full size through the preview's road instead (the single-pass demosaic, the
// profiles and Curves, no sharpening) and saves that. PROFILES holds
// working.icc, cmyk.icc and lch.icc; the working profile stands in for the
// camera's.
//
//   bench_develop_save IN.xqv|IN.tif OUT.tif|OUT.jpg PROFILES [hq|single]
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/core/engine/develop_engine.h"
#include "app/core/engine/image_open.h"
#include "app/core/procset/record_settings.h"
#include "app/core/save/develop_save.h"
#include "bench/tools/command.h"

int main(int argc, char** argv)
{
    if ((argc != 4 && argc != 5) || (argc == 5 && std::strcmp(argv[4], "hq") != 0 && std::strcmp(argv[4], "single") != 0))
        benchcmd::Usage("bench_develop_save IN.xqv|IN.tif OUT.tif|OUT.jpg PROFILES [hq|single]");
    const std::string folder = argv[3];
    const std::string outPath = argv[2];
    const bool jpeg = outPath.size() > 4 && outPath.compare(outPath.size() - 4, 4, ".jpg") == 0;
    const int32_t format = jpeg ? kFormatJpeg : kFormatTiff;
    // Level 4: the finest quantisers short of level 5's near-lossless ones.
    const int32_t option = jpeg ? 4 : 0;
    const bool single = argc == 5 && std::strcmp(argv[4], "single") == 0;
    IVorlatManager* manager = benchcmd::OpenManager();
    CreateColorEnginePool();
    SetImageManager(manager);
    const std::string working = folder + "/working.icc", cmyk = folder + "/cmyk.icc", lch = folder + "/lch.icc";
    if (!SetColorProfilePaths(working.c_str(), cmyk.c_str(), lch.c_str(), working.c_str()) ||
        !SetEngineFolder((folder + "/").c_str()))
        benchcmd::Fail("profiles", nullptr);

    IVorlatTagControl* tags = nullptr;
    benchcmd::Check(IVorlatTagControl::CreateTagControl(&tags), "tag store");
    IVorlatImage* image = nullptr;
    benchcmd::Check(manager->CreateImage(&image, kVorlatUsageKeep), "image");
    IVorlatFileStream* in = benchcmd::FileStream(argv[1]);
    IVorlatLoad* load = nullptr;
    benchcmd::Check(IVorlatLoad::CreateLoad(&load), "loader");
    benchcmd::Check(load->AttachStream(in, tags, 0, 0), "open");
    benchcmd::Check(load->BeginLoadImage(image), "begin load");
    benchcmd::RunToEnd(load, "load");
    load->DetachStream();
    load->Destroy();
    in->Destroy();

    CQzRecordSettings settings;
    settings.usmOn = 1;
    CQzUSM entry;
    entry.haloWidth = 50;
    entry.intensity = 120;
    entry.threshold = 2;
    settings.usm.Insert(0, 1, entry);
    settings.curvesOn = 1;
    CDevelopParams params;
    params.usmOn = 1;
    params.usmList = &settings.usm;
    params.curves1On = 1;
    params.curves1 = &settings.curves;
    params.curves2 = &settings.colourBalance;
    params.sizeResApplied = 0;
    params.source = image;
    params.tags = tags;
    params.cameraModel = static_cast<int16_t>(GetCameraModelCode(tags));
    params.asShotRed = params.asShotBlue = 1.0;
    std::string camera;
    if (!GetCameraProfilePath(camera, params) ||
        !std::filesystem::copy_file(working, camera, std::filesystem::copy_options::overwrite_existing))
        benchcmd::Fail("camera profile", nullptr);

    if (single) {
        int32_t width = 0, height = 0;
        if (!GetDevelopedImageSize(image, &width, &height))
            benchcmd::Fail("developed size", nullptr);
        IVorlatImage* developed = nullptr;
        benchcmd::Check(manager->CreateImage(&developed, 0), "image");
        if (!DevelopPreview(&params, image, std::max(width, height), developed))
            benchcmd::Fail("develop", nullptr);
        benchcmd::Save(developed, outPath, format, option);
        developed->Destroy();
    } else {
        const int32_t code = SaveDevelopedImage(&params, argv[2], 0, format, option);
        if (code != 0) {
            std::fprintf(stderr, "save failed: %d %s\n", static_cast<int>(code), GetSaveErrorText());
            return 1;
        }
    }
    image->Destroy();
    tags->Destroy();
    DestroyColorEnginePool();
    SetImageManager(nullptr);
    manager->Destroy();
    return 0;
}
