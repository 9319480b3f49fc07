#include "app/shell/dialogs/dlg_auto_save.h"

#include <algorithm>
#include <vector>

#include "app/core/text/string_resource.h"
#include "app/shell/batch/auto_save_settings.h"
#include "app/shell/batch/batch_start_checks.h"
#include "app/shell/batch/folder_scan.h"
#include "app/shell/batch/save_type_list.h"
#include "app/shell/dialogs/dlg_optional_message_box.h"
#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/settings/settings.h"
#include "app/shell/util/text_measure.h"
#include "clx/app.h"
#include "clx/filedialog.h"
#include "clx/folderbrowser.h"
#include "clx/resources.h"

namespace {

constexpr UINT kHelpId = 257;

// Texts.
constexpr uint32_t kCaption = qz::StringId(9616);
constexpr uint32_t kSourceTypeItem = qz::StringId(9634);
constexpr uint32_t kDestinationTitle = qz::StringId(9639);
constexpr uint32_t kSourceTitle = qz::StringId(9640);
constexpr uint32_t kDoNotShowAgain = qz::StringId(16539);
constexpr uint32_t kSaveFilter = qz::StringId(16385);
constexpr uint32_t kJfif = qz::StringId(16402);
constexpr uint32_t kCmyk = qz::StringId(16403);
constexpr uint32_t kFirstJpegLevel = qz::StringId(16417);
constexpr uint32_t kSettingsFilter = qz::StringId(16466);
constexpr uint32_t kImageSource = qz::StringId(26400);
constexpr uint32_t kCamera = qz::StringId(26401);
constexpr uint32_t kFolder = qz::StringId(26402);
constexpr uint32_t kBrowse = qz::StringId(26403);
constexpr uint32_t kIncludeSubfoldersText = qz::StringId(26404);
constexpr uint32_t kScanText = qz::StringId(26405);
constexpr uint32_t kDeleteText = qz::StringId(26406);
constexpr uint32_t kEnhancements = qz::StringId(26407);
constexpr uint32_t kUnmodifiedText = qz::StringId(26408);
constexpr uint32_t kCurrentText = qz::StringId(26409);
constexpr uint32_t kFileText = qz::StringId(26410);
constexpr uint32_t kIgnoreText = qz::StringId(26411);
constexpr uint32_t kDestination = qz::StringId(26412);
constexpr uint32_t kSourceFolderText = qz::StringId(26413);
constexpr uint32_t kSourceNameText = qz::StringId(26414);
constexpr uint32_t kSaveTo = qz::StringId(26415);
constexpr uint32_t kNextName = qz::StringId(26416);
constexpr uint32_t kEdit = qz::StringId(26417);
constexpr uint32_t kSaveAsType = qz::StringId(26418);
constexpr uint32_t kBitDepth = qz::StringId(26419);
constexpr uint32_t kEightBitText = qz::StringId(26420);
constexpr uint32_t kSixteenBitText = qz::StringId(26421);
constexpr uint32_t kDatabaseText = qz::StringId(26422);
constexpr uint32_t kStart = qz::StringId(26423);
constexpr uint32_t kNamingNotAvailable = qz::StringId(26424);
constexpr uint32_t kCancelText = qz::StringId(16529);
constexpr uint32_t kHelpText = qz::StringId(16530);

// The "AutoSave" settings.
constexpr shell::SettingId kSetDestination = 1153;
constexpr shell::SettingId kSetPrefix = 1154;
constexpr shell::SettingId kSetSuffix = 1155;
constexpr shell::SettingId kSetLength = 1156;
constexpr shell::SettingId kSetNextNumber = 1157;
constexpr shell::SettingId kSetFileType = 1158;
constexpr shell::SettingId kSetCompression = 1160;
constexpr shell::SettingId kSetAddToDatabase = 1161;
constexpr shell::SettingId kSetSourcePath = 1162;
constexpr shell::SettingId kSetSettingsFile = 1163;
constexpr shell::SettingId kSetBitDepth = 1164;
constexpr shell::SettingId kSetSource = 1165;
constexpr shell::SettingId kSetIncludeSubfolders = 1166;
constexpr shell::SettingId kSetScanForNewFiles = 1167;
constexpr shell::SettingId kSetDelete = 1168;
constexpr shell::SettingId kSetMethod = 1169;
constexpr shell::SettingId kSetIgnoreRaw = 1170;
constexpr shell::SettingId kSetUseSourceFolder = 1171;
constexpr shell::SettingId kSetUseSourceFileName = 1172;
constexpr shell::SettingId kSetHideDeleteWarning = 1173;
// The preference: the cataloguing application is in use.
constexpr shell::SettingId kPrefAddToDatabase = 1069;

// Extensions of the save types 0..6.
constexpr uint32_t kTypeExtensions[7] = {0, 16482, 16483, 16480, 16480, 16481, 16481};

std::string Text(uint32_t id)
{
    return static_cast<const char*>(clx::LoadStr(id));
}

int32_t ReadInt(shell::SettingId id)
{
    int32_t value = 0;
    shell::GetIntSetting(id, &value);
    return value;
}

std::string ReadString(shell::SettingId id)
{
    CQzString text;
    shell::GetStringSetting(id, text);
    return static_cast<const char*>(text);
}

std::string ExtensionOfType(int type)
{
    if (type < 1 || type > 6)
        return ".???";
    return Text(kTypeExtensions[type]);
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgAutoSave, CDlgBase)
    ON_WM_CREATE()
    ON_WM_DRAWITEM()
    ON_BN_CLICKED(CDlgAutoSave::kCameraRadio, OnSource)
    ON_BN_CLICKED(CDlgAutoSave::kFolderRadio, OnSource)
    ON_BN_CLICKED(CDlgAutoSave::kIncludeSubfolders, OnIncludeSubfolders)
    ON_BN_CLICKED(CDlgAutoSave::kSaveUnmodified, OnMethod)
    ON_BN_CLICKED(CDlgAutoSave::kApplyCurrent, OnMethod)
    ON_BN_CLICKED(CDlgAutoSave::kApplyFile, OnMethod)
    ON_CBN_SELCHANGE(CDlgAutoSave::kFileType, OnFileType)
    ON_BN_CLICKED(CDlgAutoSave::kUseSourceFolder, OnUseSourceFolder)
    ON_BN_CLICKED(CDlgAutoSave::kUseSourceFileName, OnUseSourceFileName)
    ON_BN_CLICKED(CDlgAutoSave::kSourceBrowse, OnBrowseSource)
    ON_BN_CLICKED(CDlgAutoSave::kSettingsBrowse, OnBrowseSettings)
    ON_BN_CLICKED(CDlgAutoSave::kDestinationBrowse, OnBrowseDestination)
    ON_BN_CLICKED(CDlgAutoSave::kEditNaming, OnEditNaming)
END_MESSAGE_MAP()

CDlgAutoSave::CDlgAutoSave(CWnd* parent) : CDlgBase(parent)
{
    m_nIDHelp = kHelpId;
}

// Three groups of rows, then the button row. Radio groups start with
// WS_GROUP and end at the next control that has it.
int CDlgAutoSave::OnCreate(CREATESTRUCT* cs)
{
    if (CDlgBase::OnCreate(cs) == -1)
        return -1;
    const int margin = shell::LayoutGapLarge();
    const int gap = shell::LayoutGapSmall();
    const int rowHeight = shell::LayoutEditHeight();
    const int rowStep = shell::LayoutLineSpacing();
    const int pad = shell::kLayoutCheckPadding;

    const uint32_t checks[] = {kScanText, kDeleteText, kIgnoreText, kUnmodifiedText, kIncludeSubfoldersText, 0};
    const uint32_t labels[] = {kSaveTo, kNextName, kSaveAsType, kBitDepth, 0};
    const uint32_t buttons[] = {kStart, kCancelText, kHelpText, kBrowse, kEdit, 0};
    const int labelWidth = GetMaxStringWidth(labels) + gap;
    const int buttonWidth = shell::LayoutMinSize(GetMaxStringWidth(buttons) + 2 * shell::kLayoutMargin);
    const int inner = std::max({GetMaxStringWidth(checks) + pad, 50 * shell::GetUiCharWidth(),
                                labelWidth + 3 * buttonWidth});
    const int groupWidth = inner + 2 * margin;
    const int x0 = 2 * margin;
    const DWORD group = WS_GROUP;

    int y = margin;
    // A group box around `rows` rows starting at y; made last, so that it
    // lies below the controls it frames.
    struct Box {
        uint32_t caption;
        int y;
        int height;
    };
    std::vector<Box> boxes;
    const auto box = [&](uint32_t caption, int rows) {
        boxes.push_back({caption, y, rows * rowStep + rowHeight + margin});
        y += rowHeight;
    };
    const auto pathRow = [&](UINT displayId, UINT browseId, int x) {
        const int displayWidth = x0 + inner - x - buttonWidth - gap;
        AddControl("STATIC", "", shell::kPathDisplayStyle | SS_NOPREFIX | group, x, y, displayWidth, rowHeight,
                   displayId);
        AddControl("BUTTON", kBrowse, shell::kPushButtonStyle, x + displayWidth + gap, y, buttonWidth, rowHeight,
                   browseId);
    };

    box(kImageSource, 5);
    const int half = inner / 2;
    AddControl("BUTTON", kCamera, shell::kRadioButtonStyle | group, x0, y, half - gap, rowHeight, kCameraRadio);
    AddControl("BUTTON", kFolder, shell::kRadioButtonStyle, x0 + half, y, half, rowHeight, kFolderRadio);
    y += rowStep;
    pathRow(kSourcePath, kSourceBrowse, x0);
    y += rowStep;
    AddControl("BUTTON", kIncludeSubfoldersText, shell::kCheckBoxStyle, x0, y, inner, rowHeight, kIncludeSubfolders);
    y += rowStep;
    AddControl("BUTTON", kScanText, shell::kCheckBoxStyle, x0, y, inner, rowHeight, kScanForNewFiles);
    y += rowStep;
    AddControl("BUTTON", kDeleteText, shell::kCheckBoxStyle, x0, y, inner, rowHeight, kDeleteSources);
    y += rowStep + margin + gap;

    box(kEnhancements, 5);
    AddControl("BUTTON", kUnmodifiedText, shell::kRadioButtonStyle | group, x0, y, inner, rowHeight, kSaveUnmodified);
    y += rowStep;
    AddControl("BUTTON", kCurrentText, shell::kRadioButtonStyle, x0, y, inner, rowHeight, kApplyCurrent);
    y += rowStep;
    AddControl("BUTTON", kFileText, shell::kRadioButtonStyle, x0, y, inner, rowHeight, kApplyFile);
    y += rowStep;
    pathRow(kSettingsPath, kSettingsBrowse, x0 + pad);
    y += rowStep;
    AddControl("BUTTON", kIgnoreText, shell::kCheckBoxStyle, x0, y, inner, rowHeight, kIgnoreRawSettings);
    y += rowStep + margin + gap;

    box(kDestination, 7);
    AddControl("BUTTON", kSourceFolderText, shell::kCheckBoxStyle, x0, y, inner, rowHeight, kUseSourceFolder);
    y += rowStep;
    AddControl("BUTTON", kSourceNameText, shell::kCheckBoxStyle, x0, y, inner, rowHeight, kUseSourceFileName);
    y += rowStep;
    const int fieldX = x0 + labelWidth;
    AddControl("STATIC", kSaveTo, shell::kLabelStyle, x0, y, labelWidth, rowHeight, static_cast<UINT>(-1));
    pathRow(kDestinationPath, kDestinationBrowse, fieldX);
    y += rowStep;
    AddControl("STATIC", kNextName, shell::kLabelStyle, x0, y, labelWidth, rowHeight, static_cast<UINT>(-1));
    const int sampleWidth = x0 + inner - fieldX - buttonWidth - gap;
    AddControl("STATIC", "", shell::kOwnerDrawDisplayStyle, fieldX, y, sampleWidth, rowHeight, kSample);
    AddControl("BUTTON", kEdit, shell::kPushButtonStyle, fieldX + sampleWidth + gap, y, buttonWidth, rowHeight,
               kEditNaming);
    y += rowStep;
    AddControl("STATIC", kSaveAsType, shell::kLabelStyle, x0, y, labelWidth, rowHeight, static_cast<UINT>(-1));
    const int listsWidth = x0 + inner - fieldX;
    const int typeWidth = listsWidth * 3 / 5;
    AddControl("COMBOBOX", "", shell::kDropListStyle | group, fieldX, y, typeWidth, rowHeight * 8, kFileType);
    AddControl("COMBOBOX", "", shell::kDropListStyle, fieldX + typeWidth + gap, y, listsWidth - typeWidth - gap,
               rowHeight * 8, kJpegLevel);
    y += rowStep;
    AddControl("STATIC", kBitDepth, shell::kLabelStyle, x0, y, labelWidth, rowHeight, static_cast<UINT>(-1));
    AddControl("BUTTON", kEightBitText, shell::kRadioButtonStyle | group, fieldX, y, buttonWidth + pad, rowHeight,
               kEightBit);
    AddControl("BUTTON", kSixteenBitText, shell::kRadioButtonStyle, fieldX + buttonWidth + pad + gap, y,
               buttonWidth + pad, rowHeight, kSixteenBit);
    y += rowStep;
    AddControl("BUTTON", kDatabaseText, shell::kCheckBoxStyle | group, x0, y, inner, rowHeight, kAddToDatabase);
    y += rowStep + margin + gap;

    const int buttonsWidth = 3 * buttonWidth + 2 * gap;
    int x = margin + groupWidth - buttonsWidth;
    AddControl("BUTTON", kStart, shell::kPushButtonStyle | BS_DEFPUSHBUTTON | group, x, y, buttonWidth, rowHeight,
               IDOK);
    x += buttonWidth + gap;
    AddControl("BUTTON", kCancelText, shell::kPushButtonStyle, x, y, buttonWidth, rowHeight, IDCANCEL);
    x += buttonWidth + gap;
    AddControl("BUTTON", kHelpText, shell::kPushButtonStyle, x, y, buttonWidth, rowHeight, kHelpButtonId);
    for (const Box& b : boxes)
        AddControl("BUTTON", b.caption, shell::kGroupBoxStyle, margin, b.y, groupWidth, b.height, static_cast<UINT>(-1));

    // The lists: type 0 and the save types of the filter; the JPEG levels.
    HWND types = ::GetDlgItem(m_hWnd, kFileType);
    const auto addItem = [](HWND list, const std::string& text, int value) {
        const LRESULT at = ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (at >= 0)
            ::SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(at), value);
    };
    addItem(types, Text(kSourceTypeItem), 0);
    for (const auto& type : shell::ParseSaveTypeFilter(Text(kSaveFilter), Text(kJfif), Text(kCmyk)))
        addItem(types, type.first, type.second);
    HWND levels = ::GetDlgItem(m_hWnd, kJpegLevel);
    for (int level = 0; level < 5; ++level)
        addItem(levels, Text(kFirstJpegLevel + level), level);

