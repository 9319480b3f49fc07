#include "app/core/engine/develop_engine.h"

#include <sys/stat.h>

#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>

#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/seams/debug_settings.h"
#include "app/core/engine/seams/engine_lock.h"

namespace {

struct EngineState {
    IVorlatManager* manager = nullptr;
    char profiles[4][kEnginePathBytes] = {};
    bool profilesSet = false;
    char folder[kEnginePathBytes] = {};
    std::map<IVorlatImage*, int32_t> references;
    std::unique_ptr<uint16_t[]> toneTable;
    std::unique_ptr<CQRVEngMgr> pool;
    bool ready = false;
};

EngineState& State()
{
    static EngineState state;
    return state;
}

// Copies text into a 260-byte path; false (path emptied) when it would not fit.
bool StorePath(char (&path)[kEnginePathBytes], const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    if (length >= kEnginePathBytes) {
        path[0] = '\0';
        return false;
    }
    std::memcpy(path, text ? text : "", length);
    path[length] = '\0';
    return true;
}

bool FileExists(const char* path)
{
    struct stat info;
    return path[0] != '\0' && stat(path, &info) == 0;
}

}  // namespace

void CDevelopParams::ReadDebugSwitches()
{
    const IEngineDebugSettings& debug = GetEngineDebugSettings();
    option3Clear = debug.GetInt("AppOption3", 0) == 0 ? 1 : 0;
    embedProfile = debug.GetInt("AppOption6", 0) == 0 ? 1 : 0;
    option4Equals1 = debug.GetInt("AppOption4", 0) == 1 ? 1 : 0;
}

void AddRefImageData(IVorlatImage* image)
{
    CEngineLockHold hold;
    ++State().references[image];
}

int32_t ReleaseImageData(IVorlatImage* image)
{
    CEngineLockHold hold;
    auto& references = State().references;
    auto found = references.find(image);
    if (found == references.end())
        return 0;
    if (found->second > 1)
        return --found->second;
    references.erase(found);
    if (image)
        image->Destroy();
    return 0;
}

int32_t GetImageDataRefCount(IVorlatImage* image)
{
    CEngineLockHold hold;
    auto& references = State().references;
    auto found = references.find(image);
    return found == references.end() ? 0 : found->second;
}

void SetImageManager(IVorlatManager* manager) { State().manager = manager; }

IVorlatManager* GetImageManager() { return State().manager; }

uint8_t SetColorProfilePaths(const char* profile0, const char* profile1, const char* profile2, const char* profile3)
{
    CEngineLockHold hold;
    EngineState& state = State();
    const char* paths[4] = {profile0, profile1, profile2, profile3};
    for (int i = 0; i < 4; ++i)
        StorePath(state.profiles[i], paths[i]);
    state.profilesSet = true;
    for (int i = 0; i < 4; ++i) {
        if (!FileExists(state.profiles[i]))
            return 0;
    }
    return 1;
}

const char* GetColorProfilePath(int32_t n) { return n >= 0 && n < 4 ? State().profiles[n] : ""; }

bool AreColorProfilePathsSet() { return State().profilesSet; }

bool SetEngineFolder(const char* path)
{
    CEngineLockHold hold;
    std::string folder = path ? path : "";
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    if (folder.size() >= kEnginePathBytes)
        return false;
    return StorePath(State().folder, folder.c_str());
}

const char* GetEngineFolder() { return State().folder; }

void CreateColorEnginePool()
{
    CEngineLockHold hold;
    EngineState& state = State();
    state.ready = true;
    state.pool = std::make_unique<CQRVEngMgr>();
    state.pool->SetParkedLimit(4);
    state.toneTable.reset(new (std::nothrow) uint16_t[kToneTableEntries]);
    if (state.toneTable)
        state.toneTable[0] = 65535;
}

void DestroyColorEnginePool()
{
    CEngineLockHold hold;
    EngineState& state = State();
    ReleaseEngineHolders();
    state.pool.reset();
    state.toneTable.reset();
    state.ready = false;
    // Their owners have destroyed the images by now.
    state.references.clear();
}

bool IsEngineReady() { return State().ready; }

CQRVEngMgr* GetColorEnginePool() { return State().pool.get(); }

uint16_t* GetDefaultToneTableStorage() { return State().toneTable.get(); }
