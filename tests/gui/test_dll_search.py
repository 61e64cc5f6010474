"""kavo.exe loads the system libraries it loads late (winmm for 延时's fine timer, msftedit for
the editor, comdlg32 for the font dialog) from the system folder only: a library of that name in
the program's folder or in the current folder is never loaded. Each planted library is a
stand-in (kavo_marker_dll.dll) that leaves a marker file when it is loaded."""

import contextlib
import os
import shutil

import kavo_gui
from kavo_gui import EDITOR, Kavo, spawn, wait_for

LIBRARIES = ["winmm.dll", "msftedit.dll", "comdlg32.dll"]
FONT_DIALOG_TITLES = ("字体", "Font")


def built(name):
    """A program or library the test suite built, beside the fixture."""
    return os.path.join(os.path.dirname(kavo_gui.ARGS.fixture), name)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def fresh_folder(name):
    folder = os.path.join(kavo_gui.ARGS.work, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def plant(folder):
    for name in LIBRARIES:
        shutil.copy(built("kavo_marker_dll.dll"), os.path.join(folder, name))


@contextlib.contextmanager
def preferring_planted_libraries(markers):
    """Programs started within it leave their markers in the folder markers, and Wine prefers a
    file of the libraries' names to its own built-in ones ("native, then builtin"): without that
    Wine would load its own whatever the search found, and the test could not fail."""
    saved = {name: os.environ.get(name) for name in ("WINEDLLOVERRIDES", "KAVO_DLL_MARKERS")}
    overrides = ",".join(name[:-len(".dll")] for name in LIBRARIES) + "=n,b"
    earlier = saved["WINEDLLOVERRIDES"]
    os.environ["WINEDLLOVERRIDES"] = f"{earlier};{overrides}" if earlier else overrides
    os.environ["KAVO_DLL_MARKERS"] = windows_path(markers)
    try:
        yield
    finally:
        for name, value in saved.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value


class DllSearchTest(kavo_gui.SessionTest):
    def test_libraries_planted_beside_the_program_or_in_the_current_folder_are_never_loaded(self):
        markers = fresh_folder("dll-markers")
        current = fresh_folder("dll-current")
        plant(current)
        kavo = Kavo("dll-search", pages={"任务/等一下.txt": "延时(1)\n延时(20)\n"})
        plant(kavo.folder)
        with preferring_planted_libraries(markers):
            # winmm: a run from the command line waits with the fine timer.
            run = spawn(["wine", kavo.exe, "/run", "任务\\等一下"], cwd=current)
            self.assertEqual(run.wait(timeout=90), 0)
            self.assertEqual(sorted(os.listdir(markers)), [], "after /run")
            # msftedit: the editor; comdlg32: 设置字体 ▸ 选择字体.
            self.kavo = kavo.start(cwd=current)
        self.assertEqual(sorted(os.listdir(markers)), [], "after the start")
        self.assertEqual(kavo.control(EDITOR).cls.upper(), "RICHEDIT50W")  # the system's own
        kavo.activate()
        kavo.click(EDITOR)
        kavo.choose_from_menu("超级按钮2", ["Down"] * 8 + ["Right"] + ["Down"] * 4 + ["Return"],
                              what="the 操作 menu")
        title = wait_for(lambda: next((t for t in FONT_DIALOG_TITLES
                                       if kavo_gui.windows_titled(t)), None),
                         what="the font dialog")
        kavo_gui.answer(title, key="Escape", what="the font dialog")
        self.assertEqual(sorted(os.listdir(markers)), [], "after the font dialog")

        # Positive control: a program that loads the same libraries by their bare names, from the
        # same folder and with the same current folder, loads every planted one.
        loader = os.path.join(kavo.folder, "kavo_bare_loader.exe")
        shutil.copy(built("kavo_bare_loader.exe"), loader)
        with preferring_planted_libraries(markers):
            spawn(["wine", loader] + LIBRARIES, cwd=current).wait(timeout=90)
        loaded = sorted(name.split("-")[0] for name in os.listdir(markers))
        self.assertEqual(loaded, sorted(LIBRARIES))


if __name__ == "__main__":
    kavo_gui.main()
