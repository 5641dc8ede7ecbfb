# shellcheck shell=bash
# The environment the sanitizer tree's tests run in, for setup.sh and
# tests/flake_hunt.sh: source it, then `export_sanitizer_env`. Mesa's EGL
# platform and driver are kept loaded to the end (see sanitizer_env.cmake),
# and the system libraries' one-off allocations are suppressed (lsan.supp).
export_sanitizer_env() {
  local here arch lib found=()
  here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
  arch="$(gcc -print-multiarch 2>/dev/null || true)"
  for lib in libEGL_mesa.so.0 libglapi.so.0 dri/swrast_dri.so; do
    [[ -e "/usr/lib/$arch/$lib" ]] && found+=("/usr/lib/$arch/$lib")
  done
  LD_PRELOAD="$(IFS=:; echo "${found[*]}")"
  LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LD_PRELOAD LSAN_OPTIONS UBSAN_OPTIONS
}
