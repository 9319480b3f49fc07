// Pixels of a pipeline source copied out for a writer or encoder.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatDataSource.h"

namespace quarnite {

// Copies `rect` of the source, tile by tile, to `first` (where the rect's
// top-left pixel goes); each further row lies `stride` bytes on, which may be
// negative for bottom-up files. Failures carry a frame of `sourceId`.
IVorlatError* FetchSourceRows(IVorlatDataSource* source, const RECT& rect, int64_t bytesPerPixel, uint8_t* first,
                              int64_t stride, int32_t sourceId);

}  // namespace quarnite
