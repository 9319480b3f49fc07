#include "app/shell/preferences/pref_page_files.h"

#include <algorithm>

#include "app/shell/preferences/page_metrics.h"
#include "app/shell/preferences/path_limits.h"
#include "app/shell/settings/settings.h"
#include "app/shell/util/text_measure.h"
#include "clx/app.h"
#include "clx/filedialog.h"
#include "clx/folderbrowser.h"
#include "clx/resources.h"

namespace {

constexpr shell::SettingId kThumbnailFolder = 1046;
constexpr shell::SettingId kTempFolder = 1051;
constexpr shell::SettingId kOpenExternal = 1045;
constexpr shell::SettingId kOpenExternalName = 1048;
constexpr shell::SettingId kOpenExternalPath = 1049;
constexpr shell::SettingId kAddToDatabase = 1069;
constexpr shell::SettingId kDatabaseFile = 1070;

constexpr UINT kThumbCaption = 8225;
constexpr UINT kTempCaption = 8232;
constexpr UINT kOpenExternalText = 8227;
constexpr UINT kNameText = 8228;
constexpr UINT kDefaultAppName = 8229;
constexpr UINT kNoneText = 8230;
constexpr UINT kThumbBrowseTitle = 8231;
constexpr UINT kTempBrowseTitle = 8233;
constexpr UINT kAppPathInvalid = 8235;
constexpr UINT kTempFolderNote = 8236;
constexpr UINT kAddToCatalogueText = 8237;
constexpr UINT kCataloguePathInvalid = 8238;
constexpr UINT kBrowseText = 16538;
constexpr UINT kApplicationFilter = 16448;
constexpr UINT kCatalogueFilter = 16459;
constexpr DWORD kApplicationFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;  // 0x1804
constexpr DWORD kCatalogueFlags =
    OFN_NOREADONLYRETURN | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOVALIDATE | OFN_HIDEREADONLY;  // 0x9904

std::string ReadString(shell::SettingId id)
{
    CQzString text;
    shell::GetStringSetting(id, text);
    return std::string(static_cast<const char*>(text));
}

int32_t ReadFlag(shell::SettingId id)
{
    int32_t value = 0;
    shell::GetIntSetting(id, &value);
    return value;
}

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Message `id` with the caption of check box `boxTextId` as %1.
void ShowBoxMessage(UINT id, UINT boxTextId)
{
    CString text;
    AfxFormatString1(text, id, clx::LoadStr(boxTextId));
    AfxMessageBox(text, MB_OK);
}

}  // namespace

BEGIN_MESSAGE_MAP(CPrefPageFiles, CTabPageBase)
    ON_WM_CREATE()
    ON_BN_CLICKED(CPrefPageFiles::kThumbBrowseId, OnBrowseThumbFolder)
    ON_BN_CLICKED(CPrefPageFiles::kTempBrowseId, OnBrowseTempFolder)
    ON_BN_CLICKED(CPrefPageFiles::kAppBrowseId, OnBrowseApplication)
    ON_BN_CLICKED(CPrefPageFiles::kCatalogueBrowseId, OnBrowseCatalogue)
    ON_BN_CLICKED(CPrefPageFiles::kOpenExternalId, OnOpenExternal)
    ON_BN_CLICKED(CPrefPageFiles::kAddToCatalogueId, OnAddToCatalogue)
END_MESSAGE_MAP()

SIZE CPrefPageFiles::GetLayoutSize(HDC dc)
{
    return CachedLayoutSize(dc, [this](HDC d) { return Measure(d); });
}

