"""Drives kavo.exe under Wine in the test display as a user would.

Each session runs the program from a run folder of its own (a copy of kavo.exe with its own
content folder and ini files). Windows are found by title, controls are read through the test
suite's inspector (kavo_inspect.exe), and the mouse and keyboard are xdotool's.

Every wait is on a condition with a timeout (wait_for), and a failed wait names what it waited for
and the last thing it saw. Every process started here (kavo.exe, the fixture, anything started
through spawn) is recorded; SessionTest ends each one a case started when the case ends, whatever
happened in it, by its own id, and whatever is left is ended when this Python process exits.
Nothing else is ended: other Wine programs and the wineserver are left alone.
"""

import argparse
import atexit
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

TITLE = "KAVO脚本助手 "
EDITOR = "编辑框_脚本编辑区"


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
    for signum in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, _end_processes_and_die)
    unittest.main(argv=argv, verbosity=2)


# --- processes started in the background ---

_processes = []  # every Popen started through spawn, oldest first
_sessions = []  # every Kavo session started, oldest first


def spawn(command, cwd=None):
    """Starts a program in the background. It is recorded, so that it is ended by its own id when
    the test that started it ends and at the latest when this Python process exits."""
    process = subprocess.Popen([str(a) for a in command], cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _processes.append(process)
    return process


def end(process, timeout=20):
    """Ends one process started here by its own id: SIGKILL, then wait for it. A process that has
    ended already is only reaped. Returns whether it has ended."""
    if process.poll() is None:
        try:
            process.kill()
        except OSError:
            pass  # it ended between the poll and the kill
    try:
        process.wait(timeout=timeout)
        return True
    except subprocess.TimeoutExpired:
        print(f"warning: process {process.pid} (`{describe(process.args)}`) is still there "
              f"{timeout} s after SIGKILL", file=sys.stderr)
        return False


def end_processes(since=0):
    """Ends every process started through spawn from the since-th on, the newest first."""
    for process in reversed(_processes[since:]):
        end(process)


atexit.register(end_processes)


def _end_processes_and_die(signum, frame):
    # Stopped from outside (ctest's timeout, a terminal closed): no cleanup of unittest's will
    # run, so every process still recorded is killed here, then the signal takes its course.
    for process in _processes:
        if process.returncode is None:
            try:
                os.kill(process.pid, signal.SIGKILL)
            except OSError:
                pass
    signal.signal(signum, signal.SIG_DFL)
    os.kill(os.getpid(), signum)


# --- waiting ---

class ProbeTimeout(AssertionError):
    """A program run to its end (the inspector, xdotool, import...) did not return in time."""


class WaitTimeout(AssertionError):
    """A wait that ran out of time. answered tells whether any look at the condition answered."""

    def __init__(self, message, answered):
        super().__init__(message)
        self.answered = answered


def _shown(value, limit=400):
    text = repr(value)
    return text if len(text) <= limit else text[:limit] + " ..."


def wait_for(condition, timeout=30.0, interval=0.05, what="condition", until=None):
    """Looks at condition() until its value is true, or with until, until until(value) is true;
    returns that value. Fails after timeout seconds naming what it waited for and the last value
    it saw. A look that does not answer in time (ProbeTimeout) counts as "not yet" and the wait
    goes on to its deadline: a probe that never answers fails the wait within timeout plus the
    probe's own limit. Any other exception of the condition ends the wait at once."""
    start = time.monotonic()
    deadline = start + timeout
    looks = 0
    answered = False
    last = None
    slow = None
    while True:
        looks += 1
        try:
            value = condition()
        except ProbeTimeout as error:
            slow = error
            note_slow_look(what, error)
        else:
            answered = True
            last = value
            if (until(value) if until is not None else value):
                return value
        if time.monotonic() > deadline:
            seen = f"last seen: {_shown(last)}" if answered else "no look answered"
            if slow is not None:
                seen += f"; a look did not answer: {slow}"
            raise WaitTimeout(f"timed out after {time.monotonic() - start:.1f} s waiting for "
                              f"{what} ({looks} looks; {seen})", answered)
        time.sleep(interval)  # between two looks


def note_slow_look(what, error):
    """A look that did not answer is told on stderr and kept in slow-looks.log of the work
    folder, where it can be found also when the test passed."""
    line = f"{time.strftime('%H:%M:%S')} {os.path.basename(sys.argv[0])}: while waiting for " \
           f"{what}: {error}"
    print(line, file=sys.stderr)
    if ARGS is not None:
        with open(os.path.join(ARGS.work, "slow-looks.log"), "a", encoding="utf-8") as log:
            log.write(line + "\n")


def stays(condition, seconds, what, until=None, interval=0.05):
    """Checks that condition() (or until(condition())) stays true for `seconds`, looking every
    interval, and fails at the first look where it is not. For "nothing happens" checks: the time
    is how long the thing that must not happen would have taken at most."""
    start = time.monotonic()
    while True:
        value = condition()
        if not (until(value) if until is not None else value):
            raise AssertionError(f"{what}: no longer so after {time.monotonic() - start:.2f} s, "
                                 f"saw {_shown(value)}")
        if time.monotonic() - start >= seconds:
            return value
        time.sleep(interval)  # between two looks


# --- programs run to their end ---

def describe(command):
    return shlex.join(str(a) for a in command)


def run(command, timeout=60, check=False):
    """Runs a program to its end. One that does not end within timeout seconds is killed, and
    ProbeTimeout (an AssertionError) names it and how long it ran."""
    command = [str(a) for a in command]
    start = time.monotonic()
    # Output goes to files, not pipes: a wine command may start Wine's desktop process, which
    # inherits the pipes and keeps them open long after the command ended, so reading a pipe to
    # its end would wait for the desktop to go.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        try:
            returncode = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise ProbeTimeout(f"`{describe(command)}` did not return within {timeout} s "
                               f"(killed after {time.monotonic() - start:.1f} s)") from None
        out.seek(0)
        err.seek(0)
        completed = subprocess.CompletedProcess(command, returncode, out.read(), err.read())
    if check and completed.returncode != 0:
        raise AssertionError(f"`{describe(command)}` failed with exit code "
                             f"{completed.returncode}: {completed.stderr!r}")
    return completed


def output(command, timeout=60):
    """The standard output of a program run to its end, as text."""
    return run(command, timeout=timeout).stdout.decode("utf-8", "replace")


def wine(args, timeout=60):
    """Runs a Windows console program to its end; returns its stdout as text."""
    return output(["wine"] + list(args), timeout=timeout).replace("\r", "")


def inspect(*args):
    return wine([ARGS.inspect] + list(args))


def xdotool(*args, timeout=30):
    return run(["xdotool"] + list(args), timeout=timeout).stdout.decode().strip()


def screenshot(path):
    run(["import", "-window", "root", path], check=True)
    return path


# The guide's pictures (docs/pictures) are taken here by the GUI tests, each where a test has
# brought the program to the state it shows; scripts/guide-pictures.sh copies them into docs/.
GUIDE_PICTURES = "guide-pictures"


def guide_picture(name, rect):
    """Saves the screen's rectangle (left, top, width, height) as GUIDE_PICTURES/NAME.png in the
    work folder; returns its path."""
    folder = os.path.join(ARGS.work, GUIDE_PICTURES)
    os.makedirs(folder, exist_ok=True)
    whole = screenshot(os.path.join(folder, name + ".screen.png"))
    left, top, width, height = rect
    path = os.path.join(folder, name + ".png")
    run(["convert", whole, "-crop", f"{width}x{height}+{left}+{top}", "+repage", path],
        check=True)
    os.remove(whole)
    return path


def cursor_position():
    x, y = inspect("cursor").split()
    return int(x), int(y)


# --- windows by their title ---

def windows_titled(title, visible=True):
    """Top-level windows titled exactly title (only the visible ones unless visible is False), in
    the order Windows lists them: dicts of hwnd, visible, x, y, width, height and pid."""
    rows = []
    for line in inspect("windows", title).splitlines():
        parts = line.split("\t")
        if parts[0] == "window":
            row = {"hwnd": int(parts[1]), "visible": parts[2] == "1",
                   "x": int(parts[3]), "y": int(parts[4]), "width": int(parts[5]),
                   "height": int(parts[6]), "pid": int(parts[7])}
            if row["visible"] or not visible:
                rows.append(row)
    return rows


def rect_of(window):
    return window["x"], window["y"], window["width"], window["height"]


def union_rect(*windows):
    """The smallest rectangle (left, top, width, height) around the windows."""
    left = min(w["x"] for w in windows)
    top = min(w["y"] for w in windows)
    right = max(w["x"] + w["width"] for w in windows)
    bottom = max(w["y"] + w["height"] for w in windows)
    return left, top, right - left, bottom - top


def settled_window(title, quiet=0.3, timeout=30):
    """The visible window titled title once it has stopped moving (small windows glide in): its
    place and size the same in every look for `quiet` seconds."""
    seen = {"rect": None, "since": 0.0}

    def look():
        rows = windows_titled(title)
        now = time.monotonic()
        rect = rect_of(rows[0]) if rows else None
        if rect != seen["rect"]:
            seen["rect"], seen["since"] = rect, now
        return (rows[0] if rows else None), round(now - seen["since"], 2)

    window, _ = wait_for(look, until=lambda seen_now: seen_now[0] is not None
                         and seen_now[1] >= quiet, timeout=timeout, interval=0.1,
                         what=f"the window {title} to stand still for {quiet} s")
    return window


def window_geometry(x_window):
    """(left, top, width, height) of an X window on the screen, as xwininfo reports it."""
    values = {}
    for line in output(["xwininfo", "-id", str(x_window)]).splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
            int(values["Width"]), int(values["Height"]))


