# Shared by the timing scripts of bench/: sourced, never run. A script sets names=(...) and
# defines command_of NAME (filling the array cmd with that program's command line), then calls
# bench_rounds; best[NAME] and rss[NAME] then hold each program's best time in seconds and peak
# resident memory in kB.
#
# The programs take turns, round after round, and dirty pages are flushed before every run, so
# that load from other processes and write-back of an earlier output weigh on all of them alike.

# bench_init BUILD_DIR WORK_DIR: checks the tools and sets cli, work and runs (RUNS=N, default 3).
bench_init() {
    local build=${1:-build}
    work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/sonarium-bench.XXXXXX")}
    runs=${RUNS:-3}
    cli=$build/src/cli/sonarium-cli
    [ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
    command -v sox >/dev/null || { echo "needs sox" >&2; exit 2; }
    [ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package: time)" >&2; exit 2; }
    mkdir -p "$work"
    declare -gA best rss
}

# bench_source PATH SOX_SYNTH_ARGS...: makes a 3000 s stereo file (about 530 MB) with sox unless
# it is there from an earlier run, and warns when it is under 500 MB.
bench_source() {
    local path=$1
    shift
    if [ ! -f "$path" ]; then
        echo "making a 3000 s stereo file (about 530 MB): $path"
        sox -n -r 44100 -c 2 -b 16 "$path" synth 3000 "$@"
    fi
    [ "$(stat -c %s "$path")" -ge $((500 * 1000 * 1000)) ] || echo "warning: $path is under 500 MB" >&2
}

# bench_rounds OUT: runs every program of names once per round, removing OUT before each run.
bench_rounds() {
    local out=$1 round name seconds kb
    for round in $(seq "$runs"); do
        for name in "${names[@]}"; do
            rm -f "$out"
            sync
            command_of "$name"
            # The wall time to the microsecond (time's own %e has only hundredths), the peak
            # memory from time.
            local start end
            start=$(date +%s%N)
            /usr/bin/time -f "%M" -o "$work/time.txt" "${cmd[@]}" >/dev/null 2>&1 </dev/null ||
                { echo "$name failed" >&2; exit 1; }
            end=$(date +%s%N)
            seconds=$(awk "BEGIN{printf \"%.3f\", ($end - $start) / 1e9}")
            read -r kb <"$work/time.txt"
            if [ -z "${best[$name]:-}" ] || awk "BEGIN{exit !($seconds < ${best[$name]})}"; then
                best[$name]=$seconds
            fi
            [ "$kb" -gt "${rss[$name]:-0}" ] && rss[$name]=$kb
            echo "round $round: $name ${seconds} s, ${kb} kB"
        done
    done
    rm -f "$out"
}

# bench_table: one line per program, best time and peak resident memory.
bench_table() {
    local name
    for name in "${names[@]}"; do
        printf '%-16s %7.3f s   peak RSS %6d kB\n' "$name" "${best[$name]}" "${rss[$name]}"
    done
}

# bench_ratio LABEL A B [NOTE]: prints LABEL = best[A] / best[B], then NOTE.
bench_ratio() {
    awk "BEGIN{printf \"%s = %.2f%s\n\", \"$1\", ${best[$2]} / ${best[$3]}, \"${4:+   ($4)}\"}"
}
