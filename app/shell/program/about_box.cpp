#include "app/shell/program/about_box.h"

#include <cstdio>
#include <vector>

#include "app/camera/kavo_library.h"
#include "app/shell/program/orla_app.h"
#include "app/shell/program/program_ids.h"
#include "app/shell/program/startup_win.h"
#include "clx/resource.h"

namespace {

constexpr UINT_PTR kSplashTimer = 1005;
constexpr UINT kDeferredStartup = 0x8001;
// Posted to itself: activation may not change while it is changing.
constexpr UINT kReactivate = WM_USER + 100;

// Where the lines go on the picture: below the band of tiles, labels right
// aligned against their values.
constexpr int kLinesLeft = 16;
constexpr int kLinesTop = 108;
constexpr int kLabelWidth = 150;
constexpr int kValueGap = 8;
constexpr int kValueWidth = 120;

HWND g_splash = nullptr;
bool g_splashFinished = true;

int UITextHeight()
{
    COrlaApp* app = GetOrlaApp();
    return app && app->GetUITextHeight() > 0 ? app->GetUITextHeight() : 13;
}

std::string AppendBackslash(std::string path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

std::string ProgramFile()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::string ProgramFolderFile(const char* name)
{
    COrlaApp* app = GetOrlaApp();
    std::string folder = app ? app->GetProgramFolder() : std::string();
    return AppendBackslash(folder) + name;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgAbout, CDialog)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_ACTIVATE, OnActivate)
    ON_MESSAGE(kReactivate, OnReactivate)
    ON_MESSAGE(WM_LBUTTONDOWN, OnMouseDown)
    ON_MESSAGE(WM_RBUTTONDOWN, OnMouseDown)
    ON_MESSAGE(WM_MBUTTONDOWN, OnMouseDown)
END_MESSAGE_MAP()

CDlgAbout::CDlgAbout(CWnd* parent) : CDialog(IDD_ABOUT, parent) {}

CDlgAbout::~CDlgAbout() = default;

bool CDlgAbout::IsSplashFinished() { return g_splashFinished; }

HWND CDlgAbout::GetSplashWindow() { return g_splash; }

void CDlgAbout::CloseSplash()
{
    auto* splash = dynamic_cast<CDlgAbout*>(CWnd::FromHandlePermanent(g_splash));
    if (!splash)
        return;
    splash->m_bCapture = false;
    splash->DestroyWindow();
}

std::string CDlgAbout::FileVersion(const std::string& path, int parts)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (!size)
        return "?";
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
        !::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof *info)
        return "?";
    char text[64];
    const int a = HIWORD(info->dwFileVersionMS), b = LOWORD(info->dwFileVersionMS);
    const int c = HIWORD(info->dwFileVersionLS), d = LOWORD(info->dwFileVersionLS);
    if (parts == 3)
        std::snprintf(text, sizeof text, "%d.%d.%d", a, b, c);
    else
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", a, b, c, d);
    return text;
}

INT_PTR CDlgAbout::DoModal()
{
    m_bModal = true;
    const INT_PTR result = CDialog::DoModal();
    m_bModal = false;
    return result;
}

bool CDlgAbout::ShowSplash(UINT seconds)
{
    if (!Create(IDD_ABOUT, nullptr))
        return false;
    m_bSplash = true;
    // The splash has no caption; its title names it for the message boxes.
    ModifyStyle(WS_CAPTION | WS_SYSMENU, 0, SWP_FRAMECHANGED);
    SetWindowText(clx::LoadStr(IDS_SPLASH_TITLE));
    FitToPicture();
    g_splash = m_hWnd;
    g_splashFinished = false;
    CenterWindow(::GetDesktopWindow());
    ShowWindow(SW_SHOW);
    PaintBottomUp();
    ::SetCapture(m_hWnd);
    m_bCapture = true;
    m_nTimer = SetTimer(kSplashTimer, seconds * 1000);
    if (!m_nTimer)
        ::ReleaseCapture();
    return true;
}

BOOL CDlgAbout::OnInitDialog()
{
    // The bold font of the version lines: the interface font at weight 700.
    LOGFONTA font{};
    COrlaApp* app = GetOrlaApp();
    HFONT base = app && app->GetUIFont() ? app->GetUIFont() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (::GetObjectA(base, sizeof font, &font) == sizeof font) {
        font.lfWeight = FW_BOLD;
        m_fontBold.CreateFontIndirect(&font);
    }
    CTransparentText::SetFont(m_fontBold.m_hObject ? static_cast<HFONT>(m_fontBold) : nullptr);

    // The client area is the picture.
    BITMAP picture{};
    m_bmPicture.Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_ABOUT_PICTURE)));
    if (m_bmPicture.m_hObject)
        ::GetObjectA(m_bmPicture.m_hObject, sizeof picture, &picture);
    m_sizePicture = {picture.bmWidth, picture.bmHeight};
    FitToPicture();
    CWindow control = GetDlgItem(IDC_ABOUT_PICTURE);
    control.SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_bmPicture.m_hObject));
    ::SetWindowPos(control, nullptr, 0, 0, picture.bmWidth, picture.bmHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    CWindow ok = GetDlgItem(IDOK);
    const int gapLarge = 7 * UITextHeight() / 8;
    ::SetWindowPos(ok, HWND_BOTTOM, gapLarge + 10, 195, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ok.ShowWindow(m_bModal ? SW_SHOW : SW_HIDE);

    LayOutVersionLines();
    // The picture lies beneath everything else.
    ::SetWindowPos(GetDlgItem(IDC_ABOUT_PICTURE), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m_bModal)
        CenterWindow();
    return TRUE;
}

void CDlgAbout::PaintBottomUp()
{
    // Start-up runs on before any message is dispatched, so the box is painted
    // now. The version lines are transparent: the picture beneath them must be
    // painted first, and an update of the whole tree paints the top windows
    // first, so the picture would cover the lines.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD) ? ::GetWindow(::GetWindow(m_hWnd, GW_CHILD), GW_HWNDLAST) : nullptr;
         child; child = ::GetWindow(child, GW_HWNDPREV))
        ::UpdateWindow(child);
}

