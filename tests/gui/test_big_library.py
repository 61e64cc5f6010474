"""A library too big to list before the window shows: every directory is there at once, the
pages follow, and the last directory's pages open as the user expects."""

import kavo_gui
from kavo_gui import wait_for

DIRECTORIES = 30
PAGES = 40  # 1200 pages: more than a start lists up front


class BigLibraryTest(kavo_gui.SessionTest):
    def test_directories_show_at_once_and_every_page_follows(self):
        pages = {f"目录{d:02}/页{d:02}-{p:02}.txt": f"延时({d * 100 + p})\n"
                 for d in range(DIRECTORIES) for p in range(PAGES)}
        kavo = self.start("big-library", pages=pages, activate=False)
        directories = [row["text"] for row in kavo.tree() if row["level"] == 0]
        self.assertEqual(directories, [f"目录{d:02}" for d in range(DIRECTORIES)])
        wait_for(lambda: len(kavo.tree()), until=lambda rows: rows == DIRECTORIES * (PAGES + 1),
                 timeout=60, what="every page to be listed (rows in the tree)")
        rows = kavo.tree()
        # Pre-order: each directory followed by its own pages, in order.
        expected = []
        for d in range(DIRECTORIES):
            expected.append(f"目录{d:02}")
            expected.extend(f"页{d:02}-{p:02}" for p in range(PAGES))
        self.assertEqual([row["text"] for row in rows], expected)

        kavo.activate()
        kavo.open_directory(f"目录{DIRECTORIES - 1:02}")
        # The selection moves from the directory to its first page, as a user's Down key.
        kavo.key("Down")
        first = (DIRECTORIES - 1) * 100
        kavo.wait_text(kavo_gui.EDITOR, lambda text: f"延时({first})" in text,
                       what="the first page of the last directory")

if __name__ == "__main__":
    kavo_gui.main()
