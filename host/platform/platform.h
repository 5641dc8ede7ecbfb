// Platform: the window-system services the driver uses, as a seam. The program
// passes the SDL implementation; tests pass a recording fake.
#pragma once

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

}  // namespace glassmeridian
