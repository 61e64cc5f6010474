#!/usr/bin/env python3
"""Resident memory of kavo.exe at rest beside Wine's notepad, read from outside.

Each program is started the same way (wine PROGRAM), its window waited for, and two seconds
later its resident memory read from /proc/<pid>/status (VmRSS) of its own process; then it is
ended. kavo.exe runs with the example library and no page opened. `wine notepad.exe` runs
notepad in a second process behind Wine's start.exe: notepad's own process is the one read (the
launcher's figure is printed too, as it is easily taken for notepad's).

    resident_memory.py --kavo build/windows/kavo.exe --examples examples/content [--runs N]

Needs DISPLAY, WINEPREFIX and a window manager (scripts/bench.sh sets them up).
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SETTLE_SECONDS = 2.0  # after the window shows, as the figure is defined


def vm_rss_mb(pid):
    with open(f"/proc/{pid}/status", encoding="ascii", errors="replace") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    raise RuntimeError(f"no VmRSS for {pid}")


def wait_for_window(window_class, timeout=90):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", window_class],
                               capture_output=True, text=True, timeout=30).stdout.split()
        if found:
            return found[0]
        time.sleep(0.05)
    raise RuntimeError(f"no window of class {window_class}")


def processes_named(fragment):
    """Unix pids whose command line holds fragment (case-insensitive)."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as handle:
                command = handle.read().replace(b"\0", b" ").decode("utf-8", "replace")
        except OSError:
            continue
        if fragment.lower() in command.lower():
            pids.append(int(entry))
    return pids


def end(pid):
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def measure_kavo(kavo, examples):
    folder = tempfile.mkdtemp(prefix="kavo-resident-")
    try:
        shutil.copy(kavo, os.path.join(folder, "kavo.exe"))
        shutil.copytree(examples, os.path.join(folder, "content"))
        # wine runs the program in the process it starts.
        process = subprocess.Popen(["wine", "kavo.exe"], cwd=folder, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_for_window("kavo.exe")
            time.sleep(SETTLE_SECONDS)
            return vm_rss_mb(process.pid)
        finally:
            end(process.pid)
            process.wait(timeout=30)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def measure_notepad():
    before = set(processes_named("notepad.exe"))
    launcher = subprocess.Popen(["wine", "notepad.exe"], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for_window("notepad.exe")
        time.sleep(SETTLE_SECONDS)
        notepad = [pid for pid in processes_named("system32\\notepad.exe") if pid not in before]
        if len(notepad) != 1:
            raise RuntimeError(f"notepad's own process not found: {notepad}")
        return vm_rss_mb(notepad[0]), vm_rss_mb(launcher.pid), notepad[0]
    finally:
        for pid in processes_named("system32\\notepad.exe"):
            if pid not in before:
                end(pid)
        end(launcher.pid)
        launcher.wait(timeout=30)


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--kavo", required=True)
    parser.add_argument("--examples", required=True)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args(argv[1:])

    kavo, notepad, launcher = [], [], []
    measure_kavo(args.kavo, args.examples)  # the first start brings the files into the cache
    for _ in range(args.runs):
        kavo.append(measure_kavo(args.kavo, args.examples))
        own, start, _ = measure_notepad()
        notepad.append(own)
        launcher.append(start)
    kavo_mb = statistics.median(kavo)
    notepad_mb = statistics.median(notepad)
    print(f"resident_at_rest_notepad: {notepad_mb:.1f} MB (peer; notepad.exe's own process)")
    print(f"resident_at_rest_notepad_launcher: {statistics.median(launcher):.1f} MB "
          f"(report; start.exe, which `wine notepad.exe` leaves in front of notepad)")
    print(f"resident_at_rest_kavo: {kavo_mb:.1f} MB (goal: <= 1.5 x notepad; "
          f"{kavo_mb / notepad_mb:.2f} x)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
