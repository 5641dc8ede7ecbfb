# The engine's Windows platform on the Win32 API: window and WGL context,
# keys, the OpenGL entry points beyond 1.1, the waveOut device, and the
# include folder whose GL headers keep <windows.h> out of the portable code.
set(FLUXCORE_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/win32_error_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_gl_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_wave_out.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_window.cpp
)
set(FLUXCORE_WIN32_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/include)
set(FLUXCORE_WIN32_LIBS opengl32 glu32 gdi32 user32 winmm)
