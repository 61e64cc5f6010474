"""The release package: the 64-bit zip unpacked into an empty folder runs as it is and shows the
example library, and 关于 names the version the zip is named with."""

import os
import re
import shutil
import subprocess
import sys
import zipfile

import kavo_gui
from kavo_gui import Kavo, wait_for, windows_titled

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ABOUT_TITLE = "需要源码请我"


def build_version():
    header = os.path.join(os.path.dirname(kavo_gui.ARGS.kavo), "generated", "kavo_version.h")
    with open(header, encoding="utf-8") as f:
        return re.search(r'#define KAVO_VERSION_TEXT "([^"]+)"', f.read()).group(1), header


class PackageTest(kavo_gui.SessionTest):
    def test_the_unpacked_zip_runs_and_shows_the_examples_and_its_version(self):
        version, header = build_version()
        work = os.path.join(kavo_gui.ARGS.work, "package")
        shutil.rmtree(work, ignore_errors=True)
        made = subprocess.run(
            [sys.executable, os.path.join(ROOT, "scripts", "lib", "make_package.py"),
             "--exe", kavo_gui.ARGS.kavo, "--version-header", header, "--arch", "win64",
             "--out", os.path.join(work, "dist")],
            check=True, capture_output=True, text=True)
        package = made.stdout.strip()
        self.assertEqual(os.path.basename(package), f"kavo-{version}-win64.zip")
        checked = subprocess.run(
            [sys.executable, os.path.join(ROOT, "scripts", "lib", "check_package.py"), package,
             "win64"], capture_output=True, text=True)
        self.assertEqual(checked.returncode, 0, checked.stderr)

        # Unpacked into an empty folder, it is all the program needs.
        kavo = Kavo("package-session")
        shutil.rmtree(kavo.folder)
        os.makedirs(kavo.folder)
        with zipfile.ZipFile(package) as z:
            z.extractall(kavo.folder)
        kavo.folder = os.path.join(kavo.folder, f"kavo-{version}-win64")
        kavo.exe = os.path.join(kavo.folder, "kavo.exe")
        self.assertEqual(sorted(os.listdir(kavo.folder)),
                         sorted(["kavo.exe", "content", "docs", "第三方许可.txt"]))
        self.kavo = kavo.start()
        kavo.activate()
        wait_for(lambda: [row["text"] for row in kavo.tree() if row["bold"]],
                 until=lambda directories: "示例脚本" in directories,
                 what="the example library in the tree")
        kavo_gui.screenshot(os.path.join(work, "unpacked-package.png"))

        # 关于 opens (its text carries the same version macro as the resource; the screenshot
        # shows it).
        kavo.choose_from_menu("超级按钮1", ["Down", "Return"], what="the program menu")
        wait_for(lambda: windows_titled(ABOUT_TITLE), what="the about window")
        kavo_gui.settled_window(ABOUT_TITLE)
        kavo_gui.screenshot(os.path.join(work, "about.png"))

if __name__ == "__main__":
    kavo_gui.main()
