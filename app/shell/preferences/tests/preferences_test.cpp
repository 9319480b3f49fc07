// The Preferences dialog and its pages under Wine, driven by messages: which
// pages read and write the settings and when, what each page refuses, and
// the pages' own rules (units, the working-space separator, Reset ID), and
// the context help of the camera pages' base.
// Each page's picture is kept in the scratch folder for review.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/preferences/dlg_preferences.h"
#include "app/shell/preferences/profile_file_dialog.h"
#include "app/shell/preferences/tests/preferences_test_support.h"
#include "app/shell/settings/settings.h"
#include "clx/messages.h"
#include "testing/gui_test.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "Software\\Korva\\TessalinePreferencesTests\\2.0";
constexpr const char* kPreferences = "Software\\Korva\\TessalinePreferencesTests\\2.0\\Preferences";
constexpr const char* kProfileFolder = "C:\\Maker\\Profiles\\";

// A value as the registry holds it, or none.
bool Stored(const char* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kPreferences, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool found = ::RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return found;
}

int32_t Int(shell::SettingId id)
{
    int32_t value = -12345;
    shell::GetIntSetting(id, &value);
    return value;
}

std::string Str(shell::SettingId id)
{
    CQzString text;
    shell::GetStringSetting(id, text);
    return static_cast<const char*>(text);
}

