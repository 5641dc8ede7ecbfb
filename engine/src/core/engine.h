// The engine instance: everything the dms* operations share. It is the one
// global of the library, reached through engine().
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/archive.h"
#include "core/clock.h"
#include "core/controls.h"
#include "core/failure.h"
#include "fluxcore/texture.h"
#include "graphics/gl_state.h"
#include "data/image.h"
#include "graphics/offscreen_picture.h"
#include "platform/platform.h"
#include "graphics/texture_store.h"
#include "core/timeline.h"

namespace fluxcore {

// The 3D projection of dmsPerspective3D.
constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 0.1;
constexpr double kFarPlane = 100.0;

struct FrameStats {
    long frames = 0;
    double firstMs = 0.0;  // wall time of the first and the latest dmsRun
    double lastMs = 0.0;
};

struct Engine {
    bool started = false;  // dmsInitEx succeeded in opening the window
    platform::DisplayMode mode;  // as dmsInitEx was asked; the window opens with it
    FailureTexts failures;
    GlStateCache glState;
    DemoClock clock;
    FrameStats stats;
    double clockLineMs = -1e9;  // wall time of the latest "clock:" log line
    std::string songFile;       // the song playing, for the log
    Viewport viewport;
    Timeline timeline;
    TextureStore textures;
    std::vector<std::unique_ptr<QUASAR_FLUXCORE::Font>> fonts;
    std::vector<std::string> pictures;  // asked for by dmsAddTexture, in order
    std::unique_ptr<Archive> archive;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<OffscreenPicture> fullscreenPicture;  // full screen only: what the frames draw into

    Engine();
    // Releases everything dmsShutDown releases: song, effects, textures,
    // fonts, archive, the full-screen picture, window. Keeps the settings
    // (clock, display).
    void release();
    // release(), then every setting back as before dmsInitEx.
    void resetToDefaults();
};

Engine& engine();

// Sets up where the frames are drawn, with the context current: windowed,
// straight into the window, the viewport letterbox(mode, drawable); full
// screen, into a new OffscreenPicture of the mode's size, the viewport the
// whole picture. Then clears it and sets the 3D projection. Failures are
// OffscreenPicture's.
void startDrawing(Engine& e, int drawableWidth, int drawableHeight);

// The audio module's playing song as the clock steers it.
class AudioSong : public SongControl {
public:
    void pause(bool paused) override;
    void seek(double songMs) override;
};

// Monotonic wall time in milliseconds: CLOCK_MONOTONIC (std::chrono::steady_clock),
// the clock other programs compare the engine's log against.
double wallMs();

}  // namespace fluxcore
