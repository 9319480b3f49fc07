#include "app/shell/preferences/pref_page_cms.h"

#include <algorithm>

#include "app/shell/preferences/page_metrics.h"
#include "app/shell/preferences/path_limits.h"
#include "app/shell/preferences/preference_lists.h"
#include "app/shell/preferences/profile_file_dialog.h"
#include "app/shell/settings/settings.h"
#include "app/shell/util/text_measure.h"
#include "clx/app.h"
#include "clx/resources.h"

namespace {

constexpr shell::SettingId kMonitorProfile = 1064;
constexpr shell::SettingId kRgbProfile = 1065;
constexpr shell::SettingId kCmykProfile = 1047;

constexpr UINT kMonitorCaption = 8321;
constexpr UINT kWorkingSpaceCaption = 8322;
constexpr UINT kCmykCaption = 8323;
constexpr UINT kNextStartNote = 8333;
constexpr UINT kBrowseText = 16538;

std::string ReadString(shell::SettingId id)
{
    CQzString text;
    shell::GetStringSetting(id, text);
    return std::string(static_cast<const char*>(text));
}

// "caption\nfile": the caption, or the file name (the whole text when it has no line feed).
std::string Caption(const std::string& entry)
{
    return entry.substr(0, entry.find('\n'));
}
std::string FileName(const std::string& entry)
{
    const size_t newline = entry.find('\n');
    return newline == std::string::npos ? entry : entry.substr(newline + 1);
}

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The current directory, put back when the scope ends.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper()
    {
        const DWORD length = ::GetCurrentDirectoryA(0, nullptr);
        m_folder.resize(length);
        const DWORD got = length ? ::GetCurrentDirectoryA(length, m_folder.data()) : 0;
        m_folder.resize(got < length ? got : 0);
    }
    ~CurrentDirectoryKeeper()
    {
        if (!m_folder.empty())
            ::SetCurrentDirectoryA(m_folder.c_str());
    }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    std::string m_folder;
};

}  // namespace

BEGIN_MESSAGE_MAP(CPrefPageCMS, CTabPageBase)
    ON_WM_CREATE()
    ON_CBN_SELCHANGE(CPrefPageCMS::kWorkingSpaceId, OnSelChangeWorkingSpace)
    ON_BN_CLICKED(CPrefPageCMS::kMonitorBrowseId, OnBrowseMonitor)
    ON_BN_CLICKED(CPrefPageCMS::kCmykBrowseId, OnBrowseCmyk)
END_MESSAGE_MAP()

SIZE CPrefPageCMS::GetLayoutSize(HDC dc)
{
    return CachedLayoutSize(dc, [this](HDC d) { return Measure(d); });
}

SIZE CPrefPageCMS::Measure(HDC dc)
{
    const PageMetrics m;
    m_captionWidth = std::max({TextWidth(dc, kMonitorCaption), TextWidth(dc, kWorkingSpaceCaption),
                               TextWidth(dc, kCmykCaption)});
    m_pathWidth = std::max(60 * m.charWidth, m_captionWidth);
    m_buttonWidth = TextWidth(dc, kBrowseText) + 12;
    int widest = 0;
    for (UINT id = shell::kWorkingSpaceFirst; id <= shell::kWorkingSpaceLast; ++id)
        widest = std::max(widest, TextWidth(dc, Caption(std::string(clx::LoadStr(id))).c_str()));
    m_listWidth = widest + m.comboExtra;
    const int width = std::max(m_captionWidth, kIndent + std::max(m_pathWidth + m.gap + m_buttonWidth, m_listWidth));
    return SIZE{2 * m.margin + width, 2 * m.margin + 5 * m.rowStep + 2 * m.gap + m.rowHeight};
}

int CPrefPageCMS::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1)
        return -1;
    GetLayoutSize(nullptr);
    const PageMetrics m;
    const int fieldX = m.margin + kIndent;
    int y = m.margin;
    bool made = true;
    auto caption = [&](UINT text) {
        made = made && AddControl("STATIC", text, shell::kLabelStyle, m.margin, y + m.labelOffset, m_captionWidth,
                                  m.rowHeight);
        y += m.rowStep;
    };
    auto pathRow = [&](UINT fieldId, UINT buttonId) {
        made = made &&
               AddControl("STATIC", "", shell::kPathDisplayStyle, fieldX, y, m_pathWidth, m.rowHeight, fieldId) &&
               AddControl("BUTTON", kBrowseText, shell::kPushButtonStyle, fieldX + m_pathWidth + m.gap, y,
                          m_buttonWidth, m.rowHeight, buttonId);
        y += m.rowStep + m.gap;
    };
    caption(kMonitorCaption);
    pathRow(kMonitorPathId, kMonitorBrowseId);
    caption(kWorkingSpaceCaption);
    made = made && AddDropList(m_workingSpace, fieldX, y, m_listWidth, 10, kWorkingSpaceId);
    y += m.rowStep + m.gap;
    caption(kCmykCaption);
    pathRow(kCmykPathId, kCmykBrowseId);
    if (!made)
        return -1;
    for (UINT id = shell::kWorkingSpaceFirst; id <= shell::kWorkingSpaceLast; ++id) {
        const std::string entry(clx::LoadStr(id));
        m_workingSpace.AddItem(Caption(entry).c_str(), entry.find('\n') == std::string::npos
                                                           ? shell::kWorkingSpaceSeparatorData
                                                           : static_cast<int>(id));
    }
    return 0;
}

