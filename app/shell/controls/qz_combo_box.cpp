#include "app/shell/controls/qz_combo_box.h"

#include <cassert>
#include <cstring>

#include "clx/resources.h"

BOOL CQzComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    assert(!(style & CBS_SORT) && "CQzComboBox lists are never sorted");
    return CComboBox::Create(style, rect, parent, id);
}

int CQzComboBox::AddStringId(UINT stringId, int data)
{
    return AddItem(clx::LoadStr(stringId), data == -1 ? static_cast<int>(stringId) : data);
}

int CQzComboBox::AddItem(const char* text, int data)
{
    const int index = AddString(text);
    if (index >= 0)
        SetItemData(index, static_cast<DWORD_PTR>(static_cast<ULONG_PTR>(static_cast<UINT>(data))));
    return index;
}

int CQzComboBox::AddItemWithLabel(const char* text, const char* label, int data)
{
    const int index = AddItem(text, data);
    m_labels[data] = label ? label : "";
    return index;
}

void CQzComboBox::ResetContent()
{
    m_labels.clear();
    CComboBox::ResetContent();
}

int CQzComboBox::DeleteItem(int index)
{
    if (!m_labels.empty())
        m_labels.erase(static_cast<int>(GetItemData(index)));
    return DeleteString(index);
}

int CQzComboBox::GetSelectedData() const
{
    const int selected = GetCurSel();
    return selected == CB_ERR ? 0 : static_cast<int>(GetItemData(selected));
}

int CQzComboBox::SelectByData(int data)
{
    for (int i = GetCount() - 1; i >= 0; --i) {
        if (static_cast<int>(GetItemData(i)) == data) {
            SetCurSel(i);
            return 1;
        }
    }
    return 0;
}

void CQzComboBox::MeasureItem(MEASUREITEMSTRUCT* mi)
{
    mi->itemHeight = static_cast<UINT>(m_itemHeight);
}

// The item being inserted has no index yet (-1): its data is its text.
CString CQzComboBox::ItemText(UINT index, ULONG_PTR data) const
{
    if (index == static_cast<UINT>(-1))
        return data ? CString(reinterpret_cast<const char*>(data)) : CString();
    return GetLBText(static_cast<int>(index));
}

int CQzComboBox::CompareItem(COMPAREITEMSTRUCT* ci)
{
    const CString a = ItemText(ci->itemID1, ci->itemData1);
    const CString b = ItemText(ci->itemID2, ci->itemData2);
    const int order = std::strcmp(a, b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

void CQzComboBox::DrawItem(DRAWITEMSTRUCT* di)
{
    clx::BorrowedDC dc(di->hDC);
    const int saved = dc.SaveDC();
    int back = COLOR_WINDOW;
    int fore = COLOR_WINDOWTEXT;
    if (di->itemState & ODS_DISABLED) {
        back = COLOR_BTNFACE;
        fore = COLOR_GRAYTEXT;
    } else if (di->itemState & ODS_SELECTED) {
        back = COLOR_HIGHLIGHT;
        fore = COLOR_HIGHLIGHTTEXT;
    }
    dc.FillSolidRect(&di->rcItem, GetSysColor(back));
    dc.SetBkColor(GetSysColor(back));
    dc.SetTextColor(GetSysColor(fore));
    if (di->itemID != static_cast<UINT>(-1)) {
        const bool inList = !(di->itemState & ODS_COMBOBOXEDIT);
        RECT r = di->rcItem;
        const int inset = inList ? 2 : 1;
        r.left += inset;
        r.right -= inset;
        const CString text = GetLBText(static_cast<int>(di->itemID));
        dc.DrawText(text, &r, DT_SINGLELINE | DT_VCENTER);
        if (inList) {
            const std::string& label = m_labels[static_cast<int>(di->itemData)];
            if (!label.empty())
                dc.DrawText(label.c_str(), static_cast<int>(label.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        }
    }
    if (di->itemState & ODS_FOCUS)
        dc.DrawFocusRect(&di->rcItem);
    dc.RestoreDC(saved);
}
