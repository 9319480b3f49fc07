// The program's side of the module boundary as the camera tests play it: the
// objects' records, the procedures the module calls back, and what they saw.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/camera/kavo_records.h"

namespace camera_test {

class SimHost {
public:
    struct Object {
        SimHost* host;
        std::string name;
        KavoObjectRecord record{};
    };
    struct Block {
        uint32_t format, total, offset, length, ignore;
    };
    struct Request {
        uint32_t kind, defaultAnswer;
        std::string prompt;
        bool detailNull;
        std::string detail;
        bool capabilities;
    };

    using Entry = std::function<int32_t(KavoObjectRecord*, uint32_t, uint32_t, uint32_t, void*, KavoCompletionProc,
                                        void*)>;
    // The module's entry point, or a call into a module object.
    explicit SimHost(Entry entry) : entry_(std::move(entry)) {}

    int32_t Call(KavoObjectRecord* object, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                 bool queued = false)
    {
        KavoCompletionProc completion = queued ? &OnCompletion : nullptr;
        return entry_(object, command, param, dataType, data, completion, this);
    }
    int32_t Call(const std::string& name, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                 bool queued = false)
    {
        return Call(&Obj(name).record, command, param, dataType, data, queued);
    }
    int32_t CallValue(const std::string& name, uint32_t command, uint32_t param, uint32_t dataType, uintptr_t value)
    {
        return Call(name, command, param, dataType, reinterpret_cast<void*>(value));
    }

    Object& Obj(const std::string& name)
    {
        std::unique_ptr<Object>& object = objects_[name];
        if (!object)
            object.reset(new Object{this, name, {}});
        return *object;
    }

    int32_t OpenModule() { return Call(nullptr, kKavoOpen, 0, kKavoDataObject, &Obj("module").record); }
    int32_t OpenChild(const std::string& parent, uint32_t id, const std::string& child)
    {
        Obj(child).record = KavoObjectRecord{};
        Obj(child).record.clientReference = &Obj(child);
        return Call(parent, kKavoOpen, id, kKavoDataObject, &Obj(child).record);
    }
    int32_t Close(const std::string& name) { return Call(name, kKavoClose, 0, kKavoDataNone, nullptr); }

    // Sets (or with listen false clears) the progress, event and user-request
    // procedures, and the data procedure of a data object.
    void Listen(const std::string& name, bool data = false, bool listen = true)
    {
        const std::pair<uint32_t, void*> procs[] = {
            {kKavoCapProgressProc, reinterpret_cast<void*>(&OnProgress)},
            {kKavoCapEventProc, reinterpret_cast<void*>(&OnEvent)},
            {kKavoCapUserRequestProc, reinterpret_cast<void*>(&OnRequest)},
            {kKavoCapDataProc, reinterpret_cast<void*>(&OnData)},
        };
        for (const auto& [cap, proc] : procs) {
            if (cap == kKavoCapDataProc && !data)
                continue;
            KavoCallbackRecord callback = {listen ? proc : nullptr, &Obj(name)};
            EXPECT_EQ(0, Call(name, kKavoSet, cap, kKavoDataCallback, &callback)) << name << " " << cap;
        }
    }

    std::vector<tagQzKAVOCapInfo> Caps(const std::string& name)
    {
        uint32_t count = 0;
        EXPECT_EQ(0, Call(name, kKavoCapabilityCount, 0, kKavoDataUint, &count));
        std::vector<tagQzKAVOCapInfo> caps(count);
        EXPECT_EQ(0, Call(name, kKavoCapabilityInfo, count, kKavoDataCapInfo, caps.data()));
        return caps;
    }
    std::vector<uint32_t> CapIds(const std::string& name)
    {
        std::vector<uint32_t> ids;
        for (const tagQzKAVOCapInfo& cap : Caps(name))
            ids.push_back(cap.id);
        return ids;
    }
    bool HasCap(const std::string& name, uint32_t cap)
    {
        const std::vector<uint32_t> ids = CapIds(name);
        return std::find(ids.begin(), ids.end(), cap) != ids.end();
    }

