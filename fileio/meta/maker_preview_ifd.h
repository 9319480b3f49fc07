// The small IFD that maker-note tag 0x0011 points to: a JPEG preview stored in
// the file, read into the reader's next image slot and written back for a
// saved preview. Tags it does not know travel through group 4.
#pragma once

#include <cstdint>

#include "fileio/tiff/ifd_codec.h"
#include "fileio/tiff/tiff_image_record.h"

namespace quarnite {

class MakerPreviewIfd : public IfdCodec {
public:
    void TranslateOffset(uint32_t* offset) override;

    // Reads the IFD at ifdOffset (0: nothing) into the record; a record that
    // names no JPEG stream is reset.
    IVorlatError* ReadPreviewIfd(TiffImageRecord* record);
    // Writes at the stream position and points the maker note's tag 0x0011
    // (its value field at ifdOffset; 0: nothing is written) at it. Offsets
    // count from the record's offset base.
    IVorlatError* WritePreviewIfd(TiffImageRecord* record);

    uint32_t ifdOffset = 0;
    int32_t offsetDelta = 0;
    uint32_t ifdEnd = 0;
    uint32_t offsetBase = 0;  // MakerNoteOffsetBase(true) of the maker note
    bool calibrationPending = true;
};

} // namespace quarnite
