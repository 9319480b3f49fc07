// Stand-ins for the camera image document and its view, with which the camera
// image template is made until the camera documents arrive: a new document
// is an empty window, and no file opens (the base document reads nothing).
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
