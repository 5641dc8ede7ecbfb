# Shared checks of an installed tree (a prefix, or a package unpacked into a
# folder), on top of tests/e2e/e2e_lib.sh. Every wait is bounded.
# shellcheck shell=bash

# png_info FILE: "WIDTH HEIGHT COLOUR-TYPE" from the PNG header (6 is RGBA).
png_info() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read(32)
if data[:8] != b'\x89PNG\r\n\x1a\n' or data[12:16] != b'IHDR':
    sys.exit('not a PNG')
width, height, depth, colour = struct.unpack('>IIBB', data[16:26])
print(width, height, colour)
PY
}

# check_libraries ROOT BINDIR LIBDIR: both programs load libfluxcore.so.1 from
# ROOT/LIBDIR through their RUNPATH (no LD_LIBRARY_PATH, no build tree).
check_libraries() {
  local root="$1" bindir="$2" libdir="$3" program found
  for program in glass-meridian glass-meridian-capture; do
    found="$(env -u LD_LIBRARY_PATH ldd "$root/$bindir/$program" | awk '$1 == "libfluxcore.so.1" { print $3 }')"
    [[ -n "$found" && "$(realpath -m "$found")" == "$(realpath -m "$root/$libdir/libfluxcore.so.1")" ]] \
      || fail "$program loads libfluxcore.so.1 from '$found', not from $root/$libdir"
  done
  echo "ok: both programs load $root/$libdir/libfluxcore.so.1"
}

# check_capture ROOT BINDIR DATADIR: the capture tool renders one frame,
# headless, from a working folder without data.pak, reading the tree's own
# archive.
check_capture() {
  local root="$1" bindir="$2" datadir="$3" out
  out="$(mktemp -d)"
  (cd "$out" && env -u LD_LIBRARY_PATH timeout 60 "$root/$bindir/glass-meridian-capture" --log \
     --width 320 --height 240 --frame-at 20000 -o shot.png >log.txt 2>&1) \
    || { cat "$out/log.txt" >&2; rm -rf "$out"; fail "the capture tool failed"; }
  grep -qF "archive $root/$datadir/glass-meridian/data.pak: " "$out/log.txt" \
    || { cat "$out/log.txt" >&2; rm -rf "$out"; fail "the capture tool did not read $root/$datadir/glass-meridian/data.pak"; }
  [[ "$(png_info "$out/shot.png")" == "320 240 "* ]] \
    || { rm -rf "$out"; fail "the frame is not a 320x240 PNG: $(png_info "$out/shot.png" 2>&1)"; }
  rm -rf "$out"
  echo "ok: the capture tool rendered a 320x240 frame from $root/$datadir/glass-meridian/data.pak"
}

# check_demo ROOT BINDIR DATADIR: the demo starts straight into a small
# silent window, is still playing after two seconds, and ends on Escape with
# exit code 0, having read the tree's own archive. Needs a display.
check_demo() {
  local root="$1" bindir="$2" datadir="$3" demo
  require_display
  start_program env -u LD_LIBRARY_PATH "$root/$bindir/glass-meridian" --window --size 320x240 --no-sound --log
  demo="$(window_id 30 '^Time: [0-9.]+s$')"
  [[ -n "$demo" ]] || fail "no demo window with a 'Time: ...s' caption"
  sleep 2
  kill -0 "$program_pid" 2>/dev/null || fail "the demo ended within two seconds"
  timeout 5 xdotool windowfocus --sync "$demo" && timeout 5 xdotool key Escape || fail "xdotool could not press Escape"
  wait_exit 10 || fail "the demo did not end within 10 s of Escape"
  ((program_rc == 0)) || fail "exit code $program_rc, expected 0"
  grep -qF "archive $root/$datadir/glass-meridian/data.pak: " "$program_log" \
    || fail "the demo did not read $root/$datadir/glass-meridian/data.pak"
  echo "ok: the demo played for two seconds and ended on Escape"
}
