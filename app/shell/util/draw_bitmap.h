// Bitmaps of the custom buttons: a resource with a mask column and a picture
// column, one row of cells per state.
#pragma once

#include <cstdint>

class CBitmap;
struct tagSIZE;

namespace shell {

// Draws state `state` (from 1) of `states` into a new bitmap of width x
// height (-1: the cell's) filled with `background` (0: the 3-D face colour),
// the cell centred: mask with SRCAND, then picture with SRCPAINT. A bitmap
// object that already holds a bitmap only reports its cell size. False when
// the resource cannot be loaded or the numbers describe no cell.
bool DrawBitmapResource(CBitmap* bitmap, uint32_t resourceId, int32_t states, int32_t state, tagSIZE* size,
                        uint32_t background, int32_t width, int32_t height);

}  // namespace shell
