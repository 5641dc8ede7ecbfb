# The host's Windows platform: the Win32 setup dialog, the message-queue
# platform, the GUI entry point and the resource script. Paths are absolute
# so that the Windows tree may include this file.
#
# GM_HOST_WIN32_SOURCES: the program's Win32 host sources with the resource
# script. The script includes setup_dialog.rc, banner.bmp and icon.ico from
# the gcc tree's gen folder (target gm_win32_resources there): put that
# folder on the resource compiler's include path and compile with
# GM_HOST_WIN32_RC_FLAGS. GM_HOST_WIN32_LIBRARIES: the system libraries the
# sources call.
set(GM_HOST_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/win32_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources.rc
)
set(GM_HOST_WIN32_RC_FLAGS --codepage=1252)
set(GM_HOST_WIN32_LIBRARIES user32 gdi32 comctl32 shell32)
