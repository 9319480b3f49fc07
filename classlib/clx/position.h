#pragma once
// POSITION: an opaque place in one of the layer's lists (documents, views,
// templates), for code that walks them as GetFirst.../GetNext... pairs.
// It is the index of the next element plus one; null ends the walk.
#include <cstddef>

struct CLX_POSITION_TAG;
using POSITION = CLX_POSITION_TAG*;

namespace clx {
inline POSITION PositionOf(size_t index, size_t size) {
  return index < size ? reinterpret_cast<POSITION>(index + 1) : nullptr;
}
inline size_t IndexOf(POSITION pos) { return reinterpret_cast<size_t>(pos) - 1; }
}  // namespace clx
