#!/usr/bin/env bash
# Times two waveshaping effects on the same large stereo file (best of 3 runs each) and prints
# the ratios and each program's peak resident memory:
#   - "sonarium-cli frequential-projection" (a sine per value) against cp;
#   - "sonarium-cli sinus-compression --iterations 8" against "sox -D ... overdrive", a
#     waveshaper too but with another curve: the ratio is for information, not a target.
#
# usage: bench/waveshaping_vs_sox.sh [BUILD_DIR] [WORK_DIR]   (RUNS=N: runs per program)
# Target: at most 64 MB peak RSS. Needs sox and /usr/bin/time (Debian packages sox and time).
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"
bench_init "${1:-}" "${2:-}"

big=$work/big.wav
out=$work/out.wav
bench_source "$big" sine 440 sine 660 gain -3

names=(projection cp sinus8 overdrive)
command_of() {
    case $1 in
    projection) cmd=("$cli" frequential-projection "$big" -o "$out") ;;
    cp) cmd=(cp "$big" "$out") ;;
    sinus8) cmd=("$cli" sinus-compression --iterations 8 "$big" -o "$out") ;;
    overdrive) cmd=(sox -D "$big" "$out" overdrive) ;;
    esac
}
cat "$big" >/dev/null # warm the page cache
bench_rounds "$out"

echo "file: $big ($(($(stat -c %s "$big") / 1024 / 1024)) MB), best of $runs"
bench_table
bench_ratio "frequential-projection / cp" projection cp
bench_ratio "sox overdrive / sinus-compression x8" overdrive sinus8 "information"
echo "sonarium peak RSS = $(((rss[projection] > rss[sinus8] ? rss[projection] : rss[sinus8]) / 1024)) MB   (target <= 64)"
