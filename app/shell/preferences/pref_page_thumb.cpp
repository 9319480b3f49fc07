#include "app/shell/preferences/pref_page_thumb.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/shell/preferences/page_metrics.h"
#include "app/shell/settings/settings.h"

namespace {

constexpr shell::SettingId kClearOnExit = 1050;
constexpr shell::SettingId kAutoRemove = 1043;
constexpr shell::SettingId kConfirmDelete = 1052;
constexpr shell::SettingId kNextThumbnailId = 1058;

constexpr UINT kClearOnExitText = 8257;
constexpr UINT kAutoRemoveText = 8258;
constexpr UINT kConfirmDeleteText = 8262;
constexpr UINT kNextIdText = 8265;
constexpr UINT kResetIdText = 8266;

}  // namespace

BEGIN_MESSAGE_MAP(CPrefPageThumb, CTabPageBase)
    ON_WM_CREATE()
    ON_BN_CLICKED(CPrefPageThumb::kResetIdButtonId, OnResetId)
END_MESSAGE_MAP()

SIZE CPrefPageThumb::GetLayoutSize(HDC dc)
{
    return CachedLayoutSize(dc, [this](HDC d) { return Measure(d); });
}

SIZE CPrefPageThumb::Measure(HDC dc)
{
    const PageMetrics m;
    m_checkWidth = std::max({TextWidth(dc, kClearOnExitText), TextWidth(dc, kAutoRemoveText),
                             TextWidth(dc, kConfirmDeleteText)}) +
                   shell::kLayoutCheckPadding;
    m_labelWidth = TextWidth(dc, kNextIdText) + m.gap;
    m_numberWidth = TextWidth(dc, "1234567890") + 2 * m.charWidth;
    m_buttonWidth = shell::LayoutMinSize(TextWidth(dc, kResetIdText) + 2 * shell::kLayoutMargin);
    const int rowWidth = m_labelWidth + m_numberWidth + m.gap + m_buttonWidth;
    return SIZE{2 * m.margin + std::max(m_checkWidth, rowWidth), 2 * m.margin + 3 * m.rowStep + m.gap + m.rowHeight};
}

int CPrefPageThumb::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1)
        return -1;
    GetLayoutSize(nullptr);
    const PageMetrics m;
    int y = m.margin;
    const UINT boxes[][2] = {
        {kClearOnExitText, kClearOnExitId}, {kAutoRemoveText, kAutoRemoveId}, {kConfirmDeleteText, kConfirmDeleteId}};
    for (const auto& box : boxes) {
        if (!AddControl("BUTTON", box[0], shell::kCheckBoxStyle, m.margin, y, m_checkWidth, m.rowHeight, box[1]))
            return -1;
        y += m.rowStep;
    }
    y += m.gap;
    int x = m.margin;
    const bool made =
        AddControl("STATIC", kNextIdText, shell::kLabelStyle, x, y + m.labelOffset, m_labelWidth, m.rowHeight) &&
        AddControl("STATIC", "", shell::kPathDisplayStyle, x += m_labelWidth, y, m_numberWidth, m.rowHeight,
                   kNextIdFieldId) &&
        AddControl("BUTTON", kResetIdText, shell::kPushButtonStyle, x + m_numberWidth + m.gap, y, m_buttonWidth,
                   m.rowHeight, kResetIdButtonId);
    return made ? 0 : -1;
}

void CPrefPageThumb::LoadFromSettings()
{
    m_loaded = true;
    const std::pair<shell::SettingId, UINT> boxes[] = {
        {kClearOnExit, kClearOnExitId}, {kAutoRemove, kAutoRemoveId}, {kConfirmDelete, kConfirmDeleteId}};
    for (const auto& [setting, box] : boxes) {
        int32_t value = 0;
        shell::GetIntSetting(setting, &value);
        SetChecked(box, value != 0);
    }
    int32_t next = 0;
    shell::GetIntSetting(kNextThumbnailId, &next);
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(next)));
    ::SetDlgItemTextA(m_hWnd, kNextIdFieldId, text);
}

void CPrefPageThumb::StoreToSettings()
{
    if (!m_loaded)
        return;
    shell::SetIntSetting(kClearOnExit, IsChecked(kClearOnExitId) ? 1 : 0);
    shell::SetIntSetting(kAutoRemove, IsChecked(kAutoRemoveId) ? 1 : 0);
    shell::SetIntSetting(kConfirmDelete, IsChecked(kConfirmDeleteId) ? 1 : 0);
    char text[16] = {};
    ::GetDlgItemTextA(m_hWnd, kNextIdFieldId, text, sizeof text);
    shell::SetIntSetting(kNextThumbnailId, static_cast<int32_t>(std::strtoul(text, nullptr, 10)));
}

void CPrefPageThumb::OnResetId()
{
    ::SetDlgItemTextA(m_hWnd, kNextIdFieldId, "1");
}
