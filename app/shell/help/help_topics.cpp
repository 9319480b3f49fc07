#include "app/shell/help/help_topics.h"

namespace shell {

namespace {

struct Row {
  uint32_t key;
  const char* text;
};

template <size_t N>
const char* Find(const Row (&rows)[N], uint32_t key) {
  for (const Row& row : rows)
    if (row.key == key) return row.text;
  return nullptr;
}

constexpr const char kStartPage[] = "index.html";

// Class 2: pages of windows, dialogs and palettes by id.
constexpr Row kWindowPages[] = {
    {129, "image.html"},
    {130, "camimage.html"},
    {256, "prefs.html"},
    {257, "batch.html"},
    {258, "camcurve.html"},
    {259, "datetime.html"},
    {260, "menu.html#Camera_EditCameraID"},
    {262, "CopyImageAdjustments.html"},
    {263, "savemult.html"},
    {265, "timelaps.html"},
    {268, "custset.html"},
    {269, "FixedWhiteBalanceAdjust.html"},
    {512, "CameraControl.html"},
    {513, "curves.html"},
    {514, "ColorBalance.html"},
    {515, "usm.html"},
    {516, "sizeres.html"},
    {517, "ui.html#Info"},
    {518, "ui.html#BirdsEye"},
    {521, "AdvancedRAW.html"},
    {522, "WhiteBalance.html"},
    {523, "ImageAdjustments.html"},
    {769, "ui.html#StatusBar"},
    {59143, "ui.html#StatusBar"},
    {59144, "ui.html#StatusBar"},
};

// Class 8: anchors of "toolbar.html" by the button's command.
constexpr Row kToolAnchors[] = {
    {57601, "#File_Open"},
    {57603, "#File_Save"},
    {32892, "#Image_Photoshop"},
    {32780, "#Edit_CopySettings"},
    {57637, "#Edit_Paste"},
    {32784, "#View_SelectionCursor"},
    {32785, "#View_ZoomCursor"},
    {32786, "#View_GrabCursor"},
    {32843, "#View_CameraControl"},
    {32885, "#View_ImageAdjustment"},
    {32791, "#View_CameraImage"},
    {32802, "#Image_RotateCW"},
    {32803, "#Image_RotateCCW"},
    {32918, "#File_Batch"},
    {32839, "#Camera_CustomSettings"},
    {32859, "#Original"},
    {57669, "#Help"},
};

// Class 1: anchors of "menu.html" by command.
constexpr Row kMenuAnchors[] = {
    {32775, "#View_UnsharpMask"},
    {32779, "#File_CreateCopy"},
    {32780, "#Edit_CopySettings"},
    {32781, "#View_ViewEntireImage"},
    {32782, "#View_FitWindow"},
    {32783, "#View_AutoFitWindow"},
    {32784, "#View_SelectionCursor"},
    {32785, "#View_ZoomCursor"},
    {32786, "#View_GrabCursor"},
    {32787, "#View_ZoomIn"},
    {32788, "#View_ZoomOut"},
    {32789, "#View_CameraSettings"},
    {32790, "#View_Thumbnails"},
    {32791, "#View_CameraImage"},
    {32793, "#View_Curves"},
    {32794, "#View_ColorAdjustment"},
    {32795, "#View_SizeRes"},
    {32796, "#View_BirdsEye"},
    {32797, "#View_Information"},
    {32798, "#Image_SelectEntireImage"},
    {32799, "#Image_FlipH"},
    {32800, "#Image_FlipV"},
    {32801, "#Image_Rotate180"},
    {32802, "#Image_RotateCW"},
    {32803, "#Image_RotateCCW"},
    {32808, "#Image_Remove"},
    {32809, "#Image_RemoveAll"},
    {32810, "#Image_CameraCurvesSample"},
    {32812, "#Camera_DateTime"},
    {32813, "#Camera_CameraCurves"},
    {32815, "#Camera_TimeLapse"},
    {32818, "#Settings_CameraControl_Load"},
    {32819, "#Settings_CameraControl_Save"},
    {32821, "#Settings_Curves_Load"},
    {32822, "#Settings_Curves_Save"},
    {32826, "#Settings_Color_Save"},
    {32829, "#Settings_USM_Load"},
    {32830, "#Settings_USM_Save"},
    {32833, "#Settings_SizeRes_Load"},
    {32834, "#Settings_SizeRes_Save"},
    {32839, "#Camera_CustomSettings"},
    {32841, "#Image_SelectAllThumbnails"},
    {32843, "#View_CameraControl"},
    {32844, "#Camera_AutoSave"},
    {32845, "#Settings_Curves_ResetNeutral"},
    {32846, "#Settings_Color_ResetNeutral"},
    {32847, "#Settings_USM_ResetNeutral"},
    {32848, "#Settings_SizeRes_ResetNeutral"},
    {32849, "#Settings_Color_Load"},
    {32853, "#Image_ShowGrid"},
    {32855, "#Camera_MeasureWB"},
    {32856, "#Edit_CopyAllSettings"},
    {32858, "#Camera_EditCameraID"},
    {32861, "#Settings_WhiteBalance_Load"},
    {32862, "#Settings_WhiteBalance_Save"},
    {32865, "#Settings_WhiteBalance_Reset"},
    {32867, "#Settings_AdvancedRAW_Load"},
    {32868, "#Settings_AdvancedRAW_Save"},
    {32871, "#Settings_AdvancedRAW_Reset"},
    {32885, "#View_ImageAdjustment"},
    {32886, "#View_WhiteBalance"},
    {32887, "#View_AdvancedRAW"},
    {32892, "#Image_OpenInPhotoshop"},
    {32918, "#File_Batch"},
    {32920, "#Image_DeselectAllThumbnails"},
    {32922, "#Settings_ImageAdjustments_Load"},
    {32923, "#Settings_ImageAdjustments_Save"},
    {32930, "#File_Preferences"},
    {57601, "#File_Open"},
    {57602, "#File_Close"},
    {57603, "#File_Save"},
    {57604, "#File_SaveAs"},
    {57616, "#File_MRU"},
    {57617, "#File_MRU"},
    {57618, "#File_MRU"},
    {57619, "#File_MRU"},
    {57632, "#Edit_Clear"},
    {57634, "#Edit_Copy"},
    {57635, "#Edit_Cut"},
    {57637, "#Edit_Paste"},
    {57643, "#Edit_Undo"},
    {57649, "#Window_ArrangeIcons"},
    {57650, "#Window_Cascade"},
    {57651, "#Window_Tile"},
    {57664, "#Help_About"},
    {57665, "#File_Exit"},
    {57667, "#Help_Contents"},
    {59392, "#View_Toolbar"},
    {59393, "#View_StatusBar"},
    {61215, "#Window_Windows"},
};

// Class 3: anchors inside the dialog's page, by the whole control id.
constexpr Row kControlAnchors[] = {
    // Fixed white balance adjustment.
    {ControlHelpId(269, 1), "#OK"},
    {ControlHelpId(269, 2), "#Cancel"},
    {ControlHelpId(269, 9), "#Help"},
    {ControlHelpId(269, 1013), "#Reset"},
    {ControlHelpId(269, 1079), "#Adjustment"},
    {ControlHelpId(269, 1080), "#Adjustment"},
    {ControlHelpId(269, 1081), "#Adjustment"},
    {ControlHelpId(269, 1082), "#Adjustment"},
    {ControlHelpId(269, 1083), "#Adjustment"},
    {ControlHelpId(269, 1084), "#Adjustment"},
    {ControlHelpId(269, 1085), "#Adjustment"},
    {ControlHelpId(269, 1086), "#Adjustment"},
    {ControlHelpId(269, 1087), "#Adjustment"},
    {ControlHelpId(269, 1088), "#Adjustment"},
    {ControlHelpId(269, 1089), "#Adjustment"},
    // Curves palette.
    {ControlHelpId(513, 1000), "#Apply"},
    {ControlHelpId(513, 1001), "#Channel"},
    {ControlHelpId(513, 1002), "#OutputLevels"},
    {ControlHelpId(513, 1003), "#OutputLevels"},
    {ControlHelpId(513, 1004), "#InputLevels"},
    {ControlHelpId(513, 1005), "#MidPoint"},
    {ControlHelpId(513, 1006), "#InputLevels"},
    {ControlHelpId(513, 1007), "#CurveEditor"},
    {ControlHelpId(513, 1008), "#PostHistogram"},
    {ControlHelpId(513, 1009), "#AutoContrast"},
    {ControlHelpId(513, 1010), "#BlackDropper"},
    {ControlHelpId(513, 1011), "#GrayDropper"},
    {ControlHelpId(513, 1012), "#WhiteDropper"},
    {ControlHelpId(513, 1013), "#Reset"},
    {ControlHelpId(513, 1067), "#ResetAll"},
    // Colour balance palette.
    {ControlHelpId(514, 1000), "#Apply"},
    {ControlHelpId(514, 1016), "#Brightness"},
    {ControlHelpId(514, 1017), "#Brightness"},
    {ControlHelpId(514, 1018), "#Contrast"},
    {ControlHelpId(514, 1019), "#Contrast"},
    {ControlHelpId(514, 1020), "#Red"},
    {ControlHelpId(514, 1021), "#Red"},
    {ControlHelpId(514, 1022), "#Green"},
    {ControlHelpId(514, 1023), "#Green"},
    {ControlHelpId(514, 1024), "#Blue"},
    {ControlHelpId(514, 1025), "#Blue"},
    // Size and resolution palette.
    {ControlHelpId(516, 1190), "#KeepCrop"},
    {ControlHelpId(516, 1191), "#KeepSize"},
    {ControlHelpId(516, 1192), "#Size"},
    {ControlHelpId(516, 1193), "#Size"},
    {ControlHelpId(516, 1194), "#SizeUnits"},
    {ControlHelpId(516, 1195), "#Resolution"},
    {ControlHelpId(516, 1196), "#ResUnits"},
};

std::string WithAnchor(const char* page, const char* anchor) {
  std::string topic = page;
  if (anchor) topic += anchor;
  return topic;
}

std::string WindowPage(uint32_t windowId) {
  const char* page = Find(kWindowPages, windowId);
  return page ? page : kStartPage;
}

}  // namespace

uint32_t NormalizeHelpId(uint32_t id) {
  if (id != 0 && id < kHelpCommandBase && (id >> 16) == 4) return id + 0x3FFC0000;
  return id;
}

std::string HelpTopic(uint32_t id, uint32_t command) {
  if (command != kHelpContext) return kStartPage;
  const uint32_t low = id & 0xFFFF;
  switch (id >> 28) {
    case 0x8:
      return WithAnchor("toolbar.html", Find(kToolAnchors, low));
    case 0x3:
      return WindowPage((id >> 16) & 0xFFF) + WithAnchor("", Find(kControlAnchors, id));
    case 0x1:
      return WithAnchor("menu.html", Find(kMenuAnchors, low));
    case 0x2:
      return WindowPage(low);
    default:
      return kStartPage;
  }
}

std::string HelpAddress(const std::string& programFolder, const std::string& topic) {
  return programFolder + "Tessaline.chm::/" + topic + ">mainwin";
}

uint32_t FrameCommandHelpId(uint32_t givenId, uint32_t trackedCommand, uint32_t lastPromptId) {
  if (givenId != 0) return givenId;
  if (trackedCommand != 0) return kHelpCommandBase + trackedCommand;
  if (lastPromptId != 0) return kHelpWindowBase + lastPromptId;
  return 0;
}

uint32_t FrameHitTestHelpId(uint32_t lastPromptId, uint32_t controlId) {
  if (lastPromptId == 0) return 0;
  if (controlId == kNoControlId) return kHelpWindowBase + lastPromptId;
  return ControlHelpId(lastPromptId, controlId);
}

}  // namespace shell
