#!/bin/sh
# Times "sonarium-cli volume" against "sox ... vol" and cp on the same large stereo file, best of
# three runs each, and prints the ratios and the peak resident memory.
# usage: bench/volume_vs_sox.sh [BUILD_DIR] [WORK_DIR]   (needs sox and /usr/bin/time)
set -eu
build=${1:-build}
work=${2:-$(mktemp -d /tmp/sonarium-bench.XXXXXX)}
mkdir -p "$work"
cli="$build/src/cli/sonarium-cli"
big="$work/big.wav"
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
if [ ! -f "$big" ]; then
    echo "making a 3000 s stereo file (about 530 MB) in $work"
    sox -n -r 44100 -c 2 -b 16 "$big" synth 3000 sine 440 sine 660 gain -3
fi
ls -l "$big"

# best_of NAME COMMAND...: prints "NAME seconds peak_kb", keeping the fastest of three runs.
best_of() {
    name=$1
    shift
    best=""
    rss=0
    for _ in 1 2 3; do
        /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1
        read -r seconds kb <"$work/time.txt"
        if [ -z "$best" ] || [ "$(echo "$seconds < $best" | bc)" = 1 ]; then best=$seconds; fi
        [ "$kb" -gt "$rss" ] && rss=$kb
        rm -f "$work/out.wav"
    done
    echo "$name $best $rss"
}

cat "$big" >/dev/null # warm the page cache
s=$(best_of sonarium "$cli" volume --ratio 150 "$big" -o "$work/out.wav")
x=$(best_of sox sox -D "$big" "$work/out.wav" vol 1.5)
c=$(best_of cp cp "$big" "$work/out.wav")
echo "$s"; echo "$x"; echo "$c"
set -- $s; st=$2; srss=$3
set -- $x; xt=$2
set -- $c; ct=$2
echo "sox / sonarium = $(echo "scale=2; $xt / $st" | bc)   (target >= 2)"
echo "sonarium / cp  = $(echo "scale=2; $st / $ct" | bc)   (target <= 1.3)"
echo "sonarium peak RSS = $((srss / 1024)) MB   (target <= 64)"
