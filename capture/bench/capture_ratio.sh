#!/bin/sh
# Run by hand, not by CI: renders the same span with --bench and then as an
# MP4, back to back, and prints one README table row: size, fps, rendering
# time, capture time, capture / bench, peak RSS (bench, capture, ffmpeg).
# Exits 1 when the ratio is above the limit (default 1.15). Repeat it a few
# times on a busy machine: only pairs from one run compare.
#
#   capture/bench/capture_ratio.sh [-p PROGRAM] [-s WxH] [-r FPS] [-f FROM_MS] [-t TO_MS]
#                                  [-l LIMIT] [-- extra capture options]
set -eu
program=build/bin/glass-meridian-capture
size=1280x720
fps=60
from=0
to=49000
limit=1.15
while getopts p:s:r:f:t:l: opt; do
    case $opt in
        p) program=$OPTARG ;;
        s) size=$OPTARG ;;
        r) fps=$OPTARG ;;
        f) from=$OPTARG ;;
        t) to=$OPTARG ;;
        l) limit=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
width=${size%x*}
height=${size#*x}
work=$(mktemp -d "${TMPDIR:-/tmp}/gm-capture-ratio-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
span="--width $width --height $height --fps $fps --from $from --to $to"

# shellcheck disable=SC2086
"$program" --bench $span "$@" > "$work/bench.txt"
# shellcheck disable=SC2086
"$program" -o "$work/capture.mp4" --stats $span "$@" > "$work/capture.txt"

# "mean rate:    80.8 fps (36.40 s rendering)"
rendering=$(sed -n 's/^mean rate: *\([0-9.]*\) fps (\([0-9.]*\) s rendering)$/\2/p' "$work/bench.txt")
benchFps=$(sed -n 's/^mean rate: *\([0-9.]*\) fps.*/\1/p' "$work/bench.txt")
p95=$(sed -n 's/.*95th percentile \([0-9.]*\) ms.*/\1/p' "$work/bench.txt")
benchRss=$(sed -n 's/^peak RSS: *\([0-9.]*\) MiB$/\1/p' "$work/bench.txt")
wall=$(sed -n 's/^wall time: *\([0-9.]*\) s$/\1/p' "$work/capture.txt")
captureRss=$(sed -n 's/^peak RSS: *\([0-9.]*\) MiB.*/\1/p' "$work/capture.txt")
ffmpegRss=$(sed -n 's/.*(ffmpeg \([0-9.]*\) MiB)$/\1/p' "$work/capture.txt")
if [ -z "$rendering" ] || [ -z "$wall" ]; then
    echo "capture_ratio: unexpected output" >&2
    cat "$work/bench.txt" "$work/capture.txt" >&2
    exit 2
fi
ratio=$(awk -v c="$wall" -v b="$rendering" 'BEGIN { printf "%.2f", c / b }')
echo "| size | fps (bench mean) | p95 | rendering | capture | capture / bench | peak RSS bench / capture (ffmpeg) |"
echo "|---|---|---|---|---|---|---|"
echo "| ${width}x${height} @ $fps | $benchFps | $p95 ms | $rendering s | $wall s | $ratio | $benchRss / $captureRss ($ffmpegRss) MiB |"
awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r <= l) }' || {
    echo "capture / bench $ratio is above $limit" >&2
    exit 1
}
