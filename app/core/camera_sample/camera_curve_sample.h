// "Use for Camera Curves Sample": the active image, developed, scaled to fit
// the camera curves dialog's preview and rotated, is written as a raw file
// into the program folder, where the dialog reads its sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the command needs of the program around it.
class ICameraCurveSampleHost {
public:
    // Asks message 9607 (Yes/No, No the default); true on Yes.
    virtual bool AskUseAsSample() = 0;
    // Shows message 9606, "The selected image could not be saved."
    virtual void ReportSaveFailure() = 0;
    // The program's folder, ending with a backslash.
    virtual std::string GetProgramFolder() = 0;
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
    // Writes the reduced raw copy of the image: 0, or a negative result code.
    virtual int32_t SaveReducedRawCopy(const char* path, int32_t boxWidth, int32_t boxHeight) = 0;

protected:
    ~ICameraCurveSampleHost() = default;
};

namespace qz {

inline constexpr char kCameraCurveSampleName[] = "CamCurve.bin";
// The camera curves dialog's preview.
inline constexpr int32_t kCameraCurveSampleSide = 201;

// programFolder + the sample's name into `out`; false (and `out` empty) when
// it would not fit in `capacity` bytes with its zero.
bool BuildCameraCurveSamplePath(const std::string& programFolder, char* out, size_t capacity);

// True when the sample was written. A path that does not fit counts as a
// failed save.
bool UseForCameraCurvesSample(ICameraCurveSampleHost& host);

}  // namespace qz
