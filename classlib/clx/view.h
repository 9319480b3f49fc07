#pragma once
// CView: a child window that shows a document. It draws through OnDraw,
// hears of changes through OnUpdate, becomes its frame's active view when
// clicked, and passes commands on to its document. Views are made by their
// frame with `new` and delete themselves after WM_NCDESTROY.
#include "clx/frame.h"

class CDocument;
struct CPrintInfo;

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)
public:
  CDocument* GetDocument() const { return m_pDocument; }
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;

  virtual void OnInitialUpdate();
  // Default: the whole view is repainted.
  virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
  virtual void OnDraw(CDC* dc) = 0;
  virtual void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr);
  // Activation by the frame: the view taking over gets the focus.
  virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView);
  virtual void OnActivateFrame(UINT, CFrameWnd*) {}

  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) override;

protected:
  friend class CDocument;
  CDocument* m_pDocument = nullptr;

  void PostNcDestroy() override;
  int OnCreate(CREATESTRUCT* cs);
  void OnDestroy();
  void OnPaint();
  int OnMouseActivate(CWindow desktop, UINT hitTest, UINT message);
  LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()
};
