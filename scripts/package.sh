#!/usr/bin/env bash
# Builds the release zips in dist/: kavo-VERSION-win64.zip and kavo-VERSION-win32.zip, each a
# folder that runs as it is (kavo.exe, the example library in content\, the guide in docs\ and
# the licence texts of what kavo.exe links). Installs what it needs (as root). The version is
# the one in CMakeLists.txt. Prints the two zips' paths; checks that each holds what it should
# and that each kavo.exe is a program of its architecture (the 32-bit one cannot run under this
# Wine: its zip is checked, not run).
set -uo pipefail
source "$(dirname "$0")/lib/env.sh"

kavo_install_deps yes || exit 1
kavo_build windows-package || exit 1
kavo_build windows-i686 || exit 1

dist="$KAVO_ROOT/dist"
mkdir -p "$dist"
zips=()
for pair in "windows-package win64" "windows-i686 win32"; do
    set -- $pair
    build="$KAVO_ROOT/build/$1"
    zip="$(python3 "$KAVO_ROOT/scripts/lib/make_package.py" --exe "$build/kavo.exe" \
        --version-header "$build/generated/kavo_version.h" --arch "$2" --out "$dist")" || exit 1
    python3 "$KAVO_ROOT/scripts/lib/check_package.py" "$zip" "$2" || exit 1
    zips+=("$zip")
done
printf '%s\n' "${zips[@]}"
