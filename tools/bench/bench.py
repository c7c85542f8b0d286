#!/usr/bin/env python3
"""The benchmarks' Linux side (tools/bench/bench.sh).

bench.py data MB OUT MKDIST SETUP STANDINS: a distribution of about MB megabytes installed in OUT/DISK1..3
  (made with our mkdist: 26 files over three disks, [Autorun]), OUT/files.txt, a line per file: disk, name
  on the disk, installed name and size, the expanded original; OUT/peer.nsi, the same as an NSIS installer. Made files: text, program-like bytes
  (fragments that recur between bytes of a skewed spread) and random bytes, reproducible.
bench.py report SAMPLES MB6 MB48 ROUNDS PATH SECONDS LOAD LOAD MARKDOWN: a line per figure from the lines
  "sample NAME ROUND VALUE" of SAMPLES/*.txt: median, min, max, the ratio to its baseline (the median of the
  per-round ratios), the target and whether it is met ("base +X": the median of the per-round differences);
  a summary, and the table in Markdown. An install's per-MB part is (T48 - T6) / (MB48 - MB6) per round, its
  fixed part T6 - perMB x MB6.
"""
import datetime
import glob
import os
import random
import statistics
import subprocess
import sys

# (name, kind, bytes at 48 MB, disk). Disk 1 also holds SETUP.EXE, SETUP.ZEL and the scripts.
MADE = [(name, kind, int(size), int(disk)) for name, kind, size, disk in (row.split() for row in """
    ENGINE.DLL binary 9000000 1, HELP.HLP text 4000000 1, ARRAYMGR.EXE binary 2000000 1, EVENTS.DAT binary 600000 1,
    STRINGS.TBL text 300000 1, SETUPLOG.TXT text 20000 1, MEDIA.CAB random 5000000 2, VIEWER.DLL binary 6000000 2,
    MANUAL.TXT text 3000000 2, DRIVERS.LIB binary 1500000 2, ICONS.RES binary 800000 2, SNMPMIB.TXT text 400000 2,
    ZELMON.EXE binary 200000 2, RAIDCFG.INI text 30000 2, CATALOG.DAT binary 7000000 3, SAMPLES.ZIP random 3000000 3,
    REFGUIDE.TXT text 2000000 3, ZELNET.DLL binary 1000000 3, PATCHES.DAT binary 500000 3, LICENSE.TXT text 100000 3,
    ZELCTL.CPL binary 50000 3, ERRORS.MSG text 20000 3""".split(","))]
WORDS = ("array disk volume stripe mirror parity rebuild controller cache spare channel target sector block "
         "firmware event logger alert threshold interval monitor status degraded optimal failed online offline "
         "capacity member the a of to and in is for on with").split()


def made_bytes(kind, rng, size):
    pieces, total = [], 0
    if kind == "random":
        return rng.randbytes(size)
    # Program-like: the pool of recurring fragments fits the 4 KB window of the LZ format.
    skew = bytes(0 if b < 96 else (b & 0x1F) if b < 192 else b for b in range(256))
    pool = [rng.randbytes(rng.randint(6, 48)) for _ in range(80)] if kind == "binary" else []
    while total < size:
        if kind == "text":
            words = [rng.choice(WORDS) for _ in range(rng.randint(4, 14))]
            if rng.random() < 0.4:
                words.append(str(rng.randint(0, 99999)))
            piece = (" ".join(words).capitalize() + ".\r\n").encode("ascii")
        elif rng.random() < 0.6:
            piece = pool[rng.randrange(len(pool))]
        else:
            piece = rng.randbytes(rng.randint(4, 40)).translate(skew)
        pieces.append(piece)
        total += len(piece)
    return b"".join(pieces)[:size]


