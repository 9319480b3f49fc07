#include "app/camera/simulated/sim_module.h"

#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "app/camera/simulated/sim_profiles.h"
#include "app/camera/simulated/sim_trace.h"

namespace kavosim {

namespace {

// More elements than any simulated capability holds; larger sets are refused.
constexpr uint32_t kMaxElements = 1u << 20;

const char* ObjectKind(const SimNode* node)
{
    switch (node->type) {
    case kSimModuleObject:
        return "module";
    case kSimSourceObject:
        return "source";
    case kSimItemObject:
        return "item";
    default:
        return node->id == 8 ? "thumbnail" : "image";
    }
}

bool Matches(const ScenarioCall& call, const SimNode* node, uint32_t command, uint32_t param)
{
    if (call.object != "any" && (!node || call.object != ObjectKind(node)))
        return false;
    return (call.command == kAnyCommand || call.command == command) &&
           (call.capability == kAnyCapability || call.capability == param);
}

// The data type a capability type is read and written with.
uint32_t DataTypeOf(uint32_t capType)
{
    if (capType >= kKavoCapBool && capType <= kKavoCapDateTime)
        return capType + 3;
    switch (capType) {
    case kKavoCapGroup:
    case kSimCapArray:
        return kKavoDataArray;
    case kKavoCapList:
        return kKavoDataList;
    case kKavoCapRange:
        return kKavoDataRange;
    default:
        return kKavoDataNone;
    }
}

std::string ReadWholeFile(const std::string& path, bool* ok)
{
    std::string bytes;
    *ok = false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[8192];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, n);
    *ok = !std::ferror(file);
    std::fclose(file);
    return bytes;
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%" PRIx32, value);
    return text;
}

const char* FormatName(uint32_t format)
{
    switch (format) {
    case kKavoFormatJpeg:
        return "JPEG";
    case kKavoFormatTiff:
        return "TIFF";
    case kKavoFormatRaw:
        return "Raw";
    default:
        return "Data";
    }
}

// A request that carries capabilities points at something; the program only tests it.
uint32_t gRequestCapabilities[2] = {0x8112, 0x8113};

}  // namespace

CSimModule::CSimModule() = default;

CSimModule::~CSimModule()
{
    if (traceFile_)
        std::fclose(traceFile_);
}

void CSimModule::SetScenarioText(const std::string& text)
{
    scenarioText_ = text;
    scenarioGiven_ = true;
}

// ---- The entry point ------------------------------------------------------

int32_t CSimModule::Call(KavoObjectRecord* object, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                         KavoCompletionProc completion, void* reference)
{
    const bool moduleOpen = !object && command == kKavoOpen && param == 0;
    if (moduleOpen && !(Find("module") && Find("module")->record)) {
        ResetState();
        if (!scenarioGiven_) {
            const char* path = std::getenv("KAVO_SIM_SCENARIO");
            bool ok = false;
            scenarioText_ = path ? ReadWholeFile(path, &ok) : std::string();
        }
        scenario_ = ParseScenario(scenarioText_);
        if (!scenario_.tracePath.empty())
            traceFile_ = std::fopen(scenario_.tracePath.c_str(), "wb");
        for (const std::string& line : scenario_.errors)
            TraceLine("scenario ? " + line);
        Build();
    }
    const uint32_t sequence = ++sequence_;
    const uint32_t violationsBefore = violations_;
    SimNode* node = object ? NodeOf(object) : nullptr;
    const std::string name = node ? node->path : moduleOpen ? "module" : object ? "?" : "-";
    int32_t result = kKavoOk;
    bool pending = false;
    bool violated = false;

    auto violation = [&](const std::string& what) {
        Violation(node, what);
        violated = true;
        result = kSimBadArgument;
    };

    if (object && !node) {
        violation("call on a closed object");
    } else if (!object && !moduleOpen) {
        violation(command == kKavoOpen ? "open of the module twice" : "call without an object");
    } else if (node && IsDisconnected(node)) {
        result = kSimNotFound;
        if (command == kKavoClose) {
            open_.erase(object);
            node->record = nullptr;
        } else if (command == kKavoSet && param >= 2 && param <= 5 && dataType == kKavoDataCallback && data &&
                   !static_cast<KavoCallbackRecord*>(data)->procedure) {
            std::memset(&node->procs[param], 0, sizeof(node->procs[param]));
            result = kKavoOk;
        }
    } else {
        bool injected = false;
        for (size_t i = 0; i < scenario_.disconnects.size() && !injected; ++i)
            if (Matches(scenario_.disconnects[i], node, command, param) && !disconnectsUsed_[i]++) {
                Disconnect();
                result = kSimNotFound;
                injected = true;
            }
        for (size_t i = 0; i < scenario_.repeats.size() && !injected; ++i)
            if (Matches(scenario_.repeats[i].call, node, command, param) &&
                repeatsUsed_[i] < scenario_.repeats[i].times) {
                ++repeatsUsed_[i];
                result = kKavoRepeat;
                injected = true;
            }
        for (size_t i = 0; i < scenario_.fails.size() && !injected; ++i)
            if (Matches(scenario_.fails[i].call, node, command, param) &&
                (scenario_.fails[i].times == 0 || failsUsed_[i] < scenario_.fails[i].times)) {
                ++failsUsed_[i];
                result = scenario_.fails[i].code;
                injected = true;
            }
        for (size_t i = 0; i < scenario_.requests.size() && !injected; ++i) {
            const ScenarioRequest& request = scenario_.requests[i];
            if (!Matches(request.call, node, command, param))
                continue;
            const uint32_t answer = FireRequest(node ? node : Find("module"), request);
            if (request.disconnect) {
                Disconnect();
                result = kSimNotFound;
                injected = true;
            } else if (request.kind != kKavoRequestMessage &&
                       (answer == kKavoAnswerNone || answer == kKavoAnswerCancel || answer == kKavoAnswerNo)) {
                result = kSimDeclined;
                injected = true;
            }
        }
        // The object may have gone while a callback ran.
        node = object ? NodeOf(object) : nullptr;
        if (!injected) {
            if (object && !node)
                result = kSimNotFound;
            else
                result = Dispatch(node, object, command, param, dataType, data, completion, reference, &pending);
        }
    }
    violated = violated || violations_ != violationsBefore;

    std::string line = std::to_string(sequence) + " call " + name + " " +
                       (CommandName(command) ? CommandName(command) : std::to_string(command).c_str()) + " " +
                       Hex(param) + " " + std::to_string(dataType) + " ";
    const bool decodable = !(violated && result == kSimBadArgument) && dataType != kKavoDataCapInfo;
    line += decodable ? DecodeData(dataType, data) : "?";
    line += " -> " + std::to_string(result);
    TraceLine(line);

    const bool completes = command != kKavoPoll && command != kKavoAfterQueued && command != kKavoAbort;
    if (completion && completes && !pending)
        Owe(object, command, param, dataType, data, completion, reference, result);
    return result;
}