    FitClientSize(groupWidth + 2 * margin, y + rowHeight + margin);
    SetWindowText(clx::LoadStr(kCaption));
    return 0;
}

BOOL CDlgAutoSave::OnInitDialog()
{
    m_sourcePath = ReadString(kSetSourcePath);
    m_destinationPath = ReadString(kSetDestination);
    m_settingsFile = ReadString(kSetSettingsFile);

    bool folder = ReadInt(kSetSource) != 0;
    if (!m_cameraConnected) {
        folder = true;
        Enable(kCameraRadio, false);
    } else if (m_mode == 1) {
        folder = false;
        Enable(kFolderRadio, false);
    }
    Check(kFolderRadio, folder);
    Check(kCameraRadio, !folder);

    ShowPath(kSourcePath, m_sourcePath);
    ShowPath(kDestinationPath, m_destinationPath);
    ShowPath(kSettingsPath, m_settingsFile);
    Check(kIncludeSubfolders, ReadInt(kSetIncludeSubfolders) != 0);
    Check(kScanForNewFiles, ReadInt(kSetScanForNewFiles) != 0);
    Check(kDeleteSources, ReadInt(kSetDelete) != 0);
    const int method = ReadInt(kSetMethod);
    Check(kSaveUnmodified, method == 0);
    Check(kApplyCurrent, method != 0 && method != 2);
    Check(kApplyFile, method == 2);
    Check(kIgnoreRawSettings, ReadInt(kSetIgnoreRaw) != 0);
    Check(kUseSourceFolder, ReadInt(kSetUseSourceFolder) != 0);
    Check(kUseSourceFileName, ReadInt(kSetUseSourceFileName) != 0);
    SelectItemData(kFileType, ReadInt(kSetFileType));
    SelectItemData(kJpegLevel, ReadInt(kSetCompression));
    const bool sixteen = ReadInt(kSetBitDepth) == 1;
    Check(kSixteenBit, sixteen);
    Check(kEightBit, !sixteen);
    if (ReadInt(kPrefAddToDatabase) == 0) {
        Check(kAddToDatabase, false);
        Enable(kAddToDatabase, false);
    } else {
        Check(kAddToDatabase, ReadInt(kSetAddToDatabase) != 0);
    }

    SourceRule();
    MethodRule();
    TypeRule();
    OnUseSourceFolder();
    OnUseSourceFileName();
    GotoDlgCtrl(::GetDlgItem(m_hWnd, IDOK));
    return FALSE;
}

