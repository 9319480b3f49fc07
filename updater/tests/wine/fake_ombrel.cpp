// Stands in for the image browser's monitor programs. Started with
// "window TITLE MARKER" it shows a top-level window with that title and
// writes MARKER when the window is asked to close through its system menu;
// started without words (as the update tool starts it) it writes
// "started.txt" beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string g_marker;

void WriteMarker(const std::string& path)
{
    if (FILE* file = std::fopen(path.c_str(), "w")) {
        std::fputs("closed", file);
        std::fclose(file);
    }
}

LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_SYSCOMMAND && (w & 0xFFF0) == SC_CLOSE)
        WriteMarker(g_marker);
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, w, l);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        char self[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string path = self;
        WriteMarker(path.substr(0, path.find_last_of('\\') + 1) + "started.txt");
        return 0;
    }
    g_marker = argv[3];
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MonitorProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "FakeOmbrelMonitor";
    RegisterClassA(&windowClass);
    CreateWindowA("FakeOmbrelMonitor", argv[2], WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                  windowClass.hInstance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
