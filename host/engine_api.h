// EngineApi: the engine operations the driver uses, as a seam. The program
// passes the fluxcore implementation; tests pass a recording fake.
#pragma once

#include "host/launch_settings.h"

namespace glassmeridian {

class EngineApi {
public:
    virtual ~EngineApi() = default;

    virtual void setLogging(bool enabled) = 0;
    // Opens the window in the settings' mode (size, colour depth, "Sehen",
    // "Hören", "Warten") on the settings' monitor, and the archive; logging is
    // setLogging's.
    virtual bool initEx(const LaunchSettings& settings, const char* archive) = 0;
    virtual void addFont(int cellWidth, int cellHeight, const char* file) = 0;
    virtual void addTexture(const char* file) = 0;  // a picture the effects draw with
    virtual void registerTimeline() = 0;  // creates the effects and puts them on the timeline
    virtual void initEffects() = 0;
    virtual void uploadTextures() = 0;
    virtual void initTimer() = 0;

    virtual void clearColour() = 0;   // clear colour black, alpha 0
    virtual void updateTimer() = 0;
    virtual void checkControls(float step) = 0;
    virtual void clearBuffers() = 0;  // clears the colour and depth buffers
    virtual void run() = 0;
    virtual void* hdc() = 0;          // the surface the platform swaps
    virtual float time() = 0;         // demo time, ms
    virtual void setTime(float ms) = 0;  // moves the demo time (and the music with it)
    virtual void setWindowTitle(const char* title) = 0;
    virtual void playSong(int n, float startMs) = 0;  // song n, heard at demo time startMs

    virtual void setGamma(float gamma) = 0;
    virtual void shutDown() = 0;
    virtual void message(const char* text) = 0;  // writes text as it is (no formatting)
};

}  // namespace glassmeridian
