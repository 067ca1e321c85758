#!/usr/bin/env bash
# Times "sonarium-cli simple-synthesis" against sox's own sine synthesis for the same 1000 s,
# 44100 Hz, 16-bit mono file (best of 3 runs each), and prints the ratio and the peak resident
# memory of each program.
#
# usage: bench/synthesis_vs_sox.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the 88 MB outputs go; a fresh directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
# Targets: not slower than sox, at most 64 MB peak RSS.
# Needs sox and /usr/bin/time (Debian packages sox and time).
#
# The two programs take turns, round after round, and dirty pages are flushed before every run.
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"
bench_init "${1:-}" "${2:-}"
out=$work/out.wav
export SONARIUM_ROOT=$work/root

names=(sonarium sox)
command_of() {
    case $1 in
    sonarium) cmd=("$cli" simple-synthesis --duration 1000 --frequency 440 -o "$out") ;;
    sox) cmd=(sox -n -r 44100 -c 1 -b 16 "$out" synth 1000 sine 440) ;;
    esac
}
bench_rounds "$out"

echo "1000 s of 440 Hz, mono (88 MB), best of $runs"
bench_table
bench_ratio "sox / sonarium" sox sonarium "target >= 1"
echo "sonarium peak RSS = $((rss[sonarium] / 1024)) MB   (target <= 64)"
