// The source's setting accessors: each turns one capability of the camera
// into the small number its callers work with, and back. Everything the
// module answers is checked against the list or range it belongs to.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/camera/app/orla_kavo.h"
#include "app/camera/caps/kavo_list_decode.h"
#include "app/camera/queue/command_queue.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

void* AsValue(uint32_t value)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
}

constexpr uint32_t kCapAutofocus = 0x1e;
constexpr uint32_t kCapMeasureWhiteBalance = 0x8104;
constexpr uint32_t kCapWhiteBalancePreset = 0x8151;
constexpr uint32_t kCapFirstWhiteBalanceTune = 0x8119;
constexpr uint32_t kWhiteBalanceTuneModes = 7;
constexpr int32_t kWhiteBalanceTuneMiddle = 3;
constexpr uint16_t kFirstMeasuredPreset = 8;
constexpr uint16_t kLastMeasuredPreset = 12;
constexpr int32_t kBadPreset = -125;
constexpr int32_t kNoImageSize = -129;
constexpr uint16_t kReadFailed = 0xffff;

// The range's positions run from lower to upper in step count steps, both
// ends included; fewer than two, or no distance, is no range to step in.
bool IsSteppedRange(const KavoRangeRecord& range)
{
    return range.stepCount >= 2 && range.upper > range.lower && std::isfinite(range.upper - range.lower);
}

// The time now in UTC, the month counted from 0 and milliseconds as the fraction.
KavoDateTime SystemTimeNow()
{
    KavoDateTime now = {};
#if defined(_WIN32)
    SYSTEMTIME time;
    GetSystemTime(&time);
    now = {time.wYear, static_cast<uint16_t>(time.wMonth - 1), time.wDay, time.wHour, time.wMinute, time.wSecond,
           time.wMilliseconds};
#else
    timespec spec = {};
    clock_gettime(CLOCK_REALTIME, &spec);
    tm parts = {};
    gmtime_r(&spec.tv_sec, &parts);
    now = {static_cast<uint16_t>(parts.tm_year + 1900), static_cast<uint16_t>(parts.tm_mon),
           static_cast<uint16_t>(parts.tm_mday), static_cast<uint16_t>(parts.tm_hour),
           static_cast<uint16_t>(parts.tm_min), static_cast<uint16_t>(parts.tm_sec),
           static_cast<uint32_t>(spec.tv_nsec / 1000000)};
#endif
    return now;
}

// The kind of a continuous-speed entry: "CH" 1, "CL" 2, then by its first
// character '3' 3, '2' 4, '1' 5, '4' 6; else 0.
uint16_t ContinuousSpeedKind(const char* entry)
{
    if (std::strncmp(entry, "CH", 2) == 0)
        return 1;
    if (std::strncmp(entry, "CL", 2) == 0)
        return 2;
    switch (entry[0]) {
    case '3':
        return 3;
    case '2':
        return 4;
    case '1':
        return 5;
    case '4':
        return 6;
    default:
        return 0;
    }
}

// 1 for "2.7", 2 for "5.4" or "6.0", else 0.
uint16_t ImageSizeKind(const CQzString& entry)
{
    if (entry.Find("2.7") >= 0)
        return 1;
    if (entry.Find("5.4") >= 0 || entry.Find("6.0") >= 0)
        return 2;
    return 0;
}

}  // namespace

// ---- Helpers -----------------------------------------------------------------------------

int32_t COrlaKavoSource::GetCurrentIndex(uint32_t cap, uint32_t* index, bool defaultIndex)
{
    *index = 0;
    KavoListRecord list = {};
    const int32_t result = CallModule(this, kKavoGet, cap, kKavoDataList, &list, nullptr, nullptr);
    if (result == kKavoOk)
        *index = defaultIndex ? list.defaultIndex : list.currentIndex;
    return result;
}

uint16_t COrlaKavoSource::GetIndexPlusOne(uint32_t cap, uint32_t count)
{
    uint32_t index = 0;
    if (GetCurrentIndex(cap, &index) != kKavoOk || index >= count)
        return 0;
    return static_cast<uint16_t>(index + 1);
}

int32_t COrlaKavoSource::SetIndexPlusOne(uint32_t cap, uint32_t count, uint16_t value)
{
    if (value < 1 || value > count)
        return kKavoValueNotOffered;
    return CallModule(this, kKavoSet, cap, kKavoDataUintValue, AsValue(value - 1u), nullptr, nullptr);
}

