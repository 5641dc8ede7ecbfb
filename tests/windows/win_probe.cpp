// gm-win-probe.exe: the Wine tests' window reader, a console program run in
// the same Wine session as the demo. It reads what the X server cannot tell:
// the texts, check states and focus of the setup dialog's controls, the text
// of a message box, and the client size and caption of the demo's window.
//
//   gm-win-probe dialog SECONDS    the setup dialog: its caption, placement
//                                  and one line per control
//   gm-win-probe message SECONDS   the message box titled "Glass Meridian": its text
//   gm-win-probe demo SECONDS      the window whose caption starts "Time: ": its
//                                  caption and client area (size, screen origin)
//
// Each waits at most SECONDS for its window, polling. Output is UTF-8, one
// fact per line. Exit 0 when the window was read, 1 when none came in time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string textOf(HWND window) {
    wchar_t buffer[512] = {0};
    // WM_GETTEXT reaches another process's controls (GetWindowText does not).
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
    return utf8(buffer);
}

std::string classOf(HWND window) {
    wchar_t buffer[128] = {0};
    GetClassNameW(window, buffer, 128);
    return utf8(buffer);
}

struct Search {
    enum class Kind { Dialog, Message, Demo } kind;
    HWND found = nullptr;
};

BOOL CALLBACK visit(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!IsWindowVisible(window)) return TRUE;
    const std::string caption = textOf(window);
    const bool dialogClass = classOf(window) == "#32770";
    const bool hasRadios = GetDlgItem(window, 1001) != nullptr;
    bool match = false;
    switch (search->kind) {
        case Search::Kind::Dialog: match = dialogClass && hasRadios && caption == "Glass Meridian"; break;
        case Search::Kind::Message: match = dialogClass && !hasRadios && caption == "Glass Meridian"; break;
        case Search::Kind::Demo: match = caption.rfind("Time: ", 0) == 0; break;
    }
    if (!match) return TRUE;
    search->found = window;
    return FALSE;
}

HWND waitFor(Search::Kind kind, double seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0);
    for (;;) {
        Search search{kind};
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount64() > deadline) return nullptr;
        Sleep(50);
    }
}

void printRect(const char* name, const RECT& r) {
    std::printf("%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void printClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("client %ld %ld at %ld %ld\n", client.right, client.bottom, origin.x, origin.y);
}

BOOL CALLBACK printControl(HWND control, LPARAM focus) {
    const std::string cls = classOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const LRESULT check = SendMessageW(control, BM_GETCHECK, 0, 0);
    RECT r;
    GetWindowRect(control, &r);
    // A bitmap static's text is its resource id, not words.
    const bool bitmap = cls == "Static" && (style & SS_TYPEMASK) == SS_BITMAP;
    std::printf("control id=%d class=%s style=0x%08lx checked=%d focused=%d rect=%ld,%ld,%ld,%ld text=%s\n",
                GetDlgCtrlID(control), cls.c_str(), static_cast<unsigned long>(style),
                cls == "Button" ? static_cast<int>(check) : 0, reinterpret_cast<HWND>(focus) == control ? 1 : 0,
                r.left, r.top, r.right - r.left, r.bottom - r.top, bitmap ? "" : textOf(control).c_str());
    return TRUE;
}

void printDialog(HWND dialog) {
    std::printf("caption %s\n", textOf(dialog).c_str());
    RECT window;
    GetWindowRect(dialog, &window);
    printRect("window", window);
    printClient(dialog);
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    printRect("work", monitor.rcWork);
    GUITHREADINFO gui;
    gui.cbSize = sizeof gui;
    HWND focus = GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui) ? gui.hwndFocus : nullptr;
    std::printf("foreground %d\n", GetForegroundWindow() == dialog ? 1 : 0);
    EnumChildWindows(dialog, printControl, reinterpret_cast<LPARAM>(focus));
}

BOOL CALLBACK printStatic(HWND control, LPARAM) {
    if (classOf(control) == "Static" && !textOf(control).empty()) std::printf("text %s\n", textOf(control).c_str());
    return TRUE;
}

int usage() {
    std::fprintf(stderr, "usage: gm-win-probe dialog|message|demo SECONDS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage();
    const std::string what = argv[1];
    const double seconds = std::atof(argv[2]);
    Search::Kind kind;
    if (what == "dialog") kind = Search::Kind::Dialog;
    else if (what == "message") kind = Search::Kind::Message;
    else if (what == "demo") kind = Search::Kind::Demo;
    else return usage();
    HWND window = waitFor(kind, seconds);
    if (!window) {
        std::printf("none\n");
        return 1;
    }
    switch (kind) {
        case Search::Kind::Dialog: printDialog(window); break;
        case Search::Kind::Message:
            std::printf("caption %s\n", textOf(window).c_str());
            EnumChildWindows(window, printStatic, 0);
            break;
        case Search::Kind::Demo:
            std::printf("caption %s\n", textOf(window).c_str());
            printClient(window);
            break;
    }
    std::fflush(stdout);
    return 0;
}
