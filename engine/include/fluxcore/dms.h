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

// Engine state codes for myEnable / myDisable. Any other code is a failure.
enum DmsState {
    DMS_BLEND = 0,        // GL_BLEND
    DMS_TEXTURE_2D = 2,   // GL_TEXTURE_2D
    DMS_DEPTH_TEST = 3,   // GL_DEPTH_TEST
    DMS_LINE_SMOOTH = 20, // GL_LINE_SMOOTH: antialiased lines
    DMS_MULTISAMPLE = 22, // GL_MULTISAMPLE: effective where the context has sample buffers
};

// The engine's window, as an opaque handle for the host's buffer swap: an
// SDL_Window* on Linux, the window's device context (HDC, for SwapBuffers)
// on Windows.
using DmsHdc = void*;

// --- start-up and shut-down -------------------------------------------------
FLUXCORE_API void dmsSetLogging(bool enabled);  // log opens, loads and choices on stderr
// The monitor the next dmsInitEx opens on, counted from 0 (0 until set).
FLUXCORE_API void dmsSetDisplay(int index);
// Whether the next dmsInitEx draws into an offscreen surface of its size
// instead of a window: nothing is shown and no display is needed (false until set).
FLUXCORE_API void dmsSetHeadless(bool headless);
// Opens the window and its OpenGL 1.x compatibility context (colourBits: 16, 24
// or 32; depth buffer 24) and the archive. The window is centred on the
// dmsSetDisplay monitor. fullscreen: desktop fullscreen on that monitor,
// the display's mode unchanged; the frames are drawn at width x height into
// an offscreen picture that dmsPresentFrame scales onto the window, its aspect
// kept (black bars where the shapes differ). sound: music on; vsync: wait for
// the display. A relative archive name is looked for, in this order: beside
// the program (the build tree), in ../share/glass-meridian from the program's
// folder (an installed tree, wherever its prefix now lies), in the data folder
// the build was configured to install to, and last relative to the working
// folder; an absolute path is taken only as given.
// Returns true; failures ("<display>: no display (...)", "display 3 does not
// exist (this desktop has 2: 0 to 1)", "<display>: cannot create OpenGL context
// (...)", "the picture size WxH is beyond this OpenGL's largest WxH",
// "data.pak: not found (...)", "data.pak: not a ZIP archive (...)") are
// thrown, and dmsShutDown then releases what was opened.
FLUXCORE_API bool dmsInitEx(int width, int height, int colourBits, bool fullscreen,
                            bool sound, bool vsync, const char* archive);
// Stops the music, deletes the registered effects (through their virtual
// destructors), the textures and fonts, closes the archive, restores the gamma
// ramp and closes the window. Safe without dmsInitEx and safe twice.
FLUXCORE_API void dmsShutDown();
FLUXCORE_API void dmsSetGamma(float gamma);      // 0 restores the display's own gamma ramp; no-op without a window
FLUXCORE_API void dmsMsg(const char* format, ...) FLUXCORE_PRINTF(1, 2);  // printf to stderr

// --- clock ------------------------------------------------------------------
// The clock is monotonic (steady clock, milliseconds). While a song plays it
// follows the position of the song being heard from the demo time the song
// started at (through a sound server, allowing for the latency the server
// reports), and dmsUpdateTimer never moves it backwards; only seeking does.
// With logging on, dmsUpdateTimer logs once a second "clock: demo D ms at
// monotonic M ms" (M on CLOCK_MONOTONIC), for setting the picture against
// what other programs record.
FLUXCORE_API void dmsInitTimer();     // demo time starts at 0 now; safe without dmsInitEx
FLUXCORE_API void dmsUpdateTimer();   // advances the demo time (music position while it plays)
FLUXCORE_API float dmsGetTime();      // demo time in ms
FLUXCORE_API void dmsSetFixedClock(bool fixed);  // fixed: dmsUpdateTimer leaves the time to dmsSetTime
FLUXCORE_API void dmsSetTime(float ms);          // sets the demo time (seeks the music with it)
// The engine's keys, read once per call, each acting when it goes down:
//   Left   seek back by step ms (not below 0)
//   Right  seek forward by step ms
//   Space  pause / resume (clock and music); paused with music, the clock
//          stops where the music already on its way stops being heard
// Seeking before the song's start holds the song at its beginning until the
// clock reaches it again. The host pumps the event queue; no-op without a window.
FLUXCORE_API void dmsCheckControls(float step);

