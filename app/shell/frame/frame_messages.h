// The program's private window messages that the main frame receives or
// sends; numbers are fixed (other processes and stored scripts use none of
// them, but every part of the program does).
#pragma once

#include <windows.h>

#include "app/core/document/palette_target_kind.h"

constexpr UINT WM_DEFERRED_STARTUP = 0x8001;
constexpr UINT WM_PREFERENCES_CHANGED = 0x8002;
constexpr UINT WM_SET_PALETTE_TARGET = kWmSetPaletteTarget;
constexpr UINT WM_TRANSFER_REQUEST = 0x8007;
constexpr UINT WM_CHECK_DISK_SPACE = 0x800A;
constexpr UINT WM_SHOW_MESSAGE_ID = 0x800C;
constexpr UINT WM_SHOW_DISK_STATUS = 0x800D;
constexpr UINT WM_TRANSFER_ITEM = 0x8010;
constexpr UINT WM_PROGRESS = 0x8016;
constexpr UINT WM_GET_ADJUSTMENT_PANEL = 0x8017;
constexpr UINT WM_IDLEDONE = 0x8018;
constexpr UINT WM_TEMP_DISK_FULL = 0x8019;
constexpr UINT WM_RESET_VIEW_SECTIONS = 0x801A;

// WM_PROGRESS command that places the progress window over its pane.
constexpr WPARAM kProgressPlace = 3;

// The camera poll timer (the application sets it on the frame) and the
// timer that the frame merges into its idle run.
constexpr UINT_PTR kCameraTimerId = 1004;
constexpr UINT_PTR kMergedTimerId = 1002;
