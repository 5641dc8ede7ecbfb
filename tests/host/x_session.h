// Helpers for tests that drive windows on the X display named by DISPLAY:
// bounded xdotool commands and a child process that runs the setup dialog.
#pragma once

#include <sys/types.h>

#include <string>

#include "host/launch_settings.h"

struct _XDisplay;  // Xlib's Display

namespace hosttest {

// Holds one connection to the display for the whole test run: an X server
// such as Xvfb resets itself whenever its last client leaves, and refuses new
// connections meanwhile, which would make the dialog's own connection flaky.
// Retries briefly in case a reset is under way.
class DisplayHold {
public:
    DisplayHold();
    ~DisplayHold();
    DisplayHold(const DisplayHold&) = delete;
    DisplayHold& operator=(const DisplayHold&) = delete;
    bool held() const { return display_ != nullptr; }

private:
    _XDisplay* display_ = nullptr;
};

bool haveDisplay();  // DISPLAY is set and a DisplayHold holds it

// Runs a shell command, killed after timeoutSeconds; returns its stdout and
// sets ok to whether it exited with 0.
std::string runBounded(const std::string& command, int timeoutSeconds, bool& ok);

// The id of the visible window whose name matches the regular expression
// exactly, waiting up to timeoutSeconds; empty if none appeared.
std::string waitForWindow(const std::string& nameRegex, int timeoutSeconds);

// Waits up to timeoutSeconds for the window to hold the keyboard focus.
bool waitForFocus(const std::string& windowId, int timeoutSeconds);

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};
WindowGeometry geometryOf(const std::string& windowId);
void screenSize(int& width, int& height);

// Asks the window to close as a window manager does for its close button.
void requestClose(const std::string& windowId);

// The setup dialog running in a child process.
class DialogProcess {
public:
    DialogProcess();   // forks; the child shows the dialog
    ~DialogProcess();  // kills a child that is still running

    struct Result {
        bool finished = false;  // the child reported within the time limit
        bool shown = false;
        std::string failure;
        glassmeridian::LaunchSettings settings;
    };
    Result wait(int timeoutSeconds);

private:
    pid_t child_ = -1;
    int readEnd_ = -1;
};

}  // namespace hosttest
