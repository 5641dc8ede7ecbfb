// The engine's operations: window and context, clock, timeline, archive and
// textures, music, projections and the cached OpenGL state switches.
//
// Failures are thrown as `const char*` with a message that names the file or
// device and the fault. Every operation runs on the thread that called
// dmsInitEx.
#pragma once

#include <cstddef>
#include <vector>

#include "fluxcore/api.h"
#include "fluxcore/base.h"
#include "fluxcore/texture.h"

namespace QUASAR_FLUXCORE {

// Engine state codes for myEnable / myDisable.
enum DmsState {
    DMS_BLEND = 0,        // GL_BLEND
    DMS_TEXTURE_2D = 2,   // GL_TEXTURE_2D
    DMS_DEPTH_TEST = 3,   // GL_DEPTH_TEST
    DMS_LINE_SMOOTH = 20, // GL_LINE_SMOOTH: antialiased lines
    DMS_MULTISAMPLE = 22, // GL_MULTISAMPLE: effective where the context has sample buffers
};

// The engine's window, as an opaque handle for the host's buffer swap (an SDL_Window*).
using DmsHdc = void*;

// --- start-up and shut-down -------------------------------------------------
FLUXCORE_API void dmsSetLogging(bool enabled);  // log opens, loads and choices on stderr
// Opens the window and its OpenGL 1.x context and the archive. fullscreen: desktop
// fullscreen keeping the mode's aspect; sound: music on; vsync: wait for the display.
FLUXCORE_API bool dmsInitEx(int width, int height, int colourBits, bool fullscreen,
                            bool sound, bool vsync, const char* archive);
FLUXCORE_API void dmsShutDown();                 // releases everything; safe without dmsInitEx and twice
FLUXCORE_API void dmsSetGamma(float gamma);      // 0 restores the display's own gamma ramp
FLUXCORE_API void dmsMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));  // printf to stderr

// --- clock ------------------------------------------------------------------
FLUXCORE_API void dmsInitTimer();     // demo time starts at 0 now
FLUXCORE_API void dmsUpdateTimer();   // advances the demo time (music position while it plays)
FLUXCORE_API float dmsGetTime();      // demo time in ms
FLUXCORE_API void dmsSetFixedClock(bool fixed);  // fixed: dmsUpdateTimer leaves the time to dmsSetTime
FLUXCORE_API void dmsSetTime(float ms);          // sets the demo time (seeks the music with it)
FLUXCORE_API void dmsCheckControls(float step);  // engine keys: Left/Right seek by step ms, Space pauses

// --- timeline ---------------------------------------------------------------
// Registers an effect for start <= time < end; the engine owns it from now on.
FLUXCORE_API void dmsAddEffect(unsigned int start, unsigned int end, const char* name, Base* effect);
FLUXCORE_API void dmsInitEffects();  // calls init(start, end) of every effect, in registration order
FLUXCORE_API void dmsRun();          // update then draw of each active effect, in registration order

// --- window -----------------------------------------------------------------
FLUXCORE_API DmsHdc dmsGetHDC();                    // the window, for the host's buffer swap
FLUXCORE_API void dmsSetWindowTitle(const char* title);  // window caption

// --- archive, textures, fonts, music ----------------------------------------
FLUXCORE_API void dmsAddFont(int cellWidth, int cellHeight, const char* file);  // registers a glyph sheet
FLUXCORE_API void dmsUploadTextures();               // decodes and uploads every picture of the archive
FLUXCORE_API Texture* dmsGetTexture(const char* file);  // the texture from that file; unknown: failure
FLUXCORE_API Font* dmsGetFont(const char* file);        // a registered font; unknown: failure
FLUXCORE_API bool dmsReadFile(const char* file, std::vector<unsigned char>& bytes);  // archive file; false if absent
FLUXCORE_API void dmsPlaySong(int n);                // plays "song<n>.ogg" from the archive

// --- projection and cached state --------------------------------------------
FLUXCORE_API void dmsPerspective2D(float width, float height);  // (0,0)-(width,height) fills the picture
FLUXCORE_API void dmsPerspective3D();                           // the engine's 3D perspective back
FLUXCORE_API void myEnable(int code);               // switches on a DmsState; no GL call if already on
FLUXCORE_API void myDisable(int code);              // switches off a DmsState; no GL call if already off
FLUXCORE_API void myBlendFunc(int source, int destination);  // glBlendFunc unless already set

}  // namespace QUASAR_FLUXCORE
