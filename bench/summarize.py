#!/usr/bin/env python3
"""Prints the benchmark medians as GB/s and the goal ratios, as Markdown.

Usage: summarize.py bench-results.json bench-tools.txt file-size-bytes
"""
import json
import sys


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


def gbps(b):
    return b["bytes_per_second"] / 1e9


def main():
    context, runs = medians(sys.argv[1])
    tools = dict(line.split() for line in open(sys.argv[2]) if line.strip())
    size = int(sys.argv[3])

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

    cat_gbps = size / (float(tools["cat_ms"]) / 1e3) / 1e9
    cksum_ms = float(tools["cksum_ms"])
    def find(prefix):
        return next((b for name, b in runs.items() if name.split("/")[0] == prefix), None)

    file_stage = find("BM_FileStage_ReadWholeFile")
    after_idle = find("BM_FileStage_ReadWholeFile_AfterIdle")
    vector = find("BM_FileStage_ZeroFilledVector")
    three = find("BM_ThreeStages")

    print("\n| Measure (1 GiB file, 256 MiB buffers) | Value |")
    print("|---|---|")
    if file_stage:
        print(f"| File stage, ReadWholeFile | {gbps(file_stage):.2f} GB/s, "
              f"{file_stage['real_time']:.0f} ms |")
    if after_idle:
        print(f"| File stage after 6 s idle | {gbps(after_idle):.2f} GB/s, "
              f"{after_idle['real_time']:.0f} ms |")
    if vector:
        print(f"| Read into a zero-filled vector | {gbps(vector):.2f} GB/s, "
              f"{vector['real_time']:.0f} ms |")
    print(f"| cat file > /dev/null | {cat_gbps:.2f} GB/s, {tools['cat_ms']} ms |")
    if three:
        print(f"| Three stages together | {three['real_time']:.0f} ms |")
    print(f"| cksum file | {cksum_ms:.0f} ms |")

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
        goal("File stage / cat", gbps(file_stage) / cat_gbps, 0.6)
    if after_idle:
        goal("File stage after idle / cat", gbps(after_idle) / cat_gbps, 0.6)
    if three:
        goal("cksum time / three stages' time", cksum_ms / three["real_time"], 1.0)


main()
