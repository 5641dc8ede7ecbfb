// Signal handlers for a clean stop.
#include "capture/interrupt.h"

#include <signal.h>

namespace capture {

namespace {

// The one piece of state a signal handler may touch.
std::atomic<bool> gInterrupted{false};

extern "C" void onInterrupt(int) { gInterrupted.store(true); }

}  // namespace

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

const std::atomic<bool>& interruptFlag() { return gInterrupted; }

}  // namespace capture
