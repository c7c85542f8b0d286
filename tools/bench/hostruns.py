#!/usr/bin/env python3
"""The benchmark runs that need the Linux side of Wine.

    hostruns.py memory ROUNDS SESSION ZELBENCH NAME[:AS]=CWD=COMMAND...
        Peak working set of Windows programs: each started by the 32-bit Wine
        loader as a child of this process, whose rusage at its end holds the
        peak resident size of the process (what Wine reports as the peak
        working set). Before each run `zelbench.exe reset SESSION NAME` undoes
        the previous one; for a program with disk prompts in the session
        `zelbench.exe answer SESSION NAME` answers them meanwhile. CWD is a
        Unix folder, COMMAND the Windows command line. One line per run:
        "sample mem.NAME ROUND MIB".

    hostruns.py cp ROUNDS NAME=FILES.TXT...
        One plain `cp` of the expanded originals that a distribution's
        files.txt lists (makedata.py) into a scratch folder, the bytes in the
        page cache: the cost per byte of the platform underneath Wine.
        "sample cp.NAME ROUND MS".

The environment (WINEPREFIX, WINESERVER, WINEDEBUG ...) comes from bench.sh.
"""
import os
import shlex
import shutil
import subprocess
import sys
import time

LOADER = os.environ.get("BP_LOADER", "/usr/lib/wine/wine")


def fail(message):
    sys.exit("hostruns: " + message)


def wine(args, **kwargs):
    return subprocess.run([LOADER] + args, stdin=subprocess.DEVNULL, **kwargs)


def session_statement(session, statement, name):
    """The words after `STATEMENT NAME` in the session, or None."""
    with open(session, encoding="ascii") as text:
        for line in text:
            words = line.split()
            if len(words) >= 2 and words[0] == statement and words[1] == name:
                return words[2:]
    return None


def stop_file(session):
    with open(session, encoding="ascii") as text:
        for line in text:
            words = shlex.split(line, posix=False)
            if len(words) == 2 and words[0] == "stopfile":
                return words[1].strip('"')
    fail("the session names no stopfile")


def unix_of_c(windows_path, prefix):
    """Unix path of a C:\\ path in the prefix."""
    assert windows_path[:3].upper() == "C:\\"
    return os.path.join(prefix, "drive_c", *windows_path[3:].split("\\"))


def run_measured(cwd, command):
    """Starts the command under the loader; (exit code, peak MiB)."""
    child = subprocess.Popen([LOADER] + shlex.split(command, posix=False), cwd=cwd,
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    return child.returncode, usage.ru_maxrss / 1024.0


def memory(rounds, session, zelbench, programs):
    windows_session = sys_path_to_windows(session)
    stop = unix_of_c(stop_file(session), os.environ["WINEPREFIX"])
    for round_ in range(rounds):
        for i in range(len(programs)):
            label, cwd, command = programs[(i + round_) % len(programs)]
            name = label.partition(":")[2] or label
            known = session_statement(session, "program", name) is not None
            if known and wine([zelbench, "reset", windows_session, name]).returncode != 0:
                fail("cannot reset " + name)
            answerer = None
            prompts = session_statement(session, "prompts", name)
            if prompts and int(prompts[0]) > 0:
                if os.path.exists(stop):
                    os.remove(stop)
                answerer = subprocess.Popen([LOADER, zelbench, "answer", windows_session, name],
                                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                            stderr=subprocess.DEVNULL, text=True)
                if answerer.stdout.readline().strip() != "ready":
                    fail("the disk prompt answerer did not start")
            code, mib = run_measured(cwd, command)
            if answerer:
                with open(stop, "w"):
                    pass
                answered = answerer.stdout.read().strip()
                if answerer.wait() != 0:
                    fail("%s: the disk prompts were not answered as expected (%s)" % (name, answered))
                os.remove(stop)
            if code != 0:
                fail("%s ended with exit code %d" % (label, code))
            print("sample mem.%s %d %.2f" % (label.partition(":")[0], round_, mib), flush=True)
    for label, _, _ in programs:
        name = label.partition(":")[2] or label
        if session_statement(session, "program", name) is not None:
            wine([zelbench, "reset", windows_session, name])


def sys_path_to_windows(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def copy_plain(rounds, lists):
    sources = {}
    for name, listing in lists:
        with open(listing, encoding="utf-8") as text:
            sources[name] = [line.rstrip("\n").split("\t")[4] for line in text if line.strip()]
    scratch = os.path.join(os.path.dirname(os.path.abspath(lists[0][1])), "cp-scratch")
    for round_ in range(rounds):
        for i in range(len(lists)):
            name = lists[(i + round_) % len(lists)][0]
            shutil.rmtree(scratch, ignore_errors=True)
            os.makedirs(scratch)
            started = time.perf_counter()
            subprocess.run(["cp"] + sources[name] + [scratch], check=True)
            ms = (time.perf_counter() - started) * 1000.0
            print("sample cp.%s %d %.3f" % (name, round_, ms), flush=True)
    shutil.rmtree(scratch, ignore_errors=True)


def split_specs(specs, parts):
    result = []
    for spec in specs:
        fields = spec.split("=", parts - 1)
        if len(fields) != parts:
            fail("cannot read " + spec)
        result.append(tuple(fields))
    return result


def main():
    if len(sys.argv) >= 6 and sys.argv[1] == "memory":
        memory(int(sys.argv[2]), sys.argv[3], sys.argv[4], split_specs(sys.argv[5:], 3))
    elif len(sys.argv) >= 4 and sys.argv[1] == "cp":
        copy_plain(int(sys.argv[2]), split_specs(sys.argv[3:], 2))
    else:
        fail("usage: hostruns.py memory ROUNDS SESSION ZELBENCH NAME=CWD=COMMAND... | "
             "cp ROUNDS NAME=FILES.TXT...")


if __name__ == "__main__":
    main()
