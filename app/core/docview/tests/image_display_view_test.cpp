#include "app/core/docview/tests/image_view_fixture.h"
#include "app/core/load/image_load.h"
#include "app/core/load/load_context.h"

using namespace docview_test;

TEST_F(ImageViewTest, DrawsTheChainOutputAndThePatternThatMovesWithScrolling)
{
    struct Case {
        const char* name;
        bool raw;
    } cases[] = {{"rgb", false}, {"raw", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Narrower than the client (pattern on the right), taller (scrolls down).
        MakeRecord(c.raw, 96, 400);
        TestImageView* view = Show(240, 160);
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(view->GetChain().IsChainReady());
        EXPECT_EQ(record->fitted, 1);
        ZoomTo(view, 14);
        // The chain's output size (a raw image loses the demosaic's margin).
        int32_t width = 0, height = 0;
        ASSERT_EQ(0, Deepest(view->GetChain().GetChain()->GetSize(&width, &height)));
        EXPECT_EQ(view->GetTotalSize(), CSize(width, height));
        EXPECT_EQ(width, c.raw ? 84 : 96);
        EXPECT_FALSE(view->NeedsPainting());
        ExpectPicture(view);

        // One line and a thumb position beyond 16 bits' worth of nothing:
        // the pattern follows the scroll position.
        view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
        EXPECT_EQ(host.mark, 1);  // a scrolled view is painted in full
        ASSERT_TRUE(PumpUntilIdle());
        EXPECT_EQ(host.mark, 0);
        EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 10));
        ExpectPicture(view);
        view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0));
        ASSERT_TRUE(PumpUntilIdle());
        EXPECT_EQ(view->GetScrollPosition().y, 10 + view->GetClientRect().Height());
        ExpectPicture(view);
        Close();
    }
}

TEST_F(ImageViewTest, OnePaintDrawsOneTileAndLeavesTheRestForTheNext)
{
    MakeRecord(false, 300, 300);
    TestImageView* view = Show(200, 200);
    ASSERT_NE(view, nullptr);
    ZoomTo(view, 14);
    view->Invalidate(FALSE);
    view->SendMessage(WM_PAINT);
    EXPECT_TRUE(::GetUpdateRect(view->m_hWnd, nullptr, FALSE));
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_GT(host.idleSlices, 1);
    ExpectPicture(view);
    Close();
}

