// Stand-ins for the image document and its view, with which the document
// templates are made until the image documents arrive: a new document is an
// empty window, and no file opens (the base document reads nothing).
#pragma once

#include "clx/document.h"
#include "clx/view.h"

class CImageDocStandIn : public CDocument {
    DECLARE_DYNCREATE(CImageDocStandIn)
};

class CImageViewStandIn : public CView {
    DECLARE_DYNCREATE(CImageViewStandIn)
public:
    void OnDraw(CDC*) override {}
};
