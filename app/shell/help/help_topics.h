// The help topic map: a numeric help id, as the frame, the bars and the
// dialogs build it, to a page (and anchor) of the program's HTML Help file.
// The top four bits of an id name its class.
#pragma once

#include <cstdint>
#include <string>

namespace shell {

constexpr uint32_t kHelpCommandBase = 0x10000000;  // a menu command
constexpr uint32_t kHelpWindowBase = 0x20000000;   // a window, dialog or resource
constexpr uint32_t kHelpControlBase = 0x30000000;  // a control of a dialog or window
constexpr uint32_t kHelpToolBase = 0x80000000;     // a tool bar button
constexpr uint32_t kNoControlId = 0xFFFF;          // what a window without a control id reports

// The help commands that reach the map (the platform's values).
constexpr uint32_t kHelpContext = 1;
constexpr uint32_t kHelpQuit = 2;
constexpr uint32_t kHelpContextPopup = 8;

// A control's id: bits 16 to 27 the dialog's id, bits 0 to 15 the control's.
constexpr uint32_t ControlHelpId(uint32_t dialogId, uint32_t controlId) {
  return ((dialogId + 0x3000) << 16) + controlId;
}

// The class library's non-client area ids (0x0004xxxx) become 0x4000xxxx, a
// class of their own that leads to the start page.
uint32_t NormalizeHelpId(uint32_t id);

// The topic of a request: a page, optionally "#" and an anchor. Only context
// requests (command 1) are mapped; everything else, and every id the table
// does not hold, is "index.html".
std::string HelpTopic(uint32_t id, uint32_t command);

// What HTML Help opens: "<program folder>Tessaline.chm::/<topic>>mainwin".
std::string HelpAddress(const std::string& programFolder, const std::string& topic);

// F1 asking the frame (WM_COMMANDHELP): an id given stays; else the menu
// command being tracked (0: none), else the frame's last prompt id. 0 when
// there is none of them: the frame then does not answer.
uint32_t FrameCommandHelpId(uint32_t givenId, uint32_t trackedCommand, uint32_t lastPromptId);

// The frame's hit test in help mode: with no last prompt id, 0; over the
// frame itself, no child or a child without a control id (kNoControlId), the
// prompt's window id; over a child with an id, that control inside the prompt.
uint32_t FrameHitTestHelpId(uint32_t lastPromptId, uint32_t controlId);

}  // namespace shell
