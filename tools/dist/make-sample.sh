#!/usr/bin/env bash
# Builds the sample distribution of ZEL Vantorix 1.K2 from our stand-ins:
#   make-sample.sh [BUILD_DIR]     (default build/i686)
# writes BUILD_DIR/dist/DISK1, DISK2 with the native mkdist of build/host
# (built here when missing). Two disks, so a run of SETUP.EXE asks for the
# second one. MSVCRT.DL_ and MSVCRT40.DL_ are the Wine prefix's own runtime
# libraries compressed (those of a 32-bit prefix for the i686 build), so
# installing them leaves the prefix's system directory as it was.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build/i686}" && pwd)
host=${ZEL_HOST_BUILD:-$(dirname "$build")/host}
out=$build/dist
standins=$build/tools/standins

# Disk 1 holds the setup program twice and the prefix's msvcrt.dll (1.4 MB
# compressed), more than a 1.44 MB floppy takes: the sample uses 2.88 MB
# disks, or larger ones in steps of 512 KB when the setup program outgrows
# them.
capacity_for() {
    local setup_size=$1 need cap=2949120
    need=$((2 * setup_size + 1800000))
    while [ "$cap" -lt "$need" ]; do
        cap=$((cap + 524288))
    done
    echo "$cap"
}

log() { echo "make-sample: $*" >&2; }

# The nested build must not inherit the outer make's job server.
unset MAKEFLAGS MAKELEVEL MFLAGS
if [ ! -f "$host/CMakeCache.txt" ]; then
    cmake -S "$top/tools/host" -B "$host" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$host" --target mkdist -j2 >/dev/null

for f in "$build/SETUP.EXE" "$standins/VANTRX32.EXE" "$standins/ZELAGENT.DLL" "$standins/ZELSCSI.MPD"; do
    [ -f "$f" ] || {
        log "missing $f (build first)"
        exit 1
    }
done

capacity=$(capacity_for "$(stat -c %s "$build/SETUP.EXE")")

# The runtime libraries of a prefix of the setup program's own kind (a 32-bit
# prefix for the i686 build, a 64-bit one for the x86_64 build): the
# template's copies when there is a template, else Wine's own files, which
# wineboot copies into every prefix of that kind.
. "$top/tests/harness/wine-env.sh"
runtime_dir() {
    local arch t
    arch=$(wh_pe_arch "$build/SETUP.EXE") || {
        log "$build/SETUP.EXE is not a Windows program"
        exit 1
    }
    t=$(wh_template_dir "$arch")/drive_c/windows/system32
    if [ -f "$t/msvcrt.dll" ]; then
        echo "$t"
    elif [ "$arch" = 32 ]; then
        echo /usr/lib/i386-linux-gnu/wine/i386-windows
    else
        echo /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
    fi
}
rt=$(runtime_dir)

mkdir -p "$out"
manifest=$out/manifest.txt
{
    echo "# ZEL Vantorix 1.K2 sample distribution (written by tools/dist/make-sample.sh)"
    echo "1 \"$standins/VANTRX32.EXE\" VANTRX32.EXE compress"
    echo "1 \"$standins/READ.ME\" READ.ME"
    if [ -f "$rt/msvcrt.dll" ] && [ -f "$rt/msvcrt40.dll" ]; then
        echo "1 \"$rt/msvcrt.dll\" MSVCRT.DLL compress unlisted"
        echo "1 \"$rt/msvcrt40.dll\" MSVCRT40.DLL compress unlisted"
    else
        log "no msvcrt.dll/msvcrt40.dll in $rt: the disks carry no MSVCRT.DL_/MSVCRT40.DL_"
    fi
    echo "2 \"$standins/ZELAGENT.DLL\" ZELAGENT.DLL compress"
    echo "2 \"$standins/ZELSCSI.MPD\" ZELSCSI.MPD compress"
    echo "2 \"$standins/VANTRX.386\" VANTRX.386"
    if [ -f "$build/tools/zelserv/ZELSERV.EXE" ]; then
        echo "2 \"$build/tools/zelserv/ZELSERV.EXE\" ZELSERV.EXE compress"
    else
        log "no $build/tools/zelserv/ZELSERV.EXE yet: the disks carry no ZELSERV.EXE"
    fi
    echo "2 \"$standins/README.TXT\" README.TXT"
} >"$manifest"

"$host/mkdist" --version 1.K2 --setup "$build/SETUP.EXE" --capacity "$capacity" --out "$out" "$manifest"
