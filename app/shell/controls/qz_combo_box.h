// CQzComboBox: an owner-drawn drop-down list (CBS_OWNERDRAWFIXED with
// CBS_HASSTRINGS) whose items carry an integer item data and, per item data,
// an optional label drawn right-aligned in the open list.
#pragma once

#include <map>
#include <string>

#include "clx/controls.h"

class CQzComboBox : public CComboBox {
public:
    CQzComboBox() = default;

    // No list of the program is sorted: a sorted style is refused.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Item data -1 stores the string id itself.
    int AddStringId(UINT stringId, int data);
    int AddItem(const char* text, int data);
    int AddItemWithLabel(const char* text, const char* label, int data);
    virtual void ResetContent();
    using CComboBox::DeleteItem;
    virtual int DeleteItem(int index);
    // 0 with nothing selected, which an item with data 0 also answers.
    int GetSelectedData() const;
    // The last item with that data; 0 and nothing changed when there is none.
    int SelectByData(int data);

    void MeasureItem(MEASUREITEMSTRUCT* mi) override;
    int CompareItem(COMPAREITEMSTRUCT* ci) override;
    void DrawItem(DRAWITEMSTRUCT* di) override;

    int m_itemHeight = 16;

private:
    CString ItemText(UINT index, ULONG_PTR data) const;

    std::map<int, std::string> m_labels;
};
