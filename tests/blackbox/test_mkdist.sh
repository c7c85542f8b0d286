#!/usr/bin/env bash
# The distribution builder end to end:
#   1. mkdist's own unit tests (native, build/host/mkdist_tests);
#   2. its compressed files expand byte-identical with Debian's msexpand
#      (random, text, all-zero, blank, empty and > 64 KB inputs);
#   3. what the setup program cannot read is refused with a message, exit 1,
#      and no disk written;
#   4. round trip: files -> mkdist disks (two, laid out by capacity) ->
#      unattended SETUP.EXE from A: under Wine, A: re-pointed to DISK2 at the
#      disk prompt -> installed files identical to the inputs;
#      The same under Windows 95 from one disk, through SETUP95.INI;
#   5. the Windows build mkdist.exe writes the same disks as the native one;
#   6. with mtools: a disk filled to the last cluster of the default capacity
#      fits its 1.44 MB floppy image exactly.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

host=${ZEL_HOST_BUILD:-$(dirname "$ZEL_BUILD")/host}
mkdist=$host/mkdist

build_host_tools() {
    unset MAKEFLAGS MAKELEVEL MFLAGS
    if [ ! -f "$host/CMakeCache.txt" ]; then
        cmake -S "$ZEL_SOURCE/tools/host" -B "$host" -DCMAKE_BUILD_TYPE=Release >/dev/null || return 1
    fi
    cmake --build "$host" --target mkdist mkdist_tests -j2 >"$BB_TMP/host-build.log" 2>&1
}

# Deterministic inputs: name and how to make it.
make_inputs() {
    local dir=$1
    mkdir -p "$dir"
    python3 - "$dir" <<'EOF'
import random, sys, os
d = sys.argv[1]
random.seed(1995)
def put(name, data):
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)
put("random.bin", bytes(random.getrandbits(8) for _ in range(70001)))
words = [b"disk ", b"array ", b"Vantorix ", b"setup ", b"\r\n", b"ZEL ", b"the ", b"of "]
put("text.txt", b"".join(random.choice(words) for _ in range(12000)))
put("zeros.bin", bytes(66000))
put("blanks.txt", b" " * 5000 + b"end")
put("empty.dat", b"")
put("big.bin", bytes(random.getrandbits(8) for _ in range(200000)))
EOF
}

inputs=$BB_TMP/inputs
make_inputs "$inputs"

# 1. Unit tests of the compressor and the layout.
if build_host_tools; then
    if "$host/mkdist_tests" >"$BB_TMP/unit.log" 2>&1; then
        bb_pass
    else
        tail -n 30 "$BB_TMP/unit.log" >&2
        bb_fail "mkdist_tests failed"
    fi
else
    tail -n 30 "$BB_TMP/host-build.log" >&2
    bb_fail "cannot build mkdist in $host"
    bb_finish
fi

# 2. msexpand reads what we write.
cat >"$inputs/compress.manifest" <<EOF
1 random.bin RANDOM.BIN compress
1 text.txt   TEXT.TXT   compress
1 zeros.bin  ZEROS.BIN  compress
1 blanks.txt BLANKS.TXT compress
1 empty.dat  EMPTY.DAT  compress
1 big.bin    BIG.BIN    compress
EOF
(cd "$inputs" && "$mkdist" --version 1.0 --capacity 10000000 --out "$BB_TMP/ms" "$inputs/compress.manifest") \
    >"$BB_TMP/ms.log" 2>&1 || bb_fail "mkdist on compress.txt: $(cat "$BB_TMP/ms.log")"