int32_t CSimModule::Dispatch(SimNode* node, KavoObjectRecord* object, uint32_t command, uint32_t param,
                             uint32_t dataType, void* data, KavoCompletionProc completion, void* reference,
                             bool* pending)
{
    switch (command) {
    case kKavoPoll:
        Poll();
        return kKavoOk;
    case kKavoOpen:
        return Open(node, param, dataType, data);
    case kKavoClose:
        return Close(node, object);
    case kKavoCapabilityCount:
        return Count(node, dataType, data);
    case kKavoCapabilityInfo:
        return Info(node, param, dataType, data);
    case kKavoStart:
        return Start(node, param, completion, reference, pending);
    case kKavoSet:
        return Set(node, param, dataType, data);
    case kKavoGet:
    case kKavoGetDefault:
        return Get(node, object, param, dataType, data, command == kKavoGetDefault);
    case kKavoGetArray:
        return GetArray(node, object, param, dataType, data);
    case kKavoAfterQueued:
        return kKavoOk;
    case kKavoAbort: {
        if (delivery_.active && delivery_.record == object)
            EndDelivery(kSimAborted);
        std::vector<Pending> aborted;
        for (auto it = pending_.begin(); it != pending_.end();)
            if (it->record == object) {
                aborted.push_back(*it);
                aborted.back().result = kSimAborted;
                it = pending_.erase(it);
            } else
                ++it;
        for (const Pending& p : aborted)
            Complete(p);
        return kKavoOk;
    }
    case kKavoEnumerate:
        RefreshChildList(node);
        return kKavoOk;
    case kKavoReset:
        return Reset(node);
    default:
        Violation(node, "unknown command " + std::to_string(command));
        return kSimNotSupported;
    }
}

// ---- Commands -------------------------------------------------------------

int32_t CSimModule::Open(SimNode* parent, uint32_t id, uint32_t dataType, void* data)
{
    if (dataType != kKavoDataObject || !data) {
        Violation(parent, "open without an object record");
        return kSimBadArgument;
    }
    SimNode* child = nullptr;
    if (!parent) {
        child = Find("module");
    } else if (std::find(parent->children.begin(), parent->children.end(), id) != parent->children.end()) {
        const std::string prefix = parent->type == kSimModuleObject ? "" : parent->path + "/";
        const char* kind = parent->type == kSimModuleObject ? "src" : parent->type == kSimSourceObject ? "item" : "data";
        child = Find(prefix + kind + std::to_string(id));
    }
    if (!child || IsDisconnected(child))
        return kSimNotFound;
    auto* record = static_cast<KavoObjectRecord*>(data);
    if (child->record || open_.count(record)) {
        Violation(child, "object opened twice");
        return kSimBadArgument;
    }
    record->type = child->type;
    record->id = child->id;
    record->moduleReference = child;
    child->record = record;
    open_[record] = child->path;
    for (auto it = headerRead_.begin(); it != headerRead_.end();)
        it = it->first.first == record ? headerRead_.erase(it) : std::next(it);
    return kKavoOk;
}

int32_t CSimModule::Close(SimNode* node, KavoObjectRecord* object)
{
    for (uint32_t cap = 2; cap <= 5; ++cap)
        if (node->procs[cap].procedure) {
            Violation(node, "close with callbacks set");
            break;
        }
    std::memset(node->procs, 0, sizeof(node->procs));
    // What the object still owed dies with it; so do its open descendants.
    const std::string below = node->path + "/";
    for (auto it = open_.begin(); it != open_.end();) {
        if (it->second.compare(0, below.size(), below) == 0) {
            if (SimNode* child = Find(it->second))
                child->record = nullptr;
            it = open_.erase(it);
        } else
            ++it;
    }
    if (delivery_.active && (delivery_.path == node->path || delivery_.path.compare(0, below.size(), below) == 0))
        delivery_.active = false;
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [&](const Pending& p) { return open_.count(p.record) == 0 || p.record == object; }),
                   pending_.end());
    open_.erase(object);
    node->record = nullptr;
    if (node->type == kSimModuleObject) {
        open_.clear();
        pending_.clear();
        delivery_.active = false;
    }
    return kKavoOk;
}

