#!/usr/bin/env bash
# Times what a user waits for, as whole processes, each against its anchor in
# the same run with the runs taking turns, and prints medians and spread:
#   small  10,000 small files (0-20 kB): `tallix-report --brief FILES` vs `cksum FILES`
#   dir    the window opened on 100,000 empty files vs on an empty directory,
#          moving into and out of each with the keyboard, and
#          `find . -maxdepth 1 -type f | sort` as the listing anchor
#   idle   a cached 1 GiB file: `tallix-report --brief FILE` vs `cksum FILE`,
#          each after a pause (idle) and back to back (steady state)
#   check  `tallix-report --check` of a list of 100,000 files (0-4 kB) vs
#          `sha256sum -c` of the same files
#   pipe   8 GiB of zeroes from a pipe: `tallix-report --brief -` under a
#          256 MiB address-space limit vs `cksum`; its line must equal the
#          line of an 8 GiB sparse file, and its peak resident memory is kept
#   sparse a 16 GiB sparse file with a little data: `tallix-report --brief`
#          under the same limit vs `cksum`; its CRC-32 must be zlib's
#   click  the cached 1 GiB file clicked in the window, the report's three
#          timings read back from its label: the first click of the process,
#          then clicks after a pause and back to back, `cksum FILE` the same
#          way in turns; and `tallix-report FILE FILE FILE FILE` (the full
#          report), the timing lines of each of its reports
# Usage: bench/scenarios.sh [BUILD_DIR [small|dir|idle|check|pipe|sparse|click|all]...]
#   (default: build all; `all` leaves out pipe and sparse, which take minutes)
# Optional environment:
#   SCENARIO_RUNS (default 5) or per scenario SMALL_RUNS (11), DIR_RUNS, IDLE_RUNS,
#   CHECK_RUNS, PIPE_RUNS (3), SPARSE_RUNS (1), MOVE_ROUNDS (3), CLICK_RUNS (windows
#   and full reports), CLICK_ROUNDS (3, rounds of clicks per window)
#   IDLE_PAUSE seconds before each idle run and idle click (default 10)
#   TALLIX_PROGRAM, TALLIX_REPORT  the programs (default: found by name in BUILD_DIR)
#   TALLIX_SCENARIO_DATA  where the file trees are made once (default /tmp/tallix-scenarios)
#   TALLIX_BENCH_FILE  the 1 GiB file (default /tmp/tallix-bench-1GiB.bin, shared with run.sh)
#   PYTHON  a Python 3 with python3-xlib (default /usr/bin/python3)
# Raw times go to BUILD_DIR/bench-scenarios.txt; bench/summarize_scenarios.py prints
# the tables. See docs/performance.md.
set -euo pipefail
export LC_ALL=C  # a decimal point in $EPOCHREALTIME
cd "$(dirname "$0")/.."

BUILD_DIR=${1:-build}
shift || true
SCENARIOS=("${@:-all}")
[ "${SCENARIOS[*]}" = all ] && SCENARIOS=(small dir idle check)
for scenario in "${SCENARIOS[@]}"; do
    case $scenario in
        small | dir | idle | check | pipe | sparse | click) ;;
        *)
            echo "usage: $0 [BUILD_DIR [small|dir|idle|check|pipe|sparse|click|all]...]" >&2
            exit 2
            ;;
    esac
done

SCENARIO_RUNS=${SCENARIO_RUNS:-5}
SMALL_RUNS=${SMALL_RUNS:-11}
DIR_RUNS=${DIR_RUNS:-$SCENARIO_RUNS}
MOVE_ROUNDS=${MOVE_ROUNDS:-3}
IDLE_RUNS=${IDLE_RUNS:-$SCENARIO_RUNS}
IDLE_PAUSE=${IDLE_PAUSE:-10}
CHECK_RUNS=${CHECK_RUNS:-$SCENARIO_RUNS}
CLICK_RUNS=${CLICK_RUNS:-$SCENARIO_RUNS}
CLICK_ROUNDS=${CLICK_ROUNDS:-3}
PIPE_RUNS=${PIPE_RUNS:-3}
SPARSE_RUNS=${SPARSE_RUNS:-1}
# The memory limit of the pipe and sparse runs: address space, which counts
# every mapping and thread stack, so it is stricter than resident memory.
MEMORY_LIMIT=$((256 << 20))
DATA=${TALLIX_SCENARIO_DATA:-/tmp/tallix-scenarios}
BIG_FILE=${TALLIX_BENCH_FILE:-/tmp/tallix-bench-1GiB.bin}
PYTHON=${PYTHON:-/usr/bin/python3}

