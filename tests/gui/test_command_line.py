"""kavo.exe /run and /check from the command line: a process of its own, the program's folder as
working directory, an exit code for each way a run ends and one line of the run log each."""

import os
import re
import subprocess

import kavo_gui
from kavo_gui import Kavo, press, spawn, wait_for, windows_titled, wine

PAGES = {
    "任务/写文件.txt": "运行(cmd /c echo ok> out.txt)\n",
    "任务/有错.txt": "延时(1)\n没有这个命令(1)\n",
    "任务/等待.txt": "运行(cmd /c echo started> started.txt)\n延时(60000)\n运行(cmd /c echo late> late.txt)\n",
    "任务/找窗口.txt": "按键消息(进程:no_such_program.exe,65,5)\n运行(cmd /c echo late> late.txt)\n",
    "任务/信息框.txt": "运行(cmd /c echo started> started.txt)\n按住(16)\n信息框(等着,不点它)\n"
                    "运行(cmd /c echo late> late.txt)\n",
}

ESCAPES = {"t": "\t", "n": "\n", "r": "\r", "\\": "\\"}


def log_field(written):
    """A field of the run log as it was before the log escaped it."""
    return re.sub(r"\\(x[0-9A-F]{2}|.)",
                  lambda m: chr(int(m.group(1)[1:], 16)) if len(m.group(1)) == 3
                  else ESCAPES.get(m.group(1), m.group(1)), written)


class CommandLineTest(kavo_gui.SessionTest):
    def run_page(self, kavo, *arguments, before_exit=None):
        """Starts kavo.exe with the arguments from another folder (as the Task Scheduler does)
        and returns its exit code."""
        process = spawn(["wine", kavo.exe] + list(arguments), cwd=kavo_gui.ARGS.work)
        if before_exit:
            before_exit(kavo)
        try:
            return process.wait(timeout=90)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"kavo.exe {arguments} did not end within 90 s") from None

    def log_lines(self, kavo):
        path = os.path.join(kavo.folder, "kavo-run.log")
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            return f.read().decode("gbk").split("\r\n")[:-1]

    def test_each_end_of_a_run_has_its_exit_code_and_log_line(self):
        kavo = Kavo("command_line", pages=PAGES)
        kavo.write("kavo-run.log", "更早的一行\r\n".encode("gbk"))

        def stop_with_f12(session):
            wait_for(lambda: os.path.exists(os.path.join(session.folder, "started.txt")),
                     timeout=60, what="the page to start")
            press("F12")

        cases = [
            # arguments, exit code, page in the log, reason in the log, what happens first
            (["/run", "任务\\写文件"], 0, "任务\\写文件", "运行完毕", None),
            (["/check", "任务\\有错"], 3, "任务\\有错", "脚本错误：第2行", None),
            (["/run", "任务\\有错"], 3, "任务\\有错", "脚本错误：第2行", None),
            (["/run", "任务\\没有"], 2, "任务\\没有", "找不到页面或无法读取", None),
            (["/run", "任务\\找窗口.txt"], 5, "任务\\找窗口.txt",
             "找不到窗口：进程:no_such_program.exe（第 1 行）", None),
            (["/run", "任务\\等待"], 4, "任务\\等待", "已停止，停在第 2 行：延时(60000)",
             stop_with_f12),
        ]
        for arguments, code, page, reason, before_exit in cases:
            with self.subTest(arguments=arguments):
                before = len(self.log_lines(kavo))
                self.assertEqual(self.run_page(kavo, *arguments, before_exit=before_exit), code)
                lines = self.log_lines(kavo)
                self.assertEqual(len(lines), before + 1, lines)
                fields = [log_field(field) for field in lines[-1].split("\t")]
                self.assertEqual(fields[1:4], [arguments[0], page, str(code)], lines[-1])
                self.assertTrue(fields[4].startswith(reason), lines[-1])
        # The page's command ran in the program's folder, not where kavo.exe was started.
        out = os.path.join(kavo.folder, "out.txt")
        wait_for(lambda: os.path.exists(out), what="out.txt in the program's folder")
        with open(out, "rb") as f:
            self.assertEqual(f.read().strip(), b"ok")
        # Every earlier line is still there; nothing ran after a stop or a missing window (the
        # positive control: started.txt, written by the same page before its stop).
        self.assertEqual(self.log_lines(kavo)[0], "更早的一行")
        self.assertTrue(os.path.exists(os.path.join(kavo.folder, "started.txt")))
        self.assertFalse(os.path.exists(os.path.join(kavo.folder, "late.txt")))

    def test_a_run_beside_an_open_window_is_its_own_process(self):
        kavo = self.start("command_line_open", pages=PAGES)
        self.assertEqual(self.run_page(kavo, "/run", "任务\\写文件"), 0)
        wait_for(lambda: os.path.exists(os.path.join(kavo.folder, "out.txt")),
                 what="out.txt in the program's folder")
        # The open window was not asked to run it and is still the only main window.
        self.assertEqual(len(kavo.visible_windows()), 1)
        self.assertIsNone(kavo.process.poll())


    def test_asked_to_close_a_run_stops_with_its_log_line(self):
        """taskkill without /f posts WM_CLOSE: the run stops, what it holds is released and the
        process ends with exit code 4 and its log line, whether the run waits in a delay or
        sits in a message box nobody closes."""
        kavo = Kavo("command_line_close", pages=PAGES)

        def close_when_started(page):
            def close(session):
                started = os.path.join(session.folder, "started.txt")
                wait_for(lambda: os.path.exists(started), timeout=60, what="the page to start")
                if page.endswith("信息框"):
                    # The message box is up before the process is asked to close.
                    wait_for(lambda: windows_titled("等着"), timeout=30, what="the message box")
                wine(["taskkill", "/im", os.path.basename(session.exe)])
            return close

        for page in ["任务\\等待", "任务\\信息框"]:
            with self.subTest(page=page):
                started = os.path.join(kavo.folder, "started.txt")
                if os.path.exists(started):
                    os.remove(started)
                before = len(self.log_lines(kavo))
                self.assertEqual(
                    self.run_page(kavo, "/run", page, before_exit=close_when_started(page)), 4)
                lines = self.log_lines(kavo)
                self.assertEqual(len(lines), before + 1, lines)
                fields = [log_field(field) for field in lines[-1].split("\t")]
                self.assertEqual(fields[1:4], ["/run", page, "4"], lines[-1])
                self.assertTrue(fields[4].startswith("已停止"), lines[-1])
                # Nothing after the stop ran (started.txt, written by the same page before it,
                # is the positive control).
                self.assertTrue(os.path.exists(started))
                self.assertFalse(os.path.exists(os.path.join(kavo.folder, "late.txt")))


if __name__ == "__main__":
    kavo_gui.main()
