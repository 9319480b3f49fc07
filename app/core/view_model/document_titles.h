// The texts and choices of the image document and its frames that need no
// window: the short title, the save format an opened path implies, the name
// and file type proposed by Save As, the title of a copy, the frame title,
// and which update hints mark the document modified.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/text/qz_string.h"

class CShootingInfoTable;

namespace qz {

// CImageDoc::SetShortTitle's text: a path longer than 40 characters with a
// backslash becomes "..." and its last max(37, from the last backslash on) characters.
std::string GetShortTitle(std::string_view pathName);

// The save format an opened file keeps, from the last three characters of
// its path (trailing blanks trimmed): "jpg" 0x20, "tif" 1, "xqv" 0x100000,
// anything else 0x800000.
uint32_t GetSaveFormatFromPath(std::string_view path);

// Save As proposes the title without everything up to the last of "#%;/\".
std::string GetProposedSaveName(std::string_view title);

// Save As offers 16 bits per channel for 16-bit RGB and raw images (colour spaces 33, 64, 65).
bool IsSixteenBitCapable(int32_t colorSpace);

// An image document is a raw image when its file kind is 32 or 33.
bool IsRawFileKind(int32_t fileKind);

struct SaveTypeChoice {
    int32_t typeIndex;
    bool cmyk;
};

// The save dialog's starting type from setting 1071 "DefaultFileSaveFormat",
// the document's save format and its CMYK choice.
SaveTypeChoice GetSaveTypeChoice(int32_t defaultFormatSetting, uint32_t saveFormat, bool cmyk);

// The extensions (".tif") of the patterns in a file filter string
// ("description|pattern|...||"), in order.
std::vector<std::string> GetFilterExtensions(std::string_view filter);

// The title of a copy of a document titled `title`: the Create Copy rules
// with the copy word (string 9541) and the save filters' extensions; a
// candidate is taken while `isTaken` (some window title begins with it,
// ignoring case) answers true.
std::string MakeCopyTitle(std::string_view title, const std::vector<std::string>& saveExtensions,
                          std::string_view copyWord, const std::function<bool(const std::string&)>& isTaken);

// Whether a window title begins with a candidate, ignoring case.
bool TitleBeginsWith(std::string_view windowTitle, std::string_view candidate);

// The caption a save writes: the record's settings name, or, with setting
// 1067 "CopyShootingData" on, a copy of it without trailing blanks followed
// by the shooting-information table. The name itself is left alone, so a
// second save writes the same caption.
CQzString MakeSaveCaption(const CQzString& name, bool copyShootingData, const CShootingInfoTable& shooting);

// An image frame's title: the document's title, ":n" for window numbers
// above 0, the view's text, " *" when modified.
std::string FormatFrameTitle(std::string_view documentTitle, int32_t windowNumber, std::string_view viewText,
                             bool modified);

// Update hints that change an adjustment mark the image document modified,
// unless bit 0x8000 says the change is only shown.
bool HintsMarkModified(uint32_t hints);

// An image view fits the window until the user chose a zoom, then follows the preference.
bool ShouldFitToWindow(bool zoomChosen, bool autoFitPreference);

}  // namespace qz
