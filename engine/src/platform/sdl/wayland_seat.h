// Whether a Wayland compositor offers an input seat. SDL 2.26's Wayland video
// driver crashes inside SDL_Init on a compositor without one (a headless
// compositor, say), so the window asks first.
#pragma once

namespace fluxcore::platform {

enum class WaylandSeat { Offered, Missing, NoCompositor };

// Asks the compositor WAYLAND_DISPLAY names (one round trip) for its globals.
WaylandSeat probeWaylandSeat();

}  // namespace fluxcore::platform
