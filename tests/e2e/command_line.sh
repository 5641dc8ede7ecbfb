#!/usr/bin/env bash
# End to end, the command line: --help, --version and a bad option need no
# display and open no window (a bad option: one line, exit 2); options start
# the demo without the dialog at the size asked for, from --start, looping at
# the end with --loop; --dialog shows the dialog preset with the options.
#   command_line.sh GLASS-MERIDIAN
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
program="$1"
work_dir="$(mktemp -d)"

# Without a display.
env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help >"$work_dir/out" 2>"$work_dir/err"
rc=$?
((rc == 0)) && grep -q '^Usage: glass-meridian' "$work_dir/out" && [[ ! -s "$work_dir/err" ]] \
  || fail "--help: exit $rc, stdout '$(head -c 200 "$work_dir/out")', stderr '$(cat "$work_dir/err")'"
env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version >"$work_dir/out" 2>&1
rc=$?
((rc == 0)) && grep -qE '^glass-meridian [0-9]+\.[0-9]+' "$work_dir/out" || fail "--version: exit $rc, '$(cat "$work_dir/out")'"
# Each bad command line, then the option its message must name.
for case in "--size 640|--size" "--start 50000|--start" "--no-such-option|--no-such-option" \
            "--window --size 32x32|--size"; do
  bad="${case%|*}"
  named="${case#*|}"
  # shellcheck disable=SC2086  # the words of one command line
  env -u DISPLAY -u WAYLAND_DISPLAY "$program" $bad >"$work_dir/out" 2>"$work_dir/err"
  rc=$?
  ((rc == 2)) || fail "'$bad': exit $rc, expected 2 ($(cat "$work_dir/err"))"
  [[ ! -s "$work_dir/out" && "$(wc -l <"$work_dir/err")" == 1 ]] \
    || fail "'$bad': expected one line on stderr only, got '$(cat "$work_dir/out" "$work_dir/err")'"
  grep -q "^glass-meridian: .*$named" "$work_dir/err" || fail "'$bad': the message does not name $named: $(cat "$work_dir/err")"
done
echo "ok: --help, --version and bad options without a display"

require_display

# window_size WINDOW: "WxH" of a window.
window_size() {
  timeout 5 xdotool getwindowgeometry --shell "$1" | awk -F= '/^WIDTH/ { w = $2 } /^HEIGHT/ { h = $2 } END { print w "x" h }'
}

# No dialog, a size no radio button offers, 9 s before the end, looping. The
# first caption is read well within those 9 s even on a slow, busy machine.
start_program "$program" --window --size 320x240 --no-sound --start 40000 --loop
demo="$(window_id 30 '^Time: [0-9.]+s$')"
[[ -n "$demo" ]] || fail "no demo window with a 'Time: ...s' caption"
[[ -z "$(timeout 2 xdotool search --name '^Glass Meridian$' 2>/dev/null)" ]] || fail "the setup dialog was shown"
[[ "$(window_size "$demo")" == 320x240 ]] || fail "the demo window is $(window_size "$demo"), not 320x240"
first="$(caption_seconds "$demo")" || fail "no caption"
awk -v t="$first" 'BEGIN { exit !(t >= 40.0 && t < 49.0) }' || fail "started at ${first}s, expected from 40 s"
looped=""
deadline=$((SECONDS + 25))
while ((SECONDS < deadline)); do
  t="$(caption_seconds "$demo")" || fail "the demo window went away: it did not loop"
  if awk -v t="$t" 'BEGIN { exit !(t > 0.2 && t < 10.0) }'; then looped="$t"; break; fi
  sleep 0.1
done
[[ -n "$looped" ]] || fail "the caption did not come back to the start within 25 s"
timeout 5 xdotool windowfocus --sync "$demo" && timeout 5 xdotool key Escape || fail "xdotool could not press Escape"
wait_exit 10 || fail "the demo did not end within 10 s of Escape"
((program_rc == 0)) || fail "exit code $program_rc, expected 0"
echo "ok: started at ${first}s, looped to ${looped}s, ended on Escape"

# The dialog preset with the options: Enter accepts what they set.
start_program "$program" --dialog --size 800x600 --window --no-sound
dialog="$(window_id 20 '^Glass Meridian$')"
[[ -n "$dialog" ]] || fail "--dialog: the setup dialog did not appear"
wait_focus 10 "$dialog" || fail "the setup dialog did not take the keyboard focus"
timeout 5 xdotool key Return || fail "xdotool could not press Return"
demo="$(window_id 30 '^Time: [0-9.]+s$')"
[[ -n "$demo" ]] || fail "--dialog: no demo window after Enter"
[[ "$(window_size "$demo")" == 800x600 ]] || fail "--dialog: the demo window is $(window_size "$demo"), not 800x600"
timeout 5 xdotool windowfocus --sync "$demo" && timeout 5 xdotool key Escape || fail "xdotool could not press Escape"
wait_exit 10 || fail "the demo did not end within 10 s of Escape"
((program_rc == 0)) || fail "exit code $program_rc, expected 0"
echo "ok: --dialog showed the options and Enter started the demo at 800x600"
