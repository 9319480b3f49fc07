#pragma once

#include <vector>

#include "Vorlat/VorlatDataSource.h"
#include "Vorlat/VorlatTileGrid.h"
#include "Vorlat/VorlatTileID.h"

// The grid of tiles that the tiled image's MapRect makes.
class CVorlatTileGrid : public IVorlatTileGrid {
public:
    CVorlatTileGrid(const IVorlatDataSource* source, int32_t columns, int32_t rows, int32_t leftMargin,
                    int32_t rightMargin, int32_t topMargin, int32_t bottomMargin);

    void Destroy() override;
    IVorlatError* TileExists(bool* exists, int32_t column, int32_t row) const override;
    IVorlatError* GetTile(IVorlatTile** tile, int32_t column, int32_t row) const override;
    IVorlatError* GetTileRect(RECT* rect, int32_t column, int32_t row) const override;
    IVorlatError* GetTileUsed(RECT* rect, int32_t column, int32_t row) const override;
    int32_t GetColumns() const override;
    int32_t GetRows() const override;
    int32_t GetLeftMargin() const override;
    int32_t GetRightMargin() const override;
    int32_t GetTopMargin() const override;
    int32_t GetBottomMargin() const override;

    // Identity of grid position (column, row); null outside the grid.
    const CVorlatTileID* At(int32_t column, int32_t row) const;
    std::vector<CVorlatTileID>& Identities() { return identities_; }

private:
    ~CVorlatTileGrid() override;

    std::vector<CVorlatTileID> identities_;
    const IVorlatDataSource* source_;
    int32_t columns_;
    int32_t rows_;
    int32_t leftMargin_;
    int32_t rightMargin_;
    int32_t topMargin_;
    int32_t bottomMargin_;
};
