#include "app/shell/preferences/pref_page_curves.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/shell/format/number_text.h"
#include "app/shell/preferences/hundredths.h"
#include "app/shell/preferences/page_metrics.h"
#include "app/shell/preferences/preference_lists.h"
#include "app/shell/settings/settings.h"
#include "clx/app.h"

namespace {

constexpr shell::SettingId kAutoContrastClip = 1054;  // hundredths of a percent
constexpr shell::SettingId kBlackDropper = 1055;      // red in bits 0-7, green 8-15, blue 16-23
constexpr shell::SettingId kWhiteDropper = 1057;
constexpr shell::SettingId kDropperSampleSize = 1068;
constexpr shell::SettingId kShowKelvin = 1072;

constexpr UINT kClipText = 8273;
constexpr UINT kBlackText = 8274;
constexpr UINT kWhiteText = 8276;
constexpr UINT kResetText = 8277;
constexpr UINT kChannelTexts[3] = {8278, 8279, 8280};  // "R", "G", "B"
constexpr UINT kSampleSizeText = 8282;
constexpr UINT kKelvinText = 8286;
constexpr UINT kDropperOrderMessage = 8281;

CQzString ClipText(double percent)
{
    CQzString text;
    return shell::FormatNumber(text, percent, 2, shell::kGroup);
}

}  // namespace

BEGIN_MESSAGE_MAP(CPrefPageCurves, CTabPageBase)
    ON_WM_CREATE()
    ON_BN_CLICKED(CPrefPageCurves::kResetId, OnReset)
END_MESSAGE_MAP()

SIZE CPrefPageCurves::GetLayoutSize(HDC dc)
{
    return CachedLayoutSize(dc, [this](HDC d) { return Measure(d); });
}

SIZE CPrefPageCurves::Measure(HDC dc)
{
    const PageMetrics m;
    m_labelWidth = std::max({TextWidth(dc, kClipText), TextWidth(dc, kBlackText), TextWidth(dc, kWhiteText),
                             TextWidth(dc, kSampleSizeText)}) +
                   m.gap;
    m_clipWidth = TextWidth(dc, "9.99") + 3 * m.charWidth;
    m_channelLabelWidth =
        std::max({TextWidth(dc, kChannelTexts[0]), TextWidth(dc, kChannelTexts[1]), TextWidth(dc, kChannelTexts[2])}) +
        m.gap;
    m_channelWidth = TextWidth(dc, "256") + 3 * m.charWidth;
    int widest = 0;
    for (const shell::ListEntry& entry : shell::kSampleSizeList)
        widest = std::max(widest, TextWidth(dc, entry.caption));
    m_listWidth = widest + m.comboExtra;
    m_checkWidth = TextWidth(dc, kKelvinText) + shell::kLayoutCheckPadding;
    m_buttonWidth = shell::LayoutMinSize(TextWidth(dc, kResetText) + 2 * shell::kLayoutMargin);
    const int channels = 3 * (m_channelLabelWidth + m_channelWidth) + 2 * m.gap;
    const int fields = m_labelWidth + std::max({m_clipWidth + m.gap + TextWidth(dc, "%"), channels, m_listWidth});
    const int width = std::max({fields, m_checkWidth, m_buttonWidth});
    return SIZE{2 * m.margin + width, 2 * m.margin + 5 * m.rowStep + m.gap + m.rowHeight};
}

