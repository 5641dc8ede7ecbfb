# The engine's desktop platform on SDL2: window and OpenGL context, keys,
# audio device, the sound server's latency and the Wayland seat probe.
set(FLUXCORE_SDL_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/pulse_latency.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl_audio_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wayland_seat.cpp
)
