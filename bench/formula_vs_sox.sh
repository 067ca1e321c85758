#!/usr/bin/env bash
# Times "sonarium-cli interaction-formula --formula mix" against "sox -D -m" on the same two large
# stereo files (best of 3 runs each, with cat of both inputs as a reference), and prints the ratio
# and the peak resident memory of each program.
#
# usage: bench/formula_vs_sox.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the two 530 MB sources (kept for later runs) and the outputs go; a fresh
#              directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
# Targets: at least 2x faster than sox, at most 64 MB peak RSS.
# Needs sox and /usr/bin/time (Debian packages sox and time).
#
# The programs take turns, round after round, and dirty pages are flushed before every run, so
# that load from other processes and write-back of an earlier output weigh on all of them alike.
set -euo pipefail

build=${1:-build}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/sonarium-bench.XXXXXX")}
runs=${RUNS:-3}
cli=$build/src/cli/sonarium-cli
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
command -v sox >/dev/null || { echo "needs sox" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package: time)" >&2; exit 2; }
mkdir -p "$work"

one=$work/big.wav
two=$work/big2.wav
out=$work/out.wav
if [ ! -f "$one" ]; then
    echo "making a 3000 s stereo file (about 530 MB) in $work"
    sox -n -r 44100 -c 2 -b 16 "$one" synth 3000 sine 440 sine 660 gain -3
fi
if [ ! -f "$two" ]; then
    echo "making a second 3000 s stereo file in $work"
    sox -n -r 44100 -c 2 -b 16 "$two" synth 3000 square 110 sine 330 gain -6
fi
for f in "$one" "$two"; do
    [ "$(stat -c %s "$f")" -ge $((500 * 1000 * 1000)) ] || echo "warning: $f is under 500 MB" >&2
done

declare -A best rss
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

echo "files: $one, $two ($(($(stat -c %s "$one") / 1024 / 1024)) MB each), best of $runs"
for name in "${names[@]}"; do
    printf '%-9s %6.2f s   peak RSS %5d kB\n' "$name" "${best[$name]}" "${rss[$name]}"
done
awk "BEGIN{printf \"sox / sonarium = %.2f   (target >= 2)\n\", ${best[sox]} / ${best[sonarium]}}"
awk "BEGIN{printf \"sonarium / cat = %.2f   (for reference)\n\", ${best[sonarium]} / ${best[cat]}}"
echo "sonarium peak RSS = $((rss[sonarium] / 1024)) MB   (target <= 64)"
