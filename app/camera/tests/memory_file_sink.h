// A file sink and settings in memory for the receiving tests and the fuzz
// target: files with their hidden mark, folders, a full disk on demand, and
// a folder in which every numbered name is taken.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/camera/app/kavo_file_sink.h"

namespace camera_test {

class MemoryFileSink : public IKavoFileSink {
public:
    struct File {
        std::vector<uint8_t> bytes;
        bool hidden = false;
        bool open = false;
    };

    bool FolderExists(const char* path) override { return folders.count(path) != 0; }
    bool CreateFolder(const char* path) override
    {
        ++foldersMade;
        if (refuseFolders)
            return false;
        folders.insert(path);
        return true;
    }
    bool NameExists(const char* path) override
    {
        ++lookups;
        return everyNameTaken || files.count(path) || folders.count(path);
    }
    KavoFileHandle CreateHiddenFile(const char* path) override
    {
        if (refuseCreate)
            return kKavoNoFile;
        File& file = files[path];
        file = File{{}, true, true};
        handles.push_back(path);
        return static_cast<KavoFileHandle>(handles.size() - 1);
    }
    uint32_t Write(KavoFileHandle handle, const void* bytes, uint32_t length) override
    {
        File& file = files.at(handles.at(static_cast<size_t>(handle)));
        if (!file.open)
            return 6;  // not an open handle
        if (writesLeft == 0)
            return writeError;
        if (writesLeft > 0)
            --writesLeft;
        const auto* p = static_cast<const uint8_t*>(bytes);
        file.bytes.insert(file.bytes.end(), p, p + length);
        return 0;
    }
    void Close(KavoFileHandle handle) override { files.at(handles.at(static_cast<size_t>(handle))).open = false; }
    bool MakeVisible(const char* path) override
    {
        auto it = files.find(path);
        if (it == files.end())
            return false;
        it->second.hidden = false;
        return true;
    }
    void RemoveFile(const char* path) override { files.erase(path); }
    uint8_t* AllocateBlock(uint32_t bytes) override
    {
        if (refuseMemory)
            return nullptr;
        ++blocksHeld;
        return static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1));
    }
    void FreeBlock(uint8_t* block) override
    {
        --blocksHeld;
        std::free(block);
    }

    std::map<std::string, File> files;
    std::set<std::string> folders;
    std::vector<std::string> handles;
    bool everyNameTaken = false;
    bool refuseFolders = false;
    bool refuseCreate = false;
    bool refuseMemory = false;
    // Writes that succeed before each one fails with writeError; -1 never.
    int writesLeft = -1;
    uint32_t writeError = kKavoDiskFullError;
    int blocksHeld = 0;
    int foldersMade = 0;
    uint64_t lookups = 0;
};

class MemorySettings : public IKavoReceiveSettings {
public:
    int32_t ReadNextImageNumber() override
    {
        ++reads;
        return next;
    }
    void WriteNextImageNumber(int32_t number) override
    {
        ++writes;
        next = number;
    }
    CQzString LoadText(uint32_t id) override
    {
        switch (id) {
        case 16480:
            return ".jpg";
        case 16481:
            return ".tif";
        case 16482:
            return ".xqv";
        default:
            return "";
        }
    }

    int32_t next = 1;
    int reads = 0;
    int writes = 0;
};

}  // namespace camera_test
