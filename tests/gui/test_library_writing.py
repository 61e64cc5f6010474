"""Writing the library as a user does: new pages and directories through the InputDialog,
renaming and deleting with their questions, saving with Ctrl+S, the unsaved-changes question when
another page is selected and when the program closes (which stays open while a wanted save
fails), text typed before any page, a UTF-8 page saved as UTF-8, edits back after the program
was killed, and the small windows as they settle."""

import os
import shutil

import kavo_gui
from kavo_gui import answer, settled_window, wait_for, windows_titled

# Items of the 程序 menu counted from its top, separators skipped.
ABOUT, NEW_PAGE, NEW_DIRECTORY, DELETE_PAGE, DELETE_DIRECTORY, RENAME_PAGE, RENAME_DIRECTORY = (
    range(1, 8))
MESSAGE_CAPTION = "KAVO脚本助手"  # message boxes; the main window's title has a trailing space


def shoot(title, name):
    """A screenshot of the window titled title, once it has settled."""
    rect = settled_window(title)
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
        kavo = super().start(name, pages=pages)
        self.content = os.path.join(kavo.folder, "content")
        return kavo

    def program_menu(self, item):
        self.kavo.activate()
        self.kavo.choose_from_menu("超级按钮1", ["Down"] * item + ["Return"],
                                   what="the program menu")

    def answer_text(self, title, text):
        answer(title, text=text, what=f"the InputDialog {title}")

    def answer_question(self, accept):
        answer("温馨提示", "Return" if accept else "Escape", what="the ConfirmDialog")

    def answer_questions(self, *accepts):
        """Answers ConfirmDialogs that come one after another, each once it shows: the next may
        open as soon as the one before has closed."""
        for accept in accepts:
            rows = wait_for(lambda: windows_titled("温馨提示"), what="a ConfirmDialog")
            hwnd = rows[0]["hwnd"]
            kavo_gui.activate_window("温馨提示")
            kavo_gui.xdotool("key", "Return" if accept else "Escape")
            wait_for(lambda: [r for r in windows_titled("温馨提示") if r["hwnd"] == hwnd],
                     until=lambda rows: not rows, what="the ConfirmDialog to close")

    def type_in_editor(self, text):
        # Low on the left: the help panel covers the editor's upper right.
        editor = self.kavo.control(kavo_gui.EDITOR)
        self.kavo.click_at(editor.screen_x + 60, editor.screen_y + editor.height - 30)
        self.kavo.key("ctrl+End")
        self.kavo.type_text(text)
        self.kavo.wait_text(kavo_gui.EDITOR, lambda shown: text in shown, what="the typed text")

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
        wait_for(self.texts, until=lambda texts: "fresh" in texts, what="the new page in the tree")
        self.assertEqual(read(page), b"")
        self.assertEqual(read(os.path.join(self.content, "脚本", "旧.txt")),
                         "信息框(旧)\r\n".encode("gbk"))

        kavo.open_page("脚本", "旧", shows="信息框")
        self.type_in_editor("delay")
        kavo.key("ctrl+s")
        expected = "信息框(旧)\r\ndelay".encode("gbk")
        wait_for(lambda: read(os.path.join(self.content, "脚本", "旧.txt")),
                 until=lambda data: data == expected, what="the saved page")

    def test_leaving_an_edited_page_asks_and_only_ok_writes(self):
        kavo = self.start("write-leave", {"脚本/一.txt": "延时(1)\n", "脚本/二.txt": "延时(2)\n"})
        first = os.path.join(self.content, "脚本", "一.txt")
        for accept in (False, True):
            with self.subTest(accept=accept):
                kavo.open_page("脚本", "一", shows="延时(1)")
                self.type_in_editor("x" if not accept else "y")
                kavo.click_tree_item("二")
                if accept:
                    shoot("温馨提示", "confirm-dialog")
                self.answer_question(accept)
                kavo.wait_text(kavo_gui.EDITOR, lambda text: "延时(2)" in text, what="page 二")
                on_disk = "延时(1)\r\n" + ("y" if accept else "")
                self.assertEqual(read(first), on_disk.encode("gbk"))
        # Saved text is not asked about again; an unedited page neither.
        kavo.open_page("脚本", "一", shows="延时(1)")
        kavo.click_tree_item("二")
        kavo.wait_text(kavo_gui.EDITOR, lambda text: "延时(2)" in text, what="page 二 again")
        # A question would have shown within half a second; the positive control is above.
        kavo_gui.stays(lambda: windows_titled("温馨提示"), 0.5, until=lambda rows: not rows,
                       what="no question")
        self.assertFalse(windows_titled("温馨提示"))

    def test_rename_directory_delete_page_and_delete_directory(self):
        kavo = self.start("write-rename-delete",
                          {"旧目录/页.txt": "1", "旧目录/另.txt": "2", "保留/留.txt": "3"})
        kavo.click_tree_item("旧目录")
        self.program_menu(RENAME_DIRECTORY)
        self.answer_text("重命名目录", "renamed")
        wait_for(self.texts, until=lambda texts: "renamed" in texts, what="the renamed directory")
        self.assertTrue(os.path.isfile(os.path.join(self.content, "renamed", "页.txt")))
        self.assertFalse(os.path.exists(os.path.join(self.content, "旧目录")))

        kavo.open_directory("renamed")
        kavo.click_tree_item("页")
        self.program_menu(DELETE_PAGE)
        self.answer_question(True)
        wait_for(self.texts, until=lambda texts: "页" not in texts,
                 what="the page to leave the tree")
        self.assertFalse(os.path.exists(os.path.join(self.content, "renamed", "页.txt")))
        self.assertTrue(os.path.exists(os.path.join(self.content, "renamed", "另.txt")))

        kavo.click_tree_item("renamed")
        self.program_menu(DELETE_DIRECTORY)
        self.answer_question(False)  # 取消 keeps it
        self.assertTrue(os.path.isdir(os.path.join(self.content, "renamed")))
        kavo.click_tree_item("renamed")
        self.program_menu(DELETE_DIRECTORY)
        self.answer_question(True)
        wait_for(self.texts, until=lambda texts: "renamed" not in texts,
                 what="the directory to leave the tree")
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
                answer(MESSAGE_CAPTION, what="the refusal")
                self.assertEqual(snapshot(self.content), before)
        # Positive control: a good name goes through the same way.
        kavo.click_tree_item("脚本")
        self.program_menu(NEW_PAGE)
        self.answer_text("新建页面", "good")
        wait_for(self.texts, until=lambda texts: "good" in texts, what="the good page")

    def test_closing_with_unsaved_edits_asks_and_ok_saves(self):
        kavo = self.start("write-close", {"脚本/页.txt": "延时(1)\n"})
        kavo.open_page("脚本", "页", shows="延时(1)")
        self.type_in_editor("z")
        kavo.click("图片框1")
        self.answer_question(True)
        self.assertEqual(kavo.wait_exit(timeout=30), 0)
        self.assertEqual(read(os.path.join(self.content, "脚本", "页.txt")),
                         "延时(1)\r\nz".encode("gbk"))

    def test_closing_stays_open_while_the_wanted_save_fails(self):
        kavo = self.start("write-close-fails", {"脚本/页.txt": "延时(1)\n"})
        page = os.path.join(self.content, "脚本", "页.txt")
        kavo.open_page("脚本", "页", shows="延时(1)")
        self.type_in_editor("z")
        # A folder now stands where the page was: it cannot be read, and no file replaces it.
        os.remove(page)
        os.makedirs(page)
        kavo.click("图片框1")
        # 你还未保存数据，是否保存！ then 在打开后被其他程序修改过。是否覆盖它？
        self.answer_questions(True, True)
        answer(MESSAGE_CAPTION, what="the failed save's message")
        kavo_gui.stays(lambda: kavo.process.poll(), 1.0, until=lambda code: code is None,
                       what="the program to stay open")
        self.assertIn("z", kavo.editor_text())
        # Positive control: with the page a file again, the same close saves and ends.
        os.rmdir(page)
        with open(page, "wb") as f:
            f.write("延时(1)\r\n".encode("gbk"))
        kavo.activate()
        kavo.click("图片框1")
        self.answer_question(True)
        self.assertEqual(kavo.wait_exit(timeout=30), 0)
        self.assertEqual(read(page), "延时(1)\r\nz".encode("gbk"))

    def test_text_typed_before_any_page_is_offered_a_page(self):
        kavo = self.start("write-before-any-page", {"脚本/页.txt": "延时(1)\n"})
        kavo.click_tree_item("脚本")  # a directory: no page loads
        self.type_in_editor("abc")
        kavo.key("ctrl+s")
        answer("保存为新页面", "Escape", what="the name question of Ctrl+S")
        kavo.click("图片框1")
        self.answer_question(True)  # 你还未保存数据，是否保存！
        self.answer_text("保存为新页面", "first")
        self.assertEqual(kavo.wait_exit(timeout=30), 0)
        self.assertEqual(read(os.path.join(self.content, "脚本", "first.txt")), b"abc")

    def test_a_utf8_page_is_shown_and_saved_in_utf8(self):
        text = "信息框(你好 한국)\r\n"  # 한국: characters GBK has no room for
        kavo = super().start("write-utf8", files={"content/脚本/u.txt": text.encode("utf-8")})
        self.content = os.path.join(kavo.folder, "content")
        page = os.path.join(self.content, "脚本", "u.txt")
        kavo.open_page("脚本", "u", shows="你好 한국")
        self.type_in_editor("z")
        kavo.key("ctrl+s")
        expected = (text + "z").encode("utf-8")
        wait_for(lambda: read(page), until=lambda data: data == expected,
                 what="the page saved in UTF-8")

    def test_edits_come_back_after_the_program_was_killed(self):
        kavo = self.start("write-recovery", {"脚本/页.txt": "延时(1)\n"})
        page = os.path.join(self.content, "脚本", "页.txt")
        recovery = os.path.join(kavo.folder, "kavo-recovery.txt")
        kavo.open_page("脚本", "页", shows="延时(1)")
        self.type_in_editor("kept")
        wait_for(lambda: os.path.exists(recovery) and b"kept" in read(recovery),
                 what="the recovery file")
        kavo.stop()  # killed: no question, nothing saved
        self.assertEqual(read(page), "延时(1)\r\n".encode("gbk"))
        kavo.start()
        kavo.activate()
        self.answer_question(True)  # 恢复
        kavo.wait_text(kavo_gui.EDITOR, lambda text: "延时(1)" in text and "kept" in text,
                       what="the edits back in the editor")
        self.assertEqual(read(page), "延时(1)\r\n".encode("gbk"))
        # Unsaved edits of their page: closing asks, and 确定 saves them there.
        kavo.click("图片框1")
        self.answer_question(True)
        self.assertEqual(kavo.wait_exit(timeout=30), 0)
        self.assertEqual(read(page), "延时(1)\r\nkept".encode("gbk"))
        self.assertFalse(os.path.exists(recovery))

    def test_small_windows_as_they_settle(self):
        kavo = self.start("write-small-windows", {"脚本/页.txt": "1"})
        self.program_menu(ABOUT)
        rect = shoot("需要源码请我", "about-window")
        self.assertEqual((rect["x"], rect["y"], rect["width"], rect["height"]), (50, 50, 365, 154))
        self.program_menu(ABOUT)  # a second 关于 brings the same window forward
        self.assertEqual(len(windows_titled("需要源码请我")), 1)
        kavo.click_at(rect["x"] + 120 + 48, rect["y"] + 120 + 12)  # 确定
        wait_for(lambda: windows_titled("需要源码请我"), until=lambda rows: not rows,
                 what="the about window to close")

        kavo.activate()
        kavo.choose_from_menu("超级按钮3", ["Down", "Down", "Return"], what="the settings menu")
        rect = shoot("查看键代码", "key-code-window")
        self.assertEqual((rect["width"], rect["height"]), (380, 358))

        kavo.activate()
        # 设置颜色 is the ninth item; its last item opens the colour question.
        kavo.choose_from_menu("超级按钮2", ["Down"] * 9 + ["Right"] + ["Down"] * 5 + ["Return"],
                              what="the edit menu")
        rect = shoot("温馨提示", "color-pick-dialog")
        self.assertEqual((rect["width"], rect["height"]), (400, 168))
        answer("温馨提示", "Escape", what="the colour question")


if __name__ == "__main__":
    kavo_gui.main()
