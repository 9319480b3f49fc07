// CImageDisplayView: the window that shows an image record through its
// display chain. It paints the chain's BGR tiles straight to the screen, one
// tile per WM_PAINT so that the message loop keeps running while tiles are
// computed, fills the room right of and below the image with the background
// pattern, and carries the zoom commands and the scroll sizes. The image
// views of the documents derive from it and bind it to their record.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "app/core/clipboard/adjustment_block.h"
#include "app/core/display/display_chain.h"
#include "app/core/view_model/view_rect.h"
#include "clx/gdi.h"
#include "clx/scrollview.h"
#include "app/core/text/string_resource.h"

class CImageRecord;
class IQzState;

// Private message to the main window: the temporary disk (page files) is full.
inline constexpr UINT kWmTempDiskFull = 0x8019;

// Commands and the resource the view answers to.
inline constexpr UINT kCmdViewEntireImage = 32781;
inline constexpr UINT kCmdFitWindowToImage = 32782;
inline constexpr UINT kCmdZoomIn = 32787;
inline constexpr UINT kCmdZoomOut = 32788;
inline constexpr UINT kBackgroundBitmapId = 275;
// The crop frame's animation timer.
inline constexpr UINT_PTR kCropAnimationTimer = 1002;

// The adjustment clipboard: its commands, its messages, and the choices of
// the copy-settings dialog.
inline constexpr UINT kCmdCopyImageAdjustments = 32780;
inline constexpr UINT kCmdCopyAllAdjustments = 32856;
inline constexpr UINT kCmdPaste = 57637;
inline constexpr int32_t kMessageClipboardWriteFailed = qz::StringId(9749);
inline constexpr int32_t kMessageClipboardReadFailed = qz::StringId(9750);

// Opens the clipboard for a window, trying again for a fifth of a second:
// another program (a clipboard viewer, the system's clipboard service) may
// hold it for a moment after each change.
bool OpenClipboardPatiently(HWND owner);

struct CopySettingsChoice {
    bool curves = false;
    bool colourAdjustment = false;
    bool sizeResolution = false;
    bool unsharpMask = false;
    bool exposure = false;
    bool whiteBalance = false;
};

// The palettes a paste keeps in step; the first six in the order of the
// clipboard block's sections.
enum class AdjustmentPalette : int32_t {
    kCurves,
    kColourAdjust,
    kSizeRes,
    kUnsharpMask,
    kExposure,
    kWhiteBalance,
    kImageEnhancements
};

// What the view asks of the program around it. The application implements
// it; until one is installed a quiet host answers (no idle work, no main
// window, no drawing manager).
class IImageViewHost {
public:
    // One slice of the application's idle work.
    virtual void DoIdleWork() = 0;
    // While set, views paint nothing.
    virtual bool IsPaintSuspended() const = 0;
    // The synchronous-painting mark: 0 off, 1 paint the whole region at
    // once, 2 the same under the wait cursor.
    virtual int32_t GetSynchronousPainting() const = 0;
    virtual void SetSynchronousPainting(int32_t mark) = 0;
    // Paints the main window and its descendants at once.
    virtual void RedrawMainWindowNow() = 0;
    virtual HWND GetMainWindow() const = 0;
    // The "fit image to window" preference.
    virtual bool GetAutoFitToWindow() const = 0;
    // The navigator palette's frame of the visible part.
    virtual void RefreshNavigatorFrame() = 0;
    // The drawing tile manager on which display chains are made.
    virtual IVorlatManager* GetDrawingManager() const = 0;
    virtual void AddIdleClient(CVorlatFilterHistogram* histogram) = 0;
    virtual void RemoveIdleClient(CVorlatFilterHistogram* histogram) = 0;
    virtual DisplayGridSettings GetGridSettings() const = 0;
    virtual void ShowMessage(int32_t id) = 0;
    virtual void ShowSharpeningWarning(bool show) = 0;
    // The curves palette redraws the histogram.
    virtual void HistogramChanged() = 0;
    // A setting of the settings store by its number.
    virtual int32_t GetIntSetting(uint32_t id, int32_t fallback) const = 0;

    // The adjustment clipboard. The copy-settings dialog, modal; nothing
    // when it was cancelled.
    virtual std::optional<CopySettingsChoice> AskCopySettings() = 0;
    // The palette's apply box, after a paste set the record's flag.
    virtual void SetPaletteEnabled(AdjustmentPalette palette, bool on, CImageRecord& record) = 0;
    // The palette's apply box and controls from the active record.
    virtual void RefreshPalette(AdjustmentPalette palette) = 0;
    // The white-balance palette keeps the pasted gray-point ratios.
    virtual void KeepGrayPointRatios() = 0;
    // The palette applies the settings to every selected thumbnail's record.
    virtual void LoadPaletteSettings(AdjustmentPalette palette, const IQzState& settings, uint8_t on) = 0;
    // Writes the settings file of every selected thumbnail again.
    virtual void SaveSelectedThumbnailSettings() = 0;

