// dmsMsg, dmsSetLogging and the engine's log lines.
#include "log.h"

#include <cstdarg>
#include <cstdio>

#include "engine.h"
#include "fluxcore/dms.h"

namespace fluxcore {

namespace {

void vline(const char* format, va_list args) {
    std::fputs("fluxcore: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

}  // namespace

void logf(const char* format, ...) {
    if (!engine().logging) return;
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

namespace QUASAR_FLUXCORE {

void dmsSetLogging(bool enabled) { fluxcore::engine().logging = enabled; }

void dmsMsg(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
}

}  // namespace QUASAR_FLUXCORE