bool CDlgAutoSave::IsChecked(UINT id) const
{
    return ::IsDlgButtonChecked(m_hWnd, static_cast<int>(id)) == BST_CHECKED;
}

void CDlgAutoSave::Check(UINT id, bool checked) const
{
    ::CheckDlgButton(m_hWnd, static_cast<int>(id), checked ? BST_CHECKED : BST_UNCHECKED);
}

void CDlgAutoSave::Enable(UINT id, bool enabled) const
{
    ::EnableWindow(::GetDlgItem(m_hWnd, static_cast<int>(id)), enabled);
}

int CDlgAutoSave::SelectedItemData(UINT id) const
{
    HWND list = ::GetDlgItem(m_hWnd, static_cast<int>(id));
    const LRESULT at = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    return at < 0 ? 0 : static_cast<int>(::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

void CDlgAutoSave::SelectItemData(UINT id, int value) const
{
    HWND list = ::GetDlgItem(m_hWnd, static_cast<int>(id));
    const LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (::SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == value) {
            ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
    ::SendMessageA(list, CB_SETCURSEL, 0, 0);
}

int CDlgAutoSave::SelectedMethod() const
{
    return IsChecked(kSaveUnmodified) ? 0 : IsChecked(kApplyFile) ? 2 : 1;
}

void CDlgAutoSave::ShowPath(UINT id, const std::string& path) const
{
    shell::SetPathTextWithEllipsis(::GetDlgItem(m_hWnd, static_cast<int>(id)), path.c_str());
}

void CDlgAutoSave::SourceRule()
{
    const bool folder = IsChecked(kFolderRadio);
    for (UINT id : {kSourcePath, kSourceBrowse, kIncludeSubfolders, kScanForNewFiles, kDeleteSources})
        Enable(id, folder);
    Enable(kSaveUnmodified, !folder);
    Enable(kIgnoreRawSettings, folder);
    bool moved = false;
    if (!folder) {
        Check(kUseSourceFolder, false);
        Check(kUseSourceFileName, false);
    } else if (IsChecked(kSaveUnmodified)) {
        Check(kSaveUnmodified, false);
        Check(kApplyCurrent, true);
        moved = true;
    }
    Enable(kUseSourceFolder, folder);
    Enable(kUseSourceFileName, folder);
    if (folder)
        SubfolderRule();
    if (moved)
        MethodRule();
    OnUseSourceFolder();
    OnUseSourceFileName();
}

void CDlgAutoSave::SubfolderRule()
{
    const bool watch = IsChecked(kFolderRadio) && !IsChecked(kIncludeSubfolders);
    Enable(kScanForNewFiles, watch);
    if (!watch)
        Check(kScanForNewFiles, false);
}

void CDlgAutoSave::MethodRule()
{
    const bool file = IsChecked(kApplyFile);
    Enable(kSettingsPath, file);
    Enable(kSettingsBrowse, file);
    if (IsChecked(kSaveUnmodified)) {
        SelectItemData(kFileType, 0);
        Enable(kFileType, false);
        TypeRule();
    } else {
        Enable(kFileType, true);
    }
}

void CDlgAutoSave::TypeRule()
{
    const int type = SelectedItemData(kFileType);
    const bool jpeg = type == 3 || type == 4;
    Enable(kJpegLevel, jpeg);
    if (type == 0) {
        Enable(kEightBit, false);
        Enable(kSixteenBit, false);
    } else if (type == 1) {
        Check(kSixteenBit, true);
        Check(kEightBit, false);
        Enable(kSixteenBit, true);
        Enable(kEightBit, false);
    } else if (type == 5) {
        Enable(kEightBit, true);
        Enable(kSixteenBit, true);
    } else {
        // BMP, JPEG and CMYK TIFF have 8 bits a channel only.
        Check(kEightBit, true);
        Check(kSixteenBit, false);
        Enable(kEightBit, true);
        Enable(kSixteenBit, false);
    }
    ::InvalidateRect(::GetDlgItem(m_hWnd, kSample), nullptr, TRUE);
}

void CDlgAutoSave::OnSource() { SourceRule(); }
void CDlgAutoSave::OnIncludeSubfolders() { SubfolderRule(); }
void CDlgAutoSave::OnMethod() { MethodRule(); }
void CDlgAutoSave::OnFileType() { TypeRule(); }

void CDlgAutoSave::OnUseSourceFolder()
{
    const bool own = !IsChecked(kUseSourceFolder);
    Enable(kDestinationPath, own);
    Enable(kDestinationBrowse, own);
}

void CDlgAutoSave::OnUseSourceFileName()
{
    const bool numbered = !IsChecked(kUseSourceFileName);
    Enable(kSample, numbered);
    Enable(kEditNaming, numbered);
    ::InvalidateRect(::GetDlgItem(m_hWnd, kSample), nullptr, TRUE);
}

void CDlgAutoSave::OnBrowseSource()
{
    CString chosen;
    if (clx::BrowseForFolder(m_hWnd, clx::LoadStr(kSourceTitle), m_sourcePath.c_str(), chosen)) {
        m_sourcePath = static_cast<const char*>(chosen);
        ShowPath(kSourcePath, m_sourcePath);
    }
}

void CDlgAutoSave::OnBrowseDestination()
{
    CString chosen;
    if (clx::BrowseForFolder(m_hWnd, clx::LoadStr(kDestinationTitle), m_destinationPath.c_str(), chosen)) {
        m_destinationPath = static_cast<const char*>(chosen);
        ShowPath(kDestinationPath, m_destinationPath);
    }
}

void CDlgAutoSave::OnBrowseSettings()
{
    const std::string filter = Text(kSettingsFilter);
    CFileDialog dialog(TRUE, nullptr, m_settingsFile.c_str(), OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter.c_str(),
                       this);
    if (dialog.DoModal() == IDOK) {
        m_settingsFile = static_cast<const char*>(dialog.GetPathName());
        ShowPath(kSettingsPath, m_settingsFile);
    }
}

void CDlgAutoSave::OnEditNaming()
{
    AfxMessageBox(kNamingNotAvailable, MB_OK | MB_ICONINFORMATION);
    ::InvalidateRect(::GetDlgItem(m_hWnd, kSample), nullptr, TRUE);
}

void CDlgAutoSave::SampleText(std::string& text) const
{
    int32_t number = 0;
    shell::GetIntSetting(kSetNextNumber, &number);
    text = shell::FormatSampleName(ReadString(kSetPrefix), static_cast<uint32_t>(number), ReadInt(kSetLength),
                                   ReadString(kSetSuffix), ExtensionOfType(SelectedItemData(kFileType)));
}

void CDlgAutoSave::OnDrawItem(int id, DRAWITEMSTRUCT* di)
{
    if (id != static_cast<int>(kSample) || !di)
        return;
    HDC dc = di->hDC;
    RECT r = di->rcItem;
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = ::SelectObject(dc, shell::GetUiFont());
    std::string text;
    SampleText(text);
    const int width = r.right - r.left;
    text = shell::FitWithTrailingDots(text, [&](const std::string& t) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc, t.c_str(), static_cast<int>(t.size()), &size);
        return size.cx <= width;
    });
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    if (::IsWindowEnabled(di->hwndItem)) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::DrawTextA(dc, text.c_str(), -1, &r, format);
    } else {
        // Embossed: the highlight one pixel down and right, the grey text on top.
        RECT shifted = r;
        ::OffsetRect(&shifted, 1, 1);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextA(dc, text.c_str(), -1, &shifted, format);
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextA(dc, text.c_str(), -1, &r, format);
    }
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, oldFont);
}

