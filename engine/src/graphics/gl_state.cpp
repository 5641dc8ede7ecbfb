// The state cache, the letter-box computation and the extension lookup.
#include "graphics/gl_state.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "core/failure.h"
#include "fluxcore/dms.h"

namespace fluxcore {

// Code 20 is line smoothing on purpose: the scene's hint asks for the nicest
// smoothing just before it, and the one-pixel cube outlines are the picture's
// main subject (stair-stepped and broken into dots without it). A software
// rasteriser pays for it, roughly a tenth of a scene frame on llvmpipe.
unsigned int GlStateCache::capabilityFor(int code) {
    switch (code) {
        case QUASAR_FLUXCORE::DMS_BLEND: return GL_BLEND;
        case QUASAR_FLUXCORE::DMS_TEXTURE_2D: return GL_TEXTURE_2D;
        case QUASAR_FLUXCORE::DMS_DEPTH_TEST: return GL_DEPTH_TEST;
        case QUASAR_FLUXCORE::DMS_LINE_SMOOTH: return GL_LINE_SMOOTH;
        case QUASAR_FLUXCORE::DMS_MULTISAMPLE: return GL_MULTISAMPLE;
        default: return 0;
    }
}

void GlStateCache::reset() {
    states_.fill(Known::Unknown);
    blendKnown_ = false;
    blendSource_ = blendDestination_ = 0;
}

void GlStateCache::set(int code, bool on) {
    const unsigned int capability = capabilityFor(code);
    if (capability == 0) fail("state code %d: not an engine state code (0, 2, 3, 20, 22)", code);
    Known& known = states_[static_cast<std::size_t>(code)];
    const Known wanted = on ? Known::On : Known::Off;
    if (known == wanted) return;
    if (on) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
    known = wanted;
}

void GlStateCache::enable(int code) { set(code, true); }
void GlStateCache::disable(int code) { set(code, false); }

void GlStateCache::blendFunc(int source, int destination) {
    if (blendKnown_ && source == blendSource_ && destination == blendDestination_) return;
    glBlendFunc(static_cast<GLenum>(source), static_cast<GLenum>(destination));
    blendKnown_ = true;
    blendSource_ = source;
    blendDestination_ = destination;
}

Viewport letterbox(int modeWidth, int modeHeight, int drawableWidth, int drawableHeight) {
    Viewport view{0, 0, drawableWidth, drawableHeight};
    if (modeWidth <= 0 || modeHeight <= 0 || drawableWidth <= 0 || drawableHeight <= 0) return view;
    // Compare w/h ratios without division: wider display when dw*mh > mw*dh.
    const long long wide = static_cast<long long>(drawableWidth) * modeHeight;
    const long long tall = static_cast<long long>(modeWidth) * drawableHeight;
    if (wide > tall) {
        view.width = static_cast<int>(std::lround(double(drawableHeight) * modeWidth / modeHeight));
        view.x = (drawableWidth - view.width) / 2;
    } else if (wide < tall) {
        view.height = static_cast<int>(std::lround(double(drawableWidth) * modeHeight / modeWidth));
        view.y = (drawableHeight - view.height) / 2;
    }
    return view;
}

bool listsExtension(const char* extensions, const char* name) {
    if (!extensions || !name || !*name) return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        const bool startsWord = at == extensions || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

}  // namespace fluxcore
