#include "app/core/camera_images/thumbnail_ids.h"

#include <algorithm>

namespace camimg {

uint32_t AllocateThumbnailId(uint32_t next, const std::vector<uint32_t>& present)
{
    std::vector<uint32_t> sorted(present);
    std::sort(sorted.begin(), sorted.end());
    uint32_t id = next;
    // Ascending ids: each one met can only push the candidate further up.
    for (uint32_t taken : sorted)
        if (taken == id)
            ++id;
    return id;
}

}  // namespace camimg