int32_t CSimModule::Count(SimNode* node, uint32_t dataType, void* data)
{
    if (dataType != kKavoDataUint || !data) {
        Violation(node, "capability count without a ULONG");
        return kSimBadArgument;
    }
    uint32_t count = static_cast<uint32_t>(node->caps.size());
    if (scenario_.capCountOverridden && (scenario_.capCountObject == "any" || scenario_.capCountObject == ObjectKind(node)))
        count = scenario_.capCount;
    std::memcpy(data, &count, 4);
    return kKavoOk;
}

int32_t CSimModule::Info(SimNode* node, uint32_t count, uint32_t dataType, void* data)
{
    if (dataType != kKavoDataCapInfo || (!data && count)) {
        Violation(node, "capability information without records");
        return kSimBadArgument;
    }
    // Never more records than the caller asked for, whatever the count said.
    auto* out = static_cast<uint8_t*>(data);
    uint32_t written = 0;
    for (const auto& [id, cap] : node->caps) {
        if (written == count)
            break;
        tagQzKAVOCapInfo info = cap.info;
        auto type = scenario_.capTypes.find(id);
        if (type != scenario_.capTypes.end())
            info.type = type->second;
        std::memcpy(out + static_cast<size_t>(written) * sizeof(info), &info, sizeof(info));
        ++written;
    }
    return kKavoOk;
}

int32_t CSimModule::Start(SimNode* node, uint32_t cap, KavoCompletionProc completion, void* reference, bool* pending)
{
    auto it = node->caps.find(cap);
    if (it == node->caps.end() || !(it->second.info.operations & kKavoOpStart))
        return kSimNotSupported;
    if (cap == kKavoCapCapture && node->type == kSimSourceObject) {
        Shutter();
        return kKavoOk;
    }
    if (cap == kKavoCapDeliver && node->type == kSimDataObject)
        return BeginDelivery(node, completion, reference, pending);
    return kKavoOk;
}

int32_t CSimModule::Set(SimNode* node, uint32_t capId, uint32_t dataType, void* data)
{
    auto it = node->caps.find(capId);
    if (it == node->caps.end() || !(it->second.info.operations & kKavoOpSet))
        return kSimNotSupported;
    Capability& cap = it->second;
    const uint32_t type = cap.info.type;
    const uintptr_t argument = reinterpret_cast<uintptr_t>(data);
    auto mismatch = [&]() {
        Violation(node, "data type " + std::to_string(dataType) + " does not match capability " + Hex(capId) +
                            " of type " + std::to_string(type));
        return kSimBadArgument;
    };
    const bool byValue = dataType == kKavoDataBoolValue || dataType == kKavoDataUintValue;
    if (!byValue && !data)
        return mismatch();

    if (capId >= 2 && capId <= 5) {
        if (dataType != kKavoDataCallback)
            return mismatch();
        std::memcpy(&node->procs[capId], data, sizeof(KavoCallbackRecord));
        return kKavoOk;
    }
    CapValue& v = cap.value;
    switch (type) {
    case kKavoCapBool:
        if (dataType == kKavoDataBoolValue)
            v.boolean = argument != 0;
        else if (dataType == kKavoDataBool)
            v.boolean = *static_cast<uint8_t*>(data) != 0;
        else
            return mismatch();
        return kKavoOk;
    case kKavoCapUint:
        if (dataType == kKavoDataUintValue)
            v.unsignedValue = static_cast<uint32_t>(argument);
        else if (dataType == kKavoDataUint)
            std::memcpy(&v.unsignedValue, data, 4);
        else
            return mismatch();
        return kKavoOk;
    case kKavoCapList: {
        uint32_t index = 0;
        if (dataType == kKavoDataUintValue)
            index = static_cast<uint32_t>(argument);
        else if (dataType == kKavoDataList)
            index = static_cast<KavoListRecord*>(data)->currentIndex;
        else
            return mismatch();
        if (index >= v.ElementCount())
            return kSimBadArgument;
        v.currentIndex = index;
        return kKavoOk;
    }
    case kKavoCapRange: {
        KavoRangeRecord r = v.range;
        if (dataType == kKavoDataUintValue) {
            r.valueIndex = static_cast<uint32_t>(argument);
        } else if (dataType == kKavoDataRange) {
            const KavoRangeRecord given = *static_cast<KavoRangeRecord*>(data);
            r.valueIndex = given.valueIndex;
            r.value = given.value;
        } else
            return mismatch();
        if (r.stepCount > 1) {
            if (r.valueIndex >= r.stepCount)
                return kSimBadArgument;
            r.value = r.lower + r.valueIndex * (r.upper - r.lower) / (r.stepCount - 1);
        } else if (!(r.value >= r.lower && r.value <= r.upper)) {
            return kSimBadArgument;
        }
        v.range = r;
        return kKavoOk;
    }
    case kSimCapArray: {
        if (dataType != kKavoDataArray)
            return mismatch();
        const KavoArrayRecord a = *static_cast<KavoArrayRecord*>(data);
        if (a.bytesPerElement != v.bytesPerElement || a.elementCount > kMaxElements || (a.elementCount && !a.data))
            return kSimBadArgument;
        const auto* bytes = static_cast<const uint8_t*>(a.data);
        v.elements.assign(bytes, bytes + static_cast<size_t>(a.elementCount) * a.bytesPerElement);
        return kKavoOk;
    }
    default:
        break;
    }
    if (dataType != DataTypeOf(type))
        return mismatch();
    switch (type) {
    case kKavoCapInt:
        std::memcpy(&v.integer, data, 4);
        break;
    case kKavoCapDouble:
        std::memcpy(&v.real, data, 8);
        break;
    case kKavoCapPoint:
        std::memcpy(&v.point, data, sizeof(v.point));
        break;
    case kKavoCapSize:
        std::memcpy(&v.size, data, sizeof(v.size));
        break;
    case kKavoCapRect:
        std::memcpy(&v.rect, data, sizeof(v.rect));
        break;
    case kKavoCapString: {
        const char* text = static_cast<const char*>(data);
        const void* nul = std::memchr(text, 0, 256);
        v.text.assign(text, nul ? static_cast<const char*>(nul) - text : 255);
        break;
    }
    case kKavoCapDateTime:
        std::memcpy(&v.date, data, sizeof(v.date));
        break;
    default:
        return kSimNotSupported;
    }
    return kKavoOk;
}

