#include "Vorlat/VorlatManager_impl.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

#include "Vorlat/VorlatFilterChain_impl.h"
#include "Vorlat/VorlatHistogram_impl.h"
#include "Vorlat/VorlatImage_impl.h"
#include "Vorlat/VorlatModules_impl.h"
#include "port/port.h"

IVorlatManager::~IVorlatManager() = default;

IVorlatError* IVorlatManager::CreateManager(IVorlatManager** manager, const _VorlatFile& pageFile,
                                            int32_t memoryBytes, int32_t tileBytes, int32_t idleMilliseconds)
{
    *manager = nullptr;
    // A tile buffer holds at least its bitmap header room and one row of pixels.
    if (tileBytes <= 40 || memoryBytes < 0)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrState);
    CVorlatManager* made = new (std::nothrow) CVorlatManager(pageFile, memoryBytes, tileBytes, idleMilliseconds);
    if (made && !made->Constructed()) {
        made->Destroy();
        made = nullptr;
    }
    if (!made)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    *manager = made;

    // Prove that the page file can be made; it stays empty until first used.
    const char* path = made->PageFiles()[0].path.c_str();
    const int fd = made->PageFiles()[0].path.size() < sizeof pageFile.path
                       ? port::FileOpen(path, port::kReadWrite | port::kCreate | port::kTruncate)
                       : (errno = ENAMETOOLONG, -1);
    if (fd == -1) {
        IVorlatError* err = IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromErrno, errno ? errno : EIO);
        return IVorlatError::Add(&err, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrPageFile);
    }
    port::FileClose(fd);
    return nullptr;
}

CVorlatManager::CVorlatManager(const _VorlatFile& pageFile, int32_t memoryBytes, int32_t tileBytes,
                               int32_t idleMilliseconds)
    : tileBytes_(tileBytes),
      budget_(static_cast<int32_t>(static_cast<int64_t>(memoryBytes) / tileBytes)),
      lastActivity_(port::TickCount()),
      idleDelay_(idleMilliseconds),
      scratch_(new (std::nothrow) uint8_t[static_cast<size_t>(tileBytes)]),
      slabs_(tileBytes)
{
    pageFiles_.emplace_back();
    pageFiles_[0].path.assign(pageFile.path, strnlen(pageFile.path, sizeof pageFile.path));
    hand_ = unlocked_.end();
}

CVorlatManager::~CVorlatManager()
{
    delete[] scratch_;
    for (VorlatPageFile& file : pageFiles_) {
        if (file.state == VorlatPageFile::kOpen)
            port::FileClose(file.descriptor);
        port::FileUnlink(file.path.c_str());
    }
}

int32_t CVorlatManager::GetTileSize() { return tileBytes_; }

void CVorlatManager::Destroy() { delete this; }

IVorlatError* CVorlatManager::CreateImage(IVorlatImage** image, int32_t usage)
{
    *image = nullptr;
    CVorlatImage* made = new (std::nothrow) CVorlatImage(this, nextImageId_, usage);
    if (!made)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    images_[nextImageId_] = made;
    ++nextImageId_;
    *image = made;
    return nullptr;
}

IVorlatError* CVorlatManager::CreateFilterChain(IVorlatFilterChain** chain)
{
    *chain = new (std::nothrow) CVorlatFilterChain(this);
    if (!*chain)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    return nullptr;
}

IVorlatError* CVorlatManager::CreateHistogram(IVorlatHistogram** histogram)
{
    *histogram = new (std::nothrow) CVorlatHistogram(this);
    if (!*histogram)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    return nullptr;
}

IVorlatError* CVorlatManager::FindImage(int32_t id, IVorlatImage** image)
{
    auto it = images_.find(id);
    if (it == images_.end())
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    *image = it->second;
    return nullptr;
}

IVorlatError* CVorlatManager::ForgetImage(int32_t id)
{
    if (images_.erase(id) == 0)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    return nullptr;
}

void CVorlatManager::StartIdle() { lastActivity_ = port::TickCount(); }

int32_t CVorlatManager::MaxAdjustment() const { return budget_ - minimum_; }

int32_t CVorlatManager::GetAdjustment() const { return adjustment_; }