def make_data(megabytes, out, mkdist, setup, standins):
    files = os.path.abspath(os.path.join(out, "files"))
    os.makedirs(files, exist_ok=True)
    rng = random.Random(4711)
    manifest = ["# Benchmark distribution of about %s MB (tools/bench/bench.py)" % megabytes]
    originals = {"setup.zel": os.path.abspath(setup)}
    for name, plain in (("VANTRX32.EXE", False), ("VANTRX.386", True), ("README.TXT", False)):
        originals[name] = os.path.abspath(os.path.join(standins, name))
        manifest.append('1 "%s" %s%s' % (originals[name], name, "" if plain else " compress"))
    for name, kind, size, disk in MADE:
        originals[name] = os.path.join(files, name)
        with open(originals[name], "wb") as made:
            made.write(made_bytes(kind, rng, max(1, int(size * float(megabytes) / 48.0))))
        manifest.append('%d "%s" %s%s' % (disk, originals[name], name, "" if kind == "random" else " compress"))
    with open(os.path.join(out, "manifest.txt"), "w") as text:
        text.write("\n".join(manifest) + "\n")
    subprocess.run([mkdist, "--version", "1.BD", "--setup", setup, "--out", out, "--capacity", str(64 << 20),
                    "--autorun", "C:\\Vantrx", "--vantrx", "NO", "--snmp", "NO", os.path.join(out, "manifest.txt")],
                   check=True, stdout=subprocess.DEVNULL)
    lines = []
    with open(os.path.join(out, "DISK1", "SETUP.INI"), encoding="ascii") as script:
        for line in script:
            key, _, value = line.strip().partition("=")
            if key.startswith("file") and key[4:].isdigit():
                lines.append("\t".join(value.split() + [originals[value.split()[2]]]))
    if len(lines) != 26:
        sys.exit("bench.py: %d file entries, 26 expected" % len(lines))
    with open(os.path.join(out, "files.txt"), "w") as listing:
        listing.write("\n".join(lines) + "\n")
    # The same files as an NSIS installer of NSIS's defaults (zlib, file by file, its CRC check at start;
    # ANSI as SETUP.EXE), writing an uninstaller and a registry record as an installer of its kind does.
    key = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelPeer"
    nsis = ["Unicode false", 'Name "ZEL Vantorix"', 'OutFile "%s"' % os.path.abspath(os.path.join(out, "peer.exe")),
            r'InstallDir "C:\Vantrx"', "RequestExecutionLevel admin", "SetCompressor zlib", "AutoCloseWindow true",
            "Page instfiles", "Section", '  SetOutPath "$INSTDIR"']
    nsis += ['  File "/oname=%s" "%s"' % (line.split("\t")[2], line.split("\t")[4]) for line in lines]
    nsis += [r'  WriteUninstaller "$INSTDIR\uninst.exe"', '  WriteRegStr HKLM "%s" "DisplayName" "ZEL Vantorix"' % key,
             '  WriteRegStr HKLM "%s" "UninstallString" \'"$INSTDIR\\uninst.exe"\'' % key, "SectionEnd",
             "Section Uninstall", '  RMDir /r "$INSTDIR"', '  DeleteRegKey HKLM "%s"' % key, "SectionEnd"]
    with open(os.path.join(out, "peer.nsi"), "w") as script:
        script.write("\n".join(nsis) + "\n")


class Figure:
    """One line of the report: values per round, and optionally a baseline per round and a target."""

    def __init__(self, name, unit, values, baseline=None, target=None):
        self.name, self.unit, self.values, self.baseline, self.target = name, unit, values, baseline, target

    def ratio(self):
        if self.baseline:
            return statistics.median(v / self.baseline[r] for r, v in self.values.items() if self.baseline.get(r))
        return None

    def verdict(self):
        """(target text, met), or ("", None) without a target."""
        if not self.target:
            return "", None
        kind, bound = self.target
        if kind == "plus<=":
            difference = statistics.median(v - self.baseline[r] for r, v in self.values.items() if r in self.baseline)
            return "<= base %+g (%+.1f)" % (bound, difference), difference <= bound
        ratio = self.ratio()
        return "ratio %s %g" % (kind[5:], bound), ratio <= bound if kind == "ratio<=" else ratio >= bound

    def row(self):
        values = list(self.values.values())
        target, met = self.verdict()
        base = statistics.median(self.baseline.values()) if self.baseline else None
        return (self.name, self.unit, number(statistics.median(values)), number(min(values)), number(max(values)),
                number(self.ratio()), number(base), target, "" if met is None else "met" if met else "NOT MET")


