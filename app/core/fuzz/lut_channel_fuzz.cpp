// A tone-curve channel and a hue channel read any bytes; what they accept
// writes back whole, gives tables in range, and survives the editor's mouse
// and keys.
#include <vector>

#include "app/core/curves/hue_channel.h"
#include "app/core/fuzz/fuzz_curves.h"

namespace {

template <class Channel>
Channel* Read(Channel& channel, const uint8_t* data, size_t size)
{
    const int32_t consumed = channel.SetData(data, static_cast<int32_t>(size));
    if (consumed <= 0)
        return nullptr;
    const int32_t full = channel.GetSize();
    std::vector<uint8_t> blob(static_cast<size_t>(full));
    if (channel.GetData(blob.data(), full) != full)
        __builtin_trap();
    Channel again(channel);
    if (again.SetData(blob.data(), full) != full)
        __builtin_trap();
    std::vector<uint8_t> second(static_cast<size_t>(full));
    again.GetData(second.data(), full);
    if (second != blob)
        __builtin_trap();
    const size_t part = size % static_cast<size_t>(full);
    std::vector<uint8_t> shortBlob(part);
    channel.GetData(shortBlob.data(), static_cast<int32_t>(part));
    return &channel;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    CQzLutChannel tone(0, {}, {}, {});
    if (Read(tone, data, size)) {
        core_fuzz::CheckTables(&tone);
        core_fuzz::Edit(tone, data, size);
        core_fuzz::CheckTables(&tone);
    }
    CQzHueChannel hue(1);
    if (Read(hue, data, size))
        core_fuzz::Edit(hue, data, size);
    return 0;
}
