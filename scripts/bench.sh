#!/usr/bin/env bash
# Runs the benchmarks and prints one line per figure: "name: value unit (goal: ...)".
set -uo pipefail
source "$(dirname "$0")/lib/env.sh"
trap kavo_cleanup EXIT

kavo_install_deps yes || exit 1
kavo_locale
kavo_build native || exit 1
kavo_build windows || exit 1

native="$KAVO_ROOT/build/native/bench/kavo_native_bench"
if [ -x "$native" ]; then
    "$native" --benchmark_format=json --benchmark_out="$KAVO_ROOT/build/native-bench.json" \
        >/dev/null 2>&1
    python3 "$KAVO_ROOT/bench/report_native.py" "$KAVO_ROOT/build/native-bench.json"
    python3 "$KAVO_ROOT/bench/global_search_ratio.py" "$KAVO_ROOT/build/native-bench.json"
fi

kavo_start_display || exit 1
kavo_wine_prefix "$KAVO_ROOT/build/windows"
for bench in "$KAVO_ROOT"/build/windows/bench/*_bench.exe; do
    [ -e "$bench" ] || continue
    wine "$bench" 2>/dev/null | tr -d '\r'
done
