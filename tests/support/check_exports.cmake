# Checks the dynamic symbols a binary defines: every line of SYMBOLS (a file,
# one demangled symbol or symbol prefix a line) must be among them, and none
# may match the regular expression HIDDEN when it is given.
#   cmake -DBINARY=<file> -DSYMBOLS=<list file> [-DHIDDEN=<regex>] -P check_exports.cmake
execute_process(COMMAND nm -DC --defined-only ${BINARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${BINARY}")
endif()
file(STRINGS ${SYMBOLS} wanted_list)
set(missing 0)
foreach(wanted IN LISTS wanted_list)
  string(FIND "${symbols}" " ${wanted}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "${BINARY} does not export: ${wanted}")
    math(EXPR missing "${missing} + 1")
  endif()
endforeach()
if(DEFINED HIDDEN)
  string(REGEX MATCH "[^\n]*${HIDDEN}[^\n]*" leaked "${symbols}")
  if(leaked)
    message(FATAL_ERROR "${BINARY} exports an internal symbol: ${leaked}")
  endif()
endif()
if(missing GREATER 0)
  message(FATAL_ERROR "${missing} symbols missing from ${BINARY}")
endif()
message(STATUS "${BINARY}: exports checked")
