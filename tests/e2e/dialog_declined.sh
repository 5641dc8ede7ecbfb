#!/usr/bin/env bash
# End to end: decline the setup dialog with Escape; the program ends with 0
# and no demo window ever appears.
#   dialog_declined.sh GLASS-MERIDIAN
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
require_display
start_program "$1"

dialog="$(window_id 20 '^Glass Meridian$')"
[[ -n "$dialog" ]] || fail "the setup dialog did not appear"
wait_focus 10 "$dialog" || fail "the setup dialog did not take the keyboard focus"
timeout 5 xdotool key Escape || fail "xdotool could not press Escape"

deadline=$((SECONDS + 5))
while kill -0 "$program_pid" 2>/dev/null; do
  ((SECONDS < deadline)) || fail "the program did not end within 5 s of declining"
  [[ -z "$(timeout 2 xdotool search --name '^Time: ' 2>/dev/null)" ]] || fail "a demo window appeared"
  sleep 0.05
done
wait "$program_pid"
rc=$?
program_pid=""
((rc == 0)) || fail "exit code $rc, expected 0"
[[ -z "$(timeout 2 xdotool search --name '^Time: ' 2>/dev/null)" ]] || fail "a demo window is left"
echo "ok: declined, exit code 0"
