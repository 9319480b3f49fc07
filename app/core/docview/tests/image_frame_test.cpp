#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/core/docview/image_display_view.h"
#include "app/core/docview/image_frame.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/load/image_load.h"
#include "app/core/load/load_context.h"
#include "app/core/record/image_record.h"
#include "app/shell/help/help_topics.h"
#include "clx/app.h"
#include "clx/document.h"
#include "clx/view.h"
#include "testing/gui_test.h"

namespace {

using namespace engine_test;

class PlainView : public CView {
    DECLARE_DYNCREATE(PlainView)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(PlainView, CView)

// The record the next record view shows (dynamic creation takes no arguments).
CImageRecord* nextRecord = nullptr;

// A display view on a loaded record; without a chain it draws only its background.
class RecordView : public CImageDisplayView {
    DECLARE_DYNCREATE(RecordView)
public:
    void OnInitialUpdate() override { SetRecord(nextRecord); }
};
IMPLEMENT_DYNCREATE(RecordView, CImageDisplayView)

class PlainDoc : public CDocument {};

// The settings the frame reads, and nothing else.
struct SettingsHost final : CQuietViewHost {
    int32_t GetIntSetting(uint32_t id, int32_t fallback) const override
    {
        const auto it = settings.find(id);
        return it == settings.end() ? fallback : it->second;
    }
    void ClearInformation() override { ++informationCleared; }
    std::map<uint32_t, int32_t> settings;
    int informationCleared = 0;
};

// The program's main frame hands every help request to the help topic map.
class HelpMainFrame : public CMDIFrameWnd {
public:
    void WinHelp(DWORD_PTR data, UINT cmd) override { requests.emplace_back(static_cast<uint32_t>(data), cmd); }
    std::vector<std::pair<uint32_t, UINT>> requests;
};

// A raw file as the camera writes it, with the shooting data of one shot.
std::string WriteShotFile(IVorlatManager* manager, const std::string& path)
{
    Tags tags;
    const uint8_t cfa[8] = {0, 2, 0, 2, 0, 1, 1, 2};
    tags.Set(0xA302, kTagTypeBytes, cfa, sizeof cfa);
    tags.SetText(0x10F, "KORVA");
    tags.SetText(kTagModel, "KORVA M4X");
    tags.SetLong(kTagFileKind, kFileKindRaw);
    tags.SetText(0x132, "2026:12:11 05:30:15");
    const double exposure = 0.004, fNumber = 8.0, focalLength = 50.0;
    tags.Set(0x829A, kTagTypeDoubles, &exposure, sizeof exposure);
    tags.Set(0x829D, kTagTypeDoubles, &fNumber, sizeof fNumber);
    tags.Set(0x920A, kTagTypeDoubles, &focalLength, sizeof focalLength);
    const double lens[4] = {24, 85, 2.8, 4};
    tags.Set(0x80084, kTagTypeLensRange, lens, sizeof lens);
    tags.SetLong(0x80005, 0x27);  // white balance: preset 2
    std::vector<uint8_t> samples(64 * 48 * 2);
    for (size_t i = 0; i < samples.size(); i += 2)
        samples[i] = static_cast<uint8_t>(i * 13);
    EXPECT_EQ(0, WriteImageFile(MakeImage(manager, 64, 64, 48, samples), tags.tags, kFormatRawTiff, path)) << path;
    return path;
}

// Records what a section asks of its owner.
struct RecordingOwner final : CViewSectionContainer {
    void OnSectionModeChanged(CViewSection*, int32_t mode) override { calls.push_back("mode " + std::to_string(mode)); }
    void DrawSection(CViewSection*, HDC, const RECT&, const RECT&) override {}
    void OnSectionNext(CViewSection*) override { calls.push_back("next"); }
    void OnSectionPrevious(CViewSection*) override { calls.push_back("previous"); }
    void OnSectionDelete(CViewSection*) override { calls.push_back("delete"); }
    bool OnSectionCommand(CViewSection*, UINT, HWND) override { return false; }
    void OnSectionScroll(CViewSection*, UINT, UINT, HWND) override {}
    void OnSectionContextMenu(CViewSection*, HWND, POINT) override {}
    std::vector<std::string> calls;
};

class ImageFrameTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        SetImageViewHost(&host);
        main = new HelpMainFrame;
        ASSERT_TRUE(main->LoadFrame(0, WS_OVERLAPPEDWINDOW));
        main->SetWindowPos(nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    void TearDown() override
    {
        main->SendMessage(WM_CLOSE);
        PumpUntilIdle();
        TakeQuit();
        AfxGetApp()->m_pMainWnd = nullptr;
        SetImageViewHost(nullptr);
        nextRecord = nullptr;
        record.reset();
        if (manager) {
            DestroyColorEnginePool();
            SetImageManager(nullptr);
            manager->Destroy();
        }
        GuiTest::TearDown();
    }

    CImageFrame* Open(int32_t displaySection, int32_t autoOpen, CRuntimeClass* viewClass = RUNTIME_CLASS(PlainView),
                      int32_t width = 400, UINT id = 0)
    {
        host.settings[kSettingDisplaySettingsSection] = displaySection;
        host.settings[kSettingAutoOpenSettingsSection] = autoOpen;
        auto* doc = new PlainDoc;
        CCreateContext context;
        context.m_pNewViewClass = viewClass;
        context.m_pCurrentDoc = doc;
        auto* frame = new CImageFrame;
        if (!frame->LoadFrame(id, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, main, &context)) {
            ADD_FAILURE() << "no frame";
            return nullptr;
        }
        frame->SetWindowPos(nullptr, 0, 0, width, 300, SWP_NOZORDER | SWP_NOMOVE);
        frame->InitialUpdateFrame(doc, TRUE);
        EXPECT_TRUE(PumpUntilIdle());
        return frame;
    }

    // A record loaded from a raw file with shooting data, for the next record view.
    void LoadShot()
    {
        manager = MakeManager(65536);
        CreateColorEnginePool();
        SetImageManager(manager);
        const std::string path = std::filesystem::absolute(ScratchPath("frame") + ".xqv").string();
        WriteShotFile(manager, path);
        record = std::make_unique<CImageRecord>();
        SetLoadImageManager(manager);
        ASSERT_EQ(LoadImageFile(record.get(), path.c_str(), false, 0), 0);
        SetLoadImageManager(nullptr);
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        nextRecord = record.get();
    }

    // Where the view starts below the section, in the frame's client area.
    static int32_t ViewTop(CImageFrame* frame)
    {
        RECT view{};
        ::GetWindowRect(frame->GetActiveView()->m_hWnd, &view);
        POINT topLeft = {view.left, view.top};
        ::ScreenToClient(frame->m_hWnd, &topLeft);
        return topLeft.y;
    }
    static bool Visible(HWND wnd) { return (::GetWindowLongA(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }
    static void Scroll(CImageFrame* frame, UINT code)
    {
        HWND bar = frame->GetSectionScrollBar();
        frame->GetSection().SendMessage(WM_HSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(bar));
    }
    // The pane's content limit: its width less the page.
    static int32_t ScrollLimit(CImageFrame* frame)
    {
        const RECT pane = frame->GetInfoPaneRect();
        return frame->GetInfoPaneLayout().contentWidth - (pane.right - pane.left);
    }

    SettingsHost host;
    HelpMainFrame* main = nullptr;
    IVorlatManager* manager = nullptr;
    std::unique_ptr<CImageRecord> record;
};

}  // namespace

TEST_F(ImageFrameTest, TheSettingsDecideWhetherTheSectionShowsAndWhetherItOpens)
{
    struct Case {
        int32_t displaySection, autoOpen;
        bool shown;
        int32_t mode;
    } cases[] = {{0, 0, false, 0}, {0, 1, false, 1}, {1, 0, true, 0}, {1, 1, true, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.displaySection << c.autoOpen);
        CImageFrame* frame = Open(c.displaySection, c.autoOpen);
        ASSERT_NE(frame, nullptr);
        CViewSection& section = frame->GetSection();
        EXPECT_EQ(Visible(section.m_hWnd), c.shown);
        EXPECT_EQ(section.GetCurrent(), c.shown ? 1 : 0);
        EXPECT_EQ(section.GetMode(), c.mode);
        EXPECT_EQ(section.GetHeaderHeight(), 16);  // half the header bitmap
        EXPECT_GT(section.GetOpenHeight(), section.GetHeaderHeight());
        const int32_t height = c.mode ? section.GetOpenHeight() : section.GetHeaderHeight();
        EXPECT_EQ(frame->GetExtraHeight(), c.shown ? height : 0);
        EXPECT_EQ(ViewTop(frame), c.shown ? height : 0);
        if (c.shown) {
            EXPECT_EQ(section.GetClientRect().Height(), height);
        }
        frame->SendMessage(WM_CLOSE);
        ASSERT_TRUE(PumpUntilIdle());
    }
}

// The rows of `image` in columns [left, right) that hold a dark pixel: the
// caption's ink, smoothed edges included, and none of the 3D face or shadow.
int32_t InkRows(const clx::test::Image& image, int32_t left, int32_t right)
{
    int32_t rows = 0;
    for (int32_t y = 0; y < image.height; ++y) {
        bool ink = false;
        for (int32_t x = std::max(0, left); x < std::min(right, image.width) && !ink; ++x) {
            const COLORREF pixel = image.PixelAt(x, y);
            ink = GetRValue(pixel) < 0x60 && GetGValue(pixel) < 0x60 && GetBValue(pixel) < 0x60;
        }
        rows += ink;
    }
    return rows;
}

TEST_F(ImageFrameTest, TheSectionCaptionIsDrawnWholeAboveItsSeparator)
{
    CImageFrame* frame = Open(1, 0);
    ASSERT_NE(frame, nullptr);
    CViewSection& section = frame->GetSection();
    const std::string caption = "Shooting Data";
    ASSERT_EQ(caption, static_cast<const char*>(section.GetWindowText()));

    // The font's cell fits in the rows above the separator.
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, section.GetCaptionFont());
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(screen, &metrics);
    SIZE extent{};
    ::GetTextExtentPoint32A(screen, caption.c_str(), static_cast<int>(caption.size()), &extent);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    EXPECT_LT(section.CaptionBandHeight(), section.GetHeaderHeight());
    EXPECT_LE(metrics.tmHeight, section.CaptionBandHeight());

    // Every row of the caption's ink, as the font draws it with room to
    // spare, shows in the bar.
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    clx::test::Image whole;
    {
        const int32_t width = extent.cx + 8, height = 3 * metrics.tmHeight;
        HDC dc = ::CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP canvas = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ oldCanvas = ::SelectObject(dc, canvas);
        const RECT all = {0, 0, width, height};
        ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_3DFACE));
        HGDIOBJ oldFont = ::SelectObject(dc, section.GetCaptionFont());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, text);
        ::TextOutA(dc, 0, metrics.tmHeight, caption.c_str(), static_cast<int>(caption.size()));
        ::GdiFlush();
        whole.width = width;
        whole.height = height;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const COLORREF pixel = ::GetPixel(dc, x, y);
                whole.pixels.push_back(uint32_t{GetRValue(pixel)} << 16 | uint32_t{GetGValue(pixel)} << 8 |
                                       GetBValue(pixel));
            }
        ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldCanvas);
        ::DeleteObject(canvas);
        ::DeleteDC(dc);
    }
    const int32_t expected = InkRows(whole, 0, extent.cx);
    ASSERT_GT(expected, metrics.tmHeight / 2);
    // The header picture is 16 pixels wide; the caption starts 4 beyond it.
    const clx::test::Image shown = clx::test::CaptureWindow(section.m_hWnd);
    shown.SaveBmp(ScratchPath("section_bar") + ".bmp");
    EXPECT_EQ(expected, InkRows(shown, 20, 20 + extent.cx));
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, HeaderClickOpensAndCollapsesTheSectionAndTheViewFollows)
{
    CImageFrame* frame = Open(1, 0);
    ASSERT_NE(frame, nullptr);
    CViewSection& section = frame->GetSection();

    Click(section.m_hWnd, {8, 8});
    EXPECT_EQ(section.GetMode(), CViewSection::kOpen);
    EXPECT_EQ(ViewTop(frame), section.GetOpenHeight());
    EXPECT_EQ(frame->GetExtraHeight(), section.GetOpenHeight());

    // Over the bar the information palette shows nothing.
    host.informationCleared = 0;
    section.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(100, 8));
    EXPECT_EQ(host.informationCleared, 1);

    // Beside the header bitmap a click does nothing.
    Click(section.m_hWnd, {100, 8});
    EXPECT_EQ(section.GetMode(), CViewSection::kOpen);

    Click(section.m_hWnd, {8, 8});
    EXPECT_EQ(section.GetMode(), CViewSection::kCollapsed);
    EXPECT_EQ(ViewTop(frame), section.GetHeaderHeight());
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, ShootingDataPaneDrawsTheLinesOfTheRecordsTable)
{
    LoadShot();
    CImageFrame* frame = Open(1, 1, RUNTIME_CLASS(RecordView), 600);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->IsInfoPaneMeasured());  // painted open at once
    const qz::InfoPaneLayout& layout = frame->GetInfoPaneLayout();

    // The title, then the table's lines column by column.
    std::vector<std::string> expected = {"These were the settings at the time this image was taken:"};
    const CShootingInfoTable& table = record->shooting;
    for (int32_t column = 0; column < table.GetColumnCount(); ++column) {
        for (int32_t row = 0; row < table.GetRowCount(); ++row) {
            if (*table.GetCellText(row, column))
                expected.emplace_back(table.GetCellText(row, column));
        }
    }
    std::vector<std::string> shown;
    for (const qz::InfoPaneText& text : layout.texts)
        shown.push_back(text.text);
    EXPECT_EQ(shown, expected);
    for (const char* line : {"Korva M4X", "Lens: 24-85mm f/2.8-4", "Focal Length: 50mm", "1/250 sec - f/8",
                             "White Balance: Preset 2", "Data Format: RAW (12-bit)"}) {
        EXPECT_NE(std::find(shown.begin(), shown.end(), line), shown.end()) << line;
    }

    // Drawn: ink at the start of every text the pane's width shows.
    const RECT pane = frame->GetInfoPaneRect();
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    const clx::test::Image before = clx::test::CaptureWindow(frame->GetSection().m_hWnd);
    size_t checked = 0;
    for (const qz::InfoPaneText& text : layout.texts) {
        if (text.x + 40 > pane.right)
            continue;
        ++checked;
        int ink = 0;
        for (int32_t y = text.y; y < text.y + 12; ++y) {
            for (int32_t x = text.x; x < std::min<int32_t>(text.x + 40, pane.right); ++x)
                ink += before.PixelAt(x, pane.top + y) != face;
        }
        EXPECT_GT(ink, 0) << text.text;
    }
    EXPECT_GE(checked, 8u);  // the title and at least the first column

    // Scrolled sideways, the pane shows the same picture 10 pixels further left.
    ASSERT_TRUE(Visible(frame->GetSectionScrollBar())) << layout.contentWidth;
    Scroll(frame, SB_LINERIGHT);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(frame->GetInfoPaneScrollPosition(), 10);
    const clx::test::Image after = clx::test::CaptureWindow(frame->GetSection().m_hWnd);
    const int32_t barTop = pane.bottom - ::GetSystemMetrics(SM_CYHSCROLL);
    int differences = 0;
    for (int32_t y = pane.top; y < barTop; ++y) {
        for (int32_t x = 0; x + 10 < pane.right; ++x)
            differences += after.PixelAt(x, y) != before.PixelAt(x + 10, y);
    }
    EXPECT_EQ(differences, 0);
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, ActivatedAgainThePaneShowsTheDocumentsTableAsItIsNow)
{
    LoadShot();
    CImageFrame* frame = Open(1, 1, RUNTIME_CLASS(RecordView), 600);
    ASSERT_NE(frame, nullptr);
    // The record is read again while another window is active.
    CImageFrame* other = Open(1, 1);
    ASSERT_NE(other, nullptr);
    record->shooting.AddField("Korva M4H", 1001);
    main->MDIActivate(frame->m_hWnd);
    ASSERT_TRUE(PumpUntilIdle());
    ASSERT_GE(frame->GetInfoPaneLayout().texts.size(), 2u);
    EXPECT_EQ(frame->GetInfoPaneLayout().texts[1].text, "Korva M4H");
    other->SendMessage(WM_CLOSE);
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, ScrollBarShowsOnlyWhileOpenAndTheTableIsWiderThanThePane)
{
    LoadShot();
    CImageFrame* frame = Open(1, 1, RUNTIME_CLASS(RecordView), 400);
    ASSERT_NE(frame, nullptr);
    CViewSection& section = frame->GetSection();
    HWND bar = frame->GetSectionScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(::GetParent(bar), section.m_hWnd);
    EXPECT_EQ(::GetDlgCtrlID(bar), 1092);
    ASSERT_TRUE(Visible(bar));
    const int32_t limit = ScrollLimit(frame);
    ASSERT_GT(limit, 10);

    const struct {
        UINT code;
        int32_t expected;
    } steps[] = {{SB_LINERIGHT, 10}, {SB_LINELEFT, 0}, {SB_LINELEFT, 0}, {SB_RIGHT, limit},
                 {SB_LINERIGHT, limit},  // at the limit nothing moves
                 {SB_ENDSCROLL, limit}, {SB_LEFT, 0}, {SB_RIGHT, limit}};
    for (const auto& step : steps) {
        Scroll(frame, step.code);
        EXPECT_EQ(frame->GetInfoPaneScrollPosition(), step.expected) << step.code;
    }

    Click(section.m_hWnd, {8, 8});  // collapsed
    EXPECT_FALSE(Visible(bar));
    Click(section.m_hWnd, {8, 8});  // open again
    EXPECT_TRUE(Visible(bar));
    // Wide enough for the whole table: no scroll bar, and the pane drawn from its left end again.
    frame->SetWindowPos(nullptr, 0, 0, frame->GetInfoPaneLayout().contentWidth + 60, 300, SWP_NOZORDER | SWP_NOMOVE);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_FALSE(Visible(bar));
    EXPECT_EQ(frame->GetInfoPaneScrollPosition(), 0);
    const RECT pane = frame->GetInfoPaneRect();
    const clx::test::Image shown = clx::test::CaptureWindow(section.m_hWnd);
    int ink = 0;
    for (int32_t y = pane.top + 2; y < pane.top + 14; ++y) {
        for (int32_t x = 2; x < 12; ++x)
            ink += shown.PixelAt(x, y) != ::GetSysColor(COLOR_3DFACE);
    }
    EXPECT_GT(ink, 0);  // the title's first letter
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, WithoutADocumentTableThePaneHoldsTheTitleAlone)
{
    CImageFrame* frame = Open(1, 1);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->IsInfoPaneMeasured());
    const qz::InfoPaneLayout& layout = frame->GetInfoPaneLayout();
    ASSERT_EQ(layout.texts.size(), 1u);
    ASSERT_LT(layout.contentWidth, 380);
    EXPECT_FALSE(Visible(frame->GetSectionScrollBar()));  // the title fits
    // Narrower than the title: now it scrolls.
    frame->SetWindowPos(nullptr, 0, 0, layout.contentWidth / 2, 300, SWP_NOZORDER | SWP_NOMOVE);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_TRUE(Visible(frame->GetSectionScrollBar()));
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, HelpOfTheFrameGoesToTheApplicationWithTheFramesTopics)
{
    AfxGetApp()->m_pMainWnd = main;
    CImageFrame* frame = Open(1, 1, RUNTIME_CLASS(PlainView), 400, 129);
    ASSERT_NE(frame, nullptr);

    // F1 with no menu open: the frame's own page.
    main->m_nIDTracking = IDS_CLX_READY;
    EXPECT_TRUE(frame->SendMessage(WM_COMMANDHELP, 0, 0));
    // In an open menu, the command under the cursor.
    main->m_nIDTracking = kCmdToggleShootingData;
    EXPECT_TRUE(frame->SendMessage(WM_COMMANDHELP, 0, 0));
    main->m_nIDTracking = 0;
    ASSERT_EQ(main->requests.size(), 2u);
    EXPECT_EQ(main->requests[0].first, 0x20000000u + 129);
    EXPECT_EQ(main->requests[1].first, 0x10000000u + kCmdToggleShootingData);
    std::vector<std::string> topics;
    for (const auto& request : main->requests) {
        EXPECT_EQ(request.second, static_cast<UINT>(HELP_CONTEXT));
        topics.push_back(shell::HelpTopic(request.first, request.second));
    }
    EXPECT_EQ(topics, (std::vector<std::string>{"image.html", "menu.html#View_CameraSettings"}));

    // Help mode: the section bar inside the frame, the frame itself around it.
    const auto hitTest = [frame](HWND child) {
        RECT place{};
        ::GetWindowRect(child, &place);
        POINT at = {place.left + 30, place.top + 4};
        ::ScreenToClient(frame->m_hWnd, &at);
        return static_cast<uint32_t>(frame->SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(at.x, at.y)));
    };
    const uint32_t onSection = hitTest(frame->GetSection().m_hWnd);
    EXPECT_EQ(onSection, ((129u + 0x3000) << 16) + kSectionBarId);
    EXPECT_EQ(shell::HelpTopic(onSection, HELP_CONTEXT), "image.html");
    EXPECT_EQ(static_cast<uint32_t>(frame->SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(-5, -5))), 0x20000000u + 129);
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(main->requests.size(), 2u);
}

