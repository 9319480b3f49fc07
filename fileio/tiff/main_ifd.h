// IFD 0, the next IFD and the sub-IFDs of a TIFF structure: image-structure
// entries into and out of a TiffImageRecord, descriptive tags into and out of
// the tag store, and the pointers to the Exif and GPS directories.
#pragma once

#include <cstdint>

#include "fileio/tiff/ifd_codec.h"
#include "fileio/tiff/tiff_image_record.h"

namespace quarnite {

class MainIfdCodec : public IfdCodec {
public:
    // ---- Reading
    // Reads the IFD at `offset` (0: nothing) into the record; tags unknown to
    // the store go to `group`.
    IVorlatError* ReadIfd(uint32_t offset, TiffImageRecord* record, uint32_t group);

    uint32_t exifOffset = 0;
    uint32_t gpsOffset = 0;
    uint32_t nextIfdOffset = 0;
    uint32_t subIfdOffsets[2] = {};
    uint32_t subIfdCount = 0;

    // ---- Writing
    // Writes IFD `index` (0 main image, 1 thumbnail) at the stream position.
    IVorlatError* WriteIfd(int index, uint32_t group, TiffImageRecord* record);

    uint32_t format = 0;            // FileFormatCode of the file being written
    uint32_t exifPointerPosition = 0;
    uint32_t gpsPointerPosition = 0;
    uint32_t subIfdPositions[2] = {};
    uint32_t linkPosition = 0;      // next-IFD field of the IFD written last

private:
    IVorlatError* ReadCfaPattern(const IfdEntry& entry, TiffImageRecord* record);
    IVorlatError* ReadStripTable(const IfdEntry& entry, std::vector<uint32_t>* table, uint32_t* count);
};

// The pipeline colour-space code of a record's pixels, or an error value for
// layouts that cannot be loaded.
IVorlatError* DerivePixelType(TiffImageRecord* record);

} // namespace quarnite
