// A cursor over the pixels of one tiled source that hands out a pointer to the
// pixel under it. It keeps a few source tiles locked, most recently used first,
// so that a resampling loop steps by pointer arithmetic and asks the source for
// a tile only when it leaves the tiles it holds. Positions outside the image
// fold back by a period per axis (1 repeats the edge pixel); a period of 0
// leaves them outside, with a null pointer.
#pragma once

#include <cstdint>

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CSourceWindow {
public:
    struct Entry {
        IVorlatTile* tile;    // null for an entry outside the image
        unsigned char* data;  // the locked tile's pixels
        RECT area;            // the tile in image pixels, right and bottom exclusive
    };

    // What every user sets up: an empty table, the position (-1, -1), the
    // source's properties fetched at the first relocation.
    CSourceWindow(const IVorlatDataSource* source, int32_t capacity, int32_t horizontalPeriod,
                  int32_t verticalPeriod);
    CSourceWindow(const CSourceWindow&) = delete;
    CSourceWindow& operator=(const CSourceWindow&) = delete;
    // Unlocks every held tile; failures here reach nobody.
    ~CSourceWindow();

    // Puts the cursor on (x, y) the slow way: fold, find or lock the tile.
    IVorlatError* Relocate(int32_t x, int32_t y);
    // Cheap when (x, y) lies in the most recently used tile.
    IVorlatError* MoveTo(int32_t x, int32_t y);

    IVorlatError* StepRight()
    {
        ++x;
        if (right > 0) {
            ++left;
            --right;
            pixel.IncX();
            return nullptr;
        }
        return Relocate(x, y);
    }
    IVorlatError* StepLeft()
    {
        --x;
        if (left > 0) {
            --left;
            ++right;
            pixel.DecX();
            return nullptr;
        }
        return Relocate(x, y);
    }
    IVorlatError* StepDown()
    {
        ++y;
        if (down > 0) {
            ++up;
            --down;
            pixel.IncY();
            return nullptr;
        }
        return Relocate(x, y);
    }
    IVorlatError* StepUp()
    {
        --y;
        if (up > 0) {
            --up;
            ++down;
            pixel.DecY();
            return nullptr;
        }
        return Relocate(x, y);
    }

    // The user reads these directly.
    const IVorlatDataSource* source;
    Entry* held;
    CVorlatFilterBase::CPixelPtr pixel;  // null outside the image on an axis without a period
    // Single steps each way that stay in the current tile; 0 on an axis that was folded.
    int32_t left, up, right, down;
    int32_t capacity;
    int32_t colorSpace, rowBytes, tileSize;  // 0: ask the source
    bool ready;
    int32_t count;
    int32_t x, y;  // as asked for, before folding
    int32_t width, height;  // 0: ask the source
    int32_t horizontalPeriod, verticalPeriod;
    bool xFolded, yFolded;

private:
    void PointAt(const Entry& entry, int32_t fx, int32_t fy);
};
