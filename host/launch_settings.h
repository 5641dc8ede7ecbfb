// LaunchSettings: the viewer's choices for one run, filled by the setup dialog
// or the command line and handed whole to the engine (EngineApi::initEx), which
// opens the window in its mode; inside the engine the same choices travel as
// one DisplayMode. The show's start and looping are the driver's.
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
                             // (or the command line asked for no dialog)
    int display = 0;         // the monitor to open on, counted from 0
    float startMs = 0.0f;    // demo time of the first frame
    bool loop = false;       // at the end start again from 0, until Escape
};

}  // namespace glassmeridian
