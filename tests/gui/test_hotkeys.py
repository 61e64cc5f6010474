"""Binding the editor's script to a key, and F1's cursor display, with real keys."""

import statistics
import time

import kavo_gui
from kavo_gui import Fixture, answer, wait_for, xdotool


class HotkeyTest(kavo_gui.SessionTest):
    def test_a_bound_key_runs_the_editors_text_of_the_moment(self):
        self.fixture = Fixture("hotkey-fixture")
        hwnd = self.fixture.hwnd
        kavo = self.start("hotkey-bind", pages={
            "脚本/第一.txt": f"按键消息({hwnd},66,2)\n",
            "脚本/第二.txt": f"按键消息({hwnd},67,2)\n"})
        kavo.open_page("脚本", "第一", shows="66")

        kavo.bind_hotkey("k", "K", process="KAVO_FIXTURE.EXE")  # names match in any letter case
        answer("成功", what="the message box 成功")

        latencies = []
        for press in range(5):
            before = len(self.fixture.posted_keys())
            self.fixture.activate()
            start = time.monotonic()
            xdotool("keydown", "k")
            wait_for(self.fixture.posted_keys, until=lambda keys: len(keys) > before,
                     interval=0.002, what="the bound script's message")
            latencies.append((time.monotonic() - start) * 1000)
            xdotool("keyup", "k")
            time.sleep(0.15)  # a person's pause between two presses, longer than the 50 ms poll
        self.assertEqual(set(self.fixture.posted_keys()), {kavo_gui.log_line(0x100, 66, 0)})
        print(f"hotkey press to first effect: median {statistics.median(latencies):.0f} ms "
              f"(of {[round(x) for x in latencies]})")

        # The run hid the main window; bring it back, show another page, press again.
        wait_for(kavo.visible_windows, until=lambda shown: not shown,
                 what="the run to hide the window")
        kavo.show_from_tray()
        kavo.activate()
        kavo.open_page("脚本", "第二", shows="67")
        self.fixture.activate()
        kavo_gui.press("k")
        wait_for(self.fixture.posted_keys,
                 until=lambda keys: kavo_gui.log_line(0x100, 67, 0) in keys,
                 what="the edited script's message")

    def test_an_empty_process_name_binds_nothing(self):
        self.fixture = Fixture("hotkey-empty-fixture")
        kavo = self.start("hotkey-empty", pages={
            "脚本/第一.txt": f"按键消息({self.fixture.hwnd},66,2)\n"})
        kavo.bind_hotkey("j", "J")
        answer("失败", what="the message box 失败")
        self.fixture.activate()
        kavo_gui.press("j")
        # A hotkey would have fired within half a second (the poll looks every 50 ms).
        kavo_gui.stays(self.fixture.posted_keys, 0.5, until=lambda keys: keys == [],
                       what="no posted key message")
        self.assertEqual(self.fixture.posted_keys(), [])
        self.assertTrue(kavo.visible_windows())  # nothing ran, nothing hid the window

    def test_hotkey_edit_shows_key_names_only(self):
        kavo = self.start("hotkey-names")
        kavo.click("编辑框_启动热键")
        for key, shown in [("a", "A"), ("space", "空格键"), ("Home", "Home"), ("F5", "F5"),
                           ("Return", "")]:
            with self.subTest(key=key):
                kavo.key(key)
                kavo.wait_text("编辑框_启动热键", shown, what=f"{shown!r}")

    def test_f1_starts_then_freezes_the_cursor_display(self):
        kavo = self.start("hotkey-f1")
        kavo.press("F1")
        xdotool("mousemove", "--sync", 400, 500)
        kavo.wait_coordinates(400, 500, what="the display to follow the cursor")
        xdotool("mousemove", "--sync", 410, 520)
        kavo.wait_coordinates(410, 520, what="the display to follow the cursor again")
        kavo.press("F1")
        time.sleep(0.3)  # a person's pause between pressing F1 and moving the mouse on
        frozen = kavo.coordinates_shown()
        xdotool("mousemove", "--sync", 600, 300)
        # A running display (a 1 ms timer) would show the move well within 0.3 s.
        kavo_gui.stays(kavo.coordinates_shown, 0.3, until=lambda shown: shown == frozen,
                       what="the frozen display")
        self.assertEqual(kavo.coordinates_shown(), frozen)
        self.assertEqual(kavo_gui.cursor_position(), (600, 300))


if __name__ == "__main__":
    kavo_gui.main()
