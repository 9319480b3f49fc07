// The WAV reader over any bytes: the probe and the chunk and item walk.
#include "fileio/fuzz/fuzz_util.h"
#include "fileio/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quarnite_fuzz;
    Memory in(std::vector<uint8_t>(data, data + size), true);
    Store store;
    int32_t format = 0;
    Drop(quarnite::ProbeWav(in.stream, &format));
    quarnite::CWavReader reader(in.stream, store.tags);
    Drop(reader.LoadTags());
    return 0;
}
