# The Windows program from a native tree: gm_windows configures and builds
# the MinGW-w64 tree <build>/windows (windows/CMakeLists.txt) with this tree's
# data.pak and generated content, every build (its own ninja decides what is
# out of date). What ships lands in GM_WINDOWS_DIST_DIR: glass-meridian.exe,
# fluxcore.dll, data.pak. Without MinGW-w64's posix-thread compiler there is
# no gm_windows.
option(GM_WINDOWS "Build the Windows program too (needs Debian's MinGW-w64)" ON)
find_program(GM_MINGW_CXX x86_64-w64-mingw32-g++-posix)
set(GM_WINDOWS_DIST_DIR ${CMAKE_BINARY_DIR}/windows/dist)
if(GM_WINDOWS AND NOT GM_MINGW_CXX)
  message(STATUS "x86_64-w64-mingw32-g++-posix not found: the Windows program is left out")
endif()
if(GM_WINDOWS AND GM_MINGW_CXX AND NOT GM_SANITIZE)
  include(ExternalProject)
  ExternalProject_Add(gm_windows
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows
    CONFIGURE_COMMAND ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR> -G Ninja
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
      -DCMAKE_BUILD_TYPE=Release -DGM_WERROR=${GM_WERROR}
      -DGM_DATA_PAK=${GM_BIN_DIR}/data.pak
      -DGM_GEN_DIR=${GM_GEN_DIR}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR>
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    DEPENDS gm_data)
  # What the resource script includes from GM_GEN_DIR (the dialog template,
  # banner and icon), where the content tool makes it.
  if(TARGET gm_win32_resources)
    add_dependencies(gm_windows gm_win32_resources)
  endif()
endif()
