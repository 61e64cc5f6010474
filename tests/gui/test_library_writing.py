"""Writing the library as a user does: new pages and directories through the InputDialog,
renaming and deleting with their questions, saving with Ctrl+S, the unsaved-changes question when
another page is selected and when the program closes, and the small windows as they settle."""

import os
import time

import kavo_gui
from kavo_gui import Kavo, close_menus, inspect, menus, wait_for, xdotool

# Items of the 程序 menu counted from its top, separators skipped.
ABOUT, NEW_PAGE, NEW_DIRECTORY, DELETE_PAGE, DELETE_DIRECTORY, RENAME_PAGE, RENAME_DIRECTORY = (
    range(1, 8))
MESSAGE_CAPTION = "KAVO脚本助手"  # message boxes; the main window's title has a trailing space


def windows_titled(title):
    rows = []
    for line in inspect("windows", title).splitlines():
        parts = line.split("\t")
        if parts[0] == "window" and parts[2] == "1":
            rows.append({"x": int(parts[3]), "y": int(parts[4]), "width": int(parts[5]),
                         "height": int(parts[6])})
    return rows


def wait_settled(title, timeout=30):
    """The window titled title once it has stopped moving."""
    seen = []

    def settled():
        rows = windows_titled(title)
        seen.append(rows[0] if rows else None)
        return rows and len(seen) >= 3 and seen[-1] == seen[-2] == seen[-3] and rows[0]

    return wait_for(settled, timeout=timeout, interval=0.1, what=f"{title} to settle")


def activate(title):
    found = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "^" + title + "$"),
                     what=f"the X window of {title}")
    xdotool("windowactivate", "--sync", found.split()[0])


def shoot(title, name):
    """A screenshot of the window titled title, once it has settled."""
    rect = wait_settled(title)
    shots = os.path.join(kavo_gui.ARGS.work, "small-windows")
    os.makedirs(shots, exist_ok=True)
    path = os.path.join(shots, name + ".png")
    crop = f"{rect['width']}x{rect['height']}+{rect['x']}+{rect['y']}"
    kavo_gui.run(["import", "-window", "root", "-crop", crop, path], check=True)
    return rect


def read(path):
    with open(path, "rb") as f:
        return f.read()


def snapshot(folder):
    """Every file and folder under folder with the bytes of the files."""
    result = {}
    for root, dirs, files in os.walk(folder):
        for d in dirs:
            result[os.path.relpath(os.path.join(root, d), folder) + "/"] = None
        for f in files:
            result[os.path.relpath(os.path.join(root, f), folder)] = read(os.path.join(root, f))
    return result


