#!/usr/bin/env bash
# The benchmarks (`./run bench`): the shipped i686 SETUP.EXE under 32-bit Wine against the platform's floor
# and a peer installer. Says which way 32-bit Wine runs (WH_RUN32 of the harness: natively, or under
# qemu-i386 where the kernel runs no 32-bit programs), then a line per figure and a summary; the samples and
# a Markdown table for docs/performance.md stay in build/bench. BENCH_ROUNDS: rounds (default 9, at least 7).
# Every program runs in one 32-bit prefix of the harness (NT 4.0, null display driver, its wineserver and
# one window kept up throughout, so that the desktop stays as a user's does). Sessions of the timer:
#   install  SETUP.EXE unattended (26 files, three disks) at about 6 and 47 MB; barecopy.exe (its LZ32 calls
#            alone; -lzread: LZRead and 64 KB writes); barecopyall.exe (importing SETUP.EXE's DLLs); NSIS
#            silent (/S) and as a user sees it (its install-files page, closing itself); at 6 MB also
#            SETUP.EXE from one disk, barecopygui.exe (importing USER32, GDI32) and the same with -gui (a
#            full-screen window, an empty page, the two disk prompts). Time and peak working set of each run.
#   startup  start to the welcome page painted: SETUP.EXE (script without [Autorun]) and baredlg.exe
#   stamp, growth, phases: the product's own operations inside zelbench.exe; cp: plain Linux cp
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$top/build/i686
tools=$build/tools/bench
out=$top/build/bench
ROUNDS=${BENCH_ROUNDS:-9}
log() { echo "bench: $*" >&2; }
[ "$ROUNDS" -ge 7 ] || { log "BENCH_ROUNDS must be at least 7"; exit 2; }
command -v makensis >/dev/null || { log "missing makensis (./run bench installs NSIS)"; exit 1; }

# The harness's prefixes, below a folder of this run's own, removed at the end.
export WH_ROOT=${BENCH_ROOT:-/var/tmp/zel-wine/bench.$$}
. "$top/tests/harness/wine-env.sh"
trap 'status=$?; set +e; wh_remove_root; exit $status' EXIT
wh_probe32 || exit 1
path32=$WH_RUN32
log "32-bit Wine: $path32 (SETUP.EXE, the bare programs and NSIS alike)"
data=$WH_ROOT/data
sessions=$WH_ROOT/sessions
samples=$out/samples
rm -rf "$samples"
mkdir -p "$data" "$sessions" "$samples"
started=$SECONDS
load_at_start=$(cut -d' ' -f1 /proc/loadavg)

win() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }

log "making the distributions and the peer installers"
for mb in 6 48; do
    python3 "$top/tools/bench/bench.py" data "$mb" "$data/d$mb" "$top/build/host/mkdist" "$build/SETUP.EXE" \
        "$build/tools/standins"
    makensis -V2 "$data/d$mb/peer.nsi" >/dev/null
