# Environment for running the real programs in the sanitizer build, shared by
# tests/reliability and tests/sanitizer (setup.sh sets the same for all tests).
#
# Mesa unloads its EGL platform and driver at exit, before LeakSanitizer looks:
# their globals then no longer count as roots (their blocks show up as leaks
# from "<unknown module>") and the leak checker's thread tracer can crash on
# the freed thread-local blocks of the driver's threads. Loading those three
# libraries up front keeps them mapped to the end, so no suppression of Mesa is
# needed. None of them defines a GL entry point, so nothing is interposed.
#   GM_SANITIZER_PRELOAD  the libraries, colon-separated (empty when not found)
#   GM_SANITIZER_ENV      LSAN_OPTIONS and UBSAN_OPTIONS for a test's ENVIRONMENT
set(GM_SANITIZER_PRELOAD "")
foreach(library libEGL_mesa.so.0 libglapi.so.0 dri/swrast_dri.so)
  foreach(folder /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE} /usr/lib64 /usr/lib)
    if(EXISTS ${folder}/${library})
      list(APPEND GM_SANITIZER_PRELOAD ${folder}/${library})
      break()
    endif()
  endforeach()
endforeach()
string(REPLACE ";" ":" GM_SANITIZER_PRELOAD "${GM_SANITIZER_PRELOAD}")
set(GM_SANITIZER_ENV
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
