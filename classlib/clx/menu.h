#pragma once
// CMenu: an HMENU, owned (destroyed at the end) when this object made or
// loaded it, lent otherwise (a window's bar, a sub-menu).
#include "clx/string.h"

class CMenu {
public:
  HMENU m_hMenu = nullptr;

  CMenu() = default;
  ~CMenu() { DestroyMenu(); }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;
  CMenu(CMenu&& o) noexcept : m_hMenu(o.m_hMenu), m_bOwned(o.m_bOwned) { o.m_hMenu = nullptr; }
  operator HMENU() const { return m_hMenu; }
  HMENU GetSafeHmenu() const { return m_hMenu; }

  BOOL LoadMenu(UINT id);
  BOOL CreateMenu() { return Own(::CreateMenu()); }
  BOOL CreatePopupMenu() { return Own(::CreatePopupMenu()); }
  BOOL Attach(HMENU menu) { return Own(menu); }  // takes ownership
  void Lend(HMENU menu) { DestroyMenu(); m_hMenu = menu; m_bOwned = false; }  // wraps without owning
  HMENU Detach() { HMENU h = m_hMenu; m_hMenu = nullptr; return h; }
  BOOL DestroyMenu();

  HMENU GetSubMenu(int pos) const { return ::GetSubMenu(m_hMenu, pos); }
  int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
  UINT GetMenuItemID(int pos) const { return ::GetMenuItemID(m_hMenu, pos); }
  UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
  CString GetMenuString(UINT item, UINT flags) const;
  BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, const char* text = nullptr) {
    return ::AppendMenuA(m_hMenu, flags, idOrPopup, text);
  }
  BOOL InsertMenu(UINT pos, UINT flags, UINT_PTR idOrPopup = 0, const char* text = nullptr) {
    return ::InsertMenuA(m_hMenu, pos, flags, idOrPopup, text);
  }
  BOOL ModifyMenu(UINT pos, UINT flags, UINT_PTR idOrPopup = 0, const char* text = nullptr) {
    return ::ModifyMenuA(m_hMenu, pos, flags, idOrPopup, text);
  }
  BOOL RemoveMenu(UINT pos, UINT flags) { return ::RemoveMenu(m_hMenu, pos, flags); }
  BOOL DeleteMenu(UINT pos, UINT flags) { return ::DeleteMenu(m_hMenu, pos, flags); }
  UINT EnableMenuItem(UINT item, UINT flags) { return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, flags)); }
  UINT CheckMenuItem(UINT item, UINT flags) { return ::CheckMenuItem(m_hMenu, item, flags); }
  BOOL CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags) {
    return ::CheckMenuRadioItem(m_hMenu, first, last, item, flags);
  }
  // With TPM_RETURNCMD the chosen id, else non-zero on success.
  BOOL TrackPopupMenu(UINT flags, int x, int y, HWND owner, const RECT* r = nullptr) const {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner, r);
  }

private:
  BOOL Own(HMENU menu) { DestroyMenu(); m_hMenu = menu; m_bOwned = true; return menu != nullptr; }
  bool m_bOwned = false;
};
