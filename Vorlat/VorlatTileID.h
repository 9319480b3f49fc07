// The identity of one tile: the image id and the tile id within the image
// (row by row from 1). Ordered by image id, then tile id.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"

class VORLAT_API IVorlatTileID {
protected:
    virtual ~IVorlatTileID();

public:
    // A new heap copy that the caller frees with Destroy.
    virtual IVorlatError* MakeCopy(IVorlatTileID** copy) const = 0;
    virtual void Destroy() = 0;
    virtual int32_t GetImageID() const = 0;
    virtual int32_t GetTileID() const = 0;
    virtual const IVorlatTileID& operator=(const IVorlatTileID& other);
    virtual bool operator==(const IVorlatTileID& other) const = 0;
    virtual bool operator!=(const IVorlatTileID& other) const = 0;
    virtual bool operator<(const IVorlatTileID& other) const = 0;
    virtual bool operator>(const IVorlatTileID& other) const = 0;
};

// The only implementation, used as a value (in grids, as the manager's map key).
class VORLAT_API CVorlatTileID : public IVorlatTileID {
public:
    CVorlatTileID();
    CVorlatTileID(const CVorlatTileID& other);
    CVorlatTileID(const IVorlatTileID& other);
    CVorlatTileID(int32_t imageId, int32_t tileId);
    ~CVorlatTileID() override;

    IVorlatError* MakeCopy(IVorlatTileID** copy) const override;
    void Destroy() override;
    int32_t GetImageID() const override;
    int32_t GetTileID() const override;
    const IVorlatTileID& operator=(const IVorlatTileID& other) override;
    CVorlatTileID& operator=(const CVorlatTileID& other);
    bool operator==(const IVorlatTileID& other) const override;
    bool operator!=(const IVorlatTileID& other) const override;
    bool operator<(const IVorlatTileID& other) const override;
    bool operator>(const IVorlatTileID& other) const override;

private:
    int32_t imageId_;
    int32_t tileId_;
};