TEST_F(ImageFrameTest, FrameWithoutAHelpIdLeavesHelpToTheMainFrame)
{
    CImageFrame* frame = Open(1, 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->SendMessage(WM_COMMANDHELP, 0, 0));
    EXPECT_EQ(frame->SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(8, 8)), 0);
    EXPECT_TRUE(main->requests.empty());
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, ToggleAndResetMoveTheSectionAndTheViewFollows)
{
    CImageFrame* frame = Open(1, 0);
    ASSERT_NE(frame, nullptr);
    CViewSection& section = frame->GetSection();
    ASSERT_TRUE(frame->HasInfoPane());
    frame->SendMessage(WM_COMMAND, kCmdToggleShootingData);
    EXPECT_EQ(frame->GetSectionState(), 1);
    EXPECT_EQ(ViewTop(frame), section.GetOpenHeight());
    frame->SendMessage(kWmResetViewSections, 0, 0);  // bit 0 clear: kept
    EXPECT_EQ(frame->GetSectionState(), 1);
    EXPECT_EQ(frame->SendMessage(kWmResetViewSections, 1, 0), 1);
    EXPECT_EQ(frame->GetSectionState(), 0);
    EXPECT_EQ(ViewTop(frame), section.GetHeaderHeight());
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, SectionButtonsStandInTheCollapsedHeaderAndCallTheOwner)
{
    CImageFrame* frame = Open(0, 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetSection().GetNextButton(), nullptr);  // the image frame's bar has none

    RecordingOwner owner;
    CViewSection section;
    ASSERT_TRUE(section.Create(true, "Camera", WS_VISIBLE, {0, 0, 400, 80}, frame->GetActiveView(), 2000));
    section.SetOwner(&owner);
    // A click is a press and a release under capture: a late activation of
    // the new window would cancel the capture between them.
    ASSERT_NE(0, Activate(::GetAncestor(frame->m_hWnd, GA_ROOT)));
    // The bar takes its parent's width.
    const int32_t width = section.GetClientRect().Width();
    const struct {
        HWND button;
        UINT id;
        int32_t x;
        const char* call;
    } buttons[] = {
        {section.GetPreviousButton(), kSectionPreviousId, width - 5 * 19, "previous"},
        {section.GetNextButton(), kSectionNextId, width - 71, "next"},  // 3.75 widths, truncated
        {section.GetDeleteButton(), kSectionDeleteId, width - 7 * 19, "delete"},
    };
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.call);
        ASSERT_NE(b.button, nullptr);
        EXPECT_EQ(::GetDlgCtrlID(b.button), static_cast<int>(b.id));
        EXPECT_TRUE(Visible(b.button));
        RECT place{};
        ::GetWindowRect(b.button, &place);
        POINT topLeft = {place.left, place.top};
        ::ScreenToClient(section.m_hWnd, &topLeft);
        EXPECT_EQ(topLeft.x, b.x);
        EXPECT_EQ(topLeft.y, 0);  // as high as the header
        EXPECT_EQ(place.right - place.left, 19);
        EXPECT_EQ(place.bottom - place.top, 16);
        const clx::test::Image face = clx::test::CaptureWindow(b.button);
        EXPECT_NE(std::find(face.pixels.begin(), face.pixels.end(), 0u), face.pixels.end());  // its glyph
        owner.calls.clear();
        Click(b.button, {9, 8});
        EXPECT_EQ(owner.calls, std::vector<std::string>{b.call});
    }

    // Open, the bar shows its contents instead.
    section.SetMode(CViewSection::kOpen, true);
    for (const auto& b : buttons)
        EXPECT_FALSE(Visible(b.button)) << b.call;
    section.SetMode(CViewSection::kCollapsed, false);
    for (const auto& b : buttons)
        EXPECT_TRUE(Visible(b.button)) << b.call;

    // They keep to the right end.
    section.SetWindowPos(nullptr, 0, 0, 300, 16, SWP_NOZORDER | SWP_NOMOVE);
    RECT place{};
    ::GetWindowRect(section.GetDeleteButton(), &place);
    POINT topLeft = {place.left, place.top};
    ::ScreenToClient(section.m_hWnd, &topLeft);
    EXPECT_EQ(topLeft.x, 300 - 7 * 19);
    section.DestroyWindow();
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, PreferencesChangedShowsOrHidesTheSection)
{
    CImageFrame* frame = Open(1, 1);
    ASSERT_NE(frame, nullptr);
    CViewSection& section = frame->GetSection();
    const int32_t open = section.GetOpenHeight();

    host.settings[kSettingDisplaySettingsSection] = 0;
    frame->SendMessage(kWmPreferencesChanged);
    EXPECT_FALSE(Visible(section.m_hWnd));
    EXPECT_EQ(section.GetCurrent(), 0);
    EXPECT_EQ(frame->GetExtraHeight(), 0);
    EXPECT_EQ(ViewTop(frame), 0);
    frame->SendMessage(kWmPreferencesChanged);  // unchanged: nothing happens
    EXPECT_FALSE(Visible(section.m_hWnd));

    host.settings[kSettingDisplaySettingsSection] = 1;
    frame->SendMessage(kWmPreferencesChanged);
    EXPECT_TRUE(Visible(section.m_hWnd));
    EXPECT_EQ(section.GetCurrent(), 1);
    EXPECT_EQ(frame->GetExtraHeight(), open);  // it kept its mode
    EXPECT_EQ(ViewTop(frame), open);
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}
