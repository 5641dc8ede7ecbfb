#!/usr/bin/env bash
# Glass Meridian set-up on Debian 12: installs the packages the project needs,
# configures and builds it, then either plays the demo or runs every test.
#
#   ./setup.sh play   install, build, start the demo
#   ./setup.sh test   install, build (also with sanitizers), run all tests
#
# The test run covers two trees: build/ (gcc; its ctest includes a valgrind
# memcheck of the capture tool) and build-asan/ (clang with AddressSanitizer,
# UBSan and the libFuzzer targets; its ctest includes a bounded run of each
# fuzz target, GM_FUZZ_SECONDS each, 20 by default).
#
# Both are idempotent; any failing step stops the script with a message.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mode="${1:-}"
case "$mode" in
  play|test) ;;
  *) echo "usage: $0 play|test" >&2; exit 2 ;;
esac

fail() { echo "setup.sh: $*" >&2; exit 1; }
step() { echo "== $*"; }

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsdl2-image-dev libphysfs-dev libfltk1.3-dev fluid
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libglx-mesa0
  libvorbis-dev libogg-dev libstb-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils ffmpeg
  clang libclang-rt-14-dev valgrind python3
)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]} == 0)); then
    step "packages: all present"
    return
  fi
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || fail "need root or sudo to install: ${missing[*]}"
    sudo=(sudo)
  fi
  step "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq || fail "apt-get update failed"
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || fail "apt-get install failed for: ${missing[*]}"
}

build() {  # build DIR [cmake options...]
  local dir="$1"; shift
  step "building $dir"
  cmake -S "$here" -B "$here/$dir" -G Ninja "$@" >/dev/null || fail "configuring $dir failed"
  cmake --build "$here/$dir" || fail "building $dir failed"
}

# Libraries the sanitizer build's tests keep loaded, colon-separated: see
# tests/sanitizer/sanitizer_env.cmake (Mesa unloaded before the leak check).
sanitizer_preload() {
  local arch lib found=()
  arch="$(gcc -print-multiarch 2>/dev/null || true)"
  for lib in libEGL_mesa.so.0 libglapi.so.0 dri/swrast_dri.so; do
    [[ -e "/usr/lib/$arch/$lib" ]] && found+=("/usr/lib/$arch/$lib")
  done
  local IFS=:
  echo "${found[*]}"
}

# Tests that need an X server get this one; the rest run headless.
start_xvfb() {
  if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local fifo; fifo="$(mktemp -u)"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local number
  read -r -t 20 number <"$fifo" || fail "Xvfb did not start"
  rm -f "$fifo"
  export DISPLAY=":$number"
  trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
  step "Xvfb on $DISPLAY"
}

install_packages
cd "$here"

if [[ "$mode" == play ]]; then
  build build
  step "starting the demo"
  exec "$here/build/bin/glass-meridian"
fi

werror=OFF
[[ -n "${CI:-}" ]] && werror=ON
build build -DGM_WERROR=$werror
# The sanitizer tree is a clang tree (libFuzzer comes with clang); one left
# from a gcc configuration is started afresh.
if [[ -f "$here/build-asan/CMakeCache.txt" ]] &&
   ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$here/build-asan/CMakeCache.txt"; then
  rm -rf "$here/build-asan"
fi
build build-asan -DGM_WERROR=$werror -DGM_SANITIZE=ON -DGM_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DGM_FUZZ_SECONDS="${GM_FUZZ_SECONDS:-20}"
start_xvfb
status=0
# Tests on the X server share its keyboard focus, so they run one at a time
# after the others.
run_tests() {  # run_tests DIR
  step "tests in $1"
  ctest --test-dir "$here/$1" --output-on-failure --timeout 300 -j2 -LE x11 || status=1
  ctest --test-dir "$here/$1" --output-on-failure --timeout 300 -j1 -L x11 || status=1
}
run_tests build
# System libraries' one-off allocations are not ours (tests/sanitizer/lsan.supp).
LD_PRELOAD="$(sanitizer_preload)" \
LSAN_OPTIONS="suppressions=$here/tests/sanitizer/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  run_tests build-asan
cat "$here"/build-asan/fuzz/work/*/summary.txt 2>/dev/null || true
((status == 0)) || fail "tests failed"
step "all tests passed"