done
# The 6 MB distribution on one disk (no prompts), and its script without [Autorun] for the start-up.
mkdir -p "$data/d6one" "$data/start"
cp "$data/d6"/DISK[123]/* "$data/d6one/"
cp "$build/SETUP.EXE" "$data/start/SETUP.EXE"
sed '/^\[Autorun\]/,$d' "$data/d6/DISK1/SETUP.INI" >"$data/start/SETUP.INI"
# Random bytes ending in the 81-byte stamp block of 1.BD, for the stamp scan.
for mb in 16 256; do
    { head -c $((mb * 1048576 - 81)) /dev/urandom; printf 'zElSiG%019d\x01BD%053d' 0 0 | tr 0 '\0'; } >"$data/stamp$mb.bin"
done
megabytes() { awk -F'\t' '{ s += $4 } END { printf "%.3f", s / 1e6 }' "$data/d$1/files.txt"; }

prefix=$(WH_ARCH=32 wh_new_prefix bench nt40) || { log "cannot make the prefix"; exit 1; }
bwine() { wh_wine "$prefix" "$@" </dev/null; }
# A: and B: the first disks SETUP.EXE runs from, J: the 6 MB distribution on one disk, S: the start-up folder.
for d in a:d48/DISK1 b:d6/DISK1 j:d6one s:start; do
    ln -sfn "$data/${d#*:}" "$prefix/dosdevices/${d%%:*}:"
done
bwine "$(win "$tools/baredlg.exe")" >/dev/null 2>&1 &

# program NAME KIND MODE DIR COMMAND: a program of the session, and what a run must leave (KIND: setup,
# bare or peer; page: nothing).
program() {
    local name=$1 kind=$2 list=$data/d${1//[!0-9]/}/files.txt
    shift 2
    echo "program $name $*"
    [[ $kind == page ]] && return
    while IFS=$'\t' read -r _disk _name target size _original; do
        # the setup program turns its copy into the uninstaller
        [[ $kind == setup && $target == setup.zel ]] || echo "expect $name C:\\Vantrx\\$target $size"
    done <"$list"
    case $kind in
    setup | bare)
        echo "expect $name C:\\windows\\zelunins.exe $(stat -c %s "$build/SETUP.EXE")"
        echo "expect $name C:\\windows\\vantrx.386 $(stat -c %s "$build/tools/standins/VANTRX.386")" ;;&
    setup) printf 'expect %s %s -1\n' "$name" 'C:\windows\ZELSETUP.INI' "$name" 'C:\Vantrx\ZEL_NT.INI' ;;
    peer) echo "expect $name C:\\Vantrx\\uninst.exe -1" ;;
    esac
}
disks() { echo "disks $1 $(win "$data/d$2/DISK1") $(win "$data/d$2/DISK2") $(win "$data/d$2/DISK3")"; }

# copy_list MB [gui]: the bare copy's steps, read from DISKn of the distribution's folder; with gui from
# the drive's folder, with a disk prompt before each further disk.
copy_list() {
    local shown=1 from
    echo '+C:\Vantrx'
    while IFS=$'\t' read -r disk name target _size _original; do
        from=DISK$disk\\
        if [ -n "${2:-}" ]; then
            from=
            [ "$disk" -gt "$shown" ] && echo "?$disk" && shown=$disk
        fi
        echo "$from$name|C:\\Vantrx\\$target"
    done <"$data/d$1/files.txt"
    printf '%s\n' 'C:\Vantrx\setup.zel|C:\windows\zelunins.exe' 'C:\Vantrx\VANTRX.386|C:\windows\vantrx.386'
}
copy_list 6 >"$sessions/bare6.lst"
copy_list 48 >"$sessions/bare48.lst"
copy_list 6 gui >"$sessions/gui6.lst"

install_programs() {
    local mb=$1 drive=$2 list here
    list=$(win "$sessions/bare$mb.lst") here=$(win "$data/d$mb")
    program "setup$mb" setup exit "$drive:\\" "$drive:\\SETUP.EXE"
    disks "setup$mb" "$mb"
    program "bare$mb" bare exit "$here" "$(win "$tools/barecopy.exe") $list"
    program "lzread$mb" bare exit "$here" "$(win "$tools/barecopy.exe") -lzread $list"
    program "all$mb" bare exit "$here" "$(win "$tools/barecopyall.exe") $list"
    program "nsis$mb" peer exit 'C:\' "$(win "$data/d$mb/peer.exe") /S /D=C:\\Vantrx"
    program "nsisw$mb" peer exit 'C:\' "$(win "$data/d$mb/peer.exe") /D=C:\\Vantrx"
}
{
    echo "rounds $ROUNDS"
    install_programs 6 B
    install_programs 48 A
    program setup6one setup exit 'J:\' 'J:\SETUP.EXE'
    program gui6 bare exit "$(win "$data/d6")" "$(win "$tools/barecopygui.exe") $(win "$sessions/bare6.lst")"
    program window6 bare exit 'B:\' "$(win "$tools/barecopygui.exe") -gui $(win "$sessions/gui6.lst")"
    disks window6 6
} >"$sessions/install.txt"
{
    echo "rounds $ROUNDS"
    program setupstart page page 'S:\' 'S:\SETUP.EXE'
    program baredlg page page 'C:\' "$(win "$tools/baredlg.exe")"
} >"$sessions/startup.txt"

timer() { bwine "$(win "$tools/zelbench.exe")" "$@"; }

log "install: SETUP.EXE, the bare copies and NSIS at $(megabytes 6) and $(megabytes 48) MB, $ROUNDS rounds"
timer run "$(win "$sessions/install.txt")" >"$samples/install.txt"
log "start-up: SETUP.EXE and the bare dialog"
timer run "$(win "$sessions/startup.txt")" >"$samples/startup.txt"
log "stamp scan: 16 and 256 MiB"
timer stamp "$ROUNDS" "$(win "$data/stamp16.bin")" "$(win "$data/stamp256.bin")" >"$samples/stamp.txt"
log "history growth: 1, 10, 100 entries"
timer growth "$ROUNDS" 'C:\grow' >"$samples/growth.txt"
log "phases of the fixed part, one process a round"
for ((r = 0; r < ROUNDS; r++)); do timer phases "$r" 'S:'; done >"$samples/phases.txt"
log "plain cp of the expanded files"
for ((r = 0; r < ROUNDS; r++)); do
    for mb in $( ((r % 2)) && echo 48 6 || echo 6 48); do
        rm -rf "$data/cp" && mkdir "$data/cp"
        mapfile -t sources < <(cut -f5 "$data/d$mb/files.txt")
        t0=$EPOCHREALTIME
        cp "${sources[@]}" "$data/cp/"
        t1=$EPOCHREALTIME
        echo "sample cp.$mb $r $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) * 1000 }')"
    done
done >"$samples/cp.txt"
log "done in $((SECONDS - started)) s"
python3 "$top/tools/bench/bench.py" report "$samples" "$(megabytes 6)" "$(megabytes 48)" "$ROUNDS" "$path32" \
    $((SECONDS - started)) "$load_at_start" "$(cut -d' ' -f1 /proc/loadavg)" "$out/table.md"
