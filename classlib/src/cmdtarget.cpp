#include "clx/cmdtarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) {
  clx::MapCall c;
  c.id = id;
  c.code = code;
  c.probe = handlerInfo != nullptr;
  clx::NotifyInfo* notify = nullptr;
  if (code == CN_UPDATE_COMMAND_UI) {
    c.kind = clx::MapKind::CommandUI;
    c.cmdUI = static_cast<CCmdUI*>(extra);
  } else if (code == CN_NOTIFY) {
    notify = static_cast<clx::NotifyInfo*>(extra);
    c.kind = clx::MapKind::Notify;
    c.nmhdr = notify->nmhdr;
    c.code = static_cast<int>(notify->nmhdr->code);
  } else {
    c.kind = clx::MapKind::Command;
  }
  if (!ProcessMap(c)) return FALSE;
  if (handlerInfo) handlerInfo->pTarget = this;
  if (notify && notify->result) *notify->result = c.result;
  return TRUE;
}

bool CCmdTarget::ProcessMap(clx::MapCall&) { return false; }

// ---------------------------------------------------------------- CCmdUI (menu items)

void CCmdUI::Enable(BOOL on) {
  m_bEnableChanged = true;
  if (!m_hMenu) return;
  ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
}

void CCmdUI::SetCheck(int check) {
  if (!m_hMenu) return;
  ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetRadio(BOOL on) {
  if (!m_hMenu) return;
  if (on)
    ::CheckMenuRadioItem(m_hMenu, m_nIndex, m_nIndex, m_nIndex, MF_BYPOSITION);
  else
    ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | MF_UNCHECKED);
}

void CCmdUI::SetText(const char* text) {
  if (!m_hMenu) return;
  // Keep the item's state; only the text changes.
  UINT state = ::GetMenuState(m_hMenu, m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
  ::ModifyMenuA(m_hMenu, m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text);
}

bool CCmdUI::DoUpdate(CCmdTarget* target, bool disableIfNoHandler) {
  m_bEnableChanged = false;
  bool handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr) != FALSE;
  if (!handled && disableIfNoHandler && !m_bEnableChanged) {
    AFX_CMDHANDLERINFO info;
    Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
  }
  return handled;
}
