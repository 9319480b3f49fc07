// TIFF directory entries of either byte order: IFD 0 and the next IFD, Exif,
// GPS and the maker note read into a store, then written back from it.
#include "fileio/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quarnite_fuzz;
    Store store;
    quarnite::TiffImageRecord main, next;
    {
        Memory in(std::vector<uint8_t>(data, data + size), true);
        ReadTiffStructure(in.stream, store.tags, &main, &next);
    }
    const size_t room = 16384 + 8 * size;
    for (bool big : {false, true})
        for (uint32_t format : {0x1u, 0x20u, 0x100000u})
            WriteTiffStructure(store.tags, &main, big, format, room);
    Store copy;
    Drop(copy.tags->CopyFrom(store.tags));
    return 0;
}
