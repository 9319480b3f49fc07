#include "app/camera/simulated/sim_profiles.h"

#include <cstring>

namespace kavosim {

namespace {

constexpr uint32_t kGet = kKavoOpGet;
constexpr uint32_t kSet = kKavoOpSet;
constexpr uint32_t kGetSet = kKavoOpGet | kKavoOpSet | kKavoOpGetDefault;
constexpr uint32_t kList = kKavoOpGet | kKavoOpSet | kKavoOpGetArray | kKavoOpGetDefault;

Capability& Add(SimNode* node, uint32_t id, uint32_t type, uint32_t ops, const char* description,
                uint32_t attributes = 0)
{
    Capability& cap = node->caps[id];
    cap.info.id = id;
    cap.info.type = type;
    cap.info.attributes = attributes;
    cap.info.operations = ops;
    std::strncpy(cap.info.description, description, sizeof(cap.info.description) - 1);
    return cap;
}

// The defaults are the values the object starts with.
void Seal(Capability& cap) { cap.defaults = cap.value; }

void AddProcedures(SimNode* node, bool data)
{
    Add(node, kKavoCapProgressProc, kSimCapProcedure, kSet, "Progress procedure");
    Add(node, kKavoCapEventProc, kSimCapProcedure, kSet, "Event procedure");
    Add(node, kKavoCapUserRequestProc, kSimCapProcedure, kSet, "User request procedure");
    if (data)
        Add(node, kKavoCapDataProc, kSimCapProcedure, kSet, "Data procedure");
}

void AddBool(SimNode* node, uint32_t id, uint32_t ops, bool value, const char* description)
{
    Capability& cap = Add(node, id, kKavoCapBool, ops, description);
    cap.value.boolean = value ? 1 : 0;
    Seal(cap);
}

void AddInt(SimNode* node, uint32_t id, uint32_t ops, int32_t value, const char* description)
{
    Capability& cap = Add(node, id, kKavoCapInt, ops, description);
    cap.value.integer = value;
    Seal(cap);
}

void AddUint(SimNode* node, uint32_t id, uint32_t ops, uint32_t value, const char* description)
{
    Capability& cap = Add(node, id, kKavoCapUint, ops, description);
    cap.value.unsignedValue = value;
    Seal(cap);
}

void AddDouble(SimNode* node, uint32_t id, uint32_t ops, double value, const char* description)
{
    Capability& cap = Add(node, id, kKavoCapDouble, ops, description);
    cap.value.real = value;
    Seal(cap);
}

void AddString(SimNode* node, uint32_t id, uint32_t ops, const char* value, const char* description)
{
    Capability& cap = Add(node, id, kKavoCapString, ops, description);
    cap.value.text = value;
    Seal(cap);
}

void AddDate(SimNode* node, uint32_t id, uint32_t ops, KavoDateTime value, const char* description)
{
    Capability& cap = Add(node, id, kKavoCapDateTime, ops, description);
    cap.value.date = value;
    Seal(cap);
}

void AddValues(SimNode* node, uint32_t id, uint32_t elementType, const std::vector<uint32_t>& values, uint32_t current,
               const char* description, uint32_t attributes = 0)
{
    Capability& cap = Add(node, id, kKavoCapList, kList, description, attributes);
    cap.value.elementType = elementType;
    cap.value.bytesPerElement = elementType == kKavoListBytes ? 1 : 4;
    for (uint32_t v : values) {
        uint8_t bytes[4];
        std::memcpy(bytes, &v, 4);
        cap.value.elements.insert(cap.value.elements.end(), bytes, bytes + cap.value.bytesPerElement);
    }
    cap.value.currentIndex = cap.value.defaultIndex = current;
    Seal(cap);
}

// Indexes 0 .. count-1, as plain values.
void AddIndexList(SimNode* node, uint32_t id, uint32_t count, uint32_t current, const char* description)
{
    std::vector<uint32_t> values;
    for (uint32_t i = 0; i < count; ++i)
        values.push_back(i);
    AddValues(node, id, kKavoListUlongs, values, current, description, kKavoAttrSelected);
}

void AddStrings(SimNode* node, uint32_t id, const std::vector<const char*>& entries, uint32_t current,
                const char* description, bool packed = false)
{
    Capability& cap = Add(node, id, kKavoCapList, kList, description, kKavoAttrSelected);
    cap.value.elementType = packed ? kKavoListPackedStrings : kKavoListStrings;
    cap.value.bytesPerElement = packed ? 1 : 256;
    for (const char* entry : entries) {
        const size_t length = std::strlen(entry);
        if (packed) {
            cap.value.elements.insert(cap.value.elements.end(), entry, entry + length + 1);
        } else {
            std::vector<uint8_t> element(256, 0);
            std::memcpy(element.data(), entry, length);
            cap.value.elements.insert(cap.value.elements.end(), element.begin(), element.end());
        }
    }
    cap.value.currentIndex = cap.value.defaultIndex = current;
    Seal(cap);
}

void AddDoubles(SimNode* node, uint32_t id, const std::vector<double>& values, uint32_t current,
                const char* description)
{
    Capability& cap = Add(node, id, kKavoCapList, kList, description);
    cap.value.elementType = kKavoListDoubles;
    cap.value.bytesPerElement = 8;
    for (double v : values) {
        uint8_t bytes[8];
        std::memcpy(bytes, &v, 8);
        cap.value.elements.insert(cap.value.elements.end(), bytes, bytes + 8);
    }
    cap.value.currentIndex = cap.value.defaultIndex = current;
    Seal(cap);
}

void AddRange(SimNode* node, uint32_t id, double lower, double upper, uint32_t steps, uint32_t index,
              const char* description)
{
    Capability& cap = Add(node, id, kKavoCapRange, kGetSet, description, kKavoAttrSelected);
    KavoRangeRecord& r = cap.value.range;
    r.lower = lower;
    r.upper = upper;
    r.stepCount = steps;
    r.valueIndex = r.defaultIndex = index;
    r.value = r.defaultValue = steps > 1 ? lower + index * (upper - lower) / (steps - 1) : lower;
    Seal(cap);
}

void AddArray(SimNode* node, uint32_t id, uint32_t ops, uint16_t bytesPerElement, std::vector<uint8_t> bytes,
              const char* description)
{
    Capability& cap = Add(node, id, kSimCapArray, ops, description);
    cap.value.elementType = 2;
    cap.value.bytesPerElement = bytesPerElement;
    cap.value.bitsPerElement = static_cast<uint16_t>(8 * bytesPerElement);
    cap.value.elements = std::move(bytes);
    Seal(cap);
}

void AddGroup(SimNode* node, uint32_t id, const std::vector<uint32_t>& members, const char* description)
{
    Capability& cap = Add(node, id, kKavoCapGroup, kKavoOpGet | kKavoOpGetArray, description,
                          kKavoAttrSelected | kKavoAttrGroup);
    cap.value.elementType = 2;
    cap.value.bytesPerElement = 4;
    cap.value.bitsPerElement = 32;
    for (uint32_t member : members) {
        uint8_t bytes[4];
        std::memcpy(bytes, &member, 4);
        cap.value.elements.insert(cap.value.elements.end(), bytes, bytes + 4);
    }
    Seal(cap);
}

void AddChildren(SimNode* node)
{
    Capability& cap = Add(node, kKavoCapChildren, kKavoCapList, kKavoOpGet | kKavoOpGetArray, "Children");
    cap.value.elementType = kKavoListUlongs;
    cap.value.bytesPerElement = 4;
}

bool Full(const std::string& profile) { return profile != "minimal"; }

// The camera kind that the model's name tells the program.
const char* ModelName(const std::string& profile)
{
    if (profile == "M4" || profile == "M4H" || profile == "M4X")
        return profile.c_str();
    return profile == "minimal" ? "Minimal" : "Other";
}

// The custom settings: each an index list of this many entries.
struct CustomSetting {
    uint32_t id;
    uint32_t entries;
};

const CustomSetting kCustomSettings[] = {
    {0x8126, 2}, {0x8127, 3}, {0x8129, 2}, {0x812a, 2}, {0x812b, 2}, {0x8100, 3}, {0x812d, 5}, {0x8132, 4},
    {0x8133, 4}, {0x8136, 5}, {0x8139, 2}, {0x813a, 4}, {0x813b, 4}, {0x813c, 5}, {0x8149, 2}, {0x814f, 3},
};
const uint32_t kCustomBooleans[] = {0x8128, 0x812e, 0x812f, 0x8130, 0x8131, 0x8134, 0x8138};

}  // namespace

void AddModuleCapabilities(SimNode* node, const std::string&, uint32_t pollInterval)
{
    AddUint(node, kKavoCapPollInterval, kGet, pollInterval, "Poll interval");
    AddProcedures(node, false);
    AddChildren(node);
    AddString(node, kKavoCapName, kGet, "Simulated camera module", "Module name");
    AddUint(node, 54, kGet, 1, "Module revision");
    AddUint(node, 58, kGet, 12288, "Module level");
    AddUint(node, 0x8101, kGetSet, 0, "Camera events");
}

void AddSourceCapabilities(SimNode* node, const std::string& profile, uint32_t pollInterval)
{
    AddUint(node, kKavoCapPollInterval, kGet, pollInterval, "Poll interval");
    AddProcedures(node, false);
    AddChildren(node);
    AddString(node, kKavoCapName, kGet, ModelName(profile), "Camera model");
    AddUint(node, kKavoCapDataKinds, kGet, 0x1 | 0x8, "Data kinds");
    Add(node, kKavoCapCapture, kSimCapProcedure, kKavoOpStart, "Take a picture");
    if (!Full(profile))
        return;

    AddArray(node, kKavoCapByteArray, kGet | kSet | kKavoOpGetArray, 1, {1, 2, 3, 4, 5, 6, 7, 8}, "User bytes");
    AddString(node, kKavoCapText, kGetSet, "Owner", "Owner text");
    AddString(node, 11, kGet, "SIM0001", "Serial number");
    AddString(node, 46, kGet, "1.00", "Firmware");
    Add(node, 15, kSimCapProcedure, kKavoOpStart, "Start 15");
    Add(node, 16, kSimCapProcedure, kKavoOpStart, "Start 16");
    Add(node, 52, kSimCapProcedure, kKavoOpStart, "Start 52");
    Add(node, 0x1e, kSimCapProcedure, kKavoOpStart, "Autofocus");
    Add(node, 0x8104, kSimCapProcedure, kKavoOpStart, "Measure white balance");
    AddUint(node, 45, kGetSet, 0, "Setting 45");
    AddInt(node, 49, kGet, -2, "Setting 49");
    AddDouble(node, 50, kGet, 1.5, "Setting 50");
    AddUint(node, 51, kGet, 3, "Setting 51");
    AddUint(node, 14, kGet, 12, "Frames left");
    AddInt(node, 0x8109, kGet, 3, "Main battery level");
    AddDouble(node, 0x810b, kGet, -0.5, "Exposure meter");
    AddUint(node, 0x810a, kGet, 1, "Setting 0x810a");
    AddUint(node, 0x8116, kGet, 0, "Metering mode");
    AddUint(node, 0x8120, kGet, 0, "Setting 0x8120");
    AddString(node, 0x8144, kGet, "12/34", "Counter");
    AddString(node, 0x8148, kGetSet, "SIMCAM", "Camera ID");
    AddDate(node, 0x8124, kGetSet, KavoDateTime{2026, 11, 10, 12, 0, 0, 0}, "Camera clock");
    AddBool(node, 0x814d, kGetSet, false, "Continuous shooting");
    AddBool(node, 0x8158, kGetSet, true, "Raw compression");
    AddBool(node, 0x8106, kGet, false, "Setting 0x8106");
    AddBool(node, 0x8142, kGet, false, "Setting 0x8142");
    AddBool(node, 0x8143, kGet, true, "Setting 0x8143");
    AddBool(node, 0x8146, kSet, false, "Setting 0x8146");
    AddBool(node, 0x8141, kSet, false, "Custom settings mode");

    AddIndexList(node, 0x8107, 2, 0, "Keep awake");
    AddIndexList(node, 0x810c, 2, 0, "Setting 0x810c");
    AddIndexList(node, 0x810f, 3, 0, "Data format");
    AddIndexList(node, 0x8110, 7, 2, "Compression");
    AddIndexList(node, 0x8118, 12, 0, "White balance");
    AddIndexList(node, 0x8121, 2, 0, "AF area mode");
    AddIndexList(node, 0x8122, 5, 2, "Focus area");
    AddIndexList(node, 0x8156, 2, 0, "Setting 0x8156");
    AddStrings(node, 0x8151, {"Preset 1", "Preset 2", "Preset 3", "Preset 4", "Preset 5"}, 0, "White balance preset");
    AddValues(node, 0x26, kKavoListBytes, {0, 1, 2}, 0, "Image type", kKavoAttrSelected);
    AddValues(node, 0x35, kKavoListUlongs, {0, 1, 2, 3, 4, 5}, 0, "Flash sync mode", kKavoAttrSelected);
    AddValues(node, 0x8111, kKavoListUlongs, {0, 1, 2, 3}, 0, "Exposure mode", kKavoAttrSelected);
    AddStrings(node, 0x8112, {"1/4000", "1/1000", "1/250", "1/60", "1/15", "1", "30"}, 2, "Shutter speed");
    AddStrings(node, 0x8113, {"2.8", "4", "5.6", "8", "11", "16"}, 2, "Aperture");
    AddStrings(node, 0x8117, {"100", "200", "400", "800"}, 1, "Sensitivity");
    AddStrings(node, 0x8157, {"2.7M", "5.4M"}, 1, "Image size");
    AddStrings(node, 0x8125, {"A", "B", "C", "D"}, 0, "Custom bank");
    AddStrings(node, 0x8135, profile == "M4" ? std::vector<const char*>{"0", "1", "2"} : std::vector<const char*>{"0", "2"},
               0, "Setting 0x8135");
    AddStrings(node, 0x813d, {"CH", "CL", "3", "2", "1"}, 0, "Continuous speed", true);
    AddStrings(node, 0x8147, {"1", "2", "3", "4", "5", "6"}, 0, "Grid display", true);
    AddRange(node, 0x8114, -3.0, 3.0, 31, 15, "Flexible program");
    AddRange(node, 0x8115, -2.0, 2.0, 13, 6, "Exposure compensation");
    for (uint32_t mode = 0; mode < 7; ++mode)
        AddRange(node, 0x8119 + mode, -3.0, 3.0, 7, 3, "White balance tune");
    AddRange(node, 0x813e, 1.0, 9.0, 9, 2, "Setting 0x813e");
    std::vector<uint8_t> curve(64, 0);
    const uint8_t head[] = {'I', '_', 0, 255, 0, 255, 1, 0, 2, 0, 0, 255, 255};
    std::memcpy(curve.data(), head, sizeof(head));
    AddArray(node, 0x813f, kGet | kSet | kKavoOpGetArray, 1, curve, "Tone curve");
    AddArray(node, 0x29, kGet | kSet | kKavoOpGetArray, 1, std::vector<uint8_t>(16, 0x80), "Tone table");
    AddGroup(node, 0x8160, {0x8112, 0x8113, 0x8117}, "Exposure group");

    for (const CustomSetting& setting : kCustomSettings)
        if (!node->caps.count(setting.id))
            AddIndexList(node, setting.id, setting.entries, 0, "Custom setting");
    for (uint32_t id : kCustomBooleans)
        AddBool(node, id, kGetSet, false, "Custom setting");
    if (profile == "M4")
        AddBool(node, 0x8137, kGetSet, false, "Custom setting");
    if (profile == "M4H" || profile == "M4X") {
        AddIndexList(node, 0x8153, 3, 0, "Custom setting");
        AddBool(node, 0x8154, kGetSet, false, "Custom setting");
        AddIndexList(node, 0x815e, 3, 0, "Custom setting");
        AddIndexList(node, 0x815d, 2, 0, "Custom setting");
    }
    if (profile == "M4X")
        AddBool(node, 0x8159, kGetSet, false, "Custom setting");
}

void AddItemCapabilities(SimNode* node, const std::string& profile, uint32_t number)
{
    AddProcedures(node, false);
    AddChildren(node);
    char name[32];
    std::snprintf(name, sizeof(name), "SIM%05u", static_cast<unsigned>(number % 100000));
    AddString(node, kKavoCapName, kGet, name, "Picture name");
    AddUint(node, kKavoCapDataKinds, kGet, 0x1 | 0x8, "Data kinds");
    if (!Full(profile))
        return;
    AddDate(node, kKavoCapItemDate, kGet, KavoDateTime{2026, 11, 10, 12, 0, static_cast<uint16_t>(number % 60), 0},
            "Taken");
    AddUint(node, kKavoCapDataSize, kGet, number, "Picture number");
}

void AddDataCapabilities(SimNode* node, const std::string& profile, const std::vector<std::string>& formats,
                         uint32_t size)
{
    AddProcedures(node, true);
    Add(node, kKavoCapDeliver, kSimCapProcedure, kKavoOpStart, "Deliver the data");
    {
        Capability& cap = Add(node, kKavoCapDataFormat, kKavoCapList, kList, "Data format");
        cap.value.elementType = kKavoListStrings;
        cap.value.bytesPerElement = 256;
        for (const std::string& format : formats) {
            std::vector<uint8_t> element(256, 0);
            std::memcpy(element.data(), format.data(), format.size() < 255 ? format.size() : 255);
            cap.value.elements.insert(cap.value.elements.end(), element.begin(), element.end());
        }
        Seal(cap);
    }
    if (!Full(profile))
        return;
    AddUint(node, kKavoCapDataSize, kGet, size, "Data size");
    AddBool(node, kKavoCapDeliverFlag, kSet, false, "Deliver flag");
    AddValues(node, 0x1b, kKavoListUlongs, {1, 2, 4}, 0, "Setting 0x1b");
    AddValues(node, 0x26, kKavoListUlongs, {0, 1, 2}, 0, "Image type");
    AddValues(node, 0x27, kKavoListUlongs, {8, 16}, 0, "Bits per sample");
    AddDoubles(node, 0x23, {1.0, 2.0, 4.0}, 0, "Setting 0x23");
    AddRange(node, 0x2b, 1.0, 4.0, 0, 0, "Setting 0x2b");
    AddArray(node, 0x29, kGet | kSet | kKavoOpGetArray, 1, std::vector<uint8_t>(12, 0x40), "Pixel table");
    {
        Capability& cap = Add(node, 0x22, kKavoCapRect, kGetSet, "Crop");
        cap.value.rect = KavoRect{0, 0, 640, 480};
        Seal(cap);
    }
    {
        Capability& cap = Add(node, 0x2c, kKavoCapSize, kGet, "Size");
        cap.value.size = KavoSize{640, 480};
        Seal(cap);
    }
    {
        Capability& cap = Add(node, 0x20, kKavoCapPoint, kGetSet, "Focus point");
        cap.value.point = KavoPoint{320, 240};
        Seal(cap);
    }
    AddBool(node, 0x24, kGetSet, false, "Setting 0x24");
    AddBool(node, 0x25, kGetSet, true, "Setting 0x25");
    AddBool(node, 0x28, kGetSet, false, "Setting 0x28");
    AddBool(node, 0x2a, kGetSet, false, "Setting 0x2a");
    Add(node, 0x1c, kSimCapProcedure, kKavoOpStart, "Start 0x1c");
    Add(node, 0x1e, kSimCapProcedure, kKavoOpStart, "Start 0x1e");
    AddBool(node, 0x1d, kSet, false, "Setting 0x1d");
    AddBool(node, 0x1f, kSet, false, "Setting 0x1f");
}

void ApplyScenarioShapes(SimNode* node, const Scenario& scenario)
{
    for (const auto& [id, shape] : scenario.ranges) {
        auto it = node->caps.find(id);
        if (it == node->caps.end())
            continue;
        Capability& cap = it->second;
        cap.info.type = kKavoCapRange;
        cap.value = CapValue();
        KavoRangeRecord& r = cap.value.range;
        r.lower = shape.lower;
        r.upper = shape.upper;
        r.stepCount = shape.steps;
        r.valueIndex = r.defaultIndex = shape.index;
        r.value = r.defaultValue =
            shape.steps > 1 ? shape.lower + shape.index * (shape.upper - shape.lower) / (shape.steps - 1) : shape.lower;
        Seal(cap);
    }
    for (const auto& [id, bytes] : scenario.arrayBytes) {
        auto it = node->caps.find(id);
        if (it == node->caps.end() || it->second.info.type != kSimCapArray)
            continue;
        it->second.value.elements = bytes;
        Seal(it->second);
    }
}

}  // namespace kavosim
