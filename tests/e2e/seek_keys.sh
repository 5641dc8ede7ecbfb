#!/usr/bin/env bash
# End to end, by keyboard only: the arrow keys choose 1280*1024 in the setup
# dialog and Enter starts the demo at that size (a large window: a low frame
# rate). There every tap of a seek key counts: the demo is paused (Space held),
# then Right is tapped 20 times, 50 ms apart, each tap far shorter than a
# frame; the demo must move by exactly 20 steps of one second. The engine's
# log (the dialog is preset with "Lesen") says when the pause and each seek
# took effect, so no wait depends on how fast frames come.
#   seek_keys.sh GLASS-MERIDIAN
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
require_display
start_program "$1" --dialog --log

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

# The steps of all seeks the engine has logged ("seek +N to T ms"), summed.
seek_steps() {
  sed -n 's/.*fluxcore: seek \([-+][0-9]*\) to [0-9]* ms.*/\1/p' "$program_log" | awk '{ s += $1 } END { print s + 0 }'
}

sleep 1
timeout 5 xdotool keydown space && sleep 0.3 && timeout 5 xdotool keyup space || fail "xdotool could not hold Space"
wait_log 20 "fluxcore: paused at" || fail "the demo did not pause within 20 s of Space"
paused_ms="$(sed -n 's/.*fluxcore: paused at \([0-9]*\) ms.*/\1/p' "$program_log" | tail -n 1)"
(($(seek_steps) == 0)) || fail "seeks before the taps"
taps=()
for _ in $(seq 1 20); do taps+=(Right); done
timeout 10 xdotool key --delay 50 "${taps[@]}" || fail "xdotool could not tap Right"
# Frames go on while paused; the last taps act within a few frames.
deadline=$((SECONDS + 30))
until (($(seek_steps) >= 20)); do
  ((SECONDS < deadline)) || fail "the taps made $(seek_steps) steps within 30 s, expected 20"
  kill -0 "$program_pid" 2>/dev/null || fail "the demo ended during the taps"
  sleep 0.1
done
sleep 1
(($(seek_steps) == 20)) || fail "the taps made $(seek_steps) steps, expected 20"
# Each seek line's step and target, in order; a frame can take several taps.
seeks="$(sed -n 's/.*fluxcore: seek \([-+][0-9]*\) to \([0-9]*\) ms.*/\1 \2/p' "$program_log")"
read -r first_step first_ms <<<"$(head -n 1 <<<"$seeks")"
last_ms="$(tail -n 1 <<<"$seeks" | cut -d' ' -f2)"
# Paused with music, the picture stops where the sound already on its way
# stops being heard: up to a device buffer after the pause's own moment.
((first_ms - paused_ms >= first_step * 1000 - 1 && first_ms - paused_ms <= first_step * 1000 + 200)) \
  || fail "paused at $paused_ms ms, the first seek (${first_step} s) reached $first_ms ms"
((last_ms - first_ms >= (20 - first_step) * 1000 - 1 && last_ms - first_ms <= (20 - first_step) * 1000 + 1)) \
  || fail "the first seek reached $first_ms ms, the last $last_ms ms: expected $((20 - first_step)) s on"
# The picture shows it: the caption reaches the seek's time and stays there.
caption=""
deadline=$((SECONDS + 20))
while ((SECONDS < deadline)); do
  caption="$(caption_seconds "$demo")" || fail "no caption"
  awk -v c="$caption" -v t="$last_ms" 'BEGIN { d = c * 1000 - t; exit !(d > -1 && d < 1) }' && break
  sleep 0.2
done
awk -v c="$caption" -v t="$last_ms" 'BEGIN { d = c * 1000 - t; exit !(d > -1 && d < 1) }' \
  || fail "the caption shows ${caption}s, expected the seek's $last_ms ms"
echo "20 taps of Right, 50 ms apart, while paused: paused at $paused_ms ms, then ${caption}s"

timeout 5 xdotool key Escape || fail "xdotool could not press Escape"
wait_exit 10 || fail "the demo did not end within 10 s of Escape"
((program_rc == 0)) || fail "exit code $program_rc, expected 0"
echo "ok: every tap counted"
