// "Image.lst" reads any bytes: every entry comes from a line with a tab,
// no entry holds a line end, and what was read writes back as lines that
// read again into the same entries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/camera_images/image_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<char> input(data, data + size);
    const std::vector<camimg::ImageListEntry> entries = camimg::ParseImageList(input.data(), input.size());
    std::string rewritten;
    for (const camimg::ImageListEntry& entry : entries) {
        if (entry.path.find_first_of("\r\n") != std::string::npos)
            __builtin_trap();
        rewritten += camimg::FormatImageListLine(entry, (entry.id & 1) != 0);
    }
    const std::vector<camimg::ImageListEntry> again = camimg::ParseImageList(rewritten.data(), rewritten.size());
    // A path that begins the line with nothing after its tab is one entry;
    // every written line has its tab, so each reads back.
    if (again.size() != entries.size())
        __builtin_trap();
    for (size_t i = 0; i < again.size(); ++i)
        if (again[i].id != entries[i].id || again[i].path != entries[i].path)
            __builtin_trap();
    return 0;
}
