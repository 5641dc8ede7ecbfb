#!/usr/bin/env bash
# Hunts intermittent failures: runs the tests that drive real programs, X
# servers, browsers and timing (labels x11, e2e, capture, reliability, web)
# many times in a row in each build tree given, and prints how often each
# test failed. Not part of the test command; run it by hand after changing
# such tests.
#
#   tests/flake_hunt.sh [--runs N] [--load] [--labels REGEX] [--exclude REGEX] TREE...
#
# --load keeps both cores busy with two spinning processes for the whole hunt,
# as another build or a busy CI host would. A sanitizer tree's tests run in
# the environment the test command gives them.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sanitizer/sanitizer_env.sh"

runs=30
load=0
labels='x11|e2e|capture|reliability|web'
exclude=''
trees=()
while (($#)); do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --load) load=1; shift ;;
    --labels) labels="$2"; shift 2 ;;
    --exclude) exclude="$2"; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) trees+=("$1"); shift ;;
  esac
done
((${#trees[@]})) || { echo "flake_hunt.sh: name at least one build tree" >&2; exit 2; }

spinners=()
stop_load() { ((${#spinners[@]})) && kill "${spinners[@]}" 2>/dev/null; return 0; }
trap stop_load EXIT
if ((load)); then
  for _ in 1 2; do
    (while :; do :; done) &
    spinners+=($!)
  done
fi

status=0
for tree in "${trees[@]}"; do
  declare -A failures=()
  total=0
  started=$SECONDS
  if grep -q '^GM_SANITIZE:BOOL=ON' "$tree/CMakeCache.txt" 2>/dev/null; then
    export_sanitizer_env
  else
    unset LD_PRELOAD LSAN_OPTIONS UBSAN_OPTIONS
  fi
  for ((run = 1; run <= runs; ++run)); do
    args=(--test-dir "$tree" -L "$labels" -j2 --timeout 300 --output-on-failure)
    [[ -n "$exclude" ]] && args+=(-E "$exclude")
    rm -f "$tree/Testing/Temporary/LastTestsFailed.log"
    log="$(mktemp)"
    ctest "${args[@]}" >"$log" 2>&1
    total="$(sed -n 's/.*tests passed, [0-9]* tests failed out of \([0-9]*\).*/\1/p' "$log")"
    while read -r name; do
      [[ -n "$name" ]] || continue
      failures[$name]=$((${failures[$name]:-0} + 1))
      mkdir -p "$tree/flake-hunt"
      cp "$log" "$tree/flake-hunt/run$run.log"
    done < <(sed -n 's/^[0-9]*:\(.*\)$/\1/p' "$tree/Testing/Temporary/LastTestsFailed.log" 2>/dev/null)
    rm -f "$log"
    echo "$tree: run $run of $runs done, $((SECONDS - started)) s"
  done
  echo "== $tree: $runs runs of ${total:-?} tests (labels $labels$([[ -n $exclude ]] && echo ", without $exclude")), load $( ((load)) && echo on || echo off)"
  if ((${#failures[@]} == 0)); then
    echo "no test failed"
  else
    status=1
    for name in "${!failures[@]}"; do echo "${failures[$name]} of $runs failed: $name"; done | sort -rn
    echo "logs of the failing runs: $tree/flake-hunt/"
  fi
  unset failures
done
exit "$status"
