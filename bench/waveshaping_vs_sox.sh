#!/usr/bin/env bash
# Times two waveshaping effects on the same large stereo file (best of 3 runs each) and prints
# the ratios and each program's peak resident memory:
#   - "sonarium-cli frequential-projection" (a sine per value) against cp;
#   - "sonarium-cli sinus-compression --iterations 8" against "sox -D ... overdrive", a
#     waveshaper too but with another curve: the ratio is for information, not a target.
#
# usage: bench/waveshaping_vs_sox.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the 530 MB source (kept for later runs) and the outputs go; a fresh
#              directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
# Target: at most 64 MB peak RSS. Needs sox and /usr/bin/time (Debian packages sox and time).
#
# The programs take turns, round after round, and dirty pages are flushed before every run.
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
out=$work/out.wav
if [ ! -f "$big" ]; then
    echo "making a 3000 s stereo file (about 530 MB) in $work"
    sox -n -r 44100 -c 2 -b 16 "$big" synth 3000 sine 440 sine 660 gain -3
fi
size=$(stat -c %s "$big")
[ "$size" -ge $((500 * 1000 * 1000)) ] || echo "warning: $big is under 500 MB" >&2

declare -A best rss
names=(projection cp sinus8 overdrive)
# The command line of one program, in the array cmd.
command_of() {
    case $1 in
    projection) cmd=("$cli" frequential-projection "$big" -o "$out") ;;
    cp) cmd=(cp "$big" "$out") ;;
    sinus8) cmd=("$cli" sinus-compression --iterations 8 "$big" -o "$out") ;;
    overdrive) cmd=(sox -D "$big" "$out" overdrive) ;;
    esac
}
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

echo "file: $big ($((size / 1024 / 1024)) MB), best of $runs"
for name in "${names[@]}"; do
    printf '%-10s %7.2f s   peak RSS %5d kB\n' "$name" "${best[$name]}" "${rss[$name]}"
done
awk "BEGIN{printf \"frequential-projection / cp = %.2f\n\", ${best[projection]} / ${best[cp]}}"
awk "BEGIN{printf \"sox overdrive / sinus-compression x8 = %.2f   (information)\n\", \
    ${best[overdrive]} / ${best[sinus8]}}"
echo "sonarium peak RSS = $(((rss[projection] > rss[sinus8] ? rss[projection] : rss[sinus8]) / 1024)) MB   (target <= 64)"
