#include "clx/view.h"

#include "clx/app.h"
#include "clx/document.h"
#include "clx/mdi.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_PAINT()
  ON_WM_MOUSEACTIVATE()
  ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
END_MESSAGE_MAP()

BOOL CView::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                       ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  return TRUE;
}

int CView::OnCreate(CREATESTRUCT* cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  if (auto* context = static_cast<CCreateContext*>(cs->lpCreateParams); context && context->m_pCurrentDoc)
    context->m_pCurrentDoc->AddView(this);
  return 0;
}

void CView::OnDestroy() {
  if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == this) frame->SetActiveView(nullptr, FALSE);
  Default();
}

void CView::PostNcDestroy() {
  // Removing the last view may close the document.
  if (m_pDocument) m_pDocument->RemoveView(this);
  delete this;
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnPrepareDC(CDC*, CPrintInfo*) {}

void CView::OnPaint() {
  CPaintDC dc(m_hWnd);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}

void CView::OnActivateView(BOOL activate, CView* activateView, CView*) {
  if (activate && activateView == this) SetFocus();
}

// A click makes this the frame's active view (and its MDI child the active one).
int CView::OnMouseActivate(CWindow, UINT, UINT) {
  int result = static_cast<int>(Default());
  if (result == MA_NOACTIVATEANDEAT || result == MA_ACTIVATEANDEAT) return result;
  if (CFrameWnd* frame = GetParentFrame()) {
    if (auto* child = dynamic_cast<CMDIChildWnd*>(frame); child && child->GetMDIFrame() &&
                                                          child->GetMDIFrame()->MDIGetActive() != child)
      child->MDIActivate();
    frame->SetActiveView(this);
  }
  return result;
}

BOOL CView::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) {
  if (CWnd::OnCmdMsg(id, code, extra, handlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(id, code, extra, handlerInfo);
}
