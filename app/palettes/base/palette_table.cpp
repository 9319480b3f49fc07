#include "app/palettes/base/palette_table.h"

namespace {

// In PaletteId order.
constexpr PaletteInfo kPalettes[kPaletteCount] = {
    {1129, 32818, 9344, 512, false},   // camera control
    {1123, 32821, 9216, 513, true},    // Curves
    {1125, 32849, 9264, 514, false},   // Color Balance
    {1124, 32829, 9232, 515, false},   // Unsharp Mask
    {1126, 32833, 9280, 516, false},   // Size/Resolution
    {1127, 0, 9328, 517, false},       // Information
    {1128, 0, 9312, 518, true},        // Bird's Eye
    {1141, 32924, 10192, 520, false},  // Noise Reduction
    {1142, 32867, 10208, 521, false},  // Advanced RAW
    {1143, 32861, 10226, 522, false},  // White Balance
    {1144, 32922, 10258, 523, false},  // Image Adjustments
};

}  // namespace

const PaletteInfo& PaletteInfoOf(PaletteId id)
{
    return kPalettes[static_cast<int>(id)];
}
