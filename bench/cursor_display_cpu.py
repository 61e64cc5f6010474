#!/usr/bin/env python3
"""What F1's display of the pointer costs: kavo.exe is started in a run folder of its own, and
for some seconds the pointer sweeps back and forth over the program's window and the desktop
around it (a move every 10 ms), first with the display off, then with F1's display on. The
processor time of kavo.exe, of the Wine server and of the X server over each sweep is read from
Linux's /proc: under Wine, GetProcessTimes of another process leaves most of it out.

Usage: cursor_display_cpu.py KAVO_EXE   (with DISPLAY and WINEPREFIX set, as scripts/bench.sh
sets them). Prints "name: value unit (goal: ...)" lines.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

SWEEP_SECONDS = 8
TITLE = "^KAVO脚本助手 $"


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True,
                          timeout=120).stdout.decode().strip()


def processes(matches):
    """Linux process ids for which matches(proc_dir) holds."""
    found = []
    for proc in glob.glob("/proc/[0-9]*"):
        try:
            if matches(proc):
                found.append(proc)
        except OSError:
            pass
    return found


def command_line(proc):
    with open(proc + "/cmdline", "rb") as f:
        return f.read().replace(b"\0", b" ").decode("utf-8", "replace")


def environment(proc):
    with open(proc + "/environ", "rb") as f:
        return f.read().decode("utf-8", "replace").split("\0")


def seconds_used(procs):
    total = 0
    for proc in procs:
        try:
            with open(proc + "/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])  # utime, stime
        except OSError:
            pass
    return total / os.sysconf("SC_CLK_TCK")


def sweep(groups):
    """Percent of one processor each group of processes used while the pointer swept."""
    steps = []
    for i in range(int(SWEEP_SECONDS / 0.01)):
        phase = i % 200
        x = 200 + 800 * (phase if phase < 100 else 200 - phase) // 100
        steps += ["mousemove", str(x), str(300 + (i % 7) * 40), "sleep", "0.01"]
    before = {name: seconds_used(procs) for name, procs in groups.items()}
    start = time.monotonic()
    subprocess.run(["xdotool"] + steps, timeout=600)
    wall = time.monotonic() - start
    return {name: 100 * (seconds_used(procs) - before[name]) / wall
            for name, procs in groups.items()}


def main(argv):
    folder = tempfile.mkdtemp(prefix="kavo-cursor-display-")
    os.makedirs(os.path.join(folder, "content", "bench"))
    shutil.copy(argv[1], os.path.join(folder, "kavo.exe"))
    with open(os.path.join(folder, "content", "bench", "page.txt"), "wb") as f:
        f.write("延时(1)\r\n".encode("gbk"))
    program = subprocess.Popen(["wine", "kavo.exe"], cwd=folder, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        window = None
        for _ in range(300):
            window = xdotool("search", "--onlyvisible", "--name", TITLE)
            if window:
                break
            time.sleep(0.2)
        if not window:
            print("cursor_display_cpu: missing (goal: the program's window did not show)")
            return 1
        time.sleep(2)  # settled: the library's background listing is done
        prefix = "WINEPREFIX=" + os.environ.get("WINEPREFIX", "")
        display = os.environ.get("DISPLAY", "")
        groups = {
            "kavo": processes(lambda p: os.readlink(p + "/cwd") == folder and
                              "kavo.exe" in command_line(p)),
            "wine_server": processes(lambda p: "wineserver" in command_line(p) and
                                     prefix in environment(p)),
            "x_server": processes(lambda p: command_line(p).startswith("Xvfb " + display + " ")),
        }
        off = sweep(groups)
        xdotool("windowactivate", "--sync", window.split()[0])
        xdotool("keydown", "F1")
        time.sleep(0.15)
        xdotool("keyup", "F1")
        time.sleep(0.5)
        on = sweep(groups)
    finally:
        program.kill()
        program.wait(timeout=30)
        shutil.rmtree(folder, ignore_errors=True)
    print(f"cursor_display_cpu: {on['kavo']:.1f} % of a core (goal: small; kavo.exe while the "
          f"pointer sweeps with F1 on, {on['kavo'] - off['kavo']:.1f} points above F1 off)")
    print(f"cursor_display_off_cpu: {off['kavo']:.1f} % of a core (goal: report; the same sweep, "
          f"F1 off)")
    system_on = on["wine_server"] + on["x_server"]
    system_off = off["wine_server"] + off["x_server"]
    print(f"cursor_display_system_cpu: {system_on:.1f} % of a core (goal: report; the Wine and X "
          f"servers with F1 on, {system_on - system_off:.1f} points above F1 off)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
