"""The editor's commands, find in page, global search and links, as a user drives them."""

import os
import shutil

import kavo_gui
from kavo_gui import Kavo, menus, settled_window, wait_for, windows_titled, xdotool

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                        "content")


def client_point(window, x, y):
    """A point of a small window's client area (its border is one pixel)."""
    return window["x"] + 1 + x, window["y"] + 1 + y


def dark_share(path, control):
    """Share of dark pixels in the lower part of a control, below the roll-up panels that
    cover the editor's top (bold text has more of them)."""
    crop = f"{control.width - 30}x{control.height - 230}+{control.screen_x + 5}+{control.screen_y + 220}"
    out = kavo_gui.run(["convert", path, "-crop", crop, "-colorspace", "gray", "-threshold", "50%",
                        "-format", "%[fx:1-mean]", "info:"], check=True).stdout.decode()
    return float(out)


def red_share(path, control):
    """Share of clearly red pixels in the same part of a control."""
    crop = f"{control.width - 30}x{control.height - 230}+{control.screen_x + 5}+{control.screen_y + 220}"
    out = kavo_gui.run(["convert", path, "-crop", crop, "-fx", "r>0.6&&g<0.4&&b<0.4",
                        "-format", "%[fx:mean]", "info:"], check=True).stdout.decode()
    return float(out)


