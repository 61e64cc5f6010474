#!/usr/bin/env bash
# Builds everything and runs every test: the native tests of the portable core, the Win32 tests
# under Wine and the GUI tests of kavo.exe in a private Xvfb. Installs what it needs (as root).
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

# Adds the counts from a ctest log ("N% tests passed, F tests failed out of T").
count_ctest() {
    local log="$1" label="$2"
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        failed=$((failed + 1))
        failures+=("$label: ctest printed no result")
        return
    fi
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    if [ "$bad" -gt 0 ]; then
        while IFS= read -r name; do failures+=("$label: $name"); done \
            < <(sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^\s+[0-9]+ - ' )
    fi
}

kavo_build native || exit 1
kavo_build windows || exit 1
kavo_build windows-i686 || exit 1

kavo_log "native tests"
ctest --test-dir "$KAVO_ROOT/build/native" --output-on-failure -j "$(nproc)" \
    >"$KAVO_ROOT/build/native-tests.log" 2>&1
count_ctest "$KAVO_ROOT/build/native-tests.log" native
tail -n 3 "$KAVO_ROOT/build/native-tests.log"

kavo_start_display || exit 1
kavo_wine_prefix "$KAVO_ROOT/build/windows"

kavo_log "Windows tests under Wine (Win32 layer and GUI)"
ctest --test-dir "$KAVO_ROOT/build/windows" --output-on-failure -j 1 \
    >"$KAVO_ROOT/build/windows-tests.log" 2>&1
count_ctest "$KAVO_ROOT/build/windows-tests.log" windows
grep -E '^\s*[0-9]+/[0-9]+ Test' "$KAVO_ROOT/build/windows-tests.log"
tail -n 3 "$KAVO_ROOT/build/windows-tests.log"

if [ "$failed" -gt 0 ]; then
    printf 'failed: %s\n' "${failures[@]}"
    sed -n '/Output from these tests/,$p;/\*\*\*Failed/,+40p' "$KAVO_ROOT/build/windows-tests.log" | head -n 200
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
