// The demo's whole life on one thread: setup dialog, engine start-up, frame
// loop with the music cue and the end conditions, and shut-down.
#pragma once

#include <string>

#include "host/command_line.h"
#include "host/engine_api.h"
#include "host/platform/platform.h"
#include "host/setup_dialog.h"

namespace glassmeridian {

// Runs the demo as the request asks (through the dialog, or straight with its
// settings) and returns the program's exit code: the parameter of the last
// message taken from the queue (0 when none was), or 1 when the run ended on a
// failure or the dialog could not be shown. Help and Version are the caller's.
int runDemo(EngineApi& engine, Platform& platform, SetupDialog& dialog, const LaunchRequest& request = {});

// One show in steps, for a host that does not own its frame loop (a web page
// draws a frame when the browser asks for one): start, then step until it
// answers false, then finish. runDemo runs the same steps in its own loop.
class DemoShow {
public:
    DemoShow(EngineApi& engine, Platform& platform) : engine_(engine), platform_(platform) {}

    // Accepted settings start the engine (ending with the clock started);
    // declined ones leave nothing to draw. False when the start-up failed.
    bool start(const LaunchSettings& settings);
    // Takes one message from the queue, or draws one frame when it is empty;
    // false once the show has ended (its end time, Escape, quit, a failure).
    bool step();
    // Resets the gamma and shuts the engine down, each step even when the one
    // before failed. Returns the exit code as runDemo does.
    int finish();
    // Marks the run failed with this line (a dialog that could not be shown).
    void addFailure(const std::string& line);
    // "Exception: ..." lines of every failure so far, for the viewer.
    const std::string& failures() const { return failures_; }

private:
    template <typename Body>
    bool guarded(Body&& body);
    void drawFrame();

    EngineApi& engine_;
    Platform& platform_;
    bool quit_ = false;
    bool loop_ = false;          // the end starts the show again
    bool musicStarted_ = false;
    bool failed_ = false;
    int lastMessageCode_ = 0;    // parameter of the last message taken from the queue
    std::string failures_;
};

}  // namespace glassmeridian
