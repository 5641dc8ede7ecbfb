#!/usr/bin/env bash
# Runs one fuzz target for a bounded time from its seeds and says how it went.
#   run_fuzzer.sh FUZZ-TARGET SECONDS SEED-DIR WORK-DIR [MAX-INPUT-BYTES]
# New inputs go to WORK-DIR/corpus, a crashing input to WORK-DIR/crash-*, the
# fuzzer's own output to WORK-DIR/log.txt. Exit 0 only when nothing was found.
# By hand, longer, e.g. ten minutes:
#   fuzz/run_fuzzer.sh build-asan/bin/fuzz-song 600 build-asan/fuzz/corpus/song /tmp/fuzz-song
set -u
target="$1" seconds="$2" seeds="$3" work="$4" max_len="${5:-2097152}"
name="$(basename "$target")"
# A decoder asking for an absurd allocation gets null, as malloc gives it in a
# normal run, and reports the picture as undecodable; leaks are findings.
export ASAN_OPTIONS="allocator_may_return_null=1:detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
mkdir -p "$work/corpus"
rm -f "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* "$work"/slow-unit-*
# -timeout: one input may take 10 s at most; -rss_limit_mb bounds memory;
# -max_len keeps inputs small enough to mutate quickly (a longer seed is cut
# there); the outer timeout catches a fuzzer that stops answering.
timeout --signal=KILL $((seconds + 60)) "$target" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
  -print_final_stats=1 -artifact_prefix="$work/" \
  "$work/corpus" "$seeds" >"$work/log.txt" 2>&1
rc=$?
runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log.txt" | grep -o '[0-9]*$' | tail -n 1)"
summary="$name: ${runs:-?} executions in ${seconds} s"
if ((rc != 0)); then
  tail -n 60 "$work/log.txt"
  echo "$summary: FAILED (exit $rc); input kept in $work/" | tee "$work/summary.txt"
  exit 1
fi
echo "$summary, nothing found" | tee "$work/summary.txt"
