#include <map>

#include "app/core/docview/image_display_view.h"
#include "app/core/docview/image_frame.h"
#include "clx/document.h"
#include "clx/view.h"
#include "testing/gui_test.h"

namespace {

class PlainView : public CView {
    DECLARE_DYNCREATE(PlainView)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(PlainView, CView)

class PlainDoc : public CDocument {};

// The settings the frame reads, and nothing else.
struct SettingsHost final : CQuietViewHost {
    int32_t GetIntSetting(uint32_t id, int32_t fallback) const override
    {
        const auto it = settings.find(id);
        return it == settings.end() ? fallback : it->second;
    }
    std::map<uint32_t, int32_t> settings;
};

class ImageFrameTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        SetImageViewHost(&host);
        main = new CMDIFrameWnd;
        ASSERT_TRUE(main->LoadFrame(0, WS_OVERLAPPEDWINDOW));
        main->SetWindowPos(nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    void TearDown() override
    {
        main->SendMessage(WM_CLOSE);
        PumpUntilIdle();
        TakeQuit();
        SetImageViewHost(nullptr);
        GuiTest::TearDown();
    }

    CImageFrame* Open(int32_t displaySection, int32_t autoOpen)
    {
        host.settings[kSettingDisplaySettingsSection] = displaySection;
        host.settings[kSettingAutoOpenSettingsSection] = autoOpen;
        auto* doc = new PlainDoc;
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(PlainView);
        context.m_pCurrentDoc = doc;
        auto* frame = new CImageFrame;
        if (!frame->LoadFrame(0, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, main, &context)) {
            ADD_FAILURE() << "no frame";
            return nullptr;
        }
        frame->SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOMOVE);
        frame->InitialUpdateFrame(doc, TRUE);
        EXPECT_TRUE(PumpUntilIdle());
        return frame;
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

    SettingsHost host;
    CMDIFrameWnd* main = nullptr;
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

TEST_F(ImageFrameTest, HeaderClickOpensAndCollapsesTheSectionAndTheViewFollows)
{
    CImageFrame* frame = Open(1, 0);
    ASSERT_NE(frame, nullptr);
    CViewSection& section = frame->GetSection();

    Click(section.m_hWnd, {8, 8});
    EXPECT_EQ(section.GetMode(), CViewSection::kOpen);
    EXPECT_EQ(ViewTop(frame), section.GetOpenHeight());
    EXPECT_EQ(frame->GetExtraHeight(), section.GetOpenHeight());

    // Beside the header bitmap a click does nothing.
    Click(section.m_hWnd, {100, 8});
    EXPECT_EQ(section.GetMode(), CViewSection::kOpen);

    Click(section.m_hWnd, {8, 8});
    EXPECT_EQ(section.GetMode(), CViewSection::kCollapsed);
    EXPECT_EQ(ViewTop(frame), section.GetHeaderHeight());
    frame->SendMessage(WM_CLOSE);
    ASSERT_TRUE(PumpUntilIdle());
}

TEST_F(ImageFrameTest, ScrollBarShowsOnlyWhileOpenAndThePaneIsTallerThanThePage)
{
    CImageFrame* frame = Open(1, 1);
    ASSERT_NE(frame, nullptr);
    CViewSection& section = frame->GetSection();
    HWND bar = frame->GetSectionScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(::GetParent(bar), section.m_hWnd);
    EXPECT_EQ(::GetDlgCtrlID(bar), 1092);
    EXPECT_FALSE(Visible(bar));  // nothing in the pane yet

    frame->SetInfoPaneHeight(section.GetOpenHeight() * 3);
    EXPECT_TRUE(Visible(bar));
    section.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 10);
    section.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), section.GetOpenHeight() * 2);

    Click(section.m_hWnd, {8, 8});  // collapsed
    EXPECT_FALSE(Visible(bar));
    frame->SetInfoPaneHeight(section.GetOpenHeight());
    Click(section.m_hWnd, {8, 8});  // open again, but everything fits
    EXPECT_FALSE(Visible(bar));
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