    // The mouse tools. The current tool: 1 zoom, 2 selection, 3 grab, 4 to
    // 6 the palettes' sampling tools.
    virtual int32_t GetCursorMode() const = 0;
    // The size palette's fields follow the crop frame.
    virtual void RefreshSizeFields() = 0;
    // An open size palette applies crop changes to the image itself.
    virtual bool IsSizePaletteOpen() const = 0;
    // The information palette's read-out: the pixel position and six
    // colour values, -1 for a blank field.
    virtual void ShowInformation(int32_t x, int32_t y, const int32_t values[6]) = 0;
    virtual void ClearInformation() = 0;
    // Thumbnails selected in the camera image window.
    virtual int32_t GetSelectedThumbnailCount() const = 0;
    // A selected thumbnail's record in the camera image window, and its
    // picture after a flip or rotation.
    virtual CImageRecord* GetSelectedThumbnailRecord(int32_t index) const = 0;
    virtual void RefreshThumbnail(int32_t index) = 0;

    // The hand-offs to the outside image editor and the camera curve sample.
    virtual void SetIntSetting(uint32_t id, int32_t value) = 0;
    virtual std::string GetStringSetting(uint32_t id) const = 0;
    // OLE was initialised at start-up.
    virtual bool IsOleInitialized() const = 0;
    // A message box of the string id with MB_ flags; the button pressed.
    virtual int32_t ShowMessageBox(uint32_t id, uint32_t type) = 0;
    // The program's folder, ending with a backslash.
    virtual std::string GetProgramFolder() const = 0;
    // A run of the progress window of `steps` steps under the caption's
    // string id; 0 steps ends the run.
    virtual void BeginProgress(int32_t steps, uint32_t captionId) = 0;

protected:
    ~IImageViewHost() = default;
};

// Answers as if no program were around: no main window, no manager, the
// settings' defaults. The default host, and the base of tests' hosts.
class CQuietViewHost : public IImageViewHost {
public:
    virtual ~CQuietViewHost() = default;
    void DoIdleWork() override {}
    bool IsPaintSuspended() const override { return false; }
    int32_t GetSynchronousPainting() const override { return mark_; }
    void SetSynchronousPainting(int32_t mark) override { mark_ = mark; }
    void RedrawMainWindowNow() override {}
    HWND GetMainWindow() const override { return nullptr; }
    bool GetAutoFitToWindow() const override { return false; }
    void RefreshNavigatorFrame() override {}
    IVorlatManager* GetDrawingManager() const override { return nullptr; }
    void AddIdleClient(CVorlatFilterHistogram*) override {}
    void RemoveIdleClient(CVorlatFilterHistogram*) override {}
    DisplayGridSettings GetGridSettings() const override { return {}; }
    void ShowMessage(int32_t) override {}
    void ShowSharpeningWarning(bool) override {}
    void HistogramChanged() override {}
    int32_t GetIntSetting(uint32_t, int32_t fallback) const override { return fallback; }
    int32_t GetSelectedThumbnailCount() const override { return 0; }
    std::optional<CopySettingsChoice> AskCopySettings() override { return std::nullopt; }
    void SetPaletteEnabled(AdjustmentPalette, bool, CImageRecord&) override {}
    void RefreshPalette(AdjustmentPalette) override {}
    void KeepGrayPointRatios() override {}
    void LoadPaletteSettings(AdjustmentPalette, const IQzState&, uint8_t) override {}
    void SaveSelectedThumbnailSettings() override {}
    int32_t GetCursorMode() const override { return 0; }
    void RefreshSizeFields() override {}
    bool IsSizePaletteOpen() const override { return false; }
    void ShowInformation(int32_t, int32_t, const int32_t*) override {}
    void ClearInformation() override {}
    CImageRecord* GetSelectedThumbnailRecord(int32_t) const override { return nullptr; }
    void RefreshThumbnail(int32_t) override {}
    void SetIntSetting(uint32_t, int32_t) override {}
    std::string GetStringSetting(uint32_t) const override { return {}; }
    bool IsOleInitialized() const override { return false; }
    int32_t ShowMessageBox(uint32_t, uint32_t) override { return IDNO; }
    std::string GetProgramFolder() const override { return {}; }
    void BeginProgress(int32_t, uint32_t) override {}

private:
    int32_t mark_ = 0;
};

// Null puts back the quiet host. Not owned.
void SetImageViewHost(IImageViewHost* host);
IImageViewHost& GetImageViewHost();

