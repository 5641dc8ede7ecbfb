// GlStateCache: the engine's cached capability switches and blend factors.
// After reset() every value is unknown, so the next switch always reaches GL;
// from then on a switch to the value GL already holds makes no call. Beside it
// the picture's placement in the drawable and the extension-list lookup.
#pragma once

#include <array>

namespace fluxcore {

class GlStateCache {
public:
    // The GL capability behind an engine state code; 0 for an unknown code.
    static unsigned int capabilityFor(int code);

    void reset();
    void enable(int code);   // unknown code: failure naming the code
    void disable(int code);
    void blendFunc(int source, int destination);

private:
    enum class Known : signed char { Unknown, Off, On };
    void set(int code, bool on);

    static constexpr int kCodes = 23;
    std::array<Known, kCodes> states_{};
    bool blendKnown_ = false;
    int blendSource_ = 0, blendDestination_ = 0;
};

// A 2D rectangle inside the window, in pixels from its lower-left corner.
struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Viewport& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// The largest rectangle of the mode's aspect ratio centred in the drawable
// area: letter-boxed on a taller display, pillar-boxed on a wider one.
Viewport letterbox(int modeWidth, int modeHeight, int drawableWidth, int drawableHeight);

// Whether a GL_EXTENSIONS string (names separated by spaces) lists `name`
// as a whole word; false for a null list.
bool listsExtension(const char* extensions, const char* name);

}  // namespace fluxcore
