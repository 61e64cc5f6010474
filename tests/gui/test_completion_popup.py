"""Typing the start of a command word in the script editor offers the commands in a list below
the caret; Tab, a chosen entry with Enter, or a click inserts one; the list never takes the
focus from the editor."""

import os

import kavo_gui
from kavo_gui import wait_for

LIST = "命令补全"
# Blank lines first: the page's text shows below the panels over the editor's top.
PAGE = "\n" * 16 + "延时(100)"


def shown_list():
    rows = kavo_gui.windows_titled(LIST)
    return rows[0] if rows else None


def wait_list(what):
    return wait_for(shown_list, what=what, timeout=15)


def wait_no_list(what):
    wait_for(shown_list, until=lambda row: row is None, what=what, timeout=15)


def dark_share(path, row):
    """Share of dark pixels (the entries' text) in the list's place on a screenshot."""
    crop = f"{row['width']}x{row['height']}+{row['x']}+{row['y']}"
    out = kavo_gui.run(["convert", path, "-crop", crop, "-colorspace", "Gray", "-threshold",
                        "50%", "-negate", "-format", "%[fx:mean]", "info:"],
                       check=True).stdout.decode()
    return float(out)


class CompletionPopupTest(kavo_gui.SessionTest):
    def open_page(self):
        kavo = self.start("completion", {"测试/补全.txt": PAGE})
        kavo.open_page("测试", "补全")
        kavo.wait_text(kavo_gui.EDITOR, PAGE, what="the page")
        editor = kavo.control(kavo_gui.EDITOR)
        # The caret goes to the end of the last line; a new line to type on.
        kavo.click_at(editor.screen_x + editor.width // 2, editor.screen_y + editor.height - 20)
        kavo.key("ctrl+End")
        kavo.key("Return")
        return kavo, editor

    def test_a_word_start_shows_the_list_below_it_and_tab_inserts_the_word(self):
        kavo, editor = self.open_page()
        kavo.type_text("鼠")
        kavo.wait_text(kavo_gui.EDITOR, PAGE + "\n鼠", what="鼠 typed")
        four = wait_list("the list of the 鼠 commands")
        shot = kavo_gui.screenshot(os.path.join(kavo_gui.ARGS.work, "completion-list.png"))
        # Inside the editor, under the line typed on, with text in it.
        self.assertGreaterEqual(four["x"], editor.screen_x)
        self.assertLess(four["x"], editor.screen_x + editor.width // 2)
        self.assertGreater(four["y"], editor.screen_y + editor.height // 2)
        self.assertGreater(dark_share(shot, four), 0.02)
        # 鼠标, 鼠标消息, 鼠标移动, 鼠标定位 narrow to 鼠标移动: a quarter of the rows.
        kavo.type_text("标移")
        one = wait_for(shown_list, until=lambda row: row and row["height"] < four["height"],
                       what="the list narrowed to one entry", timeout=15)
        # Rows of one height, and a frame: three rows fewer.
        self.assertAlmostEqual((four["height"] - one["height"]) / 3, one["height"], delta=4)
        self.assertEqual(one["y"], four["y"])

        kavo.key("Tab")
        wait_no_list("the list to close")
        kavo.wait_text(kavo_gui.EDITOR, PAGE + "\n鼠标移动()", what="the word inserted")
        # The caret stands between the brackets, and the editor kept the keyboard.
        kavo.type_text("800,100")
        kavo.wait_text(kavo_gui.EDITOR, PAGE + "\n鼠标移动(800,100)", what="the arguments typed")
        self.assertIsNone(shown_list())

    def test_enter_is_a_new_line_unless_an_entry_was_chosen(self):
        kavo, _ = self.open_page()
        kavo.type_text("延")
        wait_list("the list for 延")
        kavo.key("Return")
        wait_no_list("the list to close on Enter")
        kavo.wait_text(kavo_gui.EDITOR, PAGE + "\n延\n", what="a new line after 延")

        # The control: the same, with the entry chosen first.
        kavo.type_text("延")
        wait_list("the list for 延 again")
        kavo.key("Down")
        kavo.key("Return")
        wait_no_list("the list to close on the chosen entry")
        kavo.wait_text(kavo_gui.EDITOR, PAGE + "\n延\n延时()", what="延时() inserted")

        # Escape closes and leaves the text as typed; the next Tab is the editor's again.
        kavo.key("End", "Return")
        kavo.type_text("计")
        wait_list("the list for 计")
        kavo.key("Escape")
        wait_no_list("the list to close on Escape")
        kavo.key("Tab")
        kavo.wait_text(kavo_gui.EDITOR, PAGE + "\n延\n延时()\n计\t", what="a tab after 计")

    def test_a_click_on_an_entry_inserts_it_and_the_editor_keeps_the_keyboard(self):
        kavo, _ = self.open_page()
        kavo.type_text("计次")
        two = wait_list("the list for 计次")
        # The second of 计次循环 and 计次循环尾.
        kavo.click_at(two["x"] + two["width"] // 2, two["y"] + two["height"] * 3 // 4)
        wait_no_list("the list to close on the click")
        kavo.wait_text(kavo_gui.EDITOR, PAGE + "\n计次循环尾()", what="计次循环尾() inserted")
        kavo.type_text("1")
        kavo.wait_text(kavo_gui.EDITOR, PAGE + "\n计次循环尾(1)", what="the id typed")


if __name__ == "__main__":
    kavo_gui.main()
