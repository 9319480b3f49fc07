#include "app/core/camera_images/copy_title.h"

namespace camimg {

std::string MakeThumbnailCopyTitle(const std::string& prefix, uint32_t id, const std::string& suffix,
                                   const std::function<bool(const std::string&)>& isTaken)
{
    // The id is printed signed, as the title has always shown it.
    const std::string base = prefix + std::to_string(static_cast<int32_t>(id)) + suffix;
    std::string title = base;
    for (int32_t n = 1; isTaken && isTaken(title) && n > 0; ++n)
        title = base + std::to_string(n);
    return title;
}

}  // namespace camimg
