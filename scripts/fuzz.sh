#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: Clang, libFuzzer, AddressSanitizer and UBSan) and
# runs each over its seed corpus and then fuzzes it, one target after another. Installs what it
# needs (as root).
#
#   scripts/fuzz.sh [seconds]   each target's whole run, 60 by default (0: the seeds only)
#
# Prints per target the executions and the findings (crashes, leaks, timeouts, out of memory)
# and exits non-zero on any finding. The inputs the fuzzer finds go to build/fuzz/fuzz-work/
# TARGET/corpus, never into fuzz/corpus; a finding is kept in build/fuzz/fuzz-work/TARGET/
# artifacts, and build/fuzz/fuzz-work/TARGET/fuzz.log holds the target's own output.
set -uo pipefail
source "$(dirname "$0")/lib/env.sh"
trap 'exit 130' INT TERM

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ $# -gt 1 ]; then
    echo "usage: scripts/fuzz.sh [seconds]" >&2
    exit 2
fi

kavo_install_deps no yes || exit 1
kavo_build fuzz || exit 1

dir="$KAVO_ROOT/build/fuzz"
mapfile -t tests < <(ctest --test-dir "$dir" -N -L '^fuzz$' | sed -n 's/^ *Test *#[0-9]*: *//p')
if [ ${#tests[@]} -eq 0 ]; then
    kavo_log "no fuzz target found in $dir"
    exit 1
fi

total_findings=0
for test in "${tests[@]}"; do
    name="${test#fuzz.}"
    summary="$dir/fuzz-work/$name/summary"
    rm -f "$summary"
    kavo_log "$name: ${seconds} s"
    KAVO_FUZZ_SECONDS="$seconds" ctest --test-dir "$dir" -R "^${test//./\\.}\$" \
        --timeout $((seconds + 300)) --output-on-failure >"$dir/fuzz-$name.log" 2>&1
    if [ ! -f "$summary" ]; then
        echo "$name: did not run (see $dir/fuzz-$name.log)"
        total_findings=$((total_findings + 1))
        continue
    fi
    executions="$(sed -n 's/^executions //p' "$summary")"
    findings="$(sed -n 's/^findings //p' "$summary")"
    echo "$name: $executions executions, $findings findings"
    sed -n '3,$s/^/    /p' "$summary"
    total_findings=$((total_findings + findings))
done
[ "$total_findings" -eq 0 ]
