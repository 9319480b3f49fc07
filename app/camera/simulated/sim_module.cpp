#include "app/camera/simulated/sim_module.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/camera/simulated/sim_module_impl.h"
#include "app/camera/simulated/sim_trace.h"

namespace kavosim {

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
        if (std::find(scenario_.unterminated.begin(), scenario_.unterminated.end(), id) != scenario_.unterminated.end())
            for (char& c : info.description)
                if (c == '\0')
                    c = 'X';
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
        auto count = scenario_.listCounts.find(capId);
        array->elementType = v.elementType;
        array->elementCount = count != scenario_.listCounts.end() ? count->second : v.ElementCount();
        array->dimensions[0] = array->elementCount;
        array->dimensions[1] = 0;
        array->dimensions[2] = 0;
        auto size = scenario_.elementSizes.find(capId);
        array->bytesPerElement = size != scenario_.elementSizes.end() ? size->second : v.bytesPerElement;
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
