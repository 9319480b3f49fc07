// The film scanners' IFD behind maker-note tag 0x0E10: the film type and a few
// settings and calibration records, in namespace 9 of the tag store (id
// 0x90000 | tag number); tags it does not know travel through group 5.
#pragma once

#include <cstdint>

#include "fileio/tiff/ifd_codec.h"

namespace quarnite {

class FilmScannerIfd : public IfdCodec {
public:
    void TranslateOffset(uint32_t* offset) override;

    // Reads the IFD at ifdOffset (0: nothing).
    IVorlatError* ReadFilmScannerIfd();
    // Writes at the stream position and points the maker note's tag 0x0E10
    // (its value field at ifdOffset; 0: nothing is written) at it.
    IVorlatError* WriteFilmScannerIfd();
    // Removes what a failed read left behind (a broken directory is dropped).
    void ClearFilmScannerTags();

    uint32_t ifdOffset = 0;
    uint32_t ifdEnd = 0;
    uint32_t offsetBase = 0;  // reading: MakerNoteOffsetBase(true); writing: the maker note's start + 10
    int32_t offsetDelta = 0;
    bool calibrationPending = true;

private:
    IVorlatError* ReadFilmType(const IfdEntry& entry);
    IVorlatError* ReadCalibration(const IfdEntry& entry, TagId id);
    IVorlatError* WriteCalibration(TagId id);
};

} // namespace quarnite
