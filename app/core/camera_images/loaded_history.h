// Which thumbnails keep their full image in memory: the last ten selected
// ones, most recent first. When ten other images are held, selecting one
// more lets one go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace camimg {

class CLoadedImageHistory {
public:
    static constexpr size_t kCapacity = 10;

    // Moves the id to the front (inserted when absent); the oldest goes
    // when more than ten are held.
    void Touch(uint32_t id);
    bool Contains(uint32_t id) const;
    void DropOldest();
    const std::deque<uint32_t>& Ids() const { return ids_; }

private:
    std::deque<uint32_t> ids_;
};

// What the choice sees of each item, in item order.
struct LoadedImageState {
    uint32_t id = 0;
    bool loaded = false;        // the full image is in memory
    bool soleReference = false;  // only this item references it
};

struct ImageRelease {
    int index = -1;           // the item whose image goes; -1: none
    bool dropOldest = false;  // the history forgets its oldest id too
};

// After the selected item was touched: when ten or more other items hold
// their image, the first of them (in item order) not in the history and
// referenced only by its item; failing that the first one referenced only
// by its item, and then the history drops its oldest id.
ImageRelease ChooseImageToRelease(const std::vector<LoadedImageState>& items, size_t selected,
                                  const CLoadedImageHistory& history);

}  // namespace camimg
