// The runs the tool can make, each from parsed options to its output.
#pragma once

#include "capture/options.h"

namespace capture {

// Renders and writes what options ask for. Throws UsageError for a request
// that cannot be served, Interrupted on Ctrl+C, std::runtime_error (or the
// engine's const char*) on a failure; no partial output survives any of them.
void runCapture(const Options& options);

}  // namespace capture
