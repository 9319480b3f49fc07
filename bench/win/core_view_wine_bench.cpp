// The image view under Wine, drawing a camera raw file (4028 x 1324 mosaic,
// developed 3008 x 1960) in a 1280 x 800 client as the program will: the
// program's idle pass (histogram slices, paging) behind the view's host,
// the program's tile sizes, a message loop that pumps normally. Printed:
// the full repaint at 100% (high-quality demosaic) and at the fitted scale
// (single-pass demosaic), each timed until no update region is left; the
// longest single WM_PAINT (timed around the view's window procedure); and
// how long a message posted from another thread waits during a repaint.
// Each line names its target and whether it was met. The lines under them
// tell the idle pass, which the paint loop runs before it draws (the camera
// part only, as in the program), from the drawing itself, and time the
// zooms (command handlers, not paints).
//
// TESS_BENCH_ROUNDS (default 3) repaints of each kind; TESS_BENCH_SCRATCH
// holds the raw file, the profiles and the page files.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "app/core/docview/image_display_view.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/image_open.h"
#include "app/core/load/image_load.h"
#include "app/core/load/load_context.h"
#include "app/core/record/image_record.h"
#include "app/core/view_model/zoom.h"
#include "app/shell/program/idle_work.h"
#include "bench/bench_util.h"
#include "clx/app.h"
#include "clx/document.h"
#include "clx/frame.h"
#include "fileio/VorlatLoad.h"
#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"

