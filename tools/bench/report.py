#!/usr/bin/env python3
"""The figures of a bench run, from the samples bench.sh collected.

    report.py --mb6 MB --mb48 MB --rounds N [--markdown FILE] [--load L --load L]
              [--seconds S] SAMPLES_DIR

Reads every "sample NAME ROUND VALUE" line of SAMPLES_DIR/*.txt and prints one
line per figure: its name, unit, median, min and max over the rounds, the
ratio to its baseline (the median of the per-round ratios, so that both
programs of a round meet the same state of the machine), the target and
whether it is met (a target "base +X" holds the median of the per-round
differences to X); then a summary. --markdown also writes the table in
Markdown for docs/performance.md. --load (the machine's load average at the
start and at the end of the run) and --seconds (how long it ran) go into the
summary: the machine is shared, and a figure means more next to its load.

A derived figure is computed per round before the median is taken: the
per-MB part of an install is (T48 - T6) / (MB48 - MB6), its fixed part
T6 - perMB x MB6, with MB the megabytes (10^6 bytes) of the file table.
"""
import argparse
import datetime
import glob
import os
import statistics
import sys


def read_samples(folder):
    series = {}
    for path in sorted(glob.glob(os.path.join(folder, "*.txt"))):
        with open(path, encoding="utf-8") as text:
            for line in text:
                words = line.split()
                if len(words) == 4 and words[0] == "sample":
                    series.setdefault(words[1], {})[int(words[2])] = float(words[3])
    return series


class Figure:
    """One line of the report: values per round, optionally a baseline per round."""

    def __init__(self, name, unit, values, baseline=None, target=None):
        self.name, self.unit, self.values, self.baseline = name, unit, values, baseline
        self.target = target

    def stats(self):
        v = list(self.values.values())
        return statistics.median(v), min(v), max(v)

    def ratio(self):
        if not self.baseline:
            return None
        rounds = [r for r in self.values if r in self.baseline and self.baseline[r]]
        return statistics.median(self.values[r] / self.baseline[r] for r in rounds)

    def difference(self):
        """The median of the per-round differences to the baseline."""
        rounds = [r for r in self.values if r in self.baseline]
        return statistics.median(self.values[r] - self.baseline[r] for r in rounds)

    def baseline_median(self):
        return statistics.median(self.baseline.values()) if self.baseline else None

    def verdict(self):
        """(target text, met) or (text, None) for a figure without a target."""
        if not self.target:
            return "", None
        kind, bound = self.target
        if kind == "ratio<=":
            return "ratio <= %g" % bound, self.ratio() <= bound
        if kind == "ratio>=":
            return "ratio >= %g" % bound, self.ratio() >= bound
        if kind == "plus<=":
            difference = self.difference()
            return "<= base %+g (%+.1f)" % (bound, difference), difference <= bound
        raise ValueError(kind)


def per_round(a, b, function):
    return {r: function(a[r], b[r]) for r in a if r in b}


def install_parts(series, program, mb6, mb48):
    """Per-round per-MB and fixed parts of an installer's time."""
    t6, t48 = series[program + "6"], series[program + "48"]
    per_mb = per_round(t6, t48, lambda x6, x48: (x48 - x6) / (mb48 - mb6))
    fixed = {r: t6[r] - per_mb[r] * mb6 for r in per_mb}
    return per_mb, fixed


def throughput(series, name, megabytes):
    return {r: megabytes / (ms / 1000.0) for r, ms in series[name].items()}


