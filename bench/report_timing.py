#!/usr/bin/env python3
"""Times tallix-report against cksum as whole processes on the same files.

Usage: report_timing.py TALLIX_REPORT SCENARIO [RUNS]

Scenarios:
  small   10,000 cached files of 0-20 kB (made once, seeded, in
          $TMPDIR/tallix-small-files): `tallix-report --brief FILE...` and
          `cksum FILE...`, taking turns.
  steady  one cached 1 GiB file ($TALLIX_BENCH_FILE, default
          /tmp/tallix-bench-1GiB.bin, made if missing): both back to back,
          taking turns, so each run gets memory another freed moments before.
  idle    the same file, each run after the machine sat idle for 10 s.

Prints the median wall time of each command, the fastest and slowest run,
and the ratio of the medians. Output goes to /dev/null; a failing run stops
the script. RUNS defaults to 11 (small, steady) and 5 (idle).
"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

SMALL_COUNT = 10_000
SMALL_MAX = 20 * 1024
LARGE_SIZE = 1 << 30


def small_files():
    directory = os.path.join(tempfile.gettempdir(), "tallix-small-files")
    names = [os.path.join(directory, f"f{i:05d}.bin") for i in range(SMALL_COUNT)]
    if not os.path.exists(names[-1]):
        os.makedirs(directory, exist_ok=True)
        rng = random.Random(10)
        for name in names:
            with open(name, "wb") as f:
                f.write(rng.randbytes(rng.randint(0, SMALL_MAX)))
    return names


def large_file():
    path = os.environ.get("TALLIX_BENCH_FILE", "/tmp/tallix-bench-1GiB.bin")
    if not os.path.exists(path) or os.path.getsize(path) != LARGE_SIZE:
        with open(path, "wb") as f:
            for _ in range(LARGE_SIZE >> 20):
                f.write(os.urandom(1 << 20))
    return [path]


def warm(files):
    for name in files:
        with open(name, "rb") as f:
            while f.read(1 << 24):
                pass


def wall_ms(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
    return (time.perf_counter() - start) * 1e3


def main():
    if len(sys.argv) < 3 or sys.argv[2] not in ("small", "steady", "idle"):
        sys.exit(__doc__)
    report, scenario = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else (5 if scenario == "idle" else 11)
    files = small_files() if scenario == "small" else large_file()
    warm(files)
    commands = {"tallix-report": [report, "--brief", "--", *files], "cksum": ["cksum", *files]}
    times = {name: [] for name in commands}
    for name, command in commands.items():  # one untimed run each
        wall_ms(command)
    for run in range(runs):
        # Alternate which goes first, so neither always follows the other.
        order = list(commands) if run % 2 == 0 else list(reversed(commands))
        for name in order:
            if scenario == "idle":
                time.sleep(10)
            times[name].append(wall_ms(commands[name]))
    medians = {name: statistics.median(values) for name, values in times.items()}
    print(f"{scenario}: {runs} runs each")
    for name, values in times.items():
        print(f"  {name:14} median {medians[name]:8.1f} ms  "
              f"(fastest {min(values):.1f}, slowest {max(values):.1f})")
    print(f"  ratio tallix-report / cksum: {medians['tallix-report'] / medians['cksum']:.2f}")


if __name__ == "__main__":
    main()
