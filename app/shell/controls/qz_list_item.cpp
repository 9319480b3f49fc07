#include "app/shell/controls/qz_list_item.h"

IMPLEMENT_DYNAMIC(CQzListItem, CObject)

void CQzListItem::Destroy()
{
    delete this;
}

int CQzListItem::OnKeyDown(CQzListBox*, UINT, UINT, UINT, const RECT*)
{
    return kNotHandled;
}

int CQzListItem::OnLButtonDown(CQzListBox*, UINT, const RECT*, const POINT*, BOOL)
{
    return kNotHandled;
}

int CQzListItem::OnLButtonUp(CQzListBox*, UINT, const RECT*, const POINT*)
{
    return kNotHandled;
}

int CQzListItem::OnMouseMove(CQzListBox*, UINT, const RECT*, const POINT*)
{
    return kNotHandled;
}

void CQzListItem::CaptureLost() {}
