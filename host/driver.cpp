// The driver: start-up, frame loop and shut-down (see driver.h).
#include "host/driver.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "host/production.h"

namespace glassmeridian {
namespace {

constexpr int kFailureExitCode = 1;

struct LoopState {
    bool quit = false;
    bool loop = false;          // the end starts the show again
    bool musicStarted = false;
    int lastMessageCode = 0;    // parameter of the last message taken from the queue
};

void startEngine(EngineApi& engine, const LaunchSettings& settings) {
    engine.setLogging(settings.readOption);
    if (!engine.initEx(settings, production::kArchive)) {
        throw "the engine could not open its window";
    }
    production::startUp(engine);
    // The first frame shows the start time; the music joins at its offset
    // when the frame loop cues it.
    if (settings.startMs > 0.0f) engine.setTime(settings.startMs);
}

void drawFrame(EngineApi& engine, Platform& platform, LoopState& state) {
    production::advanceClock(engine);
    engine.checkControls(1000.0f);
    // Looping, the end is never drawn: the frame that reaches it shows the
    // start, and a song still playing is held until its offset comes again.
    if (state.loop && engine.time() >= production::kEndMs) engine.setTime(0.0f);
    if (platform.escapeHeld()) {
        state.quit = true;  // the frame still completes and is shown
    }
    production::drawPicture(engine);
    platform.swapBuffers(engine.hdc());

    const float t = engine.time();
    char title[256];
    std::memset(title, 0, sizeof title);
    std::snprintf(title, sizeof title, "Time: %fs", t * 0.001);
    engine.setWindowTitle(title);

    if (t >= production::kEndMs) {
        state.quit = true;
    }
    if (!state.musicStarted && t >= production::kSongStartMs) {  // also in the frame that set quit
        // Placed at its start, not at this frame: a seek or a slow frame may
        // have carried the time past it.
        engine.playSong(production::kSong, production::kSongStartMs);
        state.musicStarted = true;
    }
}

void runLoop(EngineApi& engine, Platform& platform, LoopState& state) {
    while (!state.quit) {
        const PlatformEvent event = platform.pollEvent();
        switch (event.kind) {
            case PlatformEvent::Kind::Quit:
                state.quit = true;
                state.lastMessageCode = event.code;
                break;
            case PlatformEvent::Kind::Other:
                state.lastMessageCode = event.code;
                break;
            case PlatformEvent::Kind::Empty:
                drawFrame(engine, platform, state);
                break;
        }
    }
}

// Runs body; a failure of any kind is written through the engine's message
// output as "Exception: <text>", added to `failures` and reported as false.
template <typename Body>
bool guarded(EngineApi& engine, std::string& failures, Body&& body) {
    std::string text;
    try {
        body();
        return true;
    } catch (const char* failure) {
        text = failure ? failure : "(no message)";
    } catch (const std::exception& failure) {
        text = failure.what();
    } catch (...) {
        text = "unknown failure";
    }
    const std::string line = "Exception: " + text + "\n";
    engine.message(line.c_str());
    failures += line;
    return false;
}

}  // namespace

int runDemo(EngineApi& engine, Platform& platform, SetupDialog& dialog, const LaunchRequest& request) {
    LoopState state;
    bool failed = false;
    std::string failures;  // what the viewer is told after the shut-down

    const bool ranClean = guarded(engine, failures, [&] {
        LaunchSettings settings = request.settings;
        DialogOutcome outcome;
        if (request.action == LaunchRequest::Action::ShowDialog) {
            outcome = dialog.run(request.choices, settings);
        } else {
            settings = acceptedSettings(request);
        }
        if (!outcome.shown) {
            const std::string line = "Setup dialog: " + outcome.failure + "\n";
            engine.message(line.c_str());
            failures += line;
            failed = true;
        }
        if (outcome.shown && settings.accepted) {
            startEngine(engine, settings);  // ends with the clock started
            state.loop = settings.loop;
        } else {
            state.quit = true;
            engine.initTimer();  // the shut-down path is the same either way
        }
        runLoop(engine, platform, state);
    });

    // Each shut-down step runs even when the one before it failed.
    const bool gammaClean = guarded(engine, failures, [&] { engine.setGamma(0.0f); });
    const bool shutClean = guarded(engine, failures, [&] { engine.shutDown(); });
    // Once the engine's window is gone, so that the message is not hidden behind it.
    if (!failures.empty()) dialog.showFailure(failures.c_str());

    if (failed || !ranClean || !gammaClean || !shutClean) {
        return kFailureExitCode;
    }
    return state.lastMessageCode;
}

}  // namespace glassmeridian
