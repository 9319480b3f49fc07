#include "app/shell/controls/edit_pic.h"

#include <algorithm>
#include <cstring>

#include "app/shell/dialogs/ui_font.h"
#include "app/shell/controls/edit_mask.h"

BEGIN_MESSAGE_MAP(CEditPic, CWnd)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETFOCUS()
    ON_WM_ENABLE()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
END_MESSAGE_MAP()

namespace {

bool Pressed(int key)
{
    return GetKeyState(key) < 0;
}

}  // namespace

CEditPic::~CEditPic()
{
    // The fields go with the window and delete themselves.
    if (m_hWnd)
        DestroyWindow();
}

BOOL CEditPic::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, nullptr, "", style, rect, parent, id);
}

void CEditPic::DestroyFields()
{
    for (Segment& segment : m_segments)
        if (segment.field && segment.field->m_hWnd)
            segment.field->DestroyWindow();  // deletes the field
    m_segments.clear();
}

BOOL CEditPic::SetPicture(const char* picture)
{
    DestroyFields();
    if (!m_hWnd)
        return FALSE;
    const std::vector<shell::PictureSegment> parsed = shell::ParsePicture(picture);
    CClientDC dc(m_hWnd);
    const HFONT font = shell::GetUiFont();
    const HGDIOBJ old = SelectObject(dc, font);
    const CRect client = GetClientRect();
    int x = 1;
    BOOL allMade = TRUE;
    for (size_t i = 0; i < parsed.size(); ++i) {
        Segment segment;
        segment.literal = parsed[i].literal;
        const int literalWidth = dc.GetTextExtent(segment.literal.c_str(), static_cast<int>(segment.literal.size())).cx;
        segment.literalRect = CRect(x, client.top + 1, x + literalWidth, client.bottom - 1);
        x += literalWidth;
        if (parsed[i].hasField) {
            std::string widest = parsed[i].mask;
            std::replace(widest.begin(), widest.end(), 'X', 'W');
            std::replace(widest.begin(), widest.end(), '!', 'W');
            const int width = dc.GetTextExtent(widest.c_str(), static_cast<int>(widest.size())).cx + 2;
            segment.fieldRect = CRect(x, client.top + 1, x + width, client.bottom - 1);
            x += width;
            auto* field = new CEditPart(this);
            field->SetMask(parsed[i].mask.c_str());
            if (field->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_GROUP, segment.fieldRect, this,
                              static_cast<UINT>(i + 1))) {
                field->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
                // The width holds the mask's text and no more: no inner margins.
                field->SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
                segment.field = field;
            } else {
                delete field;
                allMade = FALSE;
            }
        }
        m_segments.push_back(segment);
    }
    SelectObject(dc, old);
    Invalidate(TRUE);
    return allMade;
}

BOOL CEditPic::SetDatePicture()
{
    char order[4] = "";
    char separator[8] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDATE, order, sizeof order);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof separator);
    return SetPicture(shell::DatePicture(order[0], separator).c_str());
}

void CEditPic::SetText(const char* text, bool skipSeparators, bool trimTrailingSpaces)
{
    std::vector<shell::PictureSegment> shape;
    for (const Segment& segment : m_segments) {
        shell::PictureSegment s;
        s.literal = segment.literal;
        s.hasField = segment.field != nullptr;
        if (segment.field)
            s.mask = segment.field->GetMask();
        shape.push_back(s);
    }
    const std::vector<std::string> parts = shell::SplitPictureText(shape, text, skipSeparators, trimTrailingSpaces);
    size_t next = 0;
    for (const Segment& segment : m_segments)
        if (segment.field && next < parts.size())
            segment.field->SetWindowText(parts[next++].c_str());
}

void CEditPic::GetText(CString& out, bool withSeparators) const
{
    std::string text;
    for (const Segment& segment : m_segments) {
        if (withSeparators)
            text += segment.literal;
        if (segment.field)
            text += static_cast<const char*>(segment.field->GetWindowText());
    }
    out = text.c_str();
}

void CEditPic::GetTextBuffer(char* dst, int size, bool withSeparators) const
{
    if (!dst || size <= 0)
        return;
    CString text;
    GetText(text, withSeparators);
    const int n = std::min(text.GetLength(), size - 1);
    std::memcpy(dst, static_cast<const char*>(text), static_cast<size_t>(n));
    dst[n] = '\0';
}

void CEditPic::SetFont(CFont* font, bool redraw)
{
    m_font = font;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? static_cast<HFONT>(*font) : nullptr), redraw);
}

