// The frame and the document windows: the palette target of the active
// window, the camera image window opened and closed by its command, and the
// selected thumbnails' records, through documents that give a target.
#include <vector>

#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/tests/frame_test_support.h"
#include "clx/docmanager.h"
#include "clx/doctemplate.h"
#include "clx/document.h"
#include "clx/msgmap.h"
#include "clx/view.h"

using frametest::FrameTest;

namespace {

CImageRecord* Record(uintptr_t n)
{
    return reinterpret_cast<CImageRecord*>(n);
}

// A document of either kind: it reports the kind and record it is given,
// and its selected thumbnails' records.
class TargetDoc : public CDocument, public IPaletteTargetSource {
    DECLARE_DYNCREATE(TargetDoc)
public:
    static PaletteTargetKind nextKind;
    static CImageRecord* nextRecord;
    PaletteTargetKind kind = nextKind;
    CImageRecord* record = nextRecord;
    std::vector<CImageRecord*> selected{Record(0x51), Record(0x52)};
    std::vector<CImageRecord*> items{Record(0x61), Record(0x62), Record(0x63)};

    void GetPaletteTarget(PaletteTargetKind* k, CImageRecord** r) override
    {
        *k = kind;
        *r = record;
    }
    bool GetSelectedImageSettings(int n, CImageRecord** r, bool byIndex) override
    {
        const std::vector<CImageRecord*>& list = byIndex ? items : selected;
        if (n < 0 || n >= static_cast<int>(list.size()))
            return false;
        *r = list[static_cast<size_t>(n)];
        return true;
    }
};
IMPLEMENT_DYNCREATE(TargetDoc, CDocument)
PaletteTargetKind TargetDoc::nextKind = kTargetOne;
CImageRecord* TargetDoc::nextRecord = Record(0x40);

// A view that shows its image with or without adjustments, and records it.
class PlainView : public CView, public IShowOriginalTarget {
    DECLARE_DYNCREATE(PlainView)
public:
    static bool showOriginalEnabled;
    static bool autoFit;
    static std::vector<int> showOriginal;  // the flags it was given, in order
    static std::vector<LPARAM> hints;      // update hints, in order

    void OnDraw(CDC*) override {}
    void OnUpdate(CView*, LPARAM hint, CObject*) override { hints.push_back(hint); }
    void UpdateAdjustments(unsigned allHints, bool on) override
    {
        EXPECT_EQ(32767u, allHints);
        showOriginal.push_back(on ? 1 : 0);
    }
    bool IsAutoFit() const override { return autoFit; }

protected:
    void OnUpdateShowOriginal(CCmdUI* ui) { ui->Enable(showOriginalEnabled); }
    void OnShowOriginal() {}
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(PlainView, CView)
bool PlainView::showOriginalEnabled = true;
bool PlainView::autoFit = false;
std::vector<int> PlainView::showOriginal;
std::vector<LPARAM> PlainView::hints;

BEGIN_MESSAGE_MAP(PlainView, CView)
    ON_COMMAND(ID_SHOW_ORIGINAL, OnShowOriginal)
    ON_UPDATE_COMMAND_UI(ID_SHOW_ORIGINAL, OnUpdateShowOriginal)
END_MESSAGE_MAP()

class TargetTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        images = new CMultiDocTemplate(IDR_IMAGE_DOC, RUNTIME_CLASS(TargetDoc), RUNTIME_CLASS(CMDIChildWnd),
                                       RUNTIME_CLASS(PlainView));
        cameraImages = new CMultiDocTemplate(IDR_CAMERA_IMAGE_DOC, RUNTIME_CLASS(TargetDoc),
                                             RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(PlainView));
        AfxGetApp()->AddDocTemplate(images);
        AfxGetApp()->AddDocTemplate(cameraImages);
        PlainView::showOriginal.clear();
        PlainView::hints.clear();
        PlainView::showOriginalEnabled = true;
        PlainView::autoFit = false;
        MakeFrame();
    }
    void TearDown() override
    {
        DestroyFrame();
        CWinApp* app = AfxGetApp();
        delete app->m_pDocManager;
        app->m_pDocManager = nullptr;
        FrameTest::TearDown();
    }

    CMultiDocTemplate* images = nullptr;
    CMultiDocTemplate* cameraImages = nullptr;
};

}  // namespace

TEST_F(TargetTest, APaletteOpenedTakesTheActiveWindowsTarget)
{
    PaletteTargetKind kind = -1;
    CImageRecord* record = Record(1);
    frame->GetPaletteTarget(&kind, &record);
    EXPECT_EQ(kTargetNone, kind);
    EXPECT_EQ(nullptr, record);

    TargetDoc::nextKind = kTargetOne;
    TargetDoc::nextRecord = Record(0x40);
    ASSERT_NE(nullptr, images->OpenDocumentFile(nullptr));
    PumpUntilIdle();
    frame->GetPaletteTarget(&kind, &record);
    EXPECT_EQ(kTargetOne, kind);
    EXPECT_EQ(Record(0x40), record);

    frame->SendMessage(WM_COMMAND, ID_VIEW_SIZE_RES);
    EXPECT_EQ(Record(0x40), frame->m_wndSizeRes.calls.lastRecord);
    EXPECT_TRUE(frame->m_wndSizeRes.HasTarget());
}

