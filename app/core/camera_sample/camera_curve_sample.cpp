#include "app/core/camera_sample/camera_curve_sample.h"

#include <cstring>

namespace qz {

bool BuildCameraCurveSamplePath(const std::string& programFolder, char* out, size_t capacity)
{
    if (!out || capacity == 0)
        return false;
    out[0] = '\0';
    const size_t nameLength = sizeof kCameraCurveSampleName - 1;
    if (programFolder.size() + nameLength + 1 > capacity)
        return false;
    std::memcpy(out, programFolder.data(), programFolder.size());
    std::memcpy(out + programFolder.size(), kCameraCurveSampleName, nameLength + 1);
    return true;
}

bool UseForCameraCurvesSample(ICameraCurveSampleHost& host)
{
    if (!host.AskUseAsSample())
        return false;
    host.BeginWait();
    // The engine's paths are 260 bytes.
    char path[260];
    const bool saved = BuildCameraCurveSamplePath(host.GetProgramFolder(), path, sizeof path) &&
                       host.SaveReducedRawCopy(path, kCameraCurveSampleSide, kCameraCurveSampleSide) == 0;
    host.EndWait();
    if (!saved)
        host.ReportSaveFailure();
    return saved;
}

}  // namespace qz
