// The runs the tool can make, each from parsed options to its output, and the
// interrupt: Ctrl+C and SIGTERM only raise a flag; the render loop sees it
// between frames and unwinds, so every partial output is removed on the way.
#pragma once

#include <atomic>
#include <stdexcept>

#include "capture/options.h"

namespace capture {

// Renders and writes what options ask for. Throws UsageError for a request
// that cannot be served, Interrupted on Ctrl+C, std::runtime_error (or the
// engine's const char*) on a failure; no partial output survives any of them.
void runCapture(const Options& options);

// Thrown by the render loop once the flag is up.
class Interrupted : public std::runtime_error {
public:
    Interrupted() : std::runtime_error("interrupted") {}
};

// Installs the handlers for SIGINT and SIGTERM, and ignores SIGPIPE so a
// child that stops reading shows up as a write error instead of killing us.
void installInterruptHandlers();

// The flag the handlers raise.
const std::atomic<bool>& interruptFlag();

}  // namespace capture