int32_t CSimModule::Get(SimNode* node, KavoObjectRecord* object, uint32_t capId, uint32_t dataType, void* data,
                        bool defaults)
{
    if (capId == kKavoCapChildren)
        RefreshChildList(node);
    auto it = node->caps.find(capId);
    const uint32_t needed = defaults ? kKavoOpGetDefault : kKavoOpGet;
    if (it == node->caps.end() || !(it->second.info.operations & needed))
        return kSimNotSupported;
    const Capability& cap = it->second;
    const CapValue& v = defaults ? cap.defaults : cap.value;
    const uint32_t type = cap.info.type;
    const bool boolByte = type == kKavoCapBool && dataType == kKavoDataBool;
    if ((dataType != DataTypeOf(type) && !boolByte) || !data) {
        Violation(node, "data type " + std::to_string(dataType) + " does not match capability " + Hex(capId) +
                            " of type " + std::to_string(type));
        return kSimBadArgument;
    }
    switch (type) {
    case kKavoCapBool:
        *static_cast<uint8_t*>(data) = v.boolean;
        break;
    case kKavoCapInt:
        std::memcpy(data, &v.integer, 4);
        break;
    case kKavoCapUint:
        std::memcpy(data, &v.unsignedValue, 4);
        break;
    case kKavoCapDouble:
        std::memcpy(data, &v.real, 8);
        break;
    case kKavoCapPoint:
        std::memcpy(data, &v.point, sizeof(v.point));
        break;
    case kKavoCapSize:
        std::memcpy(data, &v.size, sizeof(v.size));
        break;
    case kKavoCapRect:
        std::memcpy(data, &v.rect, sizeof(v.rect));
        break;
    case kKavoCapString: {
        char text[256] = {};
        std::memcpy(text, v.text.data(), std::min<size_t>(v.text.size(), 255));
        if (std::find(scenario_.unterminated.begin(), scenario_.unterminated.end(), capId) !=
            scenario_.unterminated.end())
            for (char& c : text)
                if (c == '\0')
                    c = 'X';
        std::memcpy(data, text, sizeof(text));
        break;
    }
    case kKavoCapDateTime:
        std::memcpy(data, &v.date, sizeof(v.date));
        break;
    case kKavoCapRange:
        std::memcpy(data, &v.range, sizeof(v.range));
        break;
    case kKavoCapList: {
        // The header only: the data pointer stays the caller's.
        auto* list = static_cast<KavoListRecord*>(data);
        list->elementType = v.elementType;
        auto count = scenario_.listCounts.find(capId);
        list->elementCount = count != scenario_.listCounts.end() ? count->second : v.ElementCount();
        list->currentIndex = v.currentIndex;
        list->defaultIndex = v.defaultIndex;
        auto size = scenario_.elementSizes.find(capId);
        list->bytesPerElement = size != scenario_.elementSizes.end() ? size->second : v.bytesPerElement;
        headerRead_[{object, capId}] = true;
        break;
    }
    case kKavoCapGroup:
    case kSimCapArray: {
        auto* array = static_cast<KavoArrayRecord*>(data);
        array->elementType = v.elementType;
        array->elementCount = v.ElementCount();
        array->dimensions[0] = v.ElementCount();
        array->dimensions[1] = 0;
        array->dimensions[2] = 0;
        array->bytesPerElement = v.bytesPerElement;
        array->bitsPerElement = v.bitsPerElement;
        headerRead_[{object, capId}] = true;
        break;
    }
    default:
        return kSimNotSupported;
    }
    return kKavoOk;
}