class CImageDisplayView : public CScrollView, private IDisplayChainSink {
    DECLARE_DYNAMIC(CImageDisplayView)
public:
    // The chain is made on the host's drawing manager.
    CImageDisplayView();
    ~CImageDisplayView() override;

    // The record shown; not owned. Derived views bind their document's.
    virtual CImageRecord* GetRecord() const;
    void SetRecord(CImageRecord* record);
    CImageDisplayChain& GetChain() { return *chain_; }

    // Scale 0.0: the record's display scale.
    void BuildPipeline(uint32_t hints, double scale);
    // Pushes the record's changed adjustments into the chain; unadjusted
    // shows the image without them; item: the record to take them from,
    // null for the view's own.
    virtual void UpdateAdjustments(uint32_t hints, bool unadjusted = false, CImageRecord* item = nullptr);

    // Sets the filters for the display scale (the record holds it already).
    void SetZoom(double scale);
    // The caption's zoom text, " @ 50%"; empty without a record.
    std::string FormatZoomCaption() const;
    // The part of the image in the client area, in image pixels.
    RECT GetVisibleRect() const;
    virtual bool ShouldFitToWindow() const;

    void SetScrollSizes(int mapMode, SIZE total, const SIZE& page = sizeDefault,
                        const SIZE& line = sizeDefault) override;

    // Set by a zoom, cleared by a paint that leaves nothing invalid.
    bool NeedsPainting() const { return needsPainting_; }

    // Places the sections the mask selects (update-hint bits) on the
    // clipboard; false when nothing was placed.
    bool CopyAdjustments(uint32_t mask);
    // The block this view placed on the clipboard, until the clipboard is
    // emptied; the system does not free private formats.
    HGLOBAL GetClipboardBlock() const { return clipboardBlock_; }