for pair in random.bin:RANDOM.BI_ text.txt:TEXT.TX_ zeros.bin:ZEROS.BI_ blanks.txt:BLANKS.TX_ \
    empty.dat:EMPTY.DA_ big.bin:BIG.BI_; do
    src=${pair%%:*}
    packed=$BB_TMP/ms/DISK1/${pair#*:}
    bb_expect_file "$packed"
    msexpand <"$packed" >"$BB_TMP/ms/$src.out" 2>/dev/null || bb_fail "msexpand failed on $packed"
    bb_expect_same "$inputs/$src" "$BB_TMP/ms/$src.out"
done
zeros_packed=$(stat -c %s "$BB_TMP/ms/DISK1/ZEROS.BI_")
[ "$zeros_packed" -lt 8000 ] && bb_pass || bb_fail "66000 zero bytes compressed to $zeros_packed bytes"

# A second build into the same folder leaves no disk of the first behind.
printf '1 text.txt TEXT.TXT\n2 zeros.bin ZEROS.BIN\n' >"$inputs/two.manifest"
printf '1 text.txt TEXT.TXT\n' >"$inputs/single.manifest"
(cd "$inputs" && "$mkdist" --version 1.0 --out "$BB_TMP/again" two.manifest &&
    "$mkdist" --version 1.0 --out "$BB_TMP/again" single.manifest) >"$BB_TMP/again.log" 2>&1 ||
    bb_fail "mkdist twice: $(cat "$BB_TMP/again.log")"
bb_expect_file "$BB_TMP/again/DISK1/TEXT.TXT"
bb_expect_no_file "$BB_TMP/again/DISK2"

# 3. Refusals: message, exit 1, nothing written.
refuse() {
    local what=$1 message=$2 manifest=$3
    shift 3
    local out=$BB_TMP/refused
    rm -rf "$out"
    local rc=0
    (cd "$inputs" && "$mkdist" "$@" --out "$out" "$manifest") >"$BB_TMP/refuse.log" 2>&1 || rc=$?
    bb_expect_eq "$rc" 1 "exit code of mkdist for $what"
    bb_expect_grep "$message" "$BB_TMP/refuse.log" "mkdist for $what says: $(cat "$BB_TMP/refuse.log")"
    [ ! -d "$out/DISK1" ] && bb_pass || bb_fail "mkdist wrote disks for $what"
}
for i in $(seq 1 27); do echo "auto text.txt F$i.TXT"; done >"$inputs/many.manifest"
echo '1 text.txt "MY FILE.TXT"' >"$inputs/blank.manifest"
echo '1 text.txt A,B.TXT' >"$inputs/comma.manifest"
echo "1 text.txt $(printf 'N%.0s' $(seq 1 124)).TXT" >"$inputs/long.manifest"
echo "1 text.txt TEXT.TXT" >"$inputs/one.manifest"
echo "auto big.bin BIG.BIN" >"$inputs/big.manifest"
refuse "27 files" "27 files to install: the setup program takes at most 26" "$inputs/many.manifest" --version 1.0
refuse "a blank in a name" "contains a blank or a comma" "$inputs/blank.manifest" --version 1.0
refuse "a comma in a name" "contains a blank or a comma" "$inputs/comma.manifest" --version 1.0
refuse "a name of 128 characters" "longer than 127 characters" "$inputs/long.manifest" --version 1.0
refuse "a Version of 5 characters" "must be 1 to 4 characters" "$inputs/one.manifest" --version 1.K2X
refuse "a file larger than a disk" "does not fit on a disk of 100000 bytes" "$inputs/big.manifest" \
    --version 1.0 --capacity 100000

# 4. Round trip through the setup program. Disk 1 takes SETUP.EXE, its copy
# and what else fits in 120 KB more; big.bin cannot, so it starts disk 2.
setup_size=$(stat -c %s "$BB_BUILD/SETUP.EXE")
capacity=$((2 * setup_size + 2 * 4096 + 120000))
cat >"$inputs/round.manifest" <<EOF
auto text.txt   text.txt   compress
auto random.bin random.bin compress
auto zeros.bin  zeros.bin  compress
auto empty.dat  empty.dat  compress
auto big.bin    big.bin
auto blanks.txt blanks.txt compress
EOF
dist=$BB_TMP/round
(cd "$inputs" && "$mkdist" --version 1.K2 --setup "$BB_BUILD/SETUP.EXE" --capacity "$capacity" \
    --autorun 'C:\RoundTrip' --vantrx NO --snmp NO --out "$dist" "$inputs/round.manifest") >"$BB_TMP/round.log" 2>&1 ||
    bb_fail "mkdist for the round trip: $(cat "$BB_TMP/round.log")"
bb_expect_file "$dist/DISK2/big.bin"
bb_expect_file "$dist/DISK1/SETUP.EXE"
bb_expect_file "$dist/DISK1/SETUP.ZEL"
bb_expect_grep '^file5=1 empty.da_ empty.dat 0' "$dist/DISK1/SETUP.INI" "SETUP.INI lists empty.dat on disk 1"
bb_expect_same "$dist/DISK1/SETUP.INI" "$dist/DISK1/SETUP95.INI"

bb_prefix mkdist-roundtrip nt40
bb_drive A: "$dist/DISK1"
# The Linux side swaps the disk while the second prompt is up.
(
    for _ in $(seq 1 600); do
        [ -f "$BB_C/prompted" ] && break
        sleep 0.2
    done
    bb_drive A: "$dist/DISK2"
    touch "$BB_C/swapped"
) &
swapper=$!
bb_run_driver <<'EOF'
start "A:\SETUP.EXE"
timeout 60000
box "Please insert ZEL Vantorix Disk #2" caption "Change Disks" icon exclamation buttons okcancel press ok
box "Please insert ZEL Vantorix Disk #2" caption "Change Disks"
touch "C:\prompted"
waitfile "C:\swapped"
box "Please insert ZEL Vantorix Disk #2" caption "Change Disks" press ok
exit 0
EOF
wait "$swapper" 2>/dev/null
for f in text.txt random.bin zeros.bin empty.dat big.bin blanks.txt; do
    bb_expect_same "$inputs/$f" "$BB_C/RoundTrip/$f"
done
bb_expect_same "$BB_BUILD/SETUP.EXE" "$BB_C/windows/zelunins.exe"
bb_expect_no_file "$BB_C/RoundTrip/setup.zel"

# 4b. Windows 95 reads SETUP95.INI: one disk, no prompt. The stamped
# stand-in driver is both on the disk and in SYSTEM\IOSUBSYS, so the driver
# check after the copy finds the same version and says nothing.
standins=$BB_BUILD/tools/standins
printf 'auto "%s" ZELSCSI.MPD compress\nauto text.txt text.txt compress\n' "$standins/ZELSCSI.MPD" \
    >"$inputs/win95.manifest"
(cd "$inputs" && "$mkdist" --version 1.K2 --setup "$BB_BUILD/SETUP.EXE" --autorun 'C:\Program Files\Vantrx' \
    --vantrx NO --snmp NO --capacity 10000000 --out "$BB_TMP/win95" win95.manifest) >"$BB_TMP/win95.log" 2>&1 ||
    bb_fail "mkdist for Windows 95: $(cat "$BB_TMP/win95.log")"
# Only the Windows 95 script: a run that read SETUP.INI could not start.
rm -f "$BB_TMP/win95/DISK1/SETUP.INI"
bb_prefix mkdist-win95 win95
mkdir -p "$BB_C/windows/system/iosubsys"
cp "$standins/ZELSCSI.MPD" "$BB_C/windows/system/iosubsys/ZELSCSI.MPD"
bb_drive A: "$BB_TMP/win95/DISK1"
bb_run_driver <<'EOF'
start "A:\SETUP.EXE"
timeout 60000
exit 0
EOF
bb_expect_same "$inputs/text.txt" "$BB_C/Program Files/Vantrx/text.txt"
bb_expect_same "$standins/ZELSCSI.MPD" "$BB_C/Program Files/Vantrx/ZELSCSI.MPD"
bb_expect_grep '^Version=1.K2' "$BB_C/windows/ZELSETUP.INI" "the Windows 95 run is recorded with Version 1.K2"

# 5. mkdist.exe under Wine, same manifest and options: the same disks.
wine_out=$BB_TMP/round-win
wh_wine "$BB_PREFIX" "$BB_BUILD/tools/mkdist/mkdist.exe" --version 1.K2 --setup "$(bb_win "$BB_BUILD/SETUP.EXE")" \
    --capacity "$capacity" --autorun 'C:\RoundTrip' --vantrx NO --snmp NO --out "$(bb_win "$BB_TMP")\\round-win" \
    "$(bb_win "$inputs/round.manifest")" >"$BB_TMP/round-win.log" 2>&1 ||
    bb_fail "mkdist.exe under Wine: $(cat "$BB_TMP/round-win.log")"
if diff -r "$dist" "$wine_out" >"$BB_TMP/round-win.diff" 2>&1; then
    bb_pass
else
    head -n 20 "$BB_TMP/round-win.diff" >&2
    bb_fail "mkdist.exe and the native mkdist wrote different disks"
fi

# 6. Floppy images. Disk 1 holds the two scripts (a cluster each) and two
# files that take the remaining 2845 clusters of 512 bytes to the last one;
# one byte more starts disk 2.
if command -v mformat >/dev/null && command -v mcopy >/dev/null; then
    python3 -c "import sys; sys.stdout.buffer.write(b'y' * 1000000)" >"$inputs/part1.bin"
    python3 -c "import sys; sys.stdout.buffer.write(b'x' * (1457664 - 2 * 512 - 1000448))" >"$inputs/part2.bin"
    printf 'auto part1.bin PART1.BIN\nauto part2.bin PART2.BIN\nauto text.txt TEXT.TXT\n' >"$inputs/floppy.manifest"
    (cd "$inputs" && "$mkdist" --version 1.K2 --images --out "$BB_TMP/floppy" "$inputs/floppy.manifest") \
        >"$BB_TMP/floppy.log" 2>&1 || bb_fail "mkdist --images: $(cat "$BB_TMP/floppy.log")"
    bb_expect_file "$BB_TMP/floppy/DISK2/TEXT.TXT"
    bb_expect_eq "$(stat -c %s "$BB_TMP/floppy/DISK1.IMG" 2>/dev/null)" 1474560 "size of DISK1.IMG"
    free=$(mdir -i "$BB_TMP/floppy/DISK1.IMG" :: 2>/dev/null | tr -d ' ' | sed -n 's/^\([0-9]*\)bytesfree$/\1/p')
    bb_expect_eq "$free" 0 "bytes free on the full floppy image"
    mcopy -n -i "$BB_TMP/floppy/DISK1.IMG" ::PART2.BIN "$BB_TMP/floppy/part2.out" 2>/dev/null
    bb_expect_same "$inputs/part2.bin" "$BB_TMP/floppy/part2.out"
else
    echo "mtools not installed: floppy images not checked" >&2
fi

bb_finish
