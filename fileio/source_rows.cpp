#include "fileio/source_rows.h"

#include <cstring>

#include "Vorlat/VorlatTileGrid.h"
#include "fileio/quarnite_error.h"

namespace quarnite {

IVorlatError* FetchSourceRows(IVorlatDataSource* source, const RECT& rect, int64_t bytesPerPixel, uint8_t* first,
                              int64_t stride, int32_t sourceId)
{
    IVorlatTileGrid* grid = nullptr;
    if (IVorlatError* err = source->MapRect(&grid, rect))
        return Wrap(sourceId, __LINE__, err);
    if (!grid)
        return Fail(sourceId, __LINE__, kErrState);
    IVorlatError* err = nullptr;
    for (int32_t row = 0; row < grid->GetRows() && !err; ++row)
        for (int32_t column = 0; column < grid->GetColumns() && !err; ++column) {
            void* pixels = nullptr;
            RECT tileRect, used;
            int32_t tileRowBytes = 0;
            if ((err = source->LockTile(&pixels, &tileRect, &used, &tileRowBytes, *grid, column, row, nullptr))) {
                err = Wrap(sourceId, __LINE__, err);
                break;
            }
            const size_t bytes = static_cast<size_t>((used.right - used.left) * bytesPerPixel);
            const uint8_t* from = static_cast<const uint8_t*>(pixels) + (used.left - tileRect.left) * bytesPerPixel;
            uint8_t* to = first + (used.left - rect.left) * bytesPerPixel;
            for (int32_t y = used.top; y < used.bottom; ++y)
                std::memcpy(to + (y - rect.top) * stride, from + static_cast<int64_t>(y - tileRect.top) * tileRowBytes,
                            bytes);
            if (IVorlatError* unlock = source->UnlockTile(*grid, column, row))
                err = Wrap(sourceId, __LINE__, unlock);
        }
    grid->Destroy();
    return err;
}

}  // namespace quarnite
