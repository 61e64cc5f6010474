"""The guide (docs/index.html): every example script in it runs under kavo.exe /run and does what
the guide says, every picture and link in it resolves, the page renders, and its pictures of the
main window are taken here (kavo_gui.guide_picture; scripts/guide-pictures.sh copies them).

Each example is a <pre class="script" data-check="..."> and says how it is checked:

  data-check="run"      /run of the page exits with data-exit (0 when not given); data-file
                        names a file the run writes into the program's folder; data-answer the
                        title of a message box the run shows, answered with Enter
  data-check="fixture"  the same, with the fixture window (tests/fixture) in front at a fixed
                        place; the example's Notepad is read as the fixture (FIXTURE_NAMES);
                        data-expect lists, separated by ";", log lines the fixture must get
                        (their beginnings, "0xMSG 0xWPARAM")
  data-check="check"    only /check (exit 0), for an example that needs what the test desktop
                        lacks; data-reason says what, in one line

Every other <pre> is class="shell" (command lines for cmd, not scripts)."""

import html
import html.parser
import os
import re
import shutil
import struct
import subprocess
import urllib.parse

import kavo_gui
from kavo_gui import Fixture, spawn, wait_for, windows_titled, xdotool

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GUIDE = os.path.join(ROOT, "docs", "index.html")
# The fixture stands in for Notepad, under Notepad's title; its process and classes are read
# for Notepad's in the examples (FIXTURE_NAMES).
FIXTURE_TITLE = "无标题 - 记事本"
# Where the fixture window stands: the examples' screen points (鼠标移动(400,400)) fall into
# its client area, below its two children.
FIXTURE_PLACE = (200, 200)
# The smallest and largest x and y of the examples' screen points.
EXAMPLE_POINTS = (300, 400, 450, 420)
FIXTURE_NAMES = [
    ("notepad.exe", "kavo_fixture.exe"),
    ("类:Edit", "类:KavoFixtureChild"),
    ("类:Notepad", "类:KavoFixtureWindow"),
]
CHECKS = {"run", "fixture", "check"}