    // A list's header and its elements' bytes.
    int32_t ReadList(const std::string& name, uint32_t cap, KavoListRecord* list, std::vector<uint8_t>* bytes)
    {
        *list = KavoListRecord{};
        int32_t result = Call(name, kKavoGet, cap, kKavoDataList, list);
        if (result != kKavoOk)
            return result;
        bytes->assign(static_cast<size_t>(list->elementCount) * list->bytesPerElement, 0);
        list->data = bytes->data();
        return Call(name, kKavoGetArray, cap, kKavoDataList, list);
    }
    std::vector<uint32_t> Children(const std::string& name)
    {
        KavoListRecord list;
        std::vector<uint8_t> bytes;
        EXPECT_EQ(0, ReadList(name, kKavoCapChildren, &list, &bytes));
        std::vector<uint32_t> ids(bytes.size() / 4);
        if (!ids.empty())
            std::memcpy(ids.data(), bytes.data(), bytes.size());
        return ids;
    }
    std::string GetString(const std::string& name, uint32_t cap)
    {
        char text[257] = {};
        EXPECT_EQ(0, Call(name, kKavoGet, cap, kKavoDataString, text));
        return text;
    }

    // What the procedures saw.
    std::vector<std::string> events;  // "object event data"
    std::vector<std::pair<uint32_t, uint32_t>> progress;  // done, total
    std::vector<Block> blocks;
    std::vector<uint8_t> picture;  // the blocks placed within the total
    std::vector<std::pair<uint32_t, int32_t>> completions;  // command, result
    std::vector<Request> requests;
    uint32_t answer = kKavoAnswerOk;
    int32_t dataResult = kKavoOk;
    // Runs inside the event procedure, as the program's handlers do.
    std::function<void(const std::string& object, uint32_t event, uint32_t data)> onEvent;

private:
    static int32_t KAVO_CALL OnEvent(void* reference, uint32_t event, uint32_t data)
    {
        auto* object = static_cast<Object*>(reference);
        object->host->events.push_back(object->name + " " + std::to_string(event) + " " + std::to_string(data));
        if (object->host->onEvent)
            object->host->onEvent(object->name, event, data);
        return 0;
    }
    static int32_t KAVO_CALL OnProgress(uint32_t, uint32_t, void* reference, uint32_t done, uint32_t total)
    {
        static_cast<Object*>(reference)->host->progress.push_back({done, total});
        return 0;
    }
    static int32_t KAVO_CALL OnRequest(void* reference, KavoUserRequest* request)
    {
        SimHost* host = static_cast<Object*>(reference)->host;
        host->requests.push_back({request->kind, request->defaultAnswer, request->prompt ? request->prompt : "",
                                  request->detail == nullptr, request->detail ? request->detail : "",
                                  request->capabilities != nullptr});
        return static_cast<int32_t>(host->answer);
    }
    static int32_t KAVO_CALL OnData(void* reference, KavoDataInfo* info, void* data)
    {
        SimHost* host = static_cast<Object*>(reference)->host;
        host->blocks.push_back({info->fileFormat, info->total, info->offset, info->length, info->ignore});
        if (info->ignore)
            return host->dataResult;
        if (info->offset == 0)
            host->picture.assign(info->total, 0);
        // Only what fits the announced total is kept.
        if (info->length <= host->picture.size() && info->offset <= host->picture.size() - info->length)
            std::memcpy(host->picture.data() + info->offset, data, info->length);
        return host->dataResult;
    }
    static int32_t KAVO_CALL OnCompletion(KavoObjectRecord*, uint32_t command, uint32_t, uint32_t, void*,
                                          void* reference, int32_t result)
    {
        static_cast<SimHost*>(reference)->completions.push_back({command, result});
        return 0;
    }

    Entry entry_;
    std::map<std::string, std::unique_ptr<Object>> objects_;
};

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// The lines that contain every one of the pieces.
inline size_t CountLines(const std::vector<std::string>& lines, std::initializer_list<const char*> pieces)
{
    size_t n = 0;
    for (const std::string& line : lines) {
        bool all = true;
        for (const char* piece : pieces)
            all = all && line.find(piece) != std::string::npos;
        n += all;
    }
    return n;
}

}  // namespace camera_test