SIZE CPrefPageFiles::Measure(HDC dc)
{
    const PageMetrics m;
    m_indent = 20;
    m_captionWidth = std::max({TextWidth(dc, kThumbCaption), TextWidth(dc, kTempCaption),
                               TextWidth(dc, kOpenExternalText) + shell::kLayoutCheckPadding,
                               TextWidth(dc, kAddToCatalogueText) + shell::kLayoutCheckPadding});
    m_nameLabelWidth = TextWidth(dc, kNameText) + m.gap;
    m_pathWidth = std::max(50 * m.charWidth, m_captionWidth - m_indent);
    m_buttonWidth = shell::LayoutMinSize(TextWidth(dc, kBrowseText) + 12);
    const int width = std::max(m_captionWidth, m_indent + m_pathWidth + m.gap + m_buttonWidth);
    // Seven rows, and a little space between the four groups.
    return SIZE{2 * m.margin + width, 2 * m.margin + 8 * m.rowStep + 3 * m.gap + m.rowHeight};
}

int CPrefPageFiles::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1)
        return -1;
    GetLayoutSize(nullptr);
    const PageMetrics m;
    const int fieldX = m.margin + m_indent;
    const int buttonX = fieldX + m_pathWidth + m.gap;
    int y = m.margin;
    bool made = true;
    auto pathRow = [&](UINT fieldId, UINT buttonId) {
        made = made &&
               AddControl("STATIC", "", shell::kPathDisplayStyle, fieldX, y, m_pathWidth, m.rowHeight, fieldId) &&
               AddControl("BUTTON", kBrowseText, shell::kPushButtonStyle, buttonX, y, m_buttonWidth, m.rowHeight,
                          buttonId);
        y += m.rowStep;
    };
    const std::pair<UINT, std::pair<UINT, UINT>> folders[] = {{kThumbCaption, {kThumbFolderId, kThumbBrowseId}},
                                                              {kTempCaption, {kTempFolderId, kTempBrowseId}}};
    for (const auto& [caption, ids] : folders) {
        made = made && AddControl("STATIC", caption, shell::kLabelStyle, m.margin, y + m.labelOffset, m_captionWidth,
                                  m.rowHeight);
        y += m.rowStep;
        pathRow(ids.first, ids.second);
        y += m.gap;
    }
    made = made && AddControl("BUTTON", kOpenExternalText, shell::kCheckBoxStyle, m.margin, y, m_captionWidth,
                              m.rowHeight, kOpenExternalId);
    y += m.rowStep;
    made = made &&
           AddControl("STATIC", kNameText, shell::kLabelStyle, fieldX, y + m.labelOffset, m_nameLabelWidth,
                      m.rowHeight) &&
           m_appName.Create(shell::kEditStyle,
                            CRect(fieldX + m_nameLabelWidth, y, fieldX + m_pathWidth, y + m.rowHeight), this,
                            kAppNameId);
    UseUiFont(m_appName.m_hWnd);
    y += m.rowStep;
    pathRow(kAppPathId, kAppBrowseId);
    y += m.gap;
    made = made && AddControl("BUTTON", kAddToCatalogueText, shell::kCheckBoxStyle, m.margin, y, m_captionWidth,
                              m.rowHeight, kAddToCatalogueId);
    y += m.rowStep;
    pathRow(kCataloguePathId, kCatalogueBrowseId);
    return made ? 0 : -1;
}

void CPrefPageFiles::ShowFolder(UINT id, const std::string& path) const
{
    shell::SetPathTextWithEllipsis(::GetDlgItem(m_hWnd, static_cast<int>(id)), path.c_str());
}

void CPrefPageFiles::ShowFile(UINT id, const std::string& path) const
{
    const std::string shown = Trimmed(path);
    if (shown.empty())
        ::SetDlgItemTextA(m_hWnd, static_cast<int>(id), clx::LoadStr(kNoneText));
    else
        ShowFolder(id, shown);
}

void CPrefPageFiles::LoadFromSettings()
{
    m_loaded = true;
    m_tempFolder = ReadString(kTempFolder);
    m_thumbFolder = ReadString(kThumbnailFolder);
    ShowFolder(kTempFolderId, m_tempFolder);
    ShowFolder(kThumbFolderId, m_thumbFolder);
    SetChecked(kOpenExternalId, ReadFlag(kOpenExternal) != 0);
    OnOpenExternal();
    const std::string name = Trimmed(ReadString(kOpenExternalName));
    m_appName.SetWindowText(name.empty() ? static_cast<const char*>(clx::LoadStr(kDefaultAppName)) : name.c_str());
    m_appPath = ReadString(kOpenExternalPath);
    ShowFile(kAppPathId, m_appPath);
    SetChecked(kAddToCatalogueId, ReadFlag(kAddToDatabase) != 0);
    OnAddToCatalogue();
    m_cataloguePath = ReadString(kDatabaseFile);
    ShowFile(kCataloguePathId, m_cataloguePath);
}

