#!/usr/bin/env bash
# Times "sonarium-cli peaks" against "cat" reading the same large wave file with a warm page
# cache (best of 3 each), and reports the ratio and the peak resident memory of the scan.
#
# usage: bench/peaks_vs_cat.sh [SONARIUM_CLI] [FILE]
#   SONARIUM_CLI  defaults to build/src/cli/sonarium-cli
#   FILE          a wave file of at least 500 MB; without it a 600 MB stereo file of noise is
#                 made in $TMPDIR (and removed afterwards)
# Targets: at most 2x the time of cat, at most 64 MB of peak resident memory.
set -euo pipefail

cli=${1:-build/src/cli/sonarium-cli}
file=${2:-}
runs=3
[ -x "$cli" ] || { echo "no sonarium-cli at $cli" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package: time)" >&2; exit 2; }

cleanup=""
if [ -z "$file" ]; then
    dir=$(mktemp -d "${TMPDIR:-/tmp}/sonarium-bench.XXXXXX")
    cleanup=$dir
    file=$dir/big.wav
    data=$((600 * 1024 * 1024))
    le32() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))\\$(printf %03o $((($1 >> 16) & 255)))\\$(printf %03o $((($1 >> 24) & 255)))"; }
    le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))"; }
    {
        printf 'RIFF'; le32 $((36 + data)); printf 'WAVEfmt '; le32 16
        le16 1; le16 2; le32 44100; le32 176400; le16 4; le16 16
        printf 'data'; le32 "$data"
        head -c "$data" /dev/urandom
    } >"$file"
fi
trap '[ -n "$cleanup" ] && rm -rf "$cleanup"' EXIT

size=$(stat -c %s "$file")
[ "$size" -ge $((500 * 1000 * 1000)) ] || echo "warning: $file is under 500 MB" >&2

# Seconds of the fastest of $runs runs of a command, output discarded.
best() {
    local best_time="" t
    for _ in $(seq "$runs"); do
        t=$( { TIMEFORMAT=%R; time "$@" >/dev/null 2>&1; } 2>&1 )
        if [ -z "$best_time" ] || awk "BEGIN{exit !($t < $best_time)}"; then best_time=$t; fi
    done
    echo "$best_time"
}

cat "$file" >/dev/null # warm the page cache
if ! "$cli" peaks "$file" >/dev/null; then
    echo "sonarium-cli peaks failed on $file" >&2
    exit 1
fi
cat_time=$(best cat "$file")
peaks_time=$(best "$cli" peaks "$file")
rss_kb=$(/usr/bin/time -f %M "$cli" peaks "$file" 2>&1 >/dev/null | tail -1)

echo "file:        $file ($((size / 1024 / 1024)) MB)"
echo "cat:         ${cat_time} s (best of $runs)"
echo "peaks:       ${peaks_time} s (best of $runs)"
awk "BEGIN{printf \"ratio:       %.2f x cat (target <= 2)\n\", $peaks_time / $cat_time}"
echo "peak RSS:    $((rss_kb / 1024)) MB (${rss_kb} kB; target <= 64 MB)"
