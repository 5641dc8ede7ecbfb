#!/usr/bin/env bash
# End to end: without an X display the program says so and fails.
#   no_display.sh GLASS-MERIDIAN
set -u
output="$(env -u DISPLAY SDL_AUDIODRIVER=dummy GLASS_MERIDIAN_NO_MESSAGE_BOX=1 timeout 20 "$1" 2>&1)"
rc=$?
echo "$output"
((rc != 124)) || { echo "FAIL: the program hung without a display" >&2; exit 1; }
((rc != 0)) || { echo "FAIL: exit code 0 without a display" >&2; exit 1; }
[[ "$output" == *"cannot open display"* ]] || { echo "FAIL: no 'cannot open display' message" >&2; exit 1; }
echo "ok: exit code $rc"
