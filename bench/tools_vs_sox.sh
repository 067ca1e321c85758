#!/usr/bin/env bash
# Times the channel tools, Channel Conversion, File statistics and File Information of
# sonarium-cli against sox (and soxi) doing the like on the same large stereo files, best of 3
# runs each, and prints the ratios and each program's peak resident memory.
#
# usage: bench/tools_vs_sox.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the two 530 MB sources (kept for later runs) and the outputs go; a fresh
#              directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
# Targets: sonarium at least 2x faster than sox in every pair; at most 64 MB peak RSS.
# Needs sox, soxi and /usr/bin/time (Debian packages sox and time).
#
# The two programs of a pair take turns, round after round, and dirty pages are flushed before
# every run.
set -euo pipefail

build=${1:-build}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/sonarium-bench.XXXXXX")}
runs=${RUNS:-3}
cli=$build/src/cli/sonarium-cli
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
command -v sox >/dev/null && command -v soxi >/dev/null || { echo "needs sox" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package: time)" >&2; exit 2; }
mkdir -p "$work"

big=$work/big.wav
other=$work/other.wav
out=$work/out.wav
for file in "$big" "$other"; do
    if [ ! -f "$file" ]; then
        echo "making a 3000 s stereo file (about 530 MB): $file"
        if [ "$file" = "$big" ]; then
            sox -n -r 44100 -c 2 -b 16 "$file" synth 3000 sine 440 sine 660 gain -3
        else
            sox -n -r 44100 -c 2 -b 16 "$file" synth 3000 sine 300 sine 500 gain -3
        fi
    fi
done
size=$(stat -c %s "$big")
[ "$size" -ge $((500 * 1000 * 1000)) ] || echo "warning: $big is under 500 MB" >&2

# The pairs: a name, how many times each command runs in one timing (info takes milliseconds,
# below /usr/bin/time's resolution), the sonarium-cli command and the sox command (words split
# on blanks).
pairs=(
    "stereo-to-mono|1|$cli stereo-to-mono $big -o $out|sox -D $big $out remix 1v0.5,2v0.5"
    "channel-conversion|1|$cli channel-conversion $big $big -o $out|sox -D $big $out remix 1v0.5,2v-0.5 1v0.5,2v0.5"
    "mix|1|$cli mix $big $other -o $out|sox -D -m $big $other $out"
    "stats|1|$cli stats $big|sox $big -n stat"
    "info (x200)|200|$cli info $big|soxi $big"
)

cat "$big" "$other" >/dev/null # warm the page cache
# Runs a command $2 times in a row; sets seconds (for all of them) and kb (the largest peak).
timed() {
    rm -f "$out"
    sync
    # shellcheck disable=SC2086 # the command's words
    /usr/bin/time -f "%e %M" -o "$work/time.txt" \
        bash -c 'for ((i = 0; i < $0; ++i)); do "$@" || exit 1; done' "$2" $1 >/dev/null 2>&1 ||
        { echo "failed: $1" >&2; exit 1; }
    read -r seconds kb <"$work/time.txt"
}

echo "files: $big, $other ($((size / 1024 / 1024)) MB each), best of $runs"
for pair in "${pairs[@]}"; do
    IFS='|' read -r name repeat ours theirs <<<"$pair"
    best_ours=""
    best_theirs=""
    rss_ours=0
    for _ in $(seq "$runs"); do
        timed "$ours" "$repeat"
        [ -z "$best_ours" ] || awk "BEGIN{exit !($seconds < $best_ours)}" && best_ours=$seconds
        [ "$kb" -gt "$rss_ours" ] && rss_ours=$kb
        timed "$theirs" "$repeat"
        [ -z "$best_theirs" ] || awk "BEGIN{exit !($seconds < $best_theirs)}" && best_theirs=$seconds
    done
    awk "BEGIN{printf \"%-19s sonarium %7.3f s  sox %7.3f s  sox/sonarium %6.2f  peak RSS %5d kB\n\", \
        \"$name\", $best_ours, $best_theirs, ($best_ours > 0 ? $best_theirs / $best_ours : 0), $rss_ours}"
done
rm -f "$out"
echo "targets: sox/sonarium >= 2; peak RSS <= 65536 kB"
