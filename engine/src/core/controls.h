// The engine's own keys, counted press by press as the window system delivers
// them, so that a press released again before the next frame still acts.
#pragma once

#include <atomic>

namespace fluxcore {

enum class ControlKey { Left, Right, Space };

// What the presses since the previous take ask for.
struct KeyPresses {
    int seekSteps = 0;     // Right presses less Left presses, auto-repeats included
    int pauseToggles = 0;  // Space presses; auto-repeats do not count
};

// Collects presses between two frames. press() may run on whichever thread
// delivers the window system's events; take() on the engine's thread.
class KeyPressCounter {
public:
    // One key-down event; autoRepeat marks the repeats of a key held down.
    void press(ControlKey key, bool autoRepeat);
    // The presses since the previous take, which are then forgotten.
    KeyPresses take();

private:
    std::atomic<int> seekSteps_{0};
    std::atomic<int> pauseToggles_{0};
};

}  // namespace fluxcore
