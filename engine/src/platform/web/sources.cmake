# The engine's web platform (emscripten): canvas and WebGL 2 with the GL 1.x
# layer the effects draw through (its headers in include/), keys, Web Audio.
set(FLUXCORE_WEB_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/web_audio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web_legacy_gl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web_window.cpp
)
set(FLUXCORE_WEB_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/include)
