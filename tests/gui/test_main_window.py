"""The main window as a user sees it: layout, menus, panels, the library, running, the tray."""

import kavo_gui
from kavo_gui import Fixture, close_menus, wait_for

# Where each control was designed to stand: (left, top, width, height) in its parent.
DESIGN = {
    "窗口标题": (0, 0, 600, 30), "退出": (570, 0, 30, 30), "最大化": (536, 0, 30, 30),
    "最小化": (502, 0, 30, 30), "窗口标题1": (0, 30, 600, 25), "超级按钮1": (0, 30, 60, 25),
    "超级按钮2": (60, 30, 60, 25), "树型框1": (-1, 57, 150, 487),
    "编辑框_脚本编辑区": (150, 57, 450, 487), "超级按钮3": (120, 30, 60, 25),
    "图片框1": (570, 0, 30, 30), "图片框3": (535, 0, 30, 30), "高级选择夹1": (360, 32, 240, 344),
    "超级按钮4": (1, 0, 53, 24), "加入特殊按键": (2, 99, 88, 25), "加入鼠标单击": (2, 124, 88, 25),
    "加入普通按键": (2, 149, 88, 25), "加入鼠标移动": (2, 174, 88, 25), "加入运行": (2, 74, 88, 25),
    "加入延时": (2, 49, 88, 25), "加入计次循环": (2, 24, 88, 25), "加入信息框": (2, 199, 88, 25),
    "高级选择夹2": (193, 32, 152, 144), "超级按钮6": (1, 0, 53, 24), "编辑框2": (63, 56, 80, 16),
    "编辑框_启动热键": (7, 31, 79, 16), "按钮2": (93, 30, 56, 18), "图片框2": (7, 80, 144, 2),
    "go": (31, 88, 96, 40), "透明标签1": (7, 56, 48, 16), "标签9": (104, 208, 33, 16),
    "编辑框4": (144, 184, 64, 16), "编辑框5": (144, 208, 64, 16), "标签8": (104, 184, 35, 16),
    "编辑框1": (96, 24, 136, 200), "加入鼠标消息": (2, 224, 88, 25), "加入按键消息": (2, 249, 88, 25),
    "标签_句柄": (100, 232, 32, 16), "编辑框_句柄": (134, 232, 98, 16),
    "标签_进程": (100, 256, 32, 16), "编辑框_进程": (134, 256, 98, 16),
    "标签_类名": (8, 280, 35, 16), "编辑框_类名": (48, 280, 184, 16),
    "标签_标题": (8, 302, 35, 16), "编辑框_标题": (48, 302, 184, 16),
    "标签_颜色": (8, 324, 35, 16), "编辑框_颜色": (48, 324, 184, 16),
}
CAPTIONS = {
    "超级按钮1": "程序", "超级按钮2": "操作", "超级按钮3": "设置", "超级按钮4": "帮助",
    "超级按钮6": "执行", "按钮2": "热键执行", "go": "直接运行", "透明标签1": "进程名",
    "标签8": "X坐标:", "标签9": "Y坐标:", "编辑框1": "帮助", "加入延时": "加入延时",
    "加入鼠标消息": "加入鼠标消息", "加入按键消息": "加入按键消息", "标签_句柄": "句柄:",
    "标签_进程": "进程:", "标签_类名": "类名:", "标签_标题": "标题:", "标签_颜色": "颜色:",
}

LIBRARY = {
    "示例脚本/问候.txt": "信息框(你好,世界)\n延时(100)\n",
    "示例脚本/鼠标.txt": "鼠标(左键)\n",
    "工具/空页.txt": "",
}


