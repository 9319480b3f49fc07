// Writes the seeds of the core's fuzz targets: the blobs of every settings
// class, the curve channels and curve groups, settings containers and
// adjustment clipboard blocks, each in a folder named after its target under
// the folder given.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/camera_images/sidecar_file.h"
#include "app/core/clipboard/adjustment_block.h"
#include "app/core/curves/hue_channel.h"
#include "app/core/curves/lut_group.h"
#include "app/core/procset/record_settings.h"
#include "app/core/settings/camera_control.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/noise_reduction.h"
#include "app/core/settings/usm.h"
#include "app/core/settings/wb_adjustment.h"

namespace {

bool WriteBytes(const std::filesystem::path& folder, const std::string& name, const std::vector<uint8_t>& blob)
{
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(blob.data()), static_cast<std::streamsize>(blob.size()));
    return static_cast<bool>(out);
}

bool Write(const std::filesystem::path& folder, const std::string& name, const IQzState& state)
{
    std::vector<uint8_t> blob(static_cast<size_t>(state.GetSize()));
    state.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    return WriteBytes(folder, name, blob);
}

bool WriteBlock(const std::filesystem::path& folder, const std::string& name, const CQzRecordSettings& record,
                uint32_t mask)
{
    std::vector<uint8_t> block(static_cast<size_t>(qz::MeasureAdjustmentBlock(record, mask)));
    qz::WriteAdjustmentBlock(record, mask, block.data(), static_cast<int64_t>(block.size()));
    return WriteBytes(folder, name, block);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: core_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    bool ok = true;

    const std::filesystem::path settings = root / "settings";
    CQzUSMList list;
    CQzUSM entry;
    entry.intensity = 50;
    list.Insert(0, 2, entry);
    CQzExposureAdjustment exposure;
    exposure.exposureCompensation = -150;
    CQzWBAdjustment whiteBalance;
    whiteBalance.gain1 = 1.5;
    CQzCameraControl camera;
    camera.highSensitivity = 2;
    ok &= Write(settings, "usm", entry);
    ok &= Write(settings, "usm_list", list);
    ok &= Write(settings, "exposure", exposure);
    ok &= Write(settings, "white_balance", whiteBalance);
    ok &= Write(settings, "noise_reduction", CQzNoiseReduction());
    ok &= Write(settings, "camera_control", camera);

    const std::filesystem::path channels = root / "lut_channel";
    CQzLutChannel tone(2, {0, 255, 0}, {}, {0, 255, 0});
    tone.AddPoint(0.25, 0.4);
    tone.AddPoint(0.75, 0.7);
    CQzHueChannel hue(1);
    hue.InsertPoint();
    hue.InsertPoint();
    ok &= Write(channels, "tone", tone);
    ok &= Write(channels, "hue", hue);

    const std::filesystem::path groups = root / "lut_group";
    CQzLutGroup curves;
    curves.AddChannel(1, {255, 0, 0}, {}, {255, 0, 0});
    curves.AddChannel(2, {0, 255, 0}, {}, {0, 255, 0});
    curves.AddChannel(3, {0, 0, 255}, {}, {0, 0, 255});
    static_cast<CQzLutChannel*>(curves.GetChannel(2))->AddPoint(0.5, 0.6);
    curves.SetContrast(0.5);
    ok &= Write(groups, "single", CQzLutGroup());
    ok &= Write(groups, "curves", curves);

    const std::filesystem::path containers = root / "procset";
    CQzRecordSettings record;
    record.sizeRes = CQzSizeRes(300, 200);
    record.curvesOn = 1;
    record.rotation = 90;
    record.name = "Seed";
    CQzImageProcSet full;
    record.FillProcSet(full);
    ok &= Write(containers, "record", full);
    ok &= Write(containers, "empty", CQzImageProcSet());

    // Settings files are these containers, one component each, or bare blobs.
    const std::filesystem::path files = root / "palette_file";
    ok &= Write(files, "set", full);
    CQzImageProcSet curvesFile;
    record.FillProcSet(curvesFile);
    curvesFile.componentMask = kProcCurves;
    curvesFile.enableMask = kProcCurves;
    ok &= Write(files, "qcv", curvesFile);
    ok &= Write(files, "qnr", record.noiseReduction);

    const std::filesystem::path clipboard = root / "clipboard";
    ok &= WriteBlock(clipboard, "all", record, qz::kAdjustAll);
    ok &= WriteBlock(clipboard, "curves", record, qz::kAdjustCurves);

    const std::filesystem::path sidecars = root / "sidecar";
    ok &= WriteBytes(sidecars, "saved", camimg::EncodeSidecar(record, true));
    CQzRecordSettings fresh;
    ok &= WriteBytes(sidecars, "new", camimg::EncodeSidecar(fresh, false));

    const std::filesystem::path lists = root / "image_list";
    const std::string listText = "1\tC:\\T\\00000001.xqv\r\n2\tC:\\T\\00000002.jpg\n\n3 no tab\n";
    ok &= WriteBytes(lists, "mixed", std::vector<uint8_t>(listText.begin(), listText.end()));
    return ok ? 0 : 1;
}
