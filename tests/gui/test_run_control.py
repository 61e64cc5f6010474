"""The user in control of every run: F12 stops a run from any window, nothing stays held, a short
tap of the bound key fires once, a faulty script is shown before anything hides, and GBK bytes
posted one by one arrive as one character."""

import statistics
import threading
import time

import kavo_gui
from kavo_gui import Fixture, answer, inspect, wait_for, windows_titled, xdotool

WM_KEYDOWN, WM_KEYUP, WM_CHAR = 0x0100, 0x0101, 0x0102


def tip_texts():
    """Texts of the visible tooltips (the notification-area icon's tip and balloon among them)."""
    return [line.split("\t", 4)[4] for line in inspect("tooltips").splitlines()
            if line.count("\t") >= 4]


def hover_tray_icon():
    """The pointer onto the notification area icon and a pixel on, so that its tip shows."""
    tray = wait_for(kavo_gui.tray_icon_window, what="the notification area icon")
    xdotool("mousemove", "--window", tray, 8, 8)
    xdotool("mousemove", "--window", tray, 10, 9)


def settled(count, quiet=0.4, timeout=10.0):
    """Waits until count() has not changed for `quiet` seconds; returns (value, when it last
    changed, measured from the call)."""
    start = time.monotonic()
    last, changed = count(), start
    while time.monotonic() - changed < quiet:
        if time.monotonic() - start > timeout:
            raise AssertionError(f"the count kept changing for {timeout} s (last {last})")
        time.sleep(0.005)  # between two looks
        value = count()
        if value != last:
            last, changed = value, time.monotonic()
    return last, changed - start


