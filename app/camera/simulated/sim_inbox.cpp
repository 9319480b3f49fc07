// The inbox file: actions on the simulated camera, read at each poll.
#include "app/camera/simulated/sim_module.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/camera/simulated/sim_module_impl.h"

namespace kavosim {

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

}  // namespace kavosim