uint16_t COrlaKavoSource::GetNumberPlusOne(uint32_t cap, uint32_t count)
{
    uint32_t value = 0;
    if (GetUlong(cap, &value) != kKavoOk || value >= count)
        return 0;
    return static_cast<uint16_t>(value + 1);
}

bool COrlaKavoSource::GetBoolByte(uint32_t cap)
{
    uint8_t value = 0;
    return CallModule(this, kKavoGet, cap, kKavoDataBool, &value, nullptr, nullptr) == kKavoOk && value != 0;
}

int32_t COrlaKavoSource::SetBool(uint32_t cap, bool on)
{
    return CallModule(this, kKavoSet, cap, kKavoDataBoolValue, AsValue(on ? 1 : 0), nullptr, nullptr);
}

int32_t COrlaKavoSource::GetRange(uint32_t cap, KavoRangeRecord* range)
{
    *range = KavoRangeRecord{};
    const int32_t result = CallModule(this, kKavoGet, cap, kKavoDataRange, range, nullptr, nullptr);
    if (result != kKavoOk)
        *range = KavoRangeRecord{};
    return result;
}

// ---- Enumerations numbered by index + 1 --------------------------------------------------

uint16_t COrlaKavoSource::GetKeepAwake() { return GetIndexPlusOne(0x8107, 2); }
int32_t COrlaKavoSource::SetKeepAwake(uint16_t value) { return SetIndexPlusOne(0x8107, 2, value); }
int32_t COrlaKavoSource::SetCapability810C(uint16_t value) { return SetIndexPlusOne(0x810c, 2, value); }
uint16_t COrlaKavoSource::GetDataFormat() { return GetIndexPlusOne(0x810f, 3); }
int32_t COrlaKavoSource::SetDataFormat(uint16_t value) { return SetIndexPlusOne(0x810f, 3, value); }
uint16_t COrlaKavoSource::GetCompression() { return GetIndexPlusOne(0x8110, 7); }
int32_t COrlaKavoSource::SetCompression(uint16_t value) { return SetIndexPlusOne(0x8110, 7, value); }
uint16_t COrlaKavoSource::GetWhiteBalance() { return GetIndexPlusOne(0x8118, 12); }
int32_t COrlaKavoSource::SetWhiteBalance(uint16_t value) { return SetIndexPlusOne(0x8118, 12, value); }
uint16_t COrlaKavoSource::GetAFAreaMode() { return GetIndexPlusOne(0x8121, 2); }
int32_t COrlaKavoSource::SetAFAreaMode(uint16_t value) { return SetIndexPlusOne(0x8121, 2, value); }
uint16_t COrlaKavoSource::GetFocusArea() { return GetIndexPlusOne(0x8122, 5); }
int32_t COrlaKavoSource::SetFocusArea(uint16_t value) { return SetIndexPlusOne(0x8122, 5, value); }
uint16_t COrlaKavoSource::GetCustomBank() { return GetIndexPlusOne(0x8125, 10); }
int32_t COrlaKavoSource::SetCustomBank(uint16_t value) { return SetIndexPlusOne(0x8125, 10, value); }
uint16_t COrlaKavoSource::GetHighSensitivity() { return GetIndexPlusOne(0x814f, 3); }
int32_t COrlaKavoSource::SetHighSensitivity(uint16_t value) { return SetIndexPlusOne(0x814f, 3, value); }
uint16_t COrlaKavoSource::GetCapability8156() { return GetIndexPlusOne(0x8156, 2); }
uint16_t COrlaKavoSource::GetCapability810A() { return GetNumberPlusOne(0x810a, 4); }
uint16_t COrlaKavoSource::GetMeteringMode() { return GetNumberPlusOne(0x8116, 3); }
uint16_t COrlaKavoSource::GetCapability8120() { return GetNumberPlusOne(0x8120, 3); }

// ---- Enumerations with their own numbering -----------------------------------------------

uint16_t COrlaKavoSource::GetImageType()
{
    std::vector<uint32_t> values;
    KavoListRecord list = {};
    if (GetListValues(values, 0x26, &list) != kKavoOk || list.currentIndex >= values.size())
        return 0;
    return static_cast<uint16_t>(values[list.currentIndex]);
}

int32_t COrlaKavoSource::SetImageType(uint16_t value)
{
    return SetListValue(0x26, value);
}

