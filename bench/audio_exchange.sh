#!/usr/bin/env bash
# Times the audio import and export and the Resample method of Sampling Rate Conversion against
# sox (and flac) doing the same on a 30-minute 24-bit 48 kHz stereo file (best of 3 runs each),
# and prints the ratios and the peak resident memory of each program:
#   import --rate keep big24.wav               against  sox big24.wav -b 16 out.wav
#   import --rate 44100 big24.wav              against  sox big24.wav -b 16 -r 44100 out.wav
#                                              and      sox big24.wav -b 16 out.wav rate -v 44100
#   export --format flac big16.wav             against  flac big16.wav, sox big16.wav out.flac
#   sampling-rate-conversion --method resample against  sox big16.wav out.wav rate -v 44100
#     --output-rate 44100 big16.wav
# sox dithers when it reduces the width, as the import does; sox -r uses its high quality
# resampler, rate -v the very high quality one the import and Resample use.
#
# usage: bench/audio_exchange.sh [BUILD_DIR] [WORK_DIR]
#   BUILD_DIR  defaults to build (the CLI is BUILD_DIR/src/cli/sonarium-cli)
#   WORK_DIR   where the sources (kept for later runs, about 870 MB) and the outputs go; a fresh
#              directory under $TMPDIR when left out
#   RUNS=N     in the environment: runs per program (default 3)
# Targets: not slower than sox doing the same, at most 64 MB peak RSS.
# Needs sox, flac and /usr/bin/time (Debian packages sox, flac and time).
#
# The programs of each comparison take turns, round after round, and dirty pages are flushed
# before every run.
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"
bench_init "${1:-}" "${2:-}"
command -v flac >/dev/null || { echo "needs flac" >&2; exit 2; }
export SONARIUM_ROOT=$work/root

big24=$work/big24.wav
big16=$work/big16.wav
if [ ! -f "$big24" ]; then
    echo "making a 1800 s 24-bit 48 kHz stereo file (about 520 MB): $big24"
    sox -n -r 48000 -c 2 -b 24 "$big24" synth 1800 sine 440 sine 1000 gain -3
fi
if [ ! -f "$big16" ]; then
    echo "making its 16-bit working file (about 350 MB): $big16"
    "$cli" import "$big24" -o "$big16"
fi
cat "$big24" "$big16" >/dev/null # warm the page cache

wav=$work/out.wav
flac_out=$work/out.flac
command_of() {
    case $1 in
    import-keep) cmd=("$cli" import --rate keep "$big24" -o "$wav") ;;
    sox-b16) cmd=(sox "$big24" -b 16 "$wav") ;;
    import-44100) cmd=("$cli" import --rate 44100 "$big24" -o "$wav") ;;
    sox-b16-r44100) cmd=(sox "$big24" -b 16 -r 44100 "$wav") ;;
    sox-b16-rate-v) cmd=(sox "$big24" -b 16 "$wav" rate -v 44100) ;;
    export-flac) cmd=("$cli" export --format flac "$big16" -o "$flac_out") ;;
    flac) cmd=(flac -s -f "$big16" -o "$flac_out") ;;
    sox-flac) cmd=(sox "$big16" "$flac_out") ;;
    src-resample)
        cmd=("$cli" sampling-rate-conversion --method resample --output-rate 44100 --quiet "$big16"
            -o "$wav")
        ;;
    sox-rate-v) cmd=(sox "$big16" "$wav" rate -v 44100) ;;
    esac
}

names=(import-keep sox-b16)
bench_rounds "$wav"
names=(import-44100 sox-b16-r44100 sox-b16-rate-v)
bench_rounds "$wav"
names=(export-flac flac sox-flac)
bench_rounds "$flac_out"
names=(src-resample sox-rate-v)
bench_rounds "$wav"

echo "1800 s of 24-bit 48 kHz stereo (520 MB; its 16-bit working file 350 MB), best of $runs"
names=(import-keep sox-b16 import-44100 sox-b16-r44100 sox-b16-rate-v export-flac flac sox-flac
    src-resample sox-rate-v)
bench_table
bench_ratio "import keep:   sox / sonarium" sox-b16 import-keep "target >= 1"
bench_ratio "import 44100:  sox -r / sonarium" sox-b16-r44100 import-44100 "target >= 1"
bench_ratio "import 44100:  sox rate -v / sonarium" sox-b16-rate-v import-44100 "same quality"
bench_ratio "export flac:   sox / sonarium" sox-flac export-flac "target >= 1"
bench_ratio "export flac:   flac / sonarium" flac export-flac
bench_ratio "SRC resample:  sox rate -v / sonarium" sox-rate-v src-resample "target >= 1"
peak=0
for name in import-keep import-44100 export-flac src-resample; do
    [ "${rss[$name]}" -gt "$peak" ] && peak=${rss[$name]}
done
echo "sonarium peak RSS = $((peak / 1024)) MB   (target <= 64)"
