// Engine logging on stderr: logf only while logging is switched on, warnf
// always (for things the viewer asked for and does not get). Depends on
// nothing else of the engine.
#pragma once

#include "fluxcore/api.h"  // FLUXCORE_PRINTF

namespace fluxcore {

void setLogging(bool enabled);  // off until switched on
void logf(const char* format, ...) FLUXCORE_PRINTF(1, 2);
void warnf(const char* format, ...) FLUXCORE_PRINTF(1, 2);

}  // namespace fluxcore