def build_figures(s, mb6, mb48):
    f = []
    setup_mb, setup_fixed = install_parts(s, "setup", mb6, mb48)
    bare_mb, bare_fixed = install_parts(s, "bare", mb6, mb48)
    lzread_mb, lzread_fixed = install_parts(s, "lzread", mb6, mb48)
    nsis_mb, nsis_fixed = install_parts(s, "nsis", mb6, mb48)
    f.append(Figure("install %.1f MB: SETUP.EXE / bare LZ32 copy" % mb6, "ms", s["setup6"], s["bare6"]))
    f.append(Figure("install %.1f MB: SETUP.EXE / bare LZ32 copy" % mb48, "ms", s["setup48"], s["bare48"]))
    f.append(Figure("floor per MB: SETUP.EXE / bare LZ32 copy", "ms/MB", setup_mb, bare_mb, ("ratio<=", 1.0)))
    f.append(Figure("floor fixed part: SETUP.EXE / bare LZ32 copy", "ms", setup_fixed, bare_fixed,
                    ("plus<=", 60)))
    f.append(Figure("fixed part: 2 disk prompts (SETUP.EXE 3 disks - 1 disk)", "ms",
                    per_round(s["setup6"], s["setup6one"], lambda a, b: a - b)))
    f.append(Figure("fixed part: window, page, 2 prompts (bare copy with - without)", "ms",
                    per_round(s["window6"], s["bare6"], lambda a, b: a - b)))
    f.append(Figure("fixed part: SETUP.EXE beyond those (SETUP.EXE - bare copy with them)", "ms",
                    per_round(s["setup6"], s["window6"], lambda a, b: a - b)))
    f.append(Figure("fixed part: loading USER32, GDI32 (bare copy with - without)", "ms",
                    per_round(s["gui6"], s["bare6"], lambda a, b: a - b)))
    f.append(Figure("fixed part: loading SETUP.EXE's DLLs (bare copy with - without)", "ms",
                    per_round(s["all6"], s["bare6"], lambda a, b: a - b)))
    f.append(Figure("per MB: LZRead+64 KB writes / CopyLZFile (bare)", "ms/MB", lzread_mb, bare_mb))
    f.append(Figure("fixed part: LZRead+64 KB writes / CopyLZFile (bare)", "ms", lzread_fixed, bare_fixed))
    f.append(Figure("peer %.1f MB: SETUP.EXE / NSIS" % mb6, "ms", s["setup6"], s["nsis6"], ("ratio<=", 1.0)))
    f.append(Figure("peer %.1f MB: SETUP.EXE / NSIS" % mb48, "ms", s["setup48"], s["nsis48"], ("ratio<=", 1.0)))
    f.append(Figure("peer per MB: SETUP.EXE / NSIS", "ms/MB", setup_mb, nsis_mb))
    f.append(Figure("peer fixed part: SETUP.EXE / NSIS", "ms", setup_fixed, nsis_fixed))
    if "cp.6" in s and "cp.48" in s:
        cp_mb = per_round(s["cp.6"], s["cp.48"], lambda x6, x48: (x48 - x6) / (mb48 - mb6))
        f.append(Figure("per MB: bare LZ32 copy / Linux cp", "ms/MB", bare_mb, cp_mb))
    f.append(Figure("start to welcome page: SETUP.EXE / bare dialog", "ms", s["setupstart"], s["baredlg"],
                    ("plus<=", 30)))
    for mb in (16, 256):
        stamp = throughput(s, "stamp.%d" % mb, mb)
        memchr = throughput(s, "memchr.%d" % mb, mb)
        skip = throughput(s, "skipscan.%d" % mb, mb)
        f.append(Figure("stamp scan %d MiB: ReadVersionStamp / memchr" % mb, "MiB/s", stamp, memchr,
                        ("ratio>=", 0.9)))
        f.append(Figure("stamp scan %d MiB: memchr-skipping scan / memchr" % mb, "MiB/s", skip, memchr))
    for series_name, label, counts in (("remove", "RemoveInstallation (oldest)", (1, 10, 100)),
                                       ("remove.history", "of that RemoveHistoryEntry", (1, 10, 100)),
                                       ("remove.onewrite", "the same in one write of [Main]", (1, 10, 100)),
                                       ("reconcile", "ReconcileHistory", (1, 10, 100)),
                                       ("reconcile.stale", "ReconcileHistory, all stale", (1, 10, 30))):
        first = s.get("%s.%d" % (series_name, counts[0]))
        for n in counts:
            name = "%s.%d" % (series_name, n)
            if name in s:
                f.append(Figure("%s, N = %d / N = %d" % (label, n, counts[0]), "ms", s[name], first))
    f.append(Figure("peak memory 48 MB install: SETUP.EXE / bare dialog", "MiB", s["mem.setup48"], s["mem.baredlg"],
                    ("plus<=", 4)))
    f.append(Figure("peak memory 48 MB install: SETUP.EXE / bare copy", "MiB", s["mem.setup48"], s["mem.bare48"]))
    f.append(Figure("peak memory 48 MB: bare copy with SETUP.EXE's DLLs / bare dialog", "MiB", s["mem.all48"],
                    s["mem.baredlg"]))
    f.append(Figure("peak memory: SETUP.EXE 48 MB / 6 MB install", "MiB", s["mem.setup48"], s["mem.setup6"],
                    ("plus<=", 1)))
    f.append(Figure("peak memory: SETUP.EXE 6 MB, 3 disks / 1 disk", "MiB", s["mem.setup6"], s["mem.setup6one"]))
    return f


