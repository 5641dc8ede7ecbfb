#!/usr/bin/env bash
# Runs one test on an X server of its own: a fresh Xvfb on a free display
# number, started with -noreset so it never resets (and refuses connections)
# when its last client leaves, and ended with the test. Each test thus starts
# from a known state: no windows, grabs or focus left by an earlier test, and
# tests on different servers can run side by side.
#
#   run_on_xvfb.sh COMMAND [ARG...]
#
# GM_XVFB_SCREENS: the screens' geometries, space-separated (default one
# 1280x1024x24 screen); GM_XVFB_ARGS: further Xvfb options (e.g. +xinerama);
# GM_XVFB_MONITORS: RandR monitors to cut the first screen into, as
# "NAME:WxH+X+Y ...", a leading * marking the primary one. Xvfb places all
# screens of +xinerama at the origin, so monitors side by side, or a primary
# monitor away from the origin, are made this way; the server reports them
# through Xinerama as a desktop with such monitors would.
# The exit status is the command's.
set -uo pipefail

say() { echo "run_on_xvfb: $*" >&2; }
command -v Xvfb >/dev/null || { say "Xvfb is not installed (package xvfb)"; exit 1; }
(($# > 0)) || { say "usage: run_on_xvfb.sh COMMAND [ARG...]"; exit 2; }

scratch="$(mktemp -d)"
xvfb_pid=""
finish() {
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$scratch"
}
trap finish EXIT

screen_args=()
n=0
for geometry in ${GM_XVFB_SCREENS:-1280x1024x24}; do
  screen_args+=(-screen "$n" "$geometry")
  n=$((n + 1))
done
# shellcheck disable=SC2206  # GM_XVFB_ARGS is a list of options
extra_args=(${GM_XVFB_ARGS:-})

mkfifo "$scratch/displayfd"
Xvfb -displayfd 3 -noreset -nolisten tcp "${screen_args[@]}" "${extra_args[@]}" \
  3>"$scratch/displayfd" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
number=""
read -r -t 20 number <"$scratch/displayfd"
if [[ -z "$number" ]]; then
  say "Xvfb did not report a display number within 20 s; its output:"
  cat "$scratch/xvfb.log" >&2
  exit 1
fi

# The first monitor takes over the screen's own output, so only the monitors
# named are reported.
output=screen
for monitor in ${GM_XVFB_MONITORS:-}; do
  name="${monitor%%:*}"
  geometry="${monitor#*:}"
  width="${geometry%%x*}"
  rest="${geometry#*x}"
  height="${rest%%+*}"
  offset="${rest#"$height"}"
  # xrandr wants WIDTH/MM x HEIGHT/MM; 96 dpi gives the millimetres.
  if ! DISPLAY=":$number" timeout 10 xrandr --setmonitor "$name" \
       "$width/$((width * 254 / 960))x$height/$((height * 254 / 960))$offset" "$output" >/dev/null; then
    say "could not make the monitor $monitor (xrandr, package x11-xserver-utils)"
    exit 1
  fi
  output=none
done

# The test sees this server only, whatever session the caller runs in. It
# runs in the foreground: a background job of a script starts with SIGINT
# ignored, and the programs under test must see SIGINT as a user sends it.
unset WAYLAND_DISPLAY XAUTHORITY
DISPLAY=":$number" "$@"
