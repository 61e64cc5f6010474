#!/usr/bin/env bash
# Builds kavo.exe and runs it under Wine. On a display it opens there and this script waits for
# the program to end; without one it starts a private Xvfb, takes a screenshot of the window,
# prints the screenshot's path and stops everything again.
set -uo pipefail
source "$(dirname "$0")/lib/env.sh"
trap kavo_cleanup EXIT

kavo_install_deps yes || exit 1
kavo_locale
kavo_build windows || exit 1

build="$KAVO_ROOT/build/windows"
# The program keeps content\, link.ini and color.ini beside kavo.exe; give it an example
# library the first time.
if [ ! -d "$build/content" ]; then
    cp -r "$KAVO_ROOT/examples/content" "$build/content"
fi
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    kavo_wine_prefix "$build"
    kavo_log "starting kavo.exe on $DISPLAY"
    wine "$build/kavo.exe"
    exit $?
fi

# No display: a private one (Wine's own processes must start on it, so it comes first).
kavo_start_display || exit 1
kavo_wine_prefix "$build"
wine "$build/kavo.exe" >/dev/null 2>&1 &
kavo_pid=$!
KAVO_PIDS+=("$kavo_pid")
window=""
for tries in $(seq 1 600); do
    window=$(xdotool search --onlyvisible --name '^KAVO脚本助手 $' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    kavo_log "the main window did not appear"
    exit 1
fi
sleep 1  # let it paint once
shot="$build/screenshot.png"
import -window root "$shot"
kavo_log "main window shown; screenshot: $shot"
echo "$shot"