int CDlgAutoSave::Message(UINT id, const std::string& argument, UINT type) const
{
    std::string text = Text(id);
    const size_t at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, argument);
    return AfxMessageBox(text.c_str(), type);
}

void CDlgAutoSave::OnOK()
{
    CWaitCursor wait;
    shell::BatchStartChoices choices;
    choices.sourceIsFolder = IsChecked(kFolderRadio);
    choices.sourceFolder = m_sourcePath;
    choices.includeSubfolders = IsChecked(kIncludeSubfolders);
    choices.deleteSources = IsChecked(kDeleteSources);
    choices.settingsMethod = SelectedMethod();
    choices.settingsFile = m_settingsFile;
    choices.useSourceFolder = IsChecked(kUseSourceFolder);
    choices.useSourceFileName = IsChecked(kUseSourceFileName);
    choices.destinationFolder = m_destinationPath;
    choices.fileType = SelectedItemData(kFileType);
    choices.prefix = ReadString(kSetPrefix);
    choices.suffix = ReadString(kSetSuffix);
    choices.length = ReadInt(kSetLength);
    choices.hideDeleteWarning = ReadInt(kSetHideDeleteWarning) != 0;

    const shell::BatchStartResult result = shell::CheckBatchStart(choices, shell::SystemStartFileSystem());
    if (result.refusal) {
        Message(result.refusal, result.argument, MB_OK | MB_ICONSTOP);
        return;
    }
    if (result.askOverwrite && Message(shell::kStartAskOverwrite, {}, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (result.askDelete) {
        CDlgOptionalMessageBox warning(this);
        warning.SetStrings(shell::kStartAskDelete, kDoNotShowAgain, 0);
        warning.SetStyle(CDlgOptionalMessageBox::kOkCancel);
        warning.SetDoNotShowAgain(false);
        const INT_PTR answer = warning.DoModal();
        if (warning.IsDoNotShowAgainChecked())
            shell::SetIntSetting(kSetHideDeleteWarning, 1);
        if (answer != IDOK)
            return;
    }

    shell::SetIntSetting(kSetSource, choices.sourceIsFolder ? 1 : 0);
    shell::SetStringSetting(kSetSourcePath, m_sourcePath.c_str());
    shell::SetIntSetting(kSetIncludeSubfolders, choices.includeSubfolders ? 1 : 0);
    shell::SetIntSetting(kSetScanForNewFiles, IsChecked(kScanForNewFiles) ? 1 : 0);
    shell::SetIntSetting(kSetDelete, choices.deleteSources ? 1 : 0);
    shell::SetIntSetting(kSetMethod, choices.settingsMethod);
    shell::SetStringSetting(kSetSettingsFile, m_settingsFile.c_str());
    shell::SetIntSetting(kSetIgnoreRaw, IsChecked(kIgnoreRawSettings) ? 1 : 0);
    shell::SetIntSetting(kSetUseSourceFolder, choices.useSourceFolder ? 1 : 0);
    shell::SetIntSetting(kSetUseSourceFileName, choices.useSourceFileName ? 1 : 0);
    shell::SetStringSetting(kSetDestination, m_destinationPath.c_str());
    shell::SetIntSetting(kSetFileType, choices.fileType);
    shell::SetIntSetting(kSetCompression, SelectedItemData(kJpegLevel));
    shell::SetIntSetting(kSetBitDepth, IsChecked(kEightBit) ? 0 : 1);
    shell::SetIntSetting(kSetAddToDatabase, IsChecked(kAddToDatabase) ? 1 : 0);
    EndDialog(IDOK);
}
