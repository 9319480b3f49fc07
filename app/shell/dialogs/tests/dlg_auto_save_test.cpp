// The batch settings dialog under Wine: what it opens with, the controls
// that depend on each other, every Start refusal (nothing stored), the two
// questions and what Start stores.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/shell/batch/load_auto_save_settings.h"
#include "app/shell/dialogs/dlg_auto_save.h"
#include "app/shell/dialogs/dlg_optional_message_box.h"
#include "app/shell/dialogs/tests/dialog_test_support.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/settings/settings.h"
#include "testing/gui_test.h"

namespace fs = std::filesystem;

namespace {

using D = CDlgAutoSave;

std::string TextOf(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

bool Checked(HWND dialog, UINT id)
{
    return ::IsDlgButtonChecked(dialog, static_cast<int>(id)) == BST_CHECKED;
}

bool Enabled(HWND dialog, UINT id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, static_cast<int>(id))) != FALSE;
}

void Press(HWND dialog, UINT id)
{
    ::SendMessageA(::GetDlgItem(dialog, static_cast<int>(id)), BM_CLICK, 0, 0);
}

int SelectedType(HWND dialog)
{
    HWND list = ::GetDlgItem(dialog, D::kFileType);
    const LRESULT at = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    return static_cast<int>(::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

// Selects the type list's item for `type` as the user would, with the change notice.
void ChooseType(HWND dialog, int type)
{
    HWND list = ::GetDlgItem(dialog, D::kFileType);
    const LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == type)
            ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(D::kFileType, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

int32_t Int(shell::SettingId id)
{
    int32_t value = -99;
    shell::GetIntSetting(id, &value);
    return value;
}

std::string Str(shell::SettingId id)
{
    CQzString text;
    shell::GetStringSetting(id, text);
    return static_cast<const char*>(text);
}

class AutoSaveDialogTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        shell::SetUiFont(nullptr);
        Reset();
    }
    // Fresh folders and a folder run saving numbered TIFFs from the current settings.
    void Reset()
    {
        root = fs::absolute(TESS_SCRATCH_DIR) / "dialogs_batch";
        fs::remove_all(root);
        fs::create_directories(root / "in");
        fs::create_directories(root / "out");
        in = (root / "in").string();
        out = (root / "out").string();
        settingsFile = (root / "Look.set").string();
        std::ofstream(settingsFile) << "x";
        shell::SetIntSetting(1165, 1);
        shell::SetStringSetting(1162, in.c_str());
        shell::SetStringSetting(1153, out.c_str());
        shell::SetStringSetting(1163, settingsFile.c_str());
        shell::SetStringSetting(1154, "Img");
        shell::SetStringSetting(1155, "");
        shell::SetIntSetting(1156, 4);
        shell::SetIntSetting(1157, 7);
        shell::SetIntSetting(1158, 5);
        shell::SetIntSetting(1160, 2);
        shell::SetIntSetting(1164, 1);
        for (shell::SettingId id : {1161, 1166, 1167, 1168, 1170, 1171, 1172, 1173})
            shell::SetIntSetting(id, 0);
        shell::SetIntSetting(1169, 1);
        shell::SetIntSetting(1069, 1);
    }
    void TearDown() override
    {
        fs::remove_all(root);
        GuiTest::TearDown();
    }

public:
    fs::path root;
    std::string in;
    std::string out;
    std::string settingsFile;
};

TEST_F(AutoSaveDialogTest, OpensFromTheStoredValuesAndWithoutACameraAlwaysOnFolder)
{
    shell::SetIntSetting(1165, 0);  // the camera, yet none is connected
    shell::SetIntSetting(1069, 0);  // no cataloguing application
    shell::SetIntSetting(1161, 1);
    shell::SetIntSetting(1170, 1);
    CDlgAutoSave dialog(nullptr);
    {
        ModalScript script([&](CDlgAutoSave& dlg) {
            const HWND h = dlg.m_hWnd;
            EXPECT_EQ(TextOf(h), "Batch");
            EXPECT_TRUE(Checked(h, D::kFolderRadio));
            EXPECT_FALSE(Checked(h, D::kCameraRadio));
            EXPECT_FALSE(Enabled(h, D::kCameraRadio));
            EXPECT_TRUE(Checked(h, D::kApplyCurrent));
            EXPECT_FALSE(Enabled(h, D::kSaveUnmodified));
            EXPECT_TRUE(Checked(h, D::kIgnoreRawSettings));
            EXPECT_EQ(SelectedType(h), 5);
            EXPECT_TRUE(Checked(h, D::kSixteenBit));
            EXPECT_FALSE(Checked(h, D::kAddToDatabase));
            EXPECT_FALSE(Enabled(h, D::kAddToDatabase));
            EXPECT_FALSE(Enabled(h, D::kSettingsPath));
            EXPECT_EQ(TextOf(::GetDlgItem(h, IDOK)), "&Start");
            EXPECT_EQ(::SendMessageA(::GetDlgItem(h, D::kFileType), CB_GETCOUNT, 0, 0), 7);
            EXPECT_EQ(::SendMessageA(::GetDlgItem(h, D::kJpegLevel), CB_GETCOUNT, 0, 0), 5);
            EXPECT_EQ(FocusWindow(h), ::GetDlgItem(h, IDOK));
            // The path display shortens its folders, never the name.
            const std::string shown = TextOf(::GetDlgItem(h, D::kSourcePath));
            EXPECT_EQ(shown.substr(shown.size() - 2), "in") << shown;
            RECT client{};
            ::GetClientRect(h, &client);
            for (HWND child = ::GetWindow(h, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                RECT r{};
                ::GetWindowRect(child, &r);
                ::MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
                EXPECT_LE(r.right, client.right) << ::GetDlgCtrlID(child);
                EXPECT_LE(r.bottom, client.bottom) << ::GetDlgCtrlID(child);
            }
            fs::create_directories(fs::path(TESS_SCRATCH_DIR) / "dialogs");
            clx::test::CaptureWindow(h, true).SaveBmp(
                (fs::path(TESS_SCRATCH_DIR) / "dialogs" / "batch_settings.bmp").string());
            ClickButton(h, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
    // Cancel stores nothing.
    EXPECT_EQ(Int(1165), 0);
}

TEST_F(AutoSaveDialogTest, ATimeLapseWithACameraTakesTheCameraOnly)
{
    CDlgAutoSave dialog(nullptr);
    dialog.SetCameraConnected(true);
    dialog.SetMode(1);
    shell::SetIntSetting(1169, 0);
    shell::SetIntSetting(1171, 1);
    {
        ModalScript script([&](CDlgAutoSave& dlg) {
            const HWND h = dlg.m_hWnd;
            EXPECT_TRUE(Checked(h, D::kCameraRadio));
            EXPECT_FALSE(Enabled(h, D::kFolderRadio));
            for (UINT id : {D::kSourcePath, D::kSourceBrowse, D::kIncludeSubfolders, D::kScanForNewFiles,
                            D::kDeleteSources, D::kIgnoreRawSettings, D::kUseSourceFolder, D::kUseSourceFileName})
                EXPECT_FALSE(Enabled(h, id)) << id;
            // "Use source folder" is cleared for the camera: the destination is back.
            EXPECT_FALSE(Checked(h, D::kUseSourceFolder));
            EXPECT_TRUE(Enabled(h, D::kDestinationPath));
            // Save unmodified forces the source's type and locks the list.
            EXPECT_TRUE(Checked(h, D::kSaveUnmodified));
            EXPECT_EQ(SelectedType(h), 0);
            EXPECT_FALSE(Enabled(h, D::kFileType));
            EXPECT_FALSE(Enabled(h, D::kEightBit));
            EXPECT_FALSE(Enabled(h, D::kSixteenBit));
            ClickButton(h, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
}

TEST_F(AutoSaveDialogTest, DependentControlsFollowEachChoice)
{
    CDlgAutoSave dialog(nullptr);
    dialog.SetCameraConnected(true);
    {
        ModalScript script([&](CDlgAutoSave& dlg) {
            const HWND h = dlg.m_hWnd;
            // Types: which of the JPEG list and the two depths are enabled, and the depth chosen.
            struct TypeCase {
                int type;
                bool jpeg;
                bool eight;
                bool sixteen;
                bool sixteenChosen;
            } types[] = {
                {5, false, true, true, true},    // TIFF RGB keeps 16 bits
                {3, true, true, false, false},   // JPEG forces 8
                {5, false, true, true, false},   // and TIFF keeps that
                {1, false, false, true, true},   // raw is 16
                {2, false, true, false, false},  // BMP 8
                {6, false, true, false, false},  // CMYK 8
                {4, true, true, false, false},
                {0, false, false, false, false},
            };
            for (const TypeCase& c : types) {
                ChooseType(h, c.type);
                EXPECT_EQ(Enabled(h, D::kJpegLevel), c.jpeg) << c.type;
                EXPECT_EQ(Enabled(h, D::kEightBit), c.eight) << c.type;
                EXPECT_EQ(Enabled(h, D::kSixteenBit), c.sixteen) << c.type;
                EXPECT_EQ(Checked(h, D::kSixteenBit), c.sixteenChosen) << c.type;
                EXPECT_NE(Checked(h, D::kEightBit), c.sixteenChosen) << c.type;
            }

            // Subfolders rule out watching, and clear it.
            Press(h, D::kScanForNewFiles);
            EXPECT_TRUE(Checked(h, D::kScanForNewFiles));
            Press(h, D::kIncludeSubfolders);
            EXPECT_FALSE(Enabled(h, D::kScanForNewFiles));
            EXPECT_FALSE(Checked(h, D::kScanForNewFiles));
            Press(h, D::kIncludeSubfolders);
            EXPECT_TRUE(Enabled(h, D::kScanForNewFiles));

            // The settings file's display and button only for "Apply settings in:".
            Press(h, D::kApplyFile);
            EXPECT_TRUE(Enabled(h, D::kSettingsPath));
            EXPECT_TRUE(Enabled(h, D::kSettingsBrowse));
            Press(h, D::kApplyCurrent);
            EXPECT_FALSE(Enabled(h, D::kSettingsBrowse));

            // The use-source boxes lock the destination and the naming.
            Press(h, D::kUseSourceFolder);
            EXPECT_FALSE(Enabled(h, D::kDestinationPath));
            EXPECT_FALSE(Enabled(h, D::kDestinationBrowse));
            Press(h, D::kUseSourceFileName);
            EXPECT_FALSE(Enabled(h, D::kSample));
            EXPECT_FALSE(Enabled(h, D::kEditNaming));

            // To the camera: the source's controls go, the use-source boxes clear.
            Press(h, D::kCameraRadio);
            EXPECT_FALSE(Checked(h, D::kUseSourceFolder));
            EXPECT_FALSE(Checked(h, D::kUseSourceFileName));
            EXPECT_TRUE(Enabled(h, D::kDestinationBrowse));
            EXPECT_TRUE(Enabled(h, D::kEditNaming));
            EXPECT_TRUE(Enabled(h, D::kSaveUnmodified));
            EXPECT_FALSE(Enabled(h, D::kIgnoreRawSettings));
            Press(h, D::kSaveUnmodified);
            EXPECT_EQ(SelectedType(h), 0);
            EXPECT_FALSE(Enabled(h, D::kFileType));
            // Back to the folder: unmodified is not offered and moves to current settings.
            Press(h, D::kFolderRadio);
            EXPECT_FALSE(Enabled(h, D::kSaveUnmodified));
            EXPECT_FALSE(Checked(h, D::kSaveUnmodified));
            EXPECT_TRUE(Checked(h, D::kApplyCurrent));
            EXPECT_TRUE(Enabled(h, D::kFileType));
            EXPECT_TRUE(Enabled(h, D::kScanForNewFiles));
            ClickButton(h, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
}

TEST_F(AutoSaveDialogTest, EachStartRefusalKeepsTheDialogAndStoresNothing)
{
    struct Case {
        const char* message;
        void (*prepare)(AutoSaveDialogTest&);
    } cases[] = {
        {"you may not delete the source files",
         [](AutoSaveDialogTest&) {
             for (shell::SettingId id : {1168, 1171, 1172})
                 shell::SetIntSetting(id, 1);
             shell::SetIntSetting(1158, 0);
         }},
        {"The source folder you have selected is invalid.",
         [](AutoSaveDialogTest& t) { shell::SetStringSetting(1162, (t.root / "none").string().c_str()); }},
        {"New files cannot be created in the selected Destination folder.",
         [](AutoSaveDialogTest& t) { shell::SetStringSetting(1153, (t.root / "none").string().c_str()); }},
        {"cannot contain any of the following characters:\n\\ / : * ? \" < > | .",
         [](AutoSaveDialogTest&) { shell::SetStringSetting(1155, "a?b"); }},
        {"The settings file you have selected is invalid.",
         [](AutoSaveDialogTest& t) {
             shell::SetIntSetting(1169, 2);
             shell::SetStringSetting(1163, (t.root / "none.set").string().c_str());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Reset();
        c.prepare(*this);
        shell::SetIntSetting(1165, 0);
        CDlgAutoSave dialog(nullptr);
        {
            MessageBoxScript boxes{{c.message, IDOK}};
            ModalScript script([&](CDlgAutoSave& dlg) {
                ClickButton(dlg.m_hWnd, IDOK);
                EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
                ClickButton(dlg.m_hWnd, IDCANCEL);
            });
            EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        }
        // The source shown was Folder (no camera), yet nothing was stored.
        EXPECT_EQ(Int(1165), 0);
    }
}

TEST_F(AutoSaveDialogTest, StartAsksBeforeOverwritingAndDeletingThenStoresEverything)
{
    std::ofstream((root / "in" / "a.jpg").string()) << "x";
    // a.jpg would become a.tif now, and a.jpg once the type is JPEG.
    std::ofstream((root / "out" / "a.tif").string()) << "x";
    std::ofstream((root / "out" / "a.jpg").string()) << "x";
    shell::SetIntSetting(1172, 1);
    shell::SetIntSetting(1168, 1);

    // No to overwriting keeps the dialog.
    {
        CDlgAutoSave dialog(nullptr);
        MessageBoxScript boxes{{"will cause at least one existing file to be overwritten", IDNO}};
        ModalScript script([&](CDlgAutoSave& dlg) {
            ClickButton(dlg.m_hWnd, IDOK);
            EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
            ClickButton(dlg.m_hWnd, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
    EXPECT_EQ(Int(1158), 5);

    // Yes, then the delete warning with its box ticked and OK: everything is stored.
    CDlgAutoSave dialog(nullptr);
    int warnings = 0;
    {
        MessageBoxScript boxes{{"will cause at least one existing file to be overwritten", IDYES}};
        ModalScript script([&](CWnd& window) {
            if (auto* dlg = dynamic_cast<CDlgAutoSave*>(&window)) {
                ChooseType(dlg->m_hWnd, 3);
                ::SendMessageA(::GetDlgItem(dlg->m_hWnd, D::kJpegLevel), CB_SETCURSEL, 4, 0);
                Press(dlg->m_hWnd, D::kApplyFile);
                Press(dlg->m_hWnd, D::kIgnoreRawSettings);
                // The warning comes up inside Start: a second script answers it.
                ModalScript nested([&](CDlgOptionalMessageBox& box) {
                    ++warnings;
                    bool warned = false;
                    for (HWND child = ::GetWindow(box.m_hWnd, GW_CHILD); child;
                         child = ::GetWindow(child, GW_HWNDNEXT))
                        warned = warned || TextOf(child).rfind("The source files will be deleted", 0) == 0;
                    EXPECT_TRUE(warned);
                    Press(box.m_hWnd, CDlgOptionalMessageBox::kCheckBoxId);
                    ClickButton(box.m_hWnd, IDOK);
                });
                ClickButton(dlg->m_hWnd, IDOK);
            }
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(Int(1173), 1);
    EXPECT_EQ(Int(1165), 1);
    EXPECT_EQ(Int(1158), 3);
    EXPECT_EQ(Int(1160), 4);
    EXPECT_EQ(Int(1164), 0);  // JPEG is 8-bit
    EXPECT_EQ(Int(1169), 2);
    EXPECT_EQ(Int(1170), 1);
    EXPECT_EQ(Int(1168), 1);
    EXPECT_EQ(Int(1172), 1);
    EXPECT_EQ(Str(1162), in);

    shell::AutoSaveSettings record;
    shell::LoadAutoSaveSettings(&record);
    EXPECT_EQ(record.source, 1);
    EXPECT_STREQ(record.sourceFolder, in.c_str());
    EXPECT_STREQ(record.destinationFolder, out.c_str());
    EXPECT_STREQ(record.settingsFile, settingsFile.c_str());
    EXPECT_EQ(record.settingsMethod, 2);
    EXPECT_EQ(record.fileType, 3);
    EXPECT_EQ(record.jpegListPosition, 4);
    EXPECT_EQ(record.bitDepth, 0);
    EXPECT_EQ(record.deleteSourceFiles, 1);
    EXPECT_EQ(record.useSourceFileName, 1);
}

}  // namespace