class GuideParser(html.parser.HTMLParser):
    """The guide's <pre> blocks (attributes and text), its ids, and its links and pictures."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.pres = []
        self.ids = set()
        self.links = []
        self.pictures = []
        self._pre = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        if tag == "pre":
            self._pre = {"attrs": attrs, "text": ""}
        elif tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])
        elif tag == "img":
            self.pictures.append(attrs)

    def handle_data(self, data):
        if self._pre is not None:
            self._pre["text"] += data

    def handle_endtag(self, tag):
        if tag == "pre" and self._pre is not None:
            self.pres.append(self._pre)
            self._pre = None


def read_guide():
    parser = GuideParser()
    with open(GUIDE, encoding="utf-8") as f:
        parser.feed(f.read())
    return parser


def examples(parser):
    return [pre for pre in parser.pres if pre["attrs"].get("class") == "script"]


def first_line(example):
    return example["text"].strip().splitlines()[0]


class GuideTest(kavo_gui.SessionTest):
    def test_each_example_is_marked_with_how_it_is_checked(self):
        parser = read_guide()
        self.assertGreater(len(examples(parser)), 0)
        for pre in parser.pres:
            attrs = pre["attrs"]
            with self.subTest(pre=pre["text"].strip()[:40]):
                self.assertIn(attrs.get("class"), ("script", "shell"))
                if attrs.get("class") != "script":
                    continue
                self.assertIn(attrs.get("data-check"), CHECKS)
                if attrs["data-check"] == "check":
                    self.assertTrue(attrs.get("data-reason", "").strip(),
                                    "an example checked only by /check says why")
                if attrs["data-check"] == "fixture":
                    self.assertTrue(attrs.get("data-expect", "").strip(),
                                    "a fixture example says what the fixture must get")

    def test_every_picture_and_link_resolves(self):
        parser = read_guide()
        self.assertGreater(len(parser.pictures), 0)
        for picture in parser.pictures:
            with self.subTest(picture=picture.get("src")):
                self.assertTrue(picture.get("alt"), "every picture has a text for who cannot see it")
                path = os.path.join(ROOT, "docs", urllib.parse.unquote(picture["src"]))
                self.assertTrue(os.path.isfile(path), path)
                with open(path, "rb") as f:
                    self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n", path)
        for link in parser.links:
            with self.subTest(link=link):
                if link.startswith("#"):
                    self.assertIn(link[1:], parser.ids)
                elif not re.match(r"^[a-z]+:", link):
                    path = os.path.join(ROOT, "docs", urllib.parse.unquote(link.split("#")[0]))
                    self.assertTrue(os.path.exists(path), path)

    def test_the_guide_renders(self):
        # A browser engine's picture of the whole page, to look at (guide-render.png in the
        # work folder).
        rendered = os.path.join(kavo_gui.ARGS.work, "guide-render.png")
        if os.path.exists(rendered):
            os.remove(rendered)
        made = subprocess.run(
            ["wkhtmltoimage", "--quiet", "--enable-local-file-access", "--width", "1000",
             GUIDE, rendered], capture_output=True, text=True, timeout=120)
        self.assertEqual(made.returncode, 0, made.stderr)
        # The size from the PNG's header: ImageMagick's policy refuses pictures over 16K pixels
        # high, which the whole guide is.
        with open(rendered, "rb") as f:
            header = f.read(24)
        self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
        width, height = struct.unpack(">II", header[16:24])
        self.assertGreaterEqual(width, 1000)
        self.assertGreater(height, 3000)  # the whole guide, not an error page

    def test_every_example_script_runs_and_does_what_the_guide_says(self):
        # A session with its notification-area icon stays open beside the runs: under Wine the
        # first icon brings up the tray's own window, which would take the keyboard from the
        # fixture at every run.
        kavo = self.start("guide-examples")
        self.fixture = Fixture("guide-fixture", title=FIXTURE_TITLE, children=True)
        window = self.fixture.activate()
        xdotool("windowmove", "--sync", window, *FIXTURE_PLACE)
        # The frame stands a little above and left of the place asked for.
        placed = kavo_gui.settled_window(FIXTURE_TITLE)
        left, top, width, height = kavo_gui.rect_of(placed)
        self.assertTrue(left + 10 < EXAMPLE_POINTS[0] and EXAMPLE_POINTS[2] < left + width - 10 and
                        top + 150 < EXAMPLE_POINTS[1] and EXAMPLE_POINTS[3] < top + height - 10,
                        f"the fixture at {placed} holds the examples' points")
        for number, example in enumerate(examples(read_guide()), start=1):
            attrs = example["attrs"]
            with self.subTest(example=first_line(example)):
                self.run_example(kavo, number, attrs, example["text"].strip() + "\n")

    def run_example(self, kavo, number, attrs, text):
        check = attrs["data-check"]
        if check == "fixture":
            for name, stand_in in FIXTURE_NAMES:
                text = text.replace(name, stand_in)
        page = f"guide\\example{number}"
        kavo.write(os.path.join("content", "guide", f"example{number}.txt"),
                   text.replace("\n", "\r\n").encode("gbk"))
        if check == "check":
            self.assertEqual(self.kavo_exit(kavo, "/check", page), 0, text)
            return
        # Input injected into the fixture reaches it only while it has the keyboard; on a busy
        # machine another window (Wine's tray, a balloon) may take it for a moment, so such an
        # example is run once more before it counts as failed.
        attempts = 2 if check == "fixture" else 1
        for attempt in range(1, attempts + 1):
            try:
                self.run_once(kavo, page, attrs, text, check)
                return
            except kavo_gui.WaitTimeout:
                if attempt == attempts:
                    raise

    def run_once(self, kavo, page, attrs, text, check):
        logs = [self.fixture.log] + [f"{self.fixture.log}.child{n}" for n in (1, 2)]
        before = {log: len(self.log_lines(log)) for log in logs}
        if check == "fixture":
            self.fixture.activate()
        code = self.kavo_exit(kavo, "/run", page, answer=attrs.get("data-answer"))
        self.assertEqual(code, int(attrs.get("data-exit", "0")), text)
        if attrs.get("data-file"):
            path = os.path.join(kavo.folder, attrs["data-file"])
            wait_for(lambda: os.path.exists(path), what=f"{attrs['data-file']} written by {text}")
        for expected in filter(None, (e.strip() for e in attrs.get("data-expect", "").split(";"))):
            wait_for(lambda: [line for log in logs for line in self.log_lines(log)[before[log]:]
                              if line.startswith(expected)],
                     timeout=15, what=f"the fixture to get {expected} from {text}")

    def kavo_exit(self, kavo, command, page, answer=None):
        process = spawn(["wine", kavo.exe, command, page], cwd=kavo_gui.ARGS.work)
        if answer:
            kavo_gui.answer(answer, what=f"the message box {answer}")
        try:
            return process.wait(timeout=90)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"kavo.exe {command} {page} did not end within 90 s") from None

    @staticmethod
    def log_lines(path):
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            return [line.strip() for line in f.read().decode("ascii").splitlines() if line.strip()]


class GuidePicturesTest(kavo_gui.SessionTest):
    def test_the_main_window_with_the_first_script_and_its_run(self):
        first = first_line(examples(read_guide())[0])
        kavo = self.start("guide-main", pages={
            "示例脚本/第一个脚本.txt": "信息框(你好,这是我的第一个脚本)\n气球提示框(脚本运行完毕)\n",
            "示例脚本/记事本.txt": "运行(notepad.exe)\n",
            "我的脚本/每日打卡.txt": "鼠标移动(400,300)\n鼠标(左键)\n",
        })
        self.assertTrue(first.startswith("信息框(你好"), first)
        kavo.open_page("示例脚本", "第一个脚本", shows="信息框")
        # The run panel filled in as the guide's binding describes (not bound: no Notepad here).
        kavo.click("编辑框2")
        kavo.type_text("notepad.exe")
        kavo.click("编辑框_启动热键")
        kavo.key("F6")
        kavo.wait_text("编辑框_启动热键", "F6", what="the key's name")
        main = windows_titled(kavo_gui.TITLE)[0]
        kavo_gui.guide_picture("main-window", kavo_gui.rect_of(main))
        # F1 over the tree, with the short usage text of 鼠标移动 that leaves X and Y in sight.
        kavo.click("加入鼠标移动")
        kavo.press("F1")
        x, y, width, height = kavo.tree_row("记事本")["rect"]
        xdotool("mousemove", "--sync", x + width // 2, y + height // 2)
        kavo.wait_coordinates(x + width // 2, y + height // 2, what="F1's display over the tree")
        kavo_gui.guide_picture("f1", kavo_gui.rect_of(main))
        kavo.press("F1")
        kavo.click("go")
        box = kavo_gui.settled_window("你好")
        kavo_gui.guide_picture("first-script", kavo_gui.rect_of(box))
        kavo_gui.answer("你好")


if __name__ == "__main__":
    kavo_gui.main()