class RunControlTest(kavo_gui.SessionTest):
    def stop_with_f12_in_the_fixture(self):
        self.fixture.activate()
        before = len(self.fixture.posted_keys())
        xdotool("key", "F12")
        count, quiet_after = settled(lambda: len(self.fixture.posted_keys()))
        return before, count, quiet_after

    def test_f12_stops_a_direct_run_and_the_program_lives_on(self):
        self.fixture = Fixture("stop-direct-fixture")
        hwnd = self.fixture.hwnd
        kavo = self.start("stop-direct", {
            "脚本/长.txt": f"计次循环(100000,1)\n按键消息({hwnd},65,2)\n延时(20)\n计次循环尾(1)\n"})
        kavo.open_page("脚本", "长", shows="计次循环")
        kavo.click("go")
        wait_for(kavo.visible_windows, until=lambda shown: not shown, what="the window to hide")
        wait_for(self.fixture.posted_keys, until=lambda keys: len(keys) >= 5,
                 what="the run's first key messages")
        # The icon's tip tells a script runs and how to stop it.
        hover_tray_icon()
        wait_for(tip_texts, until=lambda tips: "KAVO脚本助手 - 运行中，按 F12 停止" in tips,
                 what="the running tip")
        before, after, quiet_after = self.stop_with_f12_in_the_fixture()
        # One post every 20 ms: a run that went on would have added dozens in the quiet time.
        self.assertLessEqual(after - before, 3)
        self.assertLess(quiet_after, 0.5)
        # The icon's balloon names the line the run was on (its title, 脚本已停止, is drawn
        # inside the balloon; the window's text is the message).
        wait_for(lambda: inspect("tooltips"), until=lambda tips: "停在第 3 行：延时(20)" in tips,
                 what="the stop balloon")
        kavo_gui.screenshot(kavo.folder + "/stopped.png")
        # With no run left the tip is the program's name again.
        xdotool("mousemove", 600, 900)
        hover_tray_icon()
        wait_for(tip_texts, until=lambda tips: "KAVO脚本助手" in tips, what="the tip without a run")
        self.assertIsNone(kavo.process.poll())
        self.assertTrue(kavo.windows())  # hidden, not gone
        # F12 went no further than the stop while the script ran; with no run it reaches the
        # focused window as any key does.
        f12_downs = lambda: [line for line in self.fixture.lines(WM_KEYDOWN)
                             if line.split()[1] == "0x0000007B"]
        self.assertEqual(f12_downs(), [])
        xdotool("key", "F12")
        wait_for(f12_downs, until=lambda downs: len(downs) == 1, what="F12 to reach the fixture")
        # The program still runs scripts: bring the window back and run again.
        kavo.show_from_tray()
        kavo.activate()
        # The gutter marks the line the run stopped on.
        wait_for(kavo.gutter, until=lambda text: "停止:3" in text, what="the stop's line marked")
        kavo.click("go")
        wait_for(self.fixture.posted_keys, until=lambda keys: len(keys) >= after + 3,
                 what="a second run")
        self.stop_with_f12_in_the_fixture()

    def test_f12_stops_a_hotkey_run(self):
        self.fixture = Fixture("stop-hotkey-fixture")
        hwnd = self.fixture.hwnd
        kavo = self.start("stop-hotkey", {
            "脚本/长.txt": f"计次循环(100000,1)\n按键消息({hwnd},66,2)\n延时(20)\n计次循环尾(1)\n"})
        kavo.open_page("脚本", "长", shows="计次循环")
        kavo.bind_hotkey("k", "K", process="KAVO_FIXTURE.EXE")
        answer("成功", what="the message box 成功")
        self.fixture.activate()
        kavo_gui.press("k")
        wait_for(self.fixture.posted_keys, until=lambda keys: len(keys) >= 5,
                 what="the hotkey's run")
        before, after, quiet_after = self.stop_with_f12_in_the_fixture()
        self.assertLessEqual(after - before, 3)
        self.assertLess(quiet_after, 0.5)
        self.assertIsNone(kavo.process.poll())

    def test_f12_cannot_be_bound(self):
        self.fixture = Fixture("stop-bind-fixture")
        kavo = self.start("stop-bind", {"脚本/一.txt": f"按键消息({self.fixture.hwnd},66,2)\n"})
        kavo.open_page("脚本", "一", shows="按键消息")
        kavo.bind_hotkey("F12", "F12", process="KAVO_FIXTURE.EXE")
        answer("失败", what="the message box 失败")
        # Positive control: F11 binds.
        kavo.bind_hotkey("F11", "F11")
        answer("成功", what="the message box 成功")

    def test_a_stopped_run_leaves_no_key_down(self):
        self.fixture = Fixture("stop-held-fixture")
        # 特殊按键 holds its key 50 ms of every 100: a stop lands inside a hold about half the
        # time, so several stops are tried.
        kavo = self.start("stop-held", {"脚本/按住.txt": "计次循环(100000,1)\n特殊按键(65)\n计次循环尾(1)\n"})
        kavo.open_page("脚本", "按住", shows="特殊按键")
        typed = lambda: [line for line in self.fixture.lines(WM_KEYDOWN, WM_KEYUP)
                         if line.split()[1] == "0x00000041" and not line.endswith("0x00000000")]
        for attempt in range(4):
            if attempt:
                kavo.show_from_tray()
                kavo.activate()
            kavo.click("go")
            wait_for(kavo.visible_windows, until=lambda shown: not shown,
                     what="the window to hide")
            self.fixture.activate()
            start = len(typed())
            wait_for(typed, until=lambda lines: len(lines) >= start + 4,
                     what="the run's key presses")
            # The person's F12 comes at a different phase of the hold each time.
            time.sleep(0.013 * attempt)
            xdotool("key", "F12")
            settled(lambda: len(typed()))
            lines = typed()
            # Every press was followed by its release: the last thing the key did was go up.
            self.assertTrue(lines[-1].startswith("0x0101"), lines[-4:])
            downs = sum(1 for line in lines if line.startswith("0x0100"))
            ups = sum(1 for line in lines if line.startswith("0x0101"))
            # Wine may add a release of its own when the fixture takes the focus in the middle
            # of a hold (it copies X's key map, where the injected key is up).
            self.assertLessEqual(downs, ups)

    def test_a_short_tap_of_the_bound_key_fires_once_at_the_press(self):
        self.fixture = Fixture("tap-fixture")
        kavo = self.start("tap", {"脚本/一.txt": f"按键消息({self.fixture.hwnd},67,2)\n"})
        kavo.open_page("脚本", "一", shows="按键消息")
        kavo.bind_hotkey("j", "J", process="KAVO_FIXTURE.EXE")
        answer("成功", what="the message box 成功")
        latencies = []
        for tap in range(8):
            self.fixture.activate()
            before = len(self.fixture.posted_keys())
            # The release follows 15 ms after the press, while this thread watches the log.
            release = threading.Timer(0.015, lambda: xdotool("keyup", "j"))
            start = time.monotonic()
            xdotool("keydown", "j")
            release.start()
            wait_for(self.fixture.posted_keys, until=lambda keys: len(keys) > before,
                     interval=0.001, what="the tap's run")
            latencies.append((time.monotonic() - start) * 1000)
            release.join()
            settled(lambda: len(self.fixture.posted_keys()), quiet=0.3)
            self.assertEqual(len(self.fixture.posted_keys()), before + 1, f"tap {tap}")
        print(f"15 ms tap, press to the run's message: median {statistics.median(latencies):.1f} ms "
              f"(of {[round(x, 1) for x in latencies]}; xdotool's own start included)")

    def test_a_faulty_script_is_shown_before_anything_hides_and_its_line_selected(self):
        kavo = self.start("fault", {"脚本/错.txt": "延时(1)\n延时(2)\n鼠标动(1,1)\n延时(3)\n"})
        kavo.open_page("脚本", "错", shows="鼠标动")
        kavo.click("go")
        wait_for(lambda: windows_titled("脚本错误"), what="the fault's message box")
        self.assertTrue(kavo.visible_windows())  # nothing hid
        kavo_gui.screenshot(kavo.folder + "/fault-box.png")
        kavo_gui.guide_picture("script-error", kavo_gui.union_rect(
            windows_titled(kavo_gui.TITLE)[0], kavo_gui.settled_window("脚本错误")))
        xdotool("key", "Return")
        wait_for(lambda: windows_titled("脚本错误"), until=lambda rows: not rows,
                 what="the box to close")
        self.assertTrue(kavo.visible_windows())
        # The gutter marks the line the fault names (and the check as typed found it too).
        wait_for(kavo.gutter, until=lambda text: "脚本错误:3" in text and "错误:3" in text,
                 what="the faulty line marked in the gutter")
        # Typing replaces the selection: exactly the faulty line was selected, in the editor.
        kavo.key("x")
        kavo.wait_text(kavo_gui.EDITOR, "延时(1)\n延时(2)\nx\n延时(3)\n",
                       what="the faulty line replaced by what was typed")
        # Mended, the marks go: the run's with the edit, the check's after the pause.
        wait_for(kavo.gutter, until=lambda text: "错误" not in text, what="the marks to go")

    def test_gbk_bytes_posted_one_by_one_arrive_as_one_character(self):
        self.fixture = Fixture("gbk-fixture")
        hwnd = self.fixture.hwnd
        kavo = self.start("gbk", {"脚本/信.txt": f"按键消息({hwnd},208,1)\n按键消息({hwnd},197,1)\n"
                                               f"按键消息({hwnd},65,1)\n"})
        kavo.open_page("脚本", "信", shows="208")
        kavo.click("go")
        wait_for(lambda: self.fixture.lines(WM_CHAR), until=lambda lines: len(lines) >= 2,
                 what="the characters")
        self.assertEqual(self.fixture.lines(WM_CHAR), [kavo_gui.log_line(WM_CHAR, 0x4FE1, 0),
                                                        kavo_gui.log_line(WM_CHAR, 65, 0)])


if __name__ == "__main__":
    kavo_gui.main()
