#include "Vorlat/VorlatTileGrid_impl.h"

#include <cstddef>

#include "Vorlat/VorlatModules_impl.h"
#include "Vorlat/VorlatTile.h"

IVorlatTileGrid::~IVorlatTileGrid() = default;

CVorlatTileGrid::CVorlatTileGrid(const IVorlatDataSource* source, int32_t columns, int32_t rows,
                                 int32_t leftMargin, int32_t rightMargin, int32_t topMargin, int32_t bottomMargin)
    : source_(source), columns_(columns), rows_(rows), leftMargin_(leftMargin), rightMargin_(rightMargin),
      topMargin_(topMargin), bottomMargin_(bottomMargin)
{
}

CVorlatTileGrid::~CVorlatTileGrid() = default;

void CVorlatTileGrid::Destroy() { delete this; }

const CVorlatTileID* CVorlatTileGrid::At(int32_t column, int32_t row) const
{
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_)
        return nullptr;
    const size_t index = static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column);
    return index < identities_.size() ? &identities_[index] : nullptr;
}

static IVorlatError* OutsideGrid(int32_t line)
{
    return IVorlatError::Add(nullptr, kModuleTile, line, kVorlatFromSystem, kVorlatErrNoSuchId);
}

IVorlatError* CVorlatTileGrid::TileExists(bool* exists, int32_t column, int32_t row) const
{
    const CVorlatTileID* id = At(column, row);
    if (!id)
        return OutsideGrid(__LINE__);
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kModuleTile, __LINE__, source_->TileExists(exists, *id));
    return err;
}

IVorlatError* CVorlatTileGrid::GetTile(IVorlatTile** tile, int32_t column, int32_t row) const
{
    const CVorlatTileID* id = At(column, row);
    if (!id)
        return OutsideGrid(__LINE__);
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kModuleTile, __LINE__, source_->GetTile(tile, *id));
    return err;
}

IVorlatError* CVorlatTileGrid::GetTileRect(RECT* rect, int32_t column, int32_t row) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kModuleTile, __LINE__, GetTile(&tile, column, row)))
        return err;
    tile->GetCoordinates(rect);
    return nullptr;
}

IVorlatError* CVorlatTileGrid::GetTileUsed(RECT* rect, int32_t column, int32_t row) const
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kModuleTile, __LINE__, GetTileRect(rect, column, row)))
        return err;
    if (column == 0)
        rect->left += leftMargin_;
    if (column == columns_ - 1)
        rect->right -= rightMargin_;
    if (row == 0)
        rect->top += topMargin_;
    if (row == rows_ - 1)
        rect->bottom -= bottomMargin_;
    return nullptr;
}

int32_t CVorlatTileGrid::GetColumns() const { return columns_; }
int32_t CVorlatTileGrid::GetRows() const { return rows_; }
int32_t CVorlatTileGrid::GetLeftMargin() const { return leftMargin_; }
int32_t CVorlatTileGrid::GetRightMargin() const { return rightMargin_; }
int32_t CVorlatTileGrid::GetTopMargin() const { return topMargin_; }
int32_t CVorlatTileGrid::GetBottomMargin() const { return bottomMargin_; }