int CEditPic::GetFieldCount() const
{
    return static_cast<int>(std::count_if(m_segments.begin(), m_segments.end(),
                                          [](const Segment& s) { return s.field != nullptr; }));
}

CEditPart* CEditPic::GetField(int index) const
{
    for (const Segment& segment : m_segments)
        if (segment.field && index-- == 0)
            return segment.field;
    return nullptr;
}

CRect CEditPic::GetFieldRect(int index) const
{
    for (const Segment& segment : m_segments)
        if (segment.field && index-- == 0)
            return segment.fieldRect;
    return CRect();
}

CRect CEditPic::GetLiteralRect(int segment) const
{
    return segment >= 0 && segment < static_cast<int>(m_segments.size())
               ? m_segments[static_cast<size_t>(segment)].literalRect
               : CRect();
}

// ---------------------------------------------------------------- field moves

int CEditPic::SegmentOf(const CEditPart* field) const
{
    for (size_t i = 0; i < m_segments.size(); ++i)
        if (m_segments[i].field && m_segments[i].field->m_hWnd == field->m_hWnd)
            return static_cast<int>(i);
    return -1;
}

CEditPart* CEditPic::FieldAfter(int segment, int step) const
{
    for (int i = segment + step; i >= 0 && i < static_cast<int>(m_segments.size()); i += step)
        if (m_segments[static_cast<size_t>(i)].field)
            return m_segments[static_cast<size_t>(i)].field;
    return nullptr;
}

int CEditPic::MoveToPrevious(CEditPart* field, int)
{
    CEditPart* previous = FieldAfter(SegmentOf(field), -1);
    if (!previous)
        return 0;
    previous->SetFocus();
    const int caret = static_cast<int>(previous->GetMask().size()) - 1;
    previous->SetSel(caret, caret);
    return 1;
}

int CEditPic::MoveToNext(CEditPart* field, int)
{
    CEditPart* next = FieldAfter(SegmentOf(field), 1);
    if (!next)
        return 0;
    next->SetFocus();
    next->SetSel(0, -1);
    return 1;
}

