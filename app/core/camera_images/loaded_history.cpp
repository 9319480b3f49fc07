#include "app/core/camera_images/loaded_history.h"

#include <algorithm>

namespace camimg {

void CLoadedImageHistory::Touch(uint32_t id)
{
    const auto it = std::find(ids_.begin(), ids_.end(), id);
    if (it != ids_.end())
        ids_.erase(it);
    ids_.push_front(id);
    if (ids_.size() > kCapacity)
        ids_.pop_back();
}

bool CLoadedImageHistory::Contains(uint32_t id) const
{
    return std::find(ids_.begin(), ids_.end(), id) != ids_.end();
}

void CLoadedImageHistory::DropOldest()
{
    if (!ids_.empty())
        ids_.pop_back();
}

ImageRelease ChooseImageToRelease(const std::vector<LoadedImageState>& items, size_t selected,
                                  const CLoadedImageHistory& history)
{
    size_t othersLoaded = 0;
    for (size_t i = 0; i < items.size(); ++i)
        if (i != selected && items[i].loaded)
            ++othersLoaded;
    ImageRelease release;
    if (othersLoaded < CLoadedImageHistory::kCapacity)
        return release;
    for (size_t i = 0; i < items.size(); ++i) {
        const LoadedImageState& item = items[i];
        if (i != selected && item.loaded && item.soleReference && !history.Contains(item.id)) {
            release.index = static_cast<int>(i);
            return release;
        }
    }
    for (size_t i = 0; i < items.size(); ++i) {
        const LoadedImageState& item = items[i];
        if (i != selected && item.loaded && item.soleReference) {
            release.index = static_cast<int>(i);
            release.dropOldest = true;
            return release;
        }
    }
    return release;
}

}  // namespace camimg
