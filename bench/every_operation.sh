#!/usr/bin/env bash
# Every operation of `sonarium-cli list` on large generated files, each beside `cp` of the same
# bytes (`cat` for the reports), best of 3 (RUNS=N for more).
#
#   bench/every_operation.sh [BUILD_DIR] [WORK_DIR]
#
# The Source is a 1500 s stereo file (265 MB); an operation that needs mono, or that warns on a
# stereo file, gets a 3000 s mono file of the same size; a two-file operation gets an Aux of the
# Source's layout and length; the syntheses write 1000 s (88 MB). The bytes an operation moves are
# what it reads (each input once) plus what it writes; `cp` of the Source moves twice the
# Source's size, so its time is scaled by the ratio of the two. Every result is on the disk before
# it takes its name (the job syncs it), so the copy is synced too: `cp` then `sync` of the copy.
# A report reads only: `cat` of the Source to /dev/null is scaled the same way by what it reads.
#
# Per operation it prints the best wall time, the CPU time (user + system) of that run, the ratio
# to cp (or cat) of the same bytes, the ratio of wall to CPU time (under 1 when several cores
# work) and the peak resident memory.
#
# Environment: RUNS (3), ONLY (a grep -E pattern of operation names), OPTS (options given to every
# operation, e.g. "--threads 1"), PREFIX (a command the operations run under, e.g. "taskset -c 0").
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_lib.sh"
# The tools, cli, work and runs (RUNS=N, default 3), as every timing script here has them.
bench_init "${1:-$here/../build}" "${2:-${TMPDIR:-/tmp}/sonarium-every-op}"
read -r -a opts <<<"${OPTS:-}"
read -r -a prefix <<<"${PREFIX:-}"

make_file() { # PATH CHANNELS SOX_EFFECTS...
    local path=$1 channels=$2
    shift 2
    [ -f "$path" ] || {
        echo "making $path" >&2
        sox -n -r 44100 -b 16 -c "$channels" "$path.tmp.wav" "$@" && mv "$path.tmp.wav" "$path"
    }
}
stereo=$work/source.wav
aux=$work/aux.wav
mono=$work/mono.wav
monoaux=$work/monoaux.wav
make_file "$stereo" 2 synth 1500 sine 220 sine 330 tremolo 3 gain -4
make_file "$aux" 2 synth 1500 pinknoise gain -9
make_file "$mono" 1 synth 3000 pinknoise tremolo 5 gain -4
make_file "$monoaux" 1 synth 3000 brownnoise gain -9

# Probe each operation on a short file: what it reads, whether it takes mono only.
probe=$work/probe
mkdir -p "$probe"
sox -n -r 44100 -c 2 -b 16 "$probe/s.wav" synth 1 sine 440
sox -n -r 44100 -c 2 -b 16 "$probe/a.wav" synth 1 sine 660
out=$work/out.wav
outR=$work/outR.wav

# args_of NAME SOURCE AUX: fills args with the operation's command line.
args_of() {
    local name=$1 src=$2 ax=$3 usage
    usage=$("$cli" describe "$name" | grep -m1 '^usage:')
    case $name in
    remove) extra=(--start 600 --end 660) ;;
    remove-selection) extra=(--sel-start 26460000 --sel-length 2646000) ;;
    *-synthesis) extra=(--duration 1000) ;;
    *) extra=() ;;
    esac
    [ "$name" = simple-synthesis ] && extra+=(--frequency 440)
    case $usage in
    *"SOURCE AUX -o"*) args=("${extra[@]}" "$src" "$ax" -o "$out") ;;
    *"-o LEFT -o RIGHT"*) args=("${extra[@]}" "$src" -o "$out" -o "$outR") ;;
    *"SOURCE -o"*) args=("${extra[@]}" "$src" -o "$out") ;;
    *"SOURCE"*) args=("${extra[@]}" "$src") ;;
    *) args=("${extra[@]}" -o "$out") ;;
    esac
}

# inputs_of NAME: sets src and ax for the large run (mono where the operation asks for it).
inputs_of() {
    local name=$1 text
    src=$stereo
    ax=$aux
    args_of "$name" "$probe/s.wav" "$probe/a.wav"
    rm -f "$out" "$outR"
    text=$("$cli" "$name" "${args[@]}" </dev/null 2>&1 || true)
    case $text in
    *"not mono"* | *"cannot handle stereo"*) src=$mono ax=$monoaux ;;
    esac
}

size() { stat -c %s "$1"; }
seconds_since() { awk "BEGIN{printf \"%.3f\", ($(date +%s%N) - $1) / 1e9}"; }

# timed VAR_PREFIX CMD...: runs CMD with dirty pages flushed first; sets ${VAR}_wall, _cpu, _kb.
timed() {
    local var=$1 start
    shift
    sync
    start=$(date +%s%N)
    /usr/bin/time -f "%U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" </dev/null ||
        { echo "failed: $*" >&2; cat "$work/err.txt" >&2; return 1; }
    local wall user sys kb
    wall=$(seconds_since "$start")
    read -r user sys kb <"$work/time.txt"
    printf -v "${var}_wall" %s "$wall"
    printf -v "${var}_cpu" %s "$(awk "BEGIN{print $user + $sys}")"
    printf -v "${var}_kb" %s "$kb"
}

printf '%-26s %8s %8s %7s %9s %8s %8s\n' operation "wall s" "cpu s" ref "÷ ref" wall/cpu "RSS MB"
for name in $("$cli" list | awk '{print $1}'); do
    if [ -n "${ONLY:-}" ] && ! grep -qE "^(${ONLY})$" <<<"$name"; then continue; fi
    inputs_of "$name"
    args_of "$name" "$src" "$ax"
    best="" best_cpu="" peak=0 ref_best=""
    for _ in $(seq "$runs"); do
        rm -f "$out" "$outR" "$work/copy.wav"
        timed op "${prefix[@]}" "$cli" "$name" "${opts[@]}" "${args[@]}" || continue 2
        read_bytes=$(size "$src")
        case " ${args[*]} " in *" $ax "*) read_bytes=$((read_bytes + $(size "$ax"))) ;; esac
        written=0
        for f in "$out" "$outR"; do [ -f "$f" ] && written=$((written + $(size "$f"))); done
        [[ $name == *-synthesis ]] && read_bytes=0
        if [ "$written" -eq 0 ]; then
            ref=cat
            timed ref cat "$src"
            ref_time=$(awk "BEGIN{print $ref_wall * $read_bytes / $(size "$src")}")
        else
            ref=cp
            timed ref sh -c 'cp "$1" "$2" && sync "$2"' sh "$src" "$work/copy.wav"
            ref_time=$(awk "BEGIN{print $ref_wall * ($read_bytes + $written) / (2 * $(size "$src"))}")
        fi
        if [ -z "$best" ] || awk "BEGIN{exit !($op_wall < $best)}"; then
            best=$op_wall best_cpu=$op_cpu
        fi
        if [ -z "$ref_best" ] || awk "BEGIN{exit !($ref_time < $ref_best)}"; then ref_best=$ref_time; fi
        [ "$op_kb" -gt "$peak" ] && peak=$op_kb
    done
    awk -v n="$name" -v w="$best" -v c="$best_cpu" -v r="$ref" -v rt="$ref_best" -v kb="$peak" \
        'BEGIN{printf "%-26s %8.3f %8.3f %7s %9.2f %8.2f %8.1f\n", n, w, c, r, (rt > 0 ? w / rt : 0), (c > 0 ? w / c : 0), kb / 1024}'
done
rm -f "$out" "$outR" "$work/copy.wav"
