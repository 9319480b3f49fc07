#!/usr/bin/env python3
"""Writes frame_menus.rc: the menu bars of the frame (128) and of the image and
camera image documents (129, 130, identical), which share their Edit, View,
Camera, Settings and Help menus. Run from this folder; the output is committed."""

SHARED = {
    "FRAME_EDIT_MENU": r"""
  POPUP "&Edit"
  BEGIN
    MENUITEM "&Undo\tCtrl+Z", ID_EDIT_UNDO
    MENUITEM SEPARATOR
    MENUITEM "Cu&t\tCtrl+X", ID_EDIT_CUT
    MENUITEM "&Copy\tCtrl+C", ID_EDIT_COPY
    MENUITEM "Copy Image &Adjustments...", ID_EDIT_COPY_ADJUSTMENTS
    MENUITEM "Copy All Image Ad&justments\tCtrl+Shift+C", ID_EDIT_COPY_ALL_ADJUSTMENTS
    MENUITEM "&Paste\tCtrl+V", ID_EDIT_PASTE
    MENUITEM "Cle&ar\tDelete", ID_EDIT_CLEAR
  END""",
    "FRAME_VIEW_MENU": r"""
  POPUP "&View"
  BEGIN
    MENUITEM "View &Entire Image", ID_VIEW_ENTIRE_IMAGE
    MENUITEM "&Fit Window to Image", ID_VIEW_FIT_WINDOW
    MENUITEM "A&uto Fit Window to Image", ID_VIEW_AUTO_FIT
    MENUITEM SEPARATOR
    MENUITEM "Se&lection Cursor\tCtrl+8", ID_VIEW_SELECTION_CURSOR
    MENUITEM "&Zoom Cursor\tCtrl+9", ID_VIEW_ZOOM_CURSOR
    MENUITEM "&Grab Cursor\tCtrl+0", ID_VIEW_GRAB_CURSOR
    MENUITEM SEPARATOR
    MENUITEM "Zoom &In\tCtrl++", ID_VIEW_ZOOM_IN
    MENUITEM "Zoom &Out\tCtrl+-", ID_VIEW_ZOOM_OUT
    MENUITEM SEPARATOR
    MENUITEM "&Camera Image", ID_VIEW_CAMERA_IMAGE
    MENUITEM "Shooting &Data Section", ID_VIEW_SHOOTING_DATA
    MENUITEM "T&humbnails Section", ID_VIEW_THUMBNAILS
    MENUITEM SEPARATOR
    MENUITEM "Camera Co&ntrol\tAlt+1", ID_VIEW_CAMERA_CONTROL
    MENUITEM "Image Ad&justment Control Panel\tAlt+2", ID_VIEW_IMAGE_ENHANCEMENTS
    MENUITEM SEPARATOR
    MENUITEM "&White Balance\tAlt+3", ID_VIEW_WHITE_BALANCE
    MENUITEM "Advanced &RAW\tAlt+4", ID_VIEW_ADVANCED_RAW
    MENUITEM "Cur&ves\tAlt+5", ID_VIEW_CURVES
    MENUITEM "Color &Balance\tAlt+6", ID_VIEW_COLOR_BALANCE
    MENUITEM "&Unsharp Mask\tAlt+7", ID_VIEW_UNSHARP_MASK
    MENUITEM "&Size / Resolution\tAlt+8", ID_VIEW_SIZE_RES
    MENUITEM SEPARATOR
    MENUITEM "Bird's E&ye\tCtrl+B", ID_VIEW_BIRDS_EYE
    MENUITEM "In&formation\tCtrl+I", ID_VIEW_INFORMATION
    MENUITEM "&Toolbar", ID_VIEW_TOOLBAR
    MENUITEM "Status Ba&r", ID_VIEW_STATUS_BAR
  END""",
    "FRAME_CAMERA_MENU": r"""
  POPUP "&Camera"
  BEGIN
    MENUITEM "&Custom Settings...", ID_CAMERA_CUSTOM_SETTINGS
    MENUITEM "Set &Date and Time...", ID_CAMERA_DATE_TIME
    MENUITEM "Edit Camera C&urves...", ID_CAMERA_CURVES
    MENUITEM "&Time Lapse Photography...", ID_CAMERA_TIME_LAPSE
    MENUITEM "&Measure White Balance...", ID_CAMERA_MEASURE_WB
    MENUITEM "Edit Camera &ID...", ID_CAMERA_EDIT_ID
  END""",
    "FRAME_SETTINGS_MENU": r"""
  POPUP "&Settings"
  BEGIN
    POPUP "&Camera Control"
    BEGIN
      MENUITEM "&Load...", ID_SETTINGS_CAMERA_LOAD
      MENUITEM "&Save...", ID_SETTINGS_CAMERA_SAVE
    END
    POPUP "&Image Adjustments"
    BEGIN
      MENUITEM "&Load...", ID_SETTINGS_ENHANCE_LOAD
      MENUITEM "&Save...", ID_SETTINGS_ENHANCE_SAVE
    END
    POPUP "&White Balance"
    BEGIN
      MENUITEM "&Load...", ID_SETTINGS_WB_LOAD
      MENUITEM "&Save...", ID_SETTINGS_WB_SAVE
      MENUITEM "&Reset to Recorded Value", ID_SETTINGS_WB_RESET
    END
    POPUP "&Advanced RAW"
    BEGIN
      MENUITEM "&Load...", ID_SETTINGS_RAW_LOAD
      MENUITEM "&Save...", ID_SETTINGS_RAW_SAVE
      MENUITEM "&Reset to Neutral", ID_SETTINGS_RAW_RESET
    END
    POPUP "C&urves"
    BEGIN
      MENUITEM "&Load...", ID_SETTINGS_CURVES_LOAD
      MENUITEM "&Save...", ID_SETTINGS_CURVES_SAVE
      MENUITEM "&Reset to Neutral", ID_SETTINGS_CURVES_RESET
    END
    POPUP "C&olor Balance"
    BEGIN
      MENUITEM "&Load...", ID_SETTINGS_COLOR_LOAD
      MENUITEM "&Save...", ID_SETTINGS_COLOR_SAVE
      MENUITEM "&Reset to Neutral", ID_SETTINGS_COLOR_RESET
    END
    POPUP "U&nsharp Mask"
    BEGIN
      MENUITEM "&Load...", ID_SETTINGS_USM_LOAD
      MENUITEM "&Save...", ID_SETTINGS_USM_SAVE
      MENUITEM "&Reset to Neutral", ID_SETTINGS_USM_RESET
    END
    POPUP "Si&ze / Resolution"
    BEGIN
      MENUITEM "&Load...", ID_SETTINGS_SIZE_LOAD
      MENUITEM "&Save...", ID_SETTINGS_SIZE_SAVE
      MENUITEM "&Reset to 100%", ID_SETTINGS_SIZE_RESET
    END
  END""",
    "FRAME_HELP_MENU": r"""
  POPUP "&Help"
  BEGIN
    MENUITEM "&Help Topics", ID_HELP_FINDER
    MENUITEM SEPARATOR
    MENUITEM "&About Tessaline...", ID_APP_ABOUT
  END""",
}

