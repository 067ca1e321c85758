#!/usr/bin/env bash
# Times the selection edits of sonarium-cli on one large stereo file against sox doing the same
# edit and cp of the same file, in the same run (best of 3 runs each), and prints the ratios and
# the peak resident memory of each program:
#   reverse                        against  sox in out reverse
#   extract --start 10 --end 70    against  sox in out trim 10 60
#   fade --length 10               against  sox in out fade t 10 -0 10
#   mute, remove of a middle minute against cp alone
#
# usage: bench/edits_vs_sox.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the 530 MB source (kept for later runs) and the outputs go; a fresh
#              directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
# Targets: reverse, extract, remove and mute within 1.5x the time of cp and faster than sox;
# fade at least 2x faster than sox; at most 64 MB peak RSS. Needs sox and /usr/bin/time.
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
size=$(stat -L -c %s "$big")
[ "$size" -ge $((500 * 1000 * 1000)) ] || echo "warning: $big is under 500 MB" >&2

names=(cp reverse sox-reverse extract sox-trim fade sox-fade mute remove)
# The command line of one program, in the array cmd.
command_of() {
    case $1 in
    cp) cmd=(cp "$big" "$out") ;;
    reverse) cmd=("$cli" reverse "$big" -o "$out") ;;
    sox-reverse) cmd=(sox -D "$big" "$out" reverse) ;;
    extract) cmd=("$cli" extract --start 10 --end 70 "$big" -o "$out") ;;
    sox-trim) cmd=(sox -D "$big" "$out" trim 10 60) ;;
    fade) cmd=("$cli" fade --length 10 "$big" -o "$out") ;;
    sox-fade) cmd=(sox -D "$big" "$out" fade t 10 -0 10) ;;
    mute) cmd=("$cli" mute --start 1470 --end 1530 "$big" -o "$out") ;;
    remove) cmd=("$cli" remove --start 1470 --end 1530 "$big" -o "$out") ;;
    esac
}
cat "$big" >/dev/null # warm the page cache

declare -A best rss
for round in $(seq "$runs"); do
    for name in "${names[@]}"; do
        rm -f "$out"
        sync
        command_of "$name"
        # sox reverse keeps its temporary copy where TMPDIR says: the work folder.
        TMPDIR=$work /usr/bin/time -f "%e %M" -o "$work/time.txt" "${cmd[@]}" >/dev/null 2>&1 ||
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
    printf '%-12s %6.2f s   peak RSS %5d kB\n' "$name" "${best[$name]}" "${rss[$name]}"
done
ratio() { awk "BEGIN{printf \"%-28s = %5.2f   (target %s)\n\", \"$1\", $2, \"$3\"}"; }
for edit in reverse extract mute remove; do
    ratio "$edit / cp" "${best[$edit]} / ${best[cp]}" "<= 1.5"
done
ratio "sox reverse / reverse" "${best[sox-reverse]} / ${best[reverse]}" "> 1"
ratio "sox trim / extract" "${best[sox-trim]} / ${best[extract]}" "> 1"
ratio "sox fade / fade" "${best[sox-fade]} / ${best[fade]}" ">= 2"
peak=0
for edit in reverse extract fade mute remove; do
    [ "${rss[$edit]}" -gt "$peak" ] && peak=${rss[$edit]}
done
echo "sonarium peak RSS = $((peak / 1024)) MB   (target <= 64)"