void CDlgAbout::FitToPicture()
{
    if (m_sizePicture.cx <= 0 || m_sizePicture.cy <= 0)
        return;
    RECT rect{0, 0, m_sizePicture.cx, m_sizePicture.cy};
    ::AdjustWindowRectEx(&rect, GetStyle(), FALSE, GetExStyle());
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDlgAbout::LayOutVersionLines()
{
    struct Line {
        UINT label;
        std::string value;
    };
    std::vector<Line> lines;
    const std::string program = ProgramFile();
    if (::GetKeyState(VK_CONTROL) & 0x8000) {
        // The file the program loads as its camera module.
        const std::string module = JoinKavoModulePath(shell::GetCommonFilesFolder(),
                                                      static_cast<const char*>(clx::LoadStr(IDS_KAVO_FOLDER)),
                                                      static_cast<const char*>(clx::LoadStr(IDS_KAVO_MODULE_FILE)));
        lines.push_back({IDS_ABOUT_APPLICATION_VERSION, FileVersion(program, 4)});
        lines.push_back({IDS_ABOUT_MODULE_VERSION, FileVersion(module, 4)});
        lines.push_back({IDS_ABOUT_IMAGING_VERSION, FileVersion(ProgramFolderFile("Vorlat2.dll"), 4)});
        lines.push_back({IDS_ABOUT_FILTERS_VERSION, FileVersion(ProgramFolderFile("Kolvex.dll"), 4)});
    } else {
        lines.push_back({IDS_ABOUT_VERSION, FileVersion(program, 3)});
    }
    const int lineHeight = 14 * UITextHeight() / 8;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int top = kLinesTop + static_cast<int>(i) * lineHeight;
        const RECT label{kLinesLeft, top, kLinesLeft + kLabelWidth, top + lineHeight};
        const RECT value{label.right + kValueGap, top, label.right + kValueGap + kValueWidth, top + lineHeight};
        m_lines[2 * i].Create(clx::LoadStr(lines[i].label), 2, label, this);
        m_lines[2 * i + 1].Create(lines[i].value.c_str(), 0, value, this);
    }
}

void CDlgAbout::OnOK()
{
    if (m_bSplash)
        ::ReleaseCapture();
    else
        EndDialog(IDOK);
}

void CDlgAbout::OnCancel()
{
    if (m_bSplash)
        ::ReleaseCapture();
    else
        EndDialog(IDCANCEL);
}

BOOL CDlgAbout::PreTranslateMessage(MSG* msg)
{
    // A key press ends the splash.
    if (m_bSplash && m_hWnd && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
        (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
        ::ReleaseCapture();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

LRESULT CDlgAbout::OnMouseDown(WPARAM, LPARAM)
{
    if (m_bSplash)
        ::ReleaseCapture();
    return 0;
}

void CDlgAbout::OnTimer(UINT_PTR id)
{
    if (id != kSplashTimer)
        return;
    if (m_bEndPending) {
        EndSplash();
        return;
    }
    ::ReleaseCapture();
}

LRESULT CDlgAbout::OnCaptureChanged(WPARAM, LPARAM)
{
    if (!m_bCapture)
        return 0;
    m_bCapture = false;
    EndSplash();
    return 0;
}

void CDlgAbout::EndSplash()
{
    // A message box of the start-up may be up (owned by the main window);
    // the splash then stays until it is answered, polled on its timer, so
    // that the click that answers the box does not end it.
    COrlaApp* app = GetOrlaApp();
    if (app && app->IsModal()) {
        m_bEndPending = true;
        if (m_nTimer)
            ::KillTimer(m_hWnd, m_nTimer);
        m_nTimer = SetTimer(kSplashTimer, 100);
        if (m_nTimer)
            return;
    }
    m_bEndPending = false;
    g_splashFinished = true;
    if (m_nTimer)
        ::KillTimer(m_hWnd, m_nTimer);
    m_nTimer = 0;
    DestroyWindow();
    if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd)
        main->PostMessage(kDeferredStartup, 1, 0);
}

LRESULT CDlgAbout::OnActivate(WPARAM state, LPARAM lParam)
{
    Default();
    // The splash stays in front of the starting program; not in front of a
    // message box of the application, though.
    COrlaApp* app = GetOrlaApp();
    HWND next = reinterpret_cast<HWND>(lParam);
    DWORD process = 0;
    if (next)
        ::GetWindowThreadProcessId(next, &process);
    if (m_bSplash && LOWORD(state) == WA_INACTIVE && process == ::GetCurrentProcessId() &&
        !(app && app->IsModal()))
        PostMessage(kReactivate, 0, 0);
    return 0;
}

LRESULT CDlgAbout::OnReactivate(WPARAM, LPARAM)
{
    if (m_bSplash && ::GetActiveWindow() != m_hWnd)
        ::SetActiveWindow(m_hWnd);
    return 0;
}

void CDlgAbout::OnDestroy()
{
    if (g_splash == m_hWnd) {
        g_splash = nullptr;
        g_splashFinished = true;
    }
    CTransparentText::SetFont(nullptr);
    m_fontBold.DeleteObject();
    CDialog::OnDestroy();
}

void CDlgAbout::PostNcDestroy()
{
    // The splash was made on the heap for its own life; the About box is the caller's.
    if (m_bSplash)
        delete this;
}
