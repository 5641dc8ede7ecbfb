#!/usr/bin/env bash
# End to end, by keyboard only: the arrow keys choose 1280*1024 in the setup
# dialog and Enter starts the demo at that size (a large window: a low frame
# rate). There every tap of a seek key counts: the demo is paused (Space held),
# then Right is tapped 20 times, 50 ms apart, each tap far shorter than a
# frame; the caption must move by exactly 20 steps of one second.
#   seek_keys.sh GLASS-MERIDIAN
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
require_display
start_program "$1"

dialog="$(window_id 20 '^Glass Meridian$')"
[[ -n "$dialog" ]] || fail "the setup dialog did not appear"
wait_focus 10 "$dialog" || fail "the setup dialog did not take the keyboard focus"
# From "Vielleicht" backwards through the check boxes onto the radio buttons.
timeout 10 xdotool key --delay 30 Up Up Up Up Up Up Up Up Return || fail "xdotool could not press the keys"
demo="$(window_id 30 '^Time: [0-9.]+s$')"
[[ -n "$demo" ]] || fail "no demo window with a 'Time: ...s' caption"
size="$(timeout 5 xdotool getwindowgeometry --shell "$demo" | grep -E '^(WIDTH|HEIGHT)=' | tr '\n' ' ')"
[[ "$size" == "WIDTH=1280 HEIGHT=1024 " ]] || fail "the demo window is not 1280x1024: $size"
timeout 5 xdotool windowfocus --sync "$demo" || fail "cannot focus the demo window"

# caption_settles SECONDS: the caption once it reads the same twice 0.4 s apart.
caption_settles() {
  local deadline=$((SECONDS + $1)) a b
  a="$(caption_seconds "$demo")" || return 1
  while ((SECONDS < deadline)); do
    sleep 0.4
    b="$(caption_seconds "$demo")" || return 1
    [[ "$a" == "$b" ]] && { echo "$a"; return 0; }
    a="$b"
  done
  return 1
}

sleep 1
timeout 5 xdotool keydown space && sleep 0.3 && timeout 5 xdotool keyup space || fail "xdotool could not hold Space"
before="$(caption_settles 10)" || fail "the caption did not stand still within 10 s of Space (not paused)"
taps=()
for _ in $(seq 1 20); do taps+=(Right); done
timeout 10 xdotool key --delay 50 "${taps[@]}" || fail "xdotool could not tap Right"
# Frames go on while paused; the last taps show within a few frames.
after="$(caption_settles 10)" || fail "the caption did not settle within 10 s of the taps"
echo "20 taps of Right, 50 ms apart, while paused: caption ${before}s, then ${after}s"
awk -v a="$before" -v b="$after" 'BEGIN { exit !(b - a > 19.999 && b - a < 20.001) }' \
  || fail "20 taps moved the demo by $(awk -v a="$before" -v b="$after" 'BEGIN { print b - a }') s, expected 20 s"

timeout 5 xdotool key Escape || fail "xdotool could not press Escape"
wait_exit 5 || fail "the demo did not end within 5 s of Escape"
((program_rc == 0)) || fail "exit code $program_rc, expected 0"
echo "ok: every tap counted"
