#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "Vorlat/VorlatManager.h"
#include "Vorlat/VorlatStatus.h"
#include "Vorlat/VorlatTileID.h"
#include "Vorlat/VorlatTileSlabs_impl.h"
#include "Vorlat/VorlatTile_impl.h"

class CVorlatImage;

// One page file: an array of slots of one tile buffer each.
struct VorlatPageFile {
    enum State { kNotOpen, kOpen, kFailed };  // a failed open is never retried

    std::string path;
    State state = kNotOpen;
    int descriptor = -1;
    std::vector<CVorlatTile*> slots;  // the tile whose copy a slot holds, null when free
};

// The name of page file index (>= 1), made from the name of file 0.
std::string VorlatPageFileName(const std::string& first, size_t index);

// A slot is appended to a page file only while slots x tile bytes stays
// within the limit, so a file never grows beyond the limit plus one tile.
constexpr int64_t kVorlatPageFileLimit = 0x70000000;

inline bool VorlatPageFileMayAppend(size_t slotCount, int32_t tileBytes, int64_t limit = kVorlatPageFileLimit)
{
    return static_cast<int64_t>(slotCount) * tileBytes <= limit;
}

// The bytes of a tile's buffer that a caller writes, every one of them, while
// it holds the lock that it asks for: in each of `rows` rows from row `top`
// (rows `rowBytes` apart), `bytes` bytes from byte `left`.
struct VorlatTileSpan {
    int32_t top;
    int32_t rows;
    int32_t rowBytes;
    int32_t left;
    int32_t bytes;
};

struct TileIDLess {
    bool operator()(const CVorlatTileID& a, const CVorlatTileID& b) const { return a < b; }
};

class CVorlatManager : public IVorlatManager, public IVorlatStatus {
public:
    CVorlatManager(const _VorlatFile& pageFile, int32_t memoryBytes, int32_t tileBytes, int32_t idleMilliseconds);
    bool Constructed() const { return scratch_ != nullptr; }

    // IVorlatManager
    int32_t GetTileSize() override;
    void Destroy() override;
    IVorlatError* CreateImage(IVorlatImage** image, int32_t usage) override;
    IVorlatError* CreateFilterChain(IVorlatFilterChain** chain) override;
    IVorlatError* CreateHistogram(IVorlatHistogram** histogram) override;
    IVorlatError* FindImage(int32_t id, IVorlatImage** image) override;
    IVorlatError* Async(bool* more) override;
    void StartIdle() override;
    int32_t MaxAdjustment() const override;
    int32_t GetAdjustment() const override;
    IVorlatError* SetAdjustment(int32_t adjustment) override;
    IVorlatError* DumpTiles(int32_t* count) override;

    // IVorlatStatus
    IVorlatError* SetStatusUser(IVorlatStatusUser* user) override;
    IVorlatError* GetPageFileViewCount(int32_t* count) const override;
    IVorlatError* GetPageFileView(const IVorlatTile** out, int32_t max) const override;
    IVorlatError* GetTileStackViewCount(int32_t* count) const override;
    IVorlatError* GetTileStackView(const IVorlatTile** out, int32_t max) const override;
    IVorlatError* GetFreeListViewCount(int32_t* count) const override;
    IVorlatError* GetFreeListView(intptr_t* out, int32_t max) const override;
    IVorlatError* GetManager(IVorlatManager** manager) const override;

    // Used by images and tiles.
    int32_t TileBytes() const { return tileBytes_; }
    IVorlatError* CreateTile(CVorlatImage* image, int32_t tileId, int32_t usage, CVorlatTile** tile);
    void ForgetTile(CVorlatTile* tile);
    IVorlatError* ForgetImage(int32_t id);
    // With a span, a tile that has no buffer and no page copy gets zeros only
    // around the span, which the caller is about to write.
    IVorlatError* LockTile(CVorlatTile* tile, const VorlatTileSpan* written = nullptr);
    IVorlatError* UnlockTile(CVorlatTile* tile);
    IVorlatError* DiscardTile(CVorlatTile* tile);
    void SetTileUsage(CVorlatTile* tile, int32_t usage);
    void ChainDestroyed() {}