namespace {

// The camera's raw mosaic; the engine develops it to 3008 x 1960.
constexpr int32_t kRawWidth = 4028;
constexpr int32_t kRawHeight = 1324;
// The view's client at 100%, scroll bars outside it.
constexpr int32_t kClientWidth = 1280;
constexpr int32_t kClientHeight = 800;
// The program's tile managers: drawing tiles of 16 KiB, saving tiles of 64 KiB.
constexpr int32_t kDrawingTileBytes = 16384;
constexpr int32_t kSavingTileBytes = 65536;
constexpr int32_t kZoomStep100 = 14;
constexpr UINT kProbeMessage = WM_APP + 1;
constexpr int32_t kProbePosts = 20;

double NowMs()
{
    static const double perMs = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / perMs;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Max(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

_VorlatFile FileName(const std::string& path)
{
    _VorlatFile file{};
    std::snprintf(file.path, sizeof file.path, "%s", path.c_str());
    return file;
}

bool SetTag(IVorlatTagControl* tags, TagId tag, uint32_t type, const void* data, uint32_t bytes)
{
    return bench::Ok(tags->AddTag(tag), "AddTag") && bench::Ok(tags->SetTagValue(tag, type, bytes, data, 0), "SetTagValue");
}

// A raw file as the camera writes it, through the file library's saver:
// 12-bit samples of a smooth scene with some texture, the maker's model, the
// raw file kind.
bool WriteRawFile(IVorlatManager* manager, const std::string& path)
{
    IVorlatTagControl* tags = nullptr;
    if (!bench::Ok(IVorlatTagControl::CreateTagControl(&tags), "CreateTagControl"))
        return false;
    const uint8_t cfa[8] = {0, 2, 0, 2, 0, 1, 1, 2};
    const char maker[] = "KORVA", model[] = "KORVA M4X";
    const int32_t kind = kFileKindRaw;
    bool ok = SetTag(tags, 0xA302, kTagTypeBytes, cfa, sizeof cfa) &&
              SetTag(tags, 0x10F, kTagTypeText, maker, sizeof maker) &&
              SetTag(tags, kTagModel, kTagTypeText, model, sizeof model) &&
              SetTag(tags, kTagFileKind, kTagTypeLongs, &kind, 4);

    std::vector<uint8_t> samples(static_cast<size_t>(kRawWidth) * kRawHeight * 2);
    for (int32_t y = 0; y < kRawHeight; ++y) {
        for (int32_t x = 0; x < kRawWidth; ++x) {
            const uint32_t value = (static_cast<uint32_t>(x) * 4095 / kRawWidth + static_cast<uint32_t>(y) * 3 +
                                    ((x * 7 + y * 13) & 63)) & 0xFFF;
            uint8_t* at = &samples[(static_cast<size_t>(y) * kRawWidth + x) * 2];
            at[0] = static_cast<uint8_t>(value);
            at[1] = static_cast<uint8_t>(value >> 8);
        }
    }
    IVorlatImage* image = nullptr;
    const RECT all = {0, 0, kRawWidth, kRawHeight};
    ok = ok && bench::Ok(manager->CreateImage(&image, 0), "CreateImage") &&
         bench::Ok(image->SetColorSpace(64), "SetColorSpace") && bench::Ok(image->SetSize(kRawWidth, kRawHeight), "SetSize") &&
         bench::Ok(image->SetData(samples.data(), kRawWidth * 2, all), "SetData");

    IVorlatFileStream* stream = nullptr;
    IVorlatSave* save = nullptr;
    ok = ok && bench::Ok(IVorlatFileStream::CreateFileStream(&stream), "CreateFileStream") &&
         bench::Ok(stream->SetFile(FileName(path)), "SetFile") && bench::Ok(IVorlatSave::CreateSave(&save), "CreateSave") &&
         bench::Ok(save->AttachStream(stream, tags, kFormatRawTiff, 0), "AttachStream");
    IVorlatDataSource* sources[1] = {image};
    ok = ok && bench::Ok(save->BeginSave(image, sources, 0), "BeginSave");
    while (ok && !save->IsFinished())
        ok = bench::Ok(save->Execute(), "Execute");
    if (save) {
        save->DetachStream();
        save->Destroy();
    }
    if (stream)
        stream->Destroy();
    if (image)
        image->Destroy();
    tags->Destroy();
    return ok;
}

// The program's side of the view: its idle pass (one histogram slice, else
// paging), timed so that a WM_PAINT can tell its own drawing from it.
class BenchHost final : public CQuietViewHost, private shell::IIdleWorkHost {
public:
    explicit BenchHost(IVorlatManager* drawing, IVorlatManager* saving) : drawing_(drawing)
    {
        idle_.SetTileManagers(drawing, saving);
    }
    // As the program's host: the paint's pass serves the camera only.
    void DoIdleWork() override { RunIdle(true); }
    bool RunIdle(bool cameraOnly = false)
    {
        const double start = NowMs();
        const bool more = idle_.Run(cameraOnly);
        idleMs += NowMs() - start;
        return more;
    }
    IVorlatManager* GetDrawingManager() const override { return drawing_; }
    void AddIdleClient(CVorlatFilterHistogram* histogram) override { idle_.AddClient(histogram); }
    void RemoveIdleClient(CVorlatFilterHistogram* histogram) override { idle_.RemoveClient(histogram); }

    // Time spent in idle passes since last cleared.
    double idleMs = 0.0;

private:
    bool HasMainWindow() override { return true; }
    void PostIdleDone() override {}
    void ExpireCameraTimer() override {}

    IVorlatManager* drawing_;
    shell::CIdleWork idle_{*this};
};

BenchHost* host = nullptr;
CImageRecord* shownRecord = nullptr;

// The program's loop runs the idle pass when the queue is empty.
class BenchApp : public CWinApp {
public:
    BenchApp() : CWinApp("Tessaline view bench") { m_hInstance = ::GetModuleHandleA(nullptr); }
    BOOL OnIdle(LONG count) override
    {
        if (CWinApp::OnIdle(count))
            return TRUE;
        return host && host->RunIdle() ? TRUE : FALSE;
    }
};

class BenchView : public CImageDisplayView {
    DECLARE_DYNCREATE(BenchView)
public:
    void OnInitialUpdate() override
    {
        SetRecord(shownRecord);
        BuildPipeline(kHintBuildAll, 0.0);
        CImageDisplayView::OnInitialUpdate();
    }
};
IMPLEMENT_DYNCREATE(BenchView, CImageDisplayView)

class BenchDoc : public CDocument {};

// Every WM_PAINT of the view, timed around its window procedure.
struct PaintLog {
    int32_t paints = 0;
    int32_t over50 = 0;
    double idleTotal = 0.0;  // idle passes inside every WM_PAINT
    double longest = 0.0;
    double longestIdle = 0.0;  // the idle pass inside the longest one
    double drawLongest = 0.0;  // the longest one less its idle pass
    int32_t drawLongestAt = 0;  // which WM_PAINT of its repaint that was, from 1
    int32_t drawLongestStep = 0;
    // The first WM_PAINT of each repaint less its idle pass, longest at 100% and at fit.
    double firstAt100 = 0.0;
    double firstAtFit = 0.0;
    // The repaint running: its zoom step (-1 fit) and its first WM_PAINT.
    int32_t step = 0;
    int32_t firstPaint = 0;
};
PaintLog paintLog;
WNDPROC viewProc = nullptr;

LRESULT CALLBACK TimedViewProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg != WM_PAINT)
        return ::CallWindowProcA(viewProc, hwnd, msg, w, l);
    host->idleMs = 0.0;
    const double start = NowMs();
    const LRESULT result = ::CallWindowProcA(viewProc, hwnd, msg, w, l);
    const double took = NowMs() - start;
    ++paintLog.paints;
    paintLog.idleTotal += host->idleMs;
    if (took > 50.0)
        ++paintLog.over50;
    if (took > paintLog.longest) {
        paintLog.longest = took;
        paintLog.longestIdle = host->idleMs;
    }
    if (paintLog.paints - paintLog.firstPaint == 1) {
        double& first = paintLog.step < 0 ? paintLog.firstAtFit : paintLog.firstAt100;
        first = std::max(first, took - host->idleMs);
    }
    if (took - host->idleMs > paintLog.drawLongest) {
        paintLog.drawLongest = took - host->idleMs;
        paintLog.drawLongestAt = paintLog.paints - paintLog.firstPaint;
        paintLog.drawLongestStep = paintLog.step;
    }
    return result;
}

// The frame may be larger than the screen: its client is the view's plus
// both scroll bars, so that a bar sits off screen rather than in the 1280 x 800.
WNDPROC frameProc = nullptr;

LRESULT CALLBACK LargeFrameProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    const LRESULT result = ::CallWindowProcA(frameProc, hwnd, msg, w, l);
    if (msg == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MINMAXINFO*>(l);
        info->ptMaxTrackSize = {4096, 4096};
    }
    return result;
}

