#!/bin/bash
# Times a recorded chain replayed on many files by batch: N small files (default 200, 2 s stereo
# each), a three-step chain (volume, reverse, normalize), with --jobs 1, then --jobs 2, then a
# --resume that finds every result there; checks that both runs made the same files.
# usage: bench/batch_replay.sh [BUILD_DIR] [FILES]
set -eu
build=${1:-build}
count=${2:-200}
cli=$(cd "$build" && pwd)/src/cli/sonarium-cli
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
command -v sox >/dev/null || { echo "needs sox" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/sonarium-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir in made
sox -n -r 44100 -c 2 -b 16 take.wav synth 2 pinknoise vol 0.5
"$cli" volume --record --quiet --ratio 150 take.wav -o made/000.wav
"$cli" reverse --record --quiet made/000.wav -o made/001.wav
"$cli" normalize --record --quiet made/001.wav -o made/002.wav
"$cli" history made/002.wav > chain.sh
for i in $(seq 1 "$count"); do
    sox -n -r 44100 -c 2 -b 16 "in/f$i.wav" synth 2 sine $((100 + i)) vol 0.5
done
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" > /dev/null; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
echo "files: $count, chain: 3 steps, $(stat -c %s in/f1.wav) bytes each"
echo "batch --jobs 1: $(seconds "$cli" batch chain.sh --jobs 1 -o out1 in/*.wav) s"
echo "batch --jobs 2: $(seconds "$cli" batch chain.sh --jobs 2 -o out2 in/*.wav) s"
echo "batch --jobs 2 --resume (all there): $(seconds "$cli" batch chain.sh --jobs 2 --resume -o out2 in/*.wav) s"
cmp_all=0
for f in in/*.wav; do cmp -s "out1/${f#in/}" "out2/${f#in/}" || cmp_all=1; done
echo "results of --jobs 1 and --jobs 2 identical: $([ $cmp_all = 0 ] && echo yes || echo NO)"
