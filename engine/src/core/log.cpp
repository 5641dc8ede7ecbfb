// The engine's log lines and the switch for them.
#include "core/log.h"

#include <cstdarg>
#include <cstdio>

#include "platform/platform.h"

namespace fluxcore {

namespace {

bool gLogging = false;

// On stderr, and a copy for the platform's debugger (cut at 1 KiB there).
void vline(const char* format, va_list args) {
    char text[1024];
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(text, sizeof text, format, copy);
    va_end(copy);
    std::fputs("fluxcore: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    char line[sizeof text + 16];
    std::snprintf(line, sizeof line, "fluxcore: %s\n", text);
    platform::debugOutput(line);
}

}  // namespace

void setLogging(bool enabled) { gLogging = enabled; }

void logf(const char* format, ...) {
    if (!gLogging) return;
    va_list args;
    va_start(args, format);
    vline(format, args);
    va_end(args);
}

void warnf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vline(format, args);
    va_end(args);
}

}  // namespace fluxcore