class EditorAndSearchTest(kavo_gui.SessionTest):
    def wait_editor(self, check, what):
        return self.kavo.wait_text(kavo_gui.EDITOR, check, what=what)

    def open_page_below_the_panels(self, name, directory, page, text):
        """Starts with one page and shows it; returns the editor and a point in the editor below
        the page's text."""
        kavo = self.start(name, {f"{directory}/{page}.txt": text})
        kavo.open_page(directory, page)
        self.wait_editor(text, what="the page")
        editor = kavo.control(kavo_gui.EDITOR)
        return editor, (editor.screen_x + editor.width // 2, editor.screen_y + editor.height - 20)

    def test_help_buttons_show_each_usage_text_with_its_height(self):
        kavo = self.start("editor-help")
        texts = {
            "加入计次循环": ("使用格式\n例如： 计次循环(2,1)\n其中2代表循环次数 1代表参数\n"
                       "注意：必须插入循环尾此循环方可成立\n例如：计次循环尾(1) \n1与前面的参数相对应。", 200),
            "加入延时": ("使用格式\n例如： 延时(100)\n100代表100毫秒 1000毫秒=1秒\n"
                         "例如： 随机延时(100,500)\n等待100到500毫秒之间随机的一段时间", 200),
            "加入运行": ("使用格式\n例如： 运行(notepad.exe)\nnotepad.exe 代表文件路径\n"
                         "例如： 等待窗口(进程:notepad.exe,5000)\n"
                         "等到该窗口出现再往下执行，最多等5000毫秒，0代表一直等；等不到时脚本停止，托盘提示是哪一行\n"
                         "窗口的写法同鼠标消息", 200),
            "加入特殊按键": ("使用格式\n例如： 特殊按键(20)\n20代表键代码 括号里应输入数字（键代码） "
                       "键代码在设置菜单里查看。\n按住(17) 按下一个键不放，松开(17) 再放开它；"
                       "例如 按住(17) 特殊按键(67) 松开(17) 就是 Ctrl+C。脚本结束时还按着的键会自动放开。",
                       200),
            "加入鼠标单击": ("使用格式\n例如： 鼠标(左键)\n例如： 鼠标(右键)\n还可用： 鼠标(中键)  "
                       "鼠标(左键按下)  鼠标(左键弹起)  鼠标(右键按下)  鼠标(右键弹起)  "
                       "鼠标(中键按下)  鼠标(中键弹起)  鼠标(滚轮上)  鼠标(滚轮下)\n"
                       "例如： 鼠标定位(800,100)  光标立即到达该点（鼠标移动是每毫秒一像素地滑过去）",
                       200),
            "加入普通按键": ("使用格式\n例如： 按键(fhjshfkj,50)\n其中fhjshfkj代表需要输入的键\n"
                       "50代表输入的速度\n例如： 激活窗口(进程:notepad.exe)\n"
                       "先把该窗口切换到前台，之后的按键都进入它；窗口的写法同鼠标消息", 200),
            "加入鼠标移动": ("使用格式\n例如： 鼠标移动(800,100)\n其中80为横坐标   100为纵坐标\n"
                       "按F1获取横纵坐标！\nF1开启时按 PageUp 把鼠标移动(横坐标,纵坐标)插入脚本。", 160),
            "加入信息框": ("使用格式\n例如： 信息框（你好,我是脚本编辑器,）\n"
                      "其中你好为信息框标题   我是脚本编辑器是信息框内容", 200),
        }
        for button, (text, height) in texts.items():
            with self.subTest(button=button):
                kavo.click(button)
                kavo.wait_text("编辑框1", text, what=f"the help of {button}")
                self.assertEqual(kavo.control("编辑框1").height, height)
        kavo.click("加入运行")  # the longest text, kept to be looked at
        kavo.wait_text("编辑框1", texts["加入运行"][0], what="the help of 加入运行")
        kavo_gui.screenshot(kavo.folder + "/help-run.png")
        # The short box leaves the coordinate rows below it in sight.
        kavo.click("加入鼠标移动")
        wait_for(lambda: kavo.control("编辑框1").height, until=lambda h: h == 160,
                 what="the short help box")
        self.assertTrue(kavo.control("编辑框4").visible)

    def test_bold_shows_but_is_not_saved(self):
        # Blank lines first: the page's text shows below the panels over the editor's top.
        text = "\n" * 16 + "鼠标(左键)\n延时(100)"
        editor, below_text = self.open_page_below_the_panels("editor-bold", "测试", "粗体", text)
        kavo = self.kavo
        kavo.click_at(*below_text)  # the caret goes to the end; nothing is selected
        plain = dark_share(kavo_gui.screenshot(kavo.folder + "/plain.png"), editor)
        self.assertGreater(plain, 0.001)

        kavo.key("ctrl+a")
        # 设置字体 is the eighth item that can be chosen; 置粗体 the second of its sub-menu.
        kavo.choose_from_menu("超级按钮2", ["Down"] * 8 + ["Right", "Down", "Return"],
                              what="the 操作 menu")
        kavo.click_at(*below_text)
        bold = lambda: dark_share(kavo_gui.screenshot(kavo.folder + "/bold.png"), editor)
        wait_for(bold, until=lambda share: share > plain * 1.15,
                 what=f"the text to show bold (dark share above {plain * 1.15:.4f})")

        kavo.type_text("1")
        kavo.key("ctrl+s")
        path = os.path.join(kavo.folder, "content", "测试", "粗体.txt")
        expected = (text.replace("\n", "\r\n") + "1").encode("gbk")

        def saved():
            with open(path, "rb") as f:
                return f.read() == expected

        wait_for(saved, what="the page to be saved as plain text")
        # Loaded again, the page shows what was saved, without the bold.
        kavo.click_tree_item("测试")
        kavo.open_page("测试", "粗体")
        self.wait_editor(text + "1", what="the page again")
        kavo.click_at(*below_text)
        reloaded = dark_share(kavo_gui.screenshot(kavo.folder + "/reloaded.png"), editor)
        self.assertLess(reloaded, plain * 1.1)

    def test_colour_items_colour_the_selection_and_a_cancelled_colour_question_changes_nothing(self):
        text = "\n" * 16 + "鼠标(左键)\n延时(100)"
        editor, below_text = self.open_page_below_the_panels("editor-colour", "测试", "颜色", text)
        kavo = self.kavo

        def colour_item(downs):
            kavo.click(kavo_gui.EDITOR)
            kavo.key("ctrl+a")
            # 设置颜色 is the ninth item that can be chosen; 白色 opens its sub-menu.
            kavo.choose_from_menu("超级按钮2", ["Down"] * 9 + ["Right"] + ["Down"] * downs
                                  + ["Return"], what="the 操作 menu")

        def red():
            kavo.click_at(*below_text)
            return red_share(kavo_gui.screenshot(kavo.folder + "/colour.png"), editor)

        self.assertEqual(red(), 0.0)
        colour_item(2)  # 红色: red is the low byte of the colour value
        wait_for(red, until=lambda share: share > 0.0003, what="the text to turn red")
        # The colours the script editor gives statements (which it does: the colouring test)
        # never take over what the user coloured by hand.
        kavo_gui.stays(red, 1.5, what="the hand-set red", until=lambda share: share > 0.0003)
        colour_item(5)  # 选择颜色, then 取消 with Escape
        settled_window("温馨提示")
        kavo.key("Escape")
        wait_for(lambda: windows_titled("温馨提示"), until=lambda rows: not rows,
                 what="the colour question to close")
        self.assertGreater(red(), 0.0003)
        colour_item(1)  # 黑色
        wait_for(red, until=lambda share: share == 0.0, what="the text to turn black")

    def test_ctrl_f_finds_and_next_moves_on(self):
        kavo = self.start("editor-find", {"测试/查找.txt": "abc abc"})
        kavo.open_page("测试", "查找")
        self.wait_editor("abc abc", what="the page")

        kavo.key("ctrl+f")
        window = settled_window("温馨提示")
        kavo.type_text("abc")
        search = client_point(window, 32 + 48, 123 + 12)
        after = client_point(window, 152 + 48, 123 + 12)
        kavo.click_at(*search)
        kavo.click_at(*after)  # 下一个: the second abc
        kavo.click_at(*after)  # 下一个 again: there is no third, the selection stays
        kavo.activate()
        kavo.type_text("X")  # replaces the selection
        self.wait_editor("abc X", what="the second abc to be replaced")

        kavo.key("ctrl+f")  # the open window comes forward
        self.assertEqual(kavo_gui.rect_of(settled_window("温馨提示")), kavo_gui.rect_of(window))
        kavo.click_at(*search)
        kavo.activate()
        kavo.type_text("Y")
        self.wait_editor("Y X", what="the first abc to be replaced")

    def open_global_search(self):
        # 全局搜索 is the ninth item of 程序.
        self.kavo.choose_from_menu("超级按钮1", ["Down"] * 9 + ["Return"], what="the 程序 menu")
        return settled_window("全局搜索")

    def test_global_search_lists_the_pages_and_a_double_click_loads_one(self):
        self.kavo = Kavo("editor-search")
        shutil.copytree(EXAMPLES, os.path.join(self.kavo.folder, "content"))
        kavo = self.kavo.start()
        kavo.activate()
        window = self.open_global_search()
        list_top = window["y"] + 1 + 176
        row = lambda i: (window["x"] + 1 + 19 + 60, list_top + 25 + 15 * i)

        def search(text):
            kavo.click_at(*client_point(window, 19 + 100, 82 + 12))
            kavo.key("ctrl+a", "BackSpace")
            kavo.type_text(text)
            kavo.click_at(*client_point(window, 67 + 48, 123 + 12))

        def open_row(i):
            x, y = row(i)
            xdotool("mousemove", "--sync", x, y)
            xdotool("click", "--repeat", 2, "--delay", 80, 1)

        welcome = "// 欢迎使用KAVO脚本助手"
        notepad = "// 这页脚本会打开记事本"
        # KAVO is in the welcome page and the notepad page, in that order in the tree.
        search("KAVO")

        def opened(i, start):
            open_row(i)
            return self.kavo.editor_text().startswith(start)

        wait_for(lambda: opened(1, notepad), what="the second row to load its page")
        self.assertTrue(next(r for r in kavo.tree() if r["text"] == "2 记事本打字")["selected"])
        wait_for(lambda: opened(0, welcome), what="the first row to load its page")
        open_row(2)  # below the last row: nothing opens
        self.assertTrue(self.kavo.editor_text().startswith(welcome))
        # Letter case counts: kavo is in no page, the list stays empty and opens nothing.
        wait_for(lambda: opened(1, notepad), what="the second row again")
        search("kavo")
        open_row(0)
        self.assertTrue(self.kavo.editor_text().startswith(notepad))
        search("KAVO")  # positive control: the same search in the right case lists the rows
        wait_for(lambda: opened(0, welcome), what="the rows of a new search")
        kavo_gui.screenshot(kavo.folder + "/search.png")

        # 右键 ▸ 寻找文本 opens the row's page and selects the text in it.
        xdotool("mousemove", "--sync", *row(1))
        xdotool("click", 3)
        wait_for(menus, what="the row menu")
        kavo.key("Down", "Down", "Return")  # 到此页面, 寻找文本
        wait_for(menus, until=lambda shown: not shown, what="the menu to close")
        self.wait_editor(lambda text: text.startswith(notepad), what="the row's page")
        kavo.activate()
        kavo.type_text("Z")  # replaces the selected KAVO
        self.wait_editor(lambda text: "按键(HELLO Z,100)" in text, what="KAVO to be replaced")

    def test_only_web_links_are_handed_to_the_shell(self):
        work = os.path.join(kavo_gui.ARGS.work, "editor-links-shell")
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        record = os.path.join(work, "opened.txt")
        marker = os.path.join(work, "program-ran.txt")
        recorder = os.path.join(work, "browser.sh")
        with open(recorder, "w") as f:
            f.write(f'#!/bin/sh\necho "$@" >> "{record}"\n')
        os.chmod(recorder, 0o755)
        program = os.path.join(work, "program.bat")
        with open(program, "w") as f:
            f.write(f'echo ran > "Z:{marker.replace("/", chr(92))}"\r\n')
        # Wine hands web addresses to the Unix browsers listed here: the recorder stands in.
        kavo_gui.run(["wine", "reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers",
                      "/t", "REG_SZ", "/d", recorder, "/f"], check=True)
        kavo_gui.run(["wine", "reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Mailers",
                      "/t", "REG_SZ", "/d", recorder, "/f"], check=True)
        try:
            # Every line a link, so that a row below the panels over the editor's top and right
            # of the line-number gutter holds one.
            kavo = self.start("editor-links", {
                "链接/程序.txt": "\n".join(["file:///Z:" + program] * 40),
                "链接/网页.txt": "\n".join(["http://example.com/kavo-link-test"] * 40),
            })
            editor = kavo.control(kavo_gui.EDITOR)
            on_link = (editor.screen_x + 80, editor.screen_y + editor.height - 60)

            kavo.open_page("链接", "程序")
            self.wait_editor(lambda text: text.startswith("file:"), what="the program link")
            xdotool("mousemove", "--sync", *on_link)
            xdotool("click", "--repeat", 2, "--delay", 80, 1)
            xdotool("keydown", "ctrl")
            xdotool("click", 1)
            xdotool("keyup", "ctrl")

            kavo.open_page("链接", "网页")
            self.wait_editor(lambda text: text.startswith("http:"), what="the web link")
            xdotool("mousemove", "--sync", *on_link)
            xdotool("click", 1)  # a plain click only places the caret
            xdotool("keydown", "ctrl")
            xdotool("click", 1)
            xdotool("keyup", "ctrl")

            def lines():
                if not os.path.exists(record):
                    return []
                with open(record) as f:
                    return f.read().split()

            wait_for(lines, what="the web link to reach the browser")
            xdotool("click", "--repeat", 2, "--delay", 80, 1)
            wait_for(lines, until=lambda opened: len(opened) == 2,
                     what="the double click to open it again")
            self.assertEqual(lines(), ["http://example.com/kavo-link-test"] * 2)
            self.assertFalse(os.path.exists(marker))
        finally:
            kavo_gui.run(["wine", "reg", "delete", r"HKCU\Software\Wine\WineBrowser", "/f"])


if __name__ == "__main__":
    kavo_gui.main()
