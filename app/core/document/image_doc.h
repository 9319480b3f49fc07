// CImageDoc: the document of one image opened from a file. It owns the image
// record, opens it through the image loaders (a raw image is demosaiced once),
// saves it again as raw data with its settings or develops it into TIFF,
// JPEG or BMP, and makes copies of itself in new windows.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/docview/image_view.h"
#include "app/core/record/image_record.h"
#include "clx/document.h"

// Commands of the document.
inline constexpr UINT kCmdFileSave = 57603;
inline constexpr UINT kCmdFileSaveAs = 57604;
inline constexpr UINT kCmdCreateCopy = 32779;

// Save formats (the file library's format codes) and file type indexes of the save dialog.
inline constexpr uint32_t kSaveFormatUnknown = 0x800000;
inline constexpr uint32_t kSaveFormatRaw = 0x100000;

class CImageDoc : public CDocument, public IImageViewDocument {
    DECLARE_DYNCREATE(CImageDoc)
public:
    CImageDoc() = default;

    CImageRecord& GetRecord() { return record_; }
    // IImageViewDocument
    CImageRecord& GetImageRecord() override { return record_; }
    bool IsRawImage() const override { return rawImage_; }
    bool IsOpened() const { return opened_; }
    uint32_t GetSaveFormat() const { return saveFormat_; }
    int32_t GetJpegCompression() const { return jpegCompression_; }
    bool IsCmyk() const { return cmyk_; }
    bool IsSixteenBit() const { return sixteenBit_; }

    // A change of the flag brings the frames' titles (" *") up to date.
    void SetModifiedFlag(BOOL modified = TRUE) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* path) override;
    void OnCloseDocument() override;
    BOOL SaveModified() override;
    BOOL DoFileSave() override;

    // Saves under `path`, or under the name and format chosen in the save
    // dialog when null; true when the file was written.
    bool SaveImageAs(const char* path);
    // The title shown for the path name: long paths end-first after "...".
    void SetShortTitle() override;
    // Takes the source record's settings, images and tags (Create Copy).
    void CopyFrom(const CImageRecord& source);

    // The first document template, through which copies are made; null: the document's own.
    static void SetCopyTemplate(CDocTemplate* tmpl);

protected:
    void OnFileSave();
    void OnFileSaveAs();
    void OnCreateCopy();
    DECLARE_MESSAGE_MAP()

private:
    // SaveImageAs; `keptOriginal` tells the save dialog which file Save left alone.
    bool SaveImage(const char* path, const std::string& keptOriginal);
    // Replaces the raw colour-filter-array image by its demosaiced image.
    void DemosaicRawImage();
    void ReportOpenFailure(const char* path, int32_t result);
    // The title of a copy: free among the MDI children's titles.
    std::string MakeCopyTitleFor() const;

    CImageRecord record_;
    bool rawImage_ = false;
    bool opened_ = false;
    uint32_t saveFormat_ = kSaveFormatUnknown;
    int32_t jpegCompression_ = 5;
    bool cmyk_ = false;
    bool sixteenBit_ = false;
};
