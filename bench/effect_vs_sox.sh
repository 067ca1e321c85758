#!/usr/bin/env bash
# Times a sonarium-cli effect against sox doing the like and cp on the same large stereo file
# (best of 3 runs each, with dd as a reference), and prints the ratios and the peak resident
# memory of each program. Volume against "sox -D ... vol" unless told otherwise.
#
# usage: bench/effect_vs_sox.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the 530 MB source (kept for later runs) and the outputs go; a fresh
#              directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
#   EFFECT="zeta-pitch --ratio 200"  in the environment: the operation and its options
#   SOX_EFFECT="tempo 0.5"  the sox effect to time beside it; empty: sox is left out
# Targets for Volume: at least 2x faster than sox, at most 1.3x the time of cp, at most 64 MB
# peak RSS. For other effects the sox figure is information (a different algorithm).
# Needs sox and /usr/bin/time (Debian packages sox and time).
#
# The three programs take turns, round after round, and dirty pages are flushed before every
# run, so that load from other processes and write-back of an earlier output weigh on all three
# alike.
set -euo pipefail

build=${1:-build}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/sonarium-bench.XXXXXX")}
runs=${RUNS:-3}
read -r -a effect <<<"${EFFECT:-volume --ratio 150}"
sox_effect=${SOX_EFFECT-vol 1.5}
cli=$build/src/cli/sonarium-cli
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
command -v sox >/dev/null || { echo "needs sox" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package: time)" >&2; exit 2; }
mkdir -p "$work"

big=$work/big.wav
out=$work/out.wav
if [ ! -f "$big" ]; then
    echo "making a 3000 s stereo file (about 530 MB) in $work"
    sox -n -r 44100 -c 2 -b 16 "$big" synth 3000 sine 440 sine 660 gain -3
fi
size=$(stat -c %s "$big")
[ "$size" -ge $((500 * 1000 * 1000)) ] || echo "warning: $big is under 500 MB" >&2

declare -A best rss
# dd with the job's block size is the floor of any program that reads, processes and writes in
# user space (cp copies inside the kernel); it is printed for reference.
names=(sonarium sox cp dd)
[ -n "$sox_effect" ] || names=(sonarium cp dd)
# The command line of one program, in the array cmd.
command_of() {
    case $1 in
    sonarium) cmd=("$cli" "${effect[@]}" "$big" -o "$out") ;;
    # shellcheck disable=SC2086 # the effect's words are sox's arguments
    sox) cmd=(sox -D "$big" "$out" $sox_effect) ;;
    cp) cmd=(cp "$big" "$out") ;;
    dd) cmd=(dd if="$big" of="$out" bs=128000 status=none) ;;
    esac
}
"$cli" "${effect[@]}" "$big" -o "$out" </dev/null >/dev/null 2>&1 ||
    { echo "sonarium-cli ${effect[*]} failed" >&2; exit 1; }
cat "$big" >/dev/null # warm the page cache

for round in $(seq "$runs"); do
    for name in "${names[@]}"; do
        rm -f "$out"
        sync
        command_of "$name"
        /usr/bin/time -f "%e %M" -o "$work/time.txt" "${cmd[@]}" >/dev/null 2>&1 ||
            { echo "$name failed" >&2; exit 1; }
        read -r seconds kb <"$work/time.txt"
        if [ -z "${best[$name]:-}" ] || awk "BEGIN{exit !($seconds < ${best[$name]})}"; then
            best[$name]=$seconds
        fi
        [ "$kb" -gt "${rss[$name]:-0}" ] && rss[$name]=$kb
        echo "round $round: $name ${seconds} s, ${kb} kB"
    done
done
rm -f "$out"

echo "sonarium-cli ${effect[*]}${sox_effect:+ against sox $sox_effect}"
# Volume's targets; other effects' figures are information.
target() { [ "${effect[0]}" = volume ] && echo "   (target $1)"; true; }
echo "file: $big ($((size / 1024 / 1024)) MB), best of $runs"
for name in "${names[@]}"; do
    printf '%-9s %6.2f s   peak RSS %5d kB\n' "$name" "${best[$name]}" "${rss[$name]}"
done
[ -n "$sox_effect" ] &&
    awk "BEGIN{printf \"sox / sonarium = %.2f$(target '>= 2')\n\", ${best[sox]} / ${best[sonarium]}}"
awk "BEGIN{printf \"sonarium / cp  = %.2f$(target '<= 1.3')\n\", ${best[sonarium]} / ${best[cp]}}"
awk "BEGIN{printf \"sonarium / dd  = %.2f   (for reference)\n\", ${best[sonarium]} / ${best[dd]}}"
echo "sonarium peak RSS = $((rss[sonarium] / 1024)) MB   (target <= 64)"
