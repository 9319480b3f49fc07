#include "clx/menu.h"

#include "clx/resources.h"

BOOL CMenu::LoadMenu(UINT id) { return Own(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id))); }

BOOL CMenu::DestroyMenu() {
  HMENU h = Detach();
  return h && m_bOwned ? ::DestroyMenu(h) : FALSE;
}

CString CMenu::GetMenuString(UINT item, UINT flags) const {
  int n = ::GetMenuStringA(m_hMenu, item, nullptr, 0, flags);
  if (n <= 0) return {};
  CString text;
  n = ::GetMenuStringA(m_hMenu, item, text.GetBufferSetLength(n + 1), n + 1, flags);
  text.ReleaseBuffer(n);
  return text;
}
