// LaunchSettings: the viewer's choices for one run, filled by the setup dialog
// and handed whole to the engine (EngineApi::initEx), which opens the window in
// its mode; inside the engine the same choices travel as one DisplayMode.
#pragma once

namespace glassmeridian {

struct LaunchSettings {
    int width = 640;         // screen width in pixels
    int height = 480;        // screen height in pixels
    int colourBits = 32;     // colour depth in bits
    bool seeOption = false;  // "Sehen": full screen
    bool hearOption = false; // "Hören": music on
    bool waitOption = false; // "Warten": wait for the display's vertical sync
    bool readOption = false; // "Lesen": engine logging
    bool accepted = false;   // true only when the dialog was closed with its accept button
};

}  // namespace glassmeridian