MAIN = r"""
IDR_MAINFRAME MENU
BEGIN
  POPUP "&File"
  BEGIN
    MENUITEM "&Open...\tCtrl+O", ID_FILE_OPEN
    MENUITEM SEPARATOR
    MENUITEM "&Batch...", ID_FILE_BATCH
    MENUITEM SEPARATOR
    MENUITEM "Pre&ferences...\tCtrl+K", ID_FILE_PREFERENCES
    MENUITEM SEPARATOR
    MENUITEM "Recent File", ID_FILE_MRU_FILE1
    MENUITEM SEPARATOR
    MENUITEM "E&xit", ID_APP_EXIT
  END
  FRAME_EDIT_MENU
  FRAME_VIEW_MENU
  FRAME_CAMERA_MENU
  FRAME_SETTINGS_MENU
  FRAME_HELP_MENU
END
"""

DOC = r"""
FRAME_DOC_MENU MENU
BEGIN
  POPUP "&File"
  BEGIN
    MENUITEM "&Open...\tCtrl+O", ID_FILE_OPEN
    MENUITEM "&Close", ID_FILE_CLOSE
    MENUITEM SEPARATOR
    MENUITEM "&Save\tCtrl+S", ID_FILE_SAVE
    MENUITEM "Save &As...", ID_FILE_SAVE_AS
    MENUITEM "Create Cop&y", ID_FILE_CREATE_COPY
    MENUITEM SEPARATOR
    MENUITEM "&Batch...", ID_FILE_BATCH
    MENUITEM SEPARATOR
    MENUITEM "Pre&ferences...\tCtrl+K", ID_FILE_PREFERENCES
    MENUITEM SEPARATOR
    MENUITEM "Recent File", ID_FILE_MRU_FILE1
    MENUITEM SEPARATOR
    MENUITEM "E&xit", ID_APP_EXIT
  END
  FRAME_EDIT_MENU
  FRAME_VIEW_MENU
  POPUP "&Image"
  BEGIN
    MENUITEM "Open in &Photoshop", ID_IMAGE_OPEN_EXTERNAL
    MENUITEM SEPARATOR
    MENUITEM "Select &Entire Image", ID_IMAGE_SELECT_ALL
    MENUITEM SEPARATOR
    POPUP "&Flip"
    BEGIN
      MENUITEM "&Horizontal", ID_IMAGE_FLIP_H
      MENUITEM "&Vertical", ID_IMAGE_FLIP_V
    END
    POPUP "&Rotate"
    BEGIN
      MENUITEM "&180 degrees", ID_IMAGE_ROTATE_180
      MENUITEM "&90 degrees CW", ID_IMAGE_ROTATE_CW
      MENUITEM "90 degrees CC&W", ID_IMAGE_ROTATE_CCW
    END
    MENUITEM SEPARATOR
    MENUITEM "Show &Grid Lines\tCtrl+G", ID_IMAGE_SHOW_GRID
    MENUITEM "Use for Camera &Curves Sample", ID_IMAGE_CURVES_SAMPLE
    MENUITEM SEPARATOR
    MENUITEM "Select &All Thumbnails\tCtrl+A", ID_IMAGE_SELECT_ALL_THUMBNAILS
    MENUITEM "&Deselect All Thumbnails\tCtrl+D", ID_IMAGE_DESELECT_THUMBNAILS
    MENUITEM "Remove &Selected Thumbnails\tCtrl+Delete", ID_IMAGE_REMOVE_THUMBNAILS
    MENUITEM "Remove All &Thumbnails", ID_IMAGE_REMOVE_ALL_THUMBNAILS
  END
  FRAME_CAMERA_MENU
  FRAME_SETTINGS_MENU
  POPUP "&Window"
  BEGIN
    MENUITEM "&Cascade", ID_WINDOW_CASCADE
    MENUITEM "&Tile", ID_WINDOW_TILE_HORZ
    MENUITEM "&Arrange Icons", ID_WINDOW_ARRANGE
  END
  FRAME_HELP_MENU
END
"""

# Each text starts on the line after its opening quotes.
SHARED = {name: text.lstrip("\n") for name, text in SHARED.items()}
MAIN = MAIN.lstrip("\n")
DOC = DOC.lstrip("\n")


def expand(text):
    out = []
    for line in text.rstrip("\n").split("\n"):
        name = line.strip()
        out.append(SHARED[name].rstrip("\n") if name in SHARED else line)
    return "\n".join(out) + "\n"


with open("frame_menus.rc", "w") as f:
    f.write("// Written by make_menus.py: the menu bars of the frame and of the documents.\n\n")
    f.write(expand(MAIN))
    for doc_id in ("IDR_IMAGE_DOC", "IDR_CAMERA_IMAGE_DOC"):
        f.write("\n" + expand(DOC.replace("FRAME_DOC_MENU", doc_id)))
