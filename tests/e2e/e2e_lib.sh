# Shared helpers of the end-to-end scripts: every wait is bounded.
# shellcheck shell=bash

fail() {
  echo "FAIL: $*" >&2
  if [[ -n "${program_log:-}" && -s "$program_log" ]]; then
    echo "--- program output ---" >&2
    cat "$program_log" >&2
  fi
  exit 1
}

holder_pid=""
program_pid=""
work_dir=""
cleanup() {
  [[ -n "$program_pid" ]] && kill -9 "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  [[ -n "$holder_pid" ]] && kill "$holder_pid" 2>/dev/null && wait "$holder_pid" 2>/dev/null
  [[ -n "$work_dir" ]] && rm -rf "$work_dir"
  return 0
}
trap cleanup EXIT

# Skips (exit 77) without a reachable X display. Then keeps one client
# connected for the whole test: an X server such as Xvfb resets whenever its
# last client leaves and refuses connections meanwhile, which would make the
# program's own connection fail at random.
require_display() {
  if [[ -z "${DISPLAY:-}" ]]; then echo "DISPLAY is not set: skipped"; exit 77; fi
  local attempt
  for attempt in $(seq 1 20); do
    xprop -root -spy >/dev/null 2>&1 &
    holder_pid=$!
    sleep 0.1
    kill -0 "$holder_pid" 2>/dev/null && return 0
    wait "$holder_pid" 2>/dev/null
    holder_pid=""
  done
  echo "cannot reach display $DISPLAY: skipped"
  exit 77
}

# Starts the program in the background with no audio device and without the
# failure message box (unless the caller's environment says otherwise); sets
# program_pid.  start_program PROGRAM [ARG...]
start_program() {
  [[ -n "$work_dir" ]] || work_dir="$(mktemp -d)"
  program_log="$work_dir/output.txt"
  SDL_AUDIODRIVER=dummy GLASS_MERIDIAN_NO_MESSAGE_BOX="${GLASS_MERIDIAN_NO_MESSAGE_BOX-1}" \
    "$@" >"$program_log" 2>&1 &
  program_pid=$!
}

# window_id SECONDS NAME-REGEX: the first visible window whose name matches.
# Searched again and again rather than with xdotool's --sync, which gives up
# when a window it looks at vanishes meanwhile (a dialog closing, say).
window_id() {
  local deadline=$((SECONDS + $1)) found
  while ((SECONDS < deadline)); do
    found="$(timeout 5 xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)"
    [[ -n "$found" ]] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}

# wait_focus SECONDS WINDOW: until WINDOW holds the keyboard focus.
wait_focus() {
  local deadline=$((SECONDS + $1))
  while ((SECONDS < deadline)); do
    [[ "$(timeout 5 xdotool getwindowfocus -f 2>/dev/null)" == "$2" ]] && return 0
    sleep 0.05
  done
  return 1
}

# wait_exit SECONDS: until the program has ended; sets program_rc.
wait_exit() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$program_pid" 2>/dev/null; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
  wait "$program_pid"
  program_rc=$?
  program_pid=""
  return 0
}

# wait_log SECONDS TEXT: until the program's output contains TEXT, while it runs.
wait_log() {
  local deadline=$((SECONDS + $1))
  until grep -qF -- "$2" "$program_log" 2>/dev/null; do
    ((SECONDS < deadline)) || return 1
    kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.05
  done
}

# Milliseconds-free seconds value shown in a "Time: %fs" caption.
caption_seconds() {
  local name
  name="$(timeout 5 xdotool getwindowname "$1" 2>/dev/null)"
  [[ "$name" =~ ^Time:\ ([0-9]+\.[0-9]{6})s$ ]] || { echo "bad caption: '$name'" >&2; return 1; }
  echo "${BASH_REMATCH[1]}"
}
