// Counting of the engine's key presses.
#include "core/controls.h"

namespace fluxcore {

void KeyPressCounter::press(ControlKey key, bool autoRepeat) {
    switch (key) {
        case ControlKey::Left:
            seekSteps_.fetch_sub(1, std::memory_order_relaxed);
            break;
        case ControlKey::Right:
            seekSteps_.fetch_add(1, std::memory_order_relaxed);
            break;
        case ControlKey::Space:
            // Holding Space must not make the pause flicker.
            if (!autoRepeat) pauseToggles_.fetch_add(1, std::memory_order_relaxed);
            break;
    }
}

KeyPresses KeyPressCounter::take() {
    KeyPresses presses;
    presses.seekSteps = seekSteps_.exchange(0, std::memory_order_relaxed);
    presses.pauseToggles = pauseToggles_.exchange(0, std::memory_order_relaxed);
    return presses;
}

}  // namespace fluxcore
