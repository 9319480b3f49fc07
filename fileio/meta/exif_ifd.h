// The Exif private directory (tag 34665 of IFD 0): Exif tags into and out of
// namespace 0 of the tag store; entries the table does not know go to group 2.
#pragma once

#include <cstdint>

#include "fileio/tiff/ifd_codec.h"

namespace quarnite {

class ExifIfdCodec : public IfdCodec {
public:
    // Writes at the stream position and patches the pointer at exifIfdOffset
    // (0: nothing). The IFD always has entries: ColorSpace and MakerNote are
    // written whatever the store holds.
    IVorlatError* WriteIfd(uint32_t width, uint32_t height);
    // Reads the IFD at exifIfdOffset (0: nothing). The image's reader drops an
    // error of this directory rather than fail the image.
    IVorlatError* ReadIfd(uint32_t* width, uint32_t* height);

    uint32_t format = 0;
    uint32_t exifIfdOffset = 0;
    uint32_t interopOffset = 0;
    uint32_t makerNoteEntryPosition = 0;  // writing: the MakerNote entry's count field
    uint32_t makerNoteOffset = 0;         // reading: a maker note of the maker's own kind
    uint32_t makerNoteCount = 0;
};

// TIFF field type of an Exif tag number as written; 0 for a number not in the table.
uint16_t ExifTagType(uint32_t tag);

} // namespace quarnite
