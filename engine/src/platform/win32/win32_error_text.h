// Windows' words for an error code, for failure texts and the log.
#pragma once

#include <string>

namespace fluxcore::platform {

// The system's text for a GetLastError code, without its trailing line
// break and full stop, and the code; just the code where there is no text.
std::string win32ErrorText(unsigned long code);

}  // namespace fluxcore::platform