// The other thread's posts and the main thread's answers.
struct Probe {
    HWND target = nullptr;
    HANDLE answered = nullptr;
    volatile LONG repainting = 0;
    volatile LONG stop = 0;
    double postedAt = 0.0;
    std::vector<double> waits;  // written by the main thread only
};
Probe probe;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == kProbeMessage) {
        // Counted only when posted while a repaint was running.
        if (w)
            probe.waits.push_back(NowMs() - probe.postedAt);
        ::SetEvent(probe.answered);
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, w, l);
}

DWORD WINAPI PostFromAnotherThread(void*)
{
    uint32_t seed = 12345;
    for (int32_t posted = 0; posted < kProbePosts && !probe.stop;) {
        if (!probe.repainting) {
            ::Sleep(1);
            continue;
        }
        // Posts fall at unrelated moments of the repaint.
        seed = seed * 1103515245u + 12345u;
        ::Sleep(5 + (seed >> 16) % 25);
        const bool during = probe.repainting != 0;
        probe.postedAt = NowMs();
        ::PostMessageA(probe.target, kProbeMessage, during ? 1 : 0, 0);
        if (::WaitForSingleObject(probe.answered, 30000) != WAIT_OBJECT_0)
            break;
        if (during)
            ++posted;
    }
    return 0;
}

// Pumps as the program's loop does until the view has nothing left to paint.
bool PumpUntilPainted(HWND view, double limitMs)
{
    CWinThread* thread = AfxGetThread();
    const double start = NowMs();
    while (::GetUpdateRect(view, nullptr, FALSE)) {
        if (NowMs() - start > limitMs)
            return false;
        if (!thread->PumpMessage())
            return false;
    }
    return true;
}

// Pumps with the idle pass until the queue stays empty and the idle pass has
// nothing more to do (histograms complete, paging done), within the limit.
void PumpUntilQuiet(double limitMs)
{
    CWinThread* thread = AfxGetThread();
    const double start = NowMs();
    LONG count = 0;
    while (NowMs() - start < limitMs) {
        MSG peek;
        if (::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            thread->PumpMessage();
            count = 0;
        } else if (!thread->OnIdle(count++)) {
            return;
        }
    }
}

struct Repaint {
    double zoomMs = 0.0;     // the zoom itself (filters switched, demosaic chosen)
    double repaintMs = 0.0;  // from the invalidation until nothing is left to paint
    double idleMs = 0.0;     // of which idle passes inside the WM_PAINTs
    int32_t paints = 0;
    CSize client;
    bool finished = false;
};

