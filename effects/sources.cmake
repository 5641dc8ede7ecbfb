# The timeline effects, their shared timing and their drawing, for every tree
# that builds the program.
set(GM_EFFECTS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cube_drawing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/effect_timing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/intro_effect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_quad.cpp
  ${CMAKE_CURRENT_LIST_DIR}/structure_effect.cpp
)
