// The demo's whole life on one thread: setup dialog, engine start-up, frame
// loop with the music cue and the end conditions, and shut-down.
#pragma once

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

}  // namespace glassmeridian
