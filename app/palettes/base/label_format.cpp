#include "app/palettes/base/label_format.h"

namespace {

// The platform's DrawText bits, without its headers.
constexpr uint32_t kDtCenter = 0x1;
constexpr uint32_t kDtRight = 0x2;
constexpr uint32_t kDtVCenter = 0x4;
constexpr uint32_t kDtSingleLine = 0x20;
constexpr uint32_t kDtNoPrefix = 0x800;

}  // namespace

uint32_t LabelDrawFormat(uint32_t style)
{
    uint32_t format = kDtSingleLine;
    if (style & kLabelNoPrefix)
        format |= kDtNoPrefix;
    if (style & kLabelVCentre)
        format |= kDtVCenter;
    switch (style & 0x1F) {
    case kLabelCentre: format |= kDtCenter; break;
    case kLabelRight: format |= kDtRight; break;
    default: break;
    }
    return format;
}