    // For tests: the page file list, budget figures and a check of the rules
    // that always hold; CheckInvariants returns an empty string when all hold.
    const std::vector<VorlatPageFile>& PageFiles() const { return pageFiles_; }
    // A lower limit reaches the next page file without gigabytes of page data.
    void SetPageFileLimit(int64_t limit) { pageFileLimit_ = limit; }
    int32_t Budget() const { return budget_; }
    int32_t LockedCount() const { return static_cast<int32_t>(locked_.size()); }
    int32_t UnlockedInMemory() const { return unlockedInMemory_; }
    int32_t FreeCount() const { return static_cast<int32_t>(freeList_.size()); }
    const CVorlatTileSlabs& Slabs() const { return slabs_; }
    std::string CheckInvariants() const;

protected:
    ~CVorlatManager() override;

private:
    using TileList = std::list<CVorlatTile*>;

    // Status reporting: index and extra are computed only when a listener is installed.
    bool Listening() const { return statusUser_ != nullptr; }
    void Report(IVorlatError** chain, int32_t code, int32_t index, int32_t extra, const IVorlatTile* tile);
    int32_t StackPlace(const CVorlatTile* tile) const;

    // Keeps the counts of unlocked tiles in memory, all and reusable, as a tile enters (+1) or leaves (-1).
    void CountInMemory(const CVorlatTile* tile, int32_t change);
    void HandTowardFront();
    void MoveAfterHand(CVorlatTile* tile);
    // *zeroed: the buffer is new memory that holds zeros.
    uint8_t* Allocate(bool* zeroed);
    IVorlatError* GetBuffer(bool allowAllocation, uint8_t** buffer, bool* zeroed = nullptr);
    IVorlatError* GiveBuffer(CVorlatTile* tile, uint8_t** buffer);
    void FreeBuffer(uint8_t* buffer);
    void ClearAround(uint8_t* buffer, const VorlatTileSpan& span) const;

    // Page files.
    std::string PageFileName(size_t index) const;
    IVorlatError* OpenPageFile(VorlatPageFile& file);
    IVorlatError* WriteSlot(VorlatPageFile& file, int32_t slot, const uint8_t* buffer);
    IVorlatError* ReadSlot(VorlatPageFile& file, int32_t slot, uint8_t* buffer);
    IVorlatError* CutFile(VorlatPageFile& file, size_t slots);
    IVorlatError* WriteTile(CVorlatTile* tile);
    IVorlatError* ReadTile(CVorlatTile* tile, uint8_t* buffer);
    void FreeSlot(CVorlatTile* tile);

    // Idle work, one unit each; true when the unit was done (or failed).
    bool ReadAhead(IVorlatError** chain);
    bool ReleaseSlots(IVorlatError** chain);
    bool Compact(IVorlatError** chain);
    bool Trim(IVorlatError** chain);
    void ReleaseFreeList(IVorlatError** chain);

    std::vector<VorlatPageFile> pageFiles_;
    int64_t pageFileLimit_ = kVorlatPageFileLimit;
    int32_t tileBytes_;
    int32_t budget_;
    int32_t minimum_ = 2;
    int32_t adjustment_ = 0;
    int32_t unlockedInMemory_ = 0;
    int32_t reusableInMemory_ = 0;  // of those, the tiles of usage 2
    uint32_t lastActivity_;
    int32_t idleDelay_;
    int32_t nextImageId_ = 1;
    uint8_t* scratch_;
    std::map<int32_t, IVorlatImage*> images_;
    std::map<CVorlatTileID, CVorlatTile*, TileIDLess> tiles_;
    CVorlatTileSlabs slabs_;
    std::vector<uint8_t*> freeList_;
    TileList locked_;
    TileList unlocked_;
    TileList::iterator hand_;  // unlocked_.end() when no unlocked tile is in memory
    IVorlatStatusUser* statusUser_ = nullptr;
};
