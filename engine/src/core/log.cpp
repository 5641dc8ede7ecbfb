// The engine's log lines and the switch for them.
#include "core/log.h"

#include <cstdarg>
#include <cstdio>

namespace fluxcore {

namespace {

bool gLogging = false;

void vline(const char* format, va_list args) {
    std::fputs("fluxcore: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
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
