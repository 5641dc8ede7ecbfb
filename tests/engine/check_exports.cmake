# Checks that libfluxcore.so exports the engine's operations and classes and
# keeps its insides hidden. Run with -DLIBRARY=<path to libfluxcore.so>.
execute_process(COMMAND nm -DC --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
foreach(wanted
    "QUASAR_FLUXCORE::dmsInitEx(int, int, int, bool, bool, bool, char const*)"
    "QUASAR_FLUXCORE::dmsRun()"
    "QUASAR_FLUXCORE::dmsGetTexture(char const*)"
    "QUASAR_FLUXCORE::dmsShutDown()"
    "QUASAR_FLUXCORE::dmsMsg(char const*, ...)"
    "QUASAR_FLUXCORE::myEnable(int)"
    "QUASAR_FLUXCORE::myBlendFunc(int, int)"
    "QUASAR_FLUXCORE::Vector::operator*(QUASAR_FLUXCORE::Matrix const&) const"
    "QUASAR_FLUXCORE::Vector::Vector(QUASAR_FLUXCORE::Vector&)"
    "QUASAR_FLUXCORE::Matrix::makeRotation(float, float, float)"
    "QUASAR_FLUXCORE::HermiteCurve::getValue(float) const"
    "QUASAR_FLUXCORE::CubicBezierCurve::set("
    "QUASAR_FLUXCORE::Texture::getID() const"
    "typeinfo for QUASAR_FLUXCORE::Base"
    "vtable for QUASAR_FLUXCORE::Base")
  string(FIND "${symbols}" "${wanted}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "libfluxcore.so does not export: ${wanted}")
  endif()
endforeach()
# The engine's own classes (namespace fluxcore) stay private.
string(REGEX MATCH "[^\n]* fluxcore::[^\n]*" leaked "${symbols}")
if(leaked)
  message(FATAL_ERROR "libfluxcore.so exports an internal symbol: ${leaked}")
endif()
message(STATUS "libfluxcore.so exports checked")
