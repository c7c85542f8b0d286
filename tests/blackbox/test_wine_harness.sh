#!/usr/bin/env bash
# The Wine harness itself: the scenarios run the build of the prefix kind the
# harness chose (i686 in 32-bit prefixes where 32-bit Wine runs), every
# program of that build is of that kind, the sample distribution carries the
# runtime libraries of a prefix of that kind, each personality gives the same
# version in 32-bit and 64-bit prefixes, the loader always matches the
# prefix, and the fallback to wine64 is taken only when it must be and said
# exactly once.
. "$(dirname "$0")/lib.sh"

# --- the build the scenarios run, and everything beside it ----------------------
if [ "$WH_HAVE32" = 1 ]; then
    bb_expect_eq "$BB_BUILD" "$ZEL_BUILD32" "build folder of the scenarios"
else
    bb_expect_eq "$BB_BUILD" "$ZEL_BUILD" "build folder of the scenarios (fallback)"
fi
for program in SETUP.EXE tools/driver/zeldriver.exe tools/progman/progman.exe tools/shelldde/shelldde.exe \
    tools/zelserv/ZELSERV.EXE tools/mkdist/mkdist.exe tools/standins/VANTRX32.EXE \
    tools/standins/ZELAGENT.DLL tools/standins/ZELSCSI.MPD dist/DISK1/SETUP.EXE; do
    bb_expect_eq "$(wh_pe_arch "$BB_BUILD/$program")" "$BB_ARCH" "kind of $program"
done
bb_expect_eq "$(wh_pe_arch "$ZEL_BUILD/SETUP.EXE")" 64 "kind of the x86_64 SETUP.EXE"
bb_expect_eq "$(wh_pe_arch "$ZEL_BUILD/tests/test_seams.exe")" 64 "kind of a unit test program"
bb_expect_eq "$(wh_pe_arch "$ZEL_SOURCE/tools/standins/READ.ME")" "" "kind of a text file"
bb_expect_same "$BB_BUILD/dist/DISK1/SETUP.EXE" "$BB_BUILD/SETUP.EXE"

# The sample distribution's runtime libraries are those of a prefix of the
# setup program's kind: installing them leaves its system directory as it was.
bb_prefix runtime
for lib in msvcrt msvcrt40; do
    packed=$BB_BUILD/dist/DISK1/${lib^^}.DL_
    if msexpand <"$packed" >"$BB_TMP/$lib.dll" 2>/dev/null; then
        bb_expect_same "$BB_TMP/$lib.dll" "$BB_C/windows/system32/$lib.dll"
    else
        bb_fail "cannot expand $packed"
    fi
done

# --- personalities: the same version in both kinds of prefix --------------------
# Each row: personality (empty: none), what GetVersionExA then reports.
PERSONALITIES=(":2 6 1" "win95:1 4 0" "nt31:2 3 1" "nt35:2 3 5" "nt351:2 3 51" "nt40:2 4 0")
ARCHS=(64)
[ "$WH_HAVE32" = 1 ] && ARCHS+=(32)
for arch in "${ARCHS[@]}"; do
    build=$ZEL_BUILD
    [ "$arch" = 32 ] && build=$ZEL_BUILD32
    for row in "${PERSONALITIES[@]}"; do
        version=${row%%:*}
        bb_prefix_of "$arch" "osversion-$arch-${version:-default}" "$version"
        bb_expect_eq "$(wh_prefix_arch "$BB_PREFIX")" "$arch" "kind of prefix $BB_NAME"
        got=$(wh_wine "$BB_PREFIX" "$build/tools/driver/zeldriver.exe" --osversion 2>/dev/null | tr -d '\r')
        bb_expect_eq "$got" "${row#*:}" "$BB_NAME: platform major minor"
    done
done

