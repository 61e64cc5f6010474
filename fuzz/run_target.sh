#!/usr/bin/env bash
# Runs one fuzz target: every input of its seed corpus, then fuzzing for a while.
#
#   fuzz/run_target.sh TARGET CORPUS WORK
#
# KAVO_FUZZ_SECONDS (default 10) is the whole run's length. New inputs go to WORK/corpus, never
# into CORPUS (the repository's seeds); a finding is kept in WORK/artifacts. Writes WORK/summary
# ("executions N", "findings N", then one line per finding) and exits non-zero on any finding.
set -uo pipefail

if [ $# -ne 3 ]; then
    echo "usage: fuzz/run_target.sh TARGET CORPUS WORK" >&2
    exit 2
fi
target="$1"
corpus="$2"
work="$3"
seconds="${KAVO_FUZZ_SECONDS:-10}"
name="$(basename "$corpus")"
dict="$(dirname "$0")/$name.dict"

rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"

options=(
    -max_total_time="$seconds"
    # One input may take this long; any slower is a hang. The targets cap the work a script
    # can ask for, so a normal input takes milliseconds.
    -timeout=10
    -rss_limit_mb=2048
    -max_len=4096
    -print_final_stats=1
    -artifact_prefix="$work/artifacts/"
)
if [ -f "$dict" ]; then options+=(-dict="$dict"); fi
# 0 seconds: the seed corpus only (libFuzzer reads 0 as "no limit").
if [ "$seconds" -eq 0 ]; then options+=(-runs=0); fi

"$target" "${options[@]}" "$work/corpus" "$corpus" >"$work/fuzz.log" 2>&1
status=$?

executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -n 1)"
findings=()
for artifact in "$work"/artifacts/{crash,leak,timeout,oom}-*; do
    [ -e "$artifact" ] && findings+=("$artifact")
done
# A target that ended badly without leaving an input behind is a finding all the same.
if [ "$status" -ne 0 ] && [ ${#findings[@]} -eq 0 ]; then
    findings+=("exit status $status, see $work/fuzz.log")
fi
{
    echo "executions ${executions:-0}"
    echo "findings ${#findings[@]}"
    if [ ${#findings[@]} -gt 0 ]; then printf '%s\n' "${findings[@]}"; fi
} >"$work/summary"

echo "$name: ${executions:-0} executions, ${#findings[@]} findings"
if [ ${#findings[@]} -gt 0 ]; then
    printf 'finding: %s\n' "${findings[@]}"
    # The report of the finding: the sanitizer's or libFuzzer's own lines.
    grep -m 1 -A 40 -E '^==[0-9]+==ERROR|runtime error|^==[0-9]+== ERROR|ALARM|out-of-memory' \
        "$work/fuzz.log"
    echo "reproduce: $target ${findings[0]}"
    exit 1
fi