std::string TextOf(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

class PreferencesTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ::SHDeleteKeyA(HKEY_CURRENT_USER, kKey);
        host.profileFolder = kProfileFolder;
        host.setCameraKeepAwake = [this](uint16_t mode) { keepAwake.push_back(mode); };
    }
    void TearDown() override
    {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, kKey);
        GuiTest::TearDown();
    }

    // Runs the dialog at `startPage` with `script` inside its modal loop;
    // the script ends it. Answers the dialog's end code.
    INT_PTR Run(int startPage, const std::function<void(CDlgPreferences&)>& script)
    {
        CDlgPreferences dialog(nullptr, host);
        dialog.SetStartPage(startPage);
        ModalScript modal([&](CDlgPreferences& d) { script(d); });
        return dialog.DoModal();
    }

    static void SelectTab(CDlgPreferences& d, int index)
    {
        HWND tab = ::GetDlgItem(d.m_hWnd, CDlgPreferences::kTabId);
        ::SendMessageA(tab, TCM_SETCURSEL, index, 0);
        NMHDR header{tab, CDlgPreferences::kTabId, static_cast<UINT>(TCN_SELCHANGE)};
        ::SendMessageA(d.m_hWnd, WM_NOTIFY, CDlgPreferences::kTabId, reinterpret_cast<LPARAM>(&header));
    }
    static HWND Page(CDlgPreferences& d, int index) { return d.GetPage(index)->m_hWnd; }
    static HWND Item(CDlgPreferences& d, int page, UINT id) { return ::GetDlgItem(Page(d, page), id); }
    static void SetText(CDlgPreferences& d, int page, UINT id, const char* text)
    {
        ::SetWindowTextA(Item(d, page, id), text);
    }
    static void SelectListEntry(CDlgPreferences& d, int page, UINT id, int index)
    {
        HWND list = Item(d, page, id);
        ::SendMessageA(list, CB_SETCURSEL, index, 0);
        ::SendMessageA(Page(d, page), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    static int ListSelection(CDlgPreferences& d, int page, UINT id)
    {
        return static_cast<int>(::SendMessageA(Item(d, page, id), CB_GETCURSEL, 0, 0));
    }
    static bool Checked(CDlgPreferences& d, int page, UINT id)
    {
        return ::SendMessageA(Item(d, page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    PreferencesHost host;
    std::vector<uint16_t> keepAwake;
};

TEST_F(PreferencesTest, OpensAtTheStartPageAndCreatesEveryOtherPageWhenFirstShown)
{
    const char* titles[] = {"General", "File Locations", "Thumbnails", "Advanced Color", "Grid Lines", "CMS"};
    const INT_PTR result = Run(CDlgPreferences::kGridLines, [&](CDlgPreferences& d) {
        EXPECT_EQ(TextOf(d.m_hWnd), "Preferences");
        HWND tab = ::GetDlgItem(d.m_hWnd, CDlgPreferences::kTabId);
        ASSERT_NE(nullptr, tab);
        EXPECT_EQ(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 6);
        EXPECT_EQ(::SendMessageA(tab, TCM_GETCURSEL, 0, 0), CDlgPreferences::kGridLines);
        EXPECT_EQ(d.GetShownPage(), CDlgPreferences::kGridLines);
        for (int i = 0; i < CDlgPreferences::kPageCount; ++i) {
            EXPECT_EQ(d.GetPage(i)->m_hWnd != nullptr, i == CDlgPreferences::kGridLines) << i;
            char text[64] = {};
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ::SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            EXPECT_STREQ(text, titles[i]);
        }
        // Every page fits the tab control's display area, and each is kept for review.
        RECT client{};
        ::GetClientRect(d.m_hWnd, &client);
        const fs::path folder = fs::path(TESS_SCRATCH_DIR) / "preferences";
        fs::create_directories(folder);
        for (int i = 0; i < CDlgPreferences::kPageCount; ++i) {
            SelectTab(d, i);
            ASSERT_EQ(d.GetShownPage(), i);
            EXPECT_TRUE(::IsWindowVisible(Page(d, i)));
            EXPECT_TRUE(::IsWindowEnabled(Page(d, i)));
            RECT page{};
            ::GetWindowRect(Page(d, i), &page);
            ::MapWindowPoints(nullptr, d.m_hWnd, reinterpret_cast<POINT*>(&page), 2);
            EXPECT_GE(page.left, 0) << i;
            EXPECT_LE(page.right, client.right) << i;
            PumpUntilIdle();
            clx::test::CaptureWindow(d.m_hWnd, true)
                .SaveBmp((folder / ("page_" + std::to_string(i) + ".bmp")).string());
        }
        for (int i = 0; i < CDlgPreferences::kPageCount; ++i)
            EXPECT_EQ(::IsWindowVisible(Page(d, i)) != FALSE, i == CDlgPreferences::kCms) << i;
        ClickButton(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(PreferencesTest, OkAfterVisitingOnlyGeneralStoresOnlyGeneral)
{
    shell::SetIntSetting(1042, 1);
    const INT_PTR result = Run(CDlgPreferences::kGeneral, [&](CDlgPreferences& d) {
        EXPECT_TRUE(Checked(d, 0, CPrefPageGeneral::kAutoOpenSectionId));
        ClickButton(Page(d, 0), CPrefPageGeneral::kDisplaySectionId);  // the click itself is the system's
        ::SendMessageA(Item(d, 0, CPrefPageGeneral::kDisplaySectionId), BM_SETCHECK, BST_UNCHECKED, 0);
        ClickButton(Page(d, 0), CPrefPageGeneral::kDisplaySectionId);
        EXPECT_FALSE(Checked(d, 0, CPrefPageGeneral::kAutoOpenSectionId));
        EXPECT_FALSE(::IsWindowEnabled(Item(d, 0, CPrefPageGeneral::kAutoOpenSectionId)));
        // "BMP" is the third entry of the save formats.
        SelectListEntry(d, 0, CPrefPageGeneral::kSaveFormatId, 2);
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Int(1041), 0);
    EXPECT_EQ(Int(1042), 0);
    EXPECT_EQ(Int(1071), 6);
    EXPECT_TRUE(Stored("NextImageSettingsFile"));
    for (const char* name : {"ThumbnailFolder", "TempFolder", "OpenExternalName", "NextThumbnailID",
                             "ClearThumbnailsOnExit", "AutoContrastClip", "BlackDropperValue", "GridColor",
                             "GridSpacing", "MonitorProfile", "RGBProfile", "CMYKProfile"})
        EXPECT_FALSE(Stored(name)) << name;
    // The awake time "for 15 minutes" keeps the camera awake in mode 1.
    EXPECT_EQ(keepAwake, std::vector<uint16_t>{1});
}

TEST_F(PreferencesTest, AnAdvancedColorRefusalStoresNoPage)
{
    const INT_PTR result = Run(CDlgPreferences::kGeneral, [&](CDlgPreferences& d) {
        ::SendMessageA(Item(d, 0, CPrefPageGeneral::kDisplaySectionId), BM_SETCHECK, BST_UNCHECKED, 0);
        SelectTab(d, CDlgPreferences::kAdvancedColor);
        SetText(d, 3, CPrefPageCurves::kBlackFirstId, "10");
        SetText(d, 3, CPrefPageCurves::kWhiteFirstId, "10");
        {
            MessageBoxScript boxes{{"must be greater than their corresponding Black", IDOK}};
            ClickButton(d.m_hWnd, IDOK);
        }
        EXPECT_NE(nullptr, d.m_hWnd);
        EXPECT_EQ(d.GetShownPage(), CDlgPreferences::kAdvancedColor);
        ClickButton(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(Stored("DisplaySettingsSection"));
    EXPECT_FALSE(Stored("BlackDropperValue"));
    EXPECT_TRUE(keepAwake.empty());
}

// Black must be below white in each channel.
TEST_F(PreferencesTest, DropperValuesAreCheckedChannelByChannel)
{
    struct Case {
        int black[3];
        int white[3];
        bool accepted;
    } cases[] = {
        {{10, 10, 10}, {10, 250, 250}, false}, {{0, 0, 0}, {255, 255, 255}, true}, {{0, 5, 0}, {1, 5, 1}, false},
        {{0, 0, 9}, {1, 1, 9}, false},         {{254, 0, 0}, {255, 1, 1}, true},
    };
    for (const Case& c : cases) {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, kKey);
        const INT_PTR result = Run(CDlgPreferences::kAdvancedColor, [&](CDlgPreferences& d) {
            for (UINT i = 0; i < 3; ++i) {
                SetText(d, 3, CPrefPageCurves::kBlackFirstId + i, std::to_string(c.black[i]).c_str());
                SetText(d, 3, CPrefPageCurves::kWhiteFirstId + i, std::to_string(c.white[i]).c_str());
            }
            if (c.accepted) {
                ClickButton(d.m_hWnd, IDOK);
                return;
            }
            {
                MessageBoxScript boxes{{"White Dropper Values", IDOK}};
                ClickButton(d.m_hWnd, IDOK);
            }
            ClickButton(d.m_hWnd, IDCANCEL);
        });
        EXPECT_EQ(result, c.accepted ? IDOK : IDCANCEL) << c.black[0] << " " << c.white[0];
        if (c.accepted) {
            EXPECT_EQ(Int(1055), c.black[0] | c.black[1] << 8 | c.black[2] << 16);
            EXPECT_EQ(Int(1057), c.white[0] | c.white[1] << 8 | c.white[2] << 16);
        }
    }
}

TEST_F(PreferencesTest, AdvancedColorShowsPackedDroppersAndStoresTheClipInHundredths)
{
    shell::SetIntSetting(1055, 65536);
    shell::SetIntSetting(1057, 0xFFFF0F);
    shell::SetIntSetting(1068, 2);
    Run(CDlgPreferences::kAdvancedColor, [&](CDlgPreferences& d) {
        EXPECT_EQ(TextOf(Item(d, 3, CPrefPageCurves::kBlackFirstId)), "0");
        EXPECT_EQ(TextOf(Item(d, 3, CPrefPageCurves::kBlackFirstId + 2)), "1");
        EXPECT_EQ(TextOf(Item(d, 3, CPrefPageCurves::kWhiteFirstId)), "15");
        EXPECT_EQ(TextOf(Item(d, 3, CPrefPageCurves::kClipId)), "0.50");
        EXPECT_EQ(ListSelection(d, 3, CPrefPageCurves::kSampleSizeId), 2);
        SetText(d, 3, CPrefPageCurves::kClipId, "2.01");
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(Int(1054), 201);
    EXPECT_EQ(Int(1068), 2);

    // Reset to Default fills the controls only.
    Run(CDlgPreferences::kAdvancedColor, [&](CDlgPreferences& d) {
        ClickButton(Page(d, 3), CPrefPageCurves::kResetId);
        EXPECT_EQ(TextOf(Item(d, 3, CPrefPageCurves::kClipId)), "0.50");
        EXPECT_EQ(TextOf(Item(d, 3, CPrefPageCurves::kWhiteFirstId + 1)), "255");
        EXPECT_EQ(ListSelection(d, 3, CPrefPageCurves::kSampleSizeId), 0);
        EXPECT_FALSE(Checked(d, 3, CPrefPageCurves::kKelvinId));
        ClickButton(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(Int(1054), 201);
    EXPECT_EQ(Int(1055), 65536);
    EXPECT_EQ(Int(1072), 1);
}

TEST_F(PreferencesTest, CancelAfterEditsStoresNothingAndTabChangesKeepTheEdits)
{
    shell::SetIntSetting(1058, 57);
    const INT_PTR result = Run(CDlgPreferences::kThumbnails, [&](CDlgPreferences& d) {
        EXPECT_EQ(TextOf(Item(d, 2, CPrefPageThumb::kNextIdFieldId)), "57");
        ClickButton(Page(d, 2), CPrefPageThumb::kResetIdButtonId);
        ::SendMessageA(Item(d, 2, CPrefPageThumb::kConfirmDeleteId), BM_SETCHECK, BST_UNCHECKED, 0);
        SelectTab(d, CDlgPreferences::kGridLines);
        SelectTab(d, CDlgPreferences::kThumbnails);
        EXPECT_EQ(TextOf(Item(d, 2, CPrefPageThumb::kNextIdFieldId)), "1");
        EXPECT_FALSE(Checked(d, 2, CPrefPageThumb::kConfirmDeleteId));
        ClickButton(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Int(1058), 57);
    for (const char* name : {"ConfirmDelete", "ClearThumbnailsOnExit", "GridColor", "GridSpacing"})
        EXPECT_FALSE(Stored(name)) << name;

    // Reset ID and OK store 1.
    Run(CDlgPreferences::kThumbnails, [&](CDlgPreferences& d) {
        ClickButton(Page(d, 2), CPrefPageThumb::kResetIdButtonId);
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(Int(1058), 1);
    EXPECT_EQ(Int(1052), 1);
}

TEST_F(PreferencesTest, EnterInAPageActsAsOkAndEscapeAsCancel)
{
    const struct {
        UINT key;
        INT_PTR result;
    } cases[] = {{VK_RETURN, IDOK}, {VK_ESCAPE, IDCANCEL}};
    for (const auto& c : cases) {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, kKey);
        const INT_PTR result = Run(CDlgPreferences::kGridLines, [&](CDlgPreferences& d) {
            HWND field = Item(d, 4, CPrefPageGrid::kDivisionsId);
            ::SetFocus(field);
            PressKey(field, c.key);
            PumpUntilIdle();
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Stored("GridDivisions"), c.result == IDOK);
    }
}

TEST_F(PreferencesTest, GridSpacingFollowsTheUnit)
{
    shell::SetIntSetting(1060, 0x123456);  // none of the ten colours
    shell::SetIntSetting(1062, 1);         // inches
    shell::SetIntSetting(1061, 250);
    Run(CDlgPreferences::kGridLines, [&](CDlgPreferences& d) {
        EXPECT_EQ(ListSelection(d, 4, CPrefPageGrid::kColourId), 3);  // "Black"
        EXPECT_EQ(TextOf(Item(d, 4, CPrefPageGrid::kSpacingId)), "2.50");
        SelectListEntry(d, 4, CPrefPageGrid::kUnitsId, 0);  // pixels
        EXPECT_EQ(TextOf(Item(d, 4, CPrefPageGrid::kSpacingId)), "2");
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(Int(1060), 0);
    EXPECT_EQ(Int(1061), 2);
    EXPECT_EQ(Int(1062), 0);

    shell::SetIntSetting(1061, 100);
    Run(CDlgPreferences::kGridLines, [&](CDlgPreferences& d) {
        EXPECT_EQ(TextOf(Item(d, 4, CPrefPageGrid::kSpacingId)), "100");
        SelectListEntry(d, 4, CPrefPageGrid::kUnitsId, 3);  // cm
        EXPECT_EQ(TextOf(Item(d, 4, CPrefPageGrid::kSpacingId)), "100");
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(Int(1061), 10000);
    EXPECT_EQ(Int(1062), 3);

    // Typed hundredths are kept as typed.
    Run(CDlgPreferences::kGridLines, [&](CDlgPreferences& d) {
        SetText(d, 4, CPrefPageGrid::kSpacingId, "2.01");
        SetText(d, 4, CPrefPageGrid::kDivisionsId, "7");
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(Int(1061), 201);
    EXPECT_EQ(Int(1063), 7);
}

TEST_F(PreferencesTest, FileLocationsRefusesATickedBoxWithoutItsFile)
{
    shell::SetIntSetting(1045, 1);
    shell::SetIntSetting(1069, 1);
    const INT_PTR result = Run(CDlgPreferences::kFiles, [&](CDlgPreferences& d) {
        EXPECT_EQ(TextOf(Item(d, 1, CPrefPageFiles::kAppNameId)), "External Application");
        EXPECT_EQ(TextOf(Item(d, 1, CPrefPageFiles::kAppPathId)), "<None>");
        {
            MessageBoxScript boxes{
                {"External Application path is invalid.  Please correct the path or uncheck the \"Open saved image "
                 "in external application\" checkbox.",
                 IDOK}};
            ClickButton(d.m_hWnd, IDOK);
        }
        ::SendMessageA(Item(d, 1, CPrefPageFiles::kOpenExternalId), BM_SETCHECK, BST_UNCHECKED, 0);
        ClickButton(Page(d, 1), CPrefPageFiles::kOpenExternalId);
        EXPECT_FALSE(::IsWindowEnabled(Item(d, 1, CPrefPageFiles::kAppNameId)));
        {
            MessageBoxScript boxes{{"uncheck the \"Add saved images to Canto Cumulus 5\" checkbox", IDOK}};
            ClickButton(d.m_hWnd, IDOK);
        }
        ::SendMessageA(Item(d, 1, CPrefPageFiles::kAddToCatalogueId), BM_SETCHECK, BST_UNCHECKED, 0);
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Int(1045), 0);
    EXPECT_EQ(Int(1069), 0);
    EXPECT_EQ(Str(1048), "External Application");
}

TEST_F(PreferencesTest, APathLongerThanAPathCanBeIsRefusedNotCut)
{
    const std::string longFolder = "C:\\" + std::string(300, 'f');
    shell::SetStringSetting(1046, longFolder.c_str());
    const INT_PTR result = Run(CDlgPreferences::kFiles, [&](CDlgPreferences& d) {
        {
            MessageBoxScript boxes{{"is longer than a path may be", IDOK}};
            ClickButton(d.m_hWnd, IDOK);
        }
        ClickButton(d.m_hWnd, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Str(1046), longFolder);
    EXPECT_FALSE(Stored("TempFolder"));
}

TEST_F(PreferencesTest, WorkingSpaceLoadsFromTheMakersFolderAndStepsOverTheSeparator)
{
    shell::SetStringSetting(1065, "c:\\maker\\profiles\\%_qzADOBE.icm");
    shell::SetStringSetting(1064, "C:\\mon.icm");
    // Found without regard to case, written as the list names it: a change.
    Run(CDlgPreferences::kCms, [&](CDlgPreferences& d) {
        EXPECT_EQ(ListSelection(d, 5, CPrefPageCMS::kWorkingSpaceId), 3);
        MessageBoxScript boxes{{"The CMS changes you made", IDOK}};
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(Str(1065), std::string(kProfileFolder) + "%_QZAdobe.icm");
    // Unchanged: written, but no note.
    Run(CDlgPreferences::kCms, [&](CDlgPreferences& d) {
        EXPECT_EQ(ListSelection(d, 5, CPrefPageCMS::kWorkingSpaceId), 3);
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(Str(1064), "C:\\mon.icm");
    EXPECT_EQ(Str(1047), "");
    EXPECT_TRUE(Stored("CMYKProfile"));

    Run(CDlgPreferences::kCms, [&](CDlgPreferences& d) {
        SelectListEntry(d, 5, CPrefPageCMS::kWorkingSpaceId, 5);
        SelectListEntry(d, 5, CPrefPageCMS::kWorkingSpaceId, 6);
        EXPECT_EQ(ListSelection(d, 5, CPrefPageCMS::kWorkingSpaceId), 7);
        SelectListEntry(d, 5, CPrefPageCMS::kWorkingSpaceId, 6);
        EXPECT_EQ(ListSelection(d, 5, CPrefPageCMS::kWorkingSpaceId), 5);
        SelectListEntry(d, 5, CPrefPageCMS::kWorkingSpaceId, 8);
        MessageBoxScript boxes{{"The CMS changes you made will take effect the next time", IDOK}};
        ClickButton(d.m_hWnd, IDOK);
    });
    EXPECT_EQ(Str(1065), std::string(kProfileFolder) + "%_QZCMatch.icm");
}

TEST_F(PreferencesTest, WorkingSpaceOutsideTheListIsLeftAsStored)
{
    for (const char* stored : {"C:\\Elsewhere\\%_QZAdobe.icm", "C:\\Maker\\Profiles\\Other.icm", ""}) {
        shell::SetStringSetting(1065, stored);
        Run(CDlgPreferences::kCms, [&](CDlgPreferences& d) {
            EXPECT_EQ(ListSelection(d, 5, CPrefPageCMS::kWorkingSpaceId), CB_ERR) << stored;
            ClickButton(d.m_hWnd, IDOK);
        });
        EXPECT_EQ(Str(1065), stored);
    }
}

// Cancels the profile dialog as soon as it is shown.
struct CancelFileDialog {
    CancelFileDialog() { hook = ::SetWindowsHookExA(WH_CBT, &Proc, nullptr, ::GetCurrentThreadId()); }
    ~CancelFileDialog() { ::UnhookWindowsHookEx(hook); }
    static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l)
    {
        if (code == HCBT_ACTIVATE) {
            char title[64] = {};
            ::GetWindowTextA(reinterpret_cast<HWND>(w), title, sizeof title);
            if (std::string(title) == "Select Profile" || std::string(title) == "Select CMYK Profile") {
                ++shown;
                ::PostMessageA(reinterpret_cast<HWND>(w), WM_COMMAND, IDCANCEL, 0);
            }
        }
        return ::CallNextHookEx(nullptr, code, w, l);
    }
    HHOOK hook = nullptr;
    static inline int shown = 0;
};

TEST_F(PreferencesTest, BrowsingForAProfileKeepsTheCurrentDirectory)
{
    const fs::path folder = fs::absolute(fs::path(TESS_SCRATCH_DIR) / "preferences_cwd");
    fs::create_directories(folder);
    char before[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.string().c_str()));
    char inside[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, inside);
    CancelFileDialog::shown = 0;
    Run(CDlgPreferences::kCms, [&](CDlgPreferences& d) {
        CancelFileDialog cancel;
        ClickButton(Page(d, 5), CPrefPageCMS::kMonitorBrowseId);
        ClickButton(Page(d, 5), CPrefPageCMS::kCmykBrowseId);
        ClickButton(d.m_hWnd, IDCANCEL);
    });
    char after[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, after);
    ::SetCurrentDirectoryA(before);
    EXPECT_EQ(CancelFileDialog::shown, 2);
    EXPECT_STREQ(after, inside);
}

TEST_F(PreferencesTest, ProfileDialogRefusesWhatDoesNotFitAndNamesAnUnreadableProfile)
{
    const fs::path folder = fs::absolute(fs::path(TESS_SCRATCH_DIR) / "preferences_profiles");
    fs::create_directories(folder);
    auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    };
    const std::vector<uint8_t> monitor = qrvtest::NarrowRgbProfile().Build();
    const std::string text = "Not a profile.";
    using shell::ProfileKind;
    struct Case {
        std::string path;
        ProfileKind kind;
        std::string refusal;
    } cases[] = {
        {write("monitor.icm", monitor), ProfileKind::kMonitor, ""},
        {write("monitor.icm", monitor), ProfileKind::kCmyk, "This profile is not suitable as a CMYK profile."},
        {write("text.icm", {text.begin(), text.end()}), ProfileKind::kMonitor, "This file is not a valid ICC profile."},
        {write("short.icm", {monitor.begin(), monitor.begin() + 127}), ProfileKind::kMonitor,
         "This file is not a valid ICC profile."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CProfileFileDialog::CheckProfile(c.path.c_str(), c.kind), c.refusal) << c.path;
    const std::string cut = write("cut.icm", {monitor.begin(), monitor.begin() + 200});
    EXPECT_EQ(CProfileFileDialog::CheckProfile(cut.c_str(), ProfileKind::kMonitor),
              "The color profile " + cut + " cannot be used: it is damaged.");
}

}  // namespace

namespace {

// A camera page with one control, as the camera palette's pages build theirs.
class ProbeCameraPage : public CCameraTabPageBase {
public:
    static constexpr UINT kControlId = 1234;
    UINT GetTitleId() const override { return 8193; }
    SIZE GetLayoutSize(HDC) override { return SIZE{120, 60}; }
    void LoadFromSettings() override {}
    void StoreToSettings() override {}

protected:
    int OnCreate(CREATESTRUCT*)
    {
        if (Default() == -1)
            return -1;
        return AddControl("BUTTON", "Probe", shell::kPushButtonStyle, 10, 10, 60, 20, kControlId) ? 0 : -1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeCameraPage, CCameraTabPageBase)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(PreferencesTest, CameraPagesAskForTheHelpOfTheirControlOrThemselves)
{
    clx::DialogTemplate hostTemplate(WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 0, 200, 100, "Host");
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(hostTemplate.Get()));
    ProbeCameraPage page;
    ASSERT_TRUE(page.CreatePage(&host));
    EXPECT_EQ(::GetWindowLongA(page.m_hWnd, GWL_STYLE) & 0xFFFF0000, 0x4A000000);
    EXPECT_EQ(page.SetOwnerValue(77), 77);
    page.ShowWindow(SW_SHOW);

    // No help identifier: the hit test answers none.
    EXPECT_EQ(page.SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(20, 20)), 0);
    page.m_nIDHelp = 300;
    constexpr DWORD_PTR kPageTopic = 0x20000000 + 300;
    constexpr DWORD_PTR kControlTopic = ((300 + 0x3000) << 16) + ProbeCameraPage::kControlId;
    EXPECT_EQ(static_cast<DWORD_PTR>(page.SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(20, 20))), kControlTopic);
    EXPECT_EQ(static_cast<DWORD_PTR>(page.SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(100, 50))), kPageTopic);

    preferencestest::App().help.clear();
    for (int control : {static_cast<int>(ProbeCameraPage::kControlId), 0}) {
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = control;
        EXPECT_EQ(page.SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), TRUE);
    }
    ASSERT_EQ(preferencestest::App().help.size(), 2u);
    EXPECT_EQ(preferencestest::App().help[0].topic, kControlTopic);
    EXPECT_EQ(preferencestest::App().help[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(preferencestest::App().help[1].topic, kPageTopic);
    page.DestroyWindow();
    host.DestroyWindow();
}

}  // namespace
