#!/usr/bin/env bash
# Runs the benchmarks, and times `cat`, `cksum` and the three stages of a
# report (bench/stages_main.cpp) as processes on the same cached file,
# then prints the goal table. Usage: bench/run.sh [build-dir]
# Optional: TALLIX_BENCH_FILE (default /tmp/tallix-bench-1GiB.bin, made if
# missing), REPETITIONS (default 5), RUNS (timed runs of cat, cksum and the
# three stages as a process, default 11), SCENARIOS (what bench/scenarios.sh
# runs afterwards: small, dir, idle, all (default) or none).
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

# Wall time of a command in microseconds; its output goes to the file $1.
wall_us() {
    local output=$1 start end
    shift
    start=$(date +%s%N)
    "$@" >>"$output"
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}

# Repetitions run in random order, so a slow spell of a shared machine does
# not fall on one benchmark's every run.
"$BUILD_DIR/bench/tallix_bench" --benchmark_repetitions="$REPETITIONS" \
    --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true \
    --benchmark_out="$RESULTS" \
    --benchmark_out_format=json

# cat, cksum and the three stages as a process take turns, so a busy spell
# of a shared machine falls on all three alike.
STAGES="$BUILD_DIR/bench-stages.txt"
: >"$TOOLS"
: >"$STAGES"
for _ in $(seq "$RUNS"); do
    echo "cat_us $(wall_us /dev/null cat "$TALLIX_BENCH_FILE")" >>"$TOOLS"
    echo "cksum_us $(wall_us /dev/null cksum "$TALLIX_BENCH_FILE")" >>"$TOOLS"
    echo "stages_us $(wall_us "$STAGES" "$BUILD_DIR/bench/tallix_stages" "$TALLIX_BENCH_FILE")" \
        >>"$TOOLS"
done

echo "Commit $(git rev-parse --short HEAD)$(git diff --quiet HEAD -- checksum platform bench || echo ' (modified)'),"\
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(nproc) CPUs," \
    "$(grep -o -m1 'avx512f\|vpclmulqdq' /proc/cpuinfo | sort -u | xargs), Linux $(uname -r)"
python3 bench/summarize.py "$RESULTS" "$TOOLS" "$STAGES" "$SIZE"

# Whole processes where users wait: many small files, the window on a large
# directory, a large file after idle (bench/scenarios.sh).
SCENARIOS=${SCENARIOS:-all}
if [ "$SCENARIOS" != none ]; then
    # shellcheck disable=SC2086
    bench/scenarios.sh "$BUILD_DIR" $SCENARIOS
fi
