#!/usr/bin/env python3
"""Makes a large distribution for the install benchmarks.

    makedata.py --megabytes N --out DIR --mkdist MKDIST --setup SETUP.EXE --standins DIR

writes the expanded files to DIR/files, a manifest to DIR/manifest.txt, the
distribution disks DIR/DISK1..DISK3 with our mkdist, and DIR/files.txt, one
line per file of the file table with tab-separated fields: disk, name on the
disk, installed name, installed size, the expanded original. Twenty-six files in
all (the file table's capacity): SETUP.ZEL (the setup program, added by
mkdist), the stand-ins VANTRX32.EXE, VANTRX.386 and README.TXT, and 22 made
files whose sizes scale with N (48 gives about 48 MB expanded). Most are
stored SZDD-compressed; the two files of random bytes (like already
compressed media) and VANTRX.386 and SETUP.ZEL are stored as they are. The
files lie on three disks, so an install asks for disks 2 and 3.

The made files are reproducible (a fixed seed) and of three kinds: text
(words and numbers in lines), binary (fragments that recur, as in program
code, between bytes of a skewed spread) and random bytes.
"""
import argparse
import os
import random
import subprocess
import sys

# (name, kind, bytes at 48 MB, disk). Disk 1 also holds SETUP.EXE, SETUP.ZEL
# and the scripts.
MADE = [
    ("ENGINE.DLL", "binary", 9_000_000, 1),
    ("HELP.HLP", "text", 4_000_000, 1),
    ("ARRAYMGR.EXE", "binary", 2_000_000, 1),
    ("EVENTS.DAT", "binary", 600_000, 1),
    ("STRINGS.TBL", "text", 300_000, 1),
    ("SETUPLOG.TXT", "text", 20_000, 1),
    ("MEDIA.CAB", "random", 5_000_000, 2),
    ("VIEWER.DLL", "binary", 6_000_000, 2),
    ("MANUAL.TXT", "text", 3_000_000, 2),
    ("DRIVERS.LIB", "binary", 1_500_000, 2),
    ("ICONS.RES", "binary", 800_000, 2),
    ("SNMPMIB.TXT", "text", 400_000, 2),
    ("ZELMON.EXE", "binary", 200_000, 2),
    ("RAIDCFG.INI", "text", 30_000, 2),
    ("CATALOG.DAT", "binary", 7_000_000, 3),
    ("SAMPLES.ZIP", "random", 3_000_000, 3),
    ("REFGUIDE.TXT", "text", 2_000_000, 3),
    ("ZELNET.DLL", "binary", 1_000_000, 3),
    ("PATCHES.DAT", "binary", 500_000, 3),
    ("LICENSE.TXT", "text", 100_000, 3),
    ("ZELCTL.CPL", "binary", 50_000, 3),
    ("ERRORS.MSG", "text", 20_000, 3),
]

WORDS = ("array disk volume stripe mirror parity rebuild controller cache spare channel target "
         "sector block firmware event logger alert threshold interval monitor status degraded "
         "optimal failed online offline capacity member the a of to and in is for on with").split()


def text_bytes(rng, size):
    lines, total = [], 0
    while total < size:
        count = rng.randint(4, 14)
        words = [rng.choice(WORDS) for _ in range(count)]
        if rng.random() < 0.4:
            words.append(str(rng.randint(0, 99999)))
        line = " ".join(words).capitalize() + ".\r\n"
        lines.append(line)
        total += len(line)
    return "".join(lines).encode("ascii")[:size]


def binary_bytes(rng, size):
    # Bytes of a skewed spread (many zeros and small values) between fragments
    # drawn from a small pool, as instruction sequences and tables recur in
    # code; the pool fits the 4 KB window of the LZ format.
    skew = bytes(0 if b < 96 else (b & 0x1F) if b < 192 else b for b in range(256))
    pool = [rng.randbytes(rng.randint(6, 48)) for _ in range(80)]
    pieces, total = [], 0
    while total < size:
        if rng.random() < 0.6:
            piece = pool[rng.randrange(len(pool))]
        else:
            piece = rng.randbytes(rng.randint(4, 40)).translate(skew)
        pieces.append(piece)
        total += len(piece)
    return b"".join(pieces)[:size]


def made_bytes(kind, rng, size):
    if kind == "text":
        return text_bytes(rng, size)
    if kind == "binary":
        return binary_bytes(rng, size)
    return rng.randbytes(size)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--megabytes", type=float, required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--mkdist", required=True)
    parser.add_argument("--setup", required=True)
    parser.add_argument("--standins", required=True)
    args = parser.parse_args()

    scale = args.megabytes / 48.0
    files = os.path.abspath(os.path.join(args.out, "files"))
    os.makedirs(files, exist_ok=True)
    rng = random.Random(4711)
    manifest = ["# Benchmark distribution of about %g MB (tools/bench/makedata.py)" % args.megabytes]
    originals = {"setup.zel": os.path.abspath(args.setup)}
    for name, plain in (("VANTRX32.EXE", False), ("VANTRX.386", True), ("README.TXT", False)):
        source = os.path.abspath(os.path.join(args.standins, name))
        if not os.path.isfile(source):
            sys.exit("makedata: no %s (build the i686 tools first)" % source)
        manifest.append('1 "%s" %s%s' % (source, name, "" if plain else " compress"))
        originals[name] = source
    for name, kind, size, disk in MADE:
        data = made_bytes(kind, rng, max(1, int(size * scale)))
        path = os.path.join(files, name)
        with open(path, "wb") as out:
            out.write(data)
        manifest.append('%d "%s" %s%s' % (disk, path, name, "" if kind == "random" else " compress"))
        originals[name] = path
    manifest_path = os.path.join(args.out, "manifest.txt")
    with open(manifest_path, "w") as out:
        out.write("\n".join(manifest) + "\n")
    command = [args.mkdist, "--version", "1.BD", "--setup", args.setup, "--out", args.out,
               "--capacity", str(64 * 1024 * 1024), "--autorun", "C:\\Vantrx", "--vantrx", "NO", "--snmp", "NO",
               manifest_path]
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    write_file_list(args.out, originals)


def write_file_list(out, originals):
    """files.txt from the file entries mkdist wrote into SETUP.INI."""
    lines = []
    with open(os.path.join(out, "DISK1", "SETUP.INI"), encoding="ascii") as script:
        for line in script:
            key, _, value = line.strip().partition("=")
            if key.startswith("file") and key[4:].isdigit():
                disk, disk_name, target, size = value.split()
                lines.append("\t".join((disk, disk_name, target, size, originals[target])))
    if len(lines) != 26:
        sys.exit("makedata: %d file entries, 26 expected" % len(lines))
    with open(os.path.join(out, "files.txt"), "w") as listing:
        listing.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
