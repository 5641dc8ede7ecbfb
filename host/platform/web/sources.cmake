# The host's web platform: the page's entry points and the driver's platform
# on the browser's events.
set(GM_HOST_WEB_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/web_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web_platform.cpp
)
