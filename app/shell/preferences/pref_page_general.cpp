#include "app/shell/preferences/pref_page_general.h"

#include <algorithm>

#include "app/shell/preferences/page_metrics.h"
#include "app/shell/preferences/path_limits.h"
#include "app/shell/preferences/preference_lists.h"
#include "app/shell/settings/settings.h"
#include "app/shell/util/text_measure.h"
#include "clx/filedialog.h"
#include "clx/resources.h"

namespace {

constexpr shell::SettingId kDisplaySettingsSection = 1041;
constexpr shell::SettingId kAutoOpenSettingsSection = 1042;
constexpr shell::SettingId kNextImageSettings = 1044;  // 1 current settings, 0 the file's
constexpr shell::SettingId kNextImageSettingsFile = 1053;
constexpr shell::SettingId kCameraAwakeTime = 1066;  // 0 for 15 minutes, 1 always
constexpr shell::SettingId kCopyShootingData = 1067;
constexpr shell::SettingId kDefaultFileSaveFormat = 1071;

constexpr UINT kDisplaySectionText = 8194;
constexpr UINT kAutoOpenSectionText = 8195;
constexpr UINT kCopyShootingDataText = 8196;
constexpr UINT kNextImageGroupText = 8201;
constexpr UINT kUseFileText = 8202;
constexpr UINT kUseCurrentText = 8203;
constexpr UINT kAwakeTimeText = 8204;
constexpr UINT kSaveFormatText = 8207;
constexpr UINT kBrowseText = 16538;
constexpr UINT kSettingsFileFilter = 16466;

// The camera's keep-awake modes.
constexpr uint16_t kAwakeFor15Minutes = 1;
constexpr uint16_t kAwakeAlways = 2;

int32_t ReadInt(shell::SettingId id)
{
    int32_t value = 0;
    shell::GetIntSetting(id, &value);
    return value;
}

}  // namespace

BEGIN_MESSAGE_MAP(CPrefPageGeneral, CTabPageBase)
    ON_WM_CREATE()
    ON_BN_CLICKED(CPrefPageGeneral::kDisplaySectionId, OnDisplaySection)
    ON_BN_CLICKED(CPrefPageGeneral::kUseCurrentId, OnNextImageChoice)
    ON_BN_CLICKED(CPrefPageGeneral::kUseFileId, OnNextImageChoice)
    ON_BN_CLICKED(CPrefPageGeneral::kBrowseId, OnBrowse)
END_MESSAGE_MAP()

SIZE CPrefPageGeneral::GetLayoutSize(HDC dc)
{
    return CachedLayoutSize(dc, [this](HDC d) { return Measure(d); });
}

SIZE CPrefPageGeneral::Measure(HDC dc)
{
    const PageMetrics m;
    m_checkWidth = std::max({TextWidth(dc, kDisplaySectionText), TextWidth(dc, kAutoOpenSectionText),
                             TextWidth(dc, kCopyShootingDataText)}) +
                   shell::kLayoutCheckPadding;
    m_radioWidth = std::max(TextWidth(dc, kUseFileText), TextWidth(dc, kUseCurrentText)) + shell::kLayoutCheckPadding;
    m_pathWidth = 40 * m.charWidth;
    m_buttonWidth = shell::LayoutMinSize(TextWidth(dc, kBrowseText) + 12);
    m_groupWidth = 2 * m.margin + std::max(m_radioWidth, m_pathWidth + m.gap + m_buttonWidth);
    m_labelWidth = std::max(TextWidth(dc, kSaveFormatText), TextWidth(dc, kAwakeTimeText)) + m.gap;
    int widest = 0;
    for (const shell::ListEntry& entry : shell::kSaveFormatList)
        widest = std::max(widest, TextWidth(dc, entry.caption));
    m_formatWidth = widest + m.comboExtra;
    widest = 0;
    for (const shell::ListEntry& entry : shell::kAwakeTimeList)
        widest = std::max(widest, TextWidth(dc, entry.caption));
    m_awakeWidth = widest + m.comboExtra;
    const int width = std::max({m_checkWidth, m_groupWidth, m_labelWidth + std::max(m_formatWidth, m_awakeWidth)});
    // Three boxes, the group (caption, two radio buttons, the path row) and two lists.
    const int groupHeight = 4 * m.rowStep + m.gap;
    return SIZE{2 * m.margin + width, 2 * m.margin + 3 * m.rowStep + groupHeight + m.gap + m.rowStep + m.rowHeight};
}

