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
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"
bench_init "${1:-}" "${2:-}"
read -r -a effect <<<"${EFFECT:-volume --ratio 150}"
sox_effect=${SOX_EFFECT-vol 1.5}

big=$work/big.wav
out=$work/out.wav
bench_source "$big" sine 440 sine 660 gain -3

# dd with the job's block size is the floor of any program that reads, processes and writes in
# user space (cp copies inside the kernel); it is printed for reference.
names=(sonarium sox cp dd)
[ -n "$sox_effect" ] || names=(sonarium cp dd)
command_of() {
    case $1 in
    sonarium) cmd=("$cli" "${effect[@]}" "$big" -o "$out") ;;
    # shellcheck disable=SC2206 # the effect's words are sox's arguments
    sox) cmd=(sox -D "$big" "$out" $sox_effect) ;;
    cp) cmd=(cp "$big" "$out") ;;
    dd) cmd=(dd if="$big" of="$out" bs=128000 status=none) ;;
    esac
}
"$cli" "${effect[@]}" "$big" -o "$out" </dev/null >/dev/null 2>&1 ||
    { echo "sonarium-cli ${effect[*]} failed" >&2; exit 1; }
cat "$big" >/dev/null # warm the page cache
bench_rounds "$out"

volume=$([ "${effect[0]}" = volume ] && echo yes || true)
echo "sonarium-cli ${effect[*]}${sox_effect:+ against sox $sox_effect}"
echo "file: $big ($(($(stat -c %s "$big") / 1024 / 1024)) MB), best of $runs"
bench_table
[ -z "$sox_effect" ] || bench_ratio "sox / sonarium" sox sonarium "${volume:+target >= 2}"
bench_ratio "sonarium / cp " sonarium cp "${volume:+target <= 1.3}"
bench_ratio "sonarium / dd " sonarium dd "for reference"
echo "sonarium peak RSS = $((rss[sonarium] / 1024)) MB   (target <= 64)"
