#!/usr/bin/env python3
"""Where a traced run of a program spends its time.

    tracecalls.py --exe SETUP.EXE --tid HEX [--after TEXT] TRACE

TRACE is the standard error of a run under WINEDEBUG=+timestamp,+relay (with
HKCU\\Software\\Wine\\Debug RelayFromInclude naming the program, as bench.sh's
trace mode sets it). Only the thread HEX is read, and of its relayed calls
only those made from the program's own image (the return address inside the
image of EXE, whose base and size come from its PE header): the program's
calls into the platform. With --after, reading starts after the first line
that holds TEXT (zelbench marks the start of each traced run so). For each such call the time from its Call line to
its Ret line, less the time of the program's calls made inside it (through a
window or dialog procedure), is its own time.

Prints a timeline (process start, entry, every wizard command the main window
handled and how long it took, the end), the own time per group of platform
calls, and the calls that took longest in all. The timestamps have a
resolution of 1 ms and every relayed call pays for writing its trace lines, so
small calls look dearer than they are: the figures tell where the time goes,
not what a run costs untraced.
"""
import argparse
import collections
import re
import struct

LINE = re.compile(r"^(\d+\.\d+):([0-9a-f]{4}):(Call|Ret ) (.*)$")
API = re.compile(r"^([\w.]+)\((.*?)\)? .*ret=([0-9a-f]{8})$")
PROC = re.compile(r"^(window|dialog) proc ([0-9A-F]{8}) \(hwnd=\w+,msg=(\w+),wp=(\w+),lp=\w+\)")

# Wizard commands (WM_COMMAND wParam to the main window).
COMMANDS = {100: "welcome page", 101: "path page", 102: "history page", 103: "confirmation page",
            104: "copy page (the copy)", 105: "exit page", 106: "components page", 118: "wait dialog on",
            119: "wait dialog off", 501: "abandon", 503: "finish", 505: "shell group",
            506: "Windows NT configuration", 508: "history record"}

GROUPS = [
    ("service control manager", r"SCManager|Service"),
    ("LZ copies", r"^(KERNEL32|kernel32|lz32|LZ32)\.(LZ|CopyLZ|GetExpanded)"),
    ("profile writes", r"WritePrivateProfile"),
    ("profile reads", r"GetPrivateProfile"),
    ("DDE", r"\.Dde"),
    ("message boxes", r"MessageBox|MessageBeep"),
    ("dialogs", r"DialogBox|CreateDialog|EndDialog|SetDlgItem|GetDlgItem|SetWindowPos"),
    ("painting", r"^gdi32\.|Paint|FillRect|GetDC|ReleaseDC|UpdateWindow|InvalidateRect|GetSysColor"),
    ("windows and messages", r"^user32\."),
    ("registry", r"\.Reg[A-Z]"),
    ("security", r"Token|Sid|Privilege"),
    ("files", r"File|Directory|_access|_open|_read|_close|_lseek|fopen|fclose|fputs|fputc|fwrite|remove|"
              r"GetFullPathName|GetModuleFileName"),
    ("process", r"ExitProcess|exit$|_initterm|__getmainargs|GetStartupInfo"),
]


def image_range(exe):
    with open(exe, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    optional = pe + 24
    base = struct.unpack_from("<I", data, optional + 28)[0]
    size = struct.unpack_from("<I", data, optional + 56)[0]
    return base, base + size


def group_of(function):
    for name, pattern in GROUPS:
        if re.search(pattern, function):
            return name
    return "other"


class Frame:
    def __init__(self, name, started):
        self.name, self.started, self.children = name, started, 0.0


def analyse(path, tid, low, high, after):
    first = last = None
    stack = []
    own = collections.Counter()
    calls = collections.Counter()
    commands = []  # (command, start, duration)
    entry = None
    with open(path, encoding="utf-8", errors="replace") as trace:
        if after:
            for line in trace:
                if after in line:
                    break
        for line in trace:
            m = LINE.match(line)
            if not m or m.group(2) != tid:
                continue
            t = float(m.group(1)) * 1000.0
            first = t if first is None else first
            last = t
            kind, rest = m.group(3), m.group(4)
            proc = PROC.match(rest)
            if proc:
                # A procedure of the program: a frame of its own, so the calls
                # inside it are not counted as the time of the call around it.
                if not low <= int(proc.group(2), 16) < high:
                    continue
                name = "%s %s %s" % (proc.group(1), proc.group(3), proc.group(4))
                if kind == "Call":
                    stack.append(Frame(name, t))
                elif stack and stack[-1].name == name:
                    frame = stack.pop()
                    duration = t - frame.started
                    if stack:
                        stack[-1].children += frame.children
                    if proc.group(1) == "window" and proc.group(3) == "WM_COMMAND":
                        command = int(proc.group(4), 16)
                        if command in COMMANDS:
                            commands.append((command, frame.started - first, duration))
                continue
            api = API.match(rest)
            if not api or not low <= int(api.group(3), 16) < high:
                continue
            function = api.group(1)
            if kind == "Call":
                entry = t if entry is None else entry
                stack.append(Frame(function, t))
            else:
                # Unwind to the matching call (a call that never returned,
                # such as ExitProcess, stays open).
                while stack and stack[-1].name != function:
                    stack.pop()
                if not stack:
                    continue
                frame = stack.pop()
                duration = t - frame.started
                own[function] += duration - frame.children
                calls[function] += 1
                if stack:
                    stack[-1].children += duration
    return first, last, entry, own, calls, commands


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--tid", required=True)
    parser.add_argument("--after")
    parser.add_argument("trace")
    args = parser.parse_args()
    low, high = image_range(args.exe)
    tid = "%04x" % int(args.tid, 16)
    first, last, entry, own, calls, commands = analyse(args.trace, tid, low, high, args.after)
    if first is None:
        raise SystemExit("tracecalls: no line of thread %s in %s" % (tid, args.trace))
    print("timeline of thread %s (ms from its first trace line)" % tid)
    print("  %8.0f  entry: the program's first call" % (entry - first))
    for command, start, duration in commands:
        print("  %8.0f  command %d, %s: %.0f ms" % (start, command, COMMANDS[command], duration))
    print("  %8.0f  last trace line" % (last - first))
    print()
    groups = collections.Counter()
    group_calls = collections.Counter()
    for function, ms in own.items():
        groups[group_of(function)] += ms
        group_calls[group_of(function)] += calls[function]
    print("own time of the program's platform calls, by group (ms, calls)")
    for name, ms in groups.most_common():
        print("  %-26s %7.0f %6d" % (name, ms, group_calls[name]))
    print("  %-26s %7.0f %6d" % ("all", sum(groups.values()), sum(group_calls.values())))
    print()
    print("the calls with the most own time (ms, calls)")
    for function, ms in own.most_common(15):
        print("  %-36s %7.0f %6d" % (function, ms, calls[function]))


if __name__ == "__main__":
    main()