def x_window_titled(title):
    """The first visible X window named exactly title, or None."""
    found = xdotool("search", "--onlyvisible", "--name", "^" + title + "$")
    return found.split()[0] if found else None


def activate_window(title):
    """Brings the window titled title to the front once it is there; returns its X window."""
    window = wait_for(lambda: x_window_titled(title), what=f"the X window of {title}")
    xdotool("windowactivate", "--sync", window)
    return window


def answer(title, key="Return", text=None, what=None):
    """Answers the window titled title (a message box, a question, an input dialog) as a user:
    waits for it, brings it to the front, types text if any, presses key and waits for it to
    close."""
    what = what or f"the window {title}"
    wait_for(lambda: windows_titled(title), what=what)
    activate_window(title)
    if text:
        type_text(text)
    xdotool("key", key)
    wait_for(lambda: windows_titled(title), until=lambda rows: not rows, what=f"{what} to close")


def menus():
    """Visible pop-up menus: [(items, (x, y, w, h))]."""
    result = []
    for line in inspect("menus").splitlines():
        fields = line.split("\t")
        rect = tuple(int(v) for v in [fields[-4].lstrip("@")] + fields[-3:])
        result.append((fields[:-4], rect))
    return result


def close_menus():
    xdotool("key", "Escape")
    wait_for(menus, until=lambda shown: not shown, timeout=10, what="menus to close")