int32_t CSimModule::GetArray(SimNode* node, KavoObjectRecord* object, uint32_t capId, uint32_t dataType, void* data)
{
    if (capId == kKavoCapChildren)
        RefreshChildList(node);
    auto it = node->caps.find(capId);
    if (it == node->caps.end() || !(it->second.info.operations & kKavoOpGetArray))
        return kSimNotSupported;
    const CapValue& v = it->second.value;
    const bool list = it->second.info.type == kKavoCapList;
    if (dataType != (list ? kKavoDataList : kKavoDataArray) || !data) {
        Violation(node, "data type " + std::to_string(dataType) + " does not match capability " + Hex(capId));
        return kSimBadArgument;
    }
    if (!headerRead_[{object, capId}]) {
        Violation(node, "array of capability " + Hex(capId) + " fetched without its header");
        return kSimBadArgument;
    }
    uint32_t givenCount;
    uint16_t givenBytes;
    void* target;
    if (list) {
        const KavoListRecord record = *static_cast<KavoListRecord*>(data);
        givenCount = record.elementCount;
        givenBytes = record.bytesPerElement;
        target = record.data;
    } else {
        const KavoArrayRecord record = *static_cast<KavoArrayRecord*>(data);
        givenCount = record.elementCount;
        givenBytes = record.bytesPerElement;
        target = record.data;
    }
    // The widths the header announced, which the malformed answers bend.
    auto size = scenario_.elementSizes.find(capId);
    const uint16_t claimedBytes = size != scenario_.elementSizes.end() ? size->second : v.bytesPerElement;
    auto count = scenario_.listCounts.find(capId);
    const uint32_t claimedCount = count != scenario_.listCounts.end() ? count->second : v.ElementCount();
    if (givenBytes != claimedBytes) {
        Violation(node, "array of capability " + Hex(capId) + " fetched with elements of " +
                            std::to_string(givenBytes) + " bytes, not " + std::to_string(claimedBytes));
        return kSimBadArgument;
    }
    const uint32_t n = std::min(givenCount, claimedCount);
    if (n && !target) {
        Violation(node, "array of capability " + Hex(capId) + " fetched into no buffer");
        return kSimBadArgument;
    }
    const bool unterminated = std::find(scenario_.unterminated.begin(), scenario_.unterminated.end(), capId) !=
                              scenario_.unterminated.end();
    auto* out = static_cast<uint8_t*>(target);
    const uint32_t real = v.ElementCount();
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t* element = out + static_cast<size_t>(i) * claimedBytes;
        std::memset(element, 0, claimedBytes);
        if (i < real)
            std::memcpy(element, v.elements.data() + static_cast<size_t>(i) * v.bytesPerElement,
                        std::min(claimedBytes, v.bytesPerElement));
        if (unterminated && v.elementType == kKavoListStrings)
            for (uint32_t b = 0; b < claimedBytes; ++b)
                if (!element[b])
                    element[b] = 'X';
    }
    if (unterminated && v.elementType == kKavoListPackedStrings && n)
        out[static_cast<size_t>(n) * claimedBytes - 1] = 'X';
    return kKavoOk;
}

int32_t CSimModule::Reset(SimNode* node)
{
    if (scenario_.refuseReset)
        return kSimNotSupported;
    for (auto& [id, cap] : node->caps)
        if (id != kKavoCapChildren)
            cap.value = cap.defaults;
    return kKavoOk;
}

void CSimModule::Poll()
{
    ReadInbox();
    if (delivery_.active && scenario_.pollDelivery)
        DeliverNext();
    std::vector<Pending> due;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->pollsLeft > 0)
            --it->pollsLeft;
        if (it->pollsLeft == 0) {
            due.push_back(*it);
            it = pending_.erase(it);
        } else
            ++it;
    }
    for (const Pending& p : due)
        Complete(p);
}

// ---- The tree -------------------------------------------------------------

void CSimModule::Build()
{
    SimNode* module = AddNode("", kSimModuleObject, 0);
    AddModuleCapabilities(module, scenario_.profile);
    if (!scenario_.absent) {
        SimNode* source = AddNode("module", kSimSourceObject, nextSourceId_++);
        AddSourceCapabilities(source, scenario_.profile, scenario_.pollInterval);
        module->children.push_back(source->id);
        sourcePath_ = source->path;
        for (uint32_t i = 0; i < scenario_.items; ++i)
            AddItem(source);
    }
}

SimNode* CSimModule::AddNode(const std::string& parentPath, uint32_t type, uint32_t id)
{
    auto node = std::make_unique<SimNode>();
    node->type = type;
    node->id = id;
    node->parentPath = parentPath;
    const std::string prefix = parentPath.empty() || parentPath == "module" ? "" : parentPath + "/";
    switch (type) {
    case kSimModuleObject:
        node->path = "module";
        break;
    case kSimSourceObject:
        node->path = "src" + std::to_string(id);
        break;
    case kSimItemObject:
        node->path = prefix + "item" + std::to_string(id);
        break;
    default:
        node->path = prefix + "data" + std::to_string(id);
        break;
    }
    SimNode* raw = node.get();
    nodes_[raw->path] = std::move(node);
    return raw;
}

SimNode* CSimModule::Find(const std::string& path)
{
    auto it = nodes_.find(path);
    return it == nodes_.end() ? nullptr : it->second.get();
}

SimNode* CSimModule::NodeOf(KavoObjectRecord* record)
{
    auto it = open_.find(record);
    return it == open_.end() ? nullptr : Find(it->second);
}

SimNode* CSimModule::CurrentSource() { return sourcePath_.empty() ? nullptr : Find(sourcePath_); }

SimNode* CSimModule::AddItem(SimNode* source)
{
    const uint32_t id = nextItemId_++;
    const std::string sourcePath = source->path;
    SimNode* item = AddNode(sourcePath, kSimItemObject, id);
    AddItemCapabilities(item, scenario_.profile, id);
    std::vector<std::string> formats;
    uint32_t size = 0;
    for (const ScenarioPicture& picture : scenario_.pictures)
        formats.push_back(FormatName(picture.format));
    for (uint32_t dataId : {1u, 8u}) {
        SimNode* data = AddNode(item->path, kSimDataObject, dataId);
        AddDataCapabilities(data, scenario_.profile, dataId == 8 ? std::vector<std::string>{"JPEG"} : formats, size);
        item->children.push_back(dataId);
    }
    Find(sourcePath)->children.push_back(id);
    return item;
}

void CSimModule::RefreshChildList(SimNode* node)
{
    auto it = node->caps.find(kKavoCapChildren);
    if (it == node->caps.end())
        return;
    CapValue& v = it->second.value;
    v.elements.clear();
    for (uint32_t id : node->children) {
        uint8_t bytes[4];
        std::memcpy(bytes, &id, 4);
        v.elements.insert(v.elements.end(), bytes, bytes + 4);
    }
}