uint16_t COrlaKavoSource::GetFlashSyncMode(std::vector<uint16_t>* out)
{
    std::vector<uint32_t> values;
    KavoListRecord list = {};
    const int32_t result = GetListValues(values, 0x35, &list);
    std::vector<uint16_t> mapped;
    for (uint32_t value : values)
        mapped.push_back(value <= 5 ? static_cast<uint16_t>(value + 1) : 0);
    if (out)
        *out = mapped;
    return result == kKavoOk && list.currentIndex < mapped.size() ? mapped[list.currentIndex] : 0;
}

int32_t COrlaKavoSource::SetFlashSyncMode(uint16_t value)
{
    if (value < 1 || value > 6)
        return kKavoValueNotOffered;
    return SetListValue(0x35, value - 1u);
}

uint16_t COrlaKavoSource::GetExposureMode(std::vector<uint16_t>* out)
{
    static const uint16_t kPageOfElement[] = {1, 3, 2, 4};
    std::vector<uint32_t> values;
    KavoListRecord list = {};
    const int32_t result = GetListValues(values, 0x8111, &list);
    std::vector<uint16_t> mapped;
    for (uint32_t value : values)
        mapped.push_back(value < 4 ? kPageOfElement[value] : 0);
    if (out)
        *out = mapped;
    return result == kKavoOk && list.currentIndex < mapped.size() ? mapped[list.currentIndex] : 0;
}

int32_t COrlaKavoSource::SetExposureMode(uint16_t value)
{
    static const uint32_t kElementOfPage[] = {0, 2, 1, 3};
    if (value < 1 || value > 4)
        return kKavoValueNotOffered;
    return SetListValue(0x8111, kElementOfPage[value - 1]);
}

uint16_t COrlaKavoSource::GetCapability8100()
{
    uint32_t index = 0;
    if (GetCurrentIndex(0x8100, &index) != kKavoOk)
        return 0;
    return index == 1 ? 2 : index == 2 ? 1 : 3;
}

bool COrlaKavoSource::GetCapability8129()
{
    uint32_t index = 0;
    return GetCurrentIndex(0x8129, &index) == kKavoOk && index == 1;
}

int32_t COrlaKavoSource::SetCapability813CTo4()
{
    return CallModule(this, kKavoSet, 0x813c, kKavoDataUintValue, AsValue(4), nullptr, nullptr);
}

bool COrlaKavoSource::IsCapability813CAt4()
{
    uint32_t index = 0;
    return GetCurrentIndex(0x813c, &index) == kKavoOk && index == 4;
}

uint16_t COrlaKavoSource::GetStringIndex(uint32_t cap, std::vector<CQzString>* out)
{
    uint32_t index = 0;
    int32_t result;
    if (out) {
        KavoListRecord list = {};
        result = GetListStrings(*out, cap, &list);
        index = list.currentIndex;
    } else {
        result = GetCurrentIndex(cap, &index);
    }
    if (result != kKavoOk || index >= kReadFailed)
        return kReadFailed;
    return static_cast<uint16_t>(index);
}

uint16_t COrlaKavoSource::GetShutterSpeed(std::vector<CQzString>* list) { return GetStringIndex(0x8112, list); }
uint16_t COrlaKavoSource::GetAperture(std::vector<CQzString>* list) { return GetStringIndex(0x8113, list); }

int32_t COrlaKavoSource::SetStringIndex(uint32_t cap, uint16_t index)
{
    uint32_t count = 0;
    const int32_t result = GetListStringCount(&count, cap);
    if (result != kKavoOk)
        return result;
    if (index >= count)
        return kKavoValueNotOffered;
    return CallModule(this, kKavoSet, cap, kKavoDataUintValue, AsValue(index), nullptr, nullptr);
}

int32_t COrlaKavoSource::SetShutterSpeed(uint16_t index) { return SetStringIndex(0x8112, index); }
int32_t COrlaKavoSource::SetAperture(uint16_t index) { return SetStringIndex(0x8113, index); }

int32_t COrlaKavoSource::GetCurrentString(uint32_t cap, CQzString* out, bool defaultEntry)
{
    *out = "";
    std::vector<CQzString> entries;
    KavoListRecord list = {};
    int32_t result = GetListStrings(entries, cap, &list);
    const uint32_t index = defaultEntry ? list.defaultIndex : list.currentIndex;
    if (result == kKavoOk && index >= entries.size())
        result = kKavoValueNotOffered;
    if (result == kKavoOk)
        *out = entries[index];
    return result;
}