def tray_icon_window():
    """Wine's system tray window (the notification area stand-in)."""
    found = xdotool("search", "--onlyvisible", "--name", "Wine System Tray")
    return found.split()[0] if found else None


def click_tray_icon():
    tray = wait_for(tray_icon_window, what="the notification area icon")
    xdotool("mousemove", "--window", tray, 8, 8)
    xdotool("click", 1)


# --- the keyboard ---

def _bind_keysyms(characters):
    """Gives each character a key of its own in the X key map, on keycodes nothing uses.
    xdotool types a character the map lacks by binding it to a spare key for that one key
    press and unbinding it at once; Wine reads the map only when it handles the key, often
    after the unbinding, and the character is lost. Bound for good, it arrives every time."""
    import ctypes
    import ctypes.util
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                        ctypes.POINTER(ctypes.c_int)]
    x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    for name in ("XSync", "XCloseDisplay", "XFree", "XDisplayKeycodes"):
        getattr(x11, name).argtypes = {
            "XSync": [ctypes.c_void_p, ctypes.c_int], "XCloseDisplay": [ctypes.c_void_p],
            "XFree": [ctypes.c_void_p],
            "XDisplayKeycodes": [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                 ctypes.POINTER(ctypes.c_int)]}[name]
    display = x11.XOpenDisplay(None)
    if not display:
        raise AssertionError("cannot open the X display to bind keys")
    try:
        low, high = ctypes.c_int(), ctypes.c_int()
        x11.XDisplayKeycodes(display, ctypes.byref(low), ctypes.byref(high))
        count = high.value - low.value + 1
        per = ctypes.c_int()
        table = x11.XGetKeyboardMapping(display, low.value, count, ctypes.byref(per))
        keys = [[table[k * per.value + i] for i in range(per.value)] for k in range(count)]
        x11.XFree(table)
        wanted = {0x1000000 + ord(c) for c in characters}
        bound = {sym for row in keys for sym in row}
        spare = [low.value + k for k in range(count) if not any(keys[k])]
        for sym in sorted(wanted - bound):
            if not spare:
                raise AssertionError("no spare keycode left to bind a character to")
            syms = (ctypes.c_ulong * 2)(sym, sym)
            x11.XChangeKeyboardMapping(display, spare.pop(0), 2, syms, 1)
        x11.XSync(display, 0)
    finally:
        x11.XCloseDisplay(display)


