#!/usr/bin/env bash
# End to end on a Wayland desktop: Weston (its X11 backend, inside this
# test's Xvfb, with Xwayland) serves native Wayland clients and X11 ones.
# Keys typed into Weston's window on the Xvfb reach the focused client.
#   wayland.sh GLASS-MERIDIAN CASE
# CASE: native     the demo on SDL's Wayland driver: decorated (a title bar
#                  sub-surface above it), opaque (its frames are XRGB8888
#                  buffers), and drawn (the compositor's output is not blank)
#       xwayland   the demo through Xwayland
#       dialog     the setup dialog through Xwayland, accepted by keys
#       seatless   a compositor without an input seat (Weston's headless
#                  backend): the demo uses X11 instead of crashing
# Each ends with Escape and exit code 0.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
program="$1"
case="$2"
require_display
command -v weston >/dev/null || fail "weston is not installed (package weston)"
work_dir="$(mktemp -d)"
runtime="$work_dir/runtime"
mkdir -m 700 "$runtime"
xvfb_display="$DISPLAY"

weston_pid=""
stop_weston() { [[ -n "$weston_pid" ]] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null; cleanup; }
trap stop_weston EXIT

# start_weston BACKEND [OPTION...]: a compositor on socket "gm-wayland"; waits
# (bounded) until it listens.
start_weston() {
  local backend="$1"; shift
  XDG_RUNTIME_DIR="$runtime" weston --backend="$backend" --socket=gm-wayland --idle-time=0 --use-pixman \
    --log="$work_dir/weston.log" "$@" >/dev/null 2>&1 &
  weston_pid=$!
  local deadline=$((SECONDS + 20))
  until [[ -S "$runtime/gm-wayland" ]]; do
    ((SECONDS < deadline)) || fail "Weston did not listen within 20 s: $(tail -5 "$work_dir/weston.log" 2>/dev/null)"
    kill -0 "$weston_pid" 2>/dev/null || fail "Weston ended: $(tail -5 "$work_dir/weston.log" 2>/dev/null)"
    sleep 0.05
  done
}
export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=gm-wayland

# The Xwayland display Weston announces in its log.
xwayland_display() {
  local deadline=$((SECONDS + 20)) found
  while ((SECONDS < deadline)); do
    found="$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work_dir/weston.log" | tail -n 1)"
    [[ -n "$found" ]] && { echo "$found"; return 0; }
    sleep 0.05
  done
  return 1
}

# focus_weston: gives Weston's window on the Xvfb the keyboard focus, once,
# before any client has a window: a focus change while a client holds
# Weston's keyboard makes Weston take it away from that client.
focus_weston() {
  local weston_window
  weston_window="$(DISPLAY="$xvfb_display" timeout 10 xdotool search --sync --class weston | head -n 1)"
  [[ -n "$weston_window" ]] || fail "no Weston window on the Xvfb"
  DISPLAY="$xvfb_display" timeout 10 xdotool windowfocus --sync "$weston_window" || fail "cannot focus Weston's window"
}

# press KEY: types KEY into Weston's window on the Xvfb, which passes it to
# the client that has Weston's keyboard focus.
press() {
  DISPLAY="$xvfb_display" timeout 10 xdotool key "$1" || fail "could not press $1"
}

end_with_escape() {
  press Escape
  wait_exit 10 || fail "the demo did not end within 10 s of Escape"
  ((program_rc == 0)) || fail "exit code $program_rc, expected 0"
}

# min_and_max PNG X Y W H: the smallest and largest grey level of a
# rectangle.
min_and_max() {
  ffmpeg -v error -i "$1" -vf "crop=$4:$5:$2:$3,format=gray" -f rawvideo - |
    od -An -v -tu1 | awk 'BEGIN { lo = 256 } { for (i = 1; i <= NF; ++i) { if ($i < lo) lo = $i; if ($i > hi) hi = $i } }
                          END { print lo + 0, hi + 0 }'
}

