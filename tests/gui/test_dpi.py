"""At 144 pixels per inch: the main window laid out at 1.5 times its 96-DPI design, and the
coordinates F1 shows and a script uses are the screen's own pixels."""

import os

import kavo_gui
import test_editor_colours
from kavo_gui import wait_for, xdotool

# Where Wine keeps the DPI it reports; both are set, as Wine's own settings dialog does.
DPI_KEYS = [r"HKCU\Control Panel\Desktop", r"HKCU\Software\Wine\Fonts"]

# Design rectangles at 96 DPI (left, top, width, height within the parent).
DESIGN = {
    "窗口标题": (0, 0, 600, 30),
    "超级按钮2": (60, 30, 60, 25),
    "树型框1": (-1, 57, 150, 487),
    "编辑框_脚本编辑区": (150, 57, 450, 487),
    "高级选择夹1": (360, 32, 240, 344),
    "高级选择夹2": (193, 32, 152, 144),
    "go": (31, 88, 96, 40),
    "编辑框4": (144, 184, 64, 16),
    "加入信息框": (2, 199, 88, 25),
}


def read_dpi(key):
    found = kavo_gui.wine(["reg", "query", key, "/v", "LogPixels"])
    for line in found.splitlines():
        if "LogPixels" in line:
            return int(line.split()[-1], 16)
    return None


def write_dpi(key, value):
    if value is None:
        kavo_gui.run(["wine", "reg", "delete", key, "/v", "LogPixels", "/f"])
    else:
        kavo_gui.run(["wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                      value, "/f"], check=True)


def restore_dpi(saved):
    for key, value in saved.items():
        write_dpi(key, value)


class DpiTest(kavo_gui.SessionTest):
    @classmethod
    def setUpClass(cls):
        # The prefix is shared with the other GUI tests: its DPI is put back afterwards, also
        # when setting it fails half-way.
        saved = {key: read_dpi(key) for key in DPI_KEYS}
        cls.addClassCleanup(restore_dpi, saved)
        for key in DPI_KEYS:
            write_dpi(key, 144)

    def test_the_window_and_its_controls_are_one_and_a_half_times_their_design(self):
        kavo = self.start("dpi-layout", pages={"示例/页.txt": "延时(1)\n"}, activate=False)
        window = kavo.visible_windows()[0]
        self.assertAlmostEqual(window["width"], 900, delta=2)
        self.assertAlmostEqual(window["height"], 820, delta=2)
        controls = kavo.controls()
        for name, design in DESIGN.items():
            with self.subTest(control=name):
                actual = controls[name].rect
                for got, wanted in zip(actual, design):
                    # Rounding of odd design values: half a pixel either way.
                    self.assertLessEqual(abs(got - wanted * 1.5), 1, f"{actual} vs {design}")
        kavo_gui.screenshot(os.path.join(kavo.folder, "dpi-144.png"))

    def test_a_coloured_page_and_its_gutter_at_144_dpi(self):
        text = "\n" * 16 + "计次循环(3,1)\n延时(100)\n鼠标(左键)\nabc(1)\n计次循环尾(1)"
        kavo = self.start("dpi-colours", pages={"测试/颜色.txt": text})
        kavo.open_page("测试", "颜色")
        kavo.wait_text(kavo_gui.EDITOR, text, what="the page")
        wait_for(kavo.gutter, until=lambda g: "错误:20" in g, what="the faulty line in the gutter")
        editor = kavo.control(kavo_gui.EDITOR)
        shot = os.path.join(kavo_gui.ARGS.work, "editor-colours-144dpi.png")
        # The red of the fault and of its line's number (kept to be looked at).
        wait_for(lambda: test_editor_colours.red_share(kavo_gui.screenshot(shot), editor),
                 until=lambda share: share > 0.00002, what="the fault marked red")

    def test_f1_and_a_script_use_the_screens_own_pixels(self):
        kavo = self.start("dpi-coordinates", pages={"示例/移动.txt": "鼠标移动(700,650)\n"})
        kavo.press("F1")
        xdotool("mousemove", "--sync", 1001, 702)
        kavo.wait_coordinates(1001, 702, what="F1's display to show the pointer's screen position")
        kavo.press("F1")

        kavo.open_page("示例", "移动", shows="鼠标移动")
        kavo.click("go")
        wait_for(kavo_gui.cursor_position, until=lambda where: where == (700, 650),
                 what="the glide to end at screen pixel (700, 650)")
        # The inspector reads Windows' cursor; X's pointer is the same screen pixel.
        location = xdotool("getmouselocation")
        self.assertIn("x:700 y:650", location)

    def test_f1_names_the_window_under_the_pointer_by_its_screen_pixels(self):
        kavo = self.start("dpi-spy")
        kavo.press("F1")
        # 直接运行 lies well inside the scaled window: a point taken as 96-DPI pixels would miss it.
        x, y = kavo.control("go").center()
        xdotool("mousemove", "--sync", x, y)
        wait_for(lambda: kavo.text("编辑框_标题") == "直接运行", what="the button under the pointer")
        self.assertEqual(kavo.text("编辑框_类名"), "Button")
        self.assertEqual(kavo.text("编辑框_进程"), "kavo.exe")
        self.assertEqual((kavo.text("编辑框4"), kavo.text("编辑框5")), (str(x), str(y)))
        kavo.press("F1")


if __name__ == "__main__":
    kavo_gui.main()
