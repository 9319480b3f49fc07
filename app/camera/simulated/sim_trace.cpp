#include "app/camera/simulated/sim_trace.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/camera/kavo_records.h"

namespace kavosim {

namespace {

template <typename T>
T Load(const void* data)
{
    T value;
    std::memcpy(&value, data, sizeof(T));
    return value;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

}  // namespace

std::string DecodeData(uint32_t dataType, const void* data)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(data);
    switch (dataType) {
    case kKavoDataNone:
        return "-";
    case kKavoDataBoolValue:
    case kKavoDataUintValue:
        return Format("%" PRIuPTR, value);
    default:
        break;
    }
    if (!data)
        return "null";
    switch (dataType) {
    case kKavoDataBool:
        return Format("%u", Load<uint8_t>(data));
    case kKavoDataInt:
        return Format("%" PRId32, Load<int32_t>(data));
    case kKavoDataUint:
        return Format("%" PRIu32, Load<uint32_t>(data));
    case kKavoDataDouble:
        return Format("%g", Load<double>(data));
    case kKavoDataPoint: {
        const KavoPoint p = Load<KavoPoint>(data);
        return Format("(%" PRId32 ",%" PRId32 ")", p.x, p.y);
    }
    case kKavoDataSize: {
        const KavoSize s = Load<KavoSize>(data);
        return Format("%" PRId32 "x%" PRId32, s.width, s.height);
    }
    case kKavoDataRect: {
        const KavoRect r = Load<KavoRect>(data);
        return Format("(%" PRId32 ",%" PRId32 ",%" PRId32 ",%" PRId32 ")", r.left, r.top, r.right, r.bottom);
    }
    case kKavoDataString: {
        const char* text = static_cast<const char*>(data);
        const void* nul = std::memchr(text, 0, 256);
        const size_t length = nul ? static_cast<const char*>(nul) - text : 256;
        std::string quoted = "\"";
        quoted.append(text, length < 60 ? length : 60);
        quoted.append(nul ? "\"" : "\"(unterminated)");
        return quoted;
    }
    case kKavoDataDateTime: {
        const KavoDateTime d = Load<KavoDateTime>(data);
        return Format("%u-%u-%u %u:%u:%u.%" PRIu32, d.year, d.month, d.day, d.hour, d.minute, d.second, d.fraction);
    }
    case kKavoDataCallback: {
        const KavoCallbackRecord c = Load<KavoCallbackRecord>(data);
        return c.procedure ? "{procedure}" : "{null}";
    }
    case kKavoDataRange: {
        const KavoRangeRecord r = Load<KavoRangeRecord>(data);
        return Format("{value %g default %g index %" PRIu32 " default index %" PRIu32 " %g..%g steps %" PRIu32 "}",
                      r.value, r.defaultValue, r.valueIndex, r.defaultIndex, r.lower, r.upper, r.stepCount);
    }
    case kKavoDataArray: {
        const KavoArrayRecord a = Load<KavoArrayRecord>(data);
        return Format("{type %" PRIu32 " count %" PRIu32 " bytes %u}", a.elementType, a.elementCount,
                      a.bytesPerElement);
    }
    case kKavoDataList: {
        const KavoListRecord l = Load<KavoListRecord>(data);
        return Format("{type %" PRIu32 " count %" PRIu32 " current %" PRIu32 " default %" PRIu32 " bytes %u}",
                      l.elementType, l.elementCount, l.currentIndex, l.defaultIndex, l.bytesPerElement);
    }
    case kKavoDataObject: {
        const KavoObjectRecord o = Load<KavoObjectRecord>(data);
        return Format("{type %" PRIu32 " id %" PRIu32 "}", o.type, o.id);
    }
    case kKavoDataCapInfo:
        return "{records}";
    default:
        return Format("? %" PRIuPTR, value);
    }
}

}  // namespace kavosim
