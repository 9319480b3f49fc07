// The view's adjustment clipboard: copy places the record's settings objects
// under the private format, paste applies them to the view's record or,
// through the palettes, to the thumbnails selected in the camera image window.
#include "app/core/docview/image_display_view.h"

#include "app/core/engine/image_open.h"
#include "app/core/record/image_record.h"

namespace {

AdjustmentPalette PaletteOf(int32_t section)
{
    return static_cast<AdjustmentPalette>(section);
}

uint32_t MaskOf(const CopySettingsChoice& choice)
{
    // Noise reduction is never offered.
    return (choice.curves ? qz::kAdjustCurves : 0) | (choice.colourAdjustment ? qz::kAdjustColourBalance : 0) |
           (choice.sizeResolution ? qz::kAdjustSizeRes : 0) | (choice.unsharpMask ? qz::kAdjustUsm : 0) |
           (choice.exposure ? qz::kAdjustExposure : 0) | (choice.whiteBalance ? qz::kAdjustWhiteBalance : 0);
}

}  // namespace

bool OpenClipboardPatiently(HWND owner)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (::OpenClipboard(owner))
            return true;
        ::Sleep(10);
    }
    return false;
}

bool CImageDisplayView::CopyAdjustments(uint32_t mask)
{
    const CImageRecord* record = GetRecord();
    if (!mask || !record)
        return false;
    // Measured before the clipboard is emptied, so that a block that cannot be made costs the user nothing.
    const int64_t size = qz::MeasureAdjustmentBlock(*record, mask);
    if (size <= 0)
        return false;
    if (!OpenClipboardPatiently(m_hWnd))
        return false;
    // Emptying tells the previous owner, this view too, to free its block.
    if (!::EmptyClipboard()) {
        ::CloseClipboard();
        return false;
    }
    clipboardBlock_ = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(size));
    if (!clipboardBlock_) {
        ::CloseClipboard();
        return false;
    }
    bool placed = false;
    if (void* bytes = ::GlobalLock(clipboardBlock_)) {
        placed = qz::WriteAdjustmentBlock(*record, mask, static_cast<uint8_t*>(bytes), size);
        ::GlobalUnlock(clipboardBlock_);
        placed = placed && ::SetClipboardData(qz::kAdjustmentClipboardFormat, clipboardBlock_);
    }
    if (!placed) {
        ::GlobalFree(clipboardBlock_);
        clipboardBlock_ = nullptr;
    }
    ::CloseClipboard();
    return placed;
}

LRESULT CImageDisplayView::OnDestroyClipboard(WPARAM, LPARAM)
{
    Default();
    if (clipboardBlock_) {
        ::GlobalFree(clipboardBlock_);
        clipboardBlock_ = nullptr;
    }
    return 0;
}

void CImageDisplayView::OnCopyImageAdjustments()
{
    IImageViewHost& host = GetImageViewHost();
    const std::optional<CopySettingsChoice> choice = host.AskCopySettings();
    if (choice && !CopyAdjustments(MaskOf(*choice)))
        host.ShowMessage(kMessageClipboardWriteFailed);
}

void CImageDisplayView::OnCopyAllAdjustments()
{
    if (!CopyAdjustments(qz::kAdjustAll))
        GetImageViewHost().ShowMessage(kMessageClipboardWriteFailed);
}

void CImageDisplayView::OnUpdateCopyAdjustments(CCmdUI* cmdUI)
{
    cmdUI->Enable(GetRecord() != nullptr);
}

void CImageDisplayView::OnUpdatePaste(CCmdUI* cmdUI)
{
    cmdUI->Enable(::IsClipboardFormatAvailable(qz::kAdjustmentClipboardFormat) &&
                  (GetRecord() || GetImageViewHost().GetSelectedThumbnailCount() > 1));
}

