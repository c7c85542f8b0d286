#!/usr/bin/env bash
# The benchmarks (`./run bench`): the shipped i686 SETUP.EXE under 32-bit Wine
# against the platform's floor and a peer installer. Prints one line per
# figure (name, median, min, max, ratio, target) and a closing summary; the
# samples and a Markdown table for docs/performance.md stay in build/bench.
#
#   bench.sh              everything, BENCH_ROUNDS rounds (default 9, at least 7)
#   bench.sh trace        one unattended 6 MB install traced (+timestamp,+relay,
#                         the calls SETUP.EXE makes) and where its time goes
#                         (tracecalls.py); the trace stays in build/bench
#
# Every ratio compares two programs run interleaved in one session (each
# round in a different order), in one 32-bit prefix (Windows NT 4.0, null
# display driver) whose wineserver runs throughout. Needs the i686 build
# (build/i686: SETUP.EXE, tools/bench/*.exe, tools/standins), the native
# mkdist (build/host), makensis, python3 and 32-bit Wine; `./run bench`
# provides them.
#
# Sessions (tools/bench/zelbench.cpp runs them):
#   install  SETUP.EXE unattended (26 files, three disks, the prompts answered
#            at once) at about 6 and 48 MB, the bare LZ32 copy of the same
#            files, the same with LZRead and 64 KB writes, and the NSIS peer;
#            at 6 MB also SETUP.EXE from one disk holding all files (no
#            prompts), the bare copy importing USER32 and GDI32, or every DLL
#            that SETUP.EXE imports, and the bare copy showing what SETUP.EXE
#            shows (a full-screen window, a page, the two disk prompts)
#   startup  process start to the welcome page painted, against a bare
#            program's one dialog painted
#   stamp    ReadVersionStamp against ReadFile + memchr (stampbench.exe)
#   growth   RemoveInstallation and ReconcileHistory against N (growth.exe)
#   memory   peak working set (hostruns.py memory), and plain cp (hostruns.py cp)
#   phases   the fixed part of a run taken apart (phases.exe), untraced
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
here=$top/tools/bench
build=$top/build/i686
host=$top/build/host
tools=$build/tools/bench
out=$top/build/bench
MODE=${1:-all}
ROUNDS=${BENCH_ROUNDS:-9}
case $MODE in
all | trace) ;;
*)
    echo "usage: bench.sh [trace]" >&2
    exit 2
    ;;
esac
[ "$ROUNDS" -ge 7 ] || {
    echo "bench: BENCH_ROUNDS must be at least 7" >&2
    exit 2
}

log() { echo "bench: $*" >&2; }

for f in "$build/SETUP.EXE" "$build/tools/standins/VANTRX32.EXE" "$host/mkdist" "$tools/zelbench.exe" \
    "$tools/barecopy.exe" "$tools/barecopygui.exe" "$tools/barecopyall.exe" "$tools/baredlg.exe" \
    "$tools/stampbench.exe" "$tools/growth.exe" "$tools/phases.exe"; do
    [ -f "$f" ] || {
        log "missing $f (./run bench builds it)"
        exit 1
    }
done
for c in makensis python3 /usr/lib/wine/wine /usr/lib/wine/wineserver32; do
    command -v "$c" >/dev/null || {
        log "missing $c (./run bench installs it)"
        exit 1
    }
done

# Everything of this run below one folder of its own, removed at the end.
BP_ROOT=${BENCH_ROOT:-/var/tmp/zel-wine/bench.$$}
. "$here/prefix.sh"
trap 'status=$?; set +e; bp_remove; exit $status' EXIT
rm -rf "$BP_ROOT"
mkdir -p "$BP_ROOT" "$out"
data=$BP_ROOT/data
sessions=$BP_ROOT/sessions
samples=$out/samples
mkdir -p "$data" "$sessions"
rm -rf "$samples"
mkdir -p "$samples"
started=$SECONDS
load_at_start=$(cut -d' ' -f1 /proc/loadavg)

# --- the data ------------------------------------------------------------------
log "making the distributions, the peer installers and the stamp files"
for mb in 6 48; do
    python3 "$here/makedata.py" --megabytes "$mb" --out "$data/d$mb" --mkdist "$host/mkdist" \
        --setup "$build/SETUP.EXE" --standins "$build/tools/standins"
    bash "$here/mknsis.sh" "$data/d$mb/files.txt" "$data/d$mb/peer.exe"
