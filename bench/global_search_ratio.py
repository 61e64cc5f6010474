#!/usr/bin/env python3
"""Prints the global search's median time over grep -rlF's for the same 10,000 pages."""
import json
import sys


def median_ms(benchmarks, name):
    for bench in benchmarks:
        if (bench.get("run_type") == "aggregate" and bench.get("aggregate_name") == "median"
                and bench.get("run_name", "").startswith(name)):
            return bench["real_time"]
    return None


def main(argv):
    with open(argv[1], encoding="utf-8") as handle:
        benchmarks = json.load(handle).get("benchmarks", [])
    search = median_ms(benchmarks, "BM_GlobalSearch10000Pages")
    grep = median_ms(benchmarks, "BM_GrepRlF10000Pages")
    if not search or not grep:
        print("global_search_vs_grep_rlF: missing (goal: <= 2x)")
        return 1
    print(f"global_search_vs_grep_rlF: {search / grep:.2f} x (goal: <= 2x)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
