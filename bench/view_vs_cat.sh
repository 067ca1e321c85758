#!/usr/bin/env bash
# The waveform window on a 50-minute stereo and a 10-hour mono file made with sox: open to
# picture against cat, the worst redraw over the zooms, the zoom summary's memory.
#
# usage: bench/view_vs_cat.sh [BUILD_DIR] [WORK_DIR]   (RUNS=N for more than 3 opens each)
# Needs a build configured with -DSONARIUM_BENCH=ON, and sox.
set -euo pipefail

build=${1:-build}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/sonarium-view.XXXXXX")}
bench=$build/bench/sonarium_view_bench
[ -x "$bench" ] || { echo "no $bench: configure with -DSONARIUM_BENCH=ON" >&2; exit 2; }
command -v sox >/dev/null || { echo "needs sox" >&2; exit 2; }

stereo=$work/stereo-50min.wav
mono=$work/mono-10h.wav
[ -f "$stereo" ] || sox -n -r 44100 -b 16 -c 2 "$stereo" synth 3000 sine 440 sine 660 vol 0.5
[ -f "$mono" ] || sox -n -r 44100 -b 16 -c 1 "$mono" synth 36000 pinknoise vol 0.5
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bench" "$stereo" "$mono"
