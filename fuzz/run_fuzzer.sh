#!/bin/sh
# Runs a fuzz target for a fixed time on a working copy of its seed corpus, with the inputs of
# past findings, and prints the run's figures. A huge allocation (over 256 MB) or an input taking
# over 5 s is a finding like a crash.
# usage: run_fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS DICTIONARY [EXTRA_DIR]
# With FUZZ_RUNS=N in the environment the run ends after N inputs instead (SECONDS 0: no time
# limit), as tools/fuzz-long runs it.
set -eu
fuzzer=$1 seeds=$2 work=$3 seconds=$4 dictionary=$5 extra=${6:-}
runs=${FUZZ_RUNS:--1}
mkdir -p "$work"
cp -n "$seeds"/* "$work"/ 2>/dev/null || true
log=$work.log
set -- "$work"
[ -n "$extra" ] && [ -d "$extra" ] && set -- "$@" "$extra"
cd "$(dirname "$work")"
# AddressSanitizer holds freed memory back (256 MB by default) to catch late uses; 32 MB is
# plenty for one input and keeps the RSS limit about the code's own memory.
ASAN_OPTIONS=quarantine_size_mb=32 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$fuzzer" -max_total_time="$seconds" \
    -runs="$runs" -rss_limit_mb=256 -timeout=5 -dict="$dictionary" -print_final_stats=1 "$@" 2>"$log" ||
    { tail -n 60 "$log"; exit 1; }
grep -E '^#[0-9]+.*(DONE|pulse)' "$log" | tail -n 1
grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb' "$log"
