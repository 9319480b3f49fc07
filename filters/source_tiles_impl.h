// The walk over the source tiles under a grid that the filters converting pixel
// by pixel share: one source tile locked at a time, unlocked before the next.
#pragma once

#include <cstdint>

#include "filters/VorlatFilterBase.h"

namespace source_tiles {

// One locked source tile and the part of it inside the grid's rectangle.
struct Cell {
    unsigned char* data;
    RECT tile;
    RECT used;
    int32_t rowBytes;

    // The first used pixel of image row y.
    const unsigned char* Row(int32_t y, int32_t pixelBytes) const
    {
        return data + static_cast<intptr_t>(y - tile.top) * rowBytes +
               static_cast<intptr_t>(used.left - tile.left) * pixelBytes;
    }
};

// Hands each tile of the grid, row by row, to use(const Cell&). Nothing runs
// once *err holds a failure (one from before, or one that use adds); lock and
// unlock failures go into *err under the caller's file and line. A null grid
// is an empty walk.
template <typename Use>
void ForEachCell(const IVorlatDataSource* source, const IVorlatTileGrid* grid, IVorlatError** err, int32_t file,
                 int32_t line, Use use)
{
    for (int32_t gy = 0; grid && gy < grid->GetRows() && !*err; ++gy) {
        for (int32_t gx = 0; gx < grid->GetColumns() && !*err; ++gx) {
            void* pixels = nullptr;
            Cell cell{};
            if (VorlatFailed(err, file, line,
                             source->LockTile(&pixels, &cell.tile, &cell.used, &cell.rowBytes, *grid, gx, gy, nullptr)))
                break;
            cell.data = static_cast<unsigned char*>(pixels);
            use(cell);
            VorlatFailed(err, file, line, source->UnlockTile(*grid, gx, gy));
        }
    }
}

} // namespace source_tiles
