#!/usr/bin/env python3
"""Fails on any include in src/ that runs up the floors of src/layers.txt.

Every folder of src/ must be a floor of the list; a file may include headers of its own floor and
of those below it. Includes without a folder are allowed only for the headers the build makes or
takes from res/. Prints each include that breaks the order and a summary line; exits 1 on any.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
SRC = ROOT / "src"
ALLOWED_BARE = {"kavo_version.h", "resource_ids.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def floors():
    names = []
    for line in (SRC / "layers.txt").read_text(encoding="utf-8").splitlines():
        name = line.split("#", 1)[0].strip()
        if name:
            names.append(name)
    return names


def main():
    order = floors()
    rank = {name: index for index, name in enumerate(order)}
    problems = []
    checked = 0
    included_floors = {}
    for folder in sorted(p for p in SRC.iterdir() if p.is_dir()):
        if folder.name not in rank:
            problems.append(f"src/{folder.name}/: a folder that is no floor of src/layers.txt")
    for path in sorted(SRC.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        relative = path.relative_to(SRC)
        own = relative.parts[0]
        if own not in rank:
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            found = INCLUDE.match(line)
            if not found:
                continue
            target = found.group(1)
            checked += 1
            where = f"src/{relative.as_posix()}:{number}"
            if "/" not in target:
                if target not in ALLOWED_BARE:
                    problems.append(f"{where}: \"{target}\" names no floor")
                continue
            floor = target.split("/", 1)[0]
            if floor not in rank or ".." in target.split("/"):
                problems.append(f"{where}: \"{target}\" is not a header of a floor")
                continue
            if not (SRC / target).is_file():
                problems.append(f"{where}: \"{target}\" does not exist")
                continue
            included_floors.setdefault(floor, set()).add(own)
            if rank[floor] > rank[own]:
                problems.append(f"{where}: {own} (floor {rank[own] + 1}) includes \"{target}\""
                                f" of {floor} (floor {rank[floor] + 1}), above it")
    for problem in problems:
        print(problem)
    top = order[-1]
    others = sorted(f for f in included_floors.get(top, set()) if f != top)
    print(f"{checked} includes checked over {len(order)} floors: {len(problems)} against the "
          f"order; {top}/ included from outside it by {', '.join(others) or 'nothing'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
