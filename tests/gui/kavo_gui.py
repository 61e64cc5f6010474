"""Drives kavo.exe under Wine in the test display as a user would.

Each session runs the program from a run folder of its own (a copy of kavo.exe with its own
content folder and ini files). Windows are found by title, controls are read through the test
suite's inspector (kavo_inspect.exe), and the mouse and keyboard are xdotool's. Every wait is on
a condition with a timeout; everything started is stopped by its id.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time
import unittest

TITLE = "KAVO脚本助手 "


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kavo", required=True)
    parser.add_argument("--fixture", required=True)
    parser.add_argument("--inspect", required=True)
    parser.add_argument("--work", required=True)
    args, rest = parser.parse_known_args()
    return args, [sys.argv[0]] + rest


ARGS = None


def main():
    global ARGS
    ARGS, argv = parse_args()
    os.makedirs(ARGS.work, exist_ok=True)
    unittest.main(argv=argv, verbosity=2)


def wait_for(condition, timeout=30.0, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


def run(command, timeout=60, check=False):
    completed = subprocess.run(command, capture_output=True, timeout=timeout)
    if check and completed.returncode != 0:
        raise AssertionError(f"{command} failed: {completed.stderr!r}")
    return completed


def wine(args, timeout=60):
    """Runs a Windows console program to its end; returns its stdout as text."""
    completed = run(["wine"] + args, timeout=timeout)
    return completed.stdout.decode("utf-8", "replace").replace("\r", "")


def inspect(*args):
    return wine([ARGS.inspect] + list(args))


def xdotool(*args, timeout=30):
    return run(["xdotool"] + [str(a) for a in args], timeout=timeout).stdout.decode().strip()


def screenshot(path):
    run(["import", "-window", "root", path], check=True)
    return path


def cursor_position():
    x, y = inspect("cursor").split()
    return int(x), int(y)


class Control:
    def __init__(self, fields):
        self.name, self.cls, self.text = fields[0], fields[1], fields[2]
        self.x, self.y, self.width, self.height = (int(v) for v in fields[3:7])
        self.visible = fields[7] == "1"
        self.screen_x, self.screen_y = int(fields[8]), int(fields[9])

    @property
    def rect(self):
        return (self.x, self.y, self.width, self.height)

    def center(self):
        return self.screen_x + self.width // 2, self.screen_y + self.height // 2


class Kavo:
    """One kavo.exe process in a run folder of its own."""

    def __init__(self, name, pages=None, files=None):
        self.folder = os.path.join(ARGS.work, name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.exe = os.path.join(self.folder, "kavo.exe")
        shutil.copy(ARGS.kavo, self.exe)
        # pages: {"dir/page.txt": "text"} written as GBK with CR LF; files: raw bytes.
        for relative, text in (pages or {}).items():
            data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("gbk")
            self.write(os.path.join("content", relative), data)
        for relative, data in (files or {}).items():
            self.write(relative, data)
        self.process = None

    def write(self, relative, data):
        path = os.path.join(self.folder, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def start(self, wait=True):
        self.process = subprocess.Popen(
            ["wine", self.exe], cwd=self.folder, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        if wait:
            wait_for(lambda: self.visible_windows(), timeout=90, what="the main window")
            wait_for(lambda: self.x_window(), timeout=30, what="the X window")
        return self

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            pid = self.pid()
            self.process.kill()
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                pass
            # The next session's single-instance rule must not see this window any more.
            wait_for(lambda: all(w["pid"] != pid for w in self.windows()), timeout=20,
                     what="the killed instance's windows to go")
        self.process = None

    def pid(self):
        """The Windows process id of this session's main window (None when none is shown)."""
        windows = self.windows()
        return windows[-1]["pid"] if windows else None

    def wait_exit(self, timeout=30):
        return self.process.wait(timeout=timeout)

    # --- reading the program from outside ---
    def windows(self):
        rows = []
        for line in inspect("windows", TITLE).splitlines():
            parts = line.split("\t")
            if parts[0] == "window":
                rows.append({"hwnd": int(parts[1]), "visible": parts[2] == "1",
                             "x": int(parts[3]), "y": int(parts[4]), "width": int(parts[5]),
                             "height": int(parts[6]), "pid": int(parts[7])})
        return rows

    def visible_windows(self):
        return [w for w in self.windows() if w["visible"]]

    def x_window(self):
        found = xdotool("search", "--onlyvisible", "--name", "^" + TITLE + "$")
        return found.split()[0] if found else None

    def controls(self):
        result = {}
        for line in inspect("controls", TITLE).splitlines():
            fields = line.split("\t")
            if len(fields) >= 10:
                result[fields[0]] = Control(fields)
        return result

    def control(self, name):
        return self.controls()[name]

    def text(self, name):
        return inspect("text", TITLE, name)

    def tree(self):
        rows = []
        for line in inspect("tree", TITLE).splitlines():
            level, bold, expanded, selected, x, y, w, h, text = line.split("\t", 8)
            rows.append({"level": int(level), "bold": bold == "1",
                         "expanded": expanded == "1", "selected": selected == "1",
                         "rect": (int(x), int(y), int(w), int(h)), "text": text})
        return rows

    # --- acting as a user ---
    def activate(self):
        window = self.x_window()
        xdotool("windowactivate", "--sync", window)
        return window

    def click(self, name, button=1):
        x, y = self.control(name).center()
        self.click_at(x, y, button)

    def click_at(self, x, y, button=1):
        xdotool("mousemove", "--sync", x, y)
        xdotool("click", button)

    def click_tree_item(self, text, double=False):
        item = next(row for row in self.tree() if row["text"] == text)
        x, y, w, h = item["rect"]
        if w == 0:
            raise AssertionError(f"tree item {text!r} is not shown")
        xdotool("mousemove", "--sync", x + w // 2, y + h // 2)
        xdotool("click", "--repeat", 2 if double else 1, "--delay", 80, 1)

    def type_text(self, text):
        xdotool("type", "--delay", 30, text)

    def key(self, *keys):
        xdotool("key", "--delay", 30, *keys)

    def press(self, key):
        press(key)


def press(key, hold=0.12):
    """A key held down as long as a person holds it: the hotkey poll looks every 50 ms."""
    xdotool("keydown", key)
    time.sleep(hold)
    xdotool("keyup", key)


class SessionTest(unittest.TestCase):
    """A test with at most one kavo.exe session and one fixture, both stopped afterwards."""

    def setUp(self):
        self.kavo = None
        self.fixture = None

    def tearDown(self):
        if self.kavo:
            self.kavo.stop()
        if self.fixture:
            self.fixture.stop()


def menus():
    """Visible pop-up menus: [(items, (x, y, w, h))]."""
    result = []
    for line in inspect("menus").splitlines():
        fields = line.split("\t")
        rect = tuple(int(v) for v in [fields[-4].lstrip("@")] + fields[-3:])
        result.append((fields[:-4], rect))
    return result


def tray_icon_window():
    """Wine's system tray window (the notification area stand-in)."""
    found = xdotool("search", "--onlyvisible", "--name", "Wine System Tray")
    return found.split()[0] if found else None


def close_menus():
    xdotool("key", "Escape")
    wait_for(lambda: not menus(), timeout=10, what="menus to close")


class Fixture:
    """The logging target window (kavo_fixture.exe) in a process of its own; with children, it
    holds two child windows of class KavoFixtureChild that log on their own."""

    def __init__(self, name, title="KavoFixture", children=False):
        self.log = os.path.join(ARGS.work, name + ".log")
        for suffix in ("", ".hwnd", ".children", ".child1", ".child2"):
            if os.path.exists(self.log + suffix):
                os.remove(self.log + suffix)
        self.title = title
        self.process = subprocess.Popen(
            ["wine", ARGS.fixture, self.log, title] + (["--children"] if children else []),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists(self.log + ".hwnd"), timeout=90, what="the fixture")
        with open(self.log + ".hwnd") as f:
            self.hwnd = int(f.read().strip())
        self.children = []
        if children:
            with open(self.log + ".children") as f:
                self.children = [int(line) for line in f.read().split()]

    def lines(self, *messages, child=0):
        """Log lines "0xMSG 0xWPARAM 0xLPARAM", only those of the given messages if any; of the
        child window numbered child (1 or 2) when given."""
        log = self.log + (f".child{child}" if child else "")
        if not os.path.exists(log):
            return []
        with open(log) as f:
            lines = [line.strip() for line in f if line.strip()]
        if messages:
            wanted = {f"0x{m:04X}" for m in messages}
            lines = [line for line in lines if line.split()[0] in wanted]
        return lines

    def x_window(self):
        found = xdotool("search", "--onlyvisible", "--name", "^" + self.title + "$")
        return found.split()[0] if found else None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                pass


def log_line(message, wparam, lparam):
    return f"0x{message:04X} 0x{wparam:08X} 0x{lparam:08X}"
