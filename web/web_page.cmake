# The web page from a native tree: gm_web configures and builds the emscripten
# tree <build>/web (web/CMakeLists.txt) with this tree's data.pak and dialog
# resources, every build (its own ninja decides what is out of date). The page
# lands in GM_WEB_SITE_DIR. Without emscripten (emcmake) there is no gm_web and
# the web tests are left out.
option(GM_WEB "Build the web page too (needs Debian's emscripten)" ON)
find_program(GM_EMCMAKE emcmake)
set(GM_WEB_SITE_DIR ${CMAKE_BINARY_DIR}/web/site)
if(GM_WEB AND NOT GM_EMCMAKE)
  message(STATUS "emcmake not found: the web page and its tests are left out")
endif()
if(GM_WEB AND GM_EMCMAKE AND NOT GM_SANITIZE)
  include(ExternalProject)
  # emcc's JavaScript optimiser needs node to find Debian's acorn, which a
  # node from elsewhere does not look for by itself.
  set(GM_EMSCRIPTEN_ENV ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
  ExternalProject_Add(gm_web
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/web
    CONFIGURE_COMMAND ${GM_EMSCRIPTEN_ENV} ${GM_EMCMAKE} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR> -G Ninja
      -DCMAKE_BUILD_TYPE=Release -DGM_WERROR=${GM_WERROR}
      -DGM_DATA_PAK=${GM_BIN_DIR}/data.pak
      -DGM_DIALOG_RESOURCES_CPP=${GM_GEN_DIR}/dialog_resources.cpp
    BUILD_COMMAND ${GM_EMSCRIPTEN_ENV} ${CMAKE_COMMAND} --build <BINARY_DIR>
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    DEPENDS gm_data gm_dialog_resources)
endif()