done
python3 - "$data" <<'EOF'
# Files of random bytes with a version stamp (1.BD) as their last 81 bytes.
import random, sys
block = bytearray(81)
block[0:6] = b"zElSiG"
block[25:28] = bytes((1, ord("B"), ord("D")))
for mb in (16, 256):
    rng = random.Random(mb)
    with open("%s/stamp%d.bin" % (sys.argv[1], mb), "wb") as out:
        left = mb * 1024 * 1024 - len(block)
        while left > 0:
            n = min(left, 1 << 24)
            out.write(rng.randbytes(n))
            left -= n
        out.write(block)
EOF
# The 6 MB distribution on one disk: the same run without disk prompts.
mkdir -p "$data/d6one"
cp "$data/d6"/DISK[123]/* "$data/d6one/"
# The start-up runs: the 6 MB distribution's script without [Autorun].
mkdir -p "$data/start"
cp "$build/SETUP.EXE" "$data/start/SETUP.EXE"
sed '/^\[Autorun\]/,$d' "$data/d6/DISK1/SETUP.INI" >"$data/start/SETUP.INI"

# Installed bytes of each distribution (the file table's sizes).
megabytes() { awk -F'\t' '{ s += $4 } END { printf "%.3f", s / 1e6 }' "$1"; }
mb6=$(megabytes "$data/d6/files.txt")
mb48=$(megabytes "$data/d48/files.txt")

# --- the prefix ----------------------------------------------------------------
log "making the 32-bit prefix in $BP_PREFIX"
bp_make || {
    log "cannot make the prefix (see $BP_ROOT/wineboot.log)"
    exit 1
}
# A: and B: hold the first disks of the two distributions (SETUP.EXE runs
# from there); D: to I: the three disks of each for the bare copies; J: the
# 6 MB distribution on one disk; S: the start-up folder.
bp_drive A: "$data/d48/DISK1"
bp_drive B: "$data/d6/DISK1"
letters48=(D E F)
letters6=(G H I)
for d in 1 2 3; do
    bp_drive "${letters48[d - 1]}:" "$data/d48/DISK$d"
    bp_drive "${letters6[d - 1]}:" "$data/d6/DISK$d"
done
bp_drive J: "$data/d6one"
bp_drive S: "$data/start"
# A window that stays open keeps the desktop up between the runs.
bp_keep_desktop "$(bp_win "$tools/baredlg.exe")"

# --- the sessions --------------------------------------------------------------
SETUP_RESETS=('tree C:\Vantrx' 'file C:\windows\ZELSETUP.INI' 'file C:\windows\zelunins.exe'
    'file C:\windows\vantrx.386' 'service ZELSRV')
PEER_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelPeer'

# expect_files NAME FILES.TXT [setup|bare|peer]: the installed files and their sizes.
expect_files() {
    local name=$1 list=$2 kind=$3
    while IFS=$'\t' read -r _disk _diskname target size _original; do
        # the setup program turns its copy into the uninstaller
        [ "$kind" = setup ] && [ "$target" = setup.zel ] && continue
        echo "expect $name \"C:\\Vantrx\\$target\" $size"
    done <"$list"
    local setup_size
    setup_size=$(stat -c %s "$build/SETUP.EXE")
    case $kind in
    setup | bare)
        echo "expect $name \"C:\\windows\\zelunins.exe\" $setup_size"
        echo "expect $name \"C:\\windows\\vantrx.386\" $(stat -c %s "$build/tools/standins/VANTRX.386")"
        ;;
    peer) echo "expect $name \"C:\\Vantrx\\uninst.exe\" -1" ;;
    esac
    if [ "$kind" = setup ]; then
        echo "expect $name \"C:\\windows\\ZELSETUP.INI\" -1"
        echo "expect $name \"C:\\Vantrx\\ZEL_NT.INI\" -1"
    fi
}

# bare_list MB LETTERS...: the bare copy's steps for distribution dMB.
bare_list() {
    local mb=$1
    shift
    local letters=("$@")
    echo '+C:\Vantrx'
    while IFS=$'\t' read -r disk diskname target _size _original; do
        echo "${letters[disk - 1]}:\\$diskname|C:\\Vantrx\\$target"
    done <"$data/d$mb/files.txt"
    echo 'C:\Vantrx\setup.zel|C:\windows\zelunins.exe'
    echo 'C:\Vantrx\VANTRX.386|C:\windows\vantrx.386'
}

# gui_list MB DRIVE: the same steps read from the drive SETUP.EXE runs from,
# with a disk prompt before the first file of each further disk.
gui_list() {
    local mb=$1 drive=$2 shown=1
    echo '+C:\Vantrx'
    while IFS=$'\t' read -r disk diskname target _size _original; do
        if [ "$disk" -gt "$shown" ]; then
            echo "?$disk"
            shown=$disk
        fi
        echo "$drive:\\$diskname|C:\\Vantrx\\$target"
    done <"$data/d$mb/files.txt"
    echo 'C:\Vantrx\setup.zel|C:\windows\zelunins.exe'
    echo 'C:\Vantrx\VANTRX.386|C:\windows\vantrx.386'
}

bare_list 6 "${letters6[@]}" >"$sessions/bare6.lst"
gui_list 6 B >"$sessions/gui6.lst"
bare_list 48 "${letters48[@]}" >"$sessions/bare48.lst"

install_programs() {
    local mb=$1 drive=$2 r
    local dist=$data/d$mb
    echo "program setup$mb exit $drive:\\ $drive:\\SETUP.EXE"
    echo "drive setup$mb \"$(bp_win "$dist/DISK1")\""
    echo "disk setup$mb 2 \"$(bp_win "$dist/DISK2")\""
    echo "disk setup$mb 3 \"$(bp_win "$dist/DISK3")\""
    echo "prompts setup$mb 2"
    for r in "${SETUP_RESETS[@]}"; do echo "reset setup$mb $r"; done
    expect_files "setup$mb" "$dist/files.txt" setup
    local kind
    for kind in bare lzread; do
        local switch=""
        [ $kind = lzread ] && switch="-lzread "
        echo "program $kind$mb exit C:\\ $(bp_win "$tools/barecopy.exe") $switch$(bp_win "$sessions/bare$mb.lst")"
        for r in 'tree C:\Vantrx' 'file C:\windows\zelunins.exe' 'file C:\windows\vantrx.386'; do
            echo "reset $kind$mb $r"
        done
        expect_files "$kind$mb" "$dist/files.txt" bare
    done
    echo "program nsis$mb exit C:\\ $(bp_win "$dist/peer.exe") /S /D=C:\\Vantrx"
    echo "reset nsis$mb tree C:\\Vantrx"
    echo "reset nsis$mb regkey $PEER_KEY"
    expect_files "nsis$mb" "$dist/files.txt" peer
}

# The variants at 6 MB that take the fixed part apart.
variant_programs() {
    local r kind
    echo "program setup6one exit J:\\ J:\\SETUP.EXE"
    for r in "${SETUP_RESETS[@]}"; do echo "reset setup6one $r"; done
    expect_files setup6one "$data/d6/files.txt" setup
    for kind in gui all; do
        echo "program ${kind}6 exit C:\\ $(bp_win "$tools/barecopy$kind.exe") $(bp_win "$sessions/bare6.lst")"
        for r in 'tree C:\Vantrx' 'file C:\windows\zelunins.exe' 'file C:\windows\vantrx.386'; do
            echo "reset ${kind}6 $r"
        done
        expect_files "${kind}6" "$data/d6/files.txt" bare
    done
    echo "program window6 exit B:\\ $(bp_win "$tools/barecopygui.exe") -gui $(bp_win "$sessions/gui6.lst")"
    echo "drive window6 \"$(bp_win "$data/d6/DISK1")\""
    echo "disk window6 2 \"$(bp_win "$data/d6/DISK2")\""
    echo "disk window6 3 \"$(bp_win "$data/d6/DISK3")\""
    echo "prompts window6 2"
    for r in 'tree C:\Vantrx' 'file C:\windows\zelunins.exe' 'file C:\windows\vantrx.386'; do
        echo "reset window6 $r"
    done
    expect_files window6 "$data/d6/files.txt" bare
}

{
    echo "rounds $ROUNDS"
    echo 'stopfile "C:\bench-stop"'
    install_programs 6 B
    install_programs 48 A
    variant_programs
} >"$sessions/install.txt"

{
    echo "rounds $ROUNDS"
    echo "program setupstart page S:\\ S:\\SETUP.EXE"
    echo "pagecontrol setupstart 1003"
    echo "reset setupstart file C:\\windows\\ZELSETUP.INI"
    echo "program baredlg page C:\\ $(bp_win "$tools/baredlg.exe")"
    echo "pagecontrol baredlg 1003"
} >"$sessions/startup.txt"

zelbench() { bp_wine "$(bp_win "$tools/zelbench.exe")" "$@"; }

if [ "$MODE" = trace ]; then
    # The calls made from SETUP.EXE only; the prefix's default list of
    # modules not to trace would take precedence over the list to trace.
    bp_wine reg add 'HKCU\Software\Wine\Debug' /v RelayFromInclude /d setup.exe /f >/dev/null 2>&1
    bp_wine reg delete 'HKCU\Software\Wine\Debug' /v RelayFromExclude /f >/dev/null 2>&1 || true
    {
        echo "rounds 1"
        install_programs 6 B | sed -n '/^program setup6/,/^program bare6/p' | sed '$d'
        echo "environment setup6 WINEDEBUG=+timestamp,+relay"
    } >"$sessions/trace.txt"
    log "tracing an unattended 6 MB install (after one traced warm-up run)"
    zelbench run "$(bp_win "$sessions/trace.txt")" >"$out/trace-run.txt" 2>"$out/trace.txt"
    tid=$(tr -d '\r' <"$out/trace-run.txt" | awk '$1 == "thread" && $3 == 0 { print $4 }')
    python3 "$here/tracecalls.py" --exe "$build/SETUP.EXE" --tid "$tid" --after "thread setup6 0 $tid" \
        "$out/trace.txt" | tee "$out/trace-summary.txt"
    log "the traced run took $(tr -d '\r' <"$out/trace-run.txt" | awk '$1 == "sample" { print $4 }') ms; the trace is $out/trace.txt"
    exit 0
fi

# --- the runs ------------------------------------------------------------------
log "install: SETUP.EXE, bare LZ32 copy, LZRead copy and NSIS at $mb6 and $mb48 MB, $ROUNDS rounds"
zelbench run "$(bp_win "$sessions/install.txt")" >"$samples/install.txt"
log "start-up: SETUP.EXE and the bare dialog"
zelbench run "$(bp_win "$sessions/startup.txt")" >"$samples/startup.txt"
log "stamp scan: 16 and 256 MB"
bp_wine "$(bp_win "$tools/stampbench.exe")" "$ROUNDS" "$(bp_win "$data/stamp16.bin")" \
    "$(bp_win "$data/stamp256.bin")" >"$samples/stamp.txt"
log "history growth: 1, 10, 100 entries"
bp_wine "$(bp_win "$tools/growth.exe")" "$ROUNDS" 'C:\grow' >"$samples/growth.txt"
log "peak memory: SETUP.EXE at both sizes, the bare copies, the bare dialog"
python3 "$here/hostruns.py" memory "$ROUNDS" "$sessions/install.txt" "$(bp_win "$tools/zelbench.exe")" \
    "setup48=$data/d48/DISK1=A:\\SETUP.EXE" "setup6=$data/d6/DISK1=B:\\SETUP.EXE" \
    "setup6one=$data/d6one=J:\\SETUP.EXE" \
    "bare48=$BP_PREFIX/drive_c=$(bp_win "$tools/barecopy.exe") $(bp_win "$sessions/bare48.lst")" \
    "all48:bare48=$BP_PREFIX/drive_c=$(bp_win "$tools/barecopyall.exe") $(bp_win "$sessions/bare48.lst")" \
    "baredlg=$BP_PREFIX/drive_c=$(bp_win "$tools/baredlg.exe") -close" >"$samples/memory.txt"
log "phases of the fixed part, one process a round"
for ((r = 0; r < ROUNDS; r++)); do
    bp_wine "$(bp_win "$tools/phases.exe")" "$r" 'S:'
done >"$samples/phases.txt"
log "plain cp of the expanded files"
python3 "$here/hostruns.py" cp "$ROUNDS" "6=$data/d6/files.txt" "48=$data/d48/files.txt" >"$samples/cp.txt"

log "done in $((SECONDS - started)) s"
python3 "$here/report.py" --mb6 "$mb6" --mb48 "$mb48" --rounds "$ROUNDS" --markdown "$out/table.md" \
    --load "$load_at_start" --load "$(cut -d' ' -f1 /proc/loadavg)" --seconds $((SECONDS - started)) "$samples"
