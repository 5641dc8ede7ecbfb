# The host's sources, for every tree that builds the program (desktop, web).
# Paths are absolute so that any CMake file may include this one.
#
# GM_HOST_SOURCES: the toolkit-free driver loop, command line, production
# script and setup dialog model. GM_HOST_ENGINE_SOURCES: the adapter onto
# fluxcore and the production's timeline (compiled against the engine's
# headers only).
set(GM_HOST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/production.cpp
  ${CMAKE_CURRENT_LIST_DIR}/setup_dialog_model.cpp
)
set(GM_HOST_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/engine_fluxcore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/production_timeline.cpp
)