TEST_F(ImageViewTest, ZoomCommandsStepThroughTheTableAroundTheCentre)
{
    MakeRecord(false, 120, 90);
    record->zoomStep = 14;
    record->displayScale = 1.0;
    TestImageView* view = Show(160, 120);
    ASSERT_NE(view, nullptr);

    struct Step {
        UINT command;
        int32_t zoomStep;
        CSize total;
    } steps[] = {
        {kCmdZoomOut, 13, CSize(80, 60)},   // 2/3
        {kCmdZoomOut, 12, CSize(60, 45)},   // 1/2
        {kCmdZoomIn, 13, CSize(80, 60)},
        {kCmdZoomIn, 14, CSize(120, 90)},
        {kCmdZoomIn, 15, CSize(240, 180)},  // enlarging
        {kCmdZoomIn, 16, CSize(360, 270)},
        {kCmdZoomOut, 15, CSize(240, 180)},
        {kCmdZoomOut, 14, CSize(120, 90)},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.zoomStep);
        // The image point under the client's centre, in half pixels.
        const double before = record->displayScale;
        const CRect oldClient = view->GetClientRect();
        const CPoint oldScroll = view->GetScrollPosition();
        const int32_t unitX = qz::ViewToUnit(oldScroll.x + oldClient.Width() / 2, before);
        const int32_t unitY = qz::ViewToUnit(oldScroll.y + oldClient.Height() / 2, before);
        view->SendMessage(WM_COMMAND, s.command);
        EXPECT_EQ(record->zoomStep, s.zoomStep);
        EXPECT_EQ(record->displayScale, qz::GetZoomStepScale(s.zoomStep));
        EXPECT_TRUE(view->NeedsPainting());
        ASSERT_TRUE(PumpUntilIdle());
        EXPECT_FALSE(view->NeedsPainting());
        EXPECT_EQ(view->GetTotalSize(), s.total);
        // That point is at the centre again, as far as the scroll range allows.
        const CRect client = view->GetClientRect();
        const CPoint scroll = view->GetScrollPosition();
        const double after = record->displayScale;
        EXPECT_EQ(scroll.x, qz::CenterScroll(qz::UnitToView(unitX, after), s.total.cx, client.Width()));
        EXPECT_EQ(scroll.y, qz::CenterScroll(qz::UnitToView(unitY, after), s.total.cy, client.Height()));
        EXPECT_EQ(CPoint(record->scrollX, record->scrollY), scroll);
        ExpectPicture(view);
    }

    // The ends of the table switch the commands off; a free scale keeps both on.
    struct Enabling : CCmdUI {
        void Enable(BOOL on) override { enabled = on != FALSE; }
        bool enabled = false;
    };
    struct End {
        int32_t zoomStep;
        bool zoomIn, zoomOut;
    } ends[] = {{0, true, false}, {23, false, true}, {-1, true, true}, {10, true, true}};
    for (const End& e : ends) {
        SCOPED_TRACE(e.zoomStep);
        record->zoomStep = e.zoomStep;
        Enabling in, out;
        in.m_nID = kCmdZoomIn;
        out.m_nID = kCmdZoomOut;
        view->OnCmdMsg(kCmdZoomIn, CN_UPDATE_COMMAND_UI, &in, nullptr);
        view->OnCmdMsg(kCmdZoomOut, CN_UPDATE_COMMAND_UI, &out, nullptr);
        EXPECT_EQ(in.enabled, e.zoomIn);
        EXPECT_EQ(out.enabled, e.zoomOut);
    }
    Close();
}

TEST_F(ImageViewTest, PageFileFailureWhilePaintingTellsTheMainWindowAndLeavesTheViewValid)
{
    // A drawing manager with room for a few tiles whose page file's folder
    // is gone by the time the view pages.
    const std::string pages = folder + "/pages";
    std::filesystem::create_directories(pages);
    ASSERT_EQ(0, Deepest(IVorlatManager::CreateManager(&host.drawing, FileName(pages + "/page.tmp"), 4 * 16384,
                                                       16384, 0)));
    MakeRecord(false, 400, 300);
    std::filesystem::remove_all(pages);
    TestImageView* view = Show(320, 240);
    ASSERT_NE(view, nullptr);

    EXPECT_GE(diskFullPosts, 1);
    EXPECT_FALSE(::GetUpdateRect(view->m_hWnd, nullptr, FALSE));
    // One message per failed paint, not a storm.
    const int32_t before = diskFullPosts;
    view->Invalidate(FALSE);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(diskFullPosts, before + 1);

    // Still answers: a zoom and a close.
    const int32_t fitted = record->zoomStep;
    view->SendMessage(WM_COMMAND, kCmdZoomOut);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(record->zoomStep, fitted - 1);
    Close();
}

