#!/usr/bin/env bash
# Glass Meridian set-up on Debian 12: installs the packages the project needs,
# configures and builds it, then plays the demo, runs every test or makes the
# Debian package.
#
#   ./setup.sh play      install, build the demo and data.pak only, start it
#   ./setup.sh test      install, build (also with sanitizers), run all tests
#   ./setup.sh package   install, build what is installed, make the .deb in
#                        build/package/ and check it with lintian
#   ./setup.sh web       install, build the web page (emscripten) and serve it
#                        on 127.0.0.1 (port GM_WEB_PORT, 8000 by default)
#   ./setup.sh windows   install, build the Windows program (MinGW-w64) in
#                        build/windows and make build/glass-meridian-windows.zip
#   ./setup.sh release   install, build the Linux and Windows programs and make
#                        build/release/glass-meridian-VERSION.zip
#
# All six share the gcc tree build/ (configured for the /usr prefix, as the
# package installs), so each reuses what an earlier one built; the test run
# builds the Windows tree too (gm_windows).
# The test run covers two trees: build/ (gcc; its ctest includes a valgrind
# memcheck of the capture tool) and build-asan/ (clang with AddressSanitizer,
# UBSan and the libFuzzer targets; its ctest includes a bounded run of each
# fuzz target, GM_FUZZ_SECONDS each, 20 by default). The first tree's tests
# run while the second builds. Tests that need an X server start their own,
# and so do those that need a sound server (PulseAudio, PipeWire).
#
# Both are idempotent; any failing step stops the script with a message.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mode="${1:-}"
case "$mode" in
  play|test|package|web|windows|release) ;;
  *) echo "usage: $0 play|test|package|web|windows|release" >&2; exit 2 ;;
esac

fail() { echo "setup.sh: $*" >&2; exit 1; }
# Each step says how long the run has taken so far, to see where time goes.
step() { printf '== [%d:%02d] %s\n' $((SECONDS / 60)) $((SECONDS % 60)) "$*"; }

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libfltk1.3-dev fluid
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libglx-mesa0
  libvorbis-dev libogg-dev libstb-dev zlib1g-dev libwayland-dev libdecor-0-plugin-1-cairo libpulse-dev
  libgtest-dev libgmock-dev libbenchmark-dev libsdl2-image-dev  # SDL2_image: the tests' reference decoder
  xvfb xauth xdotool x11-utils x11-xserver-utils weston xwayland ffmpeg
  pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus-daemon
  clang libclang-rt-14-dev valgrind python3
  help2man man-db desktop-file-utils appstream lintian file patchelf
)
# The web page's compiler and the browser its tests run in: large, and not
# needed to play or package the desktop demo.
case "$mode" in
  test|web) packages+=(emscripten chromium) ;;
esac
# The Windows program's cross compiler and windres, and Wine to run it.
case "$mode" in
  test|windows|release) packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64) ;;
esac

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

configure() {  # configure DIR [cmake options...]
  local dir="$1"; shift
  cmake -S "$here" -B "$here/$dir" -G Ninja "$@" >/dev/null || fail "configuring $dir failed"
}

build() {  # build DIR [cmake options...]: configures and builds every target
  local dir="$1"; shift
  step "building $dir"
  configure "$dir" "$@"
  cmake --build "$here/$dir" || fail "building $dir failed"
}

# The gcc tree installs to /usr, as the package does (Debian's multiarch
# library folder, /usr/share/glass-meridian as the configured data folder).
gcc_tree=(-DCMAKE_INSTALL_PREFIX=/usr)

install_packages
cd "$here"

if [[ "$mode" == play ]]; then
  # Only the demo and what it reads (data.pak): no tests, no benchmarks. A
  # later test run builds the rest in the same tree.
  step "building the demo in build"
  configure build "${gcc_tree[@]}"
  cmake --build "$here/build" --target glass-meridian || fail "building the demo failed"
  step "starting the demo"
  exec "$here/build/bin/glass-meridian"
fi

if [[ "$mode" == web ]]; then
  # The page is built in build/web by emscripten from what the gcc tree's
  # content tool made (data.pak, the dialog's banner).
  step "building the web page in build/web"
  configure build "${gcc_tree[@]}"
  cmake --build "$here/build" --target gm_web || fail "building the web page failed"
  site="$here/build/web/site"
  bytes=$(cat "$site"/glass-meridian.{html,js,wasm,data} | wc -c)
  step "a visitor downloads $((bytes / 1024)) KiB (page, script, program, data.pak)"
  exec python3 "$here/web/serve.py" "$site" "${GM_WEB_PORT:-8000}"
