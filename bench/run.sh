#!/usr/bin/env bash
# Times check_RT against the I/O floor on a synthetic day: io_floor reads the
# same list the same way and opens, reads to the end and closes the same
# record files, parsing nothing. The day lives in a temporary directory
# (under $TMPDIR) and goes with it.
# Usage: bench/run.sh [RECORDS (100000)] [PAIRS (5)]
set -euo pipefail
records=${1:-100000}
pairs=${2:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
day=$(mktemp -d)
trap 'rm -rf "$day"' EXIT

# check_RT has its directory compiled in: one build for this day.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCHECK_RT_DATA_DIR="$day/" >/dev/null
cmake --build "$build" -j2 --target check_RT make_day io_floor >/dev/null
"$build/bench/make_day" "$day/" "$records"

tool=("$build/check_RT")
floor=("$build/bench/io_floor" "$day/")

# Seconds that "$@" takes; its output goes to $day/out.
seconds() {
    local start=$EPOCHREALTIME
    "$@" >"$day/out" || { echo "bench: $1 failed" >&2; exit 1; }
    local end=$EPOCHREALTIME
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.6f\n", e - s }'
}

# Peak resident memory of "$@" in KiB; its output goes to $day/out.
peak_kib() {
    /usr/bin/time -f %M -o "$day/rss" "$@" >"$day/out" || { echo "bench: $1 failed" >&2; exit 1; }
    cat "$day/rss"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The warm-up, which also takes the peak memory.
tool_kib=$(peak_kib "${tool[@]}")
reported=$(wc -l <"$day/out")
floor_kib=$(peak_kib "${floor[@]}")

for ((i = 0; i < pairs; i++)); do
    t=$(seconds "${tool[@]}")
    f=$(seconds "${floor[@]}")
    echo "$t $f"
done >"$day/times"

tool_s=$(awk '{ print $1 }' "$day/times" | median)
floor_s=$(awk '{ print $2 }' "$day/times" | median)
ratio=$(awk '{ print $1 / $2 }' "$day/times" | median)
awk -v n="$records" -v p="$pairs" -v lines="$reported" -v t="$tool_s" -v f="$floor_s" -v r="$ratio" \
    -v tk="$tool_kib" -v fk="$floor_kib" 'BEGIN {
    printf "records: %d (report lines: %d), pairs: %d\n", n, lines, p
    printf "check_RT: median %.3f s, %.0f records/s, peak RSS %.1f MiB\n", t, n / t, tk / 1024
    printf "io_floor: median %.3f s, %.0f records/s, peak RSS %.1f MiB\n", f, n / f, fk / 1024
    printf "median ratio check_RT/io_floor: %.3f\n", r
}'
