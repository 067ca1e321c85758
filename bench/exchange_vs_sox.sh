#!/usr/bin/env bash
# Times the format exchanges of sonarium-cli against sox doing the same conversion on files of
# more than 500 MB (best of 3 runs each), and prints the ratios and the peak resident memory:
#   export-8bit big.wav      against  sox -D big.wav -b 8 out.wav
#   import-8bit big8.wav     against  sox -D big8.wav -b 16 out.wav
#   import-raw big.raw       against  sox -t raw -r 44100 -e signed -b 16 -c 1 big.raw out.wav
#
# usage: bench/exchange_vs_sox.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the sources (kept for later runs, about 1.6 GB) and the outputs go; a fresh
#              directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
# Targets: sonarium at least as fast as sox on each, at most 64 MB peak RSS.
# Needs sox and /usr/bin/time (Debian packages sox and time).
#
# The two programs take turns, round after round, and dirty pages are flushed before every run,
# so that load from other processes and write-back of an earlier output weigh on both alike.
set -euo pipefail

build=${1:-build}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/sonarium-bench.XXXXXX")}
runs=${RUNS:-3}
cli=$build/src/cli/sonarium-cli
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
command -v sox >/dev/null || { echo "needs sox" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package: time)" >&2; exit 2; }
mkdir -p "$work"

big=$work/big.wav
big8=$work/big8.wav
raw=$work/big.raw
out=$work/out.wav
if [ ! -f "$big" ]; then
    echo "making a 3000 s stereo 16-bit file (about 530 MB) in $work"
    sox -n -r 44100 -c 2 -b 16 "$big" synth 3000 sine 440 sine 660 gain -3
fi
if [ ! -f "$big8" ]; then
    echo "making a 6000 s stereo 8-bit file (about 530 MB) in $work"
    sox -n -r 44100 -c 2 -b 8 "$big8" synth 6000 sine 440 sine 660 gain -3
fi
if [ ! -f "$raw" ]; then
    echo "making a 530 MB raw file in $work"
    sox "$big" -t raw "$raw"
fi

# The command lines of one case, in the arrays ours and theirs.
case_of() {
    case $1 in
    export-8bit)
        ours=("$cli" export-8bit "$big" -o "$out")
        theirs=(sox -D "$big" -b 8 "$out")
        ;;
    import-8bit)
        ours=("$cli" import-8bit "$big8" -o "$out")
        theirs=(sox -D "$big8" -b 16 "$out")
        ;;
    import-raw)
        ours=("$cli" import-raw "$raw" -o "$out")
        theirs=(sox -t raw -r 44100 -e signed -b 16 -c 1 "$raw" "$out")
        ;;
    esac
}

declare -A best rss
cases=(export-8bit import-8bit import-raw)
cat "$big" "$big8" "$raw" >/dev/null # warm the page cache
for name in "${cases[@]}"; do
    case_of "$name"
    for round in $(seq "$runs"); do
        for who in sonarium sox; do
            rm -f "$out"
            sync
            if [ "$who" = sonarium ]; then cmd=("${ours[@]}"); else cmd=("${theirs[@]}"); fi
            /usr/bin/time -f "%e %M" -o "$work/time.txt" "${cmd[@]}" >/dev/null 2>&1 ||
                { echo "$name: $who failed" >&2; exit 1; }
            read -r seconds kb <"$work/time.txt"
            key="$name $who"
            if [ -z "${best[$key]:-}" ] || awk "BEGIN{exit !($seconds < ${best[$key]})}"; then
                best[$key]=$seconds
            fi
            [ "$kb" -gt "${rss[$key]:-0}" ] && rss[$key]=$kb
            echo "round $round: $key ${seconds} s, ${kb} kB"
        done
    done
done
rm -f "$out"

echo "best of $runs; targets: sox / sonarium >= 1, sonarium peak RSS <= 64 MB"
for name in "${cases[@]}"; do
    printf '%-12s sonarium %6.2f s %6d kB   sox %6.2f s %6d kB   ' "$name" \
        "${best[$name sonarium]}" "${rss[$name sonarium]}" "${best[$name sox]}" \
        "${rss[$name sox]}"
    awk "BEGIN{printf \"sox / sonarium = %.2f\n\", ${best[$name sox]} / ${best[$name sonarium]}}"
done
