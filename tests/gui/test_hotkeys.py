"""Binding the editor's script to a key, and F1's cursor display, with real keys."""

import statistics
import time
import unittest

import kavo_gui
from kavo_gui import Fixture, Kavo, inspect, wait_for, xdotool


def message_box(caption):
    """The visible top-level windows titled caption."""
    rows = []
    for line in inspect("windows", caption).splitlines():
        parts = line.split("\t")
        if parts[0] == "window" and parts[2] == "1":
            rows.append(int(parts[1]))
    return rows


class HotkeyTest(kavo_gui.SessionTest):
    def open_page(self, directory, page, expected):
        kavo = self.kavo
        row = next(r for r in kavo.tree() if r["text"] == directory)
        if not row["expanded"]:
            kavo.click_tree_item(directory, double=True)
            wait_for(lambda: next(r for r in kavo.tree() if r["text"] == directory)["expanded"],
                     what="the directory to open")
        kavo.click_tree_item(page)
        wait_for(lambda: expected in kavo.text("编辑框_脚本编辑区"), what="the page")

    def confirm(self, caption):
        wait_for(lambda: message_box(caption), what=f"the message box {caption}")
        xdotool("key", "Return")
        wait_for(lambda: not message_box(caption), what="the message box to close")

    def posted_keys(self):
        # Posted key messages carry lParam 0; typed ones never do.
        return [line for line in self.fixture.lines(0x100) if line.endswith("0x00000000")]

    def press_in_fixture(self, key):
        xdotool("windowactivate", "--sync", self.fixture.x_window())
        kavo_gui.press(key)

    def test_a_bound_key_runs_the_editors_text_of_the_moment(self):
        self.fixture = Fixture("hotkey-fixture")
        hwnd = self.fixture.hwnd
        self.kavo = Kavo("hotkey-bind", pages={
            "脚本/第一.txt": f"按键消息({hwnd},66,2)\n",
            "脚本/第二.txt": f"按键消息({hwnd},67,2)\n"})
        kavo = self.kavo.start()
        kavo.activate()
        self.open_page("脚本", "第一", "66")

        kavo.click("编辑框2")
        kavo.type_text("KAVO_FIXTURE.EXE")  # process names match without letter case
        kavo.click("编辑框_启动热键")
        kavo.key("k")
        wait_for(lambda: kavo.text("编辑框_启动热键") == "K", what="the key's name")
        kavo.click("按钮2")
        self.confirm("成功")

        latencies = []
        for press in range(5):
            before = len(self.posted_keys())
            xdotool("windowactivate", "--sync", self.fixture.x_window())
            start = time.monotonic()
            xdotool("keydown", "k")
            wait_for(lambda: len(self.posted_keys()) > before, interval=0.002,
                     what="the bound script's message")
            latencies.append((time.monotonic() - start) * 1000)
            xdotool("keyup", "k")
            time.sleep(0.15)  # seen released by the poll
        self.assertEqual(set(self.posted_keys()), {kavo_gui.log_line(0x100, 66, 0)})
        print(f"hotkey press to first effect: median {statistics.median(latencies):.0f} ms "
              f"(of {[round(x) for x in latencies]})")

        # The run hid the main window; bring it back, show another page, press again.
        wait_for(lambda: not kavo.visible_windows(), what="the run to hide the window")
        tray = wait_for(kavo_gui.tray_icon_window, what="the notification area icon")
        xdotool("mousemove", "--window", tray, 8, 8)
        xdotool("click", 1)
        wait_for(lambda: kavo.visible_windows(), what="the window to come back")
        kavo.activate()
        self.open_page("脚本", "第二", "67")
        self.press_in_fixture("k")
        wait_for(lambda: kavo_gui.log_line(0x100, 67, 0) in self.posted_keys(),
                 what="the edited script's message")

    def test_an_empty_process_name_binds_nothing(self):
        self.fixture = Fixture("hotkey-empty-fixture")
        self.kavo = Kavo("hotkey-empty", pages={
            "脚本/第一.txt": f"按键消息({self.fixture.hwnd},66,2)\n"})
        kavo = self.kavo.start()
        kavo.activate()
        kavo.click("编辑框_启动热键")
        kavo.key("j")
        wait_for(lambda: kavo.text("编辑框_启动热键") == "J", what="the key's name")
        kavo.click("按钮2")
        self.confirm("失败")
        self.press_in_fixture("j")
        time.sleep(0.5)  # a hotkey would have fired by now (50 ms poll)
        self.assertEqual(self.posted_keys(), [])
        self.assertTrue(kavo.visible_windows())  # nothing ran, nothing hid the window

    def test_hotkey_edit_shows_key_names_only(self):
        kavo = self.kavo = Kavo("hotkey-names").start()
        kavo.activate()
        kavo.click("编辑框_启动热键")
        for key, shown in [("a", "A"), ("space", "空格键"), ("Home", "Home"), ("F5", "F5"),
                           ("Return", "")]:
            with self.subTest(key=key):
                kavo.key(key)
                wait_for(lambda: kavo.text("编辑框_启动热键") == shown, what=f"{shown!r}")

    def test_f1_starts_then_freezes_the_cursor_display(self):
        kavo = self.kavo = Kavo("hotkey-f1").start()
        kavo.activate()
        kavo.press("F1")
        xdotool("mousemove", "--sync", 400, 500)
        wait_for(lambda: (kavo.text("编辑框4"), kavo.text("编辑框5")) == ("400", "500"),
                 what="the display to follow the cursor")
        xdotool("mousemove", "--sync", 410, 520)
        wait_for(lambda: (kavo.text("编辑框4"), kavo.text("编辑框5")) == ("410", "520"),
                 what="the display to follow the cursor again")
        kavo.press("F1")
        time.sleep(0.3)  # the poll sees F1 and stops the display
        frozen = (kavo.text("编辑框4"), kavo.text("编辑框5"))
        xdotool("mousemove", "--sync", 600, 300)
        time.sleep(0.3)
        self.assertEqual((kavo.text("编辑框4"), kavo.text("编辑框5")), frozen)
        self.assertEqual(kavo_gui.cursor_position(), (600, 300))


if __name__ == "__main__":
    kavo_gui.main()
