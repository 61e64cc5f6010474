"""Start-up: one main window, the single-instance rule, the exit code."""

import kavo_gui
from kavo_gui import Kavo, wait_for


class StartupTest(kavo_gui.SessionTest):
    def start(self, name):
        return super().start(name, activate=False)

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

    def test_exit_button_ends_the_process_with_zero(self):
        kavo = self.start("startup-exit")
        kavo.click("图片框1")
        self.assertEqual(kavo.wait_exit(timeout=30), 0)


if __name__ == "__main__":
    kavo_gui.main()