    // Double clicks, and no cursor or brush: the view sets its cursor and paints all of itself.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnDraw(CDC* dc) override;
    void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;

protected:
    // Zoom In or Zoom Out from the record's scale, keeping the image point
    // under the client centre there.
    void Zoom(bool zoomIn);
    // Puts the view pixel at the client centre, within the scroll range.
    void CenterOn(POINT viewPoint);

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    void OnHScroll(UINT code, UINT pos, CWindow bar);
    void OnVScroll(UINT code, UINT pos, CWindow bar);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnZoomIn();
    void OnZoomOut();
    void OnUpdateZoomIn(CCmdUI* cmdUI);
    void OnUpdateZoomOut(CCmdUI* cmdUI);
    void OnViewEntireImage();
    void OnFitWindowToImage();
    void OnCopyImageAdjustments();
    void OnCopyAllAdjustments();
    void OnPaste();
    void OnUpdateCopyAdjustments(CCmdUI* cmdUI);
    void OnUpdatePaste(CCmdUI* cmdUI);
    LRESULT OnDestroyClipboard(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

    // ---- The image menu's hand-offs (image_display_view_handoff.cpp): the
    // outside image editor and the camera curves sample.
public:
    static constexpr UINT kCmdUseForCameraCurvesSample = 32810;
    static constexpr UINT kCmdOpenInEditor = 32892;

    // Whether the record's image is raw camera data, the only kind that can
    // be the camera curves sample; the image view answers for its document.
    virtual bool IsRawImage() const { return false; }

protected:
    void OnOpenInEditor();
    void OnUpdateOpenInEditor(CCmdUI* cmdUI);
    void OnUseForCameraCurvesSample();
    void OnUpdateUseForCameraCurvesSample(CCmdUI* cmdUI);

    // ---- The mouse tools, the cursors and the crop frame
    // (image_display_view_mouse.cpp). The crop frame and the zoom band are
    // in half-pixel units of the developed, turned image.
public:
    static constexpr UINT kCmdToggleGridLines = 32853;

    // The crop frame's hit code at a client point; 0x20 outside the image
    // or without a record.
    virtual int32_t HitTestCropFrame(POINT client) const;
    // Sets the cursor for a client point and the modifier keys at once.
    void UpdateCursor(POINT client, bool ctrl, bool shift, bool alt);
    // Draws the crop frame (or the zoom band) on the window at once, in
    // place of the one drawn; a frame of the whole image only when asked.
    void UpdateCropFrame(bool showWhole, bool zoomBand);
    // Invalidates the outline of a frame; the next paint draws it when it
    // becomes the current one.
    void InvalidateCropFrame(const qz::ViewRect& units, bool makeCurrent);
    // Gives the information palette the colour under a client point.
    void SampleColorAt(POINT client);
    // The developed colour around a client point at a stage of the chain
    // (SampleImageColor's stages), averaged over the "DropperSampleSize"
    // square; false, and nothing written, off the image or without a chain.
    bool SampleDevelopedColor(POINT client, int32_t stage, VorlatPixel* result);

protected:
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnCaptureChanged(CWindow newCapture);
    BOOL OnSetCursor(CWindow wnd, UINT hitTest, UINT message);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    void OnSysKeyUp(UINT key, UINT repeat, UINT flags);
    void OnContextMenu(CWindow wnd, CPoint point);
    void OnFlipRotate(UINT id);
    void OnUpdateFlipRotate(CCmdUI* cmdUI);
    void OnSelectEntireImage();
    void OnToggleGrid();
    void OnUpdateToggleGrid(CCmdUI* cmdUI);

private:
    // The crop frame's brushes: XOR while painting, XOR while dragging, and
    // copied by the animation.
    enum CropBrushKind { kBrushPaint, kBrushDragging, kBrushAnimation };
    static constexpr int32_t kNoTool = 0;

    POINT ClientToUnits(POINT client) const;
    HRGN MakeOutlineRegion(const qz::ViewRect& units) const;
    HBRUSH CropBrush(CropBrushKind kind);
    // limit: the client rectangle the drawing stays in, or null.
    void DrawOutline(HDC dc, const qz::ViewRect& units, CropBrushKind kind, const RECT* limit);
    void DrawOutlineNow(const qz::ViewRect& units, CropBrushKind kind);
    void EraseCropFrame();
    // The paint's part of the current frame, in the tile just drawn.
    void DrawCropFrameInTile(CDC& dc, const RECT& drawn);
    // One step of the marching ants (timer 1002).
    void AnimateCropFrame();
    // For the pointer's position; changedKey: a modifier whose message is
    // being handled, down or up.
    void RefreshCursor(UINT changedKey = 0, bool down = false);
    void RefreshCursorAfterPaint();
    bool IsActiveChild() const;
    void ZoomAround(int32_t step, double scale, POINT units, bool fitDocument);
    void ScrollTowards(POINT point);
    void DragTo(POINT point);
    void EndDrag();

    CBrush cropBrushes_[3];
    bool dragging_ = false;
    int32_t dragTool_ = kNoTool;
    int32_t dragMode_ = 0;
    // The effective tool of the last cursor update; none while inactive.
    int32_t rememberedTool_ = kNoTool;
    POINT pressClient_{};
    POINT pressUnits_{};
    POINT pressScroll_{};
    qz::ViewRect pressRect_{};
    bool zoomDrag_ = false;
    bool bandKept_ = false;
    qz::ViewRect zoomBand_{};
    // The frame as last drawn; copied: the animation drew it over the
    // image, so that only a paint takes it away.
    qz::ViewRect shownFrame_{};
    bool frameShown_ = false;
    bool frameCopied_ = false;
    // The stage of the display chain the read-out samples.
    int32_t informationMode_ = 0;

private:
    // IDisplayChainSink
    void InvalidateRect(const RECT& rect, bool erase) override;
    void InvalidateAll(bool erase) override;
    void SetScrollSizes(int32_t width, int32_t height) override;
    void ShowMessage(int32_t id) override;
    void ShowSharpeningWarning(bool show) override;
    void HistogramChanged() override;
    void RotationApplied() override;
    void RefreshCaption() override;
    void ShowWaitCursor(bool show) override;
    void AddIdleClient(CVorlatFilterHistogram* histogram) override;
    void RemoveIdleClient(CVorlatFilterHistogram* histogram) override;
    void UpdateAllViews() override;
    DisplayGridSettings GetGridSettings() const override;

    // The pattern right of and below the image, where the update region needs it.
    void DrawBackground(CDC& dc, const RECT& client, SIZE total, POINT scroll, HRGN update);
    // The first tile in the update region, and where it went in the client
    // area; false when none was drawn.
    bool DrawOneTile(CDC& dc, const RECT& client, SIZE total, POINT scroll, HRGN update, RECT* drawnAt);
    // Validates everything and, for a page-file failure, tells the main window.
    void DrawFailed(IVorlatError* err);
    void ApplyHintScroll();
    void FitToClient(uint32_t hint);
    void FitFrameToImage();

    std::unique_ptr<CImageDisplayChain> chain_;
    CBitmap background_;
    SIZE backgroundSize_{};
    bool needsPainting_ = true;
    bool firstUpdateDone_ = false;
    bool active_ = false;
    int32_t antsPhase_ = 0;

    // Paste onto the view's record, or through the palettes onto the
    // selected thumbnails; answers the update hints of what was applied.
    uint32_t PasteOntoRecord(const qz::AdjustmentBlock& block, CImageRecord& record);
    void PasteOntoThumbnails(const qz::AdjustmentBlock& block);
    HGLOBAL clipboardBlock_ = nullptr;
};
