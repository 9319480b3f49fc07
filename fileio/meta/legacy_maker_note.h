// The short-header maker note of the maker's older compact cameras ("Korva",
// a zero byte, the 16-bit value 1, then an IFD of their own numbering), read
// into the namespace-8 ids and codes of the main maker note. Only read:
// writing always produces the main form.
#pragma once

#include "fileio/meta/maker_note.h"

namespace quarnite {

// Called by the maker note's header check with the stream at the maker-note
// position + 6; `next` is the reader's next free image slot, which receives
// the embedded thumbnail.
IVorlatError* ReadLegacyMakerNote(MakerNoteCodec& codec, TiffImageRecord* next);

} // namespace quarnite
