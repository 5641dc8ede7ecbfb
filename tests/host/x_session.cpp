// Bounded X helpers and the dialog child process (see x_session.h).
#include "x_session.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "host/platform/sdl/dialog_fltk.h"

namespace hosttest {

namespace {
DisplayHold* activeHold = nullptr;
}

DisplayHold::DisplayHold() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return;
    for (int attempt = 0; attempt < 20 && !display_; ++attempt) {
        display_ = XOpenDisplay(nullptr);
        if (!display_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (display_) activeHold = this;
}

DisplayHold::~DisplayHold() {
    if (activeHold == this) activeHold = nullptr;
    if (display_) XCloseDisplay(display_);
}

bool haveDisplay() { return activeHold != nullptr && activeHold->held(); }

std::string runBounded(const std::string& command, int timeoutSeconds, bool& ok) {
    const std::string bounded = "timeout -k 2 " + std::to_string(timeoutSeconds) + " " + command;
    std::string output;
    FILE* pipe = popen(bounded.c_str(), "r");
    if (!pipe) {
        ok = false;
        return output;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pclose(pipe);
    ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return output;
}

std::string waitForWindow(const std::string& nameRegex, int timeoutSeconds) {
    bool ok = false;
    std::string id = runBounded("xdotool search --sync --onlyvisible --name '" + nameRegex + "'",
                                timeoutSeconds, ok);
    const auto end = id.find('\n');
    if (end != std::string::npos) id.erase(end);
    return ok ? id : std::string();
}

bool waitForFocus(const std::string& windowId, int timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        bool ok = false;
        std::string focused = runBounded("xdotool getwindowfocus -f", 5, ok);
        if (ok && !focused.empty() && std::stoul(focused) == std::stoul(windowId)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

WindowGeometry geometryOf(const std::string& windowId) {
    bool ok = false;
    const std::string shell = runBounded("xdotool getwindowgeometry --shell " + windowId, 5, ok);
    WindowGeometry g;
    std::istringstream lines(shell);
    std::string line;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") g.x = value;
        if (key == "Y") g.y = value;
        if (key == "WIDTH") g.width = value;
        if (key == "HEIGHT") g.height = value;
    }
    return g;
}

void screenSize(int& width, int& height) {
    Display* display = XOpenDisplay(nullptr);
    width = height = 0;
    if (!display) return;
    width = DisplayWidth(display, DefaultScreen(display));
    height = DisplayHeight(display, DefaultScreen(display));
    XCloseDisplay(display);
}

void requestClose(const std::string& windowId) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    XEvent event;
    std::memset(&event, 0, sizeof event);
    const Window window = std::stoul(windowId);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
}

DialogProcess::DialogProcess() {
    int fds[2];
    if (pipe(fds) != 0) return;
    child_ = fork();
    if (child_ == 0) {
        close(fds[0]);
        glassmeridian::LaunchSettings settings;
        const glassmeridian::DialogOutcome outcome = glassmeridian::FltkSetupDialog().run(glassmeridian::initialChoices(), settings);
        char line[512];
        const int n = std::snprintf(line, sizeof line, "%d %d %d %d %d %d %d %d %d %s\n",
                                    outcome.shown, settings.accepted, settings.width, settings.height,
                                    settings.colourBits, settings.seeOption, settings.hearOption,
                                    settings.waitOption, settings.readOption, outcome.failure.c_str());
        if (write(fds[1], line, static_cast<size_t>(n)) != n) _exit(2);
        _exit(0);
    }
    close(fds[1]);
    readEnd_ = fds[0];
}

DialogProcess::~DialogProcess() {
    if (child_ > 0) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
    }
    if (readEnd_ >= 0) close(readEnd_);
}

DialogProcess::Result DialogProcess::wait(int timeoutSeconds) {
    Result result;
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (readEnd_ >= 0 && text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return result;
        pollfd p{readEnd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return result;
        char buffer[256];
        const ssize_t n = read(readEnd_, buffer, sizeof buffer);
        if (n <= 0) return result;
        text.append(buffer, static_cast<size_t>(n));
    }
    std::istringstream in(text);
    int shown = 0, accepted = 0, see = 0, hear = 0, waitOpt = 0, read = 0;
    glassmeridian::LaunchSettings& s = result.settings;
    in >> shown >> accepted >> s.width >> s.height >> s.colourBits >> see >> hear >> waitOpt >> read;
    std::getline(in >> std::ws, result.failure);
    result.finished = !in.bad();
    result.shown = shown != 0;
    s.accepted = accepted != 0;
    s.seeOption = see != 0;
    s.hearOption = hear != 0;
    s.waitOption = waitOpt != 0;
    s.readOption = read != 0;
    waitpid(child_, nullptr, 0);
    child_ = -1;
    return result;
}

}  // namespace hosttest
