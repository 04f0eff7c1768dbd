#!/usr/bin/env python3
"""Prints the benchmark medians as GB/s and the goal ratios, as Markdown.

Usage: summarize.py bench-results.json bench-tools.txt bench-stages.txt file-size-bytes
"""
import json
import statistics
import sys
from collections import defaultdict


def medians(path):
    with open(path) as f:
        data = json.load(f)
    result = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        name = b.get("run_name", b["name"]).removesuffix("_median")
        result[name] = b
    return data["context"], result


def field_values(path):
    """Every numeric `name value` pair on the lines of a file, by name."""
    values = defaultdict(list)
    for line in open(path):
        words = line.split()
        for name, value in zip(words[::2], words[1::2]):
            try:
                number = float(value)
            except ValueError:
                continue
            values[name].append(number)
    return values


def gbps(b):
    return b["bytes_per_second"] / 1e9


def main():
    context, runs = medians(sys.argv[1])
    tool_runs = field_values(sys.argv[2])
    stage_runs = field_values(sys.argv[3])
    tools = {name: statistics.median(v) for name, v in tool_runs.items()}
    stages = {name: statistics.median(v) for name, v in stage_runs.items()}
    size = int(sys.argv[4])

    print(f"\nMachine: {context.get('num_cpus')} CPUs at {context.get('mhz_per_cpu')} MHz, "
          f"{context.get('date')}\n")
    print("| Benchmark | 4 KiB | 1 MiB | 256 MiB |")
    print("|---|---|---|---|")
    rows = sorted({name.rsplit("/", 1)[0] for name in runs if name.rsplit("/", 1)[-1].isdigit()})
    for row in rows:
        cells = []
        for arg in (4096, 1 << 20, 256 << 20):
            b = runs.get(f"{row}/{arg}")
            cells.append(f"{gbps(b):.2f}" if b else "-")
        print(f"| {row} | " + " | ".join(cells) + " |")

    def at(name, arg=256 << 20):
        return gbps(runs[f"{name}/{arg}"])

    def find(prefix):
        return next((b for name, b in runs.items() if name.split("/")[0] == prefix), None)

    def rate(ms):
        return size / (ms / 1e3) / 1e9

    file_stage = find("BM_FileStage_ReadWholeFile")
    after_idle = find("BM_FileStage_ReadWholeFile_AfterIdle")
    vector = find("BM_FileStage_ZeroFilledVector")
    three = find("BM_ThreeStages")
    cat_ms = tools["cat_us"] / 1e3
    cksum_ms = tools["cksum_us"] / 1e3
    stages_ms = tools["stages_us"] / 1e3

    print("\n| Measure (1 GiB cached file) | Time (median) | GB/s | Runs: fastest – slowest |")
    print("|---|---|---|---|")

    def measure(text, ms, runs=None):
        spread = f"{min(runs):.0f} – {max(runs):.0f} ms" if runs else ""
        print(f"| {text} | {ms:.0f} ms | {rate(ms):.2f} | {spread} |")

    if file_stage:
        measure("File stage (benchmark, steady state)", file_stage["real_time"])
    if after_idle:
        measure("File stage (benchmark, after 6 s idle)", after_idle["real_time"])
    if vector:
        measure("Plain read into a zero-filled vector (benchmark)", vector["real_time"])
    if three:
        measure("Three stages (benchmark, steady state)", three["real_time"])
    def in_ms(name):
        return [us / 1e3 for us in tool_runs[name]]

    measure("`cat file > /dev/null` (process)", cat_ms, in_ms("cat_us"))
    measure("`cksum file` (process)", cksum_ms, in_ms("cksum_us"))
    measure("Three stages (process `tallix_stages`)", stages_ms, in_ms("stages_us"))
    for field, text in (("file_ms", "file stage"), ("crc32_ms", "CRC-32"), ("crc16_ms", "CRC-16")):
        if field in stages:
            measure(f"… of which {text}", stages[field], stage_runs[field])

    print("\n| Goal | Measured | Met |")
    print("|---|---|---|")

    def goal(text, value, target):
        print(f"| {text} (>= {target}) | {value:.2f} | {'yes' if value >= target else 'no'} |")

    goal("CalcCRC32 / ISA-L crc32_gzip_refl, 256 MiB",
         at("BM_CalcCRC32") / at("BM_ISAL_crc32_gzip_refl"), 0.9)
    goal("CalcCRC16 / CalcCRC32, 256 MiB", at("BM_CalcCRC16") / at("BM_CalcCRC32"), 0.9)
    goal("CalcCRC16 / CRC-16 byte loop, 256 MiB",
         at("BM_CalcCRC16") / at("BM_Kernel_CRC16/byte-loop"), 50)
    if file_stage:
        goal("File stage (benchmark) / cat", gbps(file_stage) / rate(cat_ms), 0.6)
    if "file_ms" in stages:
        goal("File stage (process) / cat", rate(stages["file_ms"]) / rate(cat_ms), 0.6)
    if after_idle:
        goal("File stage after idle / cat", gbps(after_idle) / rate(cat_ms), 0.6)
    goal("cksum time / three stages' time (processes)", cksum_ms / stages_ms, 1.0)
    if three:
        goal("cksum time / three stages' time (benchmark)", cksum_ms / three["real_time"], 1.0)


main()
