// CImageView: the view of an image document. It binds the display view to
// the document's record, hands that record to the palettes when it is
// activated (WM_SET_PALETTE_TARGET to the main window) and marks the
// document modified when an adjustment changes.
#pragma once

#include "app/core/docview/image_display_view.h"
#include "app/core/document/palette_target_kind.h"

// What the view asks of its document; the image document implements it.
class IImageViewDocument {
public:
    virtual CImageRecord& GetImageRecord() = 0;
    virtual bool IsRawImage() const = 0;
    // The title from the path name, long paths shortened.
    virtual void SetShortTitle() = 0;

protected:
    ~IImageViewDocument() = default;
};

class CImageView : public CImageDisplayView {
    DECLARE_DYNCREATE(CImageView)
public:
    ~CImageView() override;

    // The view whose record the palettes edit; null when none.
    static CImageView* GetActiveImageView() { return activeView_; }

    CImageRecord* GetRecord() const override;
    bool IsRawImage() const override;
    bool ShouldFitToWindow() const override;
    // After the chain has the adjustments, a change of curves, colour
    // balance, sharpening, size, white balance, exposure or noise reduction
    // marks the document modified, unless the hints carry 0x8000.
    void UpdateAdjustments(uint32_t hints, bool unadjusted = false, CImageRecord* item = nullptr) override;

    void OnInitialUpdate() override;
    void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;

private:
    IImageViewDocument* GetImageDocument() const;

    static CImageView* activeView_;
};