int CEditPic::OnFieldKey(CEditPart* field, int key)
{
    const int segment = SegmentOf(field);
    if (segment < 0)
        return 0;
    const bool shift = Pressed(VK_SHIFT);
    const bool ctrl = Pressed(VK_CONTROL);
    int start = 0, end = 0;
    field->GetSel(start, end);
    CEditPart* first = FieldAfter(-1, 1);
    switch (key) {
    case VK_BACK:
        if (shift || ctrl || field == first)
            break;
        if (start != end) {
            field->ReplaceSel("", TRUE);
            return 1;
        }
        if (start == 0) {
            CEditPart* previous = FieldAfter(segment, -1);
            previous->SetFocus();
            const int length = previous->GetWindowTextLength();
            if (length > 0) {
                previous->SetSel(length - 1, length);
                previous->ReplaceSel("", TRUE);
            }
            return 1;
        }
        break;
    case VK_HOME:
        if (shift)
            break;
        first->SetFocus();
        first->SetSel(0, 0);
        return 1;
    case VK_END:
        if (shift)
            break;
        if (CEditPart* last = FieldAfter(static_cast<int>(m_segments.size()), -1)) {
            last->SetFocus();
            const int length = last->GetWindowTextLength();
            last->SetSel(length, length);
        }
        return 1;
    case VK_LEFT:
    case VK_UP:
        if (!ctrl || shift)
            break;
        if (start == 0 && MoveToPrevious(field, key)) {
            CEditPart* previous = FieldAfter(segment, -1);
            previous->SetSel(0, 0);
        } else {
            field->SetSel(0, 0);
        }
        return 1;
    case VK_RIGHT:
    case VK_DOWN:
        if (!ctrl || shift)
            break;
        if (!MoveToNext(field, key)) {
            const int caret = static_cast<int>(field->GetMask().size());
            field->SetSel(caret, caret);
        }
        return 1;
    case VK_TAB:
        if (ctrl)
            break;
        if (CWindow parent = GetParent(); parent.m_hWnd) {
            HWND next = GetNextDlgTabItem(parent.m_hWnd, m_hWnd, shift);
            if (next)
                ::SetFocus(next);
        }
        return 0;
    default:
        break;
    }
    // The separator after a field, typed, jumps to the next one (a key code of
    // the same value, such as Delete for '.', does not).
    const MSG* current = GetCurrentMessage();
    const size_t after = static_cast<size_t>(segment) + 1;
    if (current && current->message == WM_CHAR && key >= 0x20 && key < 0x7F && after < m_segments.size() &&
        !m_segments[after].literal.empty() && key == static_cast<unsigned char>(m_segments[after].literal[0]) &&
        FieldAfter(segment, 1)) {
        MoveToNext(field, key);
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------- window messages

void CEditPic::OnPaint()
{
    CPaintDC dc(m_hWnd);
    const CRect client = GetClientRect();
    dc.FillSolidRect(&client, GetSysColor(COLOR_WINDOW));
    if (GetStyle() & WS_BORDER)
        dc.FrameRect(&client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const HGDIOBJ old = SelectObject(dc, shell::GetUiFont());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(IsWindowEnabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    for (const Segment& segment : m_segments) {
        CRect meet;
        if (!segment.literal.empty() && meet.IntersectRect(&segment.literalRect, &client))
            dc.TextOut(segment.literalRect.left, segment.literalRect.top, segment.literal.c_str(),
                       static_cast<int>(segment.literal.size()));
    }
    SelectObject(dc, old);
}

void CEditPic::OnLButtonDown(UINT flags, CPoint point)
{
    const CRect client = GetClientRect();
    point.x = std::clamp(point.x, client.left + 1, std::max(client.left + 1, client.right - 2));
    point.y = std::clamp(point.y, client.top + 1, std::max(client.top + 1, client.bottom - 2));
    for (size_t i = 0; i < m_segments.size(); ++i) {
        const Segment& segment = m_segments[i];
        CEditPart* target = nullptr;
        CPoint at;
        if (segment.literalRect.PtInRect(point)) {
            if (segment.field) {
                target = segment.field;
                at = CPoint(0, point.y - segment.fieldRect.top);
            } else if ((target = FieldAfter(static_cast<int>(i), -1)) != nullptr) {
                const CRect r = m_segments[static_cast<size_t>(SegmentOf(target))].fieldRect;
                at = CPoint(r.Width() - 1, point.y - r.top);
            }
        } else if (segment.field && segment.fieldRect.PtInRect(point)) {
            target = segment.field;
            at = CPoint(point.x - segment.fieldRect.left, point.y - segment.fieldRect.top);
        }
        if (target) {
            target->SendMessage(WM_LBUTTONDOWN, flags, MAKELPARAM(at.x, at.y));
            target->SendMessage(WM_LBUTTONUP, flags & ~MK_LBUTTON, MAKELPARAM(at.x, at.y));
            return;
        }
    }
    Default();
}

void CEditPic::OnSetFocus(CWindow)
{
    if (CEditPart* first = FieldAfter(-1, 1)) {
        first->SetFocus();
        first->SetSel(0, -1);
    }
}

void CEditPic::OnEnable(BOOL enable)
{
    Default();
    for (const Segment& segment : m_segments)
        if (segment.field)
            segment.field->EnableWindow(enable);
    Invalidate(TRUE);
}

LRESULT CEditPic::OnSetText(WPARAM, LPARAM text)
{
    SetText(reinterpret_cast<const char*>(text), true, true);
    return TRUE;
}

LRESULT CEditPic::OnGetText(WPARAM size, LPARAM buffer)
{
    auto* dst = reinterpret_cast<char*>(buffer);
    if (!dst || size == 0)
        return 0;
    GetTextBuffer(dst, static_cast<int>(size), true);
    return static_cast<LRESULT>(std::strlen(dst));
}

LRESULT CEditPic::OnGetTextLength(WPARAM, LPARAM)
{
    CString text;
    GetText(text, true);
    return text.GetLength();
}

BOOL CEditPic::OnCommand(WPARAM w, LPARAM l)
{
    const int code = HIWORD(w);
    const bool editNotice = code == EN_SETFOCUS || code == EN_KILLFOCUS || code == EN_CHANGE || code == EN_UPDATE ||
                            code == EN_ERRSPACE || code == EN_MAXTEXT || code == EN_HSCROLL || code == EN_VSCROLL;
    if (editNotice && l) {
        // Offered to the parent as the picture edit's own notification first.
        if (CWnd* parent = CWnd::FromHandlePermanent(::GetParent(m_hWnd));
            parent && parent->OnCmdMsg(static_cast<UINT>(GetDlgCtrlID()), code, nullptr, nullptr))
            return TRUE;
    }
    return CWnd::OnCommand(w, l);
}