// Zooms to the step (or fits, for -1), scrolls to the image's centre, and
// times the full repaint that follows; `during` is set while it runs.
Repaint ZoomAndRepaint(CImageDisplayView* view, int32_t step, volatile LONG* during = nullptr)
{
    Repaint result;
    const double start = NowMs();
    if (step < 0) {
        view->GetDocument()->UpdateAllViews(nullptr, 1);
    } else {
        shownRecord->zoomStep = step;
        shownRecord->displayScale = qz::GetZoomStepScale(step);
        view->SetZoom(shownRecord->displayScale);
    }
    const CSize total = view->GetTotalSize();
    const CRect client = view->GetClientRect();
    view->ScrollToPosition(CPoint(std::max<LONG>(0, (total.cx - client.Width()) / 2),
                                  std::max<LONG>(0, (total.cy - client.Height()) / 2)));
    result.zoomMs = NowMs() - start;
    const CRect shown = view->GetClientRect();
    result.client = CSize(shown.Width(), shown.Height());
    view->Invalidate(FALSE);
    const int32_t paintsBefore = paintLog.paints;
    paintLog.firstPaint = paintsBefore;
    paintLog.step = step;
    const double idleBefore = paintLog.idleTotal;
    if (during)
        ::InterlockedExchange(during, 1);
    const double paintStart = NowMs();
    result.finished = PumpUntilPainted(view->m_hWnd, 600000.0);
    result.repaintMs = NowMs() - paintStart;
    if (during)
        ::InterlockedExchange(during, 0);
    result.paints = paintLog.paints - paintsBefore;
    result.idleMs = paintLog.idleTotal - idleBefore;
    return result;
}

void PrintLine(const char* what, double value, const char* unit, const char* target, bool met)
{
    std::printf("  %-58s %10.1f %-3s %10s  %s\n", what, value, unit, target, met ? "met" : "NOT met");
}

