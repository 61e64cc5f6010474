"""The script editor colours what is typed and marks a faulty statement without being asked."""

import os

import kavo_gui
from kavo_gui import wait_for


def red_share(path, control):
    """Share of clearly red pixels in the editor's part below the roll-up panels."""
    crop = f"{control.width - 30}x{control.height - 230}+{control.screen_x + 5}+{control.screen_y + 220}"
    out = kavo_gui.run(["convert", path, "-crop", crop, "-fx", "r>0.6&&g<0.4&&b<0.4",
                        "-format", "%[fx:mean]", "info:"], check=True).stdout.decode()
    return float(out)


def red_box(path, control):
    """A point inside the red text, near its right end (the gutter's red number lies left of
    it)."""
    left = control.screen_x + 5
    crop = f"{control.width - 30}x{control.height - 230}+{left}+{control.screen_y + 220}"
    out = kavo_gui.run(["convert", path, "-crop", crop, "+repage", "-fx", "r>0.6&&g<0.4&&b<0.4",
                        "-format", "%@", "info:"], check=True).stdout.decode()
    size, x, y = out.split("+")
    width, height = (int(v) for v in size.split("x"))
    return left + int(x) + width - 6, control.screen_y + 220 + int(y) + height // 2


def coloured_share(path, control):
    """Share of pixels of a clear colour (not grey) in the same part."""
    crop = f"{control.width - 30}x{control.height - 230}+{control.screen_x + 5}+{control.screen_y + 220}"
    out = kavo_gui.run(["convert", path, "-crop", crop, "-colorspace", "HSL", "-channel", "G",
                        "-separate", "-threshold", "50%", "-format", "%[fx:mean]", "info:"],
                       check=True).stdout.decode()
    return float(out)


class EditorColoursTest(kavo_gui.SessionTest):
    def test_a_faulty_line_is_marked_as_typed_and_the_mark_goes_when_mended(self):
        # Blank lines first: the page's text shows below the panels over the editor's top.
        text = "\n" * 16 + "延时(100)\n鼠标(左键)"
        kavo = self.start("editor-colours", {"测试/颜色.txt": text})
        kavo.open_page("测试", "颜色")
        kavo.wait_text(kavo_gui.EDITOR, text, what="the page")
        editor = kavo.control(kavo_gui.EDITOR)
        below_text = (editor.screen_x + editor.width // 2, editor.screen_y + editor.height - 20)
        shot = os.path.join(kavo.folder, "shot.png")

        def red():
            return red_share(kavo_gui.screenshot(shot), editor)

        # The sound page is coloured, and nothing of it is red.
        wait_for(lambda: coloured_share(kavo_gui.screenshot(shot), editor),
                 until=lambda share: share > 0.0005, what="the page's statements in colour")
        self.assertEqual(red(), 0.0)

        kavo.click_at(*below_text)  # the caret goes to the end
        kavo.key("End")
        kavo.key("Return")
        kavo.type_text("abc(1)")  # no command has that name
        # Nothing pressed after the typing: the check runs by itself.
        wait_for(red, until=lambda share: share > 0.00002, what="the faulty line marked red",
                 timeout=10)
        # Kept beside the sessions' folders, to be looked at.
        kavo_gui.screenshot(os.path.join(kavo_gui.ARGS.work, "editor-colours-marked.png"))

        # The pointer resting on the marked statement shows its fault; away from it, nothing.
        x, y = red_box(shot, editor)
        kavo_gui.xdotool("mousemove", x, y)
        wait_for(lambda: kavo_gui.inspect("tooltips"), until=lambda tips: "“abc”不是命令" in tips,
                 what="the fault's tip")
        kavo_gui.xdotool("mousemove", x, y - 60)
        wait_for(lambda: kavo_gui.inspect("tooltips"), until=lambda tips: "不是命令" not in tips,
                 what="the tip to go")

        # Mended by taking the line out again: the mark goes with it.
        kavo.key("shift+Home")
        kavo.key("BackSpace")
        kavo.key("BackSpace")
        wait_for(red, until=lambda share: share == 0.0, what="the mark to go", timeout=10)
        self.assertEqual(kavo.editor_text(), text)

    def test_the_gutter_numbers_the_page_lines_on_view_after_scrolling(self):
        # Every seventh line is long enough to wrap over several rows: rows are not lines.
        lines = [f"信息框(第{n}行{'很长的文字' * 30},标题)" if n % 7 == 0 else f"延时({n})"
                 for n in range(1, 601)]
        text = "\n".join(lines)
        kavo = self.start("gutter", {"测试/长.txt": text})
        kavo.open_page("测试", "长")
        kavo.wait_text(kavo_gui.EDITOR, text, what="the page")
        editor = kavo.control(kavo_gui.EDITOR)

        def agrees():
            """The gutter's first number is the first page line that begins on view: the line
            of the editor's first row, or the next one when that row continues a wrapped line."""
            row, first, gutter = kavo.editor_view()
            shown = gutter.split(" ")[0].split("-")
            line = text[:first].count("\n") + 1
            begins = first == 0 or text[first - 1] == "\n"
            return (int(shown[0]) == (line if begins else line + 1), row, first, gutter)

        wait_for(kavo.gutter, until=lambda g: g.startswith("1-"), what="line 1 first")
        kavo.click_at(editor.screen_x + editor.width // 2, editor.screen_y + editor.height - 20)
        kavo.key("ctrl+End")
        wait_for(kavo.gutter, until=lambda g: g.split(" ")[0].endswith("-600"),
                 what="the last line numbered at the end")
        wait_for(agrees, until=lambda answer: answer[0] and answer[1] > 0,
                 what="the gutter to agree with the rows after ctrl+End")
        for _ in range(7):
            kavo.key("Prior")
        wait_for(agrees, until=lambda answer: answer[0], what="the gutter after paging up")
        first_after_paging = kavo.editor_view()[1]
        self.assertLess(first_after_paging, len(text) - 2000)
        kavo_gui.screenshot(os.path.join(kavo_gui.ARGS.work, "editor-gutter-scrolled.png"))
        kavo.key("ctrl+Home")
        wait_for(kavo.gutter, until=lambda g: g.startswith("1-"), what="line 1 first again")


if __name__ == "__main__":
    kavo_gui.main()