IVorlatError* CVorlatManager::SetAdjustment(int32_t adjustment)
{
    IVorlatError* err = nullptr;
    // Callers pass 0 to MaxAdjustment; anything else is held to that range.
    adjustment = std::clamp(adjustment, 0, std::max(0, MaxAdjustment()));
    const int64_t excess = static_cast<int64_t>(locked_.size()) + unlockedInMemory_ + adjustment - budget_;
    if (excess >= 1) {
        int32_t count = static_cast<int32_t>(std::min<int64_t>(excess, INT32_MAX));
        VorlatFailed(&err, kModuleManager, __LINE__, DumpTiles(&count));
    }
    adjustment_ = adjustment;
    return err;
}

IVorlatError* CVorlatManager::DumpTiles(int32_t* count)
{
    int32_t freed = 0;
    while (freed < *count) {
        uint8_t* buffer = nullptr;
        IVorlatError* error = GetBuffer(false, &buffer);
        if (error)
            error->Destroy();
        if (!buffer)
            break;
        slabs_.Give(buffer);
        ++freed;
    }
    // Asked to give memory back: all the slabs hold beyond the buffers in use goes.
    slabs_.Trim(slabs_.Out());
    *count = freed;
    return nullptr;
}

// ---- Tiles ------------------------------------------------------------------

IVorlatError* CVorlatManager::CreateTile(CVorlatImage* image, int32_t tileId, int32_t usage, CVorlatTile** tile)
{
    IVorlatError* err = nullptr;
    *tile = nullptr;
    const CVorlatTileID id(image->GetID(), tileId);
    if (tiles_.count(id))
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrAlreadyPresent);
    CVorlatTile* made = new (std::nothrow) CVorlatTile(this, image, id, usage);
    if (!made)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    tiles_[id] = made;
    made->node_ = unlocked_.insert(unlocked_.end(), made);
    *tile = made;
    if (Listening())
        Report(&err, 2, static_cast<int32_t>(tiles_.size()) - 1, 0, made);
    return err;
}

void CVorlatManager::ForgetTile(CVorlatTile* tile)
{
    IVorlatError* err = nullptr;
    if (Listening()) {
        Report(&err, 18, StackPlace(tile), -1, nullptr);
        if (tile->buffer_)
            Report(&err, 3, static_cast<int32_t>(freeList_.size()) - 1, 0,
                   reinterpret_cast<const IVorlatTile*>(tile->buffer_));
        if (tile->pageSlot_ != -1)
            Report(&err, 33, tile->pageSlot_, 0, nullptr);
    }
    // Nobody can take the listener's answer here.
    if (err)
        err->Destroy();

    tiles_.erase(tile->id_);
    if (tile->lockCount_ > 0) {
        // Outside the design, but a tile must not outlive its list.
        locked_.erase(tile->node_);
        tile->lockCount_ = 0;
    } else {
        if (hand_ == tile->node_)
            HandTowardFront();
        if (tile->buffer_)
            CountInMemory(tile, -1);
        unlocked_.erase(tile->node_);
    }
    if (tile->buffer_) {
        freeList_.push_back(tile->buffer_);
        tile->buffer_ = nullptr;
    }
    if (tile->pageSlot_ != -1)
        FreeSlot(tile);
}

void CVorlatManager::HandTowardFront()
{
    if (hand_ == unlocked_.end())
        return;
    if (hand_ == unlocked_.begin())
        hand_ = unlocked_.end();
    else
        --hand_;
}

void CVorlatManager::CountInMemory(const CVorlatTile* tile, int32_t change)
{
    unlockedInMemory_ += change;
    if (tile->IsReusable())
        reusableInMemory_ += change;
}

void CVorlatManager::SetTileUsage(CVorlatTile* tile, int32_t usage)
{
    const bool counted = tile->lockCount_ == 0 && tile->buffer_;
    if (counted)
        CountInMemory(tile, -1);
    tile->usage_ = usage;
    if (counted)
        CountInMemory(tile, +1);
}

// The tile becomes the most recently demoted tile that is not in memory.
void CVorlatManager::MoveAfterHand(CVorlatTile* tile)
{
    if (hand_ == tile->node_) {
        HandTowardFront();
        return;
    }
    if (hand_ == unlocked_.end())
        unlocked_.splice(unlocked_.begin(), unlocked_, tile->node_);
    else
        unlocked_.splice(std::next(hand_), unlocked_, tile->node_);
}

