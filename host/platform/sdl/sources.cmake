# The host's Linux desktop platform: SDL's event queue and the window the
# engine opened (also the capture tool's), the FLTK setup dialog with its X11
# placement, and the program's entry point.
set(GM_HOST_SDL_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/sdl_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl_window.cpp
)
set(GM_HOST_FLTK_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/dialog_fltk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog_widgets.cpp
)
set(GM_HOST_SDL_MAIN ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