void CImageDisplayView::OnPaste()
{
    IImageViewHost& host = GetImageViewHost();
    CImageRecord* record = GetRecord();
    if (!record && host.GetSelectedThumbnailCount() < 2)
        return;
    if (!::IsClipboardFormatAvailable(qz::kAdjustmentClipboardFormat) || !OpenClipboardPatiently(m_hWnd))
        return;
    HANDLE data = ::GetClipboardData(qz::kAdjustmentClipboardFormat);
    const void* bytes = data ? ::GlobalLock(data) : nullptr;
    qz::AdjustmentBlock block;
    // Any program may put data of its own under the first private format:
    // the block is read within the size really allocated.
    if (!bytes || !qz::ReadAdjustmentBlock(static_cast<const uint8_t*>(bytes), ::GlobalSize(data), block)) {
        if (bytes)
            ::GlobalUnlock(data);
        ::CloseClipboard();
        host.ShowMessage(kMessageClipboardReadFailed);
        return;
    }
    uint32_t applied = 0;
    if (record)
        applied = PasteOntoRecord(block, *record);
    else
        PasteOntoThumbnails(block);
    ::GlobalUnlock(data);
    UpdateAdjustments(applied);
    host.RefreshPalette(AdjustmentPalette::kImageEnhancements);
    if (!record)
        host.SaveSelectedThumbnailSettings();
    ::CloseClipboard();
}

uint32_t CImageDisplayView::PasteOntoRecord(const qz::AdjustmentBlock& block, CImageRecord& record)
{
    IImageViewHost& host = GetImageViewHost();
    qz::AdjustmentPasteTarget target;
    target.takesRawSettings = !record.tags || GetImageFileKind(record.tags) == kFileKindRaw;
    if (!GetDevelopedImageSize(record.imageData, &target.width, &target.height))
        target.width = target.height = 0;
    const uint32_t applied = qz::ApplyAdjustmentBlock(block, record, target);

    // The palettes follow in the block's order, each with the flag now in the record.
    for (int32_t section = 0; section < qz::kSectionNoiseReduction; ++section) {
        if (!(applied & qz::kSectionBits[section]))
            continue;
        const AdjustmentPalette palette = PaletteOf(section);
        if (section != qz::kSectionSizeRes)
            host.SetPaletteEnabled(palette, block.sections[section].flag != 0, record);
        switch (section) {
        case qz::kSectionCurves:
        case qz::kSectionColourBalance:
            // Curves and Color Balance share the histogram and the monitor's tables.
            chain_->CompleteHistogram(true);
            host.RefreshPalette(AdjustmentPalette::kCurves);
            host.RefreshPalette(AdjustmentPalette::kColourAdjust);
            break;
        case qz::kSectionSizeRes:
            host.RefreshPalette(palette);
            UpdateCropFrame(false, false);
            break;
        case qz::kSectionWhiteBalance:
            host.KeepGrayPointRatios();
            host.RefreshPalette(palette);
            break;
        default:
            host.RefreshPalette(palette);
            break;
        }
    }
    return applied;
}

void CImageDisplayView::PasteOntoThumbnails(const qz::AdjustmentBlock& block)
{
    IImageViewHost& host = GetImageViewHost();
    CQzRecordSettings loaded;
    IQzState* objects[] = {&loaded.curves, &loaded.colourBalance, &loaded.sizeRes,
                           &loaded.usm,    &loaded.exposure,      &loaded.whiteBalance};
    for (int32_t section = 0; section < qz::kSectionNoiseReduction; ++section) {
        const qz::AdjustmentSection& read = block.sections[section];
        if (!read.present)
            continue;
        // No image here: the size as for an image whose size is unknown.
        const int32_t taken = section == qz::kSectionSizeRes
                                  ? loaded.sizeRes.SetDataForImage(read.blob, read.blobSize, 0, 0)
                                  : objects[section]->SetData(read.blob, read.blobSize);
        // A refused blob would hand a new object's defaults on to every selected image.
        if (taken)
            host.LoadPaletteSettings(PaletteOf(section), *objects[section], read.flag);
    }
}
