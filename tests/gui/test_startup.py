"""Start-up: one main window, the single-instance rule, the exit code."""

import kavo_gui
from kavo_gui import Kavo, spawn, stays, wait_for


class StartupTest(kavo_gui.SessionTest):
    def start(self, name, pages=None):
        return super().start(name, pages=pages, activate=False)

    def test_one_window_with_the_exact_title_and_size(self):
        kavo = self.start("startup-one")
        windows = kavo.visible_windows()
        self.assertEqual(len(windows), 1)
        self.assertEqual((windows[0]["width"], windows[0]["height"]), (600, 547))
        kavo_gui.screenshot(kavo.folder + "/startup.png")

    def test_second_start_while_visible_exits_with_zero(self):
        first = self.start("startup-first")
        second = Kavo("startup-second")
        second.start(wait=False)
        self.assertEqual(second.wait_exit(timeout=60), 0)
        self.assertEqual(len(first.visible_windows()), 1)
        self.assertEqual(len(first.windows()), 1)

    def test_second_start_while_hidden_starts_a_second_instance(self):
        first = self.start("startup-hidden-first")
        first.click("最小化")  # hides the main window to the notification area
        wait_for(first.visible_windows, until=lambda shown: not shown,
                 what="the first window to hide")
        second = self.start("startup-hidden-second")
        windows = second.windows()
        self.assertEqual(len(windows), 2)
        self.assertEqual(len([w for w in windows if w["visible"]]), 1)
        self.assertIsNone(second.process.poll())

    def test_second_start_from_the_same_folder_brings_back_the_hidden_one(self):
        """One program per library: a start from the folder of a program hidden in the
        notification area ends and the hidden one comes back; while a run keeps it hidden on
        purpose, it stays hidden (and says so in a balloon)."""
        first = self.start("startup-same-folder", pages={"目录/长.txt": "延时(60000)\n"})
        first.click("最小化")
        wait_for(first.visible_windows, until=lambda shown: not shown,
                 what="the first window to hide")
        again = spawn(["wine", first.exe], cwd=first.folder)
        self.assertEqual(again.wait(timeout=60), 0)
        wait_for(first.visible_windows, what="the hidden program to come back")
        self.assertEqual(len(first.windows()), 1)  # still the only main window
        # A run hides the window on purpose: another start leaves it hidden.
        first.open_page("目录", "长")
        first.click("go")
        wait_for(first.visible_windows, until=lambda shown: not shown,
                 what="the window to hide for the run")
        again = spawn(["wine", first.exe], cwd=first.folder)
        self.assertEqual(again.wait(timeout=60), 0)
        stays(lambda: not first.visible_windows(), 2, what="the running program to stay hidden")
        self.assertEqual(len(first.windows()), 1)
        kavo_gui.press("F12")

    def test_exit_button_ends_the_process_with_zero(self):
        kavo = self.start("startup-exit")
        kavo.click("图片框1")
        self.assertEqual(kavo.wait_exit(timeout=30), 0)


if __name__ == "__main__":
    kavo_gui.main()
