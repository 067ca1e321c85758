#!/usr/bin/env bash
# Times "sonarium-cli interaction-formula --formula mix" against "sox -D -m" on the same two large
# stereo files (best of 3 runs each, with cat of both inputs as a reference), and prints the ratio
# and the peak resident memory of each program.
#
# usage: bench/formula_vs_sox.sh [BUILD_DIR] [WORK_DIR]   (RUNS=N: runs per program)
# Targets: at least 2x faster than sox, at most 64 MB peak RSS.
# Needs sox and /usr/bin/time (Debian packages sox and time).
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"
bench_init "${1:-}" "${2:-}"

one=$work/big.wav
two=$work/big2.wav
out=$work/out.wav
bench_source "$one" sine 440 sine 660 gain -3
bench_source "$two" square 110 sine 330 gain -6

# cat of both inputs to /dev/null: reading them is the floor of any program that mixes them.
names=(sonarium sox cat)
command_of() {
    case $1 in
    sonarium) cmd=("$cli" interaction-formula --formula mix "$one" "$two" -o "$out") ;;
    sox) cmd=(sox -D -m "$one" "$two" "$out") ;;
    cat) cmd=(sh -c 'cat "$0" "$1" >/dev/null' "$one" "$two") ;;
    esac
}
"$cli" interaction-formula "$one" "$two" -o "$out" || { echo "sonarium-cli failed" >&2; exit 1; }
cat "$one" "$two" >/dev/null # warm the page cache
bench_rounds "$out"

echo "files: $one, $two ($(($(stat -c %s "$one") / 1024 / 1024)) MB each), best of $runs"
bench_table
bench_ratio "sox / sonarium" sox sonarium "target >= 2"
bench_ratio "sonarium / cat" sonarium cat "for reference"
echo "sonarium peak RSS = $((rss[sonarium] / 1024)) MB   (target <= 64)"