uint8_t* CVorlatManager::Allocate(bool* zeroed)
{
    // The budget rules above decide when a buffer may be new; a new slab holds
    // no more than the effective budget, so that slabs count against it.
    return slabs_.Take(static_cast<int64_t>(budget_) - adjustment_, zeroed);
}

void CVorlatManager::FreeBuffer(uint8_t* buffer)
{
    freeList_.push_back(buffer);
}

void CVorlatManager::ClearAround(uint8_t* buffer, const VorlatTileSpan& span) const
{
    const int64_t end = (static_cast<int64_t>(span.top) + span.rows) * span.rowBytes;
    const bool fits = span.top >= 0 && span.rows >= 0 && span.rowBytes > 0 && span.left >= 0 && span.bytes >= 0 &&
                      static_cast<int64_t>(span.left) + span.bytes <= span.rowBytes && end <= tileBytes_;
    if (!fits) {
        std::memset(buffer, 0, static_cast<size_t>(tileBytes_));
        return;
    }
    const size_t rowBytes = static_cast<size_t>(span.rowBytes);
    const size_t after = rowBytes - static_cast<size_t>(span.left) - static_cast<size_t>(span.bytes);
    std::memset(buffer, 0, static_cast<size_t>(span.top) * rowBytes);
    for (int32_t y = span.top; y < span.top + span.rows; ++y) {
        uint8_t* row = buffer + static_cast<size_t>(y) * rowBytes;
        std::memset(row, 0, static_cast<size_t>(span.left));
        std::memset(row + span.left + span.bytes, 0, after);
    }
    std::memset(buffer + end, 0, static_cast<size_t>(tileBytes_ - end));
}

IVorlatError* CVorlatManager::LockTile(CVorlatTile* tile, const VorlatTileSpan* written)
{
    IVorlatError* err = nullptr;
    if (!tile->buffer_) {
        uint8_t* buffer = nullptr;
        bool zeroed = false;
        if (VorlatFailed(&err, kModuleManager, __LINE__, GetBuffer(true, &buffer, &zeroed))) {
            if (buffer)
                FreeBuffer(buffer);
            return err;
        }
        if (tile->pageSlot_ != -1) {
            if (VorlatFailed(&err, kModuleManager, __LINE__, ReadTile(tile, buffer))) {
                FreeBuffer(buffer);
                if (Listening())
                    Report(&err, 3, static_cast<int32_t>(freeList_.size()) - 1, 0,
                           reinterpret_cast<const IVorlatTile*>(buffer));
                return err;
            }
        } else if (zeroed) {
            // New memory from the system holds zeros already; writing them
            // again would touch the tile once more before its pixels.
        } else if (written) {
            // Clearing what is about to be written would touch every byte twice.
            ClearAround(buffer, *written);
        } else {
            std::memset(buffer, 0, static_cast<size_t>(tileBytes_));
        }
        tile->buffer_ = buffer;
    } else if (tile->lockCount_ == 0) {
        CountInMemory(tile, -1);
    }

    if (tile->lockCount_++ == 0) {
        if (Listening())
            Report(&err, 50, StackPlace(tile), 0, tile);
        if (hand_ == tile->node_)
            HandTowardFront();
        locked_.splice(locked_.begin(), unlocked_, tile->node_);
    }
    return err;
}

IVorlatError* CVorlatManager::UnlockTile(CVorlatTile* tile)
{
    IVorlatError* err = nullptr;
    if (tile->lockCount_ <= 0)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrState);
    if (--tile->lockCount_ == 0) {
        if (Listening())
            Report(&err, 50, StackPlace(tile), static_cast<int32_t>(locked_.size()), tile);
        unlocked_.splice(unlocked_.begin(), locked_, tile->node_);
        if (hand_ == unlocked_.end())
            hand_ = unlocked_.begin();
        CountInMemory(tile, +1);
    }
    return err;
}

