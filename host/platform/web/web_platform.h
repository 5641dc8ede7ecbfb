// WebPlatform: the driver's platform in a web page. The browser delivers its
// events to callbacks, not to a queue the driver polls, so every poll is
// empty (each step draws a frame); Escape is counted from the page's key
// events, and the frame is shown when the step returns to the browser.
#pragma once

#include "host/platform/platform.h"

namespace glassmeridian {

class WebPlatform : public Platform {
public:
    WebPlatform();   // starts listening for Escape and the end of full screen on the page
    ~WebPlatform();  // stops listening
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;

    PlatformEvent pollEvent() override { return {}; }
    // Escape went down, or the page left full screen, since the last test.
    bool escapeHeld() override;
    void swapBuffers(void*) override {}  // the browser presents the canvas after each step

private:
    bool escapePressed_ = false;
};

}  // namespace glassmeridian
