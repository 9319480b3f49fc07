// The maker note alone: the input (after a first byte that picks the byte
// order) is the MakerNote entry's bytes, placed at offset 8 of the stream as
// in a file, read into a store and written back from it.
#include "fileio/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quarnite_fuzz;
    if (size < 1)
        return 0;
    const bool swap = data[0] & 1;
    Store store;
    quarnite::TiffImageRecord main, next;
    {
        std::vector<uint8_t> file(8, 0);
        file.insert(file.end(), data + 1, data + size);
        Memory in(std::move(file), true);
        quarnite::MakerNoteCodec maker;
        maker.Attach(store.tags, in.stream, swap);
        maker.makerNotePosition = 8;
        Drop(quarnite::ReadMakerNoteForImage(maker, static_cast<uint32_t>(size - 1), &main, &next));
    }
    for (bool big : {false, true}) {
        // Behind a stand-in for the Exif MakerNote entry, whose count field it fills in.
        Memory out(16384 + 8 * size);
        Drop(out.stream->Seek(12, 0));
        quarnite::MakerNoteCodec maker;
        maker.Attach(store.tags, out.stream, big);
        maker.makerNotePosition = 4;
        Drop(maker.WriteMakerNote(true, &main));
        Drop(maker.ClearMakerNoteTags());
    }
    return 0;
}