IVorlatError* CVorlatManager::DiscardTile(CVorlatTile* tile)
{
    IVorlatError* err = nullptr;
    if (tile->lockCount_ > 0)
        return IVorlatError::Add(nullptr, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrState);
    if (!tile->buffer_)
        return nullptr;
    if (Listening())
        Report(&err, 50, StackPlace(tile), static_cast<int32_t>(locked_.size()) + unlockedInMemory_ - 1, tile);
    uint8_t* buffer = tile->buffer_;
    tile->buffer_ = nullptr;
    FreeBuffer(buffer);
    if (Listening())
        Report(&err, 3, static_cast<int32_t>(freeList_.size()) - 1, 0, reinterpret_cast<const IVorlatTile*>(buffer));
    MoveAfterHand(tile);
    CountInMemory(tile, -1);
    return err;
}

IVorlatError* CVorlatManager::GetBuffer(bool allowAllocation, uint8_t** buffer, bool* zeroed)
{
    IVorlatError* err = nullptr;
    uint8_t* got = nullptr;
    bool fresh = false;
    *buffer = nullptr;

    while (!got && !freeList_.empty()) {
        got = freeList_.back();
        freeList_.pop_back();
        if (Listening())
            Report(&err, 19, static_cast<int32_t>(freeList_.size()), -1, nullptr);
    }

    const int64_t locked = static_cast<int64_t>(locked_.size());
    // Every buffer of the effective budget is locked: the floor rises. While an
    // unlocked tile still holds a buffer, that one is taken instead, or each
    // such lock would leave one more buffer beyond the budget for good.
    if (!got && allowAllocation && locked == static_cast<int64_t>(budget_) - adjustment_ &&
        hand_ == unlocked_.end()) {
        ++minimum_;
        budget_ = std::max(budget_, minimum_);
        adjustment_ = std::max(0, adjustment_ - 1);
        got = Allocate(&fresh);
    }
    if (!got && allowAllocation &&
        locked + static_cast<int64_t>(unlocked_.size()) < static_cast<int64_t>(budget_) - adjustment_)
        got = Allocate(&fresh);

    if (!got && hand_ != unlocked_.end()) {
        const TileList::iterator handBefore = hand_;
        CVorlatTile* chosen = nullptr;
        // The walk toward the front can only end at a reusable tile when one is in memory.
        for (TileList::iterator it = hand_; reusableInMemory_ > 0; --it) {
            if ((*it)->IsReusable()) {
                chosen = *it;
                break;
            }
            if (it == unlocked_.begin())
                break;
        }
        if (!chosen) {
            chosen = *hand_;
            HandTowardFront();
        }
        CountInMemory(chosen, -1);
        if (VorlatFailed(&err, kModuleManager, __LINE__, GiveBuffer(chosen, &got))) {
            hand_ = handBefore;
            CountInMemory(chosen, +1);
            return err;
        }
    } else if (!got && allowAllocation) {
        got = Allocate(&fresh);
    }

    if (!got)
        return IVorlatError::Add(&err, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    *buffer = got;
    if (zeroed)
        *zeroed = fresh;
    return err;
}

IVorlatError* CVorlatManager::GiveBuffer(CVorlatTile* tile, uint8_t** buffer)
{
    IVorlatError* err = nullptr;
    if (tile->usage_ == kVorlatUsageKeep && (tile->pageSlot_ == -1 || tile->dirty_)) {
        if (VorlatFailed(&err, kModuleManager, __LINE__, WriteTile(tile)))
            return err;
    }
    *buffer = tile->buffer_;
    tile->buffer_ = nullptr;
    tile->dirty_ = false;
    if (Listening()) {
        Report(&err, 34, StackPlace(tile), 0, tile);
        if (tile->pageSlot_ != -1)
            Report(&err, 33, tile->pageSlot_, 0, tile);
    }
    if (tile->usage_ == kVorlatUsageKeep)
        MoveAfterHand(tile);
    else
        tile->Destroy();
    return err;
}

// ---- Idle work --------------------------------------------------------------

IVorlatError* CVorlatManager::Async(bool* more)
{
    IVorlatError* err = nullptr;
    try {
        if (more)
            *more = true;
        if (port::TickCount() - lastActivity_ < static_cast<uint32_t>(std::max(0, idleDelay_)))
            return nullptr;
        if (ReadAhead(&err) || ReleaseSlots(&err) || Compact(&err) || Trim(&err))
            return err;
        ReleaseFreeList(&err);
        if (more)
            *more = false;
        return err;
    } catch (...) {
        if (err)
            err->Destroy();
        if (more)
            *more = false;
        return nullptr;
    }
}

bool CVorlatManager::ReadAhead(IVorlatError** chain)
{
    if (freeList_.empty())
        return false;
    const int64_t inMemory = unlockedInMemory_;
    if (inMemory >= static_cast<int64_t>(unlocked_.size()))
        return false;
    if (inMemory >= static_cast<int64_t>(budget_) - adjustment_ - static_cast<int64_t>(locked_.size()))
        return false;
    const TileList::iterator next = hand_ == unlocked_.end() ? unlocked_.begin() : std::next(hand_);
    if (next == unlocked_.end())
        return false;
    CVorlatTile* tile = *next;
    uint8_t* buffer = freeList_.back();
    if (tile->pageSlot_ != -1) {
        if (VorlatFailed(chain, kModuleManager, __LINE__, ReadTile(tile, buffer)))
            return true;
    } else {
        std::memset(buffer, 0, static_cast<size_t>(tileBytes_));
        // Zeros are not the tile's pixels: a producer must make it again.
        RECT whole;
        tile->GetCoordinates(&whole);
        tile->InvalidateRect(whole);
    }
    freeList_.pop_back();
    tile->buffer_ = buffer;
    hand_ = next;
    CountInMemory(tile, +1);
    if (Listening()) {
        Report(chain, 33, tile->pageSlot_, 0, tile);
        Report(chain, 34, static_cast<int32_t>(locked_.size()) + unlockedInMemory_ - 1, 0, tile);
        Report(chain, 19, static_cast<int32_t>(freeList_.size()), -1, nullptr);
    }
    return true;
}

bool CVorlatManager::ReleaseSlots(IVorlatError** chain)
{
    if (hand_ == unlocked_.end())
        return false;
    // Age rank of each paged tile in memory, per page file, nearest the hand first.
    std::vector<std::vector<CVorlatTile*>> recorded(pageFiles_.size());
    for (TileList::iterator it = hand_;; --it) {
        CVorlatTile* tile = *it;
        if (tile->pageSlot_ != -1)
            recorded[static_cast<size_t>(tile->pageFile_)].push_back(tile);
        if (it == unlocked_.begin())
            break;
    }
    size_t fileIndex = 0;
    while (fileIndex < recorded.size() && recorded[fileIndex].empty())
        ++fileIndex;
    if (fileIndex == recorded.size())
        return false;

    VorlatPageFile& file = pageFiles_[fileIndex];
    const std::vector<CVorlatTile*>& ranked = recorded[fileIndex];
    const int32_t n = static_cast<int32_t>(ranked.size());
    std::vector<CVorlatTile*> candidates;
    for (CVorlatTile* tile : file.slots) {
        if (static_cast<int32_t>(candidates.size()) == n)
            break;
        if (tile && tile->buffer_)
            candidates.push_back(tile);
    }
    std::unordered_map<const CVorlatTile*, int32_t> rankOf;
    for (size_t i = 0; i < ranked.size(); ++i)
        rankOf.emplace(ranked[i], static_cast<int32_t>(i));
    const int32_t keep = n / 100 + 1;
    const int32_t slotCount = static_cast<int32_t>(file.slots.size());
    struct Scored {
        int32_t score;
        CVorlatTile* tile;
    };
    std::vector<Scored> retained;  // ascending by score
    for (int32_t i = static_cast<int32_t>(candidates.size()) - 1; i >= 0; --i) {
        CVorlatTile* tile = candidates[static_cast<size_t>(i)];
        const auto rankIt = rankOf.find(tile);
        const int32_t rank = rankIt == rankOf.end() ? n : rankIt->second;
        int32_t score = rank + 2 * i;
        // A copy in the last n slots is kept while an earlier one can go; among
        // those, the one furthest back goes first, so that the file can be cut.
        if (tile->pageSlot_ >= slotCount - n)
            score = 10000 - score;
        if (static_cast<int32_t>(retained.size()) == keep) {
            if (score >= retained.back().score)
                continue;
            retained.pop_back();
        }
        auto at = std::upper_bound(retained.begin(), retained.end(), score,
                                   [](int32_t s, const Scored& r) { return s < r.score; });
        retained.insert(at, Scored{score, tile});
    }
    for (auto it = retained.rbegin(); it != retained.rend(); ++it) {
        CVorlatTile* tile = it->tile;
        const int32_t slot = tile->pageSlot_;
        if (slot == static_cast<int32_t>(file.slots.size()) - 1) {
            file.slots.pop_back();
            VorlatFailed(chain, kModuleManager, __LINE__, CutFile(file, file.slots.size()));
            if (Listening())
                Report(chain, 17, static_cast<int32_t>(file.slots.size()), 0, nullptr);
        } else {
            file.slots[static_cast<size_t>(slot)] = nullptr;
            if (Listening())
                Report(chain, 33, slot, 0, nullptr);
        }
        tile->pageSlot_ = -1;
        if (Listening())
            Report(chain, 34, StackPlace(tile), 0, tile);
    }
    return true;
}

void CVorlatManager::ReleaseFreeList(IVorlatError** chain)
{
    while (!freeList_.empty()) {
        slabs_.Give(freeList_.back());
        freeList_.pop_back();
        if (Listening())
            Report(chain, 19, static_cast<int32_t>(freeList_.size()), -1, nullptr);
    }
    // Within the effective budget the slabs stay for the next image: giving
    // them back and touching new pages costs more than keeping them.
    slabs_.Trim(static_cast<int64_t>(budget_) - adjustment_);
}

// ---- Checks for tests -------------------------------------------------------

std::string CVorlatManager::CheckInvariants() const
{
    int32_t inMemory = 0;
    bool beforeHand = hand_ != unlocked_.end();
    for (TileList::const_iterator it = unlocked_.begin(); it != unlocked_.end(); ++it) {
        const CVorlatTile* tile = *it;
        if (tile->lockCount_ != 0)
            return "locked tile in the unlocked list";
        if (beforeHand != (tile->buffer_ != nullptr))
            return "unlocked list not split at the hand by memory state";
        if (beforeHand)
            ++inMemory;
        if (it == TileList::const_iterator(hand_))
            beforeHand = false;
    }
    if (inMemory != unlockedInMemory_)
        return "unlocked-in-memory count differs from the list";
    int32_t reusable = 0;
    for (TileList::const_iterator it = unlocked_.begin(); inMemory > 0 && it != unlocked_.end(); ++it) {
        reusable += (*it)->IsReusable() ? 1 : 0;
        if (it == TileList::const_iterator(hand_))
            break;
    }
    if (reusable != reusableInMemory_)
        return "reusable-in-memory count differs from the list";
    for (const CVorlatTile* tile : locked_) {
        if (tile->lockCount_ <= 0 || !tile->buffer_)
            return "tile in the locked list without lock or buffer";
    }
    if (locked_.size() + unlocked_.size() != tiles_.size())
        return "lists and tile map differ";
    std::vector<const uint8_t*> buffers(freeList_.begin(), freeList_.end());
    for (const auto& entry : tiles_) {
        if (entry.second->buffer_)
            buffers.push_back(entry.second->buffer_);
        if (entry.second->pageSlot_ != -1) {
            const VorlatPageFile& file = pageFiles_[static_cast<size_t>(entry.second->pageFile_)];
            if (static_cast<size_t>(entry.second->pageSlot_) >= file.slots.size() ||
                file.slots[static_cast<size_t>(entry.second->pageSlot_)] != entry.second)
                return "tile's page slot does not name it";
        }
    }
    buffers.push_back(scratch_);
    std::sort(buffers.begin(), buffers.end());
    if (std::adjacent_find(buffers.begin(), buffers.end()) != buffers.end())
        return "a buffer is held twice";
    for (const VorlatPageFile& file : pageFiles_) {
        for (size_t slot = 0; slot < file.slots.size(); ++slot) {
            const CVorlatTile* tile = file.slots[slot];
            if (tile && (tile->pageSlot_ != static_cast<int32_t>(slot) ||
                         &pageFiles_[static_cast<size_t>(tile->pageFile_)] != &file))
                return "page slot names a tile that does not hold it";
        }
    }
    return {};
}
