#!/usr/bin/env python3
"""Prints the scenario timings of bench/scenarios.sh and their goals, as Markdown.

Usage: summarize_scenarios.py bench-scenarios.txt

The file holds `# ...` lines (commit, machine) and one `SCENARIO MEASURE
MILLISECONDS` line a run. Medians are over the runs; the spread is the
fastest and slowest run and the interquartile range.
"""
import statistics
import sys
from collections import defaultdict

# Measure names and what they are, in the order printed.
MEASURES = {
    "small": [
        ("report_ms", "`tallix-report --brief` 10,000 files (default jobs)"),
        ("cksum_ms", "`cksum` the same 10,000 files"),
        ("report_j1_ms", "`tallix-report --brief -j 1` the same files"),
    ],
    "dir": [
        ("open_empty_shown_ms", "window shown, empty directory"),
        ("open_big_shown_ms", "window shown, 100,000 files"),
        ("open_empty_map_ms", "… window mapped, empty directory"),
        ("open_big_map_ms", "… window mapped, 100,000 files"),
        ("listing_ms", "`find . -maxdepth 1 -type f \\| sort`, 100,000 files"),
        ("into_empty_ms", "Enter into the empty directory, until redrawn"),
        ("into_big_ms", "Enter into the 100,000 files, until redrawn"),
        ("into_big_first_ms", "… until the first drawing"),
        ("out_empty_ms", "Enter back out of the empty directory"),
        ("out_big_ms", "Enter back out of the 100,000 files"),
    ],
    "idle": [
        ("report_idle_ms", "`tallix-report --brief` 1 GiB, after the pause"),
        ("cksum_idle_ms", "`cksum` 1 GiB, after the pause"),
        ("report_steady_ms", "`tallix-report --brief` 1 GiB, back to back"),
        ("cksum_steady_ms", "`cksum` 1 GiB, back to back"),
    ],
    "check": [
        ("report_ms", "`tallix-report --check` 100,000 files"),
        ("sha256sum_ms", "`sha256sum -c` the same files"),
    ],
    "pipe": [
        ("report_ms", "`tallix-report --brief -` 8 GiB from a pipe, 256 MiB limit"),
        ("cksum_ms", "`cksum` 8 GiB from a pipe"),
    ],
    "sparse": [
        ("report_ms", "`tallix-report --brief` 16 GiB sparse file, 256 MiB limit"),
        ("cksum_ms", "`cksum` the same file"),
    ],
}

# Peak resident memory of the runs under the memory limit, in kilobytes.
MEMORY = [("pipe", "8 GiB from a pipe"), ("sparse", "16 GiB sparse file")]


def read(path):
    notes, runs = [], defaultdict(list)
    with open(path) as f:
        for line in f:
            if line.startswith("#"):
                notes.append(line[1:].strip())
                continue
            words = line.split()
            if len(words) == 3:
                runs[(words[0], words[1])].append(float(words[2]))
    return notes, runs


def quartiles(values):
    if len(values) < 2:
        return values[0], values[0]
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


def main():
    notes, runs = read(sys.argv[1])
    for note in notes:
        print(note)
    print("\n| Scenario | Measure | Median | Fastest – slowest | IQR | Runs |")
    print("|---|---|---|---|---|---|")
    for scenario, measures in MEASURES.items():
        for key, text in measures:
            values = runs.get((scenario, key))
            if not values:
                continue
            low, high = quartiles(values)
            print(f"| {scenario} | {text} | {statistics.median(values):.0f} ms | "
                  f"{min(values):.0f} – {max(values):.0f} ms | {low:.0f} – {high:.0f} ms | "
                  f"{len(values)} |")

    def median(scenario, key):
        values = runs.get((scenario, key))
        return statistics.median(values) if values else None

    print("\n| Goal | Measured | Target | Met |")
    print("|---|---|---|---|")

    def ratio(text, scenario, ours, anchor, target, extra=""):
        a, b = median(scenario, ours), median(scenario, anchor)
        if a is None or b is None:
            return
        value = a / b
        print(f"| {text} | {value:.2f} × | ≤ {target} ×{extra} | "
              f"{'yes' if value <= target else 'no'} |")

    def later(text, scenario, ours, anchor, target_ms):
        a, b = median(scenario, ours), median(scenario, anchor)
        if a is None or b is None:
            return
        value = a - b
        print(f"| {text} | {value:+.0f} ms | ≤ {target_ms} ms | "
              f"{'yes' if value <= target_ms else 'no'} |")

    ratio("10,000 small files: report / cksum", "small", "report_ms", "cksum_ms", 0.6)
    later("window shown on 100,000 files, later than on an empty directory", "dir",
          "open_big_shown_ms", "open_empty_shown_ms", 350)
    later("moving into 100,000 files, longer than into an empty directory", "dir",
          "into_big_ms", "into_empty_ms", 350)
    later("moving out of 100,000 files, longer than out of an empty directory", "dir",
          "out_big_ms", "out_empty_ms", 350)
    ratio("1 GiB after the pause: report / cksum", "idle", "report_idle_ms", "cksum_idle_ms",
          0.6)
    ratio("1 GiB back to back: report / cksum", "idle", "report_steady_ms", "cksum_steady_ms",
          0.6)
    ratio("--check of 100,000 files: report / sha256sum -c", "check", "report_ms",
          "sha256sum_ms", 0.5)
    for scenario, text in MEMORY:
        values = runs.get((scenario, "report_rss_kb"))
        if values:
            print(f"| {text}: right checksum within the bound, peak resident "
                  f"(most of {len(values)} runs) | {max(values) / 1024:.1f} MiB | "
                  f"≤ 64 MiB, 256 MiB address space | {'yes' if max(values) <= 65536 else 'no'} |")


main()
