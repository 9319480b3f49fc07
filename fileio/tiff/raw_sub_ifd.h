// The sub-IFDs of the maker's raw file: full-resolution images (the mosaic
// among them) that IFD 0 points to through its SubIFDs value.
#pragma once

#include <cstdint>

#include "fileio/tiff/ifd_codec.h"
#include "fileio/tiff/tiff_image_record.h"

namespace quarnite {

// Writes the sub-IFD of `record` at the stream position and links it from the
// SubIFDs value at `subIfdPosition` (0: nothing is written). Tags of `group`
// are merged in; the record keeps the positions of its strip placeholders.
IVorlatError* WriteRawSubIfd(IfdCodec& codec, TiffImageRecord* record, uint32_t group, uint32_t subIfdPosition);

} // namespace quarnite