int Run(int32_t rounds)
{
    const std::string scratch = bench::Scratch("core_view_wine");
    IVorlatManager* saving = nullptr;
    IVorlatManager* drawing = nullptr;
    if (!bench::Ok(IVorlatManager::CreateManager(&saving, FileName(scratch + "/saving.tmp"), 128 << 20,
                                                 kSavingTileBytes, 0),
                   "CreateManager") ||
        !bench::Ok(IVorlatManager::CreateManager(&drawing, FileName(scratch + "/drawing.tmp"), 64 << 20,
                                                 kDrawingTileBytes, 0),
                   "CreateManager"))
        return 1;
    CreateColorEnginePool();
    SetImageManager(saving);
    // The engine folder always ends in a backslash: the camera profiles are its files.
    const std::vector<uint8_t> wide = qrvtest::WideRgbProfile().Build();
    const std::string working = scratch + "/working.icm", lch = scratch + "/lch.icm", monitor = scratch + "/monitor.icm";
    if (!WriteBytes(scratch + "\\QZM4_TIFF.icm", wide) || !WriteBytes(scratch + "\\QZM4_XQV.icm", wide) ||
        !WriteBytes(working, qrvtest::RgbMatrixProfile().Build()) ||
        !WriteBytes(lch, qrvtest::LabIdentityProfile().Build()) ||
        !WriteBytes(monitor, qrvtest::NarrowRgbProfile().Build())) {
        std::printf("  profiles could not be written in %s\n", scratch.c_str());
        return 1;
    }
    SetEngineFolder(scratch.c_str());
    SetColorProfilePaths(working.c_str(), working.c_str(), lch.c_str(), monitor.c_str());

    const std::string path = scratch + "/shot.xqv";
    if (!WriteRawFile(saving, path))
        return 1;
    auto record = std::make_unique<CImageRecord>();
    SetLoadImageManager(drawing);
    const int32_t loaded = LoadImageFile(record.get(), path.c_str(), false, 0);
    SetLoadImageManager(nullptr);
    if (loaded != 0 || !record->raw) {
        std::printf("  the raw file did not load: %d\n", static_cast<int>(loaded));
        return 1;
    }

    BenchHost benchHost(drawing, saving);
    host = &benchHost;
    SetImageViewHost(&benchHost);
    shownRecord = record.get();

    // The frame's client starts at the screen's left edge, so that none of
    // the view's client is off screen.
    auto* doc = new BenchDoc;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(BenchView);
    context.m_pCurrentDoc = doc;
    auto* frame = new CFrameWnd;
    if (!frame->LoadFrame(0, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
        std::printf("  no frame\n");
        return 1;
    }
    frameProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(frame->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LargeFrameProc)));
    RECT outer = {0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    frame->SetWindowPos(nullptr, outer.left, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_NOZORDER);
    const double openStart = NowMs();
    frame->InitialUpdateFrame(doc, TRUE);
    auto* view = static_cast<CImageDisplayView*>(frame->GetActiveView());
    if (!view || !view->GetChain().IsChainReady()) {
        std::printf("  the view has no chain\n");
        return 1;
    }
    viewProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(view->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimedViewProc)));
    const bool openPainted = PumpUntilPainted(view->m_hWnd, 600000.0);
    const double openMs = NowMs() - openStart;
    // The view's border and bars are the system's: at 100% the frame grows
    // or shrinks by what the view's client lacks of 1280 x 800.
    ZoomAndRepaint(view, kZoomStep100);
    const CRect at100 = view->GetClientRect();
    RECT now{};
    ::GetWindowRect(frame->m_hWnd, &now);
    frame->SetWindowPos(nullptr, 0, 0, now.right - now.left + kClientWidth - at100.Width(),
                        now.bottom - now.top + kClientHeight - at100.Height(), SWP_NOZORDER | SWP_NOMOVE);
    ZoomAndRepaint(view, -1);
    PumpUntilQuiet(120000.0);

    const bool wide64 = sizeof(void*) == 8;
    std::printf("Tessaline image view under Wine, %s tree%s\n", wide64 ? "win64" : "win32",
                wide64 ? "" : " (the shipped 32-bit build; under qemu on this machine)");
    std::printf("  raw %d x %d developed %d x %d, %d round(s)\n", kRawWidth, kRawHeight, 3008, 1960,
                static_cast<int>(rounds));
    std::printf("  %-58s %10.1f ms%s\n", "open: first fitted paint", openMs, openPainted ? "" : " (unfinished)");

    // Full repaints: each zoom switches the demosaic and the scale, so every tile is made again.
    std::vector<double> full, fit, zoomFull, zoomFit;
    Repaint lastFull, lastFit;
    bool finished = true;
    paintLog = {};
    for (int32_t round = 0; round < rounds; ++round) {
        const Repaint at100 = ZoomAndRepaint(view, kZoomStep100);
        full.push_back(at100.repaintMs);
        zoomFull.push_back(at100.zoomMs);
        lastFull = at100;
        finished = finished && at100.finished;
        const Repaint atFit = ZoomAndRepaint(view, -1);
        fit.push_back(atFit.repaintMs);
        zoomFit.push_back(atFit.zoomMs);
        lastFit = atFit;
        finished = finished && atFit.finished;
    }
    const PaintLog repaints = paintLog;

    // The background alone: the strip right of the fitted image, repainted.
    double backgroundMs = 0.0;
    {
        const CSize total = view->GetTotalSize();
        const CRect shown = view->GetClientRect();
        const RECT strip = {total.cx, 0, shown.right, shown.bottom};
        paintLog = {};
        ::InvalidateRect(view->m_hWnd, &strip, FALSE);
        finished = PumpUntilPainted(view->m_hWnd, 60000.0) && finished;
        backgroundMs = paintLog.drawLongest;
    }

    // Posts from another thread while repaints run (100% and fit in turn).
    WNDCLASSA cls{};
    cls.lpfnWndProc = ProbeProc;
    cls.hInstance = ::GetModuleHandleA(nullptr);
    cls.lpszClassName = "TessViewBenchProbe";
    ::RegisterClassA(&cls);
    probe.target = ::CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance, nullptr);
    probe.answered = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE poster = ::CreateThread(nullptr, 0, &PostFromAnotherThread, nullptr, 0, nullptr);
    for (int32_t round = 0; round < 4 * kProbePosts && probe.waits.size() < static_cast<size_t>(kProbePosts); ++round) {
        const Repaint r = ZoomAndRepaint(view, round % 2 == 0 ? kZoomStep100 : -1, &probe.repainting);
        finished = finished && r.finished;
        // An answer on its way is taken before the next repaint.
        MSG msg;
        while (::PeekMessageA(&msg, probe.target, kProbeMessage, kProbeMessage, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
    ::InterlockedExchange(&probe.stop, 1);
    ::SetEvent(probe.answered);
    ::WaitForSingleObject(poster, 30000);
    ::CloseHandle(poster);

    std::printf("  %-58s %10s %-3s %10s\n", "", "", "", "target");
    char what[96];
    std::snprintf(what, sizeof what, "full repaint at 100%%, high quality (median of %d)", static_cast<int>(full.size()));
    PrintLine(what, Median(full), "ms", "< 2000 ms", Median(full) < 2000.0 && finished);
    std::snprintf(what, sizeof what, "full repaint at fit, single pass (median of %d)", static_cast<int>(fit.size()));
    PrintLine(what, Median(fit), "ms", "< 1000 ms", Median(fit) < 1000.0 && finished);
    PrintLine("longest single WM_PAINT", repaints.longest, "ms", "<= 50 ms", repaints.longest <= 50.0);
    std::snprintf(what, sizeof what, "posted message answered during a repaint, max of %d",
                  static_cast<int>(probe.waits.size()));
    const bool enoughPosts = probe.waits.size() >= static_cast<size_t>(kProbePosts);
    PrintLine(what, Max(probe.waits), "ms", "<= 100 ms", enoughPosts && Max(probe.waits) <= 100.0);
    PrintLine("posted message answered during a repaint, median", Median(probe.waits), "ms", "<= 100 ms",
              enoughPosts && Median(probe.waits) <= 100.0);
    std::printf("  %-58s %10.1f ms\n", "  worst full repaint at 100%", Max(full));
    std::printf("  %-58s %10.1f ms\n", "  worst full repaint at fit", Max(fit));
    std::printf("  %-58s %10.1f ms\n", "  zoom to 100% before its repaint (median)", Median(zoomFull));
    std::printf("  %-58s %10.1f ms\n", "  zoom to fit before its repaint (median)", Median(zoomFit));
    for (const auto& [name, r] : {std::pair<const char*, const Repaint&>{"100%", lastFull}, {"fit", lastFit}}) {
        std::snprintf(what, sizeof what, "  last repaint at %s: view client %ld x %ld, WM_PAINTs", name,
                      static_cast<long>(r.client.cx), static_cast<long>(r.client.cy));
        std::printf("  %-58s %10d\n", what, static_cast<int>(r.paints));
        std::snprintf(what, sizeof what, "  last repaint at %s: idle passes inside its WM_PAINTs", name);
        std::printf("  %-58s %10.1f ms\n", what, r.idleMs);
    }
    std::printf("  %-58s %10d of %d\n", "  WM_PAINTs above 50 ms", static_cast<int>(repaints.over50),
                static_cast<int>(repaints.paints));
    std::printf("  %-58s %10.1f ms\n", "  idle pass inside the longest WM_PAINT", repaints.longestIdle);
    std::snprintf(what, sizeof what, "  longest WM_PAINT less its idle pass (no. %d at %s)",
                  static_cast<int>(repaints.drawLongestAt), repaints.drawLongestStep < 0 ? "fit" : "100%");
    std::printf("  %-58s %10.1f ms\n", what, repaints.drawLongest);
    std::printf("  %-58s %10.1f ms\n", "  first WM_PAINT at 100% less its idle pass", repaints.firstAt100);
    std::printf("  %-58s %10.1f ms\n", "  first WM_PAINT at fit less its idle pass", repaints.firstAtFit);
    std::printf("  %-58s %10.1f ms\n", "  WM_PAINT of the background right of the fitted image", backgroundMs);
    if (!finished)
        std::printf("  a repaint did not finish within 10 minutes\n");

    ::DestroyWindow(probe.target);
    ::CloseHandle(probe.answered);
    ::SetWindowLongPtrA(view->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(viewProc));
    frame->SendMessage(WM_CLOSE);
    PumpUntilQuiet(10000.0);
    SetImageViewHost(nullptr);
    host = nullptr;
    record.reset();
    DestroyColorEnginePool();
    SetImageManager(nullptr);
    drawing->Destroy();
    saving->Destroy();
    return 0;
}

}  // namespace

int main()
{
    BenchApp app;
    const char* text = std::getenv("TESS_BENCH_ROUNDS");
    const int32_t rounds = std::max(1, text ? std::atoi(text) : 3);
    const int result = Run(rounds);
    std::fflush(stdout);
    return result;
}
