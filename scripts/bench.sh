#!/usr/bin/env bash
# Runs the benchmarks and prints one line per figure: "name: value unit (goal: ...)", with the
# ratio to the peer where there is one (Wine's notepad, grep). Every figure in one run.
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
# The global search's pages stay where grep -rlF can time the same files afterwards.
search_pages="$KAVO_ROOT/build/bench-search-pages"
wine_lines="$KAVO_ROOT/build/wine-bench.txt"
: >"$wine_lines"
for bench in "$KAVO_ROOT"/build/windows/bench/*_bench.exe; do
    [ -e "$bench" ] || continue
    args=()
    case "$(basename "$bench")" in
        global_search_bench.exe)
            mkdir -p "$search_pages"
            args=("$(winepath -w "$search_pages")")
            ;;
        # Opening a 20,000-line and a 2,000-line page by a click in the tree, timed from outside
        # until the editor holds the last line; KAVO_OLD_EXE names an older build to compare.
        page_load_bench.exe)
            if [ -n "${KAVO_OLD_EXE:-}" ]; then
                wine "$bench" "$(winepath -w "$KAVO_OLD_EXE")" 2>/dev/null </dev/null |
                    tr -d '\r' | sed 's/^page_load_/page_load_old_build_/' | tee -a "$wine_lines"
            fi
            ;;
    esac
    wine "$bench" "${args[@]}" 2>/dev/null </dev/null | tr -d '\r' | tee -a "$wine_lines"
done
if [ -d "$search_pages/content" ]; then
    python3 "$KAVO_ROOT/bench/global_search_ratio.py" --wine "$wine_lines" --pages "$search_pages"
    rm -rf "$search_pages"
fi

# Resident memory at rest, read from outside: kavo.exe with the example library beside Wine's
# notepad, both started as `wine PROGRAM`.
python3 "$KAVO_ROOT/bench/resident_memory.py" --kavo "$KAVO_ROOT/build/windows/kavo.exe" \
    --examples "$KAVO_ROOT/examples/content"

# F1's display: processor time of kavo.exe and of the Wine and X servers, read from /proc.
python3 "$KAVO_ROOT/bench/cursor_display_cpu.py" "$KAVO_ROOT/build/windows/kavo.exe"

# Hotkey latency (key press to the callback's thread) is measured by the Win32 test of the
# monitor, which has the focused window and key injection it needs.
hotkey_test="$KAVO_ROOT/build/windows/tests/hotkey_monitor_test.exe"
if [ -e "$hotkey_test" ]; then
    wine "$hotkey_test" --gtest_filter='*PressToCallbackLatency*' 2>/dev/null </dev/null |
        tr -d '\r' |
        sed -n 's/^press to callback over \([0-9]*\) presses: median \([0-9.]*\) ms, min \([0-9.]*\) ms, max \([0-9.]*\) ms.*/hotkey_latency_median: \2 ms (goal: report; about half the 50 ms poll; min \3, max \4 over \1 presses)/p'
fi
