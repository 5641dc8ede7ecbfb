# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# for std::thread): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake.
# The C and C++ runtimes and winpthread are linked statically, so a program
# needs no DLL beside it but its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GM_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GM_MINGW_TRIPLE}-windres)

# Libraries and headers from the MinGW tree only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${GM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static links every library that has an archive (libgcc, libstdc++,
# winpthread, which libstdc++'s threads call) into the binary; the system's
# own (opengl32, user32, ...) are import libraries still, so those stay DLLs.
set(GM_MINGW_STATIC_RUNTIME "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${GM_MINGW_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${GM_MINGW_STATIC_RUNTIME}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${GM_MINGW_STATIC_RUNTIME}")
