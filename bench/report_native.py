#!/usr/bin/env python3
"""Prints Google Benchmark JSON results as "name: value unit (goal: ...)" lines."""
import json
import sys

TIME_UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def figure(bench):
    if "bytes" in bench:
        return f"{bench['bytes'] / 1e6:.2f}", "MB"
    if "items_per_second" in bench:
        return f"{bench['items_per_second']:.0f}", "statements/s"
    seconds = bench["real_time"] * TIME_UNITS.get(bench.get("time_unit", "ns"), 1e-9)
    return f"{seconds * 1e3:.3f}", "ms"


def main(argv):
    if len(argv) != 2:
        print(f"usage: {argv[0]} benchmark.json", file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as handle:
        report = json.load(handle)
    benchmarks = report.get("benchmarks", [])
    # With repetitions the median speaks for a benchmark; its single runs and the other
    # aggregates are left out.
    repeated = {b.get("run_name") for b in benchmarks if b.get("run_type") == "aggregate"}
    for bench in benchmarks:
        if bench.get("run_type") == "aggregate":
            if bench.get("aggregate_name") != "median":
                continue
            bench = dict(bench, name=bench["run_name"])
        elif bench.get("run_name", bench["name"]) in repeated:
            continue
        if bench.get("error_occurred"):
            print(f"{bench['name']}: error ({bench.get('error_message', '')})")
            continue
        value, unit = figure(bench)
        label = bench.get("label", "")
        goal = label[len("goal:"):].strip() if label.startswith("goal:") else ""
        suffix = f" (goal: {goal})" if goal else ""
        print(f"{bench['name']}: {value} {unit}{suffix}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
