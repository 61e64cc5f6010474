#!/usr/bin/env bash
# Runs a Windows program under Wine; ctest uses it as the crossing emulator. The environment
# (WINEPREFIX, DISPLAY, LANG) comes from scripts/test.sh.
# Wine's helper processes (services.exe, explorer.exe) may outlive the program and would keep
# ctest's output pipe open, so the program's output goes through a file.
output="$(mktemp)"
wine "$@" >"$output" 2>&1
status=$?
tr -d '\r' <"$output"
rm -f "$output"
exit "$status"
