// The adjustment settings objects read any bytes; what they accept writes
// back as a blob that reads to the same bytes, and a short buffer is never
// written past its end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/core/settings/camera_control.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/noise_reduction.h"
#include "app/core/settings/usm.h"
#include "app/core/settings/wb_adjustment.h"

namespace {

template <class State>
void Exercise(const uint8_t* data, size_t size)
{
    State state;
    if (state.SetData(data, static_cast<int32_t>(size)) <= 0)
        return;
    const int32_t full = state.GetSize();
    std::vector<uint8_t> blob(static_cast<size_t>(full));
    if (state.GetData(blob.data(), full) != full)
        __builtin_trap();
    State again;
    if (again.SetData(blob.data(), full) != full)
        __builtin_trap();
    std::vector<uint8_t> second(static_cast<size_t>(full));
    again.GetData(second.data(), full);
    if (second != blob)
        __builtin_trap();
    // An exactly sized heap block: a write past a short length is caught.
    const size_t part = size % static_cast<size_t>(full);
    std::vector<uint8_t> shortBlob(part);
    state.GetData(shortBlob.data(), static_cast<int32_t>(part));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    Exercise<CQzUSM>(data, size);
    Exercise<CQzUSMList>(data, size);
    Exercise<CQzExposureAdjustment>(data, size);
    Exercise<CQzWBAdjustment>(data, size);
    Exercise<CQzNoiseReduction>(data, size);
    Exercise<CQzCameraControl>(data, size);
    return 0;
}
