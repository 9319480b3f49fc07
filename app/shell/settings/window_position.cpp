#include "app/shell/settings/window_position.h"

namespace shell {

namespace {

// One axis: a start and a length inside [low, high]. In 64 bits, as the
// stored numbers are whatever the registry held.
void FitAxis(int32_t& start, int32_t& length, int32_t low, int32_t high)
{
    int64_t s = start;
    int64_t l = length;
    if (s < low)
        s = low;
    if (s + l > high) {
        s = high - l;
        if (s < low)
            s = low;
    }
    if (s + l > high)
        l = high - s;
    start = static_cast<int32_t>(s);
    length = static_cast<int32_t>(l);
}

}  // namespace

void PackWindowPosition(const WindowPositionRecord& record, uint8_t (&bytes)[kWindowPositionBytes])
{
    const int32_t fields[] = {record.left, record.top, record.width, record.height, record.showCommand};
    for (size_t i = 0; i < 5; ++i) {
        const uint32_t v = static_cast<uint32_t>(fields[i]);
        for (size_t b = 0; b < 4; ++b)
            bytes[i * 4 + b] = static_cast<uint8_t>(v >> (8 * b));
    }
}

WindowPositionRecord UnpackWindowPosition(const uint8_t (&bytes)[kWindowPositionBytes])
{
    int32_t fields[5];
    for (size_t i = 0; i < 5; ++i) {
        uint32_t v = 0;
        for (size_t b = 0; b < 4; ++b)
            v |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
        fields[i] = static_cast<int32_t>(v);
    }
    return {fields[0], fields[1], fields[2], fields[3], fields[4]};
}

void FitWindowPosition(WindowPositionRecord& record, const WindowBounds& bounds)
{
    FitAxis(record.left, record.width, bounds.left, bounds.right);
    FitAxis(record.top, record.height, bounds.top, bounds.bottom);
}

}  // namespace shell