BOOL CPrefPageFiles::Validate()
{
    if (!m_loaded)
        return TRUE;
    for (const std::string* path : {&m_thumbFolder, &m_tempFolder, &m_appPath, &m_cataloguePath})
        if (!shell::AcceptPathLength(*path))
            return FALSE;
    if (IsChecked(kOpenExternalId) && !FileExists(m_appPath)) {
        ShowBoxMessage(kAppPathInvalid, kOpenExternalText);
        return FALSE;
    }
    if (IsChecked(kAddToCatalogueId) && !FileExists(m_cataloguePath)) {
        ShowBoxMessage(kCataloguePathInvalid, kAddToCatalogueText);
        return FALSE;
    }
    return TRUE;
}

void CPrefPageFiles::StoreToSettings()
{
    if (!m_loaded)
        return;
    shell::SetStringSetting(kThumbnailFolder, m_thumbFolder.c_str());
    shell::SetIntSetting(kOpenExternal, IsChecked(kOpenExternalId) ? 1 : 0);
    const bool tempChanged = ReadString(kTempFolder) != m_tempFolder;
    shell::SetStringSetting(kTempFolder, m_tempFolder.c_str());
    shell::SetStringSetting(kOpenExternalName, Trimmed(std::string(m_appName.GetWindowText())).c_str());
    shell::SetStringSetting(kOpenExternalPath, m_appPath.c_str());
    shell::SetIntSetting(kAddToDatabase, IsChecked(kAddToCatalogueId) ? 1 : 0);
    shell::SetStringSetting(kDatabaseFile, m_cataloguePath.c_str());
    if (tempChanged)
        AfxMessageBox(kTempFolderNote, MB_OK);
}

void CPrefPageFiles::OnOpenExternal()
{
    const bool on = IsChecked(kOpenExternalId);
    for (UINT id : {kAppNameId, kAppPathId, kAppBrowseId})
        EnableItem(id, on);
}

void CPrefPageFiles::OnAddToCatalogue()
{
    const bool on = IsChecked(kAddToCatalogueId);
    for (UINT id : {kCataloguePathId, kCatalogueBrowseId})
        EnableItem(id, on);
}

void CPrefPageFiles::BrowseFolder(std::string& folder, UINT id, UINT titleId)
{
    CString chosen;
    if (!clx::BrowseForFolder(m_hWnd, clx::LoadStr(titleId), folder.c_str(), chosen))
        return;
    folder = static_cast<const char*>(chosen);
    ShowFolder(id, folder);
}

void CPrefPageFiles::OnBrowseThumbFolder()
{
    BrowseFolder(m_thumbFolder, kThumbFolderId, kThumbBrowseTitle);
}

void CPrefPageFiles::OnBrowseTempFolder()
{
    BrowseFolder(m_tempFolder, kTempFolderId, kTempBrowseTitle);
}

void CPrefPageFiles::BrowseFile(std::string& path, UINT id, DWORD flags, UINT filterId)
{
    CFileDialog dialog(TRUE, nullptr, path.c_str(), flags, clx::LoadStr(filterId), this);
    if (dialog.DoModal() != IDOK)
        return;
    path = static_cast<const char*>(dialog.GetPathName());
    ShowFile(id, path);
}

void CPrefPageFiles::OnBrowseApplication()
{
    BrowseFile(m_appPath, kAppPathId, kApplicationFlags, kApplicationFilter);
}

void CPrefPageFiles::OnBrowseCatalogue()
{
    BrowseFile(m_cataloguePath, kCataloguePathId, kCatalogueFlags, kCatalogueFilter);
}
