#include "Vorlat/VorlatTile_impl.h"

#include <algorithm>

#include "Vorlat/VorlatImage_impl.h"
#include "Vorlat/VorlatManager_impl.h"
#include "Vorlat/VorlatModules_impl.h"

IVorlatTile::~IVorlatTile() = default;

CVorlatTile::CVorlatTile(CVorlatManager* manager, CVorlatImage* image, const CVorlatTileID& id, int32_t usage)
    : manager_(manager), image_(image), id_(id), usage_(usage), headerOffset_(manager->TileBytes() - 40)
{
    // A new tile is wholly invalid: a producer must make all of it.
    GetCoordinates(&invalid_);
}

CVorlatTile::~CVorlatTile() = default;

void CVorlatTile::Destroy()
{
    image_->ForgetTile(id_.GetTileID());
    manager_->ForgetTile(this);
    delete this;
}

const IVorlatTileID& CVorlatTile::GetID() const { return id_; }

void CVorlatTile::SetUsage(int32_t usage) { manager_->SetTileUsage(this, usage); }

void CVorlatTile::GetCoordinates(RECT* rect) const
{
    const int32_t size = image_->TileSide();
    const int32_t perRow = image_->TilesPerRow();
    if (size <= 0 || perRow <= 0) {
        *rect = RECT{0, 0, 0, 0};
        return;
    }
    const int32_t t = id_.GetTileID() - 1;
    rect->left = (t % perRow) * size;
    rect->top = (t / perRow) * size;
    rect->right = std::min<int32_t>(rect->left + size, image_->Width());
    rect->bottom = std::min<int32_t>(rect->top + size, image_->Height());
}

int32_t CVorlatTile::GetRowBytes() const
{
    int32_t rowBytes = 0;
    if (IVorlatError* error = image_->GetRowBytes(&rowBytes)) {
        error->Destroy();
        return 0;
    }
    return rowBytes;
}

IVorlatImage* CVorlatTile::GetImage() const { return image_; }

bool CVorlatTile::GetInvalidRect(RECT* rect) const
{
    *rect = invalid_;
    return invalid_.right - invalid_.left > 0 && invalid_.bottom - invalid_.top > 0;
}

void CVorlatTile::InvalidateRect(const RECT& rect)
{
    RECT tile;
    GetCoordinates(&tile);
    RECT clipped{std::max(rect.left, tile.left), std::max(rect.top, tile.top), std::min(rect.right, tile.right),
                 std::min(rect.bottom, tile.bottom)};
    if (invalid_.right - invalid_.left <= 0 || invalid_.bottom - invalid_.top <= 0) {
        invalid_ = clipped;
    } else {
        invalid_.left = std::min(invalid_.left, clipped.left);
        invalid_.top = std::min(invalid_.top, clipped.top);
        invalid_.right = std::max(invalid_.right, clipped.right);
        invalid_.bottom = std::max(invalid_.bottom, clipped.bottom);
    }
}

void CVorlatTile::Validate() { invalid_ = RECT{0, 0, 0, 0}; }

int32_t CVorlatTile::GetUsage() const { return usage_; }
bool CVorlatTile::IsReusable() const { return usage_ == kVorlatUsageReusable; }
bool CVorlatTile::IsDiscardable() const { return usage_ != kVorlatUsageKeep; }
bool CVorlatTile::IsDiscarded() const { return !buffer_ && pageSlot_ == -1; }
bool CVorlatTile::InMemory() const { return buffer_ != nullptr; }
bool CVorlatTile::IsPaged() const { return pageSlot_ != -1; }
bool CVorlatTile::IsLocked() const { return lockCount_ > 0; }
bool CVorlatTile::IsDirty() const { return dirty_; }
void CVorlatTile::SetDirty(bool dirty) { dirty_ = dirty; }

IVorlatError* CVorlatTile::Discard()
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kModuleTile, __LINE__, manager_->DiscardTile(this));
    return err;
}

IVorlatError* CVorlatTile::Lock(void** bits, BITMAPINFOHEADER** header)
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kModuleTile, __LINE__, manager_->LockTile(this)))
        return err;
    *bits = buffer_;
    if (header)
        *header = reinterpret_cast<BITMAPINFOHEADER*>(buffer_ + headerOffset_);
    return nullptr;
}

IVorlatError* CVorlatTile::LockToWrite(void** bits, const VorlatTileSpan& written)
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kModuleTile, __LINE__, manager_->LockTile(this, &written)))
        return err;
    *bits = buffer_;
    return nullptr;
}

IVorlatError* CVorlatTile::Unlock()
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kModuleTile, __LINE__, manager_->UnlockTile(this));
    return err;
}
