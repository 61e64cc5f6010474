"""Closing the main window ends the program, also in the middle of a run; the editor's shortcuts
belong to the editor and leave the other edit boxes their own Ctrl+C, Ctrl+V and Ctrl+A."""

import os

import kavo_gui
from kavo_gui import Fixture, wait_for


def read_gbk(path):
    with open(path, "rb") as f:
        return f.read().decode("gbk", errors="replace")


class ClosingTest(kavo_gui.SessionTest):
    def test_closing_during_a_run_ends_the_process_and_the_run(self):
        self.fixture = Fixture("close-run-fixture")
        script = (f"计次循环(100000,1)\n按键消息({self.fixture.hwnd},65,5)\n延时(20)\n"
                  "计次循环尾(1)\n")
        kavo = self.start("close-run", pages={"脚本/长.txt": script})
        kavo.open_page("脚本", "长", shows="按键消息")
        kavo.click("go")
        wait_for(kavo.visible_windows, until=lambda shown: not shown, what="the window to hide")
        keys = lambda: len(self.fixture.lines(0x0100))
        # The run is going: key messages keep arriving.
        wait_for(keys, until=lambda count: count >= 5, what="the run's first key messages")
        kavo.show_from_tray()
        before_close = keys()
        wait_for(keys, until=lambda count: count > before_close,
                 what="the run to go on while the window is shown")
        kavo.activate()
        kavo.click("图片框1")
        self.assertEqual(kavo.wait_exit(timeout=5), 0)
        settled = keys()
        # The run posted a key every 20 ms; half a second without one shows it has stopped.
        kavo_gui.stays(keys, 0.5, until=lambda count: count == settled,
                       what="no key message after the program ended")
        self.assertEqual(keys(), settled)


class ShortcutTest(kavo_gui.SessionTest):
    def test_ctrl_v_in_the_process_box_pastes_there_and_leaves_the_editor(self):
        kavo = self.start("shortcuts", pages={"脚本/页.txt": "延时(1)\n"})
        kavo.open_page("脚本", "页", shows="延时")

        kavo.click("编辑框2")
        kavo.type_text("notepad.exe")
        kavo.key("ctrl+a", "ctrl+c", "End", "ctrl+v")
        kavo.wait_text("编辑框2", "notepad.exenotepad.exe", what="the paste in the process box")
        self.assertEqual(kavo.editor_text().strip(), "延时(1)")

        # Positive control: with the focus in the editor the same keys act on the editor.
        kavo.click(kavo_gui.EDITOR)
        kavo.key("ctrl+End", "ctrl+v")
        kavo.wait_text(kavo_gui.EDITOR, lambda text: "notepad.exe" in text,
                       what="the paste in the editor")
        self.assertEqual(kavo.text("编辑框2"), "notepad.exenotepad.exe")

    def test_ctrl_s_and_ctrl_f_act_whichever_box_has_the_focus(self):
        """保存 and 搜索文本 are the window's: they act with the focus in the process or the
        hotkey box too (the editing keys stay the box's own, as the test above shows)."""
        kavo = self.start("shortcuts-save", pages={"脚本/页.txt": "延时(1)\n"})
        kavo.open_page("脚本", "页", shows="延时")
        page = os.path.join(kavo.folder, "content", "脚本", "页.txt")
        editor = kavo.control(kavo_gui.EDITOR)
        for box, edit in [("编辑框2", "abc"), ("编辑框_启动热键", "xyz")]:
            with self.subTest(box=box):
                # Below the panels that roll down over the editor's top.
                kavo.click_at(editor.screen_x + editor.width // 2,
                              editor.screen_y + editor.height - 20)
                kavo.key("ctrl+End")
                kavo.type_text(edit)
                kavo.wait_text(kavo_gui.EDITOR, lambda text: edit in text, what="the edit")
                kavo.click(box)
                kavo.key("ctrl+s")
                wait_for(lambda: edit in read_gbk(page), what=f"Ctrl+S in {box} to save")
        kavo.click("编辑框2")
        kavo.key("ctrl+f")
        # 搜索文本 opens its window, titled 温馨提示 as it always was.
        wait_for(lambda: kavo_gui.x_window_titled("温馨提示"), what="Ctrl+F to open 搜索文本")

    def test_enter_and_escape_close_the_about_window(self):
        kavo = self.start("about-escape")
        about = lambda: kavo_gui.x_window_titled("需要源码请我")
        for attempt in range(2):
            _, (x, y, _, _) = kavo.open_menu("超级按钮1", what="the program menu")[0]
            kavo.click_at(x + 20, y + 10)  # 关于, the menu's first item
            window = wait_for(about, what="the about window")
            kavo_gui.xdotool("windowactivate", "--sync", window)
            kavo_gui.xdotool("key", "Return" if attempt == 0 else "Escape")
            wait_for(about, until=lambda found: found is None, what="the about window to close")


if __name__ == "__main__":
    kavo_gui.main()
