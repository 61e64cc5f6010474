"""Closing the main window ends the program, also in the middle of a run; the editor's shortcuts
belong to the editor and leave the other edit boxes their own Ctrl+C, Ctrl+V and Ctrl+A."""

import time

import kavo_gui
from kavo_gui import Fixture, Kavo, wait_for


class ClosingTest(kavo_gui.SessionTest):
    def test_closing_during_a_run_ends_the_process_and_the_run(self):
        self.fixture = Fixture("close-run-fixture")
        script = (f"计次循环(100000,1)\n按键消息({self.fixture.hwnd},65,5)\n延时(20)\n"
                  "计次循环尾(1)\n")
        self.kavo = kavo = Kavo("close-run", pages={"脚本/长.txt": script})
        kavo.start()
        kavo.activate()
        kavo.click_tree_item("脚本", double=True)
        wait_for(lambda: kavo.tree()[0]["expanded"], what="the directory to open")
        kavo.click_tree_item("长")
        wait_for(lambda: "按键消息" in kavo.text("编辑框_脚本编辑区"), what="the page")
        kavo.click("go")
        wait_for(lambda: not kavo.visible_windows(), what="the window to hide")
        keys = lambda: len(self.fixture.lines(0x0100))
        # The run is going: key messages keep arriving.
        wait_for(lambda: keys() >= 5, what="the run's first key messages")
        tray = wait_for(kavo_gui.tray_icon_window, what="the notification area icon")
        kavo_gui.xdotool("mousemove", "--window", tray, 8, 8)
        kavo_gui.xdotool("click", 1)
        wait_for(lambda: kavo.visible_windows(), what="the window to come back")
        before_close = keys()
        wait_for(lambda: keys() > before_close, what="the run to go on while the window is shown")
        kavo.activate()
        kavo.click("图片框1")
        self.assertEqual(kavo.wait_exit(timeout=5), 0)
        kavo.process = None
        settled = keys()
        time.sleep(0.5)  # the run posted a key every 20 ms; half a second shows it has stopped
        self.assertEqual(keys(), settled)


class ShortcutTest(kavo_gui.SessionTest):
    def test_ctrl_v_in_the_process_box_pastes_there_and_leaves_the_editor(self):
        self.kavo = kavo = Kavo("shortcuts", pages={"脚本/页.txt": "延时(1)\n"})
        kavo.start()
        kavo.activate()
        kavo.click_tree_item("脚本", double=True)
        wait_for(lambda: kavo.tree()[0]["expanded"], what="the directory to open")
        kavo.click_tree_item("页")
        wait_for(lambda: "延时" in kavo.text("编辑框_脚本编辑区"), what="the page")

        kavo.click("编辑框2")
        kavo.type_text("notepad.exe")
        kavo.key("ctrl+a", "ctrl+c", "End", "ctrl+v")
        wait_for(lambda: kavo.text("编辑框2") == "notepad.exenotepad.exe",
                 what="the paste in the process box")
        self.assertEqual(kavo.text("编辑框_脚本编辑区").strip(), "延时(1)")

        # Positive control: with the focus in the editor the same keys act on the editor.
        kavo.click("编辑框_脚本编辑区")
        kavo.key("ctrl+End", "ctrl+v")
        wait_for(lambda: "notepad.exe" in kavo.text("编辑框_脚本编辑区"),
                 what="the paste in the editor")
        self.assertEqual(kavo.text("编辑框2"), "notepad.exenotepad.exe")

    def test_enter_and_escape_close_the_about_window(self):
        self.kavo = kavo = Kavo("about-escape")
        kavo.start()
        kavo.activate()
        about = lambda: kavo_gui.xdotool("search", "--onlyvisible", "--name", "^需要源码请我$")
        for attempt in range(2):
            kavo.click("超级按钮1")
            _, (x, y, _, _) = wait_for(kavo_gui.menus, what="the program menu")[0]
            kavo.click_at(x + 20, y + 10)  # 关于, the menu's first item
            window = wait_for(about, what="the about window").split()[0]
            kavo_gui.xdotool("windowactivate", "--sync", window)
            kavo_gui.xdotool("key", "Return" if attempt == 0 else "Escape")
            wait_for(lambda: not about(), what="the about window to close")


if __name__ == "__main__":
    kavo_gui.main()
