#!/usr/bin/env python3
"""Assembles one release zip: kavo-VERSION-win64.zip (or -win32) holding one folder of the same
name with kavo.exe, the example library in content\\, the guide (docs/) and the licence texts of
what is linked into kavo.exe. The folder runs as it is: nothing is installed, and the program
writes only inside it.

    make_package.py --exe build/x/kavo.exe --version-header build/x/generated/kavo_version.h
                    --arch win64 --out dist

The version comes from the build's kavo_version.h (the one number in CMakeLists.txt). Prints the
zip's path. Names inside the zip are UTF-8 (marked as such, as Windows 10's Explorer, 7-Zip and
WinRAR read them).
"""

import argparse
import pathlib
import re
import sys
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[2]

# The licence texts of what MinGW-w64 links into a static kavo.exe, from the installed packages'
# own copyright files: the mingw-w64 runtime and headers with winpthreads (the C runtime start-up,
# std::thread's threads), and GCC's libgcc and libstdc++ under the GPL 3 with the GCC Runtime
# Library Exception.
LICENCES = [
    ("mingw-w64 运行库（CRT）、头文件与 winpthreads",
     "/usr/share/doc/mingw-w64-common/copyright"),
    ("GCC 运行库（libgcc、libstdc++），含 GCC Runtime Library Exception",
     "/usr/share/doc/gcc-mingw-w64-base/copyright"),
    ("GNU General Public License 第 3 版（上面的 GCC 运行库例外所依附的许可证）",
     "/usr/share/common-licenses/GPL-3"),
]

NOTICE_HEAD = """\
KAVO脚本助手 {version}：第三方许可

kavo.exe 由 MinGW-w64 的 GCC 编译，静态链接了下列第三方代码。下面依次是它们的完整许可文本，
取自编译所用的 Debian 软件包。KAVO脚本助手本身不含其他第三方代码。

kavo.exe is built with MinGW-w64's GCC and statically links the third-party code below; their
licence texts follow in full, as shipped by the Debian packages the build used.
"""


def read_version(header):
    text = pathlib.Path(header).read_text(encoding="utf-8")
    found = re.search(r'#define KAVO_VERSION_TEXT "([^"]+)"', text)
    if not found:
        sys.exit(f"no KAVO_VERSION_TEXT in {header}")
    return found.group(1)


def licence_notice(version):
    parts = [NOTICE_HEAD.format(version=version)]
    for title, path in LICENCES:
        body = pathlib.Path(path).read_text(encoding="utf-8", errors="replace")
        parts.append("=" * 78 + f"\n{title}\n来源 / from: {path}\n" + "=" * 78 + "\n\n" + body)
    # Notepad on Windows 7 reads UTF-8 with its byte-order mark; lines end in CR LF.
    return "\ufeff" + "\n\n".join(parts).replace("\r\n", "\n").replace("\n", "\r\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version-header", required=True)
    parser.add_argument("--arch", choices=["win64", "win32"], required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    version = read_version(args.version_header)
    name = f"kavo-{version}-{args.arch}"
    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    target = out / f"{name}.zip"
    temporary = target.with_suffix(".zip.tmp")
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as package:
        package.write(args.exe, f"{name}/kavo.exe")
        for path in sorted((ROOT / "examples" / "content").rglob("*")):
            if path.is_file():
                relative = path.relative_to(ROOT / "examples")
                package.write(path, f"{name}/{relative.as_posix()}")
        docs = ROOT / "docs"
        if docs.is_dir():
            for path in sorted(docs.rglob("*")):
                if path.is_file():
                    package.write(path, f"{name}/docs/{path.relative_to(docs).as_posix()}")
        package.writestr(f"{name}/第三方许可.txt", licence_notice(version).encode("utf-8"))
    temporary.replace(target)
    print(target)


if __name__ == "__main__":
    main()