def number(value):
    if value is None:
        return ""
    if abs(value) >= 100:
        return "%.0f" % value
    if abs(value) >= 10:
        return "%.1f" % value
    return "%.2f" % value


def rows(figures):
    for fig in figures:
        median, low, high = fig.stats()
        target, met = fig.verdict()
        status = "" if met is None else ("met" if met else "NOT MET")
        yield (fig.name, fig.unit, number(median), number(low), number(high), number(fig.ratio()),
               number(fig.baseline_median()), target, status)


HEADER = ("figure", "unit", "median", "min", "max", "ratio", "base", "target", "")


def print_table(figures):
    table = [HEADER] + list(rows(figures))
    widths = [max(len(row[i]) for row in table) for i in range(len(HEADER))]
    for row in table:
        cells = [row[0].ljust(widths[0]), row[1].ljust(widths[1])]
        cells += [row[i].rjust(widths[i]) for i in range(2, 7)]
        cells += [row[7].ljust(widths[7]), row[8]]
        print("  ".join(cells).rstrip())


PHASES = ["load", "service-query", "first-window", "dde-instance", "main-window", "show-and-paint", "repaint",
          "start-up-checks", "setup-script", "welcome-page", "history-record", "history-record-twowrites", "nt-configuration",
          "logger-service"]


def phase_figures(series):
    return [Figure("phase: " + name, "ms", series["phase." + name]) for name in PHASES
            if "phase." + name in series]


def conditions(args):
    text = "%d rounds" % args.rounds
    if args.seconds:
        text += " in %d s" % args.seconds
    if args.load:
        text += ", load average %s" % " to ".join(args.load)
    return text


def write_markdown(figures, path, args):
    with open(path, "w", encoding="utf-8") as out:
        out.write("Run of %s, %s (median, min, max over the rounds; ratio: the median of the per-round "
                  "ratios; base: the baseline's median).\n\n" % (datetime.date.today(), conditions(args)))
        out.write("| " + " | ".join(h or "status" for h in HEADER) + " |\n")
        out.write("|" + "|".join(["---", "---"] + ["--:"] * 5 + ["---", "---"]) + "|\n")
        for row in rows(figures):
            out.write("| " + " | ".join(row) + " |\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mb6", type=float, required=True)
    parser.add_argument("--mb48", type=float, required=True)
    parser.add_argument("--rounds", type=int, required=True)
    parser.add_argument("--markdown")
    parser.add_argument("--load", action="append")
    parser.add_argument("--seconds", type=int)
    parser.add_argument("samples")
    args = parser.parse_args()
    series = read_samples(args.samples)
    try:
        figures = build_figures(series, args.mb6, args.mb48)
    except KeyError as missing:
        sys.exit("report: no samples of %s" % missing)
    short = [name for name, values in series.items() if len(values) < args.rounds]
    if short:
        sys.exit("report: fewer than %d rounds of %s" % (args.rounds, ", ".join(sorted(short))))
    print_table(figures)
    phases = phase_figures(series)
    if phases:
        print()
        print("where the fixed part goes, untraced: the product's own operations timed in a process")
        print("of their own each round (tools/bench/phases.exe; diagnosis, no ratio)")
        print_table(phases)
    verdicts = [(fig.name, fig.verdict()[1]) for fig in figures if fig.verdict()[1] is not None]
    missed = [name for name, met in verdicts if not met]
    print()
    print("%d figures, %s; targets met: %d of %d%s" %
          (len(figures), conditions(args), len(verdicts) - len(missed), len(verdicts),
           "" if not missed else "; not met: " + "; ".join(missed)))
    if args.markdown:
        write_markdown(figures + phases, args.markdown, args)


if __name__ == "__main__":
    main()