fail() {
    echo "scenarios.sh: $*" >&2
    exit 1
}

# The program named $1 in the build tree (its folder may change), or $2 if set.
find_program() {
    local found=${2:-}
    if [ -z "$found" ]; then
        found=$(find "$BUILD_DIR" -path '*/CMakeFiles' -prune -o -type f -name "$1" -perm -u+x \
            -print -quit 2>/dev/null)
    fi
    if [ -z "$found" ] || [ ! -x "$found" ]; then
        fail "no $1 in $BUILD_DIR (build it, or set its path)"
    fi
    realpath "$found"
}

# Milliseconds a command takes, its output discarded; a failed run stops the script.
time_ms() {
    local start end us
    start=$EPOCHREALTIME
    "$@" >/dev/null || fail "failed (status $?): $*"
    end=$EPOCHREALTIME
    us=$((${end/./} - ${start/./}))
    printf '%d.%03d\n' $((us / 1000)) $((us % 1000))
}

record() {
    echo "$1 $2 $3" >>"$RESULTS"
}

# Times a command (time_ms) and records it as scenario $1, measure $2.
timed() {
    local value
    value=$(time_ms "${@:3}")
    record "$1" "$2" "$value"
}

[ -d "$BUILD_DIR" ] || fail "no build directory $BUILD_DIR"
BUILD_DIR=$(realpath "$BUILD_DIR")
RESULTS="$BUILD_DIR/bench-scenarios.txt"
REPORT=$(find_program tallix-report "${TALLIX_REPORT:-}")
mkdir -p "$DATA"
cpu_field() {
    grep -m1 "^$1\s*:" /proc/cpuinfo | cut -d: -f2 | xargs
}
changed=
git diff --quiet HEAD -- . ':!bench' ':!docs' ':!scripts' ':!tests' ':!packaging' ':!*.md' ||
    changed=' (program sources modified)'
{
    echo "# commit $(git rev-parse --short HEAD)$changed, $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "# $(cpu_field 'model name')" \
        "(family $(cpu_field 'cpu family'), model $(cpu_field model)," \
        "$(grep -o -w -m1 'avx512f\|vpclmulqdq' /proc/cpuinfo | sort -u | xargs))," \
        "$(nproc) cores," \
        "$(awk '/MemTotal/ {printf "%.0f GB RAM", $2 / 1e6}' /proc/meminfo), Linux $(uname -r)," \
        "transparent huge pages $(grep -o '\[[a-z]*\]' /sys/kernel/mm/transparent_hugepage/enabled)"
    echo "# load average at the start $(cut -d' ' -f1-3 /proc/loadavg)"
} >"$RESULTS"
cat "$RESULTS"

