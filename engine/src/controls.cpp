// Edge detection for the engine's keys.
#include "controls.h"

namespace fluxcore {

ControlActions KeyEdges::next(const KeyState& keys) {
    ControlActions actions;
    if (keys.left && !previous_.left) actions.seekSteps -= 1;
    if (keys.right && !previous_.right) actions.seekSteps += 1;
    actions.togglePause = keys.space && !previous_.space;
    previous_ = keys;
    return actions;
}

}  // namespace fluxcore
