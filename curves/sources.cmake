# PointList, Path and the exported copy operations, for every tree that builds the program.
set(GM_CURVES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/exported_engine_copies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_draw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point_list.cpp
)
