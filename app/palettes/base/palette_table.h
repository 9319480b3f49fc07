// The palettes of the program: each one's stored-position setting, the
// "&Load..." command that finds its submenu of the "&Settings" menu, its
// title string, its help id and whether the user may size it.
#pragma once

#include <cstdint>

enum class PaletteId {
    CameraControl,
    Curves,
    ColorAdjust,
    UnsharpMask,
    SizeRes,
    Information,
    BirdsEye,
    NoiseReduction,
    ExposureAdjust,
    WBAdjust,
    ImageEnhancements,
};
inline constexpr int kPaletteCount = 11;

struct PaletteInfo {
    uint32_t positionSettingId;  // section "WindowPositions"; 0: not stored
    uint32_t loadCommandId;      // 0: no submenu in "&Settings"
    uint32_t titleStringId;
    uint32_t helpId;
    bool resizable;
};
const PaletteInfo& PaletteInfoOf(PaletteId id);

// The first command of the "&Settings" menu's first submenu: how the menu
// itself is told from the others of the menu bar.
inline constexpr uint32_t kSettingsMenuFirstCommand = 32818;
// "Advanced Color Preferences..." and the command it sends.
inline constexpr uint32_t kColorPreferencesTextId = 9225;
inline constexpr uint32_t kColorPreferencesCommand = 32934;

// popup, clip children, caption, system menu and the mini-frame's
// synchronous activation
inline constexpr uint32_t kPaletteStyle = 0x82C80100;
