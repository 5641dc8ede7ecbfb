#!/usr/bin/env bash
# memcheck over a short capture: a few small frames across the cut from the
# loading picture to the scene, written as PNGs. Passes when valgrind reports
# no error (invalid reads or writes, uses of uninitialised values) and no
# definite leak beyond the suppressed system ones.
#   valgrind_capture.sh GLASS-MERIDIAN-CAPTURE SUPPRESSIONS
set -u
capture="$1" suppressions="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# softpipe: Mesa's plain software rasteriser; llvmpipe's JIT is far slower
# under valgrind and renders the same frames for this purpose.
GALLIUM_DRIVER=softpipe SDL_AUDIODRIVER=dummy timeout --signal=KILL 900 \
  valgrind --tool=memcheck --keep-debuginfo=yes --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --error-exitcode=99 --num-callers=40 \
  --suppressions="$suppressions" \
  "$capture" --width 64 --height 48 --fps 10 --from 1800 --to 2200 -o "$work/f%03d.png" \
  >"$work/log.txt" 2>&1
rc=$?
grep -E "definitely lost|ERROR SUMMARY|in use at exit" "$work/log.txt"
if ((rc != 0)); then
  cat "$work/log.txt"
  echo "FAIL: exit code $rc (99: valgrind found errors or leaks)"
  exit 1
fi
frames=$(find "$work" -name 'f*.png' | wc -l)
((frames == 4)) || { echo "FAIL: $frames frames written, expected 4"; exit 1; }
echo "ok: 4 frames, no errors, no definite leaks"