class MainWindowTest(kavo_gui.SessionTest):
    def window(self):
        return self.kavo.visible_windows()[0]

    def test_controls_stand_where_designed(self):
        kavo = self.start("main-layout", LIBRARY)
        controls = kavo.controls()
        for name, rect in DESIGN.items():
            with self.subTest(control=name):
                self.assertIn(name, controls)
                self.assertEqual(controls[name].rect, rect)
        for name, caption in CAPTIONS.items():
            with self.subTest(caption=name):
                self.assertEqual(controls[name].text, caption)
        kavo_gui.screenshot(kavo.folder + "/layout.png")

    def test_menu_buttons_open_their_menus_below_them(self):
        kavo = self.start("main-menus")
        heights = {}
        for button, left in [("超级按钮1", 0), ("超级按钮2", 60), ("超级按钮3", 120)]:
            with self.subTest(button=button):
                window = self.window()
                shown = kavo.open_menu(button, what="a pop-up menu")
                self.assertEqual(len(shown), 1)
                _, (x, y, _, height) = shown[0]
                self.assertEqual((x, y), (window["x"] + left, window["y"] + 55))
                heights[button] = height
                close_menus()
        # Wine keeps menus inside their process, so the menus are told apart by their size:
        # 程序 has 10 items and 6 separators, 操作 12 items and 3 separators, 设置 2 items.
        self.assertNotEqual(heights["超级按钮1"], heights["超级按钮2"])
        self.assertGreater(heights["超级按钮2"], heights["超级按钮3"])

    def test_right_button_on_the_tree_opens_the_program_menu_at_the_cursor(self):
        kavo = self.start("main-tree-menu", LIBRARY)
        _, (_, _, _, program_height) = kavo.open_menu("超级按钮1", what="the program menu")[0]
        close_menus()
        tree = kavo.control("树型框1")
        x, y = tree.screen_x + 60, tree.screen_y + 300
        kavo.click_at(x, y, button=3)
        _, (mx, my, _, height) = wait_for(kavo_gui.menus, what="the program menu")[0]
        self.assertEqual((mx, my, height), (x, y, program_height))
        close_menus()

    def hide_menu_item(self):
        # 隐藏菜单 is the eighth item that can be chosen (separators are skipped).
        self.kavo.choose_from_menu("超级按钮1", ["Down"] * 8 + ["Return"], what="the program menu")

    def test_hide_menu_twice_restores_the_editor(self):
        kavo = self.start("main-hide-menu", LIBRARY)
        self.hide_menu_item()
        wait_for(lambda: kavo.control("树型框1").visible, until=lambda shown: not shown,
                 what="the tree to hide")
        self.assertEqual(kavo.control("编辑框_脚本编辑区").rect, (2, 57, 600, 487))
        self.hide_menu_item()
        wait_for(lambda: kavo.control("树型框1").visible, what="the tree to show")
        self.assertEqual(kavo.control("编辑框_脚本编辑区").rect, (150, 57, 450, 487))

    def test_panel_headers_roll_their_panels_up_and_down(self):
        kavo = self.start("main-panels")
        for header, panel, full in [("超级按钮6", "高级选择夹2", 144), ("超级按钮4", "高级选择夹1", 344)]:
            with self.subTest(panel=panel):
                kavo.click(header)

                def height():
                    # A listing taken while the panel moves may miss it: "not yet", not a fault.
                    control = kavo.controls().get(panel)
                    return control.height if control is not None else None

                wait_for(height, until=lambda h: h == 24, what="the panel to roll up")
                kavo.click(header)
                wait_for(height, until=lambda h: h == full, what="the panel to roll down")

    def test_help_buttons_show_usage_texts(self):
        kavo = self.start("main-help")
        kavo.click("加入鼠标移动")
        height = lambda: kavo.control("编辑框1").height
        wait_for(height, until=lambda h: h == 160, what="the short help box")
        self.assertIn("鼠标移动(800,100)", kavo.text("编辑框1"))
        kavo.click("加入延时")
        wait_for(height, until=lambda h: h == 200, what="the full help box")
        self.assertIn("1000毫秒=1秒", kavo.text("编辑框1"))
        kavo.click("加入鼠标消息")
        wait_for(lambda: "进程:notepad.exe" in kavo.text("编辑框1"), what="鼠标消息's help")
        self.assertIn("Insert", kavo.text("编辑框1"))
        kavo.click("加入按键消息")
        wait_for(lambda: "按键消息(进程:" in kavo.text("编辑框1"), what="按键消息's help")

    def test_library_tree_lists_directories_and_selecting_a_page_shows_it(self):
        pages = dict(LIBRARY)
        pages[".git/x.txt"] = "不应出现"
        kavo = self.start("main-library", pages=pages, files={"content/root.txt": b"root"})
        tree = kavo.tree()
        self.assertEqual([(r["level"], r["bold"], r["text"]) for r in tree],
                         [(0, True, "工具"), (1, False, "空页"),
                          (0, True, "示例脚本"), (1, False, "问候"), (1, False, "鼠标")])
        kavo.open_page("示例脚本", "问候", shows="你好")
        # (the harness reads program output without its CRs)
        self.assertEqual(kavo.editor_text(), "信息框(你好,世界)\n延时(100)\n")
        kavo_gui.screenshot(kavo.folder + "/library.png")

    def test_run_button_hides_the_window_and_runs_the_editors_text(self):
        self.fixture = Fixture("main-run-fixture")
        script = f"鼠标消息({self.fixture.hwnd},100,200,1,0)\n按键消息({self.fixture.hwnd},65,5)\n"
        kavo = self.start("main-run", {"脚本/运行.txt": script})
        kavo.open_page("脚本", "运行", shows="鼠标消息")
        kavo.click("go")
        wait_for(kavo.visible_windows, until=lambda shown: not shown, what="the window to hide")
        kavo_gui.screenshot(kavo.folder + "/after-run.png")
        expected = [kavo_gui.log_line(0x0200, 0x2, 0x00C80064),
                    kavo_gui.log_line(0x0201, 0x1, 0x00C80064),
                    kavo_gui.log_line(0x0202, 0x0, 0x00C80064),
                    kavo_gui.log_line(0x0100, 65, 0), kavo_gui.log_line(0x0101, 65, 0)]
        # Real pointer moves over the fixture log WM_MOUSEMOVE too; only the posted ones count.
        posted = lambda: [line for line in self.fixture.lines() if line in expected]
        wait_for(posted, until=lambda lines: len(lines) >= len(expected),
                 what="the posted messages")
        self.assertEqual(posted(), expected)
        self.assertTrue(kavo.windows())  # hidden, not gone

    def test_hide_button_and_tray_icon(self):
        kavo = self.start("main-tray")
        # 最大化 is stacked above 图片框3 and leaves it its first column.
        hide_box = kavo.control("图片框3")
        kavo.click_at(hide_box.screen_x, hide_box.center()[1])
        wait_for(kavo.visible_windows, until=lambda shown: not shown, what="the window to hide")
        window = kavo.show_from_tray()[0]
        self.assertEqual((window["x"], window["y"]), ((1280 - 600) // 2, (1024 - 547) // 2))


if __name__ == "__main__":
    kavo_gui.main()
