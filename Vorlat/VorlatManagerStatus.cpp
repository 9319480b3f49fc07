// The manager's diagnostic views and its status listener.
#include <algorithm>

#include "Vorlat/VorlatManager_impl.h"
#include "Vorlat/VorlatModules_impl.h"

IVorlatStatus::~IVorlatStatus() = default;
IVorlatStatusUser::~IVorlatStatusUser() = default;

void CVorlatManager::Report(IVorlatError** chain, int32_t code, int32_t index, int32_t extra, const IVorlatTile* tile)
{
    if (!statusUser_)
        return;
    VorlatFailed(chain, kModuleManager, __LINE__, statusUser_->StatusNotify(this, code, index, extra, tile));
}

// Place in the tile stack view: locked tiles first, then the unlocked list.
int32_t CVorlatManager::StackPlace(const CVorlatTile* tile) const
{
    int32_t place = 0;
    for (const CVorlatTile* t : locked_) {
        if (t == tile)
            return place;
        ++place;
    }
    for (const CVorlatTile* t : unlocked_) {
        if (t == tile)
            return place;
        ++place;
    }
    return -1;
}

IVorlatError* CVorlatManager::SetStatusUser(IVorlatStatusUser* user)
{
    IVorlatError* err = nullptr;
    statusUser_ = user;
    if (user)
        Report(&err, 0, 0, -1, nullptr);
    return err;
}

static IVorlatError* TooSmall(int32_t line)
{
    return IVorlatError::Add(nullptr, kModuleManager, line, kVorlatFromSystem, kVorlatErrArrayTooSmall);
}

IVorlatError* CVorlatManager::GetPageFileViewCount(int32_t* count) const
{
    int32_t total = 0;
    for (const VorlatPageFile& file : pageFiles_)
        total += static_cast<int32_t>(file.slots.size());
    *count = total;
    return nullptr;
}

IVorlatError* CVorlatManager::GetPageFileView(const IVorlatTile** out, int32_t max) const
{
    int32_t n = 0;
    for (const VorlatPageFile& file : pageFiles_) {
        for (const CVorlatTile* tile : file.slots) {
            if (n == max)
                return TooSmall(__LINE__);
            out[n++] = tile;
        }
    }
    return nullptr;
}

IVorlatError* CVorlatManager::GetTileStackViewCount(int32_t* count) const
{
    *count = static_cast<int32_t>(locked_.size() + unlocked_.size());
    return nullptr;
}

IVorlatError* CVorlatManager::GetTileStackView(const IVorlatTile** out, int32_t max) const
{
    int32_t n = 0;
    for (const TileList* list : {&locked_, &unlocked_}) {
        for (const CVorlatTile* tile : *list) {
            if (n == max)
                return TooSmall(__LINE__);
            out[n++] = tile;
        }
    }
    return nullptr;
}

IVorlatError* CVorlatManager::GetFreeListViewCount(int32_t* count) const
{
    *count = static_cast<int32_t>(freeList_.size());
    return nullptr;
}

IVorlatError* CVorlatManager::GetFreeListView(intptr_t* out, int32_t max) const
{
    int32_t n = 0;
    for (const uint8_t* buffer : freeList_) {
        if (n == max)
            return TooSmall(__LINE__);
        out[n++] = reinterpret_cast<intptr_t>(buffer);
    }
    return nullptr;
}

IVorlatError* CVorlatManager::GetManager(IVorlatManager** manager) const
{
    *manager = const_cast<CVorlatManager*>(this);
    return nullptr;
}