void CPrefPageCMS::LoadFromSettings()
{
    m_loaded = true;
    m_monitorPath = ReadString(kMonitorProfile);
    shell::SetPathTextWithEllipsis(::GetDlgItem(m_hWnd, kMonitorPathId), m_monitorPath.c_str());
    const std::string rgb = ReadString(kRgbProfile);
    const size_t slash = rgb.rfind('\\');
    if (slash != std::string::npos && SameText(rgb.substr(0, slash + 1), m_profileFolder)) {
        const std::string file = rgb.substr(slash + 1);
        for (int i = 0; i < m_workingSpace.GetCount(); ++i) {
            const std::string entry(clx::LoadStr(static_cast<UINT>(m_workingSpace.GetItemData(i))));
            if (entry.find('\n') != std::string::npos && SameText(FileName(entry), file)) {
                m_workingSpace.SetCurSel(i);
                break;
            }
        }
    }
    m_lastWorkingSpace = m_workingSpace.GetCurSel();
    m_cmykPath = ReadString(kCmykProfile);
    shell::SetPathTextWithEllipsis(::GetDlgItem(m_hWnd, kCmykPathId), m_cmykPath.c_str());
}

void CPrefPageCMS::OnSelChangeWorkingSpace()
{
    const int selected = m_workingSpace.GetCurSel();
    if (selected >= 0 && static_cast<int>(m_workingSpace.GetItemData(selected)) == shell::kWorkingSpaceSeparatorData) {
        const int next = shell::StepOverSeparator(selected, m_lastWorkingSpace, m_workingSpace.GetCount());
        if (next < 0 || m_workingSpace.SetCurSel(next) == CB_ERR)
            m_workingSpace.SetCurSel(0);
    }
    m_lastWorkingSpace = m_workingSpace.GetCurSel();
}

void CPrefPageCMS::Browse(int kind, std::string& path, UINT fieldId)
{
    const std::string colourFolder = shell::SystemColourFolder();
    CurrentDirectoryKeeper keep;
    ::SetCurrentDirectoryA(colourFolder.c_str());
    CProfileFileDialog dialog(static_cast<shell::ProfileKind>(kind), path.c_str(), m_profileFolder, this);
    if (dialog.DoModal() != IDOK)
        return;
    path = static_cast<const char*>(dialog.GetPathName());
    shell::SetPathTextWithEllipsis(::GetDlgItem(m_hWnd, static_cast<int>(fieldId)), path.c_str());
}

void CPrefPageCMS::OnBrowseMonitor()
{
    Browse(static_cast<int>(shell::ProfileKind::kMonitor), m_monitorPath, kMonitorPathId);
}

void CPrefPageCMS::OnBrowseCmyk()
{
    Browse(static_cast<int>(shell::ProfileKind::kCmyk), m_cmykPath, kCmykPathId);
}

BOOL CPrefPageCMS::Validate()
{
    return !m_loaded || (shell::AcceptPathLength(m_monitorPath) && shell::AcceptPathLength(m_cmykPath));
}

void CPrefPageCMS::StoreToSettings()
{
    if (!m_loaded)
        return;
    bool changed = false;
    const std::pair<shell::SettingId, const std::string*> paths[] = {{kMonitorProfile, &m_monitorPath},
                                                                     {kCmykProfile, &m_cmykPath}};
    for (const auto& [setting, path] : paths) {
        changed |= ReadString(setting) != *path;
        shell::SetStringSetting(setting, path->c_str());
    }
    // With no entry chosen the working space stays as stored: the folder alone
    // would name no profile, and the next start would refuse every image.
    const int selected = m_workingSpace.GetCurSel();
    if (selected >= 0) {
        const std::string entry(clx::LoadStr(static_cast<UINT>(m_workingSpace.GetItemData(selected))));
        const std::string rgb = m_profileFolder + FileName(entry);
        changed |= ReadString(kRgbProfile) != rgb;
        shell::SetStringSetting(kRgbProfile, rgb.c_str());
    }
    if (changed)
        AfxMessageBox(kNextStartNote, MB_OK);
}