bool CSimModule::IsDisconnected(const SimNode* node)
{
    for (const SimNode* at = node; at; at = at->parentPath.empty() ? nullptr : Find(at->parentPath))
        if (at->disconnected)
            return true;
    return false;
}

// ---- Test and inbox actions -----------------------------------------------

void CSimModule::Shutter()
{
    SimNode* source = CurrentSource();
    if (!source) {
        TraceLine(std::to_string(++sequence_) + " shutter ignored: no camera");
        return;
    }
    const uint32_t id = AddItem(source)->id;
    FireEvent(Find(sourcePath_), kKavoEventChildAdded, id);
}

void CSimModule::Disconnect()
{
    SimNode* source = CurrentSource();
    if (!source)
        return;
    source->disconnected = true;
    const uint32_t id = source->id;
    const std::string below = source->path + "/";
    sourcePath_.clear();
    SimNode* module = Find("module");
    module->children.erase(std::remove(module->children.begin(), module->children.end(), id), module->children.end());
    if (delivery_.active && delivery_.path.compare(0, below.size(), below) == 0)
        EndDelivery(kSimNotFound);
    // Calls the camera owed end now, once each.
    std::vector<Pending> owed;
    for (auto it = pending_.begin(); it != pending_.end();) {
        auto path = open_.find(it->record);
        if (path != open_.end() && (path->second == source->path || path->second.compare(0, below.size(), below) == 0)) {
            owed.push_back(*it);
            owed.back().result = kSimNotFound;
            it = pending_.erase(it);
        } else
            ++it;
    }
    for (const Pending& p : owed)
        Complete(p);
    FireEvent(Find("module"), kKavoEventChildRemoved, id);
}

void CSimModule::Reconnect()
{
    if (CurrentSource() || !Find("module"))
        return;
    SimNode* source = AddNode("module", kSimSourceObject, nextSourceId_++);
    AddSourceCapabilities(source, scenario_.profile, scenario_.pollInterval);
    sourcePath_ = source->path;
    const uint32_t id = source->id;
    Find("module")->children.push_back(id);
    FireEvent(Find("module"), kKavoEventChildAdded, id);
}

void CSimModule::ReadInbox()
{
    if (scenario_.inboxPath.empty())
        return;
    bool ok = false;
    const std::string text = ReadWholeFile(scenario_.inboxPath, &ok);
    if (!ok || text.empty())
        return;
    if (FILE* file = std::fopen(scenario_.inboxPath.c_str(), "wb"))
        std::fclose(file);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            RunInboxLine(line);
        start = end + 1;
    }
}

void CSimModule::RunInboxLine(const std::string& line)
{
    TraceLine(std::to_string(++sequence_) + " inbox " + line);
    char word[32] = {};
    long a = 0, b = 0;
    const int fields = std::sscanf(line.c_str(), "%31s %li %li", word, &a, &b);
    const std::string command = word;
    SimNode* source = CurrentSource();
    if (command == "shutter") {
        Shutter();
    } else if (command == "disconnect") {
        Disconnect();
    } else if (command == "reconnect") {
        Reconnect();
    } else if (command == "battery" && fields >= 2 && source && source->caps.count(0x8109)) {
        source->caps[0x8109].value.integer = static_cast<int32_t>(a);
        FireEvent(source, kKavoEventValueChanged, 0x8109);
    } else if (command == "dial" && fields == 3 && source && source->caps.count(static_cast<uint32_t>(a))) {
        const uint32_t cap = static_cast<uint32_t>(a);
        CapValue& v = source->caps[cap].value;
        switch (source->caps[cap].info.type) {
        case kKavoCapList:
            if (static_cast<unsigned long>(b) < v.ElementCount())
                v.currentIndex = static_cast<uint32_t>(b);
            break;
        case kKavoCapRange:
            if (v.range.stepCount > 1 && static_cast<unsigned long>(b) < v.range.stepCount) {
                v.range.valueIndex = static_cast<uint32_t>(b);
                v.range.value = v.range.lower + b * (v.range.upper - v.range.lower) / (v.range.stepCount - 1);
            }
            break;
        case kKavoCapBool:
            v.boolean = b != 0;
            break;
        case kKavoCapInt:
            v.integer = static_cast<int32_t>(b);
            break;
        case kKavoCapUint:
            v.unsignedValue = static_cast<uint32_t>(b);
            break;
        default:
            break;
        }
        FireEvent(source, kKavoEventValueChanged, cap);
    } else if (command == "caplist" && fields == 2 && source) {
        // The capability leaves the camera's list (or comes back with its first value).
        const uint32_t cap = static_cast<uint32_t>(a);
        if (source->caps.count(cap)) {
            hidden_[cap] = source->caps[cap];
            source->caps.erase(cap);
        } else if (hidden_.count(cap)) {
            source->caps[cap] = hidden_[cap];
            hidden_.erase(cap);
        }
        FireEvent(source, kKavoEventCapabilityListChanged, cap);
    } else if (command == "remove" && fields >= 2 && source && Find(source->path + "/item" + std::to_string(a))) {
        // A picture deleted on the camera, or with a data kind one of its data objects.
        SimNode* item = Find(source->path + "/item" + std::to_string(a));
        SimNode* parent = fields == 2 ? source : item;
        const uint32_t id = fields == 2 ? static_cast<uint32_t>(a) : static_cast<uint32_t>(b);
        SimNode* gone = fields == 2 ? item : Find(item->path + "/data" + std::to_string(id));
        if (gone) {
            gone->disconnected = true;
            parent->children.erase(std::remove(parent->children.begin(), parent->children.end(), id),
                                   parent->children.end());
        }
        FireEvent(parent, kKavoEventChildRemoved, id);
    } else if (command == "event" && fields == 3 && source) {
        FireEvent(source, static_cast<uint32_t>(a), static_cast<uint32_t>(b));
    } else {
        TraceLine(std::to_string(++sequence_) + " inbox ? " + line);
    }
}

