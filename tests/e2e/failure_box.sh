#!/usr/bin/env bash
# End to end: a failure after the dialog (the program copied to a folder with
# no data.pak) is shown in a message box titled "Glass Meridian" as well as on
# stderr; the box is dismissed with Escape and the exit code is 1.
#   failure_box.sh GLASS-MERIDIAN
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/e2e_lib.sh"
require_display
lonely="$(mktemp -d)"
trap 'cleanup; rm -rf "$lonely"' EXIT
cp "$1" "$lonely/glass-meridian"
GLASS_MERIDIAN_NO_MESSAGE_BOX=0 start_program "$lonely/glass-meridian"

dialog="$(window_id 20 '^Glass Meridian$')"
[[ -n "$dialog" ]] || fail "the setup dialog did not appear"
wait_focus 10 "$dialog" || fail "the setup dialog did not take the keyboard focus"
timeout 5 xdotool key Return || fail "xdotool could not press Enter"

# The box has the dialog's title but is a new window. Windows come and go
# while the dialog is torn down, and a key may arrive before the box listens,
# so Escape is sent again until the program ends (bounded).
deadline=$((SECONDS + 30))
seen_box=0
while kill -0 "$program_pid" 2>/dev/null; do
  ((SECONDS < deadline)) || fail "$( ((seen_box)) && echo "the message box did not close on Escape" || echo "no message box appeared") within 30 s of the failure"
  for id in $(timeout 5 xdotool search --onlyvisible --name '^Glass Meridian$' 2>/dev/null); do
    [[ "$id" != "$dialog" ]] || continue
    seen_box=1
    timeout 5 xdotool windowfocus --sync "$id" 2>/dev/null && timeout 5 xdotool key Escape 2>/dev/null
  done
  wait_exit 1 && break
done
((seen_box)) || fail "the program ended without showing a message box"
grep -q "data.pak: not found" "$program_log" || fail "the failure was not also written to stderr"
((program_rc == 1)) || fail "exit code $program_rc, expected 1"
echo "ok: the failure was shown in a message box and the exit code is 1"
