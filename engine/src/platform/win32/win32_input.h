// The window procedure's side of KeyWatch: every key-down message the
// engine's window receives is counted into each live KeyWatch's counter.
#pragma once

namespace fluxcore::platform {

// One WM_KEYDOWN: its virtual-key code and whether it is an auto-repeat of a
// key held down (the message's previous-state bit). Keys other than the
// engine's are ignored. Runs on the window's thread.
void countKeyDown(unsigned virtualKey, bool autoRepeat);

}  // namespace fluxcore::platform
