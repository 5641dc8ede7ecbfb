// Ctrl+C and SIGTERM: the handler only raises a flag; the render loop sees it
// between frames and unwinds, so every partial output is removed on the way.
#pragma once

#include <atomic>
#include <stdexcept>

namespace capture {

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
