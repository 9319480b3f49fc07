// A curve group reads any bytes; a group it accepts keeps at least one
// channel, writes back to a blob that reads again to the same bytes, copies,
// and gives tables in range for every tone channel, combined with its master.
#include <vector>

#include "app/core/fuzz/fuzz_curves.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    CQzLutGroup group;
    group.AddChannel(1, {}, {}, {});
    if (group.SetData(data, static_cast<int32_t>(size)) <= 0)
        return 0;
    if (group.GetChannelCount() < 1 || !group.GetChannel(-1))
        __builtin_trap();
    const int32_t full = group.GetSize();
    std::vector<uint8_t> blob(static_cast<size_t>(full));
    group.GetData(blob.data(), full);
    CQzLutGroup again;
    if (again.SetData(blob.data(), full) != full)
        __builtin_trap();
    std::vector<uint8_t> second(static_cast<size_t>(full));
    again.GetData(second.data(), full);
    if (second != blob)
        __builtin_trap();

    CQzLutGroup copy;
    copy = group;
    for (int32_t i = 0; i < copy.GetChannelCount(); ++i) {
        CQzLutChannelBase* channel = copy.GetChannel(i);
        if (!channel->IsHueChannel())
            core_fuzz::CheckTables(static_cast<CQzLutChannel*>(channel));
    }
    for (uint32_t id = 0; id <= 3; ++id)
        core_fuzz::CheckTables(group.GetToneChannelById(id));
    core_fuzz::Viewer viewer;
    group.SelectChannel(data[size - 1] % 4);
    group.BeginDrag(viewer, {40, 40});
    group.TrackMouse(viewer, {300, 300});
    group.EndDrag(viewer);
    group.InsertPoint();
    group.SetGrayPoint(0.5, 0.0, 0.25, 1.0, 1.0, 1.0);
    return 0;
}
