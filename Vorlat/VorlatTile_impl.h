#pragma once

#include <cstdint>
#include <list>

#include "Vorlat/VorlatTile.h"
#include "Vorlat/VorlatTileID.h"

class CVorlatImage;
class CVorlatManager;
struct VorlatTileSpan;

// A tile's buffer, page slot and place in the manager's lists are the
// manager's to change; the tile itself keeps only what callers read and mark.
class CVorlatTile : public IVorlatTile {
public:
    CVorlatTile(CVorlatManager* manager, CVorlatImage* image, const CVorlatTileID& id, int32_t usage);

    void Destroy() override;
    const IVorlatTileID& GetID() const override;
    void GetCoordinates(RECT* rect) const override;
    int32_t GetRowBytes() const override;
    IVorlatImage* GetImage() const override;
    bool GetInvalidRect(RECT* rect) const override;
    void InvalidateRect(const RECT& rect) override;
    void Validate() override;
    int32_t GetUsage() const override;
    bool IsReusable() const override;
    bool IsDiscardable() const override;
    bool IsDiscarded() const override;
    IVorlatError* Discard() override;
    bool InMemory() const override;
    bool IsPaged() const override;
    IVorlatError* Lock(void** bits, BITMAPINFOHEADER** header) override;
    bool IsLocked() const override;
    IVorlatError* Unlock() override;
    bool IsDirty() const override;
    void SetDirty(bool dirty) override;

    // Lock for a caller that writes all of `written` before it unlocks.
    IVorlatError* LockToWrite(void** bits, const VorlatTileSpan& written);
    void SetUsage(int32_t usage);
    const CVorlatTileID& ID() const { return id_; }

private:
    friend class CVorlatManager;
    ~CVorlatTile() override;

    CVorlatManager* manager_;
    CVorlatImage* image_;
    CVorlatTileID id_;
    int32_t usage_;
    uint8_t* buffer_ = nullptr;
    int32_t pageSlot_ = -1;
    int32_t pageFile_ = 0;
    bool dirty_ = false;
    int32_t lockCount_ = 0;
    RECT invalid_{0, 0, 0, 0};
    int32_t headerOffset_;
    // The tile's node in the manager's locked or unlocked list.
    std::list<CVorlatTile*>::iterator node_;
};
