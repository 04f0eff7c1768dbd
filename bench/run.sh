#!/usr/bin/env bash
# Runs the benchmarks and times `cat` and `cksum` on the same cached file,
# then prints the goal table. Usage: bench/run.sh [build-dir]
# Optional: TALLIX_BENCH_FILE (default /tmp/tallix-bench-1GiB.bin, made if
# missing), REPETITIONS (default 5), RUNS (timed cat/cksum runs, default 11).
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${1:-build}
export TALLIX_BENCH_FILE=${TALLIX_BENCH_FILE:-/tmp/tallix-bench-1GiB.bin}
REPETITIONS=${REPETITIONS:-5}
RUNS=${RUNS:-11}
SIZE=$((1 << 30))
RESULTS="$BUILD_DIR/bench-results.json"
TOOLS="$BUILD_DIR/bench-tools.txt"

if [ ! -f "$TALLIX_BENCH_FILE" ] || [ "$(stat -c %s "$TALLIX_BENCH_FILE")" -ne "$SIZE" ]; then
    echo "Making $TALLIX_BENCH_FILE (1 GiB of random bytes)"
    head -c "$SIZE" /dev/urandom >"$TALLIX_BENCH_FILE"
fi
cat "$TALLIX_BENCH_FILE" >/dev/null  # into the page cache

# Median wall time in milliseconds of RUNS runs of a shell command.
median_ms() {
    local times=()
    for _ in $(seq "$RUNS"); do
        local start end
        start=$(date +%s%N)
        bash -c "$1" >/dev/null
        end=$(date +%s%N)
        times+=($(((end - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f\n", a[int((NR+1)/2)]/1000}'
}

# Repetitions run in random order, so a slow spell of a shared machine does
# not fall on one benchmark's every run.
"$BUILD_DIR/bench/tallix_bench" --benchmark_repetitions="$REPETITIONS" \
    --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true \
    --benchmark_out="$RESULTS" \
    --benchmark_out_format=json

{
    echo "cat_ms $(median_ms "cat '$TALLIX_BENCH_FILE' > /dev/null")"
    echo "cksum_ms $(median_ms "cksum '$TALLIX_BENCH_FILE'")"
} >"$TOOLS"
cat "$TOOLS"

echo "Commit $(git rev-parse --short HEAD)$(git diff --quiet HEAD -- checksum platform bench || echo ' (modified)'),"\
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(nproc) CPUs," \
    "$(grep -o -m1 'avx512f\|vpclmulqdq' /proc/cpuinfo | sort -u | xargs), Linux $(uname -r)"
python3 bench/summarize.py "$RESULTS" "$TOOLS" "$SIZE"