# --- the loader matches the prefix ------------------------------------------------
for arch in "${ARCHS[@]}"; do
    bb_prefix_of "$arch" "loader-$arch"
    want=AMD64
    [ "$arch" = 32 ] && want=x86
    bb_expect_eq "$(wh_wine "$BB_PREFIX" cmd /c 'echo %PROCESSOR_ARCHITECTURE%' 2>/dev/null | tr -d '\r')" "$want" \
        "processor architecture in a $arch-bit prefix"
    [ "$arch" = 32 ] || continue
    # A real 32-bit system, not 32-bit code in a 64-bit one: no 64-bit program starts.
    if wh_wine "$BB_PREFIX" "$ZEL_BUILD/tools/driver/zeldriver.exe" --osversion >/dev/null 2>&1; then
        bb_fail "an x86_64 program ran in the 32-bit prefix"
    else
        bb_pass
    fi
    bb_expect_grep '^#arch=win32' "$(wh_template_dir 32)/system.reg" "the 32-bit template is a win32 prefix"
done

# --- the choice between 32-bit Wine and the fallback ------------------------------
# A shell that sources the library prints "BB_ARCH BB_BUILD" on stdout, and
# makes and uses a prefix of its kind; the harness's lines go to stderr. It
# starts without this run's answer (WH_HAVE32, WH_FORCE64), with the
# variables given.
probe() {
    env -u WH_HAVE32 -u WH_FORCE64 ZEL_SOURCE="$ZEL_SOURCE" ZEL_BUILD="$ZEL_BUILD" ZEL_BUILD32="$ZEL_BUILD32" \
        WH_ROOT="$WH_ROOT" "$@" bash -c '. "$ZEL_SOURCE/tests/blackbox/lib.sh"
        echo "$BB_ARCH $BB_BUILD"
        bb_prefix probe nt40 && echo "$(wh_prefix_arch "$BB_PREFIX") $(wh_wine "$BB_PREFIX" "$BB_DRIVER" --osversion | tr -d "\r")"
        bash -c ". \"\$ZEL_SOURCE/tests/blackbox/lib.sh\""' >"$BB_TMP/probe.out" 2>"$BB_TMP/probe.err"
}
said() { grep -c '^\[wine\] 32-bit Wine' "$BB_TMP/probe.err"; }

# A loader the kernel cannot execute, as on a kernel without IA32 emulation.
python3 -c "import struct, sys
sys.stdout.buffer.write(b'\x7fELF\x01\x01\x01' + bytes(9) + struct.pack('<HHI', 2, 0xbeef, 1) + bytes(32))" \
    >"$BB_TMP/wine32"
chmod +x "$BB_TMP/wine32"
probe WH_LOADER32="$BB_TMP/wine32"
bb_expect_eq "$(cat "$BB_TMP/probe.out")" "64 $ZEL_BUILD
64 2 4 0" "a 32-bit loader failing with Exec format error: build, prefix and version"
bb_expect_eq "$(said)" 1 "lines saying so (the nested shell inherits the answer)"
bb_expect_grep 'Exec format error' "$BB_TMP/probe.err" "the line names the reason"

probe WH_FORCE64=1
bb_expect_eq "$(cat "$BB_TMP/probe.out")" "64 $ZEL_BUILD
64 2 4 0" "fallback forced: build, prefix and version"
bb_expect_eq "$(said)" 1 "lines saying the fallback was forced"
bb_expect_grep 'WH_FORCE64=1' "$BB_TMP/probe.err" "the line names the reason"

# The answer of a run that already said it is not said again.
probe WH_HAVE32=0
bb_expect_eq "$(head -n 1 "$BB_TMP/probe.out")" "64 $ZEL_BUILD" "an inherited fallback"
bb_expect_eq "$(said)" 0 "lines when the run has said it already"

# A 32-bit loader that runs: no fallback and nothing said.
if "$WH_LOADER32" --version >/dev/null 2>&1; then
    probe
    bb_expect_eq "$(cat "$BB_TMP/probe.out")" "32 $ZEL_BUILD32
32 2 4 0" "32-bit Wine: build, prefix and version"
    bb_expect_eq "$(said)" 0 "lines when 32-bit Wine runs"
fi

bb_finish