def number(value):
    if value is None:
        return ""
    return "%.0f" % value if abs(value) >= 100 else "%.1f" % value if abs(value) >= 10 else "%.2f" % value


def per_round(a, b, function):
    return {r: function(a[r], b[r]) for r in a if r in b}


def difference(a, b):
    return per_round(a, b, lambda x, y: x - y)


def figures_of(s, mb6, mb48):
    def parts(program):
        per_mb = per_round(s[program + "6"], s[program + "48"], lambda x6, x48: (x48 - x6) / (mb48 - mb6))
        return per_mb, {r: s[program + "6"][r] - per_mb[r] * mb6 for r in per_mb}

    (setup_mb, setup_fixed), (bare_mb, bare_fixed) = parts("setup"), parts("bare")
    (lzread_mb, lzread_fixed), (nsis_mb, nsis_fixed), (nsisw_mb, nsisw_fixed) = \
        parts("lzread"), parts("nsis"), parts("nsisw")
    cp_mb = per_round(s["cp.6"], s["cp.48"], lambda x6, x48: (x48 - x6) / (mb48 - mb6))
    f = [Figure("install %.1f MB: SETUP.EXE / bare LZ32 copy" % mb, "ms", s["setup%d" % n], s["bare%d" % n])
         for n, mb in ((6, mb6), (48, mb48))]
    f += [Figure("floor per MB: SETUP.EXE / bare LZ32 copy", "ms/MB", setup_mb, bare_mb, ("ratio<=", 1.0)),
          Figure("floor fixed part: SETUP.EXE / bare LZ32 copy", "ms", setup_fixed, bare_fixed, ("plus<=", 60)),
          Figure("fixed part: 2 disk prompts (SETUP.EXE 3 disks - 1 disk)", "ms",
                 difference(s["setup6"], s["setup6one"])),
          Figure("fixed part: window, page, 2 prompts (bare copy with - without)", "ms",
                 difference(s["window6"], s["bare6"])),
          Figure("fixed part: SETUP.EXE beyond those (SETUP.EXE - bare copy with them)", "ms",
                 difference(s["setup6"], s["window6"])),
          Figure("fixed part: loading USER32, GDI32 (bare copy with - without)", "ms", difference(s["gui6"], s["bare6"])),
          Figure("fixed part: loading SETUP.EXE's DLLs (bare copy with - without)", "ms",
                 difference(s["all6"], s["bare6"])),
          Figure("per MB: LZRead+64 KB writes / CopyLZFile (bare)", "ms/MB", lzread_mb, bare_mb),
          Figure("fixed part: LZRead+64 KB writes / CopyLZFile (bare)", "ms", lzread_fixed, bare_fixed)]
    for label, peer, mb_part, fixed_part in (("NSIS", "nsis", nsis_mb, nsis_fixed),
                                             ("NSIS with its window", "nsisw", nsisw_mb, nsisw_fixed)):
        f += [Figure("peer %.1f MB: SETUP.EXE / %s" % (mb, label), "ms", s["setup%d" % n], s["%s%d" % (peer, n)],
                     ("ratio<=", 1.0)) for n, mb in ((6, mb6), (48, mb48))]
        f += [Figure("peer per MB: SETUP.EXE / %s" % label, "ms/MB", setup_mb, mb_part),
              Figure("peer fixed part: SETUP.EXE / %s" % label, "ms", setup_fixed, fixed_part)]
    f.append(Figure("per MB: bare LZ32 copy / Linux cp", "ms/MB", bare_mb, cp_mb))
    f.append(Figure("start to welcome page: SETUP.EXE / bare dialog", "ms", s["setupstart"], s["baredlg"],
                    ("plus<=", 30)))
    for mb in (16, 256):
        speed = {name: {r: mb / (ms / 1000.0) for r, ms in s["%s.%d" % (name, mb)].items()}
                 for name in ("stamp", "memchr")}
        f.append(Figure("stamp scan %d MiB: ReadVersionStamp / memchr" % mb, "MiB/s", speed["stamp"],
                        speed["memchr"], ("ratio>=", 0.9)))
    for series, label, counts in (("remove", "RemoveInstallation (oldest)", (1, 10, 100)),
                                  ("remove.history", "of that RemoveHistoryEntry", (1, 10, 100)),
                                  ("remove.onewrite", "the same in one write of [Main]", (1, 10, 100)),
                                  ("reconcile", "ReconcileHistory", (1, 10, 100)),
                                  ("reconcile.stale", "ReconcileHistory, all stale", (1, 10, 30))):
        f += [Figure("%s, N = %d / N = 1" % (label, n), "ms", s["%s.%d" % (series, n)], s[series + ".1"])
              for n in counts]
    m = {name: s["mem." + name] for name in ("setup48", "setup6", "setup6one", "bare48", "all48", "baredlg")}
    f += [Figure("peak memory 48 MB install: SETUP.EXE / bare dialog", "MiB", m["setup48"], m["baredlg"], ("plus<=", 4)),
          Figure("peak memory 48 MB install: SETUP.EXE / bare copy", "MiB", m["setup48"], m["bare48"]),
          Figure("peak memory 48 MB: bare copy with SETUP.EXE's DLLs / bare dialog", "MiB", m["all48"], m["baredlg"]),
          Figure("peak memory: SETUP.EXE 48 MB / 6 MB install", "MiB", m["setup48"], m["setup6"], ("plus<=", 1)),
          Figure("peak memory: SETUP.EXE 6 MB, 3 disks / 1 disk", "MiB", m["setup6"], m["setup6one"])]
    phases = [Figure("phase: " + name[6:], "ms", values) for name, values in s.items() if name.startswith("phase.")]
    return f, phases


