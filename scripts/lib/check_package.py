#!/usr/bin/env python3
"""Checks a release zip: one top folder named as the zip, kavo.exe of the zip's architecture
(win64: x86-64, win32: i386, read from the PE header), the example library, the guide with every
picture it shows, and the licence notice with the texts it promises. Exits non-zero naming what
is wrong.

    check_package.py dist/kavo-1.0.0-win32.zip win32
"""

import pathlib
import posixpath
import re
import struct
import sys
import zipfile

MACHINES = {"win64": 0x8664, "win32": 0x014C}


def problems(path, arch):
    found = []
    name = pathlib.Path(path).stem
    with zipfile.ZipFile(path) as package:
        names = package.namelist()
        if any(not n.startswith(name + "/") for n in names):
            found.append(f"entries outside the folder {name}/")
        exe = f"{name}/kavo.exe"
        if exe not in names:
            return found + ["no kavo.exe"]
        data = package.read(exe)
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            found.append("kavo.exe is no PE program")
        elif struct.unpack_from("<H", data, pe + 4)[0] != MACHINES[arch]:
            found.append(f"kavo.exe is not a {arch} program")
        if not any(n.startswith(f"{name}/content/") and n.endswith(".txt") for n in names):
            found.append("no example pages in content/")
        guide = f"{name}/docs/index.html"
        if guide not in names:
            found.append("no guide docs/index.html")
        else:
            # Every picture the guide shows travels with it.
            page = package.read(guide).decode("utf-8")
            for source in re.findall(r'<img[^>]*\ssrc="([^"]+)"', page):
                inside = posixpath.normpath(f"{name}/docs/{source}")
                if inside not in names:
                    found.append(f"the guide's picture {source} is not in the zip")
        notice = package.read(f"{name}/第三方许可.txt").decode("utf-8-sig")
        for text in ("winpthreads", "GCC RUNTIME LIBRARY EXCEPTION",
                     "GNU GENERAL PUBLIC LICENSE", "mingw-w64"):
            if text not in notice:
                found.append(f"licence notice without {text}")
    return found


def main():
    path, arch = sys.argv[1], sys.argv[2]
    found = problems(path, arch)
    for problem in found:
        print(f"{path}: {problem}", file=sys.stderr)
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
