// The Wayland seat probe: connect, list the registry's globals, disconnect.
#include "platform/sdl/wayland_seat.h"

#include <wayland-client.h>

#include <cstring>

namespace fluxcore::platform {
namespace {

void onGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0) *static_cast<bool*>(data) = true;
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kListener = {onGlobal, onGlobalRemove};

}  // namespace

WaylandSeat probeWaylandSeat() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return WaylandSeat::NoCompositor;
    bool seat = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kListener, &seat);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered) return WaylandSeat::NoCompositor;
    return seat ? WaylandSeat::Offered : WaylandSeat::Missing;
}

}  // namespace fluxcore::platform
