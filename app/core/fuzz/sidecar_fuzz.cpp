// A ".ipi" sidecar of any bytes decodes within its length, and the settings
// it left write back as a sidecar that decodes again with its saved flag.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/core/camera_images/sidecar_file.h"
#include "app/core/procset/record_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    // An exactly sized heap block: a read past the length is caught.
    const std::vector<uint8_t> input(data, data + size);
    CQzRecordSettings record;
    const camimg::SidecarContents read = camimg::DecodeSidecar(input.data(), input.size(), record, 640, 480);
    if (read.blobLength < 0 || static_cast<size_t>(read.blobLength) > size)
        __builtin_trap();

    const std::vector<uint8_t> written = camimg::EncodeSidecar(record, read.saved);
    CQzRecordSettings again;
    const camimg::SidecarContents back = camimg::DecodeSidecar(written.data(), written.size(), again, 480, 640);
    if (back.blobLength <= 0 || back.saved != read.saved ||
        static_cast<size_t>(back.blobLength) + 2 != written.size())
        __builtin_trap();
    return 0;
}
