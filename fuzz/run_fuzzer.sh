#!/bin/sh
# Runs a fuzzer for a fixed time on a working copy of its seed corpus and prints the run count.
# usage: run_fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS
set -eu
fuzzer=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work"
cp -n "$seeds"/* "$work"/ 2>/dev/null || true
cd "$(dirname "$work")"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
    "$work" 2>fuzz.log || { tail -n 60 fuzz.log; exit 1; }
grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' fuzz.log