class LibraryWritingTest(kavo_gui.SessionTest):
    def start(self, name, pages):
        self.kavo = Kavo(name, pages=pages)
        self.kavo.start()
        self.kavo.activate()
        self.content = os.path.join(self.kavo.folder, "content")
        return self.kavo

    def program_menu(self, item):
        self.kavo.activate()
        self.kavo.click("超级按钮1")
        wait_for(menus, what="the program menu")
        self.kavo.key(*(["Down"] * item), "Return")
        wait_for(lambda: not menus(), what="the menu to close")

    def answer_text(self, title, text):
        wait_for(lambda: windows_titled(title), what=f"the InputDialog {title}")
        activate(title)
        if text:
            self.kavo.type_text(text)
        self.kavo.key("Return")
        wait_for(lambda: not windows_titled(title), what=f"{title} to close")

    def answer_question(self, accept):
        wait_for(lambda: windows_titled("温馨提示"), what="the ConfirmDialog")
        activate("温馨提示")
        self.kavo.key("Return" if accept else "Escape")
        wait_for(lambda: not windows_titled("温馨提示"), what="the ConfirmDialog to close")

    def open_directory(self, name):
        self.kavo.click_tree_item(name, double=True)
        wait_for(lambda: next(r for r in self.kavo.tree() if r["text"] == name)["expanded"],
                 what=f"{name} to open")

    def show_page(self, directory, page, marker):
        if not next(r for r in self.kavo.tree() if r["text"] == directory)["expanded"]:
            self.open_directory(directory)
        self.kavo.click_tree_item(page)
        wait_for(lambda: marker in self.kavo.text("编辑框_脚本编辑区"), what=f"page {page}")

    def type_in_editor(self, text):
        # Low on the left: the help panel covers the editor's upper right.
        editor = self.kavo.control("编辑框_脚本编辑区")
        self.kavo.click_at(editor.screen_x + 60, editor.screen_y + editor.height - 30)
        self.kavo.key("ctrl+End")
        self.kavo.type_text(text)
        wait_for(lambda: text in self.kavo.text("编辑框_脚本编辑区"), what="the typed text")

    def texts(self):
        return [r["text"] for r in self.kavo.tree()]

    def test_new_page_through_the_input_dialog_then_typing_and_ctrl_s(self):
        kavo = self.start("write-new-page", {"脚本/旧.txt": "信息框(旧)\n"})
        kavo.click_tree_item("脚本")
        self.program_menu(NEW_PAGE)
        rect = shoot("新建页面", "input-dialog")
        self.assertEqual((rect["width"], rect["height"]), (400, 154))
        self.answer_text("新建页面", "fresh")
        page = os.path.join(self.content, "脚本", "fresh.txt")
        wait_for(lambda: "fresh" in self.texts(), what="the new page in the tree")
        self.assertEqual(read(page), b"")
        self.assertEqual(read(os.path.join(self.content, "脚本", "旧.txt")),
                         "信息框(旧)\r\n".encode("gbk"))

        self.show_page("脚本", "旧", "信息框")
        self.type_in_editor("delay")
        kavo.key("ctrl+s")
        expected = "信息框(旧)\r\ndelay".encode("gbk")
        wait_for(lambda: read(os.path.join(self.content, "脚本", "旧.txt")) == expected,
                 what="the saved page")

    def test_leaving_an_edited_page_asks_and_only_ok_writes(self):
        kavo = self.start("write-leave", {"脚本/一.txt": "延时(1)\n", "脚本/二.txt": "延时(2)\n"})
        first = os.path.join(self.content, "脚本", "一.txt")
        for accept in (False, True):
            with self.subTest(accept=accept):
                self.show_page("脚本", "一", "延时(1)")
                self.type_in_editor("x" if not accept else "y")
                kavo.click_tree_item("二")
                if accept:
                    shoot("温馨提示", "confirm-dialog")
                self.answer_question(accept)
                wait_for(lambda: "延时(2)" in kavo.text("编辑框_脚本编辑区"), what="page 二")
                on_disk = "延时(1)\r\n" + ("y" if accept else "")
                self.assertEqual(read(first), on_disk.encode("gbk"))
        # Saved text is not asked about again; an unedited page neither.
        self.show_page("脚本", "一", "延时(1)")
        kavo.click_tree_item("二")
        wait_for(lambda: "延时(2)" in kavo.text("编辑框_脚本编辑区"), what="page 二 again")
        time.sleep(0.5)  # a question would have shown by now; the positive control is above
        self.assertFalse(windows_titled("温馨提示"))

    def test_rename_directory_delete_page_and_delete_directory(self):
        kavo = self.start("write-rename-delete",
                          {"旧目录/页.txt": "1", "旧目录/另.txt": "2", "保留/留.txt": "3"})
        kavo.click_tree_item("旧目录")
        self.program_menu(RENAME_DIRECTORY)
        self.answer_text("重命名目录", "renamed")
        wait_for(lambda: "renamed" in self.texts(), what="the renamed directory")
        self.assertTrue(os.path.isfile(os.path.join(self.content, "renamed", "页.txt")))
        self.assertFalse(os.path.exists(os.path.join(self.content, "旧目录")))

        self.open_directory("renamed")
        kavo.click_tree_item("页")
        self.program_menu(DELETE_PAGE)
        self.answer_question(True)
        wait_for(lambda: "页" not in self.texts(), what="the page to leave the tree")
        self.assertFalse(os.path.exists(os.path.join(self.content, "renamed", "页.txt")))
        self.assertTrue(os.path.exists(os.path.join(self.content, "renamed", "另.txt")))

        kavo.click_tree_item("renamed")
        self.program_menu(DELETE_DIRECTORY)
        self.answer_question(False)  # 取消 keeps it
        self.assertTrue(os.path.isdir(os.path.join(self.content, "renamed")))
        kavo.click_tree_item("renamed")
        self.program_menu(DELETE_DIRECTORY)
        self.answer_question(True)
        wait_for(lambda: "renamed" not in self.texts(), what="the directory to leave the tree")
        self.assertFalse(os.path.exists(os.path.join(self.content, "renamed")))
        self.assertEqual(self.texts()[0], "保留")
        self.assertEqual(read(os.path.join(self.content, "保留", "留.txt")), b"3")

    def test_bad_names_are_refused_and_nothing_changes_on_disk(self):
        kavo = self.start("write-bad-names", {"脚本/页.txt": "1"})
        before = snapshot(self.content)
        for name in ("a/b", "..", "con", "x."):
            with self.subTest(name=name):
                kavo.click_tree_item("脚本")
                self.program_menu(NEW_PAGE)
                self.answer_text("新建页面", name)
                wait_for(lambda: windows_titled(MESSAGE_CAPTION), what="the refusal")
                activate(MESSAGE_CAPTION)
                kavo.key("Return")
                wait_for(lambda: not windows_titled(MESSAGE_CAPTION), what="the refusal to close")
                self.assertEqual(snapshot(self.content), before)
        # Positive control: a good name goes through the same way.
        kavo.click_tree_item("脚本")
        self.program_menu(NEW_PAGE)
        self.answer_text("新建页面", "good")
        wait_for(lambda: "good" in self.texts(), what="the good page")

    def test_closing_with_unsaved_edits_asks_and_ok_saves(self):
        kavo = self.start("write-close", {"脚本/页.txt": "延时(1)\n"})
        self.show_page("脚本", "页", "延时(1)")
        self.type_in_editor("z")
        kavo.click("图片框1")
        self.answer_question(True)
        self.assertEqual(kavo.wait_exit(timeout=30), 0)
        kavo.process = None
        self.assertEqual(read(os.path.join(self.content, "脚本", "页.txt")),
                         "延时(1)\r\nz".encode("gbk"))

    def test_small_windows_as_they_settle(self):
        kavo = self.start("write-small-windows", {"脚本/页.txt": "1"})
        self.program_menu(ABOUT)
        rect = shoot("需要源码请我", "about-window")
        self.assertEqual((rect["x"], rect["y"], rect["width"], rect["height"]), (50, 50, 365, 154))
        self.program_menu(ABOUT)  # a second 关于 brings the same window forward
        self.assertEqual(len(windows_titled("需要源码请我")), 1)
        kavo.click_at(rect["x"] + 120 + 48, rect["y"] + 120 + 12)  # 确定
        wait_for(lambda: not windows_titled("需要源码请我"), what="the about window to close")

        kavo.activate()
        kavo.click("超级按钮3")
        wait_for(menus, what="the settings menu")
        kavo.key("Down", "Down", "Return")
        rect = shoot("查看键代码", "key-code-window")
        self.assertEqual((rect["width"], rect["height"]), (380, 358))

        kavo.activate()
        kavo.click("超级按钮2")
        wait_for(menus, what="the edit menu")
        # 设置颜色 is the ninth item; its last item opens the colour question.
        kavo.key(*(["Down"] * 9), "Right", *(["Down"] * 5), "Return")
        rect = shoot("温馨提示", "color-pick-dialog")
        self.assertEqual((rect["width"], rect["height"]), (400, 168))
        activate("温馨提示")
        kavo.key("Escape")
        wait_for(lambda: not windows_titled("温馨提示"), what="the colour question to close")


if __name__ == "__main__":
    kavo_gui.main()
