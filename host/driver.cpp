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

}  // namespace

// Runs body; a failure of any kind is written through the engine's message
// output as "Exception: <text>", added to the failures and reported as false.
template <typename Body>
bool DemoShow::guarded(Body&& body) {
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
    engine_.message(line.c_str());
    failures_ += line;
    failed_ = true;
    return false;
}

void DemoShow::addFailure(const std::string& line) {
    engine_.message(line.c_str());
    failures_ += line;
    failed_ = true;
}

bool DemoShow::start(const LaunchSettings& settings) {
    const bool clean = guarded([&] {
        if (settings.accepted) {
            startEngine(engine_, settings);  // ends with the clock started
            loop_ = settings.loop;
        } else {
            quit_ = true;
            engine_.initTimer();  // the shut-down path is the same either way
        }
    });
    if (!clean) quit_ = true;
    return clean;
}

bool DemoShow::step() {
    if (quit_) return false;
    const bool clean = guarded([&] {
        const PlatformEvent event = platform_.pollEvent();
        switch (event.kind) {
            case PlatformEvent::Kind::Quit:
                quit_ = true;
                lastMessageCode_ = event.code;
                break;
            case PlatformEvent::Kind::Other:
                lastMessageCode_ = event.code;
                break;
            case PlatformEvent::Kind::Empty:
                drawFrame();
                break;
        }
    });
    if (!clean) quit_ = true;
    return !quit_;
}

void DemoShow::drawFrame() {
    production::advanceClock(engine_);
    engine_.checkControls(1000.0f);
    // Looping, the end is never drawn: the frame that reaches it shows the
    // start, and a song still playing is held until its offset comes again.
    if (loop_ && engine_.time() >= production::kEndMs) engine_.setTime(0.0f);
    if (platform_.escapeHeld()) {
        quit_ = true;  // the frame still completes and is shown
    }
    production::drawPicture(engine_);
    platform_.swapBuffers(engine_.hdc());

    const float t = engine_.time();
    char title[256];
    std::memset(title, 0, sizeof title);
    std::snprintf(title, sizeof title, "Time: %fs", t * 0.001);
    engine_.setWindowTitle(title);

    if (t >= production::kEndMs) {
        quit_ = true;
    }
    if (!musicStarted_ && t >= production::kSongStartMs) {  // also in the frame that set quit
        // Placed at its start, not at this frame: a seek or a slow frame may
        // have carried the time past it.
        engine_.playSong(production::kSong, production::kSongStartMs);
        musicStarted_ = true;
    }
}

int DemoShow::finish() {
    quit_ = true;
    // Each shut-down step runs even when the one before it failed.
    guarded([&] { engine_.setGamma(0.0f); });
    guarded([&] { engine_.shutDown(); });
    return failed_ ? kFailureExitCode : lastMessageCode_;
}

int runDemo(EngineApi& engine, Platform& platform, SetupDialog& dialog, const LaunchRequest& request) {
    DemoShow show(engine, platform);
    LaunchSettings settings = request.settings;
    DialogOutcome outcome;
    bool asked = false;
    try {
        if (request.action == LaunchRequest::Action::ShowDialog) {
            outcome = dialog.run(request.choices, settings);
        } else {
            settings = acceptedSettings(request);
        }
        asked = true;
    } catch (const char* failure) {
        show.addFailure(std::string("Exception: ") + (failure ? failure : "(no message)") + "\n");
    } catch (const std::exception& failure) {
        show.addFailure(std::string("Exception: ") + failure.what() + "\n");
    } catch (...) {
        show.addFailure("Exception: unknown failure\n");
    }
    if (asked && !outcome.shown) show.addFailure("Setup dialog: " + outcome.failure + "\n");
    if (!asked || !outcome.shown) settings.accepted = false;
    if (asked && show.start(settings)) {
        while (show.step()) {
        }
    }
    const int code = show.finish();
    // Once the engine's window is gone, so that the message is not hidden behind it.
    if (!show.failures().empty()) dialog.showFailure(show.failures().c_str());
    return code;
}

}  // namespace glassmeridian
