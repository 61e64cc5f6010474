#!/usr/bin/env python3
"""The global search against grep -rlF over the same 10,000 pages.

    global_search_ratio.py native.json
        the native search's median over grep's, from the native benchmarks' JSON
    global_search_ratio.py --wine LINES --pages FOLDER
        the searches under Wine (the lines global_search_bench.exe printed) over grep -rlF's
        median on FOLDER, the pages they searched, timed here with the disk cache warm
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import time

NEEDLE = "计次循环尾(77)".encode("gbk")
PAGES_WITH_NEEDLE = 100


def median_ms(benchmarks, name):
    for bench in benchmarks:
        if (bench.get("run_type") == "aggregate" and bench.get("aggregate_name") == "median"
                and bench.get("run_name", "").startswith(name)):
            return bench["real_time"]
    return None


def native(path):
    import json
    with open(path, encoding="utf-8") as handle:
        benchmarks = json.load(handle).get("benchmarks", [])
    search = median_ms(benchmarks, "BM_GlobalSearch10000Pages")
    again = median_ms(benchmarks, "BM_GlobalSearchAgain10000Pages")
    grep = median_ms(benchmarks, "BM_GrepRlF10000Pages")
    if not search or not grep:
        print("global_search_vs_grep_rlF: missing (goal: <= 2x)")
        return 1
    print(f"global_search_vs_grep_rlF: {search / grep:.2f} x (goal: <= 2x)")
    if again:
        print(f"global_search_again_vs_grep_rlF: {again / grep:.2f} x (goal: <= 0.2x)")
    return 0


def grep_ms(folder, runs=7):
    """Median of grep -rlF over the folder, byte-wise as grep goes fastest, after one warm-up."""
    command = ["grep", "-rlF", "--", NEEDLE, folder]
    env = dict(os.environ, LC_ALL="C")
    times = []
    for run in range(runs + 1):
        start = time.perf_counter()
        found = subprocess.run(command, capture_output=True, env=env, check=False).stdout
        elapsed = (time.perf_counter() - start) * 1000.0
        if len(found.splitlines()) != PAGES_WITH_NEEDLE:
            raise RuntimeError(f"grep found {len(found.splitlines())} pages in {folder}")
        if run > 0:
            times.append(elapsed)
    return statistics.median(times)


def wine(lines_path, folder):
    figures = {}
    with open(lines_path, encoding="utf-8", errors="replace") as handle:
        for line in handle:
            found = re.match(r"^(global_search_(first|again)_wine): ([0-9.]+) ms", line)
            if found:
                figures[found.group(2)] = float(found.group(3))
    if "first" not in figures or "again" not in figures:
        print("global_search_again_vs_grep_rlF_wine: missing (goal: <= 0.2x)")
        return 1
    grep = grep_ms(folder)
    print(f"grep_rlF_10000_pages: {grep:.1f} ms (peer)")
    print(f"global_search_first_vs_grep_rlF_wine: {figures['first'] / grep:.2f} x "
          f"(goal: report; every page read, as before)")
    print(f"global_search_again_vs_grep_rlF_wine: {figures['again'] / grep:.2f} x "
          f"(goal: <= 0.2x)")
    return 0


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("native_json", nargs="?")
    parser.add_argument("--wine")
    parser.add_argument("--pages")
    args = parser.parse_args(argv[1:])
    if args.wine:
        return wine(args.wine, os.path.join(args.pages, "content"))
    return native(args.native_json)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
