#include "app/shell/frame/palette_standins/tool_palettes.h"

#include "app/shell/settings/settings.h"

namespace {

// Position records of the palettes (section "WindowPositions").
constexpr shell::SettingId kPosCameraControl = 1129;
constexpr shell::SettingId kPosUnsharpMask = 1124;
constexpr shell::SettingId kPosCurves = 1123;
constexpr shell::SettingId kPosColorAdjust = 1125;
constexpr shell::SettingId kPosSizeRes = 1126;
constexpr shell::SettingId kPosInfo = 1127;
constexpr shell::SettingId kPosBirdsEye = 1128;
constexpr shell::SettingId kPosNoiseReduction = 1141;
constexpr shell::SettingId kPosExposureAdjust = 1142;
constexpr shell::SettingId kPosWBAdjust = 1143;
constexpr shell::SettingId kPosImageEnhancements = 1144;

// A stand-in's fixed size; the palettes size themselves.
constexpr int kStandInWidth = 200;
constexpr int kStandInHeight = 120;

}  // namespace

bool CToolBase::CreatePalette(CWnd* frame)
{
    if (IsOpen())
        return true;
    // The stored records give only the corner: the palette has its own size.
    shell::WindowPositionRecord position{};
    int left = 0;
    int top = 0;
    if (shell::LoadWindowPosition(positionId_, &position, false)) {
        left = position.left;
        top = position.top;
    }
    const CRect rect(left, top, left + kStandInWidth, top + kStandInHeight);
    return CreateEx(0, nullptr, title_, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | MFS_SYNCACTIVE, rect,
                    frame) != FALSE;
}

void CToolTargeted::SetTarget(PaletteTargetKind kind, CImageRecord* record)
{
    ++calls.setTarget;
    calls.lastKind = kind;
    calls.lastRecord = record;
    hasTarget_ = kind == kTargetOne && record != nullptr;
}

CToolCameraControl::CToolCameraControl() : CToolBase("Camera Control", kPosCameraControl) {}
CToolUnsharpMask::CToolUnsharpMask() : CToolTargeted("Unsharp Mask", kPosUnsharpMask) {}
CToolCurves::CToolCurves() : CToolTargeted("Curves", kPosCurves) {}
CToolColorAdjust::CToolColorAdjust() : CToolTargeted("Color Balance", kPosColorAdjust) {}
CToolSizeRes::CToolSizeRes() : CToolTargeted("Size / Resolution", kPosSizeRes) {}
CToolBirdsEye::CToolBirdsEye() : CToolTargeted("Bird's Eye", kPosBirdsEye) {}
CToolInformation::CToolInformation() : CToolBase("Information", kPosInfo) {}
CToolImageEnhancements::CToolImageEnhancements()
    : CToolTargeted("Image Adjustment Control Panel", kPosImageEnhancements)
{
}
CToolExposureAdjust::CToolExposureAdjust() : CToolTargeted("Advanced RAW", kPosExposureAdjust) {}
CToolWBAdjust::CToolWBAdjust() : CToolTargeted("White Balance", kPosWBAdjust) {}
CToolNoiseReduction::CToolNoiseReduction() : CToolTargeted("Noise Reduction", kPosNoiseReduction) {}

void CToolCurves::SelectChannel(int channel)
{
    if (channel < 0 || channel > 3)
        return;
    ++calls.selectChannel;
    calls.lastChannel = channel;
}