HEADER = ("figure", "unit", "median", "min", "max", "ratio", "base", "target", "status")


def print_table(figures):
    table = [HEADER[:-1] + ("",)] + [fig.row() for fig in figures]
    widths = [max(len(row[i]) for row in table) for i in range(len(HEADER))]
    for row in table:
        cells = [row[i].rjust(widths[i]) if 2 <= i <= 6 else row[i].ljust(widths[i]) for i in range(len(row))]
        print("  ".join(cells).rstrip())


def report(folder, mb6, mb48, rounds, path, seconds, load_start, load_end, markdown):
    s = {}
    for name in sorted(glob.glob(os.path.join(folder, "*.txt"))):
        with open(name, encoding="utf-8") as text:
            for words in (line.split() for line in text):
                if len(words) == 4 and words[0] == "sample":
                    s.setdefault(words[1], {})[int(words[2])] = float(words[3])
    short = sorted(name for name, values in s.items() if len(values) < int(rounds))
    if short:
        sys.exit("bench.py: fewer than %s rounds of %s" % (rounds, ", ".join(short)))
    try:
        figures, phases = figures_of(s, float(mb6), float(mb48))
    except KeyError as missing:
        sys.exit("bench.py: no samples of %s" % missing)
    conditions = "32-bit Wine %s, %s rounds in %s s, load average %s to %s" % (path, rounds, seconds, load_start,
                                                                                load_end)
    print_table(figures)
    print("\nwhere the fixed part goes: the product's own steps, a process of their own each round (no ratio)")
    print_table(phases)
    verdicts = [(fig.name, fig.verdict()[1]) for fig in figures if fig.target]
    missed = [name for name, met in verdicts if not met]
    print("\n%d figures, %s; targets met: %d of %d%s" % (len(figures), conditions, len(verdicts) - len(missed),
                                                        len(verdicts), "; not met: " + "; ".join(missed) if missed else ""))
    with open(markdown, "w", encoding="utf-8") as out:
        out.write("Run of %s, %s (median, min, max over the rounds; ratio: the median of the per-round ratios; "
                  "base: the baseline's median).\n\n" % (datetime.date.today(), conditions))
        out.write("| " + " | ".join(HEADER) + " |\n|---|---|" + "--:|" * 5 + "---|---|\n")
        out.writelines("| " + " | ".join(fig.row()) + " |\n" for fig in figures + phases)


if __name__ == "__main__":
    commands = {"data": (make_data, 5), "report": (report, 9)}
    if len(sys.argv) < 2 or sys.argv[1] not in commands or len(sys.argv) != commands[sys.argv[1]][1] + 2:
        sys.exit(__doc__)
    commands[sys.argv[1]][0](*sys.argv[2:])