TEST_F(ImageViewTest, ViewEntireImageFitsTheImageToTheClientAndHintFourScrollsToTheRecord)
{
    MakeRecord(false, 400, 300);
    record->zoomStep = 14;
    record->displayScale = 1.0;
    TestImageView* view = Show(160, 120);
    ASSERT_NE(view, nullptr);

    // Without the frame's scroll bars the client is 160 x 120: 1/3 is the
    // largest step at which 400 x 300 fits.
    view->SendMessage(WM_COMMAND, kCmdViewEntireImage);
    EXPECT_EQ(record->zoomStep, 11);
    EXPECT_EQ(record->displayScale, 1.0 / 3.0);
    EXPECT_EQ(record->fitted, 1);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(view->GetTotalSize(), CSize(133, 100));
    EXPECT_EQ(view->GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
    EXPECT_EQ(view->FormatZoomCaption(), " @ 33.33%");
    ExpectPicture(view);

    view->SendMessage(WM_COMMAND, kCmdZoomIn);
    view->SendMessage(WM_COMMAND, kCmdZoomIn);
    ASSERT_TRUE(PumpUntilIdle());
    record->scrollX = 70;
    record->scrollY = 1000;  // limited to the scroll range
    view->GetDocument()->UpdateAllViews(nullptr, 4);
    ASSERT_TRUE(PumpUntilIdle());
    const CRect client = view->GetClientRect();
    EXPECT_EQ(view->GetScrollPosition(), CPoint(70, view->GetTotalSize().cy - client.Height()));
    ExpectPicture(view);
    Close();
}

TEST_F(ImageViewTest, ImageViewShowsTheDocumentsRecordAndHandsItToThePalettesOncePerActivation)
{
    MakeRecord(false, 64, 48);
    auto* doc = new FakeImageDoc(*record);
    auto* view = static_cast<CImageView*>(ShowIn(doc, RUNTIME_CLASS(CImageView), 160, 120));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetRecord(), record.get());
    EXPECT_EQ(record->view, view);
    EXPECT_EQ(doc->GetTitle(), "short");
    EXPECT_TRUE(view->GetChain().IsChainReady());
    EXPECT_EQ(record->fitted, 1);  // a new record fits its window
    ExpectPicture(view);
    EXPECT_FALSE(doc->IsModified());

    // The frame activated the view once as it came up; again changes nothing.
    view->OnActivateView(TRUE, view, nullptr);
    view->OnActivateView(TRUE, view, nullptr);
    EXPECT_EQ(paletteTargets.size(), 1u);
    ASSERT_FALSE(paletteTargets.empty());
    EXPECT_EQ(paletteTargets[0].first, kTargetOne);
    EXPECT_EQ(paletteTargets[0].second, reinterpret_cast<LPARAM>(record.get()));
    EXPECT_EQ(CImageView::GetActiveImageView(), view);

    struct Case {
        uint32_t hints;
        bool modified;
    } cases[] = {
        {0x8001, false}, {0x8, false}, {0x10, false}, {0x8040, false},
        {0x1, true}, {0x2, true}, {0x4, true}, {0x20, true}, {0x40, true}, {0x100, true}, {0x200, true}, {0x400, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.hints);
        doc->SetModifiedFlag(FALSE);
        view->UpdateAdjustments(c.hints);
        EXPECT_EQ(doc->IsModified() != FALSE, c.modified);
    }
    // A zoom changes the display only.
    doc->SetModifiedFlag(FALSE);
    view->SendMessage(WM_COMMAND, kCmdZoomOut);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_FALSE(doc->IsModified());

    doc->SetModifiedFlag(FALSE);  // no question on closing
    Close();
    EXPECT_EQ(CImageView::GetActiveImageView(), nullptr);
}

// A raw file as the camera writes it: colour-filter-array samples, the
// maker's model and the raw file kind.
std::string WriteRawFile(IVorlatManager* manager, const std::string& path, int32_t width, int32_t height)
{
    Tags tags;
    const uint8_t cfa[8] = {0, 2, 0, 2, 0, 1, 1, 2};
    tags.Set(0xA302, kTagTypeBytes, cfa, sizeof cfa);
    tags.SetText(0x10F, "KORVA");
    tags.SetText(kTagModel, "KORVA M4X");
    tags.SetLong(kTagFileKind, kFileKindRaw);
    std::vector<uint8_t> samples(static_cast<size_t>(width) * height * 2);
    for (size_t i = 0; i < samples.size(); i += 2) {
        samples[i] = static_cast<uint8_t>(i * 13);
        samples[i + 1] = static_cast<uint8_t>((i / 2) % 16);
    }
    IVorlatImage* image = MakeImage(manager, 64, width, height, samples);
    EXPECT_EQ(0, WriteImageFile(image, tags.tags, kFormatRawTiff, path)) << path;
    return path;
}