# ---- 1. Many small files ----
small() {
    local dir="$DATA/small" files
    if [ ! -f "$DATA/small.done" ]; then
        echo "Making 10,000 files of 0-20 kB of random bytes in $dir"
        rm -rf "$dir"
        mkdir -p "$dir"
        "$PYTHON" - "$dir" <<'EOF'
import os, random, sys
sizes = random.Random(20261207)
for i in range(10000):
    with open(os.path.join(sys.argv[1], f"f{i:05d}.bin"), "xb") as f:
        f.write(os.urandom(sizes.randint(0, 20000)))
EOF
        touch "$DATA/small.done"
    fi
    cd "$dir"
    # One glob in one directory, the same argument list for both (about
    # 100 kB, far below ARG_MAX).
    files=(f?????.bin)
    [ ${#files[@]} -eq 10000 ] || fail "$dir holds ${#files[@]} files, not 10000"
    cat "${files[@]}" >/dev/null # into the page cache
    [ "$("$REPORT" --brief "${files[@]}" | wc -l)" -eq 10000 ] ||
        fail "tallix-report did not report every file in $dir"
    echo "small: $SMALL_RUNS runs each"
    for _ in $(seq "$SMALL_RUNS"); do
        timed small report_ms "$REPORT" --brief "${files[@]}"
        timed small cksum_ms cksum "${files[@]}"
        timed small report_j1_ms "$REPORT" --brief -j 1 "${files[@]}"
    done
    cd - >/dev/null
}

# ---- 2. The window on a large directory ----
XVFB_PID=
stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
trap stop_xvfb EXIT

listing_ms() {
    cd "$1"
    local start end us
    start=$EPOCHREALTIME
    find . -maxdepth 1 -type f | sort >/dev/null
    end=$EPOCHREALTIME
    us=$((${end/./} - ${start/./}))
    printf '%d.%03d\n' $((us / 1000)) $((us % 1000))
}

# Appends each `name value` pair of the helper's output line as a result.
record_pairs() {
    local scenario=$1 prefix=$2 pairs i
    read -ra pairs <<<"$3"
    for ((i = 0; i + 1 < ${#pairs[@]}; i += 2)); do
        record "$scenario" "$prefix${pairs[i]}" "${pairs[i + 1]}"
    done
}

# A private X server on a free display (it writes the number it took),
# exported as DISPLAY.
start_xvfb() {
    local display_file
    command -v Xvfb >/dev/null || fail "Xvfb is missing (apt-get install xvfb)"
    "$PYTHON" -c 'import Xlib' 2>/dev/null ||
        fail "$PYTHON cannot import Xlib (apt-get install python3-xlib, or set PYTHON)"
    display_file=$(mktemp)
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 -dpi 96 3>"$display_file" \
        2>"$BUILD_DIR/bench-xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start, see $BUILD_DIR/bench-xvfb.log"
        sleep 0.1
    done
    [ -s "$display_file" ] || fail "Xvfb did not start"
    DISPLAY=":$(cat "$display_file")"
    export DISPLAY
    rm -f "$display_file"
    export TALLIX_WINDOW_LOG="$BUILD_DIR/bench-window.log"
    : >"$TALLIX_WINDOW_LOG"
}

dir() {
    local parent="$DATA/parent" program line
    program=$(find_program tallix "${TALLIX_PROGRAM:-}")
    if [ ! -f "$DATA/parent.done" ]; then
        echo "Making 100,000 empty files in $parent/big"
        rm -rf "$parent"
        mkdir -p "$parent/big" "$parent/empty"
        "$PYTHON" -c '
import os, sys
for i in range(100000):
    open(os.path.join(sys.argv[1], f"f{i:06d}"), "x").close()
' "$parent/big"
        touch "$DATA/parent.done"
    fi
    [ "$(find "$parent/big" -maxdepth 1 -type f | wc -l)" -eq 100000 ] ||
        fail "$parent/big does not hold 100000 files"

    start_xvfb
    echo "dir: $DIR_RUNS runs each, $MOVE_ROUNDS rounds of moves, on $DISPLAY"
    for _ in $(seq "$DIR_RUNS"); do
        line=$("$PYTHON" bench/window_timing.py open "$program" "$parent/empty") ||
            fail "window on an empty directory not timed"
        record_pairs dir open_empty_ "$line"
        line=$("$PYTHON" bench/window_timing.py open "$program" "$parent/big") ||
            fail "window on 100,000 files not timed"
        record_pairs dir open_big_ "$line"
        line=$(listing_ms "$parent/big")
        record dir listing_ms "$line"
    done
    local moves
    moves=$(mktemp)
    "$PYTHON" bench/window_timing.py moves "$program" "$parent" "$MOVE_ROUNDS" big empty \
        >"$moves" || fail "moves not timed"
    while read -r line; do
        record_pairs dir "" "$line"
    done <"$moves"
    rm -f "$moves"
    stop_xvfb
}

# ---- 3. A cached 1 GiB file, after idle and in steady state ----
big_file() {
    local size=$((1 << 30))
    if [ ! -f "$BIG_FILE" ] || [ "$(stat -c %s "$BIG_FILE")" -ne "$size" ]; then
        echo "Making $BIG_FILE (1 GiB of random bytes)"
        head -c "$size" /dev/urandom >"$BIG_FILE"
    fi
    cat "$BIG_FILE" >/dev/null # into the page cache
    if command -v fincore >/dev/null; then
        echo "page cache: $(fincore --noheadings --output RES,FILE "$BIG_FILE")"
    fi
}

idle() {
    big_file
    echo "idle: $IDLE_RUNS rounds of ${IDLE_PAUSE} s pause + report," \
        "${IDLE_PAUSE} s pause + cksum, then back to back"
    for _ in $(seq "$IDLE_RUNS"); do
        sleep "$IDLE_PAUSE"
        timed idle report_idle_ms "$REPORT" --brief "$BIG_FILE"
        sleep "$IDLE_PAUSE"
        timed idle cksum_idle_ms cksum "$BIG_FILE"
        # Untimed: takes the memory that sat free during the pause, so the
        # next report gets memory freed moments before.
        time_ms "$REPORT" --brief "$BIG_FILE" >/dev/null
        timed idle report_steady_ms "$REPORT" --brief "$BIG_FILE"
        timed idle cksum_steady_ms cksum "$BIG_FILE"
    done
}

# ---- 4. Checking a list of 100,000 files ----
check() {
    local dir="$DATA/check"
    if [ ! -f "$DATA/check.done" ]; then
        echo "Making 100,000 files of 0-4 kB of random bytes in $dir, and their lists"
        rm -rf "$dir"
        mkdir -p "$dir"
        "$PYTHON" - "$dir" <<'EOF'
import os, random, sys
sizes = random.Random(20261218)
for i in range(100000):
    with open(os.path.join(sys.argv[1], f"c{i:06d}.bin"), "xb") as f:
        f.write(os.urandom(sizes.randint(0, 4000)))
EOF
        (cd "$dir" && find . -maxdepth 1 -name 'c*.bin' -printf '%P\n' | sort |
            xargs "$REPORT" --brief >check.list &&
            find . -maxdepth 1 -name 'c*.bin' -printf '%P\n' | sort |
            xargs sha256sum >check.sha256)
        touch "$DATA/check.done"
    fi
    cd "$dir"
    find . -maxdepth 1 -name 'c*.bin' -print0 | xargs -0 cat >/dev/null # into the page cache
    [ "$(wc -l <check.list)" -eq 100000 ] || fail "check.list does not name 100000 files"
    echo "check: $CHECK_RUNS runs each"
    for _ in $(seq "$CHECK_RUNS"); do
        timed check report_ms "$REPORT" --check check.list
        timed check sha256sum_ms sha256sum -c check.sha256
    done
    cd - >/dev/null
}

# Runs a command under the memory limit, its standard input from the
# command $1 (a pipe) or /dev/null, its output into the file $RUN_OUTPUT
# (made by the caller); prints its milliseconds and its peak resident
# kilobytes.
RUN_OUTPUT=
limited_run() {
    local source=$1 start end us
    shift
    start=$EPOCHREALTIME
    if [ -n "$source" ]; then
        $source | /usr/bin/time -f '%M' -o "$RUN_OUTPUT.rss" \
            prlimit --as="$MEMORY_LIMIT" "$@" >"$RUN_OUTPUT" || fail "failed under the limit: $*"
    else
        /usr/bin/time -f '%M' -o "$RUN_OUTPUT.rss" \
            prlimit --as="$MEMORY_LIMIT" "$@" </dev/null >"$RUN_OUTPUT" ||
            fail "failed under the limit: $*"
    fi
    end=$EPOCHREALTIME
    us=$((${end/./} - ${start/./}))
    printf '%d.%03d %s\n' $((us / 1000)) $((us % 1000)) "$(tail -1 "$RUN_OUTPUT.rss")"
    rm -f "$RUN_OUTPUT.rss"
}

# ---- 5. 8 GiB from a pipe under a memory limit ----
pipe() {
    local sparse="$DATA/zeroes-8GiB" expected result line
    rm -f "$sparse"
    truncate -s 8G "$sparse"
    expected=$("$REPORT" --brief "$sparse" | cut -d' ' -f1-3) # holes folded in, not read
    rm -f "$sparse"
    echo "pipe: $PIPE_RUNS runs each of 8 GiB of zeroes, expecting $expected"
    for _ in $(seq "$PIPE_RUNS"); do
        RUN_OUTPUT=$(mktemp)
        result=$(limited_run "head -c 8G /dev/zero" "$REPORT" --brief -)
        line=$(cut -d' ' -f1-3 "$RUN_OUTPUT")
        rm -f "$RUN_OUTPUT"
        [ "$line" = "$expected" ] || fail "8 GiB from a pipe gave '$line', not '$expected'"
        record pipe report_ms "${result% *}"
        record pipe report_rss_kb "${result#* }"
        timed pipe cksum_ms sh -c 'head -c 8G /dev/zero | cksum'
    done
}

# ---- 6. A 16 GiB sparse file under a memory limit ----
sparse() {
    local file="$DATA/sparse-16GiB" expected result line
    if [ ! -f "$DATA/sparse.done" ]; then
        echo "Making $file (16 GiB, 1 MiB of data at 3 places) and its CRC-32 by zlib"
        rm -f "$file"
        truncate -s 16G "$file"
        for at in 0 7777 16383; do # MiB
            head -c 1M /dev/urandom | dd of="$file" bs=1M seek="$at" conv=notrunc status=none
        done
        "$PYTHON" - "$file" >"$DATA/sparse.crc32" <<'EOF'
import os, sys, zlib
crc, zeroes = 0, bytes(1 << 24)
with open(sys.argv[1], "rb") as f:
    fd, size, at = f.fileno(), os.fstat(f.fileno()).st_size, 0
    while at < size:
        try:
            data = os.lseek(fd, at, os.SEEK_DATA)
        except OSError:
            data = size
        while at < data:  # a hole: zeroes, taken from memory
            n = min(len(zeroes), data - at)
            crc, at = zlib.crc32(zeroes[:n], crc), at + n
        if at < size:
            hole = os.lseek(fd, at, os.SEEK_HOLE)
            f.seek(at)
            crc, at = zlib.crc32(f.read(hole - at), crc), hole
print(f"{crc:08X}")
EOF
        touch "$DATA/sparse.done"
    fi
    expected="$(cat "$DATA/sparse.crc32") $((16 << 30))"
    echo "sparse: $SPARSE_RUNS runs each, expecting CRC-32 and size $expected"
    for _ in $(seq "$SPARSE_RUNS"); do
        RUN_OUTPUT=$(mktemp)
        result=$(limited_run "" "$REPORT" --brief "$file")
        line=$(cut -d' ' -f1,3 "$RUN_OUTPUT")
        rm -f "$RUN_OUTPUT"
        [ "$line" = "$expected" ] || fail "the sparse file gave '$line', not '$expected'"
        record sparse report_ms "${result% *}"
        record sparse report_rss_kb "${result#* }"
        timed sparse cksum_ms cksum "$file"
    done
}

# ---- 7. The 1 GiB file clicked in the window, and the full report ----
# Appends the timing lines of the full report on standard input as
# `full_first_sum_ms` (the process's first report) and `full_later_sum_ms`.
record_full_reports() {
    local line sum count=0
    local timings=' - ([0-9]+)ms , CRC32 - ([0-9]+)ms , CRC16 - ([0-9]+)ms$'
    while read -r line; do
        [[ $line =~ $timings ]] || continue
        sum=$((BASH_REMATCH[1] + BASH_REMATCH[2] + BASH_REMATCH[3]))
        if [ $count -eq 0 ]; then
            record click full_first_sum_ms "$sum"
        else
            record click full_later_sum_ms "$sum"
        fi
        count=$((count + 1))
    done
    [ $count -eq 4 ] || fail "the full report gave $count timing lines, not 4"
}

click() {
    local dir="$DATA/click" program output line
    program=$(find_program tallix "${TALLIX_PROGRAM:-}")
    big_file
    # The window lists the file alone; a hard link, so it is the same cache.
    rm -rf "$dir"
    mkdir -p "$dir"
    ln "$BIG_FILE" "$dir/big.bin" 2>/dev/null || cp "$BIG_FILE" "$dir/big.bin"
    start_xvfb
    echo "click: $CLICK_RUNS windows, each with its first click and $CLICK_ROUNDS rounds of" \
        "${IDLE_PAUSE} s pause + click, click, ${IDLE_PAUSE} s pause + cksum, cksum; on $DISPLAY"
    for _ in $(seq "$CLICK_RUNS"); do
        output=$(mktemp)
        "$PYTHON" bench/window_timing.py clicks "$program" "$dir" "$CLICK_ROUNDS" "$IDLE_PAUSE" \
            cksum "$dir/big.bin" >"$output" || fail "clicks not timed"
        while read -r line; do
            record_pairs click "" "$line"
        done <"$output"
        rm -f "$output"
        "$REPORT" "$BIG_FILE" "$BIG_FILE" "$BIG_FILE" "$BIG_FILE" | record_full_reports
        timed click cksum_full_ms cksum "$BIG_FILE"
    done
    stop_xvfb
    rm -rf "$dir"
}

for scenario in "${SCENARIOS[@]}"; do
    "$scenario"
done
echo "# load average at the end $(cut -d' ' -f1-3 /proc/loadavg)" >>"$RESULTS"
"$PYTHON" bench/summarize_scenarios.py "$RESULTS"
