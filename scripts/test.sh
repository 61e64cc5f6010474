#!/usr/bin/env bash
# Builds and runs the tests. Installs what it needs (as root).
#
#   scripts/test.sh                      everything: the native tests of the portable core
#                                        (Release, and Debug under AddressSanitizer and UBSan),
#                                        the fuzz targets, the Win32 tests under Wine and the GUI
#                                        tests of kavo.exe in a private Xvfb; also builds the
#                                        32-bit program
#   scripts/test.sh native  [-R regex]   the native tests (Release)
#   scripts/test.sh asan    [-R regex]   the native tests under AddressSanitizer and UBSan
#   scripts/test.sh fuzz    [-R regex]   each fuzz target over its seed corpus and then fuzzed
#                                        for 10 s (one test per target)
#   scripts/test.sh windows [-R regex]   the Win32 tests under Wine
#   scripts/test.sh gui     [-R regex]   the GUI tests (one CTest test per case)
#
# The regex picks tests by name, as ctest -R does (for example "win32.small_windows_test",
# "gui.test_hotkeys.HotkeysTest" or "fuzz.script"). Prints one summary line "N passed, N failed"
# and exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/lib/env.sh"
trap kavo_cleanup EXIT
trap 'exit 130' INT TERM

subset="all"
case "${1:-}" in
    native | asan | fuzz | windows | gui)
        subset="$1"
        shift
        ;;
    "" | -R) ;;
    *)
        echo "usage: scripts/test.sh [native|asan|fuzz|windows|gui] [-R regex]" >&2
        exit 2
        ;;
esac
regex=()
if [ "${1:-}" = "-R" ] && [ -n "${2:-}" ]; then
    regex=(-R "$2")
    shift 2
fi
if [ $# -gt 0 ]; then
    echo "usage: scripts/test.sh [native|asan|fuzz|windows|gui] [-R regex]" >&2
    exit 2
fi

wants() { [ "$subset" = all ] || [ "$subset" = "$1" ]; }
needs_wine=no
if wants windows || wants gui; then needs_wine=yes; fi

needs_fuzz=no
if wants fuzz; then needs_fuzz=yes; fi

kavo_install_deps "$needs_wine" "$needs_fuzz" || exit 1
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
    ctest --test-dir "$dir" --output-on-failure --output-junit "$dir/junit-$label.xml" "$@" \
        >"$dir/tests-$label.log" 2>&1
    count_junit "$dir/junit-$label.xml" "$label"
}

# Reports of an earlier run must not count or show in this one.
rm -f "$KAVO_ROOT"/build/*/tests-*.log "$KAVO_ROOT"/build/*/junit-*.xml

if wants native; then kavo_build native || exit 1; fi
if wants asan; then kavo_build native-asan || exit 1; fi
if wants fuzz; then kavo_build fuzz || exit 1; fi
if [ "$needs_wine" = yes ]; then kavo_build windows || exit 1; fi
if [ "$subset" = all ]; then kavo_build windows-i686 || exit 1; fi

if wants native; then
    kavo_log "native tests"
    run_ctest native native -j "$(nproc)" "${regex[@]}"
fi
if wants asan; then
    kavo_log "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    run_ctest native-asan native-asan -j "$(nproc)" "${regex[@]}"
fi
if wants fuzz; then
    # One target at a time: each fuzzes for its fixed time and should have a core to itself.
    kavo_log "fuzz targets: seed corpus, then 10 s of fuzzing each"
    KAVO_FUZZ_SECONDS=10 run_ctest fuzz fuzz -j 1 -L '^fuzz$' --timeout 300 "${regex[@]}"
fi
if [ "$needs_wine" = yes ]; then
    kavo_start_display || exit 1
    kavo_wine_prefix "$KAVO_ROOT/build/windows"
    # One at a time: the tests share one desktop (cursor, focus, injected input).
    if wants windows; then
        kavo_log "Win32 tests under Wine"
        run_ctest windows win32 -j 1 -L '^win32$' "${regex[@]}"
    fi
    if wants gui; then
        kavo_log "GUI tests of kavo.exe"
        run_ctest windows gui -j 1 -L '^gui$' "${regex[@]}"
    fi
fi

if [ "$failed" -gt 0 ]; then
    printf 'failed: %s\n' "${failures[@]}"
    for log in "$KAVO_ROOT"/build/native/tests-*.log "$KAVO_ROOT"/build/native-asan/tests-*.log \
        "$KAVO_ROOT"/build/fuzz/tests-*.log "$KAVO_ROOT"/build/windows/tests-*.log; do
        [ -f "$log" ] || continue
        sed -n '/\*\*\*Failed\|\*\*\*Exception\|\*\*\*Timeout/,+60p' "$log" | head -n 200
    done
fi
echo "$passed passed, $failed failed"
if [ $((passed + failed)) -eq 0 ]; then
    kavo_log "no test matched"
    exit 1
fi
[ "$failed" -eq 0 ]
