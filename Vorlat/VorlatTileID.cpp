#include "Vorlat/VorlatTileID.h"

#include <new>

#include "Vorlat/VorlatModules_impl.h"

IVorlatTileID::~IVorlatTileID() = default;

const IVorlatTileID& IVorlatTileID::operator=(const IVorlatTileID&) { return *this; }

CVorlatTileID::CVorlatTileID() : imageId_(0), tileId_(0) {}

CVorlatTileID::CVorlatTileID(const CVorlatTileID& other)
    : IVorlatTileID(), imageId_(other.imageId_), tileId_(other.tileId_)
{
}

CVorlatTileID::CVorlatTileID(const IVorlatTileID& other)
    : imageId_(other.GetImageID()), tileId_(other.GetTileID())
{
}

CVorlatTileID::CVorlatTileID(int32_t imageId, int32_t tileId) : imageId_(imageId), tileId_(tileId) {}

CVorlatTileID::~CVorlatTileID() = default;

IVorlatError* CVorlatTileID::MakeCopy(IVorlatTileID** copy) const
{
    *copy = new (std::nothrow) CVorlatTileID(imageId_, tileId_);
    if (!*copy)
        return IVorlatError::Add(nullptr, kModuleTile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    return nullptr;
}

void CVorlatTileID::Destroy() { delete this; }

int32_t CVorlatTileID::GetImageID() const { return imageId_; }

int32_t CVorlatTileID::GetTileID() const { return tileId_; }

const IVorlatTileID& CVorlatTileID::operator=(const IVorlatTileID& other)
{
    imageId_ = other.GetImageID();
    tileId_ = other.GetTileID();
    return *this;
}

CVorlatTileID& CVorlatTileID::operator=(const CVorlatTileID& other)
{
    imageId_ = other.imageId_;
    tileId_ = other.tileId_;
    return *this;
}

bool CVorlatTileID::operator==(const IVorlatTileID& other) const
{
    return imageId_ == other.GetImageID() && tileId_ == other.GetTileID();
}

bool CVorlatTileID::operator!=(const IVorlatTileID& other) const { return !(*this == other); }

bool CVorlatTileID::operator<(const IVorlatTileID& other) const
{
    const int32_t otherImage = other.GetImageID();
    return imageId_ < otherImage || (imageId_ == otherImage && tileId_ < other.GetTileID());
}

bool CVorlatTileID::operator>(const IVorlatTileID& other) const
{
    const int32_t otherImage = other.GetImageID();
    return imageId_ > otherImage || (imageId_ == otherImage && tileId_ > other.GetTileID());
}
