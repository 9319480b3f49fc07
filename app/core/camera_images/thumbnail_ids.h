// Ids of the camera image window's thumbnails: unique within the list,
// taken from the stored next id upwards.
#pragma once

#include <cstdint>
#include <vector>

namespace camimg {

// The first id from `next` up that no present item has; the caller stores
// the answer + 1 as the next id.
uint32_t AllocateThumbnailId(uint32_t next, const std::vector<uint32_t>& present);

}  // namespace camimg
