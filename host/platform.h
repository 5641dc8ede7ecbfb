// Platform and SetupDialog: the window-system services the driver uses, as
// seams. The program passes the SDL and FLTK implementations; tests pass fakes.
#pragma once

#include <string>

#include "host/launch_settings.h"

namespace glassmeridian {

// One message taken from the queue. `code` is the message's parameter: the
// exit code of a Quit, whatever the platform assigns to any other message.
struct PlatformEvent {
    enum class Kind { Empty, Quit, Other };
    Kind kind = Kind::Empty;
    int code = 0;
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual PlatformEvent pollEvent() = 0;      // removes one message; Empty when the queue is empty
    virtual bool escapeHeld() = 0;              // Escape is down at this moment
    virtual void swapBuffers(void* surface) = 0;  // shows the frame drawn on the engine's surface
};

// Outcome of showing the setup dialog: whether it could be shown at all.
struct DialogOutcome {
    bool shown = true;
    std::string failure;  // why it could not be shown
};

class SetupDialog {
public:
    virtual ~SetupDialog() = default;
    // Shows the dialog modally and writes the viewer's choices into settings.
    virtual DialogOutcome run(LaunchSettings& settings) = 0;
};

}  // namespace glassmeridian
