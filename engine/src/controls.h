// The engine's own keys, as edges: a key acts once when it goes down.
#pragma once

namespace fluxcore {

struct KeyState {
    bool left = false;   // seek back
    bool right = false;  // seek forward
    bool space = false;  // pause / resume
};

struct ControlActions {
    int seekSteps = 0;         // -1, 0 or +1 steps
    bool togglePause = false;
};

class KeyEdges {
public:
    // Actions for the keys that went down since the previous call.
    ControlActions next(const KeyState& keys);
    void reset() { previous_ = KeyState(); }

private:
    KeyState previous_;
};

}  // namespace fluxcore