case "$case" in
  native)
    start_weston x11-backend.so --width=1280 --height=800 --debug
    focus_weston
    start_program env SDL_VIDEODRIVER=wayland WAYLAND_DEBUG=client "$program" --window --size 640x480 \
      --no-sound --no-vsync --start 20000 --log
    wait_log 30 "SDL video driver wayland" || fail "the demo did not open a native Wayland window"
    sleep 2
    (cd "$work_dir" && timeout 10 weston-screenshooter) || fail "weston-screenshooter failed"
    timeout 5 weston-debug scene-graph >"$work_dir/scene.txt" 2>&1
    shot="$(ls "$work_dir"/wayland-screenshot-*.png 2>/dev/null | head -n 1)"
    [[ -n "$shot" ]] || fail "no screenshot"
    # The window's view and its sub-surfaces, as "x1 y1 x2 y2" lines.
    views="$(awk '/top-level window .* of glass-meridian/ { on = 1 } on && /position:/ {
                    gsub(/[(),>-]/, " "); print $2, $3, $4, $5 } /^Layer/ { on = 0 }' "$work_dir/scene.txt")"
    read -r x1 y1 x2 y2 <<<"$(head -n 1 <<<"$views")"
    [[ -n "${y2:-}" ]] || fail "the demo's window is not in Weston's scene graph: $(cat "$work_dir/scene.txt")"
    ((x2 - x1 == 640 && y2 - y1 == 480)) || fail "the window is $((x2 - x1))x$((y2 - y1)), not 640x480"
    # A title bar: a sub-surface as wide as the window ending at its top edge.
    awk -v x1="$x1" -v x2="$x2" -v top="$y1" 'NR > 1 && $1 == x1 && $3 == x2 && $4 == top && $2 < top { found = 1 }
         END { exit !found }' <<<"$views" || fail "no title bar above the window: $views"
    # Opaque: every frame reaches the compositor as an XRGB8888 buffer
    # (wl_shm format 1). The scene clears to alpha 0, so an ARGB8888 buffer
    # (format 0) would show the sky transparent and the glows as dark halos.
    # (Weston's screenshot cannot tell: it reads its output as ARGB whatever
    # the X byte holds.)
    formats="$(sed -n 's/.*wl_shm_pool@[0-9]*\.create_buffer(new id wl_buffer@[0-9]*, [0-9]*, 640, 480, [0-9]*, \([0-9]*\)).*/\1/p' \
               "$program_log" | sort -u | tr '\n' ' ')"
    [[ "$formats" == "1 " ]] || fail "the window's 640x480 buffers have wl_shm formats '$formats', expected only 1 (XRGB8888)"
    read -r window_min window_max <<<"$(min_and_max "$shot" "$x1" "$y1" 640 480)"
    echo "window at $x1,$y1: buffer formats $formats, grey levels $window_min to $window_max"
    ((window_max > 150 && window_min < 50)) || fail "the window looks blank (grey levels $window_min to $window_max)"
    end_with_escape
    echo "ok: native Wayland window, decorated and opaque"
    ;;
  xwayland)
    start_weston x11-backend.so --width=1280 --height=800 --xwayland
    focus_weston
    xw="$(xwayland_display)" || fail "Weston did not announce an Xwayland display"
    start_program env -u WAYLAND_DISPLAY DISPLAY="$xw" "$program" --window --size 640x480 --no-sound --log
    wait_log 30 "SDL video driver x11" || fail "the demo did not open an X11 window through Xwayland"
    [[ -n "$(DISPLAY="$xw" window_id 20 '^Time: [0-9.]+s$')" ]] || fail "no demo window on Xwayland"
    end_with_escape
    echo "ok: the demo through Xwayland"
    ;;
  dialog)
    start_weston x11-backend.so --width=1280 --height=800 --xwayland
    focus_weston
    xw="$(xwayland_display)" || fail "Weston did not announce an Xwayland display"
    start_program env -u WAYLAND_DISPLAY DISPLAY="$xw" "$program" --dialog --window --size 320x240 --no-sound
    dialog="$(DISPLAY="$xw" window_id 30 '^Glass Meridian$')"
    [[ -n "$dialog" ]] || fail "the setup dialog did not appear on Xwayland"
    DISPLAY="$xw" wait_focus 10 "$dialog" || fail "the setup dialog did not take the keyboard focus"
    press Return
    [[ -n "$(DISPLAY="$xw" window_id 30 '^Time: [0-9.]+s$')" ]] || fail "Enter in the dialog did not start the demo"
    end_with_escape
    echo "ok: the dialog through Xwayland, accepted by Enter"
    ;;
  seatless)
    start_weston headless-backend.so
    start_program env SDL_VIDEODRIVER=wayland "$program" --window --size 320x240 --no-sound --log
    wait_log 30 "SDL video driver x11" || fail "the demo did not fall back to X11"
    grep -q "offers no input seat: using X11" "$program_log" || fail "no log line about the missing seat"
    demo="$(window_id 20 '^Time: [0-9.]+s$')"
    [[ -n "$demo" ]] || fail "no demo window on the X display"
    timeout 5 xdotool windowfocus --sync "$demo" key Escape || fail "could not press Escape"
    wait_exit 10 || fail "the demo did not end within 10 s of Escape"
    ((program_rc == 0)) || fail "exit code $program_rc, expected 0"
    echo "ok: no seat, X11 instead"
    ;;
  *) fail "unknown case '$case'" ;;
esac
