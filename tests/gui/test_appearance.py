"""The appearance as a user sees it: colours from link.ini, the settings window with live colours
and schemes, the hover colours of the title bar and the shadow border."""

import os

import kavo_gui
from kavo_gui import Fixture, menus, settled_window, wait_for, windows_titled, xdotool

SETTINGS_TITLE = "软件设置"
YES = "真".encode("gbk")
NO = "假".encode("gbk")
DEFAULTS = [NO, NO, b"15527148", b"3487029", b"0", b"0", b"0", NO, b"12632256", b"3487029",
            b"15329769", b"3487029", b"16777215", b"16777215"]

# Points of the main window (client coordinates at 96 DPI) where each element shows its colour
# and nothing else: away from texts, glyphs and the panels over the editor.
TITLE_POINT = (20, 4)
MENU_BAR_POINT = (186, 44)
MENU_BUTTON_POINT = (3, 33)
TREE_POINT = (140, 530)
EDITOR_POINT = (300, 520)
WINDOW_POINT = (198, 172)  # inside the run panel, which takes the window's background
PICTURE1_POINT = (571, 1)  # a corner of 图片框1, away from its glyph
PICTURE3_COLUMN = 535  # the one column of 图片框3 that 最大化, stacked above it, leaves free
PICTURE3_POINT = (PICTURE3_COLUMN, 1)
# The same elements where the settings window, moved aside to SETTINGS_ASIDE, leaves them in
# view.
TREE_BESIDE_SETTINGS = (40, 530)
EDITOR_BESIDE_SETTINGS = (300, 480)  # right of the line-number gutter
WINDOW_BESIDE_SETTINGS = (198, 150)
SETTINGS_ASIDE = (760, 600)

# The settings window's controls, in its client coordinates at 96 DPI. The pages of the tab
# control start where its body starts; PAGE is that origin as the window lays it out.
PAGE = (139, 55)
ROLL_UP_INTERFACE = (60, 32 + 45)
OK_BUTTON = (162 + 48, 372 + 12)
CANCEL_BUTTON = (268 + 48, 372 + 12)
APPLY_BUTTON = (374 + 48, 372 + 12)


def on_page(x, y):
    return PAGE[0] + x, PAGE[1] + y


PICKER_WINDOW_COLOR = on_page(71 + 20, 12 + 10)  # 颜色选择器1
PICKER_MENU_COLOR = on_page(71 + 20, 111 + 10)   # 颜色选择器6
SCHEME_LIST = on_page(47 + 30, 262 + 12)         # 组合框1
NAME_BOX = on_page(153 + 30, 262 + 12)           # 编辑框2
STORE_BUTTON = on_page(218 + 33, 263 + 11)       # 储存
DELETE_BUTTON = on_page(290 + 33, 263 + 11)      # 删除
CODE_BOX = on_page(6 + 100, 288 + 12)            # 编辑框1
SYNC_BUTTON = on_page(218 + 33, 288 + 11)        # 同步
ALWAYS_ON_TOP_BOX = on_page(11 + 8, 5 + 12)      # 选择框1, on page 通常


def colorref(value):
    """A Windows colour value as the (r, g, b) a screenshot shows."""
    return (value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF)


def link_ini(lines, final_line_end=True):
    return b"\r\n".join(lines) + (b"\r\n" if final_line_end else b"")


class Screen:
    """One screenshot of the whole display, read pixel by pixel."""

    def __init__(self):
        completed = kavo_gui.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                 check=True)
        self.data = completed.stdout
        self.width = 1280

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.data[at:at + 3])


def top_window(title):
    """The last visible window titled title, or None."""
    rows = windows_titled(title)
    return rows[-1] if rows else None


def x_windows_tree():
    return kavo_gui.output(["xwininfo", "-root", "-tree"], timeout=30)


