"""录制脚本: what the user does to another window, recorded from F9 to F9, plays back as the same
button and key messages at the same points; the record and stop keys, the program's own windows
and a click that ends a recording stay out of it."""

import os
import time

import kavo_gui
from kavo_gui import EDITOR, Fixture, inspect, wait_for, xdotool

BUTTONS = set(range(0x0201, 0x020A)) | {0x020A}  # downs, ups, double clicks, the wheel
KEYS = {0x0100, 0x0101, 0x0104, 0x0105}
TITLE = "KavoRecordTarget"
VK_F9, VK_F12 = 0x78, 0x7B


def settle():
    # Lets Wine's focus handling and the hooks' threads finish with what just happened.
    time.sleep(0.4)


class RecordingTest(kavo_gui.SessionTest):
    def record(self, actions, end="F9"):
        """Starts a recording with F9 from the main window, does the actions, ends it with the
        key and returns the editor's text once the window is back."""
        kavo = self.kavo
        kavo.activate()
        kavo.press("F9")
        wait_for(lambda: not kavo.visible_windows(), what="the window to get out of the way")
        settle()
        actions()
        settle()
        kavo.press(end)
        wait_for(kavo.visible_windows, what="the window to come back when the recording ends")
        return kavo.wait_text(EDITOR, lambda text: "鼠标" in text or "按键" in text,
                              what="the recorded statements in the editor")

    def fixture_point(self, x, y):
        left, top, _, _ = self.geometry
        return left + x, top + y

    def click(self, x, y, button=1):
        sx, sy = self.fixture_point(x, y)
        xdotool("mousemove", "--sync", sx, sy)
        xdotool("click", button)
        time.sleep(0.25)

    def logged(self, since):
        lines = self.fixture.lines()[since:]
        kept = []
        for line in lines:
            message, wparam, lparam = (int(field, 16) for field in line.split())
            if message in BUTTONS:
                kept.append(line)
            elif message in KEYS:
                kept.append(kavo_gui.log_line(message, wparam, 0))
        return kept

    def start_both(self, name):
        self.start(name, {"录制/页.txt": "延时(1)\n"})
        self.kavo.open_page("录制", "页", shows="延时(1)")
        self.fixture = Fixture(name + "-target", TITLE)
        x_window = self.fixture.activate()
        self.geometry = kavo_gui.window_geometry(x_window)

    def test_a_recording_plays_back_the_same_clicks_drag_and_keys(self):
        self.start_both("record-playback")

        def actions():
            self.click(40, 40)
            self.click(200, 60)
            self.click(120, 150)
            # A drag: press, move, release.
            sx, sy = self.fixture_point(60, 200)
            ex, ey = self.fixture_point(300, 120)
            xdotool("mousemove", "--sync", sx, sy)
            xdotool("mousedown", 1)
            time.sleep(0.2)
            xdotool("mousemove", "--sync", (sx + ex) // 2, (sy + ey) // 2)
            time.sleep(0.1)
            xdotool("mousemove", "--sync", ex, ey)
            time.sleep(0.2)
            xdotool("mouseup", 1)
            time.sleep(0.3)
            xdotool("type", "--delay", 120, "ab12")
            time.sleep(0.5)
            # Ctrl+A as a person presses it (xdotool's own key holds each key about 12 ms).
            xdotool("keydown", "ctrl")
            time.sleep(0.15)
            xdotool("keydown", "a")
            time.sleep(0.1)
            xdotool("keyup", "a")
            time.sleep(0.15)
            xdotool("keyup", "ctrl")
            time.sleep(0.5)
            self.click(250, 180, button=3)

        text = self.record(actions)
        recorded = self.logged(0)
        self.recorded_count = len(recorded)
        kavo_gui.screenshot(os.path.join(self.kavo.folder, "recorded.png"))
        with open(os.path.join(self.kavo.folder, "recorded.txt"), "w") as f:
            f.write(text)
        # What the writer made of it reads as the language's own statements.
        self.assertIn("鼠标(左键)", text)
        self.assertIn("鼠标(右键)", text)
        self.assertIn("鼠标(左键按下)", text)
        self.assertIn("按键(ab12,", text)
        self.assertNotIn("特殊按键(120)", text)  # F9 itself is not in it
        self.assertIn(kavo_gui.log_line(0x0201, 1, 40 * 65536 + 40), recorded)
        # Play it back. Wine: when a click follows a 鼠标移动 at once, the target's own X driver
        # may still report one of the glide's earlier positions (the more so the busier the
        # machine), and the click lands there; a playback that differs only in such points is
        # played again, at most three times in all. The kinds and order never get a second try.
        self.maxDiff = None
        for attempt in range(3):
            playback = self.play_back()
            self.assertEqual([without_point(line) for line in playback],
                             [without_point(line) for line in recorded])
            if playback == recorded:
                break
            print(f"playback {attempt + 1} differed in points only: {playback}")
            if attempt < 2:
                self.kavo.show_from_tray()
        # Still short after three on a loaded machine: each point within what a lag of about
        # 30 ms of the glide (1 px/ms) leaves it short; the clicks lie 80 px and more apart.
        for played_line, recorded_line in zip(playback, recorded):
            self.assertLessEqual(point_distance(played_line, recorded_line), 32,
                                 f"{played_line} played where {recorded_line} was recorded")

    def play_back(self):
        before = len(self.fixture.lines())
        self.kavo.activate()
        self.kavo.click("go")
        wait_for(lambda: not self.kavo.visible_windows(), what="the run to hide the window")

        def played():
            first = self.logged(before)
            time.sleep(0.6)
            again = self.logged(before)
            return again if again == first and len(again) >= self.recorded_count else None

        return wait_for(played, timeout=60, what="the playback to settle")

    def test_start_and_end_rules(self):
        self.start_both("record-rules")
        kavo = self.kavo
        cases = {
            # F12 ends a recording as F9 does; neither is in it, and the last click is.
            "F12": ("F12", lambda: self.click(100, 100)),
            "F9": ("F9", lambda: self.click(150, 110)),
        }
        for name, (end, actions) in cases.items():
            with self.subTest(end=name):
                kavo.activate()
                xdotool("key", "ctrl+a", "Delete")
                text = self.record(actions, end=end)
                self.assertIn("鼠标(左键)", text)
                self.assertNotIn("特殊按键(120)", text)
                self.assertNotIn("特殊按键(123)", text)
                self.assertNotIn("按住(120)", text)
        # The program's own windows are not recorded: a click on its own editor during a
        # recording is left out while a click on the target beside it is in.
        kavo.activate()
        xdotool("key", "ctrl+a", "Delete")

        def own_and_other():
            # The main window hides while recording; 直接运行's balloon is not there either.
            # Its tray icon is the program's: a click there ends the recording and is no part
            # of it.
            self.click(60, 60)
            kavo_gui.click_tray_icon()

        kavo.activate()
        kavo.press("F9")
        wait_for(lambda: not kavo.visible_windows(), what="the recording to start")
        settle()
        own_and_other()
        wait_for(kavo.visible_windows, what="the tray click to end the recording")
        text = kavo.wait_text(EDITOR, lambda t: "鼠标" in t, what="the recording")
        self.assertEqual(text.count("鼠标(左键)"), 1, text)

    def test_no_recording_while_a_script_runs_and_no_run_while_recording(self):
        self.start("record-refusals", {"录制/长.txt": "延时(8000)\n"})
        kavo = self.kavo
        kavo.open_page("录制", "长", shows="延时(8000)")
        kavo.click("go")
        wait_for(lambda: not kavo.visible_windows(), what="the run to hide the window")
        kavo_gui.press("F9")
        wait_for(lambda: "脚本正在运行，不能开始录制" in inspect("tooltips"),
                 what="the refusal of a recording while a script runs")
        kavo_gui.press("F12")
        # Positive control: with no run going on, F9 starts a recording.
        kavo.show_from_tray()
        kavo.activate()
        kavo.press("F9")
        wait_for(lambda: not kavo.visible_windows(), what="the recording to start")
        wait_for(lambda: "按 F9 或 F12 结束录制" in inspect("tooltips"),
                 what="the balloon naming the end keys")
        kavo.press("F9")
        wait_for(kavo.visible_windows, what="the recording to end")
        wait_for(lambda: "没有录到任何操作" in inspect("tooltips"), what="the empty recording")

    def test_the_options_file_chooses_the_key_and_leaves_out_the_keyboard(self):
        settings = "录制鼠标=真\r\n录制键盘=假\r\n录制键代码=118\r\n".encode("gbk")
        self.start("record-options", {"录制/页.txt": "延时(1)\n"}, files={"record.ini": settings})
        kavo = self.kavo
        kavo.open_page("录制", "页", shows="延时(1)")
        # 录制选项 is the last item of 操作; it shows what the file says.
        kavo.choose_from_menu("超级按钮2", ["Up", "Return"], what="the 操作 menu")
        options = kavo_gui.settled_window("录制选项")
        kavo_gui.screenshot(os.path.join(kavo.folder, "options.png"))
        kavo_gui.guide_picture("record-options", kavo_gui.rect_of(options))
        kavo_gui.answer("录制选项", key="Escape")
        self.fixture = Fixture("record-options-target", TITLE)
        origin = kavo_gui.window_geometry(self.fixture.activate())
        kavo.activate()
        # F9 is no record key now: nothing starts (the F7 below is the positive control).
        kavo.press("F9")
        kavo_gui.stays(kavo.visible_windows, 1.0, what="the window while F9 does nothing")
        kavo.press("F7")
        wait_for(lambda: not kavo.visible_windows(), what="F7 to start a recording")
        settle()
        xdotool("mousemove", "--sync", origin[0] + 70, origin[1] + 80)
        xdotool("click", 1)
        time.sleep(0.3)
        xdotool("type", "--delay", 100, "xyz")
        settle()
        kavo.press("F7")
        wait_for(kavo.visible_windows, what="F7 to end the recording")
        text = kavo.wait_text(EDITOR, lambda t: "鼠标(左键)" in t, what="the recording")
        self.assertIn(f"鼠标移动({origin[0] + 70},{origin[1] + 80})", text)
        self.assertNotIn("按键(", text)
        self.assertNotIn("特殊按键", text)


def without_point(line):
    message, wparam, lparam = line.split()
    return (message, wparam) if int(message, 16) in BUTTONS else (message, wparam, lparam)


def point_distance(first, second):
    """How far apart the points of two log lines are (0 for key lines, which carry none)."""
    if int(first.split()[0], 16) not in BUTTONS:
        return 0
    (x1, y1), (x2, y2) = [(int(line.split()[2], 16) & 0xFFFF, int(line.split()[2], 16) >> 16)
                          for line in (first, second)]
    return max(abs(x1 - x2), abs(y1 - y2))

if __name__ == "__main__":
    kavo_gui.main()
