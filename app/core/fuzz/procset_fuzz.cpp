// The settings container reads any bytes: it ends, stays inside the buffer,
// and what it read writes back as a container that reads again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/core/procset/image_proc_set.h"
#include "app/core/procset/record_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    // An exactly sized heap block: a read past the length is caught.
    const std::vector<uint8_t> input(data, data + size);
    CQzRecordSettings record;
    CQzImageProcSet set;
    record.FillProcSet(set);
    set.legacyGainScale1 = 1.5;
    set.legacyGainScale2 = 0.5;
    const int32_t covered = set.SetDataMasked(input.data(), static_cast<int32_t>(input.size()), 300, 200);
    if (covered < 0 || static_cast<size_t>(covered) > size)
        __builtin_trap();
    record.TakeFromProcSet(set);

    CQzImageProcSet out;
    record.FillProcSet(out);
    const int32_t full = out.GetSize();
    std::vector<uint8_t> blob(static_cast<size_t>(full));
    if (out.GetData(blob.data(), full) != full)
        __builtin_trap();
    CQzRecordSettings again;
    CQzImageProcSet in;
    again.FillProcSet(in);
    if (in.SetDataMasked(blob.data(), full, 200, 300) <= 0)
        __builtin_trap();
    std::vector<uint8_t> part(size % static_cast<size_t>(full));
    out.GetData(part.data(), static_cast<int32_t>(part.size()));
    return 0;
}