TEST_F(ImageViewTest, RawFileOpenedThroughTheLoaderIsDrawnBitForBit)
{
    host.drawing = MakeManager(16384);
    const std::string path = WriteRawFile(saving, folder + "/shot.xqv", 160, 120);
    SetLoadImageManager(host.drawing);
    record = std::make_unique<CImageRecord>();
    ASSERT_EQ(0, LoadImageFile(record.get(), path.c_str(), false, 0));
    SetLoadImageManager(nullptr);
    ASSERT_EQ(record->raw, 1);

    TestImageView* view = Show(200, 150);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->GetChain().IsChainReady());
    // The fit goes by the developed size the camera model gives, whatever
    // the synthetic file holds.
    int32_t width = 0, height = 0;
    ASSERT_TRUE(GetDevelopedImageSize(record->imageData, &width, &height));
    EXPECT_EQ(record->zoomStep, qz::FitZoomStep(record->sizeRes.GetScale(), width, height, 200, 150));
    ExpectPicture(view);
    // At 1:1 and zoomed in: the quality demosaic and the enlarging scale.
    ZoomTo(view, 14);
    const CSize actual = view->GetTotalSize();
    ExpectPicture(view);
    ZoomTo(view, 15);
    EXPECT_EQ(view->GetTotalSize(), CSize(2 * actual.cx, 2 * actual.cy));
    ExpectPicture(view);
    Close();
}

TEST_F(ImageViewTest, FitWindowToImageSizesTheImageFrameToTheImageWithinTheMdiClient)
{
    MakeRecord(false, 120, 90);
    auto* main = new CMDIFrameWnd;
    ASSERT_TRUE(main->LoadFrame(0, WS_OVERLAPPEDWINDOW));
    main->SetWindowPos(nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_SHOWWINDOW);

    nextRecord = record.get();
    auto* doc = new TestDoc;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(TestImageView);
    context.m_pCurrentDoc = doc;
    auto* frame = new CImageFrame;
    ASSERT_TRUE(frame->LoadFrame(0, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, main, &context));
    frame->SetWindowPos(nullptr, 300, 200, 380, 260, SWP_NOZORDER);
    frame->InitialUpdateFrame(doc, TRUE);
    ASSERT_TRUE(PumpUntilIdle());
    auto* view = static_cast<CImageDisplayView*>(frame->GetActiveView());
    ZoomTo(static_cast<TestImageView*>(view), 14);
    HWND mdiClient = ::GetParent(frame->m_hWnd);
    RECT room{};
    ::GetClientRect(mdiClient, &room);

    struct Step {
        int32_t zoomStep;
        bool cut;  // larger than the MDI client
    } steps[] = {{14, false}, {18, true}, {13, false}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.zoomStep);
        ZoomTo(static_cast<TestImageView*>(view), s.zoomStep);
        view->SendMessage(WM_COMMAND, kCmdFitWindowToImage);
        ASSERT_TRUE(PumpUntilIdle());
        RECT at{};
        ::GetWindowRect(frame->m_hWnd, &at);
        ::MapWindowPoints(nullptr, mdiClient, reinterpret_cast<POINT*>(&at), 2);
        // Inside the MDI client, moved back where it stuck out.
        EXPECT_GE(at.left, 0);
        EXPECT_GE(at.top, 0);
        EXPECT_LE(at.right, room.right);
        EXPECT_LE(at.bottom, room.bottom);
        const CSize total = view->GetTotalSize();
        const CRect client = view->GetClientRect();
        if (s.cut) {
            EXPECT_TRUE(at.right - at.left == room.right || at.bottom - at.top == room.bottom);
            EXPECT_LT(client.Width() * client.Height(), total.cx * total.cy);
        } else {
            // The whole image, no scroll bars (a frame is never narrower than its caption needs).
            EXPECT_EQ(client.Height(), total.cy);
            EXPECT_GE(client.Width(), total.cx);
            EXPECT_EQ(view->GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
        }
        ExpectPicture(view);
    }
    main->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
    TakeQuit();
}