// ---- Callbacks ------------------------------------------------------------

void CSimModule::FireEvent(SimNode* node, uint32_t event, uint32_t data)
{
    const uint32_t sequence = ++sequence_;
    const std::string name = node->path;
    const KavoCallbackRecord proc = node->procs[kKavoCapEventProc];
    const std::string what = " " + std::to_string(event) + " " + Hex(data);
    if (!proc.procedure || !node->record) {
        TraceLine(std::to_string(sequence) + " callback event " + name + what + " -> dropped");
        return;
    }
    const int32_t result = reinterpret_cast<KavoEventProc>(proc.procedure)(proc.reference, event, data);
    TraceLine(std::to_string(sequence) + " callback event " + name + what + " -> " + std::to_string(result));
}

int32_t CSimModule::FireProgress(SimNode* node, uint32_t command, uint32_t param, uint32_t done, uint32_t total)
{
    const KavoCallbackRecord proc = node->procs[kKavoCapProgressProc];
    if (!proc.procedure)
        return kKavoOk;
    const uint32_t sequence = ++sequence_;
    const std::string name = node->path;
    const int32_t result =
        reinterpret_cast<KavoProgressProc>(proc.procedure)(command, param, proc.reference, done, total);
    TraceLine(std::to_string(sequence) + " callback progress " + name + " " + CommandName(command) + " " +
              Hex(param) + " " + std::to_string(done) + "/" + std::to_string(total) + " -> " + std::to_string(result));
    return result;
}

uint32_t CSimModule::FireRequest(SimNode* node, const ScenarioRequest& request)
{
    const uint32_t sequence = ++sequence_;
    const std::string name = node->path;
    // The nearest object up the tree that listens for requests answers.
    SimNode* at = node;
    while (at && !at->procs[kKavoCapUserRequestProc].procedure)
        at = at->parentPath.empty() ? nullptr : Find(at->parentPath);
    const std::string what = " " + std::to_string(request.kind) + " \"" + request.prompt + "\"";
    if (!at) {
        TraceLine(std::to_string(sequence) + " callback request " + name + what + " -> dropped");
        return request.defaultAnswer;
    }
    const KavoCallbackRecord proc = at->procs[kKavoCapUserRequestProc];
    KavoUserRequest record = {};
    record.kind = request.kind;
    record.defaultAnswer = request.defaultAnswer;
    record.prompt = request.prompt.c_str();
    record.detail = request.detail.empty() ? nullptr : request.detail.c_str();
    record.capabilities = request.withCapabilities ? gRequestCapabilities : nullptr;
    const int32_t answer = reinterpret_cast<KavoUserRequestProc>(proc.procedure)(proc.reference, &record);
    TraceLine(std::to_string(sequence) + " callback request " + at->path + what + " -> " + std::to_string(answer));
    return static_cast<uint32_t>(answer);
}

void CSimModule::Owe(KavoObjectRecord* record, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                     KavoCompletionProc proc, void* reference, int32_t result)
{
    ScenarioCompletion rule;
    for (const ScenarioCompletion& r : scenario_.completions)
        if (r.command == kAnyCommand || r.command == command)
            rule = r;
    const Pending p{record, command, param, dataType, data, proc, reference, result, rule.polls};
    if (rule.never) {
        TraceLine(std::to_string(++sequence_) + " completion withheld " + CommandName(command) + " " + Hex(param));
        return;
    }
    if (rule.polls == 0)
        Complete(p);
    else
        pending_.push_back(p);
}

void CSimModule::Complete(const Pending& p)
{
    const uint32_t sequence = ++sequence_;
    auto path = open_.find(p.record);
    const std::string name = path != open_.end() ? path->second : p.record ? "?" : "-";
    const int32_t answer = p.proc(p.record, p.command, p.param, p.dataType, p.data, p.reference, p.result);
    TraceLine(std::to_string(sequence) + " callback completion " + name + " " +
              (CommandName(p.command) ? CommandName(p.command) : "?") + " " + Hex(p.param) + " " +
              std::to_string(p.result) + " -> " + std::to_string(answer));
}

// ---- Delivery -------------------------------------------------------------

