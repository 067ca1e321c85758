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

build=${1:-build}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/sonarium-bench.XXXXXX")}
runs=${RUNS:-3}
cli=$build/src/cli/sonarium-cli
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
command -v sox >/dev/null || { echo "needs sox" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package: time)" >&2; exit 2; }
mkdir -p "$work"
out=$work/out.wav
export SONARIUM_ROOT=$work/root

declare -A best rss
names=(sonarium sox)
command_of() {
    case $1 in
    sonarium) cmd=("$cli" simple-synthesis --duration 1000 --frequency 440 -o "$out") ;;
    sox) cmd=(sox -n -r 44100 -c 1 -b 16 "$out" synth 1000 sine 440) ;;
    esac
}

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
size=$(stat -c %s "$out")
rm -f "$out"

echo "1000 s of 440 Hz, mono ($((size / 1000 / 1000)) MB), best of $runs"
for name in "${names[@]}"; do
    printf '%-9s %6.2f s   peak RSS %5d kB\n' "$name" "${best[$name]}" "${rss[$name]}"
done
awk "BEGIN{printf \"sox / sonarium = %.2f   (target >= 1)\n\", ${best[sox]} / ${best[sonarium]}}"
echo "sonarium peak RSS = $((rss[sonarium] / 1024)) MB   (target <= 64)"
