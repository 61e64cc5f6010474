#!/usr/bin/env bash
# Builds everything and runs every test: the native tests of the portable core (Release, and
# Debug under AddressSanitizer and UndefinedBehaviorSanitizer), the Win32 tests under Wine and
# the GUI tests of kavo.exe in a private Xvfb. Installs what it needs (as root).
# Prints one summary line "N passed, N failed" and exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/lib/env.sh"
trap kavo_cleanup EXIT
trap 'exit 130' INT TERM

kavo_install_deps yes || exit 1
kavo_locale

passed=0
failed=0
failures=()

# Adds the counts of one ctest run from its JUnit report; a run without a report is a failure.
count_junit() {
    local report="$1" label="$2"
    local counts
    if ! counts="$(python3 "$KAVO_ROOT/scripts/lib/junit_counts.py" "$report" "$label")"; then
        failed=$((failed + 1))
        failures+=("$label: ctest wrote no report")
        return
    fi
    local line first=1
    while IFS= read -r line; do
        if [ "$first" -eq 1 ]; then
            passed=$((passed + ${line% *}))
            failed=$((failed + ${line#* }))
            first=0
        else
            failures+=("$line")
        fi
    done <<<"$counts"
}

# Runs one build's tests; its log and JUnit report go beside it.
run_ctest() {
    local preset="$1" label="$2"
    shift 2
    local dir="$KAVO_ROOT/build/$preset"
    ctest --test-dir "$dir" --output-on-failure --output-junit "$dir/junit.xml" "$@" \
        >"$dir/tests.log" 2>&1
    count_junit "$dir/junit.xml" "$label"
}

kavo_build native || exit 1
kavo_build native-asan || exit 1
kavo_build windows || exit 1
kavo_build windows-i686 || exit 1

kavo_log "native tests"
run_ctest native native -j "$(nproc)"
kavo_log "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
run_ctest native-asan native-asan -j "$(nproc)"

kavo_start_display || exit 1
kavo_wine_prefix "$KAVO_ROOT/build/windows"

kavo_log "Windows tests under Wine (Win32 layer and GUI)"
run_ctest windows windows -j 1
grep -E '^\s*[0-9]+/[0-9]+ Test' "$KAVO_ROOT/build/windows/tests.log" | grep -v ' Passed ' || true

if [ "$failed" -gt 0 ]; then
    printf 'failed: %s\n' "${failures[@]}"
    for preset in native native-asan windows; do
        sed -n '/\*\*\*Failed\|\*\*\*Exception\|\*\*\*Timeout/,+60p' \
            "$KAVO_ROOT/build/$preset/tests.log" | head -n 200
    done
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
