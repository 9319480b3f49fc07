// The GPS directory (tag 34853 of IFD 0): GPS tag N is id 0x30000 + N; tags
// above 26 go to group 6.
#pragma once

#include <cstdint>

#include "fileio/tiff/ifd_codec.h"

namespace quarnite {

class GpsIfdCodec : public IfdCodec {
public:
    // Writes at the stream position and patches the pointer at gpsIfdOffset;
    // writes nothing when there is no pointer or nothing to write.
    IVorlatError* WriteIfd();
    // Reads the IFD at gpsIfdOffset (0: nothing). The image's reader drops an
    // error of this directory rather than fail the image.
    IVorlatError* ReadIfd();

    uint32_t gpsIfdOffset = 0;
};

// TIFF field type of a GPS tag id as written; 0 for an id not in the table.
uint16_t GpsTagType(TagId tag);

// True when the store holds a tag the GPS directory writes. Without one there
// is no directory and IFD 0 has no pointer to it: readers refuse an empty IFD.
bool HasGpsEntries(const IVorlatTagControl* tags);

} // namespace quarnite