int32_t COrlaKavoSource::GetSensitivity(std::vector<int32_t>* out)
{
    std::vector<CQzString> entries;
    KavoListRecord list = {};
    const int32_t result = GetListStrings(entries, 0x8117, &list);
    if (out) {
        out->clear();
        for (const CQzString& entry : entries)
            out->push_back(std::atoi(entry));
    }
    if (result != kKavoOk || list.currentIndex >= entries.size())
        return 0;
    return std::atoi(entries[list.currentIndex]);
}

int32_t COrlaKavoSource::SetSensitivity(int32_t value)
{
    Enter();
    std::vector<CQzString> entries;
    int32_t result = GetListStrings(entries, 0x8117);
    if (result == kKavoOk) {
        result = kKavoValueNotOffered;
        for (size_t i = 0; i < entries.size(); ++i)
            if (std::atoi(entries[i]) == value) {
                result = CallModule(this, kKavoSet, 0x8117, kKavoDataUintValue, AsValue(static_cast<uint32_t>(i)),
                                    nullptr, nullptr);
                break;
            }
    }
    Leave();
    return result;
}

uint16_t COrlaKavoSource::GetImageSize()
{
    if (!HasCapability(0x8157))
        return 0;
    CQzString entry;
    return GetCurrentString(0x8157, &entry) == kKavoOk ? ImageSizeKind(entry) : 0;
}

int32_t COrlaKavoSource::SetImageSize(uint16_t value)
{
    if (!HasCapability(0x8157))
        return kNoImageSize;
    if (value != 1 && value != 2)
        return kKavoValueNotOffered;
    std::vector<CQzString> entries;
    const int32_t result = GetListStrings(entries, 0x8157);
    if (result != kKavoOk)
        return result;
    // Size 2 is "5.4" where the camera has it, else "6.0".
    const char* const wanted[] = {value == 1 ? "2.7" : "5.4", value == 1 ? nullptr : "6.0"};
    for (const char* text : wanted)
        for (size_t i = 0; text && i < entries.size(); ++i)
            if (entries[i].Find(text) >= 0)
                return CallModule(this, kKavoSet, 0x8157, kKavoDataUintValue, AsValue(static_cast<uint32_t>(i)),
                                  nullptr, nullptr);
    return kKavoValueNotOffered;
}

uint16_t COrlaKavoSource::GetContinuousSpeed(bool defaultEntry)
{
    CQzString entry;
    return GetCurrentString(0x813d, &entry, defaultEntry) == kKavoOk ? ContinuousSpeedKind(entry) : 0;
}

int32_t COrlaKavoSource::SetContinuousSpeed(uint16_t value)
{
    if (value < 1 || value > 6)
        return kKavoValueNotOffered;
    std::vector<CQzString> entries;
    const int32_t result = GetListStrings(entries, 0x813d);
    if (result != kKavoOk)
        return result;
    for (size_t i = 0; i < entries.size(); ++i)
        if (ContinuousSpeedKind(entries[i]) == value)
            return CallModule(this, kKavoSet, 0x813d, kKavoDataUintValue, AsValue(static_cast<uint32_t>(i)), nullptr,
                              nullptr);
    return kKavoValueNotOffered;
}

bool COrlaKavoSource::HasGridDisplayModes()
{
    uint32_t count = 0;
    return GetListStringCount(&count, 0x8147) == kKavoOk && count > 4;
}

uint32_t COrlaKavoSource::GetCustomBankCount()
{
    uint32_t count = 0;
    return GetListStringCount(&count, 0x8125) == kKavoOk ? count : 0;
}

uint32_t COrlaKavoSource::GetCapability8151Count()
{
    if (!HasCapability(kCapWhiteBalancePreset))
        return 1;
    uint32_t count = 0;
    return GetListStringCount(&count, kCapWhiteBalancePreset) == kKavoOk ? count : 0;
}

// ---- Ranges ------------------------------------------------------------------------------

int16_t COrlaKavoSource::GetRangeStep(uint32_t cap)
{
    KavoRangeRecord range;
    if (GetRange(cap, &range) != kKavoOk || !IsSteppedRange(range) || range.valueIndex >= range.stepCount)
        return 0;
    return static_cast<int16_t>(static_cast<int64_t>(range.valueIndex) - (range.stepCount - 1) / 2);
}

uint16_t COrlaKavoSource::GetRangeStepKind(uint32_t cap)
{
    KavoRangeRecord range;
    if (GetRange(cap, &range) != kKavoOk || !IsSteppedRange(range))
        return 0;
    // Positions per unit: 3 a third, 2 a half, 1 a whole.
    const double perUnit = std::trunc(range.stepCount / (range.upper - range.lower));
    return perUnit == 3 ? 1 : perUnit == 2 ? 2 : perUnit == 1 ? 3 : 0;
}