// --- timeline ---------------------------------------------------------------
// An effect is active for start <= time < end: at time == end the next effect
// takes over, and a zero-length (or reversed) interval is never active.
// Overlapping effects all run, in registration order, each drawing over what
// the ones before it drew.
//
// Registers an effect; the engine owns it from now on and deletes it in
// dmsShutDown. A null effect or one registered twice is a failure.
FLUXCORE_API void dmsAddEffect(unsigned int start, unsigned int end, const char* name, Base* effect);
// Calls init(start, end) of every effect, in registration order; an init
// answering false is a failure naming the effect.
FLUXCORE_API void dmsInitEffects();
// For each active effect, in registration order: dmsPerspective3D (so the 3D
// projection is set and an identity model-view current), then time is set,
// then update, then draw.
FLUXCORE_API void dmsRun();

// --- window -----------------------------------------------------------------
FLUXCORE_API DmsHdc dmsGetHDC();                    // the window, for the host's buffer swap
// The frame is finished: puts it on the window, for the host to call just
// before its buffer swap. Full screen: scales the picture onto the window and
// makes it the drawing target again for the next frame; windowed, and without
// a window: no-op, no GL call.
FLUXCORE_API void dmsPresentFrame();
FLUXCORE_API void dmsSetWindowTitle(const char* title);  // window caption

// --- archive, textures, fonts, music ----------------------------------------
// Registers a glyph sheet of cells (character code = cell index, row by row).
// At upload the sheet must be a whole number of cells; glyph extents are
// measured from the ink and the sheet's brightness becomes its alpha.
FLUXCORE_API void dmsAddFont(int cellWidth, int cellHeight, const char* file);
// Asks for the archive's picture `file` as a texture at the next dmsUploadTextures.
FLUXCORE_API void dmsAddTexture(const char* file);
// Decodes the pictures asked for and the font sheets (with none asked for,
// every .jpg, .jpeg and .pcx outside hidden and "__MACOSX/" folders) and
// uploads each as an RGBA texture (linear filtering, clamped to the edge;
// scaled to powers of two only where the context needs it). A picture asked
// for but absent is skipped (dmsGetTexture then fails); one that does not
// decode, or a set beyond 320 MiB of RGBA (a picture of the largest size,
// 8192 x 8192, and 64 MiB for the rest), is a failure naming the picture.
FLUXCORE_API void dmsUploadTextures();
FLUXCORE_API Texture* dmsGetTexture(const char* file);  // the texture from that file; unknown: failure
FLUXCORE_API Font* dmsGetFont(const char* file);        // a registered font; unknown: failure
FLUXCORE_API bool dmsReadFile(const char* file, std::vector<unsigned char>& bytes);  // archive file; false if absent
// Plays "song<n>.ogg" from the archive. With sound off, without the song or
// without an audio device it logs why and the demo plays on silently; so too,
// with one line, when the device goes away while the song plays (its sound
// server ended), the clock then carrying on by the wall clock.
FLUXCORE_API void dmsPlaySong(int n);  // starts at the current demo time
// Plays "song<n>.ogg" placed at demo time startMs: its position is the demo
// time less startMs whenever it plays, whatever the time is when it starts.
FLUXCORE_API void dmsPlaySongFrom(int n, float startMs);

// --- projection and cached state --------------------------------------------
// (0,0)-(width,height) fills the picture (orthographic); leaves an identity
// model-view matrix current.
FLUXCORE_API void dmsPerspective2D(float width, float height);
// The 3D projection: 45 degrees vertical field of view, the mode's aspect,
// near 0.1, far 100; leaves an identity model-view matrix current.
FLUXCORE_API void dmsPerspective3D();
// The switches below remember what they set since the context was made, so a
// switch to the current value makes no GL call.
FLUXCORE_API void myEnable(int code);               // switches on a DmsState; no GL call if already on
FLUXCORE_API void myDisable(int code);              // switches off a DmsState; no GL call if already off
FLUXCORE_API void myBlendFunc(int source, int destination);  // glBlendFunc unless already set

}  // namespace QUASAR_FLUXCORE