int CPrefPageGeneral::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1)
        return -1;
    GetLayoutSize(nullptr);
    const PageMetrics m;
    int y = m.margin;
    bool made = true;
    const UINT boxes[][2] = {{kDisplaySectionText, kDisplaySectionId},
                             {kAutoOpenSectionText, kAutoOpenSectionId},
                             {kCopyShootingDataText, kCopyShootingDataId}};
    for (const auto& box : boxes) {
        made = made && AddControl("BUTTON", box[0], shell::kCheckBoxStyle, m.margin, y, m_checkWidth, m.rowHeight,
                                  box[1]);
        y += m.rowStep;
    }
    const int groupHeight = 4 * m.rowStep + m.gap;
    const int groupTop = y;
    const int inner = 2 * m.margin;
    y += m.rowStep;
    made = made && AddControl("BUTTON", kUseCurrentText, shell::kRadioButtonStyle | WS_GROUP, inner, y,
                              m_radioWidth, m.rowHeight, kUseCurrentId);
    y += m.rowStep;
    made = made && AddControl("BUTTON", kUseFileText, shell::kRadioButtonStyle, inner, y, m_radioWidth, m.rowHeight,
                              kUseFileId);
    y += m.rowStep;
    m_pathField = AddControl("STATIC", "", shell::kPathDisplayStyle, inner, y, m_pathWidth, m.rowHeight);
    made = made && m_pathField &&
           AddControl("BUTTON", kBrowseText, shell::kPushButtonStyle, inner + m_pathWidth + m.gap, y, m_buttonWidth,
                      m.rowHeight, kBrowseId);
    // The group box after its contents: lower in the z-order, its frame does not paint over them.
    made = made && AddControl("BUTTON", kNextImageGroupText, shell::kGroupBoxStyle, m.margin, groupTop, m_groupWidth,
                              groupHeight);
    y = groupTop + groupHeight + m.gap;
    const int listX = m.margin + m_labelWidth;
    made = made &&
           AddControl("STATIC", kSaveFormatText, shell::kLabelStyle, m.margin, y + m.labelOffset, m_labelWidth,
                      m.rowHeight) &&
           AddDropList(m_saveFormat, listX, y, m_formatWidth, 7, kSaveFormatId);
    y += m.rowStep;
    made = made &&
           AddControl("STATIC", kAwakeTimeText, shell::kLabelStyle, m.margin, y + m.labelOffset, m_labelWidth,
                      m.rowHeight) &&
           AddDropList(m_awakeTime, listX, y, m_awakeWidth, 2, kAwakeTimeId);
    if (!made)
        return -1;
    for (const shell::ListEntry& entry : shell::kSaveFormatList)
        m_saveFormat.AddStringId(entry.caption, entry.data);
    for (const shell::ListEntry& entry : shell::kAwakeTimeList)
        m_awakeTime.AddStringId(entry.caption, entry.data);
    return 0;
}

void CPrefPageGeneral::OnDisplaySection()
{
    const bool on = IsChecked(kDisplaySectionId);
    if (!on)
        SetChecked(kAutoOpenSectionId, false);
    EnableItem(kAutoOpenSectionId, on);
}

void CPrefPageGeneral::OnNextImageChoice()
{
    const bool fromFile = !IsChecked(kUseCurrentId);
    ::EnableWindow(m_pathField, fromFile);
    EnableItem(kBrowseId, fromFile);
}

void CPrefPageGeneral::LoadFromSettings()
{
    m_loaded = true;
    const bool display = ReadInt(kDisplaySettingsSection) != 0;
    SetChecked(kDisplaySectionId, display);
    SetChecked(kAutoOpenSectionId, display && ReadInt(kAutoOpenSettingsSection) != 0);
    EnableItem(kAutoOpenSectionId, display);
    SetChecked(kCopyShootingDataId, ReadInt(kCopyShootingData) != 0);
    CheckRadioButton(kUseCurrentId, kUseFileId, ReadInt(kNextImageSettings) ? kUseCurrentId : kUseFileId);
    OnNextImageChoice();
    CQzString file;
    shell::GetStringSetting(kNextImageSettingsFile, file);
    m_settingsFile = static_cast<const char*>(file);
    shell::SetPathTextWithEllipsis(m_pathField, m_settingsFile.c_str());
    m_saveFormat.SelectByData(ReadInt(kDefaultFileSaveFormat));
    m_awakeTime.SelectByData(ReadInt(kCameraAwakeTime));
}

BOOL CPrefPageGeneral::Validate()
{
    return !m_loaded || shell::AcceptPathLength(m_settingsFile);
}

void CPrefPageGeneral::StoreToSettings()
{
    if (!m_loaded)
        return;
    const bool display = IsChecked(kDisplaySectionId);
    shell::SetIntSetting(kDisplaySettingsSection, display ? 1 : 0);
    shell::SetIntSetting(kAutoOpenSettingsSection, display && IsChecked(kAutoOpenSectionId) ? 1 : 0);
    shell::SetIntSetting(kCopyShootingData, IsChecked(kCopyShootingDataId) ? 1 : 0);
    shell::SetIntSetting(kNextImageSettings, IsChecked(kUseCurrentId) ? 1 : 0);
    shell::SetStringSetting(kNextImageSettingsFile, m_settingsFile.c_str());
    shell::SetIntSetting(kDefaultFileSaveFormat, m_saveFormat.GetSelectedData());
    const int awake = m_awakeTime.GetSelectedData();
    shell::SetIntSetting(kCameraAwakeTime, awake);
    if (m_setCameraKeepAwake)
        m_setCameraKeepAwake(awake == 0 ? kAwakeFor15Minutes : kAwakeAlways);
}

void CPrefPageGeneral::OnBrowse()
{
    CFileDialog dialog(TRUE, nullptr, m_settingsFile.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       clx::LoadStr(kSettingsFileFilter), this);
    if (dialog.DoModal() != IDOK)
        return;
    m_settingsFile = static_cast<const char*>(dialog.GetPathName());
    shell::SetPathTextWithEllipsis(m_pathField, m_settingsFile.c_str());
}