int32_t COrlaKavoSource::SetRangeStep(uint32_t cap, int16_t step)
{
    Enter();
    KavoRangeRecord range;
    int32_t result = GetRange(cap, &range);
    if (result == kKavoOk) {
        const double perUnit =
            IsSteppedRange(range) ? std::trunc((range.stepCount - 1) / (range.upper - range.lower)) : 0;
        const int64_t index = static_cast<int64_t>((range.stepCount - 1) / 2) + step;
        if (perUnit < 1 || index < 0 || index >= range.stepCount) {
            result = kKavoValueNotOffered;
        } else {
            range.value = step / perUnit;
            range.valueIndex = static_cast<uint32_t>(index);
            result = CallModule(this, kKavoSet, cap, kKavoDataRange, &range, nullptr, nullptr);
        }
    }
    Leave();
    return result;
}

int16_t COrlaKavoSource::GetFlexibleProgram() { return GetRangeStep(0x8114); }
uint16_t COrlaKavoSource::GetFlexibleProgramStep() { return GetRangeStepKind(0x8114); }
int32_t COrlaKavoSource::SetFlexibleProgram(int16_t step) { return SetRangeStep(0x8114, step); }
int16_t COrlaKavoSource::GetExposureCompensation() { return GetRangeStep(0x8115); }
uint16_t COrlaKavoSource::GetExposureCompensationStep() { return GetRangeStepKind(0x8115); }
int32_t COrlaKavoSource::SetExposureCompensation(int16_t step) { return SetRangeStep(0x8115, step); }

double COrlaKavoSource::GetExposureCompensationValue()
{
    KavoRangeRecord range;
    if (GetRange(0x8115, &range) != kKavoOk || !IsSteppedRange(range))
        return 0.0;
    return range.lower + range.valueIndex * (range.upper - range.lower) / (range.stepCount - 1);
}

int16_t COrlaKavoSource::GetWhiteBalanceTune(uint16_t mode)
{
    KavoRangeRecord range;
    if (mode < 1 || mode > kWhiteBalanceTuneModes || GetRange(kCapFirstWhiteBalanceTune + mode - 1, &range) != kKavoOk)
        return 0;
    return static_cast<int16_t>(static_cast<int64_t>(range.valueIndex) - kWhiteBalanceTuneMiddle);
}

int16_t COrlaKavoSource::GetWhiteBalanceTuneDefault(uint16_t mode)
{
    KavoRangeRecord range;
    if (mode < 1 || mode > kWhiteBalanceTuneModes || GetRange(kCapFirstWhiteBalanceTune + mode - 1, &range) != kKavoOk)
        return 0;
    return static_cast<int16_t>(static_cast<int64_t>(range.defaultIndex) - kWhiteBalanceTuneMiddle);
}

int32_t COrlaKavoSource::SetWhiteBalanceTune(uint16_t mode, int16_t tune)
{
    const int32_t index = tune + kWhiteBalanceTuneMiddle;
    if (mode < 1 || mode > kWhiteBalanceTuneModes || index < 0)
        return kKavoValueNotOffered;
    KavoRangeRecord range;
    const int32_t result = GetRange(kCapFirstWhiteBalanceTune + mode - 1, &range);
    if (result != kKavoOk)
        return result;
    if (static_cast<uint32_t>(index) >= range.stepCount)
        return kKavoValueNotOffered;
    return CallModule(this, kKavoSet, kCapFirstWhiteBalanceTune + mode - 1, kKavoDataUintValue,
                      AsValue(static_cast<uint32_t>(index)), nullptr, nullptr);
}

// ---- Booleans and plain values -----------------------------------------------------------

bool COrlaKavoSource::GetContinuousShooting() { return GetBoolByte(0x814d); }
int32_t COrlaKavoSource::SetContinuousShooting(bool on) { return SetBool(0x814d, on); }
bool COrlaKavoSource::GetRawCompression() { return GetBoolByte(0x8158); }
int32_t COrlaKavoSource::SetRawCompression(bool on) { return SetBool(0x8158, on); }
bool COrlaKavoSource::GetCapability8106() { return GetBoolByte(0x8106); }
bool COrlaKavoSource::GetCapability8142() { return GetBoolByte(0x8142); }
bool COrlaKavoSource::GetCapability8143() { return GetBoolByte(0x8143); }
int32_t COrlaKavoSource::SetCapability8146(bool on) { return SetBool(0x8146, on); }
int32_t COrlaKavoSource::SetCustomSettingsMode(bool on) { return SetBool(0x8141, on); }

