"""Windows named by what they are: scripts that post by process, title and class reach a target
started afresh exactly as its handle would; a name that matches nothing posts nothing and the
tray says where; F1 shows the window under the pointer and Insert writes its description."""

import subprocess
import time

import kavo_gui
from kavo_gui import Fixture, Kavo, inspect, wait_for, xdotool

WM_KEYDOWN, WM_KEYUP, WM_CHAR = 0x0100, 0x0101, 0x0102
POSTED = {WM_KEYDOWN, WM_KEYUP, WM_CHAR, 0x007B} | set(range(0x0200, 0x020F))
TITLE = "KavoNames 测试"
VK_INSERT = 0x2D


class WindowNamesTest(kavo_gui.SessionTest):
    def start(self, name, pages):
        self.kavo = Kavo(name, pages=pages)
        self.kavo.start()
        self.kavo.activate()
        return self.kavo

    def open_page(self, page, marker):
        kavo = self.kavo
        kavo.open_directory("脚本")
        wait_for(lambda: any(row["text"] == page and row["rect"][2] > 0 for row in kavo.tree()),
                 what="the page in the tree")
        kavo.click_tree_item(page)
        wait_for(lambda: marker in kavo.text("编辑框_脚本编辑区"), what="the page")

    def show_window_again(self):
        """A run hides the main window; the notification area icon brings it back."""
        kavo = self.kavo
        wait_for(lambda: not kavo.visible_windows(), what="the run to hide the window")
        tray = wait_for(kavo_gui.tray_icon_window, what="the notification area icon")
        xdotool("mousemove", "--window", tray, 8, 8)
        xdotool("click", 1)
        wait_for(lambda: kavo.visible_windows(), what="the window to come back")
        kavo.activate()

    def posted(self):
        """What the fixture and its two children logged of the messages scripts post."""
        # The real pointer's moves carry no button; a posted move always carries the right one.
        return [[line for line in self.fixture.lines(child=child)
                 if int(line.split()[0], 16) in POSTED and not line.startswith("0x0200 0x00000000")]
                for child in (0, 1, 2)]

    def posts_once_quiet(self):
        """The posts, once nothing new has come for a moment; None while they still come."""
        first = self.posted()
        time.sleep(0.3)
        return first if self.posted() == first else None

    def run_page(self, page, marker):
        """Runs a page with 直接运行 and returns what it posted to the fixture's three windows."""
        before = self.posted()
        self.open_page(page, marker)
        self.kavo.click("go")
        self.show_window_again()
        after = wait_for(self.posts_once_quiet, what="the posts to settle")
        return [lines[len(old):] for lines, old in zip(after, before)]

    def test_descriptions_reach_a_target_started_afresh_as_its_handle_would(self):
        # The target's earlier handle no longer means anything: it starts again.
        old = Fixture("names-fixture-old", TITLE, children=True)
        old_handle = old.hwnd
        old.stop()
        self.fixture = Fixture("names-fixture", TITLE, children=True)
        hwnd, (child1, child2) = self.fixture.hwnd, self.fixture.children
        self.assertNotEqual(hwnd, old_handle)
        by_name = ("按键消息(进程:kavo_fixture.exe,66,5)\n"
                   "鼠标消息(标题:KavoNames 测试,10,20,2,2)\n"
                   "按键消息(进程：KAVO_FIXTURE.EXE;标题:KavoNames*,208,1)\n"
                   "按键消息(标题:KavoNames ??,197,1)\n"
                   "按键消息(进程:kavo_fixture.exe>类:KavoFixtureChild#2,67,2)\n"
                   "鼠标消息(进程:kavo_fixture.exe>类:kavofixturechild,30,40,1,1)\n"
                   "鼠标消息(类:KavoFixtureWindow>标题:子窗口2,5,6,4,0)\n")
        by_handle = (f"按键消息({hwnd},66,5)\n"
                     f"鼠标消息({hwnd},10,20,2,2)\n"
                     f"按键消息({hwnd},208,1)\n"
                     f"按键消息({hwnd},197,1)\n"
                     f"按键消息({child2},67,2)\n"
                     f"鼠标消息({child1},30,40,1,1)\n"
                     f"鼠标消息({child2},5,6,4,0)\n")
        self.start("names-post", {"脚本/名.txt": by_name, "脚本/号.txt": by_handle})
        xdotool("mousemove", "--sync", 1270, 1010)  # the real pointer stays off the windows
        from_names = self.run_page("名", "进程:kavo_fixture.exe")
        from_handles = self.run_page("号", f"按键消息({hwnd}")
        # The same messages, the posted ones in the same order; a character the fixture makes
        # of a posted key down (TranslateMessage) may come before or after the next post.
        self.assertEqual([sorted(lines) for lines in from_names],
                         [sorted(lines) for lines in from_handles])
        made = {kavo_gui.log_line(WM_CHAR, ord(c), 0) for c in "bc"}  # of B's and C's downs
        self.assertEqual([[line for line in lines if line not in made] for lines in from_names],
                         [[line for line in lines if line not in made] for lines in from_handles])
        main, first, second = from_handles
        self.assertIn(kavo_gui.log_line(WM_KEYDOWN, 66, 0), main)
        self.assertIn(kavo_gui.log_line(WM_CHAR, 0x4FE1, 0), main)  # 信 from its two bytes
        self.assertIn(kavo_gui.log_line(0x0201, 1, 40 * 65536 + 30), first)
        self.assertIn(kavo_gui.log_line(WM_KEYDOWN, 67, 0), second)

    def test_a_name_that_matches_nothing_posts_nothing_and_the_tray_names_the_line(self):
        self.fixture = Fixture("names-missing-fixture", TITLE, children=True)
        hwnd = self.fixture.hwnd
        wrong = ("延时(1)\n按键消息(进程:kavo_fixtur.exe,71,2)\n"
                 f"按键消息({hwnd},72,2)\n鼠标消息(进程:kavo_fixtur.exe,1,2,0,1)\n")
        right = wrong.replace("kavo_fixtur.exe", "kavo_fixture.exe")
        self.start("names-missing", {"脚本/错.txt": wrong, "脚本/对.txt": right})
        xdotool("mousemove", "--sync", 1270, 1010)
        # Positive control: with the right name every statement posts.
        main, first, second = self.run_page("对", "kavo_fixture.exe")
        self.assertEqual([line for line in main if int(line.split()[0], 16) == WM_KEYDOWN],
                         [kavo_gui.log_line(WM_KEYDOWN, 71, 0), kavo_gui.log_line(WM_KEYDOWN, 72, 0)])
        self.assertIn(kavo_gui.log_line(0x0201, 1, 2 * 65536 + 1), main)
        # With a wrong name nothing is posted anywhere, and the run stops at that line.
        self.assertEqual(self.run_page("错", "kavo_fixtur.exe,71"), [[], [], []])
        wait_for(lambda: "找不到窗口：进程:kavo_fixtur.exe（第 2 行）" in inspect("tooltips"),
                 what="the balloon naming the window and the line")
        kavo_gui.screenshot(self.kavo.folder + "/not-found.png")

    def test_awaiting_a_window_goes_on_once_it_shows_and_stops_the_run_when_it_never_does(self):
        pages = {"脚本/等.txt": f"等待窗口(标题:{TITLE},30000)\n按键消息(标题:{TITLE},66,5)\n",
                 "脚本/超.txt": "等待窗口(标题:没有这个窗口,500)\n按键消息(标题:KavoNames*,67,5)\n"}
        self.start("names-await", pages)
        xdotool("mousemove", "--sync", 1270, 1010)
        # The run starts with no such window and waits; the window shows a while later and the
        # statement after the wait reaches it.
        self.open_page("等", "30000")
        self.kavo.click("go")
        wait_for(lambda: not self.kavo.visible_windows(), what="the run to hide the window")
        time.sleep(1.5)
        self.fixture = Fixture("names-await-fixture", TITLE)
        wait_for(lambda: kavo_gui.log_line(WM_KEYDOWN, 66, 0) in self.fixture.lines(),
                 timeout=30, what="the key posted once the window showed")
        self.show_window_again()
        self.assertNotIn("窗口没有出现", inspect("tooltips"))
        # A window that never shows: the run stops when the time is up, the tray says where,
        # and the statement after it posts nothing (to the window that is there).
        self.open_page("超", "没有这个窗口")
        self.kavo.click("go")
        self.show_window_again()
        wait_for(lambda: "等了 500 毫秒，窗口没有出现：标题:没有这个窗口（第 1 行）" in inspect("tooltips"),
                 what="the balloon naming the window and the line")
        time.sleep(0.5)
        self.assertNotIn(kavo_gui.log_line(WM_KEYDOWN, 67, 0), self.fixture.lines())

    def test_activating_a_window_sends_the_keys_typed_after_it_there(self):
        self.fixture = Fixture("names-activate-fixture", TITLE)
        other = Fixture("names-activate-other", "KavoNames 其他")
        pages = {"脚本/切.txt": f"激活窗口(标题:{TITLE})\n按键(kv,30)\n",
                 "脚本/不切.txt": "延时(1)\n按键(kv,30)\n"}
        self.start("names-activate", pages)
        xdotool("mousemove", "--sync", 1270, 1010)
        typed = [kavo_gui.log_line(WM_KEYDOWN, ord(c), 0)[:15] for c in "KV"]

        def keys(fixture):
            return [line[:15] for line in fixture.lines(WM_KEYDOWN)]

        for page, marker, activating in (("不切", "延时(1)", False), ("切", "激活窗口", True)):
            # The other window is the one in front once the program hides for the run.
            other.activate()
            self.kavo.activate()
            target, elsewhere = (self.fixture, other) if activating else (other, self.fixture)
            before = {window: len(keys(window)) for window in (target, elsewhere)}
            self.open_page(page, marker)
            self.kavo.click("go")
            self.show_window_again()
            wait_for(lambda: keys(target)[before[target]:] == typed, timeout=15,
                     what=f"the keys of {page} in {target.title}")
            # Positive control and the point: without 激活窗口 they go to the window in front.
            self.assertEqual(keys(elsewhere)[before[elsewhere]:], [], page)

    def test_an_unsound_description_is_a_script_error_naming_its_line(self):
        self.start("names-unsound", {"脚本/坏.txt": "延时(1)\n按键消息(进程:a.exe;窗口:x,1,2)\n"})
        self.open_page("坏", "窗口:x")
        self.kavo.click("go")
        wait_for(lambda: message_box("脚本错误"), what="the fault's message box")
        self.assertTrue(self.kavo.visible_windows())  # nothing ran, nothing hid
        xdotool("key", "Return")
        wait_for(lambda: not message_box("脚本错误"), what="the box to close")

    def test_f1_shows_the_window_under_the_pointer_and_insert_describes_it(self):
        self.fixture = Fixture("names-spy-fixture", TITLE, children=True)
        hwnd, (_, child2) = self.fixture.hwnd, self.fixture.children
        kavo = self.start("names-spy", {"脚本/窥.txt": "按键消息(,66,2)\n按键消息(,67,2)\n"})
        self.open_page("窥", "按键消息(,66,2)")
        editor = kavo.control("编辑框_脚本编辑区")

        def caret(*keys):
            """Clicks into the editor where no panel covers it, then moves the caret."""
            kavo.activate()
            kavo.click_at(editor.screen_x + 60, editor.screen_y + editor.height - 30)
            kavo.key("ctrl+Home", *keys)

        caret("End", *["Left"] * 6)  # after the first "("
        kavo.press("F1")

        # The fixture in front, with the focus: the display and its keys work from any window.
        fixture_window = self.fixture.x_window()
        xdotool("windowactivate", "--sync", fixture_window)
        left, top, width, height = kavo_gui.window_geometry(fixture_window)
        # Below the two children, in the fixture's own client area.
        xdotool("mousemove", "--sync", left + width // 2, top + height - 40)
        wait_for(lambda: kavo.text("编辑框_句柄") == str(hwnd), what="the window's handle")
        self.assertEqual(kavo.text("编辑框_类名"), "KavoFixtureWindow")
        self.assertEqual(kavo.text("编辑框_进程"), "kavo_fixture.exe")
        self.assertEqual(kavo.text("编辑框_标题"), TITLE)
        self.assertEqual(kavo.text("编辑框_颜色"), "16777215 #FFFFFF")  # the window's white
        panel = kavo.control("高级选择夹1")
        shot = kavo_gui.screenshot(kavo.folder + "/spy-screen.png")
        subprocess.run(["convert", shot, "-crop",
                        f"{panel.width}x{panel.height}+{panel.screen_x}+{panel.screen_y}",
                        kavo.folder + "/spy-panel.png"], check=True, timeout=60)

        # Insert is the program's: the description goes in at the editor's caret, and the
        # focused fixture never sees the key.
        xdotool("key", "Insert")
        description = f"进程:kavo_fixture.exe;标题:{TITLE}"
        wait_for(lambda: f"按键消息({description},66,2)" in kavo.text("编辑框_脚本编辑区"),
                 what="the description at the caret")

        # Over the second child, a description that goes down to it.
        caret("Down", "Home", *["Right"] * 5)  # after the second "("
        xdotool("windowactivate", "--sync", fixture_window)
        xdotool("mousemove", "--sync", left + width // 2 + 60, top + 90)
        wait_for(lambda: kavo.text("编辑框_句柄") == str(child2), what="the child's handle")
        self.assertEqual(kavo.text("编辑框_类名"), "KavoFixtureChild")
        self.assertEqual(kavo.text("编辑框_标题"), "子窗口2")
        xdotool("key", "Insert")
        child = f"{description}>类:KavoFixtureChild#2"
        wait_for(lambda: f"按键消息({child},67,2)" in kavo.text("编辑框_脚本编辑区"),
                 what="the child's description")
        insert_downs = lambda: [line for line in self.fixture.lines(WM_KEYDOWN, child=2) +
                                self.fixture.lines(WM_KEYDOWN)
                                if int(line.split()[1], 16) == VK_INSERT]
        self.assertEqual(insert_downs(), [])

        # Page Up writes the glide to the pointer's point, on a line of its own.
        caret("ctrl+End")
        x, y = kavo_gui.cursor_position()
        kavo.key("Prior")
        wait_for(lambda: kavo.text("编辑框_脚本编辑区").endswith(f"鼠标移动({x},{y})\n"),
                 what="the glide at the end")

        # F1 again ends the display and gives Insert back (positive control of the keeping).
        kavo.press("F1")
        time.sleep(0.3)
        xdotool("windowactivate", "--sync", fixture_window)
        xdotool("key", "Insert")
        wait_for(lambda: insert_downs(), what="Insert to reach the focused fixture")

        # What the keys wrote reaches those windows and that point when the script runs.
        xdotool("mousemove", "--sync", 1270, 1010)
        kavo.activate()
        kavo.click("go")
        wait_for(lambda: kavo_gui.log_line(WM_KEYDOWN, 66, 0) in self.fixture.lines(WM_KEYDOWN),
                 what="the key posted to the described window")
        wait_for(lambda: kavo_gui.log_line(WM_KEYDOWN, 67, 0) in
                 self.fixture.lines(WM_KEYDOWN, child=2), what="the key posted to the child")
        wait_for(lambda: kavo_gui.cursor_position() == (x, y), what="the glide to the point")


def message_box(caption):
    """The visible top-level windows titled caption."""
    rows = []
    for line in inspect("windows", caption).splitlines():
        parts = line.split("\t")
        if parts[0] == "window" and parts[2] == "1":
            rows.append(int(parts[1]))
    return rows


if __name__ == "__main__":
    kavo_gui.main()
