#!/usr/bin/env bash
# End to end: accept the setup dialog with Enter, let the demo play a few
# seconds, check its caption clock and its picture, end it with Escape.
#   demo_runs.sh GLASS-MERIDIAN GM-WINDOW-SHOT
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
program="$1"
shot="$2"
require_display
start_program "$program"

dialog="$(window_id 20 '^Glass Meridian$')"
[[ -n "$dialog" ]] || fail "the setup dialog did not appear"
wait_focus 10 "$dialog" || fail "the setup dialog did not take the keyboard focus"
timeout 5 xdotool key Return || fail "xdotool could not press Enter"

demo="$(window_id 30 '^Time: [0-9.]+s$')"
[[ -n "$demo" ]] || fail "no demo window with a 'Time: ...s' caption"
first="$(caption_seconds "$demo")" || fail "caption"
sleep 4
kill -0 "$program_pid" 2>/dev/null || fail "the demo ended by itself"
second="$(caption_seconds "$demo")" || fail "caption"
echo "caption clock: ${first}s, 4 s later ${second}s"
awk -v a="$first" -v b="$second" 'BEGIN { exit !(b >= a + 1.0 && b >= 2.0) }' \
  || fail "the caption clock did not advance (${first}s, then ${second}s)"

timeout 15 "$shot" "$demo" || fail "the demo window's picture is blank or unreadable"

# Without a window manager the test gives the demo window the focus itself.
timeout 5 xdotool windowfocus --sync "$demo" || fail "cannot focus the demo window"
timeout 5 xdotool key Escape || fail "xdotool could not press Escape"
wait_exit 10 || fail "the demo did not end within 10 s of Escape"
((program_rc == 0)) || fail "exit code $program_rc, expected 0"
echo "ok: ended on Escape with exit code 0"