uint16_t COrlaKavoSource::GetCapability8109()
{
    int32_t value = 0;
    if (CallModule(this, kKavoGet, 0x8109, kKavoDataInt, &value, nullptr, nullptr) != kKavoOk)
        return 0;
    return static_cast<uint16_t>(value & 0xffff);
}

int16_t COrlaKavoSource::GetCapability810B()
{
    double x = 0.0;
    if (CallModule(this, kKavoGet, 0x810b, kKavoDataDouble, &x, nullptr, nullptr) != kKavoOk || !std::isfinite(x))
        return 0;
    const double sixths = std::clamp(6.0 * x, -32768.0, 32767.0);
    if (sixths > 0)
        return static_cast<int16_t>(std::trunc(sixths + 0.05));
    if (sixths < 0)
        return static_cast<int16_t>(std::trunc(sixths - 0.05));
    return 0;
}

uint32_t COrlaKavoSource::GetCapabilityE()
{
    uint32_t value = 0;
    return GetUlong(0xe, &value) == kKavoOk ? value : 0;
}

int32_t COrlaKavoSource::GetCapability8144Left(CQzString* out)
{
    char text[256] = {};
    const int32_t result = CallModule(this, kKavoGet, 0x8144, kKavoDataString, text, nullptr, nullptr);
    *out = KavoText(text);
    const int32_t slash = out->Find("/");
    if (slash >= 0)
        *out = CQzString(static_cast<const char*>(*out), slash);
    return result;
}

int32_t COrlaKavoSource::GetCapability8144Right(CQzString* out)
{
    char text[256] = {};
    const int32_t result = CallModule(this, kKavoGet, 0x8144, kKavoDataString, text, nullptr, nullptr);
    *out = KavoText(text);
    const int32_t slash = out->Find("/");
    // The part that starts two characters after the slash, when there is one.
    if (slash >= 0)
        *out = slash + 2 <= out->GetLength() ? CQzString(static_cast<const char*>(*out) + slash + 2) : CQzString("");
    return result;
}

int32_t COrlaKavoSource::GetCameraID(CQzString* out)
{
    char text[256] = {};
    const int32_t result = CallModule(this, kKavoGet, 0x8148, kKavoDataString, text, nullptr, nullptr);
    *out = KavoText(text);
    return result;
}

int32_t COrlaKavoSource::SetCameraID(const char* value)
{
    char text[256] = {};
    std::strncpy(text, value ? value : "", sizeof(text) - 1);
    return CallModule(this, kKavoSet, 0x8148, kKavoDataString, text, nullptr, nullptr);
}

int32_t COrlaKavoSource::GetCameraClock(KavoDateTime* out)
{
    KavoDateTime clock = {};
    const int32_t result = CallModule(this, kKavoGet, 0x8124, kKavoDataDateTime, &clock, nullptr, nullptr);
    *out = result == kKavoOk ? clock : KavoDateTime{};
    return result;
}

int32_t COrlaKavoSource::SetCameraClock(const KavoDateTime* given)
{
    KavoDateTime clock = given ? *given : SystemTimeNow();
    return CallModule(this, kKavoSet, 0x8124, kKavoDataDateTime, &clock, nullptr, nullptr);
}

// ---- Actions -----------------------------------------------------------------------------

int32_t COrlaKavoSource::StartAutofocus(CCommandQueue* queue)
{
    if (queue) {
        queue->AddCommand(this, kKavoStart, kCapAutofocus, kKavoDataNone, nullptr);
        return kKavoOk;
    }
    return CallModule(this, kKavoStart, kCapAutofocus, kKavoDataNone, nullptr, nullptr, nullptr);
}

int32_t COrlaKavoSource::MeasureWhiteBalance(uint16_t preset)
{
    if (preset < kFirstMeasuredPreset || preset > kLastMeasuredPreset)
        return kBadPreset;
    if (HasCapability(kCapWhiteBalancePreset)) {
        const int32_t result = CallModule(this, kKavoSet, kCapWhiteBalancePreset, kKavoDataUintValue,
                                          AsValue(preset - kFirstMeasuredPreset), nullptr, nullptr);
        if (result != kKavoOk)
            return result;
    }
    return CallModule(this, kKavoStart, kCapMeasureWhiteBalance, kKavoDataNone, nullptr, nullptr, nullptr);
}
