#!/usr/bin/env bash
# Times Merge and the insertions of sonarium-cli on two large stereo files against sox doing the
# same and cat of the same bytes, in the same run (best of 3 runs each), and prints the ratios
# and the peak resident memory of each program:
#   merge A B                             against  sox A B out   and  cat A B > out
#   insert-silence --start 10 --length 10 against  sox A out pad 10@10  and  cat A > out
#   insert-auxiliary A B (at the end)     against  cat A B > out
#
# usage: bench/inserts_vs_sox.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the two 530 MB sources (kept for later runs) and the outputs go; a fresh
#              directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
# Targets: each faster than sox, within 1.5x the time of cat, at most 64 MB peak RSS.
# Needs sox and /usr/bin/time (Debian packages sox and time).
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"
bench_init "${1:-}" "${2:-}"

a=$work/big.wav
b=$work/other.wav
out=$work/out.wav
bench_source "$a" sine 440 sine 660 gain -3
bench_source "$b" sine 300 sine 500 gain -3

names=(merge sox-concat cat-two insert-silence sox-pad cat-one insert-auxiliary)
command_of() {
    case $1 in
    merge) cmd=("$cli" merge "$a" "$b" -o "$out") ;;
    sox-concat) cmd=(sox -D "$a" "$b" "$out") ;;
    cat-two) cmd=(sh -c 'cat "$1" "$2" >"$3"' sh "$a" "$b" "$out") ;;
    insert-silence) cmd=("$cli" insert-silence --start 10 --length 10 "$a" -o "$out") ;;
    sox-pad) cmd=(sox -D "$a" "$out" pad 10@10) ;;
    cat-one) cmd=(sh -c 'cat "$1" >"$2"' sh "$a" "$out") ;;
    insert-auxiliary) cmd=("$cli" insert-auxiliary "$a" "$b" -o "$out") ;;
    esac
}
cat "$a" "$b" >/dev/null # warm the page cache
bench_rounds "$out"

echo "files: $a, $b ($(($(stat -c %s "$a") / 1024 / 1024)) MB each), best of $runs"
bench_table
bench_ratio "sox concat / merge          " sox-concat merge "target > 1"
bench_ratio "merge / cat A B             " merge cat-two "target <= 1.5"
bench_ratio "sox pad / insert-silence    " sox-pad insert-silence "target > 1"
bench_ratio "insert-silence / cat A      " insert-silence cat-one "target <= 1.5"
bench_ratio "insert-auxiliary / cat A B  " insert-auxiliary cat-two "target <= 1.5"
peak=0
for name in merge insert-silence insert-auxiliary; do
    [ "${rss[$name]}" -gt "$peak" ] && peak=${rss[$name]}
done
echo "sonarium peak RSS = $((peak / 1024)) MB   (target <= 64)"
