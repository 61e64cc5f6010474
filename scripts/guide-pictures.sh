#!/usr/bin/env bash
# Takes the guide's pictures again and puts them into docs/pictures, to commit with the guide.
#
# The pictures are screenshots the GUI tests take where they have brought kavo.exe to the state a
# picture shows (kavo_gui.guide_picture, into build/windows/gui-work/guide-pictures). This runs
# every GUI case that takes one (found by its call in tests/gui), then copies what they saved.
# The guide's render check (gui.test_guide...test_the_guide_renders) runs too; its picture of the
# whole guide is build/windows/gui-work/guide-render.png, to look at, not to commit.
set -uo pipefail
source "$(dirname "$0")/lib/env.sh"

# gui.FILE.CLASS.CASE of each case whose body calls guide_picture.
cases="$(cd "$KAVO_ROOT/tests/gui" && awk '
    FNR == 1 { file = FILENAME; sub(/\.py$/, "", file) }
    /^class / { cls = $2; sub(/\(.*/, "", cls) }
    /^    def test_/ { name = $2; sub(/\(.*/, "", name) }
    /guide_picture\(/ && name != "" { print "gui\\." file "\\." cls "\\." name "$" }
' test_*.py | sort -u | paste -sd '|')"
if [ -z "$cases" ]; then
    kavo_log "no GUI case takes a guide picture"
    exit 1
fi
cases="$cases|gui\\.test_guide\\.GuideTest\\.test_the_guide_renders\$"

pictures="$KAVO_ROOT/build/windows/gui-work/guide-pictures"
rm -rf "$pictures"
"$KAVO_ROOT/scripts/test.sh" gui -R "$cases" || exit 1

mkdir -p "$KAVO_ROOT/docs/pictures"
shopt -s nullglob
taken=("$pictures"/*.png)
if [ ${#taken[@]} -eq 0 ]; then
    kavo_log "the cases saved no picture in $pictures"
    exit 1
fi
cp "${taken[@]}" "$KAVO_ROOT/docs/pictures/"
printf '%s\n' "${taken[@]/#$pictures/docs/pictures}"
kavo_log "the guide as a browser shows it: build/windows/gui-work/guide-render.png"
