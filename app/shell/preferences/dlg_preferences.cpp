#include "app/shell/preferences/dlg_preferences.h"

#include <algorithm>

#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/util/text_measure.h"
#include "clx/resources.h"

namespace {

constexpr UINT kHelpId = 256;
constexpr UINT kTitle = 8192;
constexpr uint32_t kOkText = 16528;
constexpr uint32_t kCancelText = 16529;
constexpr uint32_t kHelpText = 16530;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgPreferences, CDlgBase)
    ON_WM_CREATE()
    ON_NOTIFY(TCN_SELCHANGE, CDlgPreferences::kTabId, OnSelChangeTab)
END_MESSAGE_MAP()

CDlgPreferences::CDlgPreferences(CWnd* parent, const PreferencesHost& host)
    : CDlgBase(parent),
      m_pageGeneral(host.setCameraKeepAwake),
      m_pageCms(host.profileFolder),
      m_pages{&m_pageGeneral, &m_pageFiles, &m_pageThumb, &m_pageCurves, &m_pageGrid, &m_pageCms}
{
    m_nIDHelp = kHelpId;
}

void CDlgPreferences::SetStartPage(int index)
{
    if (index >= 0 && index < kPageCount)
        m_startPage = index;
}

int CDlgPreferences::OnCreate(CREATESTRUCT* cs)
{
    if (CDlgBase::OnCreate(cs) == -1)
        return -1;
    HDC dc = ::GetDC(m_hWnd);
    if (!dc)
        return -1;
    HGDIOBJ previous = ::SelectObject(dc, shell::GetUiFont());
    const bool made = CreateControls(dc);
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_hWnd, dc);
    if (!made)
        return -1;
    m_tab.SetCurSel(m_startPage);
    ShowSelectedPage();
    return 0;
}

bool CDlgPreferences::CreateControls(HDC dc)
{
    int pageWidth = 0;
    int pageHeight = 0;
    for (CTabPageBase* page : m_pages) {
        const SIZE size = page->GetLayoutSize(dc);
        pageWidth = std::max<int>(pageWidth, size.cx);
        pageHeight = std::max<int>(pageHeight, size.cy);
    }
    const uint32_t captions[] = {kOkText, kCancelText, kHelpText, 0};
    const int buttonWidth = shell::GetMaxStringWidth(dc, captions) + shell::kLayoutCheckPadding;
    const int charWidth = shell::GetUiCharWidth();
    const int lineSpacing = shell::LayoutLineSpacing();
    const int gapLarge = shell::LayoutGapLarge();

    const int clientWidth = std::max(2 * gapLarge + 3 * buttonWidth + 2 * charWidth, pageWidth + 12);
    const int tabWidth = std::max(pageWidth + 8, clientWidth - 4);
    const int tabHeight = pageHeight + lineSpacing + 5;
    const int clientHeight = lineSpacing + gapLarge + tabHeight + 2 * shell::LayoutGapSmall() + 1;
    const CRect client = GetClientRect();
    if (client.Width() != clientWidth || client.Height() != clientHeight)
        FitClientSize(clientWidth, clientHeight);
    SetWindowText(clx::LoadStr(kTitle));

    if (!m_tab.Create(shell::kChildWindowStyle | TCS_RAGGEDRIGHT, CRect(2, 1, 2 + tabWidth, 1 + tabHeight), this,
                      kTabId))
        return false;
    m_tab.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(shell::GetUiFont()), FALSE);
    for (int i = 0; i < kPageCount; ++i)
        m_tab.InsertItem(i, clx::LoadStr(m_pages[i]->GetTitleId()));
    CRect display = m_tab.GetWindowRect();
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&display), 2);
    m_tab.AdjustRect(FALSE, &display);
    m_pageRect = display;

    const int buttonTop = clientHeight - gapLarge - lineSpacing;
    int x = clientWidth - 2 * charWidth - 3 * buttonWidth - gapLarge;
    const std::pair<uint32_t, UINT> buttons[] = {{kOkText, IDOK}, {kCancelText, IDCANCEL}, {kHelpText, kHelpButtonId}};
    for (const auto& [text, id] : buttons) {
        const DWORD style = shell::kPushButtonStyle | (id == IDOK ? BS_DEFPUSHBUTTON : 0);
        if (!AddControl("BUTTON", text, style, x, buttonTop, buttonWidth, lineSpacing, id))
            return false;
        x += buttonWidth + charWidth;
    }
    return true;
}

void CDlgPreferences::OnSelChangeTab(NMHDR*, LRESULT* result)
{
    ShowSelectedPage();
    *result = 0;
}

void CDlgPreferences::ShowSelectedPage()
{
    const int selected = m_tab.GetCurSel();
    if (selected < 0 || selected >= kPageCount)
        return;
    if (CTabPageBase* shown = GetPage(m_shownPage)) {
        shown->OnActivatePage(FALSE);
        shown->ShowWindow(SW_HIDE);
    }
    CTabPageBase* page = m_pages[selected];
    if (!page->m_hWnd && page->CreatePage(this)) {
        const SIZE size = page->GetLayoutSize(nullptr);
        const int left = m_pageRect.left + (m_pageRect.right - m_pageRect.left - size.cx) / 2;
        const int top = m_pageRect.top + (m_pageRect.bottom - m_pageRect.top - size.cy) / 2;
        page->SetWindowPos(nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        page->EnableWindow(TRUE);
        page->LoadFromSettings();
    }
    if (page->m_hWnd) {
        page->OnActivatePage(TRUE);
        page->ShowWindow(SW_SHOW);
        m_shownPage = selected;
    }
}

void CDlgPreferences::OnOK()
{
    // A refusing page has said why; the dialog stays on the page it shows.
    for (CTabPageBase* page : m_pages)
        if (!page->Validate())
            return;
    for (CTabPageBase* page : m_pages)
        page->StoreToSettings();
    CDlgBase::OnOK();
}
