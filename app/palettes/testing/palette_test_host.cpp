#include "app/palettes/testing/palette_test_host.h"

#include "clx/app.h"

namespace palettetest {

void CLoggingView::UpdateAdjustments(uint32_t hints, bool, CImageRecord*)
{
    updates.push_back({hints, clock_});
}

const std::vector<SettingsSubmenu>& TestSettingsSubmenus()
{
    static const std::vector<SettingsSubmenu> submenus = {
        {"&Camera Control", {{32818, "&Load..."}, {32819, "&Save..."}}},
        {"&Image Adjustments", {{32922, "&Load..."}, {32923, "&Save..."}}},
        {"&White Balance", {{32861, "&Load..."}, {32862, "&Save..."}, {32865, "&Reset to Recorded Value"}}},
        {"&Advanced RAW", {{32867, "&Load..."}, {32868, "&Save..."}, {32871, "&Reset to Neutral"}}},
        {"C&urves", {{32821, "&Load..."}, {32822, "&Save..."}, {32845, "&Reset to Neutral"}}},
        {"C&olor Balance", {{32849, "&Load..."}, {32826, "&Save..."}, {32846, "&Reset to Neutral"}}},
        {"U&nsharp Mask", {{32829, "&Load..."}, {32830, "&Save..."}, {32847, "&Reset to Neutral"}}},
        {"Si&ze / Resolution", {{32833, "&Load..."}, {32834, "&Save..."}, {32848, "&Reset to 100%"}}},
    };
    return submenus;
}

namespace {

HMENU BuildMenuBar()
{
    HMENU bar = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuA(file, MF_STRING, 57665, "E&xit");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HMENU settings = ::CreatePopupMenu();
    for (const SettingsSubmenu& submenu : TestSettingsSubmenus()) {
        HMENU sub = ::CreatePopupMenu();
        for (const auto& [id, text] : submenu.items)
            ::AppendMenuA(sub, MF_STRING, id, text);
        ::AppendMenuA(settings, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), submenu.title);
    }
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), "&Settings");
    return bar;
}

}  // namespace

void CPaletteTestHost::Start()
{
    if (started_)
        return;
    started_ = true;
    // A class of its own, as the program registers its main window's.
    WNDCLASSA cls{};
    if (!::GetClassInfoA(::GetModuleHandleA(nullptr), "PaletteTestHost", &cls)) {
        cls.style = CS_DBLCLKS;
        cls.lpfnWndProc = ::DefWindowProcA;
        cls.hInstance = ::GetModuleHandleA(nullptr);
        cls.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        cls.lpszClassName = "PaletteTestHost";
        ::RegisterClassA(&cls);
    }
    frame_.CreateEx(0, "PaletteTestHost", "Palette host", WS_OVERLAPPEDWINDOW, 100, 100, 600, 400, nullptr, nullptr);
    frame_.m_hMenuDefault = BuildMenuBar();
    ::SetMenu(frame_.m_hWnd, frame_.m_hMenuDefault);
    // Ctrl+K: a command the palettes pass on to the main window.
    ACCEL accel{FCONTROL | FVIRTKEY, 'K', 33001};
    frame_.m_hAccelTable = ::CreateAcceleratorTableA(&accel, 1);
    frame_.ShowWindow(SW_SHOWNA);
    previousMain_ = AfxGetApp()->m_pMainWnd;
    AfxGetApp()->m_pMainWnd = &frame_;
    SetPaletteHost(this);
}

void CPaletteTestHost::Stop()
{
    if (!started_)
        return;
    started_ = false;
    SetPaletteHost(nullptr);
    AfxGetApp()->m_pMainWnd = previousMain_;
    if (frame_.m_hAccelTable)
        ::DestroyAcceleratorTable(frame_.m_hAccelTable);
    frame_.m_hAccelTable = nullptr;
    frame_.DestroyWindow();
    // The records go before their views.
    for (auto& image : images_)
        image->record.view = nullptr;
}

TestImage& CPaletteTestHost::AddImage(int32_t kind, bool withView)
{
    images_.push_back(std::make_unique<TestImage>());
    TestImage& image = *images_.back();
    image.kind = kind;
    if (withView) {
        image.view = std::make_unique<CLoggingView>(now);
        image.record.view = image.view.get();
    }
    return image;
}

bool CPaletteTestHost::GetSelectedImageSettings(int n, CImageRecord** record)
{
    if (n < 0 || n >= static_cast<int>(selected_.size())) {
        *record = nullptr;
        return false;
    }
    *record = &selected_[n]->record;
    return true;
}

bool CPaletteTestHost::SaveSelectedImageSettings(int n)
{
    if (n < 0 || n >= static_cast<int>(selected_.size()))
        return false;
    sidecarsWritten.push_back(n);
    return true;
}

CAdjustmentPalette* CPaletteTestHost::GetAdjustmentPalette(PaletteKind kind)
{
    const auto it = palettes_.find(kind);
    return it == palettes_.end() ? nullptr : it->second;
}

int32_t CPaletteTestHost::GetImageKind(const CImageRecord& record)
{
    for (const auto& image : images_)
        if (&image->record == &record)
            return image->kind;
    return 0;
}

}  // namespace palettetest
