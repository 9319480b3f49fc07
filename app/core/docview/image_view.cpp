#include "app/core/docview/image_view.h"

#include "app/core/record/image_record.h"
#include "clx/document.h"

IMPLEMENT_DYNCREATE(CImageView, CImageDisplayView)

CImageView* CImageView::activeView_ = nullptr;

namespace {

// Curves, colour balance, sharpening, size and resolution, white balance,
// exposure and noise reduction: what a saved file would carry differently.
constexpr uint32_t kModifyingHints = 0x67 | 0x700;
constexpr uint32_t kHintNoModify = 0x8000;

}  // namespace

CImageView::~CImageView()
{
    if (activeView_ == this)
        activeView_ = nullptr;
}

IImageViewDocument* CImageView::GetImageDocument() const
{
    return dynamic_cast<IImageViewDocument*>(GetDocument());
}

CImageRecord* CImageView::GetRecord() const
{
    IImageViewDocument* doc = GetImageDocument();
    return doc ? &doc->GetImageRecord() : nullptr;
}

bool CImageView::IsRawImage() const
{
    const IImageViewDocument* doc = GetImageDocument();
    return doc && doc->IsRawImage();
}

bool CImageView::ShouldFitToWindow() const
{
    // Until a zoom was set up for the record the window fits the image.
    const CImageRecord* record = GetRecord();
    if (record && !record->fitted)
        return true;
    return CImageDisplayView::ShouldFitToWindow();
}

void CImageView::UpdateAdjustments(uint32_t hints, bool unadjusted, CImageRecord* item)
{
    CImageDisplayView::UpdateAdjustments(hints, unadjusted, item);
    if (!(hints & kHintNoModify) && (hints & kModifyingHints)) {
        if (CDocument* doc = GetDocument())
            doc->SetModifiedFlag(TRUE);
    }
}

void CImageView::OnInitialUpdate()
{
    CImageRecord* record = GetRecord();
    if (record)
        record->view = this;
    SetRecord(record);
    BuildPipeline(kHintBuildAll, 0.0);
    if (IImageViewDocument* doc = GetImageDocument())
        doc->SetShortTitle();
    CImageDisplayView::OnInitialUpdate();
}

void CImageView::OnActivateView(BOOL activate, CView* activateView, CView* deactiveView)
{
    if (activate && activeView_ != this) {
        activeView_ = this;
        if (HWND main = GetImageViewHost().GetMainWindow())
            ::SendMessageA(main, kWmSetPaletteTarget, kTargetOne, reinterpret_cast<LPARAM>(GetRecord()));
    }
    CImageDisplayView::OnActivateView(activate, activateView, deactiveView);
}