int32_t CSimModule::BeginDelivery(SimNode* node, KavoCompletionProc completion, void* reference, bool* pending)
{
    if (!node->procs[kKavoCapDataProc].procedure) {
        Violation(node, "delivery without a data procedure");
        return kSimNotSupported;
    }
    if (delivery_.active)
        return kSimBusy;
    const ScenarioPicture* picture = nullptr;
    ScenarioPicture thumbnail;
    if (node->id == 8) {
        // The thumbnail is a JPEG: its own file, or the JPEG picture.
        thumbnail = {kKavoFormatJpeg, scenario_.thumbnailPath};
        for (const ScenarioPicture& p : scenario_.pictures)
            if (thumbnail.path.empty() && p.format == kKavoFormatJpeg)
                thumbnail.path = p.path;
        if (!thumbnail.path.empty())
            picture = &thumbnail;
    } else if (!scenario_.pictures.empty()) {
        const uint32_t index = node->caps[kKavoCapDataFormat].value.currentIndex;
        picture = &scenario_.pictures[index < scenario_.pictures.size() ? index : 0];
    }
    if (!picture) {
        TraceLine(std::to_string(++sequence_) + " no picture to deliver");
        return kSimNotSupported;
    }
    bool ok = false;
    const std::string bytes = ReadWholeFile(picture->path, &ok);
    if (!ok) {
        TraceLine(std::to_string(++sequence_) + " picture unreadable: " + picture->path);
        return kSimCardError;
    }
    delivery_ = Delivery();
    delivery_.path = node->path;
    delivery_.record = node->record;
    delivery_.bytes.assign(bytes.begin(), bytes.end());
    delivery_.format = picture->format;
    const uint32_t total = static_cast<uint32_t>(delivery_.bytes.size());
    const uint32_t block = scenario_.blockSize;
    for (uint32_t offset = 0; offset < total || (total == 0 && offset == 0); offset += block) {
        delivery_.blocks.push_back({offset, std::min(block, total - offset), false});
        if (total == 0)
            break;
    }
    if (scenario_.outOfOrder && delivery_.blocks.size() >= 3)
        std::swap(delivery_.blocks[1], delivery_.blocks[2]);
    if (scenario_.duplicateFirst)
        delivery_.blocks.insert(delivery_.blocks.begin() + 1, delivery_.blocks[0]);
    if (scenario_.pastTotal) {
        // A block that reaches past the announced total; its bytes come from a spare zero buffer.
        delivery_.blocks.push_back({total, block, false});
    }
    if (scenario_.ignoredFirst && !delivery_.blocks.empty()) {
        delivery_.blocks.insert(delivery_.blocks.begin(), delivery_.blocks[0]);
        delivery_.blocks[0].ignore = true;
    }
    delivery_.spare.assign(block, 0);
    delivery_.active = true;
    if (scenario_.pollDelivery) {
        delivery_.proc = completion;
        delivery_.reference = reference;
        *pending = completion != nullptr;
        return kKavoOk;
    }
    while (DeliverNext()) {
    }
    return delivery_.result;
}

bool CSimModule::DeliverNext()
{
    if (!delivery_.active)
        return false;
    SimNode* node = Find(delivery_.path);
    if (!node || !node->record || IsDisconnected(node)) {
        EndDelivery(kSimNotFound);
        return false;
    }
    const size_t index = delivery_.next++;
    const auto [offset, length, ignore] = delivery_.blocks[index];
    const uint32_t total = static_cast<uint32_t>(delivery_.bytes.size());
    KavoDataInfo info = {};
    info.moduleWord = static_cast<uint32_t>(index);
    info.fileFormat = delivery_.format;
    info.total = scenario_.totalZero ? 0 : total;
    info.offset = offset;
    info.length = length;
    info.ignore = ignore ? 1 : 0;
    uint8_t* bytes = offset < total ? delivery_.bytes.data() + offset : delivery_.spare.data();
    const KavoCallbackRecord proc = node->procs[kKavoCapDataProc];
    const uint32_t sequence = ++sequence_;
    const int32_t result = reinterpret_cast<KavoDataProc>(proc.procedure)(proc.reference, &info, bytes);
    TraceLine(std::to_string(sequence) + " callback data " + delivery_.path + " format " +
              std::to_string(info.fileFormat) + " total " + std::to_string(info.total) + " offset " +
              std::to_string(offset) + " length " + std::to_string(length) + (ignore ? " ignore" : "") + " -> " +
              std::to_string(result));
    if (result != kKavoOk) {
        EndDelivery(result);
        return false;
    }
    if (SimNode* still = Find(delivery_.path))
        FireProgress(still, kKavoStart, kKavoCapDeliver, std::min<uint32_t>(offset + length, total), total);
    // The receiver may have closed the object or aborted meanwhile.
    if (!delivery_.active)
        return false;
    if (scenario_.disconnectAfterBlock >= 0 && delivery_.next == static_cast<size_t>(scenario_.disconnectAfterBlock)) {
        Disconnect();
        EndDelivery(kSimNotFound);
        return false;
    }
    if (delivery_.next == delivery_.blocks.size()) {
        EndDelivery(kKavoOk);
        return false;
    }
    return true;
}

void CSimModule::EndDelivery(int32_t result)
{
    if (!delivery_.active)
        return;
    delivery_.active = false;
    delivery_.result = result;
    if (delivery_.proc) {
        KavoCompletionProc proc = delivery_.proc;
        delivery_.proc = nullptr;
        Owe(delivery_.record, kKavoStart, kKavoCapDeliver, kKavoDataNone, nullptr, proc, delivery_.reference, result);
    }
}

// ---- Trace ----------------------------------------------------------------

void CSimModule::Violation(const SimNode* node, const std::string& what)
{
    ++violations_;
    TraceLine(std::to_string(++sequence_) + " VIOLATION " + (node ? node->path : "-") + " " + what);
}

void CSimModule::TraceLine(const std::string& line)
{
    trace_.push_back(line);
    if (traceFile_) {
        std::fputs(line.c_str(), traceFile_);
        std::fputc('\n', traceFile_);
        std::fflush(traceFile_);
    }
}

void CSimModule::ResetState()
{
    if (traceFile_)
        std::fclose(traceFile_);
    traceFile_ = nullptr;
    scenario_ = Scenario();
    nodes_.clear();
    open_.clear();
    headerRead_.clear();
    pending_.clear();
    delivery_ = Delivery();
    repeatsUsed_.clear();
    failsUsed_.clear();
    disconnectsUsed_.clear();
    hidden_.clear();
    trace_.clear();
    sequence_ = 0;
    nextItemId_ = 1;
    nextSourceId_ = 1;
    sourcePath_.clear();
}

}  // namespace kavosim