TEST_F(TargetTest, CameraImageCommandOpensAndClosesItsWindowAndGivesTheSelectedRecords)
{
    CImageRecord* record = nullptr;
    EXPECT_FALSE(frame->GetSelectedImageSettings(0, &record, false)) << "no camera image window";

    TargetDoc::nextKind = kTargetSeveral;
    TargetDoc::nextRecord = nullptr;
    frame->SendMessage(WM_COMMAND, ID_VIEW_CAMERA_IMAGE);
    PumpUntilIdle();
    ASSERT_NE(nullptr, frame->GetCameraImageView());
    EXPECT_EQ(cameraImages, frame->GetCameraImageView()->GetDocument()->GetDocTemplate());
    clx::StateCmdUI ui(ID_VIEW_CAMERA_IMAGE);
    ui.DoUpdate(frame, true);
    EXPECT_EQ(1, ui.m_nCheck);

    // Palettes walk the selection until it ends.
    std::vector<CImageRecord*> walked;
    for (int n = 0; frame->GetSelectedImageSettings(n, &record, false); ++n)
        walked.push_back(record);
    EXPECT_EQ(std::vector<CImageRecord*>({Record(0x51), Record(0x52)}), walked);
    EXPECT_FALSE(frame->GetSelectedImageSettings(2, &record, false));
    EXPECT_EQ(nullptr, record);
    ASSERT_TRUE(frame->GetSelectedImageSettings(2, &record, true));
    EXPECT_EQ(Record(0x63), record);

    // Already open: the start-up step leaves it alone.
    CView* view = frame->GetCameraImageView();
    frame->SendMessage(WM_DEFERRED_STARTUP, 0, 0);
    EXPECT_EQ(view, frame->GetCameraImageView());

    frame->SendMessage(WM_COMMAND, ID_VIEW_CAMERA_IMAGE);
    PumpUntilIdle();
    EXPECT_EQ(nullptr, frame->GetCameraImageView());
    clx::StateCmdUI after(ID_VIEW_CAMERA_IMAGE);
    after.DoUpdate(frame, true);
    EXPECT_EQ(0, after.m_nCheck);
}

namespace {

CPoint ButtonCentre(CMyToolBar& bar, int index)
{
    CRect button;
    bar.GetItemRect(index, &button);
    return button.CenterPoint();
}

}  // namespace

TEST_F(TargetTest, ShowOriginalShowsTheUnadjustedImageWhileHeldAndNothingWhileDisabled)
{
    CMyToolBar& bar = frame->GetToolBar();
    // No image window: the button has no handler and is disabled.
    Click(bar.m_hWnd, ButtonCentre(bar, bar.m_nShowOriginalIndex));
    EXPECT_TRUE(PlainView::showOriginal.empty());

    ASSERT_NE(nullptr, images->OpenDocumentFile(nullptr));
    PumpUntilIdle();
    ASSERT_TRUE(bar.GetToolBarCtrl().IsButtonEnabled(ID_SHOW_ORIGINAL));
    Click(bar.m_hWnd, ButtonCentre(bar, bar.m_nShowOriginalIndex));
    EXPECT_EQ(std::vector<int>({1, 0}), PlainView::showOriginal);

    PlainView::showOriginal.clear();
    PlainView::showOriginalEnabled = false;
    PumpUntilIdle();
    Click(bar.m_hWnd, ButtonCentre(bar, bar.m_nShowOriginalIndex));
    EXPECT_TRUE(PlainView::showOriginal.empty());
}

TEST_F(TargetTest, DoubleClickOnTheCursorButtonsUpdatesTheActiveImagesViews)
{
    CMyToolBar& bar = frame->GetToolBar();
    // Without an image window nothing happens.
    Click(bar.m_hWnd, ButtonCentre(bar, bar.m_nZoomCursorIndex), true);
    ASSERT_NE(nullptr, images->OpenDocumentFile(nullptr));
    PumpUntilIdle();
    PlainView::hints.clear();
    Click(bar.m_hWnd, ButtonCentre(bar, bar.m_nZoomCursorIndex), true);
    Click(bar.m_hWnd, ButtonCentre(bar, bar.m_nGrabCursorIndex), true);
    PlainView::autoFit = true;
    Click(bar.m_hWnd, ButtonCentre(bar, bar.m_nZoomCursorIndex), true);
    EXPECT_EQ(std::vector<LPARAM>({8, 1, 10}), PlainView::hints);
}