fi

if [[ "$mode" == windows ]]; then
  # The Windows tree build/windows is built by the gcc tree (gm_windows)
  # from what its content tools made; the zip holds exactly what ships, in a
  # fixed order with fixed times, so equal files give an equal zip.
  step "building the Windows program in build/windows"
  configure build "${gcc_tree[@]}"
  cmake --build "$here/build" --target gm_windows || fail "building the Windows program failed"
  dist="$here/build/windows/dist"
  zip="$here/build/glass-meridian-windows.zip"
  for f in glass-meridian.exe fluxcore.dll data.pak; do
    [[ -f "$dist/$f" ]] || fail "the Windows build made no $f in $dist"
  done
  python3 "$here/windows/make_windows_zip.py" "$dist" "$zip" || fail "making $zip failed"
  step "$zip: $(($(stat -c %s "$zip") / 1024)) KiB"
  exit 0
fi

if [[ "$mode" == release ]]; then
  # The Linux programs with their libraries beside them, the Windows folder,
  # the nfo, file_id.diz and the screenshot, in one archive made the same way
  # every time (packaging/release/make_release.py).
  step "building the programs in build"
  configure build "${gcc_tree[@]}"
  cmake --build "$here/build" --target glass-meridian glass-meridian-capture gm_windows \
    || fail "building the programs failed"
  version="$(sed -n 's/^project(GlassMeridian VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")"
  date="$(sed -n 's/^set(GM_RELEASE_DATE \(.*\))/\1/p' "$here/CMakeLists.txt")"
  step "making the release archive"
  python3 "$here/packaging/release/make_release.py" --build "$here/build" --windows "$here/build/windows/dist" \
    --version "$version" --date "$date" --out "$here/build/release/glass-meridian-$version.zip" \
    || fail "making the release archive failed"
  exit 0
fi

if [[ "$mode" == package ]]; then
  step "building what is installed in build"
  configure build "${gcc_tree[@]}"
  cmake --build "$here/build" --target gm_installables || fail "building what is installed failed"
  step "making the package"
  rm -rf "$here/build/package"
  cpack --config "$here/build/CPackConfig.cmake" -B "$here/build/package" >/dev/null || fail "cpack failed"
  deb=("$here"/build/package/*.deb)
  step "lintian"
  lint_status=0
  lintian --fail-on error "${deb[@]}" >"$here/build/lintian.txt" 2>&1 || lint_status=$?
  grep -v "running with root privileges" "$here/build/lintian.txt" || true
  ((lint_status == 0)) || fail "lintian reports errors in ${deb[*]}"
  step "package: ${deb[*]}"
  exit 0
fi

werror=OFF
[[ -n "${CI:-}" ]] && werror=ON
status=0
# Tests that need an X server start one of their own (tests/support/run_on_xvfb.sh).
ctest_args=(--output-on-failure --timeout 300 -j2)
build build "${gcc_tree[@]}" -DGM_WERROR=$werror
# The gcc tree's tests run while the sanitizer tree builds: many of them wait
# on windows, clocks and child programs, and the build fills those gaps. Their
# output follows the build.
step "tests in build, alongside the next build"
gcc_log="$here/build/Testing/setup-test.log"
mkdir -p "$here/build/Testing"
ctest --test-dir "$here/build" "${ctest_args[@]}" >"$gcc_log" 2>&1 &
gcc_tests=$!
trap 'kill "$gcc_tests" 2>/dev/null || true' EXIT
# The sanitizer tree is a clang tree (libFuzzer comes with clang); one left
# from a gcc configuration is started afresh.
if [[ -f "$here/build-asan/CMakeCache.txt" ]] &&
   ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$here/build-asan/CMakeCache.txt"; then
  rm -rf "$here/build-asan"
fi
build build-asan -DGM_WERROR=$werror -DGM_SANITIZE=ON -DGM_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DGM_FUZZ_SECONDS="${GM_FUZZ_SECONDS:-20}"
wait "$gcc_tests" || status=1
trap - EXIT
step "tests in build done"
cat "$gcc_log"
step "tests in build-asan"
(
  source "$here/tests/sanitizer/sanitizer_env.sh"
  export_sanitizer_env
  ctest --test-dir "$here/build-asan" "${ctest_args[@]}"
) || status=1
cat "$here"/build-asan/fuzz/work/*/summary.txt 2>/dev/null || true
((status == 0)) || fail "tests failed"
step "all tests passed"