def type_text(text):
    wide = {c for c in text if ord(c) > 0x7E}
    if wide:
        _bind_keysyms(wide)
    xdotool("type", "--delay", 30, text)


def key(*keys):
    xdotool("key", "--delay", 30, *keys)


def press(key_name, hold=0.12):
    """A key held down as long as a person holds it: the hotkey poll looks every 50 ms."""
    xdotool("keydown", key_name)
    time.sleep(hold)  # a person's press, not a wait for the program
    xdotool("keyup", key_name)


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
        self.windows_pid = None  # the Windows process id of its main window, once seen

    def write(self, relative, data):
        path = os.path.join(self.folder, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def start(self, wait=True, cwd=None):
        """Starts kavo.exe, in its own folder unless cwd names another current folder."""
        self.process = spawn(["wine", self.exe], cwd=cwd or self.folder)
        _sessions.append(self)
        if wait:
            window = wait_for(self._shown_while_running, timeout=90, what="the main window")
            self.windows_pid = window["pid"]
            wait_for(self.x_window, timeout=30, what="the X window of the main window")
            self._check_running("after its window showed")
        return self

    def _check_running(self, when):
        code = self.process.poll()
        if code is not None:
            raise AssertionError(f"kavo.exe in {self.folder} ended {when} with exit code {code} "
                                 "(did another instance's window answer its single-instance "
                                 "rule?)")

    def _shown_while_running(self):
        self._check_running("before its main window showed")
        shown = self.visible_windows()
        return shown[-1] if shown else None

    def stop(self):
        """Ends this session's process by its own id (SIGKILL, then wait), then checks that its
        windows are gone, so that the next session's single-instance rule cannot see them. An
        inspector that does not answer does not fail the stop; windows seen to stay do."""
        process, self.process = self.process, None
        if process is None:
            return
        end(process)
        pid = self.windows_pid
        if pid is None:
            return  # its window was never seen
        try:
            wait_for(lambda: [w for w in self.windows() if w["pid"] == pid],
                     until=lambda rows: not rows, timeout=20,
                     what=f"the windows of the ended kavo.exe (Windows process {pid}) to go")
        except WaitTimeout as timeout:
            if timeout.answered:
                raise
            print(f"warning: after ending kavo.exe in {self.folder}: {timeout}", file=sys.stderr)

    def wait_exit(self, timeout=30):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"kavo.exe in {self.folder} did not end within "
                                 f"{timeout} s") from None

    # --- reading the program from outside ---
    def windows(self):
        return windows_titled(TITLE, visible=False)

    def visible_windows(self):
        return [w for w in self.windows() if w["visible"]]

    def x_window(self):
        return x_window_titled(TITLE)

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

    def editor_text(self):
        return self.text(EDITOR)

    def editor_view(self):
        """The editor's first row on screen, that row's first character, and the line-number
        gutter's text ("first-last", then " 错误:a,b", " 脚本错误:n" or " 停止:n")."""
        row, first, gutter = inspect("editor-view", TITLE).split("\t", 2)
        return int(row), int(first), gutter

    def gutter(self):
        return self.editor_view()[2]

    def wait_text(self, name, check, what, timeout=30):
        """Waits until check(the control's text) is true; check may also be the text itself."""
        test = check if callable(check) else (lambda text: text == check)
        return wait_for(lambda: self.text(name), until=test, timeout=timeout, what=what)

    def coordinates_shown(self):
        """What F1's cursor display shows: (X, Y) as texts."""
        return self.text("编辑框4"), self.text("编辑框5")

    def wait_coordinates(self, x, y, what):
        return wait_for(self.coordinates_shown, until=lambda shown: shown == (str(x), str(y)),
                        what=what)

    def tree(self):
        rows = []
        for line in inspect("tree", TITLE).splitlines():
            level, bold, expanded, selected, x, y, w, h, text = line.split("\t", 8)
            rows.append({"level": int(level), "bold": bold == "1",
                         "expanded": expanded == "1", "selected": selected == "1",
                         "rect": (int(x), int(y), int(w), int(h)), "text": text})
        return rows

    def tree_row(self, text):
        rows = self.tree()
        for row in rows:
            if row["text"] == text:
                return row
        raise AssertionError(f"no tree item {text!r} among {_shown([r['text'] for r in rows])}")

    # --- acting as a user ---
    def activate(self):
        window = wait_for(self.x_window, what="the X window of the main window")
        xdotool("windowactivate", "--sync", window)
        return window

    def click(self, name, button=1):
        x, y = self.control(name).center()
        self.click_at(x, y, button)

    def click_at(self, x, y, button=1):
        xdotool("mousemove", "--sync", x, y)
        xdotool("click", button)

    def click_tree_item(self, text, double=False):
        x, y, w, h = self.tree_row(text)["rect"]
        if w == 0:
            raise AssertionError(f"tree item {text!r} is not shown")
        xdotool("mousemove", "--sync", x + w // 2, y + h // 2)
        xdotool("click", "--repeat", 2 if double else 1, "--delay", 80, 1)

    def row_state(self, text, key):
        """The tree row's key ("expanded", "selected"), False while no row has that text: a
        listing taken while the tree is refilled (on a busy machine) may find none."""
        return any(row["text"] == text and row[key] for row in self.tree())

    def open_directory(self, name):
        """Opens the directory in the tree with a double click, unless it is open."""
        wait_for(lambda: any(row["text"] == name for row in self.tree()),
                 what=f"the directory {name} in the tree")
        if not self.row_state(name, "expanded"):
            self.click_tree_item(name, double=True)
            wait_for(lambda: self.row_state(name, "expanded"),
                     what=f"the directory {name} to open")

    def open_page(self, directory, page, shows=None):
        """Opens the directory if needed and selects the page in it; then waits until the editor
        shows `shows` (a part of the page's text) or, without it, until the page is selected."""
        self.open_directory(directory)
        wait_for(lambda: any(row["text"] == page and row["rect"][2] > 0 for row in self.tree()),
                 what=f"the page {page} in the tree")
        self.click_tree_item(page)
        if shows is None:
            wait_for(lambda: self.row_state(page, "selected"), what=f"the page {page} selected")
        else:
            self.wait_text(EDITOR, lambda text: shows in text,
                           what=f"the page {page} in the editor ({shows!r} in it)")

    def open_menu(self, button, what="a pop-up menu"):
        """Clicks a menu button; returns the menus shown."""
        self.click(button)
        return wait_for(menus, what=what)

    def choose_from_menu(self, button, keys, what="the menu"):
        """Opens the button's menu, picks an item with the keys and waits for the menu to close."""
        self.open_menu(button, what=what)
        self.key(*keys)
        wait_for(menus, until=lambda shown: not shown, what=f"{what} to close")

    def bind_hotkey(self, xdotool_key, name, process=None):
        """Fills in the run panel's process name (if given) and key, then presses 热键执行."""
        if process is not None:
            self.click("编辑框2")
            self.type_text(process)
        self.click("编辑框_启动热键")
        self.key(xdotool_key)
        self.wait_text("编辑框_启动热键", name, what=f"the key's name {name!r}")
        self.click("按钮2")

    def show_from_tray(self):
        """Clicks the notification area icon; returns the visible windows once back."""
        click_tray_icon()
        return wait_for(self.visible_windows, what="the window to come back")

    def type_text(self, text):
        type_text(text)

    def key(self, *keys):
        key(*keys)

    def press(self, key_name):
        press(key_name)


class Fixture:
    """The logging target window (kavo_fixture.exe) in a process of its own; with children, it
    holds two child windows of class KavoFixtureChild that log on their own."""

    def __init__(self, name, title="KavoFixture", children=False):
        self.log = os.path.join(ARGS.work, name + ".log")
        for suffix in ("", ".hwnd", ".children", ".child1", ".child2"):
            if os.path.exists(self.log + suffix):
                os.remove(self.log + suffix)
        self.title = title
        self.process = spawn(["wine", ARGS.fixture, self.log, title] +
                             (["--children"] if children else []))
        wait_for(self._hwnd_written, timeout=90, what="the fixture's window handle file")
        with open(self.log + ".hwnd") as f:
            self.hwnd = int(f.read().strip())
        self.children = []
        if children:
            with open(self.log + ".children") as f:
                self.children = [int(line) for line in f.read().split()]

    def _hwnd_written(self):
        code = self.process.poll()
        if code is not None:
            raise AssertionError(f"the fixture ended with exit code {code} before it showed")
        return os.path.exists(self.log + ".hwnd")

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

    def posted_keys(self):
        """WM_KEYDOWN lines of posted key messages: they carry lParam 0, typed ones never do."""
        return [line for line in self.lines(0x0100) if line.endswith("0x00000000")]

    def x_window(self):
        return x_window_titled(self.title)

    def activate(self):
        window = wait_for(self.x_window, what=f"the X window of the fixture {self.title}")
        xdotool("windowactivate", "--sync", window)
        return window

    def stop(self):
        end(self.process)


def log_line(message, wparam, lparam):
    return f"0x{message:04X} 0x{wparam:08X} 0x{lparam:08X}"


class SessionTest(unittest.TestCase):
    """A test that drives kavo.exe sessions and fixtures. Whatever happens in a case, even a start
    that timed out or raised, every process it started through this module is ended by its own
    id when it ends (the newest first), and then every kavo.exe session it started is checked to
    have left no window behind. Cleanup does not depend on self.kavo or self.fixture."""

    def setUp(self):
        self.kavo = None
        self.fixture = None
        self._first_process = len(_processes)
        self._first_session = len(_sessions)
        # Runs also when setUp of a subclass or tearDown fails; after tearDown it finds nothing.
        self.addCleanup(end_processes, self._first_process)

    def tearDown(self):
        end_processes(self._first_process)
        failures = []
        for session in reversed(_sessions[self._first_session:]):
            try:
                session.stop()
            except AssertionError as failure:
                failures.append(failure)
        if failures:
            raise failures[0]

    def start(self, name, pages=None, files=None, activate=True):
        """Starts kavo.exe as self.kavo (pages and files as Kavo takes them) and, unless told
        not to, brings its window to the front."""
        self.kavo = Kavo(name, pages=pages, files=files)
        self.kavo.start()
        if activate:
            self.kavo.activate()
        return self.kavo
