// The help topic map: ids of every class to pages and anchors, the address
// HTML Help is given, and the ids the frame builds for F1 and help mode.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/shell/help/help_topics.h"

namespace shell {
namespace {

TEST(HelpTopics, ContextRequestsMapEveryClassToItsPageAndAnchor) {
  struct Case {
    uint32_t id;
    const char* topic;
  } cases[] = {
      // Windows and dialogs.
      {kHelpWindowBase + 129, "image.html"},
      {kHelpWindowBase + 260, "menu.html#Camera_EditCameraID"},
      {kHelpWindowBase + 523, "ImageAdjustments.html"},
      {kHelpWindowBase + 769, "ui.html#StatusBar"},
      {kHelpWindowBase + 59143, "ui.html#StatusBar"},
      {kHelpWindowBase + 59144, "ui.html#StatusBar"},
      {kHelpWindowBase + 768, "index.html"},  // the tool bar itself has no page
      // Tool bar buttons.
      {kHelpToolBase + 57601, "toolbar.html#File_Open"},
      {kHelpToolBase + 32859, "toolbar.html#Original"},
      {kHelpToolBase + 57669, "toolbar.html#Help"},
      {kHelpToolBase + 57602, "toolbar.html"},
      // Menu commands.
      {kHelpCommandBase + 32775, "menu.html#View_UnsharpMask"},
      {kHelpCommandBase + 57616, "menu.html#File_MRU"},
      {kHelpCommandBase + 57619, "menu.html#File_MRU"},
      {kHelpCommandBase + 57620, "menu.html"},
      {kHelpCommandBase + 61215, "menu.html#Window_Windows"},
      {kHelpCommandBase + 32930, "menu.html#File_Preferences"},
      {kHelpCommandBase + 1, "menu.html"},
      // Controls: the dialog's page and the control's anchor.
      {ControlHelpId(513, 1007), "curves.html#CurveEditor"},
      {ControlHelpId(513, 1067), "curves.html#ResetAll"},
      {ControlHelpId(514, 1000), "ColorBalance.html#Apply"},
      {ControlHelpId(514, 1025), "ColorBalance.html#Blue"},
      {ControlHelpId(516, 1196), "sizeres.html#ResUnits"},
      {ControlHelpId(269, 1085), "FixedWhiteBalanceAdjust.html#Adjustment"},
      {ControlHelpId(269, 9), "FixedWhiteBalanceAdjust.html#Help"},
      {ControlHelpId(513, 4242), "curves.html"},    // unknown control: the page alone
      {ControlHelpId(256, 1000), "prefs.html"},     // a known page without anchors
      {ControlHelpId(700, 1000), "index.html"},     // unknown dialog
      // Everything else is the start page.
      {0, "index.html"},
      {0x40000002, "index.html"},
      {0x50000000 + 129, "index.html"},
      {0xF0000000 + 129, "index.html"},
  };
  for (const auto& c : cases) EXPECT_EQ(HelpTopic(c.id, kHelpContext), c.topic) << std::hex << c.id;
}

TEST(HelpTopics, OnlyContextRequestsAreMapped) {
  for (uint32_t command : {0u, kHelpQuit, 3u, kHelpContextPopup, 11u /* finder */, 0x105u})
    EXPECT_EQ(HelpTopic(kHelpWindowBase + 129, command), "index.html") << command;
}

TEST(HelpTopics, NonClientAreaIdsMoveToAClassOfTheirOwn) {
  struct Case {
    uint32_t id, normal;
  } cases[] = {{0x00040002, 0x40000002}, {0x0004FFFF, 0x4000FFFF}, {0x00050002, 0x00050002},
               {0, 0},                   {0x20040000, 0x20040000}, {0x00000004, 0x00000004}};
  for (const auto& c : cases) EXPECT_EQ(NormalizeHelpId(c.id), c.normal) << std::hex << c.id;
}

TEST(HelpTopics, AddressNamesTheFileInTheProgramFolderAndTheMainWindowType) {
  EXPECT_EQ(HelpAddress("C:\\Program Files\\Tessaline\\", "curves.html#Reset"),
            "C:\\Program Files\\Tessaline\\Tessaline.chm::/curves.html#Reset>mainwin");
}

TEST(HelpTopics, FrameIdsForF1AndHelpMode) {
  struct CommandCase {
    uint32_t given, tracked, lastPrompt, id;
  } commands[] = {
      {0x20000081, 32790, 59393, 0x20000081},  // an id given stays
      {0, 32790, 59393, 0x10000000 + 32790},   // the menu item being tracked
      {0, 0, 129, 0x20000000 + 129},           // the frame's last prompt
      {0, 0, 0, 0},                            // nothing: the frame does not answer
  };
  for (const auto& c : commands) EXPECT_EQ(FrameCommandHelpId(c.given, c.tracked, c.lastPrompt), c.id);

  struct HitCase {
    uint32_t lastPrompt, control, id;
  } hits[] = {
      {0, 1000, 0},
      {0, kNoControlId, 0},
      {513, kNoControlId, 0x20000000 + 513},
      {513, 1007, 0x320103EF},  // ((513 + 0x3000) << 16) + 1007
  };
  for (const auto& c : hits) EXPECT_EQ(FrameHitTestHelpId(c.lastPrompt, c.control), c.id);
  EXPECT_EQ(HelpTopic(FrameHitTestHelpId(513, 1007), kHelpContext), "curves.html#CurveEditor");
}

}  // namespace
}  // namespace shell