class AppearanceTest(kavo_gui.SessionTest):
    def main_rect(self):
        # A reading of the window list can come back empty while Wine is busy; the window
        # itself must still be there.
        window = wait_for(self.kavo.visible_windows, timeout=15, what="the main window")[-1]
        return window["x"], window["y"], window["width"], window["height"]

    def main_pixel(self, point, screen=None):
        x, y, _, _ = self.main_rect()
        return (screen or Screen()).pixel(x + point[0], y + point[1])

    def wait_main_pixel(self, point, color, what):
        return wait_for(lambda: self.main_pixel(point), until=lambda seen: seen == colorref(color),
                        timeout=15, what=f"{what} {colorref(color)} at {point}")

    def file(self, name):
        path = os.path.join(self.kavo.folder, name)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    # --- the settings window ---
    def open_settings(self):
        self.kavo.click("超级按钮3")
        shown = wait_for(lambda: [m for m in menus() if m[1][2] > 0], timeout=15,
                         what="the 设置 menu")
        _, (mx, my, mw, mh) = shown[0]
        # 软件设置 is the first of its two items.
        xdotool("mousemove", "--sync", mx + mw // 2, my + mh // 4)
        xdotool("click", 1)
        window = wait_for(lambda: top_window(SETTINGS_TITLE), timeout=30,
                          what="the settings window")
        # It glides in for about half a second; wait until it stands still.
        settled_window(SETTINGS_TITLE, timeout=20)
        return window

    def settings_click(self, point):
        window = top_window(SETTINGS_TITLE)
        xdotool("mousemove", "--sync", window["x"] + point[0], window["y"] + point[1])
        xdotool("click", 1)

    def settings_closed(self):
        return top_window(SETTINGS_TITLE) is None

    def move_settings_aside(self):
        found = wait_for(lambda: kavo_gui.x_window_titled(SETTINGS_TITLE),
                         what="the X window of the settings window")
        xdotool("windowmove", found, *SETTINGS_ASIDE)
        wait_for(lambda: top_window(SETTINGS_TITLE),
                 until=lambda window: window is not None
                 and (window["x"], window["y"]) == SETTINGS_ASIDE, timeout=15,
                 what="the settings window moved aside")

    def show_interface_page(self):
        self.settings_click(ROLL_UP_INTERFACE)

    def pick_color(self, picker, red, green, blue):
        """Opens a colour picker and answers the system's colour chooser by its keys."""
        self.settings_click(picker)
        wait_for(lambda: top_window("颜色"), timeout=30, what="the colour chooser")
        for key, value in (("alt+r", red), ("alt+g", green), ("alt+b", blue)):
            xdotool("key", key)
            xdotool("type", "--delay", 30, str(value))
        xdotool("key", "Return")
        wait_for(lambda: top_window("颜色") is None, timeout=30, what="the chooser to close")

    def replace_text(self, point, text):
        self.settings_click(point)
        xdotool("key", "ctrl+a")
        xdotool("type", "--delay", 30, text)

    def save_screenshot(self, name):
        return kavo_gui.screenshot(os.path.join(kavo_gui.ARGS.work, name + ".png"))


class LinkIniColoursTest(AppearanceTest):
    def test_the_colours_of_link_ini_reach_their_elements_at_start(self):
        lines = list(DEFAULTS)
        lines[2] = b"255"         # title bar: red
        lines[8] = b"65280"       # menu bar: green
        lines[10] = b"16711680"   # tree: blue
        lines[12] = b"65535"      # editor: yellow
        lines[13] = b"-1"         # window: white after masking
        self.start("link_colours", files={"link.ini": link_ini(lines)})
        self.wait_main_pixel(TITLE_POINT, 255, "the title bar in red")
        screen = Screen()
        self.assertEqual(self.main_pixel(MENU_BAR_POINT, screen), colorref(65280))
        self.assertEqual(self.main_pixel(MENU_BUTTON_POINT, screen), colorref(65280))
        self.assertEqual(self.main_pixel(TREE_POINT, screen), colorref(16711680))
        self.assertEqual(self.main_pixel(EDITOR_POINT, screen), colorref(65535))
        self.assertEqual(self.main_pixel(WINDOW_POINT, screen), colorref(0xFFFFFF))
        # The title bar's picture boxes take the title background.
        self.assertEqual(self.main_pixel(PICTURE1_POINT, screen), colorref(255))

    def test_a_short_link_ini_gives_defaults_for_the_missing_lines(self):
        self.start("link_short", files={"link.ini": NO + b"\r\n" + NO + b"\r\n255"})
        self.wait_main_pixel(TITLE_POINT, 255, "the title bar in red")
        self.assertEqual(self.main_pixel(TREE_POINT), colorref(0xE9E9E9))
        self.assertEqual(self.file("link.ini"), NO + b"\r\n" + NO + b"\r\n255")


class SettingsWindowTest(AppearanceTest):
    def test_opening_without_link_ini_creates_it_with_the_defaults(self):
        self.start("settings_defaults")
        self.assertIsNone(self.file("link.ini"))
        self.open_settings()
        self.assertEqual(self.file("link.ini"), link_ini(DEFAULTS, final_line_end=False))
        self.show_interface_page()
        self.save_screenshot("appearance_settings_window")
        kavo_gui.guide_picture("settings", kavo_gui.rect_of(settled_window(SETTINGS_TITLE)))
        self.settings_click(CANCEL_BUTTON)
        wait_for(self.settings_closed, timeout=15, what="the settings window to close")

    def test_a_picker_colours_the_main_window_at_once_and_cancel_takes_it_back(self):
        self.start("settings_cancel")
        self.open_settings()
        saved = self.file("link.ini")
        self.show_interface_page()
        self.pick_color(PICKER_WINDOW_COLOR, 255, 0, 0)
        self.wait_main_pixel(TITLE_POINT, 0x0000FF, "the title bar in red")
        self.assertEqual(self.main_pixel(PICTURE1_POINT), colorref(0x0000FF))
        self.assertEqual(self.file("link.ini"), saved)
        self.settings_click(CANCEL_BUTTON)
        wait_for(self.settings_closed, timeout=15, what="the settings window to close")
        self.wait_main_pixel(TITLE_POINT, 0xECECEC, "the title bar back in its colour")
        self.assertEqual(self.file("link.ini"), saved)

    def test_escape_is_cancel(self):
        self.start("settings_escape")
        self.open_settings()
        saved = self.file("link.ini")
        self.show_interface_page()
        self.pick_color(PICKER_WINDOW_COLOR, 0, 0, 255)
        self.wait_main_pixel(TITLE_POINT, 0xFF0000, "the title bar in blue")
        xdotool("key", "Escape")
        wait_for(self.settings_closed, timeout=15, what="the settings window to close")
        self.wait_main_pixel(TITLE_POINT, 0xECECEC, "the title bar back in its colour")
        self.assertEqual(self.file("link.ini"), saved)

    def test_apply_then_cancel_keeps_the_applied_colours(self):
        self.start("settings_apply")
        self.open_settings()
        self.show_interface_page()
        self.pick_color(PICKER_MENU_COLOR, 0, 255, 0)
        self.wait_main_pixel(MENU_BAR_POINT, 0x00FF00, "the menu bar in green")
        self.settings_click(APPLY_BUTTON)
        wait_for(lambda: self.file("link.ini"),
                 until=lambda data: data.split(b"\r\n")[8] == b"65280", timeout=15,
                 what="the applied menu colour in link.ini")
        self.assertTrue(self.file("link.ini").endswith(b"\r\n"))
        self.pick_color(PICKER_MENU_COLOR, 0, 0, 255)
        self.wait_main_pixel(MENU_BAR_POINT, 0xFF0000, "the menu bar in blue")
        self.settings_click(CANCEL_BUTTON)
        wait_for(self.settings_closed, timeout=15, what="the settings window to close")
        self.wait_main_pixel(MENU_BAR_POINT, 0x00FF00, "the menu bar back in green")
        self.assertEqual(self.file("link.ini").split(b"\r\n")[8], b"65280")

    def test_schemes_are_stored_listed_and_deleted_by_position(self):
        self.start("settings_schemes")
        self.open_settings()
        self.show_interface_page()
        default_code = b";".join(DEFAULTS[2:])
        self.settings_click(STORE_BUTTON)
        wait_for(lambda: self.file("color.ini"), timeout=15, what="color.ini")
        self.replace_text(NAME_BOX, "B")
        self.settings_click(STORE_BUTTON)
        self.settings_click(STORE_BUTTON)
        first = "新建配色".encode("gbk") + b"=" + default_code + b"\r\n"
        second = b"B=" + default_code + b"\r\n"
        wait_for(lambda: self.file("color.ini"), until=lambda data: data == first + second + second,
                 timeout=15, what="three schemes, two of the same name")
        # The first item chosen and deleted: only that line goes.
        self.settings_click(SCHEME_LIST)
        xdotool("key", "Home", "Return")
        self.settings_click(DELETE_BUTTON)
        wait_for(lambda: self.file("color.ini"), until=lambda data: data == second + second,
                 timeout=15, what="the chosen scheme deleted")
        self.settings_click(CANCEL_BUTTON)

    def test_a_pasted_code_and_synchronise_recolour_the_main_window(self):
        self.start("settings_code")
        self.open_settings()
        saved = self.file("link.ini")
        self.show_interface_page()
        # Too short: nothing changes.
        self.replace_text(CODE_BOX, "255;255;255")
        self.settings_click(SYNC_BUTTON)
        code = "255;16777215;0;0;0;x;65280;0;16711680;16777215;65535;8421504"
        self.replace_text(CODE_BOX, code)
        self.assertEqual(self.main_pixel(TITLE_POINT), colorref(0xECECEC))
        self.settings_click(SYNC_BUTTON)
        self.wait_main_pixel(TITLE_POINT, 255, "the title bar in red")
        self.move_settings_aside()
        screen = Screen()
        self.assertEqual(self.main_pixel(MENU_BAR_POINT, screen), colorref(65280))
        self.assertEqual(self.main_pixel(TREE_BESIDE_SETTINGS, screen), colorref(16711680))
        self.assertEqual(self.main_pixel(EDITOR_BESIDE_SETTINGS, screen), colorref(65535))
        self.assertEqual(self.main_pixel(WINDOW_BESIDE_SETTINGS, screen), colorref(8421504))
        self.assertEqual(self.file("link.ini"), saved)  # nothing saved before 确定
        self.settings_click(OK_BUTTON)
        wait_for(self.settings_closed, timeout=15, what="the settings window to close")
        lines = self.file("link.ini").split(b"\r\n")
        self.assertEqual(lines[2:14], [v.encode() for v in code.split(";")])
        self.assertEqual(lines[14], b"")


class MenuButtonsTest(AppearanceTest):
    """程序, 操作 and 设置 at rest take the menu colours of link.ini; under the pointer they show
    0xC0C0C0 with black text, pressed 0xE9E9E9 with black text."""

    WHITE = colorref(0xFFFFFF)
    BLUE = colorref(0xFF0000)
    BLACK = (0, 0, 0)
    BUTTONS = (("程序", 0), ("操作", 60), ("设置", 120))

    def looks(self, screen=None):
        """Per button: its corner's colour and the set of colours it shows, from one shot."""
        screen = screen or Screen()
        x, y, _, _ = self.main_rect()
        result = {}
        for name, left in self.BUTTONS:
            colours = {screen.pixel(x + left + dx, y + 30 + dy)
                       for dx in range(60) for dy in range(25)}
            result[name] = (screen.pixel(x + left + 1, y + 31), colours)
        return result

    def at_rest(self, look):
        corner, colours = look
        return corner == self.WHITE and self.BLUE in colours and self.BLACK not in colours

    def lit(self, look, background):
        corner, colours = look
        return (corner == colorref(background) and self.BLACK in colours
                and self.BLUE not in colours)

    def test_menu_buttons_light_up_under_the_pointer_and_when_pressed(self):
        lines = list(DEFAULTS)
        lines[8] = b"16777215"  # the menu bar and its buttons at rest: white
        lines[9] = b"16711680"  # their text at rest: blue
        self.start("menu_buttons", files={"link.ini": link_ini(lines)})
        xdotool("mousemove", "--sync", 5, 1000)
        wait_for(lambda: all(self.at_rest(look) for look in self.looks().values()), timeout=15,
                 what="the menu buttons at rest")
        x, y, _, _ = self.main_rect()
        for name, left in self.BUTTONS:
            xdotool("mousemove", "--sync", x + left + 30, y + 42)

            def lit_under_pointer():
                now = self.looks()
                return now if self.lit(now[name], 0xC0C0C0) else None

            looks = wait_for(lit_under_pointer, timeout=15, what=f"{name} under the pointer")
            # Only the button under the pointer lights up; the others stay at rest in the same
            # screenshot.
            for other, _ in self.BUTTONS:
                if other != name:
                    self.assertTrue(self.at_rest(looks[other]), other)
        xdotool("mousemove", "--sync", x + 300, y + 300)
        wait_for(lambda: all(self.at_rest(look) for look in self.looks().values()), timeout=15,
                 what="the menu buttons at rest after the pointer left")

        # Pressed: the button is held down; releasing it pops its menu up.
        xdotool("mousemove", "--sync", x + 60 + 30, y + 42)
        xdotool("mousedown", 1)
        try:
            wait_for(lambda: self.lit(self.looks()["操作"], 0xE9E9E9), timeout=15,
                     what="操作 pressed")
        finally:
            xdotool("mouseup", 1)
        wait_for(menus, timeout=15, what="the 操作 menu")
        kavo_gui.close_menus()
        xdotool("mousemove", "--sync", x + 300, y + 300)
        wait_for(lambda: self.at_rest(self.looks()["操作"]), timeout=15,
                 what="操作 at rest after its menu")


class AlwaysOnTopTest(AppearanceTest):
    def above_others(self):
        window = self.kavo.x_window()
        if window is None:  # between two states of the X window
            return False
        state = kavo_gui.output(["xprop", "-id", window, "_NET_WM_STATE"], timeout=30)
        return "_NET_WM_STATE_ABOVE" in state

    def test_line_one_at_start_off_while_settings_are_open_and_set_again_by_ok(self):
        lines = list(DEFAULTS)
        lines[0] = YES
        self.start("on_top", files={"link.ini": link_ini(lines)})
        wait_for(self.above_others, timeout=15, what="the window above the others")
        self.open_settings()
        wait_for(lambda: not self.above_others(), timeout=15, what="always-on-top off")
        self.settings_click(CANCEL_BUTTON)
        wait_for(self.settings_closed, timeout=15, what="the settings window to close")
        self.assertFalse(self.above_others())  # 取消 leaves it off until the next start
        self.open_settings()
        self.settings_click(OK_BUTTON)  # the box shows line 1, which is checked
        wait_for(self.above_others, timeout=15, what="always-on-top set by 确定")

    def test_checking_the_box_takes_effect_on_ok_only(self):
        self.start("on_top_box")
        self.assertFalse(self.above_others())
        self.open_settings()
        self.settings_click(ALWAYS_ON_TOP_BOX)
        self.settings_click(APPLY_BUTTON)
        wait_for(lambda: self.file("link.ini"), until=lambda data: data.split(b"\r\n")[0] == YES,
                 timeout=15, what="line 1 saved by 应用")
        self.assertFalse(self.above_others())
        self.settings_click(OK_BUTTON)
        wait_for(self.above_others, timeout=15, what="always-on-top set by 确定")


class TitleBarTest(AppearanceTest):
    def test_hovering_picture1_shows_the_inverse_of_the_title_background(self):
        self.start("hover_picture1")
        x, y, _, _ = self.main_rect()
        xdotool("mousemove", "--sync", x + 585, y + 15)
        self.wait_main_pixel(PICTURE1_POINT, 0x131313, "the hover colour of 图片框1")
        xdotool("mousemove", "--sync", x + 300, y + 300)
        self.wait_main_pixel(PICTURE1_POINT, 0xECECEC, "图片框1 at rest")

    def test_switched_on_hover_colours_apply_except_where_the_line_is_exactly_zero(self):
        lines = list(DEFAULTS)
        lines[7] = YES      # use the colours of lines 5 and 7
        lines[4] = b"255"   # 图片框3: red
        lines[6] = b"0"     # 图片框1: automatic
        self.start("hover_own_colours", files={"link.ini": link_ini(lines)})
        x, y, _, _ = self.main_rect()
        xdotool("mousemove", "--sync", x + PICTURE3_COLUMN, y + 15)
        self.wait_main_pixel(PICTURE3_POINT, 0x0000FF, "图片框3 in its own hover colour")
        xdotool("mousemove", "--sync", x + 585, y + 15)
        self.wait_main_pixel(PICTURE1_POINT, 0x131313, "图片框1 in the automatic colour")
        self.wait_main_pixel(PICTURE3_POINT, 0xECECEC, "图片框3 at rest")

    def test_a_caption_button_fades_its_highlight_in_and_out(self):
        self.start("caption_fade")
        x, y, _, _ = self.main_rect()
        corner = (503, 1)  # 最小化, away from its glyph
        highlight = 0xC7C7C7  # the title background 16 % of the way to black
        xdotool("mousemove", "--sync", x + 517, y + 15)
        self.wait_main_pixel(corner, highlight, "the highlight of 最小化")
        xdotool("mousemove", "--sync", x + 300, y + 300)
        self.wait_main_pixel(corner, 0xECECEC, "最小化 at rest")

    @staticmethod
    def x_windows():
        """(id, "WxH+..." size, "+X+Y" place) of every X window. Once a window manager has
        taken a window, the tree gives its place inside the manager's frame, then on the
        screen."""
        rows = map(str.split, x_windows_tree().splitlines())
        return [(fields[0], fields[-2], fields[-1]) for fields in rows
                if len(fields) >= 2 and fields[0].startswith("0x")]

    def border_sides(self):
        """The X windows of the border's four sides (top, bottom, left, right), found by their
        sizes and places around the main window (the band is 2 pixels wide); None unless all
        four are there."""
        x, y, w, h = self.main_rect()
        wanted = ((w + 4, 2, x - 2, y - 2), (w + 4, 2, x - 2, y + h), (2, h, x - 2, y),
                  (2, h, x + w, y))
        windows = self.x_windows()
        sides = []
        for width, height, left, top in wanted:
            side = next((window for window, size, place in windows
                         if size.startswith(f"{width}x{height}+") and place == f"+{left}+{top}"),
                        None)
            if side is None:
                return None
            sides.append(side)
        return sides

    def border_shown(self):
        sides = self.border_sides()
        return bool(sides) and all(self.viewable(side) for side in sides)

    def border_hidden_anywhere(self):
        """No side of the 600 × 547 window's border is shown, wherever it is."""
        return not self.viewable_of_size(604, 2) and not self.viewable_of_size(2, 547)

    @classmethod
    def viewable_of_size(cls, width, height):
        """X windows of that size that are shown, wherever they are."""
        return [window for window, size, _ in cls.x_windows()
                if size.startswith(f"{width}x{height}+") and cls.viewable(window)]

    @staticmethod
    def viewable(x_window):
        return "IsViewable" in kavo_gui.output(["xwininfo", "-id", x_window], timeout=30)

    def toggle_maximized(self):
        # The middle of 最大化's glyph. (A double click on the title strip of a window that is
        # not maximised becomes the window manager's move under Wine.)
        x, y, _, _ = self.main_rect()
        xdotool("mousemove", "--sync", x + 551, y + 15)
        xdotool("click", 1)

    def start_over_backdrop(self, name):
        """The main window in front of a plain white window, so that its border shows."""
        self.fixture = Fixture(name + "_backdrop")
        backdrop = wait_for(self.fixture.x_window, timeout=30, what="the backdrop window")
        xdotool("windowsize", backdrop, 1000, 800)
        xdotool("windowmove", backdrop, 140, 100)
        xdotool("mousemove", "--sync", 5, 1000)  # away from the title bar's buttons
        return self.start(name)

    def test_the_border_is_a_band_two_pixels_wide_around_the_window(self):
        self.start_over_backdrop("border_shape")
        wait_for(self.border_shown, timeout=15, what="the border shown")
        x, y, w, h = self.main_rect()
        screen = Screen()
        self.save_screenshot("appearance_main_window")
        backdrop = screen.pixel(x - 10, y + 200)
        self.assertEqual(backdrop, (255, 255, 255))
        # Along each side and at a corner: two shaded pixels, then the backdrop. Layered windows
        # are not blended under Wine (the band is opaque there), so only darker is asserted.
        for name, outward in (("left", lambda d: (x - d, y + 200)),
                              ("right", lambda d: (x + w - 1 + d, y + 200)),
                              ("top", lambda d: (x + 300, y - d)),
                              ("bottom", lambda d: (x + 300, y + h - 1 + d)),
                              ("corner", lambda d: (x - d, y - d))):
            for d in (1, 2):
                shade = screen.pixel(*outward(d))
                self.assertLess(sum(shade), sum(backdrop), f"{name} {d}")
            self.assertEqual(screen.pixel(*outward(3)), backdrop, name)
        # The middle is the window itself, not the band.
        self.assertEqual(self.main_pixel(TITLE_POINT, screen), colorref(0xECECEC))
        # The band stays with its window: another window brought in front covers it.
        self.fixture.activate()
        wait_for(lambda: Screen().pixel(x - 1, y + 200), until=lambda seen: seen == backdrop,
                 timeout=15, what="the backdrop in front of the band")

    def test_maximising_hides_the_border_and_restoring_shows_it(self):
        self.start("border")
        # Layered windows are not blended under Wine: the border is checked by its shape and
        # place, not by its shading.
        wait_for(self.border_shown, timeout=15, what="the border shown")
        self.assertFalse(self.border_hidden_anywhere())  # positive control of the check below
        self.toggle_maximized()
        wait_for(self.main_rect, until=lambda rect: rect[2] >= 1280, timeout=15,
                 what="the window maximised")
        wait_for(self.border_hidden_anywhere, timeout=15, what="the border hidden")
        self.toggle_maximized()
        wait_for(self.main_rect, until=lambda rect: rect[2] == 600, timeout=15,
                 what="the window restored")
        wait_for(self.border_shown, timeout=15, what="the border back around the main window")

    def test_a_double_click_on_the_title_strip_restores_a_maximised_window(self):
        # Maximising by a double click cannot be shown under Wine: the window manager takes a
        # press on the strip of a window that is not maximised as the start of a move. The Win32
        # tests of the title bar show both ways.
        self.start("title_double_click")
        self.toggle_maximized()
        wait_for(self.main_rect, until=lambda rect: rect[2] >= 1280, timeout=15,
                 what="the window maximised")
        x, y, _, _ = self.main_rect()
        # Below the strip (the menu bar's empty part) a double click changes nothing: once the
        # pointer's next move has lit 最小化 up, the double click has been handled.
        xdotool("mousemove", "--sync", x + 300, y + 42)
        xdotool("click", "--repeat", 2, "--delay", 80, 1)
        xdotool("mousemove", "--sync", x + 517, y + 15)
        self.wait_main_pixel((503, 1), 0xC7C7C7, "the highlight of 最小化")
        self.assertGreaterEqual(self.main_rect()[2], 1280)
        xdotool("mousemove", "--sync", x + 300, y + 15)
        xdotool("click", "--repeat", 2, "--delay", 80, 1)
        wait_for(self.main_rect, until=lambda rect: rect[2] == 600, timeout=15,
                 what="the window restored")

    def test_hidden_to_the_tray_and_back_with_the_border_and_the_hide_button_at_rest(self):
        self.start("tray")
        wait_for(self.border_shown, timeout=15, what="the border shown")
        x, y, _, _ = self.main_rect()
        # 图片框3 hides the window to the notification area; the pointer was over it.
        xdotool("mousemove", "--sync", x + PICTURE3_COLUMN, y + 15)
        self.wait_main_pixel(PICTURE3_POINT, 0x131313, "the hover colour of 图片框3")
        xdotool("click", 1)
        wait_for(self.kavo.visible_windows, until=lambda shown: not shown, timeout=15,
                 what="the window hidden")
        self.assertTrue(self.border_hidden_anywhere())
        self.kavo.show_from_tray()
        wait_for(self.border_shown, timeout=15, what="the border back")
        # Back at rest although the pointer left 图片框3 while the window was hidden.
        self.wait_main_pixel(PICTURE3_POINT, 0xECECEC, "图片框3 at rest")


if __name__ == "__main__":
    kavo_gui.main()
