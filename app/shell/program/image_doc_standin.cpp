#include "app/shell/program/image_doc_standin.h"

IMPLEMENT_DYNCREATE(CImageDocStandIn, CDocument)
IMPLEMENT_DYNCREATE(CImageViewStandIn, CView)