int CPrefPageCurves::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1)
        return -1;
    GetLayoutSize(nullptr);
    const PageMetrics m;
    const int fieldX = m.margin + m_labelWidth;
    int y = m.margin;
    bool made = AddControl("STATIC", kClipText, shell::kLabelStyle, m.margin, y + m.labelOffset, m_labelWidth,
                           m.rowHeight) &&
                AddNumberField(m_clip, fieldX, y, m_clipWidth, kClipId) &&
                AddControl("STATIC", "%", shell::kLabelStyle, fieldX + m_clipWidth + m.gap, y + m.labelOffset,
                           m.margin + m.charWidth, m.rowHeight);
    const UINT dropperTexts[2] = {kBlackText, kWhiteText};
    CQzEdit* fields[2] = {m_black, m_white};
    const UINT firstIds[2] = {kBlackFirstId, kWhiteFirstId};
    for (int row = 0; row < 2 && made; ++row) {
        y += m.rowStep;
        made = AddControl("STATIC", dropperTexts[row], shell::kLabelStyle, m.margin, y + m.labelOffset,
                          m_labelWidth, m.rowHeight);
        int x = fieldX;
        for (int c = 0; c < 3 && made; ++c) {
            made = AddControl("STATIC", kChannelTexts[c], shell::kLabelStyle, x, y + m.labelOffset,
                              m_channelLabelWidth, m.rowHeight) &&
                   AddNumberField(fields[row][c], x + m_channelLabelWidth, y, m_channelWidth, firstIds[row] + c);
            if (made)
                fields[row][c].SetIntRange(0, 255, false);
            x += m_channelLabelWidth + m_channelWidth + m.gap;
        }
    }
    y += m.rowStep;
    made = made &&
           AddControl("STATIC", kSampleSizeText, shell::kLabelStyle, m.margin, y + m.labelOffset, m_labelWidth,
                      m.rowHeight) &&
           AddDropList(m_sampleSize, fieldX, y, m_listWidth, 3, kSampleSizeId);
    y += m.rowStep;
    made = made && AddControl("BUTTON", kKelvinText, shell::kCheckBoxStyle, m.margin, y, m_checkWidth, m.rowHeight,
                              kKelvinId);
    y += m.rowStep + m.gap;
    made = made && AddControl("BUTTON", kResetText, shell::kPushButtonStyle | WS_GROUP, m.margin, y, m_buttonWidth,
                              m.rowHeight, kResetId);
    if (!made)
        return -1;
    m_clip.SetFloatRange(0.01, 9.99, 2, true);
    for (const shell::ListEntry& entry : shell::kSampleSizeList)
        m_sampleSize.AddStringId(entry.caption, entry.data);
    return 0;
}

void CPrefPageCurves::LoadFromSettings()
{
    m_loaded = true;
    int32_t clip = 0;
    shell::GetIntSetting(kAutoContrastClip, &clip);
    m_clip.SetWindowText(ClipText(clip * 0.01));
    m_clip.SetValid(true);
    const std::pair<shell::SettingId, CQzEdit*> droppers[] = {{kBlackDropper, m_black}, {kWhiteDropper, m_white}};
    for (const auto& [setting, fields] : droppers) {
        int32_t packed = 0;
        shell::GetIntSetting(setting, &packed);
        for (int c = 0; c < 3; ++c) {
            char text[8];
            std::snprintf(text, sizeof text, "%d", (packed >> (8 * c)) & 0xFF);
            fields[c].SetWindowText(text);
            fields[c].SetValid(true);
        }
    }
    int32_t sampleSize = 0;
    shell::GetIntSetting(kDropperSampleSize, &sampleSize);
    m_sampleSize.SelectByData(sampleSize);
    int32_t kelvin = 0;
    shell::GetIntSetting(kShowKelvin, &kelvin);
    SetChecked(kKelvinId, kelvin != 0);
}

int32_t CPrefPageCurves::ReadWhole(UINT id) const
{
    char text[16] = {};
    ::GetDlgItemTextA(m_hWnd, static_cast<int>(id), text, sizeof text);
    return static_cast<int32_t>(std::strtol(text, nullptr, 10));
}

int32_t CPrefPageCurves::ReadPacked(UINT firstId) const
{
    return ((ReadWhole(firstId + 2) & 0xFF) << 16) | ((ReadWhole(firstId + 1) & 0xFF) << 8) |
           (ReadWhole(firstId) & 0xFF);
}

BOOL CPrefPageCurves::Validate()
{
    if (!m_loaded)
        return TRUE;
    for (UINT c = 0; c < 3; ++c) {
        if (ReadWhole(kBlackFirstId + c) >= ReadWhole(kWhiteFirstId + c)) {
            AfxMessageBox(kDropperOrderMessage, MB_OK);
            return FALSE;
        }
    }
    return TRUE;
}

void CPrefPageCurves::StoreToSettings()
{
    if (!m_loaded)
        return;
    const CString clip = m_clip.GetWindowText();
    shell::SetIntSetting(kAutoContrastClip, shell::ToHundredths(shell::ParseNumber(clip, nullptr, true)));
    shell::SetIntSetting(kBlackDropper, ReadPacked(kBlackFirstId));
    shell::SetIntSetting(kWhiteDropper, ReadPacked(kWhiteFirstId));
    shell::SetIntSetting(kDropperSampleSize, m_sampleSize.GetSelectedData());
    shell::SetIntSetting(kShowKelvin, IsChecked(kKelvinId) ? 1 : 0);
}

void CPrefPageCurves::OnReset()
{
    m_clip.SetWindowText(ClipText(0.5));
    for (int c = 0; c < 3; ++c) {
        m_black[c].SetWindowText("0");
        m_white[c].SetWindowText("255");
    }
    m_sampleSize.SelectByData(0);
    SetChecked(kKelvinId, false);
}
